// Printing speed: a print range of 262144 records (132 pages of 2000
// records) of 8 and of 64 channels written as a PDF file, and one page drawn
// into a PDF in memory, at 600 dpi on A4 landscape.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <map>

#include "bench/benchfile.h"
#include "charts/curveprint.h"
#include "data/cxfile.h"
#include "platform/ui/lang.h"

namespace {

QTemporaryDir* g_dir = nullptr;
constexpr int kRecords = 262144;
std::string MakeFile(int channels) {
  bench::Recording r;
  r.records = kRecords;
  r.channels = channels;
  r.interval = 10;
  r.count = [](int ch, int i) { return int(32767 + 30000 * std::sin(i * 0.01 + ch * 0.7)); };
  r.adjust = [](_tagDataHead& h) {
    h.xMode = 1;
    for (int ch = 0; ch < h.chnlCount; ++ch) h.channels[ch].colour = 0x00FFFFu - uint32_t(ch) * 0x1F0F07u;
  };
  return bench::WriteRecording(
      (g_dir->path() + QString("/print%1.kvd").arg(channels)).toStdString(), r);
}

CXFile& File(int channels) {
  static std::map<int, CXFile> files;
  auto it = files.find(channels);
  if (it != files.end()) return it->second;
  CXFile& file = files[channels];
  if (!file.Open(MakeFile(channels))) std::abort();
  return file;
}

charts::CurvePrintJob RangeJob(int channels = 8) {
  CXFile& f = File(channels);
  charts::CurvePrintJob job;
  job.state = charts::DefaultPrintState(&f);
  charts::PrintRange range;
  if (!charts::SnapPrintRange(f, f.GetStartTime(), f.GetEndTime(), &range)) std::abort();
  job.range = true;
  job.printStart = range.start;
  job.pages = range.pages;
  return job;
}

void BM_PrintRangeToPdf(benchmark::State& state) {
  const charts::CurvePrintJob job = RangeJob(int(state.range(0)));
  const std::string out = (g_dir->path() + "/range.pdf").toStdString();
  for (auto _ : state) {
    QString error;
    if (!charts::PrintCurvesToPdf(out, job, "A4", false, 600, &error)) std::abort();
  }
  state.counters["pages"] = job.pages;
}
BENCHMARK(BM_PrintRangeToPdf)->Arg(8)->Arg(64)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

void BM_PrintOnePage(benchmark::State& state) {
  charts::CurvePrintJob job = RangeJob();
  job.fromPage = job.toPage = 66;
  for (auto _ : state) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(600);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Landscape);
    QString error;
    if (!charts::PrintCurves(writer, job, &error)) std::abort();
  }
}
BENCHMARK(BM_PrintOnePage)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QGuiApplication app(argc, argv);
  lang::RegisterFile(RECVIEW_BIN_DIR "/Language/english.rcc", 1);
  QTemporaryDir dir;
  g_dir = &dir;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
