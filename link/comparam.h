#pragma once
// The serial-link settings record. The settings module keeps it in "XCom.ini";
// every RecorderLink holds a copy of the settings it was opened with. The field
// order is fixed; integers are 32-bit little-endian.
#include <cstdint>

struct _tagComParam {
  // Device name: "COMn" stands for /dev/ttyS<n-1>, a name without '/' lies
  // under /dev/, anything else is a path. NUL-terminated.
  char ComPort[64];
  int32_t Baudrate;                     // bits per second
  int32_t Address;                      // station address; its low byte starts every request
  int32_t ReadIntervalTimeout;          // ms between received characters, before baud scaling
  int32_t ReadTotalTimeoutConstant;     // ms, before baud scaling
  int32_t ReadTotalTimeoutMultiplier;   // ms per byte
  int32_t WriteTotalTimeoutConstant;    // ms, before baud scaling
  int32_t WriteTotalTimeoutMultiplier;  // ms per byte
  int32_t ReadDefaultErrorTimes;        // attempts per request chunk
  int32_t WriteDefaultErrorTimes;       // carried along; no transfer uses it
  int32_t Parity;                       // 0 none, 1 odd, 2 even
  int32_t Interval;                     // seconds between samples of live recording
};

static_assert(sizeof(_tagComParam) == 64 + 11 * 4, "_tagComParam has a fixed layout");
