// The pending error: how every procedure that touches a file fails.
// A failing step records a number and a one-line description here and the
// procedure goes on with its next step; at its check point it reports the
// error (see failureReport) and clears it. No exception crosses a module.
#pragma once

#include <string>
#include <string_view>

namespace tallix {

// One fixed table of error numbers; operating-system errors map onto it.
enum ErrorNumber : int {
  kOverflow = 6,
  kTypeMismatch = 13,
  kBadFileNameOrNumber = 52,
  kFileNotFound = 53,
  kDeviceIoError = 57,
  kFileAlreadyExists = 58,
  kDiskFull = 61,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
};

// The description of a number of the table ("" for a number it lacks).
std::string_view errorDescription(int number);

// Maps an errno value onto the table.
int errorFromErrno(int errnoValue);

struct PendingError {
  int number = 0;
  std::string description;

  bool pending() const { return number != 0; }
  // Records an error of the table with its own description.
  void raise(int errorNumber);
  void raise(int errorNumber, std::string text);
  // Records the error an operating-system call left in errno.
  void raiseErrno(int errnoValue);
  void clear();
};

// The sentence in front of the failure report of a load of data files.
inline constexpr std::string_view kLoadingData = "Error occurred when loading data from files, ";

// The failure report: the operation's sentence, "Error # ", the number
// (a blank before it when zero or positive, its minus sign when negative),
// a carriage return and the description. The only place this text is built.
std::string failureReport(std::string_view sentence, const PendingError& error);

}  // namespace tallix
