// A driver plug-in as another build of the program would make it: the
// companion export reports another interface version (OTHER_VERSION), other
// sizes of the shared structures (OTHER_LINK_SIZE), or is missing altogether
// (NO_INTERFACE, a plug-in from before the check). The loader must refuse it
// before it ever asks for the device: GetDevice here ends the process.
#include <cstdint>
#include <cstdlib>

#include "drivers/driverabi.h"

extern "C" __attribute__((visibility("default"))) DeviceDriver** GetDevice(DeviceDriver**) {
  std::abort();
}

#ifndef NO_INTERFACE
extern "C" __attribute__((visibility("default"))) int32_t GetDeviceInterface(int32_t* version,
                                                                           int32_t* sizes,
                                                                           int32_t count) {
  DriverInterface d = ThisDriverInterface();
#ifdef OTHER_VERSION
  d.version += OTHER_VERSION;
#endif
#ifdef OTHER_LINK_SIZE
  d.sizes[kSharedRecorderLink] += OTHER_LINK_SIZE;
#endif
  if (version) *version = d.version;
  for (int32_t n = 0; sizes && n < count && n < kSharedCount; ++n) sizes[n] = d.sizes[n];
  return kSharedCount;
}
#endif
