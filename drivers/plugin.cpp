// The driver plug-in. Built once per block-family model: RECVIEW_DRIVER names
// the row of the model table (link/recordermap.h), and the library carries
// that name.
//
// The plug-in runs the link operations on the program's own RecorderLink
// object (handed in with SetLink); both are built from the same link code.
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "drivers/devicedriver.h"
#include "drivers/driverabi.h"
#include "link/frames.h"
#include "link/recorderlink.h"
#include "link/recordermap.h"

#ifndef RECVIEW_DRIVER
#error "RECVIEW_DRIVER must name the recorder model of this build"
#endif

namespace {

namespace map = reclink::map;

constexpr int kModelRow = map::FindBlockModel(RECVIEW_DRIVER);
static_assert(kModelRow >= 0, "RECVIEW_DRIVER names no row of the model table");
constexpr map::BlockModel kModel = map::kBlockModels[kModelRow];
static_assert(kModel.devWordWidth == 4 || kModel.devWordWidth == 8, "device word width");
constexpr map::ChannelBlockLayout kLayout = map::BlockLayout(kModel.shortBlocks);
constexpr uint16_t kBlockBase = map::BlockChannels(kModel.shortBlocks);
constexpr int kChannelBlockSize = map::kChannelBlockSize;
constexpr int kTitleSize = map::kTitleSize;
constexpr int kDevWordChannels = map::kDevWordChannels;

constexpr int kValueWidth = 2;
constexpr int32_t kCapacity = 0x40000;
constexpr int kMaxReadValues = 255;  // a recorder reports its channel count in one byte

// Copies the text at the start of a field of fieldSize bytes, up to its first
// NUL and never past the field, into out (DeviceDriver::kTextSize bytes).
void CopyText(char* out, const uint8_t* field, int fieldSize) {
  const int limit = std::min(fieldSize, DeviceDriver::kTextSize - 1);
  int n = 0;
  while (n < limit && field[n] != 0) ++n;
  std::memcpy(out, field, static_cast<size_t>(n));
  out[n] = '\0';
}

class ModelDriver final : public DeviceDriver {
 public:
  ModelDriver() = default;
  ~ModelDriver() override { link_ = nullptr; }

  int32_t GetCapacity() override { return kCapacity; }

  int GetDescription(char* out) override {
    std::strcpy(out, "ZP6000's Driver");
    return 1;
  }

  int GetTypeName(char* out) override {
    std::strcpy(out, "R6GV1");
    return 1;
  }

  uint8_t GetValueWidth() override { return kValueWidth; }

  int ReadValues(int count, float* out) override {
    if (!link_ || count < 0 || count > kMaxReadValues) return 0;
    uint8_t bytes[4 * kMaxReadValues];
    const int n = 4 * count;
    if (!link_->ReadRegisters(map::kBlockValues, static_cast<uint16_t>(n), bytes)) return 0;
    reclink::SwapRegisters(bytes, static_cast<size_t>(n));
    std::memcpy(out, bytes, static_cast<size_t>(n));
    return 1;
  }

  // What was read over the previous link came from the recorder on it, which
  // need not be the one on the new link: the held channel block and device
  // words are forgotten, so that no channel gets another recorder's settings.
  DeviceDriver* SetLink(RecorderLink* link) override {
    link_ = link;
    blockIndex_ = -1;
    std::memset(wordCache_, 0, sizeof wordCache_);
    return this;
  }

  int ReadTitle(char* out) override {
    if (!link_) return 0;
    uint8_t title[kTitleSize];
    if (!link_->ReadBytes(map::kBlockTitle, kTitleSize, title)) return 0;
    CopyText(out, title, kTitleSize);
    return 1;
  }

  int ReadReserved(void*) override { return 0; }

  uint16_t ReadChnlCount() override {
    if (!link_) return 0;
    uint8_t count = 0;
    if (!link_->ReadBytes(map::kBlockChnlCount, 1, &count)) return 0;
    chnlCount_ = count;
    return count;
  }

  int ReadChnlUnit(int ch, char* out) override {
    const uint8_t* block = Block(ch);
    if (!block) return 0;
    CopyText(out, block + kLayout.unit, kLayout.unitSize);
    return 1;
  }

  int ReadChnlName(int ch, char* out) override {
    const uint8_t* block = Block(ch);
    if (!block) return 0;
    CopyText(out, block + kLayout.name, kLayout.nameSize);
    return 1;
  }

