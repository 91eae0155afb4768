// A close request from the system (the session ending, a termination signal,
// or on Windows a close request to the start-up window) ends the program at
// once, on the user-interface thread, without running any close handler and
// so without touching the record file.
#pragma once

#include <functional>
#include <string>

namespace tallix::shell {

// Calls `endAtOnce` on the event loop when such a request arrives.
void onSystemCloseRequest(std::function<void()> endAtOnce);

// A second start of the program brings the running copy's main window
// forward. The running copy calls onShowRequest with its data folder (after
// onSystemCloseRequest); `show` then runs on its event loop when asked. The
// refused copy calls bringRunningCopyForward with the same folder: true when
// a running copy took the request. Windows only; elsewhere nothing is asked.
void onShowRequest(const std::string& appPath, std::function<void()> show);
bool bringRunningCopyForward(const std::string& appPath);

}  // namespace tallix::shell
