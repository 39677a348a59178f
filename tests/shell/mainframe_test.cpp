// The main frame: menus, toolbar, status bar, background, command routing,
// files by extension, language change.
#include <gtest/gtest.h>

#include <vector>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include "views/hcview.h"
#include "common/modal.h"
#include "common/testenv.h"
#include "platform/appconfig.h"
#include "platform/profile.h"
#include "platform/programdir.h"
#include "platform/ui/command.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "shell/app.h"
#include "shell/childframe.h"
#include "shell/helpwindow.h"
#include "shell/mainframe.h"

namespace {

// A view that handles two commands, to watch the routing.
class FakeView : public QWidget, public CommandTarget {
 public:
  int copies = 0;
  bool selecting = false;
  bool OnCommand(int id) override {
    if (id == ID_EDIT_COPY) {
      ++copies;
      return true;
    }
    return false;
  }
  bool OnUpdateCommand(int id, CommandState& st) override {
    if (id == ID_EDIT_COPY) {
      st.enabled = selecting;
      return true;
    }
    if (id == ID_FILE_OPEN) {  // a view may take over a frame command
      st.enabled = false;
      return true;
    }
    return false;
  }
};

class MainFrameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::WritePrivateProfileString("LanguageSetting", "Language", "1",
                                        platform::SettingsPath("Config.ini"));
    // Files that do not open are reported; the reports are kept for the checks.
    SetMsgBoxAnswerer([this](const MsgBoxRequest& r) {
      messages_.push_back(r);
      return QMessageBox::Ok;
    });
    ASSERT_TRUE(app_.InitInstance({"recview"}));
    frame_ = app_.MainFrame();
  }
  void TearDown() override {
    app_.ExitInstance();
    SetMsgBoxAnswerer(nullptr);
  }
  CRecviewApp app_;
  CMainFrame* frame_ = nullptr;
  std::vector<MsgBoxRequest> messages_;
};

}  // namespace

TEST_F(MainFrameTest, MenusToolbarAndStatusBarFromThePackage) {
  const QList<QAction*> tops = frame_->menuBar()->actions();
  ASSERT_EQ(tops.size(), 9);
  EXPECT_EQ(tops[0]->text(), "&File");
  ASSERT_NE(frame_->ChannelMenu(), nullptr);
  EXPECT_EQ(frame_->ChannelMenu(), tops[4]->menu()->actions()[5]->menu());

  auto* bar = frame_->findChild<QToolBar*>("toolbar128");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(frame_->toolBarArea(bar), Qt::LeftToolBarArea);
  EXPECT_EQ(bar->actions().size(), static_cast<int>(lang::Toolbar(128).size()));

  const int widths[] = {160, 300, 100, 320, 1000};
  const char* ids[] = {"0", "59143", "59144", "59145", "59146"};
  for (int i = 0; i < 5; ++i) {
    auto* pane = frame_->statusBar()->findChild<QLabel*>(ids[i]);
    ASSERT_NE(pane, nullptr) << ids[i];
    EXPECT_EQ(pane->width(), widths[i]);
  }
  EXPECT_EQ(frame_->PaneText(1), "Title: ");
  frame_->SetPaneText(1, "Title: T");
  EXPECT_EQ(frame_->PaneText(1), "Title: T");
}

// Windows: a window that becomes active starts from empty panes; the Window
// menu lists the open windows; Ctrl+F6 cycles them; Cascade keeps them large.
TEST_F(MainFrameTest, WindowsAreListedCycledAndCascaded) {
  frame_->resize(1200, 800);
  frame_->show();
  frame_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frame_));
  frame_->SetPaneText(1, "Title: A");
  frame_->SetPaneText(3, "Time: A");
  frame_->SetPaneText(4, "Interval: 1S");
  CChildFrame* a = frame_->AddChild(new FakeView, "first & one", 133);
  EXPECT_EQ(frame_->PaneText(1), "Title: ");
  EXPECT_EQ(frame_->PaneText(3), lang::String(59145));
  EXPECT_EQ(frame_->PaneText(4), lang::String(59146));
  CChildFrame* b = frame_->AddChild(new FakeView, "second", 133);
  ASSERT_EQ(frame_->MdiArea()->activeSubWindow(), b);

  QMenu* window = nullptr;
  for (QAction* top : frame_->menuBar()->actions())
    if (top->text() == "&Window") window = top->menu();
  ASSERT_NE(window, nullptr);
  emit window->aboutToShow();
  QStringList listed;
  QAction* first = nullptr;
  for (QAction* act : window->actions())
    if (act->isCheckable()) {
      listed << act->text() + (act->isChecked() ? "*" : "");
      if (!first) first = act;
    }
  EXPECT_EQ(listed, (QStringList{"&1 first && one", "&2 second*"}));
  first->trigger();
  EXPECT_EQ(frame_->MdiArea()->activeSubWindow(), a);
  emit window->aboutToShow();  // listed anew, not twice
  int entries = 0;
  for (QAction* act : window->actions()) entries += act->isCheckable();
  EXPECT_EQ(entries, 2);

  QTest::keyClick(frame_, Qt::Key_F6, Qt::ControlModifier);
  EXPECT_EQ(frame_->MdiArea()->activeSubWindow(), b);

  CommandRouter::Instance().Dispatch(ID_WINDOW_CASCADE);
  const QSize area = frame_->MdiArea()->size();
  for (CChildFrame* w : {a, b}) {
    EXPECT_FALSE(w->isMaximized());
    EXPECT_GE(w->width(), area.width() / 2);
    EXPECT_GE(w->height(), area.height() / 2);
  }
  EXPECT_NE(a->pos(), b->pos());
}

