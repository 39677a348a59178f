// The recorder link against recsim on a pseudo-terminal: the exact frames of
// every operation in both framings, the checks on replies, retries and pauses.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "link/frames.h"
#include "linkfixture.h"
#include "platform/gbk.h"

namespace {

std::string HexFrame(std::vector<uint8_t> bytes) {
  const uint16_t crc = reclink::Crc16(bytes.data(), bytes.size());
  bytes.push_back(static_cast<uint8_t>(crc & 0xFF));
  bytes.push_back(static_cast<uint8_t>(crc >> 8));
  std::string s = "rtu ";
  char hex[4];
  for (size_t i = 0; i < bytes.size(); ++i) {
    std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", bytes[i]);
    s += hex;
  }
  return s;
}

time_t LocalTime(int y, int mo, int d, int h, int mi, int s) {
  struct tm tm {};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

const std::vector<std::string> kBlockRecorder = {"--model", "KVP6GV1", "--clock",
                                                 "2026-12-07 10:00:00"};
const std::vector<std::string> kRegisterRecorder = {"--model", "KVR6GV2", "--clock",
                                                    "2026-12-07 10:00:00"};

std::vector<std::string> With(std::vector<std::string> base, std::vector<std::string> more) {
  base.insert(base.end(), more.begin(), more.end());
  return base;
}

TEST_F(LinkTest, ReadRegistersSendsTheDocumentedFrame) {
  StartSim(With(kBlockRecorder, {"--channels", "4"}));
  OpenLink();
  uint8_t buffer[4];
  ASSERT_EQ(link_.ReadRegisters(0x24, 4, buffer), 1);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0], "rtu 08 03 00 24 00 02 84 99 -> ok");
  // Device word 0xD000005A of channel 0: the low-order register first, each
  // register high byte first.
  const uint8_t expected[] = {0x00, 0x5A, 0xD0, 0x00};
  EXPECT_EQ(std::memcmp(buffer, expected, 4), 0);
  EXPECT_EQ(link_.CurAddress(), 0x24);
  EXPECT_EQ(link_.CurLength(), 4);
}

TEST_F(LinkTest, ReadBytesSplitsIntoChunksOf256AndLengthZeroSendsNothing) {
  StartSim(With(kBlockRecorder, {"--title", "Lab-7"}));
  OpenLink();
  uint8_t buffer[300];
  ASSERT_EQ(link_.ReadBytes(0xC000, 300, buffer), 1);
  std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "rtu 08 16 C0 00 01 00 75 00 -> ok");
  EXPECT_EQ(log[1], "rtu 08 16 C1 00 00 2C 74 B1 -> ok");
  EXPECT_EQ(buffer[0], 8);  // channels
  EXPECT_EQ(buffer[1], 0);  // interval index
  EXPECT_STREQ(reinterpret_cast<char*>(buffer + 2), "Lab-7");
  EXPECT_EQ(buffer[0x13], 8);  // station
  const std::string name = platform::Utf8ToGbk("通道1");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer + 0x48 + 1)), name);
  EXPECT_EQ(link_.CurAddress(), 0xC100);
  EXPECT_EQ(link_.CurLength(), 44);

  EXPECT_EQ(link_.ReadBytes(0xC000, 0, buffer), 1);
  EXPECT_EQ(link_.ReadRegisters(0, 0, buffer), 1);
  EXPECT_EQ(link_.ReadRegistersAscii(0, 0, buffer), 1);
  EXPECT_EQ(Log().size(), 2u);
}

TEST_F(LinkTest, ChunkOf256BytesHasCountZeroOnTheWireAndSucceeds) {
  StartSim(With(kBlockRecorder, {"--model", "KVP6GV2", "--channels", "32"}));
  OpenLink();
  uint8_t words[256];
  ASSERT_EQ(link_.ReadRegisters(0x24, 256, words), 1);
  ASSERT_EQ(Log().size(), 1u);
  EXPECT_EQ(Log()[0], HexFrame({8, 3, 0, 0x24, 0, 0x80}) + " -> ok");
  // Channel 31: words 0xD0001F5A and 0x0C00001F, registers high byte first.
  const uint8_t expected[] = {0x1F, 0x5A, 0xD0, 0x00, 0x00, 0x1F, 0x0C, 0x00};
  EXPECT_EQ(std::memcmp(words + 31 * 8, expected, 8), 0);

  uint8_t block[256];
  ASSERT_EQ(link_.ReadBytes(0xC048, 256, block), 1);
  EXPECT_EQ(Log().size(), 2u);
}

