#pragma once
// Circular charts. The channel report: one channel over a span as a 24-hour
// circular paper chart (one revolution a day, midnight at the top, time
// clockwise, the value growing outwards from the inner ring), on screen and on
// a printed page. The dial: the newest part of a recording, four channels at a
// time, once around per period of 8, 12 or 24 hours, with a panel of the
// newest values. Drawing only; the windows that show them live in charts too.
#include <QImage>
#include <QPointF>
#include <ctime>
#include <vector>

#include "charts/bufferdc.h"
#include "charts/pageprint.h"

class CXFile;
class QPainter;

namespace charts {

// A circle drawn as single pixels: trunc(2 pi r) of them at equal angles.
void DotCircle(QImage& img, double cx, double cy, double r, QRgb colour);

// The rings of the circular charts (the header's ring count, 10 when unset).
int RingCount(const CXFile& file);

// ---------------------------------------------------------------- channel report

// One sample of the report: its time, its angle (counter-clockwise from the
// positive x axis, in [0, 2 pi)) and its distance from the centre in ring
// steps (1 on the innermost ring, K + 1 on the outer circle).
struct ReportSample {
  time_t t;
  double angle;
  double rings;
};
// The samples of channel ch from start to end, limited to the recording,
// taken per day from its midnight at the record interval.
std::vector<ReportSample> ReportSamples(const CXFile& file, int ch, time_t start, time_t end);

// The screen picture into img (its whole size).
void DrawReportScreen(QImage& img, const CXFile& file, int ch, time_t start, time_t end);
// The printed page into (0, 0, width, height); now is the print time.
void DrawReportPage(QPainter& p, const CXFile& file, int ch, time_t start, time_t end, int width, int height,
                    time_t now);
// The report as a one-page document.
PageSource ReportPages(const CXFile* file, int ch, time_t start, time_t end);

// ---------------------------------------------------------------- dial

// Period of the dial in hours for the header's period code: 0 eight, 1
// twelve, any other 24.
int DialPeriodHours(int code);
// The start of the dial: the recording end's date at the first hour of the
// period that holds the current hour.
time_t DialStart(time_t end, time_t now, int hours);
// The channels of a page of four (the last page holds what is left).
std::vector<int> DialPageChannels(int chnlCount, int page);

struct DialLayout {
  Rect client, dial, panel;
  QPoint centre;
  int radius = 0;
};
// The layout of a control width x height whose corner lies at (offsetX, offsetY) of its parent.
DialLayout DialLayoutOf(int width, int height, int offsetX, int offsetY);

// The curve points of channel ch on the dial.
std::vector<QPoint> DialCurve(const CXFile& file, int ch, const DialLayout& layout, time_t now);
// The dial into an image of the dial's size.
void DrawDial(QImage& img, const CXFile& file, const DialLayout& layout, int page, time_t now);
// The value panel into the screen image at the layout's panel.
void DrawDialPanel(QImage& screen, const CXFile& file, const DialLayout& layout, int page);

}  // namespace charts
