#pragma once
// An auto-reset event: Set wakes one waiter (or the next one to wait), and a
// successful wait resets the event.
#include <condition_variable>
#include <mutex>

namespace platform {

class AutoResetEvent {
 public:
  explicit AutoResetEvent(bool initiallySet = false) : set_(initiallySet) {}
  void Set();
  void Reset();
  // Waits up to timeoutMs milliseconds (negative: without limit). True when the
  // event was set; the event is then reset.
  bool Wait(int timeoutMs);

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool set_;
};

}  // namespace platform
