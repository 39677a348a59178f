// rectool collect against recsim whose clock jumps: consecutive collections
// joined end to end, several stations on one line, and the records a ring
// overwrote named with their span.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/testenv.h"
#include "data/cxfile.h"
#include "data/records.h"
#include "downloadfixture.h"
#include "simproc.h"

using dltest::Local;

namespace {

// The files of a folder with this prefix, sorted by name (= by first record).
std::vector<std::string> Files(const std::string& dir, const std::string& prefix) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n.compare(0, prefix.size(), prefix) == 0 && n.size() > 4 &&
          n.compare(n.size() - 4, 4, ".KVD") == 0)
        names.push_back(dir + n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

class Collect : public ::testing::Test {
 protected:
  void StartSim(std::vector<std::string> args) { ASSERT_TRUE(sim_.Start(args)) << sim_.error(); }
  testenv::RectoolResult Run(const std::string& more) {
    return testenv::RunRectool("collect --dir '" + archive_ + "' --port " + sim_.device() +
                               " --baud 57600 " + more);
  }
  // Moves recsim's clock forward by its --jump.
  void Jump() { ASSERT_EQ(kill(sim_.pid(), SIGUSR1), 0); }

  testenv::SimProcess sim_;
  std::string archive_ = testenv::NewDir("archive") + "line 1/";
};

// Consecutive collections, joined end to end, hold every record the recorder
// stored exactly once: compared with one download of the same memory. Both
// families; the last run finds its start in the files when the state is gone.
TEST_F(Collect, ConsecutiveRunsHoldEveryRecordOnce) {
  for (const char* model : {"KVR6GV2", "KVP6GV1"}) {
    SCOPED_TRACE(model);
    sim_.Stop();
    archive_ = testenv::NewDir("archive") + "line 1/";
    StartSim({"--model", model, "--channels", "2", "--station", "8", "--clock",
              "2026-12-07 10:00:00", "--jump", "90"});
    testenv::RectoolResult r = Run("--address 8 --since '2026-12-07 09:59:00'");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("station 8: 61 records from 2026-12-07 09:59:00 to 2026-12-07 10:00:00"),
              std::string::npos)
        << r.err;
    for (int run = 0; run < 3; ++run) {
      Jump();
      if (run == 2) ASSERT_EQ(unlink((archive_ + "S008.collected").c_str()), 0);
      r = Run("--address 8");
      ASSERT_EQ(r.code, 0) << r.err;
      EXPECT_EQ(Files(archive_, "S008_").size(), static_cast<size_t>(run + 2)) << r.err;
    }
    r = Run("--address 8");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("station 8: nothing new"), std::string::npos) << r.err;
    // 10:00:00 + 3 x 90 s: the ring then holds the newest record at 10:04:30,
    // and collected with the interval of 1 s the next run must come within
    // the ring's length after the first record not yet collected.
    const time_t capacity = model[2] == 'P' ? 266240 : 262144;
    EXPECT_NE(r.err.find("must run before " +
                         FormatTime(Local("2026-12-07 10:04:31") + capacity - 1)),
              std::string::npos)
        << r.err;

    const std::string whole = testenv::NewDir("whole") + "all.KVD";
    r = testenv::RunRectool("download --port " + sim_.device() +
                            " --baud 57600 --address 8 --out " + whole +
                            " --from '2026-12-07 09:59:00' --to '2026-12-07 10:04:30'");
    ASSERT_EQ(r.code, 0) << r.err;
    CXFile all;
    ASSERT_TRUE(all.Open(whole));
    ASSERT_EQ(all.GetRecordCount(), 331);

    int64_t records = 0, missing = 0, twice = 0;
    time_t next = Local("2026-12-07 09:59:00");
    for (const std::string& path : Files(archive_, "S008_")) {
      CXFile part;
      ASSERT_TRUE(part.Open(path)) << path;
      EXPECT_EQ(part.GetStation(), 8);
      if (part.GetStartTime() > next) missing += (part.GetStartTime() - next);
      if (part.GetStartTime() < next) twice += (next - part.GetStartTime());
      next = part.GetEndTime() + 1;
      records += part.GetRecordCount();
      for (time_t t = part.GetStartTime(); t <= part.GetEndTime(); ++t)
        for (int ch = 0; ch < 2; ++ch) {
          float a = -1, b = -2;
          ASSERT_TRUE(part.GetValue(ch, t, &a, nullptr));
          ASSERT_TRUE(all.GetValue(ch, t, &b, nullptr));
          ASSERT_EQ(a, b) << path << " " << FormatTime(t) << " channel " << ch;
        }
    }
    EXPECT_EQ(records, 331);
    EXPECT_EQ(missing, 0);
    EXPECT_EQ(twice, 0);
    EXPECT_EQ(next, Local("2026-12-07 10:04:31"));
  }
}

