// Download progress in records, rate and time left, from the workers' units.
#include "acquire/downloadprogress.h"

#include <gtest/gtest.h>

namespace {

TEST(DownloadProgress, UnitsBecomeRecordsRateAndTimeLeft) {
  struct Case {
    const char* what;
    int64_t total;
    int value, maximum;
    int64_t elapsedMs;
    int64_t done;
    double rate;
    int64_t left;
  } cases[] = {
      {"nothing yet", 1000, 0, 10, 5000, 0, 0, -1},
      {"first request", 1201, 1, 11, 2000, 109, 54.5, 21},
      {"register passes of 2 channels", 301, 3, 6, 1000, 150, 150, 2},
      {"all", 266000, 4156, 4156, 100000, 266000, 2660, 0},
      {"no time passed", 100, 5, 10, 0, 50, 0, -1},
      {"value past the maximum", 100, 12, 10, 1000, 100, 100, 0},
      {"whole memory, slow line", 266000, 1, 2078 * 8, 3000, 16, 5.3333, 49872},
  };
  for (const Case& c : cases) {
    acquire::ProgressMeter m;
    m.Start(c.total, 1000);
    m.Report(c.value, c.maximum);
    const acquire::ProgressFigures f = m.At(1000 + c.elapsedMs);
    EXPECT_EQ(f.total, c.total) << c.what;
    EXPECT_EQ(f.done, c.done) << c.what;
    EXPECT_NEAR(f.rate, c.rate, 0.01) << c.what;
    EXPECT_EQ(f.secondsLeft, c.left) << c.what;
  }
  // Counts never go back (a failure report of 0 of 1 at the end).
  acquire::ProgressMeter m;
  m.Start(100, 0);
  m.Report(5, 10);
  m.Report(0, 1);
  EXPECT_EQ(m.At(1000).done, 50);
  EXPECT_EQ(m.At(1000).Percent(), 50);
}

TEST(DownloadProgress, DurationsReadAsClockTimes) {
  const std::pair<int64_t, const char*> cases[] = {
      {0, "0:00"}, {59, "0:59"}, {61, "1:01"}, {3599, "59:59"},
      {3600, "1:00:00"}, {3723, "1:02:03"}, {-5, "0:00"}, {100 * 3600, "100:00:00"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(acquire::FormatDuration(seconds), text) << seconds;
}

}  // namespace
