// rectool dump FILE [--from TIME] [--to TIME] [--step N]: the records of a
// data file as tab-separated text, one line per record.
#include <algorithm>
#include <cinttypes>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command.h"
#include "data/cxfile.h"
#include "platform/localspan.h"

namespace rectool {
namespace {

// A stored total shown with d decimals: total / 10^d, exactly.
std::string FixedPoint(int64_t total, int d) {
  const bool negative = total < 0;
  uint64_t mag = negative ? 0 - static_cast<uint64_t>(total) : static_cast<uint64_t>(total);
  std::string digits = std::to_string(mag);
  if (d > 0) {
    if (static_cast<int>(digits.size()) <= d) digits.insert(0, static_cast<size_t>(d) + 1 - digits.size(), '0');
    digits.insert(digits.size() - static_cast<size_t>(d), ".");
  }
  return negative ? "-" + digits : digits;
}

int Run(const std::vector<std::string>& args) {
  Options opt;
  std::string error;
  if (!opt.Parse(args, {"from", "to", "step"}, {}, &error)) return Usage("dump", error);
  if (opt.positional.size() != 1) return Usage("dump", "give one data file");
  time_t from = 0, to = 0;
  long long step = 1;
  if (opt.Has("from") && !ParseTime(opt.Value("from"), &from))
    return Usage("dump", "--from \"" + opt.Value("from") + "\" is not a time like 2024-03-01 08:00:00");
  if (opt.Has("to") && !ParseTime(opt.Value("to"), &to))
    return Usage("dump", "--to \"" + opt.Value("to") + "\" is not a time like 2024-03-01 08:00:00");
  if (opt.Has("step") && !ParseWhole(opt.Value("step"), 1, LLONG_MAX, &step))
    return Usage("dump", "--step needs a whole number of records, 1 or more");

  CXFile f;
  if (!OpenDataFile(opt.positional[0], f, &error)) return Fail(error);
  from = platform::WithinSpan(from, f.GetStartTime(), f.GetEndTime(), platform::SpanEdge::Start);
  to = platform::WithinSpan(to, f.GetStartTime(), f.GetEndTime(), platform::SpanEdge::End);
  if (opt.Has("from") && opt.Has("to") && from > to) return Usage("dump", "--from is after --to");
  const int n = f.GetChnlCount();
  const bool cumulative = f.GetLayout() == 3;
  const int decimals = f.Head().cumByte2;
  const time_t start = f.GetStartTime();
  const int64_t interval = f.GetInterval();
  const int64_t records = f.GetRecordCount();

  // First and last record index inside the requested span.
  int64_t first = 0, last = records - 1;
  if (opt.Has("from") && from > start) first = (static_cast<int64_t>(from - start) + interval - 1) / interval;
  if (opt.Has("to")) {
    if (to < start)
      last = -1;
    else
      last = std::min<int64_t>(last, static_cast<int64_t>(to - start) / interval);
  }

  std::string line = "time";
  for (int ch = 0; ch < n; ++ch) {
    std::string name = f.GetChnlName(ch);
    if (name.empty() && cumulative) name = DefaultChnlName(ch + 1);
    const std::string unit = f.GetChnlUnit(ch);
    line += "\t" + name + (unit.empty() ? "" : "(" + unit + ")");
  }
  line += "\n";
  std::string out = line;
  // The next index is never computed past last: a step of any size ends the
  // loop instead of overflowing back into the span.
  for (int64_t i = first; i <= last; i = last - i < step ? last + 1 : i + step) {
    const time_t t = start + static_cast<time_t>(i * interval);
    out += FormatTime(t);
    for (int ch = 0; ch < n; ++ch) {
      out += '\t';
      if (cumulative) {
        int64_t total;
        if (f.GetCumTotal(ch, t, &total))
          out += FixedPoint(total, decimals);
        else
          out += "----";
        continue;
      }
      float v;
      if (f.GetValue(ch, t, &v, nullptr)) {
        out += f.FormatValue(ch, v);
      } else {
        out += "----";
      }
    }
    out += '\n';
    if (out.size() > (1 << 16)) {
      if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size())
        return Fail("cannot write the output");
      out.clear();
    }
  }
  if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0)
    return Fail("cannot write the output");
  return 0;
}

Registrar reg({"dump", "FILE [--from TIME] [--to TIME] [--step N]",
               "the records of a data file as tab-separated text (every Nth record with --step); "
               "cumulative files give their period totals",
               &Run,
               "  FILE         the data file (.KVD, or .KVC for cumulative totals)\n"
               "  --from TIME  first record to print (default: the file's start)\n"
               "  --to TIME    last record to print (default: the file's end)\n"
               "  --step N     every Nth record only (default 1)\n"});

}  // namespace
}  // namespace rectool
