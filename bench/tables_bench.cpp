// Spreadsheet export of a 262144-record x 64-channel file (17 million cells)
// against libxlsxwriter alone writing the same cells in the same layout, and
// the statistics over that file. Each export takes tens of seconds: run with
// --benchmark_repetitions to get a median.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <xlsxwriter.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/benchfile.h"
#include "data/cxfile.h"
#include "data/records.h"
#include "tables/recordexport.h"
#include "tables/statistics.h"

namespace {

constexpr int kChannels = 64;
constexpr int kRecords = 262144;
constexpr time_t kStart = 1709251200;

// A 2-byte channel-major recording, values -50.0 .. 150.0 with one decimal.
const std::string& Big() {
  static const std::string path = [] {
    const std::string p = bench::ScratchDir() + "big.dat";
    CXFile f;
    _tagDataHead& h = f.Head();
    SetGbkField(h.model, "KVR3GV2");
    h.chnlCount = kChannels;
    h.valueWidth = 2;
    h.interval = 1;
    h.capacity = kRecords;
    h.lastIndex = kRecords - 1;
    for (int ch = 0; ch < kChannels; ++ch) {
      _tagChnlDef& d = h.channels[ch];
      SetGbkField(d.name, DefaultChnlName(ch + 1));
      SetGbkField(d.unit, "m^3/h");
      d.rangeLow = {-500, 1};
      d.rangeHigh = {1500, 1};
      d.shown = 1;
    }
    f.SetStartTime(kStart);
    f.SetEndTime(kStart + kRecords - 1);
    if (!f.Create(p) || !f.WriteHead()) std::abort();
    std::vector<uint8_t> buf(static_cast<size_t>(kRecords) * 2);
    for (int ch = 0; ch < kChannels; ++ch) {
      for (int r = 0; r < kRecords; ++r) {
        const uint32_t q = static_cast<uint32_t>(r * 37 + ch * 101);
        buf[static_cast<size_t>(r) * 2] = q & 0xFF;
        buf[static_cast<size_t>(r) * 2 + 1] = (q >> 8) & 0xFF;
      }
      if (!f.WriteValues(buf.data(), kRecords, ch)) std::abort();
    }
    f.Advance(kRecords);
    f.Close();
    return p;
  }();
  return path;
}

void BM_ExportXlsx(benchmark::State& state) {
  CXFile f;
  if (!f.Open(Big())) return state.SkipWithError("open failed");
  const std::string out = bench::ScratchDir() + "export.xlsx";
  for (auto _ : state) {
    std::string error;
    if (tables::ExportXlsx(f, {f.GetStartTime(), f.GetEndTime(), 1}, out, {}, &error) != tables::ExportResult::Done)
      return state.SkipWithError(error.c_str());
  }
  state.counters["cells"] = double(kRecords) * (kChannels + 2);
  state.counters["MiB"] = double(std::filesystem::file_size(out)) / (1 << 20);
}

// The same sheets, header and cells written straight through libxlsxwriter:
// number, time text, 64 numbers of the same values and number format.
void BM_LibxlsxwriterAlone(benchmark::State& state) {
  CXFile f;
  if (!f.Open(Big())) return state.SkipWithError("open failed");
  const std::string out = bench::ScratchDir() + "alone.xlsx";
  // The values are read beforehand, so that only the writing is measured.
  std::vector<double> values(static_cast<size_t>(kRecords) * kChannels);
  for (int r = 0; r < kRecords; ++r)
    for (int ch = 0; ch < kChannels; ++ch) {
      float v = 0;
      f.GetValue(ch, kStart + r, &v, nullptr);
      values[static_cast<size_t>(r) * kChannels + ch] = std::strtod(f.FormatValue(ch, v).c_str(), nullptr);
    }
  std::vector<std::string> names, types;
  tables::ExportColumns(f, &names, &types);
  for (auto _ : state) {
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(out.c_str(), &options);
    lxw_format* one = workbook_add_format(book);
    format_set_num_format(one, "0.0");
    lxw_worksheet* sheet = nullptr;
    lxw_row_t row = 0;
    char name[32];
    for (int n = 1; n <= kRecords; ++n) {
      if (n % tables::kRowsPerSheet == 1) {
        std::snprintf(name, sizeof(name), "sheet%d", n / int(tables::kRowsPerSheet) + 1);
        sheet = workbook_add_worksheet(book, name);
        for (size_t c = 0; c < names.size(); ++c)
          worksheet_write_string(sheet, 0, lxw_col_t(c), names[c].substr(1, names[c].size() - 2).c_str(), nullptr);
        row = 1;
      }
      worksheet_write_number(sheet, row, 0, n, nullptr);
      worksheet_write_string(sheet, row, 1, FormatTime(kStart + n - 1).c_str(), nullptr);
      const double* v = &values[static_cast<size_t>(n - 1) * kChannels];
      for (int ch = 0; ch < kChannels; ++ch) worksheet_write_number(sheet, row, lxw_col_t(ch + 2), v[ch], one);
      ++row;
    }
    if (workbook_close(book) != LXW_NO_ERROR) return state.SkipWithError("close failed");
  }
  state.counters["cells"] = double(kRecords) * (kChannels + 2);
  state.counters["MiB"] = double(std::filesystem::file_size(out)) / (1 << 20);
}

void BM_Statistics(benchmark::State& state) {
  CXFile f;
  if (!f.Open(Big())) return state.SkipWithError("open failed");
  for (auto _ : state) {
    tables::StatsResult r;
    if (!tables::ComputeStatistics(f, f.GetStartTime(), f.GetEndTime(), &r)) return state.SkipWithError("failed");
    benchmark::DoNotOptimize(r.channels.data());
  }
}

}  // namespace

BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_LibxlsxwriterAlone)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();
BENCHMARK(BM_Statistics)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
