#pragma once
// Progress of a download in the terms a user thinks in: records done of the
// total, the rate and the time left. The worker reports progress as units of
// its own (channel reads, requests); the meter turns them into records, the
// same for the download window and for "rectool download".
#include <algorithm>
#include <cstdint>
#include <string>

namespace acquire {

struct ProgressFigures {
  int64_t done = 0;         // records copied so far
  int64_t total = 0;        // records of the span
  double rate = 0;          // records per second; 0 while nothing is known
  int64_t secondsLeft = -1;  // estimate; -1 while nothing is known
  int Percent() const {
    return total > 0 ? static_cast<int>(100 * std::min(done, total) / total) : 0;
  }
};

class ProgressMeter {
 public:
  // A new run of totalRecords records, beginning at nowMs (any steady clock).
  void Start(int64_t totalRecords, int64_t nowMs);
  // The worker's report: value of maximum units done.
  void Report(int value, int maximum);
  // The figures at nowMs: the rate over the time since Start, the time left
  // at that rate.
  ProgressFigures At(int64_t nowMs) const;
  bool Started() const { return started_; }

 private:
  bool started_ = false;
  int64_t total_ = 0;
  int64_t startMs_ = 0;
  int64_t done_ = 0;
};

// A duration as "m:ss" below an hour, "h:mm:ss" from an hour on.
std::string FormatDuration(int64_t seconds);

// Milliseconds of the steady clock.
int64_t SteadyMs();

}  // namespace acquire
