#include "viewcfg/viewdef.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/profile.h"
#include "platform/programdir.h"

namespace viewcfg {

void Defaults(_tagViewDef* p) {
  static const uint32_t kChannel[8] = {255,      65280,    0xFF0000, 0xFFFF,
                                       0xFFFF00, 0xFF00FF, 0xFFFFFF, 33023};
  p->XMode = 0;
  p->YMode = 0;
  p->YLow = 0;
  p->YHi = 100;
  p->XGrids = 10;
  p->YGrids = 10;
  p->ClrGrid = 0x408000;
  p->ClrBK = 0;
  for (int i = 0; i < 8; ++i) p->clrChnl[i] = kChannel[i];
}

float TextToReal(const std::string& whole) {
  const std::string text = whole.substr(0, 20);
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // Only a decimal number counts: it starts with a digit or a point and a digit
  // (no "inf", "nan" or hexadecimal).
  auto digit = [&](size_t k) {
    return k < text.size() && std::isdigit(static_cast<unsigned char>(text[k])) != 0;
  };
  if (!digit(i) && !(i < text.size() && text[i] == '.' && digit(i + 1))) return 0;
  double v = 0;
  auto r = std::from_chars(text.data() + i, text.data() + text.size(), v,
                           std::chars_format::general);
  if (r.ec != std::errc() || !std::isfinite(v) ||
      std::fabs(v) > std::numeric_limits<float>::max())
    return 0;
  return static_cast<float>(negative ? -v : v);
}

std::string RealToText(float v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof(buf), static_cast<double>(v), std::chars_format::fixed, 3);
  if (r.ec != std::errc()) return "0.000";
  std::string s(buf, r.ptr);
  if (s == "-0.000") s = "0.000";
  return s;
}

}  // namespace viewcfg

namespace {
const char kSection[] = "ViewDef";
const char* const kChannelKeys[8] = {"clrChnl1", "clrChnl2", "clrChnl3", "clrChnl4",
                                     "clrChnl5", "clrChnl6", "clrChnl7", "clrChnl8"};
}  // namespace

CXViewDef::CXViewDef() = default;
CXViewDef::CXViewDef(const CXViewDef&) {}
CXViewDef& CXViewDef::operator=(const CXViewDef&) { return *this; }
CXViewDef::~CXViewDef() = default;

std::string CXViewDef::GetPrivateFile() const { return platform::SettingsPath("XViewDef.ini"); }

void CXViewDef::GetView(_tagViewDef* p) {
  if (!p) return;
  _tagViewDef d;
  viewcfg::Defaults(&d);
  const std::string file = GetPrivateFile();
  auto num = [&](const char* key, int def) {
    return platform::GetPrivateProfileInt(kSection, key, def, file);
  };
  auto real = [&](const char* key, const char* def) {
    return viewcfg::TextToReal(platform::GetPrivateProfileString(kSection, key, def, file));
  };
  // Integer keys are cut to the width of their field.
  p->XMode = static_cast<uint8_t>(num("XMode", d.XMode));
  p->YMode = static_cast<uint8_t>(num("YMode", d.YMode));
  p->YLow = real("YLow", "0");
  p->YHi = real("YHi", "100");
  p->XGrids = static_cast<uint8_t>(num("XGrids", d.XGrids));
  p->YGrids = static_cast<uint8_t>(num("YGrids", d.YGrids));
  p->ClrBK = static_cast<uint32_t>(num("ClrBK", static_cast<int>(d.ClrBK)));
  // The window stores the grid colour under "ClrRGrid"; files written elsewhere
  // may hold only "ClrGrid".
  const int grid = num("ClrGrid", static_cast<int>(d.ClrGrid));
  p->ClrGrid = static_cast<uint32_t>(num("ClrRGrid", grid));
  for (int i = 0; i < 8; ++i)
    p->clrChnl[i] = static_cast<uint32_t>(num(kChannelKeys[i], static_cast<int>(d.clrChnl[i])));
}

bool CXViewDef::SetView(_tagViewDef* p) {
  if (!p) return false;
  const std::string file = GetPrivateFile();
  auto put = [&](const char* key, const std::string& value) {
    return platform::WritePrivateProfileString(kSection, key, value, file);
  };
  auto putNum = [&](const char* key, long long v) {
    return put(key, std::to_string(static_cast<int32_t>(v)));
  };
  bool ok = putNum("XMode", p->XMode) && putNum("YMode", p->YMode) &&
            put("YLow", viewcfg::RealToText(p->YLow)) && put("YHi", viewcfg::RealToText(p->YHi)) &&
            putNum("XGrids", p->XGrids) && putNum("YGrids", p->YGrids) &&
            putNum("ClrBK", p->ClrBK) && putNum("ClrRGrid", p->ClrGrid) &&
            putNum("ClrGrid", p->ClrGrid);
  for (int i = 0; ok && i < 8; ++i) ok = putNum(kChannelKeys[i], p->clrChnl[i]);
  return ok;
}
