// A window's source as new code may write it: string ids as bare numbers beside
// numbers that only look like them. Message IDS_CAPTION is the caption.
#include "views/sample.h"

#include <QString>

#include "data/cxfile.h"
#include "platform/ui/stringids.h"
#include "views/other.h"

namespace {
constexpr int kFirstYear = 2026;
constexpr int kCaption = IDS_CAPTION;
const int kOrigins[] = {IDS_FIND_FROM_START, IDS_FIND_FROM_END, 1040, 32790};
}  // namespace

int Sample(int id, bool x, int i) {
  switch (id) {
    case IDS_START_AFTER_END: return 1;
  }
  lang::Toolbar(128);
  Place(62500, 57601);
  auto s = QString("61236 %d").arg(61236);
  QString t = lang::String(IDS_APP_TITLE) + S(IDS_RS_TIME_OF_DAY + i) + lang::String(x ? IDS_AXIS_VALUES : IDS_AXIS_PERCENT);
  MsgBox(this, IDS_HEADER_WRITE_FAILED, IDS_CAPTION, MsgIcon::Error);
  MsgBoxText(this, lang::Format(IDS_RS_ENTER_WHOLE, 62001, 62002), IDS_CAPTION, MsgIcon::Error);
  double d = 61236.5;
  int h = 0x61236, z = 61'236;
  if (id == IDS_NOT_FOUND) return 63999;
  return IDS_START_BEFORE_FILE;
}
