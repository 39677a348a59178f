#include "regmap.h"

#include <algorithm>
#include <cstring>

#include "platform/gbk.h"
#include "platform/localtime.h"

namespace recsim {

namespace {

// A 32-bit value as two registers: low-order register first, each register
// high byte first.
void PutRegisters32(uint32_t v, uint8_t* out) {
  out[0] = static_cast<uint8_t>(v >> 8);
  out[1] = static_cast<uint8_t>(v);
  out[2] = static_cast<uint8_t>(v >> 24);
  out[3] = static_cast<uint8_t>(v >> 16);
}

std::vector<uint8_t> LiveValues(const Recorder& r) {
  std::vector<uint8_t> bytes(4 * r.channels.size());
  const time_t now = r.Now();
  for (size_t m = 0; m < r.channels.size(); ++m) {
    float f = r.LiveValue(static_cast<int>(m), now);
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    PutRegisters32(bits, &bytes[4 * m]);
  }
  return bytes;
}

std::vector<uint8_t> DevWords(const Recorder& r) {
  const int width = r.devWordWidth();
  std::vector<uint8_t> bytes(static_cast<size_t>(width) * r.channels.size());
  for (size_t m = 0; m < r.channels.size(); ++m) {
    const uint64_t w = r.DevWord(static_cast<int>(m));
    PutRegisters32(static_cast<uint32_t>(w), &bytes[width * m]);
    if (width == 8) PutRegisters32(static_cast<uint32_t>(w >> 32), &bytes[width * m + 4]);
  }
  return bytes;
}

}  // namespace

void AreaMap::Add(uint32_t start, std::vector<uint8_t> bytes) {
  areas_.push_back({start, std::move(bytes)});
}

std::vector<uint8_t> AreaMap::Read(uint32_t address, size_t length) const {
  std::vector<uint8_t> out(length, 0);
  const Area* current = nullptr;
  for (size_t i = 0; i < length; ++i) {
    const uint64_t a = static_cast<uint64_t>(address) + i;
    if (!current || a - current->start >= current->bytes.size()) {
      current = nullptr;
      for (const Area& area : areas_) {
        if (area.start <= a && a - area.start < area.bytes.size() &&
            (!current || area.start > current->start))
          current = &area;
      }
    }
    if (current) out[i] = current->bytes[a - current->start];
  }
  return out;
}

std::vector<uint8_t> RegisterChannelBlock(const Channel& c) {
  std::vector<uint8_t> b(80, 0);
  platform::Utf8ToGbk(c.name, reinterpret_cast<char*>(&b[0]), 11);
  platform::Utf8ToGbk(c.unit, reinterpret_cast<char*>(&b[12]), 21);
  c.PutScaled(&b[34]);
  b[59] = c.logarithmic ? 1 : 0;
  return b;
}

AreaMap RegisterMap(const Recorder& r) {
  AreaMap map;
  map.Add(0x0000, LiveValues(r));
  if (r.family() == Family::Block) {
    map.Add(0x0024, DevWords(r));
    return map;
  }
  const bool row1 = r.modelRow() == 1;
  map.Add(0x0040, DevWords(r));
  map.Add(row1 ? 0x1024 : 0x1013, {static_cast<uint8_t>(r.channels.size())});
  map.Add(row1 ? 0x1025 : 0x1015, {static_cast<uint8_t>(r.intervalIndex)});
  std::vector<uint8_t> clock(10, 0);
  platform::TimeToStamp(r.Newest(), clock.data());
  const uint32_t index = r.NewestRingIndex();
  for (int i = 0; i < 4; ++i) clock[6 + i] = static_cast<uint8_t>(index >> (8 * i));
  map.Add(0x008E, clock);
  std::vector<uint8_t> title(17, 0);
  platform::Utf8ToGbk(r.title, reinterpret_cast<char*>(title.data()), 16);
  map.Add(row1 ? 0x1033 : 0x1023, title);
  const uint32_t base = row1 ? 0x1050 : 0x1040;
  for (size_t i = 0; i < r.channels.size(); ++i)
    map.Add(base + 80 * static_cast<uint32_t>(i), RegisterChannelBlock(r.channels[i]));
  return map;
}

}  // namespace recsim
