#include "views/barview.h"

#include <QResizeEvent>
#include <QTabBar>
#include <QTimerEvent>
#include <algorithm>

#include "charts/barchart.h"
#include "data/cxfile.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

namespace charts {

namespace {
constexpr int kMargin = 4;
}

CBarViewBase::CBarViewBase(QWidget* parent, int timerNumber)
    : QWidget(parent), chart_(new CBarChart(this)), timerNumber_(timerNumber) {}

void CBarViewBase::SetRecord(CXFile* f) {
  file = f;
  chart_->SetRecord(f);
  Rebuild();
  RestartTimer();
}

void CBarViewBase::RestartTimer() {
  if (timerId_) killTimer(timerId_);
  timerId_ = 0;
  timerPeriod_ = 0;
  if (!file || file->GetInterval() <= 0) return;
  timerPeriod_ = file->GetInterval() * 1000;
  timerId_ = startTimer(timerPeriod_);
}

void CBarViewBase::timerEvent(QTimerEvent* e) {
  if (e->timerId() == timerId_)
    chart_->RedrawValues();
  else
    QWidget::timerEvent(e);
}

void CBarViewBase::resizeEvent(QResizeEvent*) {
  chart_->move(kMargin, kMargin);
  chart_->Relayout();
}

CMinBarView::CMinBarView(QWidget* parent) : CBarViewBase(parent, 9) {
  setObjectName("183");
  chart_->setObjectName("1123");
}

void CMinBarView::Rebuild() {
  chart_->SetPageCount(1);
  chart_->SetPage(0);
  chart_->move(kMargin, kMargin);
  chart_->Relayout();
}

CBarView::CBarView(QWidget* parent) : CBarViewBase(parent, 8), tabs_(new QTabBar(this)), page_(new QWidget(this)) {
  setObjectName("181");
  chart_->setParent(page_);
  tabs_->setObjectName("1122");
  chart_->setObjectName("1121");
  connect(tabs_, &QTabBar::currentChanged, this, &CBarView::OnTabChanged);
}

void CBarView::Rebuild() {
  rebuilding_ = true;
  while (tabs_->count() > 0) tabs_->removeTab(0);
  pageCount = file ? BarPageCount(file->GetChnlCount()) : 0;
  for (int k = 0; k < pageCount; ++k) tabs_->addTab(lang::Format(IDS_PAGE_TAB, k + 1));
  current = std::clamp(current, 0, std::max(pageCount - 1, 0));
  tabs_->setCurrentIndex(current);
  rebuilding_ = false;
  chart_->SetPageCount(pageCount);
  chart_->SetPage(current);
  resizeEvent(nullptr);
}

void CBarView::OnTabChanged(int index) {
  if (rebuilding_ || index < 0) return;
  current = index;
  chart_->SetPage(current);
  chart_->Relayout();
}

void CBarView::resizeEvent(QResizeEvent*) {
  tabs_->move(kMargin, kMargin);
  tabs_->resize(std::max(width() - 2 * kMargin, 1), tabs_->sizeHint().height());
  int top = tabs_->y() + tabs_->height();
  page_->setGeometry(0, top, width(), std::max(height() - top, 1));
  chart_->move(kMargin, kMargin);
  chart_->Relayout();
}

CBarViewBase* NewBarView(CXFile* file, QWidget* parent) {
  CBarViewBase* view = file && file->GetChnlCount() >= 13 ? static_cast<CBarViewBase*>(new CBarView(parent))
                                                          : new CMinBarView(parent);
  view->SetRecord(file);
  return view;
}

}  // namespace charts
