#pragma once
// The printed page of the record list: 40 rows under the header, columns as
// on screen scaled to the page, a footer with title, print time and page.
#include <QPainter>
#include <QSize>
#include <ctime>

namespace tables {

class CXGridCtrl;

// Draws page `page` (from 1) whose first row shows instant `top` onto a page
// of `size` device units.
void DrawListPage(QPainter& p, const CXGridCtrl& grid, QSize size, time_t top, int page, time_t printed);

}  // namespace tables
