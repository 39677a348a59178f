// rectool stats FILE [--from TIME] [--to TIME] [--json]: maximum, minimum,
// mean and relative spread of every channel over a span (the whole file by
// default), as the statistics dialog computes them.
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "progressline.h"
#include "data/cxfile.h"
#include "data/records.h"
#include "platform/localspan.h"
#include "tables/statistics.h"

namespace rectool {
namespace {

int Run(const std::vector<std::string>& args) {
  Options opt;
  std::string error;
  if (!opt.Parse(args, {"from", "to"}, {"json"}, &error)) return Usage("stats", error);
  if (opt.positional.size() != 1) return Usage("stats", "give one data file");
  time_t from = 0, to = 0;
  if (opt.Has("from") && !ParseTime(opt.Value("from"), &from))
    return Usage("stats", "--from \"" + opt.Value("from") + "\" is not a time like 2024-03-01 08:00:00");
  if (opt.Has("to") && !ParseTime(opt.Value("to"), &to))
    return Usage("stats", "--to \"" + opt.Value("to") + "\" is not a time like 2024-03-01 08:00:00");
  CXFile f;
  if (!OpenDataFile(opt.positional[0], f, &error)) return Fail(error);
  if (f.GetLayout() == 3) return Fail(opt.positional[0] + " holds period totals; use rectool cumulative for it");
  const time_t start =
      opt.Has("from") ? platform::WithinSpan(from, f.GetStartTime(), f.GetEndTime(), platform::SpanEdge::Start)
                      : f.GetStartTime();
  const time_t end = opt.Has("to") ? platform::WithinSpan(to, f.GetStartTime(), f.GetEndTime(), platform::SpanEdge::End)
                                   : f.GetEndTime();
  const std::string span = "the file holds " + FormatTime(f.GetStartTime()) + " to " + FormatTime(f.GetEndTime());
  switch (tables::CheckStatsSpan(f, start, end)) {
    case tables::kStatsStartAfterEnd: return Fail("the start time is later than the end time");
    case tables::kStatsBeforeFile: return Fail("--from lies before the first record; " + span);
    case tables::kStatsAfterFile: return Fail("--to lies after the last record; " + span);
    default: break;
  }
  tables::StatsResult result;
  bool computed = false;
  {
    ProgressLine line("computing");
    computed = tables::ComputeStatistics(f, start, end, &result, [&line](int percent) { line(percent, 100); });
  }
  if (!computed) return Fail("the file has no sampling interval");

  std::string out;
  const int n = f.GetChnlCount();
  if (opt.Has("json")) {
    out = "{\"file\":" + JsonString(opt.positional[0]) + ",\"from\":" + JsonString(FormatTime(start)) +
          ",\"to\":" + JsonString(FormatTime(end)) + ",\"instants\":" + std::to_string(result.instants) +
          ",\"channels\":[";
    for (int ch = 0; ch < n; ++ch) {
      const tables::ChannelStats& s = result.channels[static_cast<size_t>(ch)];
      const tables::StatsTexts t = tables::FormatStats(f, ch, s, result.instants);
      if (ch) out += ",";
      out += "\n {\"number\":" + std::to_string(ch + 1) + ",\"name\":" + JsonString(f.GetChnlName(ch)) +
             ",\"unit\":" + JsonString(f.GetChnlUnit(ch)) + ",\"read\":" + std::to_string(s.read);
      if (s.HasValues())
        out += ",\"maximum\":" + JsonNumber(s.maximum) + ",\"minimum\":" + JsonNumber(s.minimum) +
               ",\"mean\":" + JsonNumber(s.Mean(result.instants));
      else
        out += ",\"maximum\":null,\"minimum\":null,\"mean\":null";
      out += ",\"text\":{\"maximum\":" + JsonString(t.maximum) + ",\"minimum\":" + JsonString(t.minimum) +
             ",\"mean\":" + JsonString(t.mean) + ",\"spread\":" + JsonString(t.spread) + "}}";
    }
    out += "\n]}\n";
  } else {
    out = "span\t" + FormatTime(start) + "\t" + FormatTime(end) + "\t" + std::to_string(result.instants) +
          " instants\nNo.\tChannel\tMaximum\tMinimum\tMean\tSpread\n";
    for (int ch = 0; ch < n; ++ch) {
      const tables::StatsTexts t =
          tables::FormatStats(f, ch, result.channels[static_cast<size_t>(ch)], result.instants);
      out += std::to_string(ch + 1) + "\t" + f.GetChnlName(ch) + "\t" + t.maximum + "\t" + t.minimum + "\t" +
             t.mean + "\t" + t.spread + "\n";
    }
  }
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
    return Fail("cannot write the output");
  return 0;
}

Registrar reg({"stats", "FILE [--from TIME] [--to TIME] [--json]",
               "maximum, minimum, mean and relative spread of every channel over a span "
               "(the whole file by default)",
               &Run,
               "  FILE         the data file (.KVD)\n"
               "  --from TIME  first record of the span (default: the file's first)\n"
               "  --to TIME    last record of the span (default: the file's last)\n"
               "  --json       one JSON object instead of the tab-separated table\n"});

}  // namespace
}  // namespace rectool
