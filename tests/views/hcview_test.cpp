// The history curve view: its commands, their greying, the dialogs it opens
// and the header writes behind them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QInputMethodEvent>
#include <QDateTime>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <QTest>
#include <QTimer>

#include "chartfile.h"
#include "charts/chartdialogs.h"
#include "charts/chnlpanel.h"
#include "charts/curvechart.h"
#include "charts/timescroller.h"
#include "common/testenv.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "common/testhost.h"
#include "views/hcview.h"

using namespace charts;
using namespace charttest;

namespace {

// Runs f on the next modal dialog once it is up.
template <class T>
void OnModal(std::function<void(T*)> f) {
  QTimer::singleShot(0, [f] {
    auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    f(dlg);
  });
}

template <class W>
W* Ctl(QWidget* parent, int id) {
  W* w = parent->findChild<W*>(QString::number(id));
  EXPECT_NE(w, nullptr) << id;
  return w;
}

class HCView : public ::testing::Test {
 protected:
  void SetUp() override {
    UseLanguage();
    SetMsgBoxAnswerer([this](const MsgBoxRequest& r) {
      messages_.push_back(r.text);
      return answer_;
    });
    Recipe s;
    s.channels = 10;
    s.count = [](int ch, int rec) { return ch == 0 ? rec % 50 : 100 + ch; };
    path_ = testenv::Home() + "v.kvd";
    ASSERT_TRUE(MakeRecording(path_, s));
    auto f = OpenRecording(path_);
    ASSERT_TRUE(f);
    file_ = f.get();
    view_ = std::make_unique<CHCView>(host_);
    view_->resize(1000, 600);
    view_->SetRecord(f.release());
    t0_ = file_->GetStartTime();
  }
  void TearDown() override {
    SetMsgBoxAnswerer(nullptr);
  }
  std::vector<int> Shown() {
    std::vector<int> v;
    for (int ch = 0; ch < file_->GetChnlCount(); ++ch)
      if (file_->Head().channels[ch].shown) v.push_back(ch);
    return v;
  }
  std::vector<int> ShownOnDisk() {
    auto f = OpenRecording(path_);
    std::vector<int> v;
    for (int ch = 0; f && ch < f->GetChnlCount(); ++ch)
      if (f->Head().channels[ch].shown) v.push_back(ch);
    return v;
  }
  CommandState State(int id) {
    CommandState st;
    EXPECT_TRUE(view_->OnUpdateCommand(id, st)) << id;
    return st;
  }

