#pragma once
// The block map: the 64 KiB byte area of a block-family recorder that
// function 0x16 reads.
//
//   0xC000  channel count (1 byte)
//   0xC001  interval index (1 byte)
//   0xC002  title (17 bytes, GBK, NUL-terminated)
//   0xC013  station address (1 byte)
//   0xC048 + 80 * i  channel block of channel i, long layout: name at 1
//           (16 bytes), unit at 17 (17 bytes), logarithmic flag 34, rangeLow 35,
//           rangeHigh 38, limit1 41, limit3 44, limit4 47, limit2 50, limit5 53,
//           low exponent 56, high exponent 57
//   0xC046 + 80 * i  instead, for models with character 4 'L', the short
//           layout: name at 1, unit at 17, rangeLow 34, rangeHigh 37, limit1 40,
//           limit3 43, limit4 46, limit2 49, limit5 52 (no logarithmic flag)
// Every other byte is 0; addresses past 0xFFFF read 0.
//
// A logarithmic channel keeps its exponents in bytes 56 and 57; the third byte
// of its rangeLow / rangeHigh holds the exponent too, unless the range was
// given explicitly.
#include <cstdint>
#include <vector>

#include "recorder.h"

namespace recsim {

class BlockMap {
 public:
  explicit BlockMap(const Recorder& r);
  std::vector<uint8_t> Read(uint32_t address, size_t length) const;
  // Where channel i's block starts.
  static uint32_t BlockAddress(const Recorder& r, int i);

 private:
  std::vector<uint8_t> image_;
};

}  // namespace recsim
