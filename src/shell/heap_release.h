// Memory at rest. Drawing the pictures at start-up and reading a log for the
// Usage window make the heap peak for a moment; the allocator keeps what was
// freed for later unless asked to give it back. On glibc, large buffers are
// mapped on their own (so freeing one gives it back at once) and the heap's
// free pages are given back a moment after each such burst; elsewhere these
// do nothing.
#pragma once

namespace tallix::shell {

// At start, before anything is allocated: buffers of 128 KiB and more (a log
// read whole is up to 950 KiB) are mapped on their own, always, and all
// threads share one heap.
void mapLargeBuffersApart();

// Gives the heap's free pages back to the system once the program has been
// quiet for a second: call it after start-up and whenever a window that drew
// or read much is shown or closed.
void releaseFreedMemorySoon();

}  // namespace tallix::shell
