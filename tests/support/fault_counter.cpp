#include "support/fault_counter.h"

#include "store/pending_error.h"

// The linker takes this file's injectFault and durableWrites in place of the
// program's own (src/store/fault.cpp), because the test support library comes
// before the store on every test program's link line. Both files define the
// same two functions and nothing else of the store's.
namespace tallix {
namespace {
long g_faultAt = 0;
long g_count = 0;
bool g_durable = true;
}  // namespace

void setFaultAt(long n) { g_faultAt = n > 0 ? g_count + n : 0; }
long fileOperationCount() { return g_count; }
void resetFileOperationCount() {
  if (g_faultAt > 0) g_faultAt -= g_count;
  g_count = 0;
}

bool injectFault(PendingError& error) {
  ++g_count;
  if (g_faultAt > 0 && g_count == g_faultAt) {
    g_faultAt = 0;
    error.raise(kDeviceIoError);
    return true;
  }
  return false;
}

void setDurableWrites(bool on) { g_durable = on; }
bool durableWrites() { return g_durable; }

}  // namespace tallix
