// Cumulative tables: the hourly, eight-hour and daily tables of a file that
// holds a year of totals for 64 channels (the hourly file is 4.5 MB).
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/cxfile.h"
#include "tables/cumtable.h"

namespace {

constexpr int kChannels = 64;

char g_dir[64] = "/tmp/recview-bench-XXXXXX";

const std::string& Dir() {
  static const std::string dir = [] {
    if (!::mkdtemp(g_dir)) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(g_dir, ec);
    });
    return std::string(g_dir) + "/";
  }();
  return dir;
}

// A cumulative file of 2025 in the cumulative layout, period code `period`.
std::string MakeFile(int period) {
  const int seconds = tables::CumPeriodSeconds(tables::CumKindOf(period));
  const int periods = 365 * 86400 / seconds + 1;
  std::string b(192 + 64 * kChannels + size_t(8) * kChannels * periods, '\0');
  std::memcpy(&b[0], "KVP6GV1000P", 11);
  std::memcpy(&b[64], "bench", 5);
  b[96] = char(kChannels);
  b[97] = char(period);
  b[98] = 0;
  b[99] = 2;
  const size_t tb = 128 + 64 * kChannels;
  const uint8_t start[6] = {25, 1, 1, 0, 0, 0}, end[6] = {26, 1, 1, 0, 0, 0};
  std::memcpy(&b[tb], start, 6);
  std::memcpy(&b[tb + 6], end, 6);
  const int32_t cap = periods, last = periods - 1;
  std::memcpy(&b[tb + 0x0C], &last, 4);
  std::memcpy(&b[tb + 0x14], &cap, 4);
  for (int s = 0; s < periods; ++s)
    for (int ch = 0; ch < kChannels; ++ch) {
      const int64_t v = int64_t(ch) * 100000 + s;
      std::memcpy(&b[192 + 64 * kChannels + 8 * (size_t(s) * kChannels + ch)], &v, 8);
    }
  const std::string path = Dir() + "y" + std::to_string(period) + ".kvc";
  std::ofstream(path, std::ios::binary).write(b.data(), std::streamsize(b.size()));
  return path;
}

void BuildTable(benchmark::State& state) {
  CXFile f;
  if (!f.Open(MakeFile(int(state.range(0))))) {
    state.SkipWithError("cannot open the file");
    return;
  }
  size_t rows = 0;
  for (auto _ : state) {
    const tables::CumTable t = tables::BuildCumTable(f, tables::CumFirstTime(f), tables::CumLastTime(f),
                                                     tables::CumTexts());
    rows = t.rows.size();
    benchmark::DoNotOptimize(rows);
  }
  state.counters["rows"] = double(rows);
}
BENCHMARK(BuildTable)->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
