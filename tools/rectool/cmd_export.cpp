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
#include "data/cxfile.h"
#include "data/records.h"
#include "platform/localspan.h"
#include "tables/recordexport.h"

namespace rectool {
namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int) { interrupted.store(true); }

// "exporting OUT: n/total rows (p%)" on standard error when the percentage moves.
struct ProgressLine {
  std::string what;
  int shown = -1;
  void operator()(int64_t done, int64_t total) {
    const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
    if (percent == shown) return;
    shown = percent;
    std::fprintf(stderr, "\rexporting %s: %lld/%lld rows (%d%%)", what.c_str(), static_cast<long long>(done),
                 static_cast<long long>(total), percent);
    std::fflush(stderr);
  }
};

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
    ProgressLine line{target.path};
    tables::ExportHooks hooks;
    hooks.cancel = &interrupted;
    hooks.progress = [&line](int64_t done, int64_t total) { line(done, total); };
    const tables::ExportResult r = target.csv ? tables::ExportCsv(f, request, target.path, hooks, &error)
                                              : tables::ExportXlsx(f, request, target.path, hooks, &error);
    std::fputc('\n', stderr);
    if (r == tables::ExportResult::Cancelled) return Fail("interrupted; " + target.path + " was not written");
    if (r == tables::ExportResult::Failed) return Fail(error.empty() ? "cannot write " + target.path : error);
  }
  return 0;
}

Registrar reg({"export", "FILE [OUT.xlsx] [--csv OUT.csv] [--from TIME] [--to TIME] [--step N]",
               "a span of a recording as a spreadsheet of number, time and channel values "
               "(sheets of 65535 rows; every Nth record with --step), or as CSV",
               &Run});

}  // namespace
}  // namespace rectool
