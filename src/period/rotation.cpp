#include "period/rotation.h"

#include <array>
#include <filesystem>
#include <system_error>

#include "form/sentences.h"
#include "platform/files.h"
#include "period/entry.h"
#include "store/file_system.h"
#include "store/numbers.h"
#include "store/record_file.h"
#include "store/tariff_file.h"
#include "store/text_forms.h"
#include "store/volume_file.h"

namespace tallix {
namespace {

namespace fs = std::filesystem;

std::string archiveFileName(int n) { return std::to_string(n) + ".log"; }

// The separator AppPath ends in, so Oldlog's files are named the same way.
char separatorOf(const std::string& folder) { return folder.empty() ? '/' : folder.back(); }

// A number is taken when anything of that name stands in the folder: a
// folder of that name could not be renamed over either.
bool numberTaken(const MainForm& form, int n) {
  const std::string path = form.file(archiveFileName(n));
  return fileExists(path) || folderExists(path);
}

// Writes the new CountRec.zvt with its two header records as one whole
// file: made beside it, synced, then renamed into place, so the name never
// stands for a file without both headers (connections recorded behind
// missing headers could never be loaded). Returns whether the file stands.
bool writeHeaders(MainForm& form, int s, int e) {
  PendingError error;
  const std::string record1 = periodStartHeader(form[form1::txtStartDay].caption, periodStartDate(form, s, e));
  const std::string record2 = periodEndHeader(form[form1::chkToBeMin].value != 0, form[form1::txtEndDay].caption);
  const bool written = writeWholeFile(form.file(kCountRecZvt), padRecord(record1) + padRecord(record2), error);
  form.LineRec = padRecord(record2);
  reportFailure(form, kSavingData, error);
  return written;
}

// The closed period most recently written: the numbered log changed last.
std::string newestArchive(const MainForm& form) {
  std::string newest;
  fs::file_time_type newestTime{};
  for (int n = 1; n <= kArchiveSetSize; ++n) {
    std::error_code code;
    const fs::path path = os::fsPath(form.file(archiveFileName(n)));
    if (fs::symlink_status(path, code).type() != fs::file_type::regular) continue;
    const fs::file_time_type time = fs::last_write_time(path, code);
    if (!code && (newest.empty() || time > newestTime)) {
      newest = archiveFileName(n);
      newestTime = time;
    }
  }
  return newest;
}

// Names a leftover of a replacement that a power cut interrupted: ".", one of
// the program's own file names, ".", 16 hexadecimal digits, ".part".
bool isLeftoverPart(const std::string& name) {
  constexpr size_t kTail = 1 + 16 + 5;
  if (name.size() < 1 + kTail + 1 || name.front() != '.' || !name.ends_with(".part")) return false;
  const std::string digits = name.substr(name.size() - kTail + 1, 16);
  if (name[name.size() - kTail] != '.' ||
      digits.find_first_not_of("0123456789abcdef") != std::string::npos)
    return false;
  std::string own = name.substr(1, name.size() - 1 - kTail);
  // A record file's volume file is replaced the same way.
  if (own.ends_with(kVolumeSuffix)) own.resize(own.size() - kVolumeSuffix.size());
  return own == kCountRecZvt || own == kCountRecLog || own == kSettingsFile || own == kTariffFile ||
         own == "tallix-write-test" || (own.ends_with(".log") && own.find_first_not_of("0123456789") == own.size() - 4);
}

void removeLeftoverParts(const std::string& folder) {
  std::error_code code;
  for (fs::directory_iterator it(os::fsPath(folder), code); !code && it != fs::directory_iterator();
       it.increment(code)) {
    const std::string name = os::pathText(it->path().filename());
    if (!isLeftoverPart(name)) continue;
    PendingError ignored;
    deleteFile(os::pathText(it->path()), ignored);
  }
}

void resetForNewPeriod(MainForm& form, int s, int e, bool created) {
  if (created) form[form1::lblF1NewFileCreated].caption = kNewFileCreated;
  form.NewFileCreated = true;
  ++form.periodsBegun;
  for (ControlName name : {form1::txtStartDay, form1::txtEndDay, form1::cmdConfirm, form1::cmdRecover})
    form[name].enabled = false;
  form.Recording = false;
  form.DaysSpanned = 0;
  form[form1::lblStartTime].caption.clear();
  form[form1::lblEndTime].caption.clear();
  // Without a period file nothing can be recorded until a confirmation succeeds.
  form.PeriodActive = created && dayInPeriod(s, e, form.services->now().day);
  if (form.PeriodActive) form[form1::lblF1NoRecord].caption.clear();
}

}  // namespace

std::string periodStartHeader(const std::string& startDayText, const std::string& date) {
  return "From : " + startDayText + "_" + date;
}

std::string periodEndHeader(bool partMinute, const std::string& endDayText) {
  return (partMinute ? "1_To : " : "0_To : ") + endDayText;
}

std::string periodStartDate(MainForm& form, int s, int e) {
  // A next-month period confirmed before its starting day began last month.
  if (form.services->now().day < s && s > e) return LastMonthDate(form);
  return dateText(form.services->now());
}

bool readPeriodHeaders(MainForm& form, std::string& record1, std::string& record2, PendingError& error) {
  std::vector<std::string> records(2);
  if (!readLeadingRecords(form.file(kCountRecZvt), kRecordLength, ' ', records, error)) return false;
  record1 = records[0];
  record2 = records[1];
  form.LineRec = records[1];
  return true;
}

bool readLeadingRecords(const std::string& path, long recordLength, char fill, std::vector<std::string>& records,
                        PendingError& error) {
  const auto length = static_cast<size_t>(recordLength);
  std::string bytes;
  if (!readWholeFile(path, bytes, error, static_cast<long long>(length * records.size()))) return false;
  for (size_t i = 0; i < records.size(); ++i) {
    records[i] = i * length < bytes.size() ? bytes.substr(i * length, length) : std::string();
    records[i].resize(length, fill);
  }
  return true;
}

std::string chooseArchiveName(MainForm& form, PendingError& error) {
  // Two passes at most: a full set is moved out once; if that did not free a
  // number (a copy or a deletion failed) the search ends here.
  for (int pass = 0; pass < 2; ++pass) {
    for (int n = 1; n <= kArchiveSetSize; ++n) {
      if (!numberTaken(form, n)) return archiveFileName(n);
    }
    if (pass == 0) archiveFullSet(form, error);
  }
  if (!error.pending()) error.raise(kFileAlreadyExists);
  return {};
}

void archiveFullSet(MainForm& form, PendingError& error) {
  const std::string folder = form.file(kOldLogFolder);
  const std::string into = folder + separatorOf(form.AppPath);
  // A folder that cannot be made, or anything else standing at its name (a
  // link to somewhere else, say), takes no copy.
  if (!makeFolder(folder, error)) return;
  // Copy the whole set first, then delete only what arrived safely: a log
  // whose copy failed stays where it is rather than being lost.
  std::array<bool, kArchiveSetSize + 1> copied{};
  // Each log travels with its volume file, or leaves none of an older log behind.
  for (int j = 1; j <= kArchiveSetSize; ++j) {
    const std::string from = form.file(archiveFileName(j));
    const std::string to = into + archiveFileName(j);
    copied[static_cast<size_t>(j)] = copyFile(from, to, error) && copyVolumeFile(from, to, error);
  }
  for (int j = 1; j <= kArchiveSetSize; ++j) {
    const std::string log = form.file(archiveFileName(j));
    if (copied[static_cast<size_t>(j)] && deleteFile(log, error)) deleteVolumeFile(log, error);
  }
  // CountRec.log is only a copy of the live file, made again when needed.
  if (fileExists(form.file(kCountRecLog))) deleteFile(form.file(kCountRecLog), error);
  deleteVolumeFile(form.file(kCountRecLog), error);
}

void beginNewPeriod(MainForm& form, int s, int e) {
  const std::string current = form.file(kCountRecZvt);
  if (fileExists(current)) {
    PendingError error;
    std::string name = chooseArchiveName(form, error);
    bool closed = false;
    if (!name.empty()) {
      form.ArchiveName = name;
      closed = renameFile(current, form.file(name), error);
      // The period's volume goes with it, before a new period can begin.
      if (closed) moveVolumeFile(current, form.file(name), error);
    }
    reportFailure(form, kHandlingFiles, error);
    // Writing new headers over a file that is still the old period's would
    // mix its connections into the new period: stop and try another time.
    if (!closed) {
      // The old period stays the current one: the boxes show its days
      // again and editing is locked, as Recover does; nothing else changes.
      cmdRecover_Click(form);
      return;
    }
  }
  const bool created = writeHeaders(form, s, e);
  resetForNewPeriod(form, s, e, created);
}

void completeHalfDoneRotation(MainForm& form) {
  removeLeftoverParts(form.AppPath);
  removeLeftoverParts(form.file(kOldLogFolder));
  if (fileExists(form.file(kCountRecZvt))) return;
  const std::string archive = newestArchive(form);
  if (archive.empty()) return;
  PendingError error;
  // A cut between the two renames leaves the period's volume file behind.
  const std::string zvt = form.file(kCountRecZvt);
  if (fileExists(volumeFileOf(zvt)) && !fileExists(volumeFileOf(form.file(archive))))
    moveVolumeFile(zvt, form.file(archive), error);
  std::string head;
  if (!readWholeFile(form.file(archive), head, error, 2 * kRecordLength)) return;
  head.resize(2 * kRecordLength, ' ');
  const std::string record1 = head.substr(0, kRecordLength);
  const std::string record2 = head.substr(kRecordLength);
  if (record1.substr(0, 4) != "From" || (record2.substr(0, 4) != "0_To" && record2.substr(0, 4) != "1_To")) return;
  const long long s = wholeValue(mid(record1, 8, 2));
  const long long e = wholeValue(mid(record2, 8, 2));
  if (s < 1 || s > 31 || e < 1 || e > 31 || s == e) return;
  // The same days and part-minute setting as the period just closed; the
  // date as a confirmation today would write it.
  const std::string startHeader =
      periodStartHeader(twoDigits(s), periodStartDate(form, static_cast<int>(s), static_cast<int>(e)));
  const std::string endHeader = periodEndHeader(record2[0] == '1', twoDigits(e));
  writeWholeFile(form.file(kCountRecZvt), padRecord(startHeader) + padRecord(endHeader), error);
  reportFailure(form, kSavingData, error);
}

}  // namespace tallix
