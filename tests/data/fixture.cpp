#include "data/fixture.h"

#include <cstring>

namespace fixture {

void Put8(std::string& b, size_t at, uint8_t v) { b[at] = static_cast<char>(v); }
void Put16(std::string& b, size_t at, uint16_t v) {
  Put8(b, at, v & 0xFF);
  Put8(b, at + 1, v >> 8);
}
void Put32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) Put8(b, at + i, (v >> (8 * i)) & 0xFF);
}
static void PutF(std::string& b, size_t at, float f) {
  uint32_t u;
  std::memcpy(&u, &f, 4);
  Put32(b, at, u);
}
static void PutText(std::string& b, size_t at, const std::string& s, size_t n) {
  for (size_t i = 0; i < n && i < s.size(); ++i) b[at + i] = s[i];
}
static void PutScale(std::string& b, size_t at, int16_t v, uint8_t d) {
  Put16(b, at, static_cast<uint16_t>(v));
  Put8(b, at + 2, d);
}

int LayoutOf(const std::string& m) {
  std::string model = m;
  model.resize(16, '\0');
  if (model[2] != 'P') return 0;
  if (model[10] == 'P') return 3;
  return model[6] == '1' ? 1 : 2;
}

static void PutDef(std::string& b, size_t at, const Channel& c, bool form2) {
  PutText(b, at + 0x00, c.name, 32);
  PutText(b, at + 0x20, c.unit, 16);
  PutText(b, at + 0x30, c.spare, 16);
  PutScale(b, at + 0x40, c.lo, c.loDec);
  PutScale(b, at + 0x44, c.hi, c.hiDec);
  for (int k = 0; k < 5; ++k) PutScale(b, at + 0x48 + 4 * k, c.lim[k], c.limDec[k]);
  Put32(b, at + 0x5C, c.dev0);
  if (form2) {
    Put32(b, at + 0x60, c.dev1);
    Put32(b, at + 0x64, c.colour);
    Put8(b, at + 0x68, c.shown);
    Put8(b, at + 0x69, c.pen);
    Put8(b, at + 0x6A, c.log);
  } else {
    Put32(b, at + 0x61, c.colour);
    Put8(b, at + 0x65, c.shown);
    Put8(b, at + 0x66, c.pen);
    Put8(b, at + 0x67, c.log);
  }
}

size_t DataOffset(const Recipe& s) {
  size_t n = s.channels.size();
  return LayoutOf(s.model) == 3 ? 192 + 64 * n : 256 + 160 * n;
}

size_t MarksOffset(const Recipe& s) {
  size_t n = s.channels.size();
  return 1024 + 160 * n + n * s.width * s.capacity;
}

