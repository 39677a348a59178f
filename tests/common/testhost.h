#pragma once
// A view host for tests of views (header only: include it only where the
// views library is linked). It keeps the status panes the views set, offers a
// channel menu, and answers the questions of printing and statistics when
// told how; untold, it asks as the program does.
#include <QMenu>
#include <functional>

#include "views/viewhost.h"

namespace testenv {

class TestHost : public views::ViewHost {
 public:
  void SetPaneText(int pane, const QString& text) override {
    if (pane >= 0 && pane < 5) panes[pane] = text;
  }
  QMenu* ChannelMenu() const override { return &channelMenu; }
  void Statistics(QWidget* parent, CXFile* file) override {
    if (statistics)
      statistics(file);
    else
      ViewHost::Statistics(parent, file);
  }
  bool AskPrintRange(QWidget* parent, CXFile* file, time_t* start, time_t* end, int* pages, int* mode) override {
    return printRange ? printRange(file, start, end, pages, mode)
                      : ViewHost::AskPrintRange(parent, file, start, end, pages, mode);
  }
  QString AskPdfPath(QWidget* parent, const QString& title) override {
    return pdfPath ? pdfPath() : ViewHost::AskPdfPath(parent, title);
  }

  QString panes[5];
  mutable QMenu channelMenu;
  std::function<void(CXFile*)> statistics;
  std::function<bool(CXFile*, time_t*, time_t*, int*, int*)> printRange;
  std::function<QString()> pdfPath;
};

}  // namespace testenv
