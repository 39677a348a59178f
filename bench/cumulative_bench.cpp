// Cumulative tables: the hourly, eight-hour and daily tables of a file that
// holds a year of totals for 64 channels (the hourly file is 4.5 MB), held
// whole and walked row by row; and the peak memory of `rectool cumulative`
// over hourly files of 1000 to 262144 periods.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
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

// A cumulative file from 2025 in the cumulative layout, period code
// `period`, a year long unless `periods` says otherwise.
std::string MakeFile(int period, int periods = 0) {
  const int seconds = tables::CumPeriodSeconds(tables::CumKindOf(period));
  if (periods <= 0) periods = 365 * 86400 / seconds + 1;
  std::string b(192 + 64 * kChannels + size_t(8) * kChannels * periods, '\0');
  std::memcpy(&b[0], "KVP6GV1000P", 11);
  std::memcpy(&b[64], "bench", 5);
  b[96] = char(kChannels);
  b[97] = char(period);
  b[98] = 0;
  b[99] = 2;
  const size_t tb = 128 + 64 * kChannels;
  const uint8_t start[6] = {25, 1, 1, 0, 0, 0};
  uint8_t end[6];
  struct tm tm = {};
  tm.tm_year = 125;
  tm.tm_mday = 1;
  tm.tm_isdst = -1;
  TimeToStamp(mktime(&tm) + time_t(periods - 1) * seconds, end);
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
  const std::string path = Dir() + "y" + std::to_string(period) + "-" + std::to_string(periods) + ".kvc";
  std::ofstream(path, std::ios::binary).write(b.data(), std::streamsize(b.size()));
  return path;
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

// Peak resident memory of the build's `rectool cumulative FILE` (text on
// /dev/null) on an hourly file of 64 channels with range(0) periods, beside
// the size of the file it maps.
void RectoolPeakMemory(benchmark::State& state) {
  const int periods = int(state.range(0));
  const std::string file = MakeFile(0, periods);
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof(self) - 1);
  if (n <= 0) {
    state.SkipWithError("cannot find the build");
    return;
  }
  std::string rectool(self, size_t(n));
  rectool = rectool.substr(0, rectool.rfind('/'));
  rectool = rectool.substr(0, rectool.rfind('/')) + "/bin/rectool";
  long peakKb = 0;
  for (auto _ : state) {
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::execl(rectool.c_str(), "rectool", "cumulative", file.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    int status = 0;
    struct rusage usage = {};
    if (pid < 0 || ::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError(("rectool cumulative failed: " + rectool).c_str());
      return;
    }
    peakKb = std::max(peakKb, usage.ru_maxrss);
  }
  state.counters["peak_MB"] = double(peakKb) / 1024;
  state.counters["file_MB"] = double(std::filesystem::file_size(file)) / (1024 * 1024);
}
BENCHMARK(RectoolPeakMemory)->Arg(1000)->Arg(16384)->Arg(262144)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
