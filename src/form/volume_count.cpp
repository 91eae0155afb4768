#include "form/volume_count.h"

namespace tallix {

void VolumeCount::begin(const std::optional<ByteCounters>& reading) {
  counted = {};
  known = reading.has_value();
  last = reading;
}

void VolumeCount::take(const std::optional<ByteCounters>& reading) {
  if (!reading) return;
  if (last && last->source == reading->source) {
    if (reading->received >= last->received) counted.received += reading->received - last->received;
    if (reading->sent >= last->sent) counted.sent += reading->sent - last->sent;
  }
  known = true;
  last = reading;
}

}  // namespace tallix
