#include "tables/colorbutton.h"

#include <QColorDialog>
#include <QMouseEvent>
#include <QPainter>

#include "charts/bufferdc.h"

namespace tables {

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent) {
  setMinimumSize(40, 22);
  setFocusPolicy(Qt::StrongFocus);
}

void CColorButton::SetColor(uint32_t colour) {
  colour_ = colour & 0x00FFFFFF;
  update();
}

void CColorButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QRect r = rect();
  // Pressed or focused: the face shows around a frame one pixel further in.
  if (isDown() || hasFocus()) {
    p.fillRect(r, charts::SystemColors().face);
    r.adjust(1, 1, -1, -1);
  }
  p.fillRect(r, charts::FromColorRef(colour_));
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0, 0, -1, -1));
}

void CColorButton::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
    update();
    QColorDialog dlg(charts::FromColorRef(colour_), this);
    if (dlg.exec() == QDialog::Accepted) {
      SetColor(charts::ToColorRef(dlg.selectedColor()));
      emit ColorChosen(colour_);
    }
  }
  QPushButton::mouseReleaseEvent(e);
}

}  // namespace tables
