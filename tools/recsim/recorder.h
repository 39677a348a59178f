#pragma once
// The simulated recorder: its identity, channels, clock and samples.
//
// Samples. Every stored sample is a 16-bit raw count given by one function of
// the channel m (from 0) and a position k:
//
//     raw(m, k) = (4099 * m + 37 * k) mod 65536
//
// computed in unsigned 64-bit arithmetic, where k is
//   - register family (function 0x13 by address): the ring index p (0-262143)
//     of the sample in channel m's ring;
//   - block family (function 0x13 by time): the record time, as seconds since
//     1970 of the local time given in the request (mktime of the six stamp
//     fields in recsim's TZ; records i = 0, 1, ... of a request have the times
//     t + i * interval).
// Counts travel little-endian (low byte first), as they are stored in files.
//
// Current values (function 0x03 at register 0) are float32 engineering values
// of raw(m, now) at the recorder's current time `now` (the fixed clock, or the
// wall clock): for a linear channel low + (high - low) * raw / 65535, for a
// logarithmic channel 10^(eLow + (eHigh - eLow) * raw / 65535), with low, high
// the values of the channel's range and eLow, eHigh its exponents.
//
// The demo recorder (--demo, demo.h) stores plant-like counts of the sample
// time instead; the test pattern above is the default.
//
// Device words: channel m has the 32-bit word 0xD0000000 + 0x100 * m + 0x5A,
// and for models with 8-byte device words (block family, model character 6
// '2') a second 32-bit word 0x0C000000 + m.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace recsim {

constexpr int kRingSize = 262144;  // samples per channel ring (register family)
constexpr int kMaxChannels = 64;

uint16_t Raw(int channel, uint64_t k);

// A scaled number as recorders deliver ranges and limits: a signed 16-bit
// integer and a byte, the decimal count (or, for logarithmic ranges, the
// exponent).
struct ScaleNum {
  int16_t value = 0;
  uint8_t decimals = 0;
  void Put(uint8_t* out) const {
    out[0] = static_cast<uint8_t>(value & 0xFF);
    out[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    out[2] = decimals;
  }
  double Value() const;
};

// Parses a decimal text ("-12.50" → 1250 with 2 decimals). False when it is
// not a number or does not fit 16 bits.
bool ParseScaleNum(const std::string& text, ScaleNum* out);

struct Channel {
  std::string name;  // UTF-8; sent as GBK
  std::string unit;
  ScaleNum low, high;
  ScaleNum limit[5];  // limit1 ... limit5
  bool logarithmic = false;
  int8_t expLow = 0, expHigh = 0;

  // The range and the limits as every channel block keeps them, three bytes
  // each from out on: low, high, limit1, limit3, limit4, limit2, limit5.
  void PutScaled(uint8_t* out) const;
};

enum class Family { Register, Block };

struct Recorder {
  std::string model = "KVP6GV1";
  std::string title = "recsim";
  uint8_t station = 8;
  int intervalIndex = 0;        // the byte the recorder reports
  bool wallClock = true;        // newest record follows the wall clock
  time_t fixedNewest = 0;       // newest record time with a fixed clock
  uint32_t newestIndex = 1000;  // ring index of the newest sample at start
  time_t started = 0;           // when the simulator started (wall clock)
  // The clock (clock.cpp): recorder seconds per real second (-1: 1 with the
  // wall clock, 0 with a fixed one), and the seconds it was moved forward.
  double speed = -1;
  int64_t jumped = 0;
  int64_t startedMs = 0;        // steady clock at start, for speed
  std::vector<Channel> channels;
  bool demo = false;            // demo samples (demo.h) instead of the test pattern

  Family family() const;
  // Register family: 0 or 1, the row of its addresses (unknown models use 0).
  int modelRow() const;
  // Block family: channel blocks at 0xC046 in the short layout (model
  // character 4 'L').
  bool shortBlocks() const;
  // Bytes per channel of the device-word area.
  int devWordWidth() const;
  int intervalSeconds() const;

  // The clock (clock.cpp). StartClock is called once at start.
  void StartClock();
  double Speed() const;
  time_t Now() const;     // the recorder's current time
  time_t Newest() const;  // time of the newest record
  // Register family: the ring slot of the newest record. It moves on one slot
  // per interval the clock runs or jumps and wraps at the ring's end, so slot
  // p always holds the record of one time until the ring overwrites it.
  uint32_t NewestRingIndex() const;
  // Copies of this recorder on one line, one per station address.
  std::vector<Recorder> Stations(const std::vector<uint8_t>& stations) const;

  float LiveValue(int channel, time_t t) const;
  uint64_t DevWord(int channel) const;  // low 32 bits first word
  time_t FirstNewest() const;  // the newest record at start

  // The 10 identity bytes: the model string, NUL-padded.
  void Identity(uint8_t out[10]) const;
};

// The local time value of six stamp bytes (platform/localtime.h writes them);
// false when they are no valid stamp.
bool StampToTime(const uint8_t* stamp, time_t* out);

// The default channel m: name "通道<m+1>", units in turn °C, %RH, kPa, V,
// range 0.0 - 100.0, limit1 5.0, limit2 95.0, limit3 10.0, limit4 90.0,
// limit5 50.0.
Channel DefaultChannel(int m);

}  // namespace recsim

namespace recsim {

// Sample memory of the register family as function 0x13 reads it by address:
// the ring of channel m starts at byte 2 * m * 262144, sample p of it lies at
// byte 2 * (m * 262144 + p). Channels the recorder does not have read as 0.
void RingBytes(const Recorder& r, uint64_t address, uint8_t* out, size_t n);

// Records of the block family as function 0x13 reads them by time: records
// i = 0 .. records-1 at t + i * interval, channels 0 .. channels-1 each,
// record-major, 2 bytes per count.
void RecordBytes(const Recorder& r, time_t t, int records, int channels, uint8_t* out);

}  // namespace recsim
