#include "charts/bufferdc.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

#include "platform/ui/fonts.h"

namespace charts {

void Polyline1(QImage& img, const std::vector<QPoint>& pts, QRgb colour, int xMin, int xMax) {
  const int w = std::min(img.width(), xMax), h = img.height();
  xMin = std::max(xMin, 0);
  uchar* const bits = img.bits();
  const qsizetype bpl = img.bytesPerLine();
  auto plot = [&](int x, int y) {
    if (x >= xMin && x < w && unsigned(y) < unsigned(h))
      reinterpret_cast<QRgb*>(bits + y * bpl)[x] = colour;
  };
  // Along the major axis a segment of `length` steps moves the minor
  // coordinate by `rise`: at step t by t * rise / length rounded half away
  // from zero, whose quotient and remainder are carried from step to step
  // instead of divided anew (a division per pixel was most of the drawing).
  struct Walk {
    int64_t twoLength, twoRise, rest;
    int sign, offset;
    // Starts at step t.
    Walk(int rise, int length, int64_t t)
        : twoLength(2 * int64_t(length)), twoRise(2 * int64_t(std::abs(rise))), sign(rise < 0 ? -1 : 1) {
      const int64_t num = t * twoRise + length;
      offset = int(num / twoLength);
      rest = num % twoLength;
    }
    int Next() {
      const int at = sign * offset;
      rest += twoRise;
      if (rest >= twoLength) {
        rest -= twoLength;
        ++offset;
      }
      return at;
    }
  };
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    const int x0 = pts[i].x(), y0 = pts[i].y(), x1 = pts[i + 1].x(), y1 = pts[i + 1].y();
    const int dx = x1 - x0, dy = y1 - y0;
    if ((y0 < 0 && y1 < 0) || (y0 >= h && y1 >= h)) continue;
    if ((x0 < xMin && x1 < xMin) || (x0 >= w && x1 >= w)) continue;
    if (std::abs(dx) >= std::abs(dy)) {
      if (dx == 0) continue;
      const int step = dx > 0 ? 1 : -1;
      // Only the columns inside [xMin, w) are walked.
      const int from = step > 0 ? std::max(x0, xMin) : std::min(x0, w - 1);
      const int to = step > 0 ? std::min(x1, w) : std::max(x1, xMin - 1);
      Walk walk(dy, std::abs(dx), int64_t(from - x0) * step);
      for (int x = from; step > 0 ? x < to : x > to; x += step) plot(x, y0 + walk.Next());
    } else {
      const int step = dy > 0 ? 1 : -1;
      // Only the rows inside the image are walked.
      const int from = step > 0 ? std::max(y0, -1) : std::min(y0, h);
      const int to = step > 0 ? std::min(y1, h) : std::max(y1, -1);
      Walk walk(dx, std::abs(dy), int64_t(from - y0) * step);
      for (int y = from; step > 0 ? y < to : y > to; y += step) plot(x0 + walk.Next(), y);
    }
  }
  if (!pts.empty()) plot(pts.back().x(), pts.back().y());
}

const SysColors& SystemColors() {
  static const SysColors colors = [] {
    QPalette p = QGuiApplication::palette();
    return SysColors{p.color(QPalette::Button), p.color(QPalette::Dark), p.color(QPalette::Light)};
  }();
  return colors;
}

QFont CellFont(const QString& face, int height) {
  // The old fonts were asked for by cell height (ascent + descent): shrink
  // the pixel size until the line fits. Fonts are asked for at every redraw,
  // so the answers are kept.
  static QHash<QPair<QString, int>, QFont> cache;
  auto key = qMakePair(face, height);
  auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;
  int px = height;
  QFont f = FaceFont(face, px);
  // Chinese faces are drawn at the full height: their glyphs fill the cell.
  if (!face.contains("CJK") && !face.contains(QChar(0x5B8B)) && !face.contains(QChar(0x9ED1)))
    while (px > 4 && QFontMetrics(f).height() > height) f.setPixelSize(--px);
  cache.insert(key, f);
  return f;
}

namespace {

// An RGB32 image of w x h pixels. A large one (a chart on a 4K screen holds
// 32 MB a layer) lies in memory the kernel may give huge pages: the curves
// of 64 channels cross every row of it, each row a 4 KB page of its own, and
// fewer page-table walks made the redraw of a 4K chart about a fifth faster.
QImage NewImage(int w, int h) {
  constexpr size_t kHuge = size_t(2) << 20;
  const size_t bytes = size_t(w) * size_t(h) * 4;
  if (bytes < 2 * kHuge) return QImage(w, h, QImage::Format_RGB32);
  const size_t size = (bytes + kHuge - 1) / kHuge * kHuge;
  void* mem = std::aligned_alloc(kHuge, size);
  if (!mem) return QImage(w, h, QImage::Format_RGB32);
#ifdef MADV_HUGEPAGE
  ::madvise(mem, size, MADV_HUGEPAGE);
#endif
  return QImage(static_cast<uchar*>(mem), w, h, qsizetype(w) * 4, QImage::Format_RGB32, std::free, mem);
}

}  // namespace

