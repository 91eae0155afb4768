#include "store/pending_error.h"

#include <cerrno>
#include <utility>

#include "platform/files.h"

namespace tallix {

std::string_view errorDescription(int number) {
  switch (number) {
    case kOverflow: return "Overflow";
    case kTypeMismatch: return "Type mismatch";
    case kBadFileNameOrNumber: return "Bad file name or number";
    case kFileNotFound: return "File not found";
    case kDeviceIoError: return "Device I/O error";
    case kFileAlreadyExists: return "File already exists";
    case kDiskFull: return "Disk full";
    case kPermissionDenied: return "Permission denied";
    case kPathFileAccessError: return "Path/File access error";
    case kPathNotFound: return "Path not found";
    default: return "";
  }
}

int errorFromErrno(int errnoValue) {
  if (os::isQuotaExceeded(errnoValue)) return kDiskFull;
  switch (errnoValue) {
    case ENOENT: return kFileNotFound;
    case ENOTDIR: return kPathNotFound;
    case EEXIST: return kFileAlreadyExists;
    case ENOSPC: return kDiskFull;
    case EACCES:
    case EPERM:
    case EROFS: return kPermissionDenied;
    case EISDIR:
    case ELOOP:  // a link planted where a file of ours belongs
    case EBUSY:
    case ETXTBSY:
    case ENOTEMPTY:
    case EXDEV: return kPathFileAccessError;
    case ENAMETOOLONG:
    case EINVAL:
    case EBADF: return kBadFileNameOrNumber;
    case EOVERFLOW:
    case EFBIG: return kOverflow;
    default: return kDeviceIoError;
  }
}

void PendingError::raise(int errorNumber) { raise(errorNumber, std::string(errorDescription(errorNumber))); }

void PendingError::raise(int errorNumber, std::string text) {
  number = errorNumber;
  description = std::move(text);
}

void PendingError::raiseErrno(int errnoValue) { raise(errorFromErrno(errnoValue)); }

void PendingError::clear() {
  number = 0;
  description.clear();
}

std::string failureReport(std::string_view sentence, const PendingError& error) {
  std::string text(sentence);
  text += "Error # ";
  if (error.number >= 0) text += ' ';
  text += std::to_string(error.number);  // a negative number brings its own minus sign
  text += '\r';
  text += error.description;
  return text;
}

}  // namespace tallix
