// The new file beside another, under a name nobody can guess: the same on
// every system but for where the random bytes come from.
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

}  // namespace tallix::os
