#include "shell/mainframe.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "acquire/collectdialog.h"
#include "acquire/downloaddialog.h"
#include "acquire/live.h"
#include "data/cxfile.h"
#include "platform/appconfig.h"
#include "platform/ui/commandids.h"
#include "platform/ui/fonts.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"
#include "portcfg/xcom.h"
#include "shell/childframe.h"
#include "shell/helpwindow.h"
#include "viewcfg/viewdef.h"
#include "views/cumuview.h"
#include "views/hcview.h"
#include "views/rcview.h"

namespace {

CMainFrame* g_frame = nullptr;

// The MDI client area: filled with the button-shadow colour and the
// application title, drawn twice for a shadow.
class CMdiBackground : public QMdiArea {
 public:
  explicit CMdiBackground(QWidget* parent) : QMdiArea(parent) {
    shadow_ = palette().color(QPalette::Dark);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), shadow_);
    QFont f = FaceFont("Arial");
    f.setPointSize(50);
    p.setFont(f);
    const QString title = lang::String(IDS_APP_TITLE);
    const QRect big(0, 0, 100000, 100000);
    p.setPen(QColor(0xCC, 0xCC, 0xCC));
    p.drawText(big.translated(12, 12), Qt::AlignLeft | Qt::AlignTop, title);
    p.setPen(QColor(0x00, 0x40, 0x80));  // COLORREF 0x804000
    p.drawText(big.translated(10, 10), Qt::AlignLeft | Qt::AlignTop, title);
  }
  void resizeEvent(QResizeEvent* e) override {
    QMdiArea::resizeEvent(e);
    viewport()->update();
  }

 private:
  QColor shadow_;
};

// The tool box: a program of its own beside recview.
QString BoxProgram() { return QString::fromStdString(platform::GetProgramDir()) + "Box"; }

const int kPaneWidths[5] = {160, 300, 100, 320, 1000};
const int kPaneIds[5] = {0, ID_INDICATOR_TITLE, ID_INDICATOR_CHANNELS, ID_INDICATOR_TIME,
                         ID_INDICATOR_INTERVAL};

}  // namespace

CMainFrame::CMainFrame() { g_frame = this; }

CMainFrame::~CMainFrame() {
  // The views go while the frame they ask is whole.
  // (A view may take windows of its own along: each is deleted once.)
  if (mdi_) {
    std::vector<QPointer<QMdiSubWindow>> windows;
    for (QMdiSubWindow* w : mdi_->subWindowList()) windows.emplace_back(w);
    for (QPointer<QMdiSubWindow>& w : windows) delete w.data();
  }
  CommandRouter::Instance().SetFrameTarget(nullptr);
  CommandRouter::Instance().SetActiveViewProvider(nullptr);
  if (g_frame == this) g_frame = nullptr;
}

CMainFrame* CMainFrame::Instance() { return g_frame; }

