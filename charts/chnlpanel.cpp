#include "charts/chnlpanel.h"

#include <QCheckBox>
#include <QLabel>
#include <QScrollBar>

#include "charts/bufferdc.h"
#include "charts/curvechart.h"
#include "charts/readabletext.h"
#include "data/cxfile.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"

namespace charts {

CChnlPanel::CChnlPanel(QWidget* parent) : QWidget(parent) { Rebuild(1); }

void CChnlPanel::Rebuild(int reposition) {
  if (reposition) {
    if (QWidget* p = parentWidget()) setGeometry(p->width() - 150, y(), 150, p->height());
  }
  if (shown) {
    show();
    Fill();
  } else {
    hide();
  }
}

void CChnlPanel::Fill() {
  if (!file) return;
  if (!scrollBar) {
    scrollBar = new QScrollBar(Qt::Vertical, this);
    scrollBar->setObjectName("32910");
    scrollBar->setRange(0, 100);
    scrollBar->setSingleStep(1);
    scrollBar->setPageStep(5);
    connect(scrollBar, &QScrollBar::actionTriggered, this, &CChnlPanel::OnScrollAction);
    connect(scrollBar, &QScrollBar::valueChanged, this, [this](int v) {
      if (v != scrollPos_) {
        scrollPos_ = v;
        Fill();
      }
    });
  }
  scrollBar->setGeometry(width() - 18, 0, 18, height());
  scrollBar->show();
  for (int i = 0; i < 64; ++i) {
    delete marks[i];
    delete boxes[i];
    marks[i] = nullptr;
    boxes[i] = nullptr;
  }
  const _tagDataHead& h = file->Head();
  const int n = std::min(file->GetChnlCount(), 64);
  for (int i = 0; i < n; ++i) {
    const int y = -(scrollPos_ * 30) + 6 + 30 * i;
    // The colour mark: a framed swatch, visible for white channels too.
    const QColor colour = FromColorRef(h.channels[i].colour);
    auto* mark = new QLabel(this);
    mark->setObjectName(QString::number(32916 + i));
    mark->setGeometry(2, y, 15, 30);
    mark->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    mark->setPixmap(ColourSwatch(colour, 12));
    mark->setContentsMargins(0, 3, 0, 0);
    QPalette pal = mark->palette();
    pal.setColor(QPalette::WindowText, colour);
    mark->setPalette(pal);
    mark->show();
    marks[i] = mark;
    auto* box = new QCheckBox(QString::fromStdString(file->GetChnlName(i)), this);
    box->setObjectName(QString::number(32846 + i));
    box->setGeometry(22, y - 6, 110, 30);
    box->setChecked(h.channels[i].shown != 0);
    connect(box, &QCheckBox::clicked, this, [this, i] { ToggleChannel(i); });
    box->show();
    boxes[i] = box;
  }
}

void CChnlPanel::OnScrollAction(int action) {
  int pos = scrollPos_;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: pos = std::max(pos - 1, 0); break;
    case QAbstractSlider::SliderSingleStepAdd: pos = std::min(pos + 1, 100); break;
    case QAbstractSlider::SliderPageStepAdd: if (pos + 5 <= 100) pos += 5; break;
    case QAbstractSlider::SliderPageStepSub: if (pos - 5 >= 0) pos -= 5; break;
    case QAbstractSlider::SliderToMinimum: pos = 0; break;
    case QAbstractSlider::SliderToMaximum: pos = 100; break;
    case QAbstractSlider::SliderMove: pos = scrollBar->sliderPosition(); break;
    default: return;
  }
  scrollBar->setSliderPosition(pos);
}

void CChnlPanel::ToggleChannel(int ch) {
  if (!file || ch < 0 || ch >= file->GetChnlCount()) return;
  uint8_t& flag = file->Head().channels[ch].shown;
  const uint8_t before = flag;
  flag = before ? 0 : 1;
  if (file->PutHead()) {
    if (notify) notify->OnNewData();
  } else {
    // Not written: the file and the panel keep showing what they had.
    flag = before;
    if (boxes[ch]) boxes[ch]->setChecked(before != 0);
    MsgBox(this, IDS_HEADER_WRITE_FAILED, IDS_CAPTION, MsgIcon::Error);
  }
}

}  // namespace charts
