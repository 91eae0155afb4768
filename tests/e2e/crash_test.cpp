// The real program, killed without warning while online, and started again.
//
// tallix runs on Qt's offscreen platform in a private network namespace with
// a PPP-type tunnel standing up as the dial-up line, and with a wall clock
// that runs twenty times faster than real time (the timers keep real time,
// so it ticks once a real second, twenty seconds of its clock apart). It is
// killed with SIGKILL at random moments and started again. After each kill:
// the record file is whole records, its headers are intact, every start
// record stands at an odd number with its end behind it, the open pair's end
// is at most two minutes and two ticks older than the kill, and the next run's
// first start lands behind it on an odd record.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "store/date_time.h"
#include "store/text_forms.h"
#include "store/volume_file.h"
#include "support/child_process.h"
#include "support/fake_services.h"
#include "support/record_checks.h"

namespace fs = std::filesystem;

namespace tallix::testing {
namespace {

constexpr int kSpeed = 20;                 // seconds of the program's clock per real second
// Two minutes between refreshes, two ticks (one may come late on a busy
// machine), and the start-up.
constexpr long long kLongestStaleness = 120 + 2 * kSpeed + 10;
constexpr const char* kFaketime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

std::string readWholeText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string fakeTimeSetting(const DateTime& when) {
  std::string text = stampText(when);  // yyyy/mm/dd hh:mm:ss
  for (char& c : text) c = c == '/' ? '-' : c;
  return "@" + text + " x" + std::to_string(kSpeed);
}

class CrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a network namespace and a tunnel";
    if (::access("/dev/net/tun", R_OK | W_OK) != 0) GTEST_SKIP() << "/dev/net/tun is missing here";
    if (::access(kFaketime, R_OK) != 0) GTEST_SKIP() << "libfaketime is missing here";
    namespace_ = "tallix-crash-" + std::to_string(::getpid());
    if (run({ip_, "netns", "add", namespace_}) != 0) GTEST_SKIP() << "cannot make a network namespace";
    created_ = true;
    if (run(inNamespace({"true"})) != 0) GTEST_SKIP() << "cannot enter the network namespace";
    ASSERT_TRUE(line_.start(inNamespace({TUN_PPP_PATH, "ppp0"})));
    const std::string ready = line_.readLine(10s);
    if (ready != "ready ppp0") GTEST_SKIP() << "no tunnel here: " << ready;
    ASSERT_EQ(run(inNamespace({ip_, "addr", "add", "10.64.0.2", "peer", "10.64.0.1", "dev", "ppp0"})), 0);
    ASSERT_EQ(run(inNamespace({ip_, "link", "set", "ppp0", "up"})), 0);
    // The program's folder: a copy of the program beside its record file.
    fs::copy_file(TALLIX_PATH, dir_.file("tallix"));
    writeLog(zvt(), {"From : 15_2002/04/15", "0_To : 14"});
  }

  void TearDown() override {
    program_.kill();
    line_.stop();
    if (created_) run({ip_, "netns", "del", namespace_});
  }

  std::vector<std::string> inNamespace(std::vector<std::string> args) const {
    args.insert(args.begin(), {ip_, "netns", "exec", namespace_});
    return args;
  }

  // Starts the program with its clock at `clock`, running kSpeed times faster.
  void startAt(const DateTime& clock) {
    started_ = std::chrono::steady_clock::now();
    ASSERT_TRUE(program_.start(inNamespace({"env", "QT_QPA_PLATFORM=offscreen", "TZ=UTC",
                                            std::string("LD_PRELOAD=") + kFaketime, "FAKETIME=" + fakeTimeSetting(clock),
                                            "FAKETIME_DONT_FAKE_MONOTONIC=1", "FAKETIME_DONT_RESET=1", dir_.file("tallix")})));
  }
  // The program's clock now, for a program started at `clock`.
  DateTime clockNow(const DateTime& clock) const {
    const double realSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    return addSeconds(clock, static_cast<long long>(realSeconds * kSpeed));
  }
  // How much older than `at` the end of the last pair is.
  static long long staleness(const DateTime& at, const std::string& end) {
    const auto when = parseStamp(end.substr(7));
    EXPECT_TRUE(when.has_value()) << end;
    return when ? toSerialSeconds(at) - toSerialSeconds(*when) : 0;
  }

