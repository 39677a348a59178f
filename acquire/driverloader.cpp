#include "acquire/driverloader.h"

#include <dlfcn.h>

#include <cctype>
#include <cstdio>

#include "drivers/driverabi.h"
#include "platform/programdir.h"

namespace acquire {

namespace {

// The models without a driver of their own and the model whose driver they use.
constexpr std::string_view kStandAlone[] = {"KVR3M", "KVR5M", "KVR6M", "KVR7M"};
constexpr std::string_view kStandAloneDriverModel = "KVR6GV1000";

// Driver names are recorder model characters; nothing that could leave the
// plug-in folder (a '/' or "..") gets through.
bool ValidName(const std::string& name) {
  if (name.empty() || name.size() > 64) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

// Empty when the plug-in at handle was built for this program, else what
// differs.
std::string InterfaceMismatch(void* handle) {
  auto query =
      reinterpret_cast<GetDeviceInterfaceFunc>(dlsym(handle, kGetDeviceInterfaceSymbol));
  if (!query) return std::string("the library has no ") + kGetDeviceInterfaceSymbol +
                     " (a plug-in of an older build)";
  const DriverInterface mine = ThisDriverInterface();
  DriverInterface theirs;
  const int32_t known = query(&theirs.version, theirs.sizes, kSharedCount);
  if (theirs.version != mine.version)
    return "built for driver interface " + std::to_string(theirs.version) + ", this program uses " +
           std::to_string(mine.version);
  if (known != kSharedCount || !(theirs == mine)) {
    std::string sizes;
    for (int i = 0; i < kSharedCount; ++i) {
      if (i) sizes += '/';
      sizes += std::to_string(theirs.sizes[i]);
      sizes += ':';
      sizes += std::to_string(mine.sizes[i]);
    }
    return "built with other shared structures (sizes plug-in:program " + sizes + ")";
  }
  return std::string();
}

}  // namespace

std::string DriverNameOfModel(std::string_view model) {
  const size_t nul = model.find('\0');
  if (nul != std::string_view::npos) model = model.substr(0, nul);
  for (std::string_view m : kStandAlone)
    if (model == m) model = kStandAloneDriverModel;
  if (model.size() < 7) return std::string();
  return std::string(model.substr(2, 5));
}

std::string DriverPath(const std::string& name) {
  return platform::ProgramDir() + "IO_Device/" + name + "/" + name + ".so";
}

void* LoadDriver(const std::string& name, DeviceDriver** device, std::string* error) {
  *device = nullptr;
  if (!ValidName(name)) {
    if (error) *error = "\"" + name + "\" is not the name of a driver";
    return nullptr;
  }
  const std::string path = DriverPath(name);
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    if (error) {
      const char* why = dlerror();
      *error = why ? why : path + ": cannot be loaded";
    }
    return nullptr;
  }
  dlerror();
  auto getDevice = reinterpret_cast<GetDeviceFunc>(dlsym(handle, kGetDeviceSymbol));
  if (!getDevice) {
    if (error) *error = path + ": the library has no " + kGetDeviceSymbol;
    dlclose(handle);
    return nullptr;
  }
  const std::string mismatch = InterfaceMismatch(handle);
  if (!mismatch.empty()) {
    std::fprintf(stderr, "recview: driver plug-in %s refused: %s\n", path.c_str(), mismatch.c_str());
    if (error) *error = path + ": " + mismatch;
    dlclose(handle);
    return nullptr;
  }
  getDevice(device);
  if (!*device) {
    if (error) *error = path + ": " + kGetDeviceSymbol + " gave no device";
    dlclose(handle);
    return nullptr;
  }
  return handle;
}

void FreeDriver(void* handle) {
  if (handle) dlclose(handle);
}

}  // namespace acquire
