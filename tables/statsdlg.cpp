#include "tables/statsdlg.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "data/cxfile.h"
#include "data/records.h"
#include "platform/appconfig.h"
#include "platform/localspan.h"
#include "platform/localtime.h"
#include "platform/ui/dialogfields.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"
#include "tables/sheetwriter.h"

namespace tables {

namespace {

constexpr int kHeaders[6] = {IDS_COL_NUMBER, IDS_COL_CHANNEL, IDS_COL_MAXIMUM, IDS_COL_MINIMUM, IDS_COL_MEAN, IDS_COL_SPREAD};
constexpr int kWidths[6] = {42, 100, 60, 60, 60, 60};

}  // namespace

void RunStatistics(QWidget* parent, CXFile* file, time_t start, time_t end) {
  if (!file) return;
  CStatisticsDlg dlg(parent);
  dlg.SetFile(file);
  if (start < end) dlg.SetSpan(start, end);
  dlg.exec();
}

CStatisticsDlg::CStatisticsDlg(QWidget* parent) : QDialog(parent) {
  setObjectName("171");
  setWindowTitle(lang::String(IDS_STATS_TITLE));
  list_ = new QTableWidget(0, 6, this);
  list_->setObjectName("1086");
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setShowGrid(true);
  list_->verticalHeader()->hide();
  list_->horizontalHeader()->setHighlightSections(false);
  QStringList headers;
  for (int i = 0; i < 6; ++i) headers << lang::String(kHeaders[i]);
  list_->setHorizontalHeaderLabels(headers);
  for (int i = 0; i < 6; ++i) list_->setColumnWidth(i, kWidths[i] * 5 / 4);
  list_->horizontalHeader()->setStretchLastSection(true);

  progress_ = new QProgressBar(this);
  progress_->setObjectName("1087");
  progress_->setRange(0, 100);
  progress_->setValue(0);

  NewPickers(this, &startDate_, &startTime_, "1052", "1053");
  NewPickers(this, &endDate_, &endTime_, "1054", "1055");
  span_ = new QLabel(this);
  span_->setObjectName("1004");

  auto* compute = new QPushButton(lang::String(IDS_STATS_COMPUTE), this);
  compute->setObjectName("1083");
  compute->setDefault(true);
  auto* copy = new QPushButton(lang::String(IDS_STATS_COPY), this);
  copy->setObjectName("1084");
  auto* exportButton = new QPushButton(lang::String(IDS_STATS_EXPORT), this);
  exportButton->setObjectName("1085");
  auto* close = new QPushButton(lang::String(IDS_STATS_CLOSE), this);
  close->setObjectName("2");
  for (QPushButton* b : {copy, exportButton, close}) b->setAutoDefault(false);

  auto* pickers = new QGridLayout;
  pickers->addWidget(new QLabel(lang::String(IDS_STATS_START), this), 0, 0);
  pickers->addWidget(startDate_, 0, 1);
  pickers->addWidget(startTime_, 0, 2);
  pickers->addWidget(new QLabel(lang::String(IDS_STATS_END), this), 1, 0);
  pickers->addWidget(endDate_, 1, 1);
  pickers->addWidget(endTime_, 1, 2);
  pickers->addWidget(span_, 0, 3, 2, 1);
  pickers->setColumnStretch(3, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(compute);
  buttons->addWidget(copy);
  buttons->addWidget(exportButton);
  buttons->addStretch(1);
  buttons->addWidget(close);
  auto* top = new QVBoxLayout(this);
  top->addWidget(list_, 1);
  top->addWidget(progress_);
  top->addLayout(pickers);
  top->addLayout(buttons);
  resize(560, 420);

  connect(compute, &QPushButton::clicked, this, &CStatisticsDlg::OnCompute);
  connect(copy, &QPushButton::clicked, this, &CStatisticsDlg::OnCopy);
  connect(exportButton, &QPushButton::clicked, this, &CStatisticsDlg::OnExport);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void CStatisticsDlg::SetFile(CXFile* file) {
  file_ = file;
  list_->setRowCount(0);
  if (!file_) return;
  const char* kSpanFormat = "%Y-%m-%d %H-%M-%S";
  span_->setText(QString::fromStdString(FormatTime(file_->GetStartTime(), kSpanFormat)) + QStringLiteral("\n") +
                 QString::fromStdString(FormatTime(file_->GetEndTime(), kSpanFormat)));
  SetPickers(endDate_, endTime_, file_->GetEndTime());
  // The last hour, or the whole file when it is shorter.
  SetPickers(startDate_, startTime_, std::max(file_->GetStartTime(), file_->GetEndTime() - 3600));
  const int n = file_->GetChnlCount();
  list_->setRowCount(n);
  for (int ch = 0; ch < n; ++ch) {
    list_->setItem(ch, 0, new QTableWidgetItem(QString::number(ch + 1)));
    list_->setItem(ch, 1, new QTableWidgetItem(QString::fromStdString(file_->GetChnlName(ch))));
    for (int c = 2; c < 6; ++c) list_->setItem(ch, c, new QTableWidgetItem());
  }
}

void CStatisticsDlg::SetSpan(time_t start, time_t end) {
  SetPickers(startDate_, startTime_, start);
  SetPickers(endDate_, endTime_, end);
}

void CStatisticsDlg::OnCompute() {
  if (!file_) return;
  const time_t start = platform::WithinSpan(PickedTime(startDate_, startTime_), file_->GetStartTime(),
                                            file_->GetEndTime(), platform::SpanEdge::Start);
  const time_t end = platform::WithinSpan(PickedTime(endDate_, endTime_), file_->GetStartTime(), file_->GetEndTime(),
                                          platform::SpanEdge::End);
  if (const int message = CheckStatsSpan(*file_, start, end)) {
    MsgBox(this, message, IDS_CAPTION, MsgIcon::Error);
    return;
  }
  StatsResult result;
  progress_->setRange(0, 100);
  const bool ok = ComputeStatistics(*file_, start, end, &result, [this](int percent) {
    progress_->setValue(percent);
    progress_->repaint();
  });
  if (!ok) return;
  bool any = false;
  for (int ch = 0; ch < static_cast<int>(result.channels.size()) && ch < list_->rowCount(); ++ch) {
    const ChannelStats& s = result.channels[static_cast<size_t>(ch)];
    any = any || s.HasValues();
    const StatsTexts t = FormatStats(*file_, ch, s, result.instants);
    list_->item(ch, 2)->setText(QString::fromStdString(t.maximum));
    list_->item(ch, 3)->setText(QString::fromStdString(t.minimum));
    list_->item(ch, 4)->setText(QString::fromStdString(t.mean));
    list_->item(ch, 5)->setText(QString::fromStdString(t.spread));
  }
  if (!any && !result.channels.empty()) MsgBox(this, IDS_STATS_NO_VALUES, IDS_CAPTION, MsgIcon::Warning);
}

QString CStatisticsDlg::ListText() const {
  QString text;
  for (int id : kHeaders) text += lang::String(id) + QLatin1Char('\t');
  text += QStringLiteral("\r\n");
  for (int row = 0; row < list_->rowCount(); ++row) {
    for (int c = 0; c < 6; ++c) {
      const QTableWidgetItem* item = list_->item(row, c);
      text += (item ? item->text() : QString()) + QLatin1Char('\t');
    }
    text += QStringLiteral("\r\n");
  }
  return text;
}

void CStatisticsDlg::OnCopy() {
  if (!file_) return;
  QApplication::clipboard()->setText(ListText());
}

QString CStatisticsDlg::AskTarget() {
  const QString last = QString::fromStdString(platform::ReadLastDir());
  const QFileInfo info(last);
  const QString dir = info.isDir() ? last : info.path();
  QFileDialog dlg(this, QStringLiteral("Excel Export"), dir, QStringLiteral("Microsoft Excel Sheet(*.xlsx)"));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  dlg.setDefaultSuffix(QStringLiteral("xlsx"));
  dlg.selectFile(QStringLiteral("Statistic.xlsx"));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
  return dlg.selectedFiles().first();
}

bool CStatisticsDlg::WriteSheet(const QString& path, QString* error) const {
  // Number, name and spread are text; the values are numbers where they are.
  std::vector<std::string> names, types = {"SHORT", "TEXT", "SHORT", "SHORT", "SHORT", "TEXT"};
  for (int id : kHeaders) names.push_back(std::string("[").append(lang::String(id).toStdString()).append("]"));
  CXSheetWriter writer;
  bool ok = writer.Open(path.toStdString()) && writer.CreateTable("Statistic", names, types) == 1;
  std::vector<std::string> values(6);
  for (int row = 0; ok && row < list_->rowCount(); ++row) {
    for (int c = 0; c < 6; ++c) {
      const QTableWidgetItem* item = list_->item(row, c);
      values[static_cast<size_t>(c)] = item ? item->text().toStdString() : std::string();
    }
    ok = writer.InsertRow(values) == 1;
  }
  ok = ok && writer.Close();
  if (!ok) {
    if (error) *error = QString::fromStdString(writer.Error());
    writer.Abandon();
  }
  return ok;
}

void CStatisticsDlg::OnExport() {
  if (!file_) return;
  const QString path = AskTarget();
  if (path.isEmpty() || RefusedAsOutput(this, path, file_->GetPath())) return;
  QString error;
  if (!WriteSheet(path, &error)) {
    MsgBoxText(this, lang::Format(IDS_STATS_EXPORT_FAILED, path.toUtf8().constData(), error.toUtf8().constData()), IDS_CAPTION,
               MsgIcon::Error);
    return;
  }
  MsgBox(this, IDS_STATS_EXPORT_DONE, IDS_CAPTION, MsgIcon::Information);
}

}  // namespace tables
