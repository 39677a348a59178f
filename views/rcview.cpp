#include "views/rcview.h"

#include <QAction>
#include <QCursor>
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "acquire/porterror.h"
#include "charts/channelgroups.h"
#include "charts/chnlpanel.h"
#include "charts/curveprint.h"
#include "charts/livechart.h"
#include "charts/printui.h"
#include "charts/timescroller.h"
#include "platform/appconfig.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"
#include "portcfg/xcom.h"
#include "viewcfg/viewdef.h"
#include "acquire/devinfownd.h"
#include "tables/recordsettingsdlg.h"
#include "views/barview.h"
#include "views/listview.h"
#include "views/rrangeview.h"

namespace acquire {

namespace {

// The commands that open side windows, in the order of the view's slots.
constexpr int kSideCommands[5] = {ID_REC_LIST, ID_REC_BARS, ID_REC_RANGE, ID_REC_INFO,
                                  ID_RECORD_SETTINGS};

int SideSlot(int id) {
  for (int i = 0; i < 5; ++i)
    if (kSideCommands[i] == id) return i;
  return -1;
}

}  // namespace

QWidget* CRCView::SideFrame(int commandId) const {
  const int slot = SideSlot(commandId);
  return slot < 0 ? nullptr : sideFrames_[slot].data();
}

CRCView::CRCView(views::ViewHost& host, QWidget* parent) : CurveView(host, parent) {
  setObjectName("102");
  chart_ = new charts::CLiveChart(this);
  SetUpControls(chart_, true, "1129");
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &CRCView::OnRecordTimer);
}

CRCView::~CRCView() {
  for (QPointer<QWidget>& frame : sideFrames_)
    if (frame) frame->close();
  StopRecording();
  // The controls only borrow the recording.
  chart_->SetRecord(nullptr);
  chart_->SetScroller(nullptr);
}

// ---------------------------------------------------------------- recording

QString AskSavePath(QWidget* parent) {
  const QString ext = lang::String(IDS_DATA_EXT);
  QFileDialog dlg(parent, lang::String(IDS_LIVE_SAVE_AS), QString::fromStdString(platform::ReadLastDir()),
                  lang::Format(IDS_DATA_FILE_FILTER, ext.toUtf8().constData(), ext.toUtf8().constData()));
  dlg.setObjectName("saveas");
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setOption(QFileDialog::DontUseNativeDialog, true);
  dlg.setDefaultSuffix(ext);
  dlg.selectFile("*." + ext);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
  const QString path = dlg.selectedFiles().first();
  platform::WriteLastDir(path.toStdString());
  return path;
}

QString SaveInterrupted(QWidget* parent) {
  const QString path = AskSavePath(parent);
  if (path.isEmpty()) return path;
  std::string error;
  if (!RecoverInterrupted(path.toStdString(), &error)) {
    MsgBoxText(parent, lang::Format(IDS_LIVE_RESCUE_FAILED, error.c_str()), IDS_CAPTION, MsgIcon::Error);
    return QString();
  }
  return path;
}

bool CRCView::MayStartOver() {
  Interrupted found;
  if (!session_.HasStore() && FindInterrupted(&found)) {
    const QString text =
        lang::Format(IDS_LIVE_WAITING, found.title.c_str(), found.records, found.chnlCount,
                     FormatTime(found.start).c_str(), FormatTime(found.end).c_str());
    const auto answer = MsgBoxText(this, text, IDS_LIVE_CAPTION, MsgIcon::Question,
                                   QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) return !SaveInterrupted(this).isEmpty();
    if (answer == QMessageBox::No) return DiscardInterrupted();
    return false;
  }
  if (startedOk && !saved) {
    const auto answer = MsgBox(this, IDS_LIVE_REPLACE_UNSAVED, IDS_LIVE_CAPTION, MsgIcon::Question,
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes) return SaveAs();
    return answer == QMessageBox::No;
  }
  return true;
}

