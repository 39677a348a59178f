// The live-recording view driven offscreen by command and control id against
// recsim, in the main frame; and recview itself killed while recording.
#include "views/rcview.h"

#include <gtest/gtest.h>

#include <QFileDialog>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QProgressBar>
#include <QTabBar>
#include <QPushButton>
#include <QTest>
#include <vector>

#include "charts/barchart.h"
#include "charts/livechart.h"
#include "charts/timescroller.h"
#include "childprogram.h"
#include "common/modal.h"
#include "downloadfixture.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "portcfg/xcom.h"
#include "shell/childframe.h"
#include "shell/mainframe.h"
#include "tables/gridctrl.h"
#include "views/barview.h"
#include "views/listview.h"
#include "views/rrangeview.h"

using dltest::Exists;

namespace {

constexpr const char* kClock = "2026-03-04 05:06:07";

bool TempExists() { return Exists(acquire::TempStorePath()); }

template <class Pred>
bool WaitFor(Pred pred, int timeoutMs = 10000) {
  for (int waited = 0; waited < timeoutMs; waited += 20) {
    if (pred()) return true;
    QTest::qWait(20);
  }
  return pred();
}

class RCViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lang::Register(1));
    SetMsgBoxAnswerer([this](const MsgBoxRequest& r) {
      messages_.push_back(r);
      if (answers_.empty()) return QMessageBox::Ok;
      const auto a = answers_.front();
      answers_.erase(answers_.begin());
      return a;
    });
  }
  void TearDown() override { SetMsgBoxAnswerer(nullptr); }

  void StartSim(std::vector<std::string> args, int attempts = 2) {
    args.push_back("--clock");
    args.push_back(kClock);
    ASSERT_TRUE(sim_.Start(args)) << sim_.error();
    _tagComParam p = testenv::ComParamFor(sim_.device());
    p.Interval = 1;
    p.ReadDefaultErrorTimes = attempts;
    ASSERT_TRUE(CXCom().SetComm(&p));
  }
  // Starts recording in view; the progress dialog closes by itself.
  void Start(acquire::CRCView& view) {
    ASSERT_TRUE(view.OnCommand(ID_REC_START));
  }
  void AnswerSaveWith(const std::string& path) {
    testenv::OnModal([path](QWidget* w) {
      auto* fd = qobject_cast<QFileDialog*>(w);
      ASSERT_NE(fd, nullptr);
      fd->selectFile(QString::fromStdString(path));
      QMetaObject::invokeMethod(fd, "accept");
    });
  }
  bool Shown(int textId) const {
    for (const MsgBoxRequest& r : messages_)
      if (r.text == lang::String(textId)) return true;
    return false;
  }
  static bool Enabled(acquire::CRCView& view, int id) {
    CommandState s;
    EXPECT_TRUE(view.OnUpdateCommand(id, s)) << id;
    return s.enabled;
  }

  testenv::SimProcess sim_;
  std::vector<MsgBoxRequest> messages_;
  std::vector<QMessageBox::StandardButton> answers_;
  std::string dir_ = testenv::NewDir("live");
};

