#pragma once
// The circular chart of a recording's newest part (CDialChart: a dial of 8,
// 12 or 24 hours and a panel of the newest values, four channels a page) and
// the range view that shows it in tabs of four channels, redrawn once per
// recording interval.
#include <QImage>
#include <QWidget>
#include <ctime>
#include <functional>

#include "charts/circular.h"
#include "platform/ui/command.h"

class CXFile;
class QTabBar;
class QTimer;

namespace charts {

class CDialChart : public QWidget {
  Q_OBJECT
 public:
  explicit CDialChart(QWidget* parent = nullptr);
  void SetRecord(CXFile* file);
  void SetPageCount(int n) { pageCount = n; }
  void SetPage(int p) { page = p; }
  // Layout, then the panel, the dial and the picture on screen.
  void Relayout();
  // The redraw a host asks for once per recording interval.
  void Redraw();
  // The clock the dial's period follows (tests set it; 0 is the wall clock).
  void SetNow(time_t t) { now_ = t; }
  time_t Now() const;

  const DialLayout& Geometry() const { return layout_; }
  const QImage& Screen() const { return screen_; }

  CXFile* file = nullptr;
  int chnlCount = 0;
  int pageCount = 0;
  int page = 0;

 signals:
  void RightButtonReleased();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  void Layout();
  DialLayout layout_;
  QImage screen_, dial_;
  time_t now_ = 0;
  bool inLayout_ = false;
};

// The live range view (184): a tab per page of four channels over the dial.
class CRRangeView : public QWidget, public CommandTarget {
  Q_OBJECT
 public:
  explicit CRRangeView(QWidget* parent = nullptr);
  ~CRRangeView() override;
  void SetRecord(CXFile* file);
  // Told when the view goes, so the live view forgets it.
  void SetOnDestroyed(std::function<void()> f) { onDestroyed_ = std::move(f); }
  // Tabs for the channel count, the current one selected, the dial told the
  // pages; the redraw timer set to the recording interval.
  void RefreshTabs();

  CDialChart* Dial() const { return dial_; }
  QTabBar* Tabs() const { return tabs_; }
  QTimer* Timer() const { return timer_; }
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  CXFile* file = nullptr;
  int hasRecording = 0;
  int page = 0;
  int pages = 0;

 protected:
  void resizeEvent(QResizeEvent*) override;
  void showEvent(QShowEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  void OnTabChanged(int index);
  void ShowMenu();
  QTabBar* tabs_;
  CDialChart* dial_;
  QTimer* timer_;
  bool refreshing_ = false;
  std::function<void()> onDestroyed_;
};

}  // namespace charts
