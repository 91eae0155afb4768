// Which of the system's network interfaces the meter counts.
#include "platform/windows/interface_answer.h"

#include <gtest/gtest.h>

#include <vector>

namespace tallix {
namespace {

NetInterface link(std::uint32_t type, bool up, bool connected, const char* name, bool metered = false) {
  // Byte counts that tell the rows apart.
  return {type, up, connected, metered, name, 1000 + type, 7};
}

TEST(InterfaceAnswer, AnUpDialupOrMeteredInterfaceCounts) {
  const NetInterface ethernet = link(6, true, true, "Ethernet");
  const NetInterface loopback = link(24, true, true, "Loopback Pseudo-Interface 1");
  const NetInterface miniport = link(kIfTypePpp, false, false, "WAN Miniport (PPPOE)");
  const struct {
    const char* name;
    std::vector<NetInterface> interfaces;
    bool connected;
    const char* watched;
    bool plainUp = false;  // the system is asked which links are metered
  } cases[] = {
      {"nothing", {}, false, "no dial-up connection found"},
      {"ethernet and loopback", {loopback, ethernet}, false, "no dial-up connection found", true},
      {"loopback alone", {loopback}, false, "no dial-up connection found"},
      {"a hidden PPP adapter, down", {miniport, ethernet}, false, "no dial-up connection found", true},
      {"PPP up and connected", {ethernet, link(kIfTypePpp, true, true, "ppp0")}, true, "watching: ppp0", true},
      {"PPP up, not connected", {link(kIfTypePpp, true, false, "ppp0")}, false, "no dial-up connection found"},
      {"PPP connected, not up", {link(kIfTypePpp, false, true, "ppp0")}, false, "no dial-up connection found"},
      {"GSM modem", {link(kIfTypeWwan, true, true, "Cellular")}, true, "watching: Cellular"},
      {"CDMA modem", {link(kIfTypeWwanCdma, true, true, "Cellular 2")}, true, "watching: Cellular 2"},
      {"a tethered phone, metered", {loopback, link(6, true, true, "Phone", true)}, true,
       "watching: metered connection 'Phone'", true},
      {"metered but down", {link(71, false, false, "Wi-Fi", true)}, false, "no dial-up connection found"},
      {"the first counted one is named",
       {miniport, link(6, true, true, "Phone", true), link(kIfTypeWwan, true, true, "Cellular")}, true,
       "watching: metered connection 'Phone'", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const InterfaceAnswer answer = judgeInterfaces(c.interfaces);
    EXPECT_EQ(answer.connected, c.connected);
    EXPECT_EQ(answer.watched, c.watched);
    EXPECT_EQ(plainLinkUp(c.interfaces), c.plainUp);
    // The counts are the named row's own.
    ASSERT_EQ(answer.counters.has_value(), c.connected);
    if (answer.counters) {
      EXPECT_NE(answer.watched.find(answer.counters->source), std::string::npos);
      EXPECT_EQ(answer.counters->sent, 7u);
      EXPECT_GT(answer.counters->received, 1000u);
    }
  }
}

}  // namespace
}  // namespace tallix
