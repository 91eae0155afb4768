// The record-file steps of one connection: placing a new pair behind the
// last record, and writing the end record when the connection is over.
#pragma once

#include <string>
#include <string_view>

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

// Writes the open connection's end record as the last record of the file.
// The end record always lands on an even record number from 4 on, so it
// never overwrites a start record or a header, even when the end record
// written at the start was lost.
bool writeClosingEnd(const std::string& path, std::string_view stamp, PendingError& error);

}  // namespace tallix
