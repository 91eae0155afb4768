// The program itself, started as a process on the offscreen platform from a
// program folder of the test's own.
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QByteArray record(const QByteArray& text) { return text.leftJustified(29, ' ', true); }

QByteArray contentsOf(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class ProgramProcess : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    folder_ = std::make_unique<QTemporaryDir>();
    program_ = folder_->filePath("tallix");
    QVERIFY(QFile::copy(TALLIX_EXECUTABLE, program_));
    // A period of this calendar month with one closed connection: nothing
    // about it is due to change while the program runs.
    const QByteArray month = QDate::currentDate().toString("yyyy/MM/dd").toLatin1();
    QFile zvt(folder_->filePath("CountRec.zvt"));
    QVERIFY(zvt.open(QIODevice::WriteOnly));
    zvt.write(record("From : 01_" + month) + record("0_To : 31") + record("start: 002/01/01 09:00:00") +
              record("_end : 2002/01/01 09:30:00"));
  }

  void cleanup() {
    for (auto& process : started_) {
      if (process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(5000);
      }
    }
    started_.clear();
    folder_.reset();
  }

  void aSecondCopyIsRefusedWhileTheFirstRuns() {
    QProcess& first = start();
    QVERIFY(appears("tallix.ini"));
    QProcess& second = start("200");
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);
    QVERIFY(QFile::exists(folder_->filePath("tallix.lock")));
  }

  void aTerminationRequestEndsAtOnceLeavingTheRecordFileAsItWas() {
    const QByteArray before = contentsOf(folder_->filePath("CountRec.zvt"));
    QProcess& first = start();
    QVERIFY(appears("tallix.ini"));
    QTest::qWait(1500);  // let a tick or two run
    first.terminate();
    QVERIFY(first.waitForFinished(10000));
    QCOMPARE(first.exitStatus(), QProcess::NormalExit);
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(contentsOf(folder_->filePath("CountRec.zvt")), before);
    QVERIFY(!QFile::exists(folder_->filePath("tallix.lock")));
  }

  void aLockLeftByACrashDoesNotBlock() {
    QProcess& crashed = start();
    QVERIFY(appears("tallix.lock"));
    crashed.kill();
    QVERIFY(crashed.waitForFinished(5000));
    QVERIFY(QFile::exists(folder_->filePath("tallix.lock")));
    QProcess& next = start("0");
    QVERIFY(!next.waitForFinished(3000));  // still running: not refused
  }

 private:
  // Starts the program; a refusal box it shows closes itself after `dismissMs`.
  QProcess& start(const QString& dismissMs = {}) {
    auto process = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    if (!dismissMs.isEmpty()) environment.insert("TALLIX_DISMISS_REFUSAL_MS", dismissMs);
    process->setProcessEnvironment(environment);
    process->setProgram(program_);
    process->setWorkingDirectory(folder_->path());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->start();
    process->waitForStarted(5000);
    started_.push_back(std::move(process));
    return *started_.back();
  }
  bool appears(const QString& name) {
    QElapsedTimer clock;
    clock.start();
    while (!QFile::exists(folder_->filePath(name))) {
      if (clock.elapsed() > 15000) return false;
      QTest::qWait(50);
    }
    return true;
  }

  std::unique_ptr<QTemporaryDir> folder_;
  QString program_;
  std::vector<std::unique_ptr<QProcess>> started_;
};

QTEST_GUILESS_MAIN(ProgramProcess)
#include "test_shell_process.moc"
