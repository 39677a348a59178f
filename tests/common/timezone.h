#pragma once
// Local time of another zone (e.g. "Europe/Berlin") for the test process and
// the programs it starts, until the object goes.
#include <cstdlib>
#include <ctime>
#include <string>

namespace testenv {

class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    if (const char* tz = std::getenv("TZ")) old_ = tz;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~ScopedTimeZone() {
    ::setenv("TZ", old_.c_str(), 1);
    ::tzset();
  }
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  std::string old_;
};

}  // namespace testenv
