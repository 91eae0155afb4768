// The Calculation view's Load: header checks, period and creation dates,
// first and last time stamps, and the total of the connection pairs.
#pragma once

#include <string>
#include <string_view>

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

void cmdLoad_Click(MainForm& form);
// The same load, telling the observer of every pair it reads.
void loadSelectedLog(MainForm& form, const PairObserver& observer);

void GetPeriodStart(MainForm& form, const std::string& record1);
void GetPeriodEnd(MainForm& form, const std::string& record2, PendingError& error);

}  // namespace tallix
