#include "benchfile.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "data/cxfile.h"
#include "platform/localtime.h"

namespace bench {

namespace {
char g_dir[64] = "/tmp/recview-bench-XXXXXX";
}  // namespace

const std::string& ScratchDir() {
  static const std::string dir = [] {
    if (!::mkdtemp(g_dir)) std::abort();
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(g_dir, ec);
    });
    return std::string(g_dir) + "/";
  }();
  return dir;
}

std::string WriteRecording(const std::string& path, const Recording& r) {
  CXFile f;
  _tagDataHead& h = f.Head();
  h.descSize = 160;
  h.yLow = 0;
  h.yHigh = 100;
  h.clrGrid = 0x404040;
  h.lastIndex = r.records - 1;
  h.capacity = r.records;
  SetGbkField(h.model, "KVR6GV2");
  SetGbkField(h.title, "bench", true);
  h.interval = r.interval;
  h.chnlCount = uint8_t(r.channels);
  h.valueWidth = 2;
  h.yMode = 1;
  h.xGrids = 10;
  h.yGrids = 10;
  h.gridShown = 1;
  h.expFormat = 1;
  for (int ch = 0; ch < r.channels; ++ch) {
    _tagChnlDef& d = h.channels[ch];
    d.colour = 0x00FFFFu - uint32_t(ch) * 0x030201u;
    d.rangeLow = {0, 1};
    d.rangeHigh = {1000, 1};
    SetGbkField(d.name, DefaultChnlName(ch + 1));
    d.shown = 1;
    d.penWidth = 1;
  }
  if (r.adjust) r.adjust(h);
  if (!f.Create(path)) std::abort();
  f.SetStartTime(1700000000);
  f.SetEndTime(1700000000 + time_t(r.records - 1) * r.interval);
  if (!f.WriteHead()) std::abort();
  std::vector<uint8_t> buf(size_t(r.records) * 2);
  for (int ch = 0; ch < r.channels; ++ch) {
    for (int i = 0; i < r.records; ++i) {
      const int q = r.count(ch, i);
      buf[size_t(i) * 2] = uint8_t(q & 0xFF);
      buf[size_t(i) * 2 + 1] = uint8_t(q >> 8);
    }
    if (!f.WriteValues(buf.data(), r.records, ch)) std::abort();
  }
  f.Advance(r.records);
  if (!f.Close()) std::abort();
  return path;
}

std::string WriteCumulative(const std::string& path, int periods, int period, int channels) {
  const int seconds = period == 0 ? 3600 : period == 1 ? 28800 : period == 2 ? 43200 : 86400;
  const size_t head = 192 + 64 * size_t(channels);
  std::string b(head + size_t(8) * channels * periods, '\0');
  std::memcpy(&b[0], "KVP6GV1000P", 11);
  std::memcpy(&b[64], "bench", 5);
  b[96] = char(channels);
  b[97] = char(period);
  b[98] = 0;
  b[99] = 2;
  const size_t tb = 128 + 64 * size_t(channels);
  const uint8_t start[6] = {25, 1, 1, 0, 0, 0};
  uint8_t end[6];
  platform::TimeToStamp(platform::StampToTime(start) + time_t(periods - 1) * seconds, end);
  std::memcpy(&b[tb], start, 6);
  std::memcpy(&b[tb + 6], end, 6);
  const int32_t cap = periods, last = periods - 1;
  std::memcpy(&b[tb + 0x0C], &last, 4);
  std::memcpy(&b[tb + 0x14], &cap, 4);
  for (int s = 0; s < periods; ++s)
    for (int ch = 0; ch < channels; ++ch) {
      const int64_t v = int64_t(ch) * 100000 + s;
      std::memcpy(&b[head + 8 * (size_t(s) * channels + ch)], &v, 8);
    }
  std::ofstream out(path, std::ios::binary);
  if (!out.write(b.data(), std::streamsize(b.size())) || !out.flush()) std::abort();
  return path;
}

}  // namespace bench
