#pragma once
// Statistics of a span of a recording: per channel the maximum, minimum,
// mean and relative spread of the values at the instants start, start +
// interval, ... up to end. Shared by the statistics dialog and "rectool
// stats". No Qt.
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>
#include "platform/ui/stringids.h"

class CXFile;

namespace tables {

// The string ids of the span checks, in the order they are made.
constexpr int kStatsStartAfterEnd = IDS_START_AFTER_END;
constexpr int kStatsBeforeFile = IDS_START_BEFORE_FILE;
constexpr int kStatsAfterFile = IDS_END_AFTER_FILE;

// 0 when the span can be computed, else the id of the message that says why.
int CheckStatsSpan(const CXFile& file, time_t start, time_t end);

// The accumulators start from these bounds: a value read replaces them as
// soon as it lies beyond them, and the first value read replaces them in any
// case, so a channel beyond +-200000 still gets its true extremes.
constexpr double kStatsMinSeed = 200000.0;
constexpr double kStatsMaxSeed = -200000.0;

struct ChannelStats {
  double maximum = kStatsMaxSeed;
  double minimum = kStatsMinSeed;
  double sum = 0;
  int64_t read = 0;  // values that could be read

  void Add(double v);
  bool HasValues() const { return read > 0; }
  // The mean over the instants visited (every one of them read, as inside
  // a file they are); over the values read when some could not be.
  double Mean(int64_t instants) const;
};

struct StatsResult {
  time_t start = 0, end = 0;
  int64_t instants = 0;  // span / interval + 1
  std::vector<ChannelStats> channels;
};

// Visits the span; progress(percent 0..100) is called when the percentage
// changes. False (and *result untouched) for a span that fails the checks
// or a file without interval.
bool ComputeStatistics(const CXFile& file, time_t start, time_t end, StatsResult* result,
                       const std::function<void(int percent)>& progress = {});

// "%.2f%%" of 100 x (max - min) / ((max + min) / 2); "----" when max + min
// is 0 (no mid-range value to relate to).
std::string FormatSpread(double maximum, double minimum);

// The texts of one channel's columns: maximum, minimum, mean, spread, each
// "----" when the span held no readable value of the channel.
struct StatsTexts {
  std::string maximum, minimum, mean, spread;
};
StatsTexts FormatStats(const CXFile& file, int ch, const ChannelStats& s, int64_t instants);

}  // namespace tables
