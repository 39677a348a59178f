// rectool record and rectool recover, run as the programs users run, against
// recsim: a recording from a script, Ctrl-C, and a recording whose program
// was killed.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "acquire/live.h"
#include "childprogram.h"
#include "data/cxfile.h"
#include "downloadfixture.h"

using dltest::Exists;
using testenv::ChildProgram;
using testenv::Result;

namespace {

constexpr const char* kClock = "2026-03-04 05:06:07";

Result RunProgram(const std::string& program, const std::vector<std::string>& args) {
  return ChildProgram(program, args).Wait();
}

// Records in the temporary store of a running (or killed) recording.
int StoreRecords() {
  CXFile f;
  if (!f.Open(acquire::TempStorePath())) return 0;
  if (!StampValid(f.Head().startStamp)) return 0;
  return f.GetRecordCount();
}

bool WaitStoreRecords(int n, int timeoutMs = 15000) {
  for (int waited = 0; waited < timeoutMs; waited += 50) {
    if (StoreRecords() >= n) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

class RectoolRecord : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim_.Start({"--channels", "3", "--clock", kClock})) << sim_.error();
  }
  std::vector<std::string> Link() const {
    return {"--port", sim_.device(), "--baud", "57600", "--address", "8", "--interval", "1"};
  }
  std::vector<std::string> Record(std::vector<std::string> args) const {
    args.insert(args.begin(), "record");
    const std::vector<std::string> link = Link();
    args.insert(args.end(), link.begin(), link.end());
    return args;
  }
  // Checks a recorded file: records, interval and what recsim serves.
  void ExpectRecording(const std::string& path, int atLeast) {
    CXFile f;
    ASSERT_TRUE(f.Open(path)) << path;
    EXPECT_GE(f.GetRecordCount(), atLeast);
    EXPECT_EQ(f.GetInterval(), 1);
    EXPECT_EQ(f.GetChnlCount(), 3);
    EXPECT_EQ(f.GetEndTime(), f.GetStartTime() + f.GetRecordCount() - 1);
    const time_t clock = dltest::Local(kClock);
    float value = 0;
    for (int m = 0; m < 3; ++m) {
      ASSERT_TRUE(f.GetValue(m, f.GetEndTime(), &value, nullptr));
      EXPECT_NEAR(value, 100.0 * dltest::SimRaw(m, clock) / 65535.0, 0.01) << m;
    }
  }

  testenv::SimProcess sim_;
  std::string dir_ = testenv::NewDir("rec");
};

TEST_F(RectoolRecord, RecordsTheRecordsAskedForAndDumpsThem) {
  // With the settle time and with the fast exchange.
  for (const char* fast : {"", "--fast"}) {
    const std::string out = dir_ + "three" + fast + ".KVD";
    std::vector<std::string> args = {"--out", out, "--records", "3"};
    if (*fast) args.push_back(fast);
    const Result r = RunProgram("rectool", Record(args));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, out + "\n");
    EXPECT_EQ(r.err.find("did not keep up"), std::string::npos) << r.err;
    ExpectRecording(out, 3);
    CXFile f;
    ASSERT_TRUE(f.Open(out));
    EXPECT_EQ(f.GetRecordCount(), 3);
    EXPECT_FALSE(Exists(acquire::TempStorePath()));
    const Result dump = RunProgram("rectool", {"dump", out});
    ASSERT_EQ(dump.code, 0) << dump.err;
    EXPECT_NE(dump.out.find(FormatTime(f.GetStartTime())), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find(FormatTime(f.GetEndTime())), std::string::npos) << dump.out;
  }
}

