#include "charts/circular.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/cxfile.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

namespace charts {

namespace {

constexpr double kPi = 3.14159265358979323846;

time_t MidnightOf(time_t t) {
  struct tm tm = {};
  localtime_r(&t, &tm);
  tm.tm_hour = tm.tm_min = tm.tm_sec = 0;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

double Wrap(double a) {
  a = std::fmod(a, 2 * kPi);
  return a < 0 ? a + 2 * kPi : a;
}

QColor Inverse(uint32_t clrBack) { return FromColorRef(0xFFFFFFu - (clrBack & 0xFFFFFFu)); }

QString Printf(const char* format, double v) {
  char text[64];
  std::snprintf(text, sizeof text, format, v);
  return QString::fromLatin1(text);
}

// Text centred on a point, turned clockwise by `degrees`.
void TurnedText(QPainter& p, QPointF at, double degrees, const QString& text) {
  p.save();
  p.translate(at);
  p.rotate(degrees);
  const QFontMetrics fm(p.font());
  const int w = fm.horizontalAdvance(text) + 4, h = fm.height();
  p.drawText(QRect(-w / 2, -h / 2, w, h), Qt::AlignCenter | Qt::TextSingleLine, text);
  p.restore();
}

// Text from a point reading in the direction turned clockwise by `degrees`.
void TextFrom(QPainter& p, QPointF at, double degrees, const QString& text) {
  p.save();
  p.setFont(FontForText(p.font(), text));
  p.translate(at);
  p.rotate(degrees);
  const QFontMetrics fm(p.font());
  p.drawText(QRect(0, 0, fm.horizontalAdvance(text) + 4, fm.height()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
             text);
  p.restore();
}

// A text from a point reading in the direction turned by `degrees`, whose
// run of underscores (a line to sign on) is drawn as a line: underscores sit
// below the text box and would be cut off.
void TextWithLineFrom(QPainter& p, QPointF at, double degrees, const QString& text) {
  const int blank = text.indexOf('_');
  if (blank < 0) return TextFrom(p, at, degrees, text);
  int end = blank;
  while (end < text.size() && text[end] == '_') ++end;
  const QFontMetrics fm(FontForText(p.font(), text));
  const QString before = text.left(blank);
  const int from = fm.horizontalAdvance(before), length = fm.horizontalAdvance(text.mid(blank, end - blank));
  TextFrom(p, at, degrees, before);
  p.save();
  p.translate(at);
  p.rotate(degrees);
  p.setPen(QPen(p.pen().color(), std::max(fm.height() / 12, 1), Qt::SolidLine, Qt::FlatCap));
  const int y = fm.ascent() + std::max(fm.descent() / 2, 1);
  p.drawLine(from, y, from + length, y);
  p.restore();
  if (end < text.size()) TextFrom(p, at + QTransform().rotate(degrees).map(QPointF(from + length, 0)), degrees,
                                  text.mid(end));
}

// Rings, spokes and labels of the report, for screen and paper alike.
// Returns nothing; the caller has filled the background and set the clip.
struct ReportStyle {
  int thickSpoke;
  QColor ink;
  QFont hourFont, valueFont;
  double valueTurn;  // clockwise degrees of the value labels
  bool dottedOuter;
};

void DrawReportGrid(QPainter& p, const CXFile& file, int ch, QPointF c, double R, int K,
                    const ReportStyle& st) {
  const double s = R / (K + 1);
  const QColor grid = FromColorRef(file.Head().clrGrid);
  // 1. The outer circle and the K rings.
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(grid, st.dottedOuter ? 1 : std::max(st.thickSpoke / 3, 1)));
  // On screen the outer circle is dotted in by the caller before painting.
  if (!st.dottedOuter) p.drawEllipse(c, R, R);
  p.setPen(QPen(grid, st.dottedOuter ? 1 : std::max(st.thickSpoke / 3, 1)));
  for (int i = 1; i <= K; ++i) p.drawEllipse(c, R - i * s, R - i * s);
  // 2. 96 spokes, every fourth thick.
  for (int i = 0; i < 96; ++i) {
    const double a = i * 2 * kPi / 96;
    p.setPen(QPen(grid, i % 4 == 0 ? st.thickSpoke : 1));
    p.drawLine(QPointF(c.x() + s * std::cos(a), c.y() - s * std::sin(a)),
               QPointF(c.x() + R * std::cos(a), c.y() - R * std::sin(a)));
  }
  // 3. Hour labels around the rim, turned to follow it.
  p.setPen(st.ink);
  p.setFont(st.hourFont);
  const QFontMetrics hourFm(st.hourFont, p.device());
  LabelSpots spots(QRect(-1000000, -1000000, 2000000, 2000000));
  for (int h = 0; h < 24; ++h) {
    const double a = (6 - h) * 15.0 * kPi / 180.0;
    const QPointF at(c.x() + (R + s) * std::cos(a), c.y() - (R + s) * std::sin(a));
    const QString text = QString::number(h);
    TurnedText(p, at, 15.0 * h, text);
    const int w = hourFm.horizontalAdvance(text) + 4, ht = hourFm.height();
    spots.Take(QTransform().translate(at.x(), at.y()).rotate(15.0 * h).mapRect(QRect(-w / 2, -ht / 2, w, ht)));
  }
  // 4. Value labels along the horizontal radius to the right. Across the
  // page they are set in two rows where they would run into each other or
  // into the hour label at the rim, and left out where even that is too
  // tight; turned on screen they keep out of each other's way.
  p.setFont(st.valueFont);
  const QFontMetrics valueFm(st.valueFont, p.device());
  const double lo = file.GetRangeLow(ch), hi = file.GetRangeHigh(ch);
  const bool across = std::abs(st.valueTurn) < 10;
  for (int i = 0; i <= K; ++i) {
    const QString text = Printf("%.2f", lo + (hi - lo) / K * i);
    QPointF at(c.x() + (i + 1) * s, c.y());
    if (across) {
      QRect box(int(at.x()), int(at.y()), valueFm.horizontalAdvance(text) + 4, valueFm.height());
      if (!spots.Place(box)) {
        box.translate(0, valueFm.height());
        if (!spots.Place(box)) continue;
        at.ry() += valueFm.height();
      }
    }
    TextFrom(p, at, st.valueTurn, text);
  }
}

// The curve's points in whole pixels.
std::vector<QPoint> ReportPoints(const CXFile& file, int ch, time_t start, time_t end, QPointF c, double s) {
  const std::vector<ReportSample> samples = ReportSamples(file, ch, start, end);
  std::vector<QPoint> pts;
  pts.reserve(samples.size());
  for (const ReportSample& r : samples)
    pts.emplace_back(int(std::lround(c.x() + r.rings * s * std::cos(r.angle))),
                     int(std::lround(c.y() - r.rings * s * std::sin(r.angle))));
  return pts;
}

}  // namespace

void DotCircle(QImage& img, double cx, double cy, double r, QRgb colour) {
  const int n = int(std::trunc(2 * kPi * r));
  if (n <= 0) return;
  const double step = 2 * kPi / n;
  for (int i = 0; i < n; ++i) {
    const int x = int(cx + r * std::cos(i * step)), y = int(cy - r * std::sin(i * step));
    if (x >= 0 && y >= 0 && x < img.width() && y < img.height()) img.setPixel(x, y, colour);
  }
}

int RingCount(const CXFile& file) {
  const int k = file.Head().tagByte;
  return k > 0 ? k : 10;
}

// ---------------------------------------------------------------- channel report

std::vector<ReportSample> ReportSamples(const CXFile& file, int ch, time_t start, time_t end) {
  std::vector<ReportSample> out;
  const int iv = std::max(file.GetInterval(), 1);
  start = std::max(start, file.GetStartTime());
  end = std::min(end, file.GetEndTime());
  if (end < start) return out;
  const int perDay = std::max(86400 / iv, 1);
  const int K = RingCount(file);
  for (time_t day = MidnightOf(start); day <= end; day = MidnightOf(day + 86400 + 3600)) {
    for (int j = 0; j < perDay; ++j) {
      const time_t t = day + time_t(j) * iv;
      if (t > end) break;
      if (t < start) continue;
      float percent = 0;
      if (!file.GetValue(ch, t, nullptr, &percent)) continue;
      out.push_back({t, Wrap(kPi / 2 - j * 2 * kPi / perDay), 1.0 + K * (percent / 100.0)});
    }
  }
  return out;
}

void DrawReportScreen(QImage& img, const CXFile& file, int ch, time_t start, time_t end) {
  const _tagDataHead& h = file.Head();
  img.fill(FromColorRef(h.clrBack));
  const int textW = 300;
  int m = std::min(img.width() - textW, img.height());
  if (m < 60) m = std::min(img.width(), img.height());
  const int K = RingCount(file);
  const double R = (m - m / 10) / 2;
  const double s = R / (K + 1);
  const QPointF c(std::max(m / 2, std::min(img.width() - textW, img.width()) / 2), img.height() / 2);
  DotCircle(img, c.x(), c.y(), R, FromColorRef(h.clrGrid).rgb());
  QPainter p(&img);
  ReportStyle st{2, Inverse(h.clrBack), CellFont("Times New Roman", std::max(int(s * 0.8), 8)),
                 CellFont("Times New Roman", std::max(int(s * 0.6), 8)), -45.0, true};
  DrawReportGrid(p, file, ch, c, R, K, st);
  // The curve, one pixel wide, straight into the picture.
  p.end();
  Polyline1(img, ReportPoints(file, ch, start, end, c, s), FromColorRef(h.channels[ch].colour).rgb());
  p.begin(&img);
  // The text block beside the chart.
  p.setPen(st.ink);
  p.setFont(CellFont("Times New Roman", 16));
  const int x = int(c.x() + R + 1.6 * s) + 10, y = int(c.y()) - 40;
  auto line = [&](int dx, int row, const QString& text) {
    p.drawText(QRect(x + dx, y + row * 20, 1000, 20), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
  };
  line(0, 0, lang::Format(IDS_CC_CHANNEL_N, ch + 1));
  char range[96];
  std::snprintf(range, sizeof range, "%.3f~%.3f", double(file.GetRangeLow(ch)), double(file.GetRangeHigh(ch)));
  line(0, 1, lang::String(IDS_CC_RANGE) + range);
  line(0, 2, lang::String(IDS_CC_SPAN) + QString::fromStdString(FormatTime(start)));
  line(10, 3, "=>" + QString::fromStdString(FormatTime(end)));
}

void DrawReportPage(QPainter& p, const CXFile& file, int ch, time_t start, time_t end, int W, int H, time_t now) {
  const _tagDataHead& h = file.Head();
  const int K = RingCount(file);
  const int m = std::min(W, H);
  const double R = m * 12.0 / 26.0;
  const double s = R / (K + 1);
  const QPointF c(W / 2.0, H / 2.0);
  p.save();
  p.fillRect(QRect(0, 0, W, H), Qt::white);
  QFont hourFont = CellFont("Times New Roman", std::max(m * 12 / 416, 1));
  ReportStyle st{10, Qt::black, hourFont, CellFont("Times New Roman", std::max(m * 12 / 650, 1)), 1.0, false};
  DrawReportGrid(p, file, ch, c, R, K, st);
  const std::vector<QPoint> pts = ReportPoints(file, ch, start, end, c, s);
  bool darkened = false;
  const QColor ink = PaperInk(FromColorRef(h.channels[ch].colour), &darkened);
  if (!pts.empty()) {
    p.setPen(QPen(ink, 5 * std::max<int>(h.channels[ch].penWidth, 1), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPoint(pts[0]);
    if (pts.size() > 1) p.drawPolyline(pts.data(), int(pts.size()));
  }
  // The text block: lines reading downwards along the right edge, from right to left.
  p.setPen(Qt::black);
  p.setFont(hourFont);
  const int top = H / 16;
  const int first = W - W / 40;
  auto column = [&](int x, int y, const QString& text) { TextFrom(p, QPointF(x, y), 90.0, text); };
  TextWithLineFrom(p, QPointF(first, top), 90.0, lang::String(IDS_CC_OPERATOR));
  column(first - W / 40, top, lang::String(IDS_CC_PRINTED) + QString::fromStdString(FormatTime(now)));
  column(first - W / 20, top, lang::String(IDS_CC_SPAN) + QString::fromStdString(FormatTime(start)));
  column(first - 3 * W / 40, top + H / 15,
         "=>" + QString::fromStdString(FormatTime(end, "%Y-%m-%d   %H:%M:%S")));
  column(first - W / 10, top,
         lang::String(IDS_CC_CHANNEL) + lang::Format(IDS_CC_CHANNEL_N, ch + 1) + (darkened ? lang::String(IDS_PRINT_DARKER) : QString()));
  p.restore();
}

PageSource ReportPages(const CXFile* file, int ch, time_t start, time_t end) {
  PageSource source;
  source.pages = 1;
  const time_t now = time(nullptr);
  source.draw = [file, ch, start, end, now](QPainter& p, int, int width, int height) {
    DrawReportPage(p, *file, ch, start, end, width, height, now);
  };
  source.file = file;
  return source;
}

// ---------------------------------------------------------------- dial

int DialPeriodHours(int code) { return code == 0 ? 8 : code == 1 ? 12 : 24; }

time_t DialStart(time_t end, time_t now, int hours) {
  struct tm cur = {};
  localtime_r(&now, &cur);
  return MidnightOf(end) + time_t(hours * (cur.tm_hour / hours)) * 3600;
}

std::vector<int> DialPageChannels(int chnlCount, int page) {
  std::vector<int> out;
  const int pages = (chnlCount + 3) / 4;
  if (page < 0 || page >= pages) return out;
  const int n = page == pages - 1 ? (chnlCount % 4 == 0 ? 4 : chnlCount % 4) : 4;
  for (int i = 0; i < n; ++i) out.push_back(4 * page + i);
  return out;
}

DialLayout DialLayoutOf(int width, int height, int offsetX, int offsetY) {
  DialLayout l;
  l.client = Rect{0, 0, width, height};
  l.dial = Rect{0, 0, width - width / 5, height};
  l.panel = Rect{width - width / 5, 0, width, height};
  l.centre = QPoint(l.dial.Width() / 2, l.dial.Height() / 2);
  const int16_t s = int16_t(std::min(l.dial.Width() - offsetX, l.dial.Height() - offsetY));
  l.radius = int16_t((s - s / 10) / 2);
  return l;
}

std::vector<QPoint> DialCurve(const CXFile& file, int ch, const DialLayout& l, time_t now) {
  std::vector<QPoint> pts;
  const int c = DialPeriodHours(file.Head().kindByte);
  const int iv = std::max(file.GetInterval(), 1);
  const int R = RingCount(file);
  const double w = double(l.radius) / (R + 1);
  const time_t start = DialStart(file.GetEndTime(), now, c);
  const int64_t n = (int64_t(file.GetEndTime()) - start) / iv;
  const double perTurn = double(c) * 3600 / iv;
  for (int64_t k = 0; k < n; ++k) {
    const time_t t = start + time_t(k) * iv;
    if (t < file.GetStartTime() || t > file.GetEndTime()) continue;
    float percent = 0;
    if (!file.GetValue(ch, t, nullptr, &percent)) continue;
    const double d = std::trunc(R * percent * 0.01 * w) + std::trunc(w);
    const double a = Wrap(kPi / 2 - k * 2 * kPi / perTurn);
    pts.emplace_back(int(l.centre.x() + d * std::cos(a)), int(l.centre.y() - d * std::sin(a)));
  }
  return pts;
}

void DrawDial(QImage& img, const CXFile& file, const DialLayout& l, int page, time_t now) {
  const _tagDataHead& h = file.Head();
  img.fill(FromColorRef(h.clrBack));
  const QRgb grid = FromColorRef(h.clrGrid).rgb();
  const int R = RingCount(file);
  const int radius = l.radius;
  const double w = double(radius) / (R + 1);
  const double cx = l.centre.x(), cy = l.centre.y();
  // 1. The outer circle and the rings.
  DotCircle(img, cx, cy, radius, grid);
  for (int k = 1; k <= R; ++k) DotCircle(img, cx, cy, radius - k * w, grid);
  QPainter p(&img);
  // 2. Radial lines, two per hour of the period.
  const int c = DialPeriodHours(h.kindByte);
  for (int k = 0; k < 2 * c; ++k) {
    const double a = k * kPi / c;
    p.setPen(QPen(QColor(grid), k % 2 == 0 ? 2 : 1));
    p.drawLine(QPointF(cx + w * std::cos(a), cy - w * std::sin(a)),
               QPointF(cx + radius * std::cos(a), cy - radius * std::sin(a)));
  }
  // 3. Hour labels from the first hour of the current period.
  const QColor ink = Inverse(h.clrBack);
  const int fh = std::max(l.client.Width() / 60, 6);
  p.setPen(ink);
  p.setFont(CellFont("Times New Roman", fh));
  struct tm cur = {};
  localtime_r(&now, &cur);
  const int first = c * (cur.tm_hour / c);
  for (int i = 0; i < c; ++i) {
    const double a = kPi / 2 - i * 2 * kPi / c;
    const double r = radius + 1.2 * fh;
    TurnedText(p, QPointF(cx + r * std::cos(a), cy - r * std::sin(a)), 360.0 * i / c,
               QString::number((first + i) % 24));
  }
  // 4. Ring labels in percent at 45 degrees.
  p.setFont(CellFont("Times New Roman", 14));
  for (int k = 0; k <= R; ++k)
    TextFrom(p, QPointF(cx + (k + 1) * w, cy), -45.0, Printf("%.2f", k * 100.0 / R));
  // 5. The curves of the page's channels, one pixel wide.
  p.end();
  for (int ch : DialPageChannels(file.GetChnlCount(), page))
    Polyline1(img, DialCurve(file, ch, l, now), FromColorRef(h.channels[ch].colour).rgb());
}

void DrawDialPanel(QImage& screen, const CXFile& file, const DialLayout& l, int page) {
  const _tagDataHead& h = file.Head();
  const SysColors& sc = SystemColors();
  const Rect& r = l.panel;
  QPainter p(&screen);
  p.fillRect(r.ToQRect(), sc.face);
  // The etched edge.
  p.setPen(sc.shadow);
  p.drawRect(QRect(r.left, r.top, r.Width() - 2, r.Height() - 2));
  p.setPen(sc.light);
  p.drawRect(QRect(r.left + 1, r.top + 1, r.Width() - 2, r.Height() - 2));
  const int fh = std::max(l.client.Width() / 60, 8);
  const int row = int(1.2 * fh);
  p.setFont(CellFont("Times New Roman", fh));
  p.setPen(Qt::black);
  p.drawText(QRect(r.left, r.top + 4, r.Width(), row), Qt::AlignCenter | Qt::TextSingleLine,
             QString::fromStdString(file.GetTitle()));
  const time_t end = file.GetEndTime();
  p.drawText(QRect(r.left, r.top + 4 + row, r.Width(), row), Qt::AlignCenter | Qt::TextSingleLine,
             QString::fromStdString(FormatTime(end)));
  int drawn = 0;
  for (int ch : DialPageChannels(file.GetChnlCount(), page)) {
    float value = 0;
    if (!h.channels[ch].shown || !file.GetValue(ch, end, &value, nullptr)) continue;
    const int top = r.top + 4 + row * (2 + drawn);
    const int left = r.left + 10, right = r.right - 10;
    const QColor colour = FromColorRef(h.channels[ch].colour);
    p.fillRect(QRect(left - 2, top + (row - 12) / 2, 12, 12), colour);
    char num[16];
    std::snprintf(num, sizeof num, "%02d ", ch + 1);
    p.setPen(colour);
    p.drawText(QRect(left + 15, top, right - left - 15, row), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
               num);
    const int numW = QFontMetrics(p.font()).horizontalAdvance("00 ");
    const float lo = file.GetLimit(ch, 3), hi = file.GetLimit(ch, 4);
    p.setPen((value < lo || value > hi) && hi > lo ? QColor(255, 0, 0) : QColor(0, 0, 0));
    const QString text = QString::fromStdString(file.GetChnlName(ch) + ": " + file.FormatValue(ch, value) + " " +
                                                file.GetChnlUnit(ch));
    p.drawText(QRect(left + 15 + numW, top, right - left - 15 - numW, row),
               Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    p.setPen(sc.shadow);
    p.drawLine(left, top, right - 1, top);
    ++drawn;
  }
}

}  // namespace charts
