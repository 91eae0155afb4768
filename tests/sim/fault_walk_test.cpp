// Every file operation of a day in the program's life, made to fail in turn.
//
// The scenario: start-up, a confirmation that archives the old period as the
// 99th log, a connection held for more than a day (start, refreshes, a day
// count, the close), the part-minute click, a connection across the end of
// the month whose rollover finds all 99 numbers taken and moves the set into
// Oldlog, the Calculation view's copy and a load. A fault-free run counts its
// file operations; then each one in turn is made to fail. After every run:
// the failure was told with the sentence of the procedure that met it (the
// settings file alone fails silently), the tick told at most two, every
// record file keeps its records in step, and no log was lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/calculation_view.h"
#include "app/budget.h"
#include "app/form1_events.h"
#include "form/main_form.h"
#include "form/sentences.h"
#include "monitor/tick.h"
#include "period/entry.h"
#include "store/record_file.h"
#include "support/fake_services.h"
#include "support/fault_counter.h"
#include "support/record_checks.h"

namespace fs = std::filesystem;

namespace tallix {
namespace {

struct Step {
  std::string name;
  std::vector<std::string_view> sentences;  // what a failure in this step may be told with
  long firstOperation = 0;                  // operations of the fault-free run, (first, last]
  long lastOperation = 0;
};

bool startsWithOneOf(const std::string& text, const std::vector<std::string_view>& sentences) {
  return std::ranges::any_of(sentences, [&text](std::string_view s) { return text.starts_with(s); });
}

class Scenario {
 public:
  Scenario() : form_(svc_, dir_.path()) {
    // 98 closed periods, each with a content of its own, and the live file.
    for (int j = 1; j <= 98; ++j) {
      char start[32];
      std::snprintf(start, sizeof start, "start: 0001/%02d/%02d 10:%02d:00", 1 + j % 12, 1 + j % 28, j % 60);
      testing::writeLog(dir_.file(std::to_string(j) + ".log"),
                        {"From : 01_2001/01/01", "0_To : 31", start, "_end : 2001/01/01 11:00:00"});
    }
    testing::writeLog(dir_.file("CountRec.zvt"), {"From : 01_2002/04/05", "0_To : 31"});
    forEachFile([this](const fs::path& path, const std::string& bytes) {
      if (path.filename() != "CountRec.zvt") before_.insert(bytes);
    });
    svc_.clock = DateTime{2002, 4, 29, 9, 0, 0};
  }

  // Runs the scenario; `mark` is called at the end of each step with its index.
  template <typename Mark>
  void run(Mark mark) {
    Form1_Form_Load(form_);
    mark(0);
    cmdInput_Click(form_);
    form_[form1::txtStartDay].caption = "01";
    form_[form1::txtEndDay].caption = "31";
    cmdConfirm_Click(form_);
    mark(1);
    // Online for a day and a minute, ticking once a minute: start, the
    // even-minute refreshes, the day count at 09:00 the next day, the close.
    online(60, DateTime{2002, 4, 30, 9, 1, 0});
    mark(2);
    form_[form1::chkToBeMin].value = 1;
    chkToBeMin_MouseUp(form_);
    mark(3);
    // Online across the end of the month: the rollover closes the pair into
    // the old file and moves the full set into Oldlog.
    svc_.clock = DateTime{2002, 4, 30, 23, 58, 0};
    online(20, DateTime{2002, 5, 1, 0, 1, 0});
    mark(4);
    ShowView(form_, "Calculation");
    mark(5);
    auto& list = form_[form1::File1];
    for (size_t i = 0; i < list.items.size(); ++i)
      if (list.items[i] == "1.log") list.listIndex = static_cast<int>(i);
    cmdLoad_Click(form_);
    mark(6);
  }

  const std::vector<std::string>& messages() const { return svc_.messages; }

  // Every record file (an empty one aside) keeps its headers and its pairs in step.
  void expectRecordsInStep() const {
    forEachFile([](const fs::path& path, const std::string& bytes) {
      if (path.filename() != "tallix.ini" && !bytes.empty()) {
        EXPECT_EQ(testing::recordsOutOfStep(bytes), "") << path;
      }
    });
  }

  // Every file the folder held before is still there, in the folder or in
  // Oldlog; so is the period live at the start (archived or still live, its
  // second record perhaps changed by the part-minute click) and the one begun.
  void expectNothingLost(bool periodBegun) const {
    std::set<std::string> now;
    forEachFile([&now](const fs::path&, const std::string& bytes) { now.insert(bytes); });
    int lost = 0;
    for (const std::string& bytes : before_) lost += now.count(bytes) == 0 ? 1 : 0;
    EXPECT_EQ(lost, 0) << "logs lost";
    auto kept = [&now](const char* header) {
      return std::ranges::any_of(now, [header](const std::string& bytes) { return bytes.starts_with(header); });
    };
    EXPECT_TRUE(kept("From : 01_2002/04/05")) << "the period of 5 April is gone";
    if (periodBegun) {
      EXPECT_TRUE(kept("From : 01_2002/04/29")) << "the period of 29 April is gone";
    }
  }

