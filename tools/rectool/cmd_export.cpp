// rectool export FILE [OUT.xlsx] [--csv OUT.csv] [--from TIME] [--to TIME]
// [--step N]: a span of a recording as a spreadsheet (and/or CSV), the rows
// the export window writes.
#include <atomic>
#include <climits>
#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "progressline.h"
#include "data/cxfile.h"
#include "data/records.h"
#include "platform/localspan.h"
#include "tables/recordexport.h"

namespace rectool {
namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) { interrupted.store(true); }

int Run(const std::vector<std::string>& args) {
  Options opt;
  std::string error;
  if (!opt.Parse(args, {"from", "to", "step", "csv"}, {}, &error)) return Usage("export", error);
  if (opt.positional.empty() || opt.positional.size() > 2)
    return Usage("export", "give one data file and the spreadsheet to write (or --csv OUT.csv)");
  if (opt.positional.size() == 1 && !opt.Has("csv"))
    return Usage("export", "give the spreadsheet to write (OUT.xlsx), or --csv OUT.csv");
  time_t from = 0, to = 0;
  long long step = 1;
  if (opt.Has("from") && !ParseTime(opt.Value("from"), &from))
    return Usage("export", "--from \"" + opt.Value("from") + "\" is not a time like 2024-03-01 08:00:00");
  if (opt.Has("to") && !ParseTime(opt.Value("to"), &to))
    return Usage("export", "--to \"" + opt.Value("to") + "\" is not a time like 2024-03-01 08:00:00");
  if (opt.Has("step") && !ParseWhole(opt.Value("step"), 1, INT_MAX, &step))
    return Usage("export", "--step needs a whole number of records, 1 or more");

  CXFile f;
  if (!OpenDataFile(opt.positional[0], f, &error)) return Fail(error);
  if (f.GetLayout() == 3) return Fail(opt.positional[0] + " holds period totals; use rectool cumulative for it");
  tables::ExportRequest request;
  request.start = opt.Has("from") ? platform::WithinSpan(from, f.GetStartTime(), f.GetEndTime(), platform::SpanEdge::Start)
                                  : f.GetStartTime();
  request.end = opt.Has("to") ? platform::WithinSpan(to, f.GetStartTime(), f.GetEndTime(), platform::SpanEdge::End)
                              : f.GetEndTime();
  request.rowInterval = static_cast<int>(step);
  const std::string span = "the file holds " + FormatTime(f.GetStartTime()) + " to " + FormatTime(f.GetEndTime());
  if (request.start > request.end) return Fail("the start time is later than the end time");
  if (request.start < f.GetStartTime()) return Fail("--from lies before the first record; " + span);
  if (request.end > f.GetEndTime()) return Fail("--to lies after the last record; " + span);

  // Ctrl-C stops the export cleanly: no half-written file is left.
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  struct Target {
    std::string path;
    bool csv;
  };
  std::vector<Target> targets;
  if (opt.positional.size() == 2) targets.push_back({opt.positional[1], false});
  if (opt.Has("csv")) targets.push_back({opt.Value("csv"), true});
  for (const Target& target : targets) {
    tables::ExportResult r;
    {
      ProgressLine line("exporting " + target.path, "rows");
      tables::ExportHooks hooks;
      hooks.cancel = &interrupted;
      hooks.progress = [&line](int64_t done, int64_t total) { line(done, total); };
      r = target.csv ? tables::ExportCsv(f, request, target.path, hooks, &error)
                     : tables::ExportXlsx(f, request, target.path, hooks, &error);
    }
    if (r == tables::ExportResult::Cancelled) return Fail("interrupted; " + target.path + " was not written");
    if (r == tables::ExportResult::Failed) return Fail(error.empty() ? "cannot write " + target.path : error);
  }
  return 0;
}

Registrar reg({"export", "FILE [OUT.xlsx] [--csv OUT.csv] [--from TIME] [--to TIME] [--step N]",
               "a span of a recording as a spreadsheet of number, time and channel values "
               "(sheets of 65535 rows; every Nth record with --step), or as CSV",
               &Run,
               "  FILE          the data file (.KVD)\n"
               "  OUT.xlsx      the workbook to write (replaced only when complete)\n"
               "  --csv OUT     also, or instead, the same rows as CSV (RFC 4180, UTF-8)\n"
               "  --from TIME   first record (default: the file's first)\n"
               "  --to TIME     last record (default: the file's last)\n"
               "  --step N      every Nth record only, N from 1 (default 1: every record)\n"
               "Progress goes to standard error; Ctrl-C stops and leaves no file behind.\n"});

}  // namespace
}  // namespace rectool
