#include "acquire/downloaddialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "acquire/porterror.h"
#include "data/records.h"
#include "platform/ui/postto.h"
#include "platform/appconfig.h"
#include "platform/localtime.h"
#include "platform/ui/dialogfields.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"
#include "portcfg/xcom.h"
#include "viewcfg/viewdef.h"

namespace {

// String-table entries of the dialog.
enum : int {
  kCaption = IDS_CAPTION,         // caption of the message boxes
  kPortOpenFailed = IDS_PORT_OPEN_FAILED,  // the serial port cannot be opened
  kDataFilter = IDS_DATA_FILE_FILTER,      // "Data file %s (*.%s)"
  kExtension = IDS_DATA_EXT,       // the data-file extension
  kTitle = IDS_DL_TITLE,
  kWholeSpan = IDS_DL_WHOLE_SPAN,
  kStartLabel = IDS_DL_START,
  kEndLabel = IDS_DL_END,
  kOpenWhenDone = IDS_DL_OPEN_WHEN_DONE,
  kReconnect = IDS_DL_RECONNECT,
  kStop = IDS_DL_STOP,
  kStart = IDS_DL_DOWNLOAD,
  kClose = IDS_DL_CLOSE,
  kWaiting = IDS_DL_CONNECTING,
  kNoConnection = IDS_DL_NO_CONNECTION,
  kUnknownModel = IDS_DL_UNKNOWN_MODEL,  // %s: the model the recorder reported
  kStartAfterEnd = IDS_DL_START_AFTER_END,
  kStartBeforeSpan = IDS_DL_START_BEFORE_SPAN,
  kEndAfterSpan = IDS_DL_END_AFTER_SPAN,
  kNoRecord = IDS_DL_NO_RECORD,
  kCreateFailed = IDS_DL_CREATE_FAILED,
  kPrepareFailed = IDS_DL_PREPARE_FAILED,
  kCommFailed = IDS_DL_COMM_FAILED,
  kWriteFailed = IDS_DL_WRITE_FAILED,
  kSpanLabel = IDS_DL_STORED_SPAN,
  kRecordsOf = IDS_DL_RECORDS_OF,       // %d done, %d total
  kRateLeft = IDS_DL_RATE_LEFT,        // %.0f records per second, %s time left
  kConnecting = IDS_DL_CONNECTING_SHORT,
  kConfirmStop = IDS_DL_CONFIRM_STOP,
  kCompletedSpan = IDS_DL_DONE_SPAN,   // %s first, %s last record, %d records, %s %s transfer, %.0f bytes/s
  kReadingChannels = IDS_DL_READING_CHANNELS, // %d of %d
  kFellBack = IDS_FAST_EXCHANGE_OFF,
};

// How often the progress text is redrawn while a download runs.
constexpr int kTickMs = 1000;

// How long after opening the dialog connects to the recorder.
constexpr int kConnectDelayMs = 800;

}  // namespace

