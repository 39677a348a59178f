#pragma once
// The live range view: the dial of a recording's newest part (charts::CDialChart)
// in tabs of four channels, redrawn once per recording interval.
#include <QWidget>
#include <functional>

#include "platform/ui/command.h"

class CXFile;
class QTabBar;
class QTimer;

namespace charts {

class CDialChart;

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
