#include "benchfile.h"

#include <cstdlib>
#include <vector>

#include "data/cxfile.h"

namespace bench {

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

}  // namespace bench
