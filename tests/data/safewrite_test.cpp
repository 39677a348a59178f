// Files are never broken from outside: a download replaces its target only
// when complete and on disk, a view of the old file keeps working, the live
// store's space is really there, and damaged headers cannot make endless work.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/testenv.h"
#include "data/cxfile.h"
#include "data/fixture.h"

namespace {

constexpr time_t kStart = 1709251200;

std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
        names.push_back(e->d_name);
    ::closedir(d);
  }
  return names;
}

// A register-family header of one channel 0..1000, n records 5 s apart.
void Head(CXFile& f, int records) {
  _tagDataHead& h = f.Head();
  std::memset(h.model, 0, sizeof(h.model));
  std::memcpy(h.model, "KVR3GV2", 7);
  h.interval = 5;
  h.chnlCount = 1;
  h.valueWidth = 2;
  h.capacity = records;
  h.lastIndex = records - 1;
  h.channels[0].rangeHigh.number = 1000;
  f.SetStartTime(kStart);
  f.SetEndTime(kStart + 5 * (records - 1));
}

// Starts a download of records counts, all equal to count, into path.
bool StartDownload(CXFile& f, const std::string& path, int records, uint16_t count) {
  Head(f, records);
  if (!f.Create(path) || !f.WriteHead()) return false;
  std::vector<uint16_t> counts(static_cast<size_t>(records), count);
  if (!f.WriteValues(counts.data(), records, 0)) return false;
  f.Advance(records);
  return true;
}

// Runs fn in a child process; true when it returned true.
bool InChild(const std::function<bool()>& fn) {
  pid_t pid = ::fork();
  if (pid == 0) ::_exit(fn() ? 0 : 1);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

// The ways a download onto a path that holds a file (shown by a view) can end.
TEST(SafeWrite, DownloadOverAnOpenFile) {
  enum class End { kClose, kDiscard, kDestroy };
  struct Case {
    const char* name;
    End end;
    bool replaced;  // the path holds the new file afterwards
  } cases[] = {
      {"completed", End::kClose, true},
      {"stopped", End::kDiscard, false},
      {"abandoned", End::kDestroy, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string dir = testenv::NewDir("over");
    const std::string path = dir + "same.KVD";
    {
      CXFile old;
      ASSERT_TRUE(StartDownload(old, path, 20, 6553));
      ASSERT_TRUE(old.Close());
    }
    const std::string before = testenv::ReadFile(path);
    CXFile view;
    ASSERT_TRUE(view.Open(path));
    {
      auto next = std::make_unique<CXFile>();
      ASSERT_TRUE(StartDownload(*next, path, 40, 65535));
      if (c.end == End::kClose) { EXPECT_TRUE(next->Close()); }
      if (c.end == End::kDiscard) next->Discard();
    }
    // The view reads the file it opened, whole, with its old values.
    for (int r = 0; r < 20; ++r) {
      float v = 0;
      ASSERT_TRUE(view.GetValue(0, kStart + 5 * r, &v, nullptr));
      EXPECT_NEAR(v, 100.0f, 0.01f);
    }
    CXFile fresh;
    ASSERT_TRUE(fresh.Open(path));
    EXPECT_EQ(fresh.GetRecordCount(), c.replaced ? 40 : 20);
    if (!c.replaced) { EXPECT_EQ(testenv::ReadFile(path), before); }
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"same.KVD"});
  }
}

// A download whose file cannot be completed (here the file size limit stops
// the final length) reports it, leaves no file of its own and the old one as
// it was. The same with a new path: nothing appears.
TEST(SafeWrite, CloseReportsAFileThatDidNotReachTheDisk) {
  for (const bool existing : {true, false}) {
    const std::string dir = testenv::NewDir("limit");
    const std::string path = dir + "d.KVD";
    if (existing) testenv::WriteFile(path, "the user's file");
    EXPECT_TRUE(InChild([&] {
      ::signal(SIGXFSZ, SIG_IGN);
      rlimit lim{600, 600};  // the header fits, the final length does not
      if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) return false;
      CXFile f;
      Head(f, 20);
      if (!f.Create(path) || !f.WriteHead()) return false;
      f.Advance(20);
      return !f.Close();
    }));
    if (existing) {
      EXPECT_EQ(testenv::ReadFile(path), "the user's file");
    }
    EXPECT_EQ(Entries(dir).size(), existing ? 1u : 0u);
  }
}

