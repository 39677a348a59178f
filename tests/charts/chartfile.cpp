#include "chartfile.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/ui/lang.h"

namespace charttest {

uint32_t ChannelColour(int ch) {
  static const uint32_t table[8] = {0x0000FF, 0x00FFFF, 0xFF00FF, 0x00C0FF,
                                    0xFFFF00, 0x8080FF, 0xFF8000, 0x80FF80};
  return table[ch % 8];
}

time_t DefaultStart() {
  struct tm tm = {};
  tm.tm_year = 126;
  tm.tm_mon = 2;
  tm.tm_mday = 1;
  tm.tm_hour = 8;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

bool MakeRecording(const std::string& path, const Recipe& recipe) {
  CXFile f;
  _tagDataHead& h = f.Head();
  h.descSize = 160;
  h.yLow = recipe.yLow;
  h.yHigh = recipe.yHigh;
  h.clrGrid = recipe.clrGrid;
  h.clrBack = recipe.clrBack;
  h.lastIndex = recipe.records - 1;
  h.ringStart = 0;
  h.capacity = recipe.records;
  SetGbkField(h.model, "KVR6GV2");
  SetGbkField(h.title, recipe.title, true);
  h.station = 1;
  h.interval = recipe.interval;
  h.chnlCount = uint8_t(recipe.channels);
  h.valueWidth = uint8_t(recipe.valueWidth);
  h.xMode = uint8_t(recipe.xMode);
  h.yMode = uint8_t(recipe.yMode);
  h.xGrids = 10;
  h.yGrids = 10;
  h.gridShown = 1;
  h.expFormat = 1;
  for (int ch = 0; ch < recipe.channels; ++ch) {
    _tagChnlDef& d = h.channels[ch];
    d.colour = ChannelColour(ch);
    d.rangeLow = {0, 1};
    d.rangeHigh = {1000, 1};  // 0.0 .. 100.0
    d.limit3 = {0, 1};
    d.limit4 = {0, 1};
    SetGbkField(d.name, DefaultChnlName(ch + 1));
    SetGbkField(d.unit, "C");
    d.shown = 1;
    d.penWidth = 1;
  }
  const time_t start = recipe.start ? recipe.start : DefaultStart();
  if (!f.Create(path)) return false;
  f.SetStartTime(start);
  f.SetEndTime(start + time_t(recipe.records - 1) * recipe.interval);
  if (!f.WriteHead()) return false;
  const uint32_t full = FullScale(recipe.valueWidth);
  for (int ch = 0; ch < recipe.channels; ++ch) {
    std::vector<uint8_t> buf(size_t(recipe.records) * recipe.valueWidth);
    for (int r = 0; r < recipe.records; ++r) {
      int q = recipe.count ? recipe.count(ch, r) : int(full * (ch + 1) / 10);
      if (recipe.valueWidth == 1) {
        buf[size_t(r)] = uint8_t(q);
      } else {
        buf[size_t(r) * 2] = uint8_t(q & 0xFF);
        buf[size_t(r) * 2 + 1] = uint8_t(q >> 8);
      }
    }
    if (!f.WriteValues(buf.data(), recipe.records, ch)) return false;
  }
  f.Advance(recipe.records);
  f.SetEndTime(0);
  f.Close();
  return true;
}

std::unique_ptr<CXFile> OpenRecording(const std::string& path) {
  auto f = std::make_unique<CXFile>();
  if (!f->Open(path)) return nullptr;
  return f;
}

void UseLanguage(int language) {
  const char* name = language == 0 ? "/Language/chinese.rcc" : "/Language/english.rcc";
  ASSERT_TRUE(lang::RegisterFile(QString(RECVIEW_BIN_DIR) + name, language));
}

}  // namespace charttest
