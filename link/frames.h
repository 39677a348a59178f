#pragma once
// Check sums, hexadecimal text, the checks of received replies and the byte
// order of the data of the recorder protocol, shared by the link, its users
// and the recorder simulator.
#include <cstddef>
#include <cstdint>

namespace reclink {

// CRC-16/MODBUS: initial value 0xFFFF, reflected polynomial 0xA001, no final
// XOR. On the wire the low byte comes first.
uint16_t Crc16(const uint8_t* bytes, size_t n);

// The Modbus ASCII LRC: the two's complement of the 8-bit sum of the bytes.
uint8_t Lrc(const uint8_t* bytes, size_t n);

// Upper-case hexadecimal digit of a nibble (0-15).
char HexDigit(unsigned nibble);

// The value a received character stands for: "0"-"9" 0-9, "A"-"Z" the
// character minus 55, "a"-"z" the character minus 87 (so both cases of A-F
// count 10-15); any other character 0.
unsigned HexValue(char c);

// The byte of two received characters: (high << 4) + low, kept to 8 bits.
uint8_t HexByte(char high, char low);

// Writes ':' + two hexadecimal characters per byte + LRC + CR LF into out
// (room for 2 * n + 5 characters). Returns the length, 2 * n + 5.
size_t EncodeAsciiFrame(const uint8_t* raw, size_t n, char* out, bool lowerCase = false);

// Checks an RTU reply of n bytes to a request: at least 5 bytes, the
// request's station address and function code (an exception reply, with bit 7
// of the function set, fails), and a CRC over all bytes but the last two that
// matches them (low byte first). *check receives the CRC computed (when n is
// at least 5).
bool CheckRtuReply(const uint8_t* request, const uint8_t* reply, int n, uint16_t* check);

// Checks an ASCII reply of n characters to the raw request bytes (station,
// function, ...): ':' first, CR LF last, an odd length of at least 11, the
// station and function of the request (digits of either case), a matching LRC
// (*lrc receives the LRC computed, when the reply got that far), and a count byte equal to the low
// byte of the number of data bytes the reply carries. Decodes at most dataSize data bytes into
// data. Returns the number of data bytes carried (at least 1), or -1 when the reply fails a check.
int DecodeAsciiReply(const uint8_t* raw, const uint8_t* reply, int n, uint8_t* data, int dataSize,
                     int* lrc);

// Quantities kept in the recorder's 16-bit registers arrive high byte first
// per register, the register holding the low-order half first: swapping the
// two bytes of every register of bytes[0..n) in place gives little-endian
// words (an odd last byte stays).
void SwapRegisters(uint8_t* bytes, size_t n);

// The 32-bit little-endian quantity at bytes.
uint32_t Le32(const uint8_t* bytes);

}  // namespace reclink
