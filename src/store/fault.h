// Every file step of the store asks here, before it acts, whether it is to
// fail and whether its writes are forced to the disk. The program itself
// never fails a step and always forces its writes (fault.cpp); test programs
// are linked with tests/support/fault_counter.cpp in its place, which counts
// the steps and can fail a chosen one.
#pragma once

namespace tallix {

struct PendingError;

// Called by each file operation before it acts: true (with a device error
// recorded in `error`) when the operation is to fail.
bool injectFault(PendingError& error);

// Whether writes are forced to the disk before the call returns.
bool durableWrites();

}  // namespace tallix
