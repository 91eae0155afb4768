#include "shell/single_instance.h"

#include <QFile>
#include <QTimer>

#include "form/sentences.h"

namespace tallix::shell {

SingleInstance::SingleInstance(const std::string& appPath)
    : lock_(QFile::decodeName(QByteArray::fromStdString(appPath + "tallix.lock"))) {
  // A lock is stale only when its owner is gone, however old it is.
  lock_.setStaleLockTime(0);
}

bool SingleInstance::acquire() {
  if (lock_.tryLock(0)) return true;
  return lock_.error() != QLockFile::LockFailedError;
}

std::unique_ptr<QMessageBox> makeRefusalBox() {
  auto box = std::make_unique<QMessageBox>(
      QMessageBox::NoIcon, QString::fromLatin1(kProgramTitle.data(), kProgramTitle.size()),
      QString::fromLatin1(kAlreadyRunning.data(), kAlreadyRunning.size()), QMessageBox::Ok);
  box->setObjectName("refusal");
  return box;
}

void showRefusal() {
  std::unique_ptr<QMessageBox> box = makeRefusalBox();
  bool ok = false;
  const int dismissAfter = qEnvironmentVariableIntValue("TALLIX_DISMISS_REFUSAL_MS", &ok);
  QTimer dismiss;
  dismiss.setSingleShot(true);
  QObject::connect(&dismiss, &QTimer::timeout, box.get(), &QMessageBox::accept);
  if (ok && dismissAfter >= 0) dismiss.start(dismissAfter);
  box->exec();
}

}  // namespace tallix::shell
