// What the system's network interfaces mean for the meter, as plain data: the
// probe fills the rows from the interface table, the rule below decides.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/byte_counters.h"

namespace tallix {

inline constexpr std::uint32_t kIfTypePpp = 23;        // a dial-up or PPPoE link
inline constexpr std::uint32_t kIfTypeWwan = 243;      // mobile broadband (GSM)
inline constexpr std::uint32_t kIfTypeWwanCdma = 244;  // mobile broadband (CDMA)
inline constexpr std::uint32_t kIfTypeLoopback = 24;

struct NetInterface {
  std::uint32_t type = 0;  // the interface type number of the table
  bool up = false;         // operational state up
  bool connected = false;  // media connected
  bool metered = false;    // the system charges its traffic (cost fixed or variable)
  std::string name;        // the name the user knows it by
  std::uint64_t received = 0;  // the row's InOctets
  std::uint64_t sent = 0;      // the row's OutOctets
};

struct InterfaceAnswer {
  bool connected = false;
  std::string watched;  // the Settings line
  std::optional<ByteCounters> counters;  // the connected interface's row, when one decided
};

// Connected when an interface that is dial-up by type, or metered, is up and
// connected; the first such interface is named. The system lists hidden
// adapters of the PPP type that never come up, so one that is down names
// nothing.
InterfaceAnswer judgeInterfaces(const std::vector<NetInterface>& interfaces);
// Whether an interface of another type than dial-up and loopback is up and
// connected: only then can a metered one decide, so only then is the
// system asked which are metered.
bool plainLinkUp(const std::vector<NetInterface>& interfaces);

}  // namespace tallix
