// The live chart on a growing store: the following window, the scroller, the
// cursor's return, and redraws after appending that match a fresh drawing.
#include "charts/livechart.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <cmath>
#include <memory>

#include "charts/channelgroups.h"
#include "charts/timescroller.h"
#include "data/cxfile.h"
#include "platform/ui/commandids.h"

namespace {

constexpr int kChannels = 4;
constexpr time_t kStart = 1700000000;

// A live store; record r of channel ch is a slow wave.
void Fill(uint8_t* record, int r) {
  for (int ch = 0; ch < kChannels; ++ch) {
    const int q = int(32767 + 30000 * std::sin(r * 0.05 + ch));
    record[2 * ch] = uint8_t(q & 0xFF);
    record[2 * ch + 1] = uint8_t(q >> 8);
  }
}

std::unique_ptr<CXFile> Store(int records, int interval) {
  auto f = std::make_unique<CXFile>();
  _tagDataHead& h = f->Head();
  h.yLow = 0;
  h.yHigh = 100;
  h.capacity = 5000;
  SetGbkField(h.model, "KVP6GV1");
  h.interval = interval;
  h.chnlCount = kChannels;
  h.valueWidth = 2;
  h.yGrids = 10;
  h.xGrids = 8;
  h.gridShown = 1;
  for (int ch = 0; ch < kChannels; ++ch) {
    h.channels[ch].colour = 0x0000FFu << (ch * 4);
    h.channels[ch].rangeHigh = {1000, 1};
    h.channels[ch].shown = 1;
    h.channels[ch].penWidth = 1;
  }
  EXPECT_TRUE(f->CreateTemp());
  EXPECT_TRUE(f->PutHead());
  f->SetStartTime(kStart);
  uint8_t record[2 * kChannels];
  for (int r = 0; r < records; ++r) {
    Fill(record, r);
    f->AppendRecord(record, r);
  }
  f->SetEndTime(0);
  return f;
}

struct Live {
  std::unique_ptr<CXFile> file;
  charts::CLiveChart chart;
  charts::CTimeScroller scroller;
  Live(int records, int interval) : file(Store(records, interval)) {
    chart.resize(600, 300);
    scroller.resize(600, 18);
    scroller.SetChart(&chart);
    chart.SetRecord(file.get());
    chart.ApplyRecordSettings();
    chart.SetScroller(&scroller);
    chart.Relayout();
  }
  void Append(int n) {
    uint8_t record[2 * kChannels];
    for (int k = 0; k < n; ++k) {
      const int r = std::max(file->GetRecordCount(), 0);
      Fill(record, r);
      ASSERT_TRUE(file->AppendRecord(record, r));
      file->SetEndTime(0);
      chart.SetTimeRange(file->GetStartTime(), file->GetEndTime());
      chart.OnRecordAppended();
    }
  }
};

TEST(LiveChart, FollowingShowsTheNewestRecordOnePerColumn) {
  for (int interval : {1, 5}) {
    for (int records : {1, 300, 3000}) {
      Live live(records, interval);
      charts::CLiveChart& c = live.chart;
      const int w = c.plotWidth;
      ASSERT_GT(w, 100);
      EXPECT_EQ(c.following, 1);
      EXPECT_EQ(c.windowEnd, live.file->GetEndTime());
      EXPECT_EQ(c.windowStart, c.windowEnd - time_t(w) * interval);
      // The scroller: the window's share of the recording and its place.
      const float fraction = records - 1 <= 0 ? 1.0f : std::min(1.0f, float(w) / float(records - 1));
      EXPECT_NEAR(live.scroller.fraction, fraction, 1e-6) << records;
      const float offset = c.windowStart > kStart
                               ? float(double(c.windowStart - kStart) /
                                       double(live.file->GetEndTime() - kStart))
                               : 0.0f;
      EXPECT_NEAR(live.scroller.offset, offset, 1e-6) << records;
    }
  }
}

TEST(LiveChart, AWindowMovedBackStaysWhereItIs) {
  Live live(3000, 2);
  charts::CLiveChart& c = live.chart;
  c.SetWindowOffset(0.25f);
  c.SetWindowFraction(0.5f);
  EXPECT_EQ(c.following, 0);
  c.ComputeWindow();
  const time_t span = live.file->GetEndTime() - kStart;
  const time_t start = kStart + 2 * (time_t(double(span) * 0.25f) / 2);
  EXPECT_EQ(c.windowStart, start);
  EXPECT_EQ(c.windowEnd, start + time_t(c.plotWidth) * 2);
  live.Append(3);
  EXPECT_EQ(c.windowStart, start);
  // Back to the end: following again.
  c.SetWindowOffset(0.5f);
  c.SetWindowFraction(0.5f);
  EXPECT_EQ(c.following, 1);
}

// Appending reuses what was read and moves the drawn plot on by the new
// columns; the picture must be the one a fresh drawing of the same
// recording gives, with the cursor and its read-out over it or the band.
TEST(LiveChart, RedrawAfterAppendingMatchesAFreshDrawing) {
  for (int interval : {1, 5}) {
    for (int start : {0, 10, 2000}) {
      for (int step : {1, 3}) {
        Live live(start, interval);
        charts::CLiveChart& c = live.chart;
        // Over the newest records: the band, or the cursor and its read-out.
        const time_t end = live.file->GetEndTime();
        if (step == 3) {
          c.SetSelecting(1);
          c.selStart = std::max(end - 30 * interval, kStart);
          c.selEnd = std::max(end - 10 * interval, kStart);
        } else {
          c.cursorTime = std::max(end - 20 * interval, kStart);
        }
        int scrolled = 0;
        for (int k = 0; k < 12; ++k) {
          uint8_t record[2 * kChannels];
          for (int j = 0; j < step; ++j) {
            const int r = std::max(live.file->GetRecordCount(), 0);
            Fill(record, r);
            ASSERT_TRUE(live.file->AppendRecord(record, r));
          }
          live.file->SetEndTime(0);
          c.SetTimeRange(live.file->GetStartTime(), live.file->GetEndTime());
          c.OnRecordAppended();
          scrolled += c.LastScrolledColumns();
        }
        const QImage plot = c.PlotImage()->copy(), back = c.BackImage()->copy();
        c.InvalidateSamples();
        c.RedrawAll();
        const std::string what = "interval " + std::to_string(interval) + ", from " +
                                 std::to_string(start) + " records, " + std::to_string(step) +
                                 " at a time";
        EXPECT_TRUE(plot == *c.PlotImage()) << what;
        EXPECT_TRUE(back == *c.BackImage()) << what;
        // Once the window is full of records, the plot is moved on.
        if (start == 2000) {
          EXPECT_EQ(scrolled, 12 * step) << what;
        }
      }
    }
  }
}

TEST(LiveChart, TheCursorReturnsToTheNewestRecordAfterDragging) {
  Live live(500, 1);
  charts::CLiveChart& c = live.chart;
  c.StartFollowTimer();
  EXPECT_TRUE(c.FollowTimerActive());
  c.OnFollowTick();  // 6 -> 7
  c.OnFollowTick();  // returns
  EXPECT_EQ(c.cursorTime, live.file->GetEndTime());
  // A drag with the left button holds the cursor for seven ticks.
  const QPointF at(c.plotRect.left + 50, c.plotRect.top + 50);
  QMouseEvent press(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&c, &press);
  QMouseEvent move(QEvent::MouseMove, at, at, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&c, &move);
  EXPECT_EQ(c.idle, 0);
  const time_t dragged = c.cursorTime;
  EXPECT_LT(dragged, live.file->GetEndTime());
  for (int tick = 0; tick < 7; ++tick) {
    c.OnFollowTick();
    EXPECT_EQ(c.cursorTime, dragged) << tick;
  }
  c.OnFollowTick();
  EXPECT_EQ(c.cursorTime, live.file->GetEndTime());
  c.StopFollowTimer();
  EXPECT_FALSE(c.FollowTimerActive());
}

}  // namespace

