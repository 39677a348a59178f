#pragma once
// The live-recording view: records a connected recorder in real time on a
// following curve chart, stops, and saves the recording. The work itself
// (set-up, sampling, appending) is LiveSession's; this view shows it.
//
// For the side windows (record list, bars, range view, device information):
// each registers an opener for its command with SetSideOpener. The view calls
// it with itself when the user asks for that window and keeps the returned
// frame (a QPointer: it forgets a frame that closes); the window uses the
// view through RecordView: File() and DevWord(), recordAppended(),
// stateChanged(), and the swap of the file when a new recording begins
// (fileAboutToBeReplaced(), fileReplaced()). It drops its pointer to the view
// on QObject::destroyed. The view closes its side frames when it goes.
#include <QPointer>
#include <QTimer>
#include <functional>

#include "acquire/live.h"
#include "platform/ui/command.h"
#include "views/recordview.h"

class QDialog;
class QMenu;

namespace charts {
class CLiveChart;
class CTimeScroller;
class CChnlPanel;
}  // namespace charts

namespace acquire {

// The Save As dialog of live recordings; the path chosen (remembered as the
// last folder), or empty when cancelled.
QString AskSavePath(QWidget* parent);
// Saves an interrupted recording (FindInterrupted) where the user chooses;
// the path it was saved at, or empty when not saved (a failure says why).
QString SaveInterrupted(QWidget* parent);

class CRCView : public views::RecordView, public CommandTarget {
  Q_OBJECT
 public:
  explicit CRCView(QWidget* parent = nullptr);
  ~CRCView() override;

  // ---- the interface of the side windows ----
  // The live recording (its header and records); valid while the view lives.
  CXFile* File() override { return &session_.File(); }
  // The latest device word of a channel, as the recorder reports it now.
  uint64_t DevWord(int ch) const override { return session_.DevWord(ch); }
  int Records() const { return session_.Records(); }
  // Opens the side window of a command (ID_REC_LIST, ID_REC_BARS,
  // ID_REC_RANGE, ID_REC_INFO, ID_RECORD_SETTINGS) for a view; returns its
  // frame, or null. Until one is registered the command stays greyed.
  using SideOpener = std::function<QWidget*(CRCView* view)>;
  static void SetSideOpener(int commandId, SideOpener opener);
  static bool HasSideOpener(int commandId);
  // The open side frame of a command (null when closed).
  QWidget* SideFrame(int commandId) const;
  // After the record settings changed the header: writes it into the store
  // (message IDS_HEADER_WRITE_FAILED when it cannot) and shows the new display settings.
  void ApplyRecordSettings();

  // ---- commands ----
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;
  // The context menu; with run false it is returned unshown (tests).
  QMenu* ContextMenu(const QPoint& globalPos, bool run = true);
  // The close check of the live frame: true when the view may close.
  bool CanClose();
  // Save as; true when the recording was saved.
  bool SaveAs();
  void StopRecording();
  // The program ends without a question (log-out, shut-down): the recording
  // stops; unless saved it stays on the disk for the next start to offer.
  void KeepForNextStart();
  // The status bar panes and the channel submenu.
  void RefreshFrameTexts(bool menuToo) override;

  charts::CLiveChart* Chart() const { return chart_; }
  charts::CTimeScroller* Scroller() const { return scroller_; }
  charts::CChnlPanel* Panel() const { return panel_; }
  LiveSession& Session() { return session_; }
  // The timer that appends a record every interval.
  QTimer* RecordTimer() { return &timer_; }
  // One interval passed: append a record, or stop on a full store or lost data.
  void OnRecordTimer();

  // ---- state ----
  int recording = 0;
  int startedOk = 0;
  int saved = 1;
  int groupIndex = 0;
  int sidePanel = 0;

 protected:
  void resizeEvent(QResizeEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  void StartRecording();
  // Before a new recording: an interrupted one waiting in the store, or a
  // stopped one not saved, is saved, given up, or the start is cancelled
  // (false).
  bool MayStartOver();
  // The fresh store of the set-up becomes the recording: the side windows
  // let go of the old file first, the controls take the new one.
  void BeginRecording();
  void AfterAppend();
  void ApplyShown(const uint8_t* flags, int newGroupIndex);
  void ToggleSidePanel();
  void OpenSide(int id);
  // Prints, or previews, the chart's current window.
  void PrintWindow(bool preview);
  bool HasSelection() const;

  LiveSession session_;
  charts::CTimeScroller* scroller_;
  charts::CLiveChart* chart_;
  charts::CChnlPanel* panel_;
  QTimer timer_;
  QPointer<QWidget> sideFrames_[5];
  // While the set-up thread fills the session, nothing else touches it.
  bool settingUp_ = false;
};

}  // namespace acquire
