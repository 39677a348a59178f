#pragma once
// The live-recording view: records a connected recorder in real time on a
// following curve chart, stops, and saves the recording. The work itself
// (set-up, sampling, appending) is LiveSession's; this view shows it.
//
// The side windows (record list, bars, range view, device information) are
// opened by the view into child windows of its host; it keeps their frames (a
// QPointer: it forgets a frame that closes). A side window uses the view
// through RecordView: File() and DevWord(), recordAppended(), stateChanged(),
// and the swap of the file when a new recording begins
// (fileAboutToBeReplaced(), fileReplaced()). It drops its pointer to the view
// on QObject::destroyed. The view closes its side frames when it goes.
#include <QPointer>
#include <QTimer>

#include "acquire/live.h"
#include "views/curveview.h"

class QDialog;
class QMenu;

namespace charts {
class CLiveChart;
}  // namespace charts

namespace acquire {

// The Save As dialog of live recordings; the path chosen (remembered as the
// last folder), or empty when cancelled.
QString AskSavePath(QWidget* parent);
// Saves an interrupted recording (FindInterrupted) where the user chooses;
// the path it was saved at, or empty when not saved (a failure says why).
QString SaveInterrupted(QWidget* parent);

class CRCView : public views::CurveView {
  Q_OBJECT
 public:
  explicit CRCView(views::ViewHost& host = views::ViewHost::Standalone(), QWidget* parent = nullptr);
  ~CRCView() override;

  // ---- the interface of the side windows ----
  // The live recording (its header and records); valid while the view lives.
  CXFile* File() override { return &session_.File(); }
  // The latest device word of a channel, as the recorder reports it now.
  uint64_t DevWord(int ch) const override { return session_.DevWord(ch); }
  int Records() const { return session_.Records(); }
  // The open side frame of a command (ID_REC_LIST, ID_REC_BARS, ID_REC_RANGE,
  // ID_REC_INFO; null when closed).
  QWidget* SideFrame(int commandId) const;
  // After the record settings changed the header: writes it into the store
  // (message IDS_HEADER_WRITE_FAILED when it cannot) and shows the new display settings.
  void ApplyRecordSettings();

  // ---- commands ----
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;
  QMenu* ContextMenu(const QPoint& globalPos, bool run = true) override;
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
  LiveSession& Session() { return session_; }
  // The timer that appends a record every interval.
  QTimer* RecordTimer() { return &timer_; }
  // One interval passed: append a record, or stop on a full store or lost data.
  void OnRecordTimer();

  // ---- state ----
  int recording = 0;
  int startedOk = 0;
  int saved = 1;

 protected:
  bool Showing() const override { return startedOk != 0; }

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
  void OpenSide(int id);
  // The side window of a command made anew; its frame, or null.
  QWidget* NewSide(int id);

  LiveSession session_;
  charts::CLiveChart* chart_;
  QTimer timer_;
  QPointer<QWidget> sideFrames_[5];
  // While the set-up thread fills the session, nothing else touches it.
  bool settingUp_ = false;
};

}  // namespace acquire
