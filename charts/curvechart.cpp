#include "charts/curvechart.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <vector>
#include <cstdio>
#include <cstring>

#include "charts/chartdata.h"
#include "charts/readabletext.h"
#include "charts/timescroller.h"
#include "data/cxfile.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

namespace charts {

namespace {

time_t LocalTime(int y, int mo, int d) {
  struct tm tm = {};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

// The inverse of the background: the colour of cursor, marks and reference lines.
QColor InverseOf(uint32_t clrBack) { return FromColorRef(0xFFFFFFu - (clrBack & 0xFFFFFFu)); }

// A one-pixel vertical line from row y0 up to (not including) y1, mixed as
// "pen OR NOT destination" (the same as QPainter's
// RasterOp_SourceOrNotDestination; written out because the cursor line is
// drawn at every mouse move).
void MergePenNotColumn(QImage& img, int x, int y0, int y1, const QColor& pen) {
  if (x < 0 || x >= img.width()) return;
  const QRgb ink = pen.rgb();
  y0 = std::max(y0, 0);
  y1 = std::min(y1, img.height());
  uchar* bits = img.bits();
  const qsizetype bpl = img.bytesPerLine();
  for (int y = y0; y < y1; ++y) {
    QRgb& px = reinterpret_cast<QRgb*>(bits + y * bpl)[x];
    px = (ink | ~px) | 0xFF000000u;
  }
}

}  // namespace

CCurveChart::CCurveChart(QWidget* parent)
    : QWidget(parent),
      axisCursor(lang::Cursor(137)),
      rangeStart(LocalTime(1998, 3, 24)),
      rangeEnd(LocalTime(1998, 4, 15)) {
  setMouseTracking(true);
  setFocusPolicy(Qt::ClickFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  Layout();
}

CCurveChart::~CCurveChart() = default;

// ---------------------------------------------------------------- set-up

void CCurveChart::SetRecord(CXFile* f) {
  file = f;
  InvalidateSamples();
  if (file) {
    chnlCount = file->GetChnlCount();
    interval = file->GetInterval();
  }
}

void CCurveChart::ApplyRecordSettings() {
  if (!file) return;
  InvalidateSamples();  // ranges may have changed
  const _tagDataHead& h = file->Head();
  SetTimeRange(file->GetStartTime(), file->GetEndTime());
  SetShowDate(h.xMode);
  SetXGrids(h.xGrids);
  SetYRange(h.yLow, h.yHigh);
  SetValueMode(h.yMode);
  SetYGrids(h.yGrids);
  SetGridShown(h.gridShown);
}

void CCurveChart::SetTimeRange(time_t start, time_t end) {
  if (end < start) return;
  rangeStart = start;
  rangeEnd = end;
}

void CCurveChart::SetYRange(float low, float high) {
  yLow = low;
  yHigh = high;
  refValue = high;
}

void CCurveChart::SetXGrids(int n) {
  // A recording without grid settings still gets a usable axis.
  xGrids = n > 0 ? n : 10;
  xPitch = plotWidth / xGrids;
}

void CCurveChart::SetYGrids(int n) {
  yGrids = n > 0 ? n : 10;
  refOffset = 0;
  int grids = file ? int(int16_t(file->Head().yGrids)) : n;
  if (grids > 0) zoom = 1.0f / float(grids);
}

void CCurveChart::SetPrintParams(time_t start, time_t end, int pages) {
  printStart = start;
  printEnd = end;
  printPages = pages;
}

CurvePrintState CCurveChart::PrintState() const {
  CurvePrintState s;
  s.file = file;
  s.window = CurveWindow{windowStart, windowEnd, rangeEnd, interval,
                         float(windowFraction + windowOffset) >= 0.9999f};
  s.valueMode = valueMode;
  s.gridShown = gridShown;
  s.showDate = showDate;
  s.xGrids = xGrids;
  s.yGrids = yGrids;
  s.yHigh = yHigh;
  s.yLow = yLow;
  s.refValue = refValue;
  s.refOffset = refOffset;
  s.divPixels = std::max(divPixels, 1);
  s.screenHeight = std::max(plotHeight, 1);
  s.viewTop = viewTop;
  s.viewBottom = viewBottom;
  return s;
}

void CCurveChart::PrintWindow(QPainter& p, int left, int top, int right, int bottom, int page) {
  PrintCurveWindow(p, PrintState(), left, top, right, bottom, page, time(nullptr));
}

void CCurveChart::PrintPage(QPainter& p, int left, int top, int right, int bottom, int page) {
  // The window of the page lasts for this call only: the screen keeps its own.
  PrintCurvePage(p, PrintState(), printStart, left, top, right, bottom, page, time(nullptr));
}

// ---------------------------------------------------------------- queries

time_t CCurveChart::GetCursorTime() const {
  if (selecting || cursorTime < rangeStart) return 0;
  return cursorTime;
}

void CCurveChart::GetWindow(time_t& start, time_t& end) const {
  start = windowStart;
  end = windowEnd;
}

void CCurveChart::GetSelection(time_t& start, time_t& end) const {
  start = selStart;
  end = selEnd;
}

void CCurveChart::SetSelecting(int on) {
  selecting = on;
  Relayout();
}

// ---------------------------------------------------------------- geometry

void CCurveChart::Relayout() {
  Layout();
  RedrawAll();
}

void CCurveChart::Layout() {
  // 1. Fill the parent below and right of the own corner.
  if (QWidget* p = parentWidget()) {
    int w = p->width() - x() - 2 - (sidePanel ? 150 : 0);
    int h = p->height() - y() - 2 - bottomReserve;
    w = std::max(w, 1);
    h = std::max(h, 1);
    if (w != width() || h != height()) {
      inLayout_ = true;
      resize(w, h);
      inLayout_ = false;
    }
    show();
  }
  LayoutRects();
}

void CCurveChart::LayoutRects() {
  // 2. The rectangles.
  Rect r{0, 0, width(), height()};
  clientRect = r;
  plotRect = Rect{r.left + axisWidth, r.top + topMargin, r.right, r.bottom - timeAxisHeight}.Deflated(1);
  axisRect = Rect{r.left, topMargin, axisWidth, r.bottom - timeAxisHeight}.Deflated(1);
  timeRect = Rect{r.left + axisWidth, axisRect.bottom + topMargin + r.top - axisRect.top + 1, r.right,
                  r.bottom}.Deflated(1);
  markerRect = Rect{axisRect.right, r.top, r.right, plotRect.top}.Deflated(1);
  // 3. Fresh layers.
  readoutRect = Rect{};
  backBuffer = std::make_unique<CBufferDC>(nullptr, clientRect);
  markerLayer = std::make_unique<CBufferDC>(&backBuffer->Image(), markerRect);
  frameLayer = std::make_unique<CBufferDC>(&backBuffer->Image(), clientRect);
  // 4.
  saved_.clear();
  drawn_ = {};
  plotWidth = timeRect.Width();
  xPitch = xGrids > 0 ? plotWidth / xGrids : 0;
  // 5.
  ComputeWindow();
  ComputeValueScale();
}

void CCurveChart::ComputeWindow() {
  const int64_t iv = interval > 0 ? interval : 1;
  const int64_t n = int64_t(rangeEnd - rangeStart) + 1;
  if (windowFraction + windowOffset >= 1.0f) {
    windowEnd = rangeEnd;
    windowStart = rangeEnd - iv * (int64_t(double(n) * windowFraction) / iv);
  } else {
    windowStart = rangeStart + iv * (int64_t(double(n) * windowOffset) / iv);
    windowEnd = rangeStart + iv * (int64_t(double(n) * (double(windowFraction) + windowOffset)) / iv);
  }
  if (windowStart < rangeStart) windowStart = rangeStart;
  if (windowEnd > rangeEnd) windowEnd = rangeEnd;
  // A window never runs backwards.
  if (windowEnd < windowStart) windowEnd = windowStart;
}

time_t CCurveChart::TimeAtColumn(int col, int w) const {
  CurveWindow win{windowStart, windowEnd, rangeEnd, interval,
                  float(windowFraction + windowOffset) >= 0.9999f};
  return win.TimeAtColumn(col, w);
}

int CCurveChart::ColumnOfTime(time_t t, int w) const {
  t = std::clamp(t, rangeStart, rangeEnd);
  double d = double(windowEnd - windowStart);
  int col = d > 0 ? int(std::trunc(double(t - windowStart) * w / d + 0.5)) : 0;
  return std::clamp(col, 0, std::max(w - 1, 0));
}

void CCurveChart::ComputeValueScale() {
  plotHeight = axisRect.Height();
  divPixels = std::max(int(std::trunc(plotHeight * double(zoom) + 0.5)), 1);
  double perPixel = (double(yHigh) - yLow) / std::max(yGrids, 1) / divPixels;
  viewTop = float(refValue - perPixel * std::abs(refOffset));
  viewBottom = float(refValue - perPixel * (std::abs(refOffset) + plotHeight));
}

namespace {

// The plot row of a value with viewTop at the top edge and viewBottom at the
// bottom edge of a plot `height` rows high.
inline int RowIn(double v, double viewTop, double viewBottom, int height) {
  const double span = viewTop - viewBottom;
  if (span == 0) return v > viewTop ? -1 : (v < viewTop ? height : height / 2);
  const double h = height;
  const double y = h - h * (v - viewBottom) / span;
  // Within reach of an int, so a far-off value becomes a row far outside the plot.
  if (!(y > -1.0e6)) return -1000000;
  if (y > 1.0e6) return 1000000;
  return int(y);
}

}  // namespace

int CCurveChart::RowOfValue(double v) const { return RowIn(v, viewTop, viewBottom, plotHeight); }

// ---------------------------------------------------------------- drawing

void CCurveChart::RedrawAll() {
  DrawFrame();
  DrawTimeAxis();
  DrawValueAxis();
  DrawPlotAndOverlay();
}

// The plot, then the selection band or the cursor over it, on screen.
void CCurveChart::DrawPlotAndOverlay() {
  DrawPlot(0);
  if (selecting)
    DrawSelection(0, 0);
  else
    DrawCursor();
  Present();
}

void CCurveChart::OnNewData() {
  InvalidateSamples();
  ComputeWindow();
  DrawTimeAxis();
  DrawPlotAndOverlay();
}

void CCurveChart::Present() {
  if (inPaint_) return;
  presentPending_ = true;
  update();
}

void CCurveChart::PresentScrolled() {
  // A drawing not yet on screen: all of it goes.
  if (inPaint_ || presentPending_ || !isVisible()) {
    Present();
    return;
  }
  presentPending_ = true;
  const int k = scrolled_.columns;
  scroll(-k, 0, plotRect.ToQRect());
  QRegion changed(timeRect.ToQRect());
  changed += markerRect.ToQRect();
  for (const auto& [a, b] : scrolled_.bands)
    changed += QRect(plotRect.left + a, plotRect.top, b - a, plotRect.Height());
  for (const Rect& r : scrolled_.overlays) {
    changed += r.ToQRect();
    changed += r.ToQRect().translated(-k, 0);
  }
  for (const Saved& s : saved_) changed += s.rect.ToQRect();
  update(changed);
}

void CCurveChart::DrawFrame() {
  if (!frameLayer) return;
  const SysColors& sc = SystemColors();
  QImage& img = frameLayer->Image();
  QPainter p(&img);
  // Face around the plot; under the plot the frame is never shown (the plot
  // layer covers it), so its pixels are left as they are.
  {
    const QRect all = clientRect.ToQRect(), hole = plotRect.ToQRect() & all;
    if (hole.isEmpty()) {
      p.fillRect(all, sc.face);
    } else {
      p.fillRect(QRect(all.left(), all.top(), all.width(), hole.top() - all.top()), sc.face);
      p.fillRect(QRect(all.left(), hole.bottom() + 1, all.width(), all.bottom() - hole.bottom()), sc.face);
      p.fillRect(QRect(all.left(), hole.top(), hole.left() - all.left(), hole.height()), sc.face);
      p.fillRect(QRect(hole.right() + 1, hole.top(), all.right() - hole.right(), hole.height()), sc.face);
    }
  }
  Rect r = clientRect;
  r.bottom -= timeAxisHeight;
  Draw3dRect(p, r, sc.shadow, sc.light);
  r = clientRect;
  r.left += axisWidth;
  r.top += topMargin;
  Draw3dRect(p, r, sc.shadow, sc.light);
  // The caption in its corner; a caption wider than the corner (Chinese
  // captions are) is set smaller until it fits.
  const QString caption = lang::String(valueMode ? IDS_AXIS_VALUES : IDS_AXIS_PERCENT);
  QRect cap(axisRect.left, timeRect.top, axisRect.Width(), timeRect.Height());
  QFont font = CellFont(lang::String(IDS_TABLE_FONT), 12);
  for (int px = font.pixelSize(); px > 7 && QFontMetrics(font).horizontalAdvance(caption) > cap.width();)
    font.setPixelSize(--px);
  p.setFont(font);
  p.setPen(sc.shadow);
  p.drawText(cap, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, caption);
}

void CCurveChart::DrawValueAxis() {
  if (!frameLayer) return;
  CBufferDC dc(&frameLayer->Image(), axisRect);
  QPainter p(&dc.Image());
  p.setPen(SystemColors().shadow);
  p.setFont(CellFont("Times New Roman", 14));
  const int width = axisRect.Width();
  const int height = axisRect.Height();
  const int labelHeight = std::min(QFontMetrics(p.font()).height(), std::max(height, 1));
  const int grids = std::max(yGrids, 1);
  const double step = (double(yHigh) - yLow) / grids;
  const int div = std::max(divPixels, 1);
  const int k = div >= 12 ? 1 : (12 + div - 1) / div;
  for (int j = -1;; ++j) {
    double value = double(refValue) - j * step;
    int y = refOffset + j * div;
    if (y > plotHeight + 2 * div) break;
    bool labelled = true;
    if (step != 0) {
      double q = (value - yLow) / step;
      // Values built by repeated steps land a hair below a whole line number.
      int64_t line = int64_t(std::trunc(q + (q >= 0 ? 1e-6 : -1e-6)));
      labelled = line % k == 0;
    }
    p.setPen(SystemColors().shadow);
    p.drawLine(labelled ? width - 6 : width - 4, y, 49, y);
    // A line that rounding put a few pixels past the axis keeps its label,
    // pulled inside: the lowest value of the scale stays readable.
    if (labelled && y >= -labelHeight / 2 && y <= height + labelHeight / 2) {
      char text[64];
      std::snprintf(text, sizeof text, "%.2f", value);
      p.setPen(Qt::black);
      // Centred on its line, moved inward where it would leave the axis.
      const int top = std::clamp(y - labelHeight / 2, 0, std::max(height - labelHeight, 0));
      p.drawText(QRect(0, top, width - 6, labelHeight), Qt::AlignCenter | Qt::TextSingleLine, text);
    }
  }
  p.end();
  dc.Present();
}

void CCurveChart::DrawTimeAxis() {
  if (!frameLayer) return;
  CBufferDC dc(&frameLayer->Image(), timeRect);
  QPainter p(&dc.Image());
  p.setPen(SystemColors().shadow);
  p.setFont(CellFont("Times New Roman", 14));
  const int least = showDate ? 100 : 50;
  const int grids = std::max(xGrids, 1);
  const double pitch = double(plotWidth) / grids;
  const QFontMetrics metrics(p.font());
  struct Label {
    QRect box;
    QString text;
  };
  std::vector<Label> labels;
  int last = 0;
  for (int i = 1; i <= grids; ++i) {
    int x = int(std::trunc(i * pitch));
    p.setPen(SystemColors().shadow);
    p.drawLine(x, 0, x, 3);
    if ((i - last) * pitch > least) {
      p.drawLine(x, 0, x, 5);
      time_t t = TimeAtColumn(x, plotWidth);
      struct tm tm = {};
      localtime_r(&t, &tm);
      char text[64];
      if (showDate)
        std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900,
                      tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
      else
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
      // Centred under its tick, moved inward where it would leave the axis.
      const int tw = metrics.horizontalAdvance(QString::fromLatin1(text)) + 2;
      const int left = std::clamp(x - tw / 2, 0, std::max(timeRect.Width() - tw, 0));
      labels.push_back({QRect(left, 4, tw, timeRect.Height() - 4), QString::fromLatin1(text)});
      last = i;
    }
  }
  // A label that would run into the one before it is left out; the last one,
  // the end of the window, stays and the ones before it give way.
  std::vector<Label> shown;
  const int gap = metrics.horizontalAdvance(QLatin1Char(' '));
  for (size_t i = 0; i < labels.size(); ++i) {
    const bool end = i + 1 == labels.size();
    bool fits = true;
    while (!shown.empty() && shown.back().box.right() + gap >= labels[i].box.left()) {
      if (!end) {
        fits = false;
        break;
      }
      shown.pop_back();
    }
    if (fits) shown.push_back(labels[i]);
  }
  p.setPen(Qt::black);
  for (const Label& l : shown) p.drawText(l.box, Qt::AlignCenter | Qt::TextSingleLine, l.text);
  p.end();
  dc.Present();
}

void CCurveChart::DrawPlot(int /*flag*/) {
  if (!backBuffer) return;
  // The plot is drawn where it is shown, over whatever covered it.
  saved_.clear();
  if (file) {
    const _tagDataHead& h = file->Head();
    QImage img = PlotView();
    img.fill(FromColorRef(h.clrBack));
    QPainter p(&img);
    const int n = std::min(chnlCount, kMaxChannels);
    LoadSamples(n);
    DrawGridAndCurves(img, p, 0, plotWidth + 1);
    // Marks and reference lines, in the inverse of the background.
    const QColor ink = InverseOf(h.clrBack);
    p.setFont(CellFont(lang::String(IDS_TABLE_FONT), 14));
    // Labels stay whole inside the plot: a label that would leave it is moved
    // inward, one that would overlap a label already drawn is left out (its
    // mark line still shows).
    const QFontMetrics fm(p.font());
    LabelSpots labels(QRect(0, 0, plotWidth, plotHeight));
    auto label = [&](int x, int y, const QString& text) {
      QRect r(x, y, fm.horizontalAdvance(text) + 1, fm.height());
      if (labels.Place(r)) TextAt(p, r.left(), r.top(), text);
    };
    const int marks = file->GetMarkCount();
    for (int i = 0; i < marks; ++i) {
      time_t t = file->GetMark(i);
      if (t < windowStart || t > windowEnd) continue;
      int x = ColumnOfTime(t, plotWidth);
      MergePenNotColumn(img, x, 0, plotHeight, ink);
      p.setPen(ink);
      label(x + 2, 2, QString::fromStdString(FormatTime(t)));
      for (int ch = 0; ch < n; ++ch) {
        if (!h.channels[ch].shown) continue;
        float value = 0, percent = 0;
        if (!file->GetValue(ch, t, &value, &percent)) continue;
        int y = RowOfValue(valueMode ? value : percent);
        int row = y + 2 > plotHeight - 20 ? y - 18 : y + 2;
        label(x + 2, row, QString::fromStdString(file->FormatValue(ch, value)) + QString::fromStdString(file->GetChnlUnit(ch)));
      }
    }
    for (int k = 1; k <= 2; ++k) {
      if (!(k == 1 ? h.refShown1 : h.refShown2)) continue;
      const float r = k == 1 ? h.refValue1 : h.refValue2;
      double drawn = r;
      if (!valueMode) {
        double lo = file->GetRangeLow(0), hi = file->GetRangeHigh(0);
        drawn = hi != lo ? (r - lo) / (hi - lo) * 100.0 : 0.0;
      }
      int y = RowOfValue(drawn);
      QPen dotted(ink, 1);
      dotted.setDashPattern({3, 3});
      dotted.setCapStyle(Qt::FlatCap);
      p.setCompositionMode(QPainter::RasterOp_SourceOrNotDestination);
      p.setPen(dotted);
      p.drawLine(0, y, plotWidth - 1, y);
      p.setCompositionMode(QPainter::CompositionMode_SourceOver);
      p.setPen(ink);
      char text[64];
      std::snprintf(text, sizeof text, "%.2f", double(r));
      QString label = QString::fromStdString(GbkField(k == 1 ? h.refLabel1 : h.refLabel2)) + text;
      TextAt(p, 2, y + 2 > plotHeight - 20 ? y - 18 : y + 2, label);
    }
  }
  // The plot covers its own rectangle of the frame.
  frameLayer->PresentAround(plotRect);
  drawn_ = file ? DrawnPlotNow() : DrawnPlot{};
}

void CCurveChart::DrawGridAndCurves(QImage& img, QPainter& p, int a, int b) {
  const _tagDataHead& h = file->Head();
  const int cols = int(columnTimes_.size());
  const bool whole = a <= 0 && b >= cols;
  if (!whole) p.setClipRect(QRect(a, 0, b - a, plotHeight));
  const int div = std::max(divPixels, 1);
  // Grid.
  if (gridShown) {
    p.setPen(QPen(FromColorRef(h.clrGrid), 1));
    for (int m = -1;; ++m) {
      int y = refOffset + m * div;
      if (y > plotHeight + 2 * div) break;
      p.drawLine(whole ? 0 : a, y, whole ? plotWidth - 1 : b - 1, y);
    }
    const int grids = std::max(xGrids, 1);
    for (int i = 1; i <= grids; ++i) {
      int x = i * plotWidth / grids;
      if (x >= a && x < b) p.drawLine(x, 0, x, plotHeight - 1);
    }
  }
  // Curves: one point per column; a column without a sample is bridged. A
  // band of columns (drawn only where each curve's good columns follow one
  // another without a gap) takes the points from the column before it to the
  // column after it.
  const int n = std::min(chnlCount, kMaxChannels);
  for (int ch = 0; ch < n; ++ch) {
    const _tagChnlDef& def = h.channels[ch];
    if (!def.shown) continue;
    const float* drawn = (valueMode ? sampleValue_.data() : samplePercent_.data()) + size_t(ch) * cols;
    const uint8_t* ok = sampleOk_.data() + size_t(ch) * cols;
    int from = 0, to = cols;
    if (!whole) {
      from = std::clamp(a - 1, 0, cols);
      to = std::clamp(b + 1, from, cols);
    }
    // The rows of the run first, in a plain loop the compiler vectorises
    // (RowIn without its branch for an empty span): the division is most of
    // the cost of a point.
    rows_.resize(size_t(std::max(to - from, 0)));
    int* const row = rows_.data() - from;
    if (viewTop != viewBottom) {
      const double top = viewTop, bottom = viewBottom, h = plotHeight, span = top - bottom;
      for (int i = from; i < to; ++i) {
        const double y = h - h * (double(drawn[i]) - bottom) / span;
        row[i] = !(y > -1.0e6) ? -1000000 : (y > 1.0e6 ? 1000000 : int(y));
      }
    } else {
      for (int i = from; i < to; ++i) row[i] = RowOfValue(drawn[i]);
    }
    points_.clear();
    for (int i = from; i < to; ++i)
      if (ok[i]) points_.emplace_back(i, row[i]);
    if (points_.empty()) continue;
    if (def.penWidth <= 1) {
      Polyline1(img, points_, FromColorRef(def.colour).rgb(), whole ? 0 : a, whole ? (1 << 30) : b);
      continue;
    }
    p.setPen(QPen(FromColorRef(def.colour), std::max<int>(def.penWidth, 1), Qt::SolidLine,
                  Qt::FlatCap, Qt::MiterJoin));
    if (points_.size() == 1)
      p.drawPoint(points_[0]);
    else
      p.drawPolyline(points_.data(), int(points_.size()));
  }
  if (!whole) p.setClipping(false);
}

CCurveChart::DrawnPlot CCurveChart::DrawnPlotNow() const {
  DrawnPlot d;
  const _tagDataHead& h = file->Head();
  d.file = file;
  d.width = plotWidth;
  d.height = plotHeight;
  d.refOffset = refOffset;
  d.divPixels = divPixels;
  d.viewTop = viewTop;
  d.viewBottom = viewBottom;
  d.valueMode = valueMode;
  d.gridShown = gridShown;
  d.xGrids = xGrids;
  d.interval = interval;
  d.channels = chnlCount;
  d.atEnd = float(windowFraction + windowOffset) >= 0.9999f;
  d.clrBack = h.clrBack;
  d.clrGrid = h.clrGrid;
  // Shown flags, colours and pens of every channel, folded into one number.
  uint64_t fold = 1469598103934665603ull;
  for (int ch = 0; ch < std::min(chnlCount, kMaxChannels); ++ch) {
    const _tagChnlDef& c = h.channels[ch];
    for (uint64_t v : {uint64_t(c.shown), uint64_t(c.colour), uint64_t(c.penWidth)})
      fold = (fold ^ v) * 1099511628211ull;
  }
  d.channelFold = fold;
  d.refShown = h.refShown1 || h.refShown2;
  d.windowStart = windowStart;
  d.windowEnd = windowEnd;
  d.valid = true;
  return d;
}

bool CCurveChart::ScrollPlot() {
  scrolled_.columns = 0;
  if (!file || !backBuffer || !drawn_.valid || plotWidth < 8) return false;
  const DrawnPlot now = DrawnPlotNow();
  // Everything but the window as drawn, and the window moved on by whole
  // records at one record per column.
  DrawnPlot same = now;
  same.windowStart = drawn_.windowStart;
  same.windowEnd = drawn_.windowEnd;
  if (!(same == drawn_) || now.refShown || !now.atEnd) return false;
  const int64_t iv = interval > 0 ? interval : 1;
  const int64_t span = int64_t(now.windowEnd - now.windowStart);
  if (span != int64_t(plotWidth) * iv || int64_t(drawn_.windowEnd - drawn_.windowStart) != span)
    return false;
  const int64_t moved = int64_t(now.windowStart - drawn_.windowStart);
  if (moved <= 0 || moved % iv != 0 || moved / iv > plotWidth / 2) return false;
  const int k = int(moved / iv);
  const _tagDataHead& h = file->Head();
  // Wide pens reach into the neighbouring columns; marks carry labels.
  const int n = std::min(chnlCount, kMaxChannels);
  for (int ch = 0; ch < n; ++ch)
    if (h.channels[ch].shown && h.channels[ch].penWidth > 1) return false;
  for (int i = 0, marks = file->GetMarkCount(); i < marks; ++i) {
    const time_t t = file->GetMark(i);
    if (t >= drawn_.windowStart && t <= now.windowEnd) return false;
  }
  const int w = plotWidth;
  // Column c of the new window shows the record of column c + k of the old
  // one while c + k stays clear of the last two columns (both show the
  // window's end); a column's pixels come from the segments to its two
  // neighbours.
  const int keep = w - 2 - k;  // columns 1 .. keep - 1 are moved, not drawn
  if (keep < 2) return false;
  LoadSamples(n);
  // A gap inside the curves would be bridged across the moved columns.
  const int cols = int(columnTimes_.size());
  for (int ch = 0; ch < n; ++ch) {
    if (!h.channels[ch].shown) continue;
    const uint8_t* ok = sampleOk_.data() + size_t(ch) * cols;
    const uint8_t* first = std::find(ok, ok + cols, uint8_t(1));
    if (std::find(first, ok + cols, uint8_t(0)) != ok + cols) return false;
  }

  // What the cursor, the read-out or the band covered goes first.
  std::vector<Rect> overlays;
  for (const Saved& s : saved_) overlays.push_back(s.rect);
  RestorePlot();
  QImage img = PlotView();
  QImage& back = backBuffer->Image();
  const int rows = img.height();
  const size_t moveBytes = size_t(w - k) * 4;
  // Each row of the plot moved (the columns drawn anew follow below).
  uchar* const plotBits = img.bits();
  const qsizetype plotStride = img.bytesPerLine();
  for (int y = 0; y < rows; ++y) {
    uchar* line = plotBits + y * plotStride;
    std::memmove(line, line + size_t(k) * 4, moveBytes);
  }
  // The columns drawn anew: the first (no neighbour on its left any more),
  // the newest ones and the grid lines, where they were and where they are.
  std::vector<std::pair<int, int>> bands = {{0, 1}, {keep, w}};
  const int grids = std::max(xGrids, 1);
  for (int i = 1; i <= grids; ++i) {
    const int x = i * w / grids;
    if (x - k > 0 && x - k < keep) bands.emplace_back(x - k, x - k + 1);
    if (x > 0 && x < keep) bands.emplace_back(x, x + 1);
  }
  {
    QPainter p(&img);
    const QColor backColour = FromColorRef(h.clrBack);
    for (const auto& [a, b] : bands) {
      p.fillRect(QRect(a, 0, b - a, rows), backColour);
      DrawGridAndCurves(img, p, a, b);
    }
  }
  // The time axis, the only part of the frame that changes.
  {
    const QImage& frame = frameLayer->Image();
    const size_t bytes = size_t(timeRect.Width()) * 4;
    for (int y = timeRect.top; y < timeRect.bottom; ++y)
      std::memcpy(back.scanLine(y) + size_t(timeRect.left) * 4,
                  frame.constScanLine(y) + size_t(timeRect.left) * 4, bytes);
  }
  drawn_ = now;
  scrolled_ = {k, std::move(bands), std::move(overlays)};
  return true;
}

QImage CCurveChart::PlotView() {
  QImage& back = backBuffer->Image();
  const Rect r{std::max(plotRect.left, 0), std::max(plotRect.top, 0), std::min(plotRect.right, back.width()),
               std::min(plotRect.bottom, back.height())};
  // A plot too small to hold a pixel is drawn nowhere.
  if (r.IsEmpty()) return QImage(1, 1, QImage::Format_RGB32);
  // bits() first: the buffer is the chart's own (a copy taken of it is left
  // as it is), and the view lies in it.
  uchar* bits = back.bits();
  return QImage(bits + qsizetype(r.top) * back.bytesPerLine() + qsizetype(r.left) * 4, r.Width(), r.Height(),
                back.bytesPerLine(), QImage::Format_RGB32);
}

void CCurveChart::RestorePlot() {
  // The pixels the cursor, the read-out or the band covered, put back in the
  // reverse order of their covering.
  QImage& dst = backBuffer->Image();
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
    CopyImage(dst, it->pixels, QPoint(it->rect.left, it->rect.top));
  saved_.clear();
}

void CCurveChart::SaveUnder(Rect r) {
  // Only the plot is given back: what a read-out wider than the plot covers
  // of the frame stays covered until the frame is drawn again.
  r.left = std::max(r.left, plotRect.left);
  r.top = std::max(r.top, plotRect.top);
  r.right = std::min(r.right, plotRect.right);
  r.bottom = std::min(r.bottom, plotRect.bottom);
  if (r.IsEmpty() || !backBuffer) return;
  saved_.push_back({r, backBuffer->Image().copy(r.ToQRect())});
}

void CCurveChart::InvalidateSamples() {
  sampleKey_ = {};
  drawn_ = {};
}

void CCurveChart::LoadSamples(int channels) {
  // The column times of this drawing.
  columnTimes_.resize(size_t(std::max(plotWidth + 1, 0)));
  for (int i = 0; i <= plotWidth; ++i) columnTimes_[size_t(i)] = TimeAtColumn(i, plotWidth);
  // The samples behind them are read again only when the columns, the
  // recording or its length changed: panning, scaling, cursor and plain
  // redraws reuse them.
  SampleKey key{file, channels, file->GetRecordCount(), file->GetStartTime(), file->GetEndTime(), true};
  if (key == sampleKey_ && columnTimes_ == sampleTimes_) return;
  const size_t cols = columnTimes_.size();
  // A recording that only grew (a live recording) keeps what it held: a
  // column whose time the last reading covered takes the sample read then,
  // so following the newest records reads only the new columns.
  const bool grown = sampleKey_.valid && sampleKey_.file == key.file &&
                     sampleKey_.channels == channels && sampleKey_.start == key.start &&
                     key.records >= sampleKey_.records && key.end >= sampleKey_.end;
  const size_t oldCols = sampleTimes_.size();
  std::vector<int> from(cols, -1);
  if (grown) {
    size_t j = 0;
    for (size_t i = 0; i < cols; ++i) {
      const time_t t = columnTimes_[i];
      if (t > sampleKey_.end) continue;
      while (j < oldCols && sampleTimes_[j] < t) ++j;
      if (j < oldCols && sampleTimes_[j] == t) from[i] = int(j);
    }
  }
  // The same columns moved on (a following live chart): in place, each
  // sample taken from a column at or after its own.
  bool inPlace = grown && oldCols == cols && sampleValue_.size() == size_t(channels) * cols;
  for (size_t i = 0; inPlace && i < cols; ++i) inPlace = from[i] < 0 || size_t(from[i]) >= i;
  if (inPlace) {
    // Runs of columns taken from consecutive old columns move as blocks.
    struct Run {
      size_t to, from, n;
    };
    std::vector<Run> runs;
    for (size_t i = 0; i < cols;) {
      if (from[i] < 0) {
        ++i;
        continue;
      }
      size_t j = i + 1;
      while (j < cols && from[j] == from[i] + int(j - i)) ++j;
      runs.push_back({i, size_t(from[i]), j - i});
      i = j;
    }
    for (int ch = 0; ch < channels; ++ch) {
      const size_t base = size_t(ch) * cols;
      for (const Run& r : runs) {
        std::memmove(&sampleValue_[base + r.to], &sampleValue_[base + r.from], r.n * sizeof(float));
        std::memmove(&samplePercent_[base + r.to], &samplePercent_[base + r.from], r.n * sizeof(float));
        std::memmove(&sampleOk_[base + r.to], &sampleOk_[base + r.from], r.n);
      }
      for (size_t i = 0; i < cols; ++i) {
        if (from[i] >= 0) continue;
        const size_t at = base + i;
        sampleOk_[at] = file->GetValue(ch, columnTimes_[i], &sampleValue_[at], &samplePercent_[at]) ? 1 : 0;
      }
    }
    sampleKey_ = key;
    sampleTimes_ = columnTimes_;
    return;
  }
  std::vector<float> value(size_t(channels) * cols, 0.0f), percent(size_t(channels) * cols, 0.0f);
  std::vector<uint8_t> ok(size_t(channels) * cols, 0);
  for (int ch = 0; ch < channels; ++ch) {
    const size_t base = size_t(ch) * cols;
    const size_t oldBase = size_t(ch) * oldCols;
    for (size_t i = 0; i < cols; ++i) {
      if (from[i] >= 0) {
        const size_t k = oldBase + size_t(from[i]);
        value[base + i] = sampleValue_[k];
        percent[base + i] = samplePercent_[k];
        ok[base + i] = sampleOk_[k];
      } else {
        ok[base + i] = file->GetValue(ch, columnTimes_[i], &value[base + i], &percent[base + i]) ? 1 : 0;
      }
    }
  }
  sampleValue_.swap(value);
  samplePercent_.swap(percent);
  sampleOk_.swap(ok);
  sampleKey_ = key;
  sampleTimes_ = columnTimes_;
}

void CCurveChart::DrawTriangle(QPainter& p, int apexX) {
  const int apexY = markerRect.bottom - 2;
  QPolygon tri;
  tri << QPoint(apexX, apexY) << QPoint(apexX - 5, apexY - 5) << QPoint(apexX + 5, apexY - 5);
  p.setPen(QPen(QColor(85, 0, 0), 1));
  p.setBrush(QColor(255, 255, 0));
  p.drawPolygon(tri);
}

void CCurveChart::DrawCursor() {
  if (!file || !backBuffer || cursorTime < rangeStart || cursorTime > rangeEnd) return;
  RestorePlot();
  cursorX = plotRect.left + ColumnOfTime(cursorTime, plotWidth);
  if (cursorX < plotRect.left || cursorX > plotRect.right - 1 || cursorTime < windowStart ||
      cursorTime > windowEnd)
    return;
  SaveUnder(Rect{cursorX, plotRect.top, cursorX + 1, plotRect.bottom});
  MergePenNotColumn(backBuffer->Image(), cursorX, plotRect.top, plotRect.bottom, InverseOf(file->Head().clrBack));
  markerLayer->Fill(SystemColors().face);
  {
    QPainter p(&markerLayer->Image());
    DrawTriangle(p, cursorX - markerRect.left);
  }
  markerLayer->Present();
  DrawReadout(cursorX, cursorY);
}

void CCurveChart::DrawReadout(int x, int /*y*/) {
  if (!file || !backBuffer) return;
  const _tagDataHead& h = file->Head();
  const int n = std::min(chnlCount, kMaxChannels);
  // 1. Width from the longest text (in bytes of the stored text).
  int longest = TextBytes(file->GetTitle()) + 6;
  for (int ch = 0; ch < n; ++ch) longest = std::max(longest, TextBytes(file->GetChnlName(ch)) + 6);
  const int width = 11 * longest < 120 ? 160 : 11 * longest + 40;
  // 2. Rows.
  int shown = 0;
  for (int ch = 0; ch < n; ++ch) shown += h.channels[ch].shown ? 1 : 0;
  const int rows = std::min(plotHeight / 18, shown + 2);
  // 3. Position: away from the cursor.
  Rect box;
  box.top = plotRect.top;
  box.bottom = box.top + rows * 18;
  if (x > plotRect.left + plotRect.Width() / 2) {
    box.left = plotRect.left;
    box.right = box.left + width;
  } else {
    box.right = plotRect.right;
    box.left = box.right - width;
  }
  readoutRect = box;
  if (rows <= 0) return;
  SaveUnder(box);
  // What the box shows: title, time, and one row per shown channel with a
  // value (its number, colour, text and whether it is in alarm).
  const QFont font = CellFont(lang::String(IDS_TABLE_FONT), 12);
  const QString title = QString::fromStdString(file->GetTitle());
  QString timeText;
  if (rows >= 2) {
    struct tm tm = {};
    time_t t = cursorTime;
    localtime_r(&t, &tm);
    char text[64];
    std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    timeText = QString::fromLatin1(text);
  }
  struct Row {
    int ch;
    QRgb colour;
    bool alarm;
    QString text;
  };
  std::vector<Row> shownRows;
  for (int ch = 0; ch < n && int(shownRows.size()) < rows - 2; ++ch) {
    if (!h.channels[ch].shown) continue;
    float value = 0;
    if (!file->GetValue(ch, cursorTime, &value, nullptr)) continue;
    const float lo = file->GetLimit(ch, 3), hi = file->GetLimit(ch, 4);
    shownRows.push_back({ch, FromColorRef(h.channels[ch].colour).rgb(), (value < lo || value > hi) && hi > lo,
                         QString::fromStdString(file->GetChnlName(ch)) + ": " +
                             QString::fromStdString(file->FormatValue(ch, value)) + " " +
                             QString::fromStdString(file->GetChnlUnit(ch))});
  }
  // The same box as the last one drawn (the plot moved under a cursor that
  // stayed, as at every record of a live recording): its pixels again.
  QImage& back = backBuffer->Image();
  ReadoutKey key{box, font.key(), title, timeText, std::vector<std::pair<int, QRgb>>(), QStringList(), 0};
  uint64_t alarms = 0;
  for (size_t i = 0; i < shownRows.size(); ++i) {
    key.rows.emplace_back(shownRows[i].ch, shownRows[i].colour);
    key.texts << shownRows[i].text;
    alarms |= uint64_t(shownRows[i].alarm) << i;
  }
  key.alarms = alarms;
  if (key == readoutKey_ && readoutImage_.size() == box.ToQRect().size()) {
    CopyImage(back, readoutImage_, QPoint(box.left, box.top));
    return;
  }
  // 4. Box with an etched edge.
  const SysColors& sc = SystemColors();
  QPainter p(&back);
  p.fillRect(box.ToQRect(), sc.face);
  Draw3dRect(p, box, sc.shadow, sc.light);
  Draw3dRect(p, box.Deflated(1), sc.light, sc.shadow);
  p.setFont(font);
  // 5. Title and time.
  p.setPen(Qt::black);
  p.drawText(QRect(box.left, box.top, box.Width(), 18), Qt::AlignCenter | Qt::TextSingleLine, title);
  if (rows >= 2)
    p.drawText(QRect(box.left, box.top + 18, box.Width(), 18), Qt::AlignCenter | Qt::TextSingleLine,
               timeText);
  // 6. The rows.
  int drawn = 0;
  for (const Row& row : shownRows) {
    const int top = box.top + 18 * (2 + drawn);
    const int left = box.left + 10, right = box.right - 10;
    const QColor colour = QColor::fromRgb(row.colour);
    // The channel's colour as a framed swatch and as its number, outlined so
    // that white or yellow channels read on the grey box.
    p.drawPixmap(left - 2, top + 3, ColourSwatch(colour, 12));
    char num[16];
    std::snprintf(num, sizeof num, "%02d ", row.ch + 1);
    DrawOutlinedText(p, QRect(left + 15, top, right - left - 15, 18),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, num, colour, sc.face);
    p.setPen(row.alarm ? QColor(255, 0, 0) : QColor(0, 0, 0));
    p.drawText(QRect(left + 33, top, right - left - 33, 18), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               row.text);
    p.setPen(sc.shadow);
    p.drawLine(left, top, right - 1, top);
    ++drawn;
  }
  p.end();
  // Texts are kept inside their rectangles: the box holds all it drew.
  readoutImage_ = back.copy(box.ToQRect());
  readoutKey_ = std::move(key);
}

void CCurveChart::DrawSelection(int /*x*/, int /*y*/) {
  if (!selecting || !file || !backBuffer) return;
  if (selStart < rangeStart || selEnd > rangeEnd || selStart == selEnd) return;
  RestorePlot();
  if ((selStart < windowStart && selEnd < windowStart) || (selStart > windowEnd && selEnd > windowEnd))
    return;
  selStartX = ColumnOfTime(selStart, plotWidth);
  selEndX = ColumnOfTime(selEnd, plotWidth);
  Rect band{plotRect.left + std::min(selStartX, selEndX), plotRect.top,
            plotRect.left + std::max(selStartX, selEndX), plotRect.bottom};
  band.right += 1;
  band = band.Inflated(1);
  band.left = std::max(band.left, plotRect.left - 1);
  band.right = std::min(band.right, plotRect.right);
  if (band.right < band.left) return;
  SaveUnder(band);
  {
    // A rectangle with the black pen and the band brush, both XORed: the edge
    // stays as it was and the inside is inverted against the brush.
    QPainter p(&backBuffer->Image());
    p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    QRect inside(band.left + 1, band.top + 1, band.Width() - 2, band.Height() - 2);
    if (inside.width() > 0 && inside.height() > 0) p.fillRect(inside, QColor(0, 80, 80));
  }
  markerLayer->Fill(SystemColors().face);
  {
    QPainter p(&markerLayer->Image());
    if (selStart >= windowStart && selStart <= windowEnd)
      DrawTriangle(p, plotRect.left + selStartX - markerRect.left);
    if (selEnd >= windowStart && selEnd <= windowEnd)
      DrawTriangle(p, plotRect.left + selEndX - markerRect.left);
  }
  markerLayer->Present();
}

const QImage* CCurveChart::BackImage() const { return backBuffer ? &backBuffer->Image() : nullptr; }
const QImage* CCurveChart::PlotImage() const {
  if (!backBuffer) return nullptr;
  // The plot as drawn, without what covers it.
  plotCopy_ = backBuffer->Image().copy(plotRect.ToQRect());
  for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
    CopyImage(plotCopy_, it->pixels, QPoint(it->rect.left - plotRect.left, it->rect.top - plotRect.top));
  return &plotCopy_;
}

// ---------------------------------------------------------------- moving the window

void CCurveChart::AfterWindowMoved() {
  ComputeWindow();
  Relayout();
  if (companion) {
    companion->SetOffset(windowOffset);
    companion->SetFraction(windowFraction);
    companion->Refresh(1);
  }
}

void CCurveChart::SetWindowStart(time_t t) {
  if (t == 0) t = cursorTime;
  double span = double(rangeEnd - rangeStart);
  float f = span > 0 ? float(double(t - rangeStart) / span) : 0.0f;
  f = std::clamp(f, 0.0f, 1.0f);
  windowFraction = std::max(windowFraction + windowOffset - f, 0.0f);
  windowOffset = f;
  AfterWindowMoved();
}

void CCurveChart::SetWindowEnd(time_t t) {
  if (t == 0) t = cursorTime;
  double span = double(rangeEnd - rangeStart);
  float f = span > 0 ? float(double(t - rangeStart) / span) : 1.0f;
  // An end before the window start leaves an empty window, never a reversed one.
  windowFraction = std::max(f - windowOffset, 0.0f);
  AfterWindowMoved();
}

void CCurveChart::ZoomToSelection(time_t start, time_t end) {
  if (start == 0 || end == 0) {
    start = selStart;
    end = selEnd;
    selStart = selEnd = 0;
  }
  SetWindowStart(start);
  SetWindowEnd(end);
}

void CCurveChart::SelectAll() {
  selStart = windowStart;
  selEnd = windowEnd;
  Relayout();
}

void CCurveChart::CenterOnTime(time_t t) {
  selecting = 0;
  cursorTime = t;
  const time_t s = windowEnd - windowStart;
  time_t fileStart = file ? file->GetStartTime() : rangeStart;
  time_t fileEnd = file ? file->GetEndTime() : rangeEnd;
  time_t start = t - s / 2;
  time_t end = t + (s - s / 2);
  if (start < fileStart) {
    start = fileStart;
    end = start + s;
  }
  if (end > fileEnd) {
    end = fileEnd;
    start = end - s;
  }
  start = std::clamp(start, fileStart, fileEnd);
  end = std::clamp(end, fileStart, fileEnd);
  SetWindowStart(start);
  SetWindowEnd(end);
  RedrawAll();
}

bool CCurveChart::CopySelectionToClipboard() {
  if (!backBuffer || !(windowStart <= selStart && selEnd <= windowEnd)) return false;
  int a = ColumnOfTime(selStart, plotWidth);
  int b = ColumnOfTime(selEnd, plotWidth) + 1;
  if (a > b) std::swap(a, b);
  a = std::max(a, 0);
  b = std::min(b, plotWidth);
  if (b <= a) return false;
  const QImage& img = *PlotImage();
  QApplication::clipboard()->clear();
  QApplication::clipboard()->setImage(img.copy(a, 0, b - a, img.height()));
  return true;
}

// ---------------------------------------------------------------- window events

void CCurveChart::paintEvent(QPaintEvent*) {
  if (!backBuffer) return;
  if (!presentPending_) {
    // Shown or uncovered: everything anew.
    inPaint_ = true;
    ComputeWindow();
    ComputeValueScale();
    RedrawAll();
    inPaint_ = false;
  }
  presentPending_ = false;
  QPainter p(this);
  p.drawImage(0, 0, backBuffer->Image());
}

void CCurveChart::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (inLayout_ || (width() == clientRect.Width() && height() == clientRect.Height())) return;
  // Sized from outside: new layers now, drawn in full at the next paint.
  LayoutRects();
  presentPending_ = false;
  update();
}

void CCurveChart::CursorToColumn(int x, int y) {
  cursorX = std::clamp(x, plotRect.left, plotRect.right - 1);
  cursorY = y;
  cursorTime = TimeAtColumn(cursorX - plotRect.left, plotWidth);
  DrawCursor();
  Present();
}

void CCurveChart::mousePressEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  if (e->button() == Qt::LeftButton) {
    if (axisRect.Contains(pt.x(), pt.y())) {
      panning = 1;
      dragPoint = pt;
    } else if (plotRect.Contains(pt.x(), pt.y())) {
      if (selecting) {
        selStart = 0;
        RedrawAll();
        selStart = TimeAtColumn(std::max(pt.x(), plotRect.left) - plotRect.left, plotWidth);
      } else {
        CursorToColumn(pt.x(), pt.y());
      }
    }
  } else if (e->button() == Qt::RightButton) {
    if (axisRect.Contains(pt.x(), pt.y())) {
      scaling = 1;
      dragPoint = pt;
    }
  }
}

void CCurveChart::RedrawAfterScaleChange() {
  ComputeValueScale();
  DrawValueAxis();
  DrawPlotAndOverlay();
}

void CCurveChart::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  const Qt::MouseButtons b = e->buttons();
  if (b == Qt::NoButton) {
    if (axisRect.Contains(pt.x(), pt.y()))
      setCursor(axisCursor);
    else
      unsetCursor();
    return;
  }
  if ((b != Qt::LeftButton && b != Qt::RightButton) || e->modifiers() != Qt::NoModifier) return;
  if (panning) {
    const int div = std::max(divPixels, 1);
    const float step = (yHigh - yLow) / float(std::max(yGrids, 1));
    refOffset += pt.y() - dragPoint.y();
    dragPoint = pt;
    while (refOffset > 0) {
      refOffset -= div;
      refValue += step;
    }
    while (refOffset < -div) {
      refOffset += div;
      refValue -= step;
    }
    RedrawAfterScaleChange();
  } else if (scaling) {
    int d = divPixels + (dragPoint.y() - pt.y());
    dragPoint = pt;
    if (d >= 4 && d <= 600 && plotHeight > 0) {
      divPixels = d;
      zoom = float(d) / float(plotHeight);
      RedrawAfterScaleChange();
    }
  } else if (b == Qt::LeftButton && plotRect.Contains(pt.x(), pt.y())) {
    if (!selecting) {
      CursorToColumn(pt.x(), pt.y());
    } else {
      selEndX = std::clamp(pt.x(), plotRect.left, plotRect.right);
      selEnd = TimeAtColumn(selEndX - plotRect.left, plotWidth);
      DrawSelection(0, 0);
      Present();
    }
  }
}

