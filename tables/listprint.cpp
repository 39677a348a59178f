#include "tables/listprint.h"

#include "charts/bufferdc.h"
#include "data/cxfile.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"
#include "tables/gridctrl.h"
#include "tables/listcore.h"

namespace tables {

void DrawListPage(QPainter& p, const CXGridCtrl& grid, QSize size, time_t top, int page, time_t printed) {
  const CXFile* file = grid.File();
  if (!file) return;
  const int W = size.width(), H = size.height();
  // Screen widths scaled to the page; a page is as wide as 700 screen pixels.
  int widths[CXGridCtrl::kColumns];
  for (int i = 0; i < CXGridCtrl::kColumns; ++i) {
    const int w = grid.ColumnWidth(i);
    widths[i] = w >= CXGridCtrl::kSentinel ? w : static_cast<int>(static_cast<long long>(w) * W / 700);
  }
  const int g = std::max(static_cast<int>(H * 0.92 / 41), 1);
  const int fontHeight = std::max(static_cast<int>(0.6 * g), 1);

  CXGridCtrl::TableStyle s;
  s.rowHeight = g;
  s.right = W;
  s.bottom = 41 * g;
  s.inset = static_cast<int>(0.2 * g);
  s.lineWidth = 5;
  s.lineColour = Qt::black;
  s.headFont = charts::CellFont(lang::String(IDS_TABLE_FONT), fontHeight);
  s.dataFont = charts::CellFont("System", fontHeight);
  p.save();
  grid.DrawTable(p, widths, top, kPageRows, s);

  // Footer and the line that closes the table on the right.
  p.setPen(QPen(Qt::black, 5));
  p.drawLine(W - 2, 0, W - 2, s.bottom);
  p.setFont(s.headFont);
  const int y = 42 * g;
  const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;
  p.drawText(QRect(g, y, W / 2 - g, g), flags,
             lang::String(ID_INDICATOR_TITLE) + QString::fromStdString(file->GetTitle()));
  p.drawText(QRect(W / 2, y, W / 2 - 600, g), flags,
             lang::String(IDS_PRINTED_LABEL) + QString::fromStdString(FormatTime(printed)));
  p.drawText(QRect(W - 600, y, 600, g), flags, lang::Format(IDS_PAGE_N, page));
  p.restore();
}

}  // namespace tables
