// The serial settings file: defaults, the written text and its order, the
// reading rules, and what happens when the file cannot be written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "common/testenv.h"
#include "platform/profile.h"
#include "portcfg/xcom.h"

namespace {

std::string IniPath() { return testenv::Home() + "XCom.ini"; }

class XComTest : public ::testing::Test {
 protected:
  void SetUp() override { std::remove(IniPath().c_str()); }
};

_tagComParam Sample() {
  _tagComParam p;
  std::memset(&p, 0, sizeof(p));
  std::strcpy(p.ComPort, "/dev/ttyUSB1");
  p.Baudrate = 19200;
  p.Address = 17;
  p.ReadIntervalTimeout = 31;
  p.ReadTotalTimeoutConstant = 32;
  p.ReadTotalTimeoutMultiplier = 33;
  p.WriteTotalTimeoutConstant = 34;
  p.WriteTotalTimeoutMultiplier = 35;
  p.ReadDefaultErrorTimes = 4;
  p.WriteDefaultErrorTimes = 6;
  p.Parity = 2;
  p.Interval = 15;
  return p;
}

void ExpectSame(const _tagComParam& a, const _tagComParam& b) {
  EXPECT_STREQ(a.ComPort, b.ComPort);
  EXPECT_EQ(a.Baudrate, b.Baudrate);
  EXPECT_EQ(a.Address, b.Address);
  EXPECT_EQ(a.ReadIntervalTimeout, b.ReadIntervalTimeout);
  EXPECT_EQ(a.ReadTotalTimeoutConstant, b.ReadTotalTimeoutConstant);
  EXPECT_EQ(a.ReadTotalTimeoutMultiplier, b.ReadTotalTimeoutMultiplier);
  EXPECT_EQ(a.WriteTotalTimeoutConstant, b.WriteTotalTimeoutConstant);
  EXPECT_EQ(a.WriteTotalTimeoutMultiplier, b.WriteTotalTimeoutMultiplier);
  EXPECT_EQ(a.ReadDefaultErrorTimes, b.ReadDefaultErrorTimes);
  EXPECT_EQ(a.WriteDefaultErrorTimes, b.WriteDefaultErrorTimes);
  EXPECT_EQ(a.Parity, b.Parity);
  EXPECT_EQ(a.Interval, b.Interval);
}

TEST_F(XComTest, NoFileGivesTheDefaults) {
  _tagComParam p;
  std::memset(&p, 0x5A, sizeof(p));
  CXCom().GetComm(&p);
  EXPECT_STREQ(p.ComPort, "COM1");
  for (size_t i = 5; i < sizeof(p.ComPort); ++i) EXPECT_EQ(p.ComPort[i], 0) << i;
  EXPECT_EQ(p.Baudrate, 9600);
  EXPECT_EQ(p.Address, 8);
  EXPECT_EQ(p.Parity, 0);
  EXPECT_EQ(p.Interval, 1);
  EXPECT_EQ(p.ReadIntervalTimeout, 20);
  EXPECT_EQ(p.ReadTotalTimeoutConstant, 20);
  EXPECT_EQ(p.ReadTotalTimeoutMultiplier, 5);
  EXPECT_EQ(p.WriteTotalTimeoutConstant, 50);
  EXPECT_EQ(p.WriteTotalTimeoutMultiplier, 5);
  EXPECT_EQ(p.ReadDefaultErrorTimes, 2);
  EXPECT_EQ(p.WriteDefaultErrorTimes, 3);
  CXCom().GetComm(nullptr);  // nothing to fill, nothing happens
}

TEST_F(XComTest, WritesTwelveKeysInOrderAsDecimalTextAndReadsThemBack) {
  _tagComParam p = Sample();
  ASSERT_TRUE(CXCom().SetComm(&p));
  EXPECT_EQ(testenv::ReadFile(IniPath()),
            "[ComSet]\n"
            "ComPort=/dev/ttyUSB1\n"
            "Address=17\n"
            "Baudrate=19200\n"
            "Parity=2\n"
            "Interval=15\n"
            "ReadIntervalTimeout=31\n"
            "ReadTotalTimeoutConstant=32\n"
            "ReadTotalTimeoutMultiplier=33\n"
            "WriteTotalTimeoutConstant=34\n"
            "WriteTotalTimeoutMultiplier=35\n"
            "ReadDefaultErrorTimes=4\n"
            "WriteDefaultErrorTimes=6\n");
  _tagComParam back;
  CXCom().GetComm(&back);
  ExpectSame(back, p);

  // A second write replaces the values in place and keeps other sections.
  platform::WritePrivateProfileString("Other", "Key", "kept", IniPath());
  p.Baudrate = 57600;
  p.Address = -3;
  ASSERT_TRUE(CXCom().SetComm(&p));
  CXCom().GetComm(&back);
  ExpectSame(back, p);
  EXPECT_EQ(platform::GetPrivateProfileString("Other", "Key", "", IniPath()), "kept");
}

TEST_F(XComTest, PortNamesUpTo63BytesSurviveAndLongerOnesAreCut) {
  _tagComParam p = Sample();
  const std::string longest =
      "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZ3WXY-if00-port0";
  ASSERT_EQ(longest.size(), 63u);
  std::strcpy(p.ComPort, longest.c_str());
  ASSERT_TRUE(CXCom().SetComm(&p));
  _tagComParam back;
  CXCom().GetComm(&back);
  EXPECT_EQ(std::string(back.ComPort), longest);

  // Written elsewhere: 62 ASCII bytes and a three-byte character do not fit;
  // the character is left out whole.
  testenv::WriteFile(IniPath(), "[ComSet]\nComPort=" + std::string(62, 'a') + "\xE4\xB8\xB2" + "\n");
  CXCom().GetComm(&back);
  EXPECT_EQ(std::string(back.ComPort), std::string(62, 'a'));
}

TEST_F(XComTest, NumbersAreReadFromTheirLeadingDigits) {
  testenv::WriteFile(IniPath(),
                     "[comset]\r\n"
                     "comport = COM3\r\n"
                     "BAUDRATE=4800bps\r\n"
                     "Address=none\r\n"
                     "Parity=\r\n"
                     "Interval=  30 s\r\n"
                     "ReadDefaultErrorTimes=-1\r\n");
  _tagComParam p;
  CXCom().GetComm(&p);
  EXPECT_STREQ(p.ComPort, "COM3");
  EXPECT_EQ(p.Baudrate, 4800);
  EXPECT_EQ(p.Address, 0);
  EXPECT_EQ(p.Parity, 0);
  EXPECT_EQ(p.Interval, 30);
  EXPECT_EQ(p.ReadDefaultErrorTimes, -1);
  EXPECT_EQ(p.WriteDefaultErrorTimes, 3);  // missing key: default
}

TEST_F(XComTest, RefusesWhatCannotBeStoredAndReportsWriteFailures) {
  EXPECT_FALSE(CXCom().SetComm(nullptr));
  _tagComParam p = Sample();
  std::strcpy(p.ComPort, "COM1\n[Evil]");
  EXPECT_FALSE(CXCom().SetComm(&p));
  EXPECT_EQ(testenv::ReadFile(IniPath()), "");

  // A name filling all 64 bytes without a terminator is taken as 64 bytes.
  p = Sample();
  std::memset(p.ComPort, 'x', sizeof(p.ComPort));
  ASSERT_TRUE(CXCom().SetComm(&p));
  EXPECT_EQ(platform::GetPrivateProfileString("ComSet", "ComPort", "", IniPath()), std::string(64, 'x'));
  _tagComParam back;
  CXCom().GetComm(&back);
  EXPECT_EQ(std::string(back.ComPort), std::string(63, 'x'));

  // Settings directory that does not exist: the write fails and says so.
  const std::string home = testenv::Home();
  ::setenv("RECVIEW_HOME", (home + "missing/dir/").c_str(), 1);
  p = Sample();
  const bool written = CXCom().SetComm(&p);
  CXCom().GetComm(&back);
  ::setenv("RECVIEW_HOME", home.c_str(), 1);
  EXPECT_FALSE(written);
  EXPECT_EQ(back.Baudrate, 9600);  // nothing there: the defaults
}

}  // namespace