TEST_F(MainFrameTest, CommandsGoToTheActiveViewFirstAndUnhandledOnesAreGreyed) {
  CommandRouter& r = CommandRouter::Instance();
  // Nobody handles copy without a view, nor the download before its window exists.
  EXPECT_FALSE(r.Query(ID_EDIT_COPY).enabled);
  EXPECT_FALSE(r.Query(ID_STATISTICS).enabled);
  EXPECT_TRUE(r.Query(ID_FILE_OPEN).enabled);
  EXPECT_TRUE(r.Query(ID_LANG_ENGLISH).checked);
  EXPECT_FALSE(r.Query(ID_LANG_CHINESE).checked);

  frame_->show();
  auto* view = new FakeView;
  CChildFrame* child = frame_->AddChild(view, "child", 133);
  frame_->MdiArea()->setActiveSubWindow(child);
  EXPECT_EQ(frame_->ActiveChild(), child);
  EXPECT_FALSE(r.Query(ID_EDIT_COPY).enabled);
  EXPECT_FALSE(r.Dispatch(ID_EDIT_COPY));  // greyed commands do not run
  view->selecting = true;
  EXPECT_TRUE(r.Query(ID_EDIT_COPY).enabled);
  r.UpdateAll();  // as the idle update does
  r.Action(ID_EDIT_COPY)->trigger();
  EXPECT_EQ(view->copies, 1);
  EXPECT_FALSE(r.Query(ID_FILE_OPEN).enabled);  // the view's answer holds
  EXPECT_TRUE(r.Query(ID_FILE_CLOSE).enabled);
  EXPECT_GE(child->width(), 300);

  r.Dispatch(ID_FILE_CLOSE);
  QTest::qWait(10);
  EXPECT_TRUE(frame_->MdiArea()->subWindowList().isEmpty());
  EXPECT_FALSE(r.Query(ID_FILE_CLOSE).enabled);
}

TEST_F(MainFrameTest, BackgroundShowsTheTitleOnTheShadowColour) {
  frame_->resize(1000, 700);
  QImage img = frame_->MdiArea()->viewport()->grab().toImage();
  ASSERT_FALSE(img.isNull());
  const QColor shadow = frame_->palette().color(QPalette::Dark);
  EXPECT_EQ(img.pixel(img.width() - 2, img.height() - 2), shadow.rgb());
  // The title's text colour 0x804000 (blue 0x80, green 0x40) and its grey shadow.
  bool text = false, grey = false;
  for (int y = 10; y < 90 && !(text && grey); ++y)
    for (int x = 10; x < 500; ++x) {
      QRgb px = img.pixel(x, y);
      text |= px == qRgb(0x00, 0x40, 0x80);
      grey |= px == qRgb(0xCC, 0xCC, 0xCC);
    }
  EXPECT_TRUE(text);
  EXPECT_TRUE(grey);
}

TEST_F(MainFrameTest, OpenFileComparesTheUpperCasedEnding) {
  QSignalSpy spy(frame_, &CMainFrame::fileOpenRequested);
  const std::string lastBefore = platform::ReadLastDir();
  EXPECT_FALSE(frame_->OpenFile("/tmp/notes.txt"));
  EXPECT_FALSE(frame_->OpenFile("/tmp/missing.kvd"));  // the file does not open
  EXPECT_EQ(spy.count(), 2);
  EXPECT_EQ(platform::ReadLastDir(), lastBefore);  // nothing opened, nothing stored
  EXPECT_TRUE(frame_->MdiArea()->subWindowList().isEmpty());
}

TEST_F(MainFrameTest, DroppedFilesReachOpenFileInOrder) {
  QSignalSpy spy(frame_, &CMainFrame::fileOpenRequested);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile("/a/1.KVD"), QUrl::fromLocalFile("/a/2.kvd"),
                QUrl::fromLocalFile("/a/3.KVC")});
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  // Straight to the window: outside a real drag the application drops drop events.
  static_cast<QObject*>(frame_)->event(&drop);
  ASSERT_EQ(spy.count(), 3);
  EXPECT_EQ(spy[0][0].toString(), "/a/1.KVD");
  EXPECT_EQ(spy[1][0].toString(), "/a/2.kvd");
  EXPECT_EQ(spy[2][0].toString(), "/a/3.KVC");
}

