#pragma once
// The serial-link settings record. The settings module keeps it in "XCom.ini"
// (section "ComSet", one key per field, the key named like the field); every
// RecorderLink holds a copy of the record it was opened with. Fixed layout:
// fields in this order, 32-bit little-endian integers, no padding.
#include <cstdint>
#include <cstring>

#pragma pack(push, 1)
namespace recview {
struct _tagComParam {
  // Port name: "COMn" (the n-th serial port, /dev/ttyS<n-1>), a device name
  // under /dev ("ttyUSB0") or a path; NUL-terminated.
  char ComPort[64];
  int32_t Baudrate;                     // bits per second
  int32_t Address;                      // station address; its low byte starts every request
  int32_t ReadIntervalTimeout;          // ms of silence that ends a reply, before baud scaling
  int32_t ReadTotalTimeoutConstant;     // ms, before baud scaling
  int32_t ReadTotalTimeoutMultiplier;   // ms per byte
  int32_t WriteTotalTimeoutConstant;    // ms, before baud scaling
  int32_t WriteTotalTimeoutMultiplier;  // ms per byte
  int32_t ReadDefaultErrorTimes;        // attempts per request chunk before a read fails
  int32_t WriteDefaultErrorTimes;       // carried along; no transfer uses it
  int32_t Parity;                       // 0 none, 1 odd, 2 even
  int32_t Interval;                     // seconds between samples of live recording
};
}  // namespace recview
using recview::_tagComParam;
#pragma pack(pop)

static_assert(sizeof(_tagComParam) == 64 + 11 * 4, "_tagComParam layout");

// The settings a missing "XCom.ini" (or a missing key) stands for.
inline _tagComParam DefaultComParam() {
  _tagComParam p;
  std::memset(&p, 0, sizeof p);
  std::memcpy(p.ComPort, "COM1", 5);
  p.Baudrate = 9600;
  p.Address = 8;
  p.ReadIntervalTimeout = 20;
  p.ReadTotalTimeoutConstant = 20;
  p.ReadTotalTimeoutMultiplier = 5;
  p.WriteTotalTimeoutConstant = 50;
  p.WriteTotalTimeoutMultiplier = 5;
  p.ReadDefaultErrorTimes = 2;
  p.WriteDefaultErrorTimes = 3;
  p.Parity = 0;
  p.Interval = 1;
  return p;
}
