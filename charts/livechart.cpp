#include "charts/livechart.h"

#include <QMouseEvent>
#include <ctime>

#include "charts/timescroller.h"

namespace charts {

namespace {
// Ticks of 500 ms after the last drag before the cursor returns.
constexpr int kIdleTicks = 7;
}  // namespace

CLiveChart::CLiveChart(QWidget* parent) : CCurveChart(parent) {
  // Before the first record the axis shows the minutes up to now.
  rangeStart = rangeEnd = std::time(nullptr);
  timer_.setInterval(500);
  connect(&timer_, &QTimer::timeout, this, &CLiveChart::OnFollowTick);
}

void CLiveChart::SetWindowFraction(float f) {
  CCurveChart::SetWindowFraction(f);
  following = windowFraction + windowOffset >= 0.9999f ? 1 : 0;
}

void CLiveChart::ComputeWindow() {
  const int64_t w = plotWidth;
  const int64_t i = interval > 0 ? interval : 1;
  if (following) {
    windowEnd = rangeEnd;
    windowStart = rangeEnd - static_cast<time_t>(w * i);
  } else {
    const int64_t span = int64_t(rangeEnd - rangeStart);
    windowStart = rangeStart + static_cast<time_t>(i * (int64_t(double(span) * windowOffset) / i));
    windowEnd = windowStart + static_cast<time_t>(w * i);
  }
}

void CLiveChart::Relayout() {
  CCurveChart::Relayout();
  UpdateScroller();
}

void CLiveChart::UpdateScroller() {
  if (!scroller) return;
  const int64_t i = interval > 0 ? interval : 1;
  const int64_t span = int64_t(rangeEnd - rangeStart);
  float fraction = 1.0f;
  if (span > 0) {
    const int64_t records = span / i;
    fraction = records > 0 ? float(plotWidth) / float(records) : 1.0f;
  }
  const float offset =
      windowStart > rangeStart && span > 0 ? float(double(windowStart - rangeStart) / double(span)) : 0.0f;
  scroller->SetOffset(offset);
  scroller->SetFraction(fraction);
}

void CLiveChart::OnRecordAppended() {
  // Like new data, but the samples read before stay valid: the recording
  // only grew, so only the new columns are read.
  // A window that moved on by whole records is scrolled: only the newest
  // columns (and the grid lines) are drawn.
  if (following && backBuffer) {
    ComputeWindow();
    DrawTimeAxis();
    if (ScrollPlot()) {
      if (selecting)
        DrawSelection(0, 0);
      else
        DrawCursor();
      PresentScrolled();
    } else {
      DrawPlotAndOverlay();
    }
  }
  UpdateScroller();
}

void CLiveChart::StartFollowTimer() {
  idle = 6;
  timer_.start();
}

void CLiveChart::StopFollowTimer() { timer_.stop(); }

void CLiveChart::OnFollowTick() {
  if (idle < kIdleTicks) {
    ++idle;
    return;
  }
  if (selecting || !file || !backBuffer) return;
  cursorTime = rangeEnd;
  cursorX = plotRect.left + ColumnOfTime(rangeEnd, plotWidth);
  DrawCursor();
  Present();
}

void CLiveChart::mouseMoveEvent(QMouseEvent* e) {
  if (e->buttons() == Qt::LeftButton) idle = 0;
  CCurveChart::mouseMoveEvent(e);
}

}  // namespace charts
