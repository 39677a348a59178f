// rectool export and rectool stats: the program of the program directory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/testenv.h"
#include "data/records.h"
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
