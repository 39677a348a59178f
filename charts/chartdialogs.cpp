#include "charts/chartdialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <cstdio>

#include "data/cxfile.h"
#include "platform/localspan.h"
#include "platform/localtime.h"
#include "platform/ui/gbkedit.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"

namespace charts {

namespace {

QString S(int id) { return lang::String(id); }

}  // namespace

QTableWidget* NewMarkList(QWidget* parent) {
  auto* list = new QTableWidget(0, 2, parent);
  list->setObjectName("1090");
  list->setHorizontalHeaderLabels({S(IDS_COL_NUMBER), S(IDS_COL_TIME)});
  list->setColumnWidth(0, 42);
  list->setColumnWidth(1, 150);
  list->verticalHeader()->hide();
  list->setShowGrid(true);
  list->setSelectionBehavior(QAbstractItemView::SelectRows);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->horizontalHeader()->setStretchLastSection(true);
  list->setMinimumSize(220, 160);
  return list;
}

void FillMarkList(QTableWidget* list, const CXFile& file) {
  const int n = file.GetMarkCount();
  list->clearContents();
  list->setRowCount(n);
  for (int i = 0; i < n; ++i) {
    list->setItem(i, 0, new QTableWidgetItem(QString::number(i + 1)));
    list->setItem(i, 1, new QTableWidgetItem(QString::fromStdString(FormatTime(file.GetMark(i)))));
  }
}

// ---------------------------------------------------------------- marks (172)

CMarksDlg::CMarksDlg(CXFile* file, QWidget* parent) : QDialog(parent), file_(file) {
  setObjectName("172");
  setWindowTitle(S(IDS_MARKS_TITLE));
  list_ = NewMarkList(this);
  auto* del = new QPushButton(S(IDS_MARKS_DELETE), this);
  del->setObjectName("1088");
  auto* delAll = new QPushButton(S(IDS_MARKS_DELETE_ALL), this);
  delAll->setObjectName("1089");
  auto* close = new QPushButton(S(IDS_DLG_CLOSE), this);
  close->setObjectName("2");
  connect(del, &QPushButton::clicked, this, &CMarksDlg::DeleteSelected);
  connect(delAll, &QPushButton::clicked, this, &CMarksDlg::DeleteAll);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QVBoxLayout;
  buttons->addWidget(del);
  buttons->addWidget(delAll);
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  if (file_) FillMarkList(list_, *file_);
}

void CMarksDlg::DeleteSelected() {
  if (!file_) return;
  const int row = list_->currentRow();
  if (row < 0 || list_->selectedItems().isEmpty()) {
    MsgBox(this, IDS_SELECT_MARK, IDS_CAPTION, MsgIcon::Information);
    return;
  }
  if (MsgBox(this, IDS_DELETE_MARK, IDS_CAPTION, MsgIcon::Question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) return;
  if (!file_->DeleteMark(row)) MsgBox(this, IDS_HEADER_WRITE_FAILED, IDS_CAPTION, MsgIcon::Error);
  FillMarkList(list_, *file_);
}

void CMarksDlg::DeleteAll() {
  if (!file_) return;
  if (MsgBox(this, IDS_DELETE_MARK, IDS_CAPTION, MsgIcon::Question, QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) return;
  while (file_->GetMarkCount() > 0) {
    if (!file_->DeleteMark(0)) {
      MsgBox(this, IDS_HEADER_WRITE_FAILED, IDS_CAPTION, MsgIcon::Error);
      break;
    }
  }
  FillMarkList(list_, *file_);
}

// ---------------------------------------------------------------- go to time (173)

CGotoTimeDlg::CGotoTimeDlg(CXFile* file, QWidget* parent) : QDialog(parent), file_(file) {
  setObjectName("173");
  setWindowTitle(S(IDS_GOTO_TITLE));
  list_ = NewMarkList(this);
  NewPickers(this, &date_, &time_, "1052", "1053");
  byTime_ = new QRadioButton(S(IDS_GOTO_BY_TIME), this);
  byTime_->setObjectName("1091");
  byMark_ = new QRadioButton(S(IDS_GOTO_BY_MARK), this);
  byMark_->setObjectName("1093");
  auto* group = new QButtonGroup(this);
  group->addButton(byTime_);
  group->addButton(byMark_);
  connect(byTime_, &QRadioButton::toggled, this, [this](bool on) { SetMode(!on); });
  auto* grid = new QGridLayout(this);
  grid->addWidget(byTime_, 0, 0, 1, 2);
  grid->addWidget(new QLabel(S(IDS_GOTO_DATE), this), 1, 0);
  grid->addWidget(date_, 1, 1);
  grid->addWidget(new QLabel(S(IDS_GOTO_TIME), this), 2, 0);
  grid->addWidget(time_, 2, 1);
  grid->addWidget(byMark_, 3, 0, 1, 2);
  grid->addWidget(list_, 4, 0, 1, 2);
  grid->addWidget(OkCancel(this), 5, 0, 1, 2);
  if (file_) {
    FillMarkList(list_, *file_);
    SetPickers(date_, time_, file_->GetStartTime());
  }
  byTime_->setChecked(true);
  SetMode(false);
}

void CGotoTimeDlg::SetMode(bool markMode) {
  date_->setEnabled(!markMode);
  time_->setEnabled(!markMode);
  list_->setEnabled(markMode);
}

void CGotoTimeDlg::accept() {
  if (!file_) return QDialog::reject();
  if (byMark_->isChecked()) {
    const int row = list_->currentRow();
    if (row < 0 || list_->selectedItems().isEmpty() || row >= file_->GetMarkCount()) {
      MsgBox(this, IDS_SELECT_MARK, IDS_CAPTION, MsgIcon::Information);
      return;
    }
    result_ = file_->GetMark(row);
    return QDialog::accept();
  }
  const time_t start = file_->GetStartTime();
  const time_t iv = file_->GetInterval() > 0 ? file_->GetInterval() : 1;
  time_t t = platform::WithinSpan(PickedTime(date_, time_), start, file_->GetEndTime(), platform::SpanEdge::Start);
  // Down to the sampling grid (towards the start for a time before it).
  time_t d = t - start;
  time_t steps = d >= 0 ? d / iv : -((-d + iv - 1) / iv);
  t = start + steps * iv;
  if (t < start || t > file_->GetEndTime()) {
    MsgBox(this, IDS_TIME_OUTSIDE_FILE, IDS_CAPTION, MsgIcon::Error);
    return;
  }
  result_ = t;
  QDialog::accept();
}

// ---------------------------------------------------------------- find (175)

CFindDlg::CFindDlg(CXFile* file, _tagFindQuery* query, std::function<void()> search, QWidget* parent)
    : QDialog(parent), query_(query), search_(std::move(search)) {
  setObjectName("175");
  setWindowTitle(S(IDS_FIND_TITLE));
  channel_ = new QComboBox(this);
  channel_->setObjectName("1102");
  channel_->addItem(S(IDS_ALL_CHANNELS));
  if (file)
    for (int ch = 0; ch < file->GetChnlCount(); ++ch)
      channel_->addItem(QString::fromStdString(file->GetChnlName(ch)));
  target_ = new QLineEdit(this);
  target_->setObjectName("1094");
  tolerance_ = new QLineEdit(this);
  tolerance_->setObjectName("1095");
  auto* originBox = new QGroupBox(S(IDS_FIND_ORIGIN), this);
  auto* originLayout = new QVBoxLayout(originBox);
  auto* originGroup = new QButtonGroup(this);
  const int originText[3] = {IDS_FIND_FROM_START, IDS_FIND_FROM_END, IDS_FIND_FROM_CURSOR};
  for (int i = 0; i < 3; ++i) {
    origin_[i] = new QRadioButton(S(originText[i]), originBox);
    origin_[i]->setObjectName(QString::number(1097 + i));
    originGroup->addButton(origin_[i], i);
    originLayout->addWidget(origin_[i]);
  }
  auto* dirBox = new QGroupBox(S(IDS_FIND_DIRECTION), this);
  auto* dirLayout = new QVBoxLayout(dirBox);
  auto* dirGroup = new QButtonGroup(this);
  for (int i = 0; i < 2; ++i) {
    direction_[i] = new QRadioButton(S(IDS_FIND_FORWARD + i), dirBox);
    direction_[i]->setObjectName(QString::number(1100 + i));
    dirGroup->addButton(direction_[i], i);
    dirLayout->addWidget(direction_[i]);
  }
  auto* find = new QPushButton(S(IDS_FIND_BUTTON), this);
  find->setObjectName("1096");
  find->setDefault(true);
  auto* close = new QPushButton(S(IDS_DLG_CLOSE), this);
  close->setObjectName("2");
  connect(find, &QPushButton::clicked, this, &CFindDlg::Find);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);

  auto* form = new QFormLayout;
  form->addRow(S(IDS_FIND_CHANNEL), channel_);
  form->addRow(S(IDS_FIND_VALUE), target_);
  form->addRow(S(IDS_FIND_TOLERANCE), tolerance_);
  auto* groups = new QHBoxLayout;
  groups->addWidget(originBox);
  groups->addWidget(dirBox);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(find);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(groups);
  layout->addLayout(buttons);

  // The fields start from the last search.
  channel_->setCurrentIndex(std::clamp(query_->channel, 0, channel_->count() - 1));
  target_->setText(FloatText(query_->target));
  tolerance_->setText(FloatText(query_->tolerance));
  origin_[std::clamp(query_->startMode, 0, 2)]->setChecked(true);
  direction_[query_->direction ? 1 : 0]->setChecked(true);
  for (auto* b : origin_) connect(b, &QRadioButton::clicked, this, [this] { criteriaNew_ = true; });
  for (auto* b : direction_) connect(b, &QRadioButton::clicked, this, [this] { criteriaNew_ = true; });
}

void CFindDlg::Find() {
  float target = 0, tolerance = 0;
  if (!ReadFloat(target_, &target)) {
    target_->setFocus();
    MsgBox(this, IDS_ENTER_NUMBER, IDS_CAPTION, MsgIcon::Warning);
    return;
  }
  if (!ReadFloat(tolerance_, &tolerance)) {
    tolerance_->setFocus();
    MsgBox(this, IDS_ENTER_NUMBER, IDS_CAPTION, MsgIcon::Warning);
    return;
  }
  query_->target = target;
  query_->tolerance = tolerance;
  query_->channel = channel_->currentIndex();
  for (int i = 0; i < 3; ++i)
    if (origin_[i]->isChecked()) query_->startMode = i;
  query_->direction = direction_[1]->isChecked() ? 1 : 0;
  if (criteriaNew_) query_->time = 0;
  criteriaNew_ = false;
  if (search_) search_();
}

// ---------------------------------------------------------------- time window

CTimeWindowDlg::CTimeWindowDlg(CXFile* file, time_t start, time_t end, QWidget* parent)
    : QDialog(parent), file_(file), start_(start), end_(end) {
  setObjectName("62223");
  setWindowTitle(S(IDS_WINDOW_TITLE));
  NewPickers(this, &startDate_, &startTime_, "62240", "62241");
  NewPickers(this, &endDate_, &endTime_, "62242", "62243");
  SetPickers(startDate_, startTime_, start);
  SetPickers(endDate_, endTime_, end);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(S(IDS_WINDOW_START), this), 0, 0);
  grid->addWidget(startDate_, 0, 1);
  grid->addWidget(startTime_, 0, 2);
  grid->addWidget(new QLabel(S(IDS_WINDOW_END), this), 1, 0);
  grid->addWidget(endDate_, 1, 1);
  grid->addWidget(endTime_, 1, 2);
  grid->addWidget(OkCancel(this), 2, 0, 1, 3);
}

void CTimeWindowDlg::accept() {
  time_t s = PickedTime(startDate_, startTime_);
  time_t e = PickedTime(endDate_, endTime_);
  if (file_) {
    s = platform::WithinSpan(s, file_->GetStartTime(), file_->GetEndTime(), platform::SpanEdge::Start);
    e = platform::WithinSpan(e, file_->GetStartTime(), file_->GetEndTime(), platform::SpanEdge::End);
  }
  if (file_ && (s < file_->GetStartTime() || e > file_->GetEndTime())) {
    MsgBox(this, IDS_TIME_OUTSIDE_FILE, IDS_CAPTION, MsgIcon::Error);
    return;
  }
  if (e <= s) {
    MsgBox(this, IDS_WINDOW_REVERSED, IDS_CAPTION, MsgIcon::Error);
    return;
  }
  start_ = s;
  end_ = e;
  QDialog::accept();
}

// ---------------------------------------------------------------- reference lines (185)

CRefLinesDlg::CRefLinesDlg(const _tagDataHead& head, QWidget* parent) : QDialog(parent) {
  setObjectName("185");
  setWindowTitle(S(IDS_REFLINES_TITLE));
  auto* grid = new QGridLayout(this);
  // The labels are stored as 10 GBK bytes: the heading says what fits.
  grid->addWidget(new QLabel(S(IDS_REFLINE_LABEL_BYTES), this), 0, 2);
  grid->addWidget(new QLabel(S(IDS_REFLINE_VALUE), this), 0, 3);
  for (int k = 0; k < 2; ++k) {
    shown_[k] = new QCheckBox(S(IDS_REFLINE_1 + k), this);
    shown_[k]->setObjectName(QString::number(1135 + k));
    label_[k] = new QLineEdit(this);
    label_[k]->setObjectName(QString::number(1131 + k));
    LimitToGbkBytes(label_[k], 10);
    value_[k] = new QLineEdit(this);
    value_[k]->setObjectName(QString::number(1133 + k));
    grid->addWidget(shown_[k], k + 1, 0, 1, 2);
    grid->addWidget(label_[k], k + 1, 2);
    grid->addWidget(value_[k], k + 1, 3);
  }
  grid->addWidget(OkCancel(this), 3, 0, 1, 4);
  shown_[0]->setChecked(head.refShown1 != 0);
  shown_[1]->setChecked(head.refShown2 != 0);
  label_[0]->setText(QString::fromStdString(GbkField(head.refLabel1)));
  label_[1]->setText(QString::fromStdString(GbkField(head.refLabel2)));
  value_[0]->setText(FloatText(head.refValue1));
  value_[1]->setText(FloatText(head.refValue2));
}

void CRefLinesDlg::accept() {
  float v = 0;
  for (auto* edit : value_) {
    if (!ReadFloat(edit, &v)) {
      edit->setFocus();
      MsgBox(this, IDS_ENTER_NUMBER, IDS_CAPTION, MsgIcon::Warning);
      return;
    }
  }
  QDialog::accept();
}

void CRefLinesDlg::Store(_tagDataHead& head) const {
  head.refShown1 = shown_[0]->isChecked() ? 1 : 0;
  head.refShown2 = shown_[1]->isChecked() ? 1 : 0;
  // Ten bytes of text and the closing NUL.
  SetGbkField(head.refLabel1, label_[0]->text().toStdString(), true);
  SetGbkField(head.refLabel2, label_[1]->text().toStdString(), true);
  ReadFloat(value_[0], &head.refValue1);
  ReadFloat(value_[1], &head.refValue2);
}

}  // namespace charts
