// The options of the clock and of the stations on the line (options.h).
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "options.h"

namespace recsim {

bool IsClockOption(const std::string& arg) {
  return arg == "--speed" || arg == "--jump" || arg == "--stations";
}

bool ParseClockOption(const std::string& arg, const char* v, Options* o, std::string* error) {
  if (arg == "--speed") {
    char* end = nullptr;
    errno = 0;
    const double x = std::strtod(v, &end);
    if (*end || !*v || errno || !std::isfinite(x) || x < 0 || x > 1e7) {
      *error = "--speed needs a factor from 0 to 10000000";
      return false;
    }
    o->recorder.speed = x;
    return true;
  }
  if (arg == "--jump") {
    long n = 0;
    if (!ParseLong(v, 1, 100L * 366 * 86400, &n)) {
      *error = "--jump needs seconds from 1 to 100 years";
      return false;
    }
    o->jump = n;
    return true;
  }
  // --stations
  o->stations.clear();
  std::string list = v;
  size_t from = 0;
  while (from <= list.size()) {
    const size_t comma = std::min(list.find(',', from), list.size());
    long n = 0;
    if (!ParseLong(list.substr(from, comma - from).c_str(), 0, 255, &n)) {
      *error = "--stations needs station addresses 0-255 separated by commas";
      return false;
    }
    o->stations.push_back(static_cast<uint8_t>(n));
    from = comma + 1;
  }
  return true;
}

}  // namespace recsim