  int ReadLimit5(int ch, uint8_t* out3) override { return Scaled(ch, kLayout.limit5, out3); }
  int ReadLimit2(int ch, uint8_t* out3) override { return Scaled(ch, kLayout.limit2, out3); }
  int ReadLimit4(int ch, uint8_t* out3) override { return Scaled(ch, kLayout.limit4, out3); }
  int ReadLimit1(int ch, uint8_t* out3) override { return Scaled(ch, kLayout.limit1, out3); }
  int ReadLimit3(int ch, uint8_t* out3) override { return Scaled(ch, kLayout.limit3, out3); }

  int ReadRangeHigh(int ch, uint8_t* out3) override {
    return Range(ch, kLayout.rangeHigh, kLayout.expHigh, out3);
  }

  int ReadRangeLow(int ch, uint8_t* out3) override {
    return Range(ch, kLayout.rangeLow, kLayout.expLow, out3);
  }

  int ReadLogScale(int ch, uint8_t* out) override {
    const uint8_t* block = Block(ch);
    if (!block) return 0;
    *out = kLayout.logFlag >= 0 ? block[kLayout.logFlag] : 0;
    return 1;
  }

  int ReadDevWord(int ch, uint8_t* out) override {
    if (!link_ || ch < 0 || ch >= kDevWordChannels) return 0;
    if (ch == 0) {
      // The words of every channel the recorder reported, as far as they are
      // held; a failed read keeps the words read before.
      const int channels = std::min<int>(chnlCount_, kDevWordChannels);
      const int n = channels * kModel.devWordWidth;
      uint8_t words[sizeof wordCache_];
      if (!link_->ReadRegisters(map::kBlockDevWords, static_cast<uint16_t>(n), words)) return 0;
      reclink::SwapRegisters(words, static_cast<size_t>(n));
      std::memcpy(wordCache_, words, static_cast<size_t>(n));
    }
    std::memcpy(out, wordCache_ + ch * kModel.devWordWidth,
                static_cast<size_t>(kModel.devWordWidth));
    return 1;
  }

  int ShowMessage(const char* text) override {
    // The program's message box when it has one (see devicedriver.h).
    auto box = reinterpret_cast<RecviewMessageBoxFunc>(dlsym(RTLD_DEFAULT, kMessageBoxSymbol));
    if (box) return box(text, "Caption");
    std::fprintf(stderr, "Caption: %s\n", text ? text : "");
    return 1;
  }

 private:
  // The block of channel ch: the one held when it is that channel's, else
  // read from the recorder. Null when it cannot be read; the block held
  // before then stays.
  const uint8_t* Block(int ch) {
    if (!link_ || ch < 0 || ch > 255) return nullptr;
    if (ch == blockIndex_) return blockCache_;
    const uint16_t address = static_cast<uint16_t>(kBlockBase + kChannelBlockSize * ch);
    uint8_t block[kChannelBlockSize];
    if (!link_->ReadBytes(address, kChannelBlockSize, block)) return nullptr;
    std::memcpy(blockCache_, block, sizeof blockCache_);
    blockIndex_ = static_cast<int16_t>(ch);
    return blockCache_;
  }

  int Scaled(int ch, int offset, uint8_t* out3) {
    const uint8_t* block = Block(ch);
    if (!block) return 0;
    std::memcpy(out3, block + offset, 3);
    return 1;
  }

  // A range value; for a logarithmic channel of a model with exponent bytes,
  // its third byte is the exponent.
  int Range(int ch, int offset, int expOffset, uint8_t* out3) {
    const uint8_t* block = Block(ch);
    if (!block) return 0;
    std::memcpy(out3, block + offset, 3);
    if (kModel.exponents && block[kLayout.logFlag] != 0) out3[2] = block[expOffset];
    return 1;
  }

  RecorderLink* link_ = nullptr;
  uint16_t chnlCount_ = 12;
  int16_t blockIndex_ = -1;
  uint8_t blockCache_[kChannelBlockSize] = {};
  uint8_t wordCache_[kDevWordChannels * kModel.devWordWidth] = {};
};

// The plug-in's one device object.
ModelDriver g_device;

}  // namespace

extern "C" __attribute__((visibility("default"))) DeviceDriver** GetDevice(DeviceDriver** device) {
  if (device) *device = &g_device;
  return device;
}

extern "C" __attribute__((visibility("default"))) int32_t GetDeviceInterface(int32_t* version,
                                                                           int32_t* sizes,
                                                                           int32_t count) {
  const DriverInterface d = ThisDriverInterface();
  if (version) *version = d.version;
  int32_t n = 0;
  for (; sizes && n < count && n < kSharedCount; ++n) sizes[n] = d.sizes[n];
  return kSharedCount;
}
