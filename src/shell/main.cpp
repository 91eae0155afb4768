// Tallix: meters the time spent online over a dial-up connection from the
// notification area.
#include <QApplication>
#include <QSystemTrayIcon>

#include "platform/connection_probe.h"
#include "platform/program_folder.h"
#include "shell/command_line.h"
#include "shell/heap_release.h"
#include "shell/pictures.h"
#include "shell/qt_services.h"
#include "shell/single_instance.h"
#include "shell/startup_window.h"
#include "shell/system_close.h"

int main(int argc, char* argv[]) {
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

  tallix::shell::SingleInstance instance(appPath);
  if (!instance.acquire()) {
    tallix::shell::showRefusal();
    return 0;
  }

  auto endAtOnce = [] { QCoreApplication::exit(0); };
  tallix::shell::onSystemCloseRequest(endAtOnce);

  tallix::shell::QtServices services(tallix::makeConnectionProbe());
  tallix::shell::StartupWindow form3(services, appPath, QSystemTrayIcon::isSystemTrayAvailable(), endAtOnce);
  form3.form().appPathWritable = dataFolder.writable;
  form3.start();
  return QApplication::exec();
}
