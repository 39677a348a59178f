#include "platform/programdir.h"

#include <climits>
#include <cstdlib>
#include <unistd.h>

namespace platform {

std::string ProgramDir() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

std::string SettingsDir() {
  const char* home = std::getenv("RECVIEW_HOME");
  if (home && *home) {
    std::string dir(home);
    if (dir.back() != '/') dir += '/';
    return dir;
  }
  return ProgramDir();
}

std::string SettingsPath(const std::string& name) { return SettingsDir() + name; }

}  // namespace platform
