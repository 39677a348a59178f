#include "tables/printrangedlg.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "platform/ui/dialogfields.h"
#include "charts/curveprint.h"
#include "data/cxfile.h"
#include "platform/localspan.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"

namespace tables {

namespace {

QString S(int id) { return lang::String(id); }

QString SpanLabel(time_t first, time_t last) {
  struct tm a = {}, b = {};
  localtime_r(&first, &a);
  localtime_r(&last, &b);
  return lang::Format(IDS_PR_RANGE, a.tm_year + 1900, a.tm_mon + 1, a.tm_mday, a.tm_hour, a.tm_min, a.tm_sec,
                      b.tm_year + 1900, b.tm_mon + 1, b.tm_mday, b.tm_hour, b.tm_min, b.tm_sec);
}

}  // namespace

CPrintRangeDlg::CPrintRangeDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("160");
  setWindowTitle(S(IDS_PR_TITLE));
  label_ = new QLabel(this);
  label_->setObjectName("1057");
  NewPickers(this, &startDate_, &startTime_, "1052", "1053");
  NewPickers(this, &endDate_, &endTime_, "1054", "1055");
  status_ = new QLabel(this);
  status_->setObjectName("1058");
  status_->setStyleSheet("color: #c00000");
  pageText_ = new QLabel(this);
  pageText_->setObjectName("1056");

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(S(IDS_PR_START), this), 0, 0);
  grid->addWidget(startDate_, 0, 1);
  grid->addWidget(startTime_, 0, 2);
  grid->addWidget(new QLabel(S(IDS_PR_END), this), 1, 0);
  grid->addWidget(endDate_, 1, 1);
  grid->addWidget(endTime_, 1, 2);
  grid->addWidget(new QLabel(S(IDS_PR_PAGES), this), 2, 0);
  grid->addWidget(pageText_, 2, 1);

  auto* box = new QDialogButtonBox(this);
  QPushButton* preview = box->addButton(S(IDS_PR_PREVIEW), QDialogButtonBox::ActionRole);
  preview->setObjectName("1");
  preview->setDefault(true);
  QPushButton* print = box->addButton(S(IDS_PR_PRINT), QDialogButtonBox::ActionRole);
  print->setObjectName("1051");
  box->addButton(S(IDS_PR_CANCEL), QDialogButtonBox::RejectRole)->setObjectName("2");
  connect(preview, &QPushButton::clicked, this, &CPrintRangeDlg::OnPreview);
  connect(print, &QPushButton::clicked, this, &CPrintRangeDlg::OnPrint);
  connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* top = new QVBoxLayout(this);
  top->addWidget(label_);
  top->addLayout(grid);
  top->addWidget(status_);
  top->addWidget(box);

  for (QDateEdit* d : {startDate_, endDate_}) connect(d, &QDateEdit::dateChanged, this, [this] { Recompute(); });
  for (QTimeEdit* t : {startTime_, endTime_}) connect(t, &QTimeEdit::timeChanged, this, [this] { Recompute(); });
}

void CPrintRangeDlg::SetFile(CXFile* file) {
  file_ = file;
  if (!file_) return;
  const time_t first = file_->GetStartTime(), last = file_->GetEndTime();
  label_->setText(SpanLabel(first, last));
  inRecompute_ = true;
  SetPickers(endDate_, endTime_, last);
  // The start 1000 seconds before the end, or the first record when that is
  // later. Date and time move together, so a span over midnight stays valid.
  SetPickers(startDate_, startTime_, std::max<time_t>(last - 1000, first));
  inRecompute_ = false;
  Recompute();
}

time_t CPrintRangeDlg::Start() const {
  const time_t t = PickedTime(startDate_, startTime_);
  return file_ ? platform::WithinSpan(t, file_->GetStartTime(), file_->GetEndTime(), platform::SpanEdge::Start) : t;
}

time_t CPrintRangeDlg::End() const {
  const time_t t = PickedTime(endDate_, endTime_);
  return file_ ? platform::WithinSpan(t, file_->GetStartTime(), file_->GetEndTime(), platform::SpanEdge::End) : t;
}

void CPrintRangeDlg::Recompute() {
  if (inRecompute_ || !file_) return;
  inRecompute_ = true;
  charts::PrintRange r;
  if (charts::SnapPrintRange(*file_, Start(), End(), &r)) {
    SetPickers(startDate_, startTime_, r.start);
    SetPickers(endDate_, endTime_, r.end);
    pages_ = r.pages;
    status_->clear();
  } else {
    pages_ = -1;
    status_->setText(S(IDS_PR_TIME_WRONG));
  }
  pageText_->setText(QString::number(pages_));
  inRecompute_ = false;
}

void CPrintRangeDlg::OnPreview() {
  if (pages_ < 0) {
    MsgBox(this, IDS_PR_TIME_INVALID, IDS_PR_CAPTION, MsgIcon::Error);
    return;
  }
  mode_ = 1;
  accept();
}

void CPrintRangeDlg::OnPrint() {
  if (pages_ < 0) {
    MsgBox(this, IDS_TIME_OUTSIDE_FILE, IDS_CAPTION, MsgIcon::Error);
    return;
  }
  mode_ = 0;
  accept();
}

bool RunPrintRangeDlg(QWidget* parent, CXFile* file, time_t* start, time_t* end, int* pages, int* mode) {
  CPrintRangeDlg dlg(parent);
  dlg.SetFile(file);
  if (dlg.exec() != QDialog::Accepted) return false;
  *start = dlg.Start();
  *end = dlg.End();
  *pages = dlg.Pages();
  *mode = dlg.Mode();
  return true;
}

}  // namespace tables
