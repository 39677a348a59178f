// The sheet writer and the record export, read back with an independent
// reader (openpyxl), and the CSV form.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <memory>

#include "common/testenv.h"
#include "data/cxfile.h"
#include "data/records.h"
#include "recording.h"
#include "tables/recordexport.h"
#include "tables/sheetwriter.h"

using namespace tablestest;

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

// Files in dir other than . and .. (left-over temporary files show up here).
int FileCount(const std::string& dir) {
  std::string out;
  tablestest::Run({"/bin/ls", "-A", dir}, &out, nullptr);
  int n = 0;
  for (char c : out) n += c == '\n';
  return n;
}

std::vector<Sheet> MustRead(const std::string& path) {
  std::vector<Sheet> sheets;
  std::string error;
  EXPECT_TRUE(ReadXlsx(path, &sheets, &error)) << error;
  return sheets;
}

std::unique_ptr<CXFile> Recording(const std::string& path, const Recipe& recipe) {
  EXPECT_TRUE(MakeRecording(path, recipe));
  auto f = std::make_unique<CXFile>();
  EXPECT_TRUE(f->Open(path));
  return f;
}

}  // namespace

TEST(SheetWriter, CellsKeepTheirKindAndLook) {
  const std::string path = testenv::NewDir("sw") + "cells.xlsx";
  CXSheetWriter w;
  ASSERT_TRUE(w.Open(path)) << w.Error();
  ASSERT_EQ(w.CreateTable("sheet1", {"[编号]", "[时间]", "[T1(℃)]", "plain"}, {"short", "text", "SHORT", "Double"}), 1);
  EXPECT_EQ(w.ColumnTypes(), (std::vector<std::string>{"SHORT", "TEXT", "SHORT", "DOUBLE"}));
  struct Row {
    std::vector<std::string> values;
    std::vector<char> kinds;  // expected cell kinds
  };
  const Row rows[] = {
      {{"1", "2005-06-01 08:00:00", "23.5", "-7"}, {'n', 's', 'n', 'n'}},
      {{"2", "12", "----", "ReadError"}, {'n', 's', 's', 's'}},  // TEXT stays text, odd values too
      {{"3", "x", "1.5E+03", "nan"}, {'n', 's', 'n', 's'}},
      {{"4", "it's \"quoted\"", "0x10", " 5"}, {'n', 's', 's', 's'}},
      {{"5", "", "20.00", "-0.125"}, {'n', 0, 'n', 'n'}},
  };
  for (const Row& r : rows) ASSERT_EQ(w.InsertRow(r.values), 1);
  ASSERT_TRUE(w.Close()) << w.Error();

  const auto sheets = MustRead(path);
  ASSERT_EQ(sheets.size(), 1u);
  ASSERT_EQ(sheets[0].name, "sheet1");
  ASSERT_EQ(sheets[0].rows.size(), 6u);
  const auto& head = sheets[0].rows[0];
  ASSERT_EQ(head.size(), 4u);
  EXPECT_EQ(head[0].text, "编号");
  EXPECT_EQ(head[1].text, "时间");
  EXPECT_EQ(head[2].text, "T1(℃)");
  EXPECT_EQ(head[3].text, "plain");
  for (size_t i = 0; i < std::size(rows); ++i) {
    const auto& cells = sheets[0].rows[i + 1];
    for (size_t c = 0; c < 4; ++c) {
      SCOPED_TRACE("row " + std::to_string(i + 1) + " col " + std::to_string(c));
      const char kind = c < cells.size() ? cells[c].type : 0;
      EXPECT_EQ(kind, rows[i].kinds[c]);
      if (kind == 's') {
        EXPECT_EQ(cells[c].text, rows[i].values[c]);
      } else if (kind == 'n') {
        EXPECT_DOUBLE_EQ(cells[c].number, std::strtod(rows[i].values[c].c_str(), nullptr));
      }
    }
  }
  // Numbers keep the decimals of their text.
  EXPECT_EQ(sheets[0].rows[1][2].format, "0.0");
  EXPECT_EQ(sheets[0].rows[5][2].format, "0.00");
  EXPECT_EQ(sheets[0].rows[3][2].format, "0.0E+00");
  EXPECT_EQ(sheets[0].rows[1][0].format, "General");
}

