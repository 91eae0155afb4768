#include "store/tariff_file.h"

#include <algorithm>
#include <cctype>
#include <set>

#include "store/date_time.h"
#include "store/file_system.h"
#include "store/record_file.h"
#include "store/text_shape.h"

namespace tallix {
namespace {

constexpr std::string_view kDayNames[7] = {"mon", "tue", "wed", "thu", "fri", "sat", "sun"};

std::string_view trimmed(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

std::string lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

bool allDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "12", "0.05", "3.1415": digits, at most four decimals, no sign.
std::optional<std::int64_t> parseAmount(std::string_view s) {
  const size_t point = s.find('.');
  const std::string_view whole = s.substr(0, point);
  const std::string_view decimals = point == std::string_view::npos ? std::string_view{} : s.substr(point + 1);
  if (!allDigits(whole) || whole.size() > 6) return std::nullopt;
  if (point != std::string_view::npos && (!allDigits(decimals) || decimals.size() > 4)) return std::nullopt;
  std::int64_t value = std::stoll(std::string(whole)) * 10000;
  std::int64_t scale = 1000;
  for (char c : decimals) {
    value += (c - '0') * scale;
    scale /= 10;
  }
  return value;
}

// "hh:mm" from 00:00 to 24:00, as seconds of the day.
std::optional<std::int64_t> parseClock(std::string_view s) {
  if (s.size() != 5 || s[2] != ':' || !allDigits(s.substr(0, 2)) || !allDigits(s.substr(3))) return std::nullopt;
  const int h = (s[0] - '0') * 10 + (s[1] - '0');
  const int m = (s[3] - '0') * 10 + (s[4] - '0');
  if (m > 59 || h > 24 || (h == 24 && m != 0)) return std::nullopt;
  return h * 3600LL + m * 60LL;
}

// A key or word in quotes, for a message.
std::string inQuotes(std::string_view text) {
  std::string out = "\"";
  out.append(text);
  out += '"';
  return out;
}

struct Parser {
  Tariff tariff;
  std::string section;
  std::set<std::string> seen;  // "section.key", against a key given twice

  // An empty text when the line was taken, else why not.
  std::string take(std::string_view key, std::string_view value) {
    if (section.empty()) return "a setting before any [Tariff], [Off-peak] or [Volume] heading";
    const std::string name = lower(key);
    if (!seen.insert(section + "." + name).second) return inQuotes(key) + " is given twice";
    auto amount = [&](std::int64_t& into) -> std::string {
      const auto parsed = parseAmount(value);
      if (!parsed) return inQuotes(key) + " must be an amount such as 0.05, with at most four decimals";
      into = *parsed;
      return {};
    };
    if (section == "tariff") {
      if (name == "currency") {
        tariff.currency = std::string(value);
        return {};
      }
      if (name == "per_call") return amount(tariff.perCall);
      if (name == "price") return amount(tariff.price);
      if (name == "minimum") return amount(tariff.minimum);
      if (name == "unit") {
        if (!allDigits(value) || value.size() > 6 || std::stoll(std::string(value)) < 1 ||
            std::stoll(std::string(value)) > kMostUnit)
          return "\"unit\" must be a whole number of seconds from 1 to 604800";
        tariff.unit = std::stoll(std::string(value));
        return {};
      }
    } else if (section == "volume") {
      if (name == "price") return amount(tariff.volumePrice);
      if (name == "unit_bytes") return bytes(key, value, 1, kMostUnitBytes, tariff.unitBytes);
      if (name == "allowance_bytes") return bytes(key, value, 0, kMostAllowanceBytes, tariff.allowanceBytes);
    } else {
      if (name == "price") return amount(tariff.offPeakPrice);
      if (name == "days") return takeDays(value);
      if (name == "hours") return takeHours(value);
    }
    return inQuotes(key) + " is not a setting of [" +
           (section == "tariff" ? "Tariff" : section == "volume" ? "Volume" : "Off-peak") + "]";
  }

  // A whole number of bytes from `least` to `most`, written plainly.
  static std::string bytes(std::string_view key, std::string_view value, std::int64_t least, std::int64_t most,
                           std::int64_t& into) {
    if (!allDigits(value) || value.size() > 16 || std::stoll(std::string(value)) < least ||
        std::stoll(std::string(value)) > most)
      return inQuotes(key) + " must be a whole number of bytes from " + std::to_string(least) + " to " +
             std::to_string(most);
    into = std::stoll(std::string(value));
    return {};
  }

  std::string takeDays(std::string_view value) {
    std::string words(value);
    std::replace(words.begin(), words.end(), ',', ' ');
    size_t at = 0;
    while ((at = words.find_first_not_of(" \t", at)) != std::string::npos) {
      const size_t end = std::min(words.find_first_of(" \t", at), words.size());
      const std::string word = words.substr(at, end - at);
      const auto* day = std::find(std::begin(kDayNames), std::end(kDayNames), lower(word));
      if (day == std::end(kDayNames)) return inQuotes(word) + " is not a day; days are Mon Tue Wed Thu Fri Sat Sun";
      tariff.offPeakDays[static_cast<size_t>(day - std::begin(kDayNames))] = true;
      at = end;
    }
    return {};
  }

  std::string takeHours(std::string_view value) {
    const size_t dash = value.find('-');
    const auto from = parseClock(trimmed(value.substr(0, dash)));
    const auto to = dash == std::string_view::npos ? std::nullopt : parseClock(trimmed(value.substr(dash + 1)));
    if (!from || !to) return "\"hours\" must be two times of day such as 21:00-07:00";
    if (*from % kDay == *to % kDay) return "\"hours\" must begin and end at different times";
    tariff.offPeakFrom = *from % kDay;
    tariff.offPeakTo = *to % kDay;
    return {};
  }
};

}  // namespace

TariffReading parseTariff(std::string_view text) {
  Parser parser;
  int number = 0;
  int volumeLine = 0;
  // A byte-order mark, as some editors write at the start of a text file.
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  while (!text.empty()) {
    ++number;
    const size_t end = std::min(text.find('\n'), text.size());
    std::string_view line = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    line = trimmed(line.substr(0, line.find(';')));
    if (line.empty()) continue;
    std::string reason;
    if (line.front() == '[') {
      const std::string heading = lower(line);
      if (heading == "[tariff]" || heading == "[off-peak]" || heading == "[volume]") {
        parser.section = heading.substr(1, heading.size() - 2);
        if (!parser.seen.insert(heading).second) reason = std::string(line) + " is given twice";
        if (heading == "[volume]") volumeLine = number;
      } else {
        reason = std::string(line) + " is not a part of a tariff; the parts are [Tariff], [Off-peak] and [Volume]";
      }
    } else if (const size_t equals = line.find('='); equals == std::string_view::npos) {
      reason = "a line must read key = value";
    } else {
      reason = parser.take(trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)));
    }
    if (!reason.empty()) return {std::nullopt, number, reason};
  }
  // Blanks and comments alone (an empty file, say, as a power cut while it
  // was saved could leave one) are no tariff: every price 0 would be a lie.
  if (!parser.seen.contains("[tariff]"))
    return {std::nullopt, 0, "it holds no [Tariff] part, so there are no prices to use"};
  // A price by volume means nothing without the size of what it buys.
  if (volumeLine != 0 && parser.tariff.unitBytes == 0)
    return {std::nullopt, volumeLine, "[Volume] needs \"unit_bytes\", the bytes of one charged unit"};
  return {parser.tariff, 0, {}};
}

TariffFileState readTariffFile(const std::string& path) {
  if (!fileExists(path)) return {};
  std::string text;
  PendingError error;
  long long length = 0;
  if (!readWholeFile(path, text, error, kLongestTariff, &length))
    return {true, {std::nullopt, 0, "it cannot be read: " + error.description}};
  if (length > kLongestTariff) return {true, {std::nullopt, 0, "it is too long"}};
  // A file of a single-byte editor is read as Latin-1, so its currency shows
  // as written; the program's texts are UTF-8.
  TextShape shape;
  return {true, parseTariff(textForEditing(text, shape))};
}

std::string tariffProblem(std::string_view file, const TariffReading& reading) {
  std::string text(file);
  if (reading.line > 0) text += ", line " + std::to_string(reading.line);
  return text + ": " + reading.reason;
}

std::string amountText(std::int64_t value) {
  std::string text = std::to_string(value / 10000);
  std::int64_t decimals = value % 10000;
  if (decimals == 0) return text;
  std::string digits = std::to_string(decimals + 10000).substr(1);
  digits.erase(digits.find_last_not_of('0') + 1);
  return text + "." + digits;
}

}  // namespace tallix
