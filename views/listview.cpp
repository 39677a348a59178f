#include "views/listview.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <thread>

#include "charts/chartdialogs.h"
#include "charts/pageprint.h"
#include "charts/printui.h"
#include "data/cxfile.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"
#include "tables/listprint.h"
#include "tables/statsdlg.h"
#include "views/viewhost.h"
#include "views/hcview.h"
#include "xlsexport/cxexcel.h"

namespace tables {

CXListView::CXListView(QWidget* parent) : QWidget(parent) {
  setObjectName("150");
  resize(800, 600);
  grid_ = new CXGridCtrl(this);
  setFocusProxy(grid_);
  connect(grid_, &CXGridCtrl::RightButtonReleased, this, [this](QPoint at) { ContextMenu(at); });
}

CXListView::~CXListView() {
  emit closing();
  // The owner forgets its list.
  if (history_) history_->listFrame = nullptr;
  grid_->Attach(nullptr);
}

CXFile* CXListView::File() const {
  // The file belongs to the owner and goes with it.
  return HasHistory() || HasLive() ? file_ : nullptr;
}

void CXListView::SetHistoryOwner(charts::CHCView* owner, CXFile* file) {
  history_ = owner;
  live_ = nullptr;
  file_ = file;
  if (owner)
    connect(owner, &QObject::destroyed, this, [this] { grid_->Attach(nullptr); });
  grid_->Attach(File());
}

void CXListView::SetLiveOwner(views::RecordView* owner, CXFile* file) {
  live_ = owner;
  history_ = nullptr;
  file_ = file;
  if (owner) {
    connect(owner, &QObject::destroyed, this, [this] { grid_->Attach(nullptr); });
    // New records, and a new recording in place of the old one.
    connect(owner, &views::RecordView::recordAppended, this, [this](int) { OnFileChanged(); });
    connect(owner, &views::RecordView::fileAboutToBeReplaced, this, [this] {
      file_ = nullptr;
      grid_->Attach(nullptr);
    });
    connect(owner, &views::RecordView::fileReplaced, this, [this] {
      file_ = live_ ? live_->File() : nullptr;
      grid_->Attach(File());
    });
  }
  grid_->SetKeepTop(1);
  grid_->SetFollow(1);
  grid_->Attach(File());
}

void CXListView::OnFileChanged() { grid_->Attach(File()); }

CommandTarget* CXListView::Owner() const {
  return HasHistory() ? static_cast<CommandTarget*>(history_.data()) : dynamic_cast<CommandTarget*>(live_.data());
}

int CXListView::OwnerCommand(int id) const {
  // The live view knows its information window by a command of its own.
  return id == ID_SHOW_INFO && !HasHistory() ? ID_REC_INFO : id;
}

void CXListView::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  grid_->setGeometry(rect());
}

void CXListView::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::ActivationChange && isActiveWindow()) Activated();
}

views::ViewHost& CXListView::Host() const {
  if (history_) return history_->Host();
  if (live_) return live_->Host();
  return views::ViewHost::Standalone();
}

void CXListView::Activated() {
  if (history_) {
    history_->RefreshFrameTexts(true);
  } else if (live_) {
    live_->RefreshFrameTexts(true);
  }
}

std::string CXListView::SelectionText() const {
  if (!File() || !grid_->HasValidSelection()) return std::string();
  time_t a = 0, b = 0;
  grid_->GetSelection(a, b);
  return CopyText(*File(), a, b, lang::String(IDS_COL_TIME).toStdString());
}

void CXListView::Copy() {
  // A whole long file makes a text of many megabytes.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const std::string text = SelectionText();
  QApplication::restoreOverrideCursor();
  if (text.empty()) return;
  if (QClipboard* clip = QGuiApplication::clipboard()) clip->setText(QString::fromStdString(text));
}

QMenu* CXListView::ContextMenu(const QPoint& globalPos, bool run) {
  return CommandRouter::Instance().ContextMenu(158, HasLive() ? 2 : 3, this, globalPos, run, [this](int id) {
    CommandState state;
    if (!OnUpdateCommand(id, state)) state.enabled = false;
    return state;
  });
}

bool CXListView::OnUpdateCommand(int id, CommandState& state) {
  state.checkable = false;
  state.checked = false;
  switch (id) {
    case ID_EXPORT_EXCEL:
    case ID_STATISTICS:
      state.enabled = HasHistory() && File();
      return true;
    case ID_FOLLOW_OFF:
      state.enabled = HasLive() && grid_->GetFollow();
      return true;
    case ID_FOLLOW_ON:
      state.enabled = HasLive() && !grid_->GetFollow();
      return true;
    case ID_SELECT_ALL_RECORDS:
    case ID_GOTO_TIME:
    case ID_FIND:
      state.enabled = HasHistory() && File();
      return true;
    case ID_FIND_NEXT:
      state.enabled = HasHistory() && File() && history_->searched;
      return true;
    case ID_PRINT_PREVIEW_ALL:
    case ID_LIST_PRINT:
    case ID_LIST_PRINT_PREVIEW:
    case ID_FILE_PRINT:
    case ID_FILE_PRINT_PREVIEW:
      state.enabled = File() != nullptr;
      return true;
    case ID_ROW_STEP:
      // A live list shows every record as it comes.
      state.enabled = HasHistory() && File();
      return true;
    case ID_RECORD_SETTINGS:
    case ID_SHOW_INFO: {
      // The owner decides; an owner without the window greys it.
      CommandTarget* owner = Owner();
      CommandState s;
      state.enabled = owner && owner->OnUpdateCommand(OwnerCommand(id), s) && s.enabled;
      return true;
    }
    case ID_EDIT_COPY:
      state.enabled = grid_->HasValidSelection();
      return true;
    default:
      return false;
  }
}

