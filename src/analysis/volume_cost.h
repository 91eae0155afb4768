// The volume part of a connection's price under a tariff's [Volume] part:
// each begun unit of unit_bytes past the period's allowance costs its price.
// The allowance is the period's: a connection uses what its predecessors in
// the period left of it.
#pragma once

#include <cstdint>
#include <optional>

#include "store/tariff_file.h"
#include "store/volume_file.h"

namespace tallix {

// Units charged for a connection of `bytes` when `usedBefore` bytes of the
// period came before it; 0 without a [Volume] part.
std::uint64_t volumeUnits(const Tariff& tariff, std::uint64_t usedBefore, std::uint64_t bytes);
// Their price in ten-thousandths of the currency (the tariff's own amounts),
// stopping at the largest amount a sum holds instead of wrapping round.
std::int64_t volumeAmount(const Tariff& tariff, std::uint64_t usedBefore, std::uint64_t bytes);

// The volume parts of one period's connections, taken in their order: each
// uses what those before it left of the allowance. A connection whose volume
// is unknown has a volume part of at least nothing, and leaves what the
// allowance still holds unknown, so the parts after it are at least what they
// would be without it (more used before them never makes them cheaper) until
// known bytes alone have spent the allowance.
class PeriodVolumePricer {
 public:
  explicit PeriodVolumePricer(const Tariff& tariff) : tariff_(tariff) {}
  // Carrying on after connections whose known bytes came to `usedBefore`,
  // `unknownBefore` when one of them had an unknown volume.
  PeriodVolumePricer(const Tariff& tariff, std::uint64_t usedBefore, bool unknownBefore)
      : tariff_(tariff), usedBefore_(usedBefore), unknownBefore_(unknownBefore) {}

  bool prices() const { return tariff_.pricesVolume(); }

  struct Part {
    std::int64_t cents = 0;  // halves up, as the time part; kMostCents past what a sum holds
    bool atLeast = false;    // the least it can be, not known in full
  };
  // The next connection's volume part.
  Part next(const std::optional<Volume>& volume);

 private:
  Tariff tariff_;
  std::uint64_t usedBefore_ = 0;  // known bytes of the connections so far
  bool unknownBefore_ = false;    // one of them had an unknown volume
};

}  // namespace tallix
