// The notification-area icon: one icon with its tip, its picture changed on
// request; a right-button release on it asks for the popup menu, a double
// click for the main window.
#pragma once

#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>

#include <memory>

#include "form/services.h"

class QMenu;

namespace tallix::shell {

class TrayIcon : public QObject {
  Q_OBJECT
 public:
  explicit TrayIcon(QObject* parent = nullptr);

  // Add shows the icon with the record's picture and tip, Modify changes the
  // picture, Delete removes the icon. Before there is a tray they are kept
  // for when one comes.
  void notify(NotifyAction action, const TrayIconData& data);
  // A tray is there. Qt settles how an icon is shown when the icon is made
  // and never asks again, so the icon is made only once a tray exists.
  void trayAppeared();
  // The menu the icon carries, to open itself or to hand to a host.
  void setMenu(QMenu* menu);

  int picture() const { return picture_; }
  // The icon itself; none until a tray appeared.
  QSystemTrayIcon* icon() { return icon_.get(); }

 signals:
  void rightButtonReleased();
  void doubleClicked();

 private:
  void apply();

  std::unique_ptr<QSystemTrayIcon> icon_;
  int shown_ = kPictureDisconnect - 1;  // the picture the icon has; none yet
  int picture_ = kPictureDisconnect;
  QString tip_;
  bool added_ = false;
  QMenu* menu_ = nullptr;
};

}  // namespace tallix::shell
