#include "platform/program_folder.h"

namespace tallix {

std::string withTrailingSeparator(std::string folder, char separator) {
  if (folder.empty() || folder.back() != separator) folder.push_back(separator);
  return folder;
}

}  // namespace tallix
