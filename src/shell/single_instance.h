// One running copy per program folder: a lock file beside the program. A
// lock left behind by a copy that crashed does not block the next start.
#pragma once

#include <QLockFile>
#include <QMessageBox>

#include <memory>
#include <string>

namespace tallix::shell {

class SingleInstance {
 public:
  explicit SingleInstance(const std::string& appPath);
  // False only when another running copy holds the lock. A folder where no
  // lock can be made does not stop the program.
  bool acquire();

 private:
  QLockFile lock_;
};

// The refusal shown to a second copy: title "Vossberry Tallix", the text
// "Application is already running!", an OK button only, no icon.
std::unique_ptr<QMessageBox> makeRefusalBox();
// Shows the refusal modally. Tests set TALLIX_DISMISS_REFUSAL_MS to have it
// close itself after that many milliseconds.
void showRefusal();

}  // namespace tallix::shell
