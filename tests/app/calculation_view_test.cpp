// The Calculation view's Load copies a load into its controls: whatever
// refuses a file, nothing of an earlier load may stay on show.
#include "app/calculation_view.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "form/sentences.h"
#include "support/fake_services.h"
#include "support/fault_counter.h"

namespace tallix::testing {
namespace {

using Strings = std::vector<std::string>;

std::string loadReport(int number) {
  PendingError error;
  error.raise(number);
  return failureReport(kLoadingData, error);
}

TEST(CalculationView, RefusedFilesShowNothing) {
  const Strings pairs = {"start: 0002/04/16 09:00:00", "_end : 2002/04/16 10:00:00"};
  const Strings good = {"From : 15_2002/04/15", "1_To : 14", pairs[0], pairs[1]};
  // No records: the file is not there; `fault`: the file operation of the load that fails.
  const struct { const char* what; std::optional<Strings> records; int listIndex; Strings messages; long fault = 0; }
      cases[] = {
      {"no entry selected", Strings{"From : 15_2002/04/15"}, -1, {}},
      {"selection past the list", Strings{"From : 15_2002/04/15"}, 5, {}},
      {"file vanished", std::nullopt, 1, {"1.log, file not found"}},
      {"small from", Strings{"from : 15_2002/04/15", "1_To : 14"}, 1, {"1.log, wrong format"}},
      {"empty file", Strings{}, 1, {"1.log, wrong format"}},
      {"2_To", Strings{"From : 15_2002/04/15", "2_To : 14", pairs[0], pairs[1]}, 1, {"1.log, wrong format"}},
      // A start day that is no number is dropped with the refusal.
      {"bad day, bad end", Strings{"From : x5_2002/04/15", "1_to : 14"}, 1, {"1.log, wrong format"}},
      {"a read that fails", good, 1, {loadReport(kDeviceIoError)}, 1},
  };
  FakeServices services;
  TempDir dir;
  MainForm form{services, dir.path()};
  EXPECT_EQ(form["lblAbandon"].caption, kAbandonedLabel) << "the report prints the same caption";
  Strings withBadPair = good;
  withBadPair.insert(withBadPair.end(), {"bad", "bad"});
  writeLog(dir.file("2.log"), withBadPair);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    form["File1"].items = {"2.log", "1.log"};
    form["File1"].listIndex = 0;
    cmdLoad_Click(form);
    ASSERT_EQ(form["lblUseTime"].caption, "Total time =  1 : 0 : 0");
    ASSERT_EQ(form["List1"].items, (Strings{"bad", "bad"}));

    services.messages.clear();
    std::filesystem::remove(dir.file("1.log"));
    if (c.records) writeLog(dir.file("1.log"), *c.records);
    form["File1"].listIndex = c.listIndex;
    setFaultAt(c.fault);
    cmdLoad_Click(form);
    setFaultAt(0);
    const std::pair<const char*, std::string_view> bare[] = {
        {"lblF2From", kFromLabel},        {"lblF2To", kToLabel},           {"lblCreated", kCreatedBare},
        {"lblFirstR", kFirstRecordLabel}, {"lblLastR", kLastRecordLabel}, {"lblUseTime", kTotalTimeBare}};
    for (const auto& [name, text] : bare) EXPECT_EQ(form[name].caption, text) << name;
    EXPECT_TRUE(form["List1"].items.empty());
    EXPECT_EQ(services.messages, c.messages);
  }
}

}  // namespace
}  // namespace tallix::testing
