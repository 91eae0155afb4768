// Notices on Windows: the tray icon's balloon, given when the icon is shown.
#include "shell/desktop_notices.h"

#include <QSystemTrayIcon>

#include "shell/tray_icon.h"

namespace tallix::shell {

struct DesktopNotices::Bus {};

DesktopNotices::DesktopNotices(QObject* parent) : QObject(parent) {}

DesktopNotices::~DesktopNotices() = default;

void DesktopNotices::show(const QString& title, const QString& text, TrayIcon* tray,
                          std::function<void(bool)> delivered) {
  QSystemTrayIcon* icon = tray != nullptr ? tray->icon() : nullptr;
  if (icon == nullptr || !icon->isVisible()) {
    delivered(false);
    return;
  }
  icon->showMessage(title, text);
  delivered(true);
}

}  // namespace tallix::shell
