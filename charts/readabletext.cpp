#include "charts/readabletext.h"

#include <QPainter>

namespace charts {

QColor OutlineFor(const QColor& colour) {
  // Relative brightness as the eye weighs the three primaries.
  const int luma = (299 * colour.red() + 587 * colour.green() + 114 * colour.blue()) / 1000;
  return luma >= 128 ? QColor(0, 0, 0) : QColor(255, 255, 255);
}

void DrawOutlinedText(QPainter& p, const QRect& rect, int flags, const QString& text,
                      const QColor& colour) {
  p.save();
  p.setPen(OutlineFor(colour));
  for (int dx = -1; dx <= 1; ++dx)
    for (int dy = -1; dy <= 1; ++dy)
      if (dx || dy) p.drawText(rect.translated(dx, dy), flags, text);
  p.setPen(colour);
  p.drawText(rect, flags, text);
  p.restore();
}

QPixmap ColourSwatch(const QColor& colour, int size) {
  QPixmap pm(size, size);
  pm.fill(colour);
  QPainter p(&pm);
  p.setPen(QColor(64, 64, 64));
  p.drawRect(0, 0, size - 1, size - 1);
  return pm;
}

}  // namespace charts
