// tallix-report as a command: its arguments, refusals, failures and exit statuses.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "arguments.h"
#include "store/file_system.h"
#include "store/settings_file.h"
#include "store/volume_file.h"
#include "support/fake_services.h"

namespace tallix::testing {
namespace {

struct Outcome { int status; std::string out, err; };

Outcome report(const std::vector<std::string>& args, const std::string& logFolder = {}) {
  std::ostringstream out;
  std::ostringstream err;
  int status = reportMain(args, out, err, logFolder);
  return {status, out.str(), err.str()};
}

class ReportTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string good = dir.file("1.log");
  std::string bad = dir.file("2.log");
  std::string overflowing = dir.file("3.log");
  std::string quoted = dir.file("4.log");
  std::string plan = dir.file("plan.ini");
  std::string typo = dir.file("typo.ini");

  void SetUp() override {
    writeLog(good, {"From : 15_2002/03/10", "1_To : 14", "start: 0002/04/16 09:12:40", "_end : 2002/04/16 10:01:02",
                    "start: 0102/04/17 22:30:00", "_end : 2002/04/18 23:05:31", "start : bad", "_end : bad"});
    writeLog(bad, {"from : 15_2002/03/10", "1_To : 14"});
    writeLog(overflowing, {"From : 15_2002/03/10", "1_To : 14", "start: 0002/04/16 09:00:00",
                           "_end : 2002/04/16 09:00:10", "start: 2302/04/16 09:00:00", "_end : 2002/05/09 09:00:00"});
    writeLog(quoted, {"From : 15_2002/03/10", "1_To : 14", "start: \"a\",b", "_end : x"});
    std::ofstream(plan) << "[Tariff]\ncurrency = EUR\nunit = 3600\nprice = 0.01\n";
    std::ofstream(typo) << "[Tariff]\nunit = 3600\nprise = 0.01\n";
  }
};

// What each run prints and its exit status. That the text (the view's labels),
// JSON, per-day and CSV forms agree is checked by tests/report on the fuzz
// corpus and random logs; here, what only one form can show.
TEST_F(ReportTest, RefusalsFailuresAndBadArguments) {
  const std::string leftOut = "\nbelow data are abandoned :\nstart : bad\n_end : bad\n";
  // `outTail` ends the output, `errPart` is found in the error output.
  const struct { std::vector<std::string> args; int status; std::string outTail, errPart; } cases[] = {
      // The Calculation view's labels, the total with and without part minutes, what was left out.
      {{good}, 0, "Total time =  25 : 23 : 53" + leftOut, ""},
      {{"--part-minute", good}, 0, "Total time =  25 : 26 : 0" + leftOut, ""},
      {{bad}, 1, "Total time : \n", "2.log, wrong format\n"},
      {{dir.file("9.log")}, 1, "Total time : \n", "9.log, file not found\n"},
      // After "--" a name that looks like an option is a file.
      {{"--", "-x.log"}, 1, "Total time : \n", "-x.log: -x.log, file not found\n"},
      // A failure report breaks its line at the carriage return.
      {{overflowing}, 1, "Total time =  0 : 0 : 10\n", "Error occurred when loading data from files, Error #  6\nOverflow\n"},
      {{"--json", "--per-day", dir.file("9.log")}, 1, "[]\n", "9.log, file not found\n"},
      {{"--csv", "--per-day", good}, 0, good + ",2002-04-18,83131\n", ""},
      // Each pair the CSV cannot count says why; fields are quoted as they need.
      {{"--csv", good, overflowing}, 1,
       overflowing + ",5,start: 2302/04/16 09:00:00,_end : 2002/05/09 09:00:00,,overflow,,2002-04-16T09:00:00,"
                     "2002-05-09T09:00:00\n",
       overflowing + ": Error occurred when loading data from files, Error #  6\nOverflow\n"},
      {{"--csv", quoted}, 0, quoted + ",3,\"start: \"\"a\"\",b\",_end : x,,wrong shape,,,\n", ""},
      // Every unit begun is charged: 1 hour of the first pair, 25 of the second.
      {{"--tariff", plan, good}, 0, "Total time =  25 : 23 : 53\nTotal cost =  0.26 EUR" + leftOut, ""},
      {{"--tariff=" + typo, good}, 1, "", typo + ", line 3: \"prise\" is not a setting of [Tariff]\n"},
      {{"--tariff", dir.file("no.ini"), good}, 1, "", "no.ini: there is no such tariff file\n"},
      {{good, "--tariff"}, 2, "", "--tariff needs a file"},
      {{"--csv", "--json", good}, 2, "", "Usage: tallix-report"},
      {{}, 2, "", "Usage: tallix-report"},
      {{"--part-minute"}, 2, "", "Usage: tallix-report"},
      {{"--total", good}, 2, "", "Usage: tallix-report"},
  };
  for (const auto& c : cases) {
    const Outcome run = report(c.args);
    EXPECT_EQ(run.status, c.status) << run.out;
    EXPECT_TRUE(run.out.ends_with(c.outTail)) << run.out;
    EXPECT_NE(run.err.find(c.errPart), std::string::npos) << run.err;
    EXPECT_TRUE(c.status != 2 || run.out.empty()) << run.out;
  }
  EXPECT_TRUE(report({"--csv", good}).out.starts_with("file,start record,start,end,seconds,abandoned,cost,start iso,end iso\n"));
  // One refused file among good ones still refuses the run; each file is named first.
  const Outcome run = report({good, bad, good});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.out.starts_with(good + ":\n")) << run.out;
  EXPECT_NE(run.out.find("Total time : \n\n" + good + ":\n file created"), std::string::npos);
  // Without a file: the closed logs in list order, then the current period from
  // CountRec.zvt, not its stale copy; read only, even where no copy was made.
  const std::vector<std::string> current = {"From : 15_2002/03/10", "1_To : 14", "start: 0002/04/16 09:00:00",
                                            "_end : 2002/04/16 09:30:00"};
  TempDir fresh;
  for (const TempDir* where : {&dir, &fresh}) writeLog(where->file("CountRec.zvt"), current);
  writeLog(dir.file("CountRec.log"), {"From : 15_2002/03/10", "1_To : 14"});
  const Outcome folder = report({"--part-minute"}, dir.path());
  const Outcome alone = report({}, fresh.path());
  EXPECT_EQ(std::pair(folder.status, alone.status), std::pair(1, 0)) << alone.err;
  EXPECT_TRUE(folder.out.starts_with(good + ":\n")) << folder.out;
  EXPECT_NE(folder.out.find("\n" + overflowing + ":\n"), std::string::npos) << folder.out;
  EXPECT_EQ(folder.out.find("CountRec.log"), std::string::npos) << folder.out;
  for (const auto& run : {folder, alone}) EXPECT_TRUE(run.out.ends_with("Total time =  0 : 30 : 0\n")) << run.out;
  EXPECT_TRUE(readLog(fresh.file("CountRec.zvt")) == current && !fileExists(fresh.file("CountRec.log")));
  TempDir empty;
  EXPECT_EQ(report({}, empty.path()).err, "tallix-report: no log file in " + empty.path() + "\n");
  // The current period's volume: the data allowance of tallix.ini and the
  // known bytes at today's pace (10 of 30 days gone); none of it without a
  // volume file or an allowance. A damaged volume file is told, and the
  // time stands.
  TempDir period;
  writeLog(period.file("CountRec.zvt"), {"From : 01_2002/04/01", "0_To : 30", "start: 0002/04/02 09:00:00",
                                         "_end : 2002/04/02 09:30:00"});
  auto json = [&period] {
    std::ostringstream out, err;
    const int status = reportMain({"--json"}, out, err, period.path(), DateTime{2002, 4, 11, 0, 0, 0});
    return Outcome{status, out.str(), err.str()};
  };
  EXPECT_EQ(json().out.find("volume"), std::string::npos) << "no volume file, no allowance: as before";
  std::ofstream(period.file("CountRec.zvt.vol"), std::ios::binary)
      << volumeText({{3, "02/04/02 09:00:00", {1'000'000, 500'000}}});
  PendingError error;
  ASSERT_TRUE(writeSettingsRecord(period.file("tallix.ini"), 4, {"[DataAllowance]", 50, 0}, error));
  EXPECT_NE(json().out.find("\"volume_allowance_bytes\": 5000000000, \"volume_forecast_bytes\": 4500000, "
                            "\"rx_bytes\": 1000000, \"tx_bytes\": 500000, \"volume_complete\": true"),
            std::string::npos) << json().out;
  std::ofstream(period.file("CountRec.zvt.vol"), std::ios::binary) << "tallix volume 1\n";
  const Outcome damaged = json();
  EXPECT_EQ(damaged.status, 0);
  EXPECT_NE(damaged.err.find("The volume file CountRec.zvt.vol: it"), std::string::npos) << damaged.err;
  EXPECT_NE(damaged.out.find("\"volume_forecast_bytes\": null, \"rx_bytes\": 0, \"tx_bytes\": 0, \"volume_complete\": false"),
            std::string::npos) << damaged.out;
  const Outcome help = report({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--csv"), std::string::npos);
}

}  // namespace
}  // namespace tallix::testing