namespace {

// The channel commands both curve views share, on a recording of 6 channels.
TEST(ChannelGroups, CommandsGiveTheirFlagsAndNextGroup) {
  struct Row {
    int id, group;
    const char* shown;  // channels 0-5 after the command
    int next;
  } rows[] = {
      {ID_NEXT_CHNL_GROUP, 0, "111100", 4}, {ID_NEXT_CHNL_GROUP, 4, "000011", 0},
      {ID_PREV_CHNL_GROUP, 0, "100000", 5}, {ID_PREV_CHNL_GROUP, 5, "001111", 1},
      {ID_SHOW_ALL_CHNL, 3, "111111", 0},   {ID_HIDE_ALL_CHNL, 3, "000000", 0},
      {ID_CHNL_TOGGLE + 1, 2, "100100", 2}, {ID_CHNL_TOGGLE + 3, 2, "110000", 2},
  };
  const uint8_t current[64] = {1, 1, 0, 1, 0, 0};
  for (const Row& r : rows) {
    uint8_t flags[64];
    int next = -1;
    ASSERT_TRUE(charts::ShownFlagsOfCommand(r.id, 6, current, r.group, flags, &next)) << r.id;
    std::string shown;
    for (int i = 0; i < 6; ++i) shown += flags[i] ? '1' : '0';
    EXPECT_EQ(shown, r.shown) << r.id << " from group " << r.group;
    EXPECT_EQ(next, r.next) << r.id << " from group " << r.group;
    for (int i = 6; i < 64; ++i) EXPECT_EQ(flags[i], 0) << r.id;
  }
  uint8_t flags[64];
  int next = 0;
  EXPECT_FALSE(charts::ShownFlagsOfCommand(ID_CHNL_TOGGLE + 6, 6, current, 0, flags, &next));
  EXPECT_FALSE(charts::ShownFlagsOfCommand(ID_SHOW_ALL_CHNL, 0, current, 0, flags, &next));
  EXPECT_FALSE(charts::ShownFlagsOfCommand(ID_FILE_SAVE, 6, current, 0, flags, &next));
}

}  // namespace