  std::string path_;
  CXFile* file_ = nullptr;
  testenv::TestHost host_;
  std::unique_ptr<CHCView> view_;
  time_t t0_ = 0;
  std::vector<QString> messages_;
  QMessageBox::StandardButton answer_ = QMessageBox::Yes;
};

TEST_F(HCView, ControlsByIdAndStatusPanes) {
  auto* chart = view_->findChild<CCurveChart*>("1001");
  ASSERT_EQ(chart, view_->Chart());
  EXPECT_EQ(view_->findChild<CTimeScroller*>("1000"), view_->Scroller());
  EXPECT_EQ(view_->findChild<CChnlPanel*>("1128"), view_->Panel());
  // The chart on top, the time scroller under it along the bottom.
  EXPECT_EQ(chart->geometry(), QRect(2, 2, 1000 - 4, 600 - 22 - 2));
  EXPECT_EQ(view_->Scroller()->geometry(), QRect(2, 600 - 20, 1000 - 4, 18));
  EXPECT_GT(view_->Scroller()->y(), chart->geometry().bottom());
  EXPECT_EQ(host_.panes[1], lang::String(59143) + "Boiler");
  EXPECT_EQ(host_.panes[2], lang::String(59144) + "10");
  EXPECT_EQ(host_.panes[3], lang::String(59145) + QString::fromStdString(FormatTime(t0_)) + " => " +
                           QString::fromStdString(FormatTime(t0_ + 99)));
  EXPECT_EQ(host_.panes[4], lang::String(59146) + "1S");
}

TEST_F(HCView, TheChartFoundByIdAnswersMouseAndKeys) {
  auto* chart = view_->findChild<CCurveChart*>("1001");
  ASSERT_NE(chart, nullptr);
  const QPoint mid(chart->plotRect.left + chart->plotWidth / 2, 200);
  QTest::mouseClick(chart, Qt::LeftButton, Qt::NoModifier, mid);
  const time_t t = chart->GetCursorTime();
  EXPECT_EQ(t, chart->TimeAtColumn(chart->plotWidth / 2, chart->plotWidth));
  QTest::keyClick(chart, Qt::Key_Right);
  EXPECT_EQ(chart->GetCursorTime(), t + 1);
  // Add a mark there through the view's command, then switch modes by double click.
  view_->OnCommand(ID_ADD_MARK);
  EXPECT_EQ(file_->GetMarkCount(), 1);
  EXPECT_EQ(file_->GetMark(0), t + 1);
  QTest::mouseDClick(chart, Qt::LeftButton, Qt::NoModifier, mid);
  EXPECT_TRUE(State(ID_SELECT_ON).checked);
  EXPECT_FALSE(State(ID_ADD_MARK).enabled);
}

TEST_F(HCView, GroupCommandsWalkTheChannelsFourAtATime) {
  view_->groupIndex = 8;
  ASSERT_TRUE(view_->OnCommand(ID_NEXT_CHNL_GROUP));
  EXPECT_EQ(Shown(), (std::vector<int>{8, 9}));
  EXPECT_EQ(view_->groupIndex, 0);
  EXPECT_EQ(ShownOnDisk(), (std::vector<int>{8, 9}));
  view_->OnCommand(ID_NEXT_CHNL_GROUP);
  EXPECT_EQ(Shown(), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(view_->groupIndex, 4);
  view_->groupIndex = 0;
  view_->OnCommand(ID_PREV_CHNL_GROUP);
  EXPECT_EQ(Shown(), (std::vector<int>{0}));
  EXPECT_EQ(view_->groupIndex, 9);
  view_->OnCommand(ID_PREV_CHNL_GROUP);
  EXPECT_EQ(Shown(), (std::vector<int>{6, 7, 8, 9}));
  EXPECT_EQ(view_->groupIndex, 5);
  view_->OnCommand(ID_SHOW_ALL_CHNL);
  EXPECT_EQ(Shown().size(), 10u);
  EXPECT_EQ(view_->groupIndex, 0);
  view_->OnCommand(ID_HIDE_ALL_CHNL);
  EXPECT_TRUE(Shown().empty());
  EXPECT_TRUE(ShownOnDisk().empty());
}

TEST_F(HCView, ChannelToggleChecksAndPersists) {
  EXPECT_TRUE(State(ID_CHNL_TOGGLE + 3).checked);
  view_->OnCommand(ID_CHNL_TOGGLE + 3);
  EXPECT_FALSE(State(ID_CHNL_TOGGLE + 3).checked);
  EXPECT_EQ(ShownOnDisk(), (std::vector<int>{0, 1, 2, 4, 5, 6, 7, 8, 9}));
  EXPECT_FALSE(State(ID_CHNL_TOGGLE + 10).enabled);  // no eleventh channel
  // The panel follows the menu.
  view_->OnCommand(ID_SIDE_PANEL);
  EXPECT_FALSE(Ctl<QCheckBox>(view_->Panel(), 32846 + 3)->isChecked());
}

TEST_F(HCView, AFailedHeaderWriteShowsTheMessageAndChangesNothing) {
  file_->Close();  // the header stays, the file is gone
  view_->OnCommand(ID_HIDE_ALL_CHNL);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], lang::String(61260));
  EXPECT_EQ(Shown().size(), 10u);
}

