// Chart drawing speed: RedrawAll of a 1600 x 900 chart with 64 shown
// channels, and a cursor move (DrawCursor + Present), for 1000 and 262144
// records; and the refresh of the live bar view.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "charts/barchart.h"
#include "charts/barview.h"
#include "charts/curvechart.h"
#include "data/cxfile.h"

namespace {

QTemporaryDir* g_dir = nullptr;

// A recording of 64 two-byte channels, written as a download writes it.
std::string MakeFile(int records) {
  const std::string path = (g_dir->path() + QString("/bench%1.kvd").arg(records)).toStdString();
  CXFile f;
  _tagDataHead& h = f.Head();
  h.descSize = 160;
  h.yLow = 0;
  h.yHigh = 100;
  h.clrGrid = 0x404040;
  h.lastIndex = records - 1;
  h.capacity = records;
  SetGbkField(h.model, "KVR6GV2");
  SetGbkField(h.title, "bench", true);
  h.interval = 1;
  h.chnlCount = 64;
  h.valueWidth = 2;
  h.yMode = 1;
  h.xGrids = 10;
  h.yGrids = 10;
  h.gridShown = 1;
  h.expFormat = 1;
  for (int ch = 0; ch < 64; ++ch) {
    _tagChnlDef& d = h.channels[ch];
    d.colour = 0x00FFFFu - uint32_t(ch) * 0x030201u;
    d.rangeLow = {0, 1};
    d.rangeHigh = {1000, 1};
    SetGbkField(d.name, DefaultChnlName(ch + 1));
    d.shown = 1;
    d.penWidth = 1;
  }
  f.Create(path);
  f.SetStartTime(1700000000);
  f.SetEndTime(1700000000 + records - 1);
  f.WriteHead();
  std::vector<uint8_t> buf(size_t(records) * 2);
  for (int ch = 0; ch < 64; ++ch) {
    for (int r = 0; r < records; ++r) {
      // The same curves whatever the length: three waves across the recording.
      int q = int(32767 + 30000 * std::sin(r * 6.0 * M_PI / records + ch * 0.3));
      buf[size_t(r) * 2] = uint8_t(q & 0xFF);
      buf[size_t(r) * 2 + 1] = uint8_t(q >> 8);
    }
    f.WriteValues(buf.data(), records, ch);
  }
  f.Advance(records);
  f.Close();
  return path;
}

struct Fixture {
  std::unique_ptr<CXFile> file = std::make_unique<CXFile>();
  std::unique_ptr<charts::CCurveChart> chart = std::make_unique<charts::CCurveChart>();
};

Fixture& Chart(int records) {
  static std::map<int, Fixture> charts;
  auto it = charts.find(records);
  if (it != charts.end()) return it->second;
  Fixture& f = charts[records];
  if (!f.file->Open(MakeFile(records))) std::abort();
  f.chart->resize(1600, 900);
  f.chart->SetRecord(f.file.get());
  f.chart->ApplyRecordSettings();
  f.chart->Relayout();
  f.chart->cursorTime = f.file->GetStartTime() + records / 3;
  return f;
}

void BM_RedrawAll(benchmark::State& state) {
  charts::CCurveChart& c = *Chart(int(state.range(0))).chart;
  for (auto _ : state) c.RedrawAll();
  state.counters["columns"] = c.plotWidth;
}
BENCHMARK(BM_RedrawAll)->Arg(1000)->Arg(262144)->Unit(benchmark::kMillisecond);

// The same with every sample read again from the file, as after a move of
// the window.
void BM_RedrawAllReading(benchmark::State& state) {
  charts::CCurveChart& c = *Chart(int(state.range(0))).chart;
  for (auto _ : state) {
    c.InvalidateSamples();
    c.RedrawAll();
  }
}
BENCHMARK(BM_RedrawAllReading)->Arg(1000)->Arg(262144)->Unit(benchmark::kMillisecond);

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
  return 0;
}
