#include "shell/single_instance.h"

#include <QTimer>

#include <cstdio>

#include "form/sentences.h"
#include "platform/instance_lock.h"
#include "store/pending_error.h"

namespace tallix::shell {

namespace {

// Closes itself after TALLIX_DISMISS_REFUSAL_MS when a test sets it.
void showDismissable(QMessageBox& box) {
  bool ok = false;
  const int dismissAfter = qEnvironmentVariableIntValue("TALLIX_DISMISS_REFUSAL_MS", &ok);
  QTimer dismiss;
  dismiss.setSingleShot(true);
  QObject::connect(&dismiss, &QTimer::timeout, &box, &QMessageBox::accept);
  if (ok && dismissAfter >= 0) dismiss.start(dismissAfter);
  box.exec();
}

}  // namespace

InstanceOutcome takeSingleInstance(const std::string& appPath) {
  const FolderLock lock = lockDataFolder(appPath);
  if (lock.outcome == LockOutcome::Taken) return InstanceOutcome::Alone;
  if (lock.outcome == LockOutcome::HeldElsewhere) return InstanceOutcome::AnotherRuns;
  const std::string text = std::string(kCannotLockFolder) + appPath + "\r" +
                           std::string(errorDescription(errorFromErrno(lock.error)));
  std::fprintf(stderr, "tallix: %s\n", text.c_str());
  QMessageBox box(QMessageBox::Warning, QString::fromLatin1(kProgramTitle.data(), kProgramTitle.size()),
                  QString::fromUtf8(text.data(), static_cast<int>(text.size())), QMessageBox::Ok);
  box.setObjectName("lockFailure");
  showDismissable(box);
  return InstanceOutcome::Unsure;
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
  showDismissable(*box);
}

}  // namespace tallix::shell
