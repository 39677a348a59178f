#pragma once
// The printed page of the record list: 40 rows under the header, columns as
// on screen scaled to the page, a footer with title, print time and page.
// Every channel prints, whatever the window scrolls to: the channel columns
// are narrowed to the page when they are a little too wide, else the
// channels go on over following pages, the number and time columns repeated.
#include <QPainter>
#include <QSize>
#include <ctime>
#include <vector>

namespace tables {

class CXGridCtrl;

// The channels of the list as they go onto paper: bands of channels
// (first, last), each band on its own pages, and the factor the channel
// columns are scaled by beyond the page scale.
struct ListBands {
  std::vector<std::pair<int, int>> bands;
  double scale = 1.0;
};
ListBands ListBandsOf(const CXGridCtrl& grid);

// Draws page `page` (from 1, the number in the footer) whose first row shows
// instant `top`, with the channels of band `band` of `bands`, onto a page of
// `size` device units.
void DrawListPage(QPainter& p, const CXGridCtrl& grid, QSize size, time_t top, int page, time_t printed,
                  const ListBands& bands, int band);

}  // namespace tables
