#include "views/hcview.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressDialog>

#include <memory>

#include <algorithm>

#include "acquire/devinfownd.h"
#include "charts/channelgroups.h"
#include "charts/chartdialogs.h"
#include "charts/chnlpanel.h"
#include "charts/curvechart.h"
#include "charts/printui.h"
#include "charts/timescroller.h"
#include "data/cxfile.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"
#include "tables/recordsettingsdlg.h"
#include "views/listview.h"
#include "views/rangeview.h"
#include "xlsexport/cxexcel.h"

namespace charts {

CHCView::CHCView(views::ViewHost& host, QWidget* parent) : CurveView(host, parent) {
  setObjectName("101");
  chart_ = new CCurveChart(this);
  SetUpControls(chart_, false, "1128");
}

CHCView::~CHCView() {
  if (listFrame) listFrame->close();
  // The range views borrow the file that goes with this view: they go first.
  for (QPointer<QWidget>& frame : rangeFrames_) {
    if (!frame) continue;
    for (CRangeView* v : frame->findChildren<CRangeView*>()) v->SetOwner(nullptr);
    if (auto* v = qobject_cast<CRangeView*>(frame.data())) v->SetOwner(nullptr);
    delete frame.data();
  }
  delete infoWnd.data();
  // The controls only borrow the file; they go with this widget afterwards.
  chart_->SetRecord(nullptr);
  delete file;
  file = nullptr;
}

void CHCView::SetRecord(CXFile* f) {
  file = f;
  if (!file) return;
  AttachControls(file);
  chart_->Relayout();
  panel_->Rebuild(1);
  RefreshFrameTexts(true);
}

void CHCView::RefreshFrameTexts(bool menuToo) {
  if (file) ShowFrameTexts(menuToo ? ID_CHNL_WINDOW : 0);
}

QMenu* CHCView::ContextMenu(const QPoint& globalPos, bool run) {
  return ShowContextMenu(0, globalPos, run, [](int id, CommandState& state) {
    if (id == ID_CURVE_PROPERTIES) state.enabled = false;
  });
}

bool CHCView::OnUpdateCommand(int id, CommandState& state) {
  if (UpdateCommonCommand(id, state, file != nullptr)) return true;
  const bool selecting = chart_->IsSelecting() != 0;
  switch (id) {
    case ID_WINDOW_FROM_CURSOR:
    case ID_WINDOW_TO_CURSOR:
    case ID_ADD_MARK:
      state.enabled = !selecting;
      return true;
    case ID_ZOOM_SELECTION:
      state.enabled = selecting && HasSelection();
      return true;
    case ID_OPEN_LIST:
      state.enabled = file != nullptr;
      return true;
    case ID_EDIT_MARKS:
    case ID_GOTO_TIME:
    case ID_SET_WINDOW:
    case ID_FIND:
    case ID_REF_LINES:
    case ID_RECORD_SETTINGS:
    case ID_SHOW_INFO:
    case ID_EXPORT_EXCEL:
    case ID_STATISTICS:
    case ID_PRINT_PREVIEW_ALL:
    case ID_LIST_PRINT:
    case ID_LIST_PRINT_PREVIEW:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
      state.enabled = true;
      return true;
    case ID_FIND_NEXT:
      state.enabled = searched != 0;
      return true;
    default:
      break;
  }
  if (id >= ID_CHNL_WINDOW && id <= ID_CHNL_WINDOW_LAST) {
    const int k = id - ID_CHNL_WINDOW;
    state.enabled = file && k < file->GetChnlCount();
    state.checkable = true;
    state.checked = chnlOpen[k] != 0;
    return true;
  }
  return false;
}

bool CHCView::OnCommand(int id) {
  if (CommonCommand(id, file != nullptr)) return true;
  if (id >= ID_CHNL_WINDOW && id <= ID_CHNL_WINDOW_LAST) {
    OpenChnlWindow(id - ID_CHNL_WINDOW);
    return true;
  }
  switch (id) {
    case ID_OPEN_LIST:
      if (file) tables::OpenListView(this);
      return true;
    case ID_WINDOW_FROM_CURSOR:
      if (file) chart_->SetWindowStart(0);
      return true;
    case ID_WINDOW_TO_CURSOR:
      if (file) chart_->SetWindowEnd(0);
      return true;
    case ID_ZOOM_SELECTION:
      if (file && chart_->IsSelecting() && HasSelection()) chart_->ZoomToSelection(0, 0);
      return true;
    case ID_ADD_MARK: {
      if (!file) return true;
      const time_t t = chart_->GetCursorTime();
      if (t == 0) return true;  // no cursor placed yet
      if (!file->AddMark(t)) {
        MsgBox(this, IDS_HEADER_WRITE_FAILED, IDS_CAPTION, MsgIcon::Error);
        return true;
      }
      chart_->Relayout();
      return true;
    }
    case ID_EDIT_MARKS: {
      if (!file) return true;
      CMarksDlg dlg(file, this);
      dlg.exec();
      chart_->Relayout();
      return true;
    }
    case ID_GOTO_TIME: {
      if (!file) return true;
      CGotoTimeDlg dlg(file, this);
      if (dlg.exec() == QDialog::Accepted) chart_->CenterOnTime(dlg.Result());
      return true;
    }
    case ID_SET_WINDOW: {
      if (!file) return true;
      time_t s = 0, e = 0;
      chart_->GetWindow(s, e);
      CTimeWindowDlg dlg(file, s, e, this);
      if (dlg.exec() == QDialog::Accepted) chart_->ZoomToSelection(dlg.Start(), dlg.End());
      return true;
    }
    case ID_FIND: {
      if (!file) return true;
      CFindDlg dlg(file, &query, [this] { OnSearchRequest(); }, this);
      dlg.exec();
      return true;
    }
    case ID_FIND_NEXT:
      if (file && searched) FindNext();
      return true;
    case ID_REF_LINES:
      if (file) EditRefLines();
      return true;
    case ID_RECORD_SETTINGS:
      if (file) EditRecordSettings();
      return true;
    case ID_SHOW_INFO:
      if (file) acquire::ShowDevInfo(infoWnd, file, this);
      return true;
    case ID_EXPORT_EXCEL:
      if (file) ExportExcel();
      return true;
    case ID_STATISTICS:
      if (file) Host().Statistics(this, file);
      return true;
    case ID_PRINT_PREVIEW_ALL: {
      if (!file) return true;
      time_t start = 0, end = 0;
      int pages = 0, mode = 0;
      if (!Host().AskPrintRange(this, file, &start, &end, &pages, &mode)) return true;
      printStart = start;
      printEnd = end;
      printPages = pages;
      rangeMode = 1;
      if (mode == 1)
        PrintPreview();
      else
        Print();
      return true;
    }
    case ID_LIST_PRINT:
      rangeMode = 0;
      Print();
      return true;
    case ID_LIST_PRINT_PREVIEW:
      rangeMode = 0;
      PrintPreview();
      return true;
    case ID_FILE_PRINT:
      Print();
      return true;
    case ID_FILE_PRINT_PREVIEW:
      PrintPreview();
      return true;
    default:
      return false;
  }
}

void CHCView::ExportExcel() {
  // The chart's selection when one is made, else the whole file.
  time_t start = file->GetStartTime(), end = file->GetEndTime();
  if (chart_->IsSelecting()) {
    time_t s = 0, e = 0;
    chart_->GetSelection(s, e);
    if (s != e && e != 0) {
      start = std::min(s, e);
      end = std::max(s, e);
    }
  }
  CXExcel excel;
  excel.SetFile(file);
  excel.SetRange(start, end);
  excel.ShowXWnd(lang::Language());
}

CurvePrintJob CHCView::PrintJob() const {
  CurvePrintJob job;
  job.state = chart_->PrintState();
  job.range = rangeMode != 0;
  job.printStart = printStart;
  job.pages = rangeMode ? printPages : 1;
  return job;
}

void CHCView::Print() {
  if (!file) return;
  if (rangeMode) chart_->SetPrintParams(printStart, printEnd, printPages);
  PrintCurves(PrintJob(), false);
}

void CHCView::PrintPreview() {
  if (!file) return;
  if (rangeMode) chart_->SetPrintParams(printStart, printEnd, printPages);
  PrintCurves(PrintJob(), true);
}

void CHCView::OpenChnlWindow(int k) {
  if (!file || k < 0 || k >= file->GetChnlCount() || k >= 64) return;
  if (QWidget* frame = chnlFrames[k]) {
    // Open already: brought to the front and restored.
    frame->setWindowState(frame->windowState() & ~Qt::WindowMinimized);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(frame); sub && sub->mdiArea())
      sub->mdiArea()->setActiveSubWindow(sub);
    frame->show();
    frame->raise();
    frame->activateWindow();
    return;
  }
  auto* view = new CRangeView(Host());
  view->SetOwner(this);
  view->SetRecord(file);
  time_t start = file->GetStartTime(), end = file->GetEndTime();
  if (chart_->IsSelecting() && HasSelection()) chart_->GetSelection(start, end);
  view->SetSpan(start, end);
  view->SetChannel(k);
  const QString title = lang::Format(IDS_CC_CHANNEL_N, k + 1);
  QWidget* frame = Host().AddChildWindow(view, title, 133);
  chnlFrames[k] = frame;
  chnlOpen[k] = 1;
  rangeFrames_.emplace_back(frame);
}

