#pragma once
// The time scroller: a bar under the curve chart whose thumb shows the part of
// the recording the chart's window covers. Dragging the thumb moves the
// window; dragging the handles beside it makes the window longer or shorter.
#include <QCursor>
#include <QImage>
#include <QWidget>

#include "charts/bufferdc.h"

namespace charts {

class CCurveChart;

class CTimeScroller : public QWidget {
  Q_OBJECT

 public:
  explicit CTimeScroller(QWidget* parent = nullptr);

  void SetChart(CCurveChart* c) { chart = c; }
  void SetFixedSize(int on) { fixedSize = on; }
  void SetSidePanel(int on) { sidePanel = on; }
  void SetOffset(float f) { offset = f; }
  void SetFraction(float f);
  // Lays the thumb out again (and with reposition = 1 the bar itself), then draws.
  void Refresh(int reposition);

  const QImage& Buffer() const { return buffer_; }
  // The left and right handles beside the thumb.
  Rect LeftHandle() const { return {thumb.left - 10, thumb.top, thumb.left, thumb.bottom}; }
  Rect RightHandle() const { return {thumb.right, thumb.top, thumb.right + 10, thumb.bottom}; }

  // ---- state ----
  QCursor sizeCursor;
  QCursor moveCursor;
  int grab = 0;
  int moving = 0, sizingLeft = 0, sizingRight = 0;
  Rect thumb;
  float offset = 0.0f;
  int trackWidth = 0;
  float fraction = 1.0f;
  Rect clientRect;
  CCurveChart* chart = nullptr;
  int fixedSize = 1;
  int sidePanel = 0;

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;

 private:
  void Layout(int reposition);
  void Draw();

  QImage buffer_;
};

}  // namespace charts
