#include "shell/startup_window.h"

#include <QCursor>
#include <QWindow>

#include "app/budget.h"
#include "app/form1_events.h"
#include "app/tray_presence.h"
#include "shell/about_box.h"
#include "shell/form_widgets.h"
#include "shell/heap_release.h"
#include "shell/screen_fit.h"
#include "shell/usage_window.h"

namespace tallix::shell {

StartupWindow::StartupWindow(QtServices& services, std::string appPath, bool trayPresent,
                             std::function<void()> endProgram)
    : services_(services),
      form_(services, std::move(appPath)),
      trayPresent_(trayPresent),
      endProgram_(std::move(endProgram)) {
  setObjectName("Form3");
  services_.attachTray(&tray_);
  mainWindow_ = std::make_unique<MainWindow>(form_, endProgram_);
  form_.placesWindows = placesWindows();

  popup_.setObjectName("mPopup");
  popup_.setTitle(fromModel(std::string(kPopupCaption)));
  for (const MenuItemSpec& item : popupMenuDesign()) {
    QAction* action = nullptr;
    if (item.caption == "-") {
      action = popup_.addSeparator();
    } else {
      action = popup_.addAction(fromModel(std::string(item.caption)));
    }
    action->setObjectName(fromModel(std::string(item.name)));
  }
  connect(popup_.findChild<QAction*>("mAbout"), &QAction::triggered, this, &StartupWindow::mAbout_Click);
  connect(popup_.findChild<QAction*>("mShow"), &QAction::triggered, this, &StartupWindow::mShow_Click);
  connect(popup_.findChild<QAction*>("mUsage"), &QAction::triggered, this, &StartupWindow::mUsage_Click);
  connect(popup_.findChild<QAction*>("mHelp"), &QAction::triggered, this, &StartupWindow::mHelp_Click);
  connect(popup_.findChild<QAction*>("mRemove"), &QAction::triggered, this, &StartupWindow::mRemove_Click);
  // The icon carries its menu: Qt opens it on a tray of its own, and exports
  // it over D-Bus to a host that draws items' menus itself. A menu request
  // the menu has not answered yet (a host asking the item to open it) opens it
  // at the pointer.
  tray_.setMenu(&popup_);
  connect(&tray_, &TrayIcon::rightButtonReleased, this, [this] {
    if (!popup_.isVisible()) openPopupMenu(QCursor::pos());
  });
  if (trayPresent_) tray_.trayAppeared();

  trayWait_.setSingleShot(true);
  trayWait_.setInterval(kTrayWaitSeconds * 1000);
  connect(&trayWait_, &QTimer::timeout, this, [this] { mainWindow_->runEvent(Form3_TrayWaitEnded); });
  // A notification service that comes after a notice was due gives it then.
  connect(&services_.notices(), &DesktopNotices::serviceAppeared, this,
          [this] { mainWindow_->runEvent(giveDueNotice); });
  // As Windows users expect: a double click on the icon opens the main window.
  connect(&tray_, &TrayIcon::doubleClicked, this, &StartupWindow::mShow_Click);
}

StartupWindow::~StartupWindow() { services_.attachTray(nullptr); }

void StartupWindow::start() {
  mainWindow_->runEvent([this](MainForm& f) { Form3_Form_Load(f, trayPresent_); });
  if (!trayPresent_) trayWait_.start();
  mainWindow_->timer1().start();
  // A notice due at start-up was asked for before the icon was added; where
  // the icon is the way to show it, it is given now.
  mainWindow_->runEvent(giveDueNotice);
  releaseFreedMemorySoon();  // what drawing the pictures left behind
}

void StartupWindow::watchTray(TrayHostWatch& watch) {
  connect(&watch, &TrayHostWatch::presenceChanged, this, &StartupWindow::trayPresenceChanged);
  if (watch.present() != form_.tray.present) trayPresenceChanged(watch.present());
}

void StartupWindow::trayPresenceChanged(bool present) {
  if (present) {
    trayWait_.stop();
    tray_.trayAppeared();
    mainWindow_->runEvent(Form3_TrayAppeared);
    mainWindow_->runEvent(giveDueNotice);
  } else {
    mainWindow_->runEvent(Form3_TrayGone);
    trayWait_.start();
  }
  releaseFreedMemorySoon();  // what drawing the pictures left behind
}

void StartupWindow::openPopupMenu(const QPoint& at) {
  // A menu needs a window of the program's own to belong to, or a compositor
  // takes it for a window of its own: it is the main window's popup while
  // that is shown. Otherwise its one fixed size makes a tiling compositor
  // float it rather than fill the screen with it.
  const QSize size = popup_.sizeHint();
  popup_.setFixedSize(size);
  popup_.winId();
  const bool shown = mainWindow_->isVisible() && !mainWindow_->isMinimized();
  popup_.windowHandle()->setTransientParent(shown ? mainWindow_->windowHandle() : nullptr);
  popup_.popup(at - QPoint(size.width(), 0));
}

void StartupWindow::mAbout_Click() { AboutBox::showShared(); }

void StartupWindow::mShow_Click() {
  mainWindow_->runEvent(Form3_mShow_Click);
  mainWindow_->raise();
  mainWindow_->activateWindow();
  releaseFreedMemorySoon();
}

void StartupWindow::mUsage_Click() {
  UsageWindow* window = UsageWindow::open(currentPeriodUsageView(form_));
  // The period grows while the window is open: it is read again whenever
  // the Main view's period line is made.
  connect(mainWindow_.get(), &MainWindow::periodLineMade, window,
          [this, window] { window->refresh(currentPeriodUsageView(form_)); });
}

void StartupWindow::mHelp_Click() { mainWindow_->runEvent(Form3_mHelp_Click); }

void StartupWindow::mRemove_Click() {
  Shell_NotifyIcon(form_, NotifyAction::Delete);
  if (endProgram_) endProgram_();
}

}  // namespace tallix::shell
