// rectool collect --dir ARCHIVE [--address N]... [--port NAME] [--baud N]
//                 [--since TIME] [--max-records N] [--config FILE]
// Copies every record stored since the last collection, station by station,
// into new data files of the archive folder, and names the records the
// recorder's ring overwrote before they were collected.
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <mutex>
#include <optional>
#include <vector>

#include "acquire/collect.h"
#include "command.h"
#include "data/records.h"
#include "platform/profile.h"
#include "progressline.h"
#include "serialopts.h"
#include "signalwatch.h"
#include "viewcfg/viewdef.h"

namespace rectool {
namespace {

constexpr char kName[] = "collect";
// Exit statuses beyond 0, 1 (failure) and 2 (usage).
constexpr int kLost = 3;         // records were overwritten before they were collected
constexpr int kBusy = 4;         // another collection holds the archive
constexpr int kInterrupted = 130;

// Station addresses of "1,2,3"; false when one is not 0-255.
bool AddStations(const std::string& list, std::vector<int>* stations) {
  size_t from = 0;
  while (from <= list.size()) {
    const size_t comma = std::min(list.find(',', from), list.size());
    long long n = 0;
    if (!ParseWhole(list.substr(from, comma - from), 0, 255, &n)) return false;
    stations->push_back(static_cast<int>(n));
    from = comma + 1;
  }
  return true;
}

// The settings of a line's file (KEY=VALUE lines, # comments) as options,
// unless the command line gives them: PORT, BAUD, STATIONS, ARCHIVE, EVERY.
bool ReadLineFile(const std::string& path, Options* opt, std::vector<int>* stations,
                  long long* everyMinutes, std::string* error) {
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f) {
    *error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  char buffer[1024];
  int number = 0;
  bool ok = true;
  while (ok && std::fgets(buffer, sizeof buffer, f)) {
    ++number;
    std::string line = buffer;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' '))
      line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    const size_t eq = line.find('=');
    std::string key = eq == std::string::npos ? line : line.substr(first, eq - first);
    std::string value = eq == std::string::npos ? "" : line.substr(eq + 1);
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.pop_back();
    value.erase(0, value.find_first_not_of(" \t"));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    auto set = [&](const char* option) {
      if (!opt->Has(option)) opt->values[option] = value;
    };
    if (key == "PORT") {
      set("port");
    } else if (key == "BAUD") {
      set("baud");
    } else if (key == "ARCHIVE") {
      set("dir");
    } else if (key == "STATIONS") {
      if (stations->empty() && !AddStations(value, stations)) {
        *error = path + ":" + std::to_string(number) +
                 ": STATIONS needs station addresses 0-255 separated by commas";
        ok = false;
      }
    } else if (key == "EVERY") {
      if (!ParseWhole(value, 1, 525600, everyMinutes)) {
        *error = path + ":" + std::to_string(number) + ": EVERY needs minutes from 1 to 525600";
        ok = false;
      }
    } else {
      *error = path + ":" + std::to_string(number) + ": unknown setting \"" + key +
               "\" (PORT, BAUD, STATIONS, ARCHIVE, EVERY)";
      ok = false;
    }
  }
  std::fclose(f);
  return ok;
}

