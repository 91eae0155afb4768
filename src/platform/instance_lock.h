// One running copy per data folder. The lock is taken on the folder itself,
// opened from its own bytes (whatever its name's encoding), so no file that
// someone planted in it can stand in the way, and the system drops it when
// the program ends, crashed or not: no stale lock is ever guessed at.
#pragma once

#include <string>

namespace tallix {

enum class LockOutcome {
  Taken,          // this copy holds it for the rest of its run
  HeldElsewhere,  // another running copy holds it
  Failed,         // it could not be taken: `error` tells why (an errno value)
};

struct FolderLock {
  LockOutcome outcome = LockOutcome::Failed;
  int error = 0;
};

// Takes the lock on `folder` (ending in its separator) and keeps it until the
// program ends.
FolderLock lockDataFolder(const std::string& folder);

}  // namespace tallix
