#pragma once
// A link to a fresh recsim, with its request log.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/testenv.h"
#include "link/recorderlink.h"
#include "simproc.h"

class LinkTest : public ::testing::Test {
 protected:
  void StartSim(std::vector<std::string> args) {
    log_ = testenv::NewDir("sim") + "requests.log";
    args.push_back("--log");
    args.push_back(log_);
    ASSERT_TRUE(sim_.Start(args)) << sim_.error();
  }
  void OpenLink(int attempts = 2, int baud = 57600, int address = 8) {
    _tagComParam p = testenv::ComParamFor(sim_.device(), baud);
    p.ReadDefaultErrorTimes = attempts;
    p.Address = address;
    ASSERT_EQ(link_.Open(p), 1) << link_.Port().LastError();
  }
  std::vector<std::string> Log() const { return testenv::ReadLines(log_); }

  testenv::SimProcess sim_;
  RecorderLink link_;
  std::string log_;
};

// The samples recsim stores, as its documentation gives them.
inline uint16_t SimRaw(int m, uint64_t k) {
  return static_cast<uint16_t>((4099ull * static_cast<uint64_t>(m) + 37ull * k) % 65536ull);
}