TEST_F(HCView, ModeCommandsAndTheirGreying) {
  CCurveChart* chart = view_->Chart();
  EXPECT_TRUE(State(ID_SELECT_OFF).checked);
  EXPECT_FALSE(State(ID_SELECT_ON).checked);
  EXPECT_TRUE(State(ID_WINDOW_FROM_CURSOR).enabled);
  EXPECT_FALSE(State(ID_ZOOM_SELECTION).enabled);
  EXPECT_FALSE(State(ID_EDIT_COPY).enabled);
  EXPECT_FALSE(State(ID_SELECT_ALL_RECORDS).enabled);
  EXPECT_FALSE(State(ID_FIND_NEXT).enabled);
  view_->OnCommand(ID_SELECT_ON);
  EXPECT_EQ(chart->IsSelecting(), 1);
  EXPECT_TRUE(State(ID_SELECT_ON).checked);
  EXPECT_FALSE(State(ID_WINDOW_FROM_CURSOR).enabled);
  EXPECT_FALSE(State(ID_ADD_MARK).enabled);
  EXPECT_FALSE(State(ID_ZOOM_SELECTION).enabled);  // empty selection
  EXPECT_TRUE(State(ID_SELECT_ALL_RECORDS).enabled);
  view_->OnCommand(ID_SELECT_ALL_RECORDS);
  EXPECT_TRUE(State(ID_ZOOM_SELECTION).enabled);
  EXPECT_TRUE(State(ID_EDIT_COPY).enabled);

  // The context menu: submenu 0 of menu 158 with the same greying.
  std::unique_ptr<QMenu> menu(view_->ContextMenu(QPoint(10, 10), false));
  ASSERT_TRUE(menu);
  auto enabled = [&](int id) {
    for (QAction* a : menu->actions())
      if (a->data().toInt() == id) return a->isEnabled();
    ADD_FAILURE() << "no item " << id;
    return false;
  };
  EXPECT_FALSE(enabled(ID_CURVE_PROPERTIES));
  EXPECT_FALSE(enabled(ID_WINDOW_TO_CURSOR));
  EXPECT_FALSE(enabled(ID_ADD_MARK));
  EXPECT_TRUE(enabled(ID_ZOOM_SELECTION));
  EXPECT_TRUE(enabled(ID_SELECT_ALL_RECORDS));
  EXPECT_TRUE(enabled(ID_RECORD_SETTINGS));
  view_->OnCommand(ID_ZOOM_SELECTION);
  time_t s = 0, e = 0;
  chart->GetSelection(s, e);
  EXPECT_EQ(s, 0);
  view_->OnCommand(ID_SELECT_OFF);
  menu.reset(view_->ContextMenu(QPoint(10, 10), false));
  EXPECT_TRUE(enabled(ID_ADD_MARK));
  EXPECT_FALSE(enabled(ID_ZOOM_SELECTION));
  EXPECT_FALSE(enabled(ID_EDIT_COPY));
  EXPECT_FALSE(enabled(ID_SELECT_ALL_RECORDS));
}

TEST_F(HCView, SidePanelTakes150PixelsFromChartAndScroller) {
  const int chartWidth = view_->Chart()->width();
  view_->OnCommand(ID_SIDE_PANEL);
  EXPECT_TRUE(State(ID_SIDE_PANEL).checked);
  EXPECT_EQ(view_->Chart()->width(), chartWidth - 150);
  EXPECT_EQ(view_->Scroller()->width(), 1000 - 154);
  EXPECT_TRUE(view_->Panel()->isVisibleTo(view_.get()));
  EXPECT_EQ(view_->Panel()->x(), 850);
  view_->OnCommand(ID_SIDE_PANEL);
  EXPECT_EQ(view_->Chart()->width(), chartWidth);
  EXPECT_FALSE(view_->Panel()->isVisibleTo(view_.get()));
}

