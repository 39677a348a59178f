#include "platform/localtime.h"

#include <cstring>
#include <limits>

#include "platform/localspan.h"

namespace platform {

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
  constexpr time_t kAll = std::numeric_limits<time_t>::max();
  return t == static_cast<time_t>(-1) ? t : WithinSpan(t, -kAll, kAll, SpanEdge::Start);
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
