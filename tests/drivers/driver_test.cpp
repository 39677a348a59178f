// The four driver plug-ins, loaded by name from the program directory and
// run on a link to recsim, whose memory and request log tell what a plug-in
// read and how.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "acquire/driverloader.h"
#include "common/testenv.h"
#include "link/recorderlink.h"
#include "platform/gbk.h"
#include "simproc.h"

// The program's message box, as a windowed program exports it for the
// plug-ins; this one only notes what it was asked to show.
namespace {
std::string g_boxText, g_boxCaption;
}
extern "C" int RecviewMessageBox(const char* text, const char* caption) {
  g_boxText = text;
  g_boxCaption = caption;
  return 1;
}

namespace {

using Bytes = std::vector<uint8_t>;

constexpr const char* kDrivers[] = {"P3GV1", "P6GV1", "P6GV2", "P5LV1"};
constexpr const char* kClock = "2026-03-04 05:06:07";

// recsim's samples and device words, as its documentation gives them.
uint16_t SimRaw(int m, uint64_t k) {
  return static_cast<uint16_t>((4099ull * static_cast<uint64_t>(m) + 37ull * k) % 65536ull);
}
uint32_t SimWordLow(int m) { return 0xD0000000u + 0x100u * static_cast<uint32_t>(m) + 0x5Au; }
uint32_t SimWordHigh(int m) { return 0x0C000000u + static_cast<uint32_t>(m); }

time_t ClockTime() {
  struct tm tm {};
  tm.tm_year = 2026 - 1900;
  tm.tm_mon = 2;
  tm.tm_mday = 4;
  tm.tm_hour = 5;
  tm.tm_min = 6;
  tm.tm_sec = 7;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

Bytes Scaled(int16_t number, uint8_t decimals) {
  return {static_cast<uint8_t>(number & 0xFF), static_cast<uint8_t>((number >> 8) & 0xFF),
          decimals};
}

// One plug-in on a link to a fresh recsim.
class DriverTest : public ::testing::Test {
 protected:
  void Start(const std::string& driver, std::vector<std::string> args, int attempts = 2) {
    log_ = testenv::NewDir("sim") + "requests.log";
    args.push_back("--log");
    args.push_back(log_);
    ASSERT_TRUE(sim_.Start(args)) << sim_.error();
    _tagComParam p = testenv::ComParamFor(sim_.device());
    p.ReadDefaultErrorTimes = attempts;
    ASSERT_EQ(link_.Open(p), 1) << link_.Port().LastError();
    std::string error;
    handle_ = acquire::LoadDriver(driver, &dev_, &error);
    ASSERT_NE(handle_, nullptr) << error;
    ASSERT_NE(dev_, nullptr);
    ASSERT_EQ(dev_->SetLink(&link_), dev_);
  }

  void TearDown() override {
    if (dev_) dev_->SetLink(nullptr);
    acquire::FreeDriver(handle_);
  }

  // The requests recsim received so far, each as its bytes (CRC included).
  std::vector<Bytes> Requests() const {
    std::vector<Bytes> out;
    for (const std::string& line : testenv::ReadLines(log_)) {
      std::istringstream in(line);
      std::string word;
      in >> word;  // framing
      Bytes bytes;
      while (in >> word && word != "->")
        bytes.push_back(static_cast<uint8_t>(std::stoul(word, nullptr, 16)));
      out.push_back(bytes);
    }
    return out;
  }
  // The requests of one function code, without their CRC.
  std::vector<Bytes> Requests(uint8_t function) const {
    std::vector<Bytes> out;
    for (Bytes b : Requests())
      if (b.size() > 2 && b[1] == function) {
        b.resize(b.size() - 2);
        out.push_back(b);
      }
    return out;
  }

  Bytes Read3(int (DeviceDriver::*op)(int, uint8_t*), int ch) {
    Bytes out(3, 0xEE);
    EXPECT_EQ((dev_->*op)(ch, out.data()), 1) << "channel " << ch;
    return out;
  }

  // Device word of a channel as the plug-in delivers it.
  std::vector<uint32_t> Word(int ch, int width) {
    uint8_t bytes[8] = {};
    EXPECT_EQ(dev_->ReadDevWord(ch, bytes), 1) << "channel " << ch;
    std::vector<uint32_t> words(static_cast<size_t>(width / 4));
    std::memcpy(words.data(), bytes, static_cast<size_t>(width));
    return words;
  }

  testenv::SimProcess sim_;
  RecorderLink link_;
  std::string log_;
  void* handle_ = nullptr;
  DeviceDriver* dev_ = nullptr;
};

TEST_F(DriverTest, EveryPluginAnswersWithoutLinkAndFailsToRead) {
  for (const char* name : kDrivers) {
    SCOPED_TRACE(name);
    DeviceDriver* dev = nullptr;
    void* handle = acquire::LoadDriver(acquire::DriverNameOfModel(std::string("KV") + name), &dev);
    ASSERT_NE(handle, nullptr);
    ASSERT_NE(dev, nullptr);
    EXPECT_EQ(dev->GetCapacity(), 262144);
    EXPECT_EQ(dev->GetValueWidth(), 2);
    char text[DeviceDriver::kTextSize];
    EXPECT_EQ(dev->GetDescription(text), 1);
    EXPECT_STREQ(text, "ZP6000's Driver");
    EXPECT_EQ(dev->GetTypeName(text), 1);
    EXPECT_STREQ(text, "R6GV1");
    EXPECT_EQ(dev->ReadReserved(text), 0);

    // No link: every reading operation fails and leaves its output alone.
    dev->SetLink(nullptr);
    std::strcpy(text, "untouched");
    uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    float values[4] = {7, 7, 7, 7};
    EXPECT_EQ(dev->ReadTitle(text), 0);
    EXPECT_EQ(dev->ReadChnlCount(), 0);
    EXPECT_EQ(dev->ReadChnlName(0, text), 0);
    EXPECT_EQ(dev->ReadChnlUnit(0, text), 0);
    EXPECT_STREQ(text, "untouched");
    EXPECT_EQ(dev->ReadRangeLow(0, bytes), 0);
    EXPECT_EQ(dev->ReadLimit5(0, bytes), 0);
    EXPECT_EQ(dev->ReadLogScale(0, bytes), 0);
    EXPECT_EQ(dev->ReadDevWord(0, bytes), 0);
    EXPECT_EQ(dev->ReadDevWord(1, bytes), 0);
    EXPECT_EQ(dev->ReadValues(4, values), 0);
    EXPECT_EQ(bytes[0], 1);
    EXPECT_EQ(values[0], 7.0f);

    // A link that is not open fails the same way.
    RecorderLink closed;
    dev->SetLink(&closed);
    EXPECT_EQ(dev->ReadTitle(text), 0);
    EXPECT_EQ(dev->ReadChnlName(0, text), 0);
    EXPECT_EQ(dev->ReadValues(4, values), 0);
    dev->SetLink(nullptr);

    g_boxText.clear();
    EXPECT_EQ(dev->ShowMessage("no recorder"), 1);
    EXPECT_EQ(g_boxText, "no recorder");
    EXPECT_EQ(g_boxCaption, "Caption");
    acquire::FreeDriver(handle);
  }
}

TEST_F(DriverTest, TitleCountAndChannelBlockInOneExchange) {
  Start("P6GV1", {"--model", "KVP6GV1", "--channels", "6", "--title", "锅炉房 7", "--chan",
                  "3:name=Flow,unit=m3/h,low=-1.5,high=250.0,l1=1,l2=2.2,l3=-3,l4=4.44,l5=5"});
  char text[DeviceDriver::kTextSize];
  ASSERT_EQ(dev_->ReadTitle(text), 1);
  EXPECT_EQ(platform::GbkToUtf8(text, sizeof text), "锅炉房 7");
  EXPECT_EQ(dev_->ReadChnlCount(), 6);
  ASSERT_EQ(Requests(0x16).size(), 2u);
  EXPECT_EQ(Requests(0x16)[0], (Bytes{8, 0x16, 0xC0, 0x02, 0x00, 17}));
  EXPECT_EQ(Requests(0x16)[1], (Bytes{8, 0x16, 0xC0, 0x00, 0x00, 1}));

  // The ten reads of channel 3, in the order live recording makes them.
  ASSERT_EQ(dev_->ReadChnlName(3, text), 1);
  EXPECT_STREQ(text, "Flow");
  ASSERT_EQ(dev_->ReadChnlUnit(3, text), 1);
  EXPECT_STREQ(text, "m3/h");
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeLow, 3), Scaled(-15, 1));
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeHigh, 3), Scaled(2500, 1));
  EXPECT_EQ(Read3(&DeviceDriver::ReadLimit1, 3), Scaled(1, 0));
  EXPECT_EQ(Read3(&DeviceDriver::ReadLimit3, 3), Scaled(-3, 0));
  EXPECT_EQ(Read3(&DeviceDriver::ReadLimit4, 3), Scaled(444, 2));
  EXPECT_EQ(Read3(&DeviceDriver::ReadLimit2, 3), Scaled(22, 1));
  EXPECT_EQ(Read3(&DeviceDriver::ReadLimit5, 3), Scaled(5, 0));
  uint8_t log = 0xEE;
  ASSERT_EQ(dev_->ReadLogScale(3, &log), 1);
  EXPECT_EQ(log, 0);
  std::vector<Bytes> blocks = Requests(0x16);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[2], (Bytes{8, 0x16, 0xC1, 0x38, 0x00, 80}));  // 0xC048 + 3 * 80

  // The next channel is one more exchange; the default name of recsim's
  // channel 5 arrives as GBK.
  ASSERT_EQ(dev_->ReadChnlName(5, text), 1);
  EXPECT_EQ(platform::GbkToUtf8(text, sizeof text), "通道6");
  EXPECT_EQ(Requests(0x16).size(), 4u);
}

