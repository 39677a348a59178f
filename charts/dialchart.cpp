#include "charts/dialchart.h"

#include <QMouseEvent>
#include <QPainter>

#include "data/cxfile.h"

namespace charts {

CDialChart::CDialChart(QWidget* parent) : QWidget(parent) {
  setObjectName("1123");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CDialChart::SetRecord(CXFile* f) {
  if (!f) return;
  file = f;
  chnlCount = f->GetChnlCount();
}

time_t CDialChart::Now() const { return now_ ? now_ : time(nullptr); }

void CDialChart::Layout() {
  // The parent's client area less two pixels on the right and the bottom.
  if (QWidget* p = parentWidget()) {
    const int w = std::max(p->width() - x() - 2, 1), h = std::max(p->height() - y() - 2, 1);
    if (w != width() || h != height()) {
      inLayout_ = true;
      resize(w, h);
      inLayout_ = false;
    }
  }
  layout_ = DialLayoutOf(width(), height(), x(), y());
  screen_ = QImage(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
  screen_.fill(SystemColors().face);
  dial_ = QImage(std::max(layout_.dial.Width(), 1), std::max(layout_.dial.Height(), 1), QImage::Format_RGB32);
  dial_.fill(SystemColors().face);
}

void CDialChart::Relayout() {
  Layout();
  Redraw();
}

void CDialChart::Redraw() {
  if (screen_.isNull()) Layout();
  if (file) {
    chnlCount = file->GetChnlCount();
    DrawDialPanel(screen_, *file, layout_, page);
    DrawDial(dial_, *file, layout_, page, Now());
    CopyImage(screen_, dial_, QPoint(layout_.dial.left, layout_.dial.top));
  }
  update();
}

void CDialChart::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, screen_);
}

void CDialChart::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (!inLayout_) Relayout();
}

void CDialChart::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton && rect().contains(e->position().toPoint())) emit RightButtonReleased();
}

}  // namespace charts
