#include "platform/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace tallix {

FolderLock lockDataFolder(const std::string& folder) {
  errno = 0;
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return {LockOutcome::Failed, errno != 0 ? errno : EIO};
  int result = 0;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result == 0) return {LockOutcome::Taken, 0};  // the descriptor stays open: it is the lock
  const int why = errno;
  ::close(fd);
  if (why == EWOULDBLOCK) return {LockOutcome::HeldElsewhere, 0};
  return {LockOutcome::Failed, why};
}

}  // namespace tallix
