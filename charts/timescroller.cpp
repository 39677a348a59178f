#include "charts/timescroller.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "charts/curvechart.h"
#include "platform/ui/lang.h"

namespace charts {

namespace {

void Box3d(QPainter& p, const Rect& r, const QColor& fill) {
  if (r.IsEmpty()) return;
  p.fillRect(r.ToQRect(), fill);
  p.setPen(QColor(227, 253, 241));
  p.drawLine(r.left, r.top, r.right - 2, r.top);
  p.drawLine(r.left, r.top, r.left, r.bottom - 2);
  p.setPen(QColor(10, 151, 87));
  p.drawLine(r.right - 1, r.top, r.right - 1, r.bottom - 1);
  p.drawLine(r.left, r.bottom - 1, r.right - 1, r.bottom - 1);
}

}  // namespace

CTimeScroller::CTimeScroller(QWidget* parent)
    : QWidget(parent), sizeCursor(lang::Cursor(134)), moveCursor(lang::Cursor(136)) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  Refresh(1);
}

void CTimeScroller::SetFraction(float f) {
  fraction = std::clamp(f, 0.0f, 1.0f);
  Refresh(1);
}

void CTimeScroller::Refresh(int reposition) {
  Layout(reposition);
  Draw();
}

void CTimeScroller::Layout(int reposition) {
  if (reposition) {
    if (QWidget* p = parentWidget()) {
      int w = sidePanel ? p->width() - 2 - 152 : p->width() + 150 - 2 - 152;
      setGeometry(2, y(), std::max(w, 40), height());
    }
  }
  clientRect = Rect{0, 0, width(), height()};
  thumb = clientRect.Deflated(1);
  thumb.left += 10;
  thumb.right -= 10;
  trackWidth = std::max(thumb.Width() - 17, 1);
  thumb.right = thumb.left + int(std::trunc(trackWidth * fraction)) + 17;
  const int shift = int(std::trunc(trackWidth * offset));
  thumb.left += shift;
  thumb.right += shift;
  thumb.right = std::min(thumb.right, clientRect.right - 11);
}

void CTimeScroller::Draw() {
  if (buffer_.size() != size()) buffer_ = QImage(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
  const SysColors& sc = SystemColors();
  buffer_.fill(sc.face);
  QPainter p(&buffer_);
  const Rect& r = clientRect;
  p.setPen(sc.shadow);
  p.drawLine(r.left, r.top, r.right - 2, r.top);
  p.drawLine(r.left, r.top, r.left, r.bottom - 2);
  p.setPen(sc.light);
  p.drawLine(r.right - 1, r.top, r.right - 1, r.bottom - 1);
  p.drawLine(r.left, r.bottom - 1, r.right - 1, r.bottom - 1);
  Box3d(p, thumb, QColor(75, 243, 167));
  Box3d(p, LeftHandle(), QColor(231, 242, 167));
  Box3d(p, RightHandle(), QColor(231, 242, 167));
  p.end();
  update();
}

void CTimeScroller::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, buffer_);
}

void CTimeScroller::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Refresh(0);
}

void CTimeScroller::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  const int x = e->position().toPoint().x(), y = e->position().toPoint().y();
  if (thumb.Deflated(1).Contains(x, y)) {
    moving = 1;
    grab = x - thumb.left;
  } else if (LeftHandle().Contains(x, y)) {
    sizingLeft = 1;
    grab = x - thumb.left;
  } else if (RightHandle().Contains(x, y)) {
    sizingRight = 1;
    grab = thumb.right - x;
  }
}

void CTimeScroller::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  moving = sizingLeft = sizingRight = 0;
}

void CTimeScroller::mouseMoveEvent(QMouseEvent* e) {
  const int x = e->position().toPoint().x(), y = e->position().toPoint().y();
  if (!(e->buttons() & Qt::LeftButton)) {
    if (thumb.Contains(x, y))
      setCursor(moveCursor);
    else if ((LeftHandle().Contains(x, y) || RightHandle().Contains(x, y)) && !fixedSize)
      setCursor(sizeCursor);
    else
      unsetCursor();
    return;
  }
  if (!moving && !sizingLeft && !sizingRight) return;
  if ((sizingLeft || sizingRight) && fixedSize) return;
  const int right = clientRect.right - 11;
  bool hugging = false;
  if (moving) {
    const int len = int(std::trunc(trackWidth * fraction));
    thumb.left = std::max(x - grab, 11);
    thumb.right = thumb.left + len + 17;
    if (thumb.right > right) {
      thumb.right = right;
      thumb.left = clientRect.right - len - 28;
      hugging = true;
    }
    thumb.left = std::max(thumb.left, 11);
  } else if (sizingLeft) {
    thumb.left = std::max(std::min(x - grab, thumb.right - 18), clientRect.left + 11);
  } else if (sizingRight) {
    thumb.right = std::min(std::max(thumb.left + 18, x + grab), right);
  }
  if (!moving) fraction = std::min(float(thumb.right - thumb.left - 17) / float(trackWidth), 1.0f);
  offset = hugging ? 1.0f - fraction : float(thumb.left - 11) / float(trackWidth);
  offset = std::clamp(offset, 0.0f, 1.0f);
  Draw();
  if (chart) {
    chart->SetWindowOffset(offset);
    chart->SetWindowFraction(fraction);
    chart->OnNewData();
  }
}

}  // namespace charts
