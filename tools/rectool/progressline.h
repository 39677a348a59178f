#pragma once
// Progress on standard error, the same for every command that works a while
// (download, record set-up, export, print): on a terminal one line that is
// rewritten (at most a few times a second, at least once a second while the
// work moves), otherwise plain lines (the first step, then every tenth of the
// work or every 10 s, and the end), so a log stays readable.
#include <cstdint>
#include <string>

#include "acquire/downloadprogress.h"

namespace rectool {

class ProgressLine {
 public:
  // what: the work ("downloading", "exporting x.xlsx"); unit: what is counted
  // ("records", "rows", "pages"), shown with the count, the rate and the time
  // left; null for a bare percentage.
  explicit ProgressLine(std::string what, const char* unit = nullptr);
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // The run that follows counts `total` units while the reports come in units
  // of the work's own (a download reports requests but counts records).
  // Without it the reports themselves are counted.
  void Count(int64_t total);
  // value of maximum done.
  void operator()(int64_t value, int64_t maximum);

 private:
  std::string what_;
  const char* unit_;
  bool tty_;
  bool shown_ = false;
  bool lastShown_ = false;
  int percent_ = -1;
  int64_t shownMs_ = 0;
  size_t width_ = 0;
  acquire::ProgressMeter meter_;
};

}  // namespace rectool
