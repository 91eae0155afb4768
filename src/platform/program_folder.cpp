// Where the program keeps its files: the choice between a portable copy's own
// folder and the user's data folder. What differs per system is asked of
// linux/ or windows/program_folder.cpp.
#include "platform/program_folder.h"

#include <filesystem>
#include <system_error>

#include "platform/files.h"
#include "platform/program_folder_parts.h"

namespace tallix {
namespace {

namespace parts = program_folder_parts;

// Writable means a file can really be made there: permissions, a read-only
// mount and a full quota all show up this way, where a look at the mode bits
// would not see them. The test file is made exclusively under a name nobody
// can guess, so nothing planted in the folder is ever opened or cut short.
bool canWriteIn(const std::string& folder) {
  os::Handle handle = os::kNoHandle;
  std::string made;
  if (os::createBeside(folder + "tallix-write-test", handle, made) != 0) return false;
  const bool closed = os::closeHandle(handle) == 0;
  os::removeFile(made);
  return closed;
}

bool sameFolder(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code code;
  if (std::filesystem::equivalent(os::fsPath(a), os::fsPath(b), code)) return true;
  return withTrailingSeparator(a, parts::separator()) == withTrailingSeparator(b, parts::separator());
}

}  // namespace

std::string withTrailingSeparator(std::string folder, char separator) {
  if (folder.empty() || folder.back() != separator) folder.push_back(separator);
  return folder;
}

DataFolder chooseDataFolder(const std::string& programFolder, const std::string& installedFolder) {
  const char separator = parts::separator();
  // A portable copy keeps its files beside itself only in a folder that is the
  // user's own: where others can write, they could swap the files under it.
  if (!programFolder.empty() && !sameFolder(programFolder, installedFolder) &&
      parts::ownedByUserAlone(programFolder) && canWriteIn(programFolder))
    return {withTrailingSeparator(programFolder, separator), true};
  const std::string folder = parts::userDataFolder();
  if (folder.empty()) return {withTrailingSeparator(programFolder, separator), false};
  std::error_code code;
  std::string bare = folder;
  bare.pop_back();
  // The last folder is made for its owner alone; the ones above it as usual.
  std::filesystem::create_directories(os::fsPath(bare).parent_path(), code);
  os::makePrivateFolder(bare);
  return {folder, canWriteIn(folder)};
}

DataFolder programDataFolder() { return chooseDataFolder(executableFolder(), parts::installedFolder()); }

}  // namespace tallix