TEST_F(DriverTest, FailedReadsKeepWhatWasReadBefore) {
  // Every block read after the first and every register read after the
  // first is dropped; one attempt per read.
  Start("P3GV1",
        {"--model", "KVP3GV1", "--channels", "8", "--chan", "3:name=Keep,unit=bar,low=0.5",
         "--fault", "drop:fn=0x16,skip=1", "--fault", "drop:fn=0x03,skip=1"},
        1);
  char text[DeviceDriver::kTextSize];
  ASSERT_EQ(dev_->ReadChnlName(3, text), 1);
  std::strcpy(text, "untouched");
  EXPECT_EQ(dev_->ReadChnlName(4, text), 0);
  EXPECT_STREQ(text, "untouched");
  // Channel 3 is still held and costs nothing.
  ASSERT_EQ(dev_->ReadChnlUnit(3, text), 1);
  EXPECT_STREQ(text, "bar");
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeLow, 3), Scaled(5, 1));
  EXPECT_EQ(Requests(0x16).size(), 2u);
  // Channel 4 is asked again, and fails again.
  EXPECT_EQ(dev_->ReadLimit1(4, reinterpret_cast<uint8_t*>(text)), 0);
  EXPECT_EQ(Requests(0x16).size(), 3u);

  // Device words: the words of the first read stay after a failed one.
  ASSERT_EQ(Word(5, 4), (std::vector<uint32_t>{0}));  // nothing read yet
  ASSERT_EQ(Word(0, 4), (std::vector<uint32_t>{SimWordLow(0)}));
  uint8_t bytes[4] = {9, 9, 9, 9};
  EXPECT_EQ(dev_->ReadDevWord(0, bytes), 0);
  EXPECT_EQ(bytes[0], 9);
  EXPECT_EQ(Word(5, 4), (std::vector<uint32_t>{SimWordLow(5)}));
}

