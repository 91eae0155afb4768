// The folder-level file steps: existence, copy, rename, delete, folder
// creation and listing. Each counted step records its failure in the
// PendingError it is given and returns false.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "store/pending_error.h"

namespace tallix {

// True when a regular file, or a link, stands at that name (a folder is not
// a file; a link is refused by every step that opens it).
bool fileExists(const std::string& path);
bool folderExists(const std::string& path);

// Replaces a file's content durably, the one way every file is replaced: a
// new file is made beside `path` under a name nobody can guess (never
// through anything planted there), `fill` writes it, it is synced to the
// disk, renamed over `path`, and the folder is synced. `path` is therefore
// the old or the whole new file at any moment, a power cut included.
bool replaceFile(const std::string& path, const std::function<int(os::Handle)>& fill, PendingError& error);
// Copies `from` (at most its first `keepAtMost` bytes) over `to` by replaceFile.
bool copyFile(const std::string& from, const std::string& to, PendingError& error, long long keepAtMost = -1);
// Renames a file, then syncs the folder; fails when `to` exists already.
bool renameFile(const std::string& from, const std::string& to, PendingError& error);
// Deletes a file (a link itself, never what it names), then syncs the folder.
bool deleteFile(const std::string& path, PendingError& error);
// Creates a folder for its owner alone; one that exists already is no failure.
bool makeFolder(const std::string& path, PendingError& error);
// The names (without folder) of the regular files in `folder` whose names end
// in `suffix` (".log"), in natural order: 1.log, 2.log, 10.log, CountRec.log.
bool listFiles(const std::string& folder, const std::string& suffix, std::vector<std::string>& names,
               PendingError& error);

// Writes `text` as `path`'s whole content by replaceFile.
bool writeWholeFile(const std::string& path, std::string_view text, PendingError& error);

// Natural order of names: digit runs compare by value, letters without case.
bool naturalLess(const std::string& a, const std::string& b);

}  // namespace tallix
