// A close request from the system (the session ending, a termination signal,
// or on Windows a close request to the start-up window) ends the program at
// once, on the user-interface thread, without running any close handler and
// so without touching the record file.
#pragma once

#include <functional>

namespace tallix::shell {

// Calls `endAtOnce` on the event loop when such a request arrives.
void onSystemCloseRequest(std::function<void()> endAtOnce);

}  // namespace tallix::shell
