#include "link/frames.h"

#include <utility>

namespace reclink {

uint16_t Crc16(const uint8_t* bytes, size_t n) {
  uint16_t crc = 0xFFFF;
  for (size_t i = 0; i < n; ++i) {
    crc ^= bytes[i];
    for (int bit = 0; bit < 8; ++bit) {
      if (crc & 1)
        crc = static_cast<uint16_t>((crc >> 1) ^ 0xA001);
      else
        crc = static_cast<uint16_t>(crc >> 1);
    }
  }
  return crc;
}

uint8_t Lrc(const uint8_t* bytes, size_t n) {
  uint8_t sum = 0;
  for (size_t i = 0; i < n; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
  return static_cast<uint8_t>(-sum);
}

char HexDigit(unsigned nibble) {
  nibble &= 0x0F;
  return static_cast<char>(nibble < 10 ? '0' + nibble : 'A' + nibble - 10);
}

unsigned HexValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
  if (c >= 'A' && c <= 'Z') return static_cast<unsigned>(c - 55);
  if (c >= 'a' && c <= 'z') return static_cast<unsigned>(c - 87);
  return 0;
}

uint8_t HexByte(char high, char low) {
  return static_cast<uint8_t>((HexValue(high) << 4) + HexValue(low));
}

size_t EncodeAsciiFrame(const uint8_t* raw, size_t n, char* out, bool lowerCase) {
  auto digit = [lowerCase](unsigned nibble) {
    char c = HexDigit(nibble);
    if (lowerCase && c >= 'A' && c <= 'F') c = static_cast<char>(c + ('a' - 'A'));
    return c;
  };
  size_t k = 0;
  out[k++] = ':';
  for (size_t i = 0; i < n; ++i) {
    out[k++] = digit(raw[i] >> 4);
    out[k++] = digit(raw[i]);
  }
  uint8_t lrc = Lrc(raw, n);
  out[k++] = digit(lrc >> 4);
  out[k++] = digit(lrc);
  out[k++] = '\r';
  out[k++] = '\n';
  return k;
}

bool CheckRtuReply(const uint8_t* request, const uint8_t* reply, int n, uint16_t* check) {
  if (n < 5) return false;
  const uint16_t crc = Crc16(reply, static_cast<size_t>(n - 2));
  if (check) *check = crc;
  if (reply[0] != request[0] || reply[1] != request[1]) return false;
  return reply[n - 2] == (crc & 0xFF) && reply[n - 1] == (crc >> 8);
}

int DecodeAsciiReply(const uint8_t* raw, const uint8_t* reply, int n, uint8_t* data, int dataSize,
                     int* lrcOut) {
  // ':' AA FF CC (data pairs) LRC CR LF
  if (n < 11 || (n & 1) == 0) return -1;
  auto ch = [reply](int i) { return static_cast<char>(reply[i]); };
  if (ch(0) != ':' || ch(n - 2) != '\r' || ch(n - 1) != '\n') return -1;
  if (HexByte(ch(1), ch(2)) != raw[0] || HexByte(ch(3), ch(4)) != raw[1]) return -1;
  uint8_t sum = 0;
  for (int i = 1; i + 1 <= n - 5; i += 2)
    sum = static_cast<uint8_t>(sum + HexByte(ch(i), ch(i + 1)));
  const uint8_t lrc = static_cast<uint8_t>(-sum);
  if (lrcOut) *lrcOut = lrc;
  if (HexByte(ch(n - 4), ch(n - 3)) != lrc) return -1;
  const int carried = (n - 11) / 2;
  if (carried == 0 || HexByte(ch(5), ch(6)) != (carried & 0xFF)) return -1;
  const int copy = carried < dataSize ? carried : dataSize;
  for (int k = 0; k < copy; ++k) data[k] = HexByte(ch(7 + 2 * k), ch(8 + 2 * k));
  return carried;
}

void SwapRegisters(uint8_t* bytes, size_t n) {
  for (size_t i = 0; i + 1 < n; i += 2) std::swap(bytes[i], bytes[i + 1]);
}

uint32_t Le32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace reclink
