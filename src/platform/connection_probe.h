// The platform's answer to "is a dial-up connection up right now?".
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/byte_counters.h"

namespace tallix {

class ConnectionProbe {
 public:
  virtual ~ConnectionProbe() = default;
  // True when the first dial-up connection the system lists is connected.
  // When the system's listing itself fails, its failure code (in decimal) is
  // put into `failureCode` and the answer is false.
  virtual bool isConnected(std::string& failureCode) = 0;
  // One line for the Settings view: what the last answer looked at. Empty
  // where the probe has nothing to say.
  virtual std::string watched() const { return {}; }
  // The byte counts of the interface the last answer found connected, read
  // now; nothing where they cannot be read. Asked only while a connection is
  // being recorded, so an idle tick costs nothing more.
  virtual std::optional<ByteCounters> counters() { return std::nullopt; }
};

// The real probe of this platform.
std::unique_ptr<ConnectionProbe> makeConnectionProbe();

// The lines a probe gives for watched().
inline constexpr std::string_view kNoDialupFound = "no dial-up connection found";
inline std::string watchingInterface(std::string_view name) { return "watching: " + std::string(name); }
inline std::string watchingConnection(std::string_view type, std::string_view id) {
  return "watching: " + std::string(type) + " connection '" + std::string(id) + "'";
}

}  // namespace tallix
