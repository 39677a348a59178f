// Cumulative tables in spreadsheet files, read back cell by cell by an
// independent reader (openpyxl), from the view and from rectool.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

#include "common/testenv.h"
#include "cumfile.h"
#include "data/cxfile.h"
#include "tables/cumexport.h"
#include "tables/sheetwriter.h"
#include "tables/cumtable.h"

using cumtest::Cum;
using cumtest::SaveCum;
using Grid = std::vector<std::vector<std::string>>;

namespace {

std::string Shell(const std::string& cmd, int* code) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof(buf), p)) > 0) out.append(buf, n);
  const int status = ::pclose(p);
  *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

// The sheets of a workbook: "name" lines, then one line per row with the
// cells separated by '|' (empty cells as "<none>").
std::string ReadBack(const std::string& path, Grid* grid) {
  const std::string script = testenv::NewDir("py") + "read.py";
  testenv::WriteFile(script,
                     "import sys, openpyxl\n"
                     "wb = openpyxl.load_workbook(sys.argv[1])\n"
                     "print(','.join(wb.sheetnames))\n"
                     "for row in wb.worksheets[0].iter_rows(values_only=True):\n"
                     "    print('|'.join('<none>' if v is None else ('#%.15g' % v) if isinstance(v, (int, float))"
                     " else str(v) for v in row))\n");
  int code = -1;
  const std::string out = Shell("/usr/bin/python3 '" + script + "' '" + path + "'", &code);
  EXPECT_EQ(code, 0) << out;
  size_t at = out.find('\n');
  const std::string sheets = out.substr(0, at);
  grid->clear();
  while (at != std::string::npos && at + 1 < out.size()) {
    const size_t next = out.find('\n', at + 1);
    const std::string line = out.substr(at + 1, next - at - 1);
    std::vector<std::string> cells;
    size_t from = 0;
    for (;;) {
      const size_t bar = line.find('|', from);
      cells.push_back(line.substr(from, bar - from));
      if (bar == std::string::npos) break;
      from = bar + 1;
    }
    grid->push_back(cells);
    at = next;
  }
  return sheets;
}

// What the sheet must hold: the column titles, then the rows, every row as
// wide as the table, blank cells as one space, totals as numbers ("#value").
Grid Expected(const tables::CumTable& t, const std::string& channelColumn) {
  Grid g;
  std::vector<std::string> head;
  for (size_t c = 0; c < t.columns.size(); ++c) head.push_back(c == 0 ? channelColumn : t.columns[c].title);
  g.push_back(head);
  for (auto row : tables::CumSheetRows(t)) {
    for (size_t c = 1; c < row.size(); ++c) {
      double value = 0;
      char text[40];
      if (CXSheetWriter::ParseNumber(row[c], &value)) {
        std::snprintf(text, sizeof text, "#%.15g", value);
        row[c] = text;
      }
    }
    g.push_back(row);
  }
  return g;
}

TEST(CumExport, EveryKindReadsBackCellByCell) {
  struct Case {
    int period, dayStart, periods, m, d, h;
  } cases[] = {{0, 0, 25, 3, 1, 0}, {1, 8, 7, 3, 1, 16}, {2, 0, 6, 3, 1, 0}, {3, 0, 29, 2, 1, 0}};
  for (const Case& k : cases) {
    Cum c;
    c.period = k.period;
    c.dayStart = k.dayStart;
    c.periods = k.periods;
    c.m = k.m;
    c.d = k.d;
    c.h = k.h;
    CXFile f;
    ASSERT_TRUE(f.Open(SaveCum(c)));
    const tables::CumTable t = tables::BuildCumTable(f, tables::CumFirstTime(f), tables::CumLastTime(f),
                                                     tables::CumTexts());
    const std::string out = testenv::NewDir("x") + "cum.xlsx";
    std::string error;
    ASSERT_TRUE(tables::ExportCumTable(f, tables::CumFirstTime(f), tables::CumLastTime(f), tables::CumTexts(),
                                       tables::CumOptions(), out, &error))
        << error;
    Grid grid;
    EXPECT_EQ(ReadBack(out, &grid), "sheet1");
    EXPECT_EQ(grid, Expected(t, "Channel")) << "period " << k.period;
    if (k.period == 0) {
      // The total row of the hourly kind and the empty row: 25 cells each.
      ASSERT_GE(grid.size(), 5u);
      EXPECT_EQ(grid[4].size(), 25u);
      EXPECT_EQ(grid[4][0], "Total");
      EXPECT_EQ(grid[4][2], " ");
      EXPECT_EQ(grid[5], std::vector<std::string>(25, " "));
    }
  }
}

TEST(CumExport, AMissingFolderFailsWithAReasonAndAnOldFileIsReplaced) {
  CXFile f;
  ASSERT_TRUE(f.Open(SaveCum({})));
  std::string error;
  auto exportTo = [&](const std::string& path) {
    return tables::ExportCumTable(f, tables::CumFirstTime(f), tables::CumLastTime(f), tables::CumTexts(),
                                  tables::CumOptions(), path, &error);
  };
  EXPECT_FALSE(exportTo("/nonexistent-dir/cum.xlsx"));
  EXPECT_FALSE(error.empty());
  const std::string old = testenv::NewDir("old") + "keep.xlsx";
  ASSERT_TRUE(testenv::WriteFile(old, "old contents"));
  ASSERT_TRUE(exportTo(old)) << error;
  Grid grid;
  EXPECT_EQ(ReadBack(old, &grid), "sheet1");
}

TEST(CumExport, RectoolWritesTheSameSheet) {
  Cum c;
  c.period = 2;
  c.periods = 6;
  const std::string path = SaveCum(c);
  const std::string out = testenv::NewDir("rt") + "r.xlsx";
  int code = -1;
  Shell(std::string(RECVIEW_BIN_DIR) + "/rectool cumulative '" + path + "' --xlsx '" + out + "' 2>/dev/null", &code);
  ASSERT_EQ(code, 0);
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  const tables::CumTable t = tables::BuildCumTable(f, tables::CumFirstTime(f), tables::CumLastTime(f),
                                                   tables::CumTexts());
  Grid grid;
  ReadBack(out, &grid);
  EXPECT_EQ(grid, Expected(t, "Channel"));
}

}  // namespace
