#pragma once
// Data files built byte by byte from the layout tables, independent of the
// CXFile writer, so that the reader is checked against the tables themselves.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace fixture {

struct Channel {
  std::string name;  // raw bytes as stored (GBK)
  std::string unit;
  std::string spare;
  int16_t lo = 0;
  uint8_t loDec = 0;  // decimals, or the low exponent byte of a log channel
  int16_t hi = 1000;
  uint8_t hiDec = 0;
  int16_t lim[5] = {0, 0, 0, 0, 0};
  uint8_t limDec[5] = {0, 0, 0, 0, 0};
  uint32_t dev0 = 0, dev1 = 0;
  uint32_t colour = 0;
  uint8_t shown = 1, pen = 1, log = 0;
};

struct Recipe {
  std::string model = "KVR3GV2";  // decides the layout, as in the files
  std::string title;               // GBK bytes
  uint8_t start[6] = {24, 3, 1, 8, 0, 0};
  uint8_t end[6] = {24, 3, 1, 8, 0, 50};
  int interval = 10;
  int width = 2;
  int capacity = 10;
  int ringStart = 0;
  int lastIndex = 5;
  uint8_t station = 7;
  uint8_t expFormat = 1;
  uint8_t reserved1 = 0, spare2 = 0;
  uint8_t cumPeriod = 0, cumByte1 = 0, cumByte2 = 0;
  // display block
  uint8_t xMode = 1, yMode = 1, gridShown = 1, tagByte = 3, kindByte = 2;
  float yLow = -5.5f, yHigh = 99.25f;
  uint16_t xGrids = 12, yGrids = 8;
  uint32_t clrGrid = 0x00808080, clrBack = 0x00FFFFFF;
  uint8_t refShown1 = 1, refShown2 = 0;
  float refValue1 = 12.5f, refValue2 = -3.0f;
  std::string refLabel1 = "HI", refLabel2 = "LO";
  std::vector<Channel> channels;
  std::vector<int32_t> marks;
  // Raw count (or 8-byte total in layout 3) of channel ch in slot s.
  std::function<int64_t(int ch, int s)> count = [](int ch, int s) { return s * 7 + ch * 1000 + 1; };
  uint16_t descSize = 160;
  int extraTail = 0;  // bytes appended after the marks
};

// Layout of a model string: 0, 1, 2 or 3.
int LayoutOf(const std::string& model);
// The file image; marks and the 768 zero bytes included.
std::string Build(const Recipe& recipe);
// Offset of a named place, for tests that damage a file.
size_t DataOffset(const Recipe& recipe);
size_t MarksOffset(const Recipe& recipe);

// Little-endian pokes into a file image.
void Put8(std::string& b, size_t at, uint8_t v);
void Put16(std::string& b, size_t at, uint16_t v);
void Put32(std::string& b, size_t at, uint32_t v);

}  // namespace fixture