void CHCView::ForgetChnlFrames() {
  for (int i = 0; i < 64; ++i) {
    chnlFrames[i] = nullptr;
    chnlOpen[i] = 0;
  }
}

void CHCView::EditRefLines() {
  _tagDataHead& h = file->Head();
  CRefLinesDlg dlg(h, this);
  if (dlg.exec() != QDialog::Accepted) return;
  const _tagDataHead before = h;
  dlg.Store(h);
  if (!WriteHead()) {
    h.refShown1 = before.refShown1;
    h.refShown2 = before.refShown2;
    h.refValue1 = before.refValue1;
    h.refValue2 = before.refValue2;
    std::copy(std::begin(before.refLabel1), std::end(before.refLabel1), h.refLabel1);
    std::copy(std::begin(before.refLabel2), std::end(before.refLabel2), h.refLabel2);
    return;
  }
  chart_->ApplyRecordSettings();
  chart_->Relayout();
}

void CHCView::EditRecordSettings() {
  // The dialog writes the header and reports a failed write itself.
  if (!tables::EditRecordSettings(file, this)) return;
  RefreshFrameTexts(true);
  chart_->ApplyRecordSettings();
  chart_->Relayout();
  panel_->Rebuild(0);
}

// A search over a long file keeps the window alive: after a moment it shows a
// busy bar with Cancel, and Cancel ends the search as found nothing.
static bool FindInFile(QWidget* parent, const CXFile& file, _tagFindQuery& query, bool* cancelled) {
  QElapsedTimer clock;
  clock.start();
  std::unique_ptr<QProgressDialog> busy;
  *cancelled = false;
  const bool found = file.FindValue(query, [&] {
    if (!busy && clock.elapsed() > 300) {
      busy = std::make_unique<QProgressDialog>(lang::String(IDS_SEARCHING_VALUE), lang::String(IDS_SEARCH_CANCEL), 0, 0, parent);
      busy->setWindowTitle(lang::String(IDS_CAPTION));
      busy->setWindowModality(Qt::WindowModal);
      busy->setMinimumDuration(0);
      busy->show();
    }
    if (busy) QCoreApplication::processEvents();
    *cancelled = busy && busy->wasCanceled();
    return !*cancelled;
  });
  return found;
}

