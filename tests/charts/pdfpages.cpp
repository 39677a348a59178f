#include "pdfpages.h"

#include <QPageLayout>
#include <QPageSize>
#include <cstdio>
#include <cstdlib>

#include "common/testenv.h"

namespace charttest {

namespace {
std::string Run(const std::string& cmd) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  ::pclose(p);
  return out;
}
}  // namespace

int PdfPageCount(const std::string& path) {
  const std::string out = Run("pdfinfo '" + path + "' 2>/dev/null");
  const size_t at = out.find("Pages:");
  if (at == std::string::npos) return -1;
  return std::atoi(out.c_str() + at + 6);
}

std::vector<QImage> RenderPdf(const std::string& path, int dpi, int first, int last) {
  const std::string dir = testenv::NewDir("png");
  Run("pdftoppm -r " + std::to_string(dpi) + " -f " + std::to_string(first) + " -l " + std::to_string(last) +
      " -png '" + path + "' '" + dir + "p' 2>&1");
  std::vector<QImage> pages;
  for (int i = first; i <= last; ++i) {
    // pdftoppm numbers with as many digits as the last page needs.
    QImage img;
    for (int digits = 1; digits <= 4 && img.isNull(); ++digits) {
      char name[32];
      std::snprintf(name, sizeof name, "p-%0*d.png", digits, i);
      img.load(QString::fromStdString(dir + name));
    }
    pages.push_back(img.convertToFormat(QImage::Format_RGB32));
  }
  return pages;
}

QRect PaintRectAt(int dpi) {
  QPageLayout layout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(10, 10, 10, 10),
                     QPageLayout::Millimeter);
  return layout.paintRectPixels(dpi);
}

bool IsDark(QRgb c) { return qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90; }

bool ColourNear(const QImage& img, int x, int y, QRgb c, int reach, int tolerance) {
  for (int dy = -reach; dy <= reach; ++dy)
    for (int dx = -reach; dx <= reach; ++dx) {
      const int px = x + dx, py = y + dy;
      if (px < 0 || py < 0 || px >= img.width() || py >= img.height()) continue;
      const QRgb p = img.pixel(px, py);
      if (std::abs(qRed(p) - qRed(c)) <= tolerance && std::abs(qGreen(p) - qGreen(c)) <= tolerance &&
          std::abs(qBlue(p) - qBlue(c)) <= tolerance)
        return true;
    }
  return false;
}

std::vector<PdfWord> PdfWords(const std::string& path) {
  std::vector<PdfWord> words;
  const std::string html = Run("pdftotext -bbox '" + path + "' - 2>/dev/null");
  int page = 0;
  size_t at = 0;
  while ((at = html.find('<', at)) != std::string::npos) {
    if (html.compare(at, 5, "<page") == 0) ++page;
    if (html.compare(at, 6, "<word ") == 0) {
      double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
      const size_t close = html.find('>', at);
      const std::string tag = html.substr(at, close - at);
      std::sscanf(tag.c_str(), "<word xMin=\"%lf\" yMin=\"%lf\" xMax=\"%lf\" yMax=\"%lf\"", &x0, &y0, &x1, &y1);
      const size_t end = html.find("</word>", close);
      words.push_back({html.substr(close + 1, end - close - 1), QRectF(QPointF(x0, y0), QPointF(x1, y1)), page});
      at = end;
    }
    ++at;
  }
  return words;
}

std::vector<std::string> OverlappingWords(const std::vector<PdfWord>& words, int page) {
  std::vector<std::string> out;
  for (size_t i = 0; i < words.size(); ++i)
    for (size_t j = i + 1; j < words.size(); ++j) {
      if (words[i].page != page || words[j].page != page) continue;
      // A sliver of shared edge is no overlap a reader sees.
      const QRectF both = words[i].box.intersected(words[j].box);
      if (both.width() > 0.5 && both.height() > 0.5) out.push_back(words[i].text + "|" + words[j].text);
    }
  return out;
}

}  // namespace charttest
