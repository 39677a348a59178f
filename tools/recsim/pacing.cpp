#include "pacing.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <thread>

#include "faults.h"

namespace recsim {

bool ParsePacingOption(const std::string& arg, const char* value, Pacing* pacing, bool* usedValue,
                       std::string* error) {
  *usedValue = false;
  if (arg == "--line-rate") {
    pacing->lineRate = true;
    return true;
  }
  if (arg != "--answer-after" && arg != "--min-gap") return false;
  *usedValue = true;
  long ms = 0;
  if (!value || !ParseLong(value, 0, 60000, &ms)) {
    *error = arg + " needs milliseconds from 0 to 60000";
    return false;
  }
  (arg == "--answer-after" ? pacing->answerAfterMs : pacing->minGapMs) = static_cast<int>(ms);
  return true;
}

bool Pacer::TooSoon() const {
  if (p_.minGapMs <= 0 || lastReplyEnd_ == Clock::time_point{}) return false;
  return Clock::now() - lastReplyEnd_ < std::chrono::milliseconds(p_.minGapMs);
}

void Pacer::WaitToAnswer(Clock::time_point arrived, const volatile int* stop) const {
  const auto until = arrived + std::chrono::milliseconds(p_.answerAfterMs);
  while (!*stop && Clock::now() < until)
    std::this_thread::sleep_for(
        std::min<Clock::duration>(std::chrono::milliseconds(10), until - Clock::now()));
}

void Pacer::Send(int fd, const uint8_t* bytes, size_t n, const volatile int* stop) {
  // Ten bits a character: the bytes due by now go out, a millisecond apart.
  const auto start = Clock::now();
  const double perSecond = std::max(p_.baud, 50) / 10.0;
  size_t done = 0;
  while (done < n && !*stop) {
    size_t due = n;
    if (p_.lineRate) {
      const double s = std::chrono::duration<double>(Clock::now() - start).count();
      due = std::min(n, static_cast<size_t>(s * perSecond) + 1);
    }
    if (due > done) {
      const ssize_t r = ::write(fd, bytes + done, due - done);
      if (r > 0) {
        done += static_cast<size_t>(r);
      } else if (r < 0 && (errno == EAGAIN || errno == EINTR)) {
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, 50);
      } else {
        break;
      }
    }
    if (done < n && p_.lineRate) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  // The last character is on the line only when its ten bits have passed.
  if (p_.lineRate) {
    const auto end = start + std::chrono::microseconds(static_cast<long long>(n * 1e6 / perSecond));
    if (end > Clock::now()) std::this_thread::sleep_until(end);
  }
  Sent();
}

}  // namespace recsim