TEST_F(DriverTest, ANewLinkNeverGetsTheBlockOfThePreviousRecorder) {
  Start("P6GV1", {"--model", "KVP6GV1", "--channels", "4", "--chan", "3:name=Old"});
  char text[DeviceDriver::kTextSize];
  ASSERT_EQ(dev_->ReadChnlName(3, text), 1);
  EXPECT_STREQ(text, "Old");
  ASSERT_EQ(Word(1, 4), (std::vector<uint32_t>{0}));
  ASSERT_EQ(Word(0, 4), (std::vector<uint32_t>{SimWordLow(0)}));

  // Another recorder on another link, handed to the same device object.
  testenv::SimProcess other;
  ASSERT_TRUE(other.Start({"--model", "KVP6GV1", "--channels", "4", "--chan", "3:name=New"}))
      << other.error();
  RecorderLink link;
  ASSERT_EQ(link.Open(testenv::ComParamFor(other.device())), 1);
  dev_->SetLink(&link);
  ASSERT_EQ(dev_->ReadChnlName(3, text), 1);
  EXPECT_STREQ(text, "New");
  EXPECT_EQ(Word(1, 4), (std::vector<uint32_t>{0}));
  dev_->SetLink(nullptr);
}

TEST_F(DriverTest, DeviceWordsOfTwelveChannelsBeforeTheCountIsRead) {
  Start("P6GV1", {"--model", "KVP6GV1", "--channels", "16"});
  EXPECT_EQ(Word(0, 4), (std::vector<uint32_t>{SimWordLow(0)}));
  std::vector<Bytes> reads = Requests(0x03);
  ASSERT_EQ(reads.size(), 1u);
  EXPECT_EQ(reads[0], (Bytes{8, 0x03, 0x00, 0x24, 0x00, 24}));  // 12 x 4 bytes in registers
  for (int ch = 1; ch < 12; ++ch) EXPECT_EQ(Word(ch, 4), (std::vector<uint32_t>{SimWordLow(ch)}));
  EXPECT_EQ(Word(12, 4), (std::vector<uint32_t>{0}));
  EXPECT_EQ(Requests(0x03).size(), 1u);

  ASSERT_EQ(dev_->ReadChnlCount(), 16);
  EXPECT_EQ(Word(0, 4), (std::vector<uint32_t>{SimWordLow(0)}));
  EXPECT_EQ(Requests(0x03).back(), (Bytes{8, 0x03, 0x00, 0x24, 0x00, 32}));
  EXPECT_EQ(Word(15, 4), (std::vector<uint32_t>{SimWordLow(15)}));
  // Channels beyond those held fail; nothing is read for them.
  uint8_t bytes[8];
  EXPECT_EQ(dev_->ReadDevWord(64, bytes), 0);
  EXPECT_EQ(dev_->ReadDevWord(-1, bytes), 0);
  EXPECT_EQ(Requests(0x03).size(), 2u);
}

