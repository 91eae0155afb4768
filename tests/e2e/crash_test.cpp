// The real program in a private network namespace with a PPP-type tunnel as
// its dial-up line, on Qt's offscreen platform, with a wall clock twenty times
// faster than real time (its timers keep real time, so each tick is twenty
// seconds of its clock): killed without warning while online and started
// again, and counting the traffic through the line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
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

namespace tallix::testing {
namespace {

constexpr int kSpeed = 20;  // seconds of the program's clock per real second
// Two minutes between refreshes, two ticks (one may come late on a busy
// machine), and the start-up.
constexpr long long kLongestStaleness = 120 + 2 * kSpeed + 10;
constexpr const char* kFaketime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

class CrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a network namespace and a tunnel";
    if (::access("/dev/net/tun", R_OK | W_OK) != 0) GTEST_SKIP() << "/dev/net/tun is missing here";
    if (::access(kFaketime, R_OK) != 0) GTEST_SKIP() << "libfaketime is missing here";
    namespace_ = "tallix-crash-" + std::to_string(::getpid());
    if (run({ip_, "netns", "add", namespace_}) != 0) GTEST_SKIP() << "cannot make a network namespace";
    created_ = true;
    ASSERT_TRUE(line_.start(inNamespace({TUN_PPP_PATH, "ppp0"})));
    const std::string ready = line_.readLine(10s);
    if (ready != "ready ppp0") GTEST_SKIP() << "no tunnel here: " << ready;
    ASSERT_EQ(run(inNamespace({ip_, "addr", "add", "10.64.0.2", "peer", "10.64.0.1", "dev", "ppp0"})), 0);
    ASSERT_EQ(run(inNamespace({ip_, "link", "set", "ppp0", "up"})), 0);
    std::filesystem::copy_file(TALLIX_PATH, dir_.file("tallix"));
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
    std::string faked = stampText(clock);
    std::replace(faked.begin(), faked.end(), '/', '-');
    ASSERT_TRUE(program_.start(inNamespace({"env", "QT_QPA_PLATFORM=offscreen", "TZ=UTC",
                                            std::string("LD_PRELOAD=") + kFaketime,
                                            "FAKETIME=@" + faked + " x" + std::to_string(kSpeed),
                                            "FAKETIME_DONT_FAKE_MONOTONIC=1", "FAKETIME_DONT_RESET=1", dir_.file("tallix")})));
  }
  // The program's clock now, for a program started at `clock`.
  DateTime clockNow(const DateTime& clock) const {
    const double realSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    return addSeconds(clock, static_cast<long long>(realSeconds * kSpeed));
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

// After each kill: the file is whole records with its headers intact, every
// start stands at an odd number with its end behind it, the open pair's end is
// at most two minutes and two ticks older than the kill, and the next run's
// first start lands behind it on an odd record.
TEST_F(CrashTest, KilledWhileOnlineLosesAtMostTwoMinutesAndKeepsPairsInStep) {
  std::mt19937 rng(20020416);
  DateTime clock{2002, 4, 16, 9, 12, 40};
  size_t recordsBefore = 2;
  for (int run = 1; run <= 6; ++run) {
    SCOPED_TRACE("run " + std::to_string(run) + " from " + stampText(clock));
    ASSERT_NO_FATAL_FAILURE(startAt(clock));
    std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(5000, 14000)(rng)));
    const DateTime killedAt = clockNow(clock);
    program_.kill();

    ASSERT_EQ(recordsOutOfStep(readFile(zvt())), "");
    const std::vector<std::string> records = readLog(zvt());
    EXPECT_EQ(records[0] + "|" + records[1], "From : 15_2002/04/15|0_To : 14");
    const size_t firstNew = recordsBefore + 1 + (recordsBefore % 2);
    ASSERT_GE(records.size(), firstNew + 1) << "nothing was recorded";
    EXPECT_EQ(records[firstNew - 1].substr(0, 6), "start:") << "record " << firstNew;
    const auto end = parseStamp(records.back().substr(7));
    ASSERT_TRUE(end.has_value()) << records.back();
    const long long stale = toSerialSeconds(killedAt) - toSerialSeconds(*end);
    EXPECT_LE(stale, kLongestStaleness) << "killed at " << stampText(killedAt) << ", end " << records.back();
    EXPECT_GE(stale, -kSpeed) << "an end after the kill";
    recordsBefore = records.size();
    clock = addSeconds(killedAt, 30);  // started again half a minute later
  }
}

