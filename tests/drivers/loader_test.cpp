// Driver names and the refusals of LoadDriver. This test program has a
// program directory of its own (build/tests/loaderdir) whose IO_Device folder
// holds only NoExport, a library without GetDevice, and plug-ins of other
// builds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "acquire/driverloader.h"
#include "common/testenv.h"
#include "platform/programdir.h"

namespace {

using acquire::DriverNameOfModel;
using acquire::LoadDriver;

TEST(DriverName, CharactersTwoToSixOfTheModel) {
  EXPECT_EQ(DriverNameOfModel("KVP6GV1"), "P6GV1");
  EXPECT_EQ(DriverNameOfModel("KVP6GV2"), "P6GV2");
  EXPECT_EQ(DriverNameOfModel("KVP3GV1"), "P3GV1");
  EXPECT_EQ(DriverNameOfModel("KVP5LV1"), "P5LV1");
  EXPECT_EQ(DriverNameOfModel("KVR3GV2"), "R3GV2");
  EXPECT_EQ(DriverNameOfModel("KVR6GV1000"), "R6GV1");
  // The identity as it comes off the wire: 10 bytes, NUL-padded.
  EXPECT_EQ(DriverNameOfModel(std::string_view("KVP5LV1\0\0\0", 10)), "P5LV1");
}

TEST(DriverName, StandAloneModelsUseTheDriverOfKVR6GV1000) {
  for (const char* model : {"KVR3M", "KVR5M", "KVR6M", "KVR7M"})
    EXPECT_EQ(DriverNameOfModel(model), "R6GV1") << model;
  EXPECT_EQ(DriverNameOfModel(std::string_view("KVR6M\0\0\0\0\0", 10)), "R6GV1");
  // Only those four: another short model names no driver.
  EXPECT_EQ(DriverNameOfModel("KVR8M"), "");
  EXPECT_EQ(DriverNameOfModel("KV200"), "");
  EXPECT_EQ(DriverNameOfModel(""), "");
}

TEST(LoadDriver, MissingLibraryGivesNull) {
  DeviceDriver* device = reinterpret_cast<DeviceDriver*>(0x1);
  std::string error;
  EXPECT_EQ(LoadDriver("P9ZZ9", &device, &error), nullptr);
  EXPECT_EQ(device, nullptr);
  EXPECT_NE(error.find("IO_Device/P9ZZ9/P9ZZ9.so"), std::string::npos) << error;
  // The real plug-ins are not in this program directory either.
  EXPECT_EQ(LoadDriver("P6GV1", &device), nullptr);
  EXPECT_EQ(device, nullptr);
}

TEST(LoadDriver, LibraryWithoutGetDeviceGivesNull) {
  ASSERT_TRUE(std::filesystem::exists(platform::ProgramDir() + "IO_Device/NoExport/NoExport.so"));
  DeviceDriver* device = reinterpret_cast<DeviceDriver*>(0x1);
  std::string error;
  EXPECT_EQ(LoadDriver("NoExport", &device, &error), nullptr);
  EXPECT_EQ(device, nullptr);
  EXPECT_NE(error.find("GetDevice"), std::string::npos) << error;
}

struct OtherBuild {
  const char* name;
  const char* why;  // in the error and the log line
};

// Plug-ins built for another program; their GetDevice would end the process.
const OtherBuild kOtherBuilds[] = {
    {"OtherVersion", "driver interface"},
    {"OtherLink", "shared structures"},
    {"NoInterface", "GetDeviceInterface"},
};

TEST(LoadDriver, PluginsOfAnotherBuildAreRefused) {
  for (const OtherBuild& b : kOtherBuilds) {
    const std::string path = platform::ProgramDir() + "IO_Device/" + b.name + "/" + b.name + ".so";
    ASSERT_TRUE(std::filesystem::exists(path)) << path;
    DeviceDriver* device = reinterpret_cast<DeviceDriver*>(0x1);
    std::string error;
    testing::internal::CaptureStderr();
    void* handle = LoadDriver(b.name, &device, &error);
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(handle, nullptr) << b.name;
    EXPECT_EQ(device, nullptr) << b.name;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(b.why), std::string::npos) << error;
    // One line naming the file, for whoever reads the log.
    EXPECT_NE(log.find(path), std::string::npos) << log;
    EXPECT_NE(log.find(b.why), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
  }
  EXPECT_EQ(acquire::kDriverNotLoadedMessage, 61248);
}

TEST(LoadDriver, NamesThatLeaveThePluginFolderAreRefused) {
  DeviceDriver* device = nullptr;
  for (const char* name : {"", "..", "../loaderdir", "NoExport/../NoExport", "P6 GV1", "/tmp/x"}) {
    std::string error;
    EXPECT_EQ(LoadDriver(name, &device, &error), nullptr) << name;
    EXPECT_FALSE(error.empty()) << name;
  }
}

TEST(LoadDriver, NeverFromTheCurrentDirectory) {
  // A working plug-in below the current directory is not taken.
  const std::string dir = testenv::NewDir("cwd");
  std::filesystem::create_directories(dir + "IO_Device/P6GV1");
  std::filesystem::copy_file(std::string(RECVIEW_BIN_DIR) + "/IO_Device/P6GV1/P6GV1.so",
                             dir + "IO_Device/P6GV1/P6GV1.so");
  const std::string before = std::filesystem::current_path();
  ASSERT_EQ(chdir(dir.c_str()), 0);
  DeviceDriver* device = nullptr;
  void* handle = LoadDriver("P6GV1", &device);
  ASSERT_EQ(chdir(before.c_str()), 0);
  EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(device, nullptr);
  acquire::FreeDriver(handle);
}

}  // namespace
