// The download workers: copy the samples of the prepared span from the
// recorder into the data file, stopping cleanly when asked or when the line
// fails.
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "acquire/download.h"

namespace acquire {

namespace {

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

uint32_t RingMod(int64_t v) {
  return static_cast<uint32_t>((v % kRingSize + kRingSize) % kRingSize);
}

// A sample read and its kSampleRetries further attempts, kRetryPauseMs apart.
template <class Read>
bool WithRetries(const Read& read) {
  for (int attempt = 0; attempt <= kSampleRetries; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(kRetryPauseMs));
    if (read()) return true;
  }
  return false;
}

}  // namespace

bool DownloadSession::ReadSamples(uint32_t address, uint8_t* out, int bytes) {
  return WithRetries(
      [&] { return link_.ReadBlock(address, out, bytes, RecorderLink::kRtu) == bytes; });
}

RunStatus DownloadSession::Run(const ProgressFn& progress) {
  if (!fileOpen_) return RunStatus::WriteFailed;
  report_ = DownloadReport{};
  const RunStatus status =
      span_.family == Family::Register ? RunRegister(progress) : RunBlock(progress);
  if (status != RunStatus::Completed) {
    if (progress) progress(0, 1);
    Discard();
  }
  return status;
}

RunStatus DownloadSession::Finish(int64_t startMs) {
  file_.SetEndTime(end_);
  // The file takes its name only once it is on disk; a failure leaves the
  // target as it was and no file of this download.
  const bool written = file_.Close();
  fileOpen_ = false;
  if (!written) return RunStatus::WriteFailed;
  report_.finished = time(nullptr);
  report_.elapsedMs = NowMs() - startMs;
  return RunStatus::Completed;
}

RunStatus DownloadSession::RunRegister(const ProgressFn& progress) {
  const _tagDataHead& head = file_.Head();
  const int n = chnlCount_;
  const int64_t b = head.lastIndex;
  const int64_t records = b + 1;
  const int f = kSamplesPerRead;
  const int64_t passes = (b + f) / f;
  uint32_t p = RingMod(static_cast<int64_t>(endRingIndex_) - b);
  report_.totalBytes = records * n * 2;
  report_.records = static_cast<int>(records);
  report_.started = time(nullptr);
  const int64_t startMs = NowMs();

  const int maximum = static_cast<int>(std::min<int64_t>(n * passes, INT32_MAX));
  if (progress) progress(0, maximum);
  uint8_t samples[2 * kSamplesPerRead];
  for (int64_t pass = 0; pass < passes; ++pass) {
    // The samples of this pass: up to f, no further than the span's end.
    const int count = static_cast<int>(
        std::min<int64_t>(f, RingMod(static_cast<int64_t>(endRingIndex_) - p) + 1));
    for (int m = 0; m < n; ++m) {
      if (StopRequested()) return RunStatus::Stopped;
      if (progress) progress(static_cast<int>(std::min<int64_t>(n * pass + m, maximum)), maximum);
      const uint32_t ring = 2u * static_cast<uint32_t>(m) * kRingSize;
      const uint32_t d = kRingSize - p;  // samples left before the ring's end
      if (d < static_cast<uint32_t>(f)) {
        // The read crosses the end of the ring: its tail, then its start.
        if (!ReadSamples(ring + 2 * p, samples, static_cast<int>(2 * d)))
          return RunStatus::CommFailed;
        if (static_cast<uint32_t>(count) > d &&
            !ReadSamples(ring, samples + 2 * d, static_cast<int>(2 * (f - d))))
          return RunStatus::CommFailed;
      } else if (!ReadSamples(ring + 2 * p, samples, 2 * f)) {
        return RunStatus::CommFailed;
      }
      if (!file_.WriteValues(samples, count, m)) return RunStatus::WriteFailed;
    }
    p = (p + static_cast<uint32_t>(count)) % kRingSize;
    file_.Advance(count);
  }
  if (progress) progress(maximum, maximum);
  return Finish(startMs);
}

RunStatus DownloadSession::RunBlock(const ProgressFn& progress) {
  const _tagDataHead& head = file_.Head();
  const int n = chnlCount_;
  const int64_t records = head.capacity;
  const int h = kRecordBytesPerRequest / 2 / n;  // records per request
  const int64_t requests = (records + h - 1) / h;
  report_.totalBytes = records * n * 2;
  report_.records = static_cast<int>(records);
  report_.started = time(nullptr);
  const int64_t startMs = NowMs();

  const int maximum = static_cast<int>(std::min<int64_t>(requests, INT32_MAX));
  if (progress) progress(0, maximum);
  std::vector<uint8_t> buffer(static_cast<size_t>(h) * n * 2);
  time_t t = start_;
  for (int64_t k = 0; k < requests; ++k) {
    if (StopRequested()) return RunStatus::Stopped;
    if (progress) progress(static_cast<int>(std::min<int64_t>(k, maximum)), maximum);
    // The last request asks only for the records that remain of the span.
    const int want = static_cast<int>(std::min<int64_t>(h, records - k * h));
    const int bytes = want * n * 2;
    if (!WithRetries(
            [&] { return link_.ReadRecordsAt(t, want, n, buffer.data(), bytes) == bytes; }))
      return RunStatus::CommFailed;
    t += static_cast<time_t>(h) * head.interval;
    if (!file_.WriteValues(buffer.data(), bytes, static_cast<int>(h * k)))
      return RunStatus::WriteFailed;
  }
  file_.Advance(static_cast<int>(records));
  if (progress) progress(maximum, maximum);
  return Finish(startMs);
}

}  // namespace acquire
