#pragma once
// Where the recorders keep what the download reads.
#include <cstdint>

namespace acquire::map {

// Register family, by address row (0 or 1); function 0x03.
struct RegisterRow {
  uint16_t chnlCount;  // 1 byte, below 65
  uint16_t interval;   // 1 byte, index of the interval table
  uint16_t title;      // 17 bytes
  uint16_t channels;   // 80-byte block of channel i at channels + 80 * i
};
constexpr RegisterRow kRegisterRows[2] = {
    {0x1013, 0x1015, 0x1023, 0x1040},
    {0x1024, 0x1025, 0x1033, 0x1050},
};
// Clock and position: 6 stamp bytes of the newest record, then its ring index
// (32 bits little-endian).
constexpr uint16_t kClockAndPosition = 0x8E;
constexpr int kClockAndPositionSize = 10;
// Device words, RTU framing: 4 bytes per channel.
constexpr uint16_t kRegisterDevWords = 0x40;

// Register-family channel block.
struct RegisterBlock {
  static constexpr int kName = 0, kNameSize = 12;
  static constexpr int kUnit = 12, kUnitSize = 22;
  static constexpr int kRangeLow = 34, kRangeHigh = 37;
  static constexpr int kLimit1 = 40, kLimit3 = 43, kLimit4 = 46, kLimit2 = 49, kLimit5 = 52;
  static constexpr int kLogScale = 59;
};

// Block family; function 0x16.
constexpr uint16_t kBlockChnlCount = 0xC000;
constexpr uint16_t kBlockInterval = 0xC001;
constexpr uint16_t kBlockTitle = 0xC002;
constexpr uint16_t kBlockStation = 0xC013;
constexpr uint16_t kBlockChannels = 0xC048;       // + 80 * i
constexpr uint16_t kBlockChannelsShort = 0xC046;  // + 80 * i, models with character 4 'L'
// Device words, function 0x03 in RTU framing: 8 bytes per channel read.
constexpr uint16_t kBlockDevWords = 0x24;

// Channel block, long layout (block byte 34 the logarithmic flag, 56 and 57
// the exponents of a logarithmic range).
struct LongBlock {
  static constexpr int kName = 1, kNameSize = 16;
  static constexpr int kUnit = 17, kUnitSize = 17;
  static constexpr int kLogScale = 34;
  static constexpr int kRangeLow = 35, kRangeHigh = 38;
  static constexpr int kLimit1 = 41, kLimit3 = 44, kLimit4 = 47, kLimit2 = 50, kLimit5 = 53;
  static constexpr int kExpLow = 56, kExpHigh = 57;
};
// Short layout ('L' models): no logarithmic flag.
struct ShortBlock {
  static constexpr int kName = 1, kNameSize = 16;
  static constexpr int kUnit = 17, kUnitSize = 17;
  static constexpr int kRangeLow = 34, kRangeHigh = 37;
  static constexpr int kLimit1 = 40, kLimit3 = 43, kLimit4 = 46, kLimit2 = 49, kLimit5 = 52;
};

constexpr int kChannelBlockSize = 80;
constexpr int kTitleSize = 17;

// How far back the block family's memory reaches: 0x40FFF intervals.
constexpr int64_t kBlockSpanIntervals = 266239;

}  // namespace acquire::map
