#pragma once
// The recordings the benchmarks measure, written as a download writes them:
// two-byte channels of 0.0 .. 100.0, one curve function for every sample.
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

}  // namespace bench
