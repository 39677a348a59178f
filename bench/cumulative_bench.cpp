// Cumulative tables: the hourly, eight-hour and daily tables of a file that
// holds a year of totals for 64 channels (the hourly file is 4.5 MB).
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
