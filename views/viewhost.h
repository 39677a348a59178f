#pragma once
// ViewHost: what a view asks of the window that holds it. The main window
// implements it and hands it to every view it makes; a view hands its host on
// to the windows it opens (range views, record lists, side windows).
//
// The defaults serve a view without a main window (tools, tests): no status
// panes and no channel menu, every child a window of its own, and the
// program's own dialogs for the questions.
#include <QString>
#include <ctime>

#include "charts/pageprint.h"

class CXFile;
class QMenu;
class QWidget;

namespace views {

class ViewHost {
 public:
  virtual ~ViewHost() = default;

  // A text of the status bar (panes 1 to 4: title, channels, time, interval).
  virtual void SetPaneText(int pane, const QString& text);
  // The channel submenu of the menu bar, or null.
  virtual QMenu* ChannelMenu() const;
  // Puts a view into a new child window (document resource `resource`,
  // titled `title`) and returns that window; shows it.
  virtual QWidget* AddChildWindow(QWidget* view, const QString& title, int resource);
  // The statistics of a file.
  virtual void Statistics(QWidget* parent, CXFile* file);
  // The print range of a file: the span, the pages and the mode (0 print, 1
  // preview); false when cancelled.
  virtual bool AskPrintRange(QWidget* parent, CXFile* file, time_t* start, time_t* end, int* pages,
                             int* mode);
  // The PDF file to print to when there is no printer; empty when cancelled.
  virtual QString AskPdfPath(QWidget* parent, const QString& title);

  // Prints pages through the print dialog or, without a printer, into the PDF
  // file AskPdfPath names.
  void Print(QWidget* parent, charts::PageSource source, const QString& title);

  // The host of views that have no main window.
  static ViewHost& Standalone();
};

}  // namespace views
