// Cumulative tables: the hourly, eight-hour and daily tables of a file that
// holds a year of totals for 64 channels (the hourly file is 4.5 MB), held
// whole and walked row by row. The peak memory of `rectool cumulative` is
// measured with the other commands in bench_memory.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/benchfile.h"
#include "data/cxfile.h"
#include "tables/cumtable.h"

namespace {

constexpr int kChannels = 64;

// A cumulative file of 2025, period code `period`.
std::string MakeFile(int period) {
  const int seconds = tables::CumPeriodSeconds(tables::CumKindOf(period));
  return bench::WriteCumulative(bench::ScratchDir() + "y" + std::to_string(period) + ".kvc",
                                365 * 86400 / seconds + 1, period, kChannels);
}

// The whole table held (range(1) 0), or walked row by row as rectool writes
// it, none of it kept (range(1) 1).
void BuildTable(benchmark::State& state) {
  CXFile f;
  if (!f.Open(MakeFile(int(state.range(0))))) {
    state.SkipWithError("cannot open the file");
    return;
  }
  const time_t from = tables::CumFirstTime(f), to = tables::CumLastTime(f);
  size_t rows = 0;
  for (auto _ : state) {
    if (state.range(1)) {
      rows = 0;
      tables::EachCumRow(f, from, to, tables::CumTexts(), tables::CumOptions(), [&](const tables::CumRow&) {
        ++rows;
        return true;
      });
    } else {
      rows = tables::BuildCumTable(f, from, to, tables::CumTexts()).rows.size();
    }
    benchmark::DoNotOptimize(rows);
  }
  state.counters["rows"] = double(rows);
}
BENCHMARK(BuildTable)->ArgsProduct({{0, 1, 3}, {0, 1}})->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
