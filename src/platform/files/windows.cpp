// The file calls on Windows: wide paths from UTF-8, no following of links
// (reparse points), new files made with CREATE_NEW, renames written through.
#include <windows.h>

#include <bcrypt.h>

#include <algorithm>
#include <cctype>
#include <cerrno>

#include "platform/files.h"

namespace tallix::os {
namespace {

std::wstring widePath(const std::string& path) {
  if (path.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), wide.data(), size);
  return wide;
}

int errnoOf(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS: return 0;
    case ERROR_FILE_NOT_FOUND: return ENOENT;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE: return ENOTDIR;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD: return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EBUSY;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_CANT_RESOLVE_FILENAME: return ELOOP;
    default: return EIO;
  }
}

int lastError() { return errnoOf(GetLastError()); }

HANDLE win(Handle handle) { return reinterpret_cast<HANDLE>(handle); }

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A reparse point (a symbolic link or a junction) is opened as itself and
// then refused, so it is never followed.
int keepRegularOnly(HANDLE opened, Handle& handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  int why = 0;
  if (!GetFileInformationByHandle(opened, &info)) {
    why = lastError();
  } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    why = ELOOP;
  } else if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    why = EISDIR;
  } else if (GetFileType(opened) != FILE_TYPE_DISK) {
    why = EINVAL;
  }
  if (why != 0) {
    CloseHandle(opened);
    return why;
  }
  handle = reinterpret_cast<Handle>(opened);
  return 0;
}

}  // namespace

void fillRandom(unsigned char* bytes, std::size_t count) {
  BCryptGenRandom(nullptr, bytes, static_cast<ULONG>(count), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
}

int openExisting(const std::string& path, Access access, Handle& handle) {
  const DWORD rights = access == Access::Read ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
  HANDLE opened = CreateFileW(widePath(path).c_str(), rights, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return lastError();
  return keepRegularOnly(opened, handle);
}

int createNew(const std::string& path, Handle& handle) {
  // The new file inherits the folder's permissions: the user's own profile
  // folder, or the folder of a portable copy that only its user can write.
  HANDLE opened = CreateFileW(widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return lastError();
  handle = reinterpret_cast<Handle>(opened);
  return 0;
}

int sizeOf(Handle handle, long long& size) {
  LARGE_INTEGER value{};
  if (!GetFileSizeEx(win(handle), &value)) return lastError();
  size = static_cast<long long>(value.QuadPart);
  return 0;
}

int readAt(Handle handle, long long offset, char* data, std::size_t count, std::size_t& got) {
  got = 0;
  while (got < count) {
    OVERLAPPED at{};
    const auto where = static_cast<unsigned long long>(offset) + got;
    at.Offset = static_cast<DWORD>(where & 0xFFFFFFFFULL);
    at.OffsetHigh = static_cast<DWORD>(where >> 32);
    const auto ask = static_cast<DWORD>(count - got > 0x40000000 ? 0x40000000 : count - got);
    DWORD n = 0;
    if (!ReadFile(win(handle), data + got, ask, &n, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return lastError();
    }
    if (n == 0) break;
    got += n;
  }
  return 0;
}

int writeAt(Handle handle, long long offset, const char* data, std::size_t count) {
  std::size_t done = 0;
  while (done < count) {
    OVERLAPPED at{};
    const auto where = static_cast<unsigned long long>(offset) + done;
    at.Offset = static_cast<DWORD>(where & 0xFFFFFFFFULL);
    at.OffsetHigh = static_cast<DWORD>(where >> 32);
    const auto ask = static_cast<DWORD>(count - done > 0x40000000 ? 0x40000000 : count - done);
    DWORD n = 0;
    if (!WriteFile(win(handle), data + done, ask, &n, &at)) return lastError();
    if (n == 0) return ENOSPC;
    done += n;
  }
  return 0;
}

int syncData(Handle handle) { return FlushFileBuffers(win(handle)) ? 0 : lastError(); }

int closeHandle(Handle& handle) {
  if (handle == kNoHandle) return 0;
  const BOOL closed = CloseHandle(win(handle));
  handle = kNoHandle;
  return closed ? 0 : lastError();
}

int replaceWith(const std::string& from, const std::string& to) {
  return MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 0
             : lastError();
}

int renameNew(const std::string& from, const std::string& to) {
  return MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), MOVEFILE_WRITE_THROUGH) ? 0 : lastError();
}

int removeFile(const std::string& path) {
  // DeleteFileW removes a link itself, never what it names.
  return DeleteFileW(widePath(path).c_str()) ? 0 : lastError();
}

int syncFolder(const std::string& /*folder*/) { return 0; }

int makePrivateFolder(const std::string& path) {
  // A folder made in the user's profile inherits its permissions.
  return CreateDirectoryW(widePath(path).c_str(), nullptr) ? 0 : lastError();
}

std::filesystem::path fsPath(const std::string& path) {
  return std::filesystem::path(std::u8string(path.begin(), path.end()));
}
std::string pathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

std::string folderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool sameFileName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
  });
}

bool isQuotaExceeded(int /*errnoValue*/) { return false; }

}  // namespace tallix::os
