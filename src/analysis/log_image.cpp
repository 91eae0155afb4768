#include "analysis/log_image.h"

#include <cerrno>
#include <cstdio>

#include "store/fault.h"
#include "store/record_file.h"

namespace tallix {
namespace {

long long lengthOf(std::FILE* file) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  long long size = _ftelli64(file);
  return _fseeki64(file, 0, SEEK_SET) == 0 ? size : -1;
#else
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  auto size = static_cast<long long>(ftello(file));
  return fseeko(file, 0, SEEK_SET) == 0 ? size : -1;
#endif
}

}  // namespace

bool LogImage::load(const std::string& path, PendingError& error, long long keepAtMost) {
  length_ = 0;
  bytes_.clear();
  if (injectFault(error)) return false;
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error.raiseErrno(errno != 0 ? errno : EIO);
    return false;
  }
  long long size = lengthOf(file);
  bool ok = size >= 0;
  if (ok) {
    bytes_.resize(static_cast<size_t>(size < keepAtMost ? size : keepAtMost));
    ok = std::fread(bytes_.data(), 1, bytes_.size(), file) == bytes_.size();
  }
  int failure = ok ? 0 : (errno != 0 ? errno : EIO);
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    failure = errno != 0 ? errno : EIO;
  }
  if (!ok) {
    error.raiseErrno(failure);
    bytes_.clear();
    return false;
  }
  length_ = size;
  return true;
}

long LogImage::count() const { return recordsInLength(length_, kRecordLength); }

void LogImage::record(long n, std::string& buffer) const {
  const auto width = static_cast<size_t>(kRecordLength);
  const size_t started = (bytes_.size() + width - 1) / width;  // records with at least one byte kept
  buffer.clear();
  if (n >= 1 && static_cast<size_t>(n - 1) < started) buffer.assign(bytes_, static_cast<size_t>(n - 1) * width, width);
  buffer.resize(width, ' ');
}

std::string LogImage::record(long n) const {
  std::string buffer;
  record(n, buffer);
  return buffer;
}

}  // namespace tallix
