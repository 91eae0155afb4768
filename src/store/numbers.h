// The two readings of a text as a number, and the small text helpers every
// reader uses to find fields by position.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "store/pending_error.h"

namespace tallix {

// Numeric value: blanks are ignored wherever they stand; an optional sign and
// the digits (with at most one decimal point) from the start up to the first
// other character are taken; a text without leading digits gives 0. Never fails.
double numericValue(std::string_view text);

// Nearest whole number, halves to the even one; values beyond the range of
// long long (or not finite) are clamped to its ends.
long long roundHalfEven(double value);

// The numeric value rounded to a whole number.
long long wholeValue(std::string_view text);

// Number conversion: the whole text (blanks at its ends allowed) must be a
// number, else error 13 (type mismatch) is recorded and false returned.
bool numberConversion(std::string_view text, double& value, PendingError& error);
// Number conversion to a signed 16-bit whole number (halves to even); a
// value outside -32768..32767 records error 6 (overflow).
bool convertToInt16(std::string_view text, std::int16_t& value, PendingError& error);
// Stores a whole number into a signed 16-bit field, or records error 6.
bool storeInt16(long long value, std::int16_t& field, PendingError& error);

// Text positions count from 1; every helper is safe past either end.
std::string left(std::string_view text, long count);
std::string right(std::string_view text, long count);
std::string mid(std::string_view text, long start, long count);
// The text without the blanks at its end, or at both ends: views into it,
// and the same as new strings. The one way blanks are trimmed.
inline std::string_view trimmedRight(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && text[end - 1] == ' ') --end;
  return text.substr(0, end);
}
inline std::string_view trimmed(std::string_view text) {
  // The usual record: a 26-character pair text and three blanks.
  if (text.size() == 29 && text[0] != ' ' && text[25] != ' ' && text.ends_with("   ")) [[likely]]
    return {text.data(), 26};
  text = trimmedRight(text);
  size_t begin = 0;
  while (begin < text.size() && text[begin] == ' ') ++begin;
  return text.substr(begin);
}
inline std::string trimRight(std::string_view text) { return std::string(trimmedRight(text)); }
inline std::string trim(std::string_view text) { return std::string(trimmed(text)); }
// A whole number in decimal, with a leading "0" when it is one digit long.
std::string twoDigits(long long value);

}  // namespace tallix
