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
  const std::int64_t part = cents % 100;
  return std::to_string(cents / 100) + (part < 10 ? ".0" : ".") + std::to_string(part);
}

std::string moneyText(std::int64_t cents, std::string_view currency) {
  std::string text = centsText(cents);
  if (!currency.empty()) {
    text += ' ';
    text.append(currency);
  }
  return text;
}

}  // namespace tallix
