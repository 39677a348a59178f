#include "options.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

#include "demo.h"
#include "platform/localtime.h"

namespace recsim {

const char* const kUsage =
    "usage: recsim [OPTION...]\n"
    "A recorder on a serial line: opens a pseudo-terminal (or --device), prints its\n"
    "path on the first line of output and answers recorder requests until stopped\n"
    "(SIGTERM, SIGINT or --stop-after).\n"
    "\n"
    "  --model TEXT        model string, up to 10 characters (default KVP6GV1); character\n"
    "                      2 'P' makes a block-family recorder, any other a register-family one\n"
    "  --station N         station address 0-255 (default 8, or Address of --xcom)\n"
    "  --channels N        channel count 0-64 (default 8)\n"
    "  --chan I:KEY=VALUE,...  channel I (from 0): name=, unit=, low=, high=, l1= ... l5=\n"
    "                      (decimal numbers; their decimals are kept), log=ELOW:EHIGH\n"
    "                      (logarithmic channel spanning 10^ELOW to 10^EHIGH)\n"
    "  --title TEXT        recorder title (default recsim)\n"
    "  --interval N        interval index reported by the recorder (default 0 = 1 s;\n"
    "                      0-8 = 1 2 5 10 15 30 60 120 240 s)\n"
    "  --clock now|'YYYY-MM-DD HH:MM:SS'   newest record time: following the wall clock\n"
    "                      (default) or fixed\n"
    "  --newest-index N    ring index of the newest sample at start (default 1000)\n"
    "  --device PATH       serve this serial device instead of a pseudo-terminal\n"
    "  --baud N            line speed of --device (default 57600)\n"
    "  --link PATH         make PATH a symbolic link to the device (removed at exit)\n"
    "  --xcom FILE         answer the Address of this settings file and write the\n"
    "                      device (or --link) path into its ComSet/ComPort key\n"
    "  --stop-after S      exit after S seconds\n"
    "  --log FILE          one line per request received and what became of it\n"
    "  --fault RULE        spoil replies: KIND[:KEY=VALUE,...], KIND drop, late, truncate,\n"
    "                      gap, corrupt, exception, count, short, station; KEYs fn, framing,\n"
    "                      rate, skip, count, ms, bytes, code (see tools/recsim/README.md)\n"
    "  --seed N            seed of the fault rates (default 1)\n"
    "  --ascii-lower       ASCII replies in lower-case hexadecimal\n"
    "  --answer-after MS   answer each request only MS milliseconds after it came\n"
    "  --min-gap MS        ignore a request that comes sooner than MS milliseconds\n"
    "                      after the end of the last reply\n"
    "  --line-rate         send replies at the speed of --baud (ten bits a character)\n"
    "                      instead of at once\n"
    "  --demo              the demo recorder: plant-like curves (temperature, pressure,\n"
    "                      flow, humidity) with noise and a few alarms, instead of the\n"
    "                      predictable test pattern\n"
    "  --help              this text\n";

namespace {

bool ParseClock(const std::string& text, Recorder* r) {
  if (text == "now") {
    r->wallClock = true;
    return true;
  }
  int y, mo, d, h, mi, s;
  char sep;
  if (std::sscanf(text.c_str(), "%d-%d-%d%c%d:%d:%d", &y, &mo, &d, &sep, &h, &mi, &s) != 7 ||
      (sep != ' ' && sep != 'T') || y < 2000 || y > 2099 || mo < 1 || mo > 12 || d < 1 || d > 31 ||
      h > 23 || mi > 59 || s > 59 || h < 0 || mi < 0 || s < 0)
    return false;
  r->fixedNewest = platform::LocalTime(y, mo, d, h, mi, s);
  r->wallClock = false;
  return true;
}

bool ApplyChannel(const std::string& definition, Recorder* r, std::string* error) {
  const size_t colon = definition.find(':');
  long index = 0;
  if (colon == std::string::npos ||
      !ParseLong(definition.substr(0, colon).c_str(), 0, kMaxChannels - 1, &index)) {
    *error = "--chan needs I:KEY=VALUE,... with a channel index from 0";
    return false;
  }
  if (index >= static_cast<long>(r->channels.size())) {
    *error = "--chan " + std::to_string(index) + ": the recorder has only " +
             std::to_string(r->channels.size()) + " channels (see --channels)";
    return false;
  }
  Channel& c = r->channels[static_cast<size_t>(index)];
  bool lowGiven = false, highGiven = false;
  std::optional<std::string> unpaired;
  auto setting = [&](const std::string&, const std::string& key, const std::string& value) {
    ScaleNum* target = nullptr;
    if (key == "name") {
      c.name = value;
    } else if (key == "unit") {
      c.unit = value;
    } else if (key == "low") {
      target = &c.low;
      lowGiven = true;
    } else if (key == "high") {
      target = &c.high;
      highGiven = true;
    } else if (key.size() == 2 && key[0] == 'l' && key[1] >= '1' && key[1] <= '5') {
      target = &c.limit[key[1] - '1'];
    } else if (key == "log") {
      long lo = 0, hi = 0;
      const size_t sep = value.find(':');
      if (sep == std::string::npos || !ParseLong(value.substr(0, sep).c_str(), -128, 127, &lo) ||
          !ParseLong(value.substr(sep + 1).c_str(), -128, 127, &hi)) {
        *error = "--chan: log needs ELOW:EHIGH, two exponents";
        return false;
      }
      c.logarithmic = true;
      c.expLow = static_cast<int8_t>(lo);
      c.expHigh = static_cast<int8_t>(hi);
    } else {
      *error = "--chan: unknown key \"" + key + "\"";
      return false;
    }
    if (target && !ParseScaleNum(value, target)) {
      *error = "--chan: " + key + "=" + value + " is no number of 16 bits";
      return false;
    }
    return true;
  };
  if (!ForEachSetting(definition.substr(colon + 1), setting, &unpaired)) {
    if (unpaired) *error = "--chan: \"" + *unpaired + "\" needs KEY=VALUE";
    return false;
  }
  if (c.logarithmic) {
    if (!lowGiven) c.low = {1, static_cast<uint8_t>(c.expLow)};
    if (!highGiven) c.high = {1, static_cast<uint8_t>(c.expHigh)};
  }
  return true;
}

}  // namespace

bool ParseOptions(int argc, char** argv, Options* o, std::string* error) {
  *o = Options{};
  long channels = 8;
  std::vector<std::string> channelDefinitions;
  bool demo = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](const char** out) {
      if (i + 1 >= argc) {
        *error = arg + " needs a value";
        return false;
      }
      *out = argv[++i];
      return true;
    };
    const char* v = nullptr;
    long n = 0;
    if (arg.rfind("--", 0) != 0 && arg != "-h") {
      *error = "unexpected argument \"" + arg + "\" (see --help)";
      return false;
    }
    bool usedValue = false;
    std::string pacingError;
    if (ParsePacingOption(arg, i + 1 < argc ? argv[i + 1] : nullptr, &o->pacing, &usedValue,
                          &pacingError)) {
      if (usedValue) ++i;
      continue;
    }
    if (!pacingError.empty()) {
      *error = pacingError;
      return false;
    }
    if (arg == "--help" || arg == "-h") {
      o->help = true;
    } else if (arg == "--demo") {
      demo = true;
    } else if (arg == "--ascii-lower") {
      o->asciiLower = true;
    } else if (!value(&v)) {
      return false;
    } else if (arg == "--model") {
      const std::string model = v;
      if (model.size() < 3 || model.size() > 10 || model.compare(0, 2, "KV") != 0) {
        *error = "--model needs a model string of 3 to 10 characters starting with KV";
        return false;
      }
      o->recorder.model = model;
    } else if (arg == "--station") {
      if (!ParseLong(v, 0, 255, &n)) {
        *error = "--station needs an address 0-255";
        return false;
      }
      o->recorder.station = static_cast<uint8_t>(n);
      o->stationGiven = true;
    } else if (arg == "--channels") {
      if (!ParseLong(v, 0, kMaxChannels, &channels)) {
        *error = "--channels needs a count 0-64";
        return false;
      }
    } else if (arg == "--chan") {
      channelDefinitions.push_back(v);
    } else if (arg == "--title") {
      o->recorder.title = v;
    } else if (arg == "--interval") {
      if (!ParseLong(v, 0, 255, &n)) {
        *error = "--interval needs an interval index 0-255";
        return false;
      }
      o->recorder.intervalIndex = static_cast<int>(n);
    } else if (arg == "--clock") {
      if (!ParseClock(v, &o->recorder)) {
        *error = "--clock needs now or a time 'YYYY-MM-DD HH:MM:SS' (years 2000-2099)";
        return false;
      }
    } else if (arg == "--newest-index") {
      if (!ParseLong(v, 0, kRingSize - 1, &n)) {
        *error = "--newest-index needs a ring index 0-262143";
        return false;
      }
      o->recorder.newestIndex = static_cast<uint32_t>(n);
    } else if (arg == "--device") {
      o->device = v;
    } else if (arg == "--baud") {
      if (!ParseLong(v, 50, 4000000, &n)) {
        *error = "--baud needs a line speed";
        return false;
      }
      o->baud = static_cast<int>(n);
    } else if (arg == "--link") {
      o->link = v;
    } else if (arg == "--xcom") {
      o->xcom = v;
    } else if (arg == "--log") {
      o->log = v;
    } else if (arg == "--stop-after") {
      // Seconds, fractions allowed, up to a year; nan, inf and the like refused
      // (they would not convert to a deadline).
      char* end = nullptr;
      errno = 0;
      const double s = std::strtod(v, &end);
      if (*end || !*v || errno == ERANGE || !std::isfinite(s) || !(s >= 0) || s > 31536000.0 ||
          !((*v >= '0' && *v <= '9') || *v == '.')) {
        *error = "--stop-after needs a number of seconds from 0 to 31536000";
        return false;
      }
      o->stopAfter = s;
    } else if (arg == "--seed") {
      char* end = nullptr;
      errno = 0;
      o->seed = std::strtoull(v, &end, 10);
      if (*end || !(*v >= '0' && *v <= '9') || errno == ERANGE) {
        *error = "--seed needs a whole number from 0 to 18446744073709551615";
        return false;
      }
    } else if (arg == "--fault") {
      FaultRule rule;
      std::string why;
      if (!ParseFaultRule(v, &rule, &why)) {
        *error = "--fault " + std::string(v) + ": " + why;
        return false;
      }
      o->faults.push_back(rule);
    } else {
      *error = "unknown option \"" + arg + "\" (see --help)";
      return false;
    }
  }
  o->pacing.baud = o->baud;
  o->recorder.channels.clear();
  for (int m = 0; m < channels; ++m) o->recorder.channels.push_back(DefaultChannel(m));
  if (demo) MakeDemo(&o->recorder);
  for (const std::string& definition : channelDefinitions)
    if (!ApplyChannel(definition, &o->recorder, error)) return false;
  return true;
}

}  // namespace recsim
