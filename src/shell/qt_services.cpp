#include "shell/qt_services.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>

#include "form/sentences.h"
#include "platform/autostart.h"
#include "shell/message_window.h"
#include "shell/tray_icon.h"

namespace tallix::shell {

QtServices::QtServices(std::unique_ptr<ConnectionProbe> probe) : probe_(std::move(probe)) {}

DateTime QtServices::now() {
  const QDateTime local = QDateTime::currentDateTime();
  const QDate date = local.date();
  const QTime time = local.time();
  return {date.year(), date.month(), date.day(), time.hour(), time.minute(), time.second()};
}

bool QtServices::probeConnection(std::string& detectCaption) {
  if (!probe_) return false;
  return probe_->isConnected(detectCaption);
}

void QtServices::answerOk(const std::string& text) { MessageWindow::open(text); }

void QtServices::notifyIcon(NotifyAction action, const TrayIconData& data) {
  if (tray_ != nullptr) tray_->notify(action, data);
}

void QtServices::beep() { QApplication::beep(); }

void QtServices::showNotice(const std::string& title, const std::string& text, std::function<void(bool)> delivered) {
  notices_.show(QString::fromStdString(title), QString::fromStdString(text), tray_, std::move(delivered));
}

namespace {

std::string runningProgram() { return QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString(); }

}  // namespace

void QtServices::setStartAtLogOn(bool on) {
  if (on) {
    enableStartAtLogOn(runningProgram());
    return;
  }
  const std::vector<std::string> left = disableStartAtLogOn(runningProgram());
  if (left.empty()) return;
  std::string text(kStartAtLogOnLeft);
  for (const std::string& entry : left) text += (&entry == &left.front() ? "" : "\r") + entry;
  answerOk(text);
}

std::optional<bool> QtServices::startsAtLogOn() { return tallix::startsAtLogOn(runningProgram()); }

}  // namespace tallix::shell
