// The demo recorder (recsim --demo): plant-like curves with a few alarms,
// repeatable, on channels with their own names, units and ranges; and the
// predictable test pattern stays the default.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "demo.h"
#include "linkfixture.h"
#include "platform/gbk.h"
#include "platform/localtime.h"

namespace {

constexpr int64_t kDayStart = 1772409600;  // a whole day of samples from here
constexpr int kStep = 30;                  // seconds between samples looked at

double Fraction(int ch, int64_t t) { return recsim::DemoRaw(ch, t) / 65535.0; }

// Range fraction of a limit of the channel (limit k = 1..5).
double LimitFraction(const recsim::Channel& c, int k) {
  return (c.limit[k - 1].Value() - c.low.Value()) / (c.high.Value() - c.low.Value());
}

TEST(DemoRecorder, CurvesAreSmoothWithNoiseAndAFewAlarms) {
  for (int ch = 0; ch < 8; ++ch) {
    const recsim::Channel c = recsim::DemoChannel(ch);
    const double lowAlarm = LimitFraction(c, 3), highAlarm = LimitFraction(c, 4);
    int alarms = 0, samples = 0, bigSteps = 0, flat = 0;
    double lo = 1, hi = 0, prev = Fraction(ch, kDayStart);
    for (int64_t t = kDayStart; t < kDayStart + 86400; t += kStep, ++samples) {
      const double f = Fraction(ch, t);
      lo = std::min(lo, f);
      hi = std::max(hi, f);
      if (f < lowAlarm || f > highAlarm) ++alarms;
      if (std::fabs(f - prev) > 0.08) ++bigSteps;  // a jump, not a curve
      if (f == prev) ++flat;
      prev = f;
    }
    // Alarms now and then, never most of the day.
    EXPECT_GT(alarms, 0) << c.name;
    EXPECT_LT(alarms, samples / 8) << c.name;
    // Smooth: hardly a jump between neighbouring samples; noisy: hardly two alike.
    EXPECT_LT(bigSteps, samples / 50) << c.name;
    EXPECT_LT(flat, samples / 20) << c.name;
    // It moves over a good part of the range.
    EXPECT_GT(hi - lo, 0.2) << c.name;
  }
}

TEST(DemoRecorder, ChannelsOfTheirOwn) {
  struct Want {
    int ch;
    const char* name;
    const char* unit;
    double low, high;
  };
  const Want wants[] = {
      {0, "炉温", "°C", 0, 300},    {1, "压力", "MPa", 0, 1.6}, {2, "流量", "m3/h", 0, 50},
      {3, "湿度", "%RH", 0, 100},   {4, "炉温2", "°C", 0, 300},
  };
  for (const Want& w : wants) {
    const recsim::Channel c = recsim::DemoChannel(w.ch);
    EXPECT_EQ(c.name, w.name);
    EXPECT_EQ(c.unit, w.unit);
    EXPECT_DOUBLE_EQ(c.low.Value(), w.low);
    EXPECT_NEAR(c.high.Value(), w.high, 1e-9);
    // Alarm limits inside the range, low below high.
    EXPECT_LT(c.low.Value(), c.limit[2].Value()) << w.name;
    EXPECT_LT(c.limit[2].Value(), c.limit[3].Value()) << w.name;
    EXPECT_LT(c.limit[3].Value(), c.high.Value()) << w.name;
  }
}

// End to end: the options reach the recorder on the line.
class DemoOnTheLine : public LinkTest {};

TEST_F(DemoOnTheLine, DemoSamplesOnlyWhenAsked) {
  const time_t newest = platform::LocalTime(2026, 3, 2, 8, 0, 0);
  struct Case {
    bool demo;
  };
  for (const Case c : {Case{false}, Case{true}}) {
    std::vector<std::string> args = {"--model", "KVP6GV1", "--channels", "4", "--interval", "5",
                                     "--clock", "2026-03-02 08:00:00"};
    if (c.demo) args.push_back("--demo");
    StartSim(args);
    OpenLink();
    uint8_t block[80];
    ASSERT_EQ(link_.ReadBytes(0xC048 + 80, 80, block), 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block + 1)),
              platform::Utf8ToGbk(c.demo ? "压力" : "通道2"));
    // 10 records of 4 channels, 30 s apart, ending at the newest.
    const time_t from = newest - 9 * 30;
    uint8_t bytes[80], again[80];
    ASSERT_EQ(link_.ReadRecordsAt(from, 10, 4, bytes, sizeof bytes), 80);
    ASSERT_EQ(link_.ReadRecordsAt(from, 10, 4, again, sizeof again), 80);
    EXPECT_EQ(std::memcmp(bytes, again, sizeof bytes), 0) << "a sample reads the same twice";
    for (int i = 0; i < 10; ++i)
      for (int m = 0; m < 4; ++m) {
        const uint64_t t = static_cast<uint64_t>(from + 30 * i);
        const uint16_t got = static_cast<uint16_t>(bytes[2 * (4 * i + m)] | bytes[2 * (4 * i + m) + 1] << 8);
        EXPECT_EQ(got, c.demo ? recsim::DemoRaw(m, static_cast<int64_t>(t)) : SimRaw(m, t))
            << (c.demo ? "demo " : "pattern ") << i << " " << m;
      }
    link_.Close();
    sim_.Stop();
  }
}

}  // namespace
