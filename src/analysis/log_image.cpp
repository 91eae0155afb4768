#include "analysis/log_image.h"

#include <cerrno>
#include <cstdio>
#include <memory>

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

LogImage::LogImage(std::string_view bytes)
    : length_(static_cast<long long>(bytes.size())),
      data_(std::make_unique_for_overwrite<char[]>(bytes.size())),
      kept_(bytes.size()) {
  bytes.copy(data_.get(), kept_);
  keepCount();
}

void LogImage::keepCount() {
  constexpr auto kWidth = static_cast<size_t>(kRecordLength);
  recordsKept_ = (kept_ + kWidth - 1) / kWidth;
}

bool LogImage::load(const std::string& path, PendingError& error, long long keepAtMost) {
  length_ = 0;
  kept_ = 0;
  keepCount();
  data_.reset();
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
    const auto keep = static_cast<size_t>(size < keepAtMost ? size : keepAtMost);
    data_ = std::make_unique_for_overwrite<char[]>(keep);
    ok = std::fread(data_.get(), 1, keep, file) == keep;
    if (ok) kept_ = keep;
    keepCount();
  }
  int failure = ok ? 0 : (errno != 0 ? errno : EIO);
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    failure = errno != 0 ? errno : EIO;
  }
  if (!ok) {
    error.raiseErrno(failure);
    kept_ = 0;
    keepCount();
    data_.reset();
    return false;
  }
  length_ = size;
  return true;
}

long LogImage::count() const { return recordsInLength(length_, kRecordLength); }

void LogImage::record(long n, std::string& buffer) const {
  buffer.assign(recordView(n));
  buffer.resize(static_cast<size_t>(kRecordLength), ' ');
}

std::string LogImage::record(long n) const {
  std::string buffer;
  record(n, buffer);
  return buffer;
}

}  // namespace tallix
