// Windows always has its notification area; when Explorer restarts, Qt puts
// the icon back by itself.
#include "shell/tray_host.h"

namespace tallix::shell {

struct TrayHostWatch::Watch {};

TrayHostWatch::TrayHostWatch(QObject* parent) : QObject(parent) { present_ = true; }

TrayHostWatch::~TrayHostWatch() = default;

void TrayHostWatch::askHost() {}

void TrayHostWatch::setPresent(bool present) {
  if (present == present_) return;
  present_ = present;
  emit presenceChanged(present);
}

}  // namespace tallix::shell
