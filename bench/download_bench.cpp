// The download workers against recsim at 57600 baud. Each iteration copies a
// span into a new file; the time counted is that of the worker (the
// preparation is left out). Counters:
//   bytes_per_s  sample bytes stored per second
//   floor        bytes per second if every request took only the protocol's
//                fixed waits (settle time, pause after the reply, and the
//                20 ms of silence that end a reply at this speed)
//   of_floor     bytes_per_s / floor (1.0 is the best the protocol allows)
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "acquire/download.h"
#include "simproc.h"
#include "viewcfg/viewdef.h"

namespace {

constexpr double kSilenceMs = 20;

void Run(benchmark::State& state, const std::vector<std::string>& args, int records,
         double requests, double fixedMsPerRequest) {
  testenv::SimProcess sim;
  if (!sim.Start(args)) {
    state.SkipWithError(sim.error().c_str());
    return;
  }
  acquire::DownloadSession session;
  if (session.Connect(testenv::ComParamFor(sim.device(), 57600)) !=
      acquire::ConnectStatus::Connected) {
    state.SkipWithError("no connection to recsim");
    return;
  }
  char dir[] = "/tmp/bench_download_XXXXXX";
  if (!mkdtemp(dir)) {
    state.SkipWithError("no temporary folder");
    return;
  }
  const std::string path = std::string(dir) + "/out.KVD";
  _tagViewDef view{};
  const time_t end = session.Span().newest;
  const time_t start = end - static_cast<time_t>(records - 1) * session.Span().interval;
  double seconds = 0;
  int64_t bytes = 0;
  for (auto _ : state) {
    time_t s = start, e = end;
    session.CheckSpan(false, &s, &e);
    session.ResetStop();
    if (session.Prepare(path, s, e, view, nullptr) != acquire::PrepareStatus::Ok) {
      state.SkipWithError("the preparation failed");
      break;
    }
    const auto t0 = std::chrono::steady_clock::now();
    const acquire::RunStatus ran = session.Run(nullptr);
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (ran != acquire::RunStatus::Completed) {
      state.SkipWithError("the download failed");
      break;
    }
    state.SetIterationTime(t);
    seconds += t;
    bytes += session.Report().totalBytes;
  }
  ::unlink(path.c_str());
  ::rmdir(dir);
  if (seconds <= 0) return;
  const double perIteration = static_cast<double>(bytes) / static_cast<double>(state.iterations());
  const double floor = perIteration / (requests * (fixedMsPerRequest + kSilenceMs) / 1000.0);
  state.counters["bytes_per_s"] = static_cast<double>(bytes) / seconds;
  state.counters["floor"] = floor;
  state.counters["of_floor"] = static_cast<double>(bytes) / seconds / floor;
}

// Register family, 4 channels, 512 records: 4 passes of 128 samples per
// channel, 16 reads of function 0x13 by address (settle 50 ms, pause 10 ms).
void BM_DownloadRegister(benchmark::State& state) {
  Run(state, {"--model", "KVR6GV2", "--channels", "4", "--clock", "2026-12-07 10:00:00"}, 512, 16,
      50 + 10);
}

// Block family, 8 channels, 150 records: 15 records per request, 10 requests
// of function 0x13 by time (settle 150 ms).
void BM_DownloadBlock(benchmark::State& state) {
  Run(state, {"--model", "KVP6GV1", "--channels", "8", "--clock", "2026-12-07 10:00:00"}, 150, 10,
      150);
}

}  // namespace

BENCHMARK(BM_DownloadRegister)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_DownloadBlock)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_MAIN();
