// The new file beside another, under a name nobody can guess, and the
// replacement of a file through one: the same on every system but for where
// the random bytes come from.
#include <cerrno>
#include <cstdio>

#include "platform/files.h"

namespace tallix::os {

int createBeside(const std::string& path, Handle& handle, std::string& made) {
  const std::string folder = folderOf(path);
  const std::string name = path.substr(folder.size());
  for (int attempt = 0; attempt < 8; ++attempt) {
    unsigned char bytes[8] = {};
    fillRandom(bytes, sizeof bytes);
    char suffix[2 * sizeof bytes + 1] = {};
    for (std::size_t i = 0; i < sizeof bytes; ++i) std::snprintf(suffix + 2 * i, 3, "%02x", bytes[i]);
    const std::string candidate = folder + "." + name + "." + suffix + ".part";
    const int result = createNew(candidate, handle);
    if (result == 0) {
      made = candidate;
      return 0;
    }
    if (result != EEXIST) return result;  // a taken name is tried again, anything else is told
  }
  return EEXIST;
}

int replaceDurably(const std::string& path, const std::function<int(Handle)>& fill, bool sync) {
  Handle handle = kNoHandle;
  std::string part;
  int result = createBeside(path, handle, part);
  if (result != 0) return result;
  result = fill(handle);
  if (result == 0 && sync) result = syncData(handle);
  const int closed = closeHandle(handle);
  if (result == 0) result = closed;
  if (result == 0) result = replaceWith(part, path);
  if (result != 0) {
    removeFile(part);
    return result;
  }
  return sync ? syncFolder(folderOf(path)) : 0;
}

}  // namespace tallix::os
