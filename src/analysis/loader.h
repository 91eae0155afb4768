// The Calculation view's Load: header checks, period and creation dates,
// first and last time stamps, and the total of the connection pairs.
#pragma once

#include <string>
#include <string_view>

#include "analysis/log_image.h"
#include "analysis/pairs.h"
#include "form/main_form.h"

namespace tallix {

// The labels' texts: bare after a reset, and the prefix of the filled text.
inline constexpr std::string_view kFromLabel = "         from : ";
inline constexpr std::string_view kToLabel = "             to : ";
inline constexpr std::string_view kCreatedBare = "file  created : ";
inline constexpr std::string_view kCreatedFilled = " file created : ";
inline constexpr std::string_view kFirstRecordLabel = "first record : ";
inline constexpr std::string_view kLastRecordLabel = " last record : ";
inline constexpr std::string_view kTotalTimeBare = "Total time : ";

// The complaints about a chosen file, after its name and ",".
inline constexpr std::string_view kFileNotFoundComplaint = " file not found";
inline constexpr std::string_view kWrongFormatComplaint = " wrong format";

// What a load found, in the stored forms, for callers that show it their own way.
struct LoadedTexts {
  bool headers = false;  // both header records were accepted
  std::string from;      // the period's first and last day, "yyyy/mm/dd"
  std::string to;        // (a text that is no real day as it stands)
  std::string created;
  std::string first;     // stamps "yy/mm/dd hh:mm:ss" of the first and last
  std::string last;      // record; empty when the file has no such record
  long records = 0;      // how many records the file holds
  LogImage log;          // the file as read, for the texts of its records
};

void cmdLoad_Click(MainForm& form);
// The same load, telling the observer of every pair it reads and, when
// `texts` is given, keeping what the labels show in the stored forms.
void loadSelectedLog(MainForm& form, const PairObserver& observer, LoadedTexts* texts = nullptr);

void GetPeriodStart(MainForm& form, const std::string& record1);
void GetPeriodEnd(MainForm& form, const std::string& record2, PendingError& error);

}  // namespace tallix