void CRCView::StartRecording() {
  if (session_.LinkOpen() || recording) return;
  if (!MayStartOver()) return;
  _tagComParam param;
  CXCom().GetComm(&param);
  _tagViewDef view;
  CXViewDef().GetView(&view);

  // The progress dialog: a text, a bar and a stop button.
  QDialog dlg(this);
  dlg.setObjectName("147");
  dlg.setWindowTitle(lang::String(IDS_LIVE_CAPTION));
  auto* text = new QLabel(&dlg);
  text->setObjectName("1004");
  text->setMinimumWidth(320);
  auto* bar = new QProgressBar(&dlg);
  bar->setObjectName("1002");
  bar->setRange(0, 0);
  auto* stop = new QPushButton(lang::String(IDS_LIVE_STOP), &dlg);
  stop->setObjectName("1003");
  auto* layout = new QVBoxLayout(&dlg);
  layout->addWidget(text);
  layout->addWidget(bar);
  layout->addWidget(stop, 0, Qt::AlignRight);
  auto cancelled = std::make_shared<std::atomic<bool>>(false);
  connect(stop, &QPushButton::clicked, &dlg, [&dlg, cancelled] {
    *cancelled = true;
    dlg.reject();
  });

  // The set-up thread only leaves its progress here; the dialog's timer shows
  // it and closes the dialog when the set-up is over.
  struct Progress {
    std::mutex lock;
    int index = 0, count = 0;
    bool done = false;
  } progress;
  SetupObserver observer;
  observer.channel = [&progress](int index, int count) {
    std::lock_guard<std::mutex> hold(progress.lock);
    progress.index = index;
    progress.count = count;
  };
  observer.cancelled = [cancelled] { return cancelled->load(); };
  QTimer poll(&dlg);
  connect(&poll, &QTimer::timeout, &dlg, [&] {
    std::lock_guard<std::mutex> hold(progress.lock);
    if (progress.count > 0) {
      bar->setRange(0, progress.count);
      bar->setValue(progress.index);
      if (progress.index < progress.count) text->setText(lang::Format(IDS_READING_CHANNEL, progress.index + 1));
    }
    if (progress.done) dlg.done(QDialog::Accepted);
  });
  poll.start(30);
  LiveOptions options;
  options.fastExchange = CXCom().GetFastExchange();
  LiveStatus status = LiveStatus::Cancelled;
  settingUp_ = true;
  std::thread setup([&] {
    const LiveStatus result = session_.Setup(param, view, observer, options);
    std::lock_guard<std::mutex> hold(progress.lock);
    status = result;
    progress.done = true;
  });
  dlg.exec();
  setup.join();
  settingUp_ = false;

  if (status != LiveStatus::Ok) {
    // A stopped recording is still there, and still saveable.
    if (const int message = MessageOf(status)) {
      // A port that cannot be opened is named with the reason, as the download does.
      QString text = lang::String(message);
      const QString why = status == LiveStatus::PortFailed ? PortErrorText(session_.Link().Port()) : QString();
      if (!why.isEmpty()) text += "\n\n" + why;
      MsgBoxText(this, text, IDS_CAPTION, MsgIcon::Error);
    }
    return;
  }
  if (cancelled->load()) {
    // Cancelled after the set-up had finished: the fresh store goes, a
    // stopped recording stays.
    session_.Stop();
    return;
  }
  BeginRecording();
}

void CRCView::BeginRecording() {
  if (!session_.SetUpPending()) return;
  // Nothing may keep a pointer into the store that is about to go.
  emit fileAboutToBeReplaced();
  chart_->SetRecord(nullptr);
  panel_->SetRecord(nullptr);
  session_.StartAcquisition(std::time(nullptr));
  startedOk = 1;
  saved = 0;
  recording = 1;

  CXFile* file = File();
  AttachControls(file);
  chart_->SetScroller(scroller_);
  chart_->following = 1;
  scroller_->setEnabled(true);
  emit fileReplaced();
  emit stateChanged();

  chart_->InvalidateSamples();
  AfterAppend();
  chart_->Relayout();
  panel_->Rebuild(1);
  timer_.start(std::max(file->GetInterval(), 1) * 1000);
  RefreshFrameTexts(true);
  chart_->StartFollowTimer();
}

void CRCView::OnRecordTimer() {
  if (!recording) return;
  const AppendStatus status = session_.Tick();
  switch (status) {
    case AppendStatus::Appended:
      AfterAppend();
      break;
    case AppendStatus::Full:
      AfterAppend();
      StopRecording();
      MsgBox(this, IDS_LIVE_STORE_FULL, IDS_CAPTION, MsgIcon::Information);
      break;
    case AppendStatus::Lost:
      StopRecording();
      MsgBox(this, IDS_LIVE_LOST, IDS_CAPTION, MsgIcon::Error);
      break;
    case AppendStatus::Refused:
      StopRecording();
      break;
  }
}