  std::string zvt() const { return dir_.file("CountRec.zvt"); }
  std::chrono::steady_clock::time_point started_;
  const std::string ip_ = ipCommand();
  std::string namespace_;
  bool created_ = false;
  TempDir dir_;
  Child line_;
  Child program_;
};

TEST_F(CrashTest, KilledWhileOnlineLosesAtMostTwoMinutesAndKeepsPairsInStep) {
  std::mt19937 rng(20020416);
  DateTime clock{2002, 4, 16, 9, 12, 40};
  size_t recordsBefore = 2;
  constexpr int kKills = 6;
  for (int run = 0; run < kKills; ++run) {
    SCOPED_TRACE("run " + std::to_string(run + 1) + " from " + stampText(clock));
    ASSERT_NO_FATAL_FAILURE(startAt(clock));
    std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(5000, 14000)(rng)));
    const DateTime killedAt = clockNow(clock);
    program_.kill();

    ASSERT_EQ(recordsOutOfStep(readFile(zvt())), "");
    const std::vector<std::string> records = readLog(zvt());
    ASSERT_GE(records.size(), 4u) << "nothing was recorded";
    EXPECT_EQ(records[0] + "|" + records[1], "From : 15_2002/04/15|0_To : 14");
    // This run's first start lands behind the last run's records, on an odd number.
    const size_t firstNew = recordsBefore + 1 + (recordsBefore % 2);
    ASSERT_GE(records.size(), firstNew + 1);
    EXPECT_EQ(records[firstNew - 1].substr(0, 6), "start:") << "record " << firstNew;
    // The open pair is the last one: its end is at most two minutes and two ticks old.
    const long long stale = staleness(killedAt, records.back());
    EXPECT_LE(stale, kLongestStaleness) << "killed at " << stampText(killedAt) << ", end " << records.back();
    EXPECT_GE(stale, -kSpeed) << "an end after the kill";
    recordsBefore = records.size();
    clock = addSeconds(killedAt, 30);  // started again half a minute later
  }
  std::printf("survived %d kills; %zu records\n", kKills, recordsBefore);
}

// A termination request (a log-out, a shutdown, Remove) while online writes
// the open pair's end with the moment of the request, not the last even
// minute's refresh. Started just after an even minute, the run ends before any
// refresh, so without that write its end would be its start.
TEST_F(CrashTest, ATerminationRequestWhileOnlineKeepsTheTimeUpToIt) {
  const DateTime clock{2002, 4, 16, 9, 12, 1};
  ASSERT_NO_FATAL_FAILURE(startAt(clock));
  std::this_thread::sleep_for(std::chrono::milliseconds(5000));
  const DateTime askedAt = clockNow(clock);
  ASSERT_EQ(program_.terminate(), 0);

  const std::vector<std::string> records = readLog(zvt());
  ASSERT_EQ(records.size(), 4u);
  // One tick of its clock at most, and the moment of the request itself.
  const long long stale = staleness(askedAt, records.back());
  EXPECT_LE(stale, kSpeed + 2) << "asked at " << stampText(askedAt) << ", end " << records.back();
  EXPECT_GE(stale, -kSpeed) << "an end after the request";
}

