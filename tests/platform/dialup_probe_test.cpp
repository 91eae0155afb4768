// The Linux platform: the kernel probe over fake interface trees laid out
// like /sys/class/net; the user's folders: the data folder (a writable
// portable copy keeps its files beside itself, an installed or unwritable one
// uses the user's data folder) and the start-at-log-on entry.
#ifndef _WIN32

#include "platform/linux/dialup_probe.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/autostart.h"
#include "platform/program_folder.h"
#include "support/fake_services.h"
#include "support/record_checks.h"

namespace tallix::testing {
namespace {

namespace fs = std::filesystem;
using Text = std::optional<std::string>;  // a file's content; none: no such file

struct Interface { std::string name; Text type, ifindex, flags, carrier; };

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
  // watched: the Settings line, where the row checks it.
  const struct { const char* name; std::vector<Interface> interfaces; bool connected; const char* watched = nullptr; }
      cases[] = {
      {"ethernet only", {kLoopback, kEthernetUp}, false, "no dial-up connection found"},
      {"ppp0 down, no carrier file", {kLoopback, ppp("ppp0", "5", "0x1090\n", std::nullopt)}, false},
      {"ppp0 up without carrier", {kLoopback, ppp("ppp0", "5", "0x1091\n", "0\n")}, false},
      {"ppp0 up with carrier", {kLoopback, kEthernetUp, ppp("ppp0", "5", "0x1091\n", "1\n")}, true},
      {"link type PPP under another name", {kLoopback, ppp("dialout", "5", "0x1091\n", "1\n")}, true},
      {"a ppp name decides even with another type", {{"ppp0", "1\n", "5\n", "0x1091\n", "1\n"}}, true},
      // A mobile-broadband modem: raw IP (link type NONE) under a wwan name.
      {"raw-IP wwan0 up", {kLoopback, {"wwan0", "65534\n", "3\n", "0x1091\n", "1\n"}}, true, "watching: wwan0"},
      {"raw-IP wwan0 down", {{"wwan0", "65534\n", "3\n", "0x1090\n", std::nullopt}}, false, "watching: wwan0"},
      {"raw IP under another name is a tunnel", {{"tun0", "65534\n", "3\n", "0x1091\n", "1\n"}}, false},
      {"a wwan name with ethernet framing", {{"wwan0", "1\n", "3\n", "0x1091\n", "1\n"}}, false},
      {"lowest index decides, 10 after 9", {ppp("ppp0", "10", "0x1091\n", "1\n"), ppp("ppp1", "9", "0x1090\n", {})},
       false, "watching: ppp1"},
      // Odd files never count as connected, nor do odd neighbours stop a good link.
      {"flags garbage, far too long", {ppp("ppp0", "5", "0x1091 junk" + std::string(100000, 'f'), "1\n")}, false},
      {"carrier garbage", {ppp("ppp0", "5", "0x1091\n", "\xff\xfe")}, false},
      {"nothing but the folder", {{"ppp0", std::nullopt, std::nullopt, std::nullopt, std::nullopt}}, false},
      {"odd index", {{"eth0", "not a number", "zz", "0x1003", "1"}, ppp("ppp0", "five", "0x1091\n", "1\n")}, true},
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
    EXPECT_EQ(c.watched ? probe.watched() : "", c.watched ? c.watched : "");
  }
  std::string failureCode;
  EXPECT_FALSE(DialupProbe("/nonexistent-tallix-folder/").isConnected(failureCode));
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

// The byte counts are those of the interface the last answer found
// connected, read when asked; anything odd in them is no count at all.
TEST(DialupProbeTest, CountsOnlyTheConnectedInterfacesBytes) {
  const struct { const char* name; const char* flags; Text received, sent; std::optional<ByteCounters> counted; }
      cases[] = {
      {"up", "0x1091\n", "1204883\n", "88120\n", ByteCounters{1204883, 88120, "ppp0"}},
      {"64 bits", "0x1091\n", "18446744073709551615\n", "0\n", ByteCounters{18446744073709551615ULL, 0, "ppp0"}},
      {"down", "0x1090\n", "1\n", "2\n", std::nullopt},
      {"no counts", "0x1091\n", std::nullopt, std::nullopt, std::nullopt},
      {"one count odd", "0x1091\n", "12x\n", "2\n", std::nullopt},
      {"past 64 bits", "0x1091\n", "18446744073709551616\n", "2\n", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    layOut(dir.path(), {kEthernetUp, ppp("ppp0", "5", c.flags, "1\n")});
    fs::create_directories(fs::path(dir.path()) / "ppp0" / "statistics");
    for (const auto& [file, text] : {std::pair{"rx_bytes", c.received}, {"tx_bytes", c.sent}})
      if (text) std::ofstream(fs::path(dir.path()) / "ppp0" / "statistics" / file) << *text;
    DialupProbe probe(dir.path());
    std::string failure;
    probe.isConnected(failure);
    EXPECT_EQ(probe.counters(), c.counted);
  }
  EXPECT_EQ(interfaceCounters("/sys/class/net", "../../etc"), std::nullopt) << "a name is one folder";
}

void setOrUnset(const char* name, const std::optional<std::string>& value) {
  value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
}
std::optional<std::string> saved(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

TEST(ProgramFolderTest, ChoosesTheDataFolder) {
  TempDir program;
  TempDir home;
  const std::string xdg = home.file("data");
  // /proc takes no new file, not even from root.
  const struct { std::string programFolder, installedFolder; std::optional<std::string> xdgDataHome;
                 std::string expected; bool writable; } cases[] = {
      {program.path(), "/usr/bin/", xdg, program.path(), true},
      {program.path(), program.path(), xdg, xdg + "/tallix/", true},
      {"/proc/", "", xdg, xdg + "/tallix/", true},
      {"/proc/", "", "relative/data", home.file(".local/share/tallix/"), true},
      {"/proc/", "", std::nullopt, home.file(".local/share/tallix/"), true},
      {"/proc/", "", "/proc/none", "/proc/none/tallix/", false},
  };
  const std::optional<std::string> oldHome = saved("HOME"), oldXdg = saved("XDG_DATA_HOME");
  ::setenv("HOME", home.path().c_str(), 1);
  for (const auto& c : cases) {
    setOrUnset("XDG_DATA_HOME", c.xdgDataHome);
    const DataFolder chosen = chooseDataFolder(c.programFolder, c.installedFolder);
    EXPECT_EQ(chosen.path, c.expected) << c.programFolder << " " << c.xdgDataHome.value_or("unset");
    EXPECT_EQ(chosen.writable, c.writable) << c.expected;
    if (c.writable && c.expected != program.path()) {
      struct stat made {};
      ASSERT_EQ(::stat(c.expected.c_str(), &made), 0);
      EXPECT_EQ(made.st_mode & 0777, 0700u) << "a new data folder is its owner's alone";
    }
  }
  setOrUnset("HOME", oldHome);
  setOrUnset("XDG_DATA_HOME", oldXdg);
  // The probe file is gone again.
  EXPECT_TRUE(fs::is_empty(program.path()));
}

// The entry's Exec value; empty when there is no entry.
std::string execOf(const std::string& path) {
  const std::string entry = readFile(path);
  const size_t at = entry.find("\nExec=");
  if (entry.rfind("[Desktop Entry]\n", 0) != 0 || entry.find("\nType=Application\n") == std::string::npos)
    return entry.empty() ? "" : "not an entry";
  return at == std::string::npos ? "" : entry.substr(at + 6, entry.find('\n', at + 1) - at - 6);
}

TEST(AutostartTest, EntryNamesTheProgramAsOneQuotedArgumentAndGoesWhenDisabled) {
  TempDir config;
  TempDir home;
  const std::optional<std::string> oldHome = saved("HOME"), oldXdg = saved("XDG_CONFIG_HOME");
  ::setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  const std::string entry = config.file("autostart/tallix.desktop");
  // Inside the quotes $ " ` and \ are escaped; as a value, each \ doubles. The last replaces the entry.
  for (const auto& [program, exec] : {std::pair{"/home/ann/my programs/tallix", "\"/home/ann/my programs/tallix\""},
                                      {"/t/a$b\"c`d\\e", "\"/t/a\\\\$b\\\\\"c\\\\`d\\\\\\\\e\""},
                                      {"/t/100%/tallix", "\"/t/100%%/tallix\""}, {"/new/tallix", "\"/new/tallix\""}}) {
    EXPECT_TRUE(enableStartAtLogOn(program));
    EXPECT_EQ(execOf(entry), exec);
    // Written under another name and renamed: nothing but the entry is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(config.file("autostart")), fs::directory_iterator()), 1);
  }
  // The entry tells whether it starts this program; another's is left alone.
  EXPECT_TRUE(startsAtLogOn("/new/tallix"));
  EXPECT_FALSE(startsAtLogOn("/t/100%/tallix"));
  EXPECT_TRUE(disableStartAtLogOn("/t/100%/tallix").empty());
  EXPECT_TRUE(fs::exists(entry));
  EXPECT_TRUE(disableStartAtLogOn("/new/tallix").empty());
  EXPECT_TRUE(disableStartAtLogOn("/new/tallix").empty());  // nothing there: nothing happens
  EXPECT_FALSE(fs::exists(entry));
  EXPECT_FALSE(startsAtLogOn("/new/tallix"));
  EXPECT_FALSE(enableStartAtLogOn("/t/two\nlines"));  // a path that cannot be one line writes nothing
  EXPECT_FALSE(enableStartAtLogOn(""));
  EXPECT_FALSE(fs::exists(entry));
  // A file where the folder should be is left alone, silently.
  fs::remove(config.file("autostart"));
  std::ofstream(config.file("autostart")) << "x";
  EXPECT_FALSE(enableStartAtLogOn("/opt/tallix/tallix"));
  disableStartAtLogOn("/opt/tallix/tallix");
  EXPECT_TRUE(fs::is_regular_file(config.file("autostart")));
  // Without an absolute XDG_CONFIG_HOME the entry goes under HOME.
  ::setenv("HOME", home.path().c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
  enableStartAtLogOn("/opt/tallix/tallix");
  EXPECT_EQ(execOf(home.file(".config/autostart/tallix.desktop")), "\"/opt/tallix/tallix\"");
  setOrUnset("HOME", oldHome);
  setOrUnset("XDG_CONFIG_HOME", oldXdg);
}

}  // namespace
}  // namespace tallix::testing

#endif  // _WIN32
