// Statistics of known series, the span checks and the spread texts.
#include <gtest/gtest.h>

#include <memory>

#include "common/testenv.h"
#include "data/cxfile.h"
#include "recording.h"
#include "tables/statistics.h"

using namespace tablestest;

namespace {

std::unique_ptr<CXFile> Recording(const Recipe& recipe) {
  const std::string path = testenv::NewDir("st") + "rec.KVD";
  EXPECT_TRUE(MakeRecording(path, recipe));
  auto f = std::make_unique<CXFile>();
  EXPECT_TRUE(f->Open(path));
  return f;
}

}  // namespace

TEST(Statistics, KnownSeries) {
  // Channel 0 runs 90, 91, ... 110 and back; channel 1 is -5 .. 5 (max + min
  // is 0: no spread); channel 2 constant 40.
  Recipe recipe;
  recipe.records = 41;
  recipe.channels = {{"A", "", 0, 1}, {"B", "", -100, 0}, {"C", "", 0, 2}};
  recipe.count = [](int ch, int r) {
    if (ch == 0) return 90 + (r <= 20 ? r : 40 - r);
    if (ch == 1) return 100 + (r % 11) - 5;
    return 40;
  };
  auto f = Recording(recipe);
  const time_t s = f->GetStartTime();
  const struct {
    const char* what;
    int from, to;  // records
    int64_t instants;
    const char* texts[3][4];
  } cases[] = {
      {"whole file", 0, 40, 41,
       {{"110.0", "90.0", "99.8", "20.00%"}, {"5", "-5", "-0", "----"}, {"40.00", "40.00", "40.00", "0.00%"}}},
      // One interval: two instants, the sum divided by 2.
      {"one interval", 3, 4, 2,
       {{"94.0", "93.0", "93.5", "1.07%"}, {"-1", "-2", "-2", "-66.67%"}, {"40.00", "40.00", "40.00", "0.00%"}}},
      // Zero span: the one instant.
      {"zero span", 20, 20, 1,
       {{"110.0", "110.0", "110.0", "0.00%"}, {"4", "4", "4", "0.00%"}, {"40.00", "40.00", "40.00", "0.00%"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    tables::StatsResult r;
    std::vector<int> percents;
    ASSERT_TRUE(tables::ComputeStatistics(*f, s + c.from * 10, s + c.to * 10, &r,
                                          [&](int p) { percents.push_back(p); }));
    EXPECT_EQ(r.instants, c.instants);
    ASSERT_EQ(r.channels.size(), 3u);
    for (int ch = 0; ch < 3; ++ch) {
      const auto t = tables::FormatStats(*f, ch, r.channels[size_t(ch)], r.instants);
      EXPECT_EQ(t.maximum, c.texts[ch][0]) << ch;
      EXPECT_EQ(t.minimum, c.texts[ch][1]) << ch;
      EXPECT_EQ(t.mean, c.texts[ch][2]) << ch;
      EXPECT_EQ(t.spread, c.texts[ch][3]) << ch;
    }
    ASSERT_FALSE(percents.empty());
    EXPECT_EQ(percents.front(), 0);
    EXPECT_EQ(percents.back(), 100);
    for (size_t i = 1; i < percents.size(); ++i) EXPECT_GT(percents[i], percents[i - 1]);
  }
}

TEST(Statistics, SpanChecksInTheirOrder) {
  Recipe recipe;
  recipe.records = 10;
  auto f = Recording(recipe);
  const time_t s = f->GetStartTime(), e = f->GetEndTime();
  const struct {
    time_t from, to;
    int message;
  } cases[] = {
      {s, e, 0},
      {e, e, 0},
      {e, s, tables::kStatsStartAfterEnd},
      {s - 1, s - 2, tables::kStatsStartAfterEnd},  // reversed is told first
      {s - 1, e, tables::kStatsBeforeFile},
      {s - 1, e + 1, tables::kStatsBeforeFile},
      {s, e + 1, tables::kStatsAfterFile},
      {e - 3600, e, tables::kStatsBeforeFile},  // the default last hour of a short file
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tables::CheckStatsSpan(*f, c.from, c.to), c.message) << c.from - s << " " << c.to - s;
    tables::StatsResult r;
    r.instants = -7;
    EXPECT_EQ(tables::ComputeStatistics(*f, c.from, c.to, &r), c.message == 0);
    if (c.message) {
      EXPECT_EQ(r.instants, -7);  // untouched
    }
  }
}

TEST(Statistics, AccumulatorGivesTrueExtremesAndSaysWhenNothingWasRead) {
  const struct {
    std::vector<double> values;
    double max, min, mean;
  } cases[] = {
      {{90, 110}, 110, 90, 100},
      {{-300000, -250000}, -250000, -300000, -275000},  // beyond the lower seed
      {{250000, 300000}, 300000, 250000, 275000},       // beyond the upper seed
      {{-1, 1}, 1, -1, 0},
      {{7}, 7, 7, 7},
  };
  for (const auto& c : cases) {
    tables::ChannelStats s;
    for (double v : c.values) s.Add(v);
    EXPECT_TRUE(s.HasValues());
    EXPECT_EQ(s.maximum, c.max);
    EXPECT_EQ(s.minimum, c.min);
    EXPECT_EQ(s.Mean(int64_t(c.values.size())), c.mean);
  }
  tables::ChannelStats none;
  EXPECT_FALSE(none.HasValues());
  EXPECT_EQ(none.maximum, tables::kStatsMaxSeed);
  EXPECT_EQ(none.minimum, tables::kStatsMinSeed);
  EXPECT_EQ(none.Mean(5), 0.0);
  Recipe recipe;
  auto f = Recording(recipe);
  const auto t = tables::FormatStats(*f, 0, none, 5);
  EXPECT_EQ(t.maximum, "----");
  EXPECT_EQ(t.minimum, "----");
  EXPECT_EQ(t.mean, "----");
  EXPECT_EQ(t.spread, "----");
}

TEST(Statistics, SpreadTexts) {
  const struct {
    double max, min;
    const char* text;
  } cases[] = {
      {110, 90, "20.00%"}, {5, -5, "----"}, {0, 0, "----"}, {1, 1, "0.00%"},
      {-90, -110, "-20.00%"}, {3, 1, "100.00%"}, {1e300, 1e300, "0.00%"},
  };
  for (const auto& c : cases) EXPECT_EQ(tables::FormatSpread(c.max, c.min), c.text) << c.max << " " << c.min;
}
