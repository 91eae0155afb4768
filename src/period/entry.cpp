#include "period/entry.h"

namespace tallix {

bool dayInPeriod(int s, int e, int d) {
  if (e > s) return s <= d && d <= e;
  return d >= s || d <= e;
}

}  // namespace tallix
