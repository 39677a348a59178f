// Opening data files through the main frame: by extension in either case,
// dropped files in order, the hand-over of a second start.
#include <gtest/gtest.h>

#include <unistd.h>

#include <vector>

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "chartfile.h"
#include "charts/curvechart.h"
#include "common/testenv.h"
#include "platform/appconfig.h"
#include "platform/profile.h"
#include "platform/programdir.h"
#include "platform/ui/command.h"
#include "platform/ui/command.h"
#include "platform/ui/commandids.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "shell/app.h"
#include "shell/childframe.h"
#include "shell/mainframe.h"
#include "views/hcview.h"
#include "views/listview.h"
#include <QTest>

using namespace charttest;

namespace {

class OpenFileTest : public ::testing::Test {
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
    dir_ = testenv::NewDir("files");
  }
  void TearDown() override {
    app_.ExitInstance();
    SetMsgBoxAnswerer(nullptr);
  }
  std::string Make(const std::string& name, int channels = 3) {
    Recipe s;
    s.channels = channels;
    EXPECT_TRUE(MakeRecording(dir_ + name, s));
    return dir_ + name;
  }
  QStringList Titles() {
    QStringList t;
    for (QMdiSubWindow* w : frame_->MdiArea()->subWindowList(QMdiArea::CreationOrder)) t << w->windowTitle();
    return t;
  }
  CRecviewApp app_;
  CMainFrame* frame_ = nullptr;
  std::vector<MsgBoxRequest> messages_;
  std::string dir_;
};

TEST_F(OpenFileTest, DataFilesOpenWhateverTheCaseOfTheirEnding) {
  const QString a = QString::fromStdString(Make("one.kvd"));
  const QString b = QString::fromStdString(Make("TWO.KVD"));
  const QString c = QString::fromStdString(Make("three.Kvd", 12));
  EXPECT_TRUE(frame_->OpenFile(a));
  EXPECT_TRUE(frame_->OpenFile(b));
  EXPECT_TRUE(frame_->OpenFile(c));
  const QString name = lang::String(61228);
  EXPECT_EQ(Titles(), (QStringList{name + " [" + a + "]", name + " [" + b + "]", name + " [" + c + "]"}));
  EXPECT_EQ(platform::ReadLastDir(), c.toStdString());
  // The view owns the file and shows it.
  auto* frame = qobject_cast<CChildFrame*>(frame_->MdiArea()->subWindowList(QMdiArea::CreationOrder)[2]);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->ResourceId(), 133);
  auto* view = qobject_cast<charts::CHCView*>(frame->View());
  ASSERT_NE(view, nullptr);
  ASSERT_NE(view->file, nullptr);
  EXPECT_EQ(view->file->GetChnlCount(), 12);
  EXPECT_EQ(view->Chart()->Record(), view->file);
  // The status bar and the channel menu show the file of the active window.
  frame_->show();
  frame_->MdiArea()->setActiveSubWindow(frame_->MdiArea()->subWindowList(QMdiArea::CreationOrder)[0]);
  EXPECT_EQ(frame_->PaneText(2), lang::String(59144) + "3");
  frame_->MdiArea()->setActiveSubWindow(frame);
  EXPECT_EQ(frame_->PaneText(2), lang::String(59144) + "12");
  if (QMenu* menu = frame_->ChannelMenu()) {
    ASSERT_EQ(menu->actions().size(), 12);
    EXPECT_EQ(menu->actions()[0]->text(), QString::fromUtf8("通道1"));
  }
  // The channel windows of the active view can be opened, one per channel.
  EXPECT_TRUE(CommandRouter::Instance().Query(ID_CHNL_WINDOW + 11).enabled);
  EXPECT_FALSE(CommandRouter::Instance().Query(ID_CHNL_WINDOW + 12).enabled);
  EXPECT_TRUE(CommandRouter::Instance().Dispatch(ID_CHNL_WINDOW + 2));
  auto* chnl = qobject_cast<CChildFrame*>(frame_->MdiArea()->activeSubWindow());
  ASSERT_NE(chnl, nullptr);
  EXPECT_EQ(chnl->windowTitle(), QString::fromUtf8("通道3"));
  EXPECT_EQ(chnl->ResourceId(), 133);
  frame_->MdiArea()->setActiveSubWindow(frame);
  EXPECT_TRUE(CommandRouter::Instance().Query(ID_CHNL_WINDOW + 2).checked);
  EXPECT_FALSE(CommandRouter::Instance().Query(ID_CHNL_WINDOW + 1).checked);
}

