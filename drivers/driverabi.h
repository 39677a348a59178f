#pragma once
// What a driver plug-in and the program that loads it must agree on. A
// plug-in runs its own copy of the link code on the program's RecorderLink
// (a class with a std::string inside) and answers through the DeviceDriver
// table: a plug-in from another build could corrupt the program's memory. So
// every plug-in exports, beside GetDevice, the companion GetDeviceInterface,
// which tells the interface version and the sizes of the shared structures
// as the plug-in was built; the loader compares them with its own before it
// asks for the device object, and refuses a plug-in that differs or does
// not say.
#include <cstdint>

#include "drivers/devicedriver.h"
#include "link/comparam.h"
#include "link/recorderlink.h"
#include "link/serialport.h"

// Raised whenever DeviceDriver, RecorderLink, SerialPort or _tagComParam
// change in a way that the sizes below do not show (order of operations,
// meaning of an argument).
// 2: RecorderLink carries the fast-exchange state in two bytes that were
// padding before (its size is unchanged); a plug-in of version 1 would leave
// them alone, but one of version 2 under an older program would read
// whatever lay there.
inline constexpr int32_t kDriverInterfaceVersion = 2;

// The shared structures, in the order of their sizes in DriverInterface.
enum DriverShared : int {
  kSharedDeviceDriver,
  kSharedRecorderLink,
  kSharedSerialPort,
  kSharedComParam,
  kSharedCount
};

struct DriverInterface {
  int32_t version = 0;
  int32_t sizes[kSharedCount] = {};

  bool operator==(const DriverInterface&) const = default;
};

// The interface of this build.
inline DriverInterface ThisDriverInterface() {
  DriverInterface d;
  d.version = kDriverInterfaceVersion;
  d.sizes[kSharedDeviceDriver] = static_cast<int32_t>(sizeof(DeviceDriver));
  d.sizes[kSharedRecorderLink] = static_cast<int32_t>(sizeof(RecorderLink));
  d.sizes[kSharedSerialPort] = static_cast<int32_t>(sizeof(SerialPort));
  d.sizes[kSharedComParam] = static_cast<int32_t>(sizeof(_tagComParam));
  return d;
}

// The companion export (C linkage). Writes the version into *version and up
// to count sizes, in DriverShared order, into sizes; returns the number of
// sizes the plug-in knows. Only plain integers cross, so that a loader of
// any build can ask any plug-in.
extern "C" {
typedef int32_t (*GetDeviceInterfaceFunc)(int32_t* version, int32_t* sizes, int32_t count);
}
inline constexpr const char* kGetDeviceInterfaceSymbol = "GetDeviceInterface";
