#include "platform/safefile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

}  // namespace

int CreateBeside(const std::string& target, std::string* tempPath, unsigned mode) {
  std::string name = target + ".XXXXXX";
  std::vector<char> buf(name.begin(), name.end());
  buf.push_back('\0');
  int fd = ::mkostemp(buf.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fchmod(fd, static_cast<mode_t>(mode) & ~CurrentUmask()) != 0) {
    const int e = errno;
    ::close(fd);
    ::unlink(buf.data());
    errno = e;
    return -1;
  }
  *tempPath = buf.data();
  return fd;
}

bool SyncFolderOf(const std::string& path) {
  int dfd = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return false;
  // Some file systems cannot sync a folder; the rename itself has happened.
  bool ok = ::fsync(dfd) == 0 || errno == EINVAL || errno == EROFS;
  ok = ::close(dfd) == 0 && ok;
  return ok;
}

bool ReplaceFile(const std::string& temp, const std::string& target) {
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return SyncFolderOf(target);
}

bool WriteFully(int fd, const void* data, size_t n) {
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    n -= static_cast<size_t>(w);
  }
  return true;
}

}  // namespace platform