DownloadDialog::DownloadDialog(QWidget* parent, std::function<void(const QString&)> openFile)
    : QDialog(parent), openFile_(std::move(openFile)) {
  setWindowTitle(lang::String(kTitle));

  whole_ = new QCheckBox(lang::String(kWholeSpan), this);
  whole_->setObjectName("1021");
  NewPickers(this, &startDate_, &startTime_, "1022", "1023");
  NewPickers(this, &endDate_, &endTime_, "1024", "1025");
  spanText_ = new QLabel(this);
  spanText_->setObjectName("1026");
  // Room for the two times, and for the few lines of the waiting or failure text.
  spanText_->setMinimumWidth(spanText_->fontMetrics().horizontalAdvance("0000-00-00 00:00:00") * 2);
  spanText_->setMinimumHeight(spanText_->fontMetrics().lineSpacing() * 4);
  spanText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  spanText_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  spanText_->setWordWrap(true);
  openWhenDone_ = new QCheckBox(lang::String(kOpenWhenDone), this);
  openWhenDone_->setObjectName("1027");
  openWhenDone_->setChecked(true);
  progress_ = new QProgressBar(this);
  progress_->setObjectName("1020");
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progressText_ = new QLabel(this);
  progressText_->setObjectName("1030");
  progressText_->setMinimumWidth(progressText_->fontMetrics().horizontalAdvance(
      lang::Format(kRecordsOf, 888888, 888888) + "  " +
      lang::Format(kRateLeft, 8888.0, "88:88:88")));
  notice_ = new QLabel(this);
  notice_->setObjectName("1031");
  notice_->setWordWrap(true);
  notice_->hide();
  tick_ = new QTimer(this);
  tick_->setInterval(kTickMs);
  connect(tick_, &QTimer::timeout, this, &DownloadDialog::ShowProgressText);
  start_ = new QPushButton(lang::String(kStart), this);
  start_->setObjectName("1");
  start_->setDefault(true);
  reconnect_ = new QPushButton(lang::String(kReconnect), this);
  reconnect_->setObjectName("1028");
  stop_ = new QPushButton(lang::String(kStop), this);
  stop_->setObjectName("1029");
  close_ = new QPushButton(lang::String(kClose), this);
  close_->setObjectName("2");

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(lang::String(kSpanLabel), this), 0, 0, Qt::AlignTop);
  grid->addWidget(spanText_, 0, 1, 1, 2);
  grid->addWidget(whole_, 1, 1, 1, 2);
  grid->addWidget(new QLabel(lang::String(kStartLabel), this), 2, 0);
  grid->addWidget(startDate_, 2, 1);
  grid->addWidget(startTime_, 2, 2);
  grid->addWidget(new QLabel(lang::String(kEndLabel), this), 3, 0);
  grid->addWidget(endDate_, 3, 1);
  grid->addWidget(endTime_, 3, 2);
  grid->addWidget(openWhenDone_, 4, 1, 1, 2);
  grid->addWidget(progress_, 5, 0, 1, 3);
  grid->addWidget(progressText_, 6, 0, 1, 3);
  grid->addWidget(notice_, 7, 0, 1, 3);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(reconnect_);
  buttons->addStretch();
  buttons->addWidget(start_);
  buttons->addWidget(stop_);
  buttons->addWidget(close_);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addLayout(buttons);

  connect(start_, &QPushButton::clicked, this, &DownloadDialog::OnStart);
  connect(stop_, &QPushButton::clicked, this, &DownloadDialog::OnStop);
  connect(reconnect_, &QPushButton::clicked, this, &DownloadDialog::ConnectRecorder);
  connect(close_, &QPushButton::clicked, this, &DownloadDialog::reject);
  connect(whole_, &QCheckBox::toggled, this, &DownloadDialog::OnWholeSpan);

  const time_t now = time(nullptr);
  SetPickers(startDate_, startTime_, now - 3600);
  SetPickers(endDate_, endTime_, now);
  CXCom().GetComm(&param_);
  session_.Link().SetFastExchange(CXCom().GetFastExchange());
  spanText_->setText(lang::String(kWaiting));
  stop_->setEnabled(false);
  QTimer::singleShot(kConnectDelayMs, this, &DownloadDialog::ConnectRecorder);
}

DownloadDialog::~DownloadDialog() {
  if (worker_.joinable()) {
    session_.Stop();
    worker_.join();
  }
}

void DownloadDialog::ShowError(int textId) { MsgBox(this, textId, kCaption, MsgIcon::Error); }

void DownloadDialog::ShowSpanText() {
  const acquire::RecorderSpan& s = session_.Span();
  spanText_->setText(QString::fromStdString(FormatTime(s.earliest)) + "\n" +
                     QString::fromStdString(FormatTime(s.newest)));
}

void DownloadDialog::ConnectRecorder() { RunConnectionStep(); }

acquire::ConnectStatus DownloadDialog::RunConnectionStep() {
  if (busy_) return acquire::ConnectStatus::ReadFailed;
  start_->setEnabled(false);
  reconnect_->setEnabled(false);
  spanText_->setText(lang::String(kNoConnection));
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const acquire::ConnectStatus status = session_.Connect(param_);
  QApplication::restoreOverrideCursor();
  if (session_.Link().FallbackNotice()) ShowFallback();
  switch (status) {
    case acquire::ConnectStatus::Connected: {
      ShowSpanText();
      const acquire::RecorderSpan& s = session_.Span();
      SetPickers(startDate_, startTime_, s.newest - 3600);
      SetPickers(endDate_, endTime_, s.newest);
      break;
    }
    case acquire::ConnectStatus::PortOpenFailed: {
      QString text = lang::String(kPortOpenFailed);
      const QString why = PortErrorText(session_.Link().Port());
      if (!why.isEmpty()) text += "\n\n" + why;
      MsgBoxText(this, text, kCaption, MsgIcon::Error);
      break;
    }
    case acquire::ConnectStatus::UnknownModel: {
      const QByteArray model = QString::fromStdString(GbkField(session_.Span().model.c_str(),
                                                               session_.Span().model.size()))
                                   .toUtf8();
      MsgBoxText(this, lang::Format(kUnknownModel, model.constData()), kCaption, MsgIcon::Error);
      break;
    }
    case acquire::ConnectStatus::ReadFailed:
      break;
  }
  start_->setEnabled(true);
  reconnect_->setEnabled(true);
  emit connectionDone(status == acquire::ConnectStatus::Connected);
  return status;
}

