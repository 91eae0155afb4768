// The Linux probe over fake interface trees laid out like /sys/class/net.
#ifndef _WIN32

#include "platform/linux/dialup_probe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "support/fake_services.h"

namespace tallix::testing {
namespace {

namespace fs = std::filesystem;
using Text = std::optional<std::string>;  // a file's content; none: no such file

struct Interface {
  std::string name;
  Text type, ifindex, flags, carrier;
};

void layOut(const std::string& root, const std::vector<Interface>& interfaces) {
  for (const Interface& i : interfaces) {
    const fs::path folder = fs::path(root) / i.name;
    fs::create_directories(folder);
    for (const auto& [file, text] : {std::pair{"type", i.type}, {"ifindex", i.ifindex}, {"flags", i.flags},
                                     {"carrier", i.carrier}})
      if (text) std::ofstream(folder / file, std::ios::binary) << *text;
  }
}

const Interface kLoopback{"lo", "772\n", "1\n", "0x9\n", "1\n"};
const Interface kEthernetUp{"eth0", "1\n", "2\n", "0x1003\n", "1\n"};

Interface ppp(const std::string& name, const std::string& index, const std::string& flags, Text carrier) {
  return {name, "512\n", index + "\n", flags, std::move(carrier)};
}

TEST(DialupProbeTest, FirstDialupInterfaceUpWithCarrierIsConnected) {
  const struct {
    const char* name;
    std::vector<Interface> interfaces;
    bool connected;
    const char* watched = nullptr;  // the Settings line, where the row checks it
  } cases[] = {
      {"no interfaces", {}, false, "no dial-up connection found"},
      {"ethernet only", {kLoopback, kEthernetUp}, false, "no dial-up connection found"},
      {"ppp0 down, no carrier file", {kLoopback, ppp("ppp0", "5", "0x1090\n", std::nullopt)}, false},
      {"ppp0 up without carrier", {kLoopback, ppp("ppp0", "5", "0x1091\n", "0\n")}, false},
      {"ppp0 up with carrier", {kLoopback, kEthernetUp, ppp("ppp0", "5", "0x1091\n", "1\n")}, true},
      {"link type PPP under another name", {kLoopback, ppp("dialout", "5", "0x1091\n", "1\n")}, true},
      {"a ppp name decides even with another type", {{"ppp0", "1\n", "5\n", "0x1091\n", "1\n"}}, true},
      {"lowest index decides", {ppp("ppp0", "9", "0x1090\n", "0\n"), ppp("ppp1", "4", "0x1091\n", "1\n")}, true,
       "watching: ppp1"},
      // A mobile-broadband modem: raw IP (link type NONE) under a wwan name.
      {"raw-IP wwan0 up with carrier", {kLoopback, {"wwan0", "65534\n", "3\n", "0x1091\n", "1\n"}}, true,
       "watching: wwan0"},
      {"raw-IP wwan0 down", {{"wwan0", "65534\n", "3\n", "0x1090\n", std::nullopt}}, false, "watching: wwan0"},
      {"raw IP under another name is a tunnel", {{"tun0", "65534\n", "3\n", "0x1091\n", "1\n"}}, false},
      {"a wwan name with ethernet framing", {{"wwan0", "1\n", "3\n", "0x1091\n", "1\n"}}, false},
      {"index 10 comes after index 9",
       {ppp("ppp0", "10", "0x1091\n", "1\n"), ppp("ppp1", "9", "0x1090\n", std::nullopt)}, false},
      // Odd files never count as connected, nor do odd neighbours stop a good link.
      {"flags garbage", {ppp("ppp0", "5", "0x1091 junk\n", "1\n")}, false},
      {"flags missing", {{"ppp0", "512\n", "5\n", std::nullopt, "1\n"}}, false},
      {"flags far too long", {ppp("ppp0", "5", std::string(100000, 'f'), "1\n")}, false},
      {"carrier garbage", {ppp("ppp0", "5", "0x1091\n", "\xff\xfe")}, false},
      {"nothing but the folder", {{"ppp0", std::nullopt, std::nullopt, std::nullopt, std::nullopt}}, false},
      {"index garbage still dial-up",
       {{"eth0", "not a number", "zz", "0x1003", "1"}, ppp("ppp0", "five", "0x1091\n", "1\n")}, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir root;
    layOut(root.path(), c.interfaces);
    std::ofstream(root.file("bonding_masters")) << "bond0\n";  // a plain file beside the interfaces
    DialupProbe probe(root.path());
    std::string failureCode;
    EXPECT_EQ(probe.isConnected(failureCode), c.connected);
    EXPECT_EQ(failureCode, "");
    if (c.watched) {
      EXPECT_EQ(probe.watched(), c.watched);
    }
  }
  DialupProbe nowhere("/nonexistent-tallix-folder/");
  std::string failureCode;
  EXPECT_FALSE(nowhere.isConnected(failureCode));
  EXPECT_EQ(failureCode, "2") << "an unlistable folder gives its error number";
}

// One probe lives for the whole run: an interface that comes and goes is
// judged afresh each time it appears.
TEST(DialupProbeTest, InterfacesThatComeAndGoAreJudgedWhenTheyAppear) {
  TempDir dir;
  DialupProbe probe(dir.path());
  std::string failure;
  layOut(dir.path(), {kLoopback, kEthernetUp});
  EXPECT_FALSE(probe.isConnected(failure));
  layOut(dir.path(), {ppp("modem0", "3", "0x1091", "1\n")});  // a PPP link under another name
  EXPECT_TRUE(probe.isConnected(failure));
  fs::remove_all(fs::path(dir.path()) / "modem0");
  EXPECT_FALSE(probe.isConnected(failure));
  layOut(dir.path(), {{"modem0", "1\n", "4\n", "0x1003\n", "1\n"}});  // the name again, now not dial-up
  EXPECT_FALSE(probe.isConnected(failure));
  layOut(dir.path(), {{"wwan0", "65534\n", "5\n", "0x1091\n", "1\n"}});
  EXPECT_TRUE(probe.isConnected(failure));
  probe.countRawIp(false);  // beside a network manager that has the say on modems
  EXPECT_FALSE(probe.isConnected(failure));
  EXPECT_TRUE(failure.empty());
}

}  // namespace
}  // namespace tallix::testing

#endif  // _WIN32
