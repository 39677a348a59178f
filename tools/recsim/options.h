#pragma once
// The command line of recsim.
#include <cstdint>
#include <string>
#include <vector>

#include "faults.h"
#include "pacing.h"
#include "recorder.h"

namespace recsim {

struct Options {
  Recorder recorder;
  bool stationGiven = false;
  std::string device;  // serve this device instead of a new pseudo-terminal
  int baud = 57600;    // line speed of --device
  std::string link;    // symbolic link to the device
  std::string log;     // request log
  std::string xcom;    // settings file to take the station from and write the port into
  double stopAfter = -1;
  uint64_t seed = 1;
  bool asciiLower = false;
  std::vector<FaultRule> faults;
  Pacing pacing;
  bool help = false;
};

// Parses argv into options (defaults filled in). False with a message on error.
bool ParseOptions(int argc, char** argv, Options* options, std::string* error);

extern const char* const kUsage;

}  // namespace recsim
