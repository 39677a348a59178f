#include "charts/bufferdc.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QHash>
#include <QPalette>
#include <algorithm>
#include <cstring>

#include "platform/ui/fonts.h"

namespace charts {

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