TEST_F(RCViewTest, RecordsFollowsStopsAndSaves) {
  StartSim({"--model", "KVP6GV1", "--channels", "3", "--title", "Line A"});
  acquire::CRCView view;
  view.resize(900, 500);
  view.show();
  EXPECT_TRUE(Enabled(view, ID_REC_START));
  EXPECT_FALSE(Enabled(view, ID_FILE_SAVE));
  EXPECT_FALSE(Enabled(view, ID_REC_STOP));
  Start(view);
  ASSERT_EQ(view.recording, 1) << (messages_.empty() ? "" : messages_[0].text.toStdString());
  EXPECT_EQ(view.startedOk, 1);
  EXPECT_EQ(view.saved, 0);
  EXPECT_TRUE(TempExists());
  EXPECT_TRUE(view.Chart()->FollowTimerActive());

  // Appending at the interval; the chart follows the newest record.
  ASSERT_TRUE(WaitFor([&] { return view.Records() >= 3; }));
  CXFile* file = view.File();
  EXPECT_EQ(view.Chart()->rangeEnd, file->GetEndTime());
  EXPECT_EQ(view.Chart()->windowEnd, file->GetEndTime());
  EXPECT_EQ(view.Chart()->following, 1);
  EXPECT_EQ(file->GetEndTime(), file->GetStartTime() + view.Records() - 1);
  EXPECT_EQ(file->GetChnlDef(2) & 0xFFFFFFFFu, 0xD0000000u + 0x200u + 0x5Au);

  // Commands and the context menu while recording.
  EXPECT_FALSE(Enabled(view, ID_REC_START));
  EXPECT_TRUE(Enabled(view, ID_REC_STOP));
  EXPECT_TRUE(Enabled(view, ID_FILE_SAVE));
  EXPECT_TRUE(Enabled(view, ID_CHNL_TOGGLE + 2));
  EXPECT_FALSE(Enabled(view, ID_CHNL_TOGGLE + 3));
  std::unique_ptr<QMenu> menu(view.ContextMenu(QPoint(), false));
  ASSERT_NE(menu, nullptr);
  for (QAction* a : menu->actions()) {
    const int id = a->data().toInt();
    if (id == ID_REC_START) {
      EXPECT_FALSE(a->isEnabled());
    }
    if (id == ID_REC_STOP || id == ID_FILE_SAVE || id == ID_SHOW_ALL_CHNL) {
      EXPECT_TRUE(a->isEnabled()) << id;
    }
    if (id == ID_EDIT_COPY || id == ID_SELECT_ALL_RECORDS) {
      EXPECT_FALSE(a->isEnabled()) << id;
    }
  }

  // Starting again while the link is open does nothing.
  view.OnCommand(ID_REC_START);
  EXPECT_EQ(view.recording, 1);
  EXPECT_TRUE(messages_.empty());

  // Hiding a channel writes the header of the store.
  view.OnCommand(ID_CHNL_TOGGLE + 1);
  EXPECT_EQ(file->Head().channels[1].shown, 0);
  {
    CXFile store;
    ASSERT_TRUE(store.Open(acquire::TempStorePath()));
    EXPECT_EQ(store.Head().channels[1].shown, 0);
  }

  // Save as while recording asks first, then stops.
  answers_ = {QMessageBox::Yes};
  const std::string out = dir_ + "live.KVD";
  AnswerSaveWith(out);
  view.OnCommand(ID_FILE_SAVE);
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(messages_.back().text, lang::String(61226));
  EXPECT_EQ(view.recording, 0);
  EXPECT_EQ(view.saved, 1);
  EXPECT_FALSE(view.Chart()->FollowTimerActive());
  EXPECT_FALSE(view.Session().LinkOpen());

  CXFile saved;
  ASSERT_TRUE(saved.Open(out));
  EXPECT_EQ(saved.GetRecordCount(), view.Records());
  EXPECT_EQ(saved.GetTitle(), "Line A");
  EXPECT_EQ(saved.Head().channels[1].shown, 0);
  const testenv::Result dump = testenv::ChildProgram("rectool", {"dump", out}).Wait();
  EXPECT_EQ(dump.code, 0) << dump.err;
  EXPECT_NE(dump.out.find(FormatTime(saved.GetEndTime())), std::string::npos);
  // A stopped and saved recording closes without a question.
  const size_t asked = messages_.size();
  EXPECT_TRUE(view.CanClose());
  EXPECT_EQ(messages_.size(), asked);
}

TEST_F(RCViewTest, StopInTheProgressDialogLeavesNothing) {
  // Every channel block comes late, so the stop falls into the channel reads.
  StartSim({"--channels", "8", "--fault", "late:fn=0x16,skip=2,ms=150"});
  acquire::CRCView view;
  view.show();
  QString seen;
  testenv::OnModal([&seen](QWidget* w) {
    EXPECT_EQ(w->objectName(), "147");
    auto* bar = w->findChild<QProgressBar*>("1002");
    auto* text = w->findChild<QLabel*>("1004");
    auto* stop = w->findChild<QPushButton*>("1003");
    ASSERT_TRUE(bar && text && stop);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [bar, text, stop, poll, &seen] {
      if (bar->value() >= 2) {
        seen = text->text();
        stop->click();
        *poll = nullptr;
        return;
      }
      QTimer::singleShot(10, *poll);
    };
    QTimer::singleShot(0, *poll);
  });
  Start(view);
  EXPECT_EQ(seen, lang::Format(61246, 3));
  EXPECT_EQ(view.recording, 0);
  EXPECT_EQ(view.startedOk, 0);
  EXPECT_FALSE(view.Session().LinkOpen());
  EXPECT_FALSE(TempExists());
  EXPECT_TRUE(messages_.empty());
  EXPECT_TRUE(view.CanClose());
}

