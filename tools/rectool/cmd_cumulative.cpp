// rectool cumulative FILE [--table KIND] [--from TIME --to TIME] [--csv]:
// the hourly, shift or daily totals of a cumulative file as the cumulative
// view lays them out.
#include <cstdio>
#include <string>

#include "command.h"
#include "data/cxfile.h"
#include "tables/cumexport.h"
#include "tables/cumtable.h"

namespace rectool {
namespace {

const char* KindName(tables::CumKind kind) {
  switch (kind) {
    case tables::CumKind::Hourly: return "hourly";
    case tables::CumKind::Shift8: return "shift8";
    case tables::CumKind::Shift12: return "shift12";
    default: return "daily";
  }
}

const char* RangeMessage(int id) {
  switch (id) {
    case 61249: return "the start time is later than the end time";
    case 61250: return "the start time is earlier than the first record of the file";
    default: return "the end time is later than the last record of the file";
  }
}

std::string Text(const tables::CumTable& table) {
  std::vector<int> widths(table.columns.size(), 0);
  for (size_t c = 0; c < table.columns.size(); ++c) widths[c] = TerminalColumns(table.columns[c].title);
  for (const auto& row : table.rows)
    for (size_t c = 0; c < row.size() && c < widths.size(); ++c)
      widths[c] = std::max(widths[c], TerminalColumns(row[c]));
  auto line = [&](auto cellOf) {
    std::string out;
    for (size_t c = 0; c < widths.size(); ++c) {
      const std::string cell = cellOf(c);
      // Names and dates to the left, totals to the right.
      if (c == 0)
        out += Padded(cell, widths[c]);
      else
        out += "  " + std::string(widths[c] - TerminalColumns(cell), ' ') + cell;
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out + "\n";
  };
  std::string out = line([&](size_t c) { return table.columns[c].title; });
  for (const auto& row : table.rows)
    out += line([&](size_t c) { return c < row.size() ? row[c] : std::string(); });
  return out;
}

int Run(const std::vector<std::string>& args) {
  Options opt;
  std::string error;
  if (!opt.Parse(args, {"table", "from", "to", "xlsx"}, {"csv"}, &error)) return Usage("cumulative", error);
  if (opt.positional.size() != 1) return Usage("cumulative", "give one cumulative file");
  CXFile f;
  if (!OpenDataFile(opt.positional[0], f, &error)) return Fail(error);
  if (f.GetLayout() != 3)
    return Fail(opt.positional[0] + " is a recording, not a cumulative file; see rectool dump");
  const tables::CumKind kind = tables::CumKindOf(f.Head().cumPeriod);
  if (opt.Has("table")) {
    const std::string want = opt.Value("table");
    if (want != "hourly" && want != "shift8" && want != "shift12" && want != "daily")
      return Usage("cumulative", "--table takes hourly, shift8, shift12 or daily");
    if (want != KindName(kind))
      return Fail("the file holds " + std::string(KindName(kind)) + " totals; use --table " +
                  KindName(kind));
  }
  time_t from = tables::CumFirstTime(f), to = tables::CumLastTime(f);
  if (opt.Has("from") && !ParseTime(opt.Value("from"), &from))
    return Usage("cumulative", "--from takes \"YYYY-MM-DD HH:MM:SS\"");
  if (opt.Has("to") && !ParseTime(opt.Value("to"), &to))
    return Usage("cumulative", "--to takes \"YYYY-MM-DD HH:MM:SS\"");
  if (const int bad = tables::CheckCumRange(f, from, to))
    return Fail(std::string(RangeMessage(bad)) + " (the file holds " + FormatTime(tables::CumFirstTime(f)) +
                " .. " + FormatTime(tables::CumLastTime(f)) + ")");
  const tables::CumTable table = tables::BuildCumTable(f, from, to, tables::CumTexts());
  if (opt.Has("xlsx")) {
    if (SameAsInput(opt.Value("xlsx"), opt.positional[0])) return 1;
    if (!tables::ExportCumTable(table, tables::CumTexts().channelColumn, opt.Value("xlsx"), &error))
      return Fail("cannot write " + opt.Value("xlsx") + ": " + error);
    std::fprintf(stderr, "wrote %s\n", opt.Value("xlsx").c_str());
    return 0;
  }
  const std::string out = opt.Has("csv") ? tables::CumTableCsv(table) : Text(table);
  std::fputs(out.c_str(), stdout);
  return std::fflush(stdout) == 0 ? 0 : Fail("cannot write the output");
}

Registrar reg({"cumulative", "FILE [--table hourly|shift8|shift12|daily] [--from TIME] [--to TIME] [--csv | --xlsx OUT]",
               "the totals of a cumulative file per hour, shift or day, one row per day (daily: "
               "per month), with a total per channel; --table names the file's kind; --xlsx writes "
               "the table as the cumulative view exports it",
               &Run});

}  // namespace
}  // namespace rectool
