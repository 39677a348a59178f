#include "views/viewhost.h"

#include <QWidget>

#include "charts/printui.h"
#include "tables/printrangedlg.h"
#include "tables/statsdlg.h"

namespace views {

void ViewHost::SetPaneText(int, const QString&) {}

QMenu* ViewHost::ChannelMenu() const { return nullptr; }

QWidget* ViewHost::AddChildWindow(QWidget* view, const QString& title, int) {
  view->setAttribute(Qt::WA_DeleteOnClose);
  view->setWindowTitle(title);
  view->show();
  return view;
}

void ViewHost::Statistics(QWidget* parent, CXFile* file) { tables::RunStatistics(parent, file); }

bool ViewHost::AskPrintRange(QWidget* parent, CXFile* file, time_t* start, time_t* end, int* pages, int* mode) {
  return tables::RunPrintRangeDlg(parent, file, start, end, pages, mode);
}

QString ViewHost::AskPdfPath(QWidget* parent, const QString& title) { return charts::AskPdfPath(parent, title); }

void ViewHost::Print(QWidget* parent, charts::PageSource source, const QString& title) {
  charts::PrintPagesWithDialog(parent, std::move(source), title,
                               [this](QWidget* p, const QString& t) { return AskPdfPath(p, t); });
}

ViewHost& ViewHost::Standalone() {
  static ViewHost host;
  return host;
}

}  // namespace views
