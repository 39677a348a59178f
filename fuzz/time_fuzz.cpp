// libFuzzer target: the TIME arguments of rectool (--from, --to, --window).
// A text that is accepted names an instant whose own text reads back as the
// same instant, on the date that was given.
#include <stdlib.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "data/records.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // A zone that changes its clocks, so that the missing and the doubled hour
  // are met; TZ from the environment wins.
  setenv("TZ", "Europe/Berlin", 0);
  tzset();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An argument ends at the first NUL.
  const std::string text(reinterpret_cast<const char*>(data), strnlen(reinterpret_cast<const char*>(data), size));
  time_t t = 0;
  if (!ParseTime(text, &t)) return 0;
  const std::string shown = FormatTime(t);
  time_t again = 0;
  if (!ParseTime(shown, &again) || again != t) __builtin_trap();
  int y, mo, d, y2, mo2, d2;
  if (std::sscanf(text.c_str(), "%4d-%2d-%2d", &y, &mo, &d) != 3 ||
      std::sscanf(shown.c_str(), "%d-%d-%d", &y2, &mo2, &d2) != 3)
    __builtin_trap();
  // The missing hour of spring may move the time of day, never the day.
  if (y != y2 || mo != mo2 || d != d2) __builtin_trap();
  return 0;
}
