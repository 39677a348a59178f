#include "views/curveview.h"

#include <QAction>
#include <QCursor>
#include <QMenu>
#include <QMouseEvent>

#include "charts/channelgroups.h"
#include "charts/chnlpanel.h"
#include "charts/curvechart.h"
#include "charts/curveprint.h"
#include "charts/printui.h"
#include "charts/timescroller.h"
#include "data/cxfile.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"

namespace views {

namespace {

// The band of the time scroller.
constexpr int kScrollerBand = 20;

}  // namespace

CurveView::CurveView(ViewHost& host, QWidget* parent) : RecordView(parent), host_(&host) { resize(800, 600); }

void CurveView::SetUpControls(charts::CCurveChart* chart, bool scrollerOnTop, const char* panelName) {
  curves_ = chart;
  scrollerOnTop_ = scrollerOnTop;
  // Time runs left to right in the chart and the scroller alike; the panel
  // takes the band at the right edge.
  scroller_ = new charts::CTimeScroller(this);
  scroller_->setObjectName("1000");
  chart->setObjectName("1001");
  if (scrollerOnTop) {
    scroller_->setGeometry(2, 2, width() - 4, kScrollerBand - 2);
    chart->move(2, kScrollerBand + 2);
  } else {
    scroller_->setGeometry(2, height() - kScrollerBand, width() - 4, kScrollerBand - 2);
    chart->move(2, 2);
    chart->bottomReserve = kScrollerBand;
  }
  chart->raise();  // above the scroller, as made before it
  panel_ = new charts::CChnlPanel(this);
  panel_->setObjectName(panelName);
  panel_->move(width() - 150, 0);
  connect(chart, &charts::CCurveChart::RightButtonReleased, this, [this] { ContextMenu(QCursor::pos()); });
  scroller_->SetSidePanel(sidePanel);
  chart->SetSidePanel(sidePanel);
  panel_->SetShown(sidePanel);
  scroller_->Refresh(1);
  chart->Relayout();
  panel_->Rebuild(1);
}

void CurveView::AttachControls(CXFile* file) {
  scroller_->SetChart(curves_);
  scroller_->SetFixedSize(0);
  scroller_->SetOffset(0.0f);
  scroller_->SetFraction(1.0f);
  curves_->SetRecord(file);
  curves_->ApplyRecordSettings();
  curves_->SetCompanion(scroller_);
  panel_->SetRecord(file);
  panel_->SetNotify(curves_);
}

void CurveView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  if (!scrollerOnTop_) scroller_->move(2, height() - kScrollerBand);
  scroller_->Refresh(1);
  curves_->Relayout();
  panel_->Rebuild(1);
}

void CurveView::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::RightButton) ContextMenu(e->globalPosition().toPoint());
}

void CurveView::ShowFrameTexts(int menuCommand) {
  CXFile* file = File();
  if (menuCommand) {
    if (QMenu* menu = host_->ChannelMenu()) {
      menu->clear();
      CommandRouter& router = CommandRouter::Instance();
      for (int ch = 0; ch < file->GetChnlCount() && ch < 64; ++ch) {
        router.SetText(menuCommand + ch, QString::fromStdString(file->GetChnlName(ch)));
        menu->addAction(router.Action(menuCommand + ch));
      }
    }
  }
  host_->SetPaneText(1, lang::String(ID_INDICATOR_TITLE) + QString::fromStdString(file->GetTitle()));
  host_->SetPaneText(2, lang::String(ID_INDICATOR_CHANNELS) + QString::number(file->GetChnlCount()));
  host_->SetPaneText(3, lang::String(ID_INDICATOR_TIME) + QString::fromStdString(FormatTime(file->GetStartTime())) +
                            " => " + QString::fromStdString(FormatTime(file->GetEndTime())));
  host_->SetPaneText(4, lang::String(ID_INDICATOR_INTERVAL) + QString::number(file->GetInterval()) + "S");
}

bool CurveView::HasSelection() const {
  time_t s = 0, e = 0;
  curves_->GetSelection(s, e);
  return s != e && s != 0;
}

