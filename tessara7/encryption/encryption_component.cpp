#include "tessara7/encryption/encryption_component.h"

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "platform/crypto.h"
#include "tessara7/encryption/input_reader.h"
#include "tessara7/encryption/output_check.h"
#include "tessara7/encryption/output_writer.h"
#include "tessara7/encryption/ts7_format.h"

namespace tessara::encryption {
namespace {

using platform::crypto::AesGcm;
using std::chrono::steady_clock;

// Chunks are read and written 16 at a time (1 MiB), which the disk likes
// better than 64 KiB, while progress and events still come every chunk.
constexpr std::size_t BlockChunks = 16;
// The caller's events: often enough for Abort and the window to answer at
// once to a person, seldom enough that the looking (a round trip to the
// Wine server each time) stays a small share of a large file's time.
constexpr auto EventInterval = std::chrono::milliseconds(25);
// A large file's target is looked for before any work, so that an existing
// one is reported at once. For a small file the creation of its output
// under the target's name (which never replaces) finds it: looking up a name
// that does not exist scans the whole folder under Wine, ~3 ms per lookup in
// a folder of 10,000 files.
constexpr std::uint64_t LookAheadSize = 1u << 20;
constexpr std::string_view TemporaryPrefix = "~ts7";
constexpr std::string_view TemporarySuffix = ".tmp";
constexpr std::size_t TemporaryDigits = 16;

std::string folderOf(const std::string& path) {
  const auto slash = path.find_last_of("\\/");
  if (slash != std::string::npos) return path.substr(0, slash + 1);
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return {};
}

// Reads until `buffer` is full or the file ends.
std::optional<std::size_t> readFully(platform::OpenFile& file, std::span<std::uint8_t> buffer) {
  std::size_t got = 0;
  while (got < buffer.size()) {
    const auto n = file.read(buffer.subspan(got));
    if (!n) return std::nullopt;
    if (*n == 0) break;
    got += *n;
  }
  return got;
}

struct WipeOnExit {
  std::span<std::uint8_t> bytes;
  ~WipeOnExit() { platform::crypto::wipe(bytes); }
};

// The output file until it is done: deleted, through its handle, unless
// kept. A large output is written under a temporary name and renamed when
// done; a small one under the target's own name, as a plain copy would be
// (docs/ts7-format.md says why a cut one is never taken for a whole one).
class Output {
 public:
  Output(platform::Files& files, const ComponentOptions& options) : files_(files), options_(options) {}
  ~Output() {
    // Through the handle: the file written is the file deleted.
    const bool gone = kept_ || !file || file->deleteOnClose();
    file.reset();
    if (!path.empty() && !gone) files_.deleteFile(path);
  }
  Output(const Output&) = delete;
  Output& operator=(const Output&) = delete;

  // The target's name, never replacing a file that has it.
  bool createDirect(const std::string& target) {
    file = files_.createNew(target);
    if (!file) return false;
    path = target;
    direct_ = true;
    return true;
  }

  bool createTemporary(const std::string& target) {
    const std::string folder = folderOf(target);
    for (int attempt = 0; attempt < 4; ++attempt) {
      std::array<std::uint8_t, TemporaryDigits / 2> random{};
      if (!options_.random(random)) return false;
      std::string name(TemporaryPrefix);
      static constexpr char hex[] = "0123456789abcdef";
      for (const std::uint8_t byte : random) {
        name += hex[byte >> 4];
        name += hex[byte & 15];
      }
      name += TemporarySuffix;
      file = files_.createNew(folder + name);
      if (file) {
        path = folder + name;
        return true;
      }
      if (files_.lastFailure().error != platform::FileError::AlreadyExists) return false;
    }
    return false;
  }

  // The file this handle wrote, checked, keeps the target's name.
  bool keep(const std::string& target) {
    if (!direct_ && !file->renameNoReplace(target)) return false;
    kept_ = true;
    file.reset();
    return true;
  }

  std::string path;
  std::unique_ptr<platform::OpenFile> file;

