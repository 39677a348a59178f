#include "blockmap.h"

#include "platform/gbk.h"

namespace recsim {

uint32_t BlockMap::BlockAddress(const Recorder& r, int i) {
  return (r.shortBlocks() ? 0xC046u : 0xC048u) + 80u * static_cast<uint32_t>(i);
}

BlockMap::BlockMap(const Recorder& r) : image_(0x10000, 0) {
  image_[0xC000] = static_cast<uint8_t>(r.channels.size());
  image_[0xC001] = static_cast<uint8_t>(r.intervalIndex);
  platform::Utf8ToGbk(r.title, reinterpret_cast<char*>(&image_[0xC002]), 16);
  image_[0xC013] = r.station;
  for (size_t i = 0; i < r.channels.size(); ++i) {
    const Channel& c = r.channels[i];
    uint8_t* b = &image_[BlockAddress(r, static_cast<int>(i))];
    platform::Utf8ToGbk(c.name, reinterpret_cast<char*>(b + 1), 15);
    platform::Utf8ToGbk(c.unit, reinterpret_cast<char*>(b + 17), 16);
    if (r.shortBlocks()) {
      c.PutScaled(b + 34);
    } else {
      b[34] = c.logarithmic ? 1 : 0;
      c.PutScaled(b + 35);
      if (c.logarithmic) {
        b[56] = static_cast<uint8_t>(c.expLow);
        b[57] = static_cast<uint8_t>(c.expHigh);
      }
    }
  }
}

std::vector<uint8_t> BlockMap::Read(uint32_t address, size_t length) const {
  std::vector<uint8_t> out(length, 0);
  for (size_t i = 0; i < length; ++i) {
    const uint64_t a = static_cast<uint64_t>(address) + i;
    if (a < image_.size()) out[i] = image_[a];
  }
  return out;
}

}  // namespace recsim
