#include "platform/localtime.h"

#include <algorithm>
#include <cstring>

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

time_t LocalTime(int year, int month, int day, int hour, int minute, int second, bool* exact) {
  struct tm tm = {};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  const time_t t = mktime(&tm);
  if (exact) *exact = tm.tm_mday == day && tm.tm_mon == month - 1;
  // mktime picks either instant of a time that comes twice, depending on
  // earlier calls; always the earlier one here.
  return t == static_cast<time_t>(-1) ? t : std::min(t, OtherReading(t));
}


time_t WithinSpan(time_t t, time_t first, time_t last, SpanEdge edge) {
  const time_t other = OtherReading(t);
  if (other == t) return t;
  const bool tIn = t >= first && t <= last, otherIn = other >= first && other <= last;
  if (tIn && otherIn) return edge == SpanEdge::Start ? std::min(t, other) : std::max(t, other);
  return otherIn ? other : t;
}

time_t StampToTime(const uint8_t* stamp) {
  return LocalTime(2000 + stamp[0], stamp[1], stamp[2], stamp[3], stamp[4], stamp[5]);
}

void TimeToStamp(time_t t, uint8_t* stamp) {
  struct tm tm = {};
  if (!localtime_r(&t, &tm)) {
    std::memset(stamp, 0, 6);
    return;
  }
  stamp[0] = static_cast<uint8_t>(tm.tm_year - 100);
  stamp[1] = static_cast<uint8_t>(tm.tm_mon + 1);
  stamp[2] = static_cast<uint8_t>(tm.tm_mday);
  stamp[3] = static_cast<uint8_t>(tm.tm_hour);
  stamp[4] = static_cast<uint8_t>(tm.tm_min);
  stamp[5] = static_cast<uint8_t>(tm.tm_sec);
}

bool StampValid(const uint8_t* stamp) {
  return stamp[0] < 100 && stamp[1] >= 1 && stamp[1] <= 12 && stamp[2] >= 1 && stamp[2] <= 31 &&
         stamp[3] <= 23 && stamp[4] <= 59 && stamp[5] <= 59;
}

}  // namespace platform
