#include "platform/programdir.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace platform {

std::string ProgramDir() {
  char buf[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof(buf) - 1);
  if (n <= 0) return "./";
  std::string path(buf, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

namespace {

std::string WithSlash(std::string dir) {
  if (dir.empty() || dir.back() != '/') dir += '/';
  return dir;
}

// mkdir -p; true when the directory exists afterwards.
bool MakeDirs(const std::string& dir) {
  for (size_t i = 1; i <= dir.size(); ++i) {
    if (i < dir.size() && dir[i] != '/') continue;
    const std::string part = dir.substr(0, i);
    if (::mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  struct stat st;
  return ::stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string ChooseSettingsDir(const char* recviewHome, const std::string& programDir,
                              const char* xdgDataHome, const char* home) {
  if (recviewHome && *recviewHome) return WithSlash(recviewHome);
  // Below /usr the files belong to the package manager, and /usr may be
  // mounted read-only: not even root keeps settings there.
  const bool system = programDir.compare(0, 5, "/usr/") == 0;
  if (!system && ::access(programDir.c_str(), W_OK) == 0) return programDir;
  std::string user;
  if (xdgDataHome && xdgDataHome[0] == '/')
    user = WithSlash(xdgDataHome) + "recview/";
  else if (home && *home)
    user = WithSlash(home) + ".local/share/recview/";
  if (user.empty() || !MakeDirs(user)) return programDir;
  return user;
}

std::string SettingsDir() {
  return ChooseSettingsDir(std::getenv("RECVIEW_HOME"), ProgramDir(), std::getenv("XDG_DATA_HOME"),
                           std::getenv("HOME"));
}

std::string SettingsPath(const std::string& name) { return SettingsDir() + name; }

}  // namespace platform
