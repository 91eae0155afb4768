#include "analysis/volume_cost.h"

#include <limits>

#include "analysis/cost.h"

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

PeriodVolumePricer::Part PeriodVolumePricer::next(const std::optional<Volume>& volume) {
  if (!prices()) return {};
  if (!volume) {
    unknownBefore_ = true;
    return {0, true};
  }
  constexpr std::uint64_t kTop = std::numeric_limits<std::uint64_t>::max();
  const auto allowance = static_cast<std::uint64_t>(tariff_.allowanceBytes);
  const bool atLeast = unknownBefore_ && usedBefore_ < allowance;
  const std::uint64_t bytes = volume->total();
  const std::int64_t amount = volumeAmount(tariff_, usedBefore_, bytes);
  usedBefore_ = usedBefore_ > kTop - bytes ? kTop : usedBefore_ + bytes;
  if (amount == std::numeric_limits<std::int64_t>::max()) return {kMostCents, atLeast};
  return {amount / 100 + (amount % 100 >= 50 ? 1 : 0), atLeast};
}

}  // namespace tallix
