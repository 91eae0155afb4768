// One program on a fresh folder with a fake clock, for the period and app tests.
#pragma once

#include <gtest/gtest.h>

#include <fstream>

#include <string>
#include <vector>

#include "form/main_form.h"
#include "period/entry.h"
#include "store/file_system.h"
#include "store/settings_file.h"
#include "support/fake_services.h"
#include "support/fault_counter.h"

namespace tallix {

using Strings = std::vector<std::string>;

struct Program {
  testing::FakeServices services;
  testing::TempDir dir;
  MainForm form{services, dir.path()};

  ~Program() { setFaultAt(0); }
  void today(int y, int m, int d, int h = 9) { services.clock = DateTime{y, m, d, h, 0, 30}; }
  void days(const std::string& start, const std::string& end) {
    form["txtStartDay"].caption = start;
    form["txtEndDay"].caption = end;
  }
  std::string shownDays() { return form["txtStartDay"].caption + "-" + form["txtEndDay"].caption; }
  // The Input click, the two days, the Confirm click.
  void confirm(const std::string& start, const std::string& end) {
    cmdInput_Click(form);
    days(start, end);
    cmdConfirm_Click(form);
  }
  Strings log(const std::string& name) const { return testing::readLog(dir.file(name)); }
  void writeLog(const std::string& name, const Strings& records) const { testing::writeLog(dir.file(name), records); }
  bool exists(const std::string& name) const { return fileExists(dir.file(name)); }
  bool periodControlsEnabled(bool enabled) {
    for (const char* name : {"txtStartDay", "txtEndDay", "cmdConfirm", "cmdRecover"})
      if (form[name].enabled != enabled) return false;
    return true;
  }
  // Exactly one message, a failure report with this sentence and its error number.
  bool oneReport(std::string_view sentence) const {
    return services.messages.size() == 1 && services.messages[0].rfind(std::string(sentence) + "Error # ", 0) == 0;
  }
  // tallix.ini made of these records.
  void writeSettings(const std::vector<SettingsRecord>& records) const {
    std::ofstream out(dir.file("tallix.ini"), std::ios::binary | std::ios::trunc);
    for (const auto& record : records) out << encodeSettingsRecord(record);
  }
};

}  // namespace tallix
