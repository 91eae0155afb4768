// The record-file steps of one connection: placing a new pair behind the
// last record, and writing the end record when the connection is over.
#pragma once

#include <string>
#include <string_view>

#include "form/main_form.h"
#include "store/date_time.h"
#include "store/pending_error.h"

namespace tallix {

// "_end : " followed by a time in the form "yyyy/mm/dd hh:mm:ss".
std::string endRecordText(std::string_view stamp);

// The end record that closes a start record left without one: it carries the
// start's own time (its two-digit year read as 20yy), so the pair counts as
// zero length. A record with no readable time gets `fallbackStamp`.
std::string danglingEndText(std::string_view startRecord, std::string_view fallbackStamp);

// The record number where a new connection's start record goes: behind the
// last record, and 3 when the file holds no more than its two headers. A
// start record left without its end record (an odd number of records past
// the headers) first gets one, so the new start lands on an odd number and
// every later pair keeps its partner. Returns 0, with the error recorded,
// when the file could not be read or repaired: nothing may be written then.
long placeNewConnection(const std::string& path, std::string_view nowStamp, PendingError& error);

// The open connection's start record: "start: ", the day count in two digits
// (99 at most: the field has no room for more) and the start time without
// the first two digits of its year, built from the 26-character StartLine.
std::string startRecordText(std::string_view startLine, long days);

// Writes the open connection's start record (EndRecNo - 1, with the current
// day count) and its end record (EndRecNo, with `endStamp`) in one write, so
// the file never holds a day count that disagrees with its end time, and a
// start record whose own write failed is written again.
bool writeOpenPair(MainForm& form, std::string_view endStamp, PendingError& error);

// When `when` has come back to the start's hour and minute on a later day,
// counts one more whole day (DaysSpanned, DayText). Returns whether it did.
bool countDayIfDue(MainForm& form, const DateTime& when);

// Closes the connection being recorded at `when`: a whole day that is due is
// counted first, so a line that drops in the start's minute of a later day
// loses no day; then its pair is written with `when` as the end, lblEndTime
// shows the end, and Recording and DaysSpanned are reset.
void closeConnection(MainForm& form, const DateTime& when, PendingError& error);

}  // namespace tallix
