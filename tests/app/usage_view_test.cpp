#include "app/usage_view.h"

#include <gtest/gtest.h>

namespace tallix {
namespace {

// The hours axis ends on the first round step at or above the busiest day,
// with at most six steps.
TEST(UsageScale, TopIsTheFirstRoundStepAboveTheBusiestDay) {
  struct Case {
    long long busiest;
    int top;
    int step;
  };
  for (const Case& c : std::initializer_list<Case>{
           {0, 1, 1},            // an empty period still has an axis
           {30, 1, 1},           // a few seconds
           {3600, 1, 1},         // exactly on a step
           {3601, 2, 1},
           {6 * 3600, 6, 1},     // six steps of one hour
           {6 * 3600 + 1, 8, 2},
           {13 * 3600, 15, 3},
           {24 * 3600, 24, 6},   // a whole day online
           {30 * 3600, 30, 6},   // overlapping pairs of a broken log
           {200 * 3600, 240, 48},
           {-5, 1, 1},
       }) {
    const UsageScale scale = usageScale(c.busiest);
    EXPECT_EQ(scale.topHours, c.top) << c.busiest;
    EXPECT_EQ(scale.stepHours, c.step) << c.busiest;
  }
}

}  // namespace
}  // namespace tallix
