#include "common/testenv.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace testenv {
namespace {
std::string g_home;
}

void Setup() {
  char tmpl[] = "/tmp/recview-test-XXXXXX";
  const char* dir = ::mkdtemp(tmpl);
  g_home = std::string(dir ? dir : "/tmp") + "/";
  ::setenv("RECVIEW_HOME", g_home.c_str(), 1);
  if (!std::getenv("TZ")) ::setenv("TZ", "Asia/Shanghai", 1);
  std::string runtime = g_home + "xdg";
  ::mkdir(runtime.c_str(), 0700);
  ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  ::tzset();
}

std::string Home() { return g_home; }

std::string NewDir(const std::string& hint) {
  static std::atomic<int> counter{0};
  std::string dir = g_home + hint + std::to_string(++counter) + "/";
  ::mkdir(dir.c_str(), 0755);
  return dir;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::string BinDir() {
#ifdef RECVIEW_BIN_DIR
  return std::string(RECVIEW_BIN_DIR) + "/";
#else
  return "./";
#endif
}

CommandResult RunCommand(const std::string& commandLine) {
  CommandResult r;
  FILE* p = ::popen(commandLine.c_str(), "r");
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = ::pclose(p);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

RectoolResult RunRectool(const std::string& args) {
  const std::string errPath = NewDir("err") + "stderr";
  CommandResult run = RunCommand(BinDir() + "rectool " + args + " 2>" + errPath);
  return {run.code, std::move(run.out), ReadFile(errPath)};
}

}  // namespace testenv
