#pragma once
// Pages on paper or in a PDF file: a document is a number of pages and the
// routine that draws page n into the printable area. The curve pages and the
// circular channel report both print through here.
#include <QString>
#include <functional>
#include <string>

class CXFile;
class QPainter;
class QPagedPaintDevice;

namespace charts {

struct PageSource {
  int pages = 1;
  // Draws page `page` (from 1) into (0, 0, width, height), one unit a device pixel.
  std::function<void(QPainter& p, int page, int width, int height)> draw;
  // Told each page done; the job stops when it returns false.
  std::function<bool(int done, int total)> progress;
  // The data file the pages are drawn from (may be null): a PDF never takes
  // its place, and none is kept when it changed on disk while drawn.
  const CXFile* file = nullptr;
};

// Pages fromPage..toPage (0: all) one after another on the device. False with
// a message when the device cannot be painted on or the job was stopped.
bool PrintPages(QPagedPaintDevice& device, const PageSource& source, int fromPage, int toPage, QString* error);

// The pages as a PDF file at path (made beside it and renamed over it when
// complete, every write checked). pageSize is a name such as "A4", "A3", "Letter"; landscape
// unless portrait is set.
bool PrintPagesToPdf(const std::string& path, const PageSource& source, const QString& pageSize, bool portrait,
                     int dpi, const QString& title, QString* error);

// The page size of a name ("A4", "a3", "Letter", ...); false for an unknown one.
bool PageSizeByName(const QString& name, int* id);

}  // namespace charts
