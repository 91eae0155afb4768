#include "store/record_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "store/fault.h"

namespace tallix {

std::string padRecord(std::string_view text) {
  std::string record(text.substr(0, kRecordLength));
  record.resize(kRecordLength, ' ');
  return record;
}

long recordsInLength(long long length, long recordLength) {
  if (length <= 0 || recordLength <= 0) return 0;
  long long whole = length / recordLength;
  long long rest = length % recordLength;
  long long twice = rest * 2;
  if (twice > recordLength || (twice == recordLength && (whole % 2) != 0)) ++whole;
  return static_cast<long>(whole);
}

namespace {

// Opens a record file, making it when it is missing: exclusively, for its
// owner alone, and never through a link planted at its name. A new file's
// name is synced into its folder at once, so the records written into it
// next cannot outlive their own file's name at a power cut.
int openOrCreate(const std::string& path, os::Handle& handle) {
  int result = os::openExisting(path, os::Access::ReadWrite, handle);
  if (result != ENOENT) return result;
  result = os::createNew(path, handle);
  // Someone else made it in between: open what is there, as usual.
  if (result == EEXIST) return os::openExisting(path, os::Access::ReadWrite, handle);
  if (result == 0 && durableWrites()) os::syncFolder(os::folderOf(path));
  return result;
}

}  // namespace

RecordFile::RecordFile(const std::string& path, long recordLength, PendingError& error, char fill)
    : recordLength_(recordLength), error_(error), fill_(fill) {
  if (injectFault(error_)) return;
  const int result = openOrCreate(path, handle_);
  if (result != 0) {
    handle_ = os::kNoHandle;
    error_.raiseErrno(result);
  }
}

RecordFile::~RecordFile() { os::closeHandle(handle_); }

bool RecordFile::ready() {
  if (injectFault(error_)) return false;
  if (handle_ == os::kNoHandle) {
    error_.raise(kBadFileNameOrNumber);
    return false;
  }
  return true;
}

long long RecordFile::length() {
  if (!ready()) return -1;
  long long size = -1;
  const int result = os::sizeOf(handle_, size);
  if (result != 0) {
    error_.raiseErrno(result);
    return -1;
  }
  return size;
}

long RecordFile::count() {
  long long size = length();
  return size < 0 ? 0 : recordsInLength(size, recordLength_);
}

bool RecordFile::read(long n, std::string& buffer) {
  if (!ready()) return false;
  if (n < 1) {
    error_.raise(kBadFileNameOrNumber);
    return false;
  }
  std::string record(static_cast<size_t>(recordLength_), fill_);
  size_t got = 0;
  const int result =
      os::readAt(handle_, static_cast<long long>(n - 1) * recordLength_, record.data(), record.size(), got);
  if (result != 0) {
    error_.raiseErrno(result);
    return false;
  }
  buffer = std::move(record);
  return true;
}

bool RecordFile::write(long n, std::string_view bytes) {
  return writeSpan(n, bytes.substr(0, static_cast<size_t>(recordLength_)));
}

bool RecordFile::writeSpan(long n, std::string_view bytes) {
  if (!ready()) return false;
  if (n < 1) {
    error_.raise(kBadFileNameOrNumber);
    return false;
  }
  const auto unit = static_cast<size_t>(recordLength_);
  std::string record(bytes);
  record.resize(std::max<size_t>(1, (record.size() + unit - 1) / unit) * unit, fill_);
  const long long offset = static_cast<long long>(n - 1) * recordLength_;
  long long size = -1;
  int result = os::sizeOf(handle_, size);
  if (result == 0) {
    if (size < offset) record.insert(0, static_cast<size_t>(offset - size), fill_);
    // The whole span leaves in one write at its place, never through a
    // buffer that could split it: a kill between two parts of a record
    // would leave a time no clock ever showed.
    result = os::writeAt(handle_, size < offset ? size : offset, record.data(), record.size());
  }
  if (result == 0 && durableWrites()) result = os::syncData(handle_);
  if (result != 0) {
    error_.raiseErrno(result);
    return false;
  }
  return true;
}

bool RecordFile::close() {
  if (injectFault(error_)) {
    os::closeHandle(handle_);
    return false;
  }
  const int result = os::closeHandle(handle_);
  if (result != 0) {
    error_.raiseErrno(result);
    return false;
  }
  return true;
}

long recordCount(const std::string& path, PendingError& error) {
  RecordFile file(path, kRecordLength, error);
  long n = file.count();
  file.close();
  return n;
}

bool readRecord(const std::string& path, long n, std::string& buffer, PendingError& error) {
  RecordFile file(path, kRecordLength, error);
  bool ok = file.read(n, buffer);
  return file.close() && ok;
}

bool writeRecord(const std::string& path, long n, std::string_view text, PendingError& error) {
  RecordFile file(path, kRecordLength, error);
  bool ok = file.write(n, text);
  return file.close() && ok;
}

bool readWholeFile(const std::string& path, const std::function<char*(size_t)>& room, PendingError& error,
                   long long keepAtMost, long long* length) {
  if (injectFault(error)) return false;
  os::Handle handle = os::kNoHandle;
  int result = os::openExisting(path, os::Access::Read, handle);
  if (result != 0) {
    error.raiseErrno(result);
    return false;
  }
  long long size = -1;
  result = os::sizeOf(handle, size);
  if (result == 0) {
    const auto keep = static_cast<size_t>(keepAtMost >= 0 && keepAtMost < size ? keepAtMost : size);
    size_t got = 0;
    result = os::readAt(handle, 0, room(keep), keep, got);
    if (result == 0 && got != keep) result = EIO;  // cut short while it was read
  }
  const int closed = os::closeHandle(handle);
  if (result == 0) result = closed;
  if (result != 0) {
    error.raiseErrno(result);
    return false;
  }
  if (length != nullptr) *length = size;
  return true;
}

bool readWholeFile(const std::string& path, std::string& bytes, PendingError& error, long long keepAtMost,
                   long long* length) {
  std::string data;
  auto room = [&data](size_t size) {
    data.resize(size);
    return data.data();
  };
  if (!readWholeFile(path, room, error, keepAtMost, length)) return false;
  bytes = std::move(data);
  return true;
}

}  // namespace tallix
