#include "shell/system_close.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#ifndef _WIN32
#include <csignal>

#include <sys/socket.h>
#include <unistd.h>
#endif

namespace tallix::shell {
namespace {

#ifndef _WIN32
int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: one byte down the pipe.
extern "C" void onSignal(int /*number*/) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t wrote = ::write(signalPipe[0], &byte, 1);
}
#endif

}  // namespace

void onSystemCloseRequest(std::function<void()> endAtOnce) {
#ifndef QT_NO_SESSIONMANAGER
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, qApp, [endAtOnce] { endAtOnce(); });
#endif
#ifndef _WIN32
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
#endif
}

}  // namespace tallix::shell
