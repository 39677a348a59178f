// The bar views: grids and pages by channel count, bar fill and alarm colour
// read back from the drawn surface, refresh from a growing recording.
#include <gtest/gtest.h>

#include <QTabBar>
#include <QTest>

#include "chartfile.h"
#include "charts/barchart.h"
#include "common/testenv.h"
#include "data/cxfile.h"
#include "views/barview.h"

using namespace charts;
using namespace charttest;

namespace {

QRgb At(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }

std::unique_ptr<CXFile> Recording(int channels, const std::function<int(int, int)>& count = {}) {
  UseLanguage();
  Recipe r;
  r.channels = channels;
  r.records = 10;
  r.count = count;
  std::string path = testenv::Home() + "bars" + std::to_string(channels) + ".kvd";
  EXPECT_TRUE(MakeRecording(path, r));
  return OpenRecording(path);
}

// The fill of a bar: the colour of its lowest inside row, and the height of
// that colour counted up from there.
struct Fill {
  QRgb colour;
  int height;
};
Fill BarFill(const CBarChart& chart, const CBarChart::Cell& c) {
  const QImage& img = *chart.Surface();
  int x = (c.bar.left + c.bar.right) / 2, y = c.bar.bottom - 1;
  QRgb colour = At(img, x, y);
  int h = 0;
  while (y - h >= c.bar.top && At(img, x, y - h) == colour) ++h;
  return {colour, h};
}

TEST(BarLayout, GridsAndPagesByChannelCount) {
  struct Case {
    int n, rows, cols;
  } cases[] = {{1, 1, 1}, {4, 1, 4}, {5, 2, 3}, {6, 2, 3}, {7, 2, 4}, {8, 2, 4},
               {9, 2, 5}, {10, 2, 5}, {11, 2, 6}, {12, 2, 6}, {13, 0, 0}, {0, 0, 0}};
  for (const Case& c : cases) {
    int rows = -1, cols = -1;
    BarGrid(c.n, rows, cols);
    EXPECT_EQ(rows, c.rows) << c.n;
    EXPECT_EQ(cols, c.cols) << c.n;
  }
  struct Pages {
    int n, pages, last;
  } pages[] = {{1, 1, 1}, {12, 1, 12}, {13, 2, 1}, {24, 2, 12}, {25, 3, 1}, {64, 6, 4}};
  for (const Pages& p : pages) {
    EXPECT_EQ(BarPageCount(p.n), p.pages) << p.n;
    EXPECT_EQ(BarsOnPage(p.n, p.pages - 1), p.last) << p.n;
    if (p.pages > 1) {
      EXPECT_EQ(BarsOnPage(p.n, 0), 12) << p.n;
    }
  }
}

TEST(BarViews, TwentyFiveChannelsGiveThreeTabsWithOneCellOnTheLast) {
  auto file = Recording(25);
  std::unique_ptr<CBarViewBase> view(NewBarView(file.get()));
  auto* bars = dynamic_cast<CBarView*>(view.get());
  ASSERT_TRUE(bars);
  view->resize(1200, 700);
  ASSERT_EQ(bars->Tabs()->count(), 3);
  EXPECT_EQ(bars->Tabs()->tabText(2), "Page 3");
  EXPECT_EQ(view->findChild<QTabBar*>("1122"), bars->Tabs());
  EXPECT_EQ(view->findChild<CBarChart*>("1121"), view->Chart());
  bars->Tabs()->setCurrentIndex(2);
  const auto& cells = view->Chart()->Cells();
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0].channel, 24);
  bars->Tabs()->setCurrentIndex(0);
  EXPECT_EQ(view->Chart()->Cells().size(), 12u);
  EXPECT_EQ(view->Chart()->Cells()[11].channel, 11);
}

TEST(BarViews, FewChannelsShareOnePageWithEmptyCellsLast) {
  for (auto [n, rows, cols, filled] : {std::tuple{1, 1, 1, 1}, {4, 1, 4, 4}, {5, 2, 3, 5}, {12, 2, 6, 12}}) {
    auto file = Recording(n);
    std::unique_ptr<CBarViewBase> view(NewBarView(file.get()));
    ASSERT_TRUE(dynamic_cast<CMinBarView*>(view.get())) << n;
    view->resize(1000, 600);
    CBarChart* chart = view->findChild<CBarChart*>("1123");
    ASSERT_EQ(chart, view->Chart());
    EXPECT_EQ(chart->rows, rows);
    EXPECT_EQ(chart->cols, cols);
    ASSERT_EQ(int(chart->Cells().size()), rows * cols);
    int shown = 0;
    for (const auto& c : chart->Cells()) shown += c.channel >= 0;
    EXPECT_EQ(shown, filled) << n;
    EXPECT_EQ(chart->Cells().back().channel, filled == rows * cols ? n - 1 : -1);
    // Cells lie inside the control and do not overlap their neighbours.
    for (size_t i = 0; i + 1 < chart->Cells().size(); ++i) {
      const auto& a = chart->Cells()[i].cell;
      const auto& b = chart->Cells()[i + 1].cell;
      EXPECT_LE(b.right, chart->Surface()->width());
      if (a.top == b.top) {
        EXPECT_LE(a.right, b.left);
      }
    }
    // The fonts (the square is as high as the title) leave room for the
    // eleven scale labels along the bar, however wide the cell.
    const auto& c0 = chart->Cells()[0];
    EXPECT_LE(10 * c0.signal.Height(), c0.bar.Height()) << n;
  }
}

