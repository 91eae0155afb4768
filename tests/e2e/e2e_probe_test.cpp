// The real Linux probe against a link that looks to the kernel like a dialled
// PPP connection: a tunnel of link type PPP with an address and a peer, made
// in a private network namespace (with its own /sys) and dropped again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/child_process.h"

namespace {

using namespace std::chrono_literals;
using tallix::testing::Child;
using tallix::testing::Outcome;
using tallix::testing::ipCommand;
using tallix::testing::run;

std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

class TunPppProbeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to make a network namespace and a tunnel";
    if (::access("/dev/net/tun", R_OK | W_OK) != 0) GTEST_SKIP() << "/dev/net/tun is missing here";
    namespace_ = "tallix-e2e-" + std::to_string(::getpid());
    const Outcome added = run({ip_, "netns", "add", namespace_});
    if (added.status != 0) GTEST_SKIP() << "cannot make a network namespace: " << added.output;
    created_ = true;
    const Outcome entered = inNamespace({"true"});
    if (entered.status != 0) GTEST_SKIP() << "cannot enter the network namespace: " << entered.output;
  }

  void TearDown() override {
    helper_.stop();
    if (created_) run({ip_, "netns", "del", namespace_});
  }

  Outcome inNamespace(std::vector<std::string> args) {
    args.insert(args.begin(), {ip_, "netns", "exec", namespace_});
    return run(std::move(args));
  }

  std::string probe() { return firstLine(inNamespace({TALLIX_PROBE_PATH}).output); }

  std::string sysfs(const std::string& file) {
    return firstLine(inNamespace({"cat", "/sys/class/net/ppp0/" + file}).output);
  }

  const std::string ip_ = ipCommand();
  std::string namespace_;
  bool created_ = false;
  Child helper_;
};

TEST_F(TunPppProbeTest, ProbeSeesTheLinkWhileItStandsAndNotAfterTheHangUp) {
  EXPECT_EQ(probe(), "disconnected");  // a fresh namespace has only its loopback

  ASSERT_TRUE(helper_.start({ip_, "netns", "exec", namespace_, TUN_PPP_PATH, "ppp0"}));
  const std::string ready = helper_.readLine(10s);
  if (ready != "ready ppp0") {
    const std::string rest = helper_.readAll();
    if (helper_.stop() == 77) GTEST_SKIP() << "no tunnel here: " << ready << rest;
    FAIL() << "the helper did not make ppp0: " << ready << rest;
  }
  const Outcome address = inNamespace({ip_, "addr", "add", "10.64.0.2", "peer", "10.64.0.1", "dev", "ppp0"});
  ASSERT_EQ(address.status, 0) << address.output;
  const Outcome up = inNamespace({ip_, "link", "set", "ppp0", "up"});
  ASSERT_EQ(up.status, 0) << up.output;

  // What a dialled PPP link shows.
  EXPECT_EQ(sysfs("type"), "512");
  EXPECT_EQ(sysfs("operstate"), "unknown");
  EXPECT_EQ(sysfs("carrier"), "1");
  EXPECT_EQ(std::stoul(sysfs("flags"), nullptr, 16) & 0x1U, 0x1U);
  EXPECT_EQ(probe(), "connected");

  helper_.stop();  // the hang-up: the interface goes with the helper
  std::string after = probe();
  for (int i = 0; i < 50 && after != "disconnected"; ++i) {
    std::this_thread::sleep_for(100ms);
    after = probe();
  }
  EXPECT_EQ(after, "disconnected");
}

}  // namespace