TEST_F(LinkTest, ChunkAddressAdvancesBy256ForRegistersToo) {
  StartSim(With(kRegisterRecorder, {"--channels", "4"}));
  OpenLink();
  uint8_t rtu[300];
  ASSERT_EQ(link_.ReadRegisters(0x24, 300, rtu), 1);
  uint8_t ascii[300];
  ASSERT_EQ(link_.ReadRegistersAscii(0x1040, 300, ascii), 1);
  std::vector<std::string> log = Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[0], HexFrame({8, 3, 0x00, 0x24, 0x00, 0x80}) + " -> ok");
  EXPECT_EQ(log[1], HexFrame({8, 3, 0x01, 0x24, 0x00, 0x16}) + " -> ok");
  EXPECT_EQ(log[2], "ascii :080310400100A4 -> ok");
  EXPECT_EQ(log[3], "ascii :08031140002C78 -> ok");
  // The four channel blocks of 80 bytes, then zeros.
  const std::string name4 = platform::Utf8ToGbk("通道4");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(ascii + 240)), name4);
  EXPECT_EQ(ascii[299], 0);
}

TEST_F(LinkTest, WrongCountWithGoodCrcIsAskedReadDefaultErrorTimesTimes) {
  StartSim(With(kBlockRecorder, {"--fault", "count"}));
  OpenLink(3);
  uint8_t buffer[4] = {1, 2, 3, 4};
  EXPECT_EQ(link_.ReadBytes(0xC000, 1, buffer), 0);
  EXPECT_EQ(Log().size(), 3u);
  EXPECT_EQ(buffer[0], 1);
  EXPECT_EQ(link_.ReadRegisters(0x24, 4, buffer), 0);
  EXPECT_EQ(Log().size(), 6u);
  for (const std::string& line : Log()) EXPECT_NE(line.find("fault count"), std::string::npos);
}

TEST_F(LinkTest, AttemptsAreAtLeastOne) {
  StartSim(With(kBlockRecorder, {"--fault", "drop"}));
  OpenLink(0);
  uint8_t buffer[4];
  EXPECT_EQ(link_.ReadBytes(0xC000, 1, buffer), 0);
  EXPECT_EQ(Log().size(), 1u);
}

TEST_F(LinkTest, FailureInALaterChunkLeavesTheBufferAsItWas) {
  StartSim(With(kBlockRecorder, {"--fault", "drop:fn=0x16,skip=1"}));
  OpenLink();
  uint8_t buffer[300];
  std::memset(buffer, 0xEE, sizeof buffer);
  EXPECT_EQ(link_.ReadBytes(0xC000, 300, buffer), 0);
  EXPECT_EQ(Log().size(), 3u);
  for (uint8_t b : buffer) ASSERT_EQ(b, 0xEE);
}

TEST_F(LinkTest, AsciiRepliesInLowerCaseAreAccepted) {
  StartSim(With(kRegisterRecorder, {"--ascii-lower", "--newest-index", "4242"}));
  OpenLink();
  uint8_t clock[10];
  ASSERT_EQ(link_.ReadRegistersAscii(0x8E, 10, clock), 1);
  EXPECT_EQ(Log()[0], "ascii :0803008E000A5D -> ok");
  const uint8_t expected[] = {26, 12, 7, 10, 0, 0, 0x92, 0x10, 0, 0};
  EXPECT_EQ(std::memcmp(clock, expected, 10), 0);
  uint8_t count = 0;
  ASSERT_EQ(link_.ReadRegistersAscii(0x1013, 1, &count), 1);
  EXPECT_EQ(count, 8);
}

TEST_F(LinkTest, IdentityInBothFramings) {
  StartSim(kRegisterRecorder);
  OpenLink();
  uint8_t id[32];
  std::memset(id, 0xEE, sizeof id);
  ASSERT_EQ(link_.ReadIdentityAscii(id, sizeof id), 10);
  EXPECT_EQ(Log()[0], "ascii :0841B7 -> ok");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(id), 7), "KVR6GV2");
  EXPECT_EQ(id[10], 0xEE);
  // No more than the caller's buffer.
  std::memset(id, 0xEE, sizeof id);
  ASSERT_EQ(link_.ReadIdentityAscii(id, 4), 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(id), 4), "KVR6");
  EXPECT_EQ(id[4], 0xEE);
}

