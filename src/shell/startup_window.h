// The start-up window (Form3), never shown: it loads the main window, owns
// the tray icon and its popup menu, and runs the menu's five commands.
#pragma once

#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QTimer>

#include <functional>
#include <memory>
#include <string>

#include "form/main_form.h"
#include "shell/main_window.h"
#include "shell/qt_services.h"
#include "shell/tray_host.h"
#include "shell/tray_icon.h"

namespace tallix::shell {

class StartupWindow : public QObject {
  Q_OBJECT
 public:
  // `trayPresent` tells whether the desktop has a tray at start-up;
  // `endProgram` ends the program at once, running no close handler.
  StartupWindow(QtServices& services, std::string appPath, bool trayPresent, std::function<void()> endProgram);
  ~StartupWindow() override;

  // Loads the main window (hidden unless there is no tray), adds the icon
  // with the offline picture and starts the main window's timer.
  void start();
  // Follows the desktop's tray for the rest of the run.
  void watchTray(TrayHostWatch& watch);
  // A tray has come (the icon goes into it, the window shown for want of one
  // is hidden) or gone (it is waited for, then the window is shown).
  void trayPresenceChanged(bool present);
  QTimer& trayWait() { return trayWait_; }

  MainForm& form() { return form_; }
  MainWindow& mainWindow() { return *mainWindow_; }
  QMenu& popupMenu() { return popup_; }
  TrayIcon& tray() { return tray_; }

  // Opens the popup menu with its right edge at the point.
  void openPopupMenu(const QPoint& at);

  void mAbout_Click();
  void mShow_Click();
  void mUsage_Click();
  void mHelp_Click();
  void mRemove_Click();

 private:
  QtServices& services_;
  MainForm form_;
  bool trayPresent_;
  std::function<void()> endProgram_;
  TrayIcon tray_;
  QMenu popup_;
  QTimer trayWait_;
  std::unique_ptr<MainWindow> mainWindow_;
};

}  // namespace tallix::shell
