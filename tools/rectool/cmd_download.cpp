// rectool download --out FILE [--all | --from TIME --to TIME]
//                  [--port NAME] [--baud N] [--address N] [--fast]
// Copies a span of the records a recorder holds into a new data file, with the
// serial settings of "XCom.ini" unless given. Progress goes to standard error;
// Ctrl-C stops and deletes the partial file.
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "acquire/download.h"
#include "acquire/downloadprogress.h"
#include "command.h"
#include "progressline.h"
#include "serialopts.h"
#include "signalwatch.h"
#include "data/records.h"
#include "portcfg/xcom.h"
#include "viewcfg/viewdef.h"

namespace rectool {
namespace {

constexpr char kName[] = "download";
// Exit code of a download stopped by a signal (as shells report SIGINT).
constexpr int kInterrupted = 130;

int Run(const std::vector<std::string>& args) {
  Options opt;
  std::string error;
  if (!opt.Parse(args, {"out", "from", "to", "port", "baud", "address"}, {"all", "force", "fast"}, &error))
    return Usage(kName, error);
  if (!opt.positional.empty()) return Usage(kName, "unexpected argument " + opt.positional[0]);
  if (!opt.Has("out")) return Usage(kName, "give the file to write with --out");
  const bool whole = opt.Has("all");
  if (whole && (opt.Has("from") || opt.Has("to")))
    return Usage(kName, "give either --all or --from and --to");
  if (!whole && !(opt.Has("from") && opt.Has("to")))
    return Usage(kName, "give --all, or the span with --from and --to");
  time_t from = 0, to = 0;
  if (!whole && !ParseTime(opt.Value("from"), &from))
    return Usage(kName,
                 "--from \"" + opt.Value("from") + "\" is not a time like 2024-03-01 08:00:00");
  if (!whole && !ParseTime(opt.Value("to"), &to))
    return Usage(kName, "--to \"" + opt.Value("to") + "\" is not a time like 2024-03-01 08:00:00");

  _tagComParam param;
  if (int usage = SerialSettings(opt, kName, &param)) return usage;

  acquire::DownloadSession session;
  session.Link().SetFastExchange(FastExchange(opt));
  // Said once, between two progress reports.
  auto noteFallback = [&session] {
    if (session.Link().FallbackNotice()) NoteFallback();
  };
  SignalWatch signals([&session] { session.Stop(); });
  auto interrupted = [] {
    Fail("interrupted; no file was kept");
    return kInterrupted;
  };

  switch (session.Connect(param)) {
    case acquire::ConnectStatus::Connected:
      break;
    case acquire::ConnectStatus::PortOpenFailed:
      return Fail("cannot open the serial port: " + session.PortError() +
                  " Set the port in XCom.ini or give --port.");
    case acquire::ConnectStatus::UnknownModel:
      return Fail("the recorder on " + Where(param) + " reports the model \"" +
                  GbkField(session.Span().model.c_str(), session.Span().model.size()) +
                  "\", which cannot be downloaded from");
    case acquire::ConnectStatus::ReadFailed:
      return Fail("no usable answer from a recorder on " + Where(param) +
                  "; check the cable, the port, the speed and the station address");
  }
  if (signals.Interrupted()) return interrupted();
  noteFallback();
  const acquire::RecorderSpan& span = session.Span();
  std::fprintf(stderr, "recorder: %s family, records every %d s from %s to %s\n",
               span.family == acquire::Family::Register ? "register" : "block", span.interval,
               FormatTime(span.earliest).c_str(), FormatTime(span.newest).c_str());

  time_t start = from, end = to;
  switch (session.CheckSpan(whole, &start, &end)) {
    case acquire::SpanStatus::Ok:
      break;
    case acquire::SpanStatus::StartAfterEnd:
      return Fail("--from is after --to");
    case acquire::SpanStatus::StartBeforeSpan:
      return Fail("--from lies before the oldest stored record (" + FormatTime(span.earliest) +
                  "); choose a later start or --all");
    case acquire::SpanStatus::EndAfterSpan:
      return Fail("--to lies after the newest stored record (" + FormatTime(span.newest) +
                  "); choose an earlier end or --all");
    case acquire::SpanStatus::NoRecord:
      return Fail("the span holds no stored record (records come every " +
                  std::to_string(span.interval) + " s); widen it");
  }

  // A folder as --out takes the proposed name of the download.
  std::string path = opt.Value("out");
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    int station = 0;
    if (!session.ReadStation(&station))
      return Fail("reading the station number from the recorder failed; check the cable");
    if (path.back() != '/') path += '/';
    path += acquire::ProposedFileName(station, end, "KVD");
    // A name the user did not give replaces nothing unasked.
    if (!opt.Has("force") && ::lstat(path.c_str(), &st) == 0)
      return Fail(path + " exists already; give --force to replace it, or --out with another name");
  }

