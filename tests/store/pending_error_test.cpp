#include "store/pending_error.h"

#include <gtest/gtest.h>

namespace tallix {
namespace {

TEST(FailureReport, IsSentenceNumberCarriageReturnDescription) {
  const struct { int number; const char* description; const char* expected; } cases[] = {
      {53, "File not found", "Error occurred when saving settings to disk, Error #  53\rFile not found"},
      {-5, "odd", "Error occurred when saving settings to disk, Error # -5\rodd"},
      {0, "", "Error occurred when saving settings to disk, Error #  0\r"},
  };
  for (const auto& c : cases) {
    PendingError error;
    error.number = c.number;
    error.description = c.description;
    EXPECT_EQ(failureReport("Error occurred when saving settings to disk, ", error), c.expected);
  }
}

}  // namespace
}  // namespace tallix
