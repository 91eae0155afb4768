// A fault hook for tests: every file operation of the store counts itself
// here, and the operation picked by setFaultAt fails as if the disk had
// refused it. Off unless a test turns it on.
#pragma once

namespace tallix {

struct PendingError;

// The n-th file operation from now (1 = the next one) fails; 0 turns it off.
void setFaultAt(long n);
// File operations counted since the last resetFileOperationCount().
long fileOperationCount();
void resetFileOperationCount();

// Called by each file operation before it acts: counts it, and when it is
// the picked one records a device error in `error` and returns true.
bool injectFault(PendingError& error);

// Whether writes are forced to the disk before the call returns (on by
// default; a test that writes thousands of records may turn it off).
void setDurableWrites(bool on);
bool durableWrites();

}  // namespace tallix