TEST_F(HCView, FindAndFindNext) {
  // Channel 1 holds rec % 50: the count 40 comes at records 40 and 90.
  const float target = 40 * 100.0f / 255;
  OnModal<QDialog>([&](QDialog* dlg) {
    Ctl<QComboBox>(dlg, 1102)->setCurrentIndex(1);
    Ctl<QLineEdit>(dlg, 1094)->setText(QString::number(double(target), 'f', 3));
    Ctl<QLineEdit>(dlg, 1095)->setText("0.1");
    Ctl<QRadioButton>(dlg, 1097)->click();
    Ctl<QRadioButton>(dlg, 1100)->click();
    Ctl<QPushButton>(dlg, 1096)->click();
    dlg->reject();
  });
  view_->OnCommand(ID_FIND);
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(view_->searched, 1);
  EXPECT_EQ(view_->Chart()->GetCursorTime(), t0_ + 40);
  EXPECT_TRUE(State(ID_FIND_NEXT).enabled);
  view_->OnCommand(ID_FIND_NEXT);
  EXPECT_EQ(view_->Chart()->GetCursorTime(), t0_ + 90);
  view_->OnCommand(ID_FIND_NEXT);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], lang::String(61282));
  // Backwards from the end finds record 90 first.
  OnModal<QDialog>([&](QDialog* dlg) {
    Ctl<QRadioButton>(dlg, 1098)->click();
    Ctl<QRadioButton>(dlg, 1101)->click();
    Ctl<QPushButton>(dlg, 1096)->click();
    Ctl<QPushButton>(dlg, 1096)->click();  // and on: record 40
    dlg->reject();
  });
  view_->OnCommand(ID_FIND);
  EXPECT_EQ(view_->Chart()->GetCursorTime(), t0_ + 40);
  EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(HCView, MarksAddedAtTheCursorAndDeletedInTheDialog) {
  CCurveChart* chart = view_->Chart();
  chart->CenterOnTime(t0_ + 30);
  view_->OnCommand(ID_ADD_MARK);
  chart->CenterOnTime(t0_ + 70);
  view_->OnCommand(ID_ADD_MARK);
  ASSERT_EQ(file_->GetMarkCount(), 2);
  EXPECT_EQ(file_->GetMark(1), t0_ + 70);
  // Delete without a choice: asked to choose; then the first one; then all.
  answer_ = QMessageBox::Yes;
  OnModal<QDialog>([&](QDialog* dlg) {
    auto* list = Ctl<QTableWidget>(dlg, 1090);
    EXPECT_EQ(list->rowCount(), 2);
    EXPECT_EQ(list->item(1, 1)->text(), QString::fromStdString(FormatTime(t0_ + 70)));
    list->clearSelection();
    list->setCurrentCell(-1, -1);
    Ctl<QPushButton>(dlg, 1088)->click();
    EXPECT_EQ(list->rowCount(), 2);
    list->selectRow(0);
    Ctl<QPushButton>(dlg, 1088)->click();
    EXPECT_EQ(list->rowCount(), 1);
    EXPECT_EQ(list->item(0, 0)->text(), "1");
    dlg->reject();
  });
  view_->OnCommand(ID_EDIT_MARKS);
  ASSERT_GE(messages_.size(), 2u);
  EXPECT_EQ(messages_[0], lang::String(61279));
  EXPECT_EQ(messages_[1], lang::String(61280));
  ASSERT_EQ(file_->GetMarkCount(), 1);
  EXPECT_EQ(file_->GetMark(0), t0_ + 70);
  // "No" keeps the marks; "Yes" clears them all.
  OnModal<QDialog>([&](QDialog* dlg) {
    answer_ = QMessageBox::No;
    Ctl<QPushButton>(dlg, 1089)->click();
    EXPECT_EQ(file_->GetMarkCount(), 1);
    answer_ = QMessageBox::Yes;
    Ctl<QPushButton>(dlg, 1089)->click();
    EXPECT_EQ(Ctl<QTableWidget>(dlg, 1090)->rowCount(), 0);
    dlg->reject();
  });
  view_->OnCommand(ID_EDIT_MARKS);
  EXPECT_EQ(file_->GetMarkCount(), 0);
}