bool CXListView::OnCommand(int id) {
  CommandState state;
  if (!OnUpdateCommand(id, state)) return false;
  if (!state.enabled) return true;
  switch (id) {
    case ID_FOLLOW_OFF:
      grid_->SetFollow(0);
      return true;
    case ID_FOLLOW_ON:
      grid_->SetFollow(1);
      return true;
    case ID_SELECT_ALL_RECORDS:
      grid_->SelectAll();
      return true;
    case ID_EXPORT_EXCEL: {
      // The selection when one lies within the file, else the whole file.
      time_t start = File()->GetStartTime(), end = File()->GetEndTime();
      if (grid_->HasValidSelection()) {
        time_t a = 0, b = 0;
        grid_->GetSelection(a, b);
        start = std::min(a, b);
        end = std::max(a, b);
      }
      CXExcel excel;
      excel.SetFile(File());
      excel.SetRange(start, end);
      excel.ShowXWnd(lang::Language());
      return true;
    }
    case ID_STATISTICS:
      RunStatistics(this, File());
      return true;
    case ID_PRINT_PREVIEW_ALL:
      printMode = 1;
      Print(true);
      return true;
    case ID_LIST_PRINT:
      printMode = 0;
      Print(false);
      return true;
    case ID_LIST_PRINT_PREVIEW:
      printMode = 0;
      Print(true);
      return true;
    case ID_FILE_PRINT:  // the desktop's print: the last print mode again
      Print(false);
      return true;
    case ID_FILE_PRINT_PREVIEW:
      Print(true);
      return true;
    case ID_SHOW_INFO:
      if (CommandTarget* owner = Owner()) owner->OnCommand(OwnerCommand(id));
      return true;
    case ID_RECORD_SETTINGS:
      if (CommandTarget* owner = Owner()) owner->OnCommand(OwnerCommand(id));
      // Names, units and colours may have changed.
      OnFileChanged();
      return true;
    case ID_GOTO_TIME: {
      charts::CGotoTimeDlg dlg(File(), this);
      if (dlg.exec() == QDialog::Accepted) grid_->GoToTime(dlg.Result());
      return true;
    }
    case ID_FIND: {
      charts::CFindDlg dlg(File(), &history_->query, [this] { OnSearchRequest(); }, this);
      dlg.exec();
      return true;
    }
    case ID_FIND_NEXT:
      FindNext();
      return true;
    case ID_ROW_STEP: {
      CRowStepDlg dlg(grid_->GetRowStep(), this);
      if (dlg.exec() == QDialog::Accepted) grid_->SetRowStep(dlg.Step());
      return true;
    }
    case ID_EDIT_COPY:
      Copy();
      return true;
    default:
      return true;
  }
}

bool CXListView::Search() {
  _tagFindQuery& q = history_->query;
  CXFile* file = File();
  std::atomic<bool> stop{false};
  std::atomic<bool> done{false};
  FindResult result = FindResult::Missed;
  _tagFindQuery work = q;
  // The walk runs beside the window thread, which only waits for it (the
  // file is not touched here meanwhile); a long one can be stopped.
  std::thread worker([&] {
    result = FindInFile(*file, work, &stop);
    done = true;
  });
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(findProgressDelayMs);
  while (!done && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (!done) {
    QProgressDialog progress(lang::String(IDS_LIST_SEARCHING), lang::String(IDS_LIST_SEARCH_STOP), 0, 0, this);
    progress.setObjectName("62500");
    // Nothing may close the file's view while the walk reads it.
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    QEventLoop loop;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &loop, [&] {
      if (done) loop.quit();
    });
    connect(&progress, &QProgressDialog::canceled, &loop, [&] { stop = true; });
    poll.start(20);
    progress.show();
    loop.exec();
  }
  worker.join();
  if (result == FindResult::Stopped) return false;
  q.time = work.time;
  if (result == FindResult::Missed) {
    MsgBox(this, IDS_NOT_FOUND, IDS_CAPTION, MsgIcon::Warning);
    return false;
  }
  grid_->GoToTime(q.time);
  // The next search goes on from the instant after the hit.
  const int iv = std::max(file->GetInterval(), 1);
  q.time += q.direction ? -iv : iv;
  return true;
}

