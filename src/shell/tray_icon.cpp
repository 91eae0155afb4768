#include "shell/tray_icon.h"

#include "shell/form_widgets.h"
#include "shell/pictures.h"

namespace tallix::shell {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {}

void TrayIcon::trayAppeared() {
  // A tray that goes and comes back is told of the icon by Qt itself.
  if (icon_) return;
  icon_ = std::make_unique<QSystemTrayIcon>();
  if (menu_ != nullptr) icon_->setContextMenu(menu_);
  // The menu request and a double click lead somewhere; a single click does
  // nothing.
  connect(icon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Context) emit rightButtonReleased();
    if (reason == QSystemTrayIcon::DoubleClick) emit doubleClicked();
  });
  apply();
}

void TrayIcon::setMenu(QMenu* menu) {
  menu_ = menu;
  if (icon_) icon_->setContextMenu(menu);
}

void TrayIcon::notify(NotifyAction action, const TrayIconData& data) {
  switch (action) {
    case NotifyAction::Add:
    case NotifyAction::Modify:
      picture_ = data.hIcon >= 0 && data.hIcon <= 11 ? data.hIcon : kPictureDisconnect;
      if (action == NotifyAction::Add) {
        tip_ = fromModel(data.tip);
        added_ = true;
      }
      break;
    case NotifyAction::Delete:
      added_ = false;
      break;
  }
  apply();
}

void TrayIcon::apply() {
  if (!icon_) return;
  // Drawn when it changes, at most every five minutes, rather than all
  // thirteen kept for the whole run.
  if (shown_ != picture_) icon_->setIcon(trayIcon(picture_));
  shown_ = picture_;
  if (icon_->toolTip() != tip_) icon_->setToolTip(tip_);
  icon_->setVisible(added_);
}

}  // namespace tallix::shell
