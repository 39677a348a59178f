// rectool print FILE --out F.pdf [--from TIME] [--to TIME | --window TIME TIME]
//   [--circular CH] [--page SIZE] [--portrait] [--lang zh|en]
// The curves of a data file printed as PDF pages, through the page code of
// the history view's printing: a span page by page (2000 records a page),
// or one time window on one page; or, with --circular, the circular report of
// one channel over the span, as its range view prints it. Drawn by Qt's
// offscreen platform.
#include <QGuiApplication>
#include <cstdio>
#include <string>
#include <vector>

#include "charts/circular.h"
#include "charts/curveprint.h"
#include "command.h"
#include "progressline.h"
#include "data/cxfile.h"
#include "platform/appconfig.h"
#include "platform/localspan.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

namespace rectool {
namespace {

constexpr const char* kName = "print";
constexpr const char* kTimeHint = " is not a time like 2024-03-01 08:00:00";

int Run(const std::vector<std::string>& input) {
  // "--window A B" takes two values; the others one each.
  std::vector<std::string> args;
  std::string winFrom, winTo;
  bool window = false;
  for (size_t i = 0; i < input.size(); ++i) {
    if (input[i] == "--window") {
      if (i + 2 >= input.size()) return Usage(kName, "--window needs two times");
      window = true;
      winFrom = input[i + 1];
      winTo = input[i + 2];
      i += 2;
    } else {
      args.push_back(input[i]);
    }
  }
  Options opt;
  std::string error;
  if (!opt.Parse(args, {"out", "from", "to", "page", "lang", "circular"}, {"portrait"}, &error)) return Usage(kName, error);
  if (opt.positional.size() != 1) return Usage(kName, "give one data file");
  if (!opt.Has("out")) return Usage(kName, "give the PDF file to write with --out");
  if (window && (opt.Has("from") || opt.Has("to")))
    return Usage(kName, "--window and --from/--to exclude each other");
  long long circular = 0;
  if (opt.Has("circular")) {
    if (window) return Usage(kName, "--circular takes a span with --from/--to, not --window");
    if (!ParseWhole(opt.Value("circular"), 1, 64, &circular))
      return Usage(kName, "--circular " + opt.Value("circular") + " is not a channel number 1-64");
  }
  const std::string page = opt.Has("page") ? opt.Value("page") : "A4";
  int sizeId = 0;
  if (!charts::PageSizeByName(QString::fromStdString(page), &sizeId))
    return Usage(kName, "--page " + page + " is not one of A3, A4, A5, B4, B5, Letter, Legal, Tabloid");
  int language = platform::ReadLanguage();
  if (opt.Has("lang")) {
    const std::string l = opt.Value("lang");
    if (l == "zh" || l == "chinese")
      language = 0;
    else if (l == "en" || l == "english")
      language = 1;
    else
      return Usage(kName, "--lang " + l + " is not zh or en");
  }
  if (language < 0) language = 0;

  time_t from = 0, to = 0, w0 = 0, w1 = 0;
  if (opt.Has("from") && !ParseTime(opt.Value("from"), &from)) return Usage(kName, "--from \"" + opt.Value("from") + "\"" + kTimeHint);
  if (opt.Has("to") && !ParseTime(opt.Value("to"), &to)) return Usage(kName, "--to \"" + opt.Value("to") + "\"" + kTimeHint);
  if (window && !ParseTime(winFrom, &w0)) return Usage(kName, "--window \"" + winFrom + "\"" + kTimeHint);
  if (window && !ParseTime(winTo, &w1)) return Usage(kName, "--window \"" + winTo + "\"" + kTimeHint);

  CXFile file;
  if (!OpenDataFile(opt.positional[0], file, &error)) return Fail(error);
  if (file.GetLayout() == 3) return Fail(opt.positional[0] + " holds cumulative totals, which have no curves");
  const std::string span = FormatTime(file.GetStartTime()) + " => " + FormatTime(file.GetEndTime());
  from = platform::WithinSpan(from, file.GetStartTime(), file.GetEndTime(), platform::SpanEdge::Start);
  to = platform::WithinSpan(to, file.GetStartTime(), file.GetEndTime(), platform::SpanEdge::End);
  w0 = platform::WithinSpan(w0, file.GetStartTime(), file.GetEndTime(), platform::SpanEdge::Start);
  w1 = platform::WithinSpan(w1, file.GetStartTime(), file.GetEndTime(), platform::SpanEdge::End);

  // Pages are drawn without a screen. Qt's notes about the session (no
  // runtime directory and the like) are no business of a script's output.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "rectool: %s\n", text.toLocal8Bit().constData());
  });
  static int argc = 1;
  static char arg0[] = "rectool";
  static char* argv[] = {arg0, nullptr};
  QGuiApplication app(argc, argv);
  if (!lang::Register(language))
    return Fail("the language package " + lang::PackagePath(language).toStdString() +
                " is missing; reinstall recview or choose the other language with --lang");

