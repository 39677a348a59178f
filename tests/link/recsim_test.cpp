// recsim itself: its command line, its life cycle and the memory it serves.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <ctime>

#include "linkfixture.h"
#include "platform/gbk.h"
#include "platform/profile.h"

namespace {

std::string Gbk(const char* utf8) { return platform::Utf8ToGbk(utf8); }

TEST(Recsim, LinkPointsToTheDeviceAndGoesAwayOnTerm) {
  const std::string link = testenv::NewDir("recsim") + "port";
  testenv::SimProcess sim;
  ASSERT_TRUE(sim.Start({"--link", link})) << sim.error();
  EXPECT_EQ(sim.device().rfind("/dev/pts/", 0), 0u) << sim.device();
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), sim.device());
  EXPECT_EQ(sim.Stop(), 0);
  struct stat st;
  EXPECT_NE(lstat(link.c_str(), &st), 0);
}

TEST(Recsim, StopsByItselfAfterTheTimeGiven) {
  testenv::SimProcess sim;
  ASSERT_TRUE(sim.Start({"--stop-after", "0.2"})) << sim.error();
  EXPECT_EQ(sim.Wait(5000), 0);
}

TEST(Recsim, BadOptionsAreRefusedWithExitStatus2) {
  for (std::vector<std::string> args : {std::vector<std::string>{"--channels", "65"},
                                        {"--fault", "melt"},
                                        {"--fault", "drop:rate=2"},
                                        {"--clock", "yesterday"},
                                        {"--chan", "9:name=x"},
                                        {"--chan", "0:low=99999"},
                                        {"--model", "XY1"},
                                        {"stray"},
                                        {"--station"}}) {
    testenv::SimProcess sim;
    EXPECT_FALSE(sim.Start(args)) << args[0];
    EXPECT_NE(sim.error().find("exit status 2"), std::string::npos) << sim.error();
  }
}

TEST(Recsim, XcomSettingsGiveTheStationAndReceiveThePort) {
  const std::string dir = testenv::NewDir("xcom");
  const std::string ini = dir + "XCom.ini";
  ASSERT_TRUE(
      testenv::WriteFile(ini, "[ComSet]\r\nComPort=COM1\r\nAddress=12\r\nBaudrate=57600\r\n"));
  testenv::SimProcess sim;
  ASSERT_TRUE(sim.Start({"--xcom", ini, "--link", dir + "demo.tty"})) << sim.error();
  EXPECT_EQ(platform::GetPrivateProfileString("ComSet", "ComPort", "", ini), dir + "demo.tty");
  EXPECT_EQ(platform::GetPrivateProfileInt("ComSet", "Address", 0, ini), 12);

  _tagComParam p = testenv::ComParamFor(dir + "demo.tty");
  p.Address = 12;
  RecorderLink link;
  ASSERT_EQ(link.Open(p), 1) << link.Port().LastError();
  uint8_t station = 0;
  ASSERT_EQ(link.ReadBytes(0xC013, 1, &station), 1);
  EXPECT_EQ(station, 12);
}

TEST_F(LinkTest, RegisterMapOfRowOneWithChannelDefinitions) {
  StartSim({"--model", "KVR8GV2", "--channels", "3", "--interval", "4", "--title", "炉温记录",
            "--chan", "0:name=温度,unit=℃,low=-20.0,high=80.5,l1=1,l2=2,l3=-5.25,l4=70,l5=0.5",
            "--chan", "2:log=-2:3"});
  OpenLink();
  uint8_t b[80];
  ASSERT_EQ(link_.ReadRegistersAscii(0x1024, 1, b), 1);
  EXPECT_EQ(b[0], 3);
  ASSERT_EQ(link_.ReadRegistersAscii(0x1025, 1, b), 1);
  EXPECT_EQ(b[0], 4);
  ASSERT_EQ(link_.ReadRegistersAscii(0x1033, 17, b), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b)), Gbk("炉温记录"));

  ASSERT_EQ(link_.ReadRegistersAscii(0x1050, 80, b), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b)), Gbk("温度"));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 12)), Gbk("℃"));
  const uint8_t ranges[] = {0x38, 0xFF, 1, 0x25, 0x03, 1};  // -200/10, 805/10
  EXPECT_EQ(std::memcmp(b + 34, ranges, 6), 0);
  const uint8_t limits[] = {1, 0, 0, 0xF3, 0xFD, 2, 70, 0, 0, 2, 0, 0, 5, 0, 1};
  EXPECT_EQ(std::memcmp(b + 40, limits, 15), 0);  // limit1, 3, 4, 2, 5
  EXPECT_EQ(b[59], 0);

  ASSERT_EQ(link_.ReadRegistersAscii(0x1050 + 160, 80, b), 1);
  EXPECT_EQ(b[59], 1);
  EXPECT_EQ(b[36], 0xFE);  // rangeLow exponent -2
  EXPECT_EQ(b[39], 0x03);
}

