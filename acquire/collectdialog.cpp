#include "acquire/collectdialog.h"

#include <QCloseEvent>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "acquire/downloaddialog.h"
#include "acquire/porterror.h"
#include "data/records.h"
#include "platform/ui/postto.h"
#include "platform/appconfig.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"
#include "portcfg/xcom.h"
#include "viewcfg/viewdef.h"

namespace {

enum : int {
  kCaption = IDS_CAPTION,
  kPortOpenFailed = IDS_PORT_OPEN_FAILED,
  kStop = IDS_DL_STOP,
  kNoConnection = IDS_DL_NO_CONNECTION,
  kUnknownModel = IDS_DL_UNKNOWN_MODEL,  // %s model
  kCreateFailed = IDS_DL_CREATE_FAILED,
  kPrepareFailed = IDS_DL_PREPARE_FAILED,
  kCommFailed = IDS_DL_COMM_FAILED,
  kWriteFailed = IDS_DL_WRITE_FAILED,
  kRecordsOf = IDS_DL_RECORDS_OF,     // %d done, %d total (for the width of the text)
  kRateLeft = IDS_DL_RATE_LEFT,      // %.0f records per second, %s left
  kTitle = IDS_COLLECT_TITLE,
  kConnecting = IDS_COLLECT_CONNECTING,
  kNothingNew = IDS_COLLECT_NONE,    // %s newest collected, %s deadline
  kCollected = IDS_COLLECT_DONE,     // %d records, %s first, %s last, %s file, %s deadline
  kLost = IDS_COLLECT_LOST,          // %s first, %s last, %d count
  kBusy = IDS_COLLECT_BUSY,          // %s folder
  kArchiveFailed = IDS_COLLECT_FOLDER_FAILED, // %s why
  kDownloading = IDS_COLLECT_DOWNLOADING,   // %d records, %s first, %s last
};

QByteArray Utf8Time(time_t t) { return QString::fromStdString(FormatTime(t)).toUtf8(); }

}  // namespace

QString CollectDialog::DefaultArchive() {
  return QString::fromStdString(platform::DataDir()) + "Archive";
}

