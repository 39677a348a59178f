#include "recorder.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "demo.h"
#include "platform/localtime.h"

namespace recsim {

uint16_t Raw(int channel, uint64_t k) {
  return static_cast<uint16_t>((4099ull * static_cast<uint64_t>(channel) + 37ull * k) % 65536ull);
}

double ScaleNum::Value() const { return value / std::pow(10.0, decimals); }

bool ParseScaleNum(const std::string& text, ScaleNum* out) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long value = 0;
  int decimals = 0;
  bool digits = false, point = false;
  for (; i < text.size(); ++i) {
    char c = text[i];
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      digits = true;
      value = value * 10 + (c - '0');
      if (point) ++decimals;
      if (value > 32768 || decimals > 9) return false;
    } else {
      return false;
    }
  }
  if (!digits) return false;
  if (negative) value = -value;
  if (value < -32768 || value > 32767) return false;
  out->value = static_cast<int16_t>(value);
  out->decimals = static_cast<uint8_t>(decimals);
  return true;
}

void Channel::PutScaled(uint8_t* out) const {
  low.Put(out);
  high.Put(out + 3);
  limit[0].Put(out + 6);
  limit[2].Put(out + 9);
  limit[3].Put(out + 12);
  limit[1].Put(out + 15);
  limit[4].Put(out + 18);
}

Family Recorder::family() const {
  return model.size() > 2 && model[2] == 'P' ? Family::Block : Family::Register;
}

int Recorder::modelRow() const {
  std::string head = model.substr(0, 7);
  return head == "KVR8GV2" || head == "KVR8EV2" ? 1 : 0;
}

bool Recorder::shortBlocks() const { return model.size() > 4 && model[4] == 'L'; }

int Recorder::devWordWidth() const {
  if (family() == Family::Register) return 4;
  return model.size() > 6 && model[6] == '2' ? 8 : 4;
}

int Recorder::intervalSeconds() const {
  static const int kSeconds[9] = {1, 2, 5, 10, 15, 30, 60, 120, 240};
  return intervalIndex >= 0 && intervalIndex <= 8 ? kSeconds[intervalIndex] : 1;
}

float Recorder::LiveValue(int channel, time_t t) const {
  const Channel& c = channels.at(static_cast<size_t>(channel));
  const double fraction =
      (demo ? DemoRaw(channel, t) : Raw(channel, static_cast<uint64_t>(t))) / 65535.0;
  if (c.logarithmic)
    return static_cast<float>(std::pow(10.0, c.expLow + (c.expHigh - c.expLow) * fraction));
  const double low = c.low.Value(), high = c.high.Value();
  return static_cast<float>(low + (high - low) * fraction);
}

uint64_t Recorder::DevWord(int channel) const {
  const uint64_t first = 0xD0000000ull + 0x100ull * static_cast<unsigned>(channel) + 0x5A;
  const uint64_t second = 0x0C000000ull + static_cast<unsigned>(channel);
  return first | (second << 32);
}

void Recorder::Identity(uint8_t out[10]) const {
  std::memset(out, 0, 10);
  std::memcpy(out, model.data(), model.size() < 10 ? model.size() : 10);
}

bool StampToTime(const uint8_t* s, time_t* out) {
  if (!platform::StampValid(s)) return false;
  *out = platform::StampToTime(s);
  return *out != static_cast<time_t>(-1);
}

Channel DefaultChannel(int m) {
  static const char* kUnits[4] = {"°C", "%RH", "kPa", "V"};
  Channel c;
  c.name = "通道" + std::to_string(m + 1);
  c.unit = kUnits[m % 4];
  ParseScaleNum("0.0", &c.low);
  ParseScaleNum("100.0", &c.high);
  ParseScaleNum("5.0", &c.limit[0]);
  ParseScaleNum("95.0", &c.limit[1]);
  ParseScaleNum("10.0", &c.limit[2]);
  ParseScaleNum("90.0", &c.limit[3]);
  ParseScaleNum("50.0", &c.limit[4]);
  return c;
}

}  // namespace recsim

namespace recsim {

void RingBytes(const Recorder& r, uint64_t address, uint8_t* out, size_t n) {
  const uint64_t ringBytes = 2ull * kRingSize;
  // The demo's counts follow time: ring slot p holds the sample taken
  // (newest slot - p) intervals before the newest.
  const time_t newest = r.demo ? r.Newest() : 0;
  const uint64_t newestSlot = r.demo ? r.NewestRingIndex() : 0;
  for (size_t i = 0; i < n; ++i) {
    const uint64_t a = address + i;
    const uint64_t m = a / ringBytes;
    const uint64_t p = (a % ringBytes) / 2;
    if (m >= r.channels.size()) {
      out[i] = 0;
      continue;
    }
    const uint16_t raw =
        r.demo ? DemoRaw(static_cast<int>(m),
                         newest - static_cast<time_t>((newestSlot + kRingSize - p) % kRingSize) *
                                      r.intervalSeconds())
               : Raw(static_cast<int>(m), p);
    out[i] = static_cast<uint8_t>(a % 2 == 0 ? raw & 0xFF : raw >> 8);
  }
}

void RecordBytes(const Recorder& r, time_t t, int records, int channels, uint8_t* out) {
  const int s = r.intervalSeconds();
  size_t k = 0;
  for (int i = 0; i < records; ++i) {
    const uint64_t when = static_cast<uint64_t>(t + static_cast<time_t>(i) * s);
    for (int m = 0; m < channels; ++m) {
      const uint16_t raw = r.demo ? DemoRaw(m, static_cast<int64_t>(when)) : Raw(m, when);
      out[k++] = static_cast<uint8_t>(raw & 0xFF);
      out[k++] = static_cast<uint8_t>(raw >> 8);
    }
  }
}

}  // namespace recsim
