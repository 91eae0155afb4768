#include "shell/screen_fit.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tallix::shell {

QPoint keptInside(const QRect& frame, const QRect& area) {
  const int left = std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width()));
  const int top = std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height()));
  return {left, top};
}

namespace {
QPointer<QWidget>& owner() {
  static QPointer<QWidget> window;
  return window;
}
}  // namespace

void setDialogOwner(QWidget* window) { owner() = window; }

QWidget* dialogOwner() { return owner(); }

bool placesWindows() { return !QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

QRect availableAreaAt(const QPoint& point) {
  QScreen* screen = QGuiApplication::screenAt(point);
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

QMargins frameAround(QWidget& window) {
  // Where the system tells the frame before the window is shown (Windows
  // does once the native window exists), its own; elsewhere the allowance.
  window.winId();
  const QWindow* native = window.windowHandle();
  const QMargins frame = native != nullptr ? native->frameMargins() : QMargins();
  return frame.isNull() ? kFrameAllowance : frame;
}

void centreOnScreen(QWidget& window) {
  QScreen* screen = window.screen() != nullptr ? window.screen() : QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QMargins frame = frameAround(window);
  const QSize room = area.marginsRemoved(frame).size();
  // No window may insist on more than the screen has; its client area is
  // fitted, and its frame, title bar included, placed.
  window.setMinimumSize(window.minimumSize().boundedTo(room));
  window.resize(window.size().boundedTo(room));
  const QSize outer = window.size().grownBy(frame);
  const QRect centred(area.center() - QPoint(outer.width() / 2, outer.height() / 2), outer);
  window.move(keptInside(centred, area));
}

}  // namespace tallix::shell