bool CMainFrame::Create() {
  setWindowTitle(lang::String(IDS_APP_TITLE));
  setWindowIcon(lang::Icon(ID_LIVE_VIEW));
  CommandRouter& router = CommandRouter::Instance();
  router.SetFrameTarget(this);
  router.SetActiveViewProvider([this]() -> CommandTarget* {
    CChildFrame* child = ActiveChild();
    return child ? child->Target() : nullptr;
  });

  const lang::MenuItem* menu = lang::Menu(129);
  if (!menu || lang::Toolbar(128).empty()) return false;
  for (const lang::MenuItem& top : menu->children) {
    if (top.kind != lang::MenuItem::Popup) continue;
    QMenu* m = menuBar()->addMenu(top.text);
    m->setToolTipsVisible(true);  // a greyed command says why in its tip
    router.FillMenu(m, top);
  }

  QToolBar* bar = new QToolBar(this);
  bar->setObjectName("toolbar128");
  bar->setIconSize(QSize(24, 24));
  bar->setMovable(true);
  bar->setAllowedAreas(Qt::AllToolBarAreas);
  router.FillToolbar(bar, 128);
  addToolBar(Qt::LeftToolBarArea, bar);

  for (int i = 0; i < 5; ++i) {
    panes_[i] = new QLabel(kPaneIds[i] ? lang::String(kPaneIds[i]) : QString(), this);
    panes_[i]->setFixedWidth(kPaneWidths[i]);
    panes_[i]->setObjectName(QString::number(kPaneIds[i]));
    if (i > 0) panes_[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    statusBar()->addWidget(panes_[i]);
  }
  panes_[0]->setText(lang::String(IDS_READY));

  mdi_ = new CMdiBackground(this);
  mdi_->setViewMode(QMdiArea::SubWindowView);
  setCentralWidget(mdi_);
  // A window that becomes active starts from empty panes and fills in what it
  // owns (Qt tells the area before the window's own listeners).
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* w) {
    if (w || mdi_->subWindowList().isEmpty()) ResetPanes();
  });
  // Ctrl+Tab is the area's own; Ctrl+F6 and Ctrl+Shift+F6 as well.
  auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F6), this);
  connect(next, &QShortcut::activated, mdi_, &QMdiArea::activateNextSubWindow);
  auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F6), this);
  connect(previous, &QShortcut::activated, mdi_, &QMdiArea::activatePreviousSubWindow);
  // The Window menu lists the open windows below its commands.
  if (QMenu* window = MenuOf(ID_WINDOW_CASCADE))
    connect(window, &QMenu::aboutToShow, this, [this, window] { ListWindows(window); });
  setAcceptDrops(true);

  // Toolbar buttons follow their handlers while the program is idle.
  auto* idle = new QTimer(this);
  connect(idle, &QTimer::timeout, this, [] { CommandRouter::Instance().UpdateAll(); });
  idle->start(250);
  router.UpdateAll();
  return true;
}

CChildFrame* CMainFrame::AddChild(QWidget* view, const QString& title, int resourceId,
                                  int toolbarId, bool live) {
  auto* frame = new CChildFrame(resourceId, toolbarId, live);
  frame->SetView(view);
  frame->setWindowTitle(title);
  frame->setWindowIcon(windowIcon());
  mdi_->addSubWindow(frame);
  frame->showMaximized();
  frame->setFocus();
  return frame;
}

CChildFrame* CMainFrame::ActiveChild() const {
  if (!mdi_) return nullptr;
  return qobject_cast<CChildFrame*>(mdi_->activeSubWindow());
}

void CMainFrame::SetPaneText(int pane, const QString& text) {
  if (pane >= 0 && pane < 5 && panes_[pane]) panes_[pane]->setText(text);
}

QString CMainFrame::PaneText(int pane) const {
  return pane >= 0 && pane < 5 && panes_[pane] ? panes_[pane]->text() : QString();
}

void CMainFrame::ResetPanes() {
  for (int i = 1; i < 5; ++i)
    if (panes_[i]) panes_[i]->setText(lang::String(kPaneIds[i]));
}

QMenu* CMainFrame::MenuOf(int commandId) const {
  for (QAction* top : menuBar()->actions())
    if (QMenu* m = top->menu())
      for (QAction* a : m->actions())
        if (a->data().toInt() == commandId) return m;
  return nullptr;
}

void CMainFrame::ListWindows(QMenu* menu) {
  for (QAction* a : menu->actions())
    if (a->property("windowEntry").toBool()) {
      menu->removeAction(a);
      a->deleteLater();
    }
  const QList<QMdiSubWindow*> windows = mdi_->subWindowList();
  QMdiSubWindow* active = mdi_->activeSubWindow();
  for (int i = 0; i < windows.size(); ++i) {
    QAction* a = i == 0 ? menu->addSeparator() : nullptr;
    if (a) a->setProperty("windowEntry", true);
    // "&1 title" .. "&9 title", then without a mnemonic.
    const QString number = i < 9 ? QStringLiteral("&%1 ").arg(i + 1) : QStringLiteral("%1 ").arg(i + 1);
    QString title = windows[i]->windowTitle();
    title.replace('&', QStringLiteral("&&"));
    a = menu->addAction(number + title);
    a->setProperty("windowEntry", true);
    a->setCheckable(true);
    a->setChecked(windows[i] == active);
    QMdiSubWindow* w = windows[i];
    connect(a, &QAction::triggered, this, [this, w] {
      if (mdi_->subWindowList().contains(w)) mdi_->setActiveSubWindow(w);
    });
  }
}

