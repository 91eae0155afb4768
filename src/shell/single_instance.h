// One running copy per data folder: the lock is the folder's own, so a
// crashed copy never blocks the next start and nothing planted in the folder
// can stand in for it.
#pragma once

#include <QMessageBox>

#include <memory>
#include <string>

namespace tallix::shell {

enum class InstanceOutcome {
  Alone,        // this copy holds the lock
  AnotherRuns,  // another running copy holds it
  Unsure,       // it could not be taken; the folder and the reason were shown
};

// Takes the data folder's lock for the rest of the run. When it cannot be
// taken for any reason but another copy, says so naming the folder: the
// program never goes on without it, or two copies could record one
// connection twice.
InstanceOutcome takeSingleInstance(const std::string& appPath);

// The refusal shown to a second copy: title "Vossberry Tallix", the text
// "Application is already running!", an OK button only, no icon.
std::unique_ptr<QMessageBox> makeRefusalBox();
// Shows the refusal modally. Tests set TALLIX_DISMISS_REFUSAL_MS to have it
// close itself after that many milliseconds.
void showRefusal();

}  // namespace tallix::shell
