#include "platform/windows/interface_answer.h"

#include "platform/connection_probe.h"

namespace tallix {

namespace {

bool dialupInterface(std::uint32_t type) {
  return type == kIfTypePpp || type == kIfTypeWwan || type == kIfTypeWwanCdma;
}

}  // namespace

InterfaceAnswer judgeInterfaces(const std::vector<NetInterface>& interfaces) {
  for (const NetInterface& i : interfaces) {
    if (!i.up || !i.connected) continue;
    const ByteCounters counted{i.received, i.sent, i.name};
    if (dialupInterface(i.type)) return {true, watchingInterface(i.name), counted};
    if (i.metered) return {true, watchingConnection("metered", i.name), counted};
  }
  return {false, std::string(kNoDialupFound), std::nullopt};
}

bool plainLinkUp(const std::vector<NetInterface>& interfaces) {
  for (const NetInterface& i : interfaces)
    if (i.up && i.connected && !dialupInterface(i.type) && i.type != kIfTypeLoopback) return true;
  return false;
}

}  // namespace tallix
