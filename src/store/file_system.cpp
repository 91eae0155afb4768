#include "store/file_system.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <system_error>

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
  if (name.size() < suffix.size()) return false;
  auto tail = name.substr(name.size() - suffix.size());
#ifdef _WIN32
  return std::equal(tail.begin(), tail.end(), suffix.begin(), suffix.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
#else
  return tail == suffix;
#endif
}

// Renames a finished `part` over `to`; on a failure the part is removed and
// `to` stays as it was.
bool putInPlace(const fs::path& part, const std::string& to, PendingError& error) {
  std::error_code code;
  fs::rename(part, fs::path(to), code);
  if (code) {
    raiseCode(error, code);
    std::error_code ignored;
    fs::remove(part, ignored);
    return false;
  }
  return true;
}

}  // namespace

bool fileExists(const std::string& path) {
  std::error_code code;
  return fs::is_regular_file(fs::path(path), code);
}

bool folderExists(const std::string& path) {
  std::error_code code;
  return fs::is_directory(fs::path(path), code);
}

bool copyFile(const std::string& from, const std::string& to, PendingError& error) {
  if (injectFault(error)) return false;
  std::error_code code;
  fs::file_type type = fs::status(fs::path(from), code).type();
  if (type != fs::file_type::regular) {
    error.raise(type == fs::file_type::not_found ? kFileNotFound : kPathFileAccessError);
    return false;
  }
  const fs::path part(to + ".part");
  if (!fs::copy_file(fs::path(from), part, fs::copy_options::overwrite_existing, code)) {
    raiseCode(error, code);
    fs::remove(part, code);
    return false;
  }
  return putInPlace(part, to, error);
}

bool renameFile(const std::string& from, const std::string& to, PendingError& error) {
  if (injectFault(error)) return false;
  std::error_code code;
  if (fs::exists(fs::path(to), code)) {
    error.raise(kFileAlreadyExists);
    return false;
  }
  fs::rename(fs::path(from), fs::path(to), code);
  if (code) {
    raiseCode(error, code);
    return false;
  }
  return true;
}

bool deleteFile(const std::string& path, PendingError& error) {
  if (injectFault(error)) return false;
  std::error_code code;
  fs::file_type type = fs::status(fs::path(path), code).type();
  if (type != fs::file_type::regular) {
    error.raise(type == fs::file_type::not_found ? kFileNotFound : kPathFileAccessError);
    return false;
  }
  if (!fs::remove(fs::path(path), code)) {
    raiseCode(error, code);
    return false;
  }
  return true;
}

bool makeFolder(const std::string& path, PendingError& error) {
  if (injectFault(error)) return false;
  std::error_code code;
  if (fs::is_directory(fs::path(path), code)) return true;
  if (!fs::create_directory(fs::path(path), code)) {
    if (code) raiseCode(error, code);
    else error.raise(kPathFileAccessError);
    return false;
  }
  return true;
}

bool listFiles(const std::string& folder, const std::string& suffix, std::vector<std::string>& names,
               PendingError& error) {
  if (injectFault(error)) return false;
  std::error_code code;
  fs::directory_iterator it(fs::path(folder), code);
  if (code) {
    raiseCode(error, code);
    return false;
  }
  std::vector<std::string> found;
  for (; it != fs::directory_iterator(); it.increment(code)) {
    std::error_code kindCode;
    if (!it->is_regular_file(kindCode)) continue;
    std::string name = it->path().filename().string();
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
  if (injectFault(error)) return false;
  const fs::path part(path + ".part");
  {
    errno = 0;
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      error.raiseErrno(errno != 0 ? errno : EIO);
      std::error_code ignored;
      fs::remove(part, ignored);
      return false;
    }
  }
  return putInPlace(part, path, error);
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
