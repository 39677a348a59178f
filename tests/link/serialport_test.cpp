#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/testenv.h"
#include "link/serialport.h"
#include "simproc.h"

namespace {

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sim_.Start({"--model", "KVP6GV1"})) << sim_.error(); }
  int OpenAt(SerialPort& port, uint32_t baud, int parity = 0) {
    return port.Open(sim_.device().c_str(), baud, parity, 20, 20, 5, 50, 5);
  }
  testenv::SimProcess sim_;
};

TEST_F(SerialPortTest, TimeOutsScaleWithTheBaudRate) {
  SerialPort port;
  ASSERT_NE(OpenAt(port, 1200), SerialPort::kInvalidHandle) << port.LastError();
  EXPECT_EQ(port.ReadIntervalTimeout(), 960);
  EXPECT_EQ(port.ReadTotalTimeoutConstant(), 960);
  EXPECT_EQ(port.ReadTotalTimeoutMultiplier(), 5);
  EXPECT_EQ(port.WriteTotalTimeoutConstant(), 2400);
  EXPECT_EQ(port.WriteTotalTimeoutMultiplier(), 5);
  EXPECT_EQ(port.Close(), 1);
  EXPECT_EQ(port.Close(), 0);

  ASSERT_NE(OpenAt(port, 57600), SerialPort::kInvalidHandle);
  EXPECT_EQ(port.ReadIntervalTimeout(), 20);
  EXPECT_EQ(port.ReadTotalTimeoutConstant(), 20);
  EXPECT_EQ(port.WriteTotalTimeoutConstant(), 50);
  port.Close();

  // A rate typed into the settings file that is none of the listed ones.
  ASSERT_NE(OpenAt(port, 14400), SerialPort::kInvalidHandle);
  EXPECT_EQ(port.ReadIntervalTimeout(), 20);
  EXPECT_EQ(port.BaudRate(), 14400u);
  port.Close();

  ASSERT_NE(OpenAt(port, 9600), SerialPort::kInvalidHandle);
  EXPECT_EQ(port.ReadIntervalTimeout(), 120);
  EXPECT_EQ(port.ReadTotalTimeoutConstant(), 120);
  EXPECT_EQ(port.WriteTotalTimeoutConstant(), 300);
}

TEST_F(SerialPortTest, SecondOpenFailsAndLeavesTheFirstUserAlone) {
  SerialPort first, second;
  ASSERT_NE(OpenAt(first, 57600), SerialPort::kInvalidHandle);
  termios before{};
  ASSERT_EQ(tcgetattr(first.Handle(), &before), 0);

  EXPECT_EQ(OpenAt(second, 1200, 2), SerialPort::kInvalidHandle);
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(second.LastErrno(), EBUSY);
  EXPECT_NE(second.LastError().find(sim_.device()), std::string::npos);
  EXPECT_NE(second.LastError().find("in use"), std::string::npos);

  termios after{};
  ASSERT_EQ(tcgetattr(first.Handle(), &after), 0);
  EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
  EXPECT_EQ(first.ReadIntervalTimeout(), 20);

  // Once the first user lets go, the port can be had.
  first.Close();
  EXPECT_NE(OpenAt(second, 57600), SerialPort::kInvalidHandle) << second.LastError();
}

TEST_F(SerialPortTest, OpenIsRawAndKeepsTheParityAsked) {
  SerialPort port;
  // A pseudo-terminal refuses parity; the port is used all the same.
  ASSERT_NE(OpenAt(port, 9600, 2), SerialPort::kInvalidHandle);
  EXPECT_EQ(port.Parity(), 2);
  termios t{};
  ASSERT_EQ(tcgetattr(port.Handle(), &t), 0);
  EXPECT_EQ(t.c_lflag & (ECHO | ICANON), 0u);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & CSTOPB, 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
}

TEST(SerialPortErrors, MissingPortAndNoSerialPortSayWhy) {
  SerialPort port;
  EXPECT_EQ(port.Open("/dev/ttyRECVIEW-none", 9600, 0, 20, 20, 5, 50, 5),
            SerialPort::kInvalidHandle);
  EXPECT_EQ(port.LastErrno(), ENOENT);
  EXPECT_NE(port.LastError().find("/dev/ttyRECVIEW-none"), std::string::npos);
  EXPECT_FALSE(port.IsOpen());
  EXPECT_EQ(port.Write(reinterpret_cast<const uint8_t*>("x"), 1), 0);
  uint8_t buffer[SerialPort::kReceiveLimit];
  EXPECT_EQ(port.Read(buffer, sizeof buffer), 0);

  const std::string file = testenv::Home() + "not-a-port";
  ASSERT_TRUE(testenv::WriteFile(file, "x"));
  EXPECT_EQ(port.Open(file.c_str(), 9600, 0, 20, 20, 5, 50, 5), SerialPort::kInvalidHandle);
  EXPECT_EQ(port.LastErrno(), ENOTTY);
}

TEST(SerialPortErrors, PermissionErrorNamesTheGroup) {
  if (geteuid() == 0) GTEST_SKIP() << "root opens every device";
  testenv::SimProcess sim;
  ASSERT_TRUE(sim.Start({})) << sim.error();
  ASSERT_EQ(chmod(sim.device().c_str(), 0), 0);
  SerialPort port;
  EXPECT_EQ(port.Open(sim.device().c_str(), 9600, 0, 20, 20, 5, 50, 5),
            SerialPort::kInvalidHandle);
  EXPECT_EQ(port.LastErrno(), EACCES);
  EXPECT_NE(port.LastError().find("group"), std::string::npos);
  EXPECT_NE(port.LastError().find("usermod"), std::string::npos);
}

}  // namespace
