#include "tables/statistics.h"

#include <cstdio>

#include "data/cxfile.h"

namespace tables {

int CheckStatsSpan(const CXFile& file, time_t start, time_t end) {
  if (start > end) return kStatsStartAfterEnd;
  if (start < file.GetStartTime()) return kStatsBeforeFile;
  if (end > file.GetEndTime()) return kStatsAfterFile;
  return 0;
}

void ChannelStats::Add(double v) {
  sum += v;
  if (read == 0 || v > maximum) maximum = v;
  if (read == 0 || v < minimum) minimum = v;
  ++read;
}

double ChannelStats::Mean(int64_t instants) const {
  const int64_t n = read < instants ? read : instants;
  return n > 0 ? sum / static_cast<double>(n) : 0.0;
}

bool ComputeStatistics(const CXFile& file, time_t start, time_t end, StatsResult* result,
                       const std::function<void(int percent)>& progress) {
  if (CheckStatsSpan(file, start, end) != 0) return false;
  const int64_t interval = file.GetInterval();
  if (interval <= 0) return false;
  const int n = file.GetChnlCount();
  const int64_t span = static_cast<int64_t>(end) - start;
  StatsResult r;
  r.start = start;
  r.end = end;
  r.instants = span / interval + 1;
  r.channels.assign(static_cast<size_t>(n), ChannelStats{});
  int shown = -1;
  if (progress) {
    progress(0);
    shown = 0;
  }
  for (int64_t k = 0; k < r.instants; ++k) {
    const int64_t off = k * interval;
    if (progress && span > 0) {
      const int percent = static_cast<int>(off * 100 / span);
      if (percent != shown) {
        progress(percent);
        shown = percent;
      }
    }
    const time_t t = static_cast<time_t>(start + off);
    for (int ch = 0; ch < n; ++ch) {
      float v;
      if (file.GetValue(ch, t, &v, nullptr)) r.channels[static_cast<size_t>(ch)].Add(v);
    }
  }
  if (progress && shown != 100) progress(100);
  *result = std::move(r);
  return true;
}

std::string FormatSpread(double maximum, double minimum) {
  const double mid = (maximum + minimum) * 0.5;
  if (mid == 0) return "----";
  char buf[400];  // "%.2f" of any double fits
  std::snprintf(buf, sizeof(buf), "%.2f%%", 100.0 * (maximum - minimum) / mid);
  return buf;
}

StatsTexts FormatStats(const CXFile& file, int ch, const ChannelStats& s, int64_t instants) {
  if (!s.HasValues()) return {"----", "----", "----", "----"};
  return {file.FormatValue(ch, s.maximum), file.FormatValue(ch, s.minimum),
          file.FormatValue(ch, s.Mean(instants)), FormatSpread(s.maximum, s.minimum)};
}

}  // namespace tables
