#include "demo.h"

#include <cmath>

namespace recsim {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kDay = 86400.0;

// A repeatable number in [-1, 1) for a channel and a time.
double Noise(int channel, int64_t t) {
  uint64_t x = static_cast<uint64_t>(t) * 0x9E3779B97F4A7C15ull +
               static_cast<uint64_t>(channel + 1) * 0xBF58476D1CE4E5B9ull;
  x ^= x >> 31;
  x *= 0x94D049BB133111EBull;
  x ^= x >> 29;
  return static_cast<double>(x >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

// Noise smoothed over a few seconds, so that curves wander instead of jitter.
double SmoothNoise(int channel, int64_t t, int64_t span) {
  const int64_t a = t - ((t % span) + span) % span;
  const double f = static_cast<double>(t - a) / static_cast<double>(span);
  const double w = 0.5 - 0.5 * std::cos(kPi * f);
  return Noise(channel, a) * (1 - w) + Noise(channel, a + span) * w;
}

// A bump of height 1 lasting about `width` seconds once every `every`
// seconds, at a place in the period that differs by channel: the excursions
// that set off the alarms.
double Excursion(int channel, int64_t t, int64_t every, int64_t width) {
  const int64_t offset = (channel * 7919 + 1301) % every;
  const int64_t pos = ((t + offset) % every + every) % every;
  if (pos >= width) return 0;
  return std::sin(kPi * static_cast<double>(pos) / static_cast<double>(width));
}

double Clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }

struct Part {
  const char* name;
  const char* unit;
  const char* low;
  const char* high;
  // limit1 .. limit5: limit3 the low and limit4 the high alarm
  const char* limits[5];
};

// Names as technicians label their channels; units and ranges that fit.
const Part kParts[4] = {
    {"炉温", "°C", "0.0", "300.0", {"20.0", "280.0", "60.0", "260.0", "180.0"}},
    {"压力", "MPa", "0.00", "1.60", {"0.10", "1.50", "0.20", "1.30", "0.80"}},
    {"流量", "m3/h", "0.0", "50.0", {"2.0", "48.0", "5.0", "45.0", "25.0"}},
    {"湿度", "%RH", "0.0", "100.0", {"10.0", "95.0", "30.0", "80.0", "55.0"}},
};

}  // namespace

uint16_t DemoRaw(int channel, int64_t t) {
  const double day = 2 * kPi * static_cast<double>(t) / kDay;
  const double phase = 0.9 * channel;
  const int unit = channel / 4;  // the second furnace runs a little hotter
  double v = 0;
  switch (channel % 4) {
    case 0:  // temperature: a day's swing, a 40-minute firing cycle, slow wander
      v = 0.58 + 0.05 * unit + 0.12 * std::sin(day + phase) +
          0.05 * std::sin(2 * kPi * static_cast<double>(t) / 2400.0 + phase) +
          0.03 * SmoothNoise(channel, t, 300) + 0.004 * Noise(channel, t) +
          0.33 * Excursion(channel, t, 6 * 3600, 900);
      break;
    case 1:  // pressure: steady with drift, pump ripple, and an occasional surge
      v = 0.55 + 0.08 * std::sin(day / 2 + phase) + 0.06 * SmoothNoise(channel, t, 600) +
          0.02 * std::sin(2 * kPi * static_cast<double>(t) / 90.0) + 0.006 * Noise(channel, t) +
          0.3 * Excursion(channel, t, 9 * 3600, 600);
      break;
    case 2: {  // flow: batches, rising and falling smoothly, with turbulence
      const double batch = std::sin(2 * kPi * static_cast<double>(t) / 3600.0 + phase);
      v = 0.45 + 0.3 * std::tanh(3 * batch) + 0.04 * SmoothNoise(channel, t, 60) +
          0.015 * Noise(channel, t) - 0.4 * Excursion(channel, t, 8 * 3600, 1200);
      break;
    }
    default:  // humidity: opposite to the day's temperature, slow
      v = 0.55 - 0.15 * std::sin(day + phase) + 0.05 * SmoothNoise(channel, t, 1800) +
          0.005 * Noise(channel, t) + 0.3 * Excursion(channel, t, 12 * 3600, 1800);
      break;
  }
  return static_cast<uint16_t>(std::lround(Clamp01(v) * 65535.0));
}

Channel DemoChannel(int m) {
  const Part& p = kParts[m % 4];
  Channel c;
  c.name = p.name;
  if (m >= 4) c.name += std::to_string(m / 4 + 1);
  c.unit = p.unit;
  ParseScaleNum(p.low, &c.low);
  ParseScaleNum(p.high, &c.high);
  for (int k = 0; k < 5; ++k) ParseScaleNum(p.limits[k], &c.limit[k]);
  return c;
}

void MakeDemo(Recorder* r) {
  r->demo = true;
  for (size_t m = 0; m < r->channels.size(); ++m) r->channels[m] = DemoChannel(static_cast<int>(m));
}

}  // namespace recsim
