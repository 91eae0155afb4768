#include "shell/tray_icon.h"

#include "shell/form_widgets.h"
#include "shell/pictures.h"

namespace tallix::shell {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
  icon_.setIcon(trayIcon(picture_));
  // Only the menu request leads anywhere; clicks and double clicks do nothing.
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Context) emit rightButtonReleased();
  });
}

void TrayIcon::notify(NotifyAction action, const TrayIconData& data) {
  switch (action) {
    case NotifyAction::Add:
    case NotifyAction::Modify: {
      const int picture = data.hIcon >= 0 && data.hIcon <= 11 ? data.hIcon : kPictureDisconnect;
      // Drawn when it changes, at most every five minutes, rather than all
      // thirteen kept for the whole run.
      if (picture != picture_) icon_.setIcon(trayIcon(picture));
      picture_ = picture;
      if (action == NotifyAction::Add) {
        icon_.setToolTip(fromModel(data.tip));
        icon_.show();
      }
      break;
    }
    case NotifyAction::Delete:
      icon_.hide();
      break;
  }
}

}  // namespace tallix::shell