namespace {

bool ShownCommand(int id) {
  return (id >= ID_CHNL_TOGGLE && id <= ID_CHNL_TOGGLE_LAST) || id == ID_SHOW_ALL_CHNL || id == ID_HIDE_ALL_CHNL ||
         id == ID_NEXT_CHNL_GROUP || id == ID_PREV_CHNL_GROUP;
}

}  // namespace

bool CurveView::UpdateCommonCommand(int id, CommandState& state, bool channels) {
  const bool selecting = curves_->IsSelecting() != 0;
  state.checkable = false;
  state.checked = false;
  if (id >= ID_CHNL_TOGGLE && id <= ID_CHNL_TOGGLE_LAST) {
    const int ch = id - ID_CHNL_TOGGLE;
    state.enabled = channels && ch < File()->GetChnlCount();
    state.checkable = true;
    state.checked = state.enabled && File()->Head().channels[ch].shown != 0;
    return true;
  }
  switch (id) {
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
      return false;
  }
}

bool CurveView::CommonCommand(int id, bool channels) {
  if (ShownCommand(id)) {
    if (!channels) return true;
    uint8_t current[64], flags[64];
    for (int i = 0; i < 64; ++i) current[i] = File()->Head().channels[i].shown;
    int next = groupIndex;
    if (charts::ShownFlagsOfCommand(id, File()->GetChnlCount(), current, groupIndex, flags, &next))
      ApplyShown(flags, next);
    return true;
  }
  switch (id) {
    case ID_EDIT_COPY:
      if (Showing() && curves_->IsSelecting() && HasSelection()) curves_->CopySelectionToClipboard();
      return true;
    case ID_SELECT_ALL_RECORDS:
      if (Showing()) curves_->SelectAll();
      return true;
    case ID_SELECT_OFF:
      curves_->SetSelecting(0);
      return true;
    case ID_SELECT_ON:
      curves_->SetSelecting(1);
      return true;
    case ID_SIDE_PANEL:
      ToggleSidePanel();
      return true;
    default:
      return false;
  }
}

QMenu* CurveView::ShowContextMenu(int submenu, const QPoint& globalPos, bool run,
                                  const std::function<void(int, CommandState&)>& adjust) {
  // The view's own rules decide; commands of other windows ask the router.
  return CommandRouter::Instance().ContextMenu(158, submenu, this, globalPos, run, [this, &adjust](int id) {
    CommandState state;
    if (!OnUpdateCommand(id, state)) state = CommandRouter::Instance().Query(id);
    adjust(id, state);
    return state;
  });
}

void CurveView::PrintCurves(const charts::CurvePrintJob& job, bool preview) {
  if (preview)
    charts::PreviewPages(this, charts::CurvePages(job));
  else
    host_->Print(this, charts::CurvePages(job), QString::fromStdString(File()->GetTitle()));
}

bool CurveView::WriteHead() {
  if (File()->PutHead()) return true;
  MsgBox(this, IDS_HEADER_WRITE_FAILED, IDS_CAPTION, MsgIcon::Error);
  return false;
}

void CurveView::ApplyShown(const uint8_t* flags, int newGroupIndex) {
  _tagDataHead& h = File()->Head();
  uint8_t before[64];
  for (int i = 0; i < 64; ++i) {
    before[i] = h.channels[i].shown;
    h.channels[i].shown = flags[i];
  }
  if (!WriteHead()) {
    for (int i = 0; i < 64; ++i) h.channels[i].shown = before[i];
    return;
  }
  groupIndex = newGroupIndex;
  curves_->Relayout();
  panel_->Rebuild(0);
}

void CurveView::ToggleSidePanel() {
  sidePanel = sidePanel ? 0 : 1;
  scroller_->SetSidePanel(sidePanel);
  curves_->SetSidePanel(sidePanel);
  panel_->SetShown(sidePanel);
  if (!panel_->HasRecord() && Showing()) panel_->SetRecord(File());
  panel_->Rebuild(1);
  scroller_->Refresh(1);
  curves_->Relayout();
}

}  // namespace views
