#pragma once
// Channel colours are chosen by users for curves on a dark plot; texts and
// marks in those colours must stay readable on the light faces of boxes and
// panels too (a white channel on grey, a yellow one on white).
#include <QColor>
#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

namespace charts {

// Black for light colours, white for dark ones: the outline that sets a
// colour off from any background.
QColor OutlineFor(const QColor& colour);

// Text in its colour with a one-pixel outline in OutlineFor(colour).
void DrawOutlinedText(QPainter& p, const QRect& rect, int flags, const QString& text,
                      const QColor& colour);
// The same where the painter's device is an RGB32 image that is plain
// `background` under the text: the pixels the text sets are drawn once and
// kept, and a text drawn again is copied (a read-out of 64 channels draws 64
// of them at every move of its cursor).
void DrawOutlinedText(QPainter& p, const QRect& rect, int flags, const QString& text,
                      const QColor& colour, const QColor& background);

// A square of the colour with a dark frame, size x size pixels.
QPixmap ColourSwatch(const QColor& colour, int size);

}  // namespace charts
