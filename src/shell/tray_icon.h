// The notification-area icon: one icon with its tip, its picture changed on
// request; a right-button release on it asks for the popup menu.
#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

#include "form/services.h"

namespace tallix::shell {

class TrayIcon : public QObject {
  Q_OBJECT
 public:
  explicit TrayIcon(QObject* parent = nullptr);

  // Add shows the icon with the record's picture and tip, Modify changes the
  // picture, Delete removes the icon.
  void notify(NotifyAction action, const TrayIconData& data);

  int picture() const { return picture_; }
  QSystemTrayIcon& icon() { return icon_; }

 signals:
  void rightButtonReleased();

 private:
  QSystemTrayIcon icon_;
  int picture_ = kPictureDisconnect;
};

}  // namespace tallix::shell