void CMainFrame::Cascade() {
  // Each window two thirds of the area, one title bar further down and right
  // than the one before: a cascade of restored maximised windows would
  // otherwise shrink them to their smallest size.
  const QSize size(std::max(mdi_->width() * 2 / 3, 400), std::max(mdi_->height() * 2 / 3, 300));
  const int step = std::max(QFontMetrics(font()).height() + 10, 20);
  int k = 0;
  for (QMdiSubWindow* w : mdi_->subWindowList()) {
    if (w->isMinimized()) continue;
    w->showNormal();
    const int room = std::max(std::min(mdi_->width() - size.width(), mdi_->height() - size.height()), 0);
    const int offset = room > 0 ? (k * step) % (room + 1) : 0;
    w->setGeometry(offset, offset, size.width(), size.height());
    w->raise();
    ++k;
  }
  if (QMdiSubWindow* active = mdi_->activeSubWindow()) active->raise();
}

QMenu* CMainFrame::ChannelMenu() const {
  const QList<QAction*> tops = menuBar()->actions();
  for (int pos : {4, 5}) {
    if (pos >= tops.size() || !tops[pos]->menu()) continue;
    const QList<QAction*> items = tops[pos]->menu()->actions();
    if (items.size() > 5 && items[5]->menu()) return items[5]->menu();
  }
  return nullptr;
}

namespace {

// "The file ... cannot be opened: <reason>." for a file CXFile refused.
QString OpenFailureText(const QString& path, const CXFile& file) {
  const OpenError why = file.GetOpenError();
  QString reason;
  if (why == OpenError::CannotRead) {
    const QByteArray sys = QString::fromLocal8Bit(std::strerror(file.GetOpenErrno())).toUtf8();
    reason = lang::Format(IDS_OPEN_UNREADABLE, sys.constData());
  } else {
    reason = lang::String(IDS_OPEN_FAILED + static_cast<int>(why));
  }
  const QByteArray p = path.toUtf8(), r = reason.toUtf8();
  return lang::Format(IDS_OPEN_FAILED, p.constData(), r.constData());
}

// A file cut short on disk while it is shown (by another program, a pulled
// stick, a lost share) cannot be shown any longer: the window says so and
// closes with its partners, so nothing reads the file on. Until then what is
// gone reads as zeros.
void CloseWhenShrunk(QWidget* main, CChildFrame* frame, const CXFile* file, const QString& path) {
  auto* timer = new QTimer(frame);
  QObject::connect(timer, &QTimer::timeout, frame, [main, frame, file, path, timer] {
    if (!file->ChangedOnDisk()) return;
    timer->stop();
    MsgBoxText(main, lang::Format(IDS_FILE_SHRANK, path.toUtf8().constData()), IDS_CAPTION, MsgIcon::Warning);
    frame->close();
  });
  timer->start(1000);
}

}  // namespace

