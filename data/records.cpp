#include "data/records.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/gbk.h"

_tagScaleNum ScaleNumFromBytes(const uint8_t* bytes) {
  _tagScaleNum num;
  num.number = static_cast<int16_t>(static_cast<uint16_t>(bytes[0] | (bytes[1] << 8)));
  num.decimals = bytes[2];
  return num;
}

void ScaleNumToBytes(const _tagScaleNum& num, uint8_t* bytes) {
  uint16_t u = static_cast<uint16_t>(num.number);
  bytes[0] = static_cast<uint8_t>(u & 0xFF);
  bytes[1] = static_cast<uint8_t>(u >> 8);
  bytes[2] = num.decimals;
}

float ScaleNumValue(const _tagScaleNum& num) {
  return static_cast<float>(num.number / std::pow(10.0, num.decimals));
}

int ScaleNumExponent(const _tagScaleNum& num) {
  return num.decimals < 10 ? num.decimals : num.decimals - 256;
}

int CumPeriodInterval(int cumPeriod) {
  switch (cumPeriod) {
    case 0: return 3600;
    case 1: return 28800;
    case 2: return 43200;
    default: return 86400;
  }
}

std::string GbkField(const char* field, size_t n) { return platform::GbkToUtf8(field, n); }

void SetGbkField(char* field, size_t n, const std::string& utf8, bool nulTerminated) {
  std::memset(field, 0, n);
  if (n == 0) return;
  platform::Utf8ToGbk(utf8, field, nulTerminated ? n - 1 : n);
}

std::string DefaultChnlName(int number) {
  char buf[32];
  std::snprintf(buf, sizeof(buf), "通道%d", number);
  return buf;
}

time_t StampToTime(const uint8_t* stamp) {
  struct tm tm = {};
  tm.tm_year = stamp[0] + 100;
  tm.tm_mon = stamp[1] - 1;
  tm.tm_mday = stamp[2];
  tm.tm_hour = stamp[3];
  tm.tm_min = stamp[4];
  tm.tm_sec = stamp[5];
  tm.tm_isdst = -1;
  return mktime(&tm);
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

std::string FormatTime(time_t t, const char* format) {
  struct tm tm = {};
  if (!localtime_r(&t, &tm)) return std::string();
  char buf[128];
  size_t n = std::strftime(buf, sizeof(buf), format, &tm);
  return std::string(buf, n);
}

bool ParseTime(const std::string& text, time_t* t) {
  int y, mo, d, h, mi, s;
  char tail;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6)
    return false;
  if (y < 1970 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 59 || h < 0 ||
      mi < 0 || s < 0)
    return false;
  struct tm tm = {};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  time_t r = mktime(&tm);
  // A day that the month does not have (Feb 30) is normalised by mktime; refuse it.
  if (r == static_cast<time_t>(-1) || tm.tm_mday != d || tm.tm_mon != mo - 1) return false;
  *t = r;
  return true;
}
