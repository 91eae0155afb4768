// The real Linux probe against a link that looks to the kernel like a dialled
// PPP connection: a tunnel of link type PPP with an address and a peer, made
// in a private network namespace (with its own /sys) and dropped again.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

struct Outcome {
  int status = -1;  // exit code, or -1 when the program did not exit normally
  std::string output;
};

std::string ipCommand() {
  for (const char* path : {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"})
    if (::access(path, X_OK) == 0) return path;
  return "ip";
}

std::vector<char*> argvOf(std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  return argv;
}

// Starts a program with a pipe on its standard input and one that collects
// its standard output and error.
class Child {
 public:
  Child() = default;
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;
  ~Child() { stop(); }

  bool start(std::vector<std::string> args) {
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return false;
    if (::pipe2(out, O_CLOEXEC) != 0) {
      ::close(in[0]);
      ::close(in[1]);
      return false;
    }
    std::vector<char*> argv = argvOf(args);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(in[0], STDIN_FILENO);
      ::dup2(out[1], STDOUT_FILENO);
      ::dup2(out[1], STDERR_FILENO);
      ::execvp(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    input_ = in[1];
    output_ = out[0];
    return pid_ > 0;
  }

  // Reads what the program writes until a line ends, it exits, or time is up.
  std::string readLine(std::chrono::milliseconds patience) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (output_ >= 0 && std::chrono::steady_clock::now() < deadline) {
      pollfd ready{output_, POLLIN, 0};
      if (::poll(&ready, 1, 100) <= 0) continue;
      char c = 0;
      if (::read(output_, &c, 1) != 1) break;
      if (c == '\n') break;
      line.push_back(c);
    }
    return line;
  }

  std::string readAll() {
    std::string all;
    char buffer[512];
    ssize_t got = 0;
    while (output_ >= 0 && (got = ::read(output_, buffer, sizeof buffer)) > 0) all.append(buffer, static_cast<size_t>(got));
    return all;
  }

  // Closes its input (the hang-up), then ends it for sure; returns its status.
  int stop() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
    int status = -1;
    if (pid_ > 0) {
      for (int i = 0; i < 50 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(20ms);
      if (::waitpid(pid_, &status, WNOHANG) == 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, &status, 0);
      }
      pid_ = -1;
    }
    if (output_ >= 0) ::close(output_);
    output_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
};

Outcome run(std::vector<std::string> args) {
  Child child;
  if (!child.start(std::move(args))) return {};
  Outcome outcome;
  outcome.output = child.readAll();
  outcome.status = child.stop();
  return outcome;
}

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
