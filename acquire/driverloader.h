#pragma once
// Binding a driver plug-in: the driver name of a recorder and the loading of
// "IO_Device/<name>/<name>.so" from the program directory. No Qt.
#include <string>
#include <string_view>

#include "drivers/devicedriver.h"
#include "platform/ui/stringids.h"

namespace acquire {

// The driver name of a model string as the recorder reports it (up to its
// first NUL): characters 2-5 followed by character 6, e.g. "KVP6GV1" gives
// "P6GV1". The stand-alone models "KVR3M", "KVR5M", "KVR6M" and "KVR7M" are
// served by the driver of "KVR6GV1000". Empty when the model is too short to
// name a driver.
std::string DriverNameOfModel(std::string_view model);

// The path of a driver's library: ProgramDir() + "IO_Device/<name>/<name>.so".
std::string DriverPath(const std::string& name);

// The message a program shows when LoadDriver gives null.
inline constexpr int kDriverNotLoadedMessage = IDS_NO_DRIVER;

// Loads the driver plug-in of this name from the program directory (never
// from the current directory), checks with GetDeviceInterface that it was
// built for this program (interface version and sizes of the shared
// structures), asks it for its device object with GetDevice and stores that
// in *device. Returns the library handle, to be given to FreeDriver when live
// recording ends. Null when there is no such plug-in: an empty name or one
// that is not letters and digits, a missing or broken library, a library
// without GetDevice, or one from another build (without GetDeviceInterface
// or with other values); a library that was opened is unloaded again, and a
// plug-in from another build is never asked for its device. A refused
// plug-in is also reported on standard error, naming the file. On null,
// *device is null and *error (when given) says what went wrong; the caller
// shows message kDriverNotLoadedMessage.
void* LoadDriver(const std::string& name, DeviceDriver** device, std::string* error = nullptr);

// Unloads a library from LoadDriver (null is ignored). Its device object is
// gone afterwards.
void FreeDriver(void* handle);

}  // namespace acquire
