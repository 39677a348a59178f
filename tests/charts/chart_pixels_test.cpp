// What the chart draws, read back from its layers at the positions the
// drawing rules compute.
#include <gtest/gtest.h>

#include <QImage>

#include "chartfile.h"
#include "charts/curvechart.h"
#include "common/testenv.h"

using charts::CCurveChart;
using charts::FromColorRef;
using namespace charttest;

namespace {

QRgb Rgb(uint32_t colorref) { return FromColorRef(colorref).rgb() & 0xFFFFFF; }
QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

class ChartPixels : public ::testing::Test {
 protected:
  void Open(const Recipe& recipe) {
    UseLanguage();
    recipe_ = recipe;
    path_ = testenv::Home() + "pix.kvd";
    ASSERT_TRUE(MakeRecording(path_, recipe_));
    file_ = OpenRecording(path_);
    ASSERT_TRUE(file_);
    chart_ = std::make_unique<CCurveChart>();
    chart_->resize(800, 400);
    chart_->SetRecord(file_.get());
    chart_->ApplyRecordSettings();
    chart_->Relayout();
  }
  void HideAllBut(int keep) {
    for (int ch = 0; ch < file_->GetChnlCount(); ++ch) file_->Head().channels[ch].shown = ch == keep;
  }
  const QImage& Plot() { return *chart_->PlotImage(); }
  const QImage& Back() { return *chart_->BackImage(); }

