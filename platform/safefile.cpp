#include "platform/safefile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

namespace platform {
namespace {

// The process's file mode mask, read without changing it (umask() would change
// it for every thread for a moment).
mode_t CurrentUmask() {
  FILE* f = std::fopen("/proc/self/status", "re");
  mode_t mask = 022;
  if (!f) return mask;
  char line[256];
  while (std::fgets(line, sizeof(line), f)) {
    unsigned v;
    if (std::sscanf(line, "Umask: %o", &v) == 1) {
      mask = static_cast<mode_t>(v);
      break;
    }
  }
  std::fclose(f);
  return mask;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool SyncFolderOf(const std::string& path) {
  int dfd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return false;
  // Some file systems cannot sync a folder; the rename itself has happened.
  bool ok = ::fsync(dfd) == 0 || errno == EINVAL || errno == EROFS;
  ok = ::close(dfd) == 0 && ok;
  return ok;
}

std::string SystemError(const std::string& what, int err) { return what + ": " + std::strerror(err); }

std::atomic<CommitCheck> g_check{nullptr};

// The temporary files open now, removed by the signal handler. The names live
// in fixed slots that are never freed, so the handler reads no freed memory.
// More writers at once than slots still work; theirs are not removed on a
// signal.
constexpr int kSlots = 32;
struct Slot {
  std::atomic<bool> used{false};
  std::atomic<bool> live{false};
  char path[PATH_MAX];
};
Slot g_slots[kSlots];
struct sigaction g_previous[3];
constexpr int kSignals[3] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void OnEndingSignal(int sig, siginfo_t* info, void* context) {
  int k = 0;
  while (k < 2 && kSignals[k] != sig) ++k;
  const struct sigaction& prev = g_previous[k];
  if (prev.sa_flags & SA_SIGINFO) {
    if (prev.sa_sigaction) prev.sa_sigaction(sig, info, context);
    return;
  }
  if (prev.sa_handler == SIG_IGN) return;
  if (prev.sa_handler != SIG_DFL) {
    // The program stops its own work and abandons its files.
    prev.sa_handler(sig);
    return;
  }
  const int saved = errno;
  for (Slot& s : g_slots)
    if (s.live.load()) ::unlink(s.path);
  errno = saved;
  // Ends the process the way the signal would have.
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void InstallSignalCleanup() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (int k = 0; k < 3; ++k) {
      struct sigaction act {};
      act.sa_sigaction = OnEndingSignal;
      act.sa_flags = SA_SIGINFO | SA_RESTART;
      sigemptyset(&act.sa_mask);
      ::sigaction(kSignals[k], &act, &g_previous[k]);
    }
  });
}

int ClaimSlot(const std::string& path) {
  if (path.size() >= PATH_MAX) return -1;
  for (int i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (g_slots[i].used.compare_exchange_strong(expected, true)) {
      std::memcpy(g_slots[i].path, path.c_str(), path.size() + 1);
      g_slots[i].live.store(true);
      return i;
    }
  }
  return -1;
}

void ReleaseSlot(int i) {
  if (i < 0) return;
  g_slots[i].live.store(false);
  g_slots[i].used.store(false);
}

bool WriteFully(int fd, const void* data, size_t n) {
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w < 0) return false;
    if (w == 0) {
      errno = ENOSPC;
      return false;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

}  // namespace

void SetCommitCheck(CommitCheck check) { g_check.store(check); }

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool NewFile::Open(const std::string& target, unsigned mode) {
  Abandon();
  error_.clear();
  failed_ = false;
  if (target.empty()) {
    error_ = "no file name given";
    return false;
  }
  // A link keeps pointing where it did: the file it names is replaced.
  std::string real = target;
  struct stat ls;
  char resolved[PATH_MAX];
  if (::lstat(target.c_str(), &ls) == 0 && S_ISLNK(ls.st_mode) && ::realpath(target.c_str(), resolved))
    real = resolved;
  struct stat old;
  const bool exists = ::stat(real.c_str(), &old) == 0;
  if (exists && S_ISDIR(old.st_mode)) {
    error_ = target + " is a folder";
    return false;
  }
  if (exists && ::access(real.c_str(), W_OK) != 0) {
    error_ = SystemError("cannot replace " + target, errno);
    return false;
  }
  const size_t slash = real.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : real.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? real : real.substr(slash + 1);
  std::string name = dir + "." + base + ".XXXXXX";
  InstallSignalCleanup();
  // No signal between the creation and the claim of a slot: the file would
  // be left behind.
  sigset_t block, was;
  sigemptyset(&block);
  for (int s : kSignals) sigaddset(&block, s);
  pthread_sigmask(SIG_BLOCK, &block, &was);
  const int fd = ::mkostemp(name.data(), O_CLOEXEC);
  const int err = errno;
  if (fd >= 0) slot_ = ClaimSlot(name);
  pthread_sigmask(SIG_SETMASK, &was, nullptr);
  if (fd < 0) {
    error_ = SystemError("cannot create a file in " + (dir.empty() ? std::string(".") : dir), err);
    return false;
  }
  fd_ = fd;
  temp_ = name;
  target_ = real;
  // mkstemp makes the file private; it gets the rights of the file it
  // replaces, or the usual ones.
  if (::fchmod(fd_, exists ? (old.st_mode & 07777) : (static_cast<mode_t>(mode) & ~CurrentUmask())) != 0) {
    error_ = SystemError("cannot create " + target, errno);
    Abandon();
    return false;
  }
  return true;
}

bool NewFile::Write(const void* data, size_t n) {
  if (failed_) return false;
  if (fd_ < 0) {
    Fail("the file is not open");
    return false;
  }
  if (!WriteFully(fd_, data, n)) {
    Fail(SystemError("cannot write " + target_, errno));
    return false;
  }
  return true;
}

void NewFile::Fail(const std::string& why) {
  if (!failed_) error_ = why;
  failed_ = true;
}

bool NewFile::Commit() {
  if (fd_ < 0) {
    if (!failed_) error_ = "the file is not open";
    return false;
  }
  // The contents reach the disk before the name does.
  if (!failed_ && ::fsync(fd_) != 0) Fail(SystemError("cannot write " + target_, errno));
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) Fail(SystemError("cannot write " + target_, errno));
  std::string why;
  const CommitCheck check = g_check.load();
  if (!failed_ && check && !check(&why)) Fail(why);
  if (!failed_ && ::rename(temp_.c_str(), target_.c_str()) != 0)
    Fail(SystemError("cannot put the file in place as " + target_, errno));
  if (failed_) {
    Abandon();
    return false;
  }
  ReleaseSlot(slot_);
  slot_ = -1;
  temp_.clear();
  if (!SyncFolderOf(target_)) {
    error_ = SystemError("cannot write the folder of " + target_, errno);
    return false;
  }
  return true;
}

void NewFile::Abandon() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  if (!temp_.empty()) ::unlink(temp_.c_str());
  temp_.clear();
  ReleaseSlot(slot_);
  slot_ = -1;
}

}  // namespace platform
