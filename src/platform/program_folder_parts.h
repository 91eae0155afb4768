// The parts of the program folder's choice that differ per system, made in
// linux/program_folder.cpp and windows/program_folder.cpp.
#pragma once

#include <string>

namespace tallix::program_folder_parts {

// The separator of folders in the paths this system gives.
char separator();
// Whether the folder belongs to the user running the program and nobody else
// may make, rename or remove files in it.
bool ownedByUserAlone(const std::string& folder);
// The user's own data folder of the program, ending in the separator; empty
// when the system does not say where the user's files go.
std::string userDataFolder();
// The folder an installed program runs from; empty when this copy was not
// installed.
std::string installedFolder();

}  // namespace tallix::program_folder_parts