std::string Build(const Recipe& s) {
  const int layout = LayoutOf(s.model);
  const size_t n = s.channels.size();
  std::string b;
  if (layout == 3) {
    b.assign(192 + 64 * n + 8 * n * s.capacity, '\0');
    PutText(b, 0, s.model, 16);
    PutText(b, 64, s.title, 32);
    Put8(b, 96, static_cast<uint8_t>(n));
    Put8(b, 97, s.cumPeriod);
    Put8(b, 98, s.cumByte1);
    Put8(b, 99, s.cumByte2);
    size_t tb = 128 + 64 * n;
    for (int i = 0; i < 6; ++i) Put8(b, tb + i, s.start[i]);
    for (int i = 0; i < 6; ++i) Put8(b, tb + 6 + i, s.end[i]);
    Put32(b, tb + 0x0C, s.lastIndex);
    Put32(b, tb + 0x10, s.ringStart);
    Put32(b, tb + 0x14, s.capacity);
    size_t data = 192 + 64 * n;
    for (int slot = 0; slot < s.capacity; ++slot)
      for (size_t ch = 0; ch < n; ++ch) {
        uint64_t v = static_cast<uint64_t>(s.count(static_cast<int>(ch), slot));
        for (int i = 0; i < 8; ++i)
          Put8(b, data + 8 * (slot * n + ch) + i, static_cast<uint8_t>(v >> (8 * i)));
      }
    b.append(s.extraTail, '\0');
    return b;
  }

  b.assign(MarksOffset(s) + 4 * s.marks.size(), '\0');
  if (layout == 0) {
    PutText(b, 0x00, s.model, 16);
    PutText(b, 0x10, s.title, 32);
    for (int i = 0; i < 6; ++i) Put8(b, 0x30 + i, s.start[i]);
    for (int i = 0; i < 6; ++i) Put8(b, 0x36 + i, s.end[i]);
    Put8(b, 0x3C, s.station);
    Put8(b, 0x3D, static_cast<uint8_t>(s.interval));
    Put8(b, 0x3E, static_cast<uint8_t>(n));
    Put8(b, 0x3F, s.reserved1);
    Put8(b, 0x40, static_cast<uint8_t>(s.marks.size()));
    Put8(b, 0x41, s.xMode);
    Put8(b, 0x42, s.yMode);
    PutF(b, 0x43, s.yLow);
    PutF(b, 0x47, s.yHigh);
    Put8(b, 0x4B, static_cast<uint8_t>(s.xGrids));
    Put8(b, 0x4C, static_cast<uint8_t>(s.yGrids));
    Put32(b, 0x4D, s.clrGrid);
    Put32(b, 0x51, s.clrBack);
    Put8(b, 0x55, s.gridShown);
    Put32(b, 0x56, s.lastIndex);
    Put32(b, 0x5A, s.ringStart);
    Put32(b, 0x5E, s.capacity);
    Put8(b, 0x62, static_cast<uint8_t>(s.width));
    Put16(b, 0x63, s.descSize);
    Put8(b, 0x65, s.expFormat);
    Put8(b, 0x66, s.tagByte);
    Put8(b, 0x67, s.kindByte);
    Put8(b, 0x68, s.refShown1);
    Put8(b, 0x69, s.refShown2);
    PutF(b, 0x6A, s.refValue1);
    PutF(b, 0x6E, s.refValue2);
    PutText(b, 0x72, s.refLabel1, 11);
    PutText(b, 0x7D, s.refLabel2, 11);
    for (size_t ch = 0; ch < n; ++ch) PutDef(b, 256 + 160 * ch, s.channels[ch], false);
  } else {
    PutText(b, 0, s.model, 16);
    PutText(b, 64, s.title, 32);
    Put8(b, 64 + 0x20, static_cast<uint8_t>(n));
    Put8(b, 64 + 0x21, s.reserved1);
    Put16(b, 64 + 0x22, static_cast<uint16_t>(s.interval));
    Put8(b, 64 + 0x24, s.station);
    Put8(b, 64 + 0x25, s.expFormat);
    Put8(b, 64 + 0x26, static_cast<uint8_t>(s.marks.size()));
    Put8(b, 64 + 0x27, static_cast<uint8_t>(s.width));
    for (size_t ch = 0; ch < n; ++ch) PutDef(b, 128 + 160 * ch, s.channels[ch], layout == 2);
    size_t d = 128 + 160 * n;
    Put8(b, d + 0x00, s.xMode);
    Put8(b, d + 0x01, s.yMode);
    PutF(b, d + 0x02, s.yLow);
    PutF(b, d + 0x06, s.yHigh);
    Put16(b, d + 0x0A, s.xGrids);
    Put16(b, d + 0x0C, s.yGrids);
    Put32(b, d + 0x0E, s.clrGrid);
    Put32(b, d + 0x12, s.clrBack);
    Put8(b, d + 0x16, s.gridShown);
    Put8(b, d + 0x17, s.tagByte);
    Put8(b, d + 0x18, s.kindByte);
    Put8(b, d + 0x19, s.refShown1);
    Put8(b, d + 0x1A, s.refShown2);
    PutF(b, d + 0x1B, s.refValue1);
    PutF(b, d + 0x1F, s.refValue2);
    PutText(b, d + 0x23, s.refLabel1, 11);
    PutText(b, d + 0x2E, s.refLabel2, 11);
    size_t t = 192 + 160 * n;
    for (int i = 0; i < 6; ++i) Put8(b, t + i, s.start[i]);
    for (int i = 0; i < 6; ++i) Put8(b, t + 6 + i, s.end[i]);
    Put32(b, t + 0x0C, s.lastIndex);
    Put32(b, t + 0x10, s.ringStart);
    Put32(b, t + 0x14, s.capacity);
    Put8(b, t + 0x18, static_cast<uint8_t>(s.width));
    Put8(b, t + 0x19, s.spare2);
  }
  const size_t data = DataOffset(s);
  for (size_t ch = 0; ch < n; ++ch)
    for (int slot = 0; slot < s.capacity; ++slot) {
      uint32_t q = static_cast<uint32_t>(s.count(static_cast<int>(ch), slot)) &
                   (s.width == 1 ? 0xFF : 0xFFFF);
      size_t at = layout == 0 ? data + s.width * (ch * s.capacity + slot)
                              : data + s.width * (slot * n + ch);
      Put8(b, at, q & 0xFF);
      if (s.width == 2) Put8(b, at + 1, q >> 8);
    }
  for (size_t i = 0; i < s.marks.size(); ++i)
    Put32(b, MarksOffset(s) + 4 * i, static_cast<uint32_t>(s.marks[i]));
  b.append(s.extraTail, '\0');
  return b;
}

}  // namespace fixture
