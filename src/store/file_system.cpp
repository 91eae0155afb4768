#include "store/file_system.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "platform/files.h"
#include "store/fault.h"

namespace fs = std::filesystem;

namespace tallix {
namespace {

void raiseCode(PendingError& error, const std::error_code& code) {
  std::error_condition generic = code.default_error_condition();
  int value = generic.category() == std::generic_category() ? generic.value() : EIO;
  error.raiseErrno(value);
}

bool endsWith(const std::string& name, const std::string& suffix) {
  return name.size() >= suffix.size() &&
         os::sameFileName(std::string_view(name).substr(name.size() - suffix.size()), suffix);
}

// The folder a step changed, synced so the change is on the disk before
// anything that depends on it happens.
bool syncFolderOf(const std::string& path, PendingError& error) {
  if (!durableWrites()) return true;
  const int result = os::syncFolder(os::folderOf(path));
  if (result != 0) error.raiseErrno(result);
  return result == 0;
}

// Copies up to `keepAtMost` bytes of the open `from` into `to`.
int copyBytes(os::Handle from, os::Handle to, long long keepAtMost) {
  long long size = 0;
  int result = os::sizeOf(from, size);
  if (keepAtMost >= 0 && keepAtMost < size) size = keepAtMost;
  std::vector<char> buffer(static_cast<size_t>(std::min<long long>(size, 1 << 20)));
  for (long long at = 0; result == 0 && at < size;) {
    const auto want = static_cast<size_t>(std::min<long long>(size - at, static_cast<long long>(buffer.size())));
    size_t got = 0;
    result = os::readAt(from, at, buffer.data(), want, got);
    if (result == 0 && got != want) result = EIO;  // the source shrank meanwhile
    if (result == 0) result = os::writeAt(to, at, buffer.data(), got);
    at += static_cast<long long>(got);
  }
  return result;
}

}  // namespace

bool fileExists(const std::string& path) {
  std::error_code code;
  // A link counts as a file that is there: every step refuses to follow it,
  // and nothing is made in its place.
  const fs::file_type type = fs::symlink_status(os::fsPath(path), code).type();
  return type == fs::file_type::regular || type == fs::file_type::symlink;
}

bool folderExists(const std::string& path) {
  std::error_code code;
  return fs::is_directory(os::fsPath(path), code);
}

bool replaceFile(const std::string& path, const std::function<int(os::Handle)>& fill, PendingError& error) {
  if (injectFault(error)) return false;
  const int result = os::replaceDurably(path, fill, durableWrites());
  if (result != 0) error.raiseErrno(result);
  return result == 0;
}

bool copyFile(const std::string& from, const std::string& to, PendingError& error, long long keepAtMost) {
  if (injectFault(error)) return false;
  os::Handle source = os::kNoHandle;
  const int opened = os::openExisting(from, os::Access::Read, source);
  if (opened != 0) {
    error.raiseErrno(opened);
    return false;
  }
  const bool copied =
      replaceFile(to, [source, keepAtMost](os::Handle target) { return copyBytes(source, target, keepAtMost); }, error);
  os::closeHandle(source);
  return copied;
}

bool renameFile(const std::string& from, const std::string& to, PendingError& error) {
  if (injectFault(error)) return false;
  const int result = os::renameNew(from, to);
  if (result != 0) {
    error.raiseErrno(result);
    return false;
  }
  if (os::folderOf(from) != os::folderOf(to)) syncFolderOf(from, error);
  return syncFolderOf(to, error);
}

bool deleteFile(const std::string& path, PendingError& error) {
  if (injectFault(error)) return false;
  std::error_code code;
  const fs::file_type type = fs::symlink_status(os::fsPath(path), code).type();
  if (type != fs::file_type::regular && type != fs::file_type::symlink) {
    error.raise(type == fs::file_type::not_found ? kFileNotFound : kPathFileAccessError);
    return false;
  }
  const int result = os::removeFile(path);
  if (result != 0) {
    error.raiseErrno(result);
    return false;
  }
  return syncFolderOf(path, error);
}

bool makeFolder(const std::string& path, PendingError& error) {
  if (injectFault(error)) return false;
  std::error_code code;
  if (fs::is_directory(fs::symlink_status(os::fsPath(path), code))) return true;
  std::string bare = path;
  while (bare.size() > 1 && (bare.back() == '/' || bare.back() == '\\')) bare.pop_back();
  const int result = os::makePrivateFolder(bare);
  if (result != 0) {
    error.raiseErrno(result == EEXIST ? EISDIR : result);
    return false;
  }
  return syncFolderOf(bare, error);
}

bool listFiles(const std::string& folder, const std::string& suffix, std::vector<std::string>& names,
               PendingError& error) {
  if (injectFault(error)) return false;
  std::error_code code;
  fs::directory_iterator it(os::fsPath(folder), code);
  if (code) {
    raiseCode(error, code);
    return false;
  }
  std::vector<std::string> found;
  for (; it != fs::directory_iterator(); it.increment(code)) {
    std::error_code kindCode;
    if (!it->is_regular_file(kindCode)) continue;
    std::string name = os::pathText(it->path().filename());
    if (endsWith(name, suffix)) found.push_back(name);
  }
  if (code) {
    raiseCode(error, code);
    return false;
  }
  std::sort(found.begin(), found.end(), naturalLess);
  names = std::move(found);
  return true;
}

bool writeWholeFile(const std::string& path, std::string_view text, PendingError& error) {
  return replaceFile(
      path, [text](os::Handle handle) { return os::writeAt(handle, 0, text.data(), text.size()); }, error);
}

bool naturalLess(const std::string& a, const std::string& b) {
  size_t i = 0;
  size_t j = 0;
  while (i < a.size() && j < b.size()) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[j]);
    if (std::isdigit(ca) && std::isdigit(cb)) {
      size_t ei = i;
      size_t ej = j;
      while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
      while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
      std::string na = a.substr(i, ei - i);
      std::string nb = b.substr(j, ej - j);
      na.erase(0, std::min(na.find_first_not_of('0'), na.size()));
      nb.erase(0, std::min(nb.find_first_not_of('0'), nb.size()));
      if (na.size() != nb.size()) return na.size() < nb.size();
      if (na != nb) return na < nb;
      i = ei;
      j = ej;
      continue;
    }
    int la = std::tolower(ca);
    int lb = std::tolower(cb);
    if (la != lb) return la < lb;
    ++i;
    ++j;
  }
  if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
  return a < b;
}

}  // namespace tallix
