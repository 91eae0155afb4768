// The folder-level file steps: existence, copy, rename, delete, folder
// creation and listing. Each counted step records its failure in the
// PendingError it is given and returns false.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "store/pending_error.h"

namespace tallix {

// True when a regular file of that name exists (a folder is not a file).
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);

// Copies `from` over `to`: the copy is written beside `to` under a temporary
// name and renamed into place, so `to` is either the old or the whole new file.
bool copyFile(const std::string& from, const std::string& to, PendingError& error);
// Renames a file; fails when `to` exists already.
bool renameFile(const std::string& from, const std::string& to, PendingError& error);
bool deleteFile(const std::string& path, PendingError& error);
// Creates a folder; one that exists already is no failure.
bool makeFolder(const std::string& path, PendingError& error);
// The names (without folder) of the regular files in `folder` whose names end
// in `suffix` (".log"), in natural order: 1.log, 2.log, 10.log, CountRec.log.
bool listFiles(const std::string& folder, const std::string& suffix, std::vector<std::string>& names,
               PendingError& error);

// Writes `text` to a new file beside `path` and renames it into place, so
// `path` is either the old or the whole new file.
bool writeWholeFile(const std::string& path, std::string_view text, PendingError& error);

// Natural order of names: digit runs compare by value, letters without case.
bool naturalLess(const std::string& a, const std::string& b);

}  // namespace tallix
