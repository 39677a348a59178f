// recsim itself: its command line, its life cycle and the memory it serves.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <ctime>
#include <thread>
#include <vector>

#include "link/frames.h"
#include "linkfixture.h"
#include "platform/gbk.h"
#include "platform/localtime.h"
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

// A clock that runs faster than real time: an hour a second.
TEST_F(LinkTest, FastClockRunsFromTheTimeGiven) {
  StartSim({"--model", "KVP6GV1", "--clock", "2026-12-07 10:00:00", "--speed", "3600"});
  OpenLink();
  uint8_t first[6], second[6];
  ASSERT_EQ(link_.ReadClock(first), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  ASSERT_EQ(link_.ReadClock(second), 1);
  const time_t a = platform::StampToTime(first), b = platform::StampToTime(second);
  EXPECT_GE(a, platform::LocalTime(2026, 12, 7, 10, 0, 0));
  EXPECT_GE(b - a, 3600);
}

}  // namespace

namespace {

// recsim's own output (stdout and stderr) and exit status for a command line.
int RunRecsim(const std::string& args, std::string* output) {
  const std::string command = testenv::BinDir() + "recsim " + args + " --stop-after 0 2>&1";
  FILE* p = ::popen(command.c_str(), "r");
  if (!p) return -1;
  char buf[512];
  output->clear();
  while (size_t n = std::fread(buf, 1, sizeof buf, p)) output->append(buf, n);
  const int status = ::pclose(p);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

// Numbers are decimal (a leading 0 is not octal), checked for range, and a
// value that does not fit is refused with a message naming its option.
TEST(Recsim, NumbersAreDecimalAndCheckedForRange) {
  struct Case {
    const char* args;
    const char* option;  // null: accepted
  } cases[] = {
      {"--station 010", nullptr},
      {"--channels 08", nullptr},
      {"--seed 18446744073709551615", nullptr},
      {"--stop-after 0.5", nullptr},
      {"--fault exception:fn=0x13,code=0x02", nullptr},
      {"--fault drop:fn=19,ms=2147483647", nullptr},
      {"--speed 60 --jump 300000 --stations 1,2,3", nullptr},
      {"--speed -1", "--speed"},
      {"--jump 0", "--jump"},
      {"--stations 1,,3", "--stations"},
      {"--station 0x10", "--station"},
      {"--station 99999999999999999999", "--station"},
      {"--station ' 8'", "--station"},
      {"--channels +8", "--channels"},
      {"--newest-index -1", "--newest-index"},
      {"--stop-after nan", "--stop-after"},
      {"--stop-after 1e300", "--stop-after"},
      {"--stop-after inf", "--stop-after"},
      {"--stop-after -1", "--stop-after"},
      {"--seed -1", "--seed"},
      {"--seed 18446744073709551616", "--seed"},
      {"--fault drop:ms=4294967296", "ms=4294967296"},
      {"--fault drop:bytes=99999999999999999999", "bytes="},
      {"--fault exception:code=300", "code=300"},
      {"--fault drop:fn=0x113", "fn=0x113"},
      {"--fault drop:skip=010x", "skip=010x"},
  };
  for (const Case& c : cases) {
    std::string out;
    const int code = RunRecsim(c.args, &out);
    if (!c.option) {
      EXPECT_EQ(code, 0) << c.args << ": " << out;
    } else {
      EXPECT_EQ(code, 2) << c.args << ": " << out;
      EXPECT_NE(out.find(c.option), std::string::npos) << c.args << ": " << out;
    }
  }
}

TEST_F(LinkTest, LeadingZeroStationIsDecimal) {
  StartSim({"--model", "KVP6GV1", "--station", "010"});
  OpenLink(2, 57600, 10);
  uint8_t buffer[4];
  EXPECT_EQ(link_.ReadRegisters(0x24, 4, buffer), 1);
}

// A record request for no records or no channels: the eight header bytes
// alone, nothing read past the reply.
TEST_F(LinkTest, RecordRequestForNothingGetsTheHeaderAlone) {
  StartSim({"--model", "KVP6GV1", "--channels", "2", "--clock", "2026-12-07 10:00:00"});
  const int fd = ::open(sim_.device().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  termios tio;
  ASSERT_EQ(::tcgetattr(fd, &tio), 0);
  ::cfmakeraw(&tio);
  ASSERT_EQ(::tcsetattr(fd, TCSANOW, &tio), 0);
  const uint8_t cases[][2] = {{0, 2}, {3, 0}, {0, 0}};
  for (const auto& counts : cases) {
    uint8_t request[12] = {8, 0x13, 26, 12, 7, 9, 0, 0, counts[0], counts[1]};
    const uint16_t crc = reclink::Crc16(request, 10);
    request[10] = static_cast<uint8_t>(crc & 0xFF);
    request[11] = static_cast<uint8_t>(crc >> 8);
    ASSERT_EQ(::write(fd, request, 12), 12);
    std::vector<uint8_t> reply;
    pollfd pfd{fd, POLLIN, 0};
    while (reply.size() < 12 && ::poll(&pfd, 1, 3000) > 0) {
      uint8_t buf[64];
      const ssize_t n = ::read(fd, buf, sizeof buf);
      if (n <= 0) break;
      reply.insert(reply.end(), buf, buf + n);
    }
    ASSERT_EQ(reply.size(), 12u);
    EXPECT_EQ(std::memcmp(reply.data(), request, 10), 0);
    EXPECT_EQ(reclink::Crc16(reply.data(), 10), reply[10] | reply[11] << 8);
  }
  ::close(fd);
  // Still serving.
  OpenLink();
  uint8_t buffer[4];
  EXPECT_EQ(link_.ReadRegisters(0x24, 4, buffer), 1);
}
