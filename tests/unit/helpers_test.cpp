// FileExists: files only, never folders, and no error escapes.
#include <gtest/gtest.h>

#include "platform/sim/sim_files.h"
#include "tessara7/common/helpers.h"

namespace tessara {
namespace {

TEST(FileExistsTest, TrueForFilesOnly) {
  platform::sim::SimFiles files;
  files.addFolder("C:\\Docs");
  files.addFile("C:\\Docs\\report.doc", "text");
  EXPECT_TRUE(FileExists(files, "C:\\Docs\\report.doc"));
  EXPECT_TRUE(FileExists(files, "c:\\docs\\REPORT.DOC")) << "names match without regard to case";
  EXPECT_FALSE(FileExists(files, "C:\\Docs"));
  EXPECT_FALSE(FileExists(files, "C:\\Docs\\missing.doc"));
  EXPECT_FALSE(FileExists(files, ""));
}

}  // namespace
}  // namespace tessara
