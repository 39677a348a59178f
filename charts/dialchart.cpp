#include "charts/dialchart.h"

#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTabBar>
#include <QTimer>

#include "data/cxfile.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "tables/recordsettingsdlg.h"

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

CRRangeView::CRRangeView(QWidget* parent) : QWidget(parent) {
  setObjectName("184");
  resize(800, 600);
  tabs_ = new QTabBar(this);
  tabs_->setObjectName("1125");
  tabs_->move(2, 2);
  dial_ = new CDialChart(this);
  dial_->move(2, 30);
  timer_ = new QTimer(this);
  timer_->setObjectName("9");
  connect(timer_, &QTimer::timeout, dial_, &CDialChart::Redraw);
  connect(tabs_, &QTabBar::currentChanged, this, &CRRangeView::OnTabChanged);
  connect(dial_, &CDialChart::RightButtonReleased, this, &CRRangeView::ShowMenu);
}

CRRangeView::~CRRangeView() {
  if (onDestroyed_) onDestroyed_();
}

void CRRangeView::SetRecord(CXFile* f) {
  file = f;
  hasRecording = f ? 1 : 0;
  dial_->SetRecord(f);
  RefreshTabs();
  dial_->Relayout();
}

void CRRangeView::RefreshTabs() {
  if (!file) return;
  refreshing_ = true;
  const int iv = std::max(file->GetInterval(), 1);
  if (timer_->interval() != iv * 1000 || !timer_->isActive()) timer_->start(iv * 1000);
  pages = (file->GetChnlCount() + 3) / 4;
  while (tabs_->count() > 0) tabs_->removeTab(0);
  for (int i = 0; i < pages; ++i) tabs_->addTab(lang::Format(61289, i + 1));
  if (page >= pages) page = std::max(pages - 1, 0);
  tabs_->setCurrentIndex(page);
  tabs_->resize(std::max(width() - 4, 1), tabs_->sizeHint().height());
  dial_->move(2, tabs_->y() + tabs_->height() + 2);
  dial_->SetPageCount(pages);
  dial_->SetPage(page);
  refreshing_ = false;
}

void CRRangeView::OnTabChanged(int index) {
  if (refreshing_ || index < 0 || index == page) return;
  page = index;
  dial_->SetPage(page);
  dial_->Redraw();
}

bool CRRangeView::OnUpdateCommand(int id, CommandState& state) {
  if (id != ID_RECORD_SETTINGS) return false;
  state.enabled = file != nullptr;
  return true;
}

bool CRRangeView::OnCommand(int id) {
  if (id != ID_RECORD_SETTINGS) return false;
  // The dialog writes the header; the dial then shows the new names, colours,
  // rings and period.
  if (file && tables::EditRecordSettings(file, this)) {
    RefreshTabs();
    dial_->Redraw();
  }
  return true;
}

void CRRangeView::ShowMenu() {
  if (QMenu* menu = CommandRouter::Instance().BuildPopup(158, 4, this)) {
    menu->exec(QCursor::pos());
    menu->deleteLater();
  }
}

void CRRangeView::resizeEvent(QResizeEvent* e) {
  tabs_->resize(std::max(width() - 4, 1), tabs_->sizeHint().height());
  dial_->Relayout();
  QWidget::resizeEvent(e);
}

void CRRangeView::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  RefreshTabs();
}

void CRRangeView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) ShowMenu();
}

}  // namespace charts
