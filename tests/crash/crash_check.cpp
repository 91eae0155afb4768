// The power-cut check. A day of the program's logic (see scenario.h) runs
// under strace, which records its file operations; from that recording
// every state a power cut could leave is built (power_cut.h), the program's
// start-up is run on each, and each must keep every closed connection and
// every closed period whole and in step, the last saved settings, tariff
// and autostart entry, and record again. Exit 77 where strace cannot run.
//
//   crash_check            the check (TALLIX_CRASH_NO_SYNC=1: the day without
//                          its syncs, to see what they prevent; TALLIX_CRASH_OPS=1
//                          lists the recorded operations)
//   crash_check day ROOT   the recorded day alone, on a tree made beforehand
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "crash/power_cut.h"
#include "crash/scenario.h"
#include "support/fake_services.h"
#include "support/record_checks.h"

namespace fs = std::filesystem;
using namespace tallix::crash;

namespace {

constexpr int kSkipped = 77;
constexpr size_t kFailuresShown = 8;

int run(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string describe(const Op& op) {
  static const char* const kinds[] = {"create", "mkdir", "rename", "unlink", "write",
                                      "truncate", "sync file", "sync folder", "mark"};
  std::string text = kinds[op.kind];
  if (!op.path.empty()) text += " " + op.path;
  if (!op.to.empty()) text += " -> " + op.to;
  if (op.kind == Op::SyncFolder) text += " " + op.folder;
  if (op.kind == Op::Write) text += " at " + std::to_string(op.offset) + " of inode " + std::to_string(op.inode);
  return text;
}

int check() {
  if (run("command -v strace >/dev/null") != 0) {
    std::printf("skipped: strace is not installed (scripts/deps installs it)\n");
    return kSkipped;
  }
  if (run("strace -qq -o /dev/null true") != 0) {
    std::printf("skipped: strace cannot trace a program here (ptrace is not allowed)\n");
    return kSkipped;
  }
  tallix::testing::TempDir work;
  const std::string root = work.path() + "day";
  makeInitialTree(root);
  const FolderState initial = readTree(root);
  const std::string trace = work.path() + "trace";
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const std::string command =
      "strace -qq -xx -s 16777216 -o '" + trace + "'" +
      " -e signal=none -e trace=open,openat,creat,close,dup,dup2,dup3,fcntl,write,pwrite64,writev,pwritev,"
      "pwritev2,ftruncate,truncate,sendfile,copy_file_range,fsync,fdatasync,rename,renameat,renameat2,"
      "unlink,unlinkat,mkdir,mkdirat '" + self + "' day '" + root + "'";
  // The leak checker traces its own process at the exit, which it cannot
  // do under strace: the day runs without it.
  const char* asan = std::getenv("ASAN_OPTIONS");
  ::setenv("ASAN_OPTIONS", (std::string(asan != nullptr ? asan : "") + ":detect_leaks=0").c_str(), 1);
  if (run(command) != 0) {
    std::printf("FAILED: the recorded day did not run through\n");
    return 1;
  }
  Recording recording(initial);
  if (const std::string problem = recording.read(tallix::testing::readFile(trace), root, kMarkFd); !problem.empty()) {
    std::printf("FAILED: the recording cannot be modelled: %s\n", problem.c_str());
    return 1;
  }
  const auto& ops = recording.ops();
  size_t marks = 0;
  size_t oldlogCopies = 0;
  for (const Op& op : ops) {
    marks += op.kind == Op::Mark ? 1 : 0;
    oldlogCopies += op.kind == Op::Rename && op.to.rfind("data/Oldlog/", 0) == 0 ? 1 : 0;
  }
  if (marks < 5 || oldlogCopies < 99) {
    std::printf("FAILED: the recording misses the day (%zu marks, %zu copies into Oldlog)\n", marks, oldlogCopies);
    return 1;
  }

  // TALLIX_CRASH_OPS=1 lists the recorded operations.
  if (std::getenv("TALLIX_CRASH_OPS") != nullptr)
    for (size_t i = 0; i < ops.size(); ++i) std::printf("%4zu %s\n", i, describe(ops[i]).c_str());

  Promises promises = promisesOf(initial);
  const std::string initialTariff = initial.files.at("data/tariff.ini");
  std::set<std::pair<std::uint64_t, size_t>> seen;  // a state, and the marks passed when it was met
  size_t tried = 0;
  size_t failed = 0;
  size_t seenMarks = 0;
  std::map<std::string, size_t> kinds;  // failed states, by what was wrong
  size_t lastShown = ops.size() + 1;
  for (size_t point = 0; point <= ops.size(); ++point) {
    if (point > 0 && ops[point - 1].kind == Op::Mark) {
      addMark(promises, ops[point - 1].data);
      ++seenMarks;
    }
    for (const FolderState& state : recording.statesAt(point)) {
      if (!seen.insert({digest(state), seenMarks}).second) continue;
      ++tried;
      const std::string at = work.path() + "state";
      writeTree(at, state);
      const std::vector<std::string> wrong = startAndCheck(at, promises, initialTariff);
      fs::remove_all(at);
      if (wrong.empty()) continue;
      std::set<std::string> stateKinds;
      for (const std::string& line : wrong) stateKinds.insert(line.substr(0, line.find(':')));
      for (const std::string& kind : stateKinds) ++kinds[kind];
      if (++failed <= kFailuresShown && point != lastShown) {
        lastShown = point;
        std::printf("FAILED: power cut before operation %zu of %zu (%s):\n", point, ops.size(),
                    point < ops.size() ? describe(ops[point]).c_str() : "the end");
        for (const std::string& line : wrong) std::printf("  %s\n", line.c_str());
      }
    }
  }
  std::printf("power-cut check: %zu file operations recorded, %zu distinct states tried, %zu failed\n", ops.size(),
              tried, failed);
  for (const auto& [kind, count] : kinds) std::printf("  %zu: %s\n", count, kind.c_str());
  return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 3 && std::string(argv[1]) == "day") {
      // The marks go to a handle of their own, where the recording finds them.
      const int sink = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
      if (sink < 0 || ::dup2(sink, kMarkFd) < 0) return 2;
      ::close(sink);
      runDay(argv[2]);
      return 0;
    }
    return check();
  } catch (const std::exception& failure) {
    std::printf("FAILED: %s\n", failure.what());
    return 1;
  }
}
