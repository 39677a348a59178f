#pragma once
// Where the recorders keep what the program reads: the memory map of each
// recorder family, the layouts of a channel's 80-byte block of settings, the
// models of each family and the table of recording intervals. The download,
// the driver plug-ins and the live recording read recorders through these
// facts alone. No Qt.
#include <cstdint>
#include <iterator>
#include <string_view>

namespace reclink::map {

// ---------------------------------------------------------------- intervals

// Seconds between samples by the interval index a recorder stores (0-8).
inline constexpr int kIntervalSeconds[] = {1, 2, 5, 10, 15, 30, 60, 120, 240};
inline constexpr int kIntervalCount = static_cast<int>(std::size(kIntervalSeconds));

// Seconds of an interval index (0 gives 1 s ... 8 gives 240 s); -1 for an
// index outside the table.
constexpr int IntervalSeconds(int index) {
  return index >= 0 && index < kIntervalCount ? kIntervalSeconds[index] : -1;
}

// ---------------------------------------------------------- channel blocks

constexpr int kChannelBlockSize = 80;  // bytes of settings per channel
constexpr int kTitleSize = 17;         // bytes of the recorder title

// Offsets in a channel block. Texts are NUL-padded; the ranges and limits are
// 3-byte scaled numbers. -1: the layout has no such byte.
struct ChannelBlockLayout {
  int name, nameSize;
  int unit, unitSize;
  int logFlag;  // one byte, non-zero for a logarithmic channel
  int rangeLow, rangeHigh;
  int limit1, limit3, limit4, limit2, limit5;
  int expLow, expHigh;  // the range exponents of a logarithmic channel
};

// Register family.
inline constexpr ChannelBlockLayout kRegisterBlock{0, 12, 12, 22, 59, 34, 37,
                                                   40, 43, 46, 49, 52, -1, -1};
// Block family, long layout: the logarithmic flag at 34, the scaled numbers
// after it, the exponents of a logarithmic range at 56 and 57.
inline constexpr ChannelBlockLayout kLongBlock{1, 16, 17, 17, 34, 35, 38,
                                               41, 44, 47, 50, 53, 56, 57};
// Block family, short layout (models with 'L' as model character 4): no
// logarithmic flag; the scaled numbers start at 34.
inline constexpr ChannelBlockLayout kShortBlock{1, 16, 17, 17, -1, 34, 37,
                                                40, 43, 46, 49, 52, -1, -1};

// ---------------------------------------------------------- register family
// Read with function 0x03 (RTU) or its ASCII form.

// Register-family addresses by address row (0 or 1).
struct RegisterRow {
  uint16_t chnlCount;  // 1 byte, below 65
  uint16_t interval;   // 1 byte, index of the interval table
  uint16_t title;      // kTitleSize bytes
  uint16_t channels;   // block of channel i at channels + kChannelBlockSize * i
};
inline constexpr RegisterRow kRegisterRows[2] = {
    {0x1013, 0x1015, 0x1023, 0x1040},
    {0x1024, 0x1025, 0x1033, 0x1050},
};

// Register-family models (the first 7 characters of the identity) and the
// address row each uses.
struct RegisterModel {
  const char* model;
  int row;
};
inline constexpr RegisterModel kRegisterModels[] = {
    {"KVR5GV2", 0}, {"KVR6GV2", 0}, {"KVR7GV2", 0}, {"KVR6EV1", 0}, {"KVR6EV2", 0}, {"KVR7EV2", 0},
    {"KVR7EV1", 0}, {"KVR5EV2", 0}, {"KVR5EV1", 0}, {"KVR3EV2", 0}, {"KVR3EV1", 0}, {"KVR5M", 0},
    {"KVR6M", 0},   {"KVR7M", 0},   {"KVR3M", 0},   {"KVR3GV2", 0}, {"KVR5FL1", 0}, {"KVR6FL1", 0},
    {"KVR7FL1", 0}, {"KVR8GV2", 1}, {"KVR8EV2", 1},
};

// Clock and position: 6 stamp bytes of the newest record, then its ring
// index (32 bits little-endian).
inline constexpr uint16_t kClockAndPosition = 0x8E;
inline constexpr int kClockAndPositionSize = 10;
// Device words, RTU framing: 4 bytes per channel.
inline constexpr uint16_t kRegisterDevWords = 0x40;

// ------------------------------------------------------------- block family
// Memory read with function 0x16; registers with function 0x03.

inline constexpr uint16_t kBlockChnlCount = 0xC000;  // 1 byte
inline constexpr uint16_t kBlockInterval = 0xC001;   // 1 byte, index of the interval table
inline constexpr uint16_t kBlockTitle = 0xC002;      // kTitleSize bytes
inline constexpr uint16_t kBlockStation = 0xC013;    // 1 byte
// Channel i's block at + kChannelBlockSize * i: long and short layout.
inline constexpr uint16_t kBlockChannels = 0xC048;
inline constexpr uint16_t kBlockChannelsShort = 0xC046;
// Registers: the current values (float32 per channel) and the device words
// (4 bytes per channel, 8 for version-2 models).
inline constexpr uint16_t kBlockValues = 0;
inline constexpr uint16_t kBlockDevWords = 0x24;
// Channels whose device words a recorder holds.
inline constexpr int kDevWordChannels = 64;
// How far back the block family's memory reaches: 0x40FFF intervals.
inline constexpr int64_t kBlockSpanIntervals = 266239;

// The channel blocks of a block-family model: where they start and how they
// are laid out.
constexpr uint16_t BlockChannels(bool shortBlocks) {
  return shortBlocks ? kBlockChannelsShort : kBlockChannels;
}
constexpr const ChannelBlockLayout& BlockLayout(bool shortBlocks) {
  return shortBlocks ? kShortBlock : kLongBlock;
}

// The block-family models the driver plug-ins serve (the plug-in name is
// characters 2-6 of the model string): one plug-in is built per row.
struct BlockModel {
  const char* name;
  bool shortBlocks;   // short channel blocks ('L' models)
  bool exponents;     // a logarithmic range carries its exponents in expLow / expHigh
  int devWordWidth;   // bytes per channel of the device words: 4 or 8
};
inline constexpr BlockModel kBlockModels[] = {
    {"P3GV1", false, false, 4},
    {"P6GV1", false, true, 4},
    {"P6GV2", false, true, 8},
    {"P5LV1", true, false, 4},
};

// The row of a plug-in name in kBlockModels; -1 for a name no plug-in has.
constexpr int FindBlockModel(std::string_view name) {
  int row = 0;
  for (const BlockModel& m : kBlockModels) {
    if (name == m.name) return row;
    ++row;
  }
  return -1;
}

}  // namespace reclink::map
