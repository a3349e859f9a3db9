// The encryption component against the simulated file system: the .ts7
// format, its error paths, and what every injected file fault leaves behind.
#include "tessara7/encryption/encryption_component.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>

#include "platform/sim/sim_files.h"
#include "tessara7/encryption/ts7_format.h"
#include "tests/shared/ts7_vector.h"

namespace {

using namespace tessara::encryption;
using platform::sim::FileOperation;
using platform::sim::SimFiles;

std::string pattern(std::size_t size, unsigned seed = 1) {
  std::string text(size, '\0');
  for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>((i * 131 + seed * 7 + i / 977) & 0xFF);
  return text;
}

class EncryptionComponentTest : public ::testing::Test {
 protected:
  explicit EncryptionComponentTest(ComponentOptions options = {1000, 100000})
      : component_(files_, std::move(options)) {
    component_.Error = [this](int number, const std::string& text) { errors_.push_back({number, text}); };
    component_.Progress = [this](int percent) { progress_.push_back(percent); };
    files_.addFolder("C:\\docs");
  }

  bool encrypt(const std::string& source, const std::string& password = "secret") {
    component_.setActive(true);
    return component_.encrypt(source, source + ".ts7", password);
  }
  bool decrypt(const std::string& source, const std::string& password = "secret") {
    component_.setActive(true);
    return component_.decrypt(source, source.substr(0, source.size() - 4), password);
  }
  int lastError() const { return errors_.empty() ? 0 : errors_.back().first; }
  // No temporary file anywhere, and nothing left open.
  void expectNoTemporaries() {
    for (const std::string& path : files_.filePaths())
      EXPECT_FALSE(EncryptionComponent::isTemporaryName(path.substr(path.rfind('\\') + 1))) << path;
    EXPECT_EQ(files_.openFileCount(), 0u);
  }
  std::string encrypted(const std::string& content) {
    files_.addFile("C:\\docs\\a.txt", content);
    EXPECT_TRUE(encrypt("C:\\docs\\a.txt"));
    files_.deleteFile("C:\\docs\\a.txt");
    return *files_.content("C:\\docs\\a.txt.ts7");
  }

