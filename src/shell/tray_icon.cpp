#include "shell/tray_icon.h"

#include "shell/form_widgets.h"
#include "shell/pictures.h"

namespace tallix::shell {

TrayIcon::TrayIcon(QObject* parent) : QObject(parent) {
  for (int picture = kPictureDisconnect; picture <= 11; ++picture) pictures_.push_back(trayIcon(picture));
  icon_.setIcon(pictures_.front());
  // The menu request and a double click lead somewhere; a single click does
  // nothing.
  connect(&icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::Context) emit rightButtonReleased();
    if (reason == QSystemTrayIcon::DoubleClick) emit doubleClicked();
  });
}

void TrayIcon::notify(NotifyAction action, const TrayIconData& data) {
  switch (action) {
    case NotifyAction::Add:
    case NotifyAction::Modify: {
      picture_ = data.hIcon >= 0 && data.hIcon <= 11 ? data.hIcon : kPictureDisconnect;
      icon_.setIcon(pictures_[static_cast<size_t>(picture_ + 1)]);
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
