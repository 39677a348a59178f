#include "views/rangeview.h"

#include <QPainter>

#include "charts/circular.h"
#include "charts/printui.h"
#include "data/cxfile.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"
#include "views/hcview.h"

namespace charts {

CChnlReport::CChnlReport(QWidget* parent) : QWidget(parent) {
  setObjectName("1118");
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void CChnlReport::SetSpan(time_t start, time_t end) {
  start_ = start;
  end_ = end;
}

void CChnlReport::SetChannel(int ch) {
  channel_ = ch;
  Relayout();
}

void CChnlReport::Relayout() {
  picture_ = QImage(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
  if (file_ && channel_ >= 0 && channel_ < file_->GetChnlCount())
    DrawReportScreen(picture_, *file_, channel_, start_, end_);
  else
    picture_.fill(SystemColors().face);
  update();
}

void CChnlReport::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, picture_);
}

void CChnlReport::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Relayout();
}

CRangeView::CRangeView(views::ViewHost& host, QWidget* parent) : QWidget(parent), host_(&host) {
  setObjectName("179");
  resize(800, 600);
  report_ = new CChnlReport(this);
  report_->setGeometry(rect());
}

CRangeView::~CRangeView() {
  // The opener forgets all its channel windows, so the next command opens anew.
  if (owner_) owner_->ForgetChnlFrames();
}

void CRangeView::SetRecord(CXFile* file) {
  file_ = file;
  report_->SetRecord(file);
}

void CRangeView::SetSpan(time_t start, time_t end) { report_->SetSpan(start, end); }

void CRangeView::SetChannel(int ch) { report_->SetChannel(ch); }

void CRangeView::resizeEvent(QResizeEvent* e) {
  report_->setGeometry(rect());
  QWidget::resizeEvent(e);
}

bool CRangeView::OnUpdateCommand(int id, CommandState& state) {
  switch (id) {
    case ID_LIST_PRINT:
    case ID_LIST_PRINT_PREVIEW:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
      state.enabled = file_ != nullptr;
      return true;
    default:
      return false;
  }
}

bool CRangeView::OnCommand(int id) {
  switch (id) {
    case ID_LIST_PRINT:
    case ID_FILE_PRINT:
      Print();
      return true;
    case ID_LIST_PRINT_PREVIEW:
    case ID_FILE_PRINT_PREVIEW:
      PrintPreview();
      return true;
    default:
      return false;
  }
}

void CRangeView::Print() {
  if (!file_) return;
  host_->Print(this, ReportPages(file_, report_->Channel(), report_->SpanStart(), report_->SpanEnd()),
                       lang::Format(IDS_CC_CHANNEL_N, report_->Channel() + 1));
}

void CRangeView::PrintPreview() {
  if (!file_) return;
  PreviewPages(this, ReportPages(file_, report_->Channel(), report_->SpanStart(), report_->SpanEnd()));
}

}  // namespace charts
