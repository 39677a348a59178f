// Record list speed: drawing a 1600 x 900 table of 64 channels for 1000 and
// 262144 records, the clipboard text of 10000 rows x 64 channels, and a
// search that walks a whole 262144-record file without a hit.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "bench/benchfile.h"
#include "data/cxfile.h"
#include "platform/ui/lang.h"
#include "tables/gridctrl.h"
#include "tables/listcore.h"

namespace {

QTemporaryDir* g_dir = nullptr;

// 64 channels in kPa, some values in alarm.
std::string MakeFile(int records) {
  bench::Recording r;
  r.records = records;
  r.count = [](int ch, int i) { return int(32767 + 32000 * std::sin(i * 0.01 + ch * 0.3)); };
  r.adjust = [](_tagDataHead& h) {
    for (int ch = 0; ch < h.chnlCount; ++ch) {
      h.channels[ch].limit3 = {100, 1};
      h.channels[ch].limit4 = {900, 1};
      SetGbkField(h.channels[ch].unit, "kPa");
    }
  };
  return bench::WriteRecording((g_dir->path() + QString("/list%1.kvd").arg(records)).toStdString(), r);
}

CXFile& File(int records) {
  static std::map<int, std::unique_ptr<CXFile>> files;
  auto& f = files[records];
  if (!f) {
    f = std::make_unique<CXFile>();
    if (!f->Open(MakeFile(records))) std::abort();
  }
  return *f;
}

void BM_DrawScreen(benchmark::State& state) {
  CXFile& file = File(int(state.range(0)));
  tables::CXGridCtrl grid;
  grid.resize(1600, 900);
  grid.Attach(&file);
  grid.GoToTime(file.GetStartTime() + (file.GetEndTime() - file.GetStartTime()) / 3);
  for (auto _ : state) grid.Redraw();
  state.counters["rows"] = grid.VisibleRows();
}
BENCHMARK(BM_DrawScreen)->Arg(1000)->Arg(262144)->Unit(benchmark::kMillisecond);

void BM_CopyText(benchmark::State& state) {
  CXFile& file = File(262144);
  const time_t a = file.GetStartTime() + 5000;
  for (auto _ : state) {
    const std::string text = tables::CopyText(file, a + 9999, a, "Time");
    benchmark::DoNotOptimize(text.data());
    state.counters["bytes"] = double(text.size());
  }
}
BENCHMARK(BM_CopyText)->Unit(benchmark::kMillisecond);

void BM_FindWholeFile(benchmark::State& state) {
  CXFile& file = File(262144);
  std::atomic<bool> stop{false};
  for (auto _ : state) {
    _tagFindQuery q;
    q.target = -5;  // below every value: the walk covers the file
    q.tolerance = 0.01f;
    q.time = file.GetStartTime();
    if (tables::FindInFile(file, q, &stop) != tables::FindResult::Missed) std::abort();
  }
}
BENCHMARK(BM_FindWholeFile)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  lang::RegisterFile(QString(RECVIEW_BIN_DIR) + "/Language/english.rcc", 1);
  QTemporaryDir dir;
  g_dir = &dir;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