  SimFiles files_;
  EncryptionComponent component_;
  std::vector<std::pair<int, std::string>> errors_;
  std::vector<int> progress_;
};

TEST_F(EncryptionComponentTest, RoundTripsAtChunkEdgesWithOneDerivation) {
  const std::size_t sizes[] = {0, 1, 65535, 65536, 65537, 3 * 65536 + 5, 17 * 65536 + 3};
  for (const std::size_t size : sizes) {
    const std::string path = "C:\\docs\\file" + std::to_string(size) + ".bin";
    const std::string content = pattern(size, static_cast<unsigned>(size));
    files_.addFile(path, content);
    files_.setLastWriteTime(path, 130000000000000000 + size);
    progress_.clear();
    ASSERT_TRUE(encrypt(path)) << size;
    EXPECT_EQ(progress_.back(), 100);
    EXPECT_GE(progress_.size(), ts7::chunkCount(size));
    EXPECT_TRUE(std::is_sorted(progress_.begin(), progress_.end()));
    const std::string sealed = *files_.content(path + ".ts7");
    EXPECT_EQ(sealed.size(), *ts7::fileSize(size));
    EXPECT_EQ(sealed.find(content.substr(0, 64)), size < 64 ? sealed.find(content) : std::string::npos);
    ASSERT_TRUE(files_.deleteFile(path));
    ASSERT_TRUE(decrypt(path + ".ts7")) << size;
    EXPECT_EQ(*files_.content(path), content) << size;
    EXPECT_EQ(*files_.lastWriteTime(path), 130000000000000000 + size);
    EXPECT_TRUE(files_.exists(path + ".ts7"));  // deleting the source is the run's job
  }
  EXPECT_TRUE(errors_.empty());
  // One run, one password: one salt, one key derivation for all of it.
  EXPECT_EQ(component_.keyDerivations(), 1u);
  expectNoTemporaries();
}

// Another program that tries to take the output away between its check and
// its rename, or to swap the source before it is deleted, cannot: the file
// checked is the file named, and the file read is the file deleted.
TEST_F(EncryptionComponentTest, TheFileCheckedIsTheFileNamedAndTheFileReadIsTheFileDeleted) {
  const std::string source = "C:\\docs\\a.txt";
  const std::string content = pattern(3 * 65536 + 7);
  files_.addFile(source, content);
  component_.holdSources(true);
  std::vector<std::string> gotThrough;
  component_.setBeforeRename([&](const std::string& temporary) {
    if (files_.renameNoReplace(temporary, "C:\\docs\\elsewhere.tmp")) gotThrough.push_back("rename");
    if (files_.deleteFile(temporary)) gotThrough.push_back("delete");
    if (files_.openRead(temporary)) gotThrough.push_back("open");
    if (files_.renameNoReplace(source, "C:\\docs\\swapped.txt")) gotThrough.push_back("source rename");
  });
  ASSERT_TRUE(encrypt(source));
  EXPECT_TRUE(gotThrough.empty()) << gotThrough.front();
  EXPECT_FALSE(files_.deleteFile(source)) << "the source was free to be swapped before its deletion";

  std::string why;
  EXPECT_FALSE(component_.deleteSource("C:\\docs\\other.txt", why));
  EXPECT_EQ(why, "it is not the file just done");
  ASSERT_TRUE(component_.deleteSource(source, why)) << why;
  EXPECT_FALSE(files_.exists(source));
  EXPECT_EQ(files_.openFileCount(), 0u);

  // Decryption the same way: the checked plain file takes the name, the .ts7 goes by its handle.
  ASSERT_TRUE(decrypt(source + ".ts7"));
  EXPECT_TRUE(gotThrough.empty()) << gotThrough.front();
  EXPECT_EQ(*files_.content(source), content);
  ASSERT_TRUE(component_.deleteSource(source + ".ts7", why)) << why;
  EXPECT_FALSE(files_.exists(source + ".ts7"));
  // A read-only source stays, and says why.
  files_.setAttributes(source, platform::sim::AttributeReadOnly);
  component_.setBeforeRename(nullptr);
  ASSERT_TRUE(encrypt(source));
  EXPECT_FALSE(component_.deleteSource(source, why));
  EXPECT_TRUE(files_.exists(source));
  expectNoTemporaries();
}

TEST_F(EncryptionComponentTest, FilesOfSeveralRunsDeriveOncePerSalt) {
  for (const char* name : {"a", "b", "c"}) files_.addFile(std::string("C:\\docs\\") + name, name);
  ASSERT_TRUE(encrypt("C:\\docs\\a"));
  ASSERT_TRUE(encrypt("C:\\docs\\b"));
  component_.forgetKeys();  // the run ended; the next one has a new salt
  ASSERT_TRUE(encrypt("C:\\docs\\c"));
  for (const char* name : {"a", "b", "c"}) files_.deleteFile(std::string("C:\\docs\\") + name);
  EncryptionComponent fresh(files_, {1000, 100000});
  fresh.setActive(true);
  for (const char* name : {"a", "b", "c"})
    ASSERT_TRUE(fresh.decrypt(std::string("C:\\docs\\") + name + ".ts7", std::string("C:\\docs\\") + name, "secret"));
  EXPECT_EQ(fresh.keyDerivations(), 2u);
  EXPECT_EQ(*files_.content("C:\\docs\\c"), "c");
}

TEST_F(EncryptionComponentTest, WrongPasswordIsErrorFourAndWritesNothing) {
  const std::string sealed = encrypted(pattern(100000));
  const auto before = files_.filePaths();
  EXPECT_FALSE(decrypt("C:\\docs\\a.txt.ts7", "Secret"));
  EXPECT_EQ(lastError(), ErrorWrongPassword);
  EXPECT_EQ(errors_.back().second, "The password does not match C:\\docs\\a.txt.ts7.");
  EXPECT_EQ(files_.filePaths(), before);
  EXPECT_EQ(*files_.content("C:\\docs\\a.txt.ts7"), sealed);
  expectNoTemporaries();
}

TEST_F(EncryptionComponentTest, TamperedTruncatedReorderedOrExtendedFilesFailWithoutOutput) {
  const std::string sealed = encrypted(pattern(3 * 65536 + 100));
  const std::size_t chunk = ts7::ChunkSize + ts7::TagSize;
  const std::size_t body = ts7::HeaderSize;
  struct Case {
    const char* what;
    std::string bytes;
    int error;
  };
  std::vector<Case> cases;
  const auto flipped = [&](std::size_t at) {
    std::string copy = sealed;
    copy[at] = static_cast<char>(copy[at] ^ 0x20);
    return copy;
  };
  cases.push_back({"flipped content byte", flipped(body + chunk + 10), ErrorDamaged});
  cases.push_back({"flipped tag byte", flipped(body + chunk - 1), ErrorDamaged});
  cases.push_back({"flipped plain size", flipped(49), ErrorDamaged});
  cases.push_back({"flipped last-write time", flipped(57), ErrorDamaged});
  cases.push_back({"flipped header MAC", flipped(100), ErrorDamaged});
  cases.push_back({"flipped salt", flipped(20), ErrorWrongPassword});
  cases.push_back({"flipped magic", flipped(0), ErrorUnknownFormat});
  cases.push_back({"unknown version", flipped(8), ErrorUnknownFormat});
  cases.push_back({"truncated by a chunk", sealed.substr(0, sealed.size() - 100 - ts7::TagSize), ErrorDamaged});
  cases.push_back({"truncated by a byte", sealed.substr(0, sealed.size() - 1), ErrorDamaged});
  cases.push_back({"header cut short", sealed.substr(0, 40), ErrorDamaged});
  cases.push_back({"extended", sealed + std::string(chunk, 'x'), ErrorDamaged});
  cases.push_back({"not a .ts7 file", "Hello, world", ErrorUnknownFormat});
  cases.push_back({"empty", "", ErrorUnknownFormat});
  std::string swapped = sealed;
  std::copy_n(sealed.begin() + body, chunk, swapped.begin() + body + chunk);
  std::copy_n(sealed.begin() + body + chunk, chunk, swapped.begin() + body);
  cases.push_back({"two chunks swapped", swapped, ErrorDamaged});
  // The last chunk dropped and the one before it claimed to be the whole:
  // the size in the header is authenticated, so this fails too.
  for (const Case& c : cases) {
    files_.addFile("C:\\docs\\a.txt.ts7", c.bytes);
    EXPECT_FALSE(decrypt("C:\\docs\\a.txt.ts7")) << c.what;
    EXPECT_EQ(lastError(), c.error) << c.what;
    EXPECT_FALSE(files_.exists("C:\\docs\\a.txt")) << c.what;
    expectNoTemporaries();
  }
  EXPECT_EQ(errors_.front().second, "C:\\docs\\a.txt.ts7 is damaged or truncated.");
}

TEST_F(EncryptionComponentTest, ExistingTargetsLockedSourcesAndAbortsLeaveEverythingAsItWas) {
  files_.addFile("C:\\docs\\a.txt", "plain");
  files_.addFile("C:\\docs\\a.txt.ts7", "someone else's");
  EXPECT_FALSE(encrypt("C:\\docs\\a.txt"));
  EXPECT_EQ(lastError(), ErrorTargetExists);
  EXPECT_EQ(errors_.back().second, "C:\\docs\\a.txt.ts7 already exists and was left as it is.");
  EXPECT_EQ(*files_.content("C:\\docs\\a.txt.ts7"), "someone else's");
  // A large file's existing target is found before any work is done.
  files_.addFile("C:\\docs\\large", pattern(1 << 20));
  files_.addFile("C:\\docs\\large.ts7", "someone else's");
  const int created = files_.callCount(FileOperation::Create);
  EXPECT_FALSE(encrypt("C:\\docs\\large"));
  EXPECT_EQ(lastError(), ErrorTargetExists);
  EXPECT_EQ(files_.callCount(FileOperation::Create), created);
  files_.deleteFile("C:\\docs\\large");
  files_.deleteFile("C:\\docs\\large.ts7");

  files_.deleteFile("C:\\docs\\a.txt.ts7");
  files_.lockFile("C:\\docs\\a.txt");
  EXPECT_FALSE(encrypt("C:\\docs\\a.txt"));
  EXPECT_EQ(lastError(), ErrorCannotRead);
  EXPECT_EQ(errors_.back().second, "Cannot read C:\\docs\\a.txt: the file is in use by another program.");
  files_.lockFile("C:\\docs\\a.txt", false);

  // Abort from the progress event stops at the next chunk.
  files_.addFile("C:\\docs\\big", pattern(10 * 65536));
  component_.Progress = [this](int percent) {
    if (percent >= 20) component_.abort();
  };
  EXPECT_FALSE(encrypt("C:\\docs\\big"));
  EXPECT_EQ(lastError(), ErrorAborted);
  EXPECT_FALSE(component_.active());
  // A call made while the property is False does nothing.
  component_.setActive(false);
  EXPECT_FALSE(component_.encrypt("C:\\docs\\a.txt", "C:\\docs\\a.txt.ts7", "secret"));
  EXPECT_EQ(lastError(), ErrorAborted);
  EXPECT_EQ(files_.filePaths(), (std::vector<std::string>{"C:\\docs\\a.txt", "C:\\docs\\big"}));
  expectNoTemporaries();

  // A second call from inside an event is refused; the first goes on.
  component_.Progress = [this](int) { component_.decrypt("C:\\docs\\x.ts7", "C:\\docs\\x", "secret"); };
  EXPECT_TRUE(encrypt("C:\\docs\\a.txt"));
  EXPECT_EQ(lastError(), ErrorBusy);
}

// Every read, write, flush, rename, delete, open and create that one
// encryption and one decryption make is failed in turn: no byte of any file
// is lost and no temporary file stays.
TEST_F(EncryptionComponentTest, EveryInjectedFaultLosesNothingAndLeavesNoTemporary) {
  const std::string content = pattern(5 * 65536 + 17);
  const std::string sealed = encrypted(content);
  struct Mode {
    const char* name;
    std::string source, target, sourceContent, targetContent;
    bool encrypting;
  };
  const Mode modes[] = {{"encrypt", "C:\\docs\\a.txt", "C:\\docs\\a.txt.ts7", content, {}, true},
                        {"decrypt", "C:\\docs\\a.txt.ts7", "C:\\docs\\a.txt", sealed, content, false}};
  const FileOperation operations[] = {FileOperation::Open,  FileOperation::Create, FileOperation::Read,
                                      FileOperation::Write, FileOperation::Flush,  FileOperation::Rename};
  for (const Mode& mode : modes) {
    const auto run = [&] {
      files_ = SimFiles();
      files_.addFile(mode.source, mode.sourceContent);
      files_.resetCounts();
      component_.setActive(true);
      return mode.encrypting ? component_.encrypt(mode.source, mode.target, "secret")
                             : component_.decrypt(mode.source, mode.target, "secret");
    };
    ASSERT_TRUE(run());
    int counts[static_cast<int>(FileOperation::Count)];
    for (const FileOperation op : operations) counts[static_cast<int>(op)] = files_.callCount(op);
    for (const FileOperation op : operations) {
      for (int nth = 1; nth <= counts[static_cast<int>(op)]; ++nth) {
        for (const bool alsoFailCleanUp : {false, true}) {
          files_ = SimFiles();
          files_.addFile(mode.source, mode.sourceContent);
          files_.resetCounts();
          files_.failOn(op, nth, platform::FileError::DiskFull);
          if (alsoFailCleanUp) files_.failOn(FileOperation::Delete, 1);
          component_.setActive(true);
          const bool ok = mode.encrypting ? component_.encrypt(mode.source, mode.target, "secret")
                                          : component_.decrypt(mode.source, mode.target, "secret");
          const std::string where = std::string(mode.name) + " op " + std::to_string(static_cast<int>(op)) + " #" +
                                    std::to_string(nth) + (alsoFailCleanUp ? " + delete" : "");
          EXPECT_FALSE(ok) << where;
          EXPECT_EQ(*files_.content(mode.source), mode.sourceContent) << where;
          EXPECT_FALSE(files_.exists(mode.target)) << where;
          // A temporary the component could not delete goes with the next
          // pass through its folder.
          if (alsoFailCleanUp && files_.fileCount() > 1) {
            EXPECT_EQ(component_.removeLeftovers("C:\\docs"), 1);
          }
          EXPECT_EQ(files_.fileCount(), 1u) << where;
          expectNoTemporaries();
        }
      }
    }
  }
  // A large file's output is written and flushed by a worker thread beside
  // the caller's events; its failures count the same, both ways.
  const std::string big = pattern(5 << 20);
  // Past 32 MiB a flush runs beside the writing: its failure is seen too.
  const std::string huge = pattern(40 << 20);
  for (const auto& [op, nth, content] : {std::tuple{FileOperation::Write, 3, &big}, {FileOperation::Flush, 1, &big},
                                         {FileOperation::Flush, 1, &huge}}) {
    for (const bool encrypting : {true, false}) {
      files_ = SimFiles();
      files_.addFile("C:\\docs\\big", *content);
      ASSERT_TRUE(encrypt("C:\\docs\\big"));
      files_.deleteFile(encrypting ? "C:\\docs\\big.ts7" : "C:\\docs\\big");
      files_.failOn(op, nth, platform::FileError::DiskFull);
      EXPECT_FALSE(encrypting ? encrypt("C:\\docs\\big") : decrypt("C:\\docs\\big.ts7"));
      const std::string target = encrypting ? "C:\\docs\\big.ts7" : "C:\\docs\\big";
      EXPECT_EQ(errors_.back().second, "Cannot write " + target + ": the disk is full.");
      EXPECT_EQ(files_.fileCount(), 1u);
      expectNoTemporaries();
    }
  }

  // A full disk as such, not injected: the output stops part-way.
  files_ = SimFiles();
  files_.addFile("C:\\docs\\a.txt", content);
  files_.setCapacity(content.size() + 100000);
  EXPECT_FALSE(encrypt("C:\\docs\\a.txt"));
  EXPECT_EQ(errors_.back().second, "Cannot write C:\\docs\\a.txt.ts7: the disk is full.");
  EXPECT_EQ(files_.filePaths(), std::vector<std::string>{"C:\\docs\\a.txt"});
}

// The slow derivation runs beside the caller's events, which can abort it;
// the key it was deriving is still kept for the next file.
TEST_F(EncryptionComponentTest, AbortDuringTheKeyDerivationKeepsTheKeyComing) {
  EncryptionComponent slow(files_, {600000, 10000000});
  int errors = 0;
  slow.Error = [&](int number, const std::string&) { errors = number; };
  slow.LetEventsRun = [&] { slow.abort(); };
  files_.addFile("C:\\docs\\a.txt", "plain");
  slow.setActive(true);
  EXPECT_FALSE(slow.encrypt("C:\\docs\\a.txt", "C:\\docs\\a.txt.ts7", "secret"));
  EXPECT_EQ(errors, ErrorAborted);
  EXPECT_EQ(files_.fileCount(), 1u);
  slow.LetEventsRun = nullptr;
  slow.setActive(true);
  EXPECT_TRUE(slow.encrypt("C:\\docs\\a.txt", "C:\\docs\\a.txt.ts7", "secret"));
  EXPECT_EQ(slow.keyDerivations(), 1u);
}

TEST_F(EncryptionComponentTest, LeftoverTemporariesAreRecognisedAndRemoved) {
  files_.addFile("C:\\docs\\~ts70123456789abcdef.tmp", "left by a killed process");
  files_.addFile("C:\\docs\\~TS70123456789ABCDEF.TMP.txt", "a user's file");
  files_.addFile("C:\\docs\\~ts7-not-ours.tmp", "a user's file");
  files_.addFolder("C:\\docs\\~ts7fedcba9876543210.tmp");
  EXPECT_EQ(component_.removeLeftovers("C:\\docs\\"), 1);
  EXPECT_EQ(files_.fileCount(), 2u);
  EXPECT_TRUE(EncryptionComponent::isTemporaryName("~TS7FEDCBA9876543210.tmp"));
  EXPECT_FALSE(EncryptionComponent::isTemporaryName("~ts7fedcba987654321g.tmp"));
}

// A small file costs what a plain copy costs in names and flushes: its
// output is created under the target's own name and flushed once. A kill
// can leave it cut short there; such a file never decrypts, and the next
// encryption of its source (or decryption of its .ts7) replaces it, while a
// whole or foreign file of that name stays as it is.
TEST_F(EncryptionComponentTest, SmallFilesTakeOneNameAndOneFlushAndACutOutputIsReplacedNextTime) {
  const std::string content = pattern(2 * 65536 + 5);
  files_.addFile("C:\\docs\\a.txt", content);
  files_.resetCounts();
  ASSERT_TRUE(encrypt("C:\\docs\\a.txt"));
  EXPECT_EQ(files_.callCount(FileOperation::Create), 1);
  EXPECT_EQ(files_.callCount(FileOperation::Rename), 0);
  EXPECT_EQ(files_.callCount(FileOperation::Flush), 1);
  const std::string sealed = *files_.content("C:\\docs\\a.txt.ts7");

  // Cut anywhere, even after its last chunk's tag but one byte: damaged.
  for (const std::size_t cut : {std::size_t{0}, std::size_t{5}, ts7::HeaderSize + 10, sealed.size() - 1}) {
    files_.addFile("C:\\docs\\cut.ts7", sealed.substr(0, cut));
    component_.setActive(true);
    EXPECT_FALSE(component_.decrypt("C:\\docs\\cut.ts7", "C:\\docs\\cut", "secret")) << cut;
    EXPECT_FALSE(files_.exists("C:\\docs\\cut"));
    // Its source's next encryption replaces it.
    files_.addFile("C:\\docs\\cut", content);
    ASSERT_TRUE(encrypt("C:\\docs\\cut")) << cut;
    files_.deleteFile("C:\\docs\\cut");
    ASSERT_TRUE(decrypt("C:\\docs\\cut.ts7")) << cut;
    EXPECT_EQ(*files_.content("C:\\docs\\cut"), content);
    files_.deleteFile("C:\\docs\\cut");
    files_.deleteFile("C:\\docs\\cut.ts7");
  }
  // A whole .ts7 and a short file that is not a .ts7 stay.
  files_.addFile("C:\\docs\\b.txt", content);
  files_.addFile("C:\\docs\\b.txt.ts7", sealed);
  EXPECT_FALSE(encrypt("C:\\docs\\b.txt"));
  EXPECT_EQ(lastError(), ErrorTargetExists);
  files_.addFile("C:\\docs\\b.txt.ts7", "TS7F but not");
  EXPECT_FALSE(encrypt("C:\\docs\\b.txt"));
  EXPECT_EQ(*files_.content("C:\\docs\\b.txt.ts7"), "TS7F but not");

  // Decryption: a plain file that is the beginning of the content is a cut
  // output and is replaced; one that differs, or is whole, stays.
  files_.deleteFile("C:\\docs\\a.txt");
  files_.resetCounts();
  files_.addFile("C:\\docs\\a.txt", content.substr(0, 70000));
  ASSERT_TRUE(decrypt("C:\\docs\\a.txt.ts7"));
  EXPECT_EQ(*files_.content("C:\\docs\\a.txt"), content);
  EXPECT_EQ(files_.callCount(FileOperation::Rename), 0);
  EXPECT_EQ(files_.callCount(FileOperation::Flush), 1);
  for (const std::string& other : {content.substr(1, 70000), content}) {
    files_.addFile("C:\\docs\\a.txt", other);
    EXPECT_FALSE(decrypt("C:\\docs\\a.txt.ts7"));
    EXPECT_EQ(lastError(), ErrorTargetExists);
    EXPECT_EQ(*files_.content("C:\\docs\\a.txt"), other);
  }
  expectNoTemporaries();
}

// A large file goes through the reader, the sealing and the writer at once:
// a read failure on the reader's thread, an abort while all three run, and a
// byte the disk gives back changed (found by the check that follows each
// flush, before the whole file is written) all end the call with its own
// error, the source as it was and no output.
TEST_F(EncryptionComponentTest, APipelinedFileStopsCleanlyOnAReadFaultAnAbortOrADamagedWrite) {
  const std::string big = pattern(40 << 20, 3);
  struct Case {
    const char* name;
    std::function<void()> arrange;
    int error;
  };
  int percentSeen = 0;
  const Case cases[] = {
      {"read fault", [&] { files_.failOn(FileOperation::Read, 20, platform::FileError::Other); }, ErrorCannotRead},
      {"abort",
       [&] {
         component_.Progress = [&](int percent) {
           percentSeen = percent;
           if (percent >= 30) component_.abort();
         };
       },
       ErrorAborted},
      {"damaged",
       [&] {
         component_.Progress = [&](int percent) {
           if (percent != 50 || percentSeen == 50) return;
           percentSeen = 50;
           for (const std::string& path : files_.filePaths())
             if (EncryptionComponent::isTemporaryName(path.substr(path.rfind('\\') + 1))) files_.damage(path, 300000);
         };
       },
       ErrorVerifyFailed},
  };
  for (const Case& c : cases) {
    files_ = SimFiles();
    files_.addFile("C:\\docs\\big", big);
    component_.Progress = nullptr;
    percentSeen = 0;
    c.arrange();
    EXPECT_FALSE(encrypt("C:\\docs\\big")) << c.name;
    EXPECT_EQ(lastError(), c.error) << c.name << ": " << errors_.back().second;
    if (c.error == ErrorAborted) {
      EXPECT_LT(percentSeen, 40) << "the abort took effect within a few chunks";
    }
    EXPECT_EQ(files_.filePaths(), std::vector<std::string>{"C:\\docs\\big"}) << c.name;
    EXPECT_TRUE(*files_.content("C:\\docs\\big") == big) << c.name;
    expectNoTemporaries();
  }
  // A file whose last block fills a flush step: that flush's check covers
  // all of it, and the last one finds nothing left to check.
  component_.Progress = nullptr;
  files_ = SimFiles();
  files_.addFile("C:\\docs\\even", pattern(32 << 20));
  ASSERT_TRUE(encrypt("C:\\docs\\even")) << errors_.back().second;
  // Decryption reads ahead the same way.
  files_ = SimFiles();
  files_.addFile("C:\\docs\\big", big);
  ASSERT_TRUE(encrypt("C:\\docs\\big"));
  files_.deleteFile("C:\\docs\\big");
  const std::string sealed = *files_.content("C:\\docs\\big.ts7");
  files_.failOn(FileOperation::Read, 25, platform::FileError::Other);
  EXPECT_FALSE(decrypt("C:\\docs\\big.ts7"));
  EXPECT_EQ(lastError(), ErrorCannotRead);
  ASSERT_TRUE(decrypt("C:\\docs\\big.ts7"));
  EXPECT_TRUE(*files_.content("C:\\docs\\big") == big);
  EXPECT_TRUE(*files_.content("C:\\docs\\big.ts7") == sealed);
  expectNoTemporaries();
}

class Ts7VectorTest : public EncryptionComponentTest {
 protected:
  Ts7VectorTest()
      : EncryptionComponentTest({ts7_vector::Iterations, 10000000, ts7_vector::CountingRandom{}}) {}
};

// Writing the vector's inputs with the default iteration count gives exactly
// the checked-in file, and the file decrypts to the inputs; the Windows tests
// check the same with CNG. TS7_WRITE_VECTOR=path writes the file instead.
TEST_F(Ts7VectorTest, OpenSslWritesAndReadsTheCheckedInVector) {
  files_.addFile("C:\\docs\\vector.bin", ts7_vector::content());
  files_.setLastWriteTime("C:\\docs\\vector.bin", ts7_vector::LastWrite);
  component_.setActive(true);
  ASSERT_TRUE(component_.encrypt("C:\\docs\\vector.bin", "C:\\docs\\vector.ts7", ts7_vector::Password));
  const std::string written = *files_.content("C:\\docs\\vector.ts7");
  if (const char* out = std::getenv("TS7_WRITE_VECTOR")) std::ofstream(out, std::ios::binary) << written;
  std::ifstream in(std::string(TESSARA_SOURCE_DIR) + "/" + ts7_vector::RelativePath, std::ios::binary);
  const std::string vector((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_EQ(vector.size(), written.size());
  EXPECT_TRUE(vector == written);
  files_.addFile("C:\\docs\\checked-in.ts7", vector);
  ASSERT_TRUE(component_.decrypt("C:\\docs\\checked-in.ts7", "C:\\docs\\out.bin", ts7_vector::Password));
  EXPECT_TRUE(*files_.content("C:\\docs\\out.bin") == ts7_vector::content());
  EXPECT_EQ(*files_.lastWriteTime("C:\\docs\\out.bin"), ts7_vector::LastWrite);
}

}  // namespace