void CHCView::OnSearchRequest() {
  if (!file) return;
  // A search goes on from the record after the last hit; a new one starts at
  // its origin.
  if (query.time == 0) {
    if (query.startMode == 0)
      query.time = file->GetStartTime();
    else if (query.startMode == 1)
      query.time = file->GetEndTime();
    else
      query.time = chart_->GetCursorTime() ? chart_->GetCursorTime() : file->GetStartTime();
  }
  searched = 1;
  bool cancelled = false;
  FindInFile(this, *file, query, &cancelled);
  if (cancelled) return;
  if (query.time != 0) {
    chart_->CenterOnTime(query.time);
    const int iv = file->GetInterval() > 0 ? file->GetInterval() : 1;
    query.time += query.direction ? -iv : iv;
  } else {
    MsgBox(this, IDS_NOT_FOUND, IDS_CAPTION, MsgIcon::Warning);
  }
}

void CHCView::FindNext() {
  bool cancelled = false;
  if (FindInFile(this, *file, query, &cancelled)) {
    chart_->CenterOnTime(query.time);
    const int iv = file->GetInterval() > 0 ? file->GetInterval() : 1;
    query.time += query.direction ? -iv : iv;
  } else if (!cancelled) {
    MsgBox(this, IDS_NOT_FOUND, IDS_CAPTION, MsgIcon::Warning);
  }
}

}  // namespace charts
