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

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "store/date_time.h"
#include "store/text_forms.h"
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

}  // namespace
}  // namespace tallix::testing
