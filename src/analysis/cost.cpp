#include "analysis/cost.h"

#include "analysis/pricer.h"

namespace tallix {

std::int64_t connectionCents(const Tariff& t, long long start, bool dayKnown, long long seconds) {
  return Pricer(t).cents(start, dayKnown, seconds);
}

std::int64_t connectionCents(const Tariff& t, const PairStart& start, long long seconds, bool partMinute) {
  return Pricer(t).cents(start.counted(partMinute), start.dated, seconds);
}

std::string centsText(std::int64_t cents) {
  // Whole units and cents apart, without negating the most negative number.
  const bool negative = cents < 0;
  const auto magnitude = negative ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
  const std::uint64_t part = magnitude % 100;
  // Built step by step: MinGW's GCC 12 warns of an overlap (a false one)
  // when a literal is put in front of a temporary string.
  std::string text = negative ? "-" : "";
  text += std::to_string(magnitude / 100);
  text += part < 10 ? ".0" : ".";
  text += std::to_string(part);
  return text;
}

std::string moneyText(std::int64_t cents, std::string_view currency, bool atLeast) {
  std::string text = atLeast || cents >= kMostCents ? "at least " : "";
  text += centsText(cents);
  if (!currency.empty()) {
    text += ' ';
    text.append(currency);
  }
  return text;
}

}  // namespace tallix