TEST_F(LinkTest, BlockFamilyHasNoAsciiIdentityButAnRtuOne) {
  StartSim(kBlockRecorder);
  OpenLink();
  uint8_t id[16];
  std::memset(id, 0xEE, sizeof id);
  EXPECT_EQ(link_.ReadIdentityAscii(id, sizeof id), 0);
  EXPECT_EQ(id[0], 0xEE);
  EXPECT_NE(Log()[0].find("silent"), std::string::npos);
  ASSERT_EQ(link_.ReadIdentity(id), 10);
  EXPECT_EQ(Log()[1], "rtu 08 41 00 C0 52 -> ok");
  EXPECT_EQ(std::memcmp(id, "KVP6GV1\0\0\0", 10), 0);
  EXPECT_EQ(id[10], 0xEE);
}

TEST_F(LinkTest, ReadClockRetriesWithoutPause) {
  StartSim(With(kBlockRecorder, {"--fault", "drop:count=1"}));
  OpenLink();
  uint8_t stamp[6];
  ASSERT_EQ(link_.ReadClock(stamp), 1);
  const uint8_t expected[] = {26, 12, 7, 10, 0, 0};
  EXPECT_EQ(std::memcmp(stamp, expected, 6), 0);
  ASSERT_EQ(Log().size(), 2u);
  EXPECT_EQ(Log()[0], "rtu 08 14 00 FF 02 -> fault drop");
  EXPECT_EQ(Log()[1], "rtu 08 14 00 FF 02 -> ok");
}

TEST_F(LinkTest, ReadBlockByAddressInBothFramings) {
  StartSim(With(kRegisterRecorder, {"--channels", "3"}));
  OpenLink();
  // Four samples before the end of channel 1's ring, then channel 2's ring.
  const uint32_t address = 2 * (1 * 262144 + 262140);
  uint8_t block[260];
  std::memset(block, 0xEE, sizeof block);
  ASSERT_EQ(link_.ReadBlock(address, block, 256, RecorderLink::kRtu), 256);
  EXPECT_EQ(Log()[0], HexFrame({8, 0x13, 0x00, 0x0F, 0xFF, 0xF8}) + " -> ok");
  for (int i = 0; i < 128; ++i) {
    const uint16_t want = i < 4 ? SimRaw(1, 262140 + i) : SimRaw(2, i - 4);
    ASSERT_EQ(block[2 * i] | block[2 * i + 1] << 8, want) << i;
  }
  EXPECT_EQ(block[256], 0xEE);

  // A shorter length takes only that much of the 256-byte reply.
  std::memset(block, 0xEE, sizeof block);
  ASSERT_EQ(link_.ReadBlock(address, block, 10, RecorderLink::kRtu), 10);
  EXPECT_EQ(block[10], 0xEE);

  ASSERT_EQ(link_.ReadBlock(2 * 5, block, 20, RecorderLink::kAscii), 20);
  EXPECT_EQ(Log()[2], "ascii :081300000A14C7 -> ok");
  for (int i = 0; i < 10; ++i) ASSERT_EQ(block[2 * i] | block[2 * i + 1] << 8, SimRaw(0, 5 + i));

  EXPECT_EQ(link_.ReadBlock(0, block, 256, 2), 0);
  EXPECT_EQ(link_.ReadBlock(0x1000000, block, 16, RecorderLink::kAscii), 0);
  EXPECT_EQ(Log().size(), 3u);
}

TEST_F(LinkTest, ReadBlockFailsOnAShortReply) {
  StartSim(With(kRegisterRecorder, {"--fault", "short:fn=0x13"}));
  OpenLink();
  uint8_t block[256];
  std::memset(block, 0xEE, sizeof block);
  EXPECT_EQ(link_.ReadBlock(0, block, 256, RecorderLink::kRtu), 0);
  EXPECT_EQ(block[0], 0xEE);
  EXPECT_EQ(Log().size(), 1u);  // no retry
}

TEST_F(LinkTest, ReadRecordsAtAsksByTimeAndKeepsToTheBuffer) {
  StartSim(With(kBlockRecorder, {"--channels", "4", "--interval", "3"}));
  OpenLink();
  const time_t t = LocalTime(2026, 12, 7, 9, 0, 0);
  uint8_t records[32];
  std::memset(records, 0xEE, sizeof records);
  ASSERT_EQ(link_.ReadRecordsAt(t, 3, 4, records, sizeof records), 24);
  EXPECT_EQ(Log()[0], HexFrame({8, 0x13, 26, 12, 7, 9, 0, 0, 3, 4}) + " -> ok");
  for (int i = 0; i < 3; ++i)
    for (int m = 0; m < 4; ++m) {
      const int at = 2 * (4 * i + m);
      ASSERT_EQ(records[at] | records[at + 1] << 8,
                SimRaw(m, static_cast<uint64_t>(t) + 10 * static_cast<uint64_t>(i)))
          << i << " " << m;
    }
  EXPECT_EQ(records[24], 0xEE);

  std::memset(records, 0xEE, sizeof records);
  ASSERT_EQ(link_.ReadRecordsAt(t, 3, 4, records, 10), 10);
  EXPECT_EQ(records[10], 0xEE);
}