void CXListView::OnSearchRequest() {
  if (!HasHistory() || !File()) return;
  _tagFindQuery& q = history_->query;
  // A new search starts at its origin, the first instant included.
  if (q.time == 0) q.time = SearchOrigin(*File(), q.startMode, grid_->GetTopTime());
  history_->searched = 1;
  Search();
}

void CXListView::FindNext() {
  if (!HasHistory() || !File() || !history_->searched) return;
  if (history_->query.time == 0) {
    // The last walk left the file: say so again rather than start over.
    MsgBox(this, IDS_NOT_FOUND, IDS_CAPTION, MsgIcon::Warning);
    return;
  }
  Search();
}

charts::PageSource CXListView::Pages() const {
  charts::PageSource source;
  if (!File()) {
    source.pages = 0;
    return source;
  }
  const ListClock clock = grid_->Clock();
  const time_t top = grid_->GetTopTime();
  // Mode 1 prints every page from the top row on; mode 0 the page at the top.
  // Each page of rows goes over as many pages as the channels need.
  const ListBands bands = ListBandsOf(*grid_);
  const int across = int(bands.bands.size());
  source.pages = (printMode == 1 ? clock.PageCount(top) : 1) * across;
  const time_t printed = time(nullptr);
  const CXGridCtrl* grid = grid_;
  source.draw = [grid, clock, top, printed, bands, across](QPainter& p, int page, int width, int height) {
    DrawListPage(p, *grid, QSize(width, height), clock.PageTop(top, (page - 1) / across + 1), page, printed, bands,
                 (page - 1) % across);
  };
  source.file = File();
  return source;
}

int CXListView::PrintTo(QPrinter& printer) {
  const charts::PageSource source = Pages();
  if (source.pages <= 0) return 0;
  QString error;
  return charts::PrintPages(printer, source, 0, 0, &error) ? source.pages : 0;
}

void CXListView::Print(bool preview) {
  if (!File()) return;
  if (preview)
    charts::PreviewPages(this, Pages());
  else
    Host().Print(this, Pages(), QString::fromStdString(File()->GetTitle()));
}

// ------------------------------------------------------------ row step (180)

CRowStepDlg::CRowStepDlg(int step, QWidget* parent) : QDialog(parent), step_(step) {
  setObjectName("180");
  setWindowTitle(lang::String(IDS_ROW_STEP_TITLE));
  auto* layout = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(lang::String(IDS_ROW_STEP_LABEL), this));
  edit_ = new QLineEdit(QString::number(step), this);
  edit_->setObjectName("1119");
  row->addWidget(edit_);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

void CRowStepDlg::accept() {
  bool ok = false;
  const int v = edit_->text().trimmed().toInt(&ok);
  if (!ok || v < 1) {
    MsgBox(this, IDS_ROW_STEP_INVALID, IDS_CAPTION, MsgIcon::Warning);
    edit_->setFocus();
    edit_->selectAll();
    return;
  }
  step_ = v;
  QDialog::accept();
}

// ------------------------------------------------------------ opening

namespace {

void Activate(QWidget* frame) {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(frame)) {
    sub->showMaximized();
    if (sub->mdiArea()) sub->mdiArea()->setActiveSubWindow(sub);
  } else {
    frame->showNormal();
    frame->raise();
    frame->activateWindow();
  }
}

// Puts a new list into a child window of the main window, or into a window of
// its own without one (tools, tests); returns that window.
QWidget* Place(CXListView* list, const QString& title, views::ViewHost& host) {
  list->resize(900, 600);  // its size as a window of its own
  QWidget* frame = host.AddChildWindow(list, title, 154);
  if (auto* sub = qobject_cast<QMdiSubWindow*>(frame)) {
    QObject::connect(sub, &QMdiSubWindow::windowStateChanged, list,
                     [list](Qt::WindowStates, Qt::WindowStates now) {
                       if (now & Qt::WindowActive) list->Activated();
                     });
  }
  return frame;
}

}  // namespace

void OpenListView(charts::CHCView* owner) {
  if (!owner || !owner->file) return;
  if (owner->listFrame) {
    Activate(owner->listFrame);
    return;
  }
  auto* list = new CXListView;
  const QString title =
      lang::String(IDS_LIST_TITLE) + " [" + QFileInfo(QString::fromStdString(owner->file->GetPath())).fileName() + "]";
  owner->listFrame = Place(list, title, owner->Host());
  list->SetHistoryOwner(owner, owner->file);
}

QWidget* OpenLiveListView(views::RecordView* owner, CXFile* file, QWidget* frame) {
  if (frame) {
    Activate(frame);
    return frame;
  }
  if (!owner || !file) return nullptr;
  auto* list = new CXListView;
  frame = Place(list, lang::String(IDS_LIVE_LIST_TITLE), owner->Host());
  list->SetLiveOwner(owner, file);
  return frame;
}

CXListView* ListIn(QWidget* frame) {
  if (!frame) return nullptr;
  if (auto* list = qobject_cast<CXListView*>(frame)) return list;
  return frame->findChild<CXListView*>();
}

}  // namespace tables
