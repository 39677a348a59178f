// Reading data files: every value of a 262144-record x 64-channel 2-byte file
// through GetValue, and Open of that file (32 MiB) against one of 1000 records.
#include <benchmark/benchmark.h>

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/benchfile.h"
#include "data/cxfile.h"

namespace {

constexpr int kChannels = 64;
constexpr time_t kStart = 1709251200;

// Writes a recording through the download path and returns its path.
std::string MakeFile(const char* model, int records, int width, bool logScale) {
  const std::string path = bench::ScratchDir() + model + "-" + std::to_string(records) + (logScale ? "-log" : "") + ".dat";
  CXFile f;
  _tagDataHead& h = f.Head();
  std::memset(h.model, 0, sizeof(h.model));
  std::memcpy(h.model, model, std::strlen(model));
  h.chnlCount = kChannels;
  h.valueWidth = static_cast<uint8_t>(width);
  h.interval = 1;
  h.capacity = records;
  h.lastIndex = records - 1;
  for (int ch = 0; ch < kChannels; ++ch) {
    _tagChnlDef& d = h.channels[ch];
    SetGbkField(d.name, DefaultChnlName(ch + 1));
    d.rangeLow = {-500, 1};
    d.rangeHigh = {1500, 1};
    if (logScale) {
      d.logScale = 1;
      d.rangeLow.decimals = 0xFE;
      d.rangeHigh.decimals = 3;
    }
    d.shown = 1;
  }
  f.SetStartTime(kStart);
  f.SetEndTime(kStart + records - 1);
  if (!f.Create(path) || !f.WriteHead()) std::abort();
  const bool channelMajor = model[2] != 'P';
  std::vector<uint8_t> buf;
  if (channelMajor) {
    buf.resize(static_cast<size_t>(records) * width);
    for (int ch = 0; ch < kChannels; ++ch) {
      for (int r = 0; r < records; ++r) {
        const uint32_t q = static_cast<uint32_t>(r * 37 + ch * 101);
        buf[static_cast<size_t>(r) * width] = q & 0xFF;
        if (width == 2) buf[static_cast<size_t>(r) * width + 1] = (q >> 8) & 0xFF;
      }
      if (!f.WriteValues(buf.data(), records, ch)) std::abort();
    }
    f.Advance(records);
  } else {
    buf.resize(static_cast<size_t>(records) * kChannels * width);
    for (size_t i = 0; i < buf.size(); ++i) buf[i] = static_cast<uint8_t>(i * 13);
    if (!f.WriteValues(buf.data(), static_cast<int>(buf.size()), 0)) std::abort();
    f.Advance(records);
  }
  f.Close();
  return path;
}

const std::string& Big() {
  static std::string p = MakeFile("KVR3GV2", 262144, 2, false);
  return p;
}

long ResidentKiB() {
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (!f) return 0;
  if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  std::fclose(f);
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Every value of the file, record by record, channel by channel, as a table
// or an export walks it.
void ReadAll(benchmark::State& state, const std::string& path) {
  CXFile f;
  if (!f.Open(path)) {
    state.SkipWithError("open failed");
    return;
  }
  const time_t start = f.GetStartTime(), end = f.GetEndTime();
  const int interval = f.GetInterval();
  const int n = f.GetChnlCount();
  for (auto _ : state) {
    float sum = 0;
    for (time_t t = start; t <= end; t += interval)
      for (int ch = 0; ch < n; ++ch) {
        float v, p;
        f.GetValue(ch, t, &v, &p);
        sum += v + p;
      }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(f.GetRecordCount()) * n);
}

void BM_GetValue_Layout0_Linear(benchmark::State& state) { ReadAll(state, Big()); }
BENCHMARK(BM_GetValue_Layout0_Linear)->Unit(benchmark::kMillisecond);

void BM_GetValue_Layout2_Linear(benchmark::State& state) {
  static std::string p = MakeFile("KVP6GV2", 262144, 2, false);
  ReadAll(state, p);
}
BENCHMARK(BM_GetValue_Layout2_Linear)->Unit(benchmark::kMillisecond);

void BM_GetValue_Layout0_Log(benchmark::State& state) {
  static std::string p = MakeFile("KVR3GV2", 16384, 2, true);
  ReadAll(state, p);
}
BENCHMARK(BM_GetValue_Layout0_Log)->Unit(benchmark::kMillisecond);

// Open and Close; the resident-memory growth of an open file is reported as
// a counter (the file is mapped, not read).
void OpenFile(benchmark::State& state, const std::string& path) {
  for (auto _ : state) {
    CXFile f;
    if (!f.Open(path)) {
      state.SkipWithError("open failed");
      return;
    }
    benchmark::DoNotOptimize(f.GetRecordCount());
  }
  CXFile f;
  const long before = ResidentKiB();
  f.Open(path);
  state.counters["rss_growth_KiB"] = static_cast<double>(ResidentKiB() - before);
}

void BM_Open_262144x64(benchmark::State& state) { OpenFile(state, Big()); }
BENCHMARK(BM_Open_262144x64)->Unit(benchmark::kMicrosecond);

void BM_Open_1000x64(benchmark::State& state) {
  static std::string p = MakeFile("KVR3GV2", 1000, 2, false);
  OpenFile(state, p);
}
BENCHMARK(BM_Open_1000x64)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
