#include "views/rrangeview.h"

#include <QCursor>
#include <QMenu>
#include <QMouseEvent>
#include <QTabBar>
#include <QTimer>

#include "charts/dialchart.h"
#include "data/cxfile.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"
#include "tables/recordsettingsdlg.h"

namespace charts {

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
  // Without a recording (a new one is taking the old one's place) the dial
  // reads nothing until it has the next.
  if (!f) timer_->stop();
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
  for (int i = 0; i < pages; ++i) tabs_->addTab(lang::Format(IDS_PAGE_TAB, i + 1));
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