// A rename in the record settings shows at the next paint.
TEST(BarViews, TitlesFollowARename) {
  auto file = Recording(2);
  std::unique_ptr<CBarViewBase> view(NewBarView(file.get()));
  view->resize(800, 500);
  CBarChart* chart = view->Chart();
  chart->grab();
  const auto& cell = chart->Cells()[0];
  const QRect title(cell.cell.left, cell.cell.top, cell.cell.Width() / 2, cell.frame.top - cell.cell.top);
  const QImage before = chart->Surface()->copy(title);
  SetGbkField(file->Head().channels[0].name, "Renamed channel");
  chart->grab();
  EXPECT_NE(chart->Surface()->copy(title), before);
}

TEST(BarViews, RefreshTimerRunsAtTheRecordingInterval) {
  auto file = Recording(3);
  std::unique_ptr<CBarViewBase> view(NewBarView(file.get()));
  EXPECT_NE(view->TimerId(), 0);
  EXPECT_EQ(view->TimerPeriod(), file->GetInterval() * 1000);
}

TEST(BarDrawing, BarFillsToItsPercentInTheChannelColourOrRedOnAlarm) {
  // Channel 0 at 10 %, channel 1 at 20 % ... of a 0.0 .. 100.0 range.
  auto file = Recording(3);
  struct Case {
    float limit3, limit4;
    bool red;
  } cases[] = {
      {50, 90, true},    // 10 below limit 3, limit 4 above limit 3: alarm
      {5, 90, false},    // inside the limits
      {50, 40, false},   // limit 4 not above limit 3: no alarm whatever the value
      {50, 50, false},
      {0, 5, true},      // above limit 4
  };
  for (const Case& c : cases) {
    _tagChnlDef& d = file->Head().channels[0];
    d.limit3 = {int16_t(c.limit3 * 10), 1};
    d.limit4 = {int16_t(c.limit4 * 10), 1};
    CBarChart chart;
    chart.resize(800, 500);
    chart.SetRecord(file.get());
    chart.Relayout();
    const auto& cell = chart.Cells()[0];
    Fill fill = BarFill(chart, cell);
    QRgb expected = c.red ? QRgb(0xFF0000) : (FromColorRef(ChannelColour(0)).rgb() & 0xFFFFFF);
    EXPECT_EQ(fill.colour, expected) << c.limit3 << " " << c.limit4;
    EXPECT_NEAR(fill.height, cell.bar.Height() * 0.1, 1.5);
    // Channel 2 (30 %) stands three times as high as channel 0.
    EXPECT_NEAR(BarFill(chart, chart.Cells()[2]).height, cell.bar.Height() * 0.3, 1.5);
  }
}

TEST(BarDrawing, ValuesFollowTheNewestRecordOfAGrowingStore) {
  UseLanguage();
  CXFile store;
  _tagDataHead& h = store.Head();
  h.descSize = 160;
  SetGbkField(h.model, "KVR6GV2");
  h.chnlCount = 2;
  h.valueWidth = 2;
  h.capacity = 100;
  h.interval = 1;
  for (int ch = 0; ch < 2; ++ch) {
    h.channels[ch].rangeLow = {0, 1};
    h.channels[ch].rangeHigh = {1000, 1};
    h.channels[ch].colour = ChannelColour(ch);
  }
  ASSERT_TRUE(store.CreateTemp());
  time_t t0 = DefaultStart();
  store.SetStartTime(t0);
  uint16_t low[2] = {13107, 13107};    // 20 %
  uint16_t high[2] = {52428, 52428};   // 80 %
  ASSERT_TRUE(store.AppendRecord(low, 0));
  store.SetEndTime(t0);
  std::unique_ptr<CBarViewBase> view(NewBarView(&store));
  view->resize(800, 500);
  CBarChart* chart = view->Chart();
  const auto& cell = chart->Cells()[1];
  EXPECT_NEAR(BarFill(*chart, cell).height, cell.bar.Height() * 0.2, 1.5);
  ASSERT_TRUE(store.AppendRecord(high, 1));
  store.SetEndTime(t0 + 1);
  // The interval timer redraws the values (one second here).
  QTest::qWait(view->TimerPeriod() + 300);
  EXPECT_NEAR(BarFill(*chart, cell).height, cell.bar.Height() * 0.8, 1.5);
  store.Close();
}

}  // namespace
