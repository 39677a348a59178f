#pragma once
// Downloads against a fresh recsim on a pseudo-terminal, and the means to
// check a downloaded file byte by byte against recsim's sample function.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "acquire/download.h"
#include "common/testenv.h"
#include "data/records.h"
#include "simproc.h"
#include "viewcfg/viewdef.h"

namespace dltest {

// recsim's stored sample of channel m at position k (ring index or time).
inline uint16_t SimRaw(int m, uint64_t k) {
  return static_cast<uint16_t>((4099ull * static_cast<uint64_t>(m) + 37ull * k) % 65536ull);
}

inline time_t Local(const char* text) {
  time_t t = 0;
  EXPECT_TRUE(ParseTime(text, &t)) << text;
  return t;
}

inline bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// Chart defaults with colours that tell the channels apart.
inline _tagViewDef View() {
  _tagViewDef v{};
  v.XMode = 1;
  v.YMode = 1;
  v.YLow = -5;
  v.YHi = 105;
  v.XGrids = 6;
  v.YGrids = 4;
  v.ClrGrid = 0x808080;
  v.ClrBK = 0x102030;
  for (int i = 0; i < 8; ++i) v.clrChnl[i] = 0x010101u * static_cast<uint32_t>(i + 1);
  return v;
}

// The raw counts of a downloaded file, read from its bytes.
struct FileCounts {
  std::string bytes;
  int n = 0;
  int capacity = 0;
  bool recordMajor = false;
  uint16_t At(int ch, int slot) const {
    const size_t data = 256 + 160 * static_cast<size_t>(n);
    const size_t i = recordMajor ? static_cast<size_t>(slot) * n + ch
                                 : static_cast<size_t>(ch) * capacity + slot;
    const size_t at = data + 2 * i;
    if (at + 1 >= bytes.size()) return 0xFFFF;
    return static_cast<uint16_t>(static_cast<uint8_t>(bytes[at]) |
                                 static_cast<uint8_t>(bytes[at + 1]) << 8);
  }
};

class DownloadTest : public ::testing::Test {
 protected:
  void StartSim(std::vector<std::string> args) {
    args.push_back("--log");
    args.push_back(log_);
    ASSERT_TRUE(sim_.Start(args)) << sim_.error();
  }
  // Requests recsim answered with a fault.
  int Faults() const {
    int n = 0;
    for (const std::string& line : testenv::ReadLines(log_))
      n += line.find("-> fault") != std::string::npos;
    return n;
  }
  _tagComParam Param() const { return testenv::ComParamFor(sim_.device()); }
  void Connect() { ASSERT_EQ(session_.Connect(Param()), acquire::ConnectStatus::Connected); }
  // Checks the span, prepares the file and runs the download.
  acquire::RunStatus Download(time_t start, time_t end, bool whole = false,
                              const acquire::ProgressFn& progress = nullptr) {
    EXPECT_EQ(session_.CheckSpan(whole, &start, &end), acquire::SpanStatus::Ok);
    session_.ResetStop();
    EXPECT_EQ(session_.Prepare(path_, start, end, dltest::View(), nullptr),
              acquire::PrepareStatus::Ok);
    return session_.Run(progress);
  }
  FileCounts Counts() const {
    FileCounts c;
    c.bytes = testenv::ReadFile(path_);
    c.n = session_.File().Head().chnlCount;
    c.capacity = session_.File().Head().capacity;
    c.recordMajor = session_.File().Head().model[2] == 'P';
    return c;
  }

  testenv::SimProcess sim_;
  acquire::DownloadSession session_;
  std::string path_ = testenv::NewDir("dl") + "out.KVD";
  std::string log_ = testenv::NewDir("sim") + "requests.log";
};

}  // namespace dltest
