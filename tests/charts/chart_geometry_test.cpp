// The chart's geometry as numbers: layout, time window, columns and times,
// value scale, axis label spacing, read-out size.
#include <gtest/gtest.h>

#include <QTest>

#include "chartfile.h"
#include "charts/curvechart.h"
#include "common/testenv.h"

using charts::CCurveChart;
using charts::Rect;
using namespace charttest;

namespace {

class ChartGeometry : public ::testing::Test {
 protected:
  void SetUp() override {
    UseLanguage();
    path_ = testenv::Home() + "geo.kvd";
    ASSERT_TRUE(MakeRecording(path_, recipe_));
    file_ = OpenRecording(path_);
    ASSERT_TRUE(file_);
    chart_.resize(800, 400);
    chart_.SetRecord(file_.get());
    chart_.ApplyRecordSettings();
    chart_.Relayout();
  }
  Recipe recipe_;
  std::string path_;
  std::unique_ptr<CXFile> file_;
  CCurveChart chart_;
};

TEST_F(ChartGeometry, LayoutRectanglesFollowTheClientArea) {
  EXPECT_EQ(chart_.clientRect, (Rect{0, 0, 800, 400}));
  EXPECT_EQ(chart_.plotRect, (Rect{51, 11, 799, 375}));
  EXPECT_EQ(chart_.axisRect, (Rect{1, 11, 49, 375}));
  EXPECT_EQ(chart_.timeRect, (Rect{51, 376, 799, 399}));
  EXPECT_EQ(chart_.markerRect, (Rect{50, 1, 799, 10}));
  EXPECT_EQ(chart_.plotWidth, 748);
  EXPECT_EQ(chart_.xPitch, 74);
  EXPECT_EQ(chart_.plotHeight, 364);
  ASSERT_NE(chart_.BackImage(), nullptr);
  EXPECT_EQ(chart_.BackImage()->size(), QSize(800, 400));
  EXPECT_EQ(chart_.PlotImage()->size(), QSize(748, 364));
}

TEST_F(ChartGeometry, WholeSpanWindowEndsOnTheLastRecord) {
  const time_t start = file_->GetStartTime();
  EXPECT_EQ(chart_.windowStart, start);
  EXPECT_EQ(chart_.windowEnd, start + 99);
  EXPECT_EQ(chart_.TimeAtColumn(0, 748), start);
  EXPECT_EQ(chart_.TimeAtColumn(747, 748), start + 99);  // last column lands on the end
  EXPECT_EQ(chart_.TimeAtColumn(374, 748), start + 50);  // 100 x 374 / 748
  EXPECT_EQ(chart_.TimeAtColumn(10, 0), start);          // no width: the window start
}

TEST_F(ChartGeometry, PartialWindowsSnapToTheSamplingGrid) {
  Recipe s;
  s.interval = 10;
  ASSERT_TRUE(MakeRecording(testenv::Home() + "iv10.kvd", s));
  auto f = OpenRecording(testenv::Home() + "iv10.kvd");
  ASSERT_TRUE(f);
  CCurveChart c;
  c.resize(800, 400);
  c.SetRecord(f.get());
  c.ApplyRecordSettings();
  const time_t t0 = f->GetStartTime();  // span 990 s, n = 991
  c.SetWindowOffset(0.25f);
  c.SetWindowFraction(0.5f);
  c.ComputeWindow();
  EXPECT_EQ(c.windowStart, t0 + 240);  // 10 x (247 / 10)
  EXPECT_EQ(c.windowEnd, t0 + 740);    // 10 x (743 / 10)
  // Not the whole span: the last column is an ordinary column.
  EXPECT_EQ(c.TimeAtColumn(747, 748), t0 + 240 + 10 * ((501 * 747 / 748) / 10));
  // A window that reaches the end hugs it.
  c.SetWindowOffset(0.7f);
  c.SetWindowFraction(0.3f);
  c.ComputeWindow();
  EXPECT_EQ(c.windowEnd, t0 + 990);
  EXPECT_EQ(c.windowStart, t0 + 990 - 290);  // 10 x (297 / 10)
  // Every column time is a record time.
  for (int col = 0; col < 748; col += 37) EXPECT_EQ((c.TimeAtColumn(col, 748) - t0) % 10, 0) << col;
}

TEST_F(ChartGeometry, ColumnOfTimeRoundsAndClamps) {
  const time_t start = file_->GetStartTime();
  EXPECT_EQ(chart_.ColumnOfTime(start, 748), 0);
  EXPECT_EQ(chart_.ColumnOfTime(start + 50, 748), 378);  // 50 x 748 / 99 = 377.8
  EXPECT_EQ(chart_.ColumnOfTime(start + 99, 748), 747);
  EXPECT_EQ(chart_.ColumnOfTime(start - 1000, 748), 0);
  EXPECT_EQ(chart_.ColumnOfTime(start + 1000, 748), 747);
}

TEST_F(ChartGeometry, ValueScaleFromRangeAndZoom) {
  // yGrids 10 in the file: zoom 1/10, ten divisions fill the plot height.
  EXPECT_FLOAT_EQ(chart_.zoom, 0.1f);
  EXPECT_EQ(chart_.divPixels, 36);  // 364 x 0.1 + 0.5
  EXPECT_FLOAT_EQ(chart_.viewTop, 100.0f);
  EXPECT_NEAR(chart_.viewBottom, 100.0 - 364 * 10.0 / 36, 1e-4);
  EXPECT_EQ(chart_.RowOfValue(100.0), 0);
  EXPECT_EQ(chart_.RowOfValue(33.3), 240);  // 364 - 3.6 x 34.41
  EXPECT_LT(chart_.RowOfValue(1e30), -1000);  // far off, still a number
  // Panning by a part of a division moves the view, not the reference.
  chart_.refOffset = -18;
  chart_.ComputeValueScale();
  EXPECT_NEAR(chart_.viewTop, 100.0 - 18 * 10.0 / 36, 1e-4);
}

TEST_F(ChartGeometry, SetYGridsUsesTheRecordingsDivisionCount) {
  chart_.refOffset = -5;
  chart_.SetYGrids(4);
  EXPECT_EQ(chart_.yGrids, 4);
  EXPECT_EQ(chart_.refOffset, 0);
  EXPECT_FLOAT_EQ(chart_.zoom, 0.1f);  // 1 / the file's 10
  chart_.SetYRange(-5, 5);
  EXPECT_FLOAT_EQ(chart_.refValue, 5);
  chart_.SetTimeRange(100, 50);  // refused: end before start
  EXPECT_EQ(chart_.rangeStart, file_->GetStartTime());
}

TEST_F(ChartGeometry, CursorTimeOnlyInCursorMode) {
  chart_.cursorTime = file_->GetStartTime() + 5;
  EXPECT_EQ(chart_.GetCursorTime(), file_->GetStartTime() + 5);
  chart_.SetSelecting(1);
  EXPECT_EQ(chart_.GetCursorTime(), 0);
  chart_.SetSelecting(0);
  chart_.cursorTime = 12;
  EXPECT_EQ(chart_.GetCursorTime(), 0);
}

TEST_F(ChartGeometry, ReadoutWidthAndRowLimit) {
  // Title "Boiler": n = 6 + 6 = 12 (names "通道1" take 5 bytes, 11): width 11 x 12 + 40.
  chart_.cursorTime = file_->GetStartTime() + 10;
  chart_.RedrawAll();
  EXPECT_EQ(chart_.readoutRect.Width(), 172);
  EXPECT_EQ(chart_.readoutRect.Height(), 6 * 18);  // 4 channels + title + time
  // The cursor is left of the middle: the box lies against the right edge.
  EXPECT_EQ(chart_.readoutRect.right, chart_.plotRect.right);

  // Short names make a narrow box, which stays 160 wide.
  Recipe s;
  s.channels = 30;
  s.title = "T";
  ASSERT_TRUE(MakeRecording(testenv::Home() + "many.kvd", s));
  auto f = OpenRecording(testenv::Home() + "many.kvd");
  ASSERT_TRUE(f);
  for (int ch = 0; ch < 30; ++ch) SetGbkField(f->Head().channels[ch].name, "A");
  CCurveChart c;
  c.resize(800, 400);
  c.SetRecord(f.get());
  c.ApplyRecordSettings();
  c.Relayout();
  c.cursorTime = f->GetStartTime() + 90;
  c.RedrawAll();
  EXPECT_EQ(c.readoutRect.Width(), 160);
  EXPECT_EQ(c.readoutRect.Height(), (364 / 18) * 18);  // 20 rows fit
  EXPECT_EQ(c.readoutRect.left, c.plotRect.left);      // right of the middle: left edge
}

}  // namespace

