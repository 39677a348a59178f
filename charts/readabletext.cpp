#include "charts/readabletext.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <unordered_map>

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

void DrawOutlinedText(QPainter& p, const QRect& rect, int flags, const QString& text,
                      const QColor& colour, const QColor& background) {
  if (p.device()->devType() != QInternal::Image || !p.transform().isIdentity() ||
      p.compositionMode() != QPainter::CompositionMode_SourceOver || p.hasClipping()) {
    DrawOutlinedText(p, rect, flags, text, colour);
    return;
  }
  // The text drawn on its background in a tile a few pixels larger than the
  // rectangle; the pixels it left as they were become transparent, the others
  // opaque, so the copy sets exactly what drawing the text would have set.
  constexpr int kMargin = 4;
  struct Key {
    QString text, font;
    QRgb colour, background;
    QSize size;
    int flags;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const {
      return qHashMulti(0, k.text, k.font, k.colour, k.background, k.size.width(), k.size.height(), k.flags);
    }
  };
  struct Tile {
    QImage image;  // the pixels the text set, the rest transparent
    QPoint at;     // its place from the rectangle's top-left corner
  };
  static std::unordered_map<Key, Tile, KeyHash> tiles;
  const Key key{text, p.font().key(), colour.rgb(), background.rgb(), rect.size(), flags};
  auto it = tiles.find(key);
  if (it == tiles.end()) {
    if (tiles.size() > 512) tiles.clear();
    QImage drawn(rect.width() + 2 * kMargin, rect.height() + 2 * kMargin, QImage::Format_RGB32);
    drawn.fill(background);
    {
      QPainter t(&drawn);
      t.setFont(p.font());
      t.setRenderHints(p.renderHints());
      DrawOutlinedText(t, QRect(kMargin, kMargin, rect.width(), rect.height()), flags, text, colour);
    }
    QImage tile(drawn.size(), QImage::Format_ARGB32_Premultiplied);
    const QRgb plain = background.rgb() | 0xFF000000u;
    QRect set;  // the pixels the text set
    for (int y = 0; y < drawn.height(); ++y) {
      const QRgb* from = reinterpret_cast<const QRgb*>(drawn.constScanLine(y));
      QRgb* to = reinterpret_cast<QRgb*>(tile.scanLine(y));
      for (int x = 0; x < drawn.width(); ++x) {
        to[x] = (from[x] | 0xFF000000u) == plain ? 0 : from[x] | 0xFF000000u;
        if (to[x]) set |= QRect(x, y, 1, 1);
      }
    }
    Tile kept{set.isEmpty() ? QImage() : tile.copy(set), set.topLeft() - QPoint(kMargin, kMargin)};
    it = tiles.emplace(key, std::move(kept)).first;
  }
  if (!it->second.image.isNull()) p.drawImage(rect.topLeft() + it->second.at, it->second.image);
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
