// A program started by a test: its standard input and output on pipes, its
// status when it ends. For tests that drive real programs and namespaces.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace tallix::testing {

using namespace std::chrono_literals;

inline std::string ipCommand() {
  for (const char* path : {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"})
    if (::access(path, X_OK) == 0) return path;
  return "ip";
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
    int in[2] = {-1, -1};
    int out[2] = {-1, -1};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    if (::pipe2(in, O_CLOEXEC) == 0 && ::pipe2(out, O_CLOEXEC) == 0 && (pid_ = ::fork()) == 0) {
      ::dup2(in[0], STDIN_FILENO);
      ::dup2(out[1], STDOUT_FILENO);
      ::dup2(out[1], STDERR_FILENO);
      ::execvp(argv[0], argv.data());
      ::_exit(127);
    }
    for (int fd : {in[0], out[1]}) ::close(fd);
    input_ = in[1];
    output_ = out[0];
    return pid_ > 0;
  }

  // Reads what the program writes until a line ends, it exits, or time is up.
  std::string readLine(std::chrono::milliseconds patience) {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    pollfd ready{output_, POLLIN, 0};
    for (char c = 0; output_ >= 0 && std::chrono::steady_clock::now() < deadline;) {
      if (::poll(&ready, 1, 100) <= 0) continue;
      if (::read(output_, &c, 1) != 1 || c == '\n') break;
      line.push_back(c);
    }
    return line;
  }

  // Ends it at once with SIGKILL, as a crash or a power cut would.
  void kill() { end(SIGKILL, 0); }
  // Asks it to end (SIGTERM); its exit code, or -1 when it did not exit by itself within ten seconds.
  int terminate() { return end(SIGTERM, 500); }
  // Closes its input (the hang-up) and gives it a second to end; its exit code.
  int stop() {
    if (input_ >= 0) ::close(std::exchange(input_, -1));
    const int status = end(0, 50);
    if (output_ >= 0) ::close(std::exchange(output_, -1));
    return status;
  }

 private:
  // Sends `signal` (0: none), waits up to `ticks` times 20 ms for the end,
  // then ends it for sure; its exit code, or -1.
  int end(int signal, int ticks) {
    int status = -1;
    if (pid_ <= 0 || (signal != 0 && ::kill(pid_, signal) != 0)) return -1;
    bool ended = false;
    for (int i = 0; i < ticks && !ended; ++i) {
      ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
      if (!ended) std::this_thread::sleep_for(20ms);
    }
    if (!ended) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
};

// Runs a program to its end, its output discarded; its exit code, or -1.
inline int run(const std::vector<std::string>& args) {
  std::string command;
  for (const std::string& arg : args) command += " '" + arg + "'";  // no argument of the tests holds a quote
  const int status = std::system((command + " >/dev/null 2>&1").c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tallix::testing