TEST_F(HCView, GoToTimeByPickerOrMark) {
  ASSERT_TRUE(file_->AddMark(t0_ + 80));
  // A time outside the file is refused and the dialog stays; then a good one.
  OnModal<QDialog>([&](QDialog* dlg) {
    auto* date = Ctl<QDateEdit>(dlg, 1052);
    auto* time = Ctl<QTimeEdit>(dlg, 1053);
    SetPickers(date, time, t0_ + 500);
    dlg->accept();
    EXPECT_TRUE(dlg->isVisible());
    SetPickers(date, time, t0_ + 25);
    dlg->accept();
  });
  view_->OnCommand(ID_GOTO_TIME);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], lang::String(61274));
  EXPECT_EQ(view_->Chart()->GetCursorTime(), t0_ + 25);
  // Mark mode without a choice asks for one.
  OnModal<QDialog>([&](QDialog* dlg) {
    Ctl<QRadioButton>(dlg, 1093)->click();
    EXPECT_FALSE(Ctl<QDateEdit>(dlg, 1052)->isEnabled());
    dlg->accept();
    EXPECT_TRUE(dlg->isVisible());
    Ctl<QTableWidget>(dlg, 1090)->selectRow(0);
    dlg->accept();
  });
  view_->OnCommand(ID_GOTO_TIME);
  EXPECT_EQ(messages_.back(), lang::String(61279));
  EXPECT_EQ(view_->Chart()->GetCursorTime(), t0_ + 80);
}

TEST_F(HCView, TimeWindowDialogStartsAtTheChartsWindow) {
  OnModal<QDialog>([&](QDialog* dlg) {
    EXPECT_EQ(PickedTime(Ctl<QDateEdit>(dlg, 62240), Ctl<QTimeEdit>(dlg, 62241)), t0_);
    EXPECT_EQ(PickedTime(Ctl<QDateEdit>(dlg, 62242), Ctl<QTimeEdit>(dlg, 62243)), t0_ + 99);
    SetPickers(Ctl<QDateEdit>(dlg, 62240), Ctl<QTimeEdit>(dlg, 62241), t0_ + 60);
    SetPickers(Ctl<QDateEdit>(dlg, 62242), Ctl<QTimeEdit>(dlg, 62243), t0_ + 20);
    dlg->accept();  // end before start: refused
    EXPECT_TRUE(dlg->isVisible());
    SetPickers(Ctl<QDateEdit>(dlg, 62242), Ctl<QTimeEdit>(dlg, 62243), t0_ + 90);
    dlg->accept();
  });
  view_->OnCommand(ID_SET_WINDOW);
  EXPECT_EQ(messages_.size(), 1u);
  time_t s = 0, e = 0;
  view_->Chart()->GetWindow(s, e);
  EXPECT_NEAR(double(s), double(t0_ + 60), 1.0);
  EXPECT_NEAR(double(e), double(t0_ + 90), 1.0);
}

