#pragma once
// The bar views of a live recording: CMinBarView shows fewer than 13 channels
// on one page, CBarView pages of 12 channels behind tabs. Both refresh the
// values once per recording interval. The live view that opens one keeps a
// guarded pointer to its frame, so nothing is left pointing at a closed view.
#include <QWidget>

class CXFile;
class QTabBar;

namespace charts {

class CBarChart;

// The base of both views: the bar control, the recording and the refresh timer.
class CBarViewBase : public QWidget {
  Q_OBJECT

 public:
  // Passes the recording to the bar control and starts the refresh timer.
  void SetRecord(CXFile* f);
  CBarChart* Chart() const { return chart_; }
  // The id and period of the refresh timer (0 when not running).
  int TimerId() const { return timerId_; }
  int TimerPeriod() const { return timerPeriod_; }

  CXFile* file = nullptr;

 protected:
  CBarViewBase(QWidget* parent, int timerNumber);
  // Lays the view out for the recording (tabs, page count) before a full drawing.
  virtual void Rebuild() = 0;
  void RestartTimer();
  void timerEvent(QTimerEvent*) override;
  void resizeEvent(QResizeEvent*) override;

  CBarChart* chart_;

 private:
  int timerNumber_;
  int timerId_ = 0;
  int timerPeriod_ = 0;
};

// One page for recordings of fewer than 13 channels (timer 9).
class CMinBarView : public CBarViewBase {
  Q_OBJECT
 public:
  explicit CMinBarView(QWidget* parent = nullptr);

 protected:
  void Rebuild() override;
};

// Tabs of 12 channels for recordings of 13 channels or more (timer 8).
class CBarView : public CBarViewBase {
  Q_OBJECT
 public:
  explicit CBarView(QWidget* parent = nullptr);

  QTabBar* Tabs() const { return tabs_; }
  int pageCount = 0;
  int current = 0;

 protected:
  void Rebuild() override;
  void resizeEvent(QResizeEvent*) override;

 private:
  void OnTabChanged(int index);
  QTabBar* tabs_;
  QWidget* page_;  // the area under the tabs that holds the bar control
  bool rebuilding_ = false;
};

// The view a live recording opens for its bar command: CBarView from 13
// channels on, CMinBarView below.
CBarViewBase* NewBarView(CXFile* file, QWidget* parent = nullptr);

}  // namespace charts