TEST_F(LinkTest, ReadRecordsAtFailsWhenRecordsAreMissing) {
  StartSim(With(kBlockRecorder, {"--fault", "short:fn=0x13,bytes=2"}));
  OpenLink();
  uint8_t records[64];
  std::memset(records, 0xEE, sizeof records);
  EXPECT_EQ(link_.ReadRecordsAt(LocalTime(2026, 12, 7, 9, 0, 0), 2, 8, records, sizeof records), 0);
  EXPECT_EQ(records[0], 0xEE);
}

TEST_F(LinkTest, ClosedLinkFailsAndOpenFailureSaysWhy) {
  RecorderLink link;
  uint8_t buffer[16];
  EXPECT_EQ(link.IsOpen(), 0);
  EXPECT_EQ(link.ReadRegisters(0, 4, buffer), 0);
  EXPECT_EQ(link.ReadRegistersAscii(0, 4, buffer), 0);
  EXPECT_EQ(link.ReadBytes(0, 4, buffer), 0);
  EXPECT_EQ(link.ReadRecordsAt(time(nullptr), 1, 1, buffer, 16), 0);
  EXPECT_EQ(link.ReadBlock(0, buffer, 16, RecorderLink::kRtu), 0);
  EXPECT_EQ(link.ReadIdentity(buffer), 0);
  EXPECT_EQ(link.ReadClock(buffer), 0);

  _tagComParam p = testenv::ComParamFor("ttyRECVIEW-none");
  EXPECT_EQ(link.Open(p), 0);
  EXPECT_EQ(link.IsOpen(), 0);
  EXPECT_NE(link.Port().LastError().find("/dev/ttyRECVIEW-none"), std::string::npos);
  link.Close();
  EXPECT_EQ(link.IsOpen(), 0);
}

TEST_F(LinkTest, OpenCopiesTheSettingsAndCloseReleasesThePort) {
  StartSim(kBlockRecorder);
  OpenLink(5);
  EXPECT_EQ(link_.IsOpen(), 1);
  EXPECT_EQ(link_.Param().ReadDefaultErrorTimes, 5);
  EXPECT_EQ(std::string(link_.Param().ComPort), sim_.device());
  RecorderLink other;
  EXPECT_EQ(other.Open(testenv::ComParamFor(sim_.device())), 0);
  link_.Close();
  EXPECT_EQ(link_.IsOpen(), 0);
  EXPECT_EQ(other.Open(testenv::ComParamFor(sim_.device())), 1);
}

TEST_F(LinkTest, OtherStationsAreNotAnswered) {
  StartSim(With(kBlockRecorder, {"--station", "9"}));
  OpenLink();
  uint8_t buffer[4];
  EXPECT_EQ(link_.ReadBytes(0xC000, 1, buffer), 0);
  ASSERT_EQ(Log().size(), 2u);
  EXPECT_NE(Log()[0].find("silent (other station)"), std::string::npos);
}

// A pause inside a reply ends it when it is longer than the interval
// time-out, which scales with the baud rate.
TEST_F(LinkTest, SilenceInsideAReplyEndsItAtTheScaledIntervalTimeOut) {
  StartSim(With(kBlockRecorder, {"--fault", "gap:fn=0x16,bytes=6,ms=200,count=1", "--fault",
                                 "gap:fn=0x16,bytes=6,ms=400"}));
  uint8_t buffer[17];
  OpenLink(1, 9600);  // 120 ms
  EXPECT_EQ(link_.ReadBytes(0xC002, 17, buffer), 1);
  link_.Close();
  OpenLink(1, 57600);  // 20 ms
  EXPECT_EQ(link_.ReadBytes(0xC002, 17, buffer), 0);
}

}  // namespace

