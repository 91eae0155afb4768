// A main window on a fresh folder, driven by the fake clock and probe.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "form/main_form.h"
#include "form/sentences.h"
#include "monitor/tick.h"
#include "store/fault.h"
#include "support/fake_services.h"

namespace tallix::testing {

using Records = std::vector<std::string>;

class MonitorTest : public ::testing::Test {
 protected:
  MonitorTest() : form(services, dir.path()) {
    // The designed gauge: pointer at 1104 twips for minute 0, scale 3816 wide.
    form.PointerOrigin = 1104;
    form.TwipsPerMinute = 3816.0F / 60.0F;
    setDurableWrites(false);
  }
  ~MonitorTest() override {
    setFaultAt(0);
    setDurableWrites(true);
  }

  std::string zvt() const { return dir.file(std::string(kCountRecZvt)); }
  Records records() const { return readLog(zvt()); }
  // A period 15-14 begun on 15 April 2002, in force, and a run not yet ticked.
  void beginPeriod() {
    writeLog(zvt(), {"From : 15_2002/04/15", "1_To : 14"});
    form.PeriodActive = true;
    form.Recording = false;
    form.lastTickTime.reset();
  }
  // A folder where the record file was: every write fails for real.
  void breakRecordFile() const {
    std::filesystem::remove(zvt());
    std::filesystem::create_directory(zvt());
  }
  bool onlyReports(std::string_view sentence, size_t count) const {
    if (services.messages.size() != count) return false;
    for (const std::string& message : services.messages)
      if (message.rfind(sentence, 0) != 0) return false;
    return true;
  }

  void tickAt(const DateTime& when) {
    services.clock = when;
    Timer1_Timer(form);
  }
  // Ticks once a second from the clock's next second up to `until`.
  void tickUntil(const DateTime& until) {
    while (toSerialSeconds(services.clock) < toSerialSeconds(until)) {
      services.advance(1);
      Timer1_Timer(form);
    }
  }

  TempDir dir;
  FakeServices services;
  MainForm form;
};

inline DateTime at(int year, int month, int day, int hour, int minute, int second) {
  return DateTime{year, month, day, hour, minute, second};
}

}  // namespace tallix::testing