TEST_F(LinkTest, BlockMapLayouts) {
  StartSim({"--model", "KVP6GV1", "--channels", "2", "--chan", "1:unit=Pa,log=-3:2"});
  OpenLink();
  uint8_t b[80];
  ASSERT_EQ(link_.ReadBytes(0xC048 + 80, 80, b), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 1)), Gbk("通道2"));
  EXPECT_STREQ(reinterpret_cast<char*>(b + 17), "Pa");
  EXPECT_EQ(b[34], 1);
  EXPECT_EQ(b[56], 0xFD);
  EXPECT_EQ(b[57], 0x02);
  link_.Close();
  sim_.Stop();

  StartSim({"--model", "KVP5LV1", "--channels", "2", "--chan", "0:low=1.5,high=9"});
  OpenLink();
  ASSERT_EQ(link_.ReadBytes(0xC046, 80, b), 1);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 1)), Gbk("通道1"));
  const uint8_t ranges[] = {15, 0, 1, 9, 0, 0};
  EXPECT_EQ(std::memcmp(b + 34, ranges, 6), 0);
}

TEST_F(LinkTest, CurrentValuesFollowTheSampleFunction) {
  StartSim({"--model", "KVP6GV1", "--channels", "3", "--clock", "2026-12-07 10:00:00", "--chan",
            "1:low=-50,high=150", "--chan", "2:log=-2:3"});
  OpenLink();
  uint8_t b[12];
  ASSERT_EQ(link_.ReadRegisters(0, 12, b), 1);
  struct tm tm {};
  tm.tm_year = 126;
  tm.tm_mon = 11;
  tm.tm_mday = 7;
  tm.tm_hour = 10;
  tm.tm_isdst = -1;
  const uint64_t t = static_cast<uint64_t>(mktime(&tm));
  auto value = [&](int m) {
    // Each register arrives high byte first; swapping gives the float.
    const uint8_t le[4] = {b[4 * m + 1], b[4 * m], b[4 * m + 3], b[4 * m + 2]};
    float f;
    std::memcpy(&f, le, 4);
    return f;
  };
  EXPECT_FLOAT_EQ(value(0), static_cast<float>(100.0 * SimRaw(0, t) / 65535.0));
  EXPECT_FLOAT_EQ(value(1), static_cast<float>(-50 + 200.0 * SimRaw(1, t) / 65535.0));
  EXPECT_FLOAT_EQ(value(2), static_cast<float>(std::pow(10.0, -2 + 5.0 * SimRaw(2, t) / 65535.0)));
}

TEST_F(LinkTest, WallClockMovesTheNewestRecord) {
  StartSim({"--model", "KVP6GV1"});
  OpenLink();
  uint8_t stamp[6];
  const time_t before = time(nullptr);
  ASSERT_EQ(link_.ReadClock(stamp), 1);
  const time_t after = time(nullptr);
  struct tm tm {};
  tm.tm_year = stamp[0] + 100;
  tm.tm_mon = stamp[1] - 1;
  tm.tm_mday = stamp[2];
  tm.tm_hour = stamp[3];
  tm.tm_min = stamp[4];
  tm.tm_sec = stamp[5];
  tm.tm_isdst = -1;
  const time_t newest = mktime(&tm);
  EXPECT_GE(newest, before - 1);
  EXPECT_LE(newest, after);
}

}  // namespace
