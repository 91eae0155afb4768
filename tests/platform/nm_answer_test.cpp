// Which of the network manager's active connections the meter counts.
#ifndef _WIN32

#include "platform/linux/nm_answer.h"

#include <gtest/gtest.h>

#include <vector>

namespace tallix::testing {
namespace {

NmActive active(const char* type, std::uint32_t state, std::vector<NmDevice> devices = {}) {
  // Its interface named after its type, to see whose counts are taken.
  return {type, "Provider", state, std::move(devices), std::string(type) + "0"};
}

TEST(NmAnswerTest, FirstDialupLikeConnectionDecidesAndOnlyActivatedCounts) {
  const NmDevice ethernet{1, 0};
  const struct {
    const char* name;
    std::vector<NmActive> actives;
    bool found, connected;
    const char* watched;
  } cases[] = {
      {"nothing active", {}, false, false, ""},
      {"ethernet and wifi", {active("802-3-ethernet", 2, {ethernet}), active("802-11-wireless", 2)}, false, false, ""},
      {"gsm activated", {active("gsm", 2)}, true, true, "watching: gsm connection 'Provider'"},
      {"cdma", {active("cdma", 2)}, true, true, "watching: cdma connection 'Provider'"},
      {"pppoe", {active("pppoe", 2)}, true, true, "watching: pppoe connection 'Provider'"},
      {"bluetooth", {active("bluetooth", 2)}, true, true, "watching: bluetooth connection 'Provider'"},
      {"gsm activating", {active("gsm", 1)}, true, false, "watching: gsm connection 'Provider'"},
      {"gsm deactivating", {active("gsm", 3)}, true, false, "watching: gsm connection 'Provider'"},
      {"over a modem device", {active("802-3-ethernet", 2, {{8, 0}})}, true, true,
       "watching: ethernet connection 'Provider'"},
      {"metered yes", {active("802-3-ethernet", 2, {{1, 1}})}, true, true, "watching: ethernet connection 'Provider'"},
      {"metered guess-yes", {active("802-11-wireless", 2, {{2, 3}})}, true, true, "watching: wifi connection 'Provider'"},
      {"metered no and guess-no", {active("802-3-ethernet", 2, {{1, 2}}), active("vpn", 2, {{1, 4}})}, false, false,
       ""},
      {"ethernet first, gsm decides", {active("802-3-ethernet", 2, {ethernet}), active("gsm", 2)}, true, true,
       "watching: gsm connection 'Provider'"},
      {"the first dial-up one decides", {active("gsm", 1), active("pppoe", 2)}, true, false,
       "watching: gsm connection 'Provider'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const NmAnswer answer = judge(c.actives);
    EXPECT_EQ(answer.found, c.found);
    EXPECT_EQ(answer.connected, c.connected);
    EXPECT_EQ(answer.watched, c.watched);
  }
  // The deciding connection's interface is the one whose bytes are counted.
  EXPECT_EQ(judge({active("802-3-ethernet", 2, {ethernet}), active("gsm", 2)}).interface, "gsm0");
  EXPECT_EQ(judge({active("802-3-ethernet", 2, {ethernet})}).interface, "");
}

}  // namespace
}  // namespace tallix::testing

#endif  // _WIN32
