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
#include <map>
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
#include "views/framehooks.h"

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

std::map<int, CRCView::SideOpener>& Openers() {
  static std::map<int, CRCView::SideOpener> openers;
  return openers;
}

}  // namespace

void CRCView::SetSideOpener(int commandId, SideOpener opener) {
  if (SideSlot(commandId) < 0) return;
  if (opener)
    Openers()[commandId] = std::move(opener);
  else
    Openers().erase(commandId);
}

bool CRCView::HasSideOpener(int commandId) { return Openers().count(commandId) != 0; }

QWidget* CRCView::SideFrame(int commandId) const {
  const int slot = SideSlot(commandId);
  return slot < 0 ? nullptr : sideFrames_[slot].data();
}

CRCView::CRCView(QWidget* parent) : RecordView(parent) {
  setObjectName("102");
  resize(800, 600);
  scroller_ = new charts::CTimeScroller(this);
  scroller_->setObjectName("1000");
  scroller_->setGeometry(2, 2, width() - 4, 18);
  chart_ = new charts::CLiveChart(this);
  chart_->setObjectName("1001");
  chart_->move(2, 22);
  panel_ = new charts::CChnlPanel(this);
  panel_->setObjectName("1129");
  panel_->move(width() - 150, 0);
  connect(chart_, &charts::CCurveChart::RightButtonReleased, this,
          [this] { ContextMenu(QCursor::pos()); });
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &CRCView::OnRecordTimer);
  scroller_->SetSidePanel(sidePanel);
  chart_->SetSidePanel(sidePanel);
  panel_->SetShown(sidePanel);
  scroller_->Refresh(1);
  chart_->Relayout();
  panel_->Rebuild(1);
}

CRCView::~CRCView() {
  for (QPointer<QWidget>& frame : sideFrames_)
    if (frame) frame->close();
  StopRecording();
  // The controls only borrow the recording.
  chart_->SetRecord(nullptr);
  chart_->SetScroller(nullptr);
}

void CRCView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  scroller_->Refresh(1);
  chart_->Relayout();
  panel_->Rebuild(1);
}

void CRCView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) ContextMenu(e->globalPosition().toPoint());
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
  scroller_->SetChart(chart_);
  scroller_->SetFixedSize(0);
  scroller_->SetOffset(0.0f);
  scroller_->SetFraction(1.0f);
  chart_->SetRecord(file);
  chart_->ApplyRecordSettings();
  chart_->SetCompanion(scroller_);
  chart_->SetScroller(scroller_);
  chart_->following = 1;
  panel_->SetRecord(file);
  panel_->SetNotify(chart_);
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
  if (!startedOk) return;
  CXFile* file = File();
  const charts::FrameHooks& hooks = charts::GetFrameHooks();
  if (menuToo && recording && hooks.channelMenu) {
    if (QMenu* menu = hooks.channelMenu()) {
      menu->clear();
      CommandRouter& router = CommandRouter::Instance();
      for (int ch = 0; ch < file->GetChnlCount() && ch < 64; ++ch) {
        router.SetText(ID_CHNL_TOGGLE + ch, QString::fromStdString(file->GetChnlName(ch)));
        menu->addAction(router.Action(ID_CHNL_TOGGLE + ch));
      }
    }
  }
  if (hooks.setPaneText) {
    hooks.setPaneText(1, lang::String(ID_INDICATOR_TITLE) + QString::fromStdString(file->GetTitle()));
    hooks.setPaneText(2, lang::String(ID_INDICATOR_CHANNELS) + QString::number(file->GetChnlCount()));
    hooks.setPaneText(3, lang::String(ID_INDICATOR_TIME) +
                             QString::fromStdString(FormatTime(file->GetStartTime())) + " => " +
                             QString::fromStdString(FormatTime(file->GetEndTime())));
    hooks.setPaneText(4, lang::String(ID_INDICATOR_INTERVAL) + QString::number(file->GetInterval()) + "S");
  }
}

// ---------------------------------------------------------------- commands

bool CRCView::HasSelection() const {
  time_t s = 0, e = 0;
  chart_->GetSelection(s, e);
  return s != e && s != 0;
}

