#include "link/serialport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/testenv.h"
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

// Runs body in a child process, as an ordinary user when the test runs as
// root (root passes the checks this is about). Returns what body reported.
template <typename Body>
std::string AsOrdinaryUser(Body body) {
  int fds[2];
  if (pipe(fds) != 0) return "pipe failed";
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(1);
    const std::string report = body();
    if (write(fds[1], report.data(), report.size()) < 0) _exit(1);
    _exit(0);
  }
  close(fds[1]);
  std::string report;
  char buffer[512];
  ssize_t n;
  while ((n = read(fds[0], buffer, sizeof buffer)) > 0)
    report.append(buffer, static_cast<size_t>(n));
  close(fds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? report : "child failed";
}

TEST(SerialPortErrors, PermissionErrorNamesTheGroup) {
  testenv::SimProcess sim;
  ASSERT_TRUE(sim.Start({})) << sim.error();
  ASSERT_EQ(chmod(sim.device().c_str(), 0600), 0);
  const std::string report = AsOrdinaryUser([&] {
    SerialPort port;
    const bool failed =
        port.Open(sim.device().c_str(), 9600, 0, 20, 20, 5, 50, 5) == SerialPort::kInvalidHandle;
    return std::to_string(failed ? port.LastErrno() : 0) + " " + port.LastError();
  });
  EXPECT_EQ(report.rfind(std::to_string(EACCES) + " ", 0), 0u) << report;
  EXPECT_NE(report.find(sim.device()), std::string::npos) << report;
  EXPECT_NE(report.find("group \""), std::string::npos) << report;
  EXPECT_NE(report.find("usermod"), std::string::npos) << report;
}

// The exclusive hold ends with the close, also while recsim keeps the line.
TEST(SerialPortErrors, OrdinaryUserCanOpenAgainAfterClose) {
  testenv::SimProcess sim;
  ASSERT_TRUE(sim.Start({})) << sim.error();
  ASSERT_EQ(chmod(sim.device().c_str(), 0666), 0);
  const std::string report = AsOrdinaryUser([&] {
    SerialPort first, second;
    auto open = [&](SerialPort& p) {
      return p.Open(sim.device().c_str(), 57600, 0, 20, 20, 5, 50, 5) != SerialPort::kInvalidHandle
                 ? std::string("open ")
                 : "fail(" + std::to_string(p.LastErrno()) + ") ";
    };
    std::string r = open(first);
    r += open(second);
    first.Close();
    r += open(second);
    return r;
  });
  EXPECT_EQ(report, "open fail(" + std::to_string(EBUSY) + ") open ");
}

}  // namespace
