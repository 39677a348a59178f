#pragma once
// Printed curves: one page of a recording drawn on a printer, a PDF writer or
// any other paint device, in the window, value scale, channel selection and
// colours of a curve chart. The chart on screen and rectool print through the
// same routines; nothing here needs widgets.
#include <QString>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "charts/pageprint.h"

class CXFile;
class QPainter;
class QPagedPaintDevice;
class QPoint;

namespace charts {

// Records on one page of a print range.
constexpr int kRecordsPerPage = 2000;

// The time window of a chart and the time at each of its columns.
struct CurveWindow {
  time_t windowStart = 0, windowEnd = 0;
  time_t rangeEnd = 0;
  int interval = 1;
  // The window reaches the end of the recording: the last column shows the end.
  bool atEnd = false;

  // The recording time shown at column col of a plot `width` columns wide, on
  // the sampling grid counted from the window start.
  time_t TimeAtColumn(int col, int width) const;
};

// What a printed page takes over from the chart.
struct CurvePrintState {
  CXFile* file = nullptr;
  CurveWindow window;
  int valueMode = 0;  // 0 percent, 1 engineering values
  int gridShown = 1;
  int showDate = 0;
  int xGrids = 10;
  int yGrids = 10;
  float yHigh = 10.0f, yLow = 0.0f;
  // The screen's value scale: the value of the reference row, that row's
  // offset from the plot top, the pixels of one division, the plot height,
  // and the values at the plot's top and bottom edge.
  float refValue = 10.0f;
  int refOffset = 0;
  int divPixels = 1;
  int screenHeight = 1;
  float viewTop = 10.0f, viewBottom = 0.0f;
};

// The state a chart takes for a newly opened recording (the header's display
// settings, the whole recording in the window): what rectool prints.
CurvePrintState DefaultPrintState(CXFile* file);

// Page metrics of a printable area `width` pixels wide.
struct PageMetrics {
  int unit, bottomBand, leftBand, legendCols;
};
PageMetrics MetricsOf(int width, int shownChannels);

// The points of one channel's curve on a plot whose top-left corner is at
// (plotLeft, top), `width` by `height` pixels: one point per record (a column
// that repeats the previous column's time is left out, except the last),
// none for columns without a sample.
std::vector<QPoint> PrintedCurve(const CurvePrintState& s, int ch, int plotLeft, int top, int width,
                                 int height);

// Draws the chart's window as one page into (left, top, right, bottom) of the
// painter's device; `page` is the number in the footer and `now` the print
// time in the header.
void PrintCurveWindow(QPainter& p, const CurvePrintState& s, int left, int top, int right, int bottom,
                      int page, time_t now);
// Draws page `page` (from 1) of the print range that begins at printStart:
// the window is [printStart + (page - 1) x interval x 2000, + interval x 2000],
// ending at the latest at the recording's end.
void PrintCurvePage(QPainter& p, CurvePrintState s, time_t printStart, int left, int top, int right,
                    int bottom, int page, time_t now);

// The print range of a file: both ends moved onto the sampling grid counted
// back from the last record, and the pages of 2000 records it needs. False
// when start is not before end or the span leaves the recording.
struct PrintRange {
  time_t start = 0, end = 0;
  int pages = -1;
};
bool SnapPrintRange(const CXFile& file, time_t start, time_t end, PrintRange* out);
// The first grid instant not earlier than t, the grid counted back from last.
time_t SnapToGrid(time_t t, time_t last, int interval);
int RangePageCount(time_t start, time_t end, int interval);

// A whole print job: the window as page 1, or pages of a range. Pages
// fromPage..toPage (0: all) go to the device one after another; `progress`
// is told each page done and stops the job when it returns false.
struct CurvePrintJob {
  CurvePrintState state;
  bool range = false;
  time_t printStart = 0;
  int pages = 1;
  int fromPage = 0, toPage = 0;
  std::function<bool(int done, int total)> progress;
};
// False with a message when the device cannot be painted on or the job was
// stopped.
bool PrintCurves(QPagedPaintDevice& device, const CurvePrintJob& job, QString* error);

// Writes the job as a PDF file at path (made beside it and renamed over it
// when complete). pageSize is a name such as "A4", "A3", "Letter"; the page
// is landscape unless portrait is set.
bool PrintCurvesToPdf(const std::string& path, const CurvePrintJob& job, const QString& pageSize,
                      bool portrait, int dpi, QString* error);
// The job's pages for the page printer.
PageSource CurvePages(const CurvePrintJob& job);

}  // namespace charts