TEST(SafeWrite, CreateRefusesWhatItMayNotReplace) {
  const std::string dir = testenv::NewDir("refuse");
  CXFile f;
  Head(f, 4);
  EXPECT_FALSE(f.Create(dir + "no/such/folder/x.KVD"));
  EXPECT_FALSE(f.Create(""));
  // A link keeps pointing at the file it named, which gets the download.
  testenv::WriteFile(dir + "real.KVD", "old");
  ::chmod((dir + "real.KVD").c_str(), 0640);  // and the permissions it has
  ASSERT_EQ(::symlink((dir + "real.KVD").c_str(), (dir + "link.KVD").c_str()), 0);
  ASSERT_TRUE(StartDownload(f, dir + "link.KVD", 4, 1));
  ASSERT_TRUE(f.Close());
  struct stat st;
  ASSERT_EQ(::lstat((dir + "link.KVD").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  ASSERT_EQ(::stat((dir + "real.KVD").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  CXFile g;
  EXPECT_TRUE(g.Open(dir + "real.KVD"));
  EXPECT_EQ(g.GetRecordCount(), 4);
}

// The live store on a full disk: the creation fails instead of leaving a
// sparse file whose first append would raise SIGBUS.
TEST(SafeWrite, LiveStoreOnAFullDiskFailsItsCreation) {
  const std::string dir = testenv::NewDir("small");
  const bool ran = InChild([&] {
    // A 64 KiB file system of this process's own, gone when it ends.
    if (::unshare(CLONE_NEWNS) != 0) ::_exit(77);
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) ::_exit(77);
    if (::mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=64k") != 0) ::_exit(77);
    ::setenv("RECVIEW_HOME", dir.c_str(), 1);
    CXFile f;
    f.Head().chnlCount = 8;
    f.Head().valueWidth = 2;
    f.Head().capacity = 100000;  // 1.6 MB
    std::memcpy(f.Head().model, "KVR3GV2", 7);
    f.Head().interval = 1;
    if (f.CreateTemp()) return false;
    if (!Entries(dir).empty()) return false;  // no store left behind
    f.Head().capacity = 1000;  // 16 KB fits
    if (!f.CreateTemp()) return false;
    std::vector<uint8_t> rec(16, 0x5A);
    return f.AppendRecord(rec.data(), 999);
  });
  if (!ran) {
    // 77: no file system of our own may be mounted here.
    pid_t probe = ::fork();
    if (probe == 0) ::_exit(::unshare(CLONE_NEWNS) == 0 ? 0 : 77);
    int status = 0;
    ::waitpid(probe, &status, 0);
    if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot mount a small file system here";
  }
  EXPECT_TRUE(ran);
}

// A header whose stamps promise far more records than the file has slots for
// (an end 68 years after its start in a 1 KB file) is refused; a ring that
// wraps past its capacity within a recorder's ring is still read.
TEST(SafeWrite, DamagedStampsCannotMakeEndlessWork) {
  struct Case {
    const char* name;
    uint8_t end[6];
    int interval;
    bool opens;
  } cases[] = {
      {"68 years at 1 s", {92, 3, 1, 8, 0, 0}, 1, false},
      {"a year at 10 s", {25, 3, 1, 8, 0, 0}, 10, false},
      {"6 records in 4 slots", {24, 3, 1, 8, 0, 50}, 10, true},
      {"a recorder's ring in 4 slots", {24, 3, 4, 8, 49, 3}, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fixture::Recipe r;
    r.channels = {fixture::Channel{}};
    r.capacity = 4;
    r.interval = c.interval;
    std::memcpy(r.end, c.end, 6);
    const std::string path = testenv::NewDir("stamps") + "f.KVD";
    testenv::WriteFile(path, fixture::Build(r));
    CXFile f;
    EXPECT_EQ(f.Open(path), c.opens);
    if (c.opens) { EXPECT_LE(f.GetRecordCount(), 262144); }
  }
}

// A search can be ended from outside: the window thread asks keepGoing.
TEST(SafeWrite, SearchesCanBeInterrupted) {
  fixture::Recipe r;
  r.channels = {fixture::Channel{}};
  r.capacity = 200000;
  r.interval = 1;
  r.lastIndex = 199999;
  const uint8_t end[6] = {24, 3, 3, 15, 33, 19};  // 199999 s after the start
  std::memcpy(r.end, end, 6);
  r.count = [](int, int) { return 1; };
  const std::string path = testenv::NewDir("find") + "f.KVD";
  testenv::WriteFile(path, fixture::Build(r));
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  ASSERT_EQ(f.GetRecordCount(), 200000);
  _tagFindQuery q;
  q.target = 900;  // never there
  q.time = f.GetStartTime();
  int asked = 0;
  EXPECT_FALSE(f.FindValue(q, [&] { return ++asked < 3; }));
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(q.time, 0);
  // Without an interruption the whole file is searched.
  q.time = f.GetStartTime();
  asked = 0;
  EXPECT_FALSE(f.FindValue(q, [&] { return ++asked > 0; }));
  EXPECT_GT(asked, 40);
}

// What each kind of object allows: a download is written only through its
// handle, the live store only by appends, a viewed file only by its header and
// marks; nothing writes a file opened read-only.
TEST(SafeWrite, EachStateAllowsItsOwnOperations) {
  const std::string dir = testenv::NewDir("states");
  {
    CXFile f;
    ASSERT_TRUE(StartDownload(f, dir + "v.KVD", 4, 9));
    ASSERT_TRUE(f.Close());
  }
  using S = CXFile::State;
  struct Case {
    const char* name;
    S state;
    bool writeHead, putHead, append, addMark, saveAs;
  } cases[] = {
      {"empty", S::kEmpty, false, false, false, false, false},
      {"viewing", S::kViewing, false, true, false, true, false},
      {"download", S::kDownload, true, false, false, false, false},
      {"live store", S::kLiveStore, false, true, true, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CXFile f;
    Head(f, 4);
    if (c.state == S::kViewing) { ASSERT_TRUE(f.Open(dir + "v.KVD")); }
    if (c.state == S::kDownload) { ASSERT_TRUE(f.Create(dir + "d.KVD")); }
    if (c.state == S::kLiveStore) { ASSERT_TRUE(f.CreateTemp()); }
    EXPECT_EQ(f.GetState(), c.state);
    EXPECT_EQ(f.WriteHead(), c.writeHead);
    EXPECT_EQ(f.PutHead(), c.putHead);
    EXPECT_EQ(f.AppendRecord("\1\0", 0), c.append);
    EXPECT_EQ(f.AddMark(kStart), c.addMark);
    if (c.addMark) { EXPECT_EQ(f.GetState(), S::kSaved); }
    EXPECT_EQ(f.SaveAs(dir + "s.KVD"), c.saveAs);
    f.Discard();
    EXPECT_EQ(f.GetState(), S::kEmpty);
  }
  // Nothing but the viewed file and what the live store saved.
  std::vector<std::string> left = Entries(dir);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"s.KVD", "v.KVD"}));
}
