#include "platform/localspan.h"

#include <algorithm>

namespace platform {

namespace {

// The instant with the same local date and time as t on the other side of a
// change of the clocks within a day of it, or t when there is none.
time_t OtherReading(time_t t) {
  struct tm here = {};
  if (!localtime_r(&t, &here)) return t;
  for (const time_t u : {t - 86400, t + 86400}) {
    struct tm there = {};
    if (!localtime_r(&u, &there) || there.tm_gmtoff == here.tm_gmtoff) continue;
    const time_t other = t + (here.tm_gmtoff - there.tm_gmtoff);
    struct tm check = {};
    if (localtime_r(&other, &check) && check.tm_gmtoff == there.tm_gmtoff && check.tm_hour == here.tm_hour &&
        check.tm_min == here.tm_min && check.tm_sec == here.tm_sec && check.tm_mday == here.tm_mday)
      return other;
  }
  return t;
}

}  // namespace

time_t WithinSpan(time_t t, time_t first, time_t last, SpanEdge edge) {
  const time_t other = OtherReading(t);
  if (other == t) return t;
  const bool tIn = t >= first && t <= last, otherIn = other >= first && other <= last;
  if (tIn && otherIn) return edge == SpanEdge::Start ? std::min(t, other) : std::max(t, other);
  return otherIn ? other : t;
}

}  // namespace platform
