#include "store/record_file.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <vector>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

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

bool seekTo(std::FILE* file, long long offset) {
#ifdef _WIN32
  return _fseeki64(file, offset, SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

long long fileLength(std::FILE* file) {
#ifdef _WIN32
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  return _ftelli64(file);
#else
  if (fseeko(file, 0, SEEK_END) != 0) return -1;
  return static_cast<long long>(ftello(file));
#endif
}

bool syncToDisk(std::FILE* file) {
  if (std::fflush(file) != 0) return false;
  if (!durableWrites()) return true;
#ifdef _WIN32
  return _commit(_fileno(file)) == 0;
#else
  return fdatasync(fileno(file)) == 0;
#endif
}

int lastErrno(int fallback) { return errno != 0 ? errno : fallback; }

}  // namespace

RecordFile::RecordFile(const std::string& path, long recordLength, PendingError& error, char fill)
    : recordLength_(recordLength), error_(error), fill_(fill) {
  if (injectFault(error_)) return;
  errno = 0;
  file_ = std::fopen(path.c_str(), "r+b");
  if (file_ == nullptr && errno == ENOENT) {
    errno = 0;
    file_ = std::fopen(path.c_str(), "w+b");
  }
  if (file_ == nullptr) error_.raiseErrno(lastErrno(EIO));
}

RecordFile::~RecordFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool RecordFile::ready() {
  if (injectFault(error_)) return false;
  if (file_ == nullptr) {
    error_.raise(kBadFileNameOrNumber);
    return false;
  }
  return true;
}

long long RecordFile::length() {
  if (!ready()) return -1;
  errno = 0;
  long long size = fileLength(file_);
  if (size < 0) error_.raiseErrno(lastErrno(EIO));
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
  errno = 0;
  if (!seekTo(file_, static_cast<long long>(n - 1) * recordLength_)) {
    error_.raiseErrno(lastErrno(EIO));
    return false;
  }
  size_t got = std::fread(record.data(), 1, record.size(), file_);
  if (got < record.size() && std::ferror(file_)) {
    std::clearerr(file_);
    error_.raiseErrno(lastErrno(EIO));
    return false;
  }
  std::clearerr(file_);
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
  long long offset = static_cast<long long>(n - 1) * recordLength_;
  errno = 0;
  long long size = fileLength(file_);
  if (size < 0) {
    error_.raiseErrno(lastErrno(EIO));
    return false;
  }
  if (size < offset) record.insert(0, static_cast<size_t>(offset - size), fill_);
  long long at = size < offset ? size : offset;
  if (!seekTo(file_, at) || std::fwrite(record.data(), 1, record.size(), file_) != record.size() ||
      !syncToDisk(file_)) {
    std::clearerr(file_);
    error_.raiseErrno(lastErrno(EIO));
    return false;
  }
  return true;
}

bool RecordFile::close() {
  if (injectFault(error_)) {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    return false;
  }
  if (file_ == nullptr) return true;
  errno = 0;
  int result = std::fclose(file_);
  file_ = nullptr;
  if (result != 0) {
    error_.raiseErrno(lastErrno(EIO));
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
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    error.raiseErrno(lastErrno(EIO));
    return false;
  }
  const long long size = fileLength(file);
  bool ok = size >= 0 && seekTo(file, 0);
  if (ok) {
    const auto keep = static_cast<size_t>(keepAtMost >= 0 && keepAtMost < size ? keepAtMost : size);
    ok = std::fread(room(keep), 1, keep, file) == keep;
  }
  int failure = ok ? 0 : lastErrno(EIO);
  if (std::fclose(file) != 0 && ok) {
    ok = false;
    failure = lastErrno(EIO);
  }
  if (!ok) {
    error.raiseErrno(failure);
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
