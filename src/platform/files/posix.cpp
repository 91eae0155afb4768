// The file calls on Linux and other POSIX systems.
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/files.h"

namespace tallix::os {
namespace {

int lastError() { return errno != 0 ? errno : EIO; }

int fd(Handle handle) { return static_cast<int>(handle); }

// Refuses anything but a regular file once it is open: a pipe would block a
// read forever and a device is no log.
int keepRegularOnly(int opened, Handle& handle) {
  struct stat info {};
  if (::fstat(opened, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int why = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    ::close(opened);
    return why;
  }
  // Opened without blocking so that a planted pipe cannot hang the open;
  // a regular file reads and writes the same either way, but be plain.
  const int flags = ::fcntl(opened, F_GETFL);
  if (flags >= 0) ::fcntl(opened, F_SETFL, flags & ~O_NONBLOCK);
  handle = opened;
  return 0;
}

}  // namespace

void fillRandom(unsigned char* bytes, std::size_t count) {
  for (std::size_t got = 0; got < count;) {
    const ssize_t n = ::getrandom(bytes + got, count - got, 0);
    if (n > 0) got += static_cast<std::size_t>(n);
    else if (errno != EINTR) break;
  }
}

int openExisting(const std::string& path, Access access, Handle& handle) {
  const int mode = access == Access::Read ? O_RDONLY : O_RDWR;
  errno = 0;
  const int opened = ::open(path.c_str(), mode | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (opened < 0) return lastError();
  return keepRegularOnly(opened, handle);
}

int createNew(const std::string& path, Handle& handle) {
  errno = 0;
  const int opened = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (opened < 0) return lastError();
  handle = opened;
  return 0;
}

int sizeOf(Handle handle, long long& size) {
  struct stat info {};
  errno = 0;
  if (::fstat(fd(handle), &info) != 0) return lastError();
  size = static_cast<long long>(info.st_size);
  return 0;
}

int readAt(Handle handle, long long offset, char* data, std::size_t count, std::size_t& got) {
  got = 0;
  while (got < count) {
    errno = 0;
    const ssize_t n = ::pread(fd(handle), data + got, count - got, static_cast<off_t>(offset) + static_cast<off_t>(got));
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  return 0;
}

int writeAt(Handle handle, long long offset, const char* data, std::size_t count) {
  std::size_t done = 0;
  // One call writes it all on a local disk; the loop only finishes what a
  // full disk or a signal cut short.
  while (done < count) {
    errno = 0;
    const ssize_t n =
        ::pwrite(fd(handle), data + done, count - done, static_cast<off_t>(offset) + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return lastError();
    }
    if (n == 0) return ENOSPC;
    done += static_cast<std::size_t>(n);
  }
  return 0;
}

int syncData(Handle handle) {
  errno = 0;
  return ::fdatasync(fd(handle)) == 0 ? 0 : lastError();
}

int closeHandle(Handle& handle) {
  if (handle == kNoHandle) return 0;
  errno = 0;
  const int result = ::close(fd(handle));
  handle = kNoHandle;
  return result == 0 ? 0 : lastError();
}

int replaceWith(const std::string& from, const std::string& to) {
  errno = 0;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : lastError();
}

int renameNew(const std::string& from, const std::string& to) {
  errno = 0;
  // Renamed in one step that never replaces what stands at `to`.
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  const int why = lastError();
  // File systems that cannot refuse a replacement: look first, then rename.
  if (why != EINVAL && why != ENOSYS) return why;
  struct stat info {};
  if (::lstat(to.c_str(), &info) == 0) return EEXIST;
  errno = 0;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : lastError();
}

int removeFile(const std::string& path) {
  errno = 0;
  return ::unlink(path.c_str()) == 0 ? 0 : lastError();
}

int syncFolder(const std::string& folder) {
  errno = 0;
  const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return lastError();
  const int result = ::fsync(dir) == 0 ? 0 : lastError();
  ::close(dir);
  // Some file systems cannot sync a folder; their entries are as safe as they get.
  return result == EINVAL || result == EROFS ? 0 : result;
}

int makePrivateFolder(const std::string& path) {
  errno = 0;
  return ::mkdir(path.c_str(), 0700) == 0 ? 0 : lastError();
}

std::filesystem::path fsPath(const std::string& path) { return std::filesystem::path(path); }
std::string pathText(const std::filesystem::path& path) { return path.string(); }

std::string folderOf(const std::string& path) {
  const std::size_t cut = path.find_last_of('/');
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool sameFileName(std::string_view a, std::string_view b) { return a == b; }

bool isQuotaExceeded(int errnoValue) { return errnoValue == EDQUOT; }

}  // namespace tallix::os