namespace {

TEST(ChartEdges, TinyWindowsAndNoRecordingDrawWithoutHarm) {
  UseLanguage();
  CCurveChart empty;
  empty.resize(300, 200);
  empty.Relayout();
  QTest::mouseClick(&empty, Qt::LeftButton, Qt::NoModifier, QPoint(150, 100));
  QTest::keyClick(&empty, Qt::Key_Right);
  EXPECT_FALSE(empty.CopySelectionToClipboard());

  ASSERT_TRUE(MakeRecording(testenv::Home() + "tiny.kvd", Recipe{}));
  auto f = OpenRecording(testenv::Home() + "tiny.kvd");
  ASSERT_TRUE(f);
  CCurveChart c;
  c.SetRecord(f.get());
  c.ApplyRecordSettings();
  for (QSize s : {QSize(10, 10), QSize(52, 36), QSize(60, 40), QSize(1, 1)}) {
    c.resize(s);
    c.Relayout();
    c.cursorTime = f->GetStartTime() + 3;
    c.RedrawAll();
    QTest::mouseClick(&c, Qt::LeftButton, Qt::NoModifier, QPoint(s.width() / 2, s.height() / 2));
    c.SetSelecting(1);
    c.SelectAll();
    c.SetSelecting(0);
  }
  // A window of no length (its start moved onto the end) still draws.
  c.resize(400, 300);
  c.Relayout();
  c.cursorTime = f->GetEndTime();
  c.SetWindowStart(0);
  EXPECT_EQ(c.windowStart, c.windowEnd);
  EXPECT_EQ(c.ColumnOfTime(f->GetEndTime(), c.plotWidth), 0);
  c.RedrawAll();
}

}  // namespace
