#include "data/filehandles.h"

#include <signal.h>
#include <sys/stat.h>

#include <atomic>
#include <cerrno>
#include <mutex>

namespace {

// The mappings in use. The SIGBUS handler looks a faulting address up here;
// the entries are fixed, so it reads nothing that could be freed under it.
// Mappings beyond the table still work, unguarded.
constexpr int kGuards = 256;
struct Guard {
  std::atomic<bool> used{false};
  std::atomic<uintptr_t> begin{0};
  std::atomic<uintptr_t> end{0};
  std::atomic<int> fd{-1};
  std::atomic<bool> lost{false};
};
Guard g_guards[kGuards];
std::atomic<bool> g_anyShrunk{false};
struct sigaction g_previous;
uintptr_t g_pageSize = 4096;

extern "C" void OnBusError(int sig, siginfo_t* info, void* context) {
  const uintptr_t at = reinterpret_cast<uintptr_t>(info->si_addr);
  for (Guard& g : g_guards) {
    if (!g.used.load() || at < g.begin.load() || at >= g.end.load()) continue;
    // The file ends before this page: the rest of the mapping reads zeros.
    const uintptr_t page = at & ~(g_pageSize - 1);
    void* zeros = ::mmap(reinterpret_cast<void*>(page), g.end.load() - page, PROT_READ | PROT_WRITE,
                         MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (zeros == MAP_FAILED) break;
    g.lost.store(true);
    g_anyShrunk.store(true);
    return;
  }
  // Not one of ours: what would have happened without this handler.
  if (g_previous.sa_flags & SA_SIGINFO) {
    if (g_previous.sa_sigaction) return g_previous.sa_sigaction(sig, info, context);
  } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
    return g_previous.sa_handler(sig);
  }
  ::signal(SIGBUS, SIG_DFL);  // the access faults again and ends the process
}

void InstallBusHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    g_pageSize = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    struct sigaction act {};
    act.sa_sigaction = OnBusError;
    act.sa_flags = SA_SIGINFO;
    sigemptyset(&act.sa_mask);
    ::sigaction(SIGBUS, &act, &g_previous);
  });
}

}  // namespace

bool MappedView::map(int fd, size_t size, bool writable) {
  reset();
  void* v = ::mmap(nullptr, size, PROT_READ | (writable ? PROT_WRITE : 0), MAP_SHARED, fd, 0);
  if (v == MAP_FAILED) return false;
  data_ = static_cast<uint8_t*>(v);
  size_ = size;
  InstallBusHandler();
  for (int i = 0; i < kGuards; ++i) {
    bool expected = false;
    if (!g_guards[i].used.compare_exchange_strong(expected, true)) continue;
    Guard& g = g_guards[i];
    g.lost.store(false);
    g.fd.store(fd);
    g.end.store(reinterpret_cast<uintptr_t>(data_) + size);
    g.begin.store(reinterpret_cast<uintptr_t>(data_));
    guard_ = i;
    break;
  }
  return true;
}

bool MappedView::Shrunk() const {
  if (!data_) return false;
  if (guard_ >= 0) {
    const Guard& g = g_guards[guard_];
    if (g.lost.load()) return true;
    // Bytes lost within the last page read as zeros without a fault.
    struct stat st;
    if (::fstat(g.fd.load(), &st) == 0 && static_cast<uint64_t>(st.st_size) < size_) {
      g_anyShrunk.store(true);
      return true;
    }
  }
  return false;
}

void MappedView::reset() {
  if (guard_ >= 0) {
    Shrunk();
    Guard& g = g_guards[guard_];
    g.begin.store(0);
    g.end.store(0);
    g.fd.store(-1);
    g.used.store(false);
    guard_ = -1;
  }
  if (data_) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

bool AnyMappedFileShrunk() {
  if (g_anyShrunk.load()) return true;
  for (const Guard& g : g_guards) {
    struct stat st;
    const int fd = g.fd.load();
    if (g.used.load() && fd >= 0 && ::fstat(fd, &st) == 0 &&
        static_cast<uint64_t>(st.st_size) < g.end.load() - g.begin.load())
      return true;
  }
  return false;
}
