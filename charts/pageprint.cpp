#include "charts/pageprint.h"

#include <QIODevice>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <algorithm>
#include <utility>

#include "data/cxfile.h"
#include "platform/safefile.h"

namespace charts {

bool PrintPages(QPagedPaintDevice& device, const PageSource& source, int fromPage, int toPage, QString* error) {
  const int total = std::max(source.pages, 0);
  const int from = fromPage > 0 ? std::min(fromPage, total) : 1;
  const int to = toPage > 0 ? std::min(toPage, total) : total;
  QPainter p;
  if (!p.begin(&device)) {
    if (error) *error = "the printer or file cannot be written";
    return false;
  }
  const int width = device.width(), height = device.height();
  for (int page = from; page <= to; ++page) {
    if (page > from && !device.newPage()) {
      p.end();
      if (error) *error = "the printer or file cannot take another page";
      return false;
    }
    p.save();
    source.draw(p, page, width, height);
    p.restore();
    if (source.progress && !source.progress(page - from + 1, to - from + 1)) {
      p.end();
      if (error) *error = "stopped";
      return false;
    }
  }
  if (!p.end()) {
    if (error) *error = "the printer or file cannot be written";
    return false;
  }
  return true;
}

bool PageSizeByName(const QString& name, int* id) {
  static const std::pair<const char*, QPageSize::PageSizeId> sizes[] = {
      {"A3", QPageSize::A3},       {"A4", QPageSize::A4},       {"A5", QPageSize::A5},
      {"B4", QPageSize::B4},       {"B5", QPageSize::B5},       {"LETTER", QPageSize::Letter},
      {"LEGAL", QPageSize::Legal}, {"TABLOID", QPageSize::Tabloid}};
  for (const auto& [key, size] : sizes)
    if (name.trimmed().toUpper() == key) {
      *id = int(size);
      return true;
    }
  return false;
}

namespace {

// The PDF writer's output: every write goes to the new file and is checked.
class NewFileDevice : public QIODevice {
 public:
  explicit NewFileDevice(platform::NewFile& out) : out_(out) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }

 protected:
  qint64 readData(char*, qint64) override { return -1; }
  qint64 writeData(const char* data, qint64 n) override { return out_.Write(data, size_t(n)) ? n : -1; }

 private:
  platform::NewFile& out_;
};

}  // namespace

bool PrintPagesToPdf(const std::string& path, const PageSource& source, const QString& pageSize, bool portrait,
                     int dpi, const QString& title, QString* error) {
  int sizeId = 0;
  if (!PageSizeByName(pageSize, &sizeId)) {
    if (error) *error = "unknown page size " + pageSize;
    return false;
  }
  if (source.file && platform::SameFile(path, source.file->GetPath())) {
    if (error) *error = QString::fromStdString(path + " is the data file being printed; choose another name");
    return false;
  }
  platform::NewFile out;
  if (!out.Open(path, 0644)) {
    if (error) *error = QString::fromStdString(out.Error());
    return false;
  }
  {
    NewFileDevice device(out);
    QPdfWriter writer(&device);
    writer.setResolution(dpi);
    writer.setPageSize(QPageSize(QPageSize::PageSizeId(sizeId)));
    writer.setPageOrientation(portrait ? QPageLayout::Portrait : QPageLayout::Landscape);
    writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    writer.setTitle(title);
    writer.setCreator("recview");
    if (!PrintPages(writer, source, 0, 0, error)) return false;
  }
  if (source.file && source.file->ChangedOnDisk())
    out.Fail(source.file->GetPath() + " changed on disk while it was read (it became shorter)");
  if (!out.Commit()) {
    if (error) *error = QString::fromStdString(out.Error());
    return false;
  }
  return true;
}

}  // namespace charts