CBufferDC::CBufferDC(QImage* target, const Rect& rect)
    : image_(NewImage(std::max(rect.Width(), 1), std::max(rect.Height(), 1))), target_(target), rect_(rect) {
  image_.fill(SystemColors().face);
}

void CBufferDC::Present() {
  if (target_) CopyImage(*target_, image_, QPoint(rect_.left, rect_.top));
}

void CBufferDC::PresentAround(const Rect& hole) {
  if (!target_) return;
  // The bands above and below the hole, then left and right of it.
  const int w = image_.width(), h = image_.height();
  const int top = std::clamp(hole.top - rect_.top, 0, h);
  const int bottom = std::clamp(hole.bottom - rect_.top, top, h);
  const int left = std::clamp(hole.left - rect_.left, 0, w);
  const int right = std::clamp(hole.right - rect_.left, left, w);
  const QRect bands[4] = {QRect(0, 0, w, top), QRect(0, bottom, w, h - bottom),
                          QRect(0, top, left, bottom - top),
                          QRect(right, top, w - right, bottom - top)};
  for (const QRect& b : bands) {
    if (b.isEmpty()) continue;
    for (int y = b.top(); y <= b.bottom(); ++y) {
      const int ty = y + rect_.top;
      if (ty < 0 || ty >= target_->height()) continue;
      const int x0 = std::max(b.left() + rect_.left, 0);
      const int x1 = std::min(b.right() + 1 + rect_.left, target_->width());
      if (x1 <= x0) continue;
      std::memcpy(target_->scanLine(ty) + size_t(x0) * 4,
                  image_.constScanLine(y) + size_t(x0 - rect_.left) * 4, size_t(x1 - x0) * 4);
    }
  }
}

void Draw3dRect(QPainter& p, const Rect& r, const QColor& topLeft, const QColor& bottomRight) {
  if (r.IsEmpty()) return;
  p.setPen(topLeft);
  p.drawLine(r.left, r.top, r.right - 2, r.top);
  p.drawLine(r.left, r.top, r.left, r.bottom - 2);
  p.setPen(bottomRight);
  p.drawLine(r.right - 1, r.top, r.right - 1, r.bottom - 1);
  p.drawLine(r.left, r.bottom - 1, r.right - 1, r.bottom - 1);
}

void TextAt(QPainter& p, int x, int y, const QString& s) {
  p.drawText(QRect(x, y, 4000, 200), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, s);
}

void CopyImage(QImage& dst, const QImage& src, QPoint at) {
  // Same 32-bit format on both sides: copy rows directly.
  int x0 = std::max(at.x(), 0), y0 = std::max(at.y(), 0);
  int x1 = std::min(at.x() + src.width(), dst.width());
  int y1 = std::min(at.y() + src.height(), dst.height());
  if (x1 <= x0 || y1 <= y0) return;
  size_t bytes = size_t(x1 - x0) * 4;
  for (int y = y0; y < y1; ++y) {
    const uchar* s = src.constScanLine(y - at.y()) + size_t(x0 - at.x()) * 4;
    std::memcpy(dst.scanLine(y) + size_t(x0) * 4, s, bytes);
  }
}

QFont FontForText(const QFont& font, const QString& text) {
  const bool chinese = std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x2E80; });
  const QStringList families = font.families();
  const QString cjk = "Noto Sans CJK SC";
  if (!chinese || families.value(0) == cjk) return font;
  QFont f = font;
  QStringList list{cjk};
  for (const QString& family : families)
    if (family != cjk) list << family;
  f.setFamilies(list);
  return f;
}

bool LabelSpots::Place(QRect& r) {
  if (r.right() > area_.right()) r.moveRight(area_.right());
  if (r.left() < area_.left()) r.moveLeft(area_.left());
  if (r.bottom() > area_.bottom()) r.moveBottom(area_.bottom());
  if (r.top() < area_.top()) r.moveTop(area_.top());
  for (const QRect& other : taken_)
    if (other.intersects(r)) return false;
  taken_.push_back(r);
  return true;
}

namespace {

double Linear(int c) {
  const double v = c / 255.0;
  return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

int Encoded(double v) {
  v = std::clamp(v, 0.0, 1.0);
  return int(std::lround(255.0 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055)));
}

}  // namespace

QColor PaperInk(const QColor& colour, bool* darkened) {
  // The light a colour sends back, as the eye weighs the primaries; above the
  // limit a thin line of it can hardly be told from the paper. Scaling the
  // three primaries alike keeps the hue.
  constexpr double kLimit = 0.3;
  const double r = Linear(colour.red()), g = Linear(colour.green()), b = Linear(colour.blue());
  const double luminance = 0.2126 * r + 0.7152 * g + 0.0722 * b;
  if (darkened) *darkened = luminance > kLimit;
  if (luminance <= kLimit) return colour;
  const double k = kLimit / luminance;
  return QColor(Encoded(r * k), Encoded(g * k), Encoded(b * k));
}

}  // namespace charts
