// The fault hook of the test programs: every file operation of the store
// counts itself here, and the operation picked by setFaultAt fails as if the
// disk had refused it. Off unless a test turns it on. Linked into the test
// programs in place of src/store/fault.cpp.
#pragma once

#include "store/fault.h"

namespace tallix {

// The n-th file operation from now (1 = the next one) fails; 0 turns it off.
void setFaultAt(long n);
// File operations counted since the last resetFileOperationCount().
long fileOperationCount();
void resetFileOperationCount();

// Whether writes are forced to the disk (on by default; a test that writes
// thousands of records may turn it off).
void setDurableWrites(bool on);

}  // namespace tallix