 private:
  platform::Files& files_;
  const ComponentOptions& options_;
  bool direct_ = false;
  bool kept_ = false;
};

// Reads all of an existing file when it is shorter than `limit`.
std::optional<std::vector<std::uint8_t>> shortContent(platform::OpenFile& file, std::uint64_t limit) {
  const auto size = file.size();
  if (!size || *size >= limit) return std::nullopt;
  std::vector<std::uint8_t> content(static_cast<std::size_t>(*size));
  const auto got = readFully(file, content);
  if (!got || *got != content.size()) return std::nullopt;
  return content;
}

// An output cut short by a killed process, under the target's name: a .ts7
// shorter than its header says it is (or than a header), or a plain file
// that is the beginning of the content being decrypted. Either holds no byte
// that is not elsewhere, and goes through the handle it was read by.
bool removeCutOutput(platform::Files& files, const std::string& target, std::uint64_t limit,
                     const std::function<bool(std::span<const std::uint8_t>)>& isCut) {
  auto file = files.openRead(target);
  if (!file) return false;
  const auto content = shortContent(*file, limit);
  if (!content || !isCut(*content)) return false;
  return file->deleteOnClose();
}

bool isCutTs7(std::span<const std::uint8_t> content) {
  const std::size_t magic = std::min(content.size(), ts7::Magic.size());
  if (!std::equal(ts7::Magic.begin(), ts7::Magic.begin() + static_cast<std::ptrdiff_t>(magic), content.begin()))
    return false;
  if (content.size() < ts7::HeaderSize) return true;
  ts7::Header header;
  if (ts7::parse(content.first<ts7::HeaderSize>(), header) != ts7::ParseResult::Ok) return false;
  const auto whole = ts7::fileSize(header.plainSize);
  return whole && content.size() < *whole;
}

}  // namespace

// One encrypt or decrypt call: its events, its pace and its errors.
class EncryptionComponent::Call {
 public:
  explicit Call(EncryptionComponent& component) : component_(component), lastEvents_(steady_clock::now()) {
    component_.busy_ = true;
  }
  ~Call() { component_.busy_ = false; }
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  bool fail(ComponentError error, std::string_view file, std::string_view reason = {}) {
    if (component_.Error) component_.Error(error, errorText(error, file, reason));
    return false;
  }
  bool failFile(ComponentError error, std::string_view file, const platform::FileFailure& failure) {
    return fail(error, file, reasonText(failure));
  }
  std::unique_ptr<platform::OpenFile> failed(ComponentError error, std::string_view file,
                                             std::string_view reason = {}) {
    fail(error, file, reason);
    return nullptr;
  }

  // Opens the source and reports a large file's existing target at once;
  // nothing, after the error event, when the call cannot go on.
  std::unique_ptr<platform::OpenFile> openSource(const std::string& source, const std::string& target,
                                                 std::uint64_t& size) {
    platform::Files& files = component_.files_;
    if (!component_.active_) return failed(ErrorAborted, source);
    auto in = files.openRead(source);
    if (!in) return failed(ErrorCannotRead, source, reasonText(files.lastFailure()));
    const auto got = in->size();
    if (!got) return failed(ErrorCannotRead, source, reasonText(in->lastFailure()));
    if (*got >= LookAheadSize && files.attributes(target)) return failed(ErrorTargetExists, target);
    size = *got;
    return in;
  }

  // After every chunk: progress, then the caller's events when due. False
  // when the call is to stop.
  bool step(std::uint64_t done, std::uint64_t total) {
    const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
    if (component_.Progress) component_.Progress(percent);
    return keepWaiting();
  }

  bool keepWaiting() {
    const auto now = steady_clock::now();
    if (now - lastEvents_ >= EventInterval) {
      lastEvents_ = now;
      if (component_.LetEventsRun) component_.LetEventsRun();
    }
    return component_.active_;
  }

  // The output under its name: a small one under the target's own, a large
  // one under a temporary name. A file that has the target's name is never
  // replaced, unless it is a cut output that `isCut` recognises.
  bool createOutput(Output& output, const std::string& target, bool small,
                    const std::function<bool()>& removeCut = {}) {
    platform::Files& files = component_.files_;
    if (!small) return output.createTemporary(target) || failFile(ErrorCannotWrite, target, files.lastFailure());
    if (output.createDirect(target)) return true;
    if (files.lastFailure().error != platform::FileError::AlreadyExists)
      return failFile(ErrorCannotWrite, target, files.lastFailure());
    if (!removeCut || !removeCut()) return fail(ErrorTargetExists, target);
    return output.createDirect(target) || failFile(ErrorCannotWrite, target, files.lastFailure());
  }

  // The checked output keeps the target's name; an existing target is
  // reported as such and never replaced.
  bool keepOutput(Output& output, const std::string& target) {
    if (component_.beforeRename_) component_.beforeRename_(output.path);
    if (output.keep(target)) return true;
    const platform::FileFailure failure = output.file->lastFailure();
    if (failure.error == platform::FileError::AlreadyExists) return fail(ErrorTargetExists, target);
    return failFile(ErrorCannotWrite, target, failure);
  }

