// rectool info FILE [--json]: the header, the channels, the span and the marks.
#include <cstdio>
#include <string>
#include <type_traits>

#include "acquire/devinfo.h"
#include "command.h"
#include "data/cxfile.h"

namespace rectool {
namespace {

std::string StampText(const uint8_t* s) {
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%04d-%02d-%02d %02d:%02d:%02d", 2000 + s[0], s[1], s[2], s[3],
                s[4], s[5]);
  return buf;
}

const char* LayoutName(int layout) {
  switch (layout) {
    case 0: return "channel blocks";
    case 1: return "records, definition form 1";
    case 2: return "records, definition form 2";
    default: return "cumulative totals";
  }
}

void PrintText(const CXFile& f, const std::string& path) {
  const _tagDataHead& h = f.Head();
  std::printf("File:        %s\n", path.c_str());
  std::printf("Model:       %s (layout %d, %s)\n", f.GetModel().c_str(), f.GetLayout(),
              LayoutName(f.GetLayout()));
  std::printf("Title:       %s\n", f.GetTitle().c_str());
  std::printf("Station:     %d\n", f.GetStation());
  std::printf("Start:       %s\n", FormatTime(f.GetStartTime()).c_str());
  std::printf("End:         %s\n", FormatTime(f.GetEndTime()).c_str());
  std::printf("Interval:    %d s\n", f.GetInterval());
  std::printf("Records:     %d\n", f.GetRecordCount());
  if (f.GetLayout() == 3) {
    std::printf("Storage:     %d periods, 8-byte totals with %d decimals, day starts at %d h\n",
                h.capacity, h.cumByte2, h.cumByte1);
  } else {
    std::printf("Storage:     %d slots, ring start %d, %d-byte counts\n", h.capacity, h.ringStart,
                h.valueWidth);
  }
  std::printf("Channels:    %d\n", f.GetChnlCount());
  if (f.GetChnlCount() > 0 && f.GetLayout() != 3) {
    std::printf("  %-3s %-20s %-8s %12s %12s %12s %12s %12s %12s %12s %-8s %-5s %-3s %s %s\n", "#",
                "name", "unit", "low", "high", "limit1", "limit2", "limit3", "limit4", "limit5",
                "colour", "shown", "log", "device word      ", "device");
    for (int ch = 0; ch < f.GetChnlCount(); ++ch) {
      const _tagChnlDef& d = h.channels[ch];
      std::printf("  %-3d %s %s %12s %12s", ch + 1, Padded(f.GetChnlName(ch), 20).c_str(),
                  Padded(f.GetChnlUnit(ch), 8).c_str(), f.FormatValue(ch, f.GetRangeLow(ch)).c_str(),
                  f.FormatValue(ch, f.GetRangeHigh(ch)).c_str());
      for (int k = 1; k <= 5; ++k) std::printf(" %12s", f.FormatValue(ch, f.GetLimit(ch, k)).c_str());
      std::printf(" %06X   %-5s %-3s %016llX %s\n", d.colour, d.shown ? "yes" : "no",
                  d.logScale ? "yes" : "no", static_cast<unsigned long long>(f.GetChnlDef(ch)),
                  acquire::DevWordText(f.GetModel(), f.GetChnlDef(ch)).c_str());
    }
  }
  std::printf("Marks:       %d\n", f.GetMarkCount());
  for (int i = 0; i < f.GetMarkCount(); ++i)
    std::printf("  %-3d %s\n", i + 1, FormatTime(f.GetMark(i)).c_str());
}

void PrintJson(const CXFile& f) {
  const _tagDataHead& h = f.Head();
  std::string o = "{\n";
  auto num = [&](const char* key, auto v) {
    std::string text;
    if constexpr (std::is_integral_v<decltype(v)>)
      text = std::to_string(v);
    else
      text = JsonNumber(v);
    o += "  \"" + std::string(key) + "\": " + text + ",\n";
  };
  auto str = [&](const char* key, const std::string& v) {
    o += "  \"" + std::string(key) + "\": " + JsonString(v) + ",\n";
  };
  num("descSize", h.descSize);
  num("yLow", h.yLow);
  num("yHigh", h.yHigh);
  num("clrGrid", h.clrGrid);
  num("clrBack", h.clrBack);
  num("lastIndex", h.lastIndex);
  num("ringStart", h.ringStart);
  num("capacity", h.capacity);
  str("model", f.GetModel());
  str("title", f.GetTitle());
  str("startStamp", StampText(h.startStamp));
  str("endStamp", StampText(h.endStamp));
  num("station", h.station);
  num("interval", h.interval);
  num("chnlCount", h.chnlCount);
  num("reserved1", h.reserved1);
  num("markCount", h.markCount);
  num("valueWidth", h.valueWidth);
  num("xMode", h.xMode);
  num("yMode", h.yMode);
  num("xGrids", h.xGrids);
  num("yGrids", h.yGrids);
  num("gridShown", h.gridShown);
  num("expFormat", h.expFormat);
  o += "  \"channels\": [";
  for (int ch = 0; ch < f.GetChnlCount(); ++ch) {
    const _tagChnlDef& d = h.channels[ch];
    o += ch ? ",\n    {" : "\n    {";
    o += "\"devWord\": " + std::to_string(f.GetChnlDef(ch));
    o += ", \"devText\": " + JsonString(acquire::DevWordText(f.GetModel(), f.GetChnlDef(ch)));
    o += ", \"colour\": " + std::to_string(d.colour);
    o += ", \"rangeLow\": " + JsonNumber(f.GetRangeLow(ch));
    o += ", \"rangeHigh\": " + JsonNumber(f.GetRangeHigh(ch));
    for (int k = 1; k <= 5; ++k)
      o += ", \"limit" + std::to_string(k) + "\": " + JsonNumber(f.GetLimit(ch, k));
    o += ", \"name\": " + JsonString(f.GetChnlName(ch));
    o += ", \"unit\": " + JsonString(f.GetChnlUnit(ch));
    o += ", \"spare\": " + JsonString(GbkField(d.spare));
    o += ", \"logScale\": " + std::to_string(d.logScale);
    o += ", \"shown\": " + std::to_string(d.shown);
    o += ", \"penWidth\": " + std::to_string(d.penWidth);
    o += "}";
  }
  o += f.GetChnlCount() ? "\n  ],\n" : "],\n";
  str("endTime", FormatTime(h.endTime));
  str("startTime", FormatTime(h.startTime));
  num("spare2", h.spare2);
  num("cumPeriod", h.cumPeriod);
  num("cumByte1", h.cumByte1);
  num("cumByte2", h.cumByte2);
  num("tagByte", h.tagByte);
  num("kindByte", h.kindByte);
  num("refShown1", h.refShown1);
  num("refShown2", h.refShown2);
  num("refValue1", h.refValue1);
  num("refValue2", h.refValue2);
  str("refLabel1", GbkField(h.refLabel1));
  str("refLabel2", GbkField(h.refLabel2));
  num("recordCount", f.GetRecordCount());
  o += "  \"marks\": [";
  for (int i = 0; i < f.GetMarkCount(); ++i)
    o += (i ? ", " : "") + JsonString(FormatTime(f.GetMark(i)));
  o += "]\n}\n";
  std::fputs(o.c_str(), stdout);
}

int Run(const std::vector<std::string>& args) {
  Options opt;
  std::string error;
  if (!opt.Parse(args, {}, {"json"}, &error)) return Usage("info", error);
  if (opt.positional.size() != 1) return Usage("info", "give one data file");
  CXFile f;
  if (!OpenDataFile(opt.positional[0], f, &error)) return Fail(error);
  if (opt.Has("json"))
    PrintJson(f);
  else
    PrintText(f, opt.positional[0]);
  return 0;
}

Registrar reg({"info", "FILE [--json]",
               "header, channels (name, unit, range, limits, colour, shown, log, device word "
               "as the device-information window shows it), span, records "
               "and marks of a data file; --json for scripts",
               &Run,
               "  FILE    the data file\n"
               "  --json  one JSON object instead of the text table\n"});

}  // namespace
}  // namespace rectool
