// rectool list FILE [--from TIME] [--to TIME] [--label TEXT]: the record list's
// clipboard text of a span (every sample, "\r\n" line ends), or with --find
// the first instant whose value matches, as the list's find dialog searches.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "command.h"
#include "data/cxfile.h"
#include "platform/appconfig.h"
#include "platform/localspan.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"
#include "tables/listcore.h"

namespace rectool {
namespace {

bool ParseFloat(const std::string& text, float* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  *out = std::strtof(text.c_str(), &end);
  return end && *end == '\0';
}

// The heading of the time column as the list window copies it, in the
// configured language ("Time" when no language package can be read).
std::string TimeLabel() {
  const int language = platform::ReadLanguage();
  if (language >= 0 && lang::Register(language)) {
    const QString label = lang::String(IDS_COL_TIME);
    if (!label.isEmpty()) return label.toStdString();
  }
  return "Time";
}

int Run(const std::vector<std::string>& args) {
  Options opt;
  std::string error;
  if (!opt.Parse(args, {"from", "to", "label", "find", "tolerance", "channel"}, {"backward"}, &error))
    return Usage("list", error);
  if (opt.positional.size() != 1) return Usage("list", "give one data file");
  time_t from = 0, to = 0;
  if (opt.Has("from") && !ParseTime(opt.Value("from"), &from))
    return Usage("list", "--from \"" + opt.Value("from") + "\" is not a time like 2024-03-01 08:00:00");
  if (opt.Has("to") && !ParseTime(opt.Value("to"), &to))
    return Usage("list", "--to \"" + opt.Value("to") + "\" is not a time like 2024-03-01 08:00:00");
  _tagFindQuery q;
  if (opt.Has("find") && !ParseFloat(opt.Value("find"), &q.target))
    return Usage("list", "--find needs a number, for example 12.5");
  if (opt.Has("tolerance") && (!ParseFloat(opt.Value("tolerance"), &q.tolerance) || q.tolerance < 0))
    return Usage("list", "--tolerance needs a number of 0 or more");
  long long channel = 0;
  if (opt.Has("channel") && !ParseWhole(opt.Value("channel"), 1, 64, &channel))
    return Usage("list", "--channel needs a channel number from 1 to 64");

  CXFile f;
  if (!OpenDataFile(opt.positional[0], f, &error)) return Fail(error);
  if (f.GetLayout() == 3) return Fail(opt.positional[0] + " is a cumulative file; it has no record list");
  const tables::ListClock clock = tables::ListClock::Of(f);
  from = platform::WithinSpan(from, clock.start, clock.end, platform::SpanEdge::Start);
  to = platform::WithinSpan(to, clock.start, clock.end, platform::SpanEdge::End);

  if ((opt.Has("to") && to < clock.start) || (opt.Has("from") && from > clock.end))
    return Fail("the span lies outside the file (" + FormatTime(clock.start) + " to " + FormatTime(clock.end) + ")");

  if (opt.Has("find")) {
    if (channel > f.GetChnlCount())
      return Fail("the file has " + std::to_string(f.GetChnlCount()) + " channels, not " + std::to_string(channel));
    q.channel = static_cast<int>(channel);
    q.direction = opt.Has("backward") ? 1 : 0;
    q.time = opt.Has("from") ? clock.GoTo(from) : (q.direction ? clock.end : clock.start);
    if (tables::FindInFile(f, q, nullptr) != tables::FindResult::Found) {
      std::fprintf(stderr, "rectool list: no matching record\n");
      return 1;
    }
    std::printf("%s\n", FormatTime(q.time).c_str());
    return 0;
  }

  // The span as the list selects it: rounded to the sampling grid, within the file.
  const time_t a = opt.Has("from") ? clock.GoTo(from) : clock.start;
  const time_t b = opt.Has("to") ? clock.GoTo(to) : clock.end;
  if (a > b) return Usage("list", "--from is after --to");
  // Written as it is made: the list of a long file is several times its size.
  const bool written = tables::WriteCopyText(f, a, b, opt.Has("label") ? opt.Value("label") : TimeLabel(),
                                             [](const std::string& piece) {
                                               return std::fwrite(piece.data(), 1, piece.size(), stdout) ==
                                                      piece.size();
                                             });
  if (!written || std::fflush(stdout) != 0) return Fail("cannot write the list");
  return 0;
}

Registrar reg({"list", "FILE [--from TIME] [--to TIME] [--label TEXT] | FILE --find VALUE [--tolerance T] "
                       "[--channel N] [--backward] [--from TIME]",
               "the record list's copy text of a span, or find a value", &Run,
               "  FILE            the data file (.KVD)\n"
               "  --from TIME     first record (default: the file's first); with --find, where\n"
               "                  the search begins (default: the file's first, or last with\n"
               "                  --backward)\n"
               "  --to TIME       last record (default: the file's last)\n"
               "  --label TEXT    heading of the time column (default: the configured\n"
               "                  language's, as the window copies it)\n"
               "  --find VALUE    print the time of the first record holding VALUE\n"
               "  --tolerance T   accept values within T of VALUE (default 0)\n"
               "  --channel N     search channel N only, numbered from 1 (default: every channel)\n"
               "  --backward      search towards earlier records\n"
               "Times are rounded to the file's sampling interval, as the list does.\n"});

}  // namespace
}  // namespace rectool
