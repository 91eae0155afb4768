#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include "analysis/report.h"
#include "log_fixture.h"

namespace tallix::testing {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome report(const std::vector<std::string>& args, const std::string& logFolder = {}) {
  std::ostringstream out;
  std::ostringstream err;
  int status = runReport(args, out, err, logFolder);
  return {status, out.str(), err.str()};
}

class ReportTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::string good = dir.file("1.log");
  std::string bad = dir.file("2.log");
  std::string overflowing = dir.file("3.log");

  void SetUp() override {
    writeLog(good, {"From : 15_2002/03/10", "1_To : 14", "start: 0002/04/16 09:12:40", "_end : 2002/04/16 10:01:02",
                    "start: 0102/04/17 22:30:00", "_end : 2002/04/18 23:05:31", "start : bad", "_end : bad"});
    writeLog(bad, {"from : 15_2002/03/10", "1_To : 14"});
    writeLog(overflowing, {"From : 15_2002/03/10", "1_To : 14", "start: 0002/04/16 09:00:00",
                           "_end : 2002/04/16 09:00:10", "start: 2302/04/16 09:00:00", "_end : 2002/05/09 09:00:00"});
  }
};

TEST_F(ReportTest, PrintsWhatTheViewShows) {
  Outcome run = report({good});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            " file created : 10 Apr 2002\n"
            "         from : 15 Mar 2002\n"
            "             to : 14 Apr 2002\n"
            "first record : 16 Apr 2002 - 09:12:40 AM\n"
            " last record : _end : bad\n"  // not a time stamp: shown as it stands
            "Total time =  25 : 23 : 53\n"
            "below data are abandoned :\n"
            "start : bad\n"
            "_end : bad\n");
  EXPECT_EQ(run.err, "");
  EXPECT_NE(report({"--part-minute", good}).out.find("Total time =  25 : 26 : 0\n"), std::string::npos);
}

TEST_F(ReportTest, RefusalsFailuresAndBadArguments) {
  const struct {
    std::vector<std::string> args;
    int status;
    std::string outTail;  // the end of the output
    std::string errPart;  // found in the error output
  } cases[] = {
      {{bad}, 1, "Total time : \n", "2.log, wrong format\n"},
      {{dir.file("9.log")}, 1, "Total time : \n", "9.log, file not found\n"},
      // After "--" a name that looks like an option is a file.
      {{"--", "-x.log"}, 1, "Total time : \n", "-x.log: -x.log, file not found\n"},
      // A failure report breaks its line at the carriage return.
      {{overflowing}, 1, "Total time =  0 : 0 : 10\n", "Error occurred when loading data from files, Error #  6\nOverflow\n"},
      // A refused file gives no object or day, only its message; the others are reported.
      {{"--json", bad, good}, 1, "\"seconds\": 88531}]}\n]\n", "2.log, wrong format\n"},
      {{"--json", "--per-day", dir.file("9.log")}, 1, "[]\n", "9.log, file not found\n"},
      {{"--csv", "--per-day", good}, 0, good + ",2002-04-18,83131\n", ""},
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
  // One refused file among good ones still refuses the run; each file is named first.
  const Outcome run = report({good, bad, good});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.out.starts_with(good + ":\n")) << run.out;
  EXPECT_NE(run.out.find("Total time : \n\n" + good + ":\n file created"), std::string::npos);
  // Without a file: every log of the data folder, in the file list's order.
  const Outcome folder = report({"--part-minute"}, dir.path());
  EXPECT_EQ(folder.status, 1);
  EXPECT_TRUE(folder.out.starts_with(good + ":\n")) << folder.out;
  EXPECT_NE(folder.out.find("\n" + overflowing + ":\n"), std::string::npos) << folder.out;
  TempDir empty;
  EXPECT_EQ(report({}, empty.path()).err, "tallix-report: no log file in " + empty.path() + "\n");
  const Outcome help = report({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("--csv"), std::string::npos);
}

TEST_F(ReportTest, CsvGivesEachPairsShare) {
  Outcome run = report({"--csv", good, overflowing});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "file,start record,start,end,seconds,abandoned\n" +
                good + ",3,start: 0002/04/16 09:12:40,_end : 2002/04/16 10:01:02,2902,\n" +
                good + ",5,start: 0102/04/17 22:30:00,_end : 2002/04/18 23:05:31,88531,\n" +
                good + ",7,start : bad,_end : bad,,wrong shape\n" +
                overflowing + ",3,start: 0002/04/16 09:00:00,_end : 2002/04/16 09:00:10,10,\n" +
                overflowing + ",5,start: 2302/04/16 09:00:00,_end : 2002/05/09 09:00:00,,overflow\n");
  EXPECT_EQ(run.err, overflowing + ": Error occurred when loading data from files, Error #  6\nOverflow\n");
}

TEST_F(ReportTest, CsvQuotesFieldsThatNeedIt) {
  writeLog(good, {"From : 15_2002/03/10", "1_To : 14", "start: \"a\",b", "_end : x"});
  Outcome run = report({"--csv", good});
  EXPECT_NE(run.out.find(",3,\"start: \"\"a\"\",b\",_end : x,,wrong shape\n"), std::string::npos) << run.out;
}

#ifndef _WIN32
// The command itself, run as a separate program beside this test program.
TEST_F(ReportTest, CommandExitStatus) {
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe");
  const std::filesystem::path command = self.parent_path() / "tallix-report";
  if (!std::filesystem::exists(command)) GTEST_SKIP() << "tallix-report is not built beside " << self;
  for (const auto& [args, status] : {std::pair{"--csv '" + good + "'", 0}, {"'" + bad + "'", 1}, {"--bogus", 2}}) {
    const std::string line = "LC_ALL=C '" + command.string() + "' " + args + " >/dev/null 2>&1";
    const int raw = std::system(line.c_str());
    EXPECT_EQ(WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, status) << args;
  }
}
#endif

}  // namespace
}  // namespace tallix::testing
