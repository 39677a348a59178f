#include "data/records.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/gbk.h"
#include "platform/localtime.h"

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
  // A day that the month does not have (Feb 30) is normalised by mktime; refuse it.
  bool exact = false;
  const time_t r = platform::LocalTime(y, mo, d, h, mi, s, &exact);
  if (r == static_cast<time_t>(-1) || !exact) return false;
  *t = r;
  return true;
}