// Traffic through the line is counted per connection within 1% of the
// kernel's own counts, written at the even-minute refresh and at the end, and
// a restart's connection is counted apart from the one before, and the
// period's volume travels with it through a rollover and into Oldlog.
TEST_F(CrashTest, TrafficIsCountedPerConnectionAndTravelsWithItsPeriod) {
  // The kernel's counts of the line so far.
  const auto kernel = [&] {
    Volume v;
    for (std::uint64_t* count : {&v.received, &v.sent}) {
      const std::string name = count == &v.received ? "rx_bytes" : "tx_bytes";
      run(inNamespace({"sh", "-c", "cat /sys/class/net/ppp0/statistics/" + name + " > " + dir_.file(name)}));
      *count = std::stoull(readFile(dir_.file(name)));
    }
    return v;
  };
  // `count` datagrams of `size` bytes through the line; the far end sends each one back.
  const auto traffic = [&](int count, int size) {
    ASSERT_EQ(run(inNamespace({"python3", "-c", "import socket\ns = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)\n"
                               "s.settimeout(2)\nfor _ in range(" + std::to_string(count) + "):\n    s.sendto(b\"x\" * " +
                               std::to_string(size) + ", (\"10.64.0.1\", 9))\n    s.recv(65536)\n"})), 0);
  };
  const auto within1Percent = [](const Volume& counted, const Volume& kernel) {
    EXPECT_GT(kernel.received, 100000U);
    for (auto [got, want] : {std::pair{counted.received, kernel.received}, {counted.sent, kernel.sent}})
      EXPECT_LE(std::max(got, want) - std::min(got, want), want / 100) << got << " counted, the kernel " << want;
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

  ASSERT_NO_FATAL_FAILURE(startAt({2002, 4, 16, 9, 12, 40}));
  waitForRecords(4);
  traffic(150, 1000);
  const Volume first = kernel();
  std::this_thread::sleep_for(7s);  // past an even minute of the program's clock
  VolumeReading reading = readVolumeFile(zvt());
  ASSERT_EQ(reading.state, VolumeReading::State::Read) << reading.problem;
  ASSERT_EQ(reading.connections.size(), 1U);
  within1Percent(reading.connections[0].volume, first);
  ASSERT_EQ(program_.terminate(), 0);
  const ConnectionVolume firstCounted = readVolumeFile(zvt()).connections.at(0);
  within1Percent(firstCounted.volume, first);

  ASSERT_NO_FATAL_FAILURE(startAt({2002, 4, 16, 10, 0, 0}));
  waitForRecords(6);
  traffic(100, 1400);
  const Volume second = kernel();
  ASSERT_EQ(program_.terminate(), 0);
  reading = readVolumeFile(zvt());
  ASSERT_EQ(reading.connections.size(), 2U);
  EXPECT_EQ(reading.connections[0], firstCounted);
  within1Percent(reading.connections[1].volume, {second.received - first.received, second.sent - first.sent});
  const std::string period = readFile(zvt() + ".vol");

  // A start in the next period rolls it over: its volume goes with it to 1.log.
  ASSERT_NO_FATAL_FAILURE(startAt({2002, 5, 16, 9, 0, 0}));
  waitForRecords(4, "2002/05");
  ASSERT_EQ(program_.terminate(), 0);
  EXPECT_EQ(readFile(dir_.file("1.log.vol")), period);
  // A full set moves into Oldlog with its volume files.
  for (int n = 2; n <= 99; ++n) writeLog(dir_.file(std::to_string(n) + ".log"), {"From : 15_2002/01/15", "0_To : 14"});
  ASSERT_NO_FATAL_FAILURE(startAt({2002, 6, 16, 9, 0, 0}));
  waitForRecords(4, "2002/06");
  ASSERT_EQ(program_.terminate(), 0);
  EXPECT_EQ(readFile(dir_.file("Oldlog/1.log.vol")), period);
  // The report gives each connection's bytes, from the archive.
  FILE* report = ::popen((std::string(TALLIX_REPORT_PATH) + " --json " + dir_.file("Oldlog/1.log")).c_str(), "r");
  ASSERT_NE(report, nullptr);
  std::string json;
  for (char part[4096]; std::fgets(part, sizeof part, report) != nullptr;) json += part;
  EXPECT_EQ(::pclose(report), 0) << json;
  for (const ConnectionVolume& c : reading.connections)
    EXPECT_NE(json.find("\"rx_bytes\": " + std::to_string(c.volume.received) +
                        ", \"tx_bytes\": " + std::to_string(c.volume.sent) + "}"), std::string::npos) << json;
}

}  // namespace
}  // namespace tallix::testing
