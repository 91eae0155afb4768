#include "period/reload.h"

#include "form/sentences.h"
#include "period/entry.h"
#include "store/file_system.h"
#include "store/numbers.h"
#include "store/record_file.h"

namespace tallix {

// First version: reads the period's two days back and decides whether today
// lies inside it; no rollover yet.
void ReloadPeriod(MainForm& form) {
  const std::string path = form.file(kCountRecZvt);
  if (!fileExists(path)) return;
  PendingError error;
  std::string record1;
  std::string record2;
  {
    RecordFile file(path, kRecordLength, error);
    file.read(1, record1);
    file.read(2, record2);
    file.close();
  }
  if (reportFailure(form, kLoadingBackDays, error)) return;
  long long s = wholeValue(mid(record1, 8, 2));
  long long e = wholeValue(mid(record2, 8, 2));
  if (s < 1 || s > 31 || e < 1 || e > 31 || s == e) return;
  int d = form.services->now().day;
  form.PeriodActive = dayInPeriod(static_cast<int>(s), static_cast<int>(e), d);
  if (form.PeriodActive) form["lblF1NoRecord"].caption.clear();
}

}  // namespace tallix
