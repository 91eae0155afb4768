#include "shell/startup_window.h"

#include <QCursor>

#include "app/form1_events.h"
#include "shell/about_box.h"
#include "shell/form_widgets.h"
#include "shell/heap_release.h"
#include "shell/usage_window.h"

namespace tallix::shell {

StartupWindow::StartupWindow(QtServices& services, std::string appPath, bool trayAvailable,
                             std::function<void()> endProgram)
    : services_(services),
      form_(services, std::move(appPath)),
      trayAvailable_(trayAvailable),
      endProgram_(std::move(endProgram)) {
  setObjectName("Form3");
  services_.attachTray(&tray_);
  mainWindow_ = std::make_unique<MainWindow>(form_, trayAvailable_, endProgram_);

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
  tray_.icon().setContextMenu(&popup_);
  connect(&tray_, &TrayIcon::rightButtonReleased, this, [this] {
    if (!popup_.isVisible()) openPopupMenu(QCursor::pos());
  });
}

StartupWindow::~StartupWindow() { services_.attachTray(nullptr); }

void StartupWindow::start() {
  mainWindow_->runEvent([this](MainForm& f) { Form3_Form_Load(f, trayAvailable_); });
  mainWindow_->timer1().start();
  releaseFreedMemorySoon();  // what drawing the pictures left behind
}

void StartupWindow::openPopupMenu(const QPoint& at) {
  popup_.popup(at - QPoint(popup_.sizeHint().width(), 0));
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
