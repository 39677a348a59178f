#include "serialopts.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "portcfg/xcom.h"

namespace rectool {

int SerialSettings(const Options& opt, const char* command, _tagComParam* param) {
  CXCom().GetComm(param);
  if (opt.Has("port")) {
    const std::string port = opt.Value("port");
    if (port.empty() || port.size() >= sizeof param->ComPort)
      return Usage(command, "--port needs a port name of 1 to 63 characters");
    std::memset(param->ComPort, 0, sizeof param->ComPort);
    std::memcpy(param->ComPort, port.data(), port.size());
  }
  long long number = 0;
  if (opt.Has("baud")) {
    if (!ParseWhole(opt.Value("baud"), 1, 4000000, &number))
      return Usage(command, "--baud needs a speed in bits per second, such as 9600");
    param->Baudrate = static_cast<int32_t>(number);
  }
  if (opt.Has("address")) {
    if (!ParseWhole(opt.Value("address"), 0, 255, &number))
      return Usage(command, "--address needs a station address from 0 to 255");
    param->Address = static_cast<int32_t>(number);
  }
  if (opt.Has("interval")) {
    if (!ParseWhole(opt.Value("interval"), 1, 86400, &number))
      return Usage(command, "--interval needs the seconds between records, 1 to 86400");
    param->Interval = static_cast<int32_t>(number);
  }
  return 0;
}

bool FastExchange(const Options& opt) { return opt.Has("fast") || CXCom().GetFastExchange(); }

void NoteFallback() {
  // On a terminal the progress line is rewritten in place: start a new one.
  std::fprintf(stderr, "%s", ::isatty(STDERR_FILENO) ? "\n" : "");
  std::fprintf(stderr,
               "the recorder did not keep up with the fast exchange; going on with the "
               "settle time (slower). Leave out --fast for this recorder (and clear "
               "\"FastExchange\" in XCom.ini).\n");
}

std::string Where(const _tagComParam& p) {
  return std::string(p.ComPort) + " (" + std::to_string(p.Baudrate) + " baud, station " +
         std::to_string(p.Address & 0xFF) + ")";
}

}  // namespace rectool
