#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "link/checksum.h"
#include "link/serialport.h"

namespace {

TEST(Checksum, Crc16MatchesPublishedModbusValues) {
  const char* check = "123456789";
  EXPECT_EQ(reclink::Crc16(reinterpret_cast<const uint8_t*>(check), 9), 0x4B37);
  // Request frames of the protocol documentation: CRC low byte first.
  const uint8_t read10[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x0A};
  EXPECT_EQ(reclink::Crc16(read10, 6), 0xCDC5);
  const uint8_t read3[] = {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03};
  EXPECT_EQ(reclink::Crc16(read3, 6), 0x8776);
  EXPECT_EQ(reclink::Crc16(nullptr, 0), 0xFFFF);
}

TEST(Checksum, LrcAndAsciiFrame) {
  const uint8_t raw[] = {0x11, 0x03, 0x00, 0x6B, 0x00, 0x03};
  EXPECT_EQ(reclink::Lrc(raw, 6), 0x7E);
  char text[32];
  size_t n = reclink::EncodeAsciiFrame(raw, 6, text);
  EXPECT_EQ(std::string(text, n), ":1103006B00037E\r\n");
  n = reclink::EncodeAsciiFrame(raw, 6, text, true);
  EXPECT_EQ(std::string(text, n), ":1103006b00037e\r\n");
}

TEST(Checksum, HexadecimalRules) {
  EXPECT_EQ(reclink::HexValue('0'), 0u);
  EXPECT_EQ(reclink::HexValue('9'), 9u);
  EXPECT_EQ(reclink::HexValue('A'), 10u);
  EXPECT_EQ(reclink::HexValue('f'), 15u);
  EXPECT_EQ(reclink::HexValue('Z'), 35u);  // letters beyond F count on
  EXPECT_EQ(reclink::HexValue('?'), 0u);
  EXPECT_EQ(reclink::HexByte('a', 'B'), 0xAB);
  EXPECT_EQ(reclink::HexDigit(11), 'B');
}

TEST(SerialPortNames, DevicePaths) {
  EXPECT_EQ(SerialPort::DevicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(SerialPort::DevicePath("COM12"), "/dev/ttyS11");
  EXPECT_EQ(SerialPort::DevicePath("ttyUSB0"), "/dev/ttyUSB0");
  EXPECT_EQ(SerialPort::DevicePath("COMX"), "/dev/COMX");
  EXPECT_EQ(SerialPort::DevicePath("/tmp/recsim.tty"), "/tmp/recsim.tty");
}

TEST(SerialPortNames, BaudFactors) {
  const struct {
    uint32_t baud;
    int factor;
  } table[] = {{1200, 48}, {2400, 24}, {4800, 12}, {9600, 6}, {19200, 3},
               {38400, 2}, {57600, 1}, {115200, 1}, {14400, 1}, {0, 1}};
  for (const auto& row : table) EXPECT_EQ(SerialPort::BaudFactor(row.baud), row.factor) << row.baud;
}

}  // namespace
