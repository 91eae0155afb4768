#include "platform/linux/nm_answer.h"

#include <algorithm>

#include "platform/connection_probe.h"

namespace tallix {
namespace {

// The network manager's long names of the two common types, as people say them.
std::string_view shownType(std::string_view type) {
  if (type == "802-3-ethernet") return "ethernet";
  if (type == "802-11-wireless") return "wifi";
  return type;
}

}  // namespace

bool dialupType(std::string_view type) {
  return type == "gsm" || type == "cdma" || type == "pppoe" || type == "bluetooth";
}

bool dialupLike(const NmActive& active) {
  return dialupType(active.Type) || std::any_of(active.devices.begin(), active.devices.end(), [](const NmDevice& d) {
           return d.DeviceType == kNmDeviceModem || d.Metered == 1 || d.Metered == 3;
         });
}

NmAnswer judge(const std::vector<NmActive>& actives) {
  const auto first = std::find_if(actives.begin(), actives.end(), dialupLike);
  if (first == actives.end()) return {};
  return {true, first->State == kNmActivated, watchingConnection(shownType(first->Type), first->Id),
          first->interface};
}

}  // namespace tallix