 private:
  template <typename Visit>
  void forEachFile(Visit visit) const {
    for (const fs::path& folder : {fs::path(dir_.path()), fs::path(dir_.file("Oldlog"))}) {
      if (!fs::is_directory(folder)) continue;
      for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) visit(entry.path(), testing::readFile(entry.path().string()));
    }
  }
  void tick(long seconds) {
    svc_.advance(seconds);
    Timer1_TickAndBudget(form_);
  }
  // The line up, a tick every `seconds` up to `until`, then down for a tick.
  void online(long seconds, const DateTime& until) {
    svc_.line = true;
    Timer1_TickAndBudget(form_);
    while (toSerialSeconds(svc_.clock) < toSerialSeconds(until)) tick(seconds);
    svc_.line = false;
    tick(1);
  }

  testing::FakeServices svc_;
  testing::TempDir dir_;
  MainForm form_;
  std::set<std::string> before_;
};

TEST(FaultWalk, EveryFileOperationMayFailWithoutLossOrMisalignment) {
  setDurableWrites(false);
  std::vector<Step> steps = {
      {"start-up", {kLoadingData, kLoadingBackDays}},
      {"confirmation", {kHandlingFiles, kSavingData, kLoadingData}},
      {"a day online", {kWritingDataToFile, kUpdatingDaySpent, kLoadingBackDays, kLoadingData}},
      {"part-minute click", {kSavingSettings}},
      {"rollover online", {kWritingDataToFile, kUpdatingDaySpent, kLoadingBackDays, kWritingDataToDisk,
                           kHandlingFiles, kSavingData, kLoadingData}},
      {"Calculation view", {kUpdatingCountRecLog}},
      {"load", {kLoadingData}},
  };
  std::vector<std::string_view> known;
  for (const Step& s : steps) known.insert(known.end(), s.sentences.begin(), s.sentences.end());
  {
    Scenario clean;
    setFaultAt(0);
    resetFileOperationCount();
    clean.run([&](int i) {
      steps[static_cast<size_t>(i)].firstOperation = i == 0 ? 0 : steps[static_cast<size_t>(i) - 1].lastOperation;
      steps[static_cast<size_t>(i)].lastOperation = fileOperationCount();
    });
    ASSERT_TRUE(clean.messages().empty()) << clean.messages().front();
    clean.expectRecordsInStep();
    clean.expectNothingLost(true);
  }
  const long total = steps.back().lastOperation;
  ASSERT_GT(total, 300) << "the scenario reaches every kind of file step";

  // The settings file's own five steps near the end of start-up fail
  // silently; only the budget's read of the record file comes after them.
  const long silentFrom = steps[0].lastOperation - 6;
  const long silentTo = steps[0].lastOperation - 1;
  // A day online repeats the same refresh hundreds of times: its first and
  // last hundred operations are walked one by one, the stretch between them
  // every tenth.
  const Step& day = steps[2];
  auto walked = [&day](long n) {
    return n <= day.firstOperation + 100 || n > day.lastOperation - 100 || n % 10 == 0;
  };
  long told = 0;
  long points = 0;
  for (long n = 1; n <= total; ++n) {
    if (!walked(n)) continue;
    ++points;
    const Step* step = nullptr;
    for (const Step& s : steps)
      if (n > s.firstOperation && n <= s.lastOperation) step = &s;
    ASSERT_NE(step, nullptr);
    SCOPED_TRACE("operation " + std::to_string(n) + " of " + std::to_string(total) + ", in the " + step->name);
    Scenario faulty;
    resetFileOperationCount();
    setFaultAt(n);
    faulty.run([](int) {});
    setFaultAt(0);

    const auto& messages = faulty.messages();
    for (const std::string& m : messages) EXPECT_TRUE(startsWithOneOf(m, known)) << m;
    const bool silentByDesign = step == &steps[0] && n > silentFrom && n <= silentTo;
    if (!silentByDesign) {
      ASSERT_FALSE(messages.empty()) << "a failure nobody was told of";
      EXPECT_TRUE(startsWithOneOf(messages.front(), step->sentences)) << messages.front();
      ++told;
    }
    EXPECT_LE(std::ranges::count_if(messages, [](const std::string& m) { return m.starts_with(kWritingDataToFile); }),
              2);
    faulty.expectRecordsInStep();
    // A confirmation that failed begins no period of 29 April.
    faulty.expectNothingLost(step != &steps[1]);
  }
  std::printf("walked %ld fault points of %ld file operations; %ld told in the program's words, %ld silent (settings file)\n",
              points, total, told, points - told);
  setDurableWrites(true);
}

}  // namespace
}  // namespace tallix