  _tagViewDef view;
  CXViewDef().GetView(&view);
  acquire::PrepareStatus prepared;
  {
    ProgressLine line("reading channel settings");
    prepared = session.Prepare(path, start, end, view, [&](int value, int maximum) {
      noteFallback();
      line(value, maximum);
    });
  }
  switch (prepared) {
    case acquire::PrepareStatus::Ok:
      break;
    case acquire::PrepareStatus::CreateFailed:
      return Fail("cannot create " + path + ": " + std::strerror(errno) +
                  "; check that the folder exists and is writable");
    case acquire::PrepareStatus::ReadFailed:
      return Fail(
          "reading the recorder's settings failed, or it reports a channel count or "
          "interval that cannot be downloaded; no file was kept");
    case acquire::PrepareStatus::WriteFailed:
      return Fail("cannot write " + path + " (disk full?); no file was kept");
    case acquire::PrepareStatus::Stopped:
      return interrupted();
  }

  acquire::RunStatus ran;
  {
    ProgressLine line("downloading", "records");
    line.Count(session.File().Head().capacity);
    ran = session.Run([&](int value, int maximum) {
      noteFallback();
      line(value, maximum);
    });
  }
  switch (ran) {
    case acquire::RunStatus::Completed:
      break;
    case acquire::RunStatus::Stopped:
      return interrupted();
    case acquire::RunStatus::CommFailed:
      return Fail(
          "reading the recorder failed; the download stopped and the incomplete file "
          "was deleted. Check the cable and try again.");
    case acquire::RunStatus::WriteFailed:
      return Fail("cannot write " + path + " (disk full?); the incomplete file was deleted");
  }

  const acquire::DownloadReport& r = session.Report();
  std::printf("%s\n", path.c_str());
  std::fprintf(stderr, "data from %s to %s\n", FormatTime(session.File().GetStartTime()).c_str(),
               FormatTime(session.File().GetEndTime()).c_str());
  std::fprintf(stderr, "%d records of %d channels, %lld bytes in %.1f s (%.0f bytes/s)\n",
               r.records, session.File().GetChnlCount(), static_cast<long long>(r.totalBytes),
               static_cast<double>(r.elapsedMs) / 1000.0, r.Rate());
  return 0;
}

Registrar reg({kName,
               "--out FILE|DIR [--force] [--all | --from TIME --to TIME] [--port NAME] [--baud N] "
               "[--address N] [--fast]",
               "copy stored records from a recorder into a new data file", &Run,
               "  --out FILE|DIR  the new data file, or a folder for the proposed name\n"
               "  --force         replace a file of the proposed name in the folder\n"
               "  --all           every record the recorder holds\n"
               "  --from TIME     first record of the span (with --to)\n"
               "  --to TIME       last record of the span\n"
               "  --port NAME     serial port (default: the one in XCom.ini)\n"
               "  --baud N        baud rate (default: XCom.ini)\n"
               "  --address N     station address (default: XCom.ini)\n"
               "  --fast          read each reply as it arrives instead of waiting the\n"
               "                  settle time first (also FastExchange=1 in XCom.ini);\n"
               "                  a recorder that does not keep up is read the slow way\n"
               "Progress (records done of total, rate, time left) goes to standard error;\n"
               "Ctrl-C stops and deletes the incomplete file.\n"});

}  // namespace
}  // namespace rectool
