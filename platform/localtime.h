#pragma once
// Local calendar time, shared by the data files and the recorder simulator.
// Daylight saving is decided by the zone (mktime with tm_isdst -1); TZ is
// honoured. No Qt.
#include <cstdint>
#include <ctime>

namespace platform {

// The time of a local date and time of day. Fields out of range roll over as
// mktime rolls them (February 30 becomes a day of March); *exact, when given,
// tells whether the day and month stood as given. -1 when the time cannot be
// represented.
time_t LocalTime(int year, int month, int day, int hour, int minute, int second,
                 bool* exact = nullptr);

// 6-byte time stamps of recorders and data files: year - 2000, month 1-12,
// day, hour, minute, second, in local time.
time_t StampToTime(const uint8_t* stamp);
// All six bytes 0 when t cannot be broken down.
void TimeToStamp(time_t t, uint8_t* stamp);
// The check applied to stamps read from a recorder: year byte below 100,
// month 1-12, day 1-31, hour up to 23, minute and second up to 59.
bool StampValid(const uint8_t* stamp);

}  // namespace platform