  Recipe recipe_;
  std::string path_;
  std::unique_ptr<CXFile> file_;
  std::unique_ptr<CCurveChart> chart_;
};

TEST_F(ChartPixels, CurvesOnePointPerColumnAtTheComputedRows) {
  Recipe s;
  s.channels = 2;
  s.count = [](int ch, int rec) { return ch == 0 ? 128 : rec * 2; };  // flat, and a ramp
  Open(s);
  const int w = chart_->plotWidth;
  for (int col : {0, 100, 373, 600, w - 1}) {
    const time_t t = chart_->TimeAtColumn(col, w);
    float v0 = 0, v1 = 0;
    ASSERT_TRUE(file_->GetValue(0, t, &v0, nullptr));
    ASSERT_TRUE(file_->GetValue(1, t, &v1, nullptr));
    EXPECT_EQ(At(Plot(), col, chart_->RowOfValue(v0)), Rgb(ChannelColour(0))) << col;
    EXPECT_EQ(At(Plot(), col, chart_->RowOfValue(v1)), Rgb(ChannelColour(1))) << col;
  }
  // A hidden channel leaves the background.
  HideAllBut(1);
  chart_->Relayout();
  float v0 = 0;
  file_->GetValue(0, chart_->TimeAtColumn(300, w), &v0, nullptr);
  const int y = chart_->RowOfValue(v0);
  EXPECT_NE(At(Plot(), 300, y), Rgb(ChannelColour(0)));
}

TEST_F(ChartPixels, PercentModeDrawsPercentOfRange) {
  Recipe s;
  s.channels = 1;
  s.yMode = 0;
  s.yLow = 0;
  s.yHigh = 100;
  s.count = [](int, int) { return 51; };  // 20 % of 255
  Open(s);
  float pct = 0;
  ASSERT_TRUE(file_->GetValue(0, file_->GetStartTime(), nullptr, &pct));
  EXPECT_FLOAT_EQ(pct, 20.0f);
  EXPECT_EQ(At(Plot(), 200, chart_->RowOfValue(20.0)), Rgb(ChannelColour(0)));
}

// A chart whose columns 100..149 have no recording behind them.
class GapChart : public CCurveChart {
 public:
  time_t TimeAtColumn(int col, int w) const override {
    if (col >= 100 && col < 150) return 1;  // long before any recording
    return CCurveChart::TimeAtColumn(col, w);
  }
};

TEST_F(ChartPixels, ColumnsWithoutSamplesAreBridgedWithAStraightLine) {
  Recipe s;
  s.channels = 1;
  s.records = 1000;
  s.valueWidth = 2;
  s.count = [](int, int rec) { return rec * 60; };  // rising
  UseLanguage();
  ASSERT_TRUE(MakeRecording(testenv::Home() + "gap.kvd", s));
  auto f = OpenRecording(testenv::Home() + "gap.kvd");
  ASSERT_TRUE(f);
  GapChart c;
  c.resize(800, 400);
  c.SetRecord(f.get());
  c.ApplyRecordSettings();
  c.Relayout();
  const int w = c.plotWidth;
  float a = 0, b = 0;
  ASSERT_TRUE(f->GetValue(0, c.CCurveChart::TimeAtColumn(99, w), &a, nullptr));
  ASSERT_TRUE(f->GetValue(0, c.CCurveChart::TimeAtColumn(150, w), &b, nullptr));
  const int ya = c.RowOfValue(a), yb = c.RowOfValue(b);
  ASSERT_GT(ya - yb, 10);  // a visible rise across the gap
  const QImage& img = *c.PlotImage();
  const QRgb ink = Rgb(ChannelColour(0));
  // Inside the gap the line runs straight from (99, ya) to (150, yb).
  for (int x = 105; x < 150; x += 11) {
    const double y = ya + double(yb - ya) * (x - 99) / 51.0;
    bool found = false;
    for (int dy = -1; dy <= 1 && !found; ++dy) found = At(img, x, int(std::lround(y)) + dy) == ink;
    EXPECT_TRUE(found) << "column " << x;
  }
}

TEST_F(ChartPixels, GridLinesAtDivisionsAndGridColumns) {
  Recipe s;
  s.channels = 1;
  Open(s);
  HideAllBut(-1);
  chart_->Relayout();
  const QRgb grid = Rgb(s.clrGrid), back = Rgb(s.clrBack);
  const int div = chart_->divPixels;
  for (int m = 0; m < 10; ++m) EXPECT_EQ(At(Plot(), 5, m * div), grid) << m;
  EXPECT_EQ(At(Plot(), 5, div / 2), back);
  for (int i = 1; i < 10; ++i) EXPECT_EQ(At(Plot(), i * 748 / 10, div / 2), grid) << i;
  EXPECT_EQ(At(Plot(), 748 / 10 + 3, div / 2), back);
  // Without the grid only the background is left.
  file_->Head().gridShown = 0;
  chart_->ApplyRecordSettings();
  chart_->Relayout();
  EXPECT_EQ(At(Plot(), 5, div), back);
}

TEST_F(ChartPixels, MarksAreMergedLinesInTheInverseColour) {
  Recipe s;
  s.channels = 1;
  s.count = [](int, int) { return 128; };
  Open(s);
  const time_t t = file_->GetStartTime() + 40;
  ASSERT_TRUE(file_->AddMark(t));
  chart_->Relayout();
  const int x = chart_->ColumnOfTime(t, chart_->plotWidth);
  // pen OR NOT destination: over the background the pen colour itself ...
  const QRgb ink = Rgb(0xFFFFFF - s.clrBack);
  EXPECT_EQ(At(Plot(), x, chart_->plotHeight - 30), ink);
  // ... and white over the curve (pen | ~red).
  float v = 0;
  file_->GetValue(0, t, &v, nullptr);
  EXPECT_EQ(At(Plot(), x, chart_->RowOfValue(v)), 0xFFFFFFu);
  // The neighbouring column is untouched background.
  EXPECT_EQ(At(Plot(), x + 1, chart_->plotHeight - 30), Rgb(s.clrBack));
}

TEST_F(ChartPixels, ReferenceLinesAreDottedAtTheirValues) {
  Recipe s;
  s.channels = 1;
  s.yMode = 0;  // percent: the value is converted with channel 0's range (0..100)
  Open(s);
  HideAllBut(-1);
  _tagDataHead& h = file_->Head();
  h.refShown1 = 1;
  h.refValue1 = 33.3f;
  SetGbkField(h.refLabel1, "Hi", true);
  h.gridShown = 0;
  chart_->ApplyRecordSettings();
  chart_->Relayout();
  const int y = chart_->RowOfValue(33.3);
  const QRgb ink = Rgb(0xFFFFFF - s.clrBack);
  int on = 0, off = 0;
  for (int x = 200; x < 700; ++x) (At(Plot(), x, y) == ink ? on : off)++;
  EXPECT_GT(on, 150);  // dotted: about half of the row
  EXPECT_GT(off, 150);
  // The second line is off.
  EXPECT_EQ(At(Plot(), 400, chart_->RowOfValue(50.0)), Rgb(s.clrBack));
}

TEST_F(ChartPixels, CursorLineTriangleAndReadout) {
  Recipe s;
  s.channels = 3;
  s.count = [](int ch, int) { return ch == 1 ? 230 : 100; };  // channel 2 (index 1) at 90.2
  Open(s);
  // Channel index 1 in alarm: above its high limit 80.
  file_->Head().channels[1].limit3 = {100, 1};
  file_->Head().channels[1].limit4 = {800, 1};
  chart_->cursorTime = file_->GetStartTime() + 80;
  chart_->RedrawAll();
  const int cx = chart_->cursorX;
  EXPECT_EQ(cx, chart_->plotRect.left + chart_->ColumnOfTime(file_->GetStartTime() + 80, 748));
  // The cursor line over the background.
  EXPECT_EQ(At(Back(), cx, chart_->plotRect.bottom - 5), Rgb(0xFFFFFF - s.clrBack));
  // The yellow triangle just above its apex, in the marker strip.
  EXPECT_EQ(At(Back(), cx, chart_->markerRect.top + chart_->markerRect.bottom - 4), qRgb(255, 255, 0) & 0xFFFFFF);
  // The read-out lies left (cursor right of the middle); swatches in the channel colours.
  const charts::Rect& r = chart_->readoutRect;
  EXPECT_EQ(r.left, chart_->plotRect.left);
  for (int row = 0; row < 3; ++row)
    EXPECT_EQ(At(Back(), r.left + 10 + 2, r.top + 18 * (2 + row) + 8), Rgb(ChannelColour(row))) << row;
  // Red text only in the row of the channel in alarm.
  auto redIn = [&](int row) {
    int n = 0;
    for (int y = r.top + 18 * (2 + row) + 1; y < r.top + 18 * (3 + row); ++y)
      for (int x = r.left + 43; x < r.right - 10; ++x) n += At(Back(), x, y) == qRgb(255, 0, 0) % 0x1000000;
    return n;
  };
  EXPECT_EQ(redIn(0), 0);
  EXPECT_GT(redIn(1), 5);
  EXPECT_EQ(redIn(2), 0);
  // Drawn again where it stands after the alarm limits changed: the box shows
  // the new state, not the one it showed before.
  file_->Head().channels[1].limit4 = {1000, 1};
  chart_->RedrawAll();
  EXPECT_EQ(redIn(1), 0);
}

TEST_F(ChartPixels, ReadoutStopsAtTheRowLimit) {
  Recipe s;
  s.channels = 24;
  Open(s);
  for (int ch = 0; ch < 24; ++ch) file_->Head().channels[ch].colour = 0x000100u * uint32_t(ch + 1) + 0x40;
  chart_->cursorTime = file_->GetStartTime() + 90;
  chart_->RedrawAll();
  const charts::Rect& r = chart_->readoutRect;
  ASSERT_EQ(r.Height(), 20 * 18);
  // 364 / 18 = 20 rows: title, time and 18 channels.
  EXPECT_EQ(At(Back(), r.left + 12, r.top + 18 * 19 + 8), Rgb(file_->Head().channels[17].colour));
  EXPECT_NE(At(Back(), r.left + 12, r.top + 18 * 20 + 8), Rgb(file_->Head().channels[18].colour));
}

TEST_F(ChartPixels, SelectionBandIsXoredOverThePlot) {
  Recipe s;
  s.channels = 1;
  Open(s);
  HideAllBut(-1);
  file_->Head().gridShown = 0;
  chart_->ApplyRecordSettings();
  chart_->SetSelecting(1);
  chart_->selStart = file_->GetStartTime() + 20;
  chart_->selEnd = file_->GetStartTime() + 60;
  chart_->RedrawAll();
  const int a = chart_->plotRect.left + chart_->ColumnOfTime(chart_->selStart, 748);
  const int b = chart_->plotRect.left + chart_->ColumnOfTime(chart_->selEnd, 748);
  const QRgb back = Rgb(s.clrBack);
  const QRgb band = back ^ qRgb(0, 80, 80) % 0x1000000;
  EXPECT_EQ(At(Back(), a, 100), band);
  EXPECT_EQ(At(Back(), (a + b) / 2, 100), band);
  EXPECT_EQ(At(Back(), b, 100), band);
  EXPECT_EQ(At(Back(), a - 2, 100), back);
  EXPECT_EQ(At(Back(), b + 2, 100), back);
  // The plot layer itself stays clean.
  EXPECT_EQ(At(Plot(), (a + b) / 2 - chart_->plotRect.left, 100 - chart_->plotRect.top), back);
}

TEST_F(ChartPixels, AxisLabelsKeepTheirDistance) {
  Recipe s;
  s.channels = 1;
  Open(s);
  const QRgb shadow = charts::SystemColors().shadow.rgb() & 0xFFFFFF;
  const QRgb face = charts::SystemColors().face.rgb() & 0xFFFFFF;
  ASSERT_NE(shadow, face);
  // 5 pixels a division: every third line is labelled (long tick from x = 42).
  chart_->zoom = 5.0f / 364;
  chart_->ComputeValueScale();
  chart_->RedrawAll();
  ASSERT_EQ(chart_->divPixels, 5);
  const int ax = chart_->axisRect.left, ay = chart_->axisRect.top;
  for (int j = 0; j < 20; ++j) {
    const int y = ay + j * 5;
    const double value = 100.0 - j * 10.0;
    const bool labelled = int(value / 10) % 3 == 0;
    EXPECT_EQ(At(Back(), ax + 43, y) == shadow, labelled) << "line " << j;
    EXPECT_EQ(At(Back(), ax + 45, y), shadow) << "line " << j;
  }
  // Time labels: a long tick at every labelled grid line.
  auto longTicks = [&] {
    std::vector<int> xs;
    for (int i = 1; i <= 10; ++i) {
      const int x = i * 748 / 10;
      if (x < 748 && At(Back(), chart_->timeRect.left + x, chart_->timeRect.top + 5) == shadow) xs.push_back(x);
    }
    return xs;
  };
  EXPECT_EQ(longTicks().size(), 9u);  // 74.8 pixels apart > 50
  chart_->SetShowDate(1);
  chart_->RedrawAll();
  auto xs = longTicks();
  ASSERT_EQ(xs.size(), 4u);  // every second line: 149.6 > 100
  for (size_t i = 1; i < xs.size(); ++i) EXPECT_GT(xs[i] - xs[i - 1], 100);
}

// Labels stay whole inside the chart: no text pixel on the outer rows of the
// value axis or the last columns of the time axis, whatever the size; the
// read-out's channel numbers have an outline that contrasts with the box.
TEST_F(ChartPixels, LabelsStayWholeInsideTheChart) {
  Recipe s;
  s.channels = 1;
  Open(s);
  auto dark = [&](int x, int y) { return qGray(Back().pixel(x, y)) < 60; };
  for (QSize size : {QSize(800, 400), QSize(640, 333), QSize(1001, 517)}) {
    chart_->resize(size);
    chart_->Relayout();
    const charts::Rect& a = chart_->axisRect;
    int inside = 0;
    for (int x = a.left; x < a.right - 6; ++x) {
      EXPECT_FALSE(dark(x, a.top)) << size.width() << " top row, x " << x;
      EXPECT_FALSE(dark(x, a.bottom - 1)) << size.width() << " bottom row, x " << x;
      for (int y = a.top + 1; y < a.top + 12; ++y) inside += dark(x, y);
    }
    EXPECT_GT(inside, 10) << "the top label is drawn";
    const charts::Rect& t = chart_->timeRect;
    int last = 0;
    for (int y = t.top; y < t.bottom; ++y) {
      EXPECT_FALSE(dark(t.right - 1, y)) << size.width() << " time axis, row " << y;
      for (int x = t.right - 60; x < t.right - 1; ++x) last += dark(x, y);
    }
    EXPECT_GT(last, 10) << "the last time label is drawn";
  }
}

TEST_F(ChartPixels, ReadoutNumbersAreOutlinedInEveryColour) {
  Recipe s;
  s.channels = 4;
  Open(s);
  const uint32_t colours[] = {0xFFFFFF, 0x00FFFF, 0x800000, 0x000000};  // white, yellow, navy, black
  for (int ch = 0; ch < 4; ++ch) file_->Head().channels[ch].colour = colours[ch];
  chart_->cursorTime = file_->GetStartTime() + 80;
  chart_->RedrawAll();
  const charts::Rect& r = chart_->readoutRect;
  const QColor face = charts::SystemColors().face;
  for (int row = 0; row < 4; ++row) {
    const QColor colour = FromColorRef(colours[row]);
    int own = 0, contrast = 0;
    for (int y = r.top + 18 * (2 + row) + 1; y < r.top + 18 * (3 + row); ++y)
      for (int x = r.left + 25; x < r.left + 43; ++x) {
        const QColor c = Back().pixelColor(x, y);
        // Text is smoothed: its core pixels lie near the colour.
        own += std::abs(c.red() - colour.red()) < 48 && std::abs(c.green() - colour.green()) < 48 &&
               std::abs(c.blue() - colour.blue()) < 48;
        contrast += std::abs(qGray(c.rgb()) - qGray(face.rgb())) > 90;
      }
    EXPECT_GT(own, 3) << "row " << row << ": the number keeps its colour";
    EXPECT_GT(contrast, 10) << "row " << row << ": the number stands out from the box";
  }
}

}  // namespace