CollectDialog::CollectDialog(QWidget* parent, std::function<void(const QString&)> openFile,
                             const QString& archiveDir)
    : QDialog(parent),
      openFile_(std::move(openFile)),
      archive_((archiveDir.isEmpty() ? DefaultArchive() : archiveDir).toStdString()) {
  setWindowTitle(lang::String(kTitle));
  status_ = new QLabel(lang::String(kConnecting), this);
  status_->setObjectName("1026");
  progress_ = new QProgressBar(this);
  progress_->setObjectName("1020");
  progress_->setRange(0, 0);
  progressText_ = new QLabel(this);
  progressText_->setObjectName("1030");
  progressText_->setMinimumWidth(progressText_->fontMetrics().horizontalAdvance(
      lang::Format(kRecordsOf, 888888, 888888) + "  " +
      lang::Format(kRateLeft, 8888.0, "88:88:88")));
  stop_ = new QPushButton(lang::String(kStop), this);
  stop_->setObjectName("1029");
  tick_ = new QTimer(this);
  tick_->setInterval(1000);
  connect(tick_, &QTimer::timeout, this, &CollectDialog::ShowProgressText);
  connect(stop_, &QPushButton::clicked, this, [this] {
    session_.Stop();
    stop_->setEnabled(false);
  });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(stop_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(status_);
  layout->addWidget(progress_);
  layout->addWidget(progressText_);
  layout->addLayout(buttons);
  QTimer::singleShot(0, this, &CollectDialog::Begin);
}

CollectDialog::~CollectDialog() {
  if (worker_.joinable()) {
    session_.Stop();
    worker_.join();
  }
}

void CollectDialog::Begin() {
  bool busy = false;
  std::string error;
  if (!archive_.Lock(&busy, &error)) {
    const QByteArray dir = QString::fromStdString(archive_.Dir()).toUtf8();
    const QByteArray why = QString::fromStdString(error).toUtf8();
    MsgBoxText(this,
               busy ? lang::Format(kBusy, dir.constData())
                    : lang::Format(kArchiveFailed, why.constData()),
               kCaption, MsgIcon::Error);
    result_.status = acquire::CollectStatus::WriteFailed;
    emit collectEnded(result_);
    QDialog::reject();
    return;
  }
  _tagComParam param;
  CXCom().GetComm(&param);
  _tagViewDef view;
  CXViewDef().GetView(&view);
  busy_ = true;
  QPointer<CollectDialog> self(this);
  auto post = [self](std::function<void(CollectDialog*)> f) {
    platform::PostTo(self.data(), [self, f] {
      if (self) f(self.data());
    });
  };
  auto begin = [this, post](int64_t records) {
    // On the worker, whose session holds the prepared file.
    const QByteArray first = Utf8Time(session_.File().GetStartTime());
    const QByteArray last = Utf8Time(session_.File().GetEndTime());
    const QString what = lang::Format(kDownloading, static_cast<int>(records), first.constData(),
                                      last.constData());
    post([records, what](CollectDialog* d) {
      d->status_->setText(what);
      d->meter_.Start(records, acquire::SteadyMs());
      d->progress_->setRange(0, static_cast<int>(std::clamp<int64_t>(records, 1, INT32_MAX)));
      d->progress_->setValue(0);
      d->ShowProgressText();
      d->tick_->start();
    });
  };
  auto progress = [post](int value, int maximum) {
    post([value, maximum](CollectDialog* d) {
      if (!d->meter_.Started()) return;
      d->meter_.Report(value, maximum);
      d->progress_->setValue(static_cast<int>(std::min<int64_t>(
          d->meter_.At(acquire::SteadyMs()).done, d->progress_->maximum())));
    });
  };
  worker_ = std::thread([this, post, begin, progress, param, view] {
    result_ = acquire::CollectStation(session_, param, archive_, acquire::CollectOptions{}, view,
                                      begin, progress);
    post([](CollectDialog* d) { d->OnDone(); });
  });
}

void CollectDialog::ShowProgressText() {
  if (meter_.Started()) progressText_->setText(DownloadProgressText(meter_.At(acquire::SteadyMs())));
}

void CollectDialog::OnDone() {
  if (worker_.joinable()) worker_.join();
  busy_ = false;
  tick_->stop();
  stop_->setEnabled(false);
  const acquire::CollectResult& r = result_;
  if (r.lost) {
    const QByteArray first = Utf8Time(r.lostSpan.first), last = Utf8Time(r.lostSpan.last);
    MsgBoxText(this,
               lang::Format(kLost, first.constData(), last.constData(),
                            static_cast<int>(r.lostSpan.count)),
               kCaption, MsgIcon::Warning);
  }
  const QByteArray deadline = Utf8Time(r.deadline);
  switch (r.status) {
    case acquire::CollectStatus::Collected: {
      progress_->setValue(progress_->maximum());
      ShowProgressText();
      const QByteArray first = Utf8Time(r.first), last = Utf8Time(r.last);
      const QByteArray path = QString::fromStdString(r.path).toUtf8();
      MsgBoxText(this,
                 lang::Format(kCollected, static_cast<int>(r.records), first.constData(),
                              last.constData(), path.constData(), deadline.constData()),
                 kCaption, MsgIcon::Information);
      break;
    }
    case acquire::CollectStatus::NothingNew: {
      const QByteArray newest = Utf8Time(session_.Span().newest);
      MsgBoxText(this, lang::Format(kNothingNew, newest.constData(), deadline.constData()),
                 kCaption, MsgIcon::Information);
      break;
    }
    case acquire::CollectStatus::PortOpenFailed: {
      QString text = lang::String(kPortOpenFailed);
      const QString why = PortErrorText(session_.Link().Port());
      if (!why.isEmpty()) text += "\n\n" + why;
      MsgBoxText(this, text, kCaption, MsgIcon::Error);
      break;
    }
    case acquire::CollectStatus::UnknownModel: {
      const QByteArray model =
          QString::fromStdString(GbkField(r.error.c_str(), r.error.size())).toUtf8();
      MsgBoxText(this, lang::Format(kUnknownModel, model.constData()), kCaption, MsgIcon::Error);
      break;
    }
    case acquire::CollectStatus::ReadFailed:
      MsgBox(this, session_.Span().newest ? kPrepareFailed : kNoConnection, kCaption,
             MsgIcon::Error);
      break;
    case acquire::CollectStatus::CreateFailed: MsgBox(this, kCreateFailed, kCaption, MsgIcon::Error); break;
    case acquire::CollectStatus::WriteFailed: MsgBox(this, kWriteFailed, kCaption, MsgIcon::Error); break;
    case acquire::CollectStatus::CommFailed: MsgBox(this, kCommFailed, kCaption, MsgIcon::Information); break;
    case acquire::CollectStatus::Stopped: break;
  }
  emit collectEnded(r);
  QDialog::accept();
  if (r.status == acquire::CollectStatus::Collected && openFile_)
    openFile_(QString::fromStdString(r.path));
}

void CollectDialog::reject() {
  // Esc and the close button stop a running download; the dialog closes when
  // the worker has ended.
  if (busy_) {
    session_.Stop();
    stop_->setEnabled(false);
    return;
  }
  QDialog::reject();
}

void CollectDialog::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
    reject();
    return;
  }
  QDialog::closeEvent(event);
}
