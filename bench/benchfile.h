#pragma once
// The recordings the benchmarks measure, written as a download writes them:
// two-byte channels of 0.0 .. 100.0, one curve function for every sample;
// and cumulative files.
#include <functional>
#include <string>

#include "data/records.h"

namespace bench {

struct Recording {
  int records = 1000;
  int channels = 64;
  int interval = 1;
  // Raw count of channel ch at record r.
  std::function<int(int ch, int r)> count;
  // Header details a benchmark wants beyond the common ones.
  std::function<void(_tagDataHead&)> adjust;
};

// Writes the recording at path and returns path; aborts when it cannot (a
// benchmark without its file would measure nothing).
std::string WriteRecording(const std::string& path, const Recording& r);

// The scratch directory of this run (/tmp/recview-bench-*/), removed at exit.
const std::string& ScratchDir();

// A cumulative file (model KVP6GV1, two decimals) of `periods` totals from
// 2025-01-01 00:00 on, period code `period` (0 hourly .. 3 daily); the total
// of channel ch in period s is ch * 100000 + s. Returns path; aborts when it
// cannot write.
std::string WriteCumulative(const std::string& path, int periods, int period, int channels);

}  // namespace bench
