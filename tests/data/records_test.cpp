// Scaled numbers, stamps and times, text fields.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "common/testenv.h"
#include "data/cxfile.h"
#include "data/fixture.h"
#include "data/records.h"

namespace {

// Switches TZ for one scope.
class Zone {
 public:
  explicit Zone(const char* tz) {
    const char* old = std::getenv("TZ");
    old_ = old ? old : "";
    ::setenv("TZ", tz, 1);
    ::tzset();
  }
  ~Zone() {
    ::setenv("TZ", old_.c_str(), 1);
    ::tzset();
  }

 private:
  std::string old_;
};

TEST(Records, ScaleNumbers) {
  const uint8_t bytes[3] = {0x18, 0xFC, 0x02};  // -1000, 2 decimals
  _tagScaleNum n = ScaleNumFromBytes(bytes);
  EXPECT_EQ(n.number, -1000);
  EXPECT_EQ(n.decimals, 2);
  EXPECT_FLOAT_EQ(ScaleNumValue(n), -10.0f);
  uint8_t back[3];
  ScaleNumToBytes(n, back);
  EXPECT_EQ(std::memcmp(back, bytes, 3), 0);
  // Exponent bytes: 0-9 as they are, 10-255 as byte - 256.
  n.decimals = 9;
  EXPECT_EQ(ScaleNumExponent(n), 9);
  n.decimals = 10;
  EXPECT_EQ(ScaleNumExponent(n), -246);
  n.decimals = 0xFE;
  EXPECT_EQ(ScaleNumExponent(n), -2);
  EXPECT_EQ(CumPeriodInterval(0), 3600);
  EXPECT_EQ(CumPeriodInterval(1), 28800);
  EXPECT_EQ(CumPeriodInterval(2), 43200);
  EXPECT_EQ(CumPeriodInterval(3), 86400);
  EXPECT_EQ(CumPeriodInterval(200), 86400);
  EXPECT_EQ(FullScale(1), 255u);
  EXPECT_EQ(FullScale(2), 65535u);
}

TEST(Records, StampsInAFixedZone) {
  // The test main runs in Asia/Shanghai, UTC+8 all year.
  const uint8_t stamp[6] = {24, 3, 1, 8, 0, 0};
  EXPECT_EQ(StampToTime(stamp), 1709251200);
  uint8_t back[6];
  TimeToStamp(1709251200 + 86399, back);
  const uint8_t expect[6] = {24, 3, 2, 7, 59, 59};
  EXPECT_EQ(std::memcmp(back, expect, 6), 0);
  EXPECT_EQ(FormatTime(1709251200), "2024-03-01 08:00:00");
  EXPECT_EQ(FormatTime(1709251200, "%Y-%m-%d %H_%M_%S"), "2024-03-01 08_00_00");
  time_t t = 0;
  ASSERT_TRUE(ParseTime("2024-03-01 08:00:05", &t));
  EXPECT_EQ(t, 1709251205);
  EXPECT_FALSE(ParseTime("2024-02-30 08:00:00", &t));
  EXPECT_FALSE(ParseTime("2024-03-01 24:00:00", &t));
  EXPECT_FALSE(ParseTime("2024-03-01", &t));
  EXPECT_FALSE(ParseTime("2024-03-01 08:00:00x", &t));
  EXPECT_TRUE(StampValid(stamp));
  const uint8_t bad[][6] = {{100, 1, 1, 0, 0, 0}, {24, 0, 1, 0, 0, 0}, {24, 13, 1, 0, 0, 0},
                            {24, 1, 0, 0, 0, 0},  {24, 1, 32, 0, 0, 0}, {24, 1, 1, 24, 0, 0},
                            {24, 1, 1, 0, 60, 0}, {24, 1, 1, 0, 0, 60}};
  for (const auto& b : bad) EXPECT_FALSE(StampValid(b));
}

TEST(Records, StampsAcrossDaylightSaving) {
  Zone berlin("Europe/Berlin");
  // 2024-03-31: 02:00 CET jumps to 03:00 CEST.
  const uint8_t before[6] = {24, 3, 31, 1, 30, 0};
  const uint8_t after[6] = {24, 3, 31, 3, 30, 0};
  const time_t a = StampToTime(before);
  const time_t b = StampToTime(after);
  EXPECT_EQ(a, 1711845000);  // 00:30 UTC
  EXPECT_EQ(b - a, 3600);    // one real hour between them
  uint8_t back[6];
  TimeToStamp(b, back);
  EXPECT_EQ(std::memcmp(back, after, 6), 0);
  // Summer and winter stamps round-trip.
  const uint8_t summer[6] = {24, 7, 15, 12, 0, 0};
  TimeToStamp(StampToTime(summer), back);
  EXPECT_EQ(std::memcmp(back, summer, 6), 0);
  EXPECT_EQ(FormatTime(b), "2024-03-31 03:30:00");
  time_t t;
  ASSERT_TRUE(ParseTime("2024-03-31 03:30:00", &t));
  EXPECT_EQ(t, b);

  // A file spanning the switch counts real seconds: 01:30 to 03:30 is 1 hour.
  fixture::Recipe s;
  s.channels.resize(1);
  std::memcpy(s.start, before, 6);
  std::memcpy(s.end, after, 6);
  s.interval = 60;  // layout 0 keeps one byte
  s.capacity = 61;
  const std::string path = testenv::NewDir() + "dst.dat";
  ASSERT_TRUE(testenv::WriteFile(path, fixture::Build(s)));
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  EXPECT_EQ(f.GetRecordCount(), 61);
  EXPECT_EQ(f.GetEndTime() - f.GetStartTime(), 3600);
}

TEST(Records, TextFieldsNeverSplitACharacter) {
  char name[32];
  // 17 two-byte characters do not fit 32 bytes: 16 are kept, whole.
  SetGbkField(name, "一二三四五六七八九十一二三四五六七");
  EXPECT_EQ(GbkField(name), "一二三四五六七八九十一二三四五六");
  // A NUL-terminated field keeps one byte free: 15 characters then "A" fits.
  char title[32];
  SetGbkField(title, "一二三四五六七八九十一二三四五A六", true);
  EXPECT_EQ(GbkField(title), "一二三四五六七八九十一二三四五A");
  EXPECT_EQ(title[31], '\0');
  // A field refilled with a shorter text has no leftovers.
  SetGbkField(name, "ab");
  EXPECT_EQ(GbkField(name), "ab");
  EXPECT_EQ(name[2], '\0');
  EXPECT_EQ(name[31], '\0');
  EXPECT_EQ(DefaultChnlName(1), "通道1");
  EXPECT_EQ(DefaultChnlName(64), "通道64");
  char unit[16];
  SetGbkField(unit, "℃");
  EXPECT_EQ(static_cast<unsigned char>(unit[0]), 0xA1);
  EXPECT_EQ(static_cast<unsigned char>(unit[1]), 0xE6);
}

}  // namespace