TEST_F(RectoolRecord, RefusesWhatItCannotDo) {
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* says;
  } cases[] = {
      {{"record", "--records", "3"}, 2, "--out"},
      {Record({"--out", dir_ + "x.KVD", "--records", "3", "--seconds", "3"}), 2, "either"},
      {Record({"--out", dir_ + "x.KVD", "--records", "0"}), 2, "--records"},
      {{"record", "--out", dir_ + "x.KVD", "--interval", "0"}, 2, "--interval"},
      {{"record", "--out", dir_ + "x.KVD", "--port", testenv::Home() + "no-such-port"},
       1,
       "serial port"},
      {{"recover"}, 2, "--out"},
  };
  for (const Case& c : cases) {
    const Result r = RunProgram("rectool", c.args);
    EXPECT_EQ(r.code, c.code) << c.args[1] << " " << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(Exists(dir_ + "x.KVD"));
  }
}

// Ctrl-C, and the log-out and shut-down signals, end it as Stop does.
TEST_F(RectoolRecord, ASignalEndsTheRecordingAndSavesIt) {
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
    const std::string out = dir_ + "stopped" + std::to_string(sig) + ".KVD";
    ChildProgram tool("rectool", Record({"--out", out, "--seconds", "600"}));
    // Once past the first flush of a period (5 s), which is written beside
    // the recording: the stop waits for it.
    ASSERT_TRUE(WaitStoreRecords(sig == SIGINT ? 7 : 2)) << sig;
    tool.Signal(sig);
    const Result r = tool.Wait();
    ASSERT_EQ(r.code, 0) << sig << r.err;
    ExpectRecording(out, sig == SIGINT ? 7 : 2);
    EXPECT_FALSE(Exists(acquire::TempStorePath())) << sig;
  }
}

TEST_F(RectoolRecord, AKilledRecordingIsRecovered) {
  ChildProgram tool("rectool", Record({"--out", dir_ + "never.KVD", "--seconds", "600"}));
  ASSERT_TRUE(WaitStoreRecords(3));
  // The store belongs to the running recording: nothing to recover yet.
  EXPECT_FALSE(acquire::FindInterrupted(nullptr));
  tool.Kill();
  const int records = StoreRecords();
  ASSERT_GE(records, 3);
  acquire::Interrupted found;
  ASSERT_TRUE(acquire::FindInterrupted(&found));
  EXPECT_EQ(found.records, records);
  EXPECT_EQ(found.chnlCount, 3);

  // A new recording does not overwrite it.
  Result r = RunProgram("rectool", Record({"--out", dir_ + "second.KVD", "--records", "2"}));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("rectool recover"), std::string::npos) << r.err;
  EXPECT_TRUE(Exists(acquire::TempStorePath()));

  // A file that cannot be written loses nothing.
  r = RunProgram("rectool", {"recover", "--out", dir_ + "no-such-folder/x.KVD"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("stays in"), std::string::npos) << r.err;
  ASSERT_TRUE(acquire::FindInterrupted(&found));
  EXPECT_EQ(found.records, records);

  const std::string out = dir_ + "recovered.KVD";
  r = RunProgram("rectool", {"recover", "--out", out});
  ASSERT_EQ(r.code, 0) << r.err;
  ExpectRecording(out, records);
  CXFile f;
  ASSERT_TRUE(f.Open(out));
  EXPECT_EQ(f.GetRecordCount(), records);
  EXPECT_FALSE(Exists(acquire::TempStorePath()));

  // Nothing left to recover: a status of its own, so "recover && use" stops.
  r = RunProgram("rectool", {"recover", "--out", dir_ + "again.KVD"});
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("no interrupted recording"), std::string::npos) << r.err;
  EXPECT_FALSE(Exists(dir_ + "again.KVD"));
}

TEST_F(RectoolRecord, AKilledRecordingCanBeDiscarded) {
  ChildProgram tool("rectool", Record({"--out", dir_ + "never.KVD", "--seconds", "600"}));
  ASSERT_TRUE(WaitStoreRecords(1));
  tool.Kill();
  const Result r = RunProgram("rectool", {"recover", "--discard"});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(Exists(acquire::TempStorePath()));
  EXPECT_FALSE(acquire::FindInterrupted(nullptr));
}

}  // namespace