// Traffic through the line is counted per connection within 1% of the
// kernel's own counts, written at the even-minute refresh and at the end, kept
// by a restart, and carried with its period by a rollover and into Oldlog.
TEST_F(CrashTest, TrafficIsCountedPerConnectionAndTravelsWithItsPeriod) {
  const auto startAt = [&](const DateTime& clock) {
    ASSERT_TRUE(program_.start(inNamespace({"env", "QT_QPA_PLATFORM=offscreen", "TZ=UTC",
                                            std::string("LD_PRELOAD=") + kFaketime, "FAKETIME=" + fakeTimeSetting(clock),
                                            "FAKETIME_DONT_FAKE_MONOTONIC=1", "FAKETIME_DONT_RESET=1", dir_.file("tallix")})));
  };
  // The kernel's counts of the line so far, received and sent.
  const auto kernel = [&] {
    Volume v;
    for (const char* name : {"rx_bytes", "tx_bytes"}) {
      const std::string out = dir_.file(name);
      run(inNamespace({"sh", "-c", std::string("cat /sys/class/net/ppp0/statistics/") + name + " > " + out}));
      (name[0] == 'r' ? v.received : v.sent) = std::stoull(readLog(out).at(0));
    }
    return v;
  };
  // Datagrams sent through the line; the far end sends each one back.
  const auto traffic = [&](int count, int size) {
    const std::string script = "import socket\ns = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)\ns.settimeout(2)\n"
                               "for _ in range(" + std::to_string(count) + "):\n    s.sendto(b\"x\" * " +
                               std::to_string(size) + ", (\"10.64.0.1\", 9))\n    s.recv(65536)\n";
    ASSERT_EQ(run(inNamespace({"python3", "-c", script})), 0);
  };
  const auto within1Percent = [](const Volume& counted, const Volume& kernel) {
    EXPECT_GT(kernel.received, 100000U);
    EXPECT_LE(std::max(counted.received, kernel.received) - std::min(counted.received, kernel.received),
              kernel.received / 100);
    EXPECT_LE(std::max(counted.sent, kernel.sent) - std::min(counted.sent, kernel.sent), kernel.sent / 100);
  };
  // Until the period file of `month` holds `count` records (a rollover may take a while).
  const auto waitForRecords = [&](size_t count, const char* month = "2002/04") {
    const auto ready = [&] {
      const std::vector<std::string> records = readLog(zvt());
      return records.size() >= count && records[0].find(month) != std::string::npos;
    };
    for (int i = 0; i < 600 && !ready(); ++i) std::this_thread::sleep_for(100ms);
    ASSERT_TRUE(ready()) << month;
  };

  // One connection: counted at the even-minute refresh, then at the end.
  startAt({2002, 4, 16, 9, 12, 40});
  waitForRecords(4);
  traffic(150, 1000);
  const Volume first = kernel();
  std::this_thread::sleep_for(7s);  // past an even minute of the program's clock
  VolumeReading reading = readVolumeFile(zvt());
  ASSERT_EQ(reading.state, VolumeReading::State::Read) << reading.problem;
  ASSERT_EQ(reading.connections.size(), 1U);
  within1Percent(reading.connections[0].volume, first);
  ASSERT_EQ(program_.terminate(), 0);
  const std::vector<ConnectionVolume> afterFirst = readVolumeFile(zvt()).connections;
  within1Percent(afterFirst.at(0).volume, first);

  // A restart: a new connection of its own; the first stays as it was.
  startAt({2002, 4, 16, 10, 0, 0});
  waitForRecords(6);
  traffic(100, 1400);
  const Volume second = kernel();
  ASSERT_EQ(program_.terminate(), 0);
  const VolumeReading both = readVolumeFile(zvt());
  ASSERT_EQ(both.connections.size(), 2U);
  EXPECT_EQ(both.connections[0], afterFirst.at(0));
  within1Percent(both.connections[1].volume,
                 {second.received - first.received, second.sent - first.sent});
  const std::string period = readWholeText(zvt() + ".vol");

  // A start in the next period rolls it over: its volume goes with it to 1.log.
  startAt({2002, 5, 16, 9, 0, 0});
  waitForRecords(4, "2002/05");
  ASSERT_EQ(program_.terminate(), 0);
  EXPECT_EQ(readWholeText(dir_.file("1.log.vol")), period);
  // A full set moves into Oldlog with its volume files.
  for (int n = 2; n <= 99; ++n) writeLog(dir_.file(std::to_string(n) + ".log"), {"From : 15_2002/01/15", "0_To : 14"});
  startAt({2002, 6, 16, 9, 0, 0});
  waitForRecords(4, "2002/06");
  ASSERT_EQ(program_.terminate(), 0);
  EXPECT_EQ(readWholeText(dir_.file("Oldlog/1.log.vol")), period);
  EXPECT_TRUE(fs::exists(dir_.file("1.log.vol"))) << "the May period's own";
  // The report gives each connection's bytes.
  FILE* report = ::popen((std::string(TALLIX_REPORT_PATH) + " --json " + dir_.file("Oldlog/1.log")).c_str(), "r");
  ASSERT_NE(report, nullptr);
  std::string json;
  for (char part[4096]; std::fgets(part, sizeof part, report) != nullptr;) json += part;
  EXPECT_EQ(::pclose(report), 0) << json;
  for (const ConnectionVolume& c : both.connections)
    EXPECT_NE(json.find("\"rx_bytes\": " + std::to_string(c.volume.received) +
                        ", \"tx_bytes\": " + std::to_string(c.volume.sent) + "}"),
              std::string::npos)
        << json;
}

}  // namespace
}  // namespace tallix::testing
