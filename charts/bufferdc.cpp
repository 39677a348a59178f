#include "charts/bufferdc.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QPalette>
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/ui/fonts.h"

namespace charts {

// n / d rounded half away from zero, d > 0 (as llround of the quotient).
static inline int RoundDiv(int64_t n, int64_t d) {
  return int(n >= 0 ? (2 * n + d) / (2 * d) : -((-2 * n + d) / (2 * d)));
}

void Polyline1(QImage& img, const std::vector<QPoint>& pts, QRgb colour, int xMin, int xMax) {
  const int w = std::min(img.width(), xMax), h = img.height();
  xMin = std::max(xMin, 0);
  uchar* const bits = img.bits();
  const qsizetype bpl = img.bytesPerLine();
  auto plot = [&](int x, int y) {
    if (x >= xMin && x < w && unsigned(y) < unsigned(h))
      reinterpret_cast<QRgb*>(bits + y * bpl)[x] = colour;
  };
  for (size_t i = 0; i + 1 < pts.size(); ++i) {
    const int x0 = pts[i].x(), y0 = pts[i].y(), x1 = pts[i + 1].x(), y1 = pts[i + 1].y();
    int dx = x1 - x0, dy = y1 - y0;
    if ((y0 < 0 && y1 < 0) || (y0 >= h && y1 >= h)) continue;
    if ((x0 < xMin && x1 < xMin) || (x0 >= w && x1 >= w)) continue;
    if (std::abs(dx) >= std::abs(dy)) {
      const int step = dx > 0 ? 1 : -1;
      const int64_t sdy = dx > 0 ? dy : -dy, adx = std::abs(dx);
      for (int x = x0; x != x1; x += step) plot(x, y0 + RoundDiv(int64_t(x - x0) * sdy, adx));
    } else {
      const int step = dy > 0 ? 1 : -1;
      const int64_t sdx = dy > 0 ? dx : -dx, ady = std::abs(dy);
      // Only the rows inside the image are walked.
      const int from = step > 0 ? std::max(y0, -1) : std::min(y0, h);
      const int to = step > 0 ? std::min(y1, h) : std::max(y1, -1);
      for (int y = from; step > 0 ? y < to : y > to; y += step)
        plot(x0 + RoundDiv(int64_t(y - y0) * sdx, ady), y);
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

CBufferDC::CBufferDC(QImage* target, const Rect& rect)
    : image_(std::max(rect.Width(), 1), std::max(rect.Height(), 1), QImage::Format_RGB32),
      target_(target),
      rect_(rect) {
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

}  // namespace charts
