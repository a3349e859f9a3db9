#include "tessara7/encryption/encryption_component.h"

#include <algorithm>
#include <new>
#include <optional>
#include <vector>

#include "platform/crypto.h"
#include "tessara7/encryption/output_writer.h"
#include "tessara7/encryption/ts7_format.h"

namespace tessara::encryption {
namespace {

using platform::crypto::AesGcm;
using std::chrono::steady_clock;

// Chunks are read and written 16 at a time (1 MiB), which the disk likes
// better than 64 KiB, while progress and events still come every chunk.
constexpr std::size_t BlockChunks = 16;
constexpr auto EventInterval = std::chrono::milliseconds(10);
// A large file's target is looked for before any work, so that an existing
// one is reported at once. For a small file the rename (which never
// replaces) finds it: looking up a name that does not exist scans the whole
// folder under Wine, ~3 ms per lookup in a folder of 10,000 files.
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

// True when the file has no byte left; nullopt when reading fails.
std::optional<bool> atEnd(platform::OpenFile& file) {
  std::uint8_t extra = 0;
  const auto n = file.read({&extra, 1});
  if (!n) return std::nullopt;
  return *n == 0;
}

// How reading one block of sealed chunks ended.
enum class BlockRead { Opened, ReadFailed, Short, NotAuthentic, Stopped };

// Reads the next block of sealed chunks, `blockLength` plain bytes of them,
// and opens every chunk into `plain`. `index` counts the file's chunks
// (`chunks` in all); `afterChunk(length)` runs after each chunk, and the
// work stops when it returns false.
template <typename AfterChunk>
BlockRead openNextBlock(platform::OpenFile& in, AesGcm& aes, std::span<const std::uint8_t> aad,
                        std::size_t blockLength, std::uint64_t& index, std::uint64_t chunks,
                        std::vector<std::uint8_t>& sealed, std::span<std::uint8_t> plain, AfterChunk&& afterChunk) {
  const std::uint64_t blockChunks = blockLength == 0 ? 1 : (blockLength - 1) / ts7::ChunkSize + 1;
  const std::size_t wanted = blockLength + static_cast<std::size_t>(blockChunks) * ts7::TagSize;
  const auto got = readFully(in, std::span(sealed).first(wanted));
  if (!got) return BlockRead::ReadFailed;
  if (*got != wanted) return BlockRead::Short;
  std::size_t offset = 0;
  std::size_t position = 0;
  do {
    const std::size_t length = std::min(ts7::ChunkSize, blockLength - offset);
    const auto nonce = ts7::chunkNonce(index, index + 1 == chunks);
    const auto cipher = std::span<const std::uint8_t>(sealed).subspan(position, length);
    const auto tag = std::span<const std::uint8_t>(sealed).subspan(position + length).first<ts7::TagSize>();
    if (!aes.open(nonce, aad, cipher, tag, plain.subspan(offset, length))) return BlockRead::NotAuthentic;
    offset += length;
    position += length + ts7::TagSize;
    ++index;
    if (!afterChunk(length)) return BlockRead::Stopped;
  } while (offset < blockLength);
  return BlockRead::Opened;
}

struct WipeOnExit {
  std::span<std::uint8_t> bytes;
  ~WipeOnExit() { platform::crypto::wipe(bytes); }
};

// The output file until it has its real name: deleted unless kept.
class Temporary {
 public:
  Temporary(platform::Files& files, const ComponentOptions& options) : files_(files), options_(options) {}
  ~Temporary() {
    // Through the handle: the file written is the file deleted.
    const bool gone = kept_ || !file || file->deleteOnClose();
    file.reset();
    if (!path.empty() && !gone) files_.deleteFile(path);
  }
  // The real name, given to the file this handle wrote.
  bool rename(const std::string& target) {
    if (!file->renameNoReplace(target)) return false;
    kept_ = true;
    file.reset();
    return true;
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  bool create(const std::string& target) {
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
  std::string path;
  std::unique_ptr<platform::OpenFile> file;

 private:
  platform::Files& files_;
  const ComponentOptions& options_;
  bool kept_ = false;
};

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

  // The temporary file takes the target's name; an existing target is
  // reported as such and never replaced.
  bool giveRealName(Temporary& temporary, const std::string& target) {
    if (temporary.rename(target)) return true;
    const platform::FileFailure failure = temporary.file->lastFailure();
    if (failure.error == platform::FileError::AlreadyExists) return fail(ErrorTargetExists, target);
    return failFile(ErrorCannotWrite, target, failure);
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

    Temporary temporary(files_, options_);
    if (!temporary.create(target)) return call.failFile(ErrorCannotWrite, target, files_.lastFailure());
    OutputWriter writer(*temporary.file, *ts7::fileSize(size), [&call] { return call.keepWaiting(); });
    OutputWriter::Block headerBlock = writer.takeBuffer();
    headerBlock.assign(headerBytes.begin(), headerBytes.end());
    if (!writer.write(std::move(headerBlock))) return call.failFile(ErrorCannotWrite, target, writer.failure());

    // Encrypting is the first half of the work, reading it back the second.
    const std::uint64_t total = size * 2;
    const std::uint64_t chunks = ts7::chunkCount(size);
    const std::size_t blockPlain = static_cast<std::size_t>(std::min<std::uint64_t>(size, BlockChunks * ts7::ChunkSize));
    std::vector<std::uint8_t> plain(blockPlain);
    std::uint64_t index = 0;
    std::uint64_t done = 0;
    while (index < chunks) {
      const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(blockPlain, size - done));
      const auto got = readFully(*in, std::span(plain).first(want));
      if (!got) return call.failFile(ErrorCannotRead, source, in->lastFailure());
      if (*got != want) return call.fail(ErrorCannotRead, source, "the file changed while it was read");
      OutputWriter::Block sealed = writer.takeBuffer();
      sealed.resize(blockPlain + BlockChunks * ts7::TagSize);
      std::size_t offset = 0;
      std::size_t written = 0;
      do {
        const std::size_t length = std::min(ts7::ChunkSize, want - offset);
        const auto nonce = ts7::chunkNonce(index, index + 1 == chunks);
        const auto cipher = std::span(sealed).subspan(written, length);
        const auto tag = std::span(sealed).subspan(written + length).first<ts7::TagSize>();
        if (!aes.seal(nonce, header.mac, std::span(plain).subspan(offset, length), cipher, tag))
          return call.fail(ErrorCryptoFailed, source);
        offset += length;
        written += length + ts7::TagSize;
        done += length;
        ++index;
        if (!call.step(done, total)) return call.fail(ErrorAborted, source);
      } while (offset < want);
      sealed.resize(written);
      if (!writer.write(std::move(sealed))) return call.failFile(ErrorCannotWrite, target, writer.failure());
    }
    const auto ended = atEnd(*in);
    if (!ended) return call.failFile(ErrorCannotRead, source, in->lastFailure());
    if (!*ended) return call.fail(ErrorCannotRead, source, "the file changed while it was read");
    if (!writer.finish()) return call.failFile(ErrorCannotWrite, target, writer.failure());

    // Read the output back from the disk, through the handle that wrote it,
    // and authenticate every chunk.
    platform::OpenFile* check = temporary.file.get();
    if (!check->rewind()) return call.failFile(ErrorVerifyFailed, source, check->lastFailure());
    std::vector<std::uint8_t> sealed(blockPlain + BlockChunks * ts7::TagSize);
    ts7::HeaderBytes readBack{};
    const auto headerGot = readFully(*check, readBack);
    if (!headerGot) return call.failFile(ErrorVerifyFailed, source, check->lastFailure());
    if (*headerGot != readBack.size() || readBack != headerBytes)
      return call.fail(ErrorVerifyFailed, source, "its header differs");
    index = 0;
    std::uint64_t checked = 0;
    while (index < chunks) {
      const auto blockLength = static_cast<std::size_t>(std::min<std::uint64_t>(blockPlain, size - checked));
      switch (openNextBlock(*check, aes, header.mac, blockLength, index, chunks, sealed, plain, [&](std::size_t length) {
        checked += length;
        return call.step(size + checked, total);
      })) {
        case BlockRead::Opened: break;
        case BlockRead::ReadFailed: return call.failFile(ErrorVerifyFailed, source, check->lastFailure());
        case BlockRead::Short: return call.fail(ErrorVerifyFailed, source, "it is shorter than written");
        case BlockRead::NotAuthentic: return call.fail(ErrorVerifyFailed, source, "a chunk does not authenticate");
        case BlockRead::Stopped: return call.fail(ErrorAborted, source);
      }
    }
    const auto checkEnded = atEnd(*check);
    if (!checkEnded) return call.failFile(ErrorVerifyFailed, source, check->lastFailure());
    if (!*checkEnded) return call.fail(ErrorVerifyFailed, source, "it is longer than written");

    if (beforeRename_) beforeRename_(temporary.path);
    return call.giveRealName(temporary, target);
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

    Temporary temporary(files_, options_);
    if (!temporary.create(target)) return call.failFile(ErrorCannotWrite, target, files_.lastFailure());
    const std::uint64_t plainSize = header.plainSize;
    OutputWriter writer(*temporary.file, plainSize, [&call] { return call.keepWaiting(); });

    const std::uint64_t chunks = ts7::chunkCount(plainSize);
    const std::size_t blockPlain =
        static_cast<std::size_t>(std::min<std::uint64_t>(plainSize, BlockChunks * ts7::ChunkSize));
    std::vector<std::uint8_t> sealed(blockPlain + BlockChunks * ts7::TagSize);
    std::uint64_t index = 0;
    std::uint64_t done = 0;
    while (index < chunks) {
      const auto blockLength = static_cast<std::size_t>(std::min<std::uint64_t>(blockPlain, plainSize - done));
      // The whole block is authenticated before any of it is written.
      OutputWriter::Block plain = writer.takeBuffer();
      plain.resize(blockLength);
      switch (openNextBlock(*in, aes, header.mac, blockLength, index, chunks, sealed, plain, [&](std::size_t length) {
        done += length;
        return call.step(done, plainSize);
      })) {
        case BlockRead::Opened: break;
        case BlockRead::ReadFailed: return call.failFile(ErrorCannotRead, source, in->lastFailure());
        case BlockRead::Short:
        case BlockRead::NotAuthentic: return call.fail(ErrorDamaged, source);
        case BlockRead::Stopped: return call.fail(ErrorAborted, source);
      }
      if (!writer.write(std::move(plain))) return call.failFile(ErrorCannotWrite, target, writer.failure());
    }
    const auto ended = atEnd(*in);
    if (!ended) return call.failFile(ErrorCannotRead, source, in->lastFailure());
    if (!*ended) return call.fail(ErrorDamaged, source);
    const auto setTime = [&header](platform::OpenFile& file) { return file.setLastWriteTime(header.lastWriteTime); };
    if (!writer.finish(setTime)) return call.failFile(ErrorCannotWrite, target, writer.failure());
    if (beforeRename_) beforeRename_(temporary.path);
    return call.giveRealName(temporary, target);
  });
}

bool EncryptionComponent::deleteSource(const std::string& source, std::string& why) {
  if (!heldSource_ || heldSourcePath_ != source) {
    why = "it is not the file just done";
    return false;
  }
  const auto held = heldSource_->identity();
  const auto named = files_.identity(source);
  if (!held || !named || !(*held == *named)) {
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
