// The start-at-log-on entry on Linux, in a configuration folder of the test's own.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "platform/autostart.h"
#include "shell/qt_services.h"

namespace {

// The entry's Exec value; empty when there is no entry.
QString execOf(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QString entry = QString::fromUtf8(file.readAll());
  if (!entry.startsWith("[Desktop Entry]\n") || !entry.contains("\nType=Application\n")) return "not an entry";
  for (const QString& line : entry.split('\n'))
    if (line.startsWith("Exec=")) return line.mid(5);
  return {};
}

}  // namespace

class Autostart : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    config_ = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", config_->path().toUtf8());
    entry_ = config_->filePath("autostart/tallix.desktop");
  }
  void cleanup() { qunsetenv("XDG_CONFIG_HOME"); }

  void entryNamesTheProgramAsOneQuotedArgument_data() {
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("exec");
    QTest::newRow("blank") << "/home/ann/my programs/tallix" << "\"/home/ann/my programs/tallix\"";
    // Inside the quotes $ " ` and \ are escaped; as a value, each \ doubles.
    QTest::newRow("specials") << "/t/a$b\"c`d\\e" << "\"/t/a\\\\$b\\\\\"c\\\\`d\\\\\\\\e\"";
    QTest::newRow("per cent") << "/t/100%/tallix" << "\"/t/100%%/tallix\"";
  }

  void entryNamesTheProgramAsOneQuotedArgument() {
    QFETCH(QString, program);
    QFETCH(QString, exec);
    tallix::enableStartAtLogOn(program.toStdString());
    QCOMPARE(execOf(entry_), exec);
    // Only the entry itself is left in the folder: no temporary file.
    QCOMPARE(QDir(config_->filePath("autostart")).entryList(QDir::Files | QDir::Hidden), QStringList{"tallix.desktop"});
  }

  void enablingAgainReplacesTheEntryAndDisablingRemovesIt() {
    tallix::enableStartAtLogOn("/old/tallix");
    tallix::enableStartAtLogOn("/new/tallix");
    QCOMPARE(execOf(entry_), QString("\"/new/tallix\""));
    tallix::disableStartAtLogOn();
    tallix::disableStartAtLogOn();  // nothing there: nothing happens
    QVERIFY(!QFile::exists(entry_));
    // A path that cannot be one line writes nothing.
    tallix::enableStartAtLogOn("/t/two\nlines");
    tallix::enableStartAtLogOn("");
    QVERIFY(!QFile::exists(entry_));
  }

  void anUnwritableFolderIsSkippedSilently() {
    QFile blocker(config_->filePath("autostart"));  // a file where the folder should be
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    tallix::enableStartAtLogOn("/opt/tallix/tallix");
    tallix::disableStartAtLogOn();
    QVERIFY(QFileInfo(config_->filePath("autostart")).isFile());
  }

  void withoutXdgConfigHomeTheEntryGoesUnderHome() {
    QTemporaryDir home;
    const QByteArray savedHome = qgetenv("HOME");
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", "relative/is/ignored");
    tallix::enableStartAtLogOn("/opt/tallix/tallix");
    qputenv("HOME", savedHome);
    QVERIFY(QFile::exists(home.filePath(".config/autostart/tallix.desktop")));
  }

  void theServiceNamesTheRunningProgram() {
    tallix::shell::QtServices services(nullptr);
    services.setStartAtLogOn(true);
    QCOMPARE(execOf(entry_), "\"" + QCoreApplication::applicationFilePath() + "\"");
    services.setStartAtLogOn(false);
    QVERIFY(!QFile::exists(entry_));
  }

 private:
  std::unique_ptr<QTemporaryDir> config_;
  QString entry_;
};

QTEST_GUILESS_MAIN(Autostart)
#include "test_shell_autostart.moc"
