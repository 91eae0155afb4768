// Replays every input the fuzzer kept through the loader with the normal
// build: none may crash, and each must leave a result the view can show.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "analysis/loader.h"
#include "log_fixture.h"
#include "store/record_file.h"

namespace tallix::testing {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> corpusFiles() {
  const fs::path folder = fs::path(__FILE__).parent_path().parent_path() / "fuzz" / "corpus";
  std::vector<fs::path> files;
  std::error_code code;
  for (const auto& entry : fs::directory_iterator(folder, code)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST_F(LogTest, FuzzCorpusLoadsSafely) {
  const auto files = corpusFiles();
  ASSERT_FALSE(files.empty()) << "no corpus beside " << __FILE__;
  for (const auto& input : files) {
    SCOPED_TRACE(input.filename().string());
    std::ifstream in(input, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(dir.file("f.log"), std::ios::binary | std::ios::trunc) << bytes;
    select("f.log");
    for (bool partMinute : {false, true}) {
      services.messages.clear();
      load(partMinute);
      EXPECT_LE(services.messages.size(), 1u);
      EXPECT_EQ(abandoned().size() % 2, 0u);
      EXPECT_TRUE(label("lblF2From").starts_with(kFromLabel));
      EXPECT_TRUE(label("lblF2To").starts_with(kToLabel));
      EXPECT_TRUE(label("lblFirstR").starts_with(kFirstRecordLabel));
      EXPECT_TRUE(label("lblLastR").starts_with(kLastRecordLabel));
      const std::string& total = label("lblUseTime");
      EXPECT_TRUE(total == kTotalTimeBare || total == useTimeText(form.TotalHours, form.TotalMinutes, form.TotalSeconds))
          << total;
    }
    std::string after;
    PendingError error;
    ASSERT_TRUE(readWholeFile(dir.file("f.log"), after, error));
    EXPECT_EQ(after, bytes) << "the loader changed the file";
  }
}

}  // namespace
}  // namespace tallix::testing
