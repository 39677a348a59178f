#include "xlsexport/exportwnd.h"

#include <algorithm>
#include <cstdint>

#include <QCloseEvent>
#include <QDateEdit>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "data/cxfile.h"
#include "data/records.h"
#include "platform/ui/postto.h"
#include "platform/appconfig.h"
#include "platform/localspan.h"
#include "platform/localtime.h"
#include "platform/ui/dialogfields.h"
#include "platform/ui/msgbox.h"
#include "tables/recordexport.h"

namespace xlsexport {

namespace {

const WindowTexts kChinese = {
    "Excel 数据导出", "导出", "取消", "时间设置", "开始时间：", "结束时间：", "间    隔:", "记录间隔",
    "时间范围：", "提示...", "请确认 开始时间 < 结束时间！", "开始时间超出范围！", "结束时间超出范围！"};
const WindowTexts kEnglish = {
    "Excel Export", "Export", "Cancel", "Time Setting", "Start Time:", "End Time:",
    "The intervening time:", "interval", "Time Range：", "Caption...",
    "Be sure start time less than end time !", "Out of Start Time", "Out of End Time!"};

// The picture along the left edge: a sheet with a green header band.
QPixmap SidePicture(int height) {
  QPixmap pm(80, height);
  QPainter p(&pm);
  QLinearGradient g(0, 0, 0, height);
  g.setColorAt(0, QColor(0x1d, 0x6f, 0x42));
  g.setColorAt(1, QColor(0x0b, 0x3d, 0x22));
  p.fillRect(pm.rect(), g);
  const QRect sheet(14, 24, 52, 64);
  p.fillRect(sheet, Qt::white);
  p.fillRect(QRect(sheet.left(), sheet.top(), sheet.width(), 12), QColor(0xa9, 0xd0, 0x8e));
  p.setPen(QColor(0x1d, 0x6f, 0x42));
  for (int y = sheet.top() + 12; y < sheet.bottom(); y += 10) p.drawLine(sheet.left(), y, sheet.right(), y);
  for (int x = sheet.left() + 17; x < sheet.right(); x += 17) p.drawLine(x, sheet.top(), x, sheet.bottom());
  p.drawRect(sheet.adjusted(0, 0, -1, -1));
  p.setPen(Qt::white);
  QFont f = p.font();
  f.setBold(true);
  f.setPixelSize(14);
  p.setFont(f);
  p.drawText(QRect(0, sheet.bottom() + 8, 80, 20), Qt::AlignCenter, QStringLiteral("XLSX"));
  return pm;
}

}  // namespace

const char* const kOpenFailed = "建立文件失败，可能缺少Excel驱动！";
const char* const kDone = "输出完成！";
// The completion and failure messages are the same in both windows, caption included.
const char* const kFixedCaption = "提示...";

const WindowTexts& Texts(int language) { return language == 1 ? kEnglish : kChinese; }

ExportWnd::ExportWnd(int language, CXFile* file, time_t start, time_t end, QWidget* parent)
    : QDialog(parent), language_(language), file_(file) {
  const WindowTexts& t = Texts(language);
  setObjectName(language == 1 ? "12002" : "12000");
  setWindowTitle(QString::fromUtf8(t.caption));
  setModal(true);

  auto* picture = new QLabel(this);
  picture->setObjectName("12001");
  picture->setPixmap(SidePicture(260));
  picture->setAlignment(Qt::AlignTop);

  range_ = new QLabel(this);
  range_->setObjectName("12007");

  auto* group = new QGroupBox(QString::fromUtf8(t.timeSetting), this);
  auto* grid = new QGridLayout(group);
  NewPickers(group, &startDate_, &startTime_, "12000", "12001");
  NewPickers(group, &endDate_, &endTime_, "12003", "12004");
  auto* first = new QPushButton(QStringLiteral("|<-"), group);
  first->setObjectName("12002");
  auto* last = new QPushButton(QStringLiteral("->|"), group);
  last->setObjectName("12005");
  for (QPushButton* b : {first, last}) {
    b->setAutoDefault(false);
    b->setFixedWidth(40);
  }
  grid->addWidget(new QLabel(QString::fromUtf8(t.startTime), group), 0, 0);
  grid->addWidget(startDate_, 0, 1);
  grid->addWidget(startTime_, 0, 2);
  grid->addWidget(first, 0, 3);
  grid->addWidget(new QLabel(QString::fromUtf8(t.endTime), group), 1, 0);
  grid->addWidget(endDate_, 1, 1);
  grid->addWidget(endTime_, 1, 2);
  grid->addWidget(last, 1, 3);

  auto* intervalRow = new QHBoxLayout;
  rowInterval_ = new QSpinBox(this);
  rowInterval_->setObjectName("12009");
  rowInterval_->setRange(1, 999999);
  rowInterval_->setValue(1);
  intervalRow->addWidget(new QLabel(QString::fromUtf8(t.rowInterval), this));
  intervalRow->addWidget(rowInterval_);
  intervalRow->addWidget(new QLabel(QString::fromUtf8(t.rowIntervalUnit), this));
  intervalRow->addStretch(1);

  progress_ = new QProgressBar(this);
  progress_->setObjectName("12006");
  progress_->setRange(0, 100);
  progress_->setValue(0);

  export_ = new QPushButton(QString::fromUtf8(t.exportButton), this);
  export_->setObjectName("1");
  export_->setDefault(true);
  cancel_ = new QPushButton(QString::fromUtf8(t.cancelButton), this);
  cancel_->setObjectName("12008");
  cancel_->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(export_);
  buttons->addWidget(cancel_);

  auto* right = new QVBoxLayout;
  right->addWidget(range_);
  right->addWidget(group);
  right->addLayout(intervalRow);
  right->addWidget(progress_);
  right->addStretch(1);
  right->addLayout(buttons);
  auto* top = new QHBoxLayout(this);
  top->addWidget(picture);
  top->addLayout(right, 1);

  connect(export_, &QPushButton::clicked, this, &ExportWnd::OnExport);
  connect(cancel_, &QPushButton::clicked, this, &ExportWnd::OnCancel);
  connect(first, &QPushButton::clicked, this, &ExportWnd::OnFirst);
  connect(last, &QPushButton::clicked, this, &ExportWnd::OnLast);

  if (file_) {
    interval_ = file_->GetInterval();
    SetPickers(startDate_, startTime_, file_->GetStartTime());
    SetPickers(endDate_, endTime_, file_->GetEndTime());
    range_->setText(QString::fromUtf8(t.timeRange) + QString::fromStdString(FormatTime(file_->GetStartTime())) +
                    QStringLiteral("\n          ") + QString::fromStdString(FormatTime(file_->GetEndTime())));
    SetPickers(startDate_, startTime_, start);
    SetPickers(endDate_, endTime_, end);
  }
}

ExportWnd::~ExportWnd() { StopWorker(); }

void ExportWnd::Message(const QString& text, bool information, const char* caption) {
  QMessageBox box(information ? QMessageBox::Information : QMessageBox::Warning,
                  QString::fromUtf8(caption ? caption : Texts(language_).messageCaption), text, QMessageBox::Ok, this);
  FitCaption(&box);
  box.exec();
}

void ExportWnd::OnFirst() {
  if (file_) SetPickers(startDate_, startTime_, file_->GetStartTime());
}

void ExportWnd::OnLast() {
  if (file_) SetPickers(endDate_, endTime_, file_->GetEndTime());
}

QString ExportWnd::AskTarget() {
  const QString last = QString::fromStdString(platform::ReadLastDir());
  const QFileInfo info(last);
  const QString dir = info.isDir() ? last : info.path();
  QFileDialog dlg(this, QStringLiteral("Excel Export"), dir, QStringLiteral("Microsoft Excel Sheet(*.xlsx)"));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  dlg.setDefaultSuffix(QStringLiteral("xlsx"));
  dlg.selectFile(QStringLiteral("Untitled%1.xlsx").arg(1));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
  return dlg.selectedFiles().first();
}

void ExportWnd::OnExport() {
  if (!file_ || Exporting()) return;
  const WindowTexts& t = Texts(language_);
  const time_t start = platform::WithinSpan(PickedTime(startDate_, startTime_), file_->GetStartTime(),
                                            file_->GetEndTime(), platform::SpanEdge::Start);
  const time_t end = platform::WithinSpan(PickedTime(endDate_, endTime_), file_->GetStartTime(), file_->GetEndTime(),
                                          platform::SpanEdge::End);
  if (start > end) return Message(QString::fromUtf8(t.startAfterEnd), false);
  if (start < file_->GetStartTime()) return Message(QString::fromUtf8(t.outOfStart), false);
  if (end > file_->GetEndTime()) return Message(QString::fromUtf8(t.outOfEnd), false);
  export_->setEnabled(false);
  cancel_flag_.store(false);
  const QString target = AskTarget();
  if (target.isEmpty()) {
    export_->setEnabled(true);
    return;
  }
  tables::ExportRequest request;
  request.start = start;
  request.end = end;
  request.rowInterval = rowInterval_->value();
  const int64_t rows = tables::ExportRowCount(*file_, request);
  progress_->setRange(0, static_cast<int>(std::min<int64_t>(rows, INT32_MAX)));
  progress_->setValue(0);
  const std::string path = target.toStdString();
  CXFile* file = file_;
  worker_ = std::thread([this, file, request, path, target] {
    tables::ExportHooks hooks;
    hooks.cancel = &cancel_flag_;
    hooks.progress = [this](int64_t done, int64_t) {
      platform::PostTo(this, [this, done] { progress_->setValue(static_cast<int>(std::min<int64_t>(done, INT32_MAX))); });
    };
    std::string error;
    const tables::ExportResult r = tables::ExportXlsx(*file, request, path, hooks, &error);
    const QString message = QString::fromStdString(error);
    platform::PostTo(this, [this, r, message, target] { Finished(static_cast<int>(r), message, target); });
  });
}

void ExportWnd::Finished(int result, const QString& error, const QString& path) {
  // A worker stopped by closing the window has been joined already; its
  // late report has nothing left to tell.
  if (!worker_.joinable()) return;
  worker_.join();
  export_->setEnabled(true);
  switch (static_cast<tables::ExportResult>(result)) {
    case tables::ExportResult::Done:
      Message(QString::fromUtf8(kDone), true, kFixedCaption);
      break;
    case tables::ExportResult::Cancelled:
      progress_->setValue(0);
      break;
    case tables::ExportResult::Failed:
      progress_->setValue(0);
      Message(QString::fromUtf8(kOpenFailed) + QStringLiteral("\n\n") + path + QStringLiteral("\n") + error, false,
              kFixedCaption);
      break;
  }
}

void ExportWnd::OnCancel() {
  // Cancel stops a running export; the window stays open either way (it is
  // closed by its close button or Esc).
  cancel_flag_.store(true);
}

void ExportWnd::StopWorker() {
  if (!worker_.joinable()) return;
  cancel_flag_.store(true);
  worker_.join();
  worker_ = std::thread();
}

void ExportWnd::closeEvent(QCloseEvent* event) {
  StopWorker();
  export_->setEnabled(true);
  QDialog::closeEvent(event);
}

void ExportWnd::reject() {
  StopWorker();
  export_->setEnabled(true);
  QDialog::reject();
}

}  // namespace xlsexport
