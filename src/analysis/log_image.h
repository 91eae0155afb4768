// A log file read into memory with one read, then taken apart record by
// record exactly as reading it from the disk record by record would: the
// record count is the length over 29 rounded half-even, and a record that
// runs past the end of the file reads padded with blanks.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "store/pending_error.h"

namespace tallix {

// Bytes of the largest log whose record count still fits a signed 16-bit
// number (32767 records and a half, rounded). Of a longer file only this much
// is kept: its count overflows, so the loader reads records 1 to 3 alone.
inline constexpr long long kMostLogBytes = 32768LL * 29;

class LogImage {
 public:
  LogImage() = default;
  explicit LogImage(std::string bytes) : length_(static_cast<long long>(bytes.size())), bytes_(std::move(bytes)) {}

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
  const std::string& bytes() const { return bytes_; }

 private:
  long long length_ = 0;
  std::string bytes_;
};

}  // namespace tallix
