// Downloads of 4096 records against recsim at 57600 baud, replies sent at the
// line's speed (recsim --line-rate), with the settle-time exchange and with
// the fast one. The time counted is that of copying the samples (the
// preparation is left out). Arguments:
//   kind   0 register family (function 0x13 by address, RTU, 4 channels)
//          1 block family (function 0x13 by time, RTU, 4 channels)
//          2 register family read by ASCII blocks of 256 bytes (the link's
//            ReadBlock in ASCII framing over the same memory)
//   pace   0 recsim as it is
//          1 a recorder that answers only 40 ms after a request
//          2 the same, ignoring requests that come within 15 ms of its last
//            reply (the fast exchange falls back)
//   fast   0 settle time, 1 fast exchange
// Counters:
//   floor_s    seconds the line needs to carry every request and reply (ten
//              bits a character)
//   of_floor   the download's time / floor_s (1.0: the line's rate)
//   fell_back  1 when the link went back to the settle time
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "acquire/download.h"
#include "simproc.h"
#include "viewcfg/viewdef.h"

namespace {

constexpr int kRecords = 4096;
constexpr int kChannels = 4;
constexpr int kBaud = 57600;

double LineSeconds(double characters) { return characters * 10.0 / kBaud; }

// The characters of every request and reply of the download.
double FloorSeconds(int kind) {
  const int blocks = (kRecords + 127) / 128 * kChannels;
  if (kind == 0) return LineSeconds(blocks * (8.0 + 3 + 256 + 2));
  if (kind == 2) return LineSeconds(blocks * ((2 * 6 + 5) + (2 * (3 + 256) + 5.0)));
  const int h = 120 / kChannels;
  const int requests = (kRecords + h - 1) / h;
  return LineSeconds(requests * (12.0 + 12 + h * kChannels * 2));
}

void BM_Download(benchmark::State& state) {
  const int kind = int(state.range(0)), pace = int(state.range(1));
  const bool fast = state.range(2) != 0;
  std::vector<std::string> args = {"--model", kind == 1 ? "KVP6GV1" : "KVR6GV2", "--channels",
                                   std::to_string(kChannels), "--clock", "2026-12-07 10:00:00",
                                   "--line-rate"};
  if (pace >= 1) args.insert(args.end(), {"--answer-after", "40"});
  if (pace == 2) args.insert(args.end(), {"--min-gap", "15"});
  testenv::SimProcess sim;
  if (!sim.Start(args)) {
    state.SkipWithError(sim.error().c_str());
    return;
  }
  acquire::DownloadSession session;
  session.Link().SetFastExchange(fast);
  if (session.Connect(testenv::ComParamFor(sim.device(), kBaud)) !=
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
  const time_t start = end - static_cast<time_t>(kRecords - 1) * session.Span().interval;
  for (auto _ : state) {
    double seconds = 0;
    if (kind == 2) {
      // Every channel's 4096 samples, 128 at a time, as the register
      // family's download walks them, in ASCII framing.
      RecorderLink& link = session.Link();
      uint8_t block[256];
      const auto t0 = std::chrono::steady_clock::now();
      for (int pass = 0; pass < kRecords / 128; ++pass)
        for (int m = 0; m < kChannels; ++m) {
          const uint32_t address = 2u * (uint32_t(m) * 262144u + uint32_t(pass) * 128u);
          // Tried up to three more times 50 ms apart, as the download does.
          bool ok = false;
          for (int attempt = 0; attempt < 4 && !ok; ++attempt) {
            if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
            ok = link.ReadBlock(address, block, 256, RecorderLink::kAscii) == 256;
          }
          if (!ok) {
            state.SkipWithError("an ASCII block read failed");
            return;
          }
        }
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    } else {
      time_t s = start, e = end;
      session.CheckSpan(false, &s, &e);
      session.ResetStop();
      if (session.Prepare(path, s, e, view, nullptr) != acquire::PrepareStatus::Ok) {
        state.SkipWithError("the preparation failed");
        break;
      }
      const auto t0 = std::chrono::steady_clock::now();
      const acquire::RunStatus ran = session.Run(nullptr);
      seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
      if (ran != acquire::RunStatus::Completed) {
        state.SkipWithError("the download failed");
        break;
      }
    }
    state.SetIterationTime(seconds);
    state.counters["floor_s"] = FloorSeconds(kind);
    state.counters["of_floor"] = seconds / FloorSeconds(kind);
    state.counters["fell_back"] = session.Link().FellBack() ? 1 : 0;
  }
  ::unlink(path.c_str());
  ::rmdir(dir);
}

}  // namespace

// Each download takes seconds to a minute (the settle times are real): one
// iteration, three repetitions.
BENCHMARK(BM_Download)
    ->ArgNames({"kind", "pace", "fast"})
    ->ArgsProduct({{0, 1, 2}, {0, 1, 2}, {0, 1}})
    ->UseManualTime()
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3);
BENCHMARK_MAIN();
