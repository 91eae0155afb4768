#include "shell/system_close.h"

#include <QGuiApplication>

#ifdef _WIN32
#include <windows.h>
#else
#include <QSocketNotifier>
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tallix::shell {
namespace {

#ifdef _WIN32
std::function<void()>& windowsClose() {
  static std::function<void()> action;
  return action;
}

// The start-up window's own native window. It is never shown; Windows sends
// it a close request (taskkill, an uninstaller) and the end of the session,
// which Qt, having no native window for the start-up window, would never see.
LRESULT CALLBACK startupWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
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
  windowClass.lpszClassName = L"TallixForm3";
  RegisterClassW(&windowClass);
  // A top-level window (not a message-only one), so that a close request
  // sent to every window of the program finds it. Qt's event loop dispatches
  // its messages.
  CreateWindowExW(WS_EX_TOOLWINDOW, windowClass.lpszClassName, L"Tallix", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                  windowClass.hInstance, nullptr);
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

}  // namespace tallix::shell