void CCurveChart::mouseReleaseEvent(QMouseEvent* e) {
  const QPoint pt = e->position().toPoint();
  if (e->button() == Qt::LeftButton) {
    panning = 0;
    if (selecting) {
      if (plotRect.Contains(pt.x(), pt.y())) {
        selEndX = std::clamp(pt.x(), plotRect.left, plotRect.right);
        selEnd = TimeAtColumn(selEndX - plotRect.left, plotWidth);
        DrawSelection(0, 0);
        Present();
      }
      if (selStart > selEnd) std::swap(selStart, selEnd);
    }
  } else if (e->button() == Qt::RightButton) {
    scaling = 0;
    if (plotRect.Contains(pt.x(), pt.y())) emit RightButtonReleased();
  }
}

void CCurveChart::mouseDoubleClickEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const QPoint pt = e->position().toPoint();
  if (selecting) {
    selecting = 0;
    if (plotRect.Contains(pt.x(), pt.y())) {
      cursorX = std::clamp(pt.x(), plotRect.left, plotRect.right - 1);
      cursorY = pt.y();
      cursorTime = TimeAtColumn(cursorX - plotRect.left, plotWidth);
    }
  } else {
    selecting = 1;
    selStart = selEnd = 0;
  }
  Relayout();
}

void CCurveChart::keyPressEvent(QKeyEvent* e) {
  if (!selecting && (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right)) {
    // One pixel a press; where records lie further apart than pixels, on to
    // the next pixel that shows another record, so the cursor never sticks.
    const time_t before = cursorTime;
    do {
      if (e->key() == Qt::Key_Left && cursorX > plotRect.left)
        --cursorX;
      else if (e->key() == Qt::Key_Right && cursorX < plotRect.right)
        ++cursorX;
      else
        break;
      cursorTime = TimeAtColumn(cursorX - plotRect.left, plotWidth);
    } while (cursorTime == before && file);
    cursorTime = TimeAtColumn(cursorX - plotRect.left, plotWidth);
    DrawCursor();
    Present();
  }
  QWidget::keyPressEvent(e);
}

bool CCurveChart::event(QEvent* e) {
  // The arrow keys belong to the cursor, not to focus navigation.
  if (e->type() == QEvent::KeyPress) {
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Left || k->key() == Qt::Key_Right) {
      keyPressEvent(k);
      return true;
    }
  }
  return QWidget::event(e);
}

}  // namespace charts