TEST(SheetWriter, NothingAppearsUntilCloseAndAFailureKeepsTheOldFile) {
  const std::string dir = testenv::NewDir("sw2");
  const std::string path = dir + "keep.xlsx";
  ASSERT_TRUE(testenv::WriteFile(path, "old contents"));
  {
    CXSheetWriter w;
    ASSERT_TRUE(w.Open(path));
    ASSERT_EQ(w.CreateTable("sheet1", {"a"}, {"SHORT"}), 1);
    ASSERT_EQ(w.InsertRow({"1"}), 1);
    EXPECT_EQ(testenv::ReadFile(path), "old contents");
    w.Abandon();
  }
  EXPECT_EQ(testenv::ReadFile(path), "old contents");
  EXPECT_EQ(FileCount(dir), 1);
  {
    CXSheetWriter w;  // destroyed unclosed
    ASSERT_TRUE(w.Open(path));
    ASSERT_EQ(w.CreateTable("sheet1", {"a"}, {"SHORT"}), 1);
  }
  EXPECT_EQ(FileCount(dir), 1);
  // Rows without a sheet fail and the workbook is not completed.
  CXSheetWriter w;
  ASSERT_TRUE(w.Open(path));
  EXPECT_EQ(w.InsertRow({"1"}), 0);
  EXPECT_FALSE(w.Close());
  EXPECT_EQ(testenv::ReadFile(path), "old contents");
  EXPECT_EQ(FileCount(dir), 1);
  // A folder that does not exist is reported at Open.
  EXPECT_FALSE(w.Open(dir + "missing/x.xlsx"));
  EXPECT_NE(w.Error().find("missing"), std::string::npos) << w.Error();
}

TEST(SheetUnit, EveryMWithAThreeTwoCharactersOnLosesTheCharacterBetween) {
  const struct {
    const char* in;
    const char* out;
  } cases[] = {
      {"m^3", "m 3"},       {"m^3/h", "m 3/h"},   {"Nm^3/h", "Nm 3/h"}, {"mm^3", "mm 3"},
      {"m3", "m3"},         {"m", "m"},           {"", ""},             {"m^2", "m^2"},
      {"m³3", "m 3"},       {"m^3 m^3", "m 3 m 3"}, {"℃", "℃"},         {"M^3", "M^3"},
  };
  for (const auto& c : cases) EXPECT_EQ(tables::SheetUnit(c.in), c.out) << c.in;
}

