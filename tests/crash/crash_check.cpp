// The power-cut check. A day in the program's life runs under strace, which
// records its file operations: start-up, a connection with an even-minute
// refresh, the start-at-log-on box ticked, a tariff saved, and a connection
// across the end of the period whose rollover finds all 99 numbers taken and
// moves the set into Oldlog. The windows cannot be made to save a tariff from
// a test, so the day calls the logic they call, with a fake clock and line;
// files, syncs and the autostart entry are the real ones. From the recording
// every state a power cut could leave is built (power_cut.h), the program's
// start-up runs on each, and each must keep every closed connection and
// every closed period whole and in step, the last saved settings, tariff and
// autostart entry, and record again. Exit 77 where strace cannot run.
//
//   crash_check            the check (TALLIX_CRASH_NO_SYNC=1: the day without
//                          its syncs, to see what they prevent)
//   crash_check day ROOT   the recorded day alone, on a tree made beforehand
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/budget.h"
#include "app/form1_events.h"
#include "app/tariff_setting.h"
#include "crash/power_cut.h"
#include "form/main_form.h"
#include "platform/autostart.h"
#include "store/record_file.h"
#include "store/settings_file.h"
#include "store/volume_file.h"
#include "support/child_process.h"
#include "support/fake_services.h"
#include "support/fault_counter.h"
#include "support/record_checks.h"

namespace fs = std::filesystem;

