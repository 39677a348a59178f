#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/testenv.h"
#include "portcfg/serialdevices.h"

namespace {

TEST(SerialDevices, ListsPortsPresentInNaturalOrderThenStableNames) {
  const std::string dev = testenv::NewDir("dev"), sys = testenv::NewDir("sys");
  for (const char* n : {"ttyS0", "ttyS1", "ttyS2", "ttyS10", "ttyUSB0", "ttyACM3", "tty", "tty5",
                        "ttySx", "ttyUSB", "null"})
    testenv::WriteFile(dev + n, "");
  ::mkdir((dev + "serial").c_str(), 0755);
  ::mkdir((dev + "serial/by-id").c_str(), 0755);
  testenv::WriteFile(dev + "serial/by-id/usb-FTDI_FT232R-if00-port0", "");
  // ttyS1 has no hardware behind it; ttyS0 has; ttyS2 and ttyS10 say nothing.
  ::mkdir((sys + "ttyS0").c_str(), 0755);
  ::mkdir((sys + "ttyS1").c_str(), 0755);
  testenv::WriteFile(sys + "ttyS0/type", "4\n");
  testenv::WriteFile(sys + "ttyS1/type", "0\n");

  const std::vector<std::string> want = {
      dev + "ttyACM3", dev + "ttyS0", dev + "ttyS2", dev + "ttyS10", dev + "ttyUSB0",
      dev + "serial/by-id/usb-FTDI_FT232R-if00-port0"};
  EXPECT_EQ(portcfg::ListSerialDevices(dev, sys), want);
  // Roots without the trailing slash work the same.
  EXPECT_EQ(portcfg::ListSerialDevices(dev.substr(0, dev.size() - 1), sys.substr(0, sys.size() - 1)),
            want);
  EXPECT_TRUE(portcfg::ListSerialDevices(dev + "nothing/", sys).empty());
}

}  // namespace
