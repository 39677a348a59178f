#pragma once
// The register map: what function 0x03 reads, in RTU and ASCII framing.
//
// The map is a set of areas, each a start address and its bytes. A read
// starts in the area with the greatest start address among those that hold
// its first address and stays in it to that area's end; from there on the
// next byte chooses its area the same way. Bytes outside every area read 0.
// So a read of the device words runs on through the clock that lies inside
// them, and a read over several channel blocks runs from block to block.
// Addresses count bytes, so a read split into chunks continues where the
// previous chunk ended.
//
// Register family (row 0 / row 1 of the model table):
//   0x1013 / 0x1024  channel count (1 byte)
//   0x1015 / 0x1025  interval index (1 byte)
//   0x008E           newest record time (6 stamp bytes) and newest ring index
//                    (32-bit little-endian)
//   0x1023 / 0x1033  title (17 bytes, GBK, NUL-terminated)
//   0x1040 / 0x1050 + 80 * i  channel block of channel i: name at 0 (12 bytes),
//                    unit at 12 (22 bytes), rangeLow 34, rangeHigh 37,
//                    limit1 40, limit3 43, limit4 46, limit2 49, limit5 52,
//                    logarithmic flag 59
//   0x0040           device words, 4 bytes per channel
//   0x0000           current values, float32, 4 bytes per channel
// Block family:
//   0x0000           current values, float32, 4 bytes per channel
//   0x0024           device words, 4 or 8 bytes per channel
// 32-bit quantities lie in two 16-bit registers, the low-order register
// first, each register high byte first.
#include <cstdint>
#include <vector>

#include "recorder.h"

namespace recsim {

class AreaMap {
 public:
  void Add(uint32_t start, std::vector<uint8_t> bytes);
  std::vector<uint8_t> Read(uint32_t address, size_t length) const;

 private:
  struct Area {
    uint32_t start;
    std::vector<uint8_t> bytes;
  };
  std::vector<Area> areas_;
};

// The register map of the recorder as it stands now.
AreaMap RegisterMap(const Recorder& r);

// The 80-byte channel block of the register family.
std::vector<uint8_t> RegisterChannelBlock(const Channel& c);

}  // namespace recsim
