// Every reply fault recsim can make: the exchange fails (the buffer keeps its
// bytes), each chunk is asked ReadDefaultErrorTimes times, and a fault that
// hits only the first attempt is overcome by the retry.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <ostream>
#include <string>

#include "linkfixture.h"

namespace {

struct FaultCase {
  const char* rule;
  bool ascii;  // ReadRegistersAscii on a register-family recorder, else ReadRegisters
};

class ReplyFault : public LinkTest, public ::testing::WithParamInterface<FaultCase> {
 protected:
  void Start(const std::string& rule) {
    const FaultCase& c = GetParam();
    StartSim({"--model", c.ascii ? "KVR6GV2" : "KVP6GV1", "--fault", rule});
    OpenLink(2);
  }
  int Read(uint8_t* buffer) {
    // The channel count (register family, ASCII) or the first float value.
    return GetParam().ascii ? link_.ReadRegistersAscii(0x1013, 4, buffer)
                            : link_.ReadRegisters(0, 4, buffer);
  }
};

TEST_P(ReplyFault, FailsAfterEveryAttempt) {
  Start(GetParam().rule);
  uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(Read(buffer), 0);
  EXPECT_EQ(Log().size(), 2u);
  for (uint8_t b : buffer) EXPECT_EQ(b, 0xEE);
}

TEST_P(ReplyFault, RetryOvercomesAFaultOfTheFirstAttempt) {
  Start(std::string(GetParam().rule) + (std::strchr(GetParam().rule, ':') ? "," : ":") + "count=1");
  uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
  EXPECT_EQ(Read(buffer), 1);
  ASSERT_EQ(Log().size(), 2u);
  EXPECT_NE(Log()[1].find("-> ok"), std::string::npos);
}

const FaultCase kCases[] = {
    {"drop", false},
    {"drop", true},
    {"late:ms=250", false},
    {"truncate:bytes=4", false},
    {"truncate:bytes=4", true},
    {"truncate:bytes=8", false},
    {"truncate:bytes=12", true},
    {"corrupt", false},
    {"corrupt", true},
    {"exception", false},
    {"exception", true},
    {"count", false},
    {"count", true},
    {"short", false},
    {"short", true},
    {"station", false},
    {"station", true},
    {"gap:bytes=5,ms=250", false},
};

void PrintTo(const FaultCase& c, std::ostream* os) {
  *os << (c.ascii ? "ASCII " : "RTU ") << c.rule;
}

std::string CaseName(const ::testing::TestParamInfo<FaultCase>& info) {
  std::string name = std::string(info.param.ascii ? "Ascii_" : "Rtu_") + info.param.rule;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(All, ReplyFault, ::testing::ValuesIn(kCases), CaseName);

// Faults hit at the rate asked, reproducibly for one seed.
TEST_F(LinkTest, FaultRateFollowsTheSeed) {
  auto run = [this](const char* seed) {
    StartSim({"--model", "KVP6GV1", "--fault", "drop:rate=0.5", "--seed", seed});
    OpenLink(1);
    std::string pattern;
    uint8_t buffer[1];
    for (int i = 0; i < 12; ++i) pattern += link_.ReadBytes(0xC000, 1, buffer) ? '1' : '0';
    link_.Close();
    sim_.Stop();
    return pattern;
  };
  const std::string a = run("7");
  EXPECT_NE(a.find('0'), std::string::npos);
  EXPECT_NE(a.find('1'), std::string::npos);
  EXPECT_EQ(run("7"), a);
}

}  // namespace
