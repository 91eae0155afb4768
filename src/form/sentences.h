// The program's own words: the sentence each operation puts in front of its
// failure report, and the fixed messages.
#pragma once

#include <string_view>

namespace tallix {

inline constexpr std::string_view kSavingSettings = "Error occurred when saving settings to disk, ";
// kLoadingData, the sentence of a failed load of data files, is in store/pending_error.h: the log
// loader below the form model reports with it too.
inline constexpr std::string_view kUpdatingCountRecLog = "Error occurred when updating ''CountRec.log'', ";
inline constexpr std::string_view kHandlingFiles = "Error occurred when handling files, ";
inline constexpr std::string_view kSavingData = "Error occurred when saving data to disk, ";
inline constexpr std::string_view kWritingDataToFile = "Error occurred when writing data to file, ";
inline constexpr std::string_view kLoadingBackDays = "Error occurred when loading back starting or ending day, ";
inline constexpr std::string_view kWritingDataToDisk = "Error occurred when writing data to disk, ";
inline constexpr std::string_view kUpdatingDaySpent = "Error occurred when updating day-spent to disk, ";

inline constexpr std::string_view kInvalidStartingDay = "invalid input of starting day";
inline constexpr std::string_view kInvalidEndingDay = "invalid input of ending day";
inline constexpr std::string_view kSameDays =
    "invalid input, starting day and ending day are the same, this program won't accept one-day recording";
inline constexpr std::string_view kHelpNotice =
    "help file not found, visit Vossberry's home page for help supported";
inline constexpr std::string_view kAlreadyRunning = "Application is already running!";
// The start-up refusal when the data folder's lock cannot be taken for any
// reason but another running copy; the folder and the reason follow.
inline constexpr std::string_view kCannotLockFolder =
    "Tallix does not start: it cannot make sure that it is the only copy recording into this folder:\r";
inline constexpr std::string_view kProgramTitle = "Vossberry Tallix";

inline constexpr std::string_view kRecordNotProgressing = "Record is not progressing";
inline constexpr std::string_view kNewFileCreated = "A new file created";
// The start-up message when the data folder cannot be written; the folder
// follows on its own line.
inline constexpr std::string_view kDataFolderUnwritable =
    "Nothing can be recorded: Tallix cannot write its files in this folder:\r";
inline constexpr std::string_view kDataFolderLabel = "data folder: ";
// The time budget: the Settings row's complaint, the Main view's label and
// the two desktop notices.
inline constexpr std::string_view kBudgetInvalid =
    "The hours to warn after must be a whole number from 1 to 744; leave the box empty (or 0) for no warning.";
inline constexpr std::string_view kPeriodTimeLabel = "this period: ";
// A damaged volume file: its name and why come between the two.
inline constexpr std::string_view kVolumeFileDamaged = "The volume file ";
inline constexpr std::string_view kVolumeFileDamagedTail =
    ". The time and its totals are not affected; the volume of its connections is unknown.";
inline constexpr std::string_view kBudget80Notice = "80% of your time budget is used: ";
inline constexpr std::string_view kBudget100Notice = "Your time budget is used up: ";
// The data allowance: the Settings row's complaint, the Main view's line and
// the two desktop notices.
inline constexpr std::string_view kAllowanceInvalid =
    "The data to warn after must be a number of GB from 0.1 to 3000, with one decimal at most "
    "(1.5 for 1500 MB); leave the box empty (or 0) for no warning.";
inline constexpr std::string_view kDataLabel = "data: ";
inline constexpr std::string_view kVolumeUnknown = "volume unknown";
inline constexpr std::string_view kData80Notice = "80% of your data allowance is used: ";
inline constexpr std::string_view kData100Notice = "Your data allowance is used up: ";
inline constexpr std::string_view kOverAllowance = "over your data allowance";
// The tariff: the Settings view's line on it, its failure sentence and the
// message for a file that is no tariff; the Main view's cost and outlook.
inline constexpr std::string_view kSavingTariff = "Error occurred when saving the tariff to disk, ";
inline constexpr std::string_view kTariffMalformed =
    "The tariff cannot be used, so no costs are shown until it is put right in Settings, tariff...:\r";
// A Save the program refuses: what was in force before stays in force.
inline constexpr std::string_view kTariffNotSaved =
    "The tariff was not saved, and the tariff in force stays as it was, because of this mistake:\r";
inline constexpr std::string_view kNoTariff = "no tariff: no costs are shown";
inline constexpr std::string_view kTariffUnusable = "the tariff has a mistake: no costs are shown";
inline constexpr std::string_view kTariffInUse = "costs at ";
inline constexpr std::string_view kAtThisPace = "at this pace: ";
inline constexpr std::string_view kOverBudget = "over budget";
// Clearing "run me when Windows starts" where an entry for every user of the
// computer names the program and only an administrator may remove it; the
// entries follow, one a line.
inline constexpr std::string_view kStartAtLogOnLeft =
    "Tallix still starts when any user logs on: only an administrator can remove this entry:\r";
inline constexpr std::string_view kThisMonthPrompt = "Input the starting day and ending day below";

// File names in the program folder.
inline constexpr std::string_view kCountRecZvt = "CountRec.zvt";
inline constexpr std::string_view kCountRecLog = "CountRec.log";
inline constexpr std::string_view kSettingsFile = "tallix.ini";
inline constexpr std::string_view kOldLogFolder = "Oldlog";

}  // namespace tallix