struct FailCase {
  const char* name;
  std::vector<std::string> sim;
  int attempts;
  int message;
};

void PrintTo(const FailCase& c, std::ostream* os) { *os << c.name; }

class RCViewFailTest : public RCViewTest, public ::testing::WithParamInterface<FailCase> {};

// A set-up that fails shows its message; data lost while recording stops at
// the next tick with 61284.
TEST_P(RCViewFailTest, ShowsItsMessage) {
  const FailCase& c = GetParam();
  StartSim(c.sim, c.attempts);
  acquire::CRCView view;
  view.show();
  Start(view);
  ASSERT_TRUE(WaitFor([&] { return !messages_.empty(); }, 8000));
  EXPECT_EQ(messages_[0].text, lang::String(c.message));
  EXPECT_EQ(messages_[0].caption, lang::String(61236));
  EXPECT_EQ(messages_[0].icon, MsgIcon::Error);
  EXPECT_EQ(view.recording, 0);
  EXPECT_FALSE(view.Session().LinkOpen());
  EXPECT_FALSE(view.RecordTimer()->isActive());
  EXPECT_TRUE(Enabled(view, ID_REC_START));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, RCViewFailTest,
    ::testing::Values(FailCase{"NoPlugin", {"--model", "KVP9XX1"}, 2, 61248},
                      FailCase{"NoChannels", {"--channels", "0"}, 2, 61219},
                      FailCase{"DataLost", {"--channels", "2", "--fault", "drop:fn=3,skip=2"}, 1,
                               61284}),
    [](const auto& info) { return std::string(info.param.name); });

// A port that cannot be opened is named with the reason, as the download names it.
TEST_F(RCViewTest, NamesThePortThatCannotBeOpened) {
  _tagComParam p = testenv::ComParamFor("/dev/recview-no-such-port");
  ASSERT_TRUE(CXCom().SetComm(&p));
  acquire::CRCView view;
  view.show();
  Start(view);
  ASSERT_TRUE(WaitFor([&] { return !messages_.empty(); }, 8000));
  EXPECT_TRUE(messages_[0].text.startsWith(lang::String(61217))) << messages_[0].text.toStdString();
  EXPECT_TRUE(messages_[0].text.contains("/dev/recview-no-such-port")) << messages_[0].text.toStdString();
  EXPECT_EQ(view.recording, 0);
}

// ---- the close check of the live frame ----

struct CloseCase {
  const char* name;
  QMessageBox::StandardButton answer;
  bool closes;
  bool savesFile;
};

void PrintTo(const CloseCase& c, std::ostream* os) { *os << c.name; }

class RCViewCloseTest : public RCViewTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(RCViewCloseTest, AsksBeforeAnUnsavedRecordingCloses) {
  const CloseCase& c = GetParam();
  StartSim({"--channels", "2"});
  CMainFrame frame;
  ASSERT_TRUE(frame.Create());
  frame.show();
  CommandRouter::Instance().Dispatch(ID_LIVE_VIEW);
  CChildFrame* live = frame.LiveFrame();
  ASSERT_NE(live, nullptr);
  EXPECT_EQ(live->live, 1);
  // A second request brings the same window forward.
  CommandRouter::Instance().Dispatch(ID_LIVE_VIEW);
  EXPECT_EQ(frame.LiveFrame(), live);
  EXPECT_EQ(frame.MdiArea()->subWindowList().size(), 1);
  auto* view = qobject_cast<acquire::CRCView*>(live->View());
  ASSERT_NE(view, nullptr);
  view->OnCommand(ID_REC_START);
  ASSERT_EQ(view->recording, 1);
  EXPECT_TRUE(frame.PaneText(2).endsWith("2")) << frame.PaneText(2).toStdString();

