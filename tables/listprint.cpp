#include "tables/listprint.h"

#include <algorithm>

#include "charts/bufferdc.h"
#include "data/cxfile.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"
#include "tables/gridctrl.h"
#include "tables/listcore.h"

namespace tables {

namespace {

// A page is as wide as this many screen pixels.
constexpr int kPageScreenWidth = 700;
// Channel columns may be narrowed to this part of their width to stay on one
// page; values still fit then, only long channel names are cut.
constexpr double kLeastScale = 0.5;

}  // namespace

ListBands ListBandsOf(const CXGridCtrl& grid) {
  ListBands out;
  const CXFile* file = grid.File();
  const int n = file ? std::min(file->GetChnlCount(), 64) : 0;
  const int room = std::max(kPageScreenWidth - grid.ColumnWidth(0) - grid.ColumnWidth(1), 1);
  int total = 0;
  for (int ch = 0; ch < n; ++ch) total += std::max(grid.ColumnWidth(2 + ch), 1);
  if (n == 0) {
    out.bands.push_back({0, -1});
  } else if (total <= room || total * kLeastScale <= room) {
    out.scale = std::min(1.0, double(room) / total);
    out.bands.push_back({0, n - 1});
  } else {
    int first = 0, width = 0;
    for (int ch = 0; ch < n; ++ch) {
      const int w = std::max(grid.ColumnWidth(2 + ch), 1);
      if (ch > first && width + w > room) {
        out.bands.push_back({first, ch - 1});
        first = ch;
        width = 0;
      }
      width += w;
    }
    out.bands.push_back({first, n - 1});
    // A single column wider than the page is narrowed to it.
    for (const auto& [a, b] : out.bands)
      if (a == b) out.scale = std::min(out.scale, double(room) / std::max(grid.ColumnWidth(2 + a), 1));
  }
  return out;
}

void DrawListPage(QPainter& p, const CXGridCtrl& grid, QSize size, time_t top, int page, time_t printed,
                  const ListBands& bands, int band) {
  const CXFile* file = grid.File();
  if (!file || bands.bands.empty()) return;
  const auto [from, to] = bands.bands[std::clamp(band, 0, int(bands.bands.size()) - 1)];
  const int W = size.width(), H = size.height();
  // Screen widths scaled to the page; the channel columns of this band next
  // to the time column, narrowed as the bands say; nothing after them.
  int widths[CXGridCtrl::kColumns];
  std::fill(std::begin(widths), std::end(widths), int(CXGridCtrl::kSentinel));
  int right = 0;
  for (int i = 0; i < CXGridCtrl::kColumns; ++i) {
    const bool channel = i >= 2;
    if (channel && (i - 2 < from || i - 2 > to)) continue;
    const double w = double(grid.ColumnWidth(i)) * W / kPageScreenWidth * (channel ? bands.scale : 1.0);
    widths[i] = std::max(static_cast<int>(w), 1);
    right += widths[i];
  }
  right = std::min(right, W);
  const int g = std::max(static_cast<int>(H * 0.92 / 41), 1);
  const int fontHeight = std::max(static_cast<int>(0.6 * g), 1);

  CXGridCtrl::TableStyle s;
  s.rowHeight = g;
  s.right = right;
  s.bottom = 41 * g;
  s.inset = static_cast<int>(0.2 * g);
  s.lineWidth = 5;
  s.lineColour = Qt::black;
  s.headFont = charts::CellFont(lang::String(IDS_TABLE_FONT), fontHeight);
  s.dataFont = charts::CellFont("System", fontHeight);
  s.channelFrom = from;
  s.channelTo = to;
  p.save();
  grid.DrawTable(p, widths, top, kPageRows, s);

  // Footer and the line that closes the table on the right.
  p.setPen(QPen(Qt::black, 5));
  p.drawLine(right - 2, 0, right - 2, s.bottom);
  p.setFont(s.headFont);
  const int y = 42 * g;
  const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip;
  QString title = lang::String(ID_INDICATOR_TITLE) + QString::fromStdString(file->GetTitle());
  if (bands.bands.size() > 1)
    title += "   " + lang::Format(IDS_PRINT_CHANNELS_OF, from + 1, to + 1, std::min(file->GetChnlCount(), 64));
  p.drawText(QRect(g, y, W / 2 - g, g), flags, title);
  p.drawText(QRect(W / 2, y, W / 2 - 600, g), flags,
             lang::String(IDS_PRINTED_LABEL) + QString::fromStdString(FormatTime(printed)));
  p.drawText(QRect(W - 600, y, 600, g), flags, lang::Format(IDS_PAGE_N, page));
  p.restore();
}

}  // namespace tables
