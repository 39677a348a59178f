// rectool cumulative FILE [--table KIND] [--from TIME --to TIME] [--csv]:
// the hourly, shift or daily totals of a cumulative file as the cumulative
// view lays them out.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "data/cxfile.h"
#include "platform/localspan.h"
#include "platform/ui/stringids.h"
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
    case IDS_START_AFTER_END: return "the start time is later than the end time";
    case IDS_START_BEFORE_FILE: return "the start time is earlier than the first record of the file";
    default: return "the end time is later than the last record of the file";
  }
}

// The table as aligned text, written line by line as it is built: a first
// walk measures the columns, a second writes the lines, so the table is never
// held whole. False when the output cannot be written.
bool WriteText(const CXFile& f, time_t from, time_t to, const tables::CumTexts& texts, FILE* out) {
  const std::vector<tables::CumColumn> columns = tables::CumColumns(f, from, to, texts);
  tables::CumRow titles;
  std::vector<int> widths;
  for (const tables::CumColumn& c : columns) {
    titles.push_back(c.title);
    widths.push_back(TerminalColumns(c.title));
  }
  tables::EachCumRow(f, from, to, texts, tables::CumOptions(), [&](const tables::CumRow& row) {
    for (size_t c = 0; c < row.size() && c < widths.size(); ++c)
      widths[c] = std::max(widths[c], TerminalColumns(row[c]));
    return true;
  });
  auto line = [&](const tables::CumRow& row) {
    std::string text;
    for (size_t c = 0; c < widths.size(); ++c) {
      const std::string cell = c < row.size() ? row[c] : std::string();
      // Names and dates to the left, totals to the right.
      if (c == 0)
        text += Padded(cell, widths[c]);
      else
        text += "  " + std::string(widths[c] - TerminalColumns(cell), ' ') + cell;
    }
    while (!text.empty() && text.back() == ' ') text.pop_back();
    text += "\n";
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
  };
  return line(titles) && tables::EachCumRow(f, from, to, texts, tables::CumOptions(), line);
}

// The table as CSV, line by line as it is built.
bool WriteCsv(const CXFile& f, time_t from, time_t to, const tables::CumTexts& texts, FILE* out) {
  const std::vector<tables::CumColumn> columns = tables::CumColumns(f, from, to, texts);
  auto line = [&](const tables::CumRow& row) {
    const std::string text = tables::CumCsvLine(row, columns.size());
    return std::fwrite(text.data(), 1, text.size(), out) == text.size();
  };
  tables::CumRow titles;
  for (const tables::CumColumn& c : columns) titles.push_back(c.title);
  return line(titles) && tables::EachCumRow(f, from, to, texts, tables::CumOptions(), line);
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
  from = platform::WithinSpan(from, tables::CumFirstTime(f), tables::CumLastTime(f), platform::SpanEdge::Start);
  to = platform::WithinSpan(to, tables::CumFirstTime(f), tables::CumLastTime(f), platform::SpanEdge::End);
  if (const int bad = tables::CheckCumRange(f, from, to))
    return Fail(std::string(RangeMessage(bad)) + " (the file holds " + FormatTime(tables::CumFirstTime(f)) +
                " .. " + FormatTime(tables::CumLastTime(f)) + ")");
  const tables::CumTexts texts;
  if (opt.Has("xlsx")) {
    if (SameAsInput(opt.Value("xlsx"), opt.positional[0])) return 1;
    if (!tables::ExportCumTable(f, from, to, texts, tables::CumOptions(), opt.Value("xlsx"), &error))
      return Fail("cannot write " + opt.Value("xlsx") + ": " + error);
    std::fprintf(stderr, "wrote %s\n", opt.Value("xlsx").c_str());
    return 0;
  }
  const bool written = opt.Has("csv") ? WriteCsv(f, from, to, texts, stdout) : WriteText(f, from, to, texts, stdout);
  return written && std::fflush(stdout) == 0 ? 0 : Fail("cannot write the output");
}

Registrar reg({"cumulative", "FILE [--table hourly|shift8|shift12|daily] [--from TIME] [--to TIME] [--csv | --xlsx OUT]",
               "the totals of a cumulative file per hour, shift or day, one row per day (daily: "
               "per month), with a total per channel; --table names the file's kind; --xlsx writes "
               "the table as the cumulative view exports it",
               &Run,
               "  FILE           the cumulative file (.KVC)\n"
               "  --table KIND   hourly, shift8, shift12 or daily: refused unless it is the\n"
               "                 file's own kind (default: the file's kind)\n"
               "  --from TIME    first period of the table (default: the file's first total)\n"
               "  --to TIME      last period of the table (default: the file's last total)\n"
               "  --csv          the table as CSV (RFC 4180, UTF-8) instead of aligned text\n"
               "  --xlsx OUT     write the table to the workbook OUT instead of printing it\n"});

}  // namespace
}  // namespace rectool