// Three recorders on one line, collected in one run, each into files of its
// own; a second run finds nothing new for any of them.
TEST_F(Collect, ThreeStationsOnOneLine) {
  StartSim({"--model", "KVR6GV2", "--channels", "1", "--stations", "1,2,3", "--clock",
            "2026-12-07 10:00:00"});
  testenv::RectoolResult r = Run("--address 1,2 --address 3 --since '2026-12-07 09:59:55'");
  ASSERT_EQ(r.code, 0) << r.err;
  float first[3];
  for (int s = 1; s <= 3; ++s) {
    const std::vector<std::string> files = Files(archive_, "S00" + std::to_string(s) + "_");
    ASSERT_EQ(files.size(), 1u) << r.err;
    EXPECT_EQ(files[0], archive_ + "S00" + std::to_string(s) +
                            "_20261207-095955_20261207-100000.KVD");
    EXPECT_NE(r.out.find(files[0] + "\n"), std::string::npos) << r.out;
    CXFile f;
    ASSERT_TRUE(f.Open(files[0]));
    EXPECT_EQ(f.GetStation(), s);
    EXPECT_EQ(f.GetRecordCount(), 6);
    ASSERT_TRUE(f.GetValue(0, Local("2026-12-07 09:59:55"), &first[s - 1], nullptr));
  }
  // Each station's own memory, not one station's thrice.
  EXPECT_NE(first[0], first[1]);
  EXPECT_NE(first[1], first[2]);
  r = Run("--address 1,2,3");
  ASSERT_EQ(r.code, 0) << r.err;
  for (int s = 1; s <= 3; ++s)
    EXPECT_NE(r.err.find("station " + std::to_string(s) + ": nothing new"), std::string::npos)
        << r.err;
}

// The ring wraps past records nobody collected: the run names the lost span
// exactly, on standard error and in the archive's log, collects what the
// recorder still holds, and ends with status 3.
TEST_F(Collect, OverwrittenRecordsAreNamed) {
  StartSim({"--model", "KVR6GV2", "--channels", "1", "--station", "8", "--clock",
            "2026-12-07 10:00:00", "--jump", "300000"});
  testenv::RectoolResult r = Run("--since '2026-12-07 09:59:51'");
  ASSERT_EQ(r.code, 0) << r.err;
  Jump();
  // Newest now 10:00:00 + 300000 s; the ring of 262144 records reaches back
  // to 300000 - 262143 s after 10:00:00.
  const time_t oldest = Local("2026-12-07 10:00:00") + 300000 - 262143;
  const std::string span = "from " + FormatTime(Local("2026-12-07 10:00:01")) + " to " +
                           FormatTime(oldest - 1) + " (37856 records)";
  r = Run("--max-records 20");
  EXPECT_EQ(r.code, 3) << r.err;
  EXPECT_NE(r.err.find("RECORDS LOST: " + span), std::string::npos) << r.err;
  EXPECT_NE(testenv::ReadFile(archive_ + "collect.log").find(span), std::string::npos);
  const std::vector<std::string> files = Files(archive_, "S008_");
  ASSERT_EQ(files.size(), 2u);
  CXFile f;
  ASSERT_TRUE(f.Open(files[1]));
  EXPECT_EQ(f.GetStartTime(), oldest);
  EXPECT_EQ(f.GetRecordCount(), 20);
  // The next run goes on after the 20 records, with nothing lost.
  r = Run("--max-records 20");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("20 records from " + FormatTime(oldest + 20)), std::string::npos) << r.err;
}

// A second collection into an archive in use refuses (status 4) and writes
// nothing; bad settings are usage errors.
TEST_F(Collect, ArchiveInUseAndBadSettings) {
  StartSim({"--model", "KVR6GV2", "--channels", "1", "--clock", "2026-12-07 10:00:00"});
  ASSERT_EQ(mkdir(archive_.c_str(), 0777), 0);
  const int held = open((archive_ + ".collect.lock").c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_GE(held, 0);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  testenv::RectoolResult r = Run("--since '2026-12-07 09:59:55'");
  EXPECT_EQ(r.code, 4);
  EXPECT_NE(r.err.find("another collection is writing into"), std::string::npos) << r.err;
  EXPECT_TRUE(Files(archive_, "S").empty());
  close(held);

  EXPECT_EQ(Run("--address 300").code, 2);
  const std::string conf = testenv::NewDir("conf") + "line.conf";
  ASSERT_TRUE(testenv::WriteFile(conf, "# line 1\nPORT=" + sim_.device() +
                                           "\nBAUD=57600\nSTATIONS=8\nARCHIVE=" + archive_ +
                                           "\nEVERY=60\nSPEED=9\n"));
  r = testenv::RunRectool("collect --config " + conf);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("line.conf:7: unknown setting \"SPEED\""), std::string::npos) << r.err;
  // From the line's file: collected once, then not due for an hour.
  ASSERT_TRUE(testenv::WriteFile(conf, "PORT=" + sim_.device() + "\nBAUD=57600\nSTATIONS=8\n" +
                                           "ARCHIVE=" + archive_ + "\nEVERY=60\n"));
  r = testenv::RunRectool("collect --config " + conf + " --since '2026-12-07 09:59:55'");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(Files(archive_, "S008_").size(), 1u);
  r = testenv::RunRectool("collect --config " + conf);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("not due yet"), std::string::npos) << r.err;
}

}  // namespace
