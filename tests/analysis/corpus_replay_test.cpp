// Replays every input the fuzzer kept through the loader with the normal
// build: none may crash, and each must leave a result the view can show.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "analysis/loader.h"
#include "log_fixture.h"
#include "store/record_file.h"

namespace tallix::testing {
namespace {

namespace fs = std::filesystem;

TEST_F(LogTest, FuzzCorpusLoadsSafely) {
  const fs::path folder = fs::path(__FILE__).parent_path().parent_path() / "fuzz" / "corpus";
  std::vector<fs::path> files;
  std::error_code code;
  for (const auto& entry : fs::directory_iterator(folder, code)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty()) << "no corpus beside " << __FILE__;
  for (const auto& input : files) {
    SCOPED_TRACE(input.filename().string());
    std::string bytes;
    PendingError error;
    ASSERT_TRUE(readWholeFile(input.string(), bytes, error));
    std::ofstream(dir.file("f.log"), std::ios::binary | std::ios::trunc) << bytes;
    select("f.log");
    for (bool partMinute : {false, true}) {
      services.messages.clear();
      load(partMinute);
      EXPECT_LE(services.messages.size(), 1u);
      EXPECT_EQ(abandoned().size() % 2, 0u);
      for (const auto& [name, prefix] : {std::pair{"lblF2From", kFromLabel}, {"lblF2To", kToLabel},
                                         {"lblFirstR", kFirstRecordLabel}, {"lblLastR", kLastRecordLabel}})
        EXPECT_TRUE(label(name).starts_with(prefix)) << name;
      const std::string& total = label("lblUseTime");
      EXPECT_TRUE(total == kTotalTimeBare || total == useTimeText(form.TotalHours, form.TotalMinutes, form.TotalSeconds))
          << total;
    }
    std::string after;
    ASSERT_TRUE(readWholeFile(dir.file("f.log"), after, error));
    EXPECT_EQ(after, bytes) << "the loader changed the file";
  }
}

}  // namespace
}  // namespace tallix::testing
