#pragma once
// A program of the program directory (rectool, recview) run as a child
// process, its standard output and error going to files.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/testenv.h"

namespace testenv {

struct Result {
  int code = -1;
  std::string out, err;
};

class ChildProgram {
 public:
  ChildProgram(const std::string& program, const std::vector<std::string>& args) {
    const std::string dir = NewDir(program);
    out_ = dir + "out";
    err_ = dir + "err";
    std::vector<std::string> all{std::string(RECVIEW_BIN_DIR) + "/" + program};
    all.insert(all.end(), args.begin(), args.end());
    pid_ = fork();
    if (pid_ == 0) {
      const int o = open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int e = open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      dup2(o, 1);
      dup2(e, 2);
      std::vector<char*> argv;
      for (std::string& a : all) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(argv[0], argv.data());
      _exit(127);
    }
  }
  ~ChildProgram() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  ChildProgram(const ChildProgram&) = delete;
  ChildProgram& operator=(const ChildProgram&) = delete;

  Result Wait() {
    Result r;
    int status = 0;
    if (waitpid(pid_, &status, 0) == pid_) r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    pid_ = -1;
    r.out = ReadFile(out_);
    r.err = ReadFile(err_);
    return r;
  }
  std::string Err() const { return ReadFile(err_); }
  void Signal(int sig) { kill(pid_, sig); }
  // Kills the program at once (no chance to clean up) and reaps it.
  void Kill() {
    if (pid_ <= 0) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  std::string out_, err_;
};

}  // namespace testenv