TEST_F(MainFrameTest, LanguageChangeWritesTheSettingAndEndsForARestart) {
  frame_->show();
  CommandRouter::Instance().Dispatch(ID_LANG_CHINESE);
  EXPECT_EQ(platform::GetPrivateProfileString("LanguageSetting", "Language", "",
                                              platform::SettingsPath("Config.ini")),
            "0");
  EXPECT_TRUE(frame_->RestartRequested());
  EXPECT_FALSE(frame_->isVisible());
}

TEST_F(MainFrameTest, ACloseCheckThatRefusesKeepsEverythingOpen) {
  frame_->show();
  auto* live = frame_->AddChild(new QWidget, "live", 135, 132, true);
  frame_->SetLiveFrame(live);
  int asked = 0;
  live->closeCheck = [&] {
    ++asked;
    return false;
  };
  CommandRouter::Instance().Dispatch(ID_LANG_CHINESE);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(frame_->isVisible());
  EXPECT_FALSE(frame_->RestartRequested());
  EXPECT_EQ(frame_->MdiArea()->subWindowList().size(), 1);
  ASSERT_NE(live->toolbar, nullptr);
  EXPECT_EQ(live->toolbar->actions().size(), static_cast<int>(lang::Toolbar(132).size()));
  live->closeCheck = nullptr;
}

TEST_F(MainFrameTest, SettingsWindowsOpenInTheCurrentLanguage) {
  QString title;
  testenv::OnModal([&](QWidget* w) {
    title = w->windowTitle();
    w->close();
  });
  EXPECT_TRUE(CommandRouter::Instance().Dispatch(ID_COMM_SETTINGS));
  EXPECT_EQ(title, "Comm Settting");
  title.clear();
  testenv::OnModal([&](QWidget* w) {
    title = w->windowTitle();
    w->close();
  });
  EXPECT_TRUE(CommandRouter::Instance().Dispatch(ID_VIEW_DEFAULTS));
  EXPECT_FALSE(title.isEmpty());
  // Nothing confirmed, nothing written.
  EXPECT_FALSE(QFile::exists(QString::fromStdString(platform::SettingsPath("XCom.ini"))));
}

// F1 shows the help page of the active window inside the program, in the
// interface language; the Box command, whose program is not shipped, is
// greyed and says why.
TEST_F(MainFrameTest, HelpShowsThePageOfTheActiveWindowInsideTheProgram) {
  CommandRouter& r = CommandRouter::Instance();
  frame_->show();
  EXPECT_EQ(frame_->HelpPage(), "index");
  ASSERT_TRUE(r.Dispatch(ID_HELP_CONTENTS));
  auto* help = frame_->findChild<HelpWindow*>("HelpWindow");
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_TRUE(help->CurrentFile().endsWith("help/english/index.html")) << help->CurrentFile().toStdString();
  auto* text = help->findChild<QTextBrowser*>("helpText");
  ASSERT_NE(text, nullptr);
  EXPECT_TRUE(text->toPlainText().contains("recview"));

  // A history window opens the curves page, in the same one window; a window
  // without a page of its own opens the index.
  CChildFrame* child = frame_->AddChild(new charts::CHCView, "child", 133);
  frame_->MdiArea()->setActiveSubWindow(child);
  EXPECT_EQ(frame_->HelpPage(), "curves");
  ASSERT_TRUE(r.Dispatch(ID_HELP_CONTENTS));
  EXPECT_EQ(frame_->findChildren<HelpWindow*>().size(), 1);
  EXPECT_TRUE(help->CurrentFile().endsWith("help/english/curves.html")) << help->CurrentFile().toStdString();
  frame_->MdiArea()->setActiveSubWindow(frame_->AddChild(new FakeView, "other", 133));
  EXPECT_EQ(frame_->HelpPage(), "index");

  // The Chinese pages for the Chinese interface.
  ASSERT_TRUE(lang::Register(0));
  EXPECT_TRUE(HelpWindow::PageFile("index").endsWith("help/chinese/index.html"));
  EXPECT_EQ(HelpWindow::PageFile("no-such-page"), HelpWindow::PageFile("index"));
  ASSERT_TRUE(lang::Register(1));

  EXPECT_FALSE(r.Query(ID_RUN_BOX).enabled);
  EXPECT_EQ(r.Action(ID_RUN_BOX)->toolTip(), lang::String(63435));
  EXPECT_EQ(r.Action(ID_RUN_BOX)->statusTip(), lang::String(63435));
}
