// The chart driven through mouse and key events.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include "chartfile.h"
#include "charts/curvechart.h"
#include "common/testenv.h"

using charts::CCurveChart;
using namespace charttest;

namespace {

void Send(QWidget* w, QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
  QMouseEvent e(type, QPointF(p), w->mapToGlobal(QPointF(p)), button, buttons, Qt::NoModifier);
  QApplication::sendEvent(w, &e);
}
void Press(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton) { Send(w, QEvent::MouseButtonPress, p, b, b); }
void Move(QWidget* w, QPoint p, Qt::MouseButtons held) { Send(w, QEvent::MouseMove, p, Qt::NoButton, held); }
void Release(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton) {
  Send(w, QEvent::MouseButtonRelease, p, b, Qt::NoButton);
}

class ChartMouse : public ::testing::Test {
 protected:
  void SetUp() override {
    UseLanguage();
    ASSERT_TRUE(MakeRecording(testenv::Home() + "m.kvd", Recipe{}));
    file_ = OpenRecording(testenv::Home() + "m.kvd");
    ASSERT_TRUE(file_);
    chart_.resize(800, 400);
    chart_.SetRecord(file_.get());
    chart_.ApplyRecordSettings();
    chart_.Relayout();
    t0_ = file_->GetStartTime();
  }
  std::unique_ptr<CXFile> file_;
  CCurveChart chart_;
  time_t t0_ = 0;
};

TEST_F(ChartMouse, LeftClickPlacesTheCursorAndArrowsMoveIt) {
  Press(&chart_, {51 + 374, 200});
  Release(&chart_, {51 + 374, 200});
  EXPECT_EQ(chart_.cursorTime, t0_ + 50);
  EXPECT_EQ(chart_.GetCursorTime(), t0_ + 50);
  // The line stands on the column of the record's time.
  EXPECT_EQ(chart_.cursorX, 51 + chart_.ColumnOfTime(t0_ + 50, 748));
  // A click in the marker strip does nothing.
  Press(&chart_, {300, 5});
  EXPECT_EQ(chart_.cursorTime, t0_ + 50);
  // Arrows: 100 records on 748 columns, so each press reaches the next record.
  for (int i = 0; i < 8; ++i) QTest::keyClick(&chart_, Qt::Key_Right);
  EXPECT_EQ(chart_.cursorTime, t0_ + 58);
  EXPECT_EQ(chart_.cursorX, 51 + chart_.ColumnOfTime(t0_ + 58, 748));
  QTest::keyClick(&chart_, Qt::Key_Left);
  EXPECT_EQ(chart_.cursorTime, t0_ + 57);
  Press(&chart_, {52, 200});
  for (int i = 0; i < 5; ++i) QTest::keyClick(&chart_, Qt::Key_Left);
  EXPECT_EQ(chart_.cursorX, 51);
  EXPECT_EQ(chart_.cursorTime, t0_);
  // Dragging with the left button drags the cursor along.
  Move(&chart_, {51 + 747, 100}, Qt::LeftButton);
  EXPECT_EQ(chart_.cursorTime, t0_ + 99);
}

TEST_F(ChartMouse, SelectionDraggedRightToLeftIsStoredInOrder) {
  chart_.SetSelecting(1);
  Press(&chart_, {51 + 600, 200});
  Move(&chart_, {51 + 300, 200}, Qt::LeftButton);
  EXPECT_GT(chart_.selStart, chart_.selEnd);  // still as dragged
  Release(&chart_, {51 + 200, 200});
  EXPECT_EQ(chart_.selStart, chart_.TimeAtColumn(200, 748));
  EXPECT_EQ(chart_.selEnd, chart_.TimeAtColumn(600, 748));
  // Arrow keys do nothing in selection mode.
  const int x = chart_.cursorX;
  QTest::keyClick(&chart_, Qt::Key_Right);
  EXPECT_EQ(chart_.cursorX, x);
}

TEST_F(ChartMouse, DoubleClickTogglesTheMode) {
  QTest::mouseDClick(&chart_, Qt::LeftButton, Qt::NoModifier, QPoint(51 + 100, 100));
  EXPECT_EQ(chart_.IsSelecting(), 1);
  EXPECT_EQ(chart_.selStart, 0);
  EXPECT_EQ(chart_.selEnd, 0);
  QTest::mouseDClick(&chart_, Qt::LeftButton, Qt::NoModifier, QPoint(51 + 374, 100));
  EXPECT_EQ(chart_.IsSelecting(), 0);
  EXPECT_EQ(chart_.cursorTime, t0_ + 50);
}

TEST_F(ChartMouse, ScaleDragStopsAtFourAndSixHundredPixels) {
  ASSERT_EQ(chart_.divPixels, 36);
  Press(&chart_, {20, 200}, Qt::RightButton);
  EXPECT_EQ(chart_.scaling, 1);
  Move(&chart_, {20, 190}, Qt::RightButton);  // up 10: 46 pixels a division
  EXPECT_EQ(chart_.divPixels, 46);
  EXPECT_FLOAT_EQ(chart_.zoom, 46.0f / 364);
  Move(&chart_, {20, -400}, Qt::RightButton);  // would be 636: refused
  EXPECT_EQ(chart_.divPixels, 46);
  for (int y = -400; y < 200; y += 4) Move(&chart_, {20, y}, Qt::RightButton);
  // Small steps down reach the floor and stay there.
  int last = chart_.divPixels;
  for (int y = 200; y < 1200; y += 4) Move(&chart_, {20, y}, Qt::RightButton);
  EXPECT_GE(chart_.divPixels, 4);
  EXPECT_LE(chart_.divPixels, last);
  EXPECT_LT(chart_.divPixels, 8);
  for (int y = 1200; y > -3000; y -= 5) Move(&chart_, {20, y}, Qt::RightButton);
  EXPECT_LE(chart_.divPixels, 600);
  EXPECT_GT(chart_.divPixels, 590);
  Release(&chart_, {20, 0}, Qt::RightButton);
  EXPECT_EQ(chart_.scaling, 0);
}

TEST_F(ChartMouse, PanningMovesTheReferenceOneDivisionAtATime) {
  Press(&chart_, {20, 100});
  EXPECT_EQ(chart_.panning, 1);
  Move(&chart_, {20, 110}, Qt::LeftButton);  // down 10: past 0, so one division up
  EXPECT_EQ(chart_.refOffset, 10 - 36);
  EXPECT_FLOAT_EQ(chart_.refValue, 110.0f);
  Move(&chart_, {20, 100}, Qt::LeftButton);  // back up: -36 is below -divPixels? no, exactly -36
  EXPECT_EQ(chart_.refOffset, -36);
  EXPECT_FLOAT_EQ(chart_.refValue, 110.0f);
  Move(&chart_, {20, 95}, Qt::LeftButton);
  EXPECT_EQ(chart_.refOffset, -5);
  EXPECT_FLOAT_EQ(chart_.refValue, 100.0f);
  Release(&chart_, {20, 95});
  EXPECT_EQ(chart_.panning, 0);
}

TEST_F(ChartMouse, RightButtonUpOverThePlotAsksForTheMenu) {
  QSignalSpy spy(&chart_, &CCurveChart::RightButtonReleased);
  Press(&chart_, {300, 200}, Qt::RightButton);
  Release(&chart_, {300, 200}, Qt::RightButton);
  EXPECT_EQ(spy.count(), 1);
  Release(&chart_, {20, 200}, Qt::RightButton);  // over the axis: no menu
  EXPECT_EQ(spy.count(), 1);
}

TEST_F(ChartMouse, WindowCommandsMoveTheWindow) {
  chart_.cursorTime = t0_ + 20;
  chart_.SetWindowStart(0);
  EXPECT_EQ(chart_.windowEnd, t0_ + 99);
  EXPECT_EQ(chart_.windowStart, t0_ + 20);
  chart_.cursorTime = t0_ + 60;
  chart_.SetWindowEnd(0);
  EXPECT_EQ(chart_.windowStart, t0_ + 20);
  EXPECT_NEAR(double(chart_.windowEnd), double(t0_ + 60), 1.0);
  chart_.CenterOnTime(t0_ + 90);  // 40 s wide: pushed back inside the file
  EXPECT_EQ(chart_.windowEnd, t0_ + 99);
  EXPECT_NEAR(double(chart_.windowStart), double(t0_ + 59), 1.0);
  EXPECT_EQ(chart_.cursorTime, t0_ + 90);
  chart_.ZoomToSelection(t0_, t0_ + 99);
  EXPECT_EQ(chart_.windowStart, t0_);
  EXPECT_EQ(chart_.windowEnd, t0_ + 99);
  // Select all takes the window; zooming to the stored selection clears it.
  chart_.SetSelecting(1);
  chart_.SelectAll();
  EXPECT_EQ(chart_.selStart, t0_);
  EXPECT_EQ(chart_.selEnd, t0_ + 99);
  chart_.selStart = t0_ + 10;
  chart_.selEnd = t0_ + 30;
  chart_.ZoomToSelection(0, 0);
  EXPECT_EQ(chart_.selStart, 0);
  EXPECT_NEAR(double(chart_.windowStart), double(t0_ + 10), 1.0);
  EXPECT_NEAR(double(chart_.windowEnd), double(t0_ + 30), 1.0);
}

TEST_F(ChartMouse, CopyPutsThePlotColumnsOfTheSelectionOnTheClipboard) {
  chart_.SetSelecting(1);
  chart_.selStart = t0_ + 10;
  chart_.selEnd = t0_ + 30;
  ASSERT_TRUE(chart_.CopySelectionToClipboard());
  QImage img = QApplication::clipboard()->image();
  const int a = chart_.ColumnOfTime(t0_ + 10, 748), b = chart_.ColumnOfTime(t0_ + 30, 748) + 1;
  EXPECT_EQ(img.width(), b - a);
  EXPECT_EQ(img.height(), chart_.plotHeight);
  EXPECT_EQ(img.pixel(3, 50), chart_.PlotImage()->pixel(a + 3, 50));
  // Outside the window: nothing.
  chart_.ZoomToSelection(t0_ + 40, t0_ + 60);
  chart_.selStart = t0_ + 10;
  chart_.selEnd = t0_ + 30;
  EXPECT_FALSE(chart_.CopySelectionToClipboard());
}

}  // namespace
