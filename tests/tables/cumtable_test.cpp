// The tables of cumulative files, built byte by byte in the cumulative
// layout, checked cell by cell; and `rectool cumulative` on the same files.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <map>

#include "common/testenv.h"
#include "common/timezone.h"
#include "data/cxfile.h"
#include "data/fixture.h"
#include "tables/cumtable.h"
#include "cumfile.h"

using tables::CumTable;
using Row = std::vector<std::string>;

namespace {

constexpr int kHour = 3600;
using cumtest::Cum;
using cumtest::SaveCum;

std::string V(int ch, int slot) { return tables::CumValueText((ch + 1) * 1000 + slot, 2); }

std::string SumText(int ch, int fromSlot, int toSlot) {
  long long sum = 0;
  for (int s = fromSlot; s <= toSlot; ++s) sum += (ch + 1) * 1000 + s;
  return tables::CumValueText(double(sum), 2);
}

time_t T(const char* text) {
  time_t t = 0;
  EXPECT_TRUE(ParseTime(text, &t)) << text;
  return t;
}

CumTable Build(const std::string& path, const char* from, const char* to) {
  CXFile f;
  EXPECT_TRUE(f.Open(path));
  EXPECT_EQ(tables::CheckCumRange(f, T(from), T(to)), 0);
  return tables::BuildCumTable(f, T(from), T(to), tables::CumTexts());
}

std::vector<std::string> Titles(const CumTable& t) {
  std::vector<std::string> v;
  for (const auto& c : t.columns) v.push_back(c.title);
  return v;
}

Row Blanks(int n) { return Row(n, ""); }
Row Join(Row a, const Row& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
Row Values(int ch, int fromSlot, int count) {
  Row r;
  for (int i = 0; i < count; ++i) r.push_back(V(ch, fromSlot + i));
  return r;
}

TEST(CumTable, HourlyFromMidnightHoldsOneTotalInTheHourZeroColumn) {
  const std::string path = SaveCum({});
  const CumTable t = Build(path, "2024-03-01 00:00:00", "2024-03-02 00:00:00");
  std::vector<std::string> titles{"Channel"};
  for (int h = 1; h <= 24; ++h) titles.push_back(std::to_string(h % 24) + ":00");
  EXPECT_EQ(Titles(t), titles);
  EXPECT_EQ(t.columns[0].width, 120);
  EXPECT_EQ(t.columns[1].width, 60);
  std::vector<Row> expect;
  for (int ch = 0; ch < 2; ++ch) {
    expect.push_back({"Channel " + std::to_string(ch + 1)});
    // The hour that ends at midnight closes the day before.
    expect.push_back(Join(Join({"2024-02-29"}, Blanks(23)), {V(ch, 0)}));
    expect.push_back(Join({"2024-03-01"}, Values(ch, 1, 24)));
    expect.push_back({"Total", SumText(ch, 0, 24)});
    expect.push_back({});
  }
  EXPECT_EQ(t.rows, expect);
}

TEST(CumTable, HourlyRowsFollowTheDayStartAndEndAtTheRangeEnd) {
  Cum c;
  c.dayStart = 6;
  c.periods = 72;
  c.channels = 1;
  const std::string path = SaveCum(c);
  // From 10:00 with the day starting at 6: the first reading ends hour 10,
  // the fourth column (7, 8, 9 stay blank).
  CumTable t = Build(path, "2024-03-01 10:00:00", "2024-03-01 12:00:00");
  EXPECT_EQ(t.columns[1].title, "7:00");
  EXPECT_EQ(t.columns[24].title, "6:00");
  EXPECT_EQ(t.rows[1], Join(Join({"2024-03-01"}, Blanks(3)), Values(0, 10, 3)));
  EXPECT_EQ(t.rows.size(), 4u);
  // A range that ends earlier in its day than it starts still shows every
  // hour up to its end.
  t = Build(path, "2024-03-01 12:00:00", "2024-03-03 11:00:00");
  ASSERT_EQ(t.rows.size(), 1u + 3u + 2u);
  EXPECT_EQ(t.rows[1], Join(Join({"2024-03-01"}, Blanks(5)), Values(0, 12, 19)));  // 12:00 .. 06:00
  EXPECT_EQ(t.rows[2], Join({"2024-03-02"}, Values(0, 31, 24)));                 // 07:00 .. 06:00
  EXPECT_EQ(t.rows[3], Join({"2024-03-03"}, Values(0, 55, 5)));                  // 07:00 .. 11:00
  EXPECT_EQ(t.rows[4], (Row{"Total", SumText(0, 12, 59)}));
}

TEST(CumTable, EightHourShiftsWithDayStartEight) {
  Cum c;
  c.period = 1;
  c.dayStart = 8;
  c.channels = 1;
  c.periods = 7;
  struct Case {
    int startHour;
    std::vector<Row> rows;  // after the title row, before total and empty rows
  } cases[] = {
      // Ends the first shift of the day: the totals on the day's row.
      {16, {{"2024-03-01", V(0, 0), V(0, 1)}}},
      // Ends the second: one blank, two totals.
      {0, {{"2024-02-29", "", V(0, 0), V(0, 1)}}},
      // Ends the third: the row of the day before, two blanks, then the next day.
      {8, {{"2024-02-29", "", "", V(0, 0)}, {"2024-03-01", V(0, 1)}}},
  };
  for (const Case& k : cases) {
    c.h = k.startHour;
    const std::string path = SaveCum(c);
    CXFile f;
    ASSERT_TRUE(f.Open(path));
    const time_t from = f.GetStartTime();
    const CumTable t = tables::BuildCumTable(f, from, from + 8 * kHour, tables::CumTexts());
    EXPECT_EQ(Titles(t), (std::vector<std::string>{"Channel", "8:00-16:00", "16:00-0:00", "0:00-8:00"}));
    EXPECT_EQ(t.columns[1].width, 100);
    // The opening row, and the rows up to the range end: two readings.
    ASSERT_EQ(t.rows.size(), 1u + k.rows.size() + 1u + 1u) << k.startHour;
    for (size_t r = 0; r < k.rows.size(); ++r) EXPECT_EQ(t.rows[1 + r], k.rows[r]) << k.startHour;
    EXPECT_EQ(t.rows[1 + k.rows.size()], (Row{"Total", SumText(0, 0, 1)}));
  }
}

TEST(CumTable, TwelveHourShifts) {
  Cum c;
  c.period = 2;
  c.channels = 1;
  c.periods = 6;
  // Starting at midnight: the day before opens with "0" and the total read at the start.
  std::string path = SaveCum(c);
  CumTable t = Build(path, "2024-03-01 00:00:00", "2024-03-02 00:00:00");
  EXPECT_EQ(Titles(t), (std::vector<std::string>{"Channel", "0:00-12:00", "12:00-0:00"}));
  EXPECT_EQ(t.columns[2].width, 120);
  std::vector<Row> expect = {{"Channel 1"},
                             {"2024-02-29", "0", V(0, 0)},
                             {"2024-03-01", V(0, 1), V(0, 2)},
                             {"Total", SumText(0, 0, 2)},
                             {}};
  EXPECT_EQ(t.rows, expect);
  // Starting at noon: no opening row, and a range shorter than a day still
  // shows its shifts.
  c.h = 12;
  path = SaveCum(c);
  t = Build(path, "2024-03-01 12:00:00", "2024-03-02 00:00:00");
  expect = {{"Channel 1"}, {"2024-03-01", V(0, 0), V(0, 1)}, {"Total", SumText(0, 0, 1)}, {}};
  EXPECT_EQ(t.rows, expect);
  // Day start 20: the shifts are 20-8 and 8-20.
  c.dayStart = 20;
  CXFile f;
  ASSERT_TRUE(f.Open(SaveCum(c)));
  EXPECT_EQ(tables::CumColumns(f, 0, 0, tables::CumTexts())[1].title, "20:00-8:00");
}

TEST(CumTable, DailyOverFebruaryLeavesMissingDaysBlank) {
  struct Case {
    int year;
    int lastDay;
  } cases[] = {{23, 28}, {24, 29}};
  for (const Case& k : cases) {
    Cum c;
    c.period = 3;
    c.channels = 1;
    c.y = k.year;
    c.m = 2;
    c.periods = k.lastDay + 1;  // Feb 1 00:00 (January 31) .. Mar 1 00:00 (the last day of February)
    const std::string path = SaveCum(c);
    const std::string y = std::to_string(2000 + k.year);
    const CumTable t = Build(path, (y + "-02-01 00:00:00").c_str(), (y + "-03-01 00:00:00").c_str());
    // January 31, read at the range start, has a column of its own.
    ASSERT_EQ(Titles(t), (std::vector<std::string>{"", y + "-01", y + "-02", y + "-03"}));
    EXPECT_EQ(t.columns[0].width, 45);
    ASSERT_EQ(t.rows.size(), 1u + 31u + 2u);
    for (int day = 1; day <= 31; ++day) {
      const Row& r = t.rows[day];
      ASSERT_EQ(r.size(), 4u);
      EXPECT_EQ(r[0], std::to_string(day));
      EXPECT_EQ(r[1], day == 31 ? V(0, 0) : "") << day;
      EXPECT_EQ(r[2], day <= k.lastDay ? V(0, day) : "") << y << " day " << day;
      EXPECT_EQ(r[3], "") << day;
    }
    EXPECT_EQ(t.rows[32], (Row{"Total", V(0, 0), SumText(0, 1, k.lastDay), "0.00"}));
    EXPECT_EQ(t.rows[33], Row{});
  }
}

TEST(CumTable, DailyWithALaterDayStartReadsTheDayAfter) {
  Cum c;
  c.period = 3;
  c.channels = 1;
  c.dayStart = 8;
  c.h = 8;
  c.m = 1;
  c.d = 10;
  c.periods = 5;  // 08:00 on Jan 10 .. Jan 14: the days Jan 9 .. Jan 13
  const std::string path = SaveCum(c);
  const CumTable t = Build(path, "2024-01-10 08:00:00", "2024-01-14 08:00:00");
  EXPECT_EQ(Titles(t), (std::vector<std::string>{"", "2024-01", "2024-02"}));
  for (int day = 1; day <= 31; ++day) {
    // Day D is the period that ends at 08:00 on D + 1.
    const std::string expect = day >= 9 && day <= 13 ? V(0, day - 9) : "";
    EXPECT_EQ(t.rows[day][1], expect) << day;
  }
}

// How often each total of the file shows in the table, by channel and slot;
// every other cell must be blank, a date, a title or the opening "0".
std::map<std::pair<int, int>, int> Shown(const CumTable& t, int channels, int slots) {
  std::map<std::string, std::pair<int, int>> slotOf;
  for (int ch = 0; ch < channels; ++ch)
    for (int s = 0; s < slots; ++s) slotOf[V(ch, s)] = {ch, s};
  std::map<std::pair<int, int>, int> shown;
  for (const Row& r : t.rows) {
    if (!r.empty() && r[0] == "Total") continue;
    for (size_t c = 1; c < r.size(); ++c) {
      if (r[c].empty() || r[c] == "0") continue;
      auto it = slotOf.find(r[c]);
      EXPECT_NE(it, slotOf.end()) << "a cell holds " << r[c];
      if (it != slotOf.end()) ++shown[it->second];
    }
  }
  return shown;
}

TEST(CumTable, EveryTotalReadInsideTheRangeAppearsOnce) {
  struct Case {
    Cum file;              // period, day start, decimals, channels, periods, y, m, d, h
    int fromSlot, toSlot;  // the range: these slots' stamps,
    int toEarlier;         // the end moved this many seconds earlier
  } cases[] = {
      {{0, 0, 2, 2, 60, 23, 12, 31, 0}, 0, 30, 0},        // hourly over the year's end
      {{0, 6, 2, 2, 60, 23, 12, 31, 10}, 3, 41, 1800},    // day start 6, the end inside an hour
      {{1, 8, 2, 2, 10, 24, 1, 31, 16}, 0, 0, 0},         // one reading: the row ends with it
      {{1, 0, 2, 2, 10, 24, 1, 31, 0}, 2, 7, 0},          // eight-hour over the month's end
      {{1, 8, 2, 2, 12, 24, 2, 28, 0}, 1, 9, 3600},
      {{2, 0, 2, 2, 6, 24, 3, 1, 0}, 1, 1, 0},            // one twelve-hour reading
      {{2, 20, 2, 2, 10, 23, 12, 31, 8}, 1, 6, 0},        // day start 20 over the year's end
      {{3, 0, 2, 2, 60, 24, 1, 25, 0}, 7, 9, 0},          // daily from February 1: January 31 shows
      {{3, 6, 2, 2, 10, 24, 4, 1, 6}, 1, 5, 3 * 3600},    // day start 6, range ends at 03:00
      {{3, 0, 2, 2, 80, 23, 11, 20, 0}, 11, 72, 0},       // daily over the year's end, from December 1
      {{3, 23, 2, 2, 10, 23, 12, 30, 23}, 1, 3, 0},
      {{3, 8, 2, 2, 40, 24, 2, 28, 8}, 2, 33, 7200},
  };
  for (const Case& k : cases) {
    const Cum& c = k.file;
    CXFile f;
    ASSERT_TRUE(f.Open(SaveCum(c)));
    const time_t from = f.GetStartTime() + time_t(k.fromSlot) * f.GetInterval();
    const time_t to = f.GetStartTime() + time_t(k.toSlot) * f.GetInterval() - k.toEarlier;
    ASSERT_EQ(tables::CheckCumRange(f, from, to), 0);
    const CumTable t = tables::BuildCumTable(f, from, to, tables::CumTexts());
    const auto shown = Shown(t, 2, c.periods);
    const int last = k.toEarlier ? k.toSlot - 1 : k.toSlot;
    const std::string what = "kind " + std::to_string(c.period) + " day start " + std::to_string(c.dayStart) +
                             " from " + FormatTime(from) + " to " + FormatTime(to);
    for (int ch = 0; ch < 2; ++ch)
      for (int s = 0; s < c.periods; ++s) {
        const auto it = shown.find({ch, s});
        EXPECT_EQ(it == shown.end() ? 0 : it->second, s >= k.fromSlot && s <= last ? 1 : 0)
            << what << ": channel " << ch + 1 << " slot " << s;
      }
    // The channel totals add up what is shown.
    double sum = 0, expect = 0;
    for (const Row& r : t.rows)
      if (!r.empty() && r[0] == "Total")
        for (size_t i = 1; i < r.size(); ++i) sum += std::stod(r[i]);
    for (int ch = 0; ch < 2; ++ch) expect += std::stod(SumText(ch, k.fromSlot, last));
    EXPECT_NEAR(sum, expect, 1e-6) << what;
  }
}

TEST(CumTable, RangeChecksAndDecimals) {
  const std::string path = SaveCum({});
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  struct Case {
    const char* from;
    const char* to;
    int id;
  } cases[] = {
      {"2024-03-01 05:00:00", "2024-03-01 04:00:00", 61249},
      {"2024-02-29 23:00:00", "2024-03-01 04:00:00", 61250},
      {"2024-03-01 05:00:00", "2024-03-02 01:00:00", 61251},
      {"2024-03-01 00:00:00", "2024-03-02 00:00:00", 0},
      {"2024-03-01 05:00:00", "2024-03-01 05:00:00", 0},
  };
  for (const Case& c : cases) EXPECT_EQ(tables::CheckCumRange(f, T(c.from), T(c.to)), c.id) << c.from;
  const struct {
    double count;
    int decimals;
    const char* text;
  } values[] = {{12345, 2, "123.45"}, {-5, 1, "-0.5"}, {7, 0, "7"}, {-1099511627778.0, 3, "-1099511627.778"}};
  for (const auto& v : values) EXPECT_EQ(tables::CumValueText(v.count, v.decimals), v.text);
}

TEST(CumTable, CsvAndSheetRows) {
  CumTable t;
  t.columns = {{"Channel", 120}, {"8:00-16:00", 100}, {"a,\"b\"", 100}};
  t.rows = {{"Channel 1"}, {"2024-03-01", "", "1.50"}, {}};
  EXPECT_EQ(tables::CumTableCsv(t),
            "Channel,8:00-16:00,\"a,\"\"b\"\"\"\r\nChannel 1,,\r\n2024-03-01,,1.50\r\n,,\r\n");
  const auto rows = tables::CumSheetRows(t);
  EXPECT_EQ(rows, (std::vector<Row>{{"Channel 1", " ", " "}, {"2024-03-01", " ", "1.50"}, {" ", " ", " "}}));
}

// ---- rectool cumulative ----

using Result = testenv::RectoolResult;
Result Rectool(const std::string& args) { return testenv::RunRectool(args); }

TEST(RectoolCumulative, PrintsTheSameTableAsTheView) {
  Cum c;
  c.period = 2;
  c.channels = 1;
  c.periods = 3;
  const std::string path = SaveCum(c);
  Result r = Rectool("cumulative '" + path + "' --table shift12 --csv");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "Channel,0:00-12:00,12:00-0:00\r\nChannel 1,,\r\n2024-02-29,0," + V(0, 0) + "\r\n" +
                       "2024-03-01," + V(0, 1) + "," + V(0, 2) + "\r\nTotal," + SumText(0, 0, 2) +
                       ",\r\n,,\r\n");
  r = Rectool("cumulative '" + path + "' --from '2024-03-01 00:00:00' --to '2024-03-01 12:00:00'");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("2024-02-29           0       10.00"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Total"), std::string::npos);
}

TEST(RectoolCumulative, ShowsEveryTotalOfTheRangeOnce) {
  const struct {
    Cum file;
    std::string range;
    std::vector<std::string> lines;  // CSV lines the table must hold
  } cases[] = {
      // Daily from the 1st: January 31, read at the range start, has a column.
      {{3, 0, 2, 1, 60, 24, 1, 25},
       "--from '2024-02-01 00:00:00' --to '2024-02-03 00:00:00'",
       {",2024-01,2024-02,2024-03", "31," + V(0, 7) + ",,", "1,," + V(0, 8) + ",", "2,," + V(0, 9) + ",", "3,,,",
        "Total," + V(0, 7) + "," + SumText(0, 8, 9) + ",0.00"}},
      // Day start 6, the range ending at 03:00: day 5's total lies after it.
      {{3, 6, 2, 1, 10, 24, 4, 1, 6},
       "--from '2024-04-02 06:00:00' --to '2024-04-06 03:00:00'",
       {"4," + V(0, 4) + ",", "5,,", "Total," + SumText(0, 1, 4) + ",0.00"}},
      // One reading of eight-hour and twelve-hour totals: one cell, no more.
      {{1, 8, 2, 1, 7, 24, 3, 1, 16},
       "--from '2024-03-01 16:00:00' --to '2024-03-01 16:00:00'",
       {"2024-03-01," + V(0, 0) + ",,", "Total," + V(0, 0) + ",,"}},
      {{2, 0, 2, 1, 6},
       "--from '2024-03-01 12:00:00' --to '2024-03-01 12:00:00'",
       {"2024-03-01," + V(0, 1) + ",", "Total," + V(0, 1) + ","}},
  };
  for (const auto& k : cases) {
    const Result r = Rectool("cumulative '" + SaveCum(k.file) + "' --csv " + k.range);
    ASSERT_EQ(r.code, 0) << r.err;
    for (const std::string& line : k.lines)
      EXPECT_NE(("\r\n" + r.out).find("\r\n" + line + "\r\n"), std::string::npos) << line << " in\n" << r.out;
  }
}

TEST(RectoolCumulative, AnAmbiguousHourTakesTheReadingsInsideTheFile) {
  // Hourly totals to the first 02:00 (3) and to the second (4).
  testenv::ScopedTimeZone berlin("Europe/Berlin");
  for (int periods : {3, 4}) {
    const std::string path = SaveCum(cumtest::AutumnNight(periods));
    const Result r = Rectool("cumulative '" + path + "' --csv --from '2024-10-27 02:00:00' --to '2024-10-27 02:00:00'");
    ASSERT_EQ(r.code, 0) << periods << ": " << r.err;
    // Both readings of 02:00 that the file holds, one after the other.
    const std::string last = periods == 4 ? "," + V(0, 2) + "," + V(0, 3) : "," + V(0, 2);
    EXPECT_NE(r.out.find(last + ","), std::string::npos) << r.out;
    const Result whole = Rectool("cumulative '" + path + "' --csv --to '2024-10-27 02:00:00'");
    ASSERT_EQ(whole.code, 0) << whole.err;
    EXPECT_NE(whole.out.find("Total," + SumText(0, 0, periods - 1)), std::string::npos) << whole.out;
  }
}

TEST(RectoolCumulative, RefusesWhatItCannotShow) {
  Cum c;
  c.period = 2;
  const std::string path = "'" + SaveCum(c) + "'";
  const std::string plain = testenv::NewDir("p") + "r.kvd";
  fixture::Recipe s;
  s.channels.resize(1);
  ASSERT_TRUE(testenv::WriteFile(plain, fixture::Build(s)));
  const struct {
    std::string args;
    int code;
    const char* says;
  } cases[] = {
      {path + " --table hourly", 1, "holds shift12 totals"},
      {path + " --table weekly", 2, "--table takes"},
      {path + " --from '2024-02-01 00:00:00'", 1, "earlier than the first record"},
      {path + " --to '2025-01-01 00:00:00'", 1, "later than the last record"},
      {path + " --from '2024-03-02 00:00:00' --to '2024-03-01 12:00:00'", 1, "later than the end"},
      {path + " --from yesterday", 2, "--from takes"},
      {"'" + plain + "'", 1, "not a cumulative file"},
      {"/nonexistent.kvc", 1, "nonexistent"},
  };
  for (const auto& k : cases) {
    const Result r = Rectool("cumulative " + k.args);
    EXPECT_EQ(r.code, k.code) << k.args;
    EXPECT_NE(r.err.find(k.says), std::string::npos) << k.args << ": " << r.err;
    EXPECT_EQ(r.out, "") << k.args;
  }
}

}  // namespace
