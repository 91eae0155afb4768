// The bytes of the connection being recorded, counted from the system's
// interface counters as the ticks read them.
#pragma once

#include <optional>

#include "platform/byte_counters.h"
#include "store/volume_file.h"

namespace tallix {

struct VolumeCount {
  bool known = false;  // a reading came since the connection began
  Volume counted;      // since the connection began
  std::optional<ByteCounters> last;  // the reading counted last

  // A new connection: nothing counted yet; its first reading is the base.
  void begin(const std::optional<ByteCounters>& reading);
  // Adds what the counters moved on since the last reading. A counter that
  // went backwards (the interface was made again, or it wrapped), or one of
  // another interface, starts a new base: what was counted stays. A tick
  // without a reading counts nothing and keeps the base.
  void take(const std::optional<ByteCounters>& reading);
};

}  // namespace tallix