TEST_F(HCView, ReferenceLinesAreStoredInTheFile) {
  OnModal<QDialog>([&](QDialog* dlg) {
    EXPECT_FALSE(Ctl<QCheckBox>(dlg, 1135)->isChecked());
    Ctl<QCheckBox>(dlg, 1135)->setChecked(true);
    Ctl<QLineEdit>(dlg, 1131)->setText("Upper limit here");  // cut to 10
    Ctl<QLineEdit>(dlg, 1133)->setText("abc");
    dlg->accept();  // not a number: stays open
    EXPECT_TRUE(dlg->isVisible());
    Ctl<QLineEdit>(dlg, 1133)->setText("72.5");
    Ctl<QCheckBox>(dlg, 1136)->setChecked(true);
    Ctl<QLineEdit>(dlg, 1132)->setText(QString::fromUtf8("下限"));
    Ctl<QLineEdit>(dlg, 1134)->setText("-3");
    dlg->accept();
  });
  view_->OnCommand(ID_REF_LINES);
  EXPECT_EQ(messages_.size(), 1u);
  auto f = OpenRecording(path_);
  ASSERT_TRUE(f);
  EXPECT_EQ(f->Head().refShown1, 1);
  EXPECT_EQ(f->Head().refShown2, 1);
  EXPECT_FLOAT_EQ(f->Head().refValue1, 72.5f);
  EXPECT_FLOAT_EQ(f->Head().refValue2, -3.0f);
  EXPECT_EQ(GbkField(f->Head().refLabel1), "Upper limi");
  EXPECT_EQ(GbkField(f->Head().refLabel2), "下限");
}

}  // namespace

namespace {

// Typing into a reference-line label stops at the 10 bytes the file stores: a
// Chinese character takes two, a letter one; what is shown is what is kept.
TEST(RefLinesDialog, LabelsAreLimitedByStoredBytesWhileTyping) {
  ASSERT_TRUE(lang::Register(1));
  struct Case {
    const char* typed;
    const char* kept;
  } cases[] = {
      {"Upper limit here", "Upper limi"},
      {"十个汉字的参考线标签", "十个汉字的"},
      {"上限ab中文cd", "上限ab中文"},  // "cd" would need 11 and 12 bytes: refused
      {"abcdefghi中", "abcdefghi"},     // the character would straddle the limit
      {"Temp 温度", "Temp 温度"},
  };
  for (const Case& c : cases) {
    _tagDataHead head;
    charts::CRefLinesDlg dlg(head);
    auto* edit = dlg.findChild<QLineEdit*>("1131");
    ASSERT_NE(edit, nullptr);
    EXPECT_FALSE(edit->toolTip().isEmpty());
    edit->setFocus();
    // Letters come as key presses, Chinese characters as input-method commits,
    // as a Chinese input method sends them.
    for (const QChar ch : QString::fromUtf8(c.typed)) {
      if (ch.unicode() < 0x80) {
        QTest::keyClicks(edit, QString(ch));
      } else {
        QInputMethodEvent commit;
        commit.setCommitString(QString(ch));
        QApplication::sendEvent(edit, &commit);
      }
    }
    EXPECT_EQ(edit->text().toStdString(), c.kept) << c.typed;
    dlg.Store(head);
    EXPECT_EQ(GbkField(head.refLabel1), c.kept) << c.typed;
  }
}

}  // namespace
TEST_F(HCView, ExportAndStatisticsOpenOnTheViewsFile) {
  EXPECT_TRUE(State(ID_EXPORT_EXCEL).enabled);
  EXPECT_TRUE(State(ID_STATISTICS).enabled);
  CXFile* statsFile = nullptr;
  host_.statistics = [&](CXFile* f) { statsFile = f; };
  EXPECT_TRUE(view_->OnCommand(ID_STATISTICS));
  EXPECT_EQ(statsFile, file_);
  // Without a selection the export window offers the whole file, in the
  // language of the program.
  time_t from = 0, to = 0;
  QString title;
  OnModal<QDialog>([&](QDialog* dlg) {
    title = dlg->windowTitle();
    auto at = [dlg](const char* date, const char* time) {
      return QDateTime(dlg->findChild<QDateEdit*>(date)->date(), dlg->findChild<QTimeEdit*>(time)->time())
          .toSecsSinceEpoch();
    };
    from = at("12000", "12001");
    to = at("12003", "12004");
    dlg->reject();
  });
  EXPECT_TRUE(view_->OnCommand(ID_EXPORT_EXCEL));
  EXPECT_EQ(title, "Excel Export");
  EXPECT_EQ(from, file_->GetStartTime());
  EXPECT_EQ(to, file_->GetEndTime());
}
