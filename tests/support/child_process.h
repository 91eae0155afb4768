// A program started by a test: its standard input and output on pipes, its
// status when it ends. For tests that drive real programs and namespaces.
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tallix::testing {

using namespace std::chrono_literals;

struct Outcome {
  int status = -1;  // exit code, or -1 when the program did not exit normally
  std::string output;
};

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
    int in[2];
    int out[2];
    if (::pipe2(in, O_CLOEXEC) != 0) return false;
    if (::pipe2(out, O_CLOEXEC) != 0) {
      ::close(in[0]);
      ::close(in[1]);
      return false;
    }
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
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
    char c = 0;
    while (output_ >= 0 && std::chrono::steady_clock::now() < deadline) {
      pollfd ready{output_, POLLIN, 0};
      if (::poll(&ready, 1, 100) <= 0) continue;
      if (::read(output_, &c, 1) != 1 || c == '\n') break;
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

  // Ends it at once with SIGKILL, as a crash or a power cut would.
  void kill() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }

  // Closes its input (the hang-up), gives it a second to end, then ends it
  // for sure; returns its status.
  int stop() {
    if (input_ >= 0) ::close(input_);
    input_ = -1;
    int status = -1;
    for (int i = 0; pid_ > 0 && i < 50 && ::waitpid(pid_, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(20ms);
    if (pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    if (output_ >= 0) ::close(output_);
    output_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
};

inline Outcome run(std::vector<std::string> args) {
  Child child;
  if (!child.start(std::move(args))) return {};
  Outcome outcome;
  outcome.output = child.readAll();
  outcome.status = child.stop();
  return outcome;
}

}  // namespace tallix::testing
