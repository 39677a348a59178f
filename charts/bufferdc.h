#pragma once
// Off-screen drawing for the chart-like controls: a window rectangle with the
// edges of the old desktop rectangles (right and bottom exclusive), the three
// system colours every chart shares, and CBufferDC, an image that is drawn in
// private and then copied whole onto its target at a fixed place.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QRect>
#include <cstdint>
#include <vector>

namespace charts {

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  // Right and bottom edges are outside, as with every window rectangle.
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  Rect Deflated(int d) const { return {left + d, top + d, right - d, bottom - d}; }
  Rect Inflated(int d) const { return Deflated(-d); }
  QRect ToQRect() const { return QRect(left, top, Width(), Height()); }
  bool operator==(const Rect&) const = default;
};

// Button face, button shadow and button highlight, read once.
struct SysColors {
  QColor face, shadow, light;
};
const SysColors& SystemColors();

// A stored colour value 0x00BBGGRR as drawn.
inline QColor FromColorRef(uint32_t c) {
  return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}
inline uint32_t ToColorRef(const QColor& c) {
  return uint32_t(c.red()) | (uint32_t(c.green()) << 8) | (uint32_t(c.blue()) << 16);
}

// Font whose line height (ascent + descent) is `height` pixels, the way the old
// drawing code asked for fonts; `face` is tried first, then metric-compatible
// families and a Chinese family so both languages show.
QFont CellFont(const QString& face, int height);

class CBufferDC {
 public:
  // An image the size of `rect`, filled with the button-face colour, copied to
  // `target` at rect's top-left corner by Present. target may be null (the
  // owner then copies it itself).
  CBufferDC(QImage* target, const Rect& rect);

  QImage& Image() { return image_; }
  const QImage& Image() const { return image_; }
  const Rect& TargetRect() const { return rect_; }
  QImage* Target() const { return target_; }

  // Plain copy of the whole image onto the target.
  void Present();
  // The same, leaving out the part of the target inside hole (target
  // coordinates), which the caller covers itself.
  void PresentAround(const Rect& hole);
  void Fill(const QColor& c) { image_.fill(c); }

 private:
  QImage image_;
  QImage* target_;
  Rect rect_;
};

// A one-pixel polyline straight into an RGB32 image, drawn as the old line
// code drew it: every segment from its first point up to (not including) its
// last, so each vertex is set exactly; the final vertex is set too. Rows far
// outside the image cost nothing.
// Only the columns xMin <= x < xMax are touched (the pixels there are the
// same as those of the whole line).
void Polyline1(QImage& img, const std::vector<QPoint>& pts, QRgb colour, int xMin = 0,
               int xMax = 1 << 30);
// The 3-D frame of the old controls: top and left edge pixels in one colour,
// right and bottom in the other.
void Draw3dRect(QPainter& p, const Rect& r, const QColor& topLeft, const QColor& bottomRight);
// Text whose top-left corner is at (x, y), as a plain text-out draws it.
void TextAt(QPainter& p, int x, int y, const QString& s);

// Plain copy of `src` into `dst` with its top-left corner at `at` (clipped).
void CopyImage(QImage& dst, const QImage& src, QPoint at);

}  // namespace charts
