#include "charts/barchart.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QToolTip>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "data/cxfile.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

namespace charts {

namespace {

const QColor kRed(255, 0, 0);
const QColor kGreen(0, 255, 0);
constexpr int kSeparator = 4;

// The raised-and-sunken edge of a bar frame: an outer raised frame with a
// sunken one inside it.
void DrawBumpEdge(QPainter& p, const Rect& r) {
  const SysColors& sc = SystemColors();
  Draw3dRect(p, r, sc.light, sc.shadow);
  Draw3dRect(p, r.Deflated(1), sc.shadow, sc.light);
}

// The bar of an inactive frame control: a face-coloured strip with its edges.
void DrawSeparator(QPainter& p, const Rect& r) {
  const SysColors& sc = SystemColors();
  p.fillRect(r.ToQRect(), sc.face);
  Draw3dRect(p, r, sc.light, sc.shadow);
}

bool InAlarm(const CXFile& f, int ch, float value) {
  float low = f.GetLimit(ch, 3), high = f.GetLimit(ch, 4);
  return high > low && (value < low || value > high);
}

QString Format(const CXFile& f, int ch, double v) { return QString::fromStdString(f.FormatValue(ch, v)); }

}  // namespace

void BarGrid(int n, int& rows, int& cols) {
  rows = cols = 0;
  if (n < 1 || n > kBarsPerPage) return;
  if (n <= 4) {
    rows = 1;
    cols = n;
    return;
  }
  rows = 2;
  cols = (n + 1) / 2;
}

int BarPageCount(int n) { return n > 0 ? (n + kBarsPerPage - 1) / kBarsPerPage : 0; }

int BarsOnPage(int n, int page) {
  int pages = BarPageCount(n);
  if (page < 0 || page >= pages) return 0;
  if (page < pages - 1) return kBarsPerPage;
  int rest = n % kBarsPerPage;
  return rest == 0 ? kBarsPerPage : rest;
}

CBarChart::CBarChart(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

CBarChart::~CBarChart() = default;

void CBarChart::SetRecord(CXFile* f) {
  if (f) file = f;
}

void CBarChart::Relayout() {
  if (QWidget* parent = parentWidget()) {
    // The same margin on the right and bottom as on the left and top.
    QRect pr = parent->contentsRect();
    int w = std::max(pr.width() - 2 * x(), 1), h = std::max(pr.height() - 2 * y(), 1);
    if (w != QWidget::width() || h != QWidget::height()) resize(w, h);
  }
  width = int16_t(std::min(QWidget::width(), 32767));
  height = int16_t(std::min(QWidget::height(), 32767));
  clientRect = {0, 0, width, height};
  drawRect = clientRect;
  for (auto& b : buffers) b = std::make_unique<CBufferDC>(nullptr, clientRect);
  LayoutCells();
  DrawAll();
  RedrawValues();
}

void CBarChart::LayoutCells() {
  cells_.clear();
  int n = file ? BarsOnPage(file->GetChnlCount(), page) : 0;
  int r = 0, c = 0;
  BarGrid(n, r, c);
  rows = int16_t(r);
  cols = int16_t(c);
  if (n == 0) return;
  int cellW = (drawRect.Width() - (cols - 1) * kSeparator) / cols;
  int cellH = (drawRect.Height() - (rows - 1) * kSeparator) / rows;
  // Fonts follow the cell's width and its height, so a lone or wide cell
  // still fits its eleven scale labels along the bar.
  titleHeight_ = std::max(std::min(cellW / 12, (cellH - 26) / 13), 6);
  int th = titleHeight_;
  for (int row = 0; row < rows; ++row)
    for (int col = 0; col < cols; ++col) {
      Cell cell;
      int index = row * cols + col;
      if (index < n) cell.channel = page * kBarsPerPage + index;
      int left = drawRect.left + col * (cellW + kSeparator);
      int top = drawRect.top + row * (cellH + kSeparator);
      cell.cell = {left, top, left + cellW, top + cellH};
      // Title on top, the value box at the bottom, the bar in between with
      // its scale at its right; the rotated channel number at the left.
      int barW = std::max(cellW / 5, 8);
      int barLeft = left + cellW * 3 / 10;
      int valueH = th + 8;
      int frameTop = top + 2 + th + std::max(th / 2, 6);
      int frameBottom = std::max(top + cellH - valueH - 10 - 6, frameTop + 8);
      cell.frame = {barLeft, frameTop, barLeft + barW, frameBottom};
      cell.bar = cell.frame.Deflated(3);
      int boxTop = frameBottom + 10;
      // The value box, shrunk by 3 pixels across and 4 down.
      cell.valueBox = {barLeft - barW + 3, boxTop + 4, barLeft + 2 * barW - 3, boxTop + valueH - 4};
      int s = std::max(th, 6);
      cell.signal = {left + cellW - s - 4, top + 4, left + cellW - 4, top + 4 + s};
      cells_.push_back(cell);
    }
}

void CBarChart::DrawAll() {
  if (!buffers[1]) return;
  QImage& img = buffers[1]->Image();
  img.fill(Qt::black);
  QPainter p(&img);
  p.setPen(Qt::white);
  p.setBackgroundMode(Qt::TransparentMode);
  // Separators between rows across the width, between columns over the height.
  for (int r = 1; r < rows && !cells_.empty(); ++r) {
    int y = cells_[size_t(r * cols)].cell.top - kSeparator;
    DrawSeparator(p, {drawRect.left, y, drawRect.right, y + kSeparator});
  }
  for (int c = 1; c < cols && !cells_.empty(); ++c) {
    int x = cells_[size_t(c)].cell.left - kSeparator;
    DrawSeparator(p, {x, drawRect.top, x + kSeparator, drawRect.bottom});
  }
  int th = titleHeight_;
  QFont titleFont = CellFont("Times New Roman", th);
  QFont scaleFont = CellFont("Times New Roman", std::max(int(th * 0.8), 5));
  QFont bigFont = CellFont("Times New Roman", std::max(int(th * 2.2), 6));
  for (const Cell& c : cells_) {
    if (c.channel < 0) continue;
    int ch = c.channel;
    p.setPen(Qt::white);
    p.setFont(titleFont);
    TextAt(p, c.cell.left + 2, c.cell.top + 2,
           QString::fromStdString(file->GetChnlName(ch)) + "    " + QString::fromStdString(file->GetChnlUnit(ch)));
    DrawBumpEdge(p, c.frame);
    // Eleven ticks from the top of the bar to its bottom, labelled from the
    // high end of the range down.
    p.setPen(Qt::white);
    p.setFont(scaleFont);
    float low = file->GetRangeLow(ch), high = file->GetRangeHigh(ch);
    bool log = file->Head().channels[ch].logScale != 0;
    int tickX = c.frame.right + 2;
    int labelX = tickX + (log ? 14 : 8);
    int fh = QFontMetrics(scaleFont).height();
    for (int k = 0; k <= 10; ++k) {
      int y = c.bar.top + int(std::lround(double(c.bar.Height() - 1) * k / 10.0));
      p.drawLine(tickX, y, tickX + (k % 5 == 0 ? 6 : 3), y);
      double v = high - k * (double(high) - low) * 0.1;
      if (std::fabs(v) < 1e-9 * std::fabs(double(high) - low)) v = 0;  // no "-0.0" at the bottom
      TextAt(p, labelX, y - fh / 2, Format(*file, ch, v));
    }
    // The channel number along the left side.
    p.save();
    p.setFont(bigFont);
    p.setPen(QColor(96, 96, 96));
    p.translate(c.cell.left + 4, c.frame.bottom);
    p.rotate(-90);
    TextAt(p, 0, 0, QString::asprintf("CH%02d", ch + 1));
    p.restore();
  }
  p.end();
  if (buffers[0]) buffers[0]->Image() = img.copy();
}

void CBarChart::DrawValue(QPainter& p, const Cell& c) {
  float value = 0, percent = 0;
  if (!file->GetValue(c.channel, file->GetEndTime(), &value, &percent)) return;
  int ch = c.channel;
  p.fillRect(c.bar.ToQRect(), Qt::black);
  double pct = std::clamp(double(percent), 0.0, 100.0);
  int top = c.bar.bottom - int(c.bar.Height() * pct * 0.01);
  top = std::max(top, c.frame.top + 1);
  QColor fill = InAlarm(*file, ch, value) ? kRed : FromColorRef(file->Head().channels[ch].colour);
  if (top < c.bar.bottom) p.fillRect(QRect(c.bar.left, top, c.bar.Width(), c.bar.bottom - top), fill);
  p.fillRect(c.valueBox.ToQRect(), Qt::black);
  p.setPen(Qt::white);
  p.drawText(c.valueBox.ToQRect(), Qt::AlignCenter | Qt::TextSingleLine, Format(*file, ch, value));
  // Red above the channel's fifth limit, green otherwise.
  p.fillRect(c.signal.ToQRect(), value > file->GetLimit(ch, 5) ? kRed : kGreen);
}

void CBarChart::DrawValues() {
  if (!buffers[0] || !file) return;
  QImage& img = buffers[0]->Image();
  QPainter p(&img);
  p.setFont(CellFont("Times New Roman", titleHeight_));
  for (const Cell& c : cells_)
    if (c.channel >= 0 && c.channel < file->GetChnlCount()) DrawValue(p, c);
}

void CBarChart::RedrawValues() {
  DrawValues();
  update();
}

bool CBarChart::event(QEvent* e) {
  if (e->type() == QEvent::ToolTip) {
    const QPoint at = static_cast<QHelpEvent*>(e)->pos();
    for (const Cell& c : cells_)
      if (c.channel >= 0 && c.signal.ToQRect().adjusted(-2, -2, 2, 2).contains(at)) {
        QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), lang::String(IDS_BAR_LIMIT_TIP), this);
        return true;
      }
    QToolTip::hideText();
    e->ignore();
    return true;
  }
  return QWidget::event(e);
}

void CBarChart::paintEvent(QPaintEvent*) {
  // The whole drawing on every paint: names, units and ranges changed in the
  // record settings show at once.
  if (file && buffers[1]) {
    DrawAll();
    DrawValues();
  }
  QPainter p(this);
  if (buffers[0])
    p.drawImage(0, 0, buffers[0]->Image());
  else
    p.fillRect(rect(), Qt::black);
}

}  // namespace charts
