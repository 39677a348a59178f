// A window's source as new code may write it: string ids as bare numbers beside
// numbers that only look like them. Message 61236 is the caption.
#include "views/sample.h"

#include <QString>

#include "data/cxfile.h"
#include "views/other.h"

namespace {
constexpr int kFirstYear = 2026;
constexpr int kCaption = 61236;
const int kOrigins[] = {62216, 62217, 1040, 32790};
}  // namespace

int Sample(int id, bool x, int i) {
  switch (id) {
    case 61249: return 1;
  }
  lang::Toolbar(128);
  Place(62500, 57601);
  auto s = QString("61236 %d").arg(61236);
  QString t = lang::String(128) + S(62719 + i) + lang::String(x ? 61268 : 61267);
  MsgBox(this, 61260, 61236, MsgIcon::Error);
  MsgBoxText(this, lang::Format(62751, 62001, 62002), 61236, MsgIcon::Error);
  double d = 61236.5;
  int h = 0x61236, z = 61'236;
  if (id == 61282) return 63999;
  return 61250;
}
