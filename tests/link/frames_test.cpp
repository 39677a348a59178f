#include "link/frames.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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
  } table[] = {{1200, 48}, {2400, 24}, {4800, 12},  {9600, 6},  {19200, 3},
               {38400, 2}, {57600, 1}, {115200, 1}, {14400, 1}, {0, 1}};
  for (const auto& row : table) EXPECT_EQ(SerialPort::BaudFactor(row.baud), row.factor) << row.baud;
}

}  // namespace

namespace {

std::vector<uint8_t> Bytes(const std::string& s) {
  return std::vector<uint8_t>(s.begin(), s.end());
}

TEST(ReplyChecks, RtuReplyNeedsStationFunctionAndCrc) {
  const uint8_t request[] = {0x08, 0x16, 0xC0, 0x00, 0x00, 0x01};
  std::vector<uint8_t> reply = {0x08, 0x16, 0x01, 0x2A};
  const uint16_t crc = reclink::Crc16(reply.data(), reply.size());
  reply.push_back(static_cast<uint8_t>(crc & 0xFF));
  reply.push_back(static_cast<uint8_t>(crc >> 8));
  uint16_t check = 0;
  EXPECT_TRUE(reclink::CheckRtuReply(request, reply.data(), 6, &check));
  EXPECT_EQ(check, crc);
  EXPECT_FALSE(reclink::CheckRtuReply(request, reply.data(), 4, nullptr));  // no reply
  std::vector<uint8_t> bad = reply;
  bad[3] ^= 0x01;
  EXPECT_FALSE(reclink::CheckRtuReply(request, bad.data(), 6, nullptr));
  // An exception reply with a good CRC is still the wrong function.
  std::vector<uint8_t> exception = {0x08, 0x96, 0x02};
  const uint16_t c2 = reclink::Crc16(exception.data(), 3);
  exception.push_back(static_cast<uint8_t>(c2 & 0xFF));
  exception.push_back(static_cast<uint8_t>(c2 >> 8));
  EXPECT_FALSE(reclink::CheckRtuReply(request, exception.data(), 5, nullptr));
}

TEST(ReplyChecks, AsciiReplyDecodesEitherCaseAndChecksTheCount) {
  const uint8_t raw[] = {0x0A, 0x03, 0x00, 0x10, 0x00, 0x02};
  uint8_t data[8] = {};
  int lrc = -1;
  // 0A 03 02 BE EF, LRC = -(0x0A + 0x03 + 0x02 + 0xBE + 0xEF) = 0x44
  std::vector<uint8_t> upper = Bytes(":0A0302BEEF44\r\n");
  EXPECT_EQ(
      reclink::DecodeAsciiReply(raw, upper.data(), static_cast<int>(upper.size()), data, 8, &lrc),
      2);
  EXPECT_EQ(lrc, 0x44);
  EXPECT_EQ(data[0], 0xBE);
  EXPECT_EQ(data[1], 0xEF);
  std::vector<uint8_t> lower = Bytes(":0a0302beef44\r\n");
  EXPECT_EQ(reclink::DecodeAsciiReply(raw, lower.data(), static_cast<int>(lower.size()), data, 8,
                                      nullptr),
            2);
  // Only dataSize bytes are decoded; the count carried is still reported.
  uint8_t one[2] = {0, 0x77};
  EXPECT_EQ(
      reclink::DecodeAsciiReply(raw, upper.data(), static_cast<int>(upper.size()), one, 1, nullptr),
      2);
  EXPECT_EQ(one[1], 0x77);

  const char* broken[] = {
      ":0A0302BEEF44\n",    // no CR LF
      ":0A0302BEEF45\r\n",  // LRC
      ":0A0303BEEF43\r\n",  // count says 3, carries 2
      ":0B0302BEEF43\r\n",  // other station
      ":0A8302BEEFC4\r\n",  // exception bit
      ":0A03F3\r\n",        // too short
      "?0A0302BEEF44\r\n",  // no colon
  };
  for (const char* text : broken) {
    std::vector<uint8_t> b = Bytes(text);
    EXPECT_EQ(
        reclink::DecodeAsciiReply(raw, b.data(), static_cast<int>(b.size()), data, 8, nullptr), -1)
        << text;
  }
}

}  // namespace