void DownloadDialog::OnWholeSpan(bool whole) {
  for (QWidget* w : std::initializer_list<QWidget*>{startDate_, startTime_, endDate_, endTime_})
    w->setEnabled(!whole);
}

QString DownloadDialog::AskFileName(int station, time_t end) {
  const QString ext = lang::String(kExtension);
  const QByteArray e = ext.toUtf8();
  const QString last = QString::fromStdString(platform::ReadLastDir());
  const QFileInfo lastInfo(last);
  const QString dir = lastInfo.isDir() ? last : lastInfo.path();
  QFileDialog dlg(this, QStringLiteral("Save File"), dir,
                  lang::Format(kDataFilter, e.constData(), e.constData()));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  dlg.setDefaultSuffix(ext);
  dlg.selectFile(
      QString::fromStdString(acquire::ProposedFileName(station, end, ext.toStdString())));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
  return dlg.selectedFiles().first();
}

void DownloadDialog::OnStart() {
  if (busy_) return;
  if (!session_.IsConnected()) {
    // Connect again; a start needs the span the recorder holds now. A failure
    // that the connection step did not report itself is reported here.
    if (RunConnectionStep() == acquire::ConnectStatus::ReadFailed)
      MsgBox(this, kNoConnection, kCaption, MsgIcon::Information);
    return;
  }

  time_t start = PickedTime(startDate_, startTime_);
  time_t end = PickedTime(endDate_, endTime_);
  const acquire::SpanStatus span = session_.CheckSpan(whole_->isChecked(), &start, &end);
  if (span != acquire::SpanStatus::Ok) {
    int text = kNoRecord;
    switch (span) {
      case acquire::SpanStatus::StartAfterEnd:
        text = kStartAfterEnd;
        break;
      case acquire::SpanStatus::StartBeforeSpan:
        text = kStartBeforeSpan;
        break;
      case acquire::SpanStatus::EndAfterSpan:
        text = kEndAfterSpan;
        break;
      default:
        break;
    }
    ShowError(text);
    session_.CloseLink();
    return;
  }

  start_->setEnabled(false);
  int station = 0;
  if (!session_.ReadStation(&station)) return;  // the next connection step enables start again
  const QString path = AskFileName(station, end);
  if (path.isEmpty()) {
    start_->setEnabled(true);
    return;
  }

  _tagViewDef view;
  CXViewDef().GetView(&view);
  busy_ = true;
  path_ = path;
  reconnect_->setEnabled(false);
  session_.ResetStop();
  stop_->setEnabled(true);
  progress_->setRange(0, 1);
  progress_->setValue(0);

  copying_ = false;
  progressText_->setText(lang::String(kConnecting));

  // The worker moves the progress bar through the dialog's event queue.
  QPointer<DownloadDialog> self(this);
  auto progress = [this, self](int value, int maximum) {
    // The worker owns the link while it runs: the fall-back is asked here.
    const bool fellBack = session_.Link().FallbackNotice();
    platform::PostTo(self.data(), [self, value, maximum, fellBack] {
      if (!self) return;
      if (fellBack) self->ShowFallback();
      self->SetProgress(value, maximum);
    });
  };
  const std::string file = path.toStdString();
  worker_ = std::thread([this, self, progress, file, start, end, view] {
    const acquire::PrepareStatus prepared = session_.Prepare(file, start, end, view, progress);
    acquire::RunStatus ran = acquire::RunStatus::Stopped;
    if (prepared == acquire::PrepareStatus::Ok) {
      // The header is written: the span's records are known.
      const int64_t records = session_.File().Head().capacity;
      platform::PostTo(self.data(), [self, records] {
        if (self) self->BeginRecords(records);
      });
      ran = session_.Run(progress);
    }
    platform::PostTo(self.data(), [self, prepared, ran] {
      if (self) self->OnWorkerDone(prepared, ran);
    });
  });
}

void DownloadDialog::ShowFallback() {
  notice_->setText(lang::String(kFellBack));
  notice_->show();
}

void DownloadDialog::SetProgress(int value, int maximum) {
  if (!busy_) return;
  if (!copying_) {
    // The preparation reads the channel settings one by one.
    if (progress_->maximum() != maximum) progress_->setRange(0, maximum);
    progress_->setValue(value);
    progressText_->setText(lang::Format(kReadingChannels, std::min(value + 1, maximum), maximum));
    return;
  }
  meter_.Report(value, maximum);
  const acquire::ProgressFigures f = meter_.At(acquire::SteadyMs());
  progress_->setValue(static_cast<int>(std::min<int64_t>(f.done, progress_->maximum())));
  if (f.done > 0 && !shownFirst_) {
    // The first records are shown at once; then the timer redraws.
    shownFirst_ = true;
    ShowProgressText();
  }
}

