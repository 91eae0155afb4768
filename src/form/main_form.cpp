#include "form/main_form.h"

#include <algorithm>
#include <utility>

#include "form/layouts.h"

namespace tallix {

MainForm::MainForm(Services& s, std::string appPath)
    : services(&s), AppPath(std::move(appPath)), controls(form1Design()) {}

void AnswerOk(MainForm& form, std::string_view ErrorMsgStr) {
  if (form.nightRetry) {
    auto& shown = form.nightMessages;
    if (std::find(shown.begin(), shown.end(), ErrorMsgStr) != shown.end()) return;
    shown.emplace_back(ErrorMsgStr);
  }
  form.services->answerOk(std::string(ErrorMsgStr));
}

bool reportFailure(MainForm& form, std::string_view sentence, PendingError& error) {
  if (!error.pending()) return false;
  AnswerOk(form, failureReport(sentence, error));
  error.clear();
  return true;
}

void showWatched(MainForm& form) { form[form1::lblWatching].caption = form.services->watchedConnection(); }

void Shell_NotifyIcon(MainForm& form, NotifyAction action) { form.services->notifyIcon(action, form.trayIconData); }

}  // namespace tallix
