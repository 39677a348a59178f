#include "cumfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>

#include "common/testenv.h"
#include "data/fixture.h"
#include "data/records.h"
#include "tables/cumtable.h"

namespace cumtest {

namespace {
int Seconds(int period) { return tables::CumPeriodSeconds(tables::CumKindOf(period)); }

}  // namespace

Cum AutumnNight(int periods) {
  Cum c;
  c.channels = 1;
  c.periods = periods;
  c.m = 10;
  c.d = 27;
  return c;
}

std::string SaveCum(const Cum& c) {
  fixture::Recipe s;
  s.model = "KVP6GV1000P";
  s.title = c.title;
  s.channels.resize(c.channels);
  s.cumPeriod = uint8_t(c.period);
  s.cumByte1 = uint8_t(c.dayStart);
  s.cumByte2 = uint8_t(c.decimals);
  s.capacity = c.periods;
  s.lastIndex = c.periods - 1;
  const uint8_t start[6] = {uint8_t(c.y), uint8_t(c.m), uint8_t(c.d), uint8_t(c.h), 0, 0};
  std::copy(start, start + 6, s.start);
  // The end stamp: start + (periods - 1) periods, through the local calendar.
  struct tm tm = {};
  tm.tm_year = 2000 + c.y - 1900;
  tm.tm_mon = c.m - 1;
  tm.tm_mday = c.d;
  tm.tm_hour = c.h;
  tm.tm_isdst = -1;
  const time_t end = mktime(&tm) + time_t(c.periods - 1) * Seconds(c.period);
  TimeToStamp(end, s.end);
  s.count = [base = c.base](int ch, int slot) -> int64_t { return int64_t(ch + 1) * base + slot; };
  const std::string path = testenv::NewDir("cum") + "f.kvc";
  EXPECT_TRUE(testenv::WriteFile(path, fixture::Build(s)));
  return path;
}


}  // namespace cumtest
