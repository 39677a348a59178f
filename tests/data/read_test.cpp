// Reading data files of every layout, built from the layout tables.
#include <gtest/gtest.h>

#include <cmath>

#include "common/testenv.h"
#include "data/cxfile.h"
#include "data/fixture.h"

namespace {

// 2024-03-01 08:00:00 in Asia/Shanghai (UTC+8).
constexpr time_t kStart = 1709251200;

fixture::Channel Linear(int16_t lo, int16_t hi, uint8_t dec) {
  fixture::Channel c;
  c.lo = lo;
  c.loDec = dec;
  c.hi = hi;
  c.hiDec = dec;
  return c;
}

std::string Save(const fixture::Recipe& recipe, const std::string& name = "f.dat") {
  std::string path = testenv::NewDir() + name;
  EXPECT_TRUE(testenv::WriteFile(path, fixture::Build(recipe)));
  return path;
}

// Raw count read back through the percent of full scale.
int CountAt(const CXFile& f, int ch, time_t t, int width) {
  float p = 0;
  if (!f.GetValue(ch, t, nullptr, &p)) return -1;
  return static_cast<int>(std::lround(p * (width == 1 ? 255.0 : 65535.0) / 100.0));
}

TEST(DataRead, Layout0HeaderChannelsAndMarks) {
  fixture::Recipe s;
  s.model = "KVR3GV2";
  s.title = "\xB2\xE2\xCA\xD4 01";  // "测试 01" in GBK
  fixture::Channel a = Linear(-500, 1500, 1);
  a.name = "\xCE\xC2\xB6\xC8";  // 温度
  a.unit = "\xA1\xE6";           // ℃
  a.spare = "xyz";
  a.lim[0] = 1;
  a.lim[2] = -100;  // -10.0
  a.lim[3] = 1200;  // 120.0
  a.limDec[0] = a.limDec[1] = a.limDec[2] = a.limDec[3] = a.limDec[4] = 1;
  a.dev0 = 0xA1B2C3D4;
  a.dev1 = 0x11111111;  // form 1 does not store the second word
  a.colour = 0x000000FF;
  a.shown = 1;
  a.pen = 2;
  fixture::Channel b;
  b.log = 1;
  b.loDec = 0xFE;  // 10^-2
  b.hiDec = 0x03;  // 10^3
  b.limDec[2] = 0x01;
  b.colour = 0x00FF0000;
  b.shown = 0;
  s.channels = {a, b};
  s.marks = {static_cast<int32_t>(kStart + 10), static_cast<int32_t>(kStart + 40)};
  s.count = [](int ch, int slot) -> int64_t { return ch == 0 ? 13107 * (slot % 6) : 13107 * (slot % 6); };
  s.ringStart = 3;
  std::string path = Save(s);

  CXFile f;
  ASSERT_TRUE(f.Open(path));
  EXPECT_EQ(f.GetLayout(), 0);
  EXPECT_EQ(f.GetModel(), "KVR3GV2");
  EXPECT_EQ(f.GetTitle(), "测试 01");
  EXPECT_EQ(f.GetStation(), 7);
  EXPECT_EQ(f.GetInterval(), 10);
  EXPECT_EQ(f.GetChnlCount(), 2);
  EXPECT_EQ(f.GetStartTime(), kStart);
  EXPECT_EQ(f.GetEndTime(), kStart + 50);
  EXPECT_EQ(f.GetRecordCount(), 6);
  EXPECT_EQ(f.GetMarkCount(), 2);
  EXPECT_EQ(f.GetMark(0), kStart + 10);
  EXPECT_EQ(f.GetMark(1), kStart + 40);
  EXPECT_EQ(f.GetMark(2), 0);

  const _tagDataHead& h = f.Head();
  EXPECT_EQ(h.tagByte, 10);  // set on every load
  EXPECT_EQ(h.kindByte, 2);
  EXPECT_EQ(h.descSize, 160);
  EXPECT_EQ(h.xMode, 1);
  EXPECT_EQ(h.xGrids, 12);
  EXPECT_EQ(h.yGrids, 8);
  EXPECT_FLOAT_EQ(h.yLow, -5.5f);
  EXPECT_FLOAT_EQ(h.yHigh, 99.25f);
  EXPECT_EQ(h.clrGrid, 0x00808080u);
  EXPECT_EQ(h.refShown1, 1);
  EXPECT_FLOAT_EQ(h.refValue1, 12.5f);
  EXPECT_STREQ(h.refLabel2, "LO");
  EXPECT_EQ(h.capacity, 10);
  EXPECT_EQ(h.ringStart, 3);
  EXPECT_EQ(h.lastIndex, 5);
  EXPECT_EQ(h.valueWidth, 2);
  EXPECT_EQ(h.channels[0].colour, 0x000000FFu);
  EXPECT_EQ(h.channels[0].penWidth, 2);
  EXPECT_STREQ(h.channels[0].spare, "xyz");
  EXPECT_EQ(h.channels[1].shown, 0);

  EXPECT_EQ(f.GetChnlName(0), "温度");
  EXPECT_EQ(f.GetChnlUnit(0), "℃");
  EXPECT_FLOAT_EQ(f.GetRangeLow(0), -50.0f);
  EXPECT_FLOAT_EQ(f.GetRangeHigh(0), 150.0f);
  EXPECT_FLOAT_EQ(f.GetLimit(0, 1), 0.1f);
  EXPECT_FLOAT_EQ(f.GetLimit(0, 3), -10.0f);
  EXPECT_FLOAT_EQ(f.GetLimit(0, 4), 120.0f);
  EXPECT_EQ(f.GetLimit(0, 6), 0.0f);
  EXPECT_EQ(f.GetChnlDef(0), 0xA1B2C3D4ull);
  std::string fmt;
  ASSERT_TRUE(f.GetFormat(0, fmt));
  EXPECT_EQ(fmt, "%.1f");

  // Logarithmic channel: exponents 0xFE and 0x03 span 10^-2 .. 10^3.
  EXPECT_FLOAT_EQ(f.GetRangeLow(1), 0.01f);
  EXPECT_FLOAT_EQ(f.GetRangeHigh(1), 1000.0f);
  EXPECT_FLOAT_EQ(f.GetLimit(1, 3), 10.0f);
  ASSERT_TRUE(f.GetFormat(1, fmt));
  EXPECT_EQ(fmt, "%.1E");
  EXPECT_EQ(f.FormatValue(0, 21.25), "21.2");
  EXPECT_EQ(f.FormatValue(1, 1234.0), "1.2E+03");
  EXPECT_EQ(f.FormatValue(2, 1.0), "");

  // Record n lives in slot (3 + n) mod 10, counts 13107 * (slot % 6).
  for (int n = 0; n < 6; ++n) {
    const int slot = (3 + n) % 10;
    const double frac = (slot % 6) * 0.2;
    float v = 0, p = 0;
    ASSERT_TRUE(f.GetValue(0, kStart + 10 * n, &v, &p)) << n;
    EXPECT_FLOAT_EQ(v, static_cast<float>(-50.0 + 200.0 * frac)) << n;
    EXPECT_FLOAT_EQ(p, static_cast<float>(100.0 * frac)) << n;
    ASSERT_TRUE(f.GetValue(1, kStart + 10 * n + (n < 5 ? 9 : 0), &v, nullptr)) << n;
    EXPECT_NEAR(v, std::pow(10.0, -2.0 + 5.0 * frac), 1e-4 * v) << n;
  }
  // Slot 3: count 13107*3 -> 0.6 of the span.
  float v;
  ASSERT_TRUE(f.GetValue(0, kStart, &v, nullptr));
  EXPECT_FLOAT_EQ(v, 70.0f);
  ASSERT_TRUE(f.GetValue(1, kStart, &v, nullptr));
  EXPECT_FLOAT_EQ(v, 10.0f);
}

TEST(DataRead, NeutralResultsAndSpanEdges) {
  fixture::Recipe s;
  s.channels = {Linear(0, 1000, 0)};
  s.count = [](int, int slot) -> int64_t { return slot * 100; };
  std::string path = Save(s);
  CXFile f;
  ASSERT_TRUE(f.Open(path));

  // A channel beyond chnlCount: empty texts, zeros, failures.
  EXPECT_EQ(f.GetChnlName(1), "");
  EXPECT_EQ(f.GetChnlUnit(1), "");
  EXPECT_EQ(f.GetChnlName(-1), "");
  EXPECT_EQ(f.GetRangeLow(1), 0.0f);
  EXPECT_EQ(f.GetRangeHigh(1), 0.0f);
  EXPECT_EQ(f.GetLimit(1, 3), 0.0f);
  EXPECT_EQ(f.GetChnlDef(1), 0u);
  std::string fmt;
  EXPECT_FALSE(f.GetFormat(1, fmt));
  float v = 0;
  EXPECT_FALSE(f.GetValue(1, kStart, &v, nullptr));
  EXPECT_FALSE(f.GetValue(-1, kStart, &v, nullptr));

  // endTime is inside, one second past is outside, and so is before the start.
  EXPECT_TRUE(f.GetValue(0, kStart + 50, nullptr, nullptr));
  EXPECT_FALSE(f.GetValue(0, kStart + 51, &v, nullptr));
  EXPECT_FALSE(f.GetValue(0, kStart - 1, &v, nullptr));
  // Inside a record interval the record's value holds.
  EXPECT_EQ(CountAt(f, 0, kStart + 29, 2), 200);
  EXPECT_EQ(CountAt(f, 0, kStart + 30, 2), 300);

  // Closing keeps the header but reads of values fail.
  f.Close();
  EXPECT_EQ(f.GetRecordCount(), -1);
  EXPECT_EQ(f.GetChnlCount(), 1);
  EXPECT_FALSE(f.GetValue(0, kStart, &v, nullptr));
}

TEST(DataRead, OneByteCountsFullScaleAndRingPastCapacity) {
  fixture::Recipe s;
  s.width = 1;
  s.channels = {Linear(0, 100, 0), Linear(-20, 80, 1)};
  s.capacity = 4;
  s.ringStart = 2;
  s.lastIndex = 5;
  // 6 records in 4 slots: records 4 and 5 lie past the capacity and read slot 0.
  s.count = [](int ch, int slot) -> int64_t { return ch == 0 ? (slot == 1 ? 255 : 51 * slot) : 51; };
  std::string path = Save(s);
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  EXPECT_EQ(f.GetRecordCount(), 6);
  float v, p;
  // record 3 -> slot (2 + 3) mod 4 = 1 -> count 255: exactly rangeHigh and 100 %.
  ASSERT_TRUE(f.GetValue(0, kStart + 30, &v, &p));
  EXPECT_EQ(v, 100.0f);
  EXPECT_EQ(p, 100.0f);
  // record 0 -> slot 2 -> 102 -> 40
  ASSERT_TRUE(f.GetValue(0, kStart, &v, &p));
  EXPECT_FLOAT_EQ(v, 40.0f);
  EXPECT_FLOAT_EQ(p, 40.0f);
  // record 2 -> slot 0 (wrapped) -> 0
  ASSERT_TRUE(f.GetValue(0, kStart + 20, &v, nullptr));
  EXPECT_EQ(v, 0.0f);
  // records 4 and 5 (n >= capacity) read slot 0
  ASSERT_TRUE(f.GetValue(0, kStart + 40, &v, nullptr));
  EXPECT_EQ(v, 0.0f);
  ASSERT_TRUE(f.GetValue(0, kStart + 50, &v, nullptr));
  EXPECT_EQ(v, 0.0f);
  // channel 1: -2.0 .. 8.0, count 51 -> 0.0
  ASSERT_TRUE(f.GetValue(1, kStart, &v, nullptr));
  EXPECT_NEAR(v, 0.0f, 1e-6);
  std::string fmt;
  ASSERT_TRUE(f.GetFormat(1, fmt));
  EXPECT_EQ(fmt, "%.1f");
}

TEST(DataRead, Layout1RecordMajorOneByte) {
  fixture::Recipe s;
  s.model = "KVP3GV1";  // byte 2 'P', byte 6 '1': layout 1, definition form 1
  s.width = 1;
  s.title = "P-one";
  fixture::Channel c = Linear(0, 1000, 2);
  c.name = "A";
  c.dev0 = 0x01020304;
  c.dev1 = 0x05060708;  // not in form 1
  c.colour = 0x00123456;
  c.pen = 3;
  s.channels = {c, Linear(0, 1000, 0), Linear(0, 1000, 0)};
  s.channels[1].log = 1;
  s.channels[1].loDec = 0;
  s.channels[1].hiDec = 2;
  s.expFormat = 0;
  s.interval = 300;  // layouts 1 and 2 keep 16 bits of it
  s.end[3] = 8;
  s.end[4] = 25;
  s.end[5] = 0;  // 08:25:00: 6 records of 300 s
  s.marks = {static_cast<int32_t>(kStart + 600)};
  s.reserved1 = 0x5A;
  s.spare2 = 0xA5;
  std::string path = Save(s);
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  EXPECT_EQ(f.GetLayout(), 1);
  EXPECT_EQ(f.GetInterval(), 300);
  EXPECT_EQ(f.GetRecordCount(), 6);
  EXPECT_EQ(f.GetTitle(), "P-one");
  EXPECT_EQ(f.GetChnlName(0), "A");
  EXPECT_EQ(f.GetChnlDef(0), 0x01020304ull);
  EXPECT_EQ(f.Head().channels[0].colour, 0x00123456u);
  EXPECT_EQ(f.Head().channels[0].penWidth, 3);
  EXPECT_EQ(f.Head().reserved1, 0x5A);
  EXPECT_EQ(f.Head().spare2, 0xA5);
  EXPECT_EQ(f.Head().xGrids, 12);
  EXPECT_FLOAT_EQ(f.Head().refValue2, -3.0f);
  EXPECT_EQ(f.GetMarkCount(), 1);
  EXPECT_EQ(f.GetMark(0), kStart + 600);
  std::string fmt;
  ASSERT_TRUE(f.GetFormat(0, fmt));
  EXPECT_EQ(fmt, "%.2f");
  ASSERT_TRUE(f.GetFormat(1, fmt));
  EXPECT_EQ(fmt, "%.2f");  // logarithmic with expFormat 0
  for (int n = 0; n < 6; ++n)
    for (int ch = 0; ch < 3; ++ch)
      EXPECT_EQ(CountAt(f, ch == 1 ? 2 : ch, kStart + 300 * n, 1),
                (n * 7 + (ch == 1 ? 2 : ch) * 1000 + 1) & 0xFF);
  float v;
  ASSERT_TRUE(f.GetValue(1, kStart, &v, nullptr));  // count 1001 & 0xFF = 233
  EXPECT_NEAR(v, std::pow(10.0, 2.0 * 233 / 65535.0), 1e-5);
}

TEST(DataRead, Layout2FormTwoAndByteRing) {
  fixture::Recipe s;
  s.model = "KVP6GV2";
  fixture::Channel c = Linear(0, 1000, 0);
  c.dev0 = 0x89ABCDEF;
  c.dev1 = 0x01234567;
  c.colour = 0x00ABCDEF;
  c.log = 0;
  c.pen = 4;
  s.channels = {c, Linear(0, 1000, 0)};
  s.capacity = 8;
  // In the record-major family the ring start is a byte offset: record 5.
  s.ringStart = 5 * 2 * 2;
  std::string path = Save(s);
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  EXPECT_EQ(f.GetLayout(), 2);
  EXPECT_EQ(f.GetChnlDef(0), 0x0123456789ABCDEFull);
  EXPECT_EQ(f.Head().channels[0].colour, 0x00ABCDEFu);
  EXPECT_EQ(f.Head().channels[0].penWidth, 4);
  for (int n = 0; n < 6; ++n)
    for (int ch = 0; ch < 2; ++ch) {
      const int slot = (5 + n) % 8;
      EXPECT_EQ(CountAt(f, ch, kStart + 10 * n, 2), slot * 7 + ch * 1000 + 1) << n << " " << ch;
    }
}

TEST(DataRead, Layout3CumulativeTotals) {
  fixture::Recipe s;
  s.model = "KVP6GV1000P";  // byte 10 'P' wins over byte 6 '1'
  s.title = "cum";
  s.channels.resize(3);
  s.cumPeriod = 1;  // eight hours
  s.cumByte1 = 6;
  s.cumByte2 = 2;
  s.capacity = 4;
  s.end[2] = 2;
  s.end[3] = 0;
  s.end[4] = 0;
  s.end[5] = 0;  // 2024-03-02 00:00: start + 16 h -> 3 periods
  s.count = [](int ch, int slot) -> int64_t {
    return ch == 1 ? -(int64_t{1} << 40) - slot : int64_t{100} * slot + ch;
  };
  std::string path = Save(s);
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  EXPECT_EQ(f.GetLayout(), 3);
  EXPECT_EQ(f.GetInterval(), 28800);
  EXPECT_EQ(f.GetRecordCount(), 3);
  EXPECT_EQ(f.GetTitle(), "cum");
  EXPECT_EQ(f.Head().cumByte1, 6);
  EXPECT_EQ(f.Head().cumByte2, 2);
  EXPECT_EQ(f.Head().valueWidth, 8);
  double v = 0;
  ASSERT_TRUE(f.GetCumValue(0, kStart, &v));
  EXPECT_EQ(v, 0.0);
  ASSERT_TRUE(f.GetCumValue(2, kStart + 28800 + 5, &v));
  EXPECT_EQ(v, 102.0);
  ASSERT_TRUE(f.GetCumValue(1, kStart + 2 * 28800, &v));
  EXPECT_EQ(v, -1099511627778.0);
  EXPECT_FALSE(f.GetCumValue(0, kStart + 2 * 28800 + 1, &v));
  EXPECT_FALSE(f.GetCumValue(3, kStart, &v));
  EXPECT_FALSE(f.GetValue(0, kStart, nullptr, nullptr));  // totals are not raw counts
  EXPECT_FALSE(f.PutHead());                              // cumulative files are read only
  EXPECT_FALSE(f.AddMark(kStart));
  // A recording file has no totals.
  fixture::Recipe plain;
  plain.channels = {Linear(0, 10, 0)};
  CXFile g;
  ASSERT_TRUE(g.Open(Save(plain)));
  EXPECT_FALSE(g.GetCumValue(0, kStart, &v));
}

TEST(DataRead, FindValueForwardBackwardAndAllChannels) {
  fixture::Recipe s;
  s.channels = {Linear(0, 1000, 0), Linear(0, 1000, 0)};
  // counts: channel 0 ramps, channel 1 constant 0 except slot 4
  s.count = [](int ch, int slot) -> int64_t {
    return ch == 0 ? 6553 * slot : (slot == 4 ? 65535 : 0);
  };
  std::string path = Save(s);
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  // channel 0 values: 0, 99.99, 199.98, 299.97, 399.96, 499.95
  _tagFindQuery q;
  q.target = 300.0f;
  q.tolerance = 0.05f;
  q.channel = 1;
  q.time = kStart;
  ASSERT_TRUE(f.FindValue(q));
  EXPECT_EQ(q.time, kStart + 30);
  // backwards from the end
  q.time = kStart + 50;
  q.direction = 1;
  ASSERT_TRUE(f.FindValue(q));
  EXPECT_EQ(q.time, kStart + 30);
  // the start point itself counts
  q.direction = 0;
  q.time = kStart + 30;
  ASSERT_TRUE(f.FindValue(q));
  EXPECT_EQ(q.time, kStart + 30);
  // not found: time becomes 0
  q.target = 5000.0f;
  q.time = kStart;
  EXPECT_FALSE(f.FindValue(q));
  EXPECT_EQ(q.time, 0);
  // outside the span from the start
  q.target = 0;
  q.time = kStart - 10;
  EXPECT_FALSE(f.FindValue(q));
  // all channels: 1000 only on channel 1 at record 4
  q.channel = 0;
  q.target = 1000.0f;
  q.time = kStart;
  ASSERT_TRUE(f.FindValue(q));
  EXPECT_EQ(q.time, kStart + 40);
}

}  // namespace
