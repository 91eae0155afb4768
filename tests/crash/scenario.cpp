#include "crash/scenario.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <stdexcept>

#include "app/budget.h"
#include "app/form1_events.h"
#include "app/tariff_setting.h"
#include "form/main_form.h"
#include "platform/autostart.h"
#include "store/record_file.h"
#include "store/settings_file.h"
#include "store/volume_file.h"
#include "support/fake_services.h"
#include "support/fault_counter.h"
#include "support/record_checks.h"

namespace fs = std::filesystem;

namespace tallix::crash {
namespace {

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

// Marks the volume of every connection in a record file's volume file: its
// header and start records, then "received sent".
void markVolumes(const std::string& path) {
  const std::string bytes = slurp(path);
  for (const ConnectionVolume& c : readVolumeFile(path).connections) {
    const auto at = static_cast<size_t>(c.startRecord - 1) * kRecord;
    if (at + kRecord > bytes.size()) throw std::runtime_error("a volume without its connection");
    mark("volume", bytes.substr(0, kRecord) + bytes.substr(at, kRecord) + std::to_string(c.volume.received) + " " +
                       std::to_string(c.volume.sent));
  }
}

// Every volume file reads whole, and every line of it belongs to a
// connection of its record file: never a volume the records lack.
void checkVolumeFiles(const std::string& root, std::vector<std::string>& wrong) {
  for (const char* folder : {"data", "data/Oldlog"}) {
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(fs::path(root) / folder, code)) {
      const std::string name = entry.path().filename().string();
      if (!name.ends_with(".vol")) continue;
      const std::string recordFile = entry.path().string().substr(0, entry.path().string().size() - 4);
      const VolumeReading reading = readVolumeFile(recordFile);
      if (reading.state != VolumeReading::State::Read) wrong.push_back(name + ": " + reading.problem);
      const std::string bytes = slurp(recordFile);
      for (const ConnectionVolume& c : reading.connections) {
        const auto at = static_cast<size_t>(c.startRecord - 1) * kRecord;
        if (at + kRecord > bytes.size() || !volumeOf(reading, c.startRecord, bytes.substr(at, kRecord)))
          wrong.push_back(name + ": a volume without its connection at record " + std::to_string(c.startRecord));
      }
    }
  }
}

// Whether a promised volume stands beside a record file that holds its connection.
bool volumeKept(const std::string& root, const std::string& promise) {
  const std::string header = promise.substr(0, kRecord);
  const std::string start = promise.substr(kRecord, kRecord);
  const std::string counts = promise.substr(2 * kRecord);
  for (const char* folder : {"data", "data/Oldlog"}) {
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(fs::path(root) / folder, code)) {
      const std::string name = entry.path().filename().string();
      if (!(name.ends_with(".log") || name == "CountRec.zvt")) continue;
      const std::string bytes = slurp(entry.path());
      if (bytes.compare(0, kRecord, header) != 0) continue;
      const VolumeReading reading = readVolumeFile(entry.path().string());
      for (size_t n = 3; n * kRecord <= bytes.size(); n += 2) {
        if (bytes.compare((n - 1) * kRecord, kRecord, start) != 0) continue;
        const std::optional<Volume> v = volumeOf(reading, static_cast<long>(n), start);
        if (v && std::to_string(v->received) + " " + std::to_string(v->sent) == counts) return true;
      }
    }
  }
  return false;
}

}  // namespace

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

Promises promisesOf(const FolderState& initial) {
  Promises promises;
  for (const auto& [path, bytes] : initial.files) {
    if (path.ends_with(".log")) promises.logs.push_back(bytes);
    if (path == "data/CountRec.zvt") promises.pairs = closedPairs(bytes);
  }
  return promises;
}

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

  // Every record file in step; every promised log and pair somewhere.
  std::vector<std::string> files;
  for (const char* folder : {"data", "data/Oldlog"}) {
    std::error_code code;
    for (const auto& entry : fs::directory_iterator(fs::path(root) / folder, code)) {
      const std::string name = entry.path().filename().string();
      if (name.ends_with(".part")) wrong.push_back("a leftover part of a replacement: " + name);
      if (!entry.is_regular_file() || !(name.ends_with(".log") || name == "CountRec.zvt")) continue;
      files.push_back(slurp(entry.path()));
      // A start and its first end leave in one write, so no file, a closed
      // period's least of all, may end in a start without its end.
      if (const std::string why = testing::recordsOutOfStep(files.back()); !why.empty())
        wrong.push_back("a record file out of step: " + std::string(folder) + "/" + name + ", " + why);
    }
  }
  for (const std::string& log : promises.logs)
    if (std::find(files.begin(), files.end(), log) == files.end())
      wrong.push_back("a closed period is lost or changed: " + log.substr(0, 20) + " " + log.substr(2 * kRecord, 27));
  std::set<std::string> kept;
  for (const std::string& bytes : files)
    for (std::string& pair : closedPairs(bytes)) kept.insert(std::move(pair));
  for (const std::string& pair : promises.pairs)
    if (kept.count(pair) == 0) wrong.push_back("a closed connection is lost: " + pair.substr(kRecord));

  checkVolumeFiles(root, wrong);
  for (const std::string& promise : promises.volumes)
    if (!volumeKept(root, promise)) wrong.push_back("a closed connection's volume is lost: " + promise.substr(kRecord));

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

}  // namespace tallix::crash
