// The shell's start-at-log-on service names the running program in the Linux
// entry; the entry's own rules are checked beside the data folder's.
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "shell/qt_services.h"

class Autostart : public QObject {
  Q_OBJECT

 private slots:
  void theServiceNamesTheRunningProgram() {
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QFile entry(config.filePath("autostart/tallix.desktop"));
    tallix::shell::QtServices services(nullptr);
    services.setStartAtLogOn(true);
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QVERIFY(entry.readAll().contains("\nExec=\"" + QCoreApplication::applicationFilePath().toUtf8() + "\"\n"));
    entry.close();
    services.setStartAtLogOn(false);
    QVERIFY(!entry.exists());
    qunsetenv("XDG_CONFIG_HOME");
  }
};

QTEST_GUILESS_MAIN(Autostart)
#include "test_shell_autostart.moc"
