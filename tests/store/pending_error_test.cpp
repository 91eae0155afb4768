#include "store/pending_error.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace tallix {
namespace {

TEST(FailureReport, IsSentenceNumberCarriageReturnDescription) {
  const struct {
    int number;
    const char* description;
    const char* expected;
  } cases[] = {
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

TEST(PendingError, OperatingSystemErrorsMapOntoTheTable) {
  for (const auto& [err, number] : {std::pair{ENOENT, kFileNotFound}, {ENOSPC, kDiskFull}, {EIO, kDeviceIoError}}) {
    PendingError error;
    error.raiseErrno(err);
    EXPECT_EQ(error.number, number);
    EXPECT_FALSE(error.description.empty());
  }
  PendingError error;
  error.raise(kOverflow);
  EXPECT_EQ(error.description, "Overflow");
  error.clear();
  EXPECT_FALSE(error.pending());
  EXPECT_TRUE(error.description.empty());
}

}  // namespace
}  // namespace tallix
