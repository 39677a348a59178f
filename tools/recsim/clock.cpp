// The recorder's clock: the wall clock or a fixed time, run faster than real
// time (--speed) and moved forward on request (--jump with SIGUSR1), so that
// tests and demonstrations see days of recording in seconds, and the ring of
// a register-family recorder wrap past records nobody collected.
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "recorder.h"

namespace recsim {

namespace {

int64_t SteadyMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

void Recorder::StartClock() {
  started = time(nullptr);
  startedMs = SteadyMs();
}

double Recorder::Speed() const { return speed >= 0 ? speed : wallClock ? 1.0 : 0.0; }

time_t Recorder::FirstNewest() const {
  if (!wallClock) return fixedNewest;
  const int s = intervalSeconds();
  return started - started % s;
}

time_t Recorder::Now() const {
  const time_t origin = wallClock ? started : fixedNewest;
  const double run = Speed() * static_cast<double>(SteadyMs() - startedMs) / 1000.0;
  return origin + static_cast<time_t>(std::floor(run)) + static_cast<time_t>(jumped);
}

time_t Recorder::Newest() const {
  const time_t first = FirstNewest();
  const time_t now = Now();
  if (now <= first) return first;
  const int s = intervalSeconds();
  return first + (now - first) / s * s;
}

uint32_t Recorder::NewestRingIndex() const {
  const uint64_t records = static_cast<uint64_t>((Newest() - FirstNewest()) / intervalSeconds());
  return static_cast<uint32_t>((newestIndex + records) % kRingSize);
}

std::vector<Recorder> Recorder::Stations(const std::vector<uint8_t>& stations) const {
  std::vector<Recorder> out;
  for (size_t i = 0; i < stations.size(); ++i) {
    Recorder r = *this;
    r.station = stations[i];
    // Each station's ring stands elsewhere, so their files differ.
    r.newestIndex = static_cast<uint32_t>((newestIndex + 4096u * i) % kRingSize);
    out.push_back(r);
  }
  return out;
}

}  // namespace recsim

