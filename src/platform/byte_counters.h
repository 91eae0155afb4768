// The system's own count of the bytes received and sent on one network
// interface since it came up.
#pragma once

#include <cstdint>
#include <string>

namespace tallix {

struct ByteCounters {
  std::uint64_t received = 0;
  std::uint64_t sent = 0;
  // Which interface counted them: a change of interface is a new count.
  std::string source;

  friend bool operator==(const ByteCounters&, const ByteCounters&) = default;
};

}  // namespace tallix