void CRCView::AfterAppend() {
  CXFile* file = File();
  chart_->SetTimeRange(file->GetStartTime(), file->GetEndTime());
  chart_->OnRecordAppended();
  RefreshFrameTexts(false);
  emit recordAppended(session_.Records());
  if (session_.FallbackNotice()) {
    // Said once, outside the recording tick.
    QTimer::singleShot(0, this, [this] { MsgBox(this, IDS_FAST_EXCHANGE_OFF, IDS_CAPTION, MsgIcon::Information); });
  }
}

void CRCView::StopRecording() {
  chart_->StopFollowTimer();
  timer_.stop();
  const bool was = recording != 0;
  session_.Stop();
  recording = 0;
  if (was) emit stateChanged();
}

void CRCView::KeepForNextStart() {
  StopRecording();
  if (saved)
    session_.Discard();
  else
    session_.KeepForRecovery();
  saved = 1;
}

bool CRCView::SaveAs() {
  if (!startedOk) return false;
  if (recording) {
    if (MsgBox(this, IDS_LIVE_STOP_AND_SAVE, IDS_LIVE_CAPTION, MsgIcon::Information,
               QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
      return false;
    StopRecording();
  }
  const QString path = AskSavePath(this);
  if (path.isEmpty()) return false;
  if (!session_.SaveAs(path.toStdString())) {
    MsgBoxText(this, lang::Format(IDS_LIVE_SAVE_FAILED, path.toUtf8().constData()), IDS_CAPTION, MsgIcon::Error);
    return false;
  }
  saved = 1;
  return true;
}

bool CRCView::CanClose() {
  if (saved) return true;
  const auto answer = MsgBox(this, IDS_LIVE_CLOSE_UNSAVED, IDS_LIVE_CAPTION, MsgIcon::Information,
                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::Yes) {
    StopRecording();
    return SaveAs();
  }
  if (answer == QMessageBox::No) {
    StopRecording();
    return true;
  }
  return false;
}

void CRCView::ApplyRecordSettings() {
  if (!File()->PutHead()) {
    MsgBox(this, IDS_HEADER_WRITE_FAILED, IDS_CAPTION, MsgIcon::Error);
    return;
  }
  chart_->ApplyRecordSettings();
  chart_->SetTimeRange(File()->GetStartTime(), File()->GetEndTime());
  chart_->Relayout();
  panel_->Rebuild(0);
}

// ---------------------------------------------------------------- frame texts

void CRCView::RefreshFrameTexts(bool menuToo) {
  if (startedOk) ShowFrameTexts(menuToo && recording ? ID_CHNL_TOGGLE : 0);
}

// ---------------------------------------------------------------- commands

bool CRCView::OnUpdateCommand(int id, CommandState& state) {
  if (settingUp_) {
    // The menus wait until the set-up is over (it owns the session now).
    state = CommandState{};
    state.enabled = false;
    return true;
  }
  if (UpdateCommonCommand(id, state, recording != 0)) return true;
  switch (id) {
    case ID_REC_START:
      state.enabled = !recording && !session_.LinkOpen();
      return true;
    case ID_REC_STOP:
      state.enabled = recording != 0;
      return true;
    case ID_FILE_SAVE:
      state.enabled = startedOk && !saved;
      return true;
    case ID_RECORD_SETTINGS:
    case ID_REC_INFO:
      state.enabled = recording != 0;
      return true;
    case ID_REC_LIST:
    case ID_REC_BARS:
    case ID_REC_RANGE:
      state.enabled = startedOk != 0;
      return true;
    case ID_LIST_PRINT:
    case ID_LIST_PRINT_PREVIEW:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
      state.enabled = recording != 0;
      return true;
    default:
      return false;
  }
}

bool CRCView::OnCommand(int id) {
  if (settingUp_) return true;
  // A channel is toggled only while recording; the groups once there is a recording.
  const bool toggle = id >= ID_CHNL_TOGGLE && id <= ID_CHNL_TOGGLE_LAST;
  if (CommonCommand(id, toggle ? recording != 0 : startedOk != 0)) return true;
  switch (id) {
    case ID_REC_START:
      StartRecording();
      return true;
    case ID_REC_STOP:
      if (recording && MsgBox(this, IDS_LIVE_STOP_CONFIRM, IDS_CAPTION, MsgIcon::Information,
                              QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes)
        StopRecording();
      return true;
    case ID_FILE_SAVE:
      if (startedOk && !saved) SaveAs();
      return true;
    case ID_REC_LIST:
    case ID_REC_BARS:
    case ID_REC_RANGE:
    case ID_REC_INFO:
    case ID_RECORD_SETTINGS:
      OpenSide(id);
      return true;
    case ID_LIST_PRINT:
    case ID_LIST_PRINT_PREVIEW:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
      if (recording) {
        // The chart's current window on one page, as the history view prints it.
        charts::CurvePrintJob job;
        job.state = chart_->PrintState();
        PrintCurves(job, id == ID_LIST_PRINT_PREVIEW || id == ID_FILE_PRINT_PREVIEW);
      }
      return true;
    default:
      return false;
  }
}

void CRCView::OpenSide(int id) {
  const int slot = SideSlot(id);
  if (slot < 0 || !startedOk) return;
  if (QWidget* open = sideFrames_[slot].data()) {
    // The device information is made anew; the others are brought forward.
    if (id != ID_REC_INFO) {
      open->show();
      open->raise();
      open->activateWindow();
      return;
    }
    open->close();
    sideFrames_[slot] = nullptr;
  }
  sideFrames_[slot] = NewSide(id);
}

QWidget* CRCView::NewSide(int id) {
  // Each side window lets go of the live file before a new recording takes
  // its place, and takes the new one after.
  switch (id) {
    case ID_REC_BARS: {
      charts::CBarViewBase* bars = charts::NewBarView(File());
      QWidget* frame = Host().AddChildWindow(bars, lang::String(IDS_BARS_TITLE), 133);
      connect(this, &RecordView::fileAboutToBeReplaced, bars, [bars] { bars->SetRecord(nullptr); });
      connect(this, &RecordView::fileReplaced, bars, [this, bars, frame] {
        // The other kind of bar view for the new channel count: opened anew.
        const bool wide = File()->GetChnlCount() >= 13;
        if (wide == (qobject_cast<charts::CBarView*>(bars) != nullptr))
          bars->SetRecord(File());
        else
          frame->close();
      });
      return frame;
    }
    case ID_REC_INFO: {
      // The device information of the recorder being recorded, kept up to
      // date with every record; it describes one recording and goes with it.
      auto* wnd = new CDevInfoWnd(File(), this);
      wnd->setAttribute(Qt::WA_DeleteOnClose);
      auto refresh = [this, wnd] {
        std::vector<uint64_t> words;
        for (int ch = 0; ch < File()->GetChnlCount(); ++ch) words.push_back(DevWord(ch));
        wnd->Refresh(std::move(words));
      };
      refresh();
      connect(this, &RecordView::recordAppended, wnd, refresh);
      connect(this, &RecordView::fileAboutToBeReplaced, wnd, &QWidget::close);
      wnd->show();
      return wnd;
    }
    case ID_RECORD_SETTINGS: {
      // The view writes the header the dialog changed.
      tables::CRecordSettingsDlg dlg(File(), this);
      if (dlg.exec() == QDialog::Accepted) ApplyRecordSettings();
      return nullptr;
    }
    case ID_REC_LIST:
      return tables::OpenLiveListView(this, File());
    case ID_REC_RANGE: {
      auto* range = new charts::CRRangeView;
      range->SetRecord(File());
      connect(this, &RecordView::fileAboutToBeReplaced, range, [range] { range->SetRecord(nullptr); });
      connect(this, &RecordView::fileReplaced, range, [this, range] { range->SetRecord(File()); });
      return Host().AddChildWindow(range, lang::String(IDS_CIRCULAR_TITLE), 155);
    }
    default:
      return nullptr;
  }
}

QMenu* CRCView::ContextMenu(const QPoint& globalPos, bool run) {
  return ShowContextMenu(1, globalPos, run, [this](int id, CommandState& state) {
    switch (id) {
      case ID_REC_STOP:
      case ID_RECORD_SETTINGS:
      case ID_REC_LIST:
      case ID_REC_INFO:
      case ID_SHOW_ALL_CHNL:
      case ID_HIDE_ALL_CHNL:
      case ID_NEXT_CHNL_GROUP:
      case ID_PREV_CHNL_GROUP:
        if (!recording) state.enabled = false;
        break;
      case ID_REC_START:
        if (recording) state.enabled = false;
        break;
      case ID_FILE_SAVE:
        if (!startedOk) state.enabled = false;
        break;
      default:
        break;
    }
  });
}

}  // namespace acquire