// A file that does not open is named in a message with what is wrong with it,
// in the interface language; nothing opens and nothing is stored.
TEST_F(OpenFileTest, FilesThatDoNotOpenSayWhy) {
  const std::string good = Make("good.kvd");
  const std::string image = testenv::ReadFile(good);
  ASSERT_TRUE(testenv::WriteFile(dir_ + "bad.kvd", std::string(600, 'x')));
  ASSERT_TRUE(testenv::WriteFile(dir_ + "head.KVD", image.substr(0, 100)));
  ASSERT_TRUE(testenv::WriteFile(dir_ + "empty.KVD", ""));
  // Header, three channel definitions and half of the 300 bytes of records.
  ASSERT_TRUE(testenv::WriteFile(dir_ + "cut.KVD", image.substr(0, 256 + 160 * 3 + 150)));
  struct Case {
    std::string name;
    int reason;
  } cases[] = {
      {"bad.kvd", 63406}, {"head.KVD", 63405}, {"empty.KVD", 63404},
      {"cut.KVD", 63413}, {"data.txt", 63415},
  };
  Make("data.txt");
  const std::string before = platform::ReadLastDir();
  for (const Case& c : cases) {
    messages_.clear();
    const QString path = QString::fromStdString(dir_ + c.name);
    EXPECT_FALSE(frame_->OpenFile(path)) << c.name;
    ASSERT_EQ(messages_.size(), 1u) << c.name;
    EXPECT_TRUE(messages_[0].text.contains(path)) << messages_[0].text.toStdString();
    EXPECT_TRUE(messages_[0].text.contains(lang::String(c.reason))) << messages_[0].text.toStdString();
    EXPECT_EQ(messages_[0].icon, MsgIcon::Error);
  }
  // A missing file names the system's reason.
  messages_.clear();
  EXPECT_FALSE(frame_->OpenFile(QString::fromStdString(dir_ + "none.kvd")));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_TRUE(messages_[0].text.contains("none.kvd"));
  EXPECT_TRUE(Titles().isEmpty());
  EXPECT_EQ(platform::ReadLastDir(), before);
  // At start-up the last file is opened quietly: its loss is no news.
  messages_.clear();
  ASSERT_TRUE(platform::WriteLastDir(dir_ + "bad.kvd"));
  frame_->HandOver();
  EXPECT_TRUE(messages_.empty());
}

TEST_F(OpenFileTest, DroppedFilesOpenInTheOrderDropped) {
  const QString a = QString::fromStdString(Make("c.kvd"));
  const QString b = QString::fromStdString(Make("a.kvd"));
  const QString c = QString::fromStdString(Make("b.KVD"));
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(c)});
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  static_cast<QObject*>(frame_)->event(&drop);
  const QString name = lang::String(61228);
  EXPECT_EQ(Titles(), (QStringList{name + " [" + a + "]", name + " [" + b + "]", name + " [" + c + "]"}));
}

TEST_F(OpenFileTest, TheHandOverOpensTheFileNamedInLastDir) {
  const std::string path = Make("handed.kvd");
  ASSERT_TRUE(platform::WriteLastDir(path));
  frame_->HandOver();
  ASSERT_EQ(Titles().size(), 1);
  EXPECT_TRUE(Titles()[0].endsWith("[" + QString::fromStdString(path) + "]"));
}

}  // namespace

// The record list opens from the active history view in a child window of its
// own, comes back to the front on the next request, goes with its view, and
// its own commands reach it while it is active.
TEST_F(OpenFileTest, RecordListOpensFromTheHistoryView) {
  const QString path = QString::fromStdString(Make("list.kvd", 5));
  frame_->show();
  ASSERT_TRUE(frame_->OpenFile(path));
  auto* history = qobject_cast<CChildFrame*>(frame_->ActiveChild());
  ASSERT_NE(history, nullptr);
  auto* view = qobject_cast<charts::CHCView*>(history->View());
  CommandRouter& r = CommandRouter::Instance();
  EXPECT_TRUE(r.Query(ID_OPEN_LIST).enabled);
  ASSERT_TRUE(r.Dispatch(ID_OPEN_LIST));
  auto* listFrame = qobject_cast<CChildFrame*>(frame_->ActiveChild());
  ASSERT_NE(listFrame, nullptr);
  EXPECT_EQ(listFrame->ResourceId(), 154);
  EXPECT_EQ(listFrame->windowTitle(), lang::String(61273) + " [list.kvd]");
  EXPECT_EQ(view->listFrame, listFrame);
  auto* list = qobject_cast<tables::CXListView*>(listFrame->View());
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->File(), view->file);
  // Commands of the list reach it: select all, then copy is allowed.
  EXPECT_FALSE(r.Query(ID_EDIT_COPY).enabled);
  ASSERT_TRUE(r.Dispatch(ID_SELECT_ALL_RECORDS));
  EXPECT_TRUE(r.Query(ID_EDIT_COPY).enabled);
  // Back on the history view, the list command brings the same list back.
  frame_->MdiArea()->setActiveSubWindow(history);
  ASSERT_TRUE(r.Dispatch(ID_OPEN_LIST));
  EXPECT_EQ(frame_->ActiveChild(), listFrame);
  EXPECT_EQ(frame_->MdiArea()->subWindowList().size(), 2);
  // Closing the history view closes its list.
  history->close();
  QTest::qWait(20);
  EXPECT_TRUE(frame_->MdiArea()->subWindowList().isEmpty());
}


// A file cut short on disk while it is shown (another program, a pulled
// stick): drawing it reads what is gone without a crash, and the window says
// that the file changed and closes.
TEST_F(OpenFileTest, AFileCutShortWhileShownClosesItsWindowWithAMessage) {
  Recipe s;
  s.channels = 3;
  s.records = 20000;  // channel 2 lies pages beyond the header
  const std::string path = dir_ + "cut.KVD";
  ASSERT_TRUE(MakeRecording(path, s));
  ASSERT_TRUE(frame_->OpenFile(QString::fromStdString(path)));
  auto* frame = qobject_cast<CChildFrame*>(frame_->MdiArea()->subWindowList()[0]);
  auto* view = qobject_cast<charts::CHCView*>(frame->View());
  ASSERT_NE(view, nullptr);
  ASSERT_EQ(::truncate(path.c_str(), 1000), 0);
  frame_->show();
  view->Chart()->grab();  // draws every channel from the file
  QTest::mouseClick(view->Chart(), Qt::LeftButton, {}, view->Chart()->rect().center());
  for (int i = 0; i < 3000 && !frame_->MdiArea()->subWindowList().isEmpty(); ++i) QTest::qWait(10);
  EXPECT_TRUE(frame_->MdiArea()->subWindowList().isEmpty());
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(messages_.back().text, lang::Format(63470, path.c_str()));
}
