// Printing speed: a print range of 262144 records (132 pages of 2000
// records, 8 channels) written as a PDF file, and one page drawn into a PDF
// in memory, at 600 dpi on A4 landscape.
#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>

#include "bench/benchfile.h"
#include "charts/curveprint.h"
#include "data/cxfile.h"
#include "platform/ui/lang.h"

namespace {

QTemporaryDir* g_dir = nullptr;
constexpr int kRecords = 262144;
constexpr int kChannels = 8;

std::string MakeFile() {
  bench::Recording r;
  r.records = kRecords;
  r.channels = kChannels;
  r.interval = 10;
  r.count = [](int ch, int i) { return int(32767 + 30000 * std::sin(i * 0.01 + ch * 0.7)); };
  r.adjust = [](_tagDataHead& h) {
    h.xMode = 1;
    for (int ch = 0; ch < h.chnlCount; ++ch) h.channels[ch].colour = 0x00FFFFu - uint32_t(ch) * 0x1F0F07u;
  };
  return bench::WriteRecording((g_dir->path() + "/print.kvd").toStdString(), r);
}

CXFile& File() {
  static CXFile file;
  static bool open = file.Open(MakeFile());
  if (!open) std::abort();
  return file;
}

charts::CurvePrintJob RangeJob() {
  CXFile& f = File();
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
  const charts::CurvePrintJob job = RangeJob();
  const std::string out = (g_dir->path() + "/range.pdf").toStdString();
  for (auto _ : state) {
    QString error;
    if (!charts::PrintCurvesToPdf(out, job, "A4", false, 600, &error)) std::abort();
  }
  state.counters["pages"] = job.pages;
}
BENCHMARK(BM_PrintRangeToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);

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