TEST(RecordExport, RowsSheetsAndNumbersAsTheFileHolds) {
  const std::string dir = testenv::NewDir("ex");
  struct Case {
    const char* what;
    int records;
    int rowInterval;
    int fromRecord, toRecord;  // span in records
    std::vector<int> sheetRows;  // data rows per sheet
  };
  const Case cases[] = {
      {"one record", 10, 1, 4, 4, {1}},
      {"row interval 3", 10, 3, 0, 9, {4}},
      {"row interval past the end", 10, 20, 2, 9, {1}},
      {"65536 records", 65536, 1, 0, 65535, {65535, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Recipe recipe;
    recipe.records = c.records;
    recipe.channels = {{"Flow", "m^3/h", 0, 1}};
    recipe.count = [](int, int r) { return r % 251; };
    auto f = Recording(dir + "rec.KVD", recipe);
    tables::ExportRequest req;
    req.start = f->GetStartTime() + c.fromRecord * recipe.interval;
    req.end = f->GetStartTime() + c.toRecord * recipe.interval;
    req.rowInterval = c.rowInterval;
    std::string error;
    const std::string out = dir + "out.xlsx";
    ASSERT_EQ(tables::ExportXlsx(*f, req, out, {}, &error), tables::ExportResult::Done) << error;
    const auto sheets = MustRead(out);
    ASSERT_EQ(sheets.size(), c.sheetRows.size());
    int64_t number = 1;
    for (size_t s = 0; s < sheets.size(); ++s) {
      EXPECT_EQ(sheets[s].name, "sheet" + std::to_string(s + 1));
      ASSERT_EQ(sheets[s].rows.size(), size_t(c.sheetRows[s]) + 1);
      const auto& head = sheets[s].rows[0];
      ASSERT_EQ(head.size(), 3u);
      EXPECT_EQ(head[0].text, "编号");
      EXPECT_EQ(head[1].text, "时间");
      EXPECT_EQ(head[2].text, "Flow(m 3/h)");
      for (size_t r = 1; r < sheets[s].rows.size(); ++r, ++number) {
        const auto& cells = sheets[s].rows[r];
        const int record = c.fromRecord + int(number - 1) * c.rowInterval;
        const time_t t = f->GetStartTime() + record * recipe.interval;
        ASSERT_EQ(cells.size(), 3u);
        ASSERT_EQ(cells[0].type, 'n');
        ASSERT_EQ(cells[0].number, double(number));
        ASSERT_EQ(cells[1].type, 's');
        ASSERT_EQ(cells[1].text, FormatTime(t));
        ASSERT_EQ(cells[2].type, 'n');
        float v;
        ASSERT_TRUE(f->GetValue(0, t, &v, nullptr));
        ASSERT_EQ(cells[2].number, std::strtod(f->FormatValue(0, v).c_str(), nullptr)) << number;
        ASSERT_EQ(cells[2].number, double(record % 251));
      }
    }
  }
}

TEST(RecordExport, CancelAndFailureLeaveNoFileThatLooksComplete) {
  const std::string dir = testenv::NewDir("cx");
  Recipe recipe;
  recipe.records = 3000;
  auto f = Recording(dir + "rec.KVD", recipe);
  tables::ExportRequest req{f->GetStartTime(), f->GetEndTime(), 1};
  const std::string out = dir + "out.xlsx";
  const std::string csv = dir + "out.csv";

  // Cancelled part way: nothing at the target, nothing left beside it.
  std::atomic<bool> cancel{false};
  tables::ExportHooks hooks;
  hooks.cancel = &cancel;
  int64_t seen = 0;
  hooks.progress = [&](int64_t done, int64_t) {
    seen = done;
    if (done >= 1000) cancel = true;
  };
  EXPECT_EQ(tables::ExportXlsx(*f, req, out, hooks, nullptr), tables::ExportResult::Cancelled);
  EXPECT_GE(seen, 1000);
  EXPECT_FALSE(Exists(out));
  cancel = false;
  EXPECT_EQ(tables::ExportCsv(*f, req, csv, hooks, nullptr), tables::ExportResult::Cancelled);
  EXPECT_FALSE(Exists(csv));
  EXPECT_EQ(FileCount(dir), 1);  // the recording alone

  // An earlier export at the target survives a cancelled one.
  ASSERT_TRUE(testenv::WriteFile(out, "earlier export"));
  cancel = false;
  EXPECT_EQ(tables::ExportXlsx(*f, req, out, hooks, nullptr), tables::ExportResult::Cancelled);
  EXPECT_EQ(testenv::ReadFile(out), "earlier export");

  // A folder that cannot be written.
  std::string error;
  EXPECT_EQ(tables::ExportXlsx(*f, req, dir + "nowhere/out.xlsx", {}, &error), tables::ExportResult::Failed);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(tables::ExportCsv(*f, req, dir + "nowhere/out.csv", {}, &error), tables::ExportResult::Failed);

  // Requests that make no sense are refused.
  tables::ExportRequest bad = req;
  bad.rowInterval = 0;
  EXPECT_EQ(tables::ExportXlsx(*f, bad, out, {}, &error), tables::ExportResult::Failed);
  bad = req;
  std::swap(bad.start, bad.end);
  EXPECT_EQ(tables::ExportCsv(*f, bad, csv, {}, &error), tables::ExportResult::Failed);
  EXPECT_EQ(testenv::ReadFile(out), "earlier export");
}

TEST(RecordExport, CsvHasTheSameRowsQuotedAsRfc4180) {
  const std::string dir = testenv::NewDir("csv");
  Recipe recipe;
  recipe.records = 5;
  recipe.channels = {{"温度", "℃", -20, 1}, {"a,\"b\"", "", 0, 0}};
  auto f = Recording(dir + "rec.KVD", recipe);
  tables::ExportRequest req{f->GetStartTime() + 10, f->GetEndTime(), 2};
  std::string error;
  ASSERT_EQ(tables::ExportCsv(*f, req, dir + "out.csv", {}, &error), tables::ExportResult::Done) << error;
  const std::string expected = "编号,时间,温度(℃),\"a,\"\"b\"\"\"\r\n"
                               "1," + FormatTime(req.start) + ",-19.0,1\r\n"
                               "2," + FormatTime(req.start + 20) + ",-17.0,3\r\n";
  EXPECT_EQ(testenv::ReadFile(dir + "out.csv"), expected);
  const struct {
    const char* in;
    const char* out;
  } fields[] = {{"plain", "plain"}, {"", ""}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""},
                {"two\nlines", "\"two\nlines\""}, {"cr\r", "\"cr\r\""}};
  for (const auto& c : fields) EXPECT_EQ(tables::CsvField(c.in), c.out);
}

TEST(RecordExport, ValueTextsAreThePrintfTextsOfTheChannelFormat) {
  Recipe recipe;
  recipe.channels.clear();
  for (int d = 0; d <= 4; ++d) recipe.channels.push_back({std::string("C").append(std::to_string(d)), "", -100, d});
  auto f = Recording(testenv::NewDir("fv") + "rec.KVD", recipe);
  const double values[] = {0.0, -0.0, 0.25, 0.35, -1.5, 2.5, 123.456789, -99.95, 1e-7, 3.0e9, 0.05, 9.995,
                           double(1.1f), double(-12.3f), 65535.0};
  char buf[512];
  for (int ch = 0; ch <= 4; ++ch) {
    std::string format;
    ASSERT_TRUE(f->GetFormat(ch, format));
    for (double v : values) {
      std::snprintf(buf, sizeof(buf), format.c_str(), v);
      EXPECT_EQ(f->FormatValue(ch, v), buf) << format << " " << v;
    }
  }
  EXPECT_EQ(f->FormatValue(9, 1.0), "");
}
