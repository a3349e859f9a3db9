// The encryption component over real files of this system: its reader,
// writer and check threads against a real disk (the simulated files answer
// at once), and the file held from its reading to its deletion.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/posix/posix_files.h"
#include "tessara7/encryption/component_errors.h"
#include "tessara7/encryption/encryption_component.h"
#include "tessara7/encryption/pipeline.h"
#include "tessara7/encryption/ts7_format.h"

namespace {

namespace fs = std::filesystem;
using namespace tessara::encryption;

std::string readWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class RealFilesComponentTest : public ::testing::Test {
 protected:
  RealFilesComponentTest() : component_(files_, {1000, 100000}) {
    component_.Error = [this](int number, const std::string&) { errors_.push_back(number); };
    folder_ = fs::temp_directory_path() / ("tsr-real-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
  }
  ~RealFilesComponentTest() override { fs::remove_all(folder_); }

  std::string write(const std::string& name, std::size_t size, unsigned seed) {
    std::string content(size, '\0');
    std::mt19937 random(seed);
    for (char& c : content) c = static_cast<char>(random());
    std::ofstream(folder_ / name, std::ios::binary) << content;
    return content;
  }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }

  platform::posix::PosixFiles files_;
  EncryptionComponent component_;
  std::vector<int> errors_;
  fs::path folder_;
};

TEST_F(RealFilesComponentTest, LargeAndSmallFilesGoThereAndBackWithTheirTimes) {
  // One past the pipelined size with a cut last chunk, and one of a few bytes.
  for (const std::size_t size : {static_cast<std::size_t>(PipelinedSize) + 3 * ts7::ChunkSize + 123, std::size_t{10}}) {
    SCOPED_TRACE(size);
    const std::string content = write("a.bin", size, static_cast<unsigned>(size));
    const fs::file_time_type time = fs::last_write_time(folder_ / "a.bin") - std::chrono::hours(50);
    fs::last_write_time(folder_ / "a.bin", time);
    component_.holdSources(true);
    component_.setActive(true);
    ASSERT_TRUE(component_.encrypt(path("a.bin"), path("a.bin.ts7"), "secret")) << errors_.size();
    EXPECT_EQ(fs::file_size(folder_ / "a.bin.ts7"), *ts7::fileSize(size));
    std::string why;
    ASSERT_TRUE(component_.deleteSource(path("a.bin"), why)) << why;
    EXPECT_FALSE(fs::exists(folder_ / "a.bin"));

    component_.setActive(true);
    EXPECT_FALSE(component_.decrypt(path("a.bin.ts7"), path("a.bin"), "wrong"));
    EXPECT_EQ(errors_, std::vector<int>{ErrorWrongPassword});
    EXPECT_FALSE(fs::exists(folder_ / "a.bin")) << "a refused decryption left an output";
    errors_.clear();
    component_.setActive(true);
    ASSERT_TRUE(component_.decrypt(path("a.bin.ts7"), path("a.bin"), "secret"));
    EXPECT_EQ(readWhole(folder_ / "a.bin"), content);
    // Kept in the header to 100 ns, as Windows keeps file times.
    EXPECT_LT(std::chrono::abs(fs::last_write_time(folder_ / "a.bin") - time), std::chrono::nanoseconds(100));
    ASSERT_TRUE(component_.deleteSource(path("a.bin.ts7"), why)) << why;
    component_.releaseSource();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder_), {}), 1) << "a temporary or a source was left";
    fs::remove(folder_ / "a.bin");
  }
}

TEST_F(RealFilesComponentTest, ASourceMovedAwayIsNotDeletedUnderItsOldName) {
  write("a.txt", 100, 1);
  component_.holdSources(true);
  component_.setActive(true);
  ASSERT_TRUE(component_.encrypt(path("a.txt"), path("a.txt.ts7"), "secret"));
  // Here nothing holds the name while the component holds the file.
  fs::rename(folder_ / "a.txt", folder_ / "moved.txt");
  const std::string other = write("a.txt", 50, 2);
  std::string why;
  EXPECT_FALSE(component_.deleteSource(path("a.txt"), why));
  EXPECT_EQ(why, "another file has taken its name");
  EXPECT_EQ(readWhole(folder_ / "a.txt"), other);
  EXPECT_TRUE(fs::exists(folder_ / "moved.txt"));
}

TEST_F(RealFilesComponentTest, AnExistingTargetIsNeverReplaced) {
  write("a.bin", PipelinedSize + 1, 3);
  const std::string there = write("a.bin.ts7", 7, 4);
  component_.setActive(true);
  EXPECT_FALSE(component_.encrypt(path("a.bin"), path("a.bin.ts7"), "secret"));
  EXPECT_EQ(errors_, std::vector<int>{ErrorTargetExists});
  EXPECT_EQ(readWhole(folder_ / "a.bin.ts7"), there);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), {}), 2);
}

}  // namespace