  bool failWriting(const OutputWriter& writer, const std::string& source, const std::string& target) {
    if (const auto why = writer.checkFailure()) return fail(ErrorVerifyFailed, source, *why);
    return failFile(ErrorCannotWrite, target, writer.failure());
  }

  // Why the input has no next block, as the call's error.
  bool failReading(InputReader& reader, InputReader::Status status, const std::string& source, bool encrypting) {
    switch (status) {
      case InputReader::Status::Failed: return failFile(ErrorCannotRead, source, reader.failure());
      case InputReader::Status::Stopped: return fail(ErrorAborted, source);
      default: break;
    }
    if (encrypting) return fail(ErrorCannotRead, source, "the file changed while it was read");
    return fail(ErrorDamaged, source);
  }

  // The run key for a salt, with the caller's events running meanwhile.
  bool runKey(const std::string& password, const ts7::Header& header, const std::string& file, ts7::RunKey& key) {
    switch (component_.keys_.derive(password, header.salt, header.iterations, [this] { return keepWaiting(); }, key)) {
      case KeyCache::Outcome::Ready: return true;
      case KeyCache::Outcome::Abandoned: return fail(ErrorAborted, file);
      case KeyCache::Outcome::Failed: break;
    }
    return fail(ErrorCryptoFailed, file);
  }

