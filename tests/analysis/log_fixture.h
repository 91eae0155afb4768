// A program folder with one log file to load, the main window's form model on
// it, and small builders for the record texts.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "analysis/loader.h"
#include "form/sentences.h"
#include "support/fake_services.h"

namespace tallix::testing {

// "start: " + day count + "02/04/16 " + time of day.
inline std::string startAt(const std::string& time, int days = 0) {
  return "start: " + std::string(days < 10 ? "0" : "") + std::to_string(days) + "02/04/16 " + time;
}
// "_end : 2002/04/16 " + time of day.
inline std::string endAt(const std::string& time) { return "_end : 2002/04/16 " + time; }

inline const std::vector<std::string> kHeaders = {"From : 15_2002/04/15", "1_To : 14"};

// The failure report of a load that met error `number`.
inline std::string loadReport(int number) {
  PendingError error;
  error.raise(number);
  return failureReport(kLoadingData, error);
}

class LogTest : public ::testing::Test {
 protected:
  FakeServices services;
  TempDir dir;
  MainForm form{services, dir.path()};

  // Writes `name` from its record texts and selects it in File1.
  void writeAndSelect(const std::vector<std::string>& records, const std::string& name = "1.log") {
    writeLog(dir.file(name), records);
    select(name);
  }
  void select(const std::string& name) {
    form["File1"].items = {"2.log", name};
    form["File1"].listIndex = 1;
  }
  // Loads with the part-minute box set or clear.
  void load(bool partMinute = false) {
    form["chkToBeMin"].value = partMinute ? 1 : 0;
    cmdLoad_Click(form);
  }
  std::vector<std::string> withHeaders(const std::vector<std::string>& pairs) const {
    std::vector<std::string> records = kHeaders;
    records.insert(records.end(), pairs.begin(), pairs.end());
    return records;
  }
  const std::string& label(const char* name) { return form[name].caption; }
  const std::vector<std::string>& abandoned() { return form["List1"].items; }

  // Every label bare, nothing listed, the totals 0.
  void expectBare() {
    const std::pair<const char*, std::string_view> bare[] = {
        {"lblF2From", kFromLabel},         {"lblF2To", kToLabel},           {"lblCreated", kCreatedBare},
        {"lblFirstR", kFirstRecordLabel}, {"lblLastR", kLastRecordLabel}, {"lblUseTime", kTotalTimeBare}};
    for (const auto& [name, text] : bare) EXPECT_EQ(label(name), text) << name;
    EXPECT_TRUE(abandoned().empty());
    EXPECT_EQ(form.TotalHours + form.TotalMinutes + form.TotalSeconds, 0);
  }
};

}  // namespace tallix::testing