  answers_ = {c.answer};
  const std::string out = dir_ + "closed.KVD";
  if (c.savesFile) AnswerSaveWith(out);
  live->close();
  QTest::qWait(50);
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(messages_[0].text, lang::String(61222));
  EXPECT_EQ(messages_[0].caption, lang::String(61218));
  EXPECT_EQ(frame.LiveFrame() == nullptr, c.closes);
  EXPECT_EQ(Exists(out), c.savesFile);
  EXPECT_EQ(TempExists(), !c.closes);
  if (!c.closes) {
    EXPECT_EQ(view->recording, 1);
    // Closing the main window asks once more, and only once.
    messages_.clear();
    answers_ = {QMessageBox::No};
    frame.close();
    QTest::qWait(50);
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_FALSE(TempExists());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RCViewCloseTest,
    ::testing::Values(CloseCase{"YesSavesThenCloses", QMessageBox::Yes, true, true},
                      CloseCase{"NoDiscards", QMessageBox::No, true, false},
                      CloseCase{"CancelKeepsTheWindow", QMessageBox::Cancel, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- side windows ----

class RCViewBarsTest : public RCViewTest, public ::testing::WithParamInterface<int> {};

// The bar window of a live recording: one page below 13 channels, tabs from 13.
TEST_P(RCViewBarsTest, OpensTheBarViewOfItsChannelCount) {
  const int channels = GetParam();
  StartSim({"--channels", std::to_string(channels)});
  CMainFrame frame;
  ASSERT_TRUE(frame.Create());
  frame.show();
  auto* view = qobject_cast<acquire::CRCView*>(frame.OpenLiveView()->View());
  ASSERT_NE(view, nullptr);
  // The view asks the frame that made it.
  EXPECT_EQ(&view->Host(), static_cast<views::ViewHost*>(&frame));
  // Greyed until a recording started.
  EXPECT_FALSE(Enabled(*view, ID_REC_BARS));
  view->OnCommand(ID_REC_START);
  ASSERT_EQ(view->recording, 1);
  EXPECT_TRUE(Enabled(*view, ID_REC_BARS));
  for (int id : {ID_REC_LIST, ID_REC_RANGE, ID_REC_INFO, ID_RECORD_SETTINGS})
    EXPECT_TRUE(Enabled(*view, id)) << id;
  EXPECT_TRUE(Enabled(*view, ID_LIST_PRINT));
  EXPECT_TRUE(Enabled(*view, ID_LIST_PRINT_PREVIEW));
  view->OnCommand(ID_REC_BARS);
  QWidget* bars = view->SideFrame(ID_REC_BARS);
  ASSERT_NE(bars, nullptr);
  auto* child = qobject_cast<CChildFrame*>(bars);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->windowTitle(), lang::String(61290));
  EXPECT_EQ(qobject_cast<charts::CBarView*>(child->View()) != nullptr, channels >= 13);
  EXPECT_EQ(qobject_cast<charts::CMinBarView*>(child->View()) != nullptr, channels < 13);
  // A second request brings the same window forward.
  view->OnCommand(ID_REC_BARS);
  EXPECT_EQ(view->SideFrame(ID_REC_BARS), bars);
  // The bars show the newest record the recording appended.
  auto* barView = qobject_cast<charts::CBarViewBase*>(child->View());
  ASSERT_NE(barView, nullptr);
  for (int i = 0; i < 60 && view->Records() < 2; ++i) QTest::qWait(50);
  ASSERT_GE(view->Records(), 2);
  charts::CBarChart* chart = barView->Chart();
  chart->RedrawValues();
  const auto& cell = chart->Cells()[0];
  float value = 0, percent = 0;
  ASSERT_TRUE(view->File()->GetValue(0, view->File()->GetEndTime(), &value, &percent));
  const QImage& img = *chart->Surface();
  int x = (cell.bar.left + cell.bar.right) / 2, filled = 0;
  for (int y = cell.bar.bottom - 1; y >= cell.bar.top && (img.pixel(x, y) & 0xFFFFFF) != 0; --y) ++filled;
  EXPECT_NEAR(filled, cell.bar.Height() * percent / 100.0, 2.0);
  // The record list of the live recording follows the newest record.
  view->OnCommand(ID_REC_LIST);
  tables::CXListView* list = tables::ListIn(view->SideFrame(ID_REC_LIST));
  ASSERT_NE(list, nullptr);
  list->resize(800, 400);
  EXPECT_EQ(list->Grid()->GetFollow(), 1);
  const int before = view->Records();
  for (int i = 0; i < 60 && view->Records() < before + 2; ++i) QTest::qWait(50);
  ASSERT_GE(view->Records(), before + 2);
  bool newestShown = false;
  for (int r = 0; r < list->Grid()->VisibleRows(); ++r)
    newestShown = newestShown || list->Grid()->RowInstant(r) == view->File()->GetEndTime();
  EXPECT_TRUE(newestShown);
  // Activated, the list has the status bar show the live recording again.
  frame.SetPaneText(1, QString());
  list->Activated();
  EXPECT_EQ(frame.PaneText(1), lang::String(59143) + QString::fromStdString(view->File()->GetTitle()));
  // The circular range view of the live recording.
  view->OnCommand(ID_REC_RANGE);
  auto* rangeFrame = qobject_cast<CChildFrame*>(view->SideFrame(ID_REC_RANGE));
  ASSERT_NE(rangeFrame, nullptr);
  EXPECT_EQ(rangeFrame->windowTitle(), lang::String(61291));
  auto* range = qobject_cast<charts::CRRangeView*>(rangeFrame->View());
  ASSERT_NE(range, nullptr);
  EXPECT_EQ(range->file, view->File());
  EXPECT_EQ(range->Tabs()->count(), (channels + 3) / 4);
  // Closed by the user, the view forgets it.
  child->close();
  QTest::qWait(20);
  EXPECT_EQ(view->SideFrame(ID_REC_BARS), nullptr);
  view->OnCommand(ID_REC_BARS);
  ASSERT_NE(view->SideFrame(ID_REC_BARS), nullptr);
  // The live window takes its side windows along when it closes.
  answers_ = {QMessageBox::No};
  QPointer<QWidget> open = view->SideFrame(ID_REC_BARS);
  frame.LiveFrame()->close();
  EXPECT_TRUE(WaitFor([&] { return open.isNull(); }));
}

INSTANTIATE_TEST_SUITE_P(Channels, RCViewBarsTest, ::testing::Values(12, 13));

// ---- starting over ----

// Start after Stop asks for the stopped recording first; it stays whole and
// saveable through a set-up that fails, and while the next one is set up the
// view and its side windows keep reading it, untouched. They take the new
// recording when it begins.
TEST_F(RCViewTest, StartingOverKeepsTheStoppedRecordingUntilTheNewOneBegins) {
  StartSim({"--channels", "8", "--fault", "late:fn=0x16,skip=2,ms=150"});
  CMainFrame frame;
  ASSERT_TRUE(frame.Create());
  frame.show();
  auto* view = qobject_cast<acquire::CRCView*>(frame.OpenLiveView()->View());
  ASSERT_NE(view, nullptr);
  view->OnCommand(ID_REC_START);
  ASSERT_EQ(view->recording, 1);
  for (int id : {ID_REC_LIST, ID_REC_BARS, ID_REC_RANGE}) view->OnCommand(id);
  tables::CXListView* list = tables::ListIn(view->SideFrame(ID_REC_LIST));
  auto* bars = qobject_cast<charts::CBarViewBase*>(
      qobject_cast<CChildFrame*>(view->SideFrame(ID_REC_BARS))->View());
  auto* range = qobject_cast<charts::CRRangeView*>(
      qobject_cast<CChildFrame*>(view->SideFrame(ID_REC_RANGE))->View());
  ASSERT_TRUE(list && bars && range);
  ASSERT_TRUE(WaitFor([&] { return view->Records() >= 2; }));
  view->StopRecording();
  const int stopped = view->Records();
  const time_t start = view->File()->GetStartTime();
  auto sideWindowsRead = [&](CXFile* f) {
    return list->File() == f && bars->file == f && range->file == f;
  };

  // Cancel: nothing starts.
  answers_ = {QMessageBox::Cancel};
  view->OnCommand(ID_REC_START);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, lang::String(62411));
  EXPECT_EQ(view->recording, 0);

  // The recorder is unplugged: the set-up fails, the stopped recording stays.
  _tagComParam p;
  CXCom().GetComm(&p);
  _tagComParam plugged = p;
  std::snprintf(p.ComPort, sizeof p.ComPort, "%s", (testenv::Home() + "unplugged").c_str());
  ASSERT_TRUE(CXCom().SetComm(&p));
  messages_.clear();
  answers_ = {QMessageBox::No};
  view->OnCommand(ID_REC_START);
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_TRUE(messages_[1].text.startsWith(lang::String(61217))) << messages_[1].text.toStdString();
  EXPECT_EQ(view->File()->GetRecordCount(), stopped);
  EXPECT_TRUE(Enabled(*view, ID_FILE_SAVE));
  EXPECT_TRUE(sideWindowsRead(view->File()));

  // Plugged in again: while the set-up runs the stopped recording is as it was.
  ASSERT_TRUE(CXCom().SetComm(&plugged));
  int seenRecords = -1;
  time_t seenStart = 0;
  bool seenSides = false;
  testenv::OnModal([&](QWidget* w) {
    auto* bar = w->findChild<QProgressBar*>("1002");
    ASSERT_NE(bar, nullptr);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [&, bar, poll] {
      if (bar->value() < 2) {
        QTimer::singleShot(10, *poll);
        return;
      }
      seenRecords = view->File()->GetRecordCount();
      seenStart = view->File()->GetStartTime();
      seenSides = sideWindowsRead(view->File());
      *poll = nullptr;
    };
    QTimer::singleShot(0, *poll);
  });
  messages_.clear();
  answers_ = {QMessageBox::No};
  view->OnCommand(ID_REC_START);
  EXPECT_EQ(seenRecords, stopped);
  EXPECT_EQ(seenStart, start);
  EXPECT_TRUE(seenSides);
  ASSERT_EQ(view->recording, 1) << (messages_.size() > 1 ? messages_[1].text.toStdString() : "");
  EXPECT_EQ(view->Records(), 1);
  EXPECT_TRUE(sideWindowsRead(view->File()));
  EXPECT_TRUE(TempExists());
  EXPECT_FALSE(Exists(testenv::Home() + acquire::LiveSession::kFreshStore));
  answers_ = {QMessageBox::No};
}

// An interrupted recording kept for later is saved, deleted, or kept with the
// new recording not started: never recorded over.
struct KeptCase {
  const char* name;
  QMessageBox::StandardButton answer;
  bool records;   // the new recording starts
  bool saved;     // the interrupted one is saved
};

void PrintTo(const KeptCase& c, std::ostream* os) { *os << c.name; }

class RCViewKeptTest : public RCViewTest, public ::testing::WithParamInterface<KeptCase> {};

TEST_P(RCViewKeptTest, AnInterruptedRecordingIsNeverRecordedOver) {
  const KeptCase& c = GetParam();
  StartSim({"--channels", "2"});
  {
    acquire::LiveSession killed;
    _tagComParam p;
    CXCom().GetComm(&p);
    ASSERT_EQ(killed.Setup(p, dltest::View()), acquire::LiveStatus::Ok);
    ASSERT_TRUE(killed.StartAcquisition(std::time(nullptr)));
    for (int i = 0; i < 6; ++i) killed.Tick();
    killed.Stop();
    killed.KeepForRecovery();
  }
  acquire::Interrupted found;
  ASSERT_TRUE(acquire::FindInterrupted(&found));
  ASSERT_EQ(found.records, 7);
  CMainFrame frame;
  ASSERT_TRUE(frame.Create());
  const std::string out = dir_ + "kept.KVD";
  answers_ = {c.answer};
  if (c.saved) AnswerSaveWith(out);
  frame.StartLiveRecording();  // what "recview --record" does
  auto* view = qobject_cast<acquire::CRCView*>(frame.LiveFrame()->View());
  ASSERT_NE(view, nullptr);
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(messages_[0].text,
            lang::Format(62410, found.title.c_str(), 7, 2, FormatTime(found.start).c_str(),
                         FormatTime(found.end).c_str()));
  EXPECT_EQ(view->recording, c.records ? 1 : 0);
  EXPECT_EQ(acquire::FindInterrupted(nullptr), !c.records);
  if (c.saved) {
    CXFile saved;
    ASSERT_TRUE(saved.Open(out));
    EXPECT_EQ(saved.GetRecordCount(), 7);
  }
  view->StopRecording();
  view->saved = 1;
}

INSTANTIATE_TEST_SUITE_P(
    Answers, RCViewKeptTest,
    ::testing::Values(KeptCase{"YesSavesItThenRecords", QMessageBox::Yes, true, true},
                      KeptCase{"NoDeletesItThenRecords", QMessageBox::No, true, false},
                      KeptCase{"CancelKeepsItAndDoesNotRecord", QMessageBox::Cancel, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- recview killed while recording ----

struct EndCase {
  int language;
  int signal;  // SIGKILL: killed; SIGTERM, SIGHUP: log-out, shut-down
};

class RecoveryTest : public RCViewTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(RecoveryTest, AnEndedRecviewsRecordingIsOfferedAndSaved) {
  const int language = GetParam().language;
  const int sig = GetParam().signal;
  StartSim({"--channels", "4"});
  int records = 0;
  {
    testenv::ChildProgram recview("recview", {"--record"});
    ASSERT_TRUE(WaitFor(
        [&] {
          CXFile f;
          if (!f.Open(acquire::TempStorePath()) || !StampValid(f.Head().startStamp)) return false;
          records = f.GetRecordCount();
          return records >= 3;
        },
        20000))
        << recview.Err();
    EXPECT_FALSE(acquire::FindInterrupted(nullptr));
    if (sig == SIGKILL) {
      recview.Kill();
    } else {
      // Ended as Stop ends a recording: the program exits by itself.
      recview.Signal(sig);
      const testenv::Result r = recview.Wait();
      EXPECT_EQ(r.code, 0) << r.err;
    }
  }
  acquire::Interrupted found;
  ASSERT_TRUE(acquire::FindInterrupted(&found));
  ASSERT_GE(found.records, records);

  ASSERT_TRUE(lang::Register(language));
  CMainFrame frame;
  ASSERT_TRUE(frame.Create());
  answers_ = {QMessageBox::Yes};
  const std::string out = dir_ + "rescued.KVD";
  AnswerSaveWith(out);
  frame.OfferRecovery();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text,
            lang::Format(62401, found.title.c_str(), found.records, 4,
                         FormatTime(found.start).c_str(), FormatTime(found.end).c_str()));
  EXPECT_NE(messages_[0].text.indexOf(language == 0 ? "中断" : "interrupted"), -1);
  CXFile saved;
  ASSERT_TRUE(saved.Open(out));
  EXPECT_EQ(saved.GetRecordCount(), found.records);
  EXPECT_EQ(saved.GetChnlCount(), 4);
  EXPECT_FALSE(TempExists());
  // The rescued file opens in the history view.
  ASSERT_EQ(frame.MdiArea()->subWindowList().size(), 1);
  auto* child = qobject_cast<CChildFrame*>(frame.MdiArea()->subWindowList().first());
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(child->ResourceId(), 133);
  // Nothing is offered at the next start.
  messages_.clear();
  frame.OfferRecovery();
  EXPECT_TRUE(messages_.empty());
}

INSTANTIATE_TEST_SUITE_P(Endings, RecoveryTest,
                         ::testing::Values(EndCase{0, SIGKILL}, EndCase{1, SIGTERM},
                                           EndCase{1, SIGHUP}),
                         [](const auto& info) {
                           return std::string(info.param.language == 0 ? "Chinese" : "English") +
                                  (info.param.signal == SIGKILL   ? "Killed"
                                   : info.param.signal == SIGTERM ? "Terminated"
                                                                  : "HungUp");
                         });

}  // namespace