TEST_F(DriverTest, WideDeviceWordsOf32ChannelsInOneRequest) {
  Start("P6GV2", {"--model", "KVP6GV2", "--channels", "32"});
  ASSERT_EQ(dev_->ReadChnlCount(), 32);
  EXPECT_EQ(Word(0, 8), (std::vector<uint32_t>{SimWordLow(0), SimWordHigh(0)}));
  std::vector<Bytes> reads = Requests(0x03);
  ASSERT_EQ(reads.size(), 1u);
  EXPECT_EQ(reads[0], (Bytes{8, 0x03, 0x00, 0x24, 0x00, 128}));  // 256 bytes
  for (int ch = 1; ch < 32; ++ch)
    EXPECT_EQ(Word(ch, 8), (std::vector<uint32_t>{SimWordLow(ch), SimWordHigh(ch)})) << ch;
}

TEST_F(DriverTest, WideDeviceWordsOf64ChannelsAllArrive) {
  Start("P6GV2", {"--model", "KVP6GV2", "--channels", "64"});
  ASSERT_EQ(dev_->ReadChnlCount(), 64);
  ASSERT_EQ(Word(0, 8), (std::vector<uint32_t>{SimWordLow(0), SimWordHigh(0)}));
  EXPECT_EQ(Requests(0x03).size(), 2u);  // 512 bytes in two chunks
  for (int ch = 1; ch < 64; ++ch)
    EXPECT_EQ(Word(ch, 8), (std::vector<uint32_t>{SimWordLow(ch), SimWordHigh(ch)})) << ch;
}

TEST_F(DriverTest, ShortBlocksOfP5LV1) {
  Start("P5LV1", {"--model", "KVP5LV1", "--channels", "4", "--chan",
                  "0:name=Temp,unit=C,low=-20.5,high=80.25,l1=1.1,l2=2.2,l3=3.3,l4=4.4,l5=5.5",
                  "--chan", "1:log=-2:3,low=1.5"});
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeLow, 0), Scaled(-205, 1));
  ASSERT_EQ(Requests(0x16).size(), 1u);
  EXPECT_EQ(Requests(0x16)[0], (Bytes{8, 0x16, 0xC0, 0x46, 0x00, 80}));
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeHigh, 0), Scaled(8025, 2));
  EXPECT_EQ(Read3(&DeviceDriver::ReadLimit1, 0), Scaled(11, 1));
  EXPECT_EQ(Read3(&DeviceDriver::ReadLimit2, 0), Scaled(22, 1));
  EXPECT_EQ(Read3(&DeviceDriver::ReadLimit3, 0), Scaled(33, 1));
  EXPECT_EQ(Read3(&DeviceDriver::ReadLimit4, 0), Scaled(44, 1));
  EXPECT_EQ(Read3(&DeviceDriver::ReadLimit5, 0), Scaled(55, 1));
  char text[DeviceDriver::kTextSize];
  ASSERT_EQ(dev_->ReadChnlName(0, text), 1);
  EXPECT_STREQ(text, "Temp");
  ASSERT_EQ(dev_->ReadChnlUnit(0, text), 1);
  EXPECT_STREQ(text, "C");
  EXPECT_EQ(Requests(0x16).size(), 1u);

  // No logarithmic channels here: the flag reads the block and gives 0, and
  // the range keeps its own third byte.
  uint8_t log = 0xEE;
  ASSERT_EQ(dev_->ReadLogScale(1, &log), 1);
  EXPECT_EQ(log, 0);
  EXPECT_EQ(Requests(0x16).back(), (Bytes{8, 0x16, 0xC0, 0x96, 0x00, 80}));
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeLow, 1), Scaled(15, 1));
}

