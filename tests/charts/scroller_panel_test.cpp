// The time scroller and the channel panel, driven by the mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include "chartfile.h"
#include "charts/chnlpanel.h"
#include "charts/curvechart.h"
#include "charts/timescroller.h"
#include "common/testenv.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"

using namespace charts;
using namespace charttest;

namespace {

void Send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}
void Drag(QWidget* w, QPoint from, QPoint to) {
  Send(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
  Send(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
  Send(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

class Scroller : public ::testing::Test {
 protected:
  void SetUp() override {
    UseLanguage();
    ASSERT_TRUE(MakeRecording(testenv::Home() + "s.kvd", Recipe{}));
    file_ = OpenRecording(testenv::Home() + "s.kvd");
    ASSERT_TRUE(file_);
    chart_.resize(800, 400);
    chart_.SetRecord(file_.get());
    chart_.ApplyRecordSettings();
    chart_.Relayout();
    bar_.resize(539, 18);  // track 11 .. 528, trackWidth 500
    bar_.SetChart(&chart_);
    chart_.SetCompanion(&bar_);
    bar_.Refresh(1);
  }
  std::unique_ptr<CXFile> file_;
  CCurveChart chart_;
  CTimeScroller bar_;
};

TEST_F(Scroller, FullWindowThumbFillsTheTrackAndCannotMove) {
  EXPECT_EQ(bar_.trackWidth, 500);
  EXPECT_EQ(bar_.thumb.left, 11);
  EXPECT_EQ(bar_.thumb.right, 528);
  Drag(&bar_, {200, 9}, {300, 9});
  EXPECT_EQ(bar_.thumb.left, 11);
  EXPECT_FLOAT_EQ(bar_.offset + bar_.fraction, 1.0f);
  EXPECT_EQ(chart_.windowStart, file_->GetStartTime());
}

TEST_F(Scroller, ThumbDraggedToTheRightEndHugsTheEnd) {
  bar_.SetFixedSize(0);
  // Make the window shorter with the right handle, then throw the thumb right.
  Drag(&bar_, {bar_.thumb.right + 5, 9}, {250, 9});
  EXPECT_LT(bar_.fraction, 0.6f);
  EXPECT_EQ(chart_.windowStart, file_->GetStartTime());
  EXPECT_LT(chart_.windowEnd, file_->GetEndTime());
  const int mid = (bar_.thumb.left + bar_.thumb.right) / 2;
  Drag(&bar_, {mid, 9}, {mid + 1000, 9});
  EXPECT_EQ(bar_.thumb.right, 528);
  EXPECT_EQ(bar_.offset + bar_.fraction, 1.0f);  // exactly: the window follows the end
  EXPECT_EQ(chart_.windowOffset + chart_.windowFraction, 1.0f);
  EXPECT_EQ(chart_.windowEnd, file_->GetEndTime());
  // And back to the left end.
  Drag(&bar_, {bar_.thumb.left + 20, 9}, {-500, 9});
  EXPECT_EQ(bar_.thumb.left, 11);
  EXPECT_FLOAT_EQ(bar_.offset, 0.0f);
  EXPECT_EQ(chart_.windowStart, file_->GetStartTime());
}

TEST_F(Scroller, HandlesNeverMakeTheThumbNarrowerThan18Pixels) {
  bar_.SetFixedSize(0);
  Drag(&bar_, {bar_.thumb.right + 5, 9}, {-100, 9});
  EXPECT_EQ(bar_.thumb.right - bar_.thumb.left, 18);
  EXPECT_NEAR(bar_.fraction, 1.0f / 500, 1e-6);
  Drag(&bar_, {bar_.thumb.right + 5, 9}, {300, 9});
  Drag(&bar_, {bar_.thumb.left - 5, 9}, {1000, 9});
  EXPECT_EQ(bar_.thumb.right - bar_.thumb.left, 18);
  EXPECT_GT(chart_.windowEnd, chart_.windowStart - 1);
}

TEST_F(Scroller, FixedSizeHandlesDoNotResize) {
  ASSERT_EQ(bar_.fixedSize, 1);
  bar_.SetFraction(0.5f);
  const Rect before = bar_.thumb;
  Drag(&bar_, {bar_.thumb.right + 5, 9}, {bar_.thumb.right + 100, 9});
  Drag(&bar_, {bar_.thumb.left - 5, 9}, {bar_.thumb.left - 100, 9});
  EXPECT_EQ(bar_.thumb, before);
  // The handles show the normal cursor.
  Send(&bar_, QEvent::MouseMove, {bar_.thumb.right + 5, 9}, Qt::NoButton, Qt::NoButton);
  EXPECT_FALSE(bar_.testAttribute(Qt::WA_SetCursor));
  Send(&bar_, QEvent::MouseMove, {bar_.thumb.left + 20, 9}, Qt::NoButton, Qt::NoButton);
  EXPECT_TRUE(bar_.testAttribute(Qt::WA_SetCursor));
}

TEST_F(Scroller, ChartCommandsMoveTheThumb) {
  chart_.cursorTime = file_->GetStartTime() + 50;
  chart_.SetWindowStart(0);
  EXPECT_NEAR(bar_.offset, 50.0 / 99, 1e-5);
  EXPECT_EQ(bar_.thumb.left, 11 + int(500 * bar_.offset));
  EXPECT_EQ(bar_.thumb.right, bar_.thumb.left + int(500 * bar_.fraction) + 17);
  // Drawn: thumb green, handles yellowish, in the scroller's buffer.
  EXPECT_EQ(bar_.Buffer().pixel(bar_.thumb.left + 5, 9) & 0xFFFFFF, qRgb(75, 243, 167) & 0xFFFFFFu);
  EXPECT_EQ(bar_.Buffer().pixel(bar_.thumb.left - 5, 9) & 0xFFFFFF, qRgb(231, 242, 167) & 0xFFFFFFu);
}

class Panel : public ::testing::Test {
 protected:
  void SetUp() override {
    UseLanguage();
    Recipe s;
    s.channels = 48;
    path_ = testenv::Home() + "p.kvd";
    ASSERT_TRUE(MakeRecording(path_, s));
    file_ = OpenRecording(path_);
    ASSERT_TRUE(file_);
    parent_.resize(900, 600);
    chart_ = new CCurveChart(&parent_);
    chart_->SetRecord(file_.get());
    chart_->ApplyRecordSettings();
    panel_ = new CChnlPanel(&parent_);
    panel_->SetRecord(file_.get());
    panel_->SetNotify(chart_);
    panel_->SetShown(1);
    panel_->Rebuild(1);
  }
  QCheckBox* Box(int ch) { return panel_->findChild<QCheckBox*>(QString::number(32846 + ch)); }
  std::string path_;
  std::unique_ptr<CXFile> file_;
  QWidget parent_;
  CCurveChart* chart_;
  CChnlPanel* panel_;
};

TEST_F(Panel, BoxesPerChannelAtTheRightEdge) {
  EXPECT_EQ(panel_->geometry(), QRect(750, 0, 150, 600));
  ASSERT_NE(Box(0), nullptr);
  ASSERT_NE(Box(47), nullptr);
  EXPECT_EQ(Box(48), nullptr);
  EXPECT_TRUE(Box(3)->isChecked());
  EXPECT_EQ(Box(3)->geometry(), QRect(22, 6 + 90 - 6, 110, 30));
  EXPECT_EQ(Box(3)->text(), QString::fromUtf8("通道4"));
  auto* mark = panel_->findChild<QWidget*>("32919");
  ASSERT_NE(mark, nullptr);
  EXPECT_EQ(mark->palette().color(QPalette::WindowText), FromColorRef(ChannelColour(3)));
  // Hidden with the side panel off.
  panel_->SetShown(0);
  panel_->Rebuild(1);
  EXPECT_FALSE(panel_->isVisibleTo(&parent_));
}

TEST(PanelAlone, WithoutAFileItShowsNoRows) {
  QWidget parent;
  parent.resize(600, 400);
  CChnlPanel panel(&parent);
  panel.SetShown(1);
  panel.Rebuild(1);
  EXPECT_FALSE(panel.HasRecord());
  EXPECT_TRUE(panel.findChildren<QCheckBox*>().isEmpty());
}

TEST_F(Panel, TicksAreWrittenIntoTheFileForEveryChannel) {
  Box(2)->click();
  Box(45)->click();  // beyond the fortieth channel as well
  EXPECT_EQ(file_->Head().channels[2].shown, 0);
  EXPECT_EQ(file_->Head().channels[45].shown, 0);
  Box(2)->click();
  EXPECT_EQ(file_->Head().channels[2].shown, 1);
  file_.reset();
  auto again = OpenRecording(path_);
  ASSERT_TRUE(again);
  EXPECT_EQ(again->Head().channels[2].shown, 1);
  EXPECT_EQ(again->Head().channels[45].shown, 0);
  EXPECT_EQ(again->Head().channels[44].shown, 1);
  panel_->SetRecord(nullptr);  // ignored
  EXPECT_TRUE(panel_->HasRecord());
  panel_->file = nullptr;
}

TEST_F(Panel, ScrollingMovesTheRowsByThirtyPixels) {
  auto* bar = panel_->findChild<QScrollBar*>("32910");
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->maximum(), 100);
  bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(Box(3)->geometry().top(), 6 + 90 - 30 - 6);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
  EXPECT_EQ(bar->value(), 6);
  bar->triggerAction(QAbstractSlider::SliderToMaximum);
  bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
  EXPECT_EQ(bar->value(), 99);
  bar->triggerAction(QAbstractSlider::SliderPageStepAdd);  // 104 would leave the range
  EXPECT_EQ(bar->value(), 99);
}

TEST_F(Panel, AFailedWriteKeepsTheOldFlagAndSaysSo) {
  QString shown;
  SetMsgBoxAnswerer([&](const MsgBoxRequest& r) {
    shown = r.text;
    return QMessageBox::Ok;
  });
  // Closed underneath: the header stays, but nothing can be written.
  file_->Close();
  Box(5)->click();
  SetMsgBoxAnswerer(nullptr);
  EXPECT_EQ(shown, lang::String(61260));
  EXPECT_EQ(file_->Head().channels[5].shown, 1);
  EXPECT_TRUE(Box(5)->isChecked());
}

}  // namespace
