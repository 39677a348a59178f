// Live recording speed.
//  BM_AppendAndRedraw/N: one record of 64 channels appended to a live store
//    already holding N records, and the following chart (1600 x 900) redrawn
//    as the live view does it; the cost must not grow with N (2000 records
//    already fill the window, 1 leaves it nearly empty).
//    The window moves on by one column a record: the plot is scrolled and
//    only the newest columns (and the grid lines) are drawn.
//  BM_AppendAndFlush/N: one record appended to the same store and the store
//    put on the disk (fdatasync of "temp.tmp"), the worst case of a live
//    recording that flushes every record; a periodic flush pays this once a
//    period.
//  BM_Timeliness: the live view records recsim (64 channels) for
//    RECVIEW_TIMELINESS_SECONDS seconds (default 30) at a 1 s interval;
//    reports the records against the elapsed seconds and the latest record.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

#include "charts/livechart.h"
#include "data/cxfile.h"
#include "platform/ui/commandids.h"
#include "platform/programdir.h"
#include "platform/ui/lang.h"
#include "portcfg/xcom.h"
#include "simproc.h"
#include "views/rcview.h"

namespace {

constexpr int kChannels = 64;
constexpr time_t kStart = 1700000000;

// A live store of 64 channels holding `records` records.
std::unique_ptr<CXFile> MakeStore(int records) {
  auto f = std::make_unique<CXFile>();
  _tagDataHead& h = f->Head();
  h.yLow = 0;
  h.yHigh = 100;
  h.clrGrid = 0x404040;
  h.capacity = 0x40000;
  SetGbkField(h.model, "KVP6GV1");
  SetGbkField(h.title, "bench", true);
  h.interval = 1;
  h.chnlCount = kChannels;
  h.valueWidth = 2;
  h.yMode = 1;
  h.xGrids = 10;
  h.yGrids = 10;
  h.gridShown = 1;
  h.expFormat = 1;
  for (int ch = 0; ch < kChannels; ++ch) {
    _tagChnlDef& d = h.channels[ch];
    d.colour = 0x00FFFFu - uint32_t(ch) * 0x030201u;
    d.rangeLow = {0, 1};
    d.rangeHigh = {1000, 1};
    d.shown = 1;
    d.penWidth = 1;
  }
  if (!f->CreateTemp() || !f->PutHead()) std::abort();
  uint8_t record[2 * kChannels];
  for (int r = 0; r < records; ++r) {
    for (int ch = 0; ch < kChannels; ++ch) {
      const int q = int(32767 + 30000 * std::sin(r * 0.01 + ch * 0.3));
      record[2 * ch] = uint8_t(q & 0xFF);
      record[2 * ch + 1] = uint8_t(q >> 8);
    }
    f->AppendRecord(record, r);
  }
  f->SetStartTime(kStart);
  f->SetEndTime(0);
  return f;
}

void BM_AppendAndRedraw(benchmark::State& state) {
  int records = int(state.range(0));
  std::unique_ptr<CXFile> f = MakeStore(records);
  charts::CLiveChart chart;
  chart.resize(1600, 900);
  chart.SetRecord(f.get());
  chart.ApplyRecordSettings();
  chart.Relayout();
  uint8_t record[2 * kChannels];
  for (auto _ : state) {
    for (int ch = 0; ch < kChannels; ++ch) {
      const int q = int(32767 + 30000 * std::sin(records * 0.01 + ch * 0.3));
      record[2 * ch] = uint8_t(q & 0xFF);
      record[2 * ch + 1] = uint8_t(q >> 8);
    }
    if (!f->AppendRecord(record, records)) {
      state.SkipWithError("the store is full");
      break;
    }
    ++records;
    f->SetEndTime(0);
    chart.SetTimeRange(f->GetStartTime(), f->GetEndTime());
    chart.OnRecordAppended();
  }
  state.counters["columns"] = chart.plotWidth;
  f->Close();
}
BENCHMARK(BM_AppendAndRedraw)->Arg(1)->Arg(2000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_AppendAndFlush(benchmark::State& state) {
  int records = int(state.range(0));
  std::unique_ptr<CXFile> f = MakeStore(records);
  const int fd = ::open(platform::SettingsPath("temp.tmp").c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) {
    state.SkipWithError("no temp.tmp");
    return;
  }
  uint8_t record[2 * kChannels] = {};
  for (auto _ : state) {
    record[0] = uint8_t(records);
    if (!f->AppendRecord(record, records)) {
      state.SkipWithError("the store is full");
      break;
    }
    ++records;
    f->SetEndTime(0);
    ::fdatasync(fd);
  }
  ::close(fd);
  f->Close();
}
BENCHMARK(BM_AppendAndFlush)->Arg(2000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_Timeliness(benchmark::State& state) {
  const char* env = std::getenv("RECVIEW_TIMELINESS_SECONDS");
  const int seconds = env ? std::max(atoi(env), 2) : 30;
  for (auto _ : state) {
    testenv::SimProcess sim;
    if (!sim.Start({"--channels", "64"})) {
      state.SkipWithError("recsim did not start");
      return;
    }
    _tagComParam p = DefaultComParam();
    std::snprintf(p.ComPort, sizeof p.ComPort, "%s", sim.device().c_str());
    p.Baudrate = 57600;
    p.Interval = 1;
    CXCom().SetComm(&p);
    acquire::CRCView view;
    view.resize(1600, 900);
    view.show();
    QElapsedTimer clock;
    int64_t firstMs = -1;
    int64_t worstLateMs = 0;
    QObject::connect(&view, &acquire::CRCView::recordAppended, [&](int n) {
      const int64_t now = clock.elapsed();
      if (firstMs < 0) firstMs = now;
      worstLateMs = std::max<int64_t>(worstLateMs, now - (firstMs + int64_t(n - 1) * 1000));
    });
    clock.start();
    view.OnCommand(ID_REC_START);
    if (!view.recording) {
      state.SkipWithError("recording did not start");
      return;
    }
    while (clock.elapsed() - firstMs < int64_t(seconds) * 1000 + 500) QTest::qWait(20);
    const int64_t elapsed = (clock.elapsed() - firstMs) / 1000;
    state.counters["seconds"] = double(elapsed);
    state.counters["records"] = view.Records();
    state.counters["max_late_ms"] = double(worstLateMs);
    view.StopRecording();
  }
}
BENCHMARK(BM_Timeliness)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QTemporaryDir home;
  ::setenv("RECVIEW_HOME", home.path().toUtf8().constData(), 1);
  QApplication app(argc, argv);
  lang::Register(1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
