#include "analysis/volume_cost.h"

#include <limits>

namespace tallix {

std::uint64_t volumeUnits(const Tariff& tariff, std::uint64_t usedBefore, std::uint64_t bytes) {
  if (tariff.unitBytes <= 0) return 0;
  const auto allowance = static_cast<std::uint64_t>(tariff.allowanceBytes);
  const std::uint64_t left = usedBefore < allowance ? allowance - usedBefore : 0;
  const std::uint64_t charged = bytes > left ? bytes - left : 0;
  const auto unit = static_cast<std::uint64_t>(tariff.unitBytes);
  return charged / unit + (charged % unit != 0 ? 1 : 0);
}

std::int64_t volumeAmount(const Tariff& tariff, std::uint64_t usedBefore, std::uint64_t bytes) {
  constexpr std::int64_t kMost = std::numeric_limits<std::int64_t>::max();
  const std::uint64_t units = volumeUnits(tariff, usedBefore, bytes);
  if (units == 0 || tariff.volumePrice <= 0) return 0;
  const auto price = static_cast<std::uint64_t>(tariff.volumePrice);
  if (units > static_cast<std::uint64_t>(kMost) / price) return kMost;
  return static_cast<std::int64_t>(units * price);
}

}  // namespace tallix
