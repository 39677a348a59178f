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
      c.low.Put(b + 34);
      c.high.Put(b + 37);
      c.limit[0].Put(b + 40);
      c.limit[2].Put(b + 43);
      c.limit[3].Put(b + 46);
      c.limit[1].Put(b + 49);
      c.limit[4].Put(b + 52);
    } else {
      b[34] = c.logarithmic ? 1 : 0;
      c.low.Put(b + 35);
      c.high.Put(b + 38);
      c.limit[0].Put(b + 41);
      c.limit[2].Put(b + 44);
      c.limit[3].Put(b + 47);
      c.limit[1].Put(b + 50);
      c.limit[4].Put(b + 53);
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
