#include "acquire/driverloader.h"

#include <dlfcn.h>

#include <cctype>

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
