// The cost of one idle tick of the logic: the line is down, nothing is
// written. With a probe that answers at once, with the kernel scan alone, and
// with the program's own probe (NetworkManager where the system bus has it,
// else the kernel scan behind it: scripts/bench-tick gives it a mock one),
// and the timer's whole event with a time budget set (the tick and the
// period's time so far), with the probe that answers at once. And a tick
// while recording, with the connection's bytes counted.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <utility>

#include "app/budget.h"
#include "form/main_form.h"
#include "monitor/tick.h"
#include "platform/connection_probe.h"
#include "platform/linux/dialup_probe.h"
#include "store/date_time.h"
#include "store/record_file.h"

namespace tallix {
namespace {

class IdleServices : public Services {
 public:
  explicit IdleServices(std::unique_ptr<ConnectionProbe> probe) : probe_(std::move(probe)) {}
  DateTime now() override {
    clock_ = addSeconds(clock_, 1);
    return clock_;
  }
  bool probeConnection(std::string& detectCaption) override {
    return probe_ ? probe_->isConnected(detectCaption) : false;
  }
  std::optional<ByteCounters> trafficCounters() override { return probe_ ? probe_->counters() : std::nullopt; }
  std::string watched() const { return probe_ ? probe_->watched() : std::string(); }
  void answerOk(const std::string&) override {}
  void notifyIcon(NotifyAction, const TrayIconData&) override {}
  void beep() override {}
  void setStartAtLogOn(bool) override {}

 private:
  DateTime clock_{2002, 4, 16, 9, 0, 0};
  std::unique_ptr<ConnectionProbe> probe_;
};

void idleTick(benchmark::State& state) {
  const auto which = state.range(0);
  std::unique_ptr<ConnectionProbe> probe;
  if (which == 1) probe = std::make_unique<DialupProbe>();
  if (which == 2) probe = makeConnectionProbe();
  IdleServices services(std::move(probe));
  MainForm form(services, "/nonexistent/");
  if (which == 3) {
    form.budget.hours = 50;
    for ([[maybe_unused]] auto _ : state) {
      Timer1_TickAndBudget(form);
    }
  } else {
    for ([[maybe_unused]] auto _ : state) {
      Timer1_Timer(form);
    }
  }
  state.SetLabel(which == 0   ? "no probe"
                 : which == 1 ? "kernel scan"
                 : which == 2 ? "program's probe: " + services.watched()
                              : "no probe, with a time budget");
}
BENCHMARK(idleTick)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

// A tick while a connection is recorded, its bytes counted: the kernel scan
// of an interface tree laid out like /sys/class/net with ppp0 up, and its two
// byte counters read. The record file (and the volume file beside it) is
// written at each even minute of the clock, one tick in 120, synced as ever
// (on /dev/shm where there is one, so the disk's speed stays out of it).
void recordingTick(benchmark::State& state) {
  const std::filesystem::path base =
      std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
  const std::filesystem::path root = base / ("bench-tick-" + std::to_string(::getpid()));
  const std::filesystem::path ppp = root / "net" / "ppp0";
  std::filesystem::create_directories(ppp / "statistics");
  for (const auto& [name, text] : {std::pair{"type", "512"}, {"ifindex", "5"}, {"flags", "0x1091"}, {"carrier", "1"},
                                   {"statistics/rx_bytes", "123456789"}, {"statistics/tx_bytes", "9876543"}})
    std::ofstream(ppp / name) << text << "\n";
  const std::string folder = (root / "").string();
  std::ofstream(root / "CountRec.zvt") << padRecord("From : 15_2002/04/15") << padRecord("0_To : 14");
  {
    IdleServices services(std::make_unique<DialupProbe>((root / "net").string()));
    MainForm form(services, folder);
    form.PeriodActive = true;
    for ([[maybe_unused]] auto _ : state) {
      Timer1_Timer(form);
    }
    state.SetLabel(form.volume.known ? "counting ppp0's bytes" : "NOT COUNTING");
  }
  std::filesystem::remove_all(root);
}
BENCHMARK(recordingTick)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tallix

BENCHMARK_MAIN();
