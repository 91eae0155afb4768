// The program's answers to the store's file steps: nothing fails on purpose,
// every write is forced to the disk. Test programs replace this file's two
// functions with tests/support/fault_counter.cpp.
#include "store/fault.h"

namespace tallix {

bool injectFault(PendingError& /*error*/) { return false; }
bool durableWrites() { return true; }

}  // namespace tallix
