// rectool export and rectool stats: the program of the program directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/testenv.h"
#include "common/timezone.h"
#include "data/records.h"
#include "platform/localtime.h"
#include "recording.h"

using namespace tablestest;

namespace {

std::string Rectool() { return testenv::BinDir() + "rectool"; }

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

TEST(RectoolExport, WritesTheSpreadsheetAndTheCsv) {
  const std::string dir = testenv::NewDir("rt");
  Recipe recipe;
  recipe.records = 20;
  ASSERT_TRUE(MakeRecording(dir + "rec.KVD", recipe));
  const time_t s = DefaultStart();
  std::string out, err;
  ASSERT_EQ(tablestest::Run({Rectool(), "export", dir + "rec.KVD", dir + "out.xlsx", "--csv", dir + "out.csv", "--from",
                 FormatTime(s + 20), "--to", FormatTime(s + 100), "--step", "4"},
                &out, &err),
            0)
      << err;
  // Progress as plain lines when standard error is not a terminal.
  EXPECT_NE(err.find("out.xlsx: 100% (3 of 3 rows"), std::string::npos) << err;
  EXPECT_EQ(err.find('\r'), std::string::npos) << err;
  std::vector<Sheet> sheets;
  std::string error;
  ASSERT_TRUE(ReadXlsx(dir + "out.xlsx", &sheets, &error)) << error;
  ASSERT_EQ(sheets.size(), 1u);
  ASSERT_EQ(sheets[0].rows.size(), 4u);  // records 2, 6, 10
  EXPECT_EQ(sheets[0].rows[0][3].text, "Flow(m 3/h)");
  EXPECT_EQ(sheets[0].rows[3][0].number, 3);
  EXPECT_EQ(sheets[0].rows[3][1].text, FormatTime(s + 100));
  EXPECT_EQ(sheets[0].rows[3][2].number, 10);
  const std::string csv = testenv::ReadFile(dir + "out.csv");
  EXPECT_EQ(csv.substr(0, csv.find("\r\n")), "编号,时间,T1(℃),Flow(m 3/h)");
  EXPECT_NE(csv.find("3," + FormatTime(s + 100) + ",10.0,10.0\r\n"), std::string::npos) << csv;
}

TEST(RectoolExport, RefusesWhatCannotBeExported) {
  const std::string dir = testenv::NewDir("rt2");
  Recipe recipe;
  ASSERT_TRUE(MakeRecording(dir + "rec.KVD", recipe));
  ASSERT_TRUE(testenv::WriteFile(dir + "junk.KVD", "not a recording"));
  const time_t s = DefaultStart();
  const struct {
    std::vector<std::string> args;
    int status;
    const char* says;
  } cases[] = {
      {{"export", dir + "rec.KVD"}, 2, "OUT.xlsx"},
      {{"export", dir + "rec.KVD", dir + "o.xlsx", "--step", "0"}, 2, "--step"},
      {{"export", dir + "rec.KVD", dir + "o.xlsx", "--from", "yesterday"}, 2, "not a time"},
      {{"export", dir + "rec.KVD", dir + "o.xlsx", "--from", FormatTime(s - 1)}, 1, "before the first record"},
      {{"export", dir + "rec.KVD", dir + "o.xlsx", "--to", FormatTime(s + 1000)}, 1, "after the last record"},
      {{"export", dir + "rec.KVD", dir + "o.xlsx", "--from", FormatTime(s + 50), "--to", FormatTime(s)}, 1,
       "later than"},
      {{"export", dir + "junk.KVD", dir + "o.xlsx"}, 1, "not a recorder data file"},
      {{"export", dir + "rec.KVD", dir + "none/o.xlsx"}, 1, "none"},
      {{"stats", dir + "rec.KVD", "--from", FormatTime(s - 1)}, 1, "before the first record"},
      {{"stats", dir + "rec.KVD", "--from", FormatTime(s + 50), "--to", FormatTime(s)}, 1, "later than"},
      {{"stats", dir + "missing.KVD"}, 1, "cannot open"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = {Rectool()};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::string out, err;
    EXPECT_EQ(tablestest::Run(argv, &out, &err), c.status) << c.args[0] << " " << c.says;
    EXPECT_NE(err.find(c.says), std::string::npos) << err;
  }
  EXPECT_FALSE(Exists(dir + "o.xlsx"));
}

TEST(RectoolStats, TextAndJson) {
  const std::string dir = testenv::NewDir("rs");
  Recipe recipe;
  recipe.records = 21;
  recipe.channels = {{"A", "", 0, 1}};
  recipe.count = [](int, int r) { return 90 + r; };
  ASSERT_TRUE(MakeRecording(dir + "rec.KVD", recipe));
  std::string out, err;
  ASSERT_EQ(tablestest::Run({Rectool(), "stats", dir + "rec.KVD"}, &out, &err), 0) << err;
  EXPECT_NE(out.find("1\tA\t110.0\t90.0\t100.0\t20.00%\n"), std::string::npos) << out;
  EXPECT_NE(out.find("21 instants"), std::string::npos) << out;
  ASSERT_EQ(tablestest::Run({Rectool(), "stats", dir + "rec.KVD", "--json", "--to", FormatTime(DefaultStart() + 10)}, &out,
                &err),
            0)
      << err;
  EXPECT_NE(out.find("\"instants\":2"), std::string::npos) << out;
  EXPECT_NE(out.find("\"maximum\":91,\"minimum\":90,\"mean\":90.5"), std::string::npos) << out;
  EXPECT_NE(out.find("\"spread\":\"1.10%\""), std::string::npos) << out;
}

TEST(RectoolStats, AnAmbiguousHourTakesTheReadingInsideTheFile) {
  // In Berlin the hour from 02:00 comes twice on 2024-10-27. Recordings of
  // one minute per record that end in the first such hour, begin in the
  // second, and hold both.
  testenv::ScopedTimeZone berlin("Europe/Berlin");
  const time_t firstTwo = platform::LocalTime(2024, 10, 27, 1, 0, 0) + 3600;  // 02:00, the first time
  const struct {
    time_t start;
    int records;
    std::vector<std::string> args;
    const char* span;
  } cases[] = {
      {firstTwo - 3600, 120, {"--to", "2024-10-27 02:59:00"}, "2024-10-27 01:00:00\t2024-10-27 02:59:00\t120 instants"},
      {firstTwo + 3600, 60, {"--from", "2024-10-27 02:00:00"}, "2024-10-27 02:00:00\t2024-10-27 02:59:00\t60 instants"},
      // Both readings lie inside: the span's start takes the earlier, its end the later.
      {firstTwo - 1800, 150, {"--from", "2024-10-27 02:30:00", "--to", "2024-10-27 02:59:00"},
       "2024-10-27 02:30:00\t2024-10-27 02:59:00\t90 instants"},
  };
  for (const auto& c : cases) {
    const std::string dir = testenv::NewDir("amb");
    Recipe recipe;
    recipe.records = c.records;
    recipe.interval = 60;
    recipe.start = c.start;
    ASSERT_TRUE(MakeRecording(dir + "rec.KVD", recipe));
    std::vector<std::string> argv = {Rectool(), "stats", dir + "rec.KVD"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    std::string out, err;
    ASSERT_EQ(tablestest::Run(argv, &out, &err), 0) << c.span << ": " << err;
    EXPECT_NE(out.find(std::string("span\t") + c.span), std::string::npos) << out;
  }
}

TEST(RectoolExport, AFileWithoutChannelsGivesNumbersAndTimes) {
  const std::string dir = testenv::NewDir("nochannels");
  Recipe recipe;
  recipe.channels.clear();
  recipe.records = 3;
  ASSERT_TRUE(MakeRecording(dir + "rec.KVD", recipe));
  const time_t s = DefaultStart();
  std::string out, err;
  ASSERT_EQ(tablestest::Run({Rectool(), "export", dir + "rec.KVD", dir + "out.xlsx", "--csv", dir + "out.csv"}, &out, &err),
            0)
      << err;
  std::vector<Sheet> sheets;
  std::string error;
  ASSERT_TRUE(ReadXlsx(dir + "out.xlsx", &sheets, &error)) << error;
  ASSERT_EQ(sheets.size(), 1u);
  ASSERT_EQ(sheets[0].rows.size(), 4u);
  EXPECT_EQ(sheets[0].rows[3][0].number, 3);
  EXPECT_EQ(sheets[0].rows[3][1].text, FormatTime(s + 20));
  EXPECT_EQ(testenv::ReadFile(dir + "out.csv"), "编号,时间\r\n1," + FormatTime(s) + "\r\n2," + FormatTime(s + 10) +
                                                   "\r\n3," + FormatTime(s + 20) + "\r\n");
}