bool CMainFrame::OpenFile(const QString& path, bool quiet) {
  // The upper-cased last three characters decide the view.
  const QByteArray ending = path.right(3).toUpper().toUtf8();
  bool opened = false;
  if (path.isEmpty()) {
    // Nothing asked for.
  } else if (ending == lang::String(IDS_DATA_EXT).toUtf8()) {
    // Recording files open in the history curve view, which owns the file.
    auto file = std::make_unique<CXFile>();
    if (!file->Open(path.toStdString())) {
      if (!quiet) MsgBoxText(this, OpenFailureText(path, *file), IDS_CAPTION, MsgIcon::Error);
    } else {
      auto* view = new charts::CHCView(*this);
      CChildFrame* frame = AddChild(view, lang::String(IDS_CURVES_TITLE) + " [" + path + "]", 133);
      CloseWhenShrunk(this, frame, file.get(), path);
      view->SetRecord(file.release());
      // Activation shows the file's channels and times again.
      connect(frame, &QMdiSubWindow::windowStateChanged, view,
              [view](Qt::WindowStates, Qt::WindowStates now) {
                if (now & Qt::WindowActive) view->RefreshFrameTexts(true);
              });
      opened = true;
    }
  } else if (ending == lang::String(IDS_CUM_EXT).toUtf8()) {
    // Cumulative files open in the cumulative view, which owns the file.
    auto file = std::make_unique<CXFile>();
    if (!file->Open(path.toStdString())) {
      if (!quiet) MsgBoxText(this, OpenFailureText(path, *file), IDS_CAPTION, MsgIcon::Error);
    } else if (file->GetLayout() != 3) {
      if (!quiet) {
        const QByteArray p = path.toUtf8(), r = lang::String(IDS_OPEN_NOT_CUMULATIVE).toUtf8();
        MsgBoxText(this, lang::Format(IDS_OPEN_FAILED, p.constData(), r.constData()), IDS_CAPTION, MsgIcon::Error);
      }
    } else {
      auto* view = new tables::CCumuShowView(*this);
      CloseWhenShrunk(this, AddChild(view, lang::String(IDS_CUM_TITLE) + " [" + path + "]", 154), file.get(), path);
      view->SetFile(file.release());
      opened = true;
    }
  } else if (!quiet) {
    const QByteArray p = path.toUtf8(), r = lang::String(IDS_OPEN_BAD_ENDING).toUtf8();
    MsgBoxText(this, lang::Format(IDS_OPEN_FAILED, p.constData(), r.constData()), IDS_CAPTION, MsgIcon::Error);
  }
  if (opened) platform::WriteLastDir(path.toStdString());
  emit fileOpenRequested(path, opened);
  return opened;
}

void CMainFrame::HandOver(const QString& file) {
  showMaximized();
  raise();
  activateWindow();
  // The last file, or the one a second start hands over, opens again when it
  // still can; a hand-over that fails is no news to the running instance.
  OpenFile(file.isEmpty() ? QString::fromStdString(platform::ReadLastDir()) : file, true);
}

bool CMainFrame::OnCommand(int id) {
  switch (id) {
    case ID_FILE_OPEN: OnFileOpen(); return true;
    case ID_DOWNLOAD: {
      DownloadDialog dlg(this, [this](const QString& path) { OpenFile(path); });
      dlg.exec();
      return true;
    }
    case ID_DOWNLOAD_NEW: {
      CollectDialog dlg(this, [this](const QString& path) { OpenFile(path); });
      dlg.exec();
      return true;
    }
    case ID_LIVE_VIEW: OpenLiveView(); return true;
    case ID_FILE_CLOSE:
      if (CChildFrame* c = ActiveChild()) c->close();
      return true;
    case ID_APP_ABOUT: OnAbout(); return true;
    case ID_APP_EXIT: close(); return true;
    case ID_HELP_CONTENTS: OnHelp(); return true;
    case ID_RUN_BOX: OnRunBox(); return true;
    case ID_COMM_SETTINGS: CXCom().ShowXWnd(lang::Language()); return true;
    case ID_VIEW_DEFAULTS: CXViewDef().ShowXWnd(lang::Language()); return true;
    case ID_LANG_CHINESE: OnLanguage(0); return true;
    case ID_LANG_ENGLISH: OnLanguage(1); return true;
    case ID_WINDOW_CASCADE: Cascade(); return true;
    case ID_WINDOW_TILE_HORZ: mdi_->tileSubWindows(); return true;
    case ID_WINDOW_ARRANGE: mdi_->tileSubWindows(); return true;
    default: return false;
  }
}

