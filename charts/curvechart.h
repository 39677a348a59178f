#pragma once
// The curve chart: the channels of one recording drawn as time curves, with a
// value axis, a time axis, a measuring cursor with its read-out, a selection
// band, marks and two reference lines. It owns no samples; everything is read
// through the recording it is given.
#include <QCursor>
#include <QImage>
#include <QStringList>
#include <QWidget>
#include <ctime>
#include <memory>
#include <vector>

#include "charts/bufferdc.h"
#include "charts/curveprint.h"

class CXFile;

namespace charts {

class CTimeScroller;

class CCurveChart : public QWidget {
  Q_OBJECT

 public:
  explicit CCurveChart(QWidget* parent = nullptr);
  ~CCurveChart() override;

  // Set-up, in the order a host calls them for a newly opened recording.
  void SetRecord(CXFile* file);
  void ApplyRecordSettings();
  void SetTimeRange(time_t start, time_t end);
  void SetShowDate(int on) { showDate = on; }
  void SetValueMode(int mode) { valueMode = mode; }
  void SetGridShown(int on) { gridShown = on; }
  void SetYRange(float low, float high);
  void SetXGrids(int n);
  void SetYGrids(int n);
  void SetCompanion(CTimeScroller* scroller) { companion = scroller; }
  void SetSidePanel(int on) { sidePanel = on; }
  void SetPrintParams(time_t start, time_t end, int pages);

  // Printing: the window, scale, channels and colours a printed page takes
  // over; the current window as one page; page `page` of the print range.
  CurvePrintState PrintState() const;
  void PrintWindow(QPainter& p, int left, int top, int right, int bottom, int page);
  void PrintPage(QPainter& p, int left, int top, int right, int bottom, int page);

  // Queries and commands of the hosts.
  time_t GetCursorTime() const;
  void GetWindow(time_t& start, time_t& end) const;
  void GetSelection(time_t& start, time_t& end) const;
  int IsSelecting() const { return selecting; }
  void SetSelecting(int on);
  void SetWindowStart(time_t t);
  void SetWindowEnd(time_t t);
  void ZoomToSelection(time_t start, time_t end);
  void SelectAll();
  void CenterOnTime(time_t t);
  // Puts the selected part of the plot on the clipboard as an image; false when
  // the selection does not lie within the window.
  bool CopySelectionToClipboard();

  // The overridable operations, in the order derived charts know them.
  virtual void Relayout();
  virtual void SetWindowOffset(float f) { windowOffset = f; }
  virtual void SetWindowFraction(float f) { windowFraction = f; }
  virtual void DrawReadout(int x, int y);
  virtual time_t TimeAtColumn(int col, int width) const;
  virtual void ComputeWindow();
  virtual void Present();
  virtual void DrawTimeAxis();
  virtual void DrawValueAxis();
  virtual void ComputeValueScale();
  virtual void RedrawAll();
  virtual void Layout();
  virtual void DrawSelection(int x, int y);
  virtual void DrawCursor();
  virtual void DrawPlot(int flag);
  virtual void DrawFrame();
  // New data (the recording grew, or a companion moved the window): recompute
  // the window and redraw the time axis, the curves and the cursor.
  virtual void OnNewData();

  // Columns the last drawing after new data moved the plot by (0: drawn anew).
  int LastScrolledColumns() const { return scrolled_.columns; }

  // Forgets the samples read for the last drawing (the recording changed in
  // a way its length does not show).
  void InvalidateSamples();

  // Time to plot column, clamped into the recording span and the plot.
  int ColumnOfTime(time_t t, int w) const;
  // Plot row of a drawn value (engineering value or percent by mode).
  int RowOfValue(double v) const;

  // The layers, for tests, printing and the benchmark.
  const QImage* BackImage() const;
  const QImage* PlotImage() const;
  CXFile* Record() const { return file; }

  // ---- state (declaration order of the control) ----
  time_t cursorTime = 0;
  int cursorX = 0, cursorY = 0;
  Rect readoutRect;
  CXFile* file = nullptr;
  int gridShown = 1;
  int chnlCount = 0;
  CTimeScroller* companion = nullptr;
  QCursor axisCursor;
  QPoint dragPoint;
  int panning = 0;
  int scaling = 0;
  float yHigh = 10.0f;
  float yLow = 0.0f;
  float refValue = 10.0f;
  int divPixels = 0;
  int yGrids = 10;
  int plotHeight = 0;
  int refOffset = 0;
  int valueMode = 0;
  float viewTop = 10.0f, viewBottom = 0.0f;
  time_t rangeStart;
  time_t rangeEnd;
  int interval = 1;
  int xPitch = 0;
  int xGrids = 10;
  int plotWidth = 0;
  int showDate = 0;
  time_t windowEnd = 0, windowStart = 0;
  float windowFraction = 1.0f;
  float windowOffset = 0.0f;
  int topMargin = 10;
  // Pixels Layout keeps free below the chart in the parent (the time scroller).
  int bottomReserve = 0;
  int axisWidth = 50;
  int timeAxisHeight = 24;
  Rect markerRect, axisRect, timeRect, clientRect, plotRect;
  // The plot has no layer of its own: it is drawn in the back buffer, and
  // what covers it there keeps the pixels it covered (saved_).
  std::unique_ptr<CBufferDC> frameLayer, markerLayer, backBuffer;
  int selStartX = 0, selEndX = 0;
  time_t selEnd = 0, selStart = 0;
  int selecting = 0;
  time_t printStart = 0;
  time_t printEnd = 0;
  int printPages = 0;
  float zoom = 0.2f;
  int sidePanel = 0;

