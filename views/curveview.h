#pragma once
// CurveView: what the history and the live curve views have in common. The
// curve chart with the time scroller along it and the channel panel at the
// right edge; the side panel; the shown flags and channel groups; the status
// panes and channel menu of the frame; the selection commands; the context
// menu; printing through the host.
#include <QPoint>
#include <functional>

#include "platform/ui/command.h"
#include "views/recordview.h"
#include "views/viewhost.h"

class QMenu;

namespace charts {
class CCurveChart;
class CTimeScroller;
class CChnlPanel;
struct CurvePrintJob;
}  // namespace charts

namespace views {

class CurveView : public RecordView, public CommandTarget {
  Q_OBJECT
 public:
  ViewHost& Host() const override { return *host_; }
  charts::CTimeScroller* Scroller() const { return scroller_; }
  charts::CChnlPanel* Panel() const { return panel_; }

  // The context menu at a screen position; with run false it is returned
  // unshown (tests read its greying).
  virtual QMenu* ContextMenu(const QPoint& globalPos, bool run = true) = 0;

  // ---- state ----
  int groupIndex = 0;
  int sidePanel = 0;

 protected:
  CurveView(ViewHost& host, QWidget* parent);
  // Makes the scroller and the panel around `chart`, a child of this view made
  // by the subclass: the scroller above the chart (live) or below it
  // (history); the panel named `panelName`.
  void SetUpControls(charts::CCurveChart* chart, bool scrollerOnTop, const char* panelName);
  // The controls show `file` from its start (null: nothing).
  void AttachControls(CXFile* file);
  // True while a recording is shown (the commands on it have something to do).
  virtual bool Showing() const = 0;

  // The status panes, and with menuCommand the channel menu: one command a
  // channel from menuCommand on, named after the channel.
  void ShowFrameTexts(int menuCommand);
  bool HasSelection() const;
  // The commands both views have: channel toggles, all shown or hidden,
  // the channel groups, copy, select all, selecting on and off, the side
  // panel. `channels`: the channel commands apply now. False for other ids.
  bool UpdateCommonCommand(int id, CommandState& state, bool channels);
  bool CommonCommand(int id, bool channels);
  // The context menu `submenu` of menu 158, greyed by the view's own rules
  // and then by `adjust`.
  QMenu* ShowContextMenu(int submenu, const QPoint& globalPos, bool run,
                         const std::function<void(int id, CommandState& state)>& adjust);
  // The curves of a print job printed (or previewed).
  void PrintCurves(const charts::CurvePrintJob& job, bool preview);
  // Writes the header after a change of display settings; on failure says so
  // and returns false (the caller puts its change back).
  bool WriteHead();

  void resizeEvent(QResizeEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

  charts::CCurveChart* curves_ = nullptr;
  charts::CTimeScroller* scroller_ = nullptr;
  charts::CChnlPanel* panel_ = nullptr;

 private:
  void ApplyShown(const uint8_t* flags, int newGroupIndex);
  void ToggleSidePanel();

  ViewHost* host_;
  bool scrollerOnTop_ = false;
};

}  // namespace views
