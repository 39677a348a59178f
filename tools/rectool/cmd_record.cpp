// rectool record --out FILE [--seconds N | --records N] [--port NAME]
//                [--baud N] [--address N] [--interval N] [--fast]
// Records a connected recorder live, one record per interval, into a data
// file; the same set-up, sampling and appending as the live window. Ctrl-C
// ends the recording and saves what was recorded.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "acquire/live.h"
#include "command.h"
#include "data/records.h"
#include "platform/event.h"
#include "progressline.h"
#include "serialopts.h"
#include "signalwatch.h"
#include "viewcfg/viewdef.h"

namespace rectool {
namespace {

constexpr char kName[] = "record";
constexpr int kInterrupted = 130;

int Run(const std::vector<std::string>& args) {
  Options opt;
  std::string error;
  if (!opt.Parse(args, {"out", "seconds", "records", "port", "baud", "address", "interval"},
                 {"fast"}, &error))
    return Usage(kName, error);
  if (!opt.positional.empty()) return Usage(kName, "unexpected argument " + opt.positional[0]);
  if (!opt.Has("out") || opt.Value("out").empty())
    return Usage(kName, "give the file to write with --out");
  if (opt.Has("seconds") && opt.Has("records"))
    return Usage(kName, "give either --seconds or --records");
  long long seconds = 0, records = 0;
  if (opt.Has("seconds") && !ParseWhole(opt.Value("seconds"), 0, 100000000, &seconds))
    return Usage(kName, "--seconds needs how long to record, in whole seconds");
  if (opt.Has("records") && !ParseWhole(opt.Value("records"), 1, 0x40000, &records))
    return Usage(kName, "--records needs the number of records, 1 to 262144");
  _tagComParam param;
  if (int usage = SerialSettings(opt, kName, &param)) return usage;
  if (param.Interval <= 0) param.Interval = 1;
  const std::string out = opt.Value("out");

  // A recording left behind by a crash is not overwritten.
  acquire::Interrupted left;
  if (acquire::FindInterrupted(&left))
    return Fail("an interrupted recording of " + std::to_string(left.records) +
                " records is waiting in " + acquire::TempStorePath() +
                "; save it first with \"rectool recover --out FILE\"");

  platform::AutoResetEvent wake;
  std::atomic<bool> stop{false};
  SignalWatch signals([&] {
    stop = true;
    wake.Set();
  });

  acquire::LiveSession session;
  _tagViewDef view;
  CXViewDef().GetView(&view);
  acquire::SetupObserver observer;
  ProgressLine line("reading channel settings");
  observer.channel = std::ref(line);
  observer.cancelled = [&] { return stop.load(); };
  acquire::LiveOptions options;
  if (records > 0) options.storeSlots = static_cast<int>(records);
  options.fastExchange = FastExchange(opt);
  const acquire::LiveStatus status = session.Setup(param, view, observer, options);
  switch (status) {
    case acquire::LiveStatus::Ok:
      break;
    case acquire::LiveStatus::Cancelled:
      Fail("interrupted; nothing was recorded");
      return kInterrupted;
    case acquire::LiveStatus::PortFailed:
      return Fail("cannot open the serial port: " + session.Detail() +
                  " Set the port in XCom.ini or give --port.");
    case acquire::LiveStatus::CommFailed:
      return Fail("no usable answer from a recorder on " + Where(param) +
                  " (model, title, channel count or channel settings); check the cable, the "
                  "port, the speed and the station address");
    case acquire::LiveStatus::NoDriver:
      return Fail("there is no driver for the recorder on " + Where(param) + " (" +
                  session.Detail() + ")");
    case acquire::LiveStatus::CreateFailed:
      return Fail("cannot make the temporary store " + session.Detail() +
                  "; check the free disk space and that the settings folder is writable");
  }
  const CXFile& file = session.File();
  std::fprintf(stderr, "recording \"%s\": %d channels, a record every %d s; Ctrl-C ends\n",
               file.GetTitle().c_str(), file.GetChnlCount(), file.GetInterval());

  // Records fall due at fixed instants from the start, so that a late tick
  // never pushes the following ones.
  using Clock = std::chrono::steady_clock;
  session.StartAcquisition(std::time(nullptr));
  const Clock::time_point begin = Clock::now();
  const auto period = std::chrono::seconds(file.GetInterval());
  const long long wanted = records > 0 ? records
                           : opt.Has("seconds") ? seconds / file.GetInterval() + 1
                                                : 0;
  acquire::AppendStatus last = acquire::AppendStatus::Appended;
  for (long long k = 1; !stop && last == acquire::AppendStatus::Appended; ++k) {
    if (wanted > 0 && session.Records() >= wanted) break;
    const Clock::time_point due = begin + k * period;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now());
      if (left.count() <= 0 || stop) break;
      wake.Wait(static_cast<int>(left.count()));
    }
    if (stop) break;
    last = session.Tick();
    if (session.FallbackNotice()) NoteFallback();
  }
  session.Stop();

  const int count = session.Records();
  if (!session.SaveAs(out)) {
    session.KeepForRecovery();
    return Fail("cannot write " + out + "; the " + std::to_string(count) +
                " records stay in " + acquire::TempStorePath() +
                ": save them with \"rectool recover --out FILE\"");
  }
  session.Discard();
  std::printf("%s\n", out.c_str());
  std::fprintf(stderr, "%d records of %d channels, %s => %s\n", count, file.GetChnlCount(),
               FormatTime(file.GetStartTime()).c_str(), FormatTime(file.GetEndTime()).c_str());
  if (last == acquire::AppendStatus::Lost)
    return Fail("the recorder stopped answering; the records up to then were saved");
  if (last == acquire::AppendStatus::Full && records == 0)
    std::fprintf(stderr, "the store is full; the recording ended\n");
  return 0;
}

Registrar reg({kName,
               "--out FILE [--seconds N | --records N] [--port NAME] [--baud N] [--address N] "
               "[--interval N] [--fast]",
               "record a connected recorder live into a new data file", &Run,
               "  --out FILE      the data file to write when the recording ends\n"
               "  --seconds N     record for N seconds, then save (default: until Ctrl-C)\n"
               "  --records N     record N records (1 to 262144), then save\n"
               "  --port NAME     serial port (default: the one in XCom.ini)\n"
               "  --baud N        baud rate (default: XCom.ini)\n"
               "  --address N     station address (default: XCom.ini)\n"
               "  --interval N    seconds between records, 1 to 86400 (default: XCom.ini)\n"
               "  --fast          read each reply as it arrives instead of waiting the settle\n"
               "                  time (falls back by itself when the recorder does not keep up)\n"
               "Ctrl-C ends the recording and saves what was recorded. Records wait in the\n"
               "temporary store until then; after a crash, rectool recover saves them.\n"});

}  // namespace
}  // namespace rectool