namespace {

double MsSince(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

// The recorders rely on the pauses between requests: only lower bounds are
// checked here (how close the link comes to them is for the benchmark).
TEST_F(LinkTest, PausesOfTheProtocolAreKept) {
  StartSim(With(kBlockRecorder, {"--fault", "drop:fn=0x03", "--fault", "drop:fn=0x13"}));
  OpenLink(2);
  uint8_t buffer[256];
  // First-read time-out at 57600 baud: 5 x 5 + 20 ms.
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(link_.ReadRegisters(0, 4, buffer), 0);
  EXPECT_GE(MsSince(t0), 2 * (150 + 45) + 200);  // 200 ms between attempts

  t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(link_.ReadBytes(0xC000, 1, buffer), 1);
  EXPECT_GE(MsSince(t0), 150 + 50 + 50);

  t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(link_.ReadClock(buffer), 1);
  EXPECT_GE(MsSince(t0), 150 + 50 + 50);

  t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(link_.ReadBlock(0, buffer, 256, RecorderLink::kRtu), 0);
  EXPECT_GE(MsSince(t0), 50 + 45 + 100);  // 100 ms after no reply at all
}

}  // namespace

namespace {

// Every operation of the fast exchange reads what the settle time reads, in
// both framings and both families; a request that goes unanswered either
// way (the block family's ASCII identity) is no reason to fall back.
TEST_F(LinkTest, FastExchangeReadsTheSameAsTheSettleTime) {
  for (const auto& recorder : {kRegisterRecorder, kBlockRecorder}) {
    StartSim(With(recorder, {"--channels", "3", "--line-rate"}));
    const bool block = recorder == kBlockRecorder;
    std::vector<std::vector<uint8_t>> got[2];
    for (bool fast : {false, true}) {
      OpenLink(1);
      link_.SetFastExchange(fast);
      auto take = [&](int ok, const uint8_t* b, int n) {
        EXPECT_NE(ok, 0) << (fast ? "fast" : "settle") << " read " << got[fast].size();
        got[fast].emplace_back(b, b + n);
      };
      uint8_t b[1024];
      take(link_.ReadIdentity(b), b, 10);
      take(link_.ReadRegisters(0x24, 300, b), b, 300);
      if (block) {
        EXPECT_EQ(link_.ReadIdentityAscii(b, 16), 0);
        take(link_.ReadBytes(0xC048, 80, b), b, 80);
        take(link_.ReadClock(b), b, 6);
        take(link_.ReadRecordsAt(LocalTime(2026, 12, 7, 9, 0, 0), 40, 3, b, sizeof b), b, 240);
      } else {
        take(link_.ReadIdentityAscii(b, 16), b, 10);
        take(link_.ReadRegistersAscii(0x1040, 80, b), b, 80);
        take(link_.ReadBlock(2 * 262140, b, 256, RecorderLink::kRtu), b, 256);
        take(link_.ReadBlock(2 * 5, b, 200, RecorderLink::kAscii), b, 200);
      }
      EXPECT_EQ(link_.FastExchange(), fast);
      EXPECT_FALSE(link_.FallbackNotice());
      link_.Close();
    }
    EXPECT_EQ(got[0], got[1]) << (block ? "block family" : "register family");
    sim_.Stop();
  }
}

// A recorder that needs its settle time before it answers is still read
// fast; one that ignores requests coming too soon after its last reply
// makes the link fall back, once, and say so once; a recorder that does not
// answer at all leaves the fast exchange on.
TEST_F(LinkTest, FastExchangeFallsBackOnceWhenTheRecorderDoesNotKeepUp) {
  struct Case {
    std::vector<std::string> pace;
    bool answers, fellBack;
  };
  const Case cases[] = {{{"--answer-after", "100"}, true, false},
                        {{"--min-gap", "80"}, true, true},
                        {{"--fault", "drop"}, false, false}};
  for (const Case& c : cases) {
    StartSim(With(kBlockRecorder, c.pace));
    OpenLink(1);
    link_.SetFastExchange(true);
    uint8_t b[80];
    int notices = 0;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(link_.ReadBytes(0xC048, 80, b), c.answers ? 1 : 0) << c.pace[0] << " read " << i;
      notices += link_.FallbackNotice() ? 1 : 0;
    }
    EXPECT_EQ(link_.FellBack(), c.fellBack) << c.pace[0];
    EXPECT_EQ(notices, c.fellBack ? 1 : 0) << c.pace[0];
    if (c.fellBack) {
      // The first request went unanswered, its repeat with the settle time
      // was answered, and so were the later ones.
      const std::vector<std::string> log = Log();
      ASSERT_EQ(log.size(), 4u);
      EXPECT_NE(log[0].find("-> ok"), std::string::npos);
      EXPECT_NE(log[1].find("ignored"), std::string::npos);
      // A new session tries fast again.
      link_.Close();
      OpenLink(1);
      EXPECT_TRUE(link_.FastExchange());
    }
    link_.Close();
    sim_.Stop();
  }
}

}  // namespace
