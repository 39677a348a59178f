#pragma once
// The recorder's own pace, for trying the link against recorders slower than
// recsim: a reply sent only some time after its request, requests ignored
// that come too soon after the last reply, replies sent at the line's speed
// (a pseudo-terminal carries them at once otherwise).
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace recsim {

struct Pacing {
  int answerAfterMs = 0;  // --answer-after: reply this long after the request
  int minGapMs = 0;       // --min-gap: ignore requests sooner after the last reply
  bool lineRate = false;  // --line-rate: send replies at the line's speed
  int baud = 57600;       // the speed of --line-rate (that of --baud)
};

// Takes the pacing options: true when arg is one of them (*taken set; value
// consumed when *usedValue), false with *error when its value is bad.
// Returns false without error for any other option.
bool ParsePacingOption(const std::string& arg, const char* value, Pacing* pacing, bool* usedValue,
                       std::string* error);

class Pacer {
 public:
  using Clock = std::chrono::steady_clock;
  explicit Pacer(const Pacing& p) : p_(p) {}
  // True when a request that arrived now is to be ignored (it came sooner
  // than the least gap after the end of the last reply).
  bool TooSoon() const;
  // Waits what remains of the answer delay since `arrived`.
  void WaitToAnswer(Clock::time_point arrived, const volatile int* stop) const;
  // Writes the reply, at the line's speed when asked, and notes its end.
  void Send(int fd, const uint8_t* bytes, size_t n, const volatile int* stop);
  // Notes the end of a reply sent by other means.
  void Sent() { lastReplyEnd_ = Clock::now(); }

 private:
  Pacing p_;
  Clock::time_point lastReplyEnd_{};
};

}  // namespace recsim
