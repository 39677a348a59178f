// The record list without widgets: rows and times, scrolling and paging over
// the file, alarm colours, the clipboard text and the search.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <thread>

#include "charts/chartfile.h"
#include "common/testenv.h"
#include "data/cxfile.h"
#include "platform/appconfig.h"
#include "tables/listcore.h"

using namespace tables;
using namespace charttest;

namespace {

ListClock Clock(time_t start, long long records, int interval, int step) {
  ListClock c;
  c.start = start;
  c.end = start + (records - 1) * interval;
  c.interval = interval;
  c.step = step;
  return c;
}

TEST(ListClock, RowsNumbersAndTimesWithARowStep) {
  const ListClock c = Clock(1000, 100, 5, 3);
  // Numbers run 1, 2, 3 while the times advance by three intervals.
  for (int r = 1; r <= 5; ++r) {
    EXPECT_EQ(c.RowTime(1000, r), 1000 + (r - 1) * 15);
    EXPECT_EQ(c.RowNumber(c.RowTime(1000, r)), r);
  }
  // A top between rows still numbers by whole rows.
  EXPECT_EQ(c.RowNumber(1000 + 20), 2);
}

TEST(ListClock, GoToRoundsDownToARowAndStaysInTheFile) {
  struct Case {
    int step;
    time_t t, expected;
  } cases[] = {
      {1, 1000, 1000}, {1, 1004, 1000}, {1, 1005, 1005}, {1, 1009, 1005},
      {3, 1014, 1000}, {3, 1015, 1015}, {3, 1029, 1015},
      {1, 10, 1000},            // before the start
      {1, 999999, 1000 + 495},  // after the end
      {7, 1000 + 495, 1000 + 490},
  };
  for (const Case& k : cases) {
    const ListClock c = Clock(1000, 100, 5, k.step);
    EXPECT_EQ(c.GoTo(k.t), k.expected) << "step " << k.step << " t " << k.t;
  }
}

TEST(ListClock, ScrollingKeepsTheTopWithinTheFile) {
  const ListClock c = Clock(1000, 50, 2, 1);
  struct Case {
    time_t top;
    long long rows;
    time_t expected;
  } cases[] = {
      {1000, -1, 1000}, {1000, -100, 1000}, {1000, 10, 1020}, {1090, 10, 1098},
      {1098, 1, 1098},  {1098, 100, 1098},  {1050, -5, 1040},
  };
  for (const Case& k : cases) EXPECT_EQ(c.Scroll(k.top, k.rows), k.expected) << k.top << " " << k.rows;
}

TEST(ListClock, LongFilesScrollEndToEndOnACappedBar) {
  struct Case {
    long long records;
    int range;
  } cases[] = {{10, 10}, {32767, 32767}, {100000, 32767}, {262144, 32767}};
  for (const Case& k : cases) {
    const ListClock c = Clock(5000, k.records, 2, 1);
    EXPECT_EQ(c.BarRange(), k.range);
    EXPECT_EQ(c.ThumbTop(0), c.start);
    EXPECT_EQ(c.ThumbTop(k.range), c.end) << k.records;
    EXPECT_EQ(c.BarPos(c.start), 0);
    EXPECT_EQ(c.BarPos(c.end), k.range) << k.records;
    EXPECT_LE(c.ThumbTop(c.BarPos(c.start + (c.end - c.start) / 3)), c.start + (c.end - c.start) / 3);
    // Every thumb position lands inside the file and moves forward.
    time_t last = c.start - 1;
    for (int pos = 0; pos <= k.range; pos += std::max(k.range / 97, 1)) {
      const time_t t = c.ThumbTop(pos);
      EXPECT_GE(t, last);
      EXPECT_LE(t, c.end);
      last = t;
    }
  }
}

TEST(ListClock, PagesCoverEveryRowFromTheTop) {
  struct Case {
    long long records;
    int step;
    long long topRow;
    int pages;
  } cases[] = {
      {1, 1, 0, 1},    {40, 1, 0, 1},  {41, 1, 0, 2},  {120, 1, 0, 3}, {121, 1, 0, 4},
      {120, 3, 0, 1},  {121, 3, 0, 2},  // the 41st row at record 120 needs a page
      {100, 1, 60, 1}, {100, 1, 59, 2}, {100, 1, 20, 2}, {100, 1, 19, 3}, {100, 1, 99, 1},
  };
  for (const Case& k : cases) {
    const ListClock c = Clock(0, k.records, 10, k.step);
    const time_t top = k.topRow * 10;
    EXPECT_EQ(c.PageCount(top), k.pages) << k.records << "/" << k.step << "/" << k.topRow;
    EXPECT_EQ(c.PageTop(top, 2), top + 40 * k.step * 10);
  }
}

TEST(ListClock, FollowShowsTheNewestRecords) {
  const ListClock c = Clock(100, 1000, 1, 1);
  EXPECT_EQ(c.FollowTop(30), c.end - 26);
  EXPECT_EQ(Clock(100, 10, 1, 1).FollowTop(30), 100);  // not before the start
}

TEST(ListAlarm, RedOnlyOutsideLimitsThatMakeSense) {
  struct Case {
    float v, low, high;
    bool red;
  } cases[] = {
      {5, 10, 20, true},   {25, 10, 20, true},  {10, 10, 20, false}, {20, 10, 20, false},
      {15, 10, 20, false}, {5, 20, 10, false},  {25, 20, 20, false}, {-1, 0, 0, false},
  };
  for (const Case& k : cases) EXPECT_EQ(InAlarm(k.v, k.low, k.high), k.red) << k.v << " " << k.low << " " << k.high;
}

TEST(ListText, ChannelWidthsFollowNameAndUnit) {
  EXPECT_EQ(ChannelWidth("T", "C"), 60);
  EXPECT_EQ(ChannelWidth("Temperature", "degC"), 9 * 15);
  // Chinese characters take two bytes as the recorder stores them.
  EXPECT_EQ(ChannelWidth("温度温度温度", "℃"), 9 * 14);
}

class ListFile : public ::testing::Test {
 protected:
  void SetUp() override {
    UseLanguage();
    Recipe r;
    r.channels = 3;
    r.records = 20;
    r.interval = 5;
    r.count = [](int ch, int rec) { return ch * 100 + rec; };
    path_ = testenv::Home() + "l.kvd";
    ASSERT_TRUE(MakeRecording(path_, r));
    file_ = OpenRecording(path_);
    ASSERT_TRUE(file_);
    // 0.1 units per count.
    for (int ch = 0; ch < 3; ++ch) file_->Head().channels[ch].rangeHigh = {255, 1};
    ASSERT_TRUE(file_->PutHead());
    t0_ = file_->GetStartTime();
  }
  std::string path_;
  std::unique_ptr<CXFile> file_;
  time_t t0_ = 0;
};

TEST_F(ListFile, CopyTextHasEverySampleInEitherOrder) {
  const std::string down = CopyText(*file_, t0_ + 5, t0_ + 15, "Time");
  const std::string up = CopyText(*file_, t0_ + 15, t0_ + 5, "Time");
  EXPECT_EQ(down, up);
  const std::string head = "Time\t" + ChannelHeader(*file_, 0) + "\t" + ChannelHeader(*file_, 1) + "\t" +
                           ChannelHeader(*file_, 2) + "\t\r\n";
  EXPECT_EQ(ChannelHeader(*file_, 0), file_->GetChnlName(0) + "(C)");
  const std::string expected = head +
                               FormatTime(t0_ + 5, " %Y-%m-%d %H:%M:%S") + "\t0.1\t10.1\t20.1\r\n" +
                               FormatTime(t0_ + 10, " %Y-%m-%d %H:%M:%S") + "\t0.2\t10.2\t20.2\r\n" +
                               FormatTime(t0_ + 15, " %Y-%m-%d %H:%M:%S") + "\t0.3\t10.3\t20.3\r\n";
  EXPECT_EQ(down, expected);
  // One instant, and no selection at all.
  const std::string one = CopyText(*file_, t0_, t0_, "T");
  EXPECT_EQ(std::count(one.begin(), one.end(), '\n'), 2);
  EXPECT_EQ(CopyText(*file_, 0, 0, "T"), "");
  EXPECT_EQ(CopyText(*file_, t0_ - 5, t0_, "T"), "");
}

TEST_F(ListFile, UnreadableValuesShowDashes) {
  bool alarm = true;
  EXPECT_EQ(ValueText(*file_, 7, t0_, &alarm), "----");  // no such channel
  EXPECT_FALSE(alarm);
  EXPECT_EQ(ValueText(*file_, 0, t0_ + 1000, nullptr), "----");  // past the end
  EXPECT_EQ(ValueText(*file_, 1, t0_ + 10, nullptr), "10.2");
}

TEST_F(ListFile, FindWalksBothWaysAndReportsMisses) {
  struct Case {
    float target, tolerance;
    int channel, direction;
    time_t from;
    FindResult result;
    time_t at;  // offset from the start
  } cases[] = {
      {10.5f, 0.01f, 0, 0, 0, FindResult::Found, 25},    // channel 2, record 5
      {10.5f, 0.01f, 2, 0, 0, FindResult::Found, 25},
      {10.5f, 0.01f, 1, 0, 0, FindResult::Missed, 0},    // channel 1 never reaches it
      {0.0f, 0.01f, 0, 0, 0, FindResult::Found, 0},      // the first instant counts
      {0.3f, 0.01f, 1, 1, 95, FindResult::Found, 15},    // backwards from the end
      {0.3f, 0.01f, 1, 1, 10, FindResult::Missed, 0},    // backwards past it
      {99.0f, 0.5f, 0, 0, 0, FindResult::Missed, 0},
      {20.95f, 0.06f, 3, 0, 0, FindResult::Found, 45},   // within the tolerance
  };
  for (const Case& k : cases) {
    _tagFindQuery q;
    q.target = k.target;
    q.tolerance = k.tolerance;
    q.channel = k.channel;
    q.direction = k.direction;
    q.time = t0_ + k.from;
    EXPECT_EQ(FindInFile(*file_, q, nullptr), k.result) << k.target << " ch " << k.channel;
    EXPECT_EQ(q.time, k.result == FindResult::Found ? t0_ + k.at : 0) << k.target;
  }
}

TEST(ListFind, AWholeFileSearchStopsWhenAsked) {
  UseLanguage();
  Recipe r;
  r.channels = 16;
  r.records = 200000;
  r.count = [](int, int) { return 1; };
  const std::string path = testenv::Home() + "big.kvd";
  ASSERT_TRUE(MakeRecording(path, r));
  auto file = OpenRecording(path);
  ASSERT_TRUE(file);
  _tagFindQuery q;
  q.target = 77;
  q.time = file->GetStartTime();
  std::atomic<bool> stop{true};  // stopped before it began: stops within a few thousand instants
  EXPECT_EQ(FindInFile(*file, q, &stop), FindResult::Stopped);
  EXPECT_EQ(q.time, file->GetStartTime());
  // From another thread while it runs.
  stop = false;
  FindResult result = FindResult::Found;
  std::thread t([&] { result = FindInFile(*file, q, &stop); });
  stop = true;
  t.join();
  EXPECT_NE(result, FindResult::Found);
  // Not stopped: the whole walk misses.
  EXPECT_EQ(FindInFile(*file, q, nullptr), FindResult::Missed);
  EXPECT_EQ(q.time, 0);
}

// rectool list prints the same text the list copies, and finds as it finds.
std::pair<int, std::string> Rectool(const std::string& args) {
  const std::string cmd = std::string(RECVIEW_BIN_DIR) + "/rectool " + args + " 2>/dev/null";
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return {-1, out};
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
  const int status = ::pclose(p);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST_F(ListFile, RectoolListIsTheCopyText) {
  file_->Close();
  auto f = OpenRecording(path_);
  ASSERT_TRUE(f);
  auto quote = [](const std::string& text) {
    std::string r(1, '\'');
    r += text;
    r += '\'';
    return r;
  };
  const std::string q = quote(path_);
  auto t = [&](time_t off) { return quote(FormatTime(t0_ + off)); };
  struct Case {
    std::string args;
    int code;
    std::string out;
  } cases[] = {
      {"list " + q, 0, CopyText(*f, t0_, f->GetEndTime(), "时间")},
      {"list " + q + " --from " + t(7) + " --to " + t(21) + " --label Zeit", 0,
       CopyText(*f, t0_ + 5, t0_ + 20, "Zeit")},
      {"list " + q + " --find 10.5 --tolerance 0.01", 0, FormatTime(t0_ + 25) + "\n"},
      {"list " + q + " --find 0.3 --channel 1 --backward", 0, FormatTime(t0_ + 15) + "\n"},
      {"list " + q + " --find 99", 1, ""},
      {"list " + q + " --to " + t(-100), 1, ""},
      {"list " + q + " --find x", 2, ""},
      {"list " + q + " --channel 0 --find 1", 2, ""},
      {"list " + quote(testenv::Home() + "missing.kvd"), 1, ""},
  };
  for (const Case& k : cases) {
    const auto [code, out] = Rectool(k.args);
    EXPECT_EQ(code, k.code) << k.args;
    EXPECT_EQ(out, k.out) << k.args;
  }
  // The heading follows the configured language, as the window copies it.
  ASSERT_TRUE(platform::WriteLanguage(1));
  EXPECT_EQ(Rectool("list " + q).second, CopyText(*f, t0_, f->GetEndTime(), "Time"));
}

// The list of a long file is several times the file; rectool writes it as it
// makes it, within the mapped file and a few MB.
TEST(ListLongFile, RectoolListDoesNotHoldItsOutput) {
  Recipe r;
  r.channels = 64;
  r.records = 131072;
  r.valueWidth = 2;
  r.count = [](int ch, int rec) { return (rec * 7 + ch * 1000) & 0xFFFF; };
  const std::string path = testenv::Home() + "long.kvd";
  ASSERT_TRUE(MakeRecording(path, r));
  struct stat st = {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  const testenv::CommandResult run =
      testenv::RunCommand(std::string(RECVIEW_BIN_DIR) + "/rectool list '" + path + "' | wc -c");
  ASSERT_EQ(run.code, 0);
  const double outMB = std::stod(run.out) / (1 << 20), fileMB = double(st.st_size) / (1 << 20);
  ASSERT_GT(outMB, 2 * fileMB);
  struct rusage usage = {};
  ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
#if defined(__SANITIZE_ADDRESS__)
  const double slackMB = 64;  // the program (16 MB of libraries) and the sanitizer
#else
  const double slackMB = 32;  // the program: 16 MB of libraries
#endif
  EXPECT_LT(usage.ru_maxrss / 1024.0, fileMB + slackMB) << "output " << outMB << " MB";
}

}  // namespace