TEST_F(DriverTest, ExponentBytesOfLogarithmicChannels) {
  const std::vector<std::string> sim{"--model",    "KVP6GV1",
                                     "--channels", "4",
                                     "--chan",     "2:log=-2:3,low=1.5",
                                     "--chan",     "1:low=1.5,high=9.75"};
  // P6GV1 takes the exponents from block bytes 56 and 57.
  Start("P6GV1", sim);
  uint8_t log = 0;
  ASSERT_EQ(dev_->ReadLogScale(2, &log), 1);
  EXPECT_EQ(log, 1);
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeLow, 2), (Bytes{15, 0, 0xFE}));
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeHigh, 2), (Bytes{1, 0, 3}));
  // A linear channel keeps its decimals.
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeLow, 1), Scaled(15, 1));
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeHigh, 1), Scaled(975, 2));
}

TEST_F(DriverTest, NoExponentBytesInP3GV1) {
  Start("P3GV1", {"--model", "KVP3GV1", "--channels", "4", "--chan", "2:log=-2:3,low=1.5"});
  uint8_t log = 0;
  ASSERT_EQ(dev_->ReadLogScale(2, &log), 1);
  EXPECT_EQ(log, 1);
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeLow, 2), Scaled(15, 1));
  EXPECT_EQ(Read3(&DeviceDriver::ReadRangeHigh, 2), (Bytes{1, 0, 3}));
}

TEST_F(DriverTest, CurrentValuesAsFloats) {
  Start("P6GV2",
        {"--model", "KVP6GV2", "--channels", "8", "--clock", kClock, "--chan",
         "1:low=-20.0,high=80.0", "--chan", "2:log=-2:3", "--chan", "5:low=0.125,high=0.5"});
  float values[8];
  std::fill(values, values + 8, -1.0f);
  ASSERT_EQ(dev_->ReadValues(8, values), 1);
  ASSERT_EQ(Requests(0x03).size(), 1u);
  EXPECT_EQ(Requests(0x03)[0], (Bytes{8, 0x03, 0x00, 0x00, 0x00, 16}));
  const uint64_t now = static_cast<uint64_t>(ClockTime());
  auto linear = [&](int m, double low, double high) {
    return static_cast<float>(low + (high - low) * (SimRaw(m, now) / 65535.0));
  };
  EXPECT_FLOAT_EQ(values[0], linear(0, 0.0, 100.0));
  EXPECT_FLOAT_EQ(values[1], linear(1, -20.0, 80.0));
  EXPECT_FLOAT_EQ(values[2],
                  static_cast<float>(std::pow(10.0, -2 + 5 * (SimRaw(2, now) / 65535.0))));
  EXPECT_FLOAT_EQ(values[5], linear(5, 0.125, 0.5));
  EXPECT_FLOAT_EQ(values[7], linear(7, 0.0, 100.0));

  // Fewer channels ask for fewer registers; nonsense counts ask nothing.
  float two[2];
  ASSERT_EQ(dev_->ReadValues(2, two), 1);
  EXPECT_EQ(Requests(0x03).back(), (Bytes{8, 0x03, 0x00, 0x00, 0x00, 4}));
  EXPECT_EQ(two[1], values[1]);
  EXPECT_EQ(dev_->ReadValues(-1, two), 0);
  EXPECT_EQ(dev_->ReadValues(256, values), 0);
  EXPECT_EQ(Requests(0x03).size(), 2u);
}

}  // namespace
