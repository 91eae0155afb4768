#include "period/entry.h"

#include "form/sentences.h"
#include "period/rotation.h"
#include "store/file_system.h"
#include "store/numbers.h"
#include "store/text_forms.h"

namespace tallix {
namespace {

constexpr std::int16_t kBackspace = 8;

bool isDayKey(std::int16_t key) { return (key >= '0' && key <= '9') || key == kBackspace; }

void filterDayKey(MainForm& form, std::int16_t& KeyAscii) {
  if (isDayKey(KeyAscii)) return;
  KeyAscii = 0;
  form.services->beep();
}

// A one-character box is shown and stored with a leading zero.
void padDay(std::string& text) {
  if (text.size() == 1) text = "0" + text;
}

// A day box holds a day only as two digits from 01 to 31. Anything else
// (empty, letters, a sign, a blank, a point) is refused, so equal days always
// have equal texts and the day always fills positions 8-9 of its header.
bool readDay(const std::string& text, int& day) {
  if (text.size() != 2) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  PendingError ignored;  // a text that is not a number is just refused
  double value = 0;
  if (!numberConversion(text, value, ignored)) return false;
  if (value <= 0 || value >= 32) return false;
  day = static_cast<int>(value);
  return true;
}

// Marks a confirmation as running for as long as it lasts.
class ConfirmingScope {
 public:
  explicit ConfirmingScope(MainForm& form) : form_(form) { form_.confirming = true; }
  ~ConfirmingScope() { form_.confirming = false; }
  ConfirmingScope(const ConfirmingScope&) = delete;
  ConfirmingScope& operator=(const ConfirmingScope&) = delete;

 private:
  MainForm& form_;
};

void lockPeriodControls(MainForm& form) {
  for (ControlName name : {form1::cmdConfirm, form1::cmdRecover, form1::txtStartDay, form1::txtEndDay})
    form[name].enabled = false;
}

}  // namespace

void cmdInput_Click(MainForm& form) {
  for (ControlName name : {form1::txtStartDay, form1::txtEndDay, form1::cmdConfirm, form1::cmdRecover})
    form[name].enabled = true;
  form[form1::lblF1NewFileCreated].caption.clear();
}

void txtStartDay_KeyPress(MainForm& form, std::int16_t& KeyAscii) { filterDayKey(form, KeyAscii); }

void txtEndDay_KeyPress(MainForm& form, std::int16_t& KeyAscii) { filterDayKey(form, KeyAscii); }

void cmdConfirm_Click(MainForm& form) {
  if (form.confirming) return;
  ConfirmingScope running(form);

  std::string& startText = form[form1::txtStartDay].caption;
  std::string& endText = form[form1::txtEndDay].caption;
  // Padded before the checks, so a refused input still shows its padded form.
  padDay(startText);
  padDay(endText);
  int s = 0;
  int e = 0;
  if (!readDay(startText, s)) {
    AnswerOk(form, kInvalidStartingDay);
    return;
  }
  if (!readDay(endText, e)) {
    AnswerOk(form, kInvalidEndingDay);
    return;
  }
  if (startText == endText) {
    AnswerOk(form, kSameDays);
    return;
  }
  beginNewPeriod(form, s, e);
}

void cmdRecover_Click(MainForm& form) {
  if (!fileExists(form.file(kCountRecZvt))) return;
  PendingError error;
  std::string record1;
  std::string record2;
  // After a failed read the boxes keep their text: nothing stale is shown.
  if (readPeriodHeaders(form, record1, record2, error)) {
    form[form1::txtStartDay].caption = mid(record1, 8, 2);
    form[form1::txtEndDay].caption = mid(record2, 8, 2);
  }
  lockPeriodControls(form);
  reportFailure(form, kLoadingData, error);
}

std::string LastMonthDate(MainForm& form) {
  DateTime today = form.services->now();
  DateTime lastMonth = today;
  lastMonth.month = today.month - 1;
  if (lastMonth.month < 1) {
    lastMonth.month = 12;
    lastMonth.year = today.year - 1;
  }
  // Only the year and month are ever used, so a day the month lacks
  // (2002/02/30) is left as it is.
  return dateText(lastMonth);
}

bool dayInPeriod(int s, int e, int d) {
  if (e > s) return s <= d && d <= e;
  return d >= s || d <= e;
}

}  // namespace tallix