void DownloadDialog::BeginRecords(int64_t totalRecords) {
  if (!busy_) return;
  copying_ = true;
  shownFirst_ = false;
  meter_.Start(totalRecords, acquire::SteadyMs());
  progress_->setRange(0, static_cast<int>(std::min<int64_t>(std::max<int64_t>(totalRecords, 1),
                                                            INT32_MAX)));
  progress_->setValue(0);
  ShowProgressText();
  tick_->start();
}

QString DownloadProgressText(const acquire::ProgressFigures& f) {
  QString text = lang::Format(kRecordsOf, static_cast<int>(f.done), static_cast<int>(f.total));
  if (f.secondsLeft >= 0) {
    const QByteArray left = QString::fromStdString(acquire::FormatDuration(f.secondsLeft)).toUtf8();
    text += "    " + lang::Format(kRateLeft, f.rate, left.constData());
  }
  return text;
}

void DownloadDialog::ShowProgressText() {
  if (!copying_) return;
  progressText_->setText(DownloadProgressText(meter_.At(acquire::SteadyMs())));
}

bool DownloadDialog::ConfirmStop() {
  return MsgBox(this, kConfirmStop, kCaption, MsgIcon::Question,
                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void DownloadDialog::OnStop() {
  session_.Stop();
  stop_->setEnabled(false);
}

void DownloadDialog::OnWorkerDone(acquire::PrepareStatus prepared, acquire::RunStatus ran) {
  if (worker_.joinable()) worker_.join();
  tick_->stop();
  stop_->setEnabled(false);
  if (copying_ && ran == acquire::RunStatus::Completed) {
    meter_.Report(1, 1);
    ShowProgressText();
  } else {
    progressText_->clear();
  }
  copying_ = false;
  const bool completed =
      prepared == acquire::PrepareStatus::Ok && ran == acquire::RunStatus::Completed;
  if (completed)
    progress_->setValue(progress_->maximum());
  else
    progress_->setValue(0);

  switch (prepared) {
    case acquire::PrepareStatus::Ok:
      break;
    case acquire::PrepareStatus::CreateFailed:
      ShowError(kCreateFailed);
      break;
    case acquire::PrepareStatus::ReadFailed:
      ShowError(kPrepareFailed);
      spanText_->setText(lang::String(kNoConnection));
      break;
    case acquire::PrepareStatus::WriteFailed:
      ShowError(kWriteFailed);
      break;
    case acquire::PrepareStatus::Stopped:
      break;
  }
  if (prepared == acquire::PrepareStatus::Ok) {
    switch (ran) {
      case acquire::RunStatus::Completed: {
        // The span of data the file holds, then the transfer itself.
        const acquire::DownloadReport& r = session_.Report();
        const CXFile& f = session_.File();
        const QByteArray first = QString::fromStdString(FormatTime(f.GetStartTime())).toUtf8();
        const QByteArray last = QString::fromStdString(FormatTime(f.GetEndTime())).toUtf8();
        const QByteArray from = QString::fromStdString(FormatTime(r.started)).toUtf8();
        const QByteArray to = QString::fromStdString(FormatTime(r.finished)).toUtf8();
        if (!closeWhenDone_)
          MsgBoxText(this,
                     lang::Format(kCompletedSpan, first.constData(), last.constData(), r.records,
                                  from.constData(), to.constData(), r.Rate()),
                     kCaption, MsgIcon::Information);
        platform::WriteLastDir(path_.toStdString());
        break;
      }
      case acquire::RunStatus::CommFailed:
        MsgBox(this, kCommFailed, kCaption, MsgIcon::Information);
        break;
      case acquire::RunStatus::WriteFailed:
        ShowError(kWriteFailed);
        break;
      case acquire::RunStatus::Stopped:
        break;
    }
  }
  busy_ = false;
  start_->setEnabled(true);
  reconnect_->setEnabled(true);
  emit downloadEnded(path_, completed);
  if (closeWhenDone_) {
    // The user asked to stop and close; a download that ended meanwhile keeps
    // its file, unopened.
    closeWhenDone_ = false;
    QDialog::reject();
    return;
  }
  if (completed && openWhenDone_->isChecked() && openFile_) openFile_(path_);
}

void DownloadDialog::reject() {
  if (busy_) {
    if (closeWhenDone_ || !ConfirmStop()) return;
    if (busy_) {
      closeWhenDone_ = true;
      OnStop();
      return;
    }
    // The download ended while the question was open.
  }
  QDialog::reject();
}

void DownloadDialog::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
    reject();
    return;
  }
  QDialog::closeEvent(event);
}
