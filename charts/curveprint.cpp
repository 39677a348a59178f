#include "charts/curveprint.h"

#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPoint>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "charts/bufferdc.h"
#include "charts/pageprint.h"
#include "data/cxfile.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

namespace charts {

namespace {

// A row of the plot, kept within reach of an int for far-off values.
int RowOf(double v, double viewBottom, double viewTop, int top, int height) {
  const double span = viewTop - viewBottom;
  if (span == 0) return top + (v > viewTop ? -1 : (v < viewTop ? height : height / 2));
  double y = height - height * (v - viewBottom) / span;
  y = std::clamp(y, -1.0e6, 1.0e6);
  return top + int(y);
}

QFont PageFont(int height) {
  QFont f = CellFont(lang::String(IDS_TABLE_FONT), std::max(height, 1));
  f.setWeight(QFont::Light);
  return f;
}

std::string TimeText(time_t t, bool withDate) {
  struct tm tm = {};
  localtime_r(&t, &tm);
  char text[64];
  if (withDate)
    std::snprintf(text, sizeof text, "%d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  else
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return text;
}

// Text turned by 90 degrees (reading downwards) in a column of the page: the
// box starts `from` pixels below the column's top and is `length` long.
void ColumnText(QPainter& p, int colLeft, int colWidth, int colTop, int from, int length,
                const QString& text, Qt::Alignment along) {
  if (length <= 0) return;
  p.save();
  p.setFont(FontForText(p.font(), text));
  p.translate(colLeft + colWidth, colTop);
  p.rotate(90);
  const QString shown = QFontMetrics(p.font()).elidedText(text, Qt::ElideRight, length);
  p.drawText(QRect(from, 0, length, colWidth), along | Qt::AlignVCenter | Qt::TextSingleLine, shown);
  p.restore();
}

int ShownChannels(const CXFile& f) {
  const int n = std::min(f.GetChnlCount(), kMaxChannels);
  int shown = 0;
  for (int ch = 0; ch < n; ++ch) shown += f.Head().channels[ch].shown ? 1 : 0;
  return shown;
}

}  // namespace

time_t CurveWindow::TimeAtColumn(int col, int width) const {
  if (atEnd && col == width - 1) col = width;
  time_t t = windowStart;
  if (width > 0) {
    const int64_t iv = interval > 0 ? interval : 1;
    const int64_t s = int64_t(windowEnd - windowStart);
    const int64_t k = (s + 1) * col / width;
    t = windowStart + iv * (k / iv);
    if (t < 0) t = 0;
  }
  return t > rangeEnd ? rangeEnd : t;
}

CurvePrintState DefaultPrintState(CXFile* file) {
  CurvePrintState s;
  s.file = file;
  if (!file) return s;
  const _tagDataHead& h = file->Head();
  s.window.windowStart = file->GetStartTime();
  s.window.windowEnd = s.window.rangeEnd = file->GetEndTime();
  s.window.interval = std::max(file->GetInterval(), 1);
  s.window.atEnd = true;
  s.valueMode = h.yMode;
  s.showDate = h.xMode;
  s.gridShown = h.gridShown;
  s.xGrids = h.xGrids > 0 ? h.xGrids : 10;
  const int grids = int(int16_t(h.yGrids));
  s.yGrids = grids > 0 ? grids : 10;
  s.yHigh = h.yHigh;
  s.yLow = h.yLow;
  s.refValue = h.yHigh;
  s.refOffset = 0;
  // The chart's scale for a fresh recording: one division per grid line over
  // the plot height, the top line at the upper limit.
  s.screenHeight = 10000;
  s.divPixels = std::max(int(std::trunc(s.screenHeight / double(s.yGrids) + 0.5)), 1);
  const double perPixel = (double(s.yHigh) - s.yLow) / s.yGrids / s.divPixels;
  s.viewTop = s.refValue;
  s.viewBottom = float(s.refValue - perPixel * s.screenHeight);
  return s;
}

PageMetrics MetricsOf(int width, int shownChannels) {
  return PageMetrics{width / 40, width / 30, width / 20, (shownChannels + 1) / 2 + 2};
}

namespace {

// The printer columns that get a point and their times: a column whose time
// equals the previous column's is left out unless it is the last one. The
// same for every channel of a page.
struct PrintColumn {
  int column;
  time_t time;
};
std::vector<PrintColumn> PrintColumns(const CurvePrintState& s, int width) {
  std::vector<PrintColumn> cols;
  if (width <= 0) return cols;
  cols.reserve(size_t(width));
  time_t previous = 0;
  for (int j = 0; j < width; ++j) {
    const time_t t = s.window.TimeAtColumn(j, width);
    if (j > 0 && t == previous && j != width - 1) continue;
    previous = t;
    cols.push_back({j, t});
  }
  return cols;
}

std::vector<QPoint> CurveAt(const CurvePrintState& s, int ch, const std::vector<PrintColumn>& cols,
                            int plotLeft, int top, int height) {
  std::vector<QPoint> pts;
  pts.reserve(cols.size());
  for (const PrintColumn& c : cols) {
    float value = 0, percent = 0;
    if (!s.file->GetValue(ch, c.time, &value, &percent)) continue;
    pts.emplace_back(plotLeft + c.column + 2,
                     RowOf(s.valueMode ? value : percent, s.viewBottom, s.viewTop, top, height));
  }
  return pts;
}

}  // namespace

std::vector<QPoint> PrintedCurve(const CurvePrintState& s, int ch, int plotLeft, int top, int width,
                                 int height) {
  if (!s.file || width <= 0) return {};
  return CurveAt(s, ch, PrintColumns(s, width), plotLeft, top, height);
}

void PrintCurveWindow(QPainter& p, const CurvePrintState& s, int left, int top, int right, int bottom,
                      int page, time_t now) {
  if (!s.file) return;
  const CXFile& f = *s.file;
  const _tagDataHead& h = f.Head();
  const int n = std::min(f.GetChnlCount(), kMaxChannels);
  const PageMetrics m = MetricsOf(right - left, ShownChannels(f));
  left += m.leftBand;
  const int unit = std::max(m.unit, 1);
  const int plotL = left + m.leftBand, plotR = right - unit * m.legendCols;
  const int plotT = top, plotB = bottom - m.bottomBand;
  const int H = plotB - plotT, Wp = plotR - plotL;
  const QRect plotRect(plotL, plotT, std::max(Wp, 0), std::max(H, 0));
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillRect(QRect(left, top, right - left, bottom - top), Qt::white);

  // The screen's value scale, carried over to the page height.
  const double scale = double(H) / std::max(s.screenHeight, 1);
  const double refRow = s.refOffset * scale;
  const double div = std::max(s.divPixels * scale, 1e-3);
  const double step = (double(s.yHigh) - s.yLow) / std::max(s.yGrids, 1);
  const int firstLine = refRow < 0 ? int(std::ceil(-refRow / div)) : 0;
  auto lineRow = [&](int k) { return plotT + int(std::trunc(refRow + k * div)); };

  // 1. The plot: grid, reference lines and curves, kept inside the plot.
  if (Wp > 0 && H > 0) {
    p.save();
    p.setClipRect(plotRect);
    if (s.gridShown) {
      p.setPen(QPen(FromColorRef(h.clrGrid), 1));
      for (int k = firstLine; lineRow(k) <= plotB; ++k) p.drawLine(plotL, lineRow(k), plotR, lineRow(k));
      const int grids = std::max(s.xGrids, 1);
      for (int i = 1; i < grids; ++i) {
        const int x = plotL + int(int64_t(i) * Wp / grids);
        p.drawLine(x, plotT, x, plotB);
      }
    }
    QFont axisFont = PageFont(int(unit * 0.5));
    p.setFont(axisFont);
    const int textH = QFontMetrics(axisFont).height();
    for (int k = 1; k <= 2; ++k) {
      if (!(k == 1 ? h.refShown1 : h.refShown2)) continue;
      const float r = k == 1 ? h.refValue1 : h.refValue2;
      double drawn = r;
      if (!s.valueMode) {
        const double lo = f.GetRangeLow(0), hi = f.GetRangeHigh(0);
        drawn = hi != lo ? (r - lo) / (hi - lo) * 100.0 : 0.0;
      }
      const int y = RowOf(drawn, s.viewBottom, s.viewTop, plotT, H);
      // The dotted line merged with NOT paper: black dots on white.
      p.setPen(QPen(Qt::black, 6, Qt::DotLine, Qt::FlatCap));
      p.drawLine(plotL, y, plotR, y);
      char text[64];
      std::snprintf(text, sizeof text, "%.2f", double(r));
      const QString label = QString::fromStdString(GbkField(k == 1 ? h.refLabel1 : h.refLabel2)) + text;
      const int row = y + 2 > plotB - 20 - textH ? y - 2 - textH : y + 2;
      p.setPen(Qt::black);
      p.drawText(QRect(plotL + 2, row, Wp, textH), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, label);
    }
    const std::vector<PrintColumn> cols = PrintColumns(s, Wp);
    for (int ch = 0; ch < n; ++ch) {
      const _tagChnlDef& def = h.channels[ch];
      if (!def.shown) continue;
      const std::vector<QPoint> pts = CurveAt(s, ch, cols, plotL, plotT, H);
      if (pts.empty()) continue;
      p.setPen(QPen(PaperInk(FromColorRef(def.colour)), 5 * std::max<int>(def.penWidth, 1), Qt::SolidLine,
                    Qt::RoundCap, Qt::RoundJoin));
      p.drawPoint(pts[0]);
      if (pts.size() > 1) p.drawPolyline(pts.data(), int(pts.size()));
    }
    p.restore();
  }

  // 2. The value axis in the left band.
  const QFont axisFont = PageFont(int(unit * 0.5));
  p.setFont(axisFont);
  p.setPen(QPen(Qt::black, 5));
  {
    const int k = std::max(int(std::ceil(50.0 / div)), 1);
    for (int line = firstLine; lineRow(line) <= plotB && H > 0; ++line) {
      const int y = lineRow(line);
      const double value = double(s.refValue) - line * step;
      bool labelled = true;
      if (step != 0) {
        const double q = (value - s.yLow) / step;
        labelled = int64_t(std::trunc(q + (q >= 0 ? 1e-6 : -1e-6))) % k == 0;
      }
      p.drawLine(plotL - (labelled ? 30 : 15), y, plotL, y);
      if (!labelled) continue;
      char text[64];
      std::snprintf(text, sizeof text, "%.2f", value);
      // Labels of the edge lines stay inside the band's height.
      const int labelTop = std::clamp(y - unit / 2, plotT, std::max(plotB - unit, plotT));
      p.drawText(QRect(left, labelTop, m.leftBand - 35, unit), Qt::AlignCenter | Qt::TextSingleLine, text);
    }
  }

  // 3. Marks inside the window.
  const time_t ws = s.window.windowStart, we = s.window.windowEnd;
  if (Wp > 0 && H > 0) {
    const QFontMetrics fm(axisFont);
    const int textH = fm.height();
    // A value label that would run into another one is left out, as on screen.
    LabelSpots labels(plotRect);
    auto label = [&](int x, int y, const QString& text) {
      QRect r(x, y, fm.horizontalAdvance(text) + 4, textH);
      if (labels.Place(r)) p.drawText(r, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    };
    p.save();
    p.setClipRect(plotRect);
    for (int i = 0; i < f.GetMarkCount(); ++i) {
      const time_t t = f.GetMark(i);
      if (t < ws || t > we) continue;
      const double d = double(we - ws);
      const int col = d > 0 ? std::clamp(int(std::trunc(double(t - ws) * Wp / d + 0.5)), 0, Wp - 1) : 0;
      const int x = plotL + col + 2;
      p.setPen(QPen(Qt::black, 5));
      p.drawLine(x, plotT, x, plotB);
      label(x + 10, plotT + 2, QString::fromStdString(FormatTime(t)));
      for (int ch = 0; ch < n; ++ch) {
        if (!h.channels[ch].shown) continue;
        float value = 0, percent = 0;
        if (!f.GetValue(ch, t, &value, &percent)) continue;
        const int y = RowOf(s.valueMode ? value : percent, s.viewBottom, s.viewTop, plotT, H);
        const int row = y + 2 > plotB - 20 - textH ? y - 2 - textH : y + 2;
        label(x + 10, row, QString::fromStdString(f.FormatValue(ch, value) + f.GetChnlUnit(ch)));
      }
    }
    p.restore();
  }

  // 4. White margins.
  p.fillRect(QRect(left, plotB, right - left, m.bottomBand + 100), Qt::white);
  p.fillRect(QRect(plotR, top, right - plotR, bottom - top), Qt::white);
  p.fillRect(QRect(left, top - 10, right - left, 10), Qt::white);

  // 5. The time axis.
  {
    p.setFont(axisFont);
    p.setPen(QPen(Qt::black, 5));
    const QFontMetrics fm(axisFont);
    const int grids = std::max(s.xGrids, 1);
    const double pitch = double(Wp) / grids;
    const QString sample = QString::fromStdString(TimeText(ws, s.showDate != 0));
    const double least = fm.horizontalAdvance(sample) + unit / 2.0;
    int last = 0;
    for (int i = 1; i <= grids && Wp > 0; ++i) {
      const int x = plotL + int(int64_t(i) * Wp / grids);
      if ((i - last) * pitch > least && (grids - i) * pitch > least) {
        p.drawLine(x, plotB, x, plotB + 30);
        const QString text = QString::fromStdString(TimeText(s.window.TimeAtColumn(x - plotL, Wp), s.showDate != 0));
        const int boxW = std::max(1000, fm.horizontalAdvance(text) + 10);
        p.drawText(QRect(x - boxW / 2, plotB + 34, boxW, std::max(m.bottomBand - 34, fm.height())),
                   Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
        last = i;
      } else {
        p.drawLine(x, plotB, x, plotB + 15);
      }
    }
  }

  // 6. Header and legend in the right columns, turned to read downwards.
  {
    p.setFont(PageFont(int(unit * 0.6)));
    p.setPen(Qt::black);
    p.setBackgroundMode(Qt::TransparentMode);
    const int mid = (plotT + plotB) / 2;
    const int colH = plotB - plotT;
    const int titleCol = right - 2 * unit, spanCol = right - unit;
    ColumnText(p, titleCol, unit, plotT, unit / 4, mid - plotT - unit / 2,
               lang::String(ID_INDICATOR_TITLE) + QString::fromStdString(f.GetTitle()), Qt::AlignLeft);
    ColumnText(p, titleCol, unit, mid, unit / 4, plotB - mid - unit / 2,
               lang::String(IDS_PRINTED_LABEL) + QString::fromStdString(FormatTime(now)), Qt::AlignLeft);
    ColumnText(p, spanCol, unit, plotT, unit / 4, colH * 3 / 4 - unit / 2,
               lang::String(IDS_SPAN_LABEL) + QString::fromStdString(FormatTime(ws) + " => " + FormatTime(we)),
               Qt::AlignLeft);
    ColumnText(p, spanCol, unit, plotT, colH * 3 / 4, colH / 4 - unit / 4, lang::Format(IDS_PAGE_N, page),
               Qt::AlignRight);
    int shown = 0;
    for (int ch = 0; ch < n; ++ch) {
      const _tagChnlDef& def = h.channels[ch];
      if (!def.shown) continue;
      const int col = right - m.legendCols * unit + (shown / 2) * unit;
      const int halfTop = shown % 2 ? mid : plotT, halfBottom = shown % 2 ? plotB : mid;
      ++shown;
      bool darkened = false;
      const QColor colour = PaperInk(FromColorRef(def.colour), &darkened);
      const int box = unit / 2;
      p.fillRect(QRect(col + (unit - box) / 2, halfTop + unit / 4, box, box), colour);
      char num[16];
      std::snprintf(num, sizeof num, "%02d ", ch + 1);
      const bool withLine = halfBottom - halfTop > 400 + unit * 2;
      const int textEnd = withLine ? halfBottom - 420 : halfBottom - unit / 4;
      ColumnText(p, col, unit, halfTop, unit, textEnd - halfTop - unit,
                 QString::fromLatin1(num) + QString::fromStdString(f.GetChnlName(ch)) +
                     (darkened ? lang::String(IDS_PRINT_DARKER) : QString()), Qt::AlignLeft);
      if (withLine) {
        p.save();
        p.setPen(QPen(colour, 5 * std::max<int>(def.penWidth, 1), Qt::SolidLine, Qt::FlatCap));
        p.drawLine(col + unit / 2, halfBottom - 400, col + unit / 2, halfBottom - 30);
        p.restore();
      }
    }
    // The mode caption in the bottom-left corner, set smaller until it fits.
    const QString caption = lang::String(s.valueMode ? IDS_AXIS_VALUES : IDS_AXIS_PERCENT);
    QFont capFont = axisFont;
    const QRect capBox(left, plotB, m.leftBand, bottom - plotB - 10);
    for (int px = capFont.pixelSize(); px > 4 && QFontMetrics(capFont).horizontalAdvance(caption) > capBox.width() - 10;)
      capFont.setPixelSize(--px);
    p.setFont(capFont);
    p.drawText(capBox, Qt::AlignHCenter | Qt::AlignBottom | Qt::TextSingleLine, caption);
  }

  // 7. The frame.
  p.setPen(QPen(Qt::black, 5));
  p.setBrush(Qt::NoBrush);
  p.drawRect(QRect(left, top, right - left, bottom - top));
  p.drawLine(plotL, plotB, right, plotB);
  p.drawLine(plotL, top, plotL, bottom);
  for (int k = 1; k <= m.legendCols; ++k) p.drawLine(right - k * unit, top, right - k * unit, plotB);
  const int half = (top + plotB) / 2;
  p.drawLine(right - m.legendCols * unit, half, right - 2 * unit, half);
  p.restore();
}

void PrintCurvePage(QPainter& p, CurvePrintState s, time_t printStart, int left, int top, int right,
                    int bottom, int page, time_t now) {
  const int64_t span = int64_t(std::max(s.window.interval, 1)) * kRecordsPerPage;
  CurveWindow& w = s.window;
  w.windowStart = std::min<time_t>(printStart + (page - 1) * span, w.rangeEnd);
  w.windowEnd = std::min<time_t>(w.windowStart + span, w.rangeEnd);
  w.atEnd = w.windowEnd >= w.rangeEnd;
  PrintCurveWindow(p, s, left, top, right, bottom, page, now);
}

time_t SnapToGrid(time_t t, time_t last, int interval) {
  const int64_t iv = std::max(interval, 1);
  return last - ((int64_t(last) - t) / iv) * iv;
}

int RangePageCount(time_t start, time_t end, int interval) {
  const int64_t iv = std::max(interval, 1);
  return int(((int64_t(end) - start) / iv + kRecordsPerPage - 1) / kRecordsPerPage);
}

bool SnapPrintRange(const CXFile& file, time_t start, time_t end, PrintRange* out) {
  const time_t first = file.GetStartTime(), last = file.GetEndTime();
  if (start >= end || end > last || start < first) {
    *out = PrintRange{};
    return false;
  }
  out->start = SnapToGrid(start, last, file.GetInterval());
  out->end = SnapToGrid(end, last, file.GetInterval());
  out->pages = RangePageCount(out->start, out->end, file.GetInterval());
  return true;
}

PageSource CurvePages(const CurvePrintJob& job) {
  PageSource source;
  source.pages = job.range ? std::max(job.pages, 0) : 1;
  const time_t now = time(nullptr);
  source.draw = [job, now](QPainter& p, int page, int width, int height) {
    if (job.range)
      PrintCurvePage(p, job.state, job.printStart, 0, 0, width, height, page, now);
    else
      PrintCurveWindow(p, job.state, 0, 0, width, height, page, now);
  };
  source.progress = job.progress;
  source.file = job.state.file;
  return source;
}

bool PrintCurves(QPagedPaintDevice& device, const CurvePrintJob& job, QString* error) {
  if (!job.state.file) {
    if (error) *error = "no recording to print";
    return false;
  }
  return PrintPages(device, CurvePages(job), job.fromPage, job.toPage, error);
}

bool PrintCurvesToPdf(const std::string& path, const CurvePrintJob& job, const QString& pageSize,
                      bool portrait, int dpi, QString* error) {
  if (!job.state.file) {
    if (error) *error = "no recording to print";
    return false;
  }
  return PrintPagesToPdf(path, CurvePages(job), pageSize, portrait, dpi,
                         QString::fromStdString(job.state.file->GetTitle()), error);
}

}  // namespace charts