int Run(const std::vector<std::string>& given) {
  // --address may be given several times (or as a list): taken out first.
  std::vector<std::string> args;
  std::vector<int> stations;
  for (size_t i = 0; i < given.size(); ++i) {
    if (given[i] != "--address") {
      args.push_back(given[i]);
      continue;
    }
    if (i + 1 >= given.size()) return Usage(kName, "option --address needs a value");
    if (!AddStations(given[++i], &stations))
      return Usage(kName, "--address needs station addresses from 0 to 255 (e.g. 1 or 1,2,3)");
  }
  Options opt;
  std::string error;
  if (!opt.Parse(args, {"dir", "port", "baud", "since", "max-records", "config"}, {"fast"}, &error))
    return Usage(kName, error);
  if (!opt.positional.empty()) return Usage(kName, "unexpected argument " + opt.positional[0]);
  long long everyMinutes = 0;
  if (opt.Has("config") &&
      !ReadLineFile(opt.Value("config"), &opt, &stations, &everyMinutes, &error))
    return Fail(error);
  if (!opt.Has("dir") || opt.Value("dir").empty())
    return Usage(kName, "give the archive folder with --dir");
  acquire::CollectOptions options;
  if (opt.Has("since") && !ParseTime(opt.Value("since"), &options.since))
    return Usage(kName,
                 "--since \"" + opt.Value("since") + "\" is not a time like 2024-03-01 08:00:00");
  long long maxRecords = 0;
  if (opt.Has("max-records") && !ParseWhole(opt.Value("max-records"), 1, 1LL << 31, &maxRecords))
    return Usage(kName, "--max-records needs a count of records from 1 on");
  options.maxRecords = maxRecords;

  _tagComParam param;
  if (int usage = SerialSettings(opt, kName, &param)) return usage;
  if (stations.empty()) stations.push_back(param.Address & 0xFF);

  acquire::Archive archive(opt.Value("dir"));
  bool busy = false;
  if (!archive.Lock(&busy, &error)) {
    Fail(error);
    return busy ? kBusy : 1;
  }
  if (everyMinutes > 0) {
    // Run by the timer: only when a station's last collection is that old.
    bool due = false;
    const time_t now = time(nullptr);
    for (int s : stations)
      due = due || archive.Checked(s) + everyMinutes * 60 - 30 <= now;
    if (!due) {
      std::fprintf(stderr, "not due yet: the line is collected every %lld minutes\n",
                   everyMinutes);
      return 0;
    }
  }

  _tagViewDef view;
  CXViewDef().GetView(&view);
  std::mutex runningLock;
  acquire::DownloadSession* running = nullptr;
  std::atomic<bool> interrupted{false};
  SignalWatch signals([&] {
    interrupted = true;
    std::lock_guard<std::mutex> hold(runningLock);
    if (running) running->Stop();
  });
  auto setRunning = [&](acquire::DownloadSession* s) {
    std::lock_guard<std::mutex> hold(runningLock);
    running = s;
  };

  int status = 0;
  for (int station : stations) {
    if (interrupted) break;
    param.Address = station;
    acquire::DownloadSession session;
    session.Link().SetFastExchange(FastExchange(opt));
    setRunning(&session);
    acquire::CollectResult r;
    {
      // Progress of the records only, once the run knows how many.
      const std::string what = "station " + std::to_string(station);
      std::optional<ProgressLine> line;
      r = acquire::CollectStation(
          session, param, archive, options, view, [&](int64_t records) {
            line.emplace(what, "records");
            line->Count(records);
          },
          [&](int value, int maximum) {
            if (session.Link().FallbackNotice()) NoteFallback();
            if (line) (*line)(value, maximum);
          });
    }
    setRunning(nullptr);
    const std::string who = "station " + std::to_string(station) + ": ";
    if (r.lost) {
      std::fprintf(stderr,
                   "rectool: %sRECORDS LOST: from %s to %s (%lld records) were overwritten in "
                   "the recorder before they were collected\n",
                   who.c_str(), FormatTime(r.lostSpan.first).c_str(),
                   FormatTime(r.lostSpan.last).c_str(), static_cast<long long>(r.lostSpan.count));
      if (status == 0) status = kLost;
    }
    switch (r.status) {
      case acquire::CollectStatus::Collected:
        std::printf("%s\n", r.path.c_str());
        std::fflush(stdout);
        std::fprintf(stderr, "%s%lld records from %s to %s\n", who.c_str(),
                     static_cast<long long>(r.records), FormatTime(r.first).c_str(),
                     FormatTime(r.last).c_str());
        break;
      case acquire::CollectStatus::NothingNew:
        std::fprintf(stderr, "%snothing new\n", who.c_str());
        break;
      case acquire::CollectStatus::PortOpenFailed:
        Fail(who + "cannot open the serial port: " + r.error +
             " Set the port in XCom.ini, the line's file, or give --port.");
        status = 1;
        break;
      case acquire::CollectStatus::UnknownModel:
        Fail(who + "the recorder reports the model \"" + GbkField(r.error.c_str(), r.error.size()) +
             "\", which cannot be downloaded from");
        status = 1;
        break;
      case acquire::CollectStatus::ReadFailed:
        Fail(who + "no usable answer from a recorder on " + Where(param) +
             "; check the cable, the speed and the station address");
        status = 1;
        break;
      case acquire::CollectStatus::CreateFailed:
      case acquire::CollectStatus::WriteFailed:
        Fail(who + "cannot write into " + archive.Dir() +
             (r.error.empty() ? std::string() : " (" + r.error + ")") +
             "; check that the folder is writable and has room; no file was kept");
        status = 1;
        break;
      case acquire::CollectStatus::CommFailed:
        Fail(who + "reading the records failed; no file was kept. Check the cable; the next "
                   "run collects them");
        status = 1;
        break;
      case acquire::CollectStatus::Stopped:
        interrupted = true;
        break;
    }
    if (r.deadline > 0)
      std::fprintf(stderr, "%sthe next collection must run before %s, or records are lost\n",
                   who.c_str(), FormatTime(r.deadline).c_str());
  }
  if (interrupted || signals.Interrupted()) {
    Fail("interrupted; the incomplete file was not kept");
    return kInterrupted;
  }
  return status;
}

Registrar reg({kName,
               "--dir ARCHIVE [--address N]... [--port NAME] [--baud N] [--since TIME] "
               "[--max-records N] [--config FILE] [--fast]",
               "copy the records stored since the last collection into an archive folder", &Run,
               "  --dir ARCHIVE     the archive folder (made when missing)\n"
               "  --address N       station address on the line; give it several times, or\n"
               "                    as a list 1,2,3, for several recorders (default: XCom.ini)\n"
               "  --port NAME       serial port (default: the one in XCom.ini)\n"
               "  --baud N          baud rate (default: XCom.ini)\n"
               "  --since TIME      the first collection into an empty archive starts here\n"
               "                    rather than at the oldest stored record\n"
               "  --max-records N   at most N records per station in one run, the oldest\n"
               "                    first; the next run goes on from there\n"
               "  --config FILE     a line's settings: PORT=, BAUD=, STATIONS=, ARCHIVE=, and\n"
               "                    EVERY= minutes (runs sooner than that do nothing)\n"
               "  --fast            read each reply as it arrives instead of waiting the\n"
               "                    settle time first (also FastExchange=1 in XCom.ini)\n"
               "Each run writes per station a file S<station>_<first>_<last>.KVD with the\n"
               "records newer than the last collected one, and tells until when the next run\n"
               "must happen. The new files' paths go to standard output.\n"
               "Exit status: 0 collected (or nothing new), 1 a station failed, 2 usage,\n"
               "3 records were overwritten before they were collected (the span is named on\n"
               "standard error and in ARCHIVE/collect.log; the rest was collected), 4 another\n"
               "collection is using the archive, 130 interrupted.\n"});

}  // namespace
}  // namespace rectool
