// The cost of one idle tick of the logic: the line is down, nothing is
// written. With the real Linux probe, and with a probe that answers at once.
#include <benchmark/benchmark.h>

#include <memory>

#include "form/main_form.h"
#include "monitor/tick.h"
#include "platform/connection_probe.h"
#include "store/date_time.h"

namespace tallix {
namespace {

class IdleServices : public Services {
 public:
  explicit IdleServices(bool realProbe) : probe_(realProbe ? makeConnectionProbe() : nullptr) {}
  DateTime now() override {
    clock_ = addSeconds(clock_, 1);
    return clock_;
  }
  bool probeConnection(std::string& detectCaption) override {
    return probe_ ? probe_->isConnected(detectCaption) : false;
  }
  void answerOk(const std::string&) override {}
  void notifyIcon(NotifyAction, const TrayIconData&) override {}
  void beep() override {}
  void setStartAtLogOn(bool) override {}

 private:
  DateTime clock_{2002, 4, 16, 9, 0, 0};
  std::unique_ptr<ConnectionProbe> probe_;
};

void idleTick(benchmark::State& state) {
  IdleServices services(state.range(0) != 0);
  MainForm form(services, "/nonexistent/");
  for ([[maybe_unused]] auto _ : state) {
    Timer1_Timer(form);
  }
  state.SetLabel(state.range(0) != 0 ? "real probe" : "no probe");
}
BENCHMARK(idleTick)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tallix

BENCHMARK_MAIN();
