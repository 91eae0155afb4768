// The desktop's notices: org.freedesktop.Notifications on the session bus,
// with or without a tray; on Windows the tray icon's balloon.
#pragma once

#include <QObject>

#include <functional>
#include <memory>

class QString;

namespace tallix::shell {

class TrayIcon;

class DesktopNotices : public QObject {
  Q_OBJECT
 public:
  explicit DesktopNotices(QObject* parent = nullptr);
  ~DesktopNotices() override;

  // Hands the notice to the desktop; `delivered` is called once, at once or
  // when the desktop has answered, with whether it took the notice. `tray`
  // is the icon a balloon would come from, none before there is one.
  void show(const QString& title, const QString& text, TrayIcon* tray, std::function<void(bool)> delivered);

 signals:
  // A notification service has appeared: a notice not taken before can be
  // offered again.
  void serviceAppeared();

 private:
  struct Bus;
  std::unique_ptr<Bus> bus_;
};

}  // namespace tallix::shell
