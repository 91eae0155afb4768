// The operating system's file calls that the store is built on. Every file
// is opened without following a symbolic link at its name, every new file is
// made exclusively (a name someone planted first makes the step fail) and for
// its owner alone, and every write of a span leaves in one call. Paths are
// the bytes the program was given (UTF-8 on Windows). Each call returns 0 or
// an errno value (Windows errors are translated), never throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tallix::os {

using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

enum class Access { Read, ReadWrite };

// Opens an existing regular file. A symbolic link, a folder, a device or a
// pipe at that name is refused (ELOOP, EISDIR or EINVAL) and left alone.
int openExisting(const std::string& path, Access access, Handle& handle);
// Makes a new, empty file for reading and writing: fails with EEXIST when
// anything at all stands at that name, a planted link included.
int createNew(const std::string& path, Handle& handle);
// Makes a new file beside `path` under a name nobody can guess beforehand;
// `made` receives its path.
int createBeside(const std::string& path, Handle& handle, std::string& made);

int sizeOf(Handle handle, long long& size);
// Reads up to `count` bytes at `offset`; `got` is short only at the end.
int readAt(Handle handle, long long offset, char* data, std::size_t count, std::size_t& got);
// Writes the bytes at `offset` with one call to the system, so that a kill
// can only leave all of them or none behind it.
int writeAt(Handle handle, long long offset, const char* data, std::size_t count);
// Forces the file's data to the disk.
int syncData(Handle handle);
int closeHandle(Handle& handle);

// Replaces a file's content durably, the one way every file is replaced: a
// new file is made beside `path` by createBeside, `fill` writes it, it is
// synced to the disk, renamed over `path`, and the folder is synced. `path`
// is therefore the old or the whole new file at any moment, a power cut
// included. With `sync` false the two syncs are left out.
int replaceDurably(const std::string& path, const std::function<int(Handle)>& fill, bool sync = true);

// Renames `from` over `to` (replacing it) and, on Windows, returns only when
// the rename is on the disk.
int replaceWith(const std::string& from, const std::string& to);
// Renames `from` to `to`; fails with EEXIST when `to` exists.
int renameNew(const std::string& from, const std::string& to);
// Removes a file (a link is removed itself, never what it names).
int removeFile(const std::string& path);
// Forces a folder's entries (names made, renamed or removed) to the disk.
// Windows writes them through with the step itself: nothing to do there.
int syncFolder(const std::string& folder);
// Makes a folder only its owner can enter.
int makePrivateFolder(const std::string& path);

// Fills `bytes` from the system's source of random numbers.
void fillRandom(unsigned char* bytes, std::size_t count);

// A path of the program's as the standard library's path, and back: UTF-8
// on Windows (whatever the code page), the system's own bytes elsewhere.
std::filesystem::path fsPath(const std::string& path);
std::string pathText(const std::filesystem::path& path);

// The folder part of a path, with its separator: "a/b/c.log" -> "a/b/".
std::string folderOf(const std::string& path);

// Whether two names (or ends of names) of files would name the same file:
// byte for byte here, letters without regard to case on Windows.
bool sameFileName(std::string_view a, std::string_view b);
// Whether an errno value means the user's disk quota is used up (there are
// no quotas on Windows).
bool isQuotaExceeded(int errnoValue);

}  // namespace tallix::os
