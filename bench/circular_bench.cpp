// The circular channel report on screen: one channel over 31 days at 60 s
// (44640 points, 31 revolutions) drawn into a 1000 x 700 picture, as the
// range view draws it at every resize; and the printed page.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>

#include "charts/circular.h"
#include "data/cxfile.h"
#include "platform/ui/lang.h"

namespace {

QTemporaryDir* g_dir = nullptr;
constexpr int kRecords = 31 * 1440;

CXFile& File() {
  static CXFile file;
  static bool open = [] {
    const std::string path = (g_dir->path() + "/month.kvd").toStdString();
    CXFile f;
    _tagDataHead& h = f.Head();
    h.descSize = 160;
    h.yLow = 0;
    h.yHigh = 100;
    h.clrGrid = 0x008000;
    h.clrBack = 0x400000;
    h.lastIndex = kRecords - 1;
    h.capacity = kRecords;
    SetGbkField(h.model, "KVR6GV2");
    SetGbkField(h.title, "bench", true);
    h.interval = 60;
    h.chnlCount = 1;
    h.valueWidth = 2;
    h.tagByte = 10;
    _tagChnlDef& d = h.channels[0];
    d.colour = 0x0000FF;
    d.rangeLow = {0, 1};
    d.rangeHigh = {1000, 1};
    SetGbkField(d.name, "T1");
    d.shown = 1;
    d.penWidth = 1;
    f.Create(path);
    f.SetStartTime(1767196800);  // a midnight in China time
    f.SetEndTime(1767196800 + time_t(kRecords - 1) * 60);
    f.WriteHead();
    std::vector<uint8_t> buf(size_t(kRecords) * 2);
    for (int r = 0; r < kRecords; ++r) {
      int q = int(32767 + 25000 * std::sin(r * 2 * M_PI / 1440) + 5000 * std::sin(r * 0.37));
      buf[size_t(r) * 2] = uint8_t(q & 0xFF);
      buf[size_t(r) * 2 + 1] = uint8_t(q >> 8);
    }
    f.WriteValues(buf.data(), kRecords, 0);
    f.Advance(kRecords);
    f.Close();
    return file.Open(path);
  }();
  if (!open) std::abort();
  return file;
}

void BM_ReportScreen31Days(benchmark::State& state) {
  CXFile& f = File();
  QImage img(1000, 700, QImage::Format_RGB32);
  for (auto _ : state) charts::DrawReportScreen(img, f, 0, f.GetStartTime(), f.GetEndTime());
  state.counters["points"] = double(charts::ReportSamples(f, 0, f.GetStartTime(), f.GetEndTime()).size());
}
BENCHMARK(BM_ReportScreen31Days)->Unit(benchmark::kMillisecond);

void BM_ReportPage31Days(benchmark::State& state) {
  CXFile& f = File();
  for (auto _ : state) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(600);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    QString error;
    if (!charts::PrintPages(writer, charts::ReportPages(&f, 0, f.GetStartTime(), f.GetEndTime()), 0, 0, &error))
      std::abort();
  }
}
BENCHMARK(BM_ReportPage31Days)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  if (!std::getenv("TZ")) ::setenv("TZ", "Asia/Shanghai", 1);
  QGuiApplication app(argc, argv);
  lang::RegisterFile(RECVIEW_BIN_DIR "/Language/english.rcc", 1);
  QTemporaryDir dir;
  g_dir = &dir;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
namespace {
void BM_ReportSamples(benchmark::State& state) {
  CXFile& f = File();
  for (auto _ : state) benchmark::DoNotOptimize(charts::ReportSamples(f, 0, f.GetStartTime(), f.GetEndTime()));
}
BENCHMARK(BM_ReportSamples)->Unit(benchmark::kMillisecond);
}
