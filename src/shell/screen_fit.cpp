#include "shell/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tallix::shell {

QPoint keptInside(const QRect& frame, const QRect& area) {
  const int left = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
  const int top = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
  return {left, top};
}

bool placesWindows() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

QRect availableAreaAt(const QPoint& point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

void centreOnScreen(QWidget& window) {
  QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QRect room = area.marginsRemoved(kFrameAllowance);
  // No window may insist on more than the screen has.
  window.setMinimumSize(window.minimumSize().boundedTo(room.size()));
  window.resize(window.size().boundedTo(room.size()));
  const QRect centred(area.center() - QPoint(window.width() / 2, window.height() / 2), window.size());
  window.move(keptInside(centred, room));
}

}  // namespace tallix::shell
