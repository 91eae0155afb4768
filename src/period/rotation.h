// The second half of a confirmation: the closed period's file takes the
// lowest free archive number (a full set of 99 moves into Oldlog first), a
// new CountRec.zvt begins with its two header records, and the main view and
// the shared state are reset for the new period.
#pragma once

#include <string>
#include <vector>

#include "form/main_form.h"
#include "store/pending_error.h"

namespace tallix {

// Archive numbers run from 1 to this.
inline constexpr int kArchiveSetSize = 99;

// Record 1 of a period file: "From : " + two-digit starting day + "_" + date.
std::string periodStartHeader(const std::string& startDayText, const std::string& date);
// Record 2: "1_To : " when part-minutes count as whole minutes, else "0_To : ",
// then the two-digit ending day.
std::string periodEndHeader(bool partMinute, const std::string& endDayText);
// The date written into record 1: its year and month are the month in which
// the period s-e began, as seen today; its day is today's.
std::string periodStartDate(MainForm& form, int s, int e);

// Reads records 1 and 2 of CountRec.zvt in one open. On failure the error is
// pending and both texts keep what they held.
bool readPeriodHeaders(MainForm& form, std::string& record1, std::string& record2, PendingError& error);

// Reads the first records of a file that exists, opened for reading only, so
// that a folder that cannot be written is read all the same; a record past
// the file's end is all fill characters. On failure the error is pending and
// `records` keeps what it held.
bool readLeadingRecords(const std::string& path, long recordLength, char fill, std::vector<std::string>& records,
                        PendingError& error);

// The name the closed period's file is to take: the lowest free number 1..99
// followed by ".log". When every number is taken the full set is moved into
// Oldlog once and the search runs again; empty (with an error pending) when
// that pass finds no free number either.
std::string chooseArchiveName(MainForm& form, PendingError& error);
// Copies 1.log..99.log into Oldlog (made when missing), deletes each one whose
// copy succeeded, and deletes CountRec.log. Other ".log" files stay.
void archiveFullSet(MainForm& form, PendingError& error);

// At start-up, before anything reads the period: removes what a power cut
// left of a file being replaced, and completes a rotation that a power cut
// cut in two. Rotation renames the period's file to its number first and
// then makes the new CountRec.zvt; when a start finds no CountRec.zvt but a
// closed period, the newest numbered log, it makes the new file from that
// log's headers as the rotation would have, so recording goes on.
void completeHalfDoneRotation(MainForm& form);

// Closes the old period and begins the period s-e from the two validated
// two-digit texts in the day boxes.
void beginNewPeriod(MainForm& form, int s, int e);

}  // namespace tallix
