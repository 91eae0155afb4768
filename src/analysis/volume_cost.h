// The volume part of a connection's price under a tariff's [Volume] part:
// each begun unit of unit_bytes past the period's allowance costs its price.
// The allowance is the period's: a connection uses what its predecessors in
// the period left of it.
#pragma once

#include <cstdint>

#include "store/tariff_file.h"

namespace tallix {

// Units charged for a connection of `bytes` when `usedBefore` bytes of the
// period came before it; 0 without a [Volume] part.
std::uint64_t volumeUnits(const Tariff& tariff, std::uint64_t usedBefore, std::uint64_t bytes);
// Their price in ten-thousandths of the currency (the tariff's own amounts),
// stopping at the largest amount a sum holds instead of wrapping round.
std::int64_t volumeAmount(const Tariff& tariff, std::uint64_t usedBefore, std::uint64_t bytes);

}  // namespace tallix