 signals:
  // The right button was released over the plot: the host shows its menu.
  void RightButtonReleased();

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseDoubleClickEvent(QMouseEvent*) override;
  void keyPressEvent(QKeyEvent*) override;
  bool event(QEvent*) override;

  // Both moving operations end here: recompute, redraw and tell the companion.
  void AfterWindowMoved();
  void DrawTriangle(QPainter& p, int apexX);
  void RedrawAfterScaleChange();
  void CursorToColumn(int x, int y);
  // Steps 2-5 of the layout: rectangles, fresh layers, window and scale.
  void LayoutRects();

 protected:
  // The plot, then the selection band or the cursor over it, on screen.
  void DrawPlotAndOverlay();
  // The grid and the curves of the plot columns a <= x < b (the whole plot
  // for 0 .. plotWidth + 1), over what the columns hold.
  void DrawGridAndCurves(QImage& img, QPainter& p, int a, int b);
  // When the window only moved on in time by whole records at one record
  // per column (a following live chart), moves the drawn plot by as many
  // columns and draws only the columns that changed, with the time axis;
  // false (nothing done) when the plot must be drawn anew.
  bool ScrollPlot();
  // Present after ScrollPlot: the screen's plot is moved the same way and
  // only what changed is copied.
  void PresentScrolled();
  // What the last ScrollPlot moved and drew, for putting it on screen.
  struct Scrolled {
    int columns = 0;
    std::vector<std::pair<int, int>> bands;  // plot columns drawn anew
    std::vector<Rect> overlays;              // what covered the plot before
  };
  Scrolled scrolled_;

 private:
  bool presentPending_ = false;
  bool inLayout_ = false;
  bool inPaint_ = false;
  // The samples at the plot columns, kept between drawings of the same columns.
  struct SampleKey {
    const CXFile* file = nullptr;
    int channels = 0;
    int records = 0;
    time_t start = 0, end = 0;
    bool valid = false;
    bool operator==(const SampleKey&) const = default;
  };
  void LoadSamples(int channels);
  // What the plot layer shows, to tell whether it can be moved on.
  struct DrawnPlot {
    const CXFile* file = nullptr;
    int width = 0, height = 0, refOffset = 0, divPixels = 0;
    float viewTop = 0, viewBottom = 0;
    int valueMode = 0, gridShown = 0, xGrids = 0, interval = 0, channels = 0;
    bool atEnd = false, refShown = false;
    uint32_t clrBack = 0, clrGrid = 0;
    uint64_t channelFold = 0;
    time_t windowStart = 0, windowEnd = 0;
    bool valid = false;
    bool operator==(const DrawnPlot&) const = default;
  };
  DrawnPlot DrawnPlotNow() const;
  DrawnPlot drawn_;
  // What the cursor, the read-out and the band covered of the plot in the
  // back buffer since the plot was drawn, in the order they covered it.
  struct Saved {
    Rect rect;
    QImage pixels;
  };
  std::vector<Saved> saved_;
  void RestorePlot();
  // Keeps the pixels of the plot inside r before something is drawn over them.
  void SaveUnder(Rect r);
  // The plot's rectangle of the back buffer as an image drawn into in place.
  QImage PlotView();
  mutable QImage plotCopy_;
  std::vector<time_t> columnTimes_;  // TimeAtColumn of every plot column, per drawing
  std::vector<time_t> sampleTimes_;  // the column times the samples were read at
  std::vector<float> sampleValue_, samplePercent_;
  std::vector<uint8_t> sampleOk_;
  SampleKey sampleKey_;
  // The read-out box last drawn and what it showed.
  struct ReadoutKey {
    Rect box;
    QString font, title, time;
    std::vector<std::pair<int, QRgb>> rows;  // channel and colour
    QStringList texts;
    uint64_t alarms = 0;
    bool operator==(const ReadoutKey&) const = default;
  };
  ReadoutKey readoutKey_;
  QImage readoutImage_;
  std::vector<int> rows_;
  std::vector<QPoint> points_;
};

}  // namespace charts
