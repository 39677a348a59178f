// Live recording without a window, against recsim on a pseudo-terminal: the
// set-up and its failures, sampling and appending, store full, lost data,
// cancelling, and the conversion of the interleaved family's values.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "acquire/live.h"
#include "common/testenv.h"
#include "data/cxfile.h"
#include "downloadfixture.h"
#include "simproc.h"

namespace {

using acquire::AppendStatus;
using acquire::LiveSession;
using acquire::LiveStatus;

constexpr const char* kClock = "2026-03-04 05:06:07";

uint32_t SimWordLow(int m) { return 0xD0000000u + 0x100u * static_cast<uint32_t>(m) + 0x5Au; }
uint32_t SimWordHigh(int m) { return 0x0C000000u + static_cast<uint32_t>(m); }

// A store on the disk: "temp.tmp", or the fresh one of a set-up.
bool TempExists() {
  return dltest::Exists(acquire::TempStorePath()) ||
         dltest::Exists(testenv::Home() + LiveSession::kFreshStore);
}

// Waits until the acquisition thread has made at least n passes.
bool WaitPasses(const LiveSession& s, int n, int timeoutMs = 10000) {
  for (int waited = 0; waited < timeoutMs; waited += 10) {
    if (s.Passes() >= n) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

class LiveTest : public ::testing::Test {
 protected:
  void StartSim(std::vector<std::string> args) {
    args.push_back("--clock");
    args.push_back(kClock);
    ASSERT_TRUE(sim_.Start(args)) << sim_.error();
  }
  _tagComParam Param(int attempts = 2) const {
    _tagComParam p = testenv::ComParamFor(sim_.device());
    p.ReadDefaultErrorTimes = attempts;
    p.Interval = 2;
    return p;
  }
  LiveStatus Setup(acquire::LiveOptions options = {}, const acquire::SetupObserver& obs = {}) {
    return session_.Setup(Param(), dltest::View(), obs, options);
  }
  testenv::SimProcess sim_;
  LiveSession session_;
};

// ---- a whole session per plug-in: layout A, layout B, wide device words ----

struct PluginCase {
  const char* model;
  bool wideWords;
};

void PrintTo(const PluginCase& c, std::ostream* os) { *os << c.model; }

class LivePluginTest : public LiveTest, public ::testing::WithParamInterface<PluginCase> {};

TEST_P(LivePluginTest, RecordsWhatTheRecorderServesAndSavesIt) {
  const PluginCase& c = GetParam();
  StartSim({"--model", c.model, "--channels", "5", "--title", "Kiln 3", "--chan",
            "1:name=Flue,unit=mbar,low=-50.0,high=150.0"});
  std::vector<std::pair<int, int>> progress;
  acquire::SetupObserver obs;
  obs.channel = [&](int i, int n) { progress.emplace_back(i, n); };
  ASSERT_EQ(Setup({}, obs), LiveStatus::Ok) << session_.Detail();
  EXPECT_TRUE(session_.LinkOpen());
  EXPECT_TRUE(TempExists());
  ASSERT_EQ(progress.size(), 6u);
  EXPECT_EQ(progress.front(), std::make_pair(0, 5));
  EXPECT_EQ(progress.back(), std::make_pair(5, 5));

  const time_t t0 = dltest::Local("2026-12-08 09:00:00");
  ASSERT_TRUE(session_.StartAcquisition(t0));
  EXPECT_EQ(session_.Records(), 1);
  // The first record is on the disk at once; the next ones within the period.
  EXPECT_EQ(session_.FlushedRecords(), 1);
  const CXFile& f = session_.File();
  EXPECT_EQ(f.GetTitle(), "Kiln 3");
  EXPECT_EQ(f.GetChnlCount(), 5);
  EXPECT_EQ(f.GetInterval(), 2);
  EXPECT_EQ(f.GetStation(), 8);
  EXPECT_EQ(f.GetModel(), c.model);
  EXPECT_EQ(f.Head().capacity, 0x40000);
  EXPECT_EQ(f.Head().tagByte, 10);
  EXPECT_EQ(f.Head().kindByte, 2);
  EXPECT_EQ(f.Head().clrBack, 0x102030u);  // the view defaults
  EXPECT_EQ(f.GetChnlName(1), "Flue");
  EXPECT_EQ(f.GetChnlUnit(1), "mbar");
  EXPECT_FLOAT_EQ(f.GetRangeLow(1), -50.0f);
  EXPECT_FLOAT_EQ(f.GetRangeHigh(1), 150.0f);
  EXPECT_FLOAT_EQ(f.GetLimit(0, 3), 10.0f);
  EXPECT_TRUE(session_.Interleaved());
  ASSERT_TRUE(WaitPasses(session_, 3));
  for (int m = 0; m < 5; ++m) {
    const uint64_t want = c.wideWords ? (uint64_t{SimWordHigh(m)} << 32 | SimWordLow(m))
                                      : uint64_t{SimWordLow(m)};
    EXPECT_EQ(session_.DevWord(m), want) << m;
  }
  EXPECT_EQ(session_.Tick(), AppendStatus::Appended);
  EXPECT_EQ(session_.Tick(), AppendStatus::Appended);
  EXPECT_EQ(session_.Records(), 3);
  EXPECT_EQ(session_.File().GetEndTime(), t0 + 4);
  session_.Stop();
  EXPECT_EQ(session_.FlushedRecords(), 3);
  EXPECT_FALSE(session_.LinkOpen());
  EXPECT_TRUE(TempExists());

  const std::string out = testenv::NewDir("live") + "saved.KVD";
  ASSERT_TRUE(session_.SaveAs(out));
  session_.Discard();
  EXPECT_FALSE(TempExists());

  CXFile saved;
  ASSERT_TRUE(saved.Open(out));
  EXPECT_EQ(saved.GetStartTime(), t0);
  EXPECT_EQ(saved.GetEndTime(), t0 + 4);
  EXPECT_EQ(saved.Head().capacity, 3);
  EXPECT_EQ(saved.GetTitle(), "Kiln 3");
  // The recorder's clock stands still: every record holds raw(m, clock),
  // carried as a float (one count of rounding at most).
  dltest::FileCounts counts;
  counts.bytes = testenv::ReadFile(out);
  counts.n = 5;
  counts.capacity = 3;
  counts.recordMajor = true;
  const time_t clock = dltest::Local(kClock);
  for (int slot = 0; slot < 3; ++slot)
    for (int m = 0; m < 5; ++m)
      EXPECT_LE(std::abs(int{counts.At(m, slot)} - int{dltest::SimRaw(m, clock)}), 1)
          << "slot " << slot << " channel " << m;
  EXPECT_EQ(saved.GetChnlDef(3) & 0xFFFFFFFFu, SimWordLow(3));
}

INSTANTIATE_TEST_SUITE_P(Plugins, LivePluginTest,
                         ::testing::Values(PluginCase{"KVP6GV1", false},
                                           PluginCase{"KVP5LV1", false},
                                           PluginCase{"KVP6GV2", true}),
                         [](const auto& info) { return std::string(info.param.model); });

// ---- set-up failures: the message, a closed link, no store ----

struct FailCase;
void PrintTo(const FailCase& c, std::ostream* os);

struct FailCase {
  const char* name;
  std::vector<std::string> simArgs;  // empty: no recorder, a port that does not exist
  LiveStatus status;
  int message;
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }

class LiveFailTest : public LiveTest, public ::testing::WithParamInterface<FailCase> {};

TEST_P(LiveFailTest, EndsWithItsMessageAndLeavesNothing) {
  const FailCase& c = GetParam();
  _tagComParam p;
  if (c.simArgs.empty()) {
    p = testenv::ComParamFor(testenv::Home() + "no-such-port");
  } else {
    StartSim(c.simArgs);
    p = Param();
  }
  EXPECT_EQ(session_.Setup(p, dltest::View()), c.status);
  EXPECT_EQ(acquire::MessageOf(c.status), c.message);
  EXPECT_FALSE(session_.LinkOpen());
  EXPECT_FALSE(TempExists());
  EXPECT_FALSE(session_.StartAcquisition(0));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, LiveFailTest,
    ::testing::Values(
        FailCase{"NoPort", {}, LiveStatus::PortFailed, 61217},
        FailCase{"NoPlugin", {"--model", "KVP9XX1"}, LiveStatus::NoDriver, 61248},
        FailCase{"RegisterFamilyHasNoPlugin", {"--model", "KVR6GV2"}, LiveStatus::NoDriver, 61248},
        FailCase{"NoChannels", {"--channels", "0"}, LiveStatus::CommFailed, 61219},
        FailCase{"TitleUnreadable", {"--fault", "drop:fn=0x16"}, LiveStatus::CommFailed, 61219},
        FailCase{"ChannelBlockUnreadable",
                 {"--fault", "drop:fn=0x16,skip=2"},
                 LiveStatus::CommFailed,
                 61219}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- cancelling, starting twice ----

TEST_F(LiveTest, CancelDuringChannelReadsLeavesNoStoreAndAClosedLink) {
  StartSim({"--channels", "6"});
  for (int at : {0, 3, 6}) {
    acquire::SetupObserver obs;
    bool cancel = false;
    obs.channel = [&](int i, int) { cancel = i >= at; };
    obs.cancelled = [&] { return cancel; };
    EXPECT_EQ(Setup({}, obs), LiveStatus::Cancelled) << at;
    EXPECT_FALSE(session_.LinkOpen()) << at;
    EXPECT_FALSE(TempExists()) << at;
  }
  // The port is free again: a set-up without cancelling goes through.
  EXPECT_EQ(Setup(), LiveStatus::Ok);
}

TEST_F(LiveTest, SetupWhileTheLinkIsOpenDoesNothing) {
  StartSim({"--channels", "2"});
  ASSERT_EQ(Setup(), LiveStatus::Ok);
  EXPECT_EQ(Setup(), LiveStatus::Cancelled);
  EXPECT_TRUE(session_.LinkOpen());
  EXPECT_TRUE(TempExists());
  ASSERT_TRUE(session_.StartAcquisition(1000000));
  EXPECT_EQ(Setup(), LiveStatus::Cancelled);
  EXPECT_TRUE(session_.Recording());
}

// A second session does not take the store of a running one.
TEST_F(LiveTest, OneRecordingAtATimeOwnsTheStore) {
  StartSim({"--channels", "2"});
  ASSERT_EQ(Setup(), LiveStatus::Ok);
  // Refused before any port is opened: a missing one is not even noticed.
  LiveSession second;
  EXPECT_EQ(second.Setup(testenv::ComParamFor("/dev/recview-no-such-port"), dltest::View()),
            LiveStatus::StoreInUse);
  EXPECT_FALSE(second.LinkOpen());
  EXPECT_TRUE(TempExists());
  EXPECT_FALSE(acquire::FindInterrupted(nullptr));
}

// ---- a recording is never recorded over ----

// A stopped recording stays, saveable, through a set-up that fails or is
// dropped; it goes only when the next recording begins, into a fresh store.
TEST_F(LiveTest, AStoppedRecordingStaysUntilTheNextBegins) {
  StartSim({"--channels", "2"});
  ASSERT_EQ(Setup(), LiveStatus::Ok);
  ASSERT_TRUE(session_.StartAcquisition(dltest::Local("2026-12-08 09:00:00")));
  session_.Tick();
  session_.Stop();
  const CXFile* stopped = &session_.File();
  ASSERT_EQ(session_.Records(), 2);

  // The recorder is gone: the set-up fails, the stopped recording is whole.
  EXPECT_EQ(session_.Setup(testenv::ComParamFor(testenv::Home() + "gone"), dltest::View()),
            LiveStatus::PortFailed);
  // A set-up that went through but is given up (the window's Cancel).
  ASSERT_EQ(Setup(), LiveStatus::Ok);
  EXPECT_EQ(&session_.File(), stopped);
  EXPECT_EQ(session_.File().GetRecordCount(), 2);
  session_.Stop();
  EXPECT_FALSE(dltest::Exists(testenv::Home() + LiveSession::kFreshStore));
  EXPECT_TRUE(dltest::Exists(acquire::TempStorePath()));
  const std::string out = testenv::NewDir("kept") + "kept.KVD";
  ASSERT_TRUE(session_.SaveAs(out));

  // The next recording begins: its store is "temp.tmp" now.
  const time_t next = dltest::Local("2026-12-08 10:00:00");
  ASSERT_EQ(Setup(), LiveStatus::Ok);
  ASSERT_TRUE(session_.StartAcquisition(next));
  EXPECT_EQ(session_.Records(), 1);
  EXPECT_EQ(session_.File().GetStartTime(), next);
  EXPECT_FALSE(dltest::Exists(testenv::Home() + LiveSession::kFreshStore));
  session_.Stop();
  CXFile store;
  ASSERT_TRUE(store.Open(acquire::TempStorePath()));
  EXPECT_EQ(store.GetStartTime(), next);
}

// An interrupted recording waiting in the store: no set-up records over it,
// and the store itself refuses to be made anew over it.
TEST_F(LiveTest, AnInterruptedRecordingIsNeverRecordedOver) {
  StartSim({"--channels", "2"});
  {
    LiveSession killed;
    ASSERT_EQ(killed.Setup(Param(), dltest::View()), LiveStatus::Ok);
    ASSERT_TRUE(killed.StartAcquisition(dltest::Local("2026-12-08 09:00:00")));
    killed.Tick();
    killed.Stop();
    killed.KeepForRecovery();
  }
  acquire::Interrupted found;
  ASSERT_TRUE(acquire::FindInterrupted(&found));
  EXPECT_EQ(found.records, 2);
  EXPECT_EQ(Setup(), LiveStatus::Interrupted);
  EXPECT_EQ(acquire::MessageOf(LiveStatus::Interrupted), 62412);
  EXPECT_FALSE(session_.LinkOpen());
  CXFile store;
  store.Head().chnlCount = 2;
  store.Head().capacity = 10;
  store.Head().valueWidth = 2;
  EXPECT_FALSE(store.CreateTemp());
  ASSERT_TRUE(acquire::FindInterrupted(&found));
  EXPECT_EQ(found.records, 2);
  // Once it is saved, recording goes on.
  ASSERT_TRUE(acquire::RecoverInterrupted(testenv::NewDir("rescued") + "r.KVD"));
  EXPECT_EQ(Setup(), LiveStatus::Ok);
}

// ---- store full, lost data ----

TEST_F(LiveTest, TheRecordThatFillsTheLastSlotIsWrittenThenFull) {
  StartSim({"--channels", "3"});
  acquire::LiveOptions small;
  small.storeSlots = 3;
  ASSERT_EQ(Setup(small), LiveStatus::Ok);
  ASSERT_TRUE(session_.StartAcquisition(5000));
  EXPECT_EQ(session_.Tick(), AppendStatus::Appended);
  EXPECT_EQ(session_.Tick(), AppendStatus::Full);
  EXPECT_EQ(session_.Records(), 3);
  EXPECT_EQ(session_.Tick(), AppendStatus::Refused);
  EXPECT_EQ(session_.Records(), 3);
  session_.Stop();
  const std::string out = testenv::NewDir("full") + "full.KVD";
  ASSERT_TRUE(session_.SaveAs(out));
  CXFile saved;
  ASSERT_TRUE(saved.Open(out));
  EXPECT_EQ(saved.GetRecordCount(), 3);
}

struct LostCase {
  int failedPasses;
  bool valid;
};

void PrintTo(const LostCase& c, std::ostream* os) { *os << c.failedPasses; }

class LiveLostTest : public LiveTest, public ::testing::WithParamInterface<LostCase> {};

// One attempt per read: a failed pass is the values read and the device-word
// read both lost, after the first pass.
TEST_P(LiveLostTest, FiveFailedPassesInARowLoseTheData) {
  const LostCase& c = GetParam();
  StartSim({"--channels", "2", "--fault",
            "drop:fn=3,skip=2,count=" + std::to_string(2 * c.failedPasses)});
  acquire::LiveOptions fast;
  fast.passMs = 10;
  ASSERT_EQ(session_.Setup(Param(1), dltest::View(), {}, fast), LiveStatus::Ok);
  ASSERT_TRUE(session_.StartAcquisition(5000));
  ASSERT_TRUE(WaitPasses(session_, c.failedPasses + 3, 30000));
  EXPECT_EQ(session_.DataValid(), c.valid);
  EXPECT_EQ(session_.Tick(), c.valid ? AppendStatus::Appended : AppendStatus::Lost);
}

INSTANTIATE_TEST_SUITE_P(Passes, LiveLostTest,
                         ::testing::Values(LostCase{4, true}, LostCase{5, false}),
                         [](const auto& info) {
                           return std::to_string(info.param.failedPasses) + "Failed";
                         });

// ---- the interleaved family's values turned into counts ----

TEST(CountOfValue, ClampsAndRefusesWhatHasNoCount) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  struct Row {
    float v;
    double low, high;
    bool log;
    uint16_t want;
  } rows[] = {
      {0.0f, 0, 100, false, 0},          {100.0f, 0, 100, false, 65535},
      {50.0f, 0, 100, false, 32767},     {-1.0f, 0, 100, false, 0},
      {1e9f, 0, 100, false, 65535},      {nan, 0, 100, false, 0},
      {5.0f, 7, 7, false, 0},            {inf, 0, 100, false, 65535},
      {-inf, 0, 100, false, 0},          {25.0f, 100, 0, false, 49151},
      {1e-3f, -3, 3, true, 0},           {1e3f, -3, 3, true, 65535},
      {1.0f, -3, 3, true, 32767},        {0.0f, -3, 3, true, 0},
      {-5.0f, -3, 3, true, 0},           {1e30f, -3, 3, true, 65535},
  };
  for (const Row& r : rows)
    EXPECT_EQ(acquire::CountOfValue(r.v, r.low, r.high, r.log), r.want)
        << r.v << " in " << r.low << ".." << r.high << (r.log ? " log" : "");
}

}  // namespace