  if (circular) {
    if (circular > file.GetChnlCount())
      return Fail(opt.positional[0] + " has " + std::to_string(file.GetChnlCount()) + " channels, no channel " +
                  std::to_string(circular));
    if (!opt.Has("from")) from = file.GetStartTime();
    if (!opt.Has("to")) to = file.GetEndTime();
    if (from > to || to < file.GetStartTime() || from > file.GetEndTime())
      return Fail("the span must not end before it starts and must meet the recording, " + span);
    QString message;
    const int ch = int(circular) - 1;
    if (!charts::PrintPagesToPdf(opt.Value("out"), charts::ReportPages(&file, ch, from, to),
                                 QString::fromStdString(page), opt.Has("portrait"), 600,
                                 lang::Format(IDS_CC_CHANNEL_N, ch + 1), &message))
      return Fail("cannot write " + opt.Value("out") + ": " + message.toStdString() + "; nothing was written");
    std::printf("%s: 1 page\n", opt.Value("out").c_str());
    return 0;
  }

  charts::CurvePrintJob job;
  job.state = charts::DefaultPrintState(&file);
  if (window) {
    if (w0 >= w1 || w0 < file.GetStartTime() || w1 > file.GetEndTime())
      return Fail("the window must start before it ends and lie within the recording, " + span);
    job.state.window.windowStart = w0;
    job.state.window.windowEnd = w1;
    job.state.window.atEnd = w1 >= file.GetEndTime();
  } else {
    if (!opt.Has("from")) from = file.GetStartTime();
    if (!opt.Has("to")) to = file.GetEndTime();
    charts::PrintRange range;
    if (charts::SnapPrintRange(file, from, to, &range)) {
      job.range = true;
      job.printStart = range.start;
      job.pages = range.pages;
    } else if (!opt.Has("from") && !opt.Has("to")) {
      // A recording of one record: its one instant on one page.
      job.range = false;
    } else {
      return Fail("the span must start before it ends and lie within the recording, " + span);
    }
  }
  const int total = job.range ? job.pages : 1;
  QString message;
  bool ok = false;
  {
    ProgressLine line("printing " + opt.Value("out"), "pages");
    job.progress = [total, &line](int done, int) {
      if (total > 1) line(done, total);
      return true;
    };
    ok = charts::PrintCurvesToPdf(opt.Value("out"), job, QString::fromStdString(page), opt.Has("portrait"), 600,
                                  &message);
  }
  if (!ok) return Fail("cannot write " + opt.Value("out") + ": " + message.toStdString() + "; nothing was written");
  std::printf("%s: %d page%s\n", opt.Value("out").c_str(), total, total == 1 ? "" : "s");
  return 0;
}

Registrar reg({kName,
               "FILE --out F.pdf [--from TIME] [--to TIME | --window TIME TIME] [--circular CH] [--page SIZE] "
               "[--portrait] [--lang zh|en]",
               "curves as PDF pages (a span page by page, or one window), or a channel's circular report",
               &Run,
               "  FILE              the data file (.KVD)\n"
               "  --out F.pdf       the PDF to write (replaced only when complete)\n"
               "  --from TIME       first record (default: the file's first); kept on the\n"
               "                    sampling grid, 2000 records a page\n"
               "  --to TIME         last record (default: the file's last)\n"
               "  --window A B      one page with the curves from time A to time B instead\n"
               "  --circular CH     the circular report of channel CH (numbered from 1) over\n"
               "                    the span, on one page\n"
               "  --page SIZE       A3, A4, A5, B4, B5, Letter, Legal or Tabloid (default A4)\n"
               "  --portrait        portrait pages (default landscape)\n"
               "  --lang zh|en      language of the page texts (default: the configured one)\n"
               "Progress goes to standard error.\n"});

}  // namespace
}  // namespace rectool
