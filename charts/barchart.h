#pragma once
// The bar chart: the newest record of a recording, every channel of the
// current page as a vertical bar filled to its percent of range, with its
// name and unit above, a scale of eleven ticks beside it and the value below.
// A bar is red while its value is outside the channel's alarm limits.
#include <QWidget>
#include <memory>
#include <vector>

#include "charts/bufferdc.h"

class CXFile;

namespace charts {

// Channels per page of a bar chart.
constexpr int kBarsPerPage = 12;

// Cell grid for n channels on a page: n <= 4 one row of n; 5-6 2 x 3; 7-8 2 x 4;
// 9-10 2 x 5; 11-12 2 x 6. rows = cols = 0 for n outside 1..12.
void BarGrid(int n, int& rows, int& cols);
// Pages for n channels, and the channels on page `page` of them.
int BarPageCount(int n);
int BarsOnPage(int n, int page);

class CBarChart : public QWidget {
  Q_OBJECT

 public:
  explicit CBarChart(QWidget* parent = nullptr);
  ~CBarChart() override;

  // Null is ignored.
  void SetRecord(CXFile* f);
  void SetPageCount(int n) { pageCount = n; }
  void SetPage(int p) { page = p; }
  // Sizes the chart to its parent (the same margin right and bottom as left
  // and top), rebuilds the surfaces and draws everything.
  void Relayout();
  // The values only, from the newest record, then shown.
  void RedrawValues();

  // Where things stand, for the views and tests.
  struct Cell {
    int channel = -1;  // -1: empty cell
    Rect cell, frame, bar, valueBox, signal;
  };
  // The cells of the current page (rows x cols).
  const std::vector<Cell>& Cells() const { return cells_; }
  const QImage* Surface() const { return buffers[0] ? &buffers[0]->Image() : nullptr; }

  // ---- state ----
  Rect clientRect;
  Rect drawRect;
  // [0] the shown surface, on which the values are drawn in place (a cell
  // whose value cannot be read keeps what it showed); [1] the full drawing
  // without values, copied into [0] by a full drawing.
  std::unique_ptr<CBufferDC> buffers[2];
  CXFile* file = nullptr;
  int16_t rows = 0, cols = 0;
  int16_t width = 0, height = 0;
  int32_t pageCount = 1;
  int32_t page = 0;

 protected:
  void paintEvent(QPaintEvent*) override;
  // The tool tip of the small square: what red and green mean.
  bool event(QEvent* e) override;

 private:
  void LayoutCells();
  void DrawAll();
  void DrawValues();
  void DrawValue(QPainter& p, const Cell& c);
  int titleHeight_ = 12;
  std::vector<Cell> cells_;
};

}  // namespace charts
