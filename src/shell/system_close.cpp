#include "shell/system_close.h"

#include <QGuiApplication>
#include <QMetaObject>

#ifdef _WIN32
#include "platform/windows/wide_text.h"
#include "platform/windows/windows_api.h"
#else
#include <QSocketNotifier>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tallix::shell {
namespace {

#ifdef _WIN32
constexpr wchar_t kWindowClass[] = L"TallixForm3";
// Marks a WM_COPYDATA that asks to show the main window; its data is the
// data folder in UTF-16.
constexpr ULONG_PTR kShowRequest = 0x54616c53;  // "TalS"

std::function<void()>& windowsClose() {
  static std::function<void()> action;
  return action;
}

struct ShowRequest {
  std::wstring appPath;
  std::function<void()> show;
};

ShowRequest& showRequest() {
  static ShowRequest request;
  return request;
}

// Answers TRUE when the request names this copy's data folder.
LRESULT answerShowRequest(const COPYDATASTRUCT& data) {
  const ShowRequest& request = showRequest();
  if (data.dwData != kShowRequest || !request.show || data.lpData == nullptr) return FALSE;
  const int length = static_cast<int>(data.cbData / sizeof(wchar_t));
  if (CompareStringOrdinal(static_cast<const wchar_t*>(data.lpData), length, request.appPath.data(),
                           static_cast<int>(request.appPath.size()), TRUE) != CSTR_EQUAL)
    return FALSE;
  // The asking copy waits for the answer; the window is shown after it.
  QMetaObject::invokeMethod(qApp, request.show, Qt::QueuedConnection);
  return TRUE;
}

// The start-up window's own native window. It is never shown; Windows sends
// it a close request (taskkill, an uninstaller) and the end of the session,
// which Qt, having no native window for the start-up window, would never see.
// Its title is the running program's path, so an installer can find the copy
// that runs from its folder.
LRESULT CALLBACK startupWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COPYDATA:
      return answerShowRequest(*reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    case WM_CLOSE:
      windowsClose()();
      return 0;
    case WM_QUERYENDSESSION:
      windowsClose()();
      return TRUE;
    case WM_ENDSESSION:
      if (wParam != FALSE) windowsClose()();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

void listenForWindowsClose(std::function<void()> endAtOnce) {
  if (windowsClose()) return;
  windowsClose() = std::move(endAtOnce);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = startupWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);
  // A top-level window (not a message-only one), so that a close request
  // sent to every window of the program finds it. Qt's event loop dispatches
  // its messages.
  CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, tallix::runningProgramPathW().c_str(), WS_POPUP, 0, 0,
                  0, 0, nullptr, nullptr, windowClass.hInstance, nullptr);
}
#else
int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte down the pipe.
extern "C" void onSignal(int /*number*/) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t wrote = ::write(signalPipe[0], &byte, 1);
}

void listenForSignals(const std::function<void()>& endAtOnce) {
  if (signalPipe[0] >= 0) return;
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
  auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, qApp);
  QObject::connect(notifier, &QSocketNotifier::activated, qApp, [endAtOnce] {
    char byte = 0;
    [[maybe_unused]] const ssize_t got = ::read(signalPipe[1], &byte, 1);
    endAtOnce();
  });
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : {SIGTERM, SIGHUP, SIGINT}) sigaction(number, &action, nullptr);
}
#endif

}  // namespace

void onSystemCloseRequest(std::function<void()> endAtOnce) {
#ifndef QT_NO_SESSIONMANAGER
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp, [endAtOnce] { endAtOnce(); });
#endif
#ifdef _WIN32
  listenForWindowsClose(std::move(endAtOnce));
#else
  listenForSignals(endAtOnce);
#endif
}

#ifdef _WIN32
void onShowRequest(const std::string& appPath, std::function<void()> show) {
  showRequest() = {tallix::wideOf(appPath), std::move(show)};
}

bool bringRunningCopyForward(const std::string& appPath) {
  std::wstring folder = tallix::wideOf(appPath);
  COPYDATASTRUCT data{};
  data.dwData = kShowRequest;
  data.cbData = static_cast<DWORD>(folder.size() * sizeof(wchar_t));
  data.lpData = folder.data();
  // This copy was started by the user, so it may let the running one come
  // to the front.
  AllowSetForegroundWindow(ASFW_ANY);
  for (HWND window = FindWindowExW(nullptr, nullptr, kWindowClass, nullptr); window != nullptr;
       window = FindWindowExW(nullptr, window, kWindowClass, nullptr)) {
    DWORD_PTR answer = FALSE;
    if (SendMessageTimeoutW(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                            &answer) != 0 &&
        answer == TRUE)
      return true;
  }
  return false;
}
#else
void onShowRequest(const std::string& /*appPath*/, std::function<void()> /*show*/) {}

bool bringRunningCopyForward(const std::string& /*appPath*/) { return false; }
#endif

}  // namespace tallix::shell
