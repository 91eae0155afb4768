// Tallix: meters the time spent online over a dial-up connection from the
// notification area.
#include <QApplication>

#include "app/form1_events.h"
#include "platform/connection_probe.h"
#include "platform/program_folder.h"
#include "shell/command_line.h"
#include "shell/heap_release.h"
#include "shell/pictures.h"
#include "shell/qt_services.h"
#include "shell/single_instance.h"
#include "shell/startup_window.h"
#include "shell/system_close.h"
#include "shell/tray_host.h"
#ifdef _WIN32
#include "platform/windows/system_library.h"
#endif

int main(int argc, char* argv[]) {
#ifdef _WIN32
  tallix::loadLibrariesFromSystemFolderOnly();
#endif
  // --help, --version and a wrong option are answered without a display.
  if (const auto exitCode = tallix::shell::answerCommandLine(argc, argv)) return *exitCode;
  tallix::shell::mapLargeBuffersApart();
  QApplication app(argc, argv);
  // Closing a message window or hiding the main window never ends the program.
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(tallix::shell::programIcon());

  // The program folder when it is a writable portable copy, otherwise the
  // user's data folder.
  const tallix::DataFolder dataFolder = tallix::programDataFolder();
  const std::string& appPath = dataFolder.path;

  switch (tallix::shell::takeSingleInstance(appPath)) {
    case tallix::shell::InstanceOutcome::Alone: break;
    case tallix::shell::InstanceOutcome::AnotherRuns:
      // The running copy's main window comes forward; only where it cannot be
      // reached is the refusal shown.
      if (!tallix::shell::bringRunningCopyForward(appPath)) tallix::shell::showRefusal();
      return 0;
    case tallix::shell::InstanceOutcome::Unsure: return 1;  // the reason was shown
  }

  // Ending at once runs no close handler: only the open connection's end is
  // written first, so a quit keeps the time up to that moment.
  tallix::shell::StartupWindow* running = nullptr;
  auto endAtOnce = [&running] {
    if (running != nullptr) tallix::Form3_Ending(running->form());
    QCoreApplication::exit(0);
  };
  tallix::shell::onSystemCloseRequest(endAtOnce);

  tallix::shell::QtServices services(tallix::makeConnectionProbe());
  // Asked of the desktop by the program itself: Qt would take its first
  // answer for the whole run.
  tallix::shell::TrayHostWatch trayWatch;
  tallix::shell::StartupWindow form3(services, appPath, trayWatch.present(), endAtOnce);
  form3.form().appPathWritable = dataFolder.writable;
  running = &form3;
  form3.start();
  form3.watchTray(trayWatch);
  tallix::shell::onShowRequest(appPath, [&form3] { form3.mShow_Click(); });
  return QApplication::exec();
}