namespace tallix::crash {
namespace {

using testing::run;

// Where the day writes its marks: what it has been promised so far.
constexpr int kMarkFd = 1000;
constexpr char kMarkSeparator = '\x1f';

// What the day had been promised before a point: every mark up to it.
struct Promises {
  std::vector<std::string> logs;     // whole files that must stay, somewhere
  std::vector<std::string> pairs;    // header, start and end records of each closed connection
  std::vector<std::string> volumes;  // header and start records, "received sent", of each
  std::string tariff;                // tariff.ini as saved, once saved
  std::string autostart;             // the entry as written, once written
  bool settingsSaved = false;
};


constexpr const char* kProgram = "/usr/bin/tallix";
constexpr size_t kRecord = static_cast<size_t>(kRecordLength);

const char* const kOldTariff = "[Tariff]\ncurrency = EUR\nunit = 60\nprice = 0.05\n";
const char* const kNewTariff = "[Tariff]\ncurrency = EUR\nper_call = 0.10\nunit = 30\nprice = 0.03\n";

std::string slurp(const fs::path& path) { return testing::readFile(path.string()); }

void spill(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

// The day's services: the fake clock and line, and the real autostart entry.
class DayServices : public testing::FakeServices {
 public:
  void setStartAtLogOn(bool on) override {
    if (on) {
      enableStartAtLogOn(kProgram);
    } else {
      disableStartAtLogOn(kProgram);
    }
  }
  std::optional<bool> startsAtLogOn() override { return ::tallix::startsAtLogOn(kProgram); }
};

// A promise: its kind, and what is promised.
void mark(const std::string& kind, const std::string& payload = {}) {
  const std::string text = kind + kMarkSeparator + payload;
  if (::write(kMarkFd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
    throw std::runtime_error("the mark could not be written");
}

// Every closed pair of a record file, as its header, start and end records together.
std::vector<std::string> closedPairs(const std::string& bytes) {
  std::vector<std::string> pairs;
  for (size_t i = 2; (i + 2) * kRecord <= bytes.size(); i += 2)
    pairs.push_back(bytes.substr(0, kRecord) + bytes.substr(i * kRecord, 2 * kRecord));
  return pairs;
}

void markClosedPairs(const std::string& path) {
  for (const std::string& pair : closedPairs(slurp(path))) mark("pair", pair);
}

// What a record file's volume file gives: each connection's volume as its
// header and start records then "received sent", and the start records of
// volumes whose connection the record file lacks.
struct Volumes {
  VolumeReading reading;
  std::vector<std::string> kept;
  std::vector<long> orphans;
};
Volumes volumesOf(const std::string& recordFile) {
  Volumes v{readVolumeFile(recordFile), {}, {}};
  const std::string bytes = slurp(recordFile);
  for (const ConnectionVolume& c : v.reading.connections) {
    const auto at = static_cast<size_t>(c.startRecord - 1) * kRecord;
    const std::string start = at + kRecord <= bytes.size() ? bytes.substr(at, kRecord) : std::string();
    const std::optional<Volume> n = start.empty() ? std::nullopt : volumeOf(v.reading, c.startRecord, start);
    if (!n) {
      v.orphans.push_back(c.startRecord);
      continue;
    }
    v.kept.push_back(bytes.substr(0, kRecord) + start + std::to_string(n->received) + " " + std::to_string(n->sent));
  }
  return v;
}

void markVolumes(const std::string& path) {
  const Volumes v = volumesOf(path);
  if (!v.orphans.empty()) throw std::runtime_error("a volume without its connection");
  for (const std::string& volume : v.kept) mark("volume", volume);
}

// The tree before the day: `root`/data with 99 closed periods, the live period's
// file and an old tariff, and `root`/config without its autostart folder.
void makeInitialTree(const std::string& root) {
  fs::create_directories(fs::path(root) / "data");
  // No autostart folder yet: the program makes it, and its making is part of
  // what a power cut may cut.
  fs::create_directories(fs::path(root) / "config");
  for (int j = 1; j <= 99; ++j) {  // each closed period with a content of its own
    char start[40];
    std::snprintf(start, sizeof start, "start: 0098/%02d/%02d 10:%02d:00", 1 + j % 12, 1 + j % 28, j % 60);
    testing::writeLog(root + "/data/" + std::to_string(j) + ".log",
                      {"From : 01_1998/01/01", "0_To : 31", start, "_end : 1998/01/01 11:00:00"});
  }
  testing::writeLog(root + "/data/CountRec.zvt",
                    {"From : 01_2002/04/01", "0_To : 31", "start: 0002/04/03 10:00:00", "_end : 2002/04/03 10:20:00",
                     "start: 0002/04/12 21:00:00", "_end : 2002/04/12 21:00:07"});
  spill(fs::path(root) / "data" / "tariff.ini", kOldTariff);
}

FolderState readTree(const std::string& root) {
  FolderState state;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string path = fs::relative(entry.path(), root).generic_string();
    if (entry.is_directory()) state.folders.insert(path);
    if (entry.is_regular_file()) state.files[path] = slurp(entry.path());
  }
  return state;
}

void writeTree(const std::string& root, const FolderState& state) {
  fs::create_directory(root);
  for (const std::string& folder : state.folders) fs::create_directories(fs::path(root) / folder);
  for (const auto& [path, bytes] : state.files) spill(fs::path(root) / path, bytes);
}

// The day itself, on a tree made by makeInitialTree.
void runDay(const std::string& root) {
  ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
  DayServices svc;
  // For a demonstration that the check finds what the syncs prevent.
  if (std::getenv("TALLIX_CRASH_NO_SYNC") != nullptr) setDurableWrites(false);
  svc.clock = DateTime{2002, 4, 30, 23, 40, 0};
  const std::string data = root + "/data/";
  MainForm form(svc, data);
  Form3_Form_Load(form, true);
  // The line's counters move on with the clock, so volume files are written too.
  std::uint64_t moved = 0;
  auto tick = [&](long seconds, bool line) {
    svc.advance(seconds);
    svc.line = line;
    moved += 1000 * static_cast<std::uint64_t>(seconds) + 7;
    svc.counters = ByteCounters{moved, moved / 3, "ppp0"};
    Timer1_TickAndBudget(form);
  };
  // A connection of two and a half minutes: its start, the refresh at the
  // even minute, its close.
  tick(0, true);
  tick(60, true);
  tick(60, true);
  tick(30, false);
  markClosedPairs(data + "CountRec.zvt");
  markVolumes(data + "CountRec.zvt");

  form[form1::chkRunMe].value = 1;
  chkRunMe_MouseUp(form);
  mark("settings");
  mark("autostart", slurp(root + "/config/autostart/tallix.desktop"));

  tariffText(form);
  if (!cmdTariffSave_Click(form, kNewTariff)) throw std::runtime_error("the tariff was refused");
  mark("tariff", slurp(data + "tariff.ini"));

  // Online across midnight at the end of the period: the rollover closes
  // the pair into the old file, moves the full set of 99 into Oldlog, closes
  // the period as 1.log and begins the new one, where recording goes on.
  svc.clock = DateTime{2002, 4, 30, 23, 59, 0};
  tick(0, true);
  tick(60, true);
  if (form.ArchiveName.empty()) throw std::runtime_error("the period did not roll over");
  markClosedPairs(data + form.ArchiveName);
  markVolumes(data + form.ArchiveName);
  mark("log", slurp(data + form.ArchiveName));
  tick(60, true);
  tick(30, false);
  markClosedPairs(data + "CountRec.zvt");
  if (!svc.messages.empty()) throw std::runtime_error("the day said: " + svc.messages.front());
}

void addMark(Promises& promises, const std::string& mark) {
  const size_t cut = mark.find(kMarkSeparator);
  const std::string kind = mark.substr(0, cut);
  const std::string payload = cut == std::string::npos ? std::string() : mark.substr(cut + 1);
  if (kind == "pair") promises.pairs.push_back(payload);
  if (kind == "log") promises.logs.push_back(payload);
  if (kind == "tariff") promises.tariff = payload;
  if (kind == "autostart") promises.autostart = payload;
  if (kind == "settings") promises.settingsSaved = true;
  if (kind == "volume" && payload.size() > 2 * kRecord) promises.volumes.push_back(payload);
}

// What the tree promised before the day: its logs and its closed pairs.
Promises promisesOf(const FolderState& initial) {
  Promises promises;
  for (const auto& [path, bytes] : initial.files) {
    if (path.ends_with(".log")) promises.logs.push_back(bytes);
    if (path == "data/CountRec.zvt") promises.pairs = closedPairs(bytes);
  }
  return promises;
}

// Starts the program's logic on a state a power cut left below `root`, records
// one more connection and checks every promise; gives what is wrong, each line
// led by its kind and a colon.
std::vector<std::string> startAndCheck(const std::string& root, const Promises& promises,
                                       const std::string& initialTariff) {
  std::vector<std::string> wrong;
  const std::string data = root + "/data/";
  testing::FakeServices svc;
  svc.clock = DateTime{2002, 5, 1, 0, 30, 0};
  {
    MainForm form(svc, data);
    Form3_Form_Load(form, true);
    const std::string before = slurp(data + "CountRec.zvt");
    if (const std::string why = testing::recordsOutOfStep(before, true); !why.empty())
      wrong.push_back("CountRec.zvt at start-up: " + why);
    // It records again: one more connection lands behind the last record.
    svc.line = true;
    Timer1_TickAndBudget(form);
    svc.advance(5);
    svc.line = false;
    Timer1_TickAndBudget(form);
    const std::string after = slurp(data + "CountRec.zvt");
    if (after.size() < before.size() + 2 * kRecord ||
        after.compare(after.size() - 2 * kRecord, kRecord, padRecord("start: 0002/05/01 00:30:00")) != 0)
      wrong.push_back("no connection recorded after start-up");
  }
  for (const std::string& message : svc.messages) wrong.push_back("the program said: " + message);

  // Every record file in step and every volume file whole; every promised log, pair and volume somewhere.
  std::vector<std::string> files;
  std::set<std::string> kept, keptVolumes;
  for (const char* folder : {"data", "data/Oldlog"}) {
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(fs::path(root) / folder, code)) {
      const std::string name = entry.path().filename().string();
      if (name.ends_with(".part")) wrong.push_back("a leftover part of a replacement: " + name);
      if (name.ends_with(".vol")) {
        const std::string path = entry.path().string();
        const Volumes v = volumesOf(path.substr(0, path.size() - 4));
        if (v.reading.state != VolumeReading::State::Read) wrong.push_back(name + ": " + v.reading.problem);
        for (long n : v.orphans) wrong.push_back(name + ": a volume without its connection at " + std::to_string(n));
        keptVolumes.insert(v.kept.begin(), v.kept.end());
      }
      if (!entry.is_regular_file() || !(name.ends_with(".log") || name == "CountRec.zvt")) continue;
      files.push_back(slurp(entry.path()));
      for (std::string& pair : closedPairs(files.back())) kept.insert(std::move(pair));
      // A start and its first end leave in one write, so no file, a closed
      // period's least of all, may end in a start without its end.
      if (const std::string why = testing::recordsOutOfStep(files.back()); !why.empty())
        wrong.push_back("a record file out of step: " + std::string(folder) + "/" + name + ", " + why);
    }
  }
  for (const std::string& log : promises.logs)
    if (std::find(files.begin(), files.end(), log) == files.end())
      wrong.push_back("a closed period is lost or changed: " + log.substr(0, 20) + " " + log.substr(2 * kRecord, 27));
  for (const std::string& pair : promises.pairs)
    if (kept.count(pair) == 0) wrong.push_back("a closed connection is lost: " + pair.substr(kRecord));
  for (const std::string& volume : promises.volumes)
    if (keptVolumes.count(volume) == 0)
      wrong.push_back("a closed connection's volume is lost: " + volume.substr(kRecord));

  const std::string tariff = slurp(data + "tariff.ini");
  if (promises.tariff.empty() ? tariff != initialTariff && tariff != kNewTariff : tariff != promises.tariff)
    wrong.push_back("tariff.ini is neither the old nor the saved tariff: '" + tariff + "'");
  const fs::path entry = fs::path(root) / "config" / "autostart" / "tallix.desktop";
  const std::string desktop = slurp(entry);
  if (!promises.autostart.empty() ? desktop != promises.autostart
                                  : fs::exists(entry) && !desktop.ends_with("X-GNOME-Autostart-enabled=true\n"))
    wrong.push_back("the autostart entry is not whole: '" + desktop + "'");
  if (promises.settingsSaved) {
    const std::string ini = slurp(data + "tallix.ini");
    const auto length = static_cast<size_t>(kSettingsRecordLength);
    const SettingsRecord runMe = decodeSettingsRecord(ini.size() >= 2 * length ? ini.substr(length, length) : "");
    if (runMe.label.rfind("[CheckedRunMe]", 0) != 0 || runMe.value1 != 1) wrong.push_back("the settings save is lost");
  }
  return wrong;
}


constexpr int kSkipped = 77;
constexpr size_t kFailuresShown = 8;

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
  if (run({"strace", "-qq", "-o", "/dev/null", "true"}) != 0) {
    std::printf("skipped: strace is missing (scripts/deps installs it) or cannot trace a program here\n");
    return kSkipped;
  }
  tallix::testing::TempDir work;
  const std::string root = work.path() + "day";
  makeInitialTree(root);
  const FolderState initial = readTree(root);
  const std::string trace = work.path() + "trace";
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const std::vector<std::string> command = {
      "strace", "-qq", "-xx", "-s", "16777216", "-o", trace, "-e", "signal=none", "-e",
      "trace=open,openat,creat,close,dup,dup2,dup3,fcntl,write,pwrite64,writev,pwritev,pwritev2,ftruncate,truncate,"
      "sendfile,copy_file_range,fsync,fdatasync,rename,renameat,renameat2,unlink,unlinkat,mkdir,mkdirat",
      self, "day", root};
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
}  // namespace tallix::crash

using namespace tallix::crash;

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
