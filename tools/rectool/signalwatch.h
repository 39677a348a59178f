#pragma once
// Turns SIGINT, SIGTERM and SIGHUP into a stop request while a long command
// runs: the signals are blocked in every thread and one thread waits for them
// and calls onSignal (on that thread) for each.
#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <ctime>
#include <functional>
#include <thread>

namespace rectool {

class SignalWatch {
 public:
  explicit SignalWatch(std::function<void()> onSignal) : onSignal_(std::move(onSignal)) {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    sigaddset(&set_, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &set_, &old_);
    thread_ = std::thread([this] {
      int sig = 0;
      while (sigwait(&set_, &sig) == 0) {
        if (done_) return;
        interrupted_ = true;
        if (onSignal_) onSignal_();
      }
    });
  }
  ~SignalWatch() {
    done_ = true;
    pthread_kill(thread_.native_handle(), SIGTERM);
    thread_.join();
    // A signal that came meanwhile is dropped with the block.
    timespec zero{0, 0};
    while (sigtimedwait(&set_, nullptr, &zero) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &old_, nullptr);
  }
  SignalWatch(const SignalWatch&) = delete;
  SignalWatch& operator=(const SignalWatch&) = delete;
  bool Interrupted() const { return interrupted_; }

 private:
  std::function<void()> onSignal_;
  sigset_t set_, old_;
  std::thread thread_;
  std::atomic<bool> done_{false};
  std::atomic<bool> interrupted_{false};
};

}  // namespace rectool