 private:
  EncryptionComponent& component_;
  steady_clock::time_point lastEvents_;
};

EncryptionComponent::EncryptionComponent(platform::Files& files, ComponentOptions options)
    : files_(files), options_(options) {}

// One call of encrypt or decrypt: refused while another runs, the source
// opened and a large file's existing target reported, no exception let out.
template <typename Body>
bool EncryptionComponent::oneCall(const std::string& source, const std::string& target, Body&& body) {
  if (busy_) {
    if (Error) Error(ErrorBusy, errorText(ErrorBusy, source));
    return false;
  }
    Call call(*this);
  heldSource_.reset();
  heldSourcePath_.clear();
  try {
    std::uint64_t size = 0;
    auto in = call.openSource(source, target, size);
    if (!in) return false;
    if (!body(call, in, size)) return false;
    if (holdSources_) {
      heldSource_ = std::move(in);
      heldSourcePath_ = source;
    }
    return true;
  } catch (const std::bad_alloc&) {
    return call.fail(ErrorCannotWrite, target, "there is not enough memory");
  }
}

bool EncryptionComponent::encrypt(const std::string& source, const std::string& target, const std::string& password) {
  return oneCall(source, target, [&](Call& call, const std::unique_ptr<platform::OpenFile>& in, std::uint64_t size) {
    const auto time = files_.lastWriteTime(source);
    if (!time) return call.failFile(ErrorCannotRead, source, files_.lastFailure());

    ts7::Header header;
    header.iterations = options_.iterations;
    header.plainSize = size;
    header.lastWriteTime = *time;
    if (!keys_.encryptionSalt(password, options_.random, header.salt)) return call.fail(ErrorCryptoFailed, source);
    ts7::RunKey runKey{};
    const WipeOnExit wipeRunKey{runKey};
    if (!call.runKey(password, header, source, runKey)) return false;
    ts7::FileKeys keys;
    if (!options_.random(header.fileRandom) || !ts7::deriveFileKeys(runKey, header.fileRandom, keys))
      return call.fail(ErrorCryptoFailed, source);
    header.keyCheck = keys.keyCheck;
    if (!ts7::headerMac(keys, ts7::serialize(header), header.mac)) return call.fail(ErrorCryptoFailed, source);
    const ts7::HeaderBytes headerBytes = ts7::serialize(header);
    AesGcm aes(keys.content);
    if (!aes.valid()) return call.fail(ErrorCryptoFailed, source);

    // Read, sealed and written at once: the reader reads ahead, the caller
    // seals, the writer writes, flushes, and has what it flushed checked.
    const std::uint64_t outputSize = *ts7::fileSize(size);
    Output output(files_, options_);
    if (!call.createOutput(output, target, outputSize < PipelinedSize, [&] {
          return removeCutOutput(files_, target, PipelinedSize, isCutTs7);
        }))
      return false;
    OutputCheck check(*output.file, headerBytes, keys, size);
    if (!check.valid()) return call.fail(ErrorCryptoFailed, source);
    const auto keepWaiting = [&call] { return call.keepWaiting(); };
    OutputWriter writer(*output.file, outputSize, keepWaiting, [&check](std::uint64_t end) { return check.upTo(end); });

    const std::uint64_t chunks = ts7::chunkCount(size);
    const std::size_t blockPlain = static_cast<std::size_t>(std::min<std::uint64_t>(size, BlockChunks * ts7::ChunkSize));
    InputReader reader(*in, size, blockPlain, keepWaiting);
    std::uint64_t index = 0;
    std::uint64_t done = 0;
    for (;;) {
      const InputReader::Next next = reader.next();
      if (next.status == InputReader::Status::End) break;
      if (next.status != InputReader::Status::Block) return call.failReading(reader, next.status, source, true);
      const std::span<const std::uint8_t> plain = next.bytes;
      // The header goes with the first block: one write fewer per small file.
      OutputWriter::Block sealed = writer.takeBuffer();
      const std::size_t headerPart = index == 0 ? headerBytes.size() : 0;
      sealed.resize(headerPart + plain.size() + BlockChunks * ts7::TagSize);
      std::copy_n(headerBytes.begin(), headerPart, sealed.begin());
      std::size_t offset = 0;
      std::size_t written = headerPart;
      do {
        const std::size_t length = std::min(ts7::ChunkSize, plain.size() - offset);
        const auto nonce = ts7::chunkNonce(index, index + 1 == chunks);
        const auto cipher = std::span(sealed).subspan(written, length);
        const auto tag = std::span(sealed).subspan(written + length).first<ts7::TagSize>();
        if (!aes.seal(nonce, header.mac, plain.subspan(offset, length), cipher, tag))
          return call.fail(ErrorCryptoFailed, source);
        offset += length;
        written += length + ts7::TagSize;
        done += length;
        ++index;
        if (!call.step(done, size)) return call.fail(ErrorAborted, source);
      } while (offset < plain.size());
      sealed.resize(written);
      if (!writer.write(std::move(sealed))) return call.failWriting(writer, source, target);
    }
    if (!writer.finish()) return call.failWriting(writer, source, target);
    return call.keepOutput(output, target);
  });
}

bool EncryptionComponent::decrypt(const std::string& source, const std::string& target, const std::string& password) {
  return oneCall(source, target, [&](Call& call, const std::unique_ptr<platform::OpenFile>& in, std::uint64_t size) {

    // Everything that can be told from the header is told before a byte is written.
    ts7::HeaderBytes headerBytes{};
    const auto headerGot = readFully(*in, headerBytes);
    if (!headerGot) return call.failFile(ErrorCannotRead, source, in->lastFailure());
    if (*headerGot < ts7::Magic.size() || !std::equal(ts7::Magic.begin(), ts7::Magic.end(), headerBytes.begin()))
      return call.fail(ErrorUnknownFormat, source);
    if (*headerGot < headerBytes.size()) return call.fail(ErrorDamaged, source);
    ts7::Header header;
    if (ts7::parse(headerBytes, header) != ts7::ParseResult::Ok || header.iterations == 0 ||
        header.iterations > options_.maxIterations)
      return call.fail(ErrorUnknownFormat, source);
    const auto expectedSize = ts7::fileSize(header.plainSize);
    if (!expectedSize || *expectedSize != size) return call.fail(ErrorDamaged, source);

    ts7::RunKey runKey{};
    const WipeOnExit wipeRunKey{runKey};
    if (!call.runKey(password, header, source, runKey)) return false;
    ts7::FileKeys keys;
    if (!ts7::deriveFileKeys(runKey, header.fileRandom, keys)) return call.fail(ErrorCryptoFailed, source);
    if (!ts7::equalBytes(keys.keyCheck, header.keyCheck)) return call.fail(ErrorWrongPassword, source);
    std::array<std::uint8_t, ts7::MacSize> mac{};
    if (!ts7::headerMac(keys, headerBytes, mac)) return call.fail(ErrorCryptoFailed, source);
    if (!ts7::equalBytes(mac, header.mac)) return call.fail(ErrorDamaged, source);
    AesGcm aes(keys.content);
    if (!aes.valid()) return call.fail(ErrorCryptoFailed, source);

    // A large output is written as it is opened; a small one is opened
    // whole first and written under the target's own name, which a file cut
    // short by a killed process may have: one that is the beginning of
    // this content holds no byte the .ts7 does not, and is replaced.
    const std::uint64_t plainSize = header.plainSize;
    const bool small = plainSize < PipelinedSize;
    const auto keepWaiting = [&call] { return call.keepWaiting(); };
    Output output(files_, options_);
    std::optional<OutputWriter> writer;
    if (!small) {
      if (!call.createOutput(output, target, false)) return false;
      writer.emplace(*output.file, plainSize, keepWaiting);
    }
    std::vector<std::uint8_t> whole;
    if (small) whole.reserve(static_cast<std::size_t>(plainSize));

    const std::uint64_t chunks = ts7::chunkCount(plainSize);
    const std::size_t blockSealed = BlockChunks * (ts7::ChunkSize + ts7::TagSize);
    InputReader reader(*in, size - ts7::HeaderSize, blockSealed, keepWaiting);
    std::uint64_t index = 0;
    std::uint64_t done = 0;
    for (;;) {
      const InputReader::Next next = reader.next();
      if (next.status == InputReader::Status::End) break;
      if (next.status != InputReader::Status::Block) return call.failReading(reader, next.status, source, false);
      const std::span<const std::uint8_t> sealed = next.bytes;
      // The whole block is authenticated before any of it is written.
      OutputWriter::Block plain = small ? OutputWriter::Block() : writer->takeBuffer();
      plain.resize(sealed.size());
      std::size_t position = 0;
      std::size_t offset = 0;
      do {
        const auto length =
            static_cast<std::size_t>(std::min<std::uint64_t>(ts7::ChunkSize, plainSize - index * ts7::ChunkSize));
        if (index >= chunks || position + length + ts7::TagSize > sealed.size()) return call.fail(ErrorDamaged, source);
        const auto nonce = ts7::chunkNonce(index, index + 1 == chunks);
        if (!aes.open(nonce, header.mac, sealed.subspan(position, length),
                      sealed.subspan(position + length).first<ts7::TagSize>(), std::span(plain).subspan(offset, length)))
          return call.fail(ErrorDamaged, source);
        position += length + ts7::TagSize;
        offset += length;
        done += length;
        ++index;
        if (!call.step(done, plainSize)) return call.fail(ErrorAborted, source);
      } while (position < sealed.size());
      plain.resize(offset);
      if (small) whole.insert(whole.end(), plain.begin(), plain.end());
      else if (!writer->write(std::move(plain))) return call.failWriting(*writer, source, target);
    }
    if (index != chunks) return call.fail(ErrorDamaged, source);
    if (small) {
      const auto isCut = [&whole](std::span<const std::uint8_t> content) {
        return std::equal(content.begin(), content.end(), whole.begin());
      };
      if (!call.createOutput(output, target, true, [&] { return removeCutOutput(files_, target, whole.size(), isCut); }))
        return false;
      writer.emplace(*output.file, plainSize, keepWaiting);
      if (!writer->write(std::move(whole))) return call.failWriting(*writer, source, target);
    }
    const auto setTime = [&header](platform::OpenFile& file) { return file.setLastWriteTime(header.lastWriteTime); };
    if (!writer->finish(setTime)) return call.failWriting(*writer, source, target);
    return call.keepOutput(output, target);
  });
}

bool EncryptionComponent::deleteSource(const std::string& source, std::string& why) {
  if (!heldSource_ || heldSourcePath_ != source) {
    why = "it is not the file just done";
    return false;
  }
  if (!heldSource_->isNamed(source)) {
    why = "another file has taken its name";
    heldSource_.reset();
    return false;
  }
  const bool marked = heldSource_->deleteOnClose();
  if (!marked) why = reasonText(heldSource_->lastFailure());
  heldSource_.reset();
  return marked;
}

bool EncryptionComponent::isTemporaryName(std::string_view name) {
  if (name.size() != TemporaryPrefix.size() + TemporaryDigits + TemporarySuffix.size()) return false;
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  const auto matches = [&](std::string_view part, std::size_t at) {
    for (std::size_t i = 0; i < part.size(); ++i)
      if (lower(name[at + i]) != part[i]) return false;
    return true;
  };
  if (!matches(TemporaryPrefix, 0) || !matches(TemporarySuffix, name.size() - TemporarySuffix.size())) return false;
  const std::string_view digits = name.substr(TemporaryPrefix.size(), TemporaryDigits);
  return std::all_of(digits.begin(), digits.end(), [&](char c) {
    const char l = lower(c);
    return (l >= '0' && l <= '9') || (l >= 'a' && l <= 'f');
  });
}

int EncryptionComponent::removeLeftovers(std::string_view folder) {
  std::string prefix(folder);
  if (!prefix.empty() && prefix.back() != '\\' && prefix.back() != '/') prefix += '\\';
  int removed = 0;
  for (const platform::DirEntry& entry : files_.list(folder)) {
    if (entry.directory || !isTemporaryName(entry.name)) continue;
    if (files_.deleteFile(prefix + entry.name)) ++removed;
  }
  return removed;
}

}  // namespace tessara::encryption
