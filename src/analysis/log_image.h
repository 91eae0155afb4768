// A log file read into memory with one read, then taken apart record by
// record exactly as reading it from the disk record by record would: the
// record count is the length over 29 rounded half-even, and a record that
// runs past the end of the file reads padded with blanks.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "store/numbers.h"
#include "store/pending_error.h"
#include "store/record_file.h"

namespace tallix {

// Bytes of the largest log whose record count still fits a signed 16-bit
// number (32767 records and a half, rounded). Of a longer file only this much
// is kept: its count overflows, so the loader reads records 1 to 3 alone.
inline constexpr long long kMostLogBytes = 32768LL * 29;

class LogImage {
 public:
  LogImage() = default;
  explicit LogImage(std::string_view bytes);

  // Opens the file for reading only, takes its length, reads it (up to
  // `keepAtMost` bytes) with one read and closes it again. On failure records
  // the error and holds nothing.
  bool load(const std::string& path, PendingError& error, long long keepAtMost = kMostLogBytes);

  // The file's whole length in bytes, also when only part of it was kept.
  long long length() const { return length_; }
  // Records in the file (may exceed what a 16-bit count can hold).
  long count() const;
  // Record n (from 1) into `buffer`, always 29 characters; reuses the
  // buffer's storage. A record number below 1 gives blanks.
  void record(long n, std::string& buffer) const;
  std::string record(long n) const;
  // The bytes of record n that the file holds: up to 29, fewer (or none) at
  // its end. The same as the record with its padding blanks left off.
  std::string_view recordView(long n) const {
    if (n < 1 || static_cast<unsigned long long>(n - 1) >= recordsKept_) return {};
    const auto at = static_cast<size_t>(n - 1) * static_cast<size_t>(kRecordLength);
    return bytes().substr(at, static_cast<size_t>(kRecordLength));
  }
  // The bytes kept.
  std::string_view bytes() const { return {data_.get(), size_}; }

 private:
  void keepCount();

  long long length_ = 0;
  // The bytes kept, read straight into storage that is not cleared first.
  std::unique_ptr<char[]> data_;
  size_t size_ = 0;
  unsigned long long recordsKept_ = 0;  // records with at least one byte kept
};

}  // namespace tallix
