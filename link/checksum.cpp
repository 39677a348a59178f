#include "link/checksum.h"

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

}  // namespace reclink
