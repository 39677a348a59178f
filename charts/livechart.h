#pragma once
// The curve chart of a live recording: while following, its window shows the
// newest records, one per pixel column, and moves on with every appended
// record; the time scroller is kept in step; the read-out cursor returns to
// the newest record a few seconds after the user stops dragging it.
#include <QTimer>

#include "charts/curvechart.h"

namespace charts {

class CTimeScroller;

class CLiveChart : public CCurveChart {
  Q_OBJECT
 public:
  explicit CLiveChart(QWidget* parent = nullptr);

  void SetScroller(CTimeScroller* s) { scroller = s; }
  // One record was appended (the range end moved on): when following, the
  // window is recomputed and drawn like new data; the scroller follows.
  void OnRecordAppended();
  // The chart's own timer, run while recording.
  void StartFollowTimer();
  void StopFollowTimer();
  bool FollowTimerActive() const { return timer_.isActive(); }
  // One tick of that timer (tests call it directly).
  void OnFollowTick();

  void SetWindowFraction(float f) override;
  void ComputeWindow() override;
  void Relayout() override;
  // Hands the window's place and size to the scroller.
  void UpdateScroller();

  // ---- state ----
  int following = 1;
  CTimeScroller* scroller = nullptr;
  int idle = 0;

 protected:
  void mouseMoveEvent(QMouseEvent* e) override;

 private:
  QTimer timer_;
};

}  // namespace charts
