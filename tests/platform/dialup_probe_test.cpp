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

struct Interface {
  std::string name;
  std::optional<std::string> type;
  std::optional<std::string> ifindex;
  std::optional<std::string> flags;
  std::optional<std::string> carrier;
};

void writeFile(const fs::path& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

void layOut(const std::string& root, const std::vector<Interface>& interfaces) {
  for (const Interface& i : interfaces) {
    const fs::path folder = fs::path(root) / i.name;
    fs::create_directories(folder);
    if (i.type) writeFile(folder / "type", *i.type);
    if (i.ifindex) writeFile(folder / "ifindex", *i.ifindex);
    if (i.flags) writeFile(folder / "flags", *i.flags);
    if (i.carrier) writeFile(folder / "carrier", *i.carrier);
  }
}

const Interface kLoopback{"lo", "772\n", "1\n", "0x9\n", "1\n"};
const Interface kEthernetUp{"eth0", "1\n", "2\n", "0x1003\n", "1\n"};

Interface ppp(const std::string& name, const std::string& index, const std::string& flags,
              std::optional<std::string> carrier) {
  return {name, "512\n", index + "\n", flags, std::move(carrier)};
}

TEST(DialupProbeTest, FirstDialupInterfaceUpWithCarrierIsConnected) {
  const struct {
    const char* name;
    std::vector<Interface> interfaces;
    bool connected;
  } cases[] = {
      {"no interfaces", {}, false},
      {"ethernet only", {kLoopback, kEthernetUp}, false},
      {"ppp0 down, carrier unreadable", {kLoopback, ppp("ppp0", "5", "0x1090\n", std::nullopt)}, false},
      {"ppp0 up without carrier", {kLoopback, ppp("ppp0", "5", "0x1091\n", "0\n")}, false},
      {"ppp0 up with carrier", {kLoopback, kEthernetUp, ppp("ppp0", "5", "0x1091\n", "1\n")}, true},
      {"link type PPP under another name", {kLoopback, ppp("dialout", "5", "0x1091\n", "1\n")}, true},
      {"a ppp name decides even with another type", {{"ppp0", "1\n", "5\n", "0x1091\n", "1\n"}}, true},
      {"lowest index decides: up one first",
       {ppp("ppp0", "9", "0x1090\n", std::nullopt), ppp("ppp1", "4", "0x1091\n", "1\n")},
       true},
      {"lowest index decides: down one first",
       {ppp("ppp0", "4", "0x1090\n", std::nullopt), ppp("ppp1", "9", "0x1091\n", "1\n")},
       false},
      {"index 10 comes after index 9",
       {ppp("ppp0", "10", "0x1091\n", "1\n"), ppp("ppp1", "9", "0x1090\n", std::nullopt)},
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir root;
    layOut(root.path(), c.interfaces);
    DialupProbe probe(root.path());
    std::string failureCode;
    EXPECT_EQ(probe.isConnected(failureCode), c.connected);
    EXPECT_EQ(failureCode, "");
  }
}

TEST(DialupProbeTest, OddFilesNeverCountAsConnected) {
  const struct {
    const char* name;
    Interface ppp0;
    bool connected;
  } cases[] = {
      {"flags garbage", ppp("ppp0", "5", "up\n", "1\n"), false},
      {"flags with trailing garbage", ppp("ppp0", "5", "0x1091 junk\n", "1\n"), false},
      {"flags missing", {"ppp0", "512\n", "5\n", std::nullopt, "1\n"}, false},
      {"flags far too long", ppp("ppp0", "5", std::string(100000, 'f'), "1\n"), false},
      {"carrier garbage", ppp("ppp0", "5", "0x1091\n", "\xff\xfe"), false},
      {"index garbage still dial-up", ppp("ppp0", "five", "0x1091\n", "1\n"), true},
      {"nothing but the folder", {"ppp0", std::nullopt, std::nullopt, std::nullopt, std::nullopt}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir root;
    layOut(root.path(), {kLoopback, c.ppp0, {"eth0", "not a number", "zz", "0x1003", "1"}});
    writeFile(fs::path(root.path()) / "bonding_masters", "bond0\n");
    DialupProbe probe(root.path());
    std::string failureCode;
    EXPECT_EQ(probe.isConnected(failureCode), c.connected);
  }
}

TEST(DialupProbeTest, CarrierThatCannotBeReadIsNoCarrier) {
  TempDir root;
  layOut(root.path(), {ppp("ppp0", "5", "0x1091\n", std::nullopt)});
  fs::create_directory(fs::path(root.path()) / "ppp0" / "carrier");
  DialupProbe probe(root.path());
  std::string failureCode;
  EXPECT_FALSE(probe.isConnected(failureCode));
}

TEST(DialupProbeTest, UnlistableFolderGivesTheFailureCode) {
  TempDir root;
  DialupProbe probe(root.path() + "missing");
  std::string failureCode;
  EXPECT_FALSE(probe.isConnected(failureCode));
  EXPECT_EQ(failureCode, "2");  // ENOENT
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
  EXPECT_TRUE(failure.empty());
}

}  // namespace
}  // namespace tallix::testing

#endif  // _WIN32
