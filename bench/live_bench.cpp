// Live recording speed.
//  BM_AppendAndRedraw/N: one record of 64 channels appended to a live store
//    already holding N records, and the following chart (1600 x 900) redrawn
//    as the live view does it, its read-out cursor on the record that was
//    the newest (where the follow timer's tick before put it); the cost must
//    not grow with N (2000 records already fill the window, 1 leaves it
//    nearly empty).
//    The window moves on by one column a record: the plot is scrolled and
//    only the newest columns (and the grid lines) are drawn.
//    The flush is in it as the live session does it: records come at the
//    interval, 1 s at the fastest (the 100 ms passes only sample the
//    recorder), and the store is flushed every 5 s, so every 5th append hands
//    a flush to a thread of its own; the disk's time (BM_Flush) is spent
//    there, beside the window's thread, within the interval before the next
//    record (waited for outside the timing: appended back to back, records
//    would meet a flush still running, which at a 1 s interval they do not).
//    What the flush leaves to the window's thread is in the figure: handing
//    it over, and the first writes to the pages it wrote out (the kernel
//    takes note of them again).
//  BM_Flush/N: writing a live store of 64 channels to the disk (records,
//    then header) after N new records: N = 5 is a 1 s interval flushed every
//    5 s, N = 50 as many records as 100 ms passes would give in 5 s. Real
//    time, the disk's share included: what the flush thread waits.
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
#include <thread>

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

// Appends the record of a slow sine on every channel into slot.
bool AppendSine(CXFile& f, int slot) {
  uint8_t record[2 * kChannels];
  for (int ch = 0; ch < kChannels; ++ch) {
    const int q = int(32767 + 30000 * std::sin(slot * 0.01 + ch * 0.3));
    record[2 * ch] = uint8_t(q & 0xFF);
    record[2 * ch + 1] = uint8_t(q >> 8);
  }
  return f.AppendRecord(record, slot);
}

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
  for (int r = 0; r < records; ++r) AppendSine(*f, r);
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
  constexpr int kAppendsPerFlush = 5;  // 5 s at a 1 s interval
  int flushed = records, appends = 0;
  std::thread flusher;
  for (auto _ : state) {
    // Between two records the follow timer puts the read-out cursor on the
    // newest one (a tick of its own, every 500 ms: not part of the append).
    // A flush handed over has the interval to run before the next record.
    state.PauseTiming();
    if (flusher.joinable()) flusher.join();
    chart.cursorTime = f->GetEndTime();
    chart.DrawCursor();
    state.ResumeTiming();
    if (!AppendSine(*f, records)) {
      state.SkipWithError("the store is full");
      break;
    }
    ++records;
    f->SetEndTime(0);
    if (++appends % kAppendsPerFlush == 0) {
      flusher = std::thread(f->StoreFlushJob(flushed));
      flushed = records;
    }
    chart.SetTimeRange(f->GetStartTime(), f->GetEndTime());
    chart.OnRecordAppended();
  }
  if (flusher.joinable()) flusher.join();
  state.counters["columns"] = chart.plotWidth;
  f->Close();
}
BENCHMARK(BM_AppendAndRedraw)->Arg(1)->Arg(2000)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_Flush(benchmark::State& state) {
  const int perFlush = int(state.range(0));
  std::unique_ptr<CXFile> f = MakeStore(1);
  f->FlushStore(0);
  int records = 1;
  for (auto _ : state) {
    state.PauseTiming();
    const int from = records;
    for (int k = 0; k < perFlush; ++k, ++records) {
      if (!AppendSine(*f, records)) {
        state.SkipWithError("the store is full");
        return;
      }
    }
    f->SetEndTime(0);
    state.ResumeTiming();
    if (!f->FlushStore(from)) state.SkipWithError("the flush failed");
  }
  f->Close();
}
BENCHMARK(BM_Flush)->Arg(5)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime();

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
