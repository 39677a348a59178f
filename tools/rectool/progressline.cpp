#include "progressline.h"

#include <unistd.h>

#include <climits>
#include <cstdio>

namespace rectool {

ProgressLine::ProgressLine(std::string what, const char* unit)
    : what_(std::move(what)), unit_(unit), tty_(::isatty(STDERR_FILENO)) {}

ProgressLine::~ProgressLine() {
  if (tty_ && shown_) std::fputc('\n', stderr);
}

void ProgressLine::Count(int64_t total) { meter_.Start(total, acquire::SteadyMs()); }

void ProgressLine::operator()(int64_t value, int64_t maximum) {
  const int64_t now = acquire::SteadyMs();
  if (unit_ && !meter_.Started() && maximum > 0) meter_.Start(maximum, now);
  const int percent = maximum > 0 ? static_cast<int>(100 * value / maximum) : 0;
  // The meter counts in int units; scale larger runs down alike.
  const int64_t scale = maximum > INT_MAX ? maximum / INT_MAX + 1 : 1;
  meter_.Report(static_cast<int>(value / scale), static_cast<int>(maximum / scale));
  const bool last = maximum > 0 && value >= maximum;
  const bool first = !shown_ && value > 0;
  if (tty_) {
    if (!first && !last && percent == percent_ && now - shownMs_ < 1000) return;
    if (!first && !last && now - shownMs_ < 250) return;
  } else {
    if (!first && !last && percent / 10 == percent_ / 10 && now - shownMs_ < 10000) return;
    if (last && lastShown_) return;
  }
  if (!first && !last && value == 0) return;
  percent_ = percent;
  shownMs_ = now;
  shown_ = true;
  lastShown_ = last;
  char head[16];
  std::snprintf(head, sizeof head, "%3d%%", percent);
  std::string text = what_ + ": " + head;
  if (unit_ && meter_.Started()) {
    const acquire::ProgressFigures f = meter_.At(now);
    text += " (" + std::to_string(f.done) + " of " + std::to_string(f.total) + " " + unit_;
    if (f.secondsLeft >= 0) {
      char rate[32];
      std::snprintf(rate, sizeof rate, "%.0f", f.rate);
      text += ", " + std::string(rate) + " " + unit_ + "/s, " + acquire::FormatDuration(f.secondsLeft) + " left";
    }
    text += ")";
  }
  if (tty_) {
    // Clear what a longer line before left behind.
    const size_t width = text.size();
    if (width < width_) text.append(width_ - width, ' ');
    width_ = width;
    std::fprintf(stderr, "\r%s", text.c_str());
  } else {
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  std::fflush(stderr);
}

}  // namespace rectool
