#pragma once
// Runs the recorder simulator (build/bin/recsim) as a child process for a
// test: starts it, reads the device path from its first line of output and
// stops it again. Shared by the tests of every layer that talks to a recorder.
#include <sys/types.h>

#include <string>
#include <vector>

#include "link/comparam.h"

namespace testenv {

class SimProcess {
 public:
  SimProcess() = default;
  ~SimProcess();
  SimProcess(const SimProcess&) = delete;
  SimProcess& operator=(const SimProcess&) = delete;

  // Starts recsim with these arguments and waits (up to 10 s) for the device
  // path. False when it did not start; error() then says why.
  bool Start(const std::vector<std::string>& args);
  // Sends SIGTERM and waits for the exit. Returns the exit status (-1 when
  // it did not end normally or was not running).
  int Stop();
  // Waits up to timeoutMs for an exit on its own; the exit status or -1.
  int Wait(int timeoutMs);

  const std::string& device() const { return device_; }
  const std::string& error() const { return error_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string device_;
  std::string error_;
};

// Settings for a link to device at the given speed: default time-outs and
// attempts, station 8.
_tagComParam ComParamFor(const std::string& device, int baud = 57600);

// The lines of a text file (a recsim request log), without line ends.
std::vector<std::string> ReadLines(const std::string& path);

}  // namespace testenv
