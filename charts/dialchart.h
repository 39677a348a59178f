#pragma once
// The circular chart of a recording's newest part (CDialChart: a dial of 8,
// 12 or 24 hours and a panel of the newest values, four channels a page).
// views/rrangeview.h shows it in tabs of four channels.
#include <QImage>
#include <QWidget>
#include <ctime>

#include "charts/circular.h"

class CXFile;

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

}  // namespace charts