bool CMainFrame::OnUpdateCommand(int id, CommandState& state) {
  switch (id) {
    case ID_FILE_OPEN:
    case ID_DOWNLOAD:
    case ID_DOWNLOAD_NEW:
    case ID_LIVE_VIEW:
    case ID_APP_ABOUT:
    case ID_APP_EXIT:
    case ID_HELP_CONTENTS:
    case ID_COMM_SETTINGS:
    case ID_VIEW_DEFAULTS:
      state.enabled = true;
      return true;
    case ID_FILE_CLOSE:
      state.enabled = ActiveChild() != nullptr;
      return true;
    case ID_RUN_BOX: {
      // The tool box is a program of its own, not shipped with recview: the
      // command is greyed, and its tip says why, until one is installed.
      state.enabled = QFileInfo(BoxProgram()).isExecutable();
      QAction* a = CommandRouter::Instance().Action(ID_RUN_BOX);
      QString tip = a->text();
      tip.remove('&');
      if (!state.enabled) tip = lang::String(IDS_NO_TOOLBOX);
      if (a->toolTip() != tip) {
        a->setToolTip(tip);
        a->setStatusTip(tip);
      }
      return true;
    }
    case ID_WINDOW_CASCADE:
    case ID_WINDOW_TILE_HORZ:
    case ID_WINDOW_ARRANGE:
      state.enabled = mdi_ && !mdi_->subWindowList().isEmpty();
      return true;
    case ID_LANG_CHINESE:
    case ID_LANG_ENGLISH:
      state.checkable = true;
      state.checked = lang::Language() == (id == ID_LANG_ENGLISH ? 1 : 0);
      return true;
    default:
      return false;
  }
}

void CMainFrame::OnFileOpen() {
  const QString last = QString::fromStdString(platform::ReadLastDir());
  const QString ext = lang::String(IDS_DATA_EXT), cum = lang::String(IDS_CUM_EXT);
  QByteArray e = ext.toUtf8(), c = cum.toUtf8();
  QString filter = lang::Format(IDS_OPEN_FILTER, e.constData(), e.constData(), c.constData(), c.constData());
  // Files on Linux may carry the extension in lower case; the dialog lists both.
  filter.replace("*." + ext, "*." + ext + " *." + ext.toLower());
  filter.replace("*." + cum, "*." + cum + " *." + cum.toLower());
  QFileDialog dlg(this, QStringLiteral("Open"), QFileInfo(last).isDir() ? last : QFileInfo(last).path(),
                  filter);
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  dlg.setDefaultSuffix(ext);
  if (!QFileInfo(last).isDir()) dlg.selectFile(QFileInfo(last).fileName());
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  OpenFile(dlg.selectedFiles().first());
}

void CMainFrame::OnAbout() {
  QDialog dlg(this);
  dlg.setObjectName("100");
  dlg.setWindowTitle(lang::String(IDS_ABOUT_TITLE));
  auto* layout = new QVBoxLayout(&dlg);
  auto* title = new QLabel(lang::String(IDS_APP_TITLE), &dlg);
  QFont big = title->font();
  big.setPointSize(big.pointSize() + 4);
  big.setBold(true);
  title->setFont(big);
  layout->addWidget(title);
  layout->addWidget(new QLabel(lang::Format(IDS_ABOUT_VERSION, QCoreApplication::applicationVersion().toUtf8().constData()), &dlg));
  layout->addWidget(new QLabel(lang::String(IDS_ABOUT_TEXT), &dlg));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &dlg);
  buttons->button(QDialogButtonBox::Ok)->setText(lang::String(IDS_ABOUT_OK));
  connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  layout->addWidget(buttons);
  dlg.exec();
}

QString CMainFrame::HelpPage() const {
  // The page of the active window's kind (by its view's class, whatever its
  // namespace); the overview without one.
  static const std::pair<const char*, const char*> kPages[] = {
      {"CHCView", "curves"},      {"CRCView", "live"},      {"CXListView", "tools"}, {"CBarView", "tools"},
      {"CMinBarView", "tools"},   {"CRangeView", "tools"},  {"CRRangeView", "tools"},
      {"CCumuShowView", "files"},
  };
  if (CChildFrame* child = ActiveChild(); child && child->View()) {
    QString name = QString::fromLatin1(child->View()->metaObject()->className());
    name = name.mid(name.lastIndexOf(':') + 1);
    for (const auto& [view, page] : kPages)
      if (name == QLatin1String(view)) return QString::fromLatin1(page);
  }
  return QStringLiteral("index");
}

