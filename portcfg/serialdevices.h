#pragma once
// The serial devices present on this machine, for the port box of the settings
// window. No Qt.
#include <string>
#include <vector>

namespace portcfg {

// Full paths of /dev/ttyS*, /dev/ttyUSB*, /dev/ttyACM* and the stable names under
// /dev/serial/by-id/, sorted naturally (ttyS2 before ttyS10). A ttyS port that
// the kernel reports as absent (its "type" under /sys/class/tty/ is 0) is left
// out. The roots are parameters so that tests can use a directory of their own.
std::vector<std::string> ListSerialDevices(const std::string& devRoot = "/dev/",
                                           const std::string& sysRoot = "/sys/class/tty/");

}  // namespace portcfg
