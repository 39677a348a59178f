// Each benchmark runs one link operation against recsim at 57600 baud and
// reports, besides the time, "overhead_ms": the time beyond the fixed waits
// of the operation (settle time, pauses, and the 20 ms of silence that end a
// reply at this speed).
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "link/recorderlink.h"
#include "simproc.h"

namespace {

constexpr double kSilenceMs = 20;  // read interval time-out at 57600 baud

struct Session {
  testenv::SimProcess sim;
  RecorderLink link;
  bool Start(const std::vector<std::string>& args, benchmark::State& state) {
    if (!sim.Start(args)) {
      state.SkipWithError(sim.error().c_str());
      return false;
    }
    if (!link.Open(testenv::ComParamFor(sim.device(), 57600))) {
      state.SkipWithError(link.Port().LastError().c_str());
      return false;
    }
    return true;
  }
};

template <typename Op>
void Measure(benchmark::State& state, const std::vector<std::string>& args, double fixedMs, Op op) {
  Session s;
  if (!s.Start(args, state)) return;
  double total = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    if (!op(s.link)) {
      state.SkipWithError("the exchange failed");
      return;
    }
    total +=
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }
  state.counters["overhead_ms"] =
      total / static_cast<double>(state.iterations()) - fixedMs - kSilenceMs;
}

// Settle 150 ms, 50 ms after the chunk, 50 ms after the last chunk.
void BM_ReadBytes(benchmark::State& state) {
  Measure(state, {"--model", "KVP6GV1"}, 150 + 50 + 50, [](RecorderLink& l) {
    uint8_t title[17];
    return l.ReadBytes(0xC002, 17, title) != 0;
  });
}

// Settle 150 ms, 50 ms after the last chunk.
void BM_ReadRegisters(benchmark::State& state) {
  Measure(state, {"--model", "KVP6GV1", "--channels", "16"}, 150 + 50, [](RecorderLink& l) {
    uint8_t values[64];
    return l.ReadRegisters(0, 64, values) != 0;
  });
}

// Settle 50 ms, 10 ms after the block.
void BM_ReadBlock(benchmark::State& state) {
  Measure(state, {"--model", "KVR6GV2"}, 50 + 10, [](RecorderLink& l) {
    uint8_t block[256];
    return l.ReadBlock(2 * 1000, block, 256, RecorderLink::kRtu) == 256;
  });
}

// Settle 200 ms, 30 ms after the reply, 50 + 50 ms after the chunk.
void BM_ReadRegistersAscii(benchmark::State& state) {
  Measure(state, {"--model", "KVR6GV2"}, 200 + 30 + 50 + 50, [](RecorderLink& l) {
    uint8_t block[80];
    return l.ReadRegistersAscii(0x1040, 80, block) != 0;
  });
}

// Settle 150 ms.
void BM_ReadRecordsAt(benchmark::State& state) {
  Measure(state, {"--model", "KVP6GV1", "--channels", "8"}, 150, [](RecorderLink& l) {
    uint8_t records[240];
    return l.ReadRecordsAt(time(nullptr) - 3600, 15, 8, records, sizeof records) == 240;
  });
}

}  // namespace

BENCHMARK(BM_ReadBytes)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRegisters)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBlock)->Iterations(20)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRegistersAscii)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadRecordsAt)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
