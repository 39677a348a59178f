// Chart drawing speed: RedrawAll of a chart with 64 shown channels at
// 1600 x 900 and at 3840 x 2160 (a 4K screen), for the history chart and for
// the live chart (following the end), and a cursor move (DrawCursor +
// Present), for 1000 and 262144 records; and the refresh of the live bar
// view. Arguments: records, then the chart width (its height follows 16:9).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <map>
#include <tuple>
#include <memory>
#include <vector>

#include "bench/benchfile.h"
#include "charts/barchart.h"
#include "charts/curvechart.h"
#include "charts/livechart.h"
#include "data/cxfile.h"
#include "views/barview.h"

namespace {

QTemporaryDir* g_dir = nullptr;

// 64 channels of three waves across the recording, whatever its length.
std::string MakeFile(int records) {
  bench::Recording r;
  r.records = records;
  r.count = [records](int ch, int i) { return int(32767 + 30000 * std::sin(i * 6.0 * M_PI / records + ch * 0.3)); };
  return bench::WriteRecording((g_dir->path() + QString("/bench%1.kvd").arg(records)).toStdString(), r);
}

struct Fixture {
  std::unique_ptr<CXFile> file = std::make_unique<CXFile>();
  std::unique_ptr<charts::CCurveChart> chart;
};

// The chart (a live one when live is set) of a recording of `records`
// records, width pixels wide.
std::map<std::tuple<int, int, bool>, Fixture> g_charts;

Fixture& Chart(int records, int width = 1600, bool live = false) {
  const auto key = std::make_tuple(records, width, live);
  auto it = g_charts.find(key);
  if (it != g_charts.end()) return it->second;
  Fixture& f = g_charts[key];
  if (!f.file->Open(MakeFile(records))) std::abort();
  if (live)
    f.chart = std::make_unique<charts::CLiveChart>();
  else
    f.chart = std::make_unique<charts::CCurveChart>();
  f.chart->resize(width, width * 9 / 16);
  f.chart->SetRecord(f.file.get());
  f.chart->ApplyRecordSettings();
  f.chart->Relayout();
  // The cursor and its read-out inside the window.
  f.chart->cursorTime =
      live ? f.file->GetEndTime() - std::min(records - 1, 100) : f.file->GetStartTime() + records / 3;
  return f;
}

void BM_RedrawAll(benchmark::State& state) {
  charts::CCurveChart& c = *Chart(int(state.range(0)), int(state.range(1))).chart;
  for (auto _ : state) c.RedrawAll();
  state.counters["columns"] = c.plotWidth;
}
BENCHMARK(BM_RedrawAll)
    ->ArgsProduct({{1000, 262144}, {1600, 3840}})
    ->Unit(benchmark::kMillisecond);

// The same with every sample read again from the file, as after a move of
// the window.
void BM_RedrawAllReading(benchmark::State& state) {
  charts::CCurveChart& c = *Chart(int(state.range(0)), int(state.range(1))).chart;
  for (auto _ : state) {
    c.InvalidateSamples();
    c.RedrawAll();
  }
}
BENCHMARK(BM_RedrawAllReading)
    ->ArgsProduct({{1000, 262144}, {1600, 3840}})
    ->Unit(benchmark::kMillisecond);

// The live chart's full redraw (shown, resized, uncovered), one record per
// column at the end of the recording.
void BM_LiveRedrawAll(benchmark::State& state) {
  charts::CCurveChart& c = *Chart(int(state.range(0)), int(state.range(1)), true).chart;
  for (auto _ : state) c.RedrawAll();
  state.counters["columns"] = c.plotWidth;
}
BENCHMARK(BM_LiveRedrawAll)
    ->ArgsProduct({{1000, 262144}, {1600, 3840}})
    ->Unit(benchmark::kMillisecond);

void BM_CursorMove(benchmark::State& state) {
  Fixture& f = Chart(int(state.range(0)));
  charts::CCurveChart& c = *f.chart;
  c.RedrawAll();
  const time_t t0 = f.file->GetStartTime();
  const int span = int(f.file->GetEndTime() - t0);
  int step = 0;
  for (auto _ : state) {
    c.cursorTime = t0 + (step++ * 7919) % span;
    c.DrawCursor();
    c.Present();
  }
}
BENCHMARK(BM_CursorMove)->Arg(1000)->Arg(262144)->Unit(benchmark::kMicrosecond);

// The bars of a live recording: one refresh of the values of the shown page
// of a 64-channel recording (12 cells, 1600 x 900), as the interval timer does.
void BM_BarValues(benchmark::State& state) {
  Fixture& f = Chart(int(state.range(0)));
  std::unique_ptr<charts::CBarViewBase> view(charts::NewBarView(f.file.get()));
  view->resize(1600, 900);
  for (auto _ : state) view->Chart()->RedrawValues();
  state.counters["cells"] = double(view->Chart()->Cells().size());
}
BENCHMARK(BM_BarValues)->Arg(1000)->Arg(262144)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  QTemporaryDir dir;
  g_dir = &dir;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // RECVIEW_BENCH_SHOTS=<folder>: the charts as last drawn, as PNG files, to
  // look at (and compare) after a change of the drawing code.
  if (const char* shots = std::getenv("RECVIEW_BENCH_SHOTS")) {
    for (auto& [key, f] : g_charts) {
      const auto& [records, width, live] = key;
      f.chart->RedrawAll();
      const QString name = QString("%1/%2-%3-%4.png").arg(shots, live ? "live" : "history").arg(width).arg(records);
      f.chart->BackImage()->save(name);
    }
  }
  return 0;
}
