#pragma once
// The recorder models the driver plug-ins serve. One plug-in source is built
// once per row; the rows differ only in where a channel's block of settings
// lies in recorder memory, how that block is laid out, whether logarithmic
// channels carry their exponents in separate bytes, and the width of the
// device words.
#include <cstdint>
#include <string_view>

// Offsets in a channel block (80 bytes of recorder memory per channel).
struct ChannelBlockLayout {
  int name;      // text, 16 bytes
  int unit;      // text, 17 bytes
  int logFlag;   // -1: the model has no logarithmic channels
  int rangeLow;  // 3-byte scaled numbers from here on
  int rangeHigh;
  int limit1;
  int limit3;
  int limit4;
  int limit2;
  int limit5;
  int expLow;  // exponents of a logarithmic channel
  int expHigh;
};

// Layout A: a logarithmic flag at 34, the scaled numbers after it.
inline constexpr ChannelBlockLayout kLayoutA{1, 17, 34, 35, 38, 41, 44, 47, 50, 53, 56, 57};
// Layout B: no logarithmic flag; the scaled numbers start at 34.
inline constexpr ChannelBlockLayout kLayoutB{1, 17, -1, 34, 37, 40, 43, 46, 49, 52, -1, -1};

struct DriverModel {
  const char* name;    // the plug-in name, also its library's name
  uint16_t blockBase;  // address of channel 0's block; channel ch at + 80 * ch
  ChannelBlockLayout layout;
  bool exponents;    // a logarithmic channel's range exponents lie in expLow / expHigh
  int devWordWidth;  // bytes per channel of the device words: 4 or 8
};

inline constexpr DriverModel kDriverModels[] = {
    {"P3GV1", 0xC048, kLayoutA, false, 4},
    {"P6GV1", 0xC048, kLayoutA, true, 4},
    {"P6GV2", 0xC048, kLayoutA, true, 8},
    {"P5LV1", 0xC046, kLayoutB, false, 4},
};

// The row of a plug-in name in kDriverModels; -1 for a name no plug-in has.
constexpr int FindDriverModel(std::string_view name) {
  int row = 0;
  for (const DriverModel& m : kDriverModels) {
    if (name == m.name) return row;
    ++row;
  }
  return -1;
}

// Recorder memory that all models share.
inline constexpr uint16_t kChnlCountAddress = 0xC000;  // 1 byte, read with function 0x16
inline constexpr uint16_t kTitleAddress = 0xC002;      // 17 bytes
inline constexpr int kTitleSize = 17;
inline constexpr uint16_t kValuesRegister = 0;       // float32 per channel, function 0x03
inline constexpr uint16_t kDevWordsRegister = 0x24;  // device words, function 0x03
inline constexpr int kChannelBlockSize = 80;
inline constexpr int kDevWordChannels = 64;  // channels whose device words are held
