#include "analysis/log_image.h"

#include "store/record_file.h"

namespace tallix {

LogImage::LogImage(std::string_view bytes)
    : length_(static_cast<long long>(bytes.size())),
      data_(std::make_unique_for_overwrite<char[]>(bytes.size())),
      size_(bytes.size()) {
  std::copy(bytes.begin(), bytes.end(), data_.get());
  keepCount();
}

void LogImage::keepCount() {
  constexpr auto kWidth = static_cast<size_t>(kRecordLength);
  recordsKept_ = (size_ + kWidth - 1) / kWidth;
}

bool LogImage::load(const std::string& path, PendingError& error, long long keepAtMost) {
  length_ = 0;
  data_.reset();
  size_ = 0;
  auto room = [this](size_t size) {
    data_ = std::make_unique_for_overwrite<char[]>(size);
    size_ = size;
    return data_.get();
  };
  const bool ok = readWholeFile(path, room, error, keepAtMost, &length_);
  if (!ok) {
    data_.reset();
    size_ = 0;
  }
  keepCount();
  return ok;
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
