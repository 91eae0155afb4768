// Files of fixed-length records: the 29-byte record files (CountRec.zvt and
// every .log) and the 51-byte settings file. A file is opened, read or
// written by record number and closed again within one event; nothing is
// held open between two events. A file is never opened through a link
// planted at its name, and one that is made is made for its owner alone.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "store/pending_error.h"

namespace tallix {

inline constexpr long kRecordLength = 29;
inline constexpr long long kNoLimit = -1;

// A text cut or blank-padded to one 29-byte record.
std::string padRecord(std::string_view text);

// Records in a file of `length` bytes: the length divided by the record
// length, rounded to the nearest whole number, halves to the even one.
long recordsInLength(long long length, long recordLength);

// One open file, for random access by record. Opening a missing file creates
// it empty. Every step that fails records its error in the PendingError it
// was given and is otherwise skipped. The destructor closes the file.
class RecordFile {
 public:
  RecordFile(const std::string& path, long recordLength, PendingError& error, char fill = ' ');
  ~RecordFile();
  RecordFile(const RecordFile&) = delete;
  RecordFile& operator=(const RecordFile&) = delete;

  bool isOpen() const { return handle_ != os::kNoHandle; }
  // The file's length in bytes, or -1 when it cannot be taken.
  long long length();
  // The number of records (see recordsInLength); 0 when it cannot be taken.
  long count();
  // Reads record n (from 1) into `buffer`: exactly one record's bytes, the
  // part past the end of the file given as the fill character. On failure
  // `buffer` keeps what it held.
  bool read(long n, std::string& buffer);
  // Writes record n, cut or padded with the fill character; writing past the
  // end extends the file (a gap is filled with the fill character).
  bool write(long n, std::string_view bytes);
  // Writes consecutive records from record n in one write; the last one is
  // padded with the fill character. Either all of them reach the file or the
  // step fails.
  bool writeSpan(long n, std::string_view bytes);
  // Closes the file; false (and an error) when the close failed.
  bool close();

 private:
  bool ready();
  os::Handle handle_ = os::kNoHandle;
  long recordLength_;
  PendingError& error_;
  char fill_;
};

// One-step helpers: open, act, close.
long recordCount(const std::string& path, PendingError& error);
bool readRecord(const std::string& path, long n, std::string& buffer, PendingError& error);
bool writeRecord(const std::string& path, long n, std::string_view text, PendingError& error);
// Reads a file into `bytes` with one read (open for reading only, length,
// read, close). Of a file longer than `keepAtMost` bytes only the first
// `keepAtMost` are read; `length`, when given, receives the whole length.
// On failure `bytes` keeps what it held.
bool readWholeFile(const std::string& path, std::string& bytes, PendingError& error,
                   long long keepAtMost = kNoLimit, long long* length = nullptr);
// The same into the caller's storage: `room(n)` gives the place for the n
// bytes read, which need not be cleared first.
bool readWholeFile(const std::string& path, const std::function<char*(size_t)>& room, PendingError& error,
                   long long keepAtMost = kNoLimit, long long* length = nullptr);

}  // namespace tallix
