#pragma once
// Printed pages as a reader sees them: a PDF file's page count and its pages
// rendered to images by pdftoppm.
#include <QImage>
#include <QRect>
#include <QRectF>
#include <string>
#include <vector>

namespace charttest {

// The page count pdfinfo reports; -1 when the file is not a readable PDF.
int PdfPageCount(const std::string& path);
// Pages first..last (from 1) rendered at dpi.
std::vector<QImage> RenderPdf(const std::string& path, int dpi, int first = 1, int last = 1);
// Where the printable area of an A4 landscape page with 10 mm margins lies in
// an image rendered at dpi, and the scale from 600 dpi page pixels to it.
QRect PaintRectAt(int dpi);
// A pixel of the image near (x, y) within `reach` pixels whose colour is within
// `tolerance` of c in every component.
bool ColourNear(const QImage& img, int x, int y, QRgb c, int reach = 3, int tolerance = 60);
bool IsDark(QRgb c);

// The words of a PDF page as a reader's program finds them (pdftotext -bbox),
// with their boxes in points.
struct PdfWord {
  std::string text;
  QRectF box;
  int page;
};
std::vector<PdfWord> PdfWords(const std::string& path);
// The words of page `page` whose boxes overlap another word's box, as "a|b".
std::vector<std::string> OverlappingWords(const std::vector<PdfWord>& words, int page);

}  // namespace charttest
