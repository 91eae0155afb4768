#include "store/numbers.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace tallix {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Parses sign, digits and at most one decimal point at `text`; returns the
// characters used (0 when there is no digit).
size_t scanNumber(const std::string& text, double& value) {
  size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
  size_t digits = 0;
  bool point = false;
  size_t end = at;
  while (end < text.size()) {
    if (isDigit(text[end])) {
      ++digits;
    } else if (text[end] == '.' && !point) {
      point = true;
    } else {
      break;
    }
    ++end;
  }
  if (digits == 0) {
    value = 0;
    return 0;
  }
  value = std::strtod(text.substr(0, end).c_str(), nullptr);
  return end;
}

}  // namespace

double numericValue(std::string_view text) {
  std::string packed;
  packed.reserve(text.size());
  for (char c : text) {
    if (!isBlank(c)) packed.push_back(c);
  }
  double value = 0;
  scanNumber(packed, value);
  return value;
}

long long roundHalfEven(double value) {
  constexpr double kMax = 9.2e18;
  if (std::isnan(value)) return 0;
  if (value >= kMax) return static_cast<long long>(kMax);
  if (value <= -kMax) return -static_cast<long long>(kMax);
  double whole = std::floor(value);
  double rest = value - whole;
  if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
  return static_cast<long long>(whole);
}

long long wholeValue(std::string_view text) { return roundHalfEven(numericValue(text)); }

bool numberConversion(std::string_view text, double& value, PendingError& error) {
  std::string body = trim(text);
  double parsed = 0;
  size_t used = scanNumber(body, parsed);
  if (used == 0 || used != body.size() || !std::isfinite(parsed)) {
    error.raise(kTypeMismatch);
    return false;
  }
  value = parsed;
  return true;
}

bool convertToInt16(std::string_view text, std::int16_t& value, PendingError& error) {
  double parsed = 0;
  if (!numberConversion(text, parsed, error)) return false;
  return storeInt16(roundHalfEven(parsed), value, error);
}

bool storeInt16(long long value, std::int16_t& field, PendingError& error) {
  if (value < std::numeric_limits<std::int16_t>::min() || value > std::numeric_limits<std::int16_t>::max()) {
    error.raise(kOverflow);
    return false;
  }
  field = static_cast<std::int16_t>(value);
  return true;
}

std::string left(std::string_view text, long count) {
  if (count <= 0) return {};
  return std::string(text.substr(0, static_cast<size_t>(count)));
}

std::string right(std::string_view text, long count) {
  if (count <= 0) return {};
  auto n = static_cast<size_t>(count);
  if (n >= text.size()) return std::string(text);
  return std::string(text.substr(text.size() - n));
}

std::string mid(std::string_view text, long start, long count) {
  if (start < 1 || count <= 0) return {};
  auto from = static_cast<size_t>(start - 1);
  if (from >= text.size()) return {};
  return std::string(text.substr(from, static_cast<size_t>(count)));
}

std::string twoDigits(long long value) {
  std::string text = std::to_string(value);
  return text.size() == 1 ? "0" + text : text;
}

}  // namespace tallix
