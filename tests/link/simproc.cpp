#include "simproc.h"

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

namespace testenv {

namespace {
// The program directory of the build, where recsim lands.
std::string ProgramDirectory() { return std::string(RECVIEW_BIN_DIR) + "/"; }
}  // namespace

SimProcess::~SimProcess() { Stop(); }

bool SimProcess::Start(const std::vector<std::string>& args) {
  Stop();
  error_.clear();
  device_.clear();
  const std::string program = ProgramDirectory() + "recsim";
  int fds[2];
  if (pipe(fds) != 0) {
    error_ = "pipe failed";
    return false;
  }
  std::vector<std::string> all{program};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    // The simulator goes with the test, also when the test dies: else it
    // would keep the test runner's output open.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(fds[1]);
  out_ = fds[0];
  if (pid_ < 0) {
    error_ = "fork failed";
    return false;
  }
  // The first line is the device path.
  std::string line;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (line.empty() || line.back() != '\n') {
    pollfd p{out_, POLLIN, 0};
    if (std::chrono::steady_clock::now() > until || poll(&p, 1, 100) < 0) break;
    if (!(p.revents & (POLLIN | POLLHUP))) continue;
    char c;
    if (read(out_, &c, 1) != 1) break;
    line += c;
  }
  if (line.empty() || line.back() != '\n') {
    error_ = "recsim gave no device path (exit status " + std::to_string(Wait(2000)) + ")";
    return false;
  }
  line.pop_back();
  device_ = line;
  return true;
}

int SimProcess::Wait(int timeoutMs) {
  if (pid_ <= 0) return -1;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  for (;;) {
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) break;
    if (r < 0) {
      pid_ = -1;
      return -1;
    }
    if (std::chrono::steady_clock::now() > until) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  pid_ = -1;
  if (out_ >= 0) close(out_);
  out_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int SimProcess::Stop() {
  if (pid_ <= 0) return -1;
  kill(pid_, SIGTERM);
  int status = Wait(5000);
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    Wait(5000);
  }
  return status;
}

_tagComParam ComParamFor(const std::string& device, int baud) {
  _tagComParam p = DefaultComParam();
  std::memset(p.ComPort, 0, sizeof p.ComPort);
  std::strncpy(p.ComPort, device.c_str(), sizeof p.ComPort - 1);
  p.Baudrate = baud;
  return p;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace testenv
