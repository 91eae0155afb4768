// The program itself, started as a process on the offscreen platform from a
// program folder of the test's own.
#include <QDate>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "support/fake_services.h"
#include "version.h"

#ifdef _WIN32
constexpr const char* kProgram = "tallix.exe";
#else
constexpr const char* kProgram = "tallix";
#endif

class ProgramProcess : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(QFile::copy(TALLIX_EXECUTABLE, path(kProgram)));
    // A period of this calendar month with one closed connection: nothing
    // about it is due to change while the program runs.
    const std::string month = QDate::currentDate().toString("yyyy/MM/dd").toStdString();
    tallix::testing::writeLog(path("CountRec.zvt").toStdString(),
                              {"From : 01_" + month, "0_To : 31", "start: 002/01/01 09:00:00", "_end : 2002/01/01 09:30:00"});
  }

  void cleanup() {
    for (auto& process : started_) {
      process->kill();
      process->waitForFinished(5000);
    }
    started_.clear();
    folder_.reset();
  }

  // Answered with no display at all: no window is made, so nothing can abort.
  void commandLineWithoutADisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "Usage: tallix [--help | --version]" << "";
    QTest::newRow("short help") << QStringList{"-h"} << 0 << "Usage: tallix" << "";
    QTest::newRow("help after Qt's option") << QStringList{"-platform", "xcb", "--help"} << 0 << "Usage: tallix" << "";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "tallix " TALLIX_VERSION "\n" << "";
    QTest::newRow("unknown") << QStringList{"--frobnicate"} << 2 << ""
                             << "tallix: unknown option '--frobnicate'\nUsage: tallix";
    QTest::newRow("a file name") << QStringList{"3.log"} << 2 << "" << "tallix: unknown option '3.log'";
    QTest::newRow("Qt's option without its value") << QStringList{"-style"} << 2 << "" << "tallix: unknown option '-style'";
    QTest::newRow("unknown before help") << QStringList{"-x", "--help"} << 2 << "" << "tallix: unknown option '-x'";
  }
  void commandLineWithoutADisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QProcess process;
    process.setProcessEnvironment(withoutDisplay());
    process.setWorkingDirectory(folder_->path());
    process.start(path(kProgram), arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    const QString stdOut = QString::fromUtf8(process.readAllStandardOutput());
    const QString stdErr = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(out.isEmpty() ? stdOut.isEmpty() : stdOut.startsWith(out), qPrintable(stdOut));
    QVERIFY2(err.isEmpty() ? stdErr.isEmpty() : stdErr.startsWith(err), qPrintable(stdErr));
    QVERIFY(!QFile::exists(path("tallix.ini")));  // the program itself never started
  }

  // With no display and no option it says so in one line and meters on the
  // offscreen platform.
  void noDisplayRunsOffscreen() {
#ifdef _WIN32
    QSKIP("a Windows desktop needs no display named");
#endif
    QProcess& process = *started_.emplace_back(std::make_unique<QProcess>());
    process.setProcessEnvironment(withoutDisplay());
    process.setWorkingDirectory(folder_->path());
    process.start(path(kProgram));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path("tallix.ini")), 15000);
    QCOMPARE(process.state(), QProcess::Running);
    // Qt may add warnings of its own after the line.
    const QString said = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(said.startsWith("tallix: no display found; starting on Qt's offscreen platform (it still meters and "
                             "records)\n"),
             qPrintable(said));
  }

  // A second copy is refused while the first runs; a termination request (on
  // Windows a close request to the program's windows) ends the first at
  // once, leaving the record file as it was; a crashed copy does not block
  // the next start, and neither does a lock file someone left in the folder.
  void oneCopyAtATimeAndAStaleLockDoesNotBlock() {
    const QByteArray before = contentsOf("CountRec.zvt");
    QFile planted(path("tallix.lock"));
    QVERIFY(planted.open(QIODevice::WriteOnly));
    planted.close();
    planted.setPermissions(QFileDevice::Permissions());  // unreadable to its owner too
    QProcess& first = start();
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path("tallix.ini")), 15000);
    QProcess& second = start("200");
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);
    QTest::qWait(1500);  // let a tick or two run
    first.terminate();
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(contentsOf("CountRec.zvt"), before);

    QProcess& crashed = start();
    QVERIFY(!crashed.waitForFinished(3000));
    crashed.kill();
    QVERIFY(crashed.waitForFinished(5000));
    QProcess& next = start("0");
    QVERIFY(!next.waitForFinished(3000));  // still running: not refused
  }

 private:
  QString path(const char* name) const { return folder_->filePath(name); }
  QByteArray contentsOf(const char* name) const {
    QFile file(path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  static QProcessEnvironment withoutDisplay() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) environment.remove(name);
    return environment;
  }
  // Starts the program; a refusal box it shows closes itself after `dismissMs`.
  QProcess& start(const QString& dismissMs = {}) {
    QProcess& process = *started_.emplace_back(std::make_unique<QProcess>());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    if (!dismissMs.isEmpty()) environment.insert("TALLIX_DISMISS_REFUSAL_MS", dismissMs);
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder_->path());
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(path(kProgram));
    process.waitForStarted(5000);
    return process;
  }

  std::unique_ptr<QTemporaryDir> folder_;
  std::vector<std::unique_ptr<QProcess>> started_;
};

QTEST_GUILESS_MAIN(ProgramProcess)
#include "test_shell_process.moc"