void CMainFrame::OnHelp() { HelpWindow::Open(this, HelpPage()); }

void CMainFrame::OnRunBox() {
  const QString box = BoxProgram();
  if (QFileInfo(box).isExecutable()) QProcess::startDetached(box, {});
}

void CMainFrame::OnLanguage(int language) {
  platform::WriteLanguage(language);
  restart_ = true;
  if (!close()) restart_ = false;
}

QWidget* CMainFrame::AddChildWindow(QWidget* view, const QString& title, int resource) {
  return AddChild(view, title, resource);
}

CChildFrame* CMainFrame::OpenLiveView() {
  if (liveFrame_) {
    mdi_->setActiveSubWindow(liveFrame_);
    liveFrame_->showMaximized();
    return liveFrame_;
  }
  auto* view = new acquire::CRCView(*this);
  CChildFrame* frame = AddChild(view, lang::String(IDS_LIVE_TITLE), 135, 132, true);
  connect(frame, &QMdiSubWindow::windowStateChanged, view,
          [view](Qt::WindowStates, Qt::WindowStates now) {
            if (now & Qt::WindowActive) view->RefreshFrameTexts(true);
          });
  frame->closeCheck = [view] { return view->CanClose(); };
  liveFrame_ = frame;
  connect(frame, &QObject::destroyed, this, [this, frame] {
    if (liveFrame_ == frame) liveFrame_ = nullptr;
  });
  return frame;
}

void CMainFrame::StartLiveRecording() {
  CChildFrame* frame = OpenLiveView();
  if (auto* view = qobject_cast<acquire::CRCView*>(frame->View())) view->OnCommand(ID_REC_START);
}

void CMainFrame::OfferRecovery() {
  acquire::Interrupted found;
  if (!acquire::FindInterrupted(&found)) return;
  const QString text = lang::Format(
      IDS_LIVE_INTERRUPTED, found.title.c_str(), found.records, found.chnlCount, FormatTime(found.start).c_str(),
      FormatTime(found.end).c_str());
  const auto answer = MsgBoxText(this, text, IDS_LIVE_CAPTION, MsgIcon::Question,
                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
  if (answer == QMessageBox::No) {
    acquire::DiscardInterrupted();
    return;
  }
  if (answer != QMessageBox::Yes) return;
  const QString path = acquire::SaveInterrupted(this);
  if (!path.isEmpty()) OpenFile(path);
}

void CMainFrame::EndBySignal() {
  if (liveFrame_) {
    if (auto* view = qobject_cast<acquire::CRCView*>(liveFrame_->View())) view->KeepForNextStart();
    liveFrame_->closeCheck = nullptr;
  }
  // Every event loop ends, a question open in one of them too.
  QCoreApplication::exit(0);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  if (liveFrame_ && !liveFrame_->CanClose()) {
    event->ignore();
    return;
  }
  // Every other child closes after its own check.
  for (QMdiSubWindow* w : mdi_->subWindowList()) {
    if (auto* c = qobject_cast<CChildFrame*>(w); c && c != liveFrame_ && !c->CanClose()) {
      event->ignore();
      return;
    }
  }
  if (liveFrame_) liveFrame_->closeCheck = nullptr;  // already asked
  mdi_->closeAllSubWindows();
  event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  for (const QUrl& url : urls) {
    if (url.isLocalFile()) OpenFile(url.toLocalFile());
  }
  event->acceptProposedAction();
}

bool CMainFrame::event(QEvent* event) {
  // Fly-by help goes to pane 0 and leaves the other panes in place.
  if (event->type() == QEvent::StatusTip) {
    QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    if (panes_[0]) panes_[0]->setText(tip.isEmpty() ? lang::String(IDS_READY) : tip);
    return true;
  }
  return QMainWindow::event(event);
}
