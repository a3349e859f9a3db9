#include "tessara7/encryption/file_protector.h"

#include "shared/names.h"
#include "tessara7/encryption/file_digest.h"

namespace tessara {

std::string FileProtector::spareCopyPath(platform::Files& files) {
  const std::string data = files.programDataFolder();
  if (data.empty()) return {};
  return data + "\\" + names::DataFolder + "\\" + names::SpareCopy;
}

void FileProtector::tmrFileProtector_Timer() {
  try {
    tick();
  } catch (...) {
    // Ignored: the next tick tries again.
  }
}

void FileProtector::tick() {
  auto& files = os_.files;
  const std::string& folder = appFolder_;
  if (folder.size() < 3) return;
  const std::string dataFile = folder + names::UninstallerData;
  // Held, the data file cannot go; not held, it may be gone for good, and
  // then there is no installation of the setup's here to guard.
  if (!dataFile_) {
    if (!files.attributes(dataFile)) return;
    dataFile_ = files.openExclusive(dataFile);
  }

  const std::string program = folder + names::MainProgram;
  const std::string spare = spareCopyPath(files);
  if (spare.empty()) return;
  const bool programThere = files.attributes(program).has_value();
  const bool spareThere = files.attributes(spare).has_value();
  if (programThere == spareThere || (programThere && spareAttempted_)) return;
  const auto recorded = os_.registry.read(platform::Root::Machine, names::GuardKey, names::ProgramDigestValue);
  if (!recorded || recorded->text.size() != 64) return;
  if (!programThere) {
    if (fileSha256Hex(files, spare) != recorded->text) return;
    files.copyFile(spare, program);
    files.setNormalAttributes(program);  // the copy came with the spare's hidden mark
  } else {
    spareAttempted_ = true;
    if (fileSha256Hex(files, program) != recorded->text) return;
    if (files.copyFile(program, spare))
      files.setAttributes(spare, platform::AttributeHiddenFile | platform::AttributeSystemFile);
  }
}

}  // namespace tessara
