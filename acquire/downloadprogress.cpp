#include "acquire/downloadprogress.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>

namespace acquire {

void ProgressMeter::Start(int64_t totalRecords, int64_t nowMs) {
  started_ = true;
  total_ = std::max<int64_t>(totalRecords, 0);
  startMs_ = nowMs;
  done_ = 0;
}

void ProgressMeter::Report(int value, int maximum) {
  if (!started_ || maximum <= 0) return;
  const int64_t v = std::clamp<int64_t>(value, 0, maximum);
  // Units are spread evenly over the records (channel reads of a pass,
  // requests of equal size): the records done are their share of the total.
  done_ = std::max(done_, total_ * v / maximum);
}

ProgressFigures ProgressMeter::At(int64_t nowMs) const {
  ProgressFigures f;
  f.total = total_;
  f.done = done_;
  const int64_t elapsed = nowMs - startMs_;
  if (started_ && done_ > 0 && elapsed > 0) {
    f.rate = static_cast<double>(done_) * 1000.0 / static_cast<double>(elapsed);
    f.secondsLeft = static_cast<int64_t>(std::ceil(static_cast<double>(total_ - done_) / f.rate));
  }
  return f;
}

std::string FormatDuration(int64_t seconds) {
  seconds = std::max<int64_t>(seconds, 0);
  char buf[32];
  if (seconds >= 3600)
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
  else
    std::snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(seconds / 60),
                  static_cast<long long>(seconds % 60));
  return buf;
}

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace acquire