bool CRCView::OnUpdateCommand(int id, CommandState& state) {
  if (settingUp_) {
    // The menus wait until the set-up is over (it owns the session now).
    state = CommandState{};
    state.enabled = false;
    return true;
  }
  const bool selecting = chart_->IsSelecting() != 0;
  state.checkable = false;
  state.checked = false;
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
      state.enabled = recording && HasSideOpener(id);
      return true;
    case ID_REC_LIST:
    case ID_REC_BARS:
    case ID_REC_RANGE:
      state.enabled = startedOk && HasSideOpener(id);
      return true;
    case ID_LIST_PRINT:
    case ID_LIST_PRINT_PREVIEW:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
      state.enabled = recording != 0;
      return true;
    case ID_EDIT_COPY:
      state.enabled = selecting && HasSelection();
      return true;
    case ID_SELECT_ALL_RECORDS:
      state.enabled = selecting;
      return true;
    case ID_SHOW_ALL_CHNL:
    case ID_HIDE_ALL_CHNL:
    case ID_NEXT_CHNL_GROUP:
    case ID_PREV_CHNL_GROUP:
      state.enabled = true;
      return true;
    case ID_SELECT_OFF:
    case ID_SELECT_ON:
      state.enabled = true;
      state.checkable = true;
      state.checked = (id == ID_SELECT_ON) == selecting;
      return true;
    case ID_SIDE_PANEL:
      state.enabled = true;
      state.checkable = true;
      state.checked = sidePanel != 0;
      return true;
    default:
      break;
  }
  if (id >= ID_CHNL_TOGGLE && id <= ID_CHNL_TOGGLE_LAST) {
    const int ch = id - ID_CHNL_TOGGLE;
    state.enabled = recording && ch < File()->GetChnlCount();
    state.checkable = true;
    state.checked = state.enabled && File()->Head().channels[ch].shown != 0;
    return true;
  }
  return false;
}

bool CRCView::OnCommand(int id) {
  if (settingUp_) return true;
  const bool toggle = id >= ID_CHNL_TOGGLE && id <= ID_CHNL_TOGGLE_LAST;
  if (toggle || id == ID_SHOW_ALL_CHNL || id == ID_HIDE_ALL_CHNL || id == ID_NEXT_CHNL_GROUP ||
      id == ID_PREV_CHNL_GROUP) {
    // A channel is toggled only while recording; the groups once there is a recording.
    if (toggle ? !recording : !startedOk) return true;
    uint8_t current[64], flags[64];
    for (int i = 0; i < 64; ++i) current[i] = File()->Head().channels[i].shown;
    int next = groupIndex;
    if (charts::ShownFlagsOfCommand(id, File()->GetChnlCount(), current, groupIndex, flags, &next))
      ApplyShown(flags, next);
    return true;
  }
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
    case ID_EDIT_COPY:
      if (chart_->IsSelecting() && HasSelection()) chart_->CopySelectionToClipboard();
      return true;
    case ID_SELECT_ALL_RECORDS:
      if (startedOk) chart_->SelectAll();
      return true;
    case ID_SELECT_OFF:
      chart_->SetSelecting(0);
      return true;
    case ID_SELECT_ON:
      chart_->SetSelecting(1);
      return true;
    case ID_SIDE_PANEL:
      ToggleSidePanel();
      return true;
    case ID_LIST_PRINT:
    case ID_LIST_PRINT_PREVIEW:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
      if (recording) PrintWindow(id == ID_LIST_PRINT_PREVIEW || id == ID_FILE_PRINT_PREVIEW);
      return true;
    default:
      return false;
  }
}

void CRCView::PrintWindow(bool preview) {
  // The chart's current window on one page, as the history view prints it.
  charts::CurvePrintJob job;
  job.state = chart_->PrintState();
  if (preview)
    charts::PreviewPages(this, charts::CurvePages(job));
  else
    charts::PrintPagesWithDialog(this, charts::CurvePages(job), QString::fromStdString(File()->GetTitle()));
}

void CRCView::OpenSide(int id) {
  const int slot = SideSlot(id);
  if (slot < 0 || !HasSideOpener(id) || !startedOk) return;
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
  sideFrames_[slot] = Openers()[id](this);
}

void CRCView::ApplyShown(const uint8_t* flags, int newGroupIndex) {
  _tagDataHead& h = File()->Head();
  uint8_t before[64];
  for (int i = 0; i < 64; ++i) {
    before[i] = h.channels[i].shown;
    h.channels[i].shown = flags[i];
  }
  if (!File()->PutHead()) {
    for (int i = 0; i < 64; ++i) h.channels[i].shown = before[i];
    MsgBox(this, IDS_HEADER_WRITE_FAILED, IDS_CAPTION, MsgIcon::Error);
    return;
  }
  groupIndex = newGroupIndex;
  chart_->Relayout();
  panel_->Rebuild(0);
}

void CRCView::ToggleSidePanel() {
  sidePanel = sidePanel ? 0 : 1;
  scroller_->SetSidePanel(sidePanel);
  chart_->SetSidePanel(sidePanel);
  panel_->SetShown(sidePanel);
  if (!panel_->HasRecord() && startedOk) panel_->SetRecord(File());
  panel_->Rebuild(1);
  scroller_->Refresh(1);
  chart_->Relayout();
}

QMenu* CRCView::ContextMenu(const QPoint& globalPos, bool run) {
  return CommandRouter::Instance().ContextMenu(158, 1, this, globalPos, run, [this](int id) {
    CommandState state;
    if (!OnUpdateCommand(id, state)) state = CommandRouter::Instance().Query(id);
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
    return state;
  });
}

}  // namespace acquire
