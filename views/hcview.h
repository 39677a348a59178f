#pragma once
// The history curve view: a stored data file examined as curves, with the
// time scroller above the chart and the channel panel at the right edge. The
// view owns its data file.
#include <QPointer>
#include <QWidget>
#include <ctime>
#include <QPointer>
#include <functional>
#include <vector>

#include "charts/curveprint.h"

#include "data/records.h"
#include "platform/ui/command.h"

class CXFile;
namespace acquire {
class CDevInfoWnd;
}

namespace charts {

class CCurveChart;
class CTimeScroller;
class CChnlPanel;

class CHCView : public QWidget, public CommandTarget {
  Q_OBJECT

 public:
  explicit CHCView(QWidget* parent = nullptr);
  ~CHCView() override;

  // Hands the view its file (the view owns it from now on) and couples the
  // chart, the scroller and the panel to it.
  void SetRecord(CXFile* f);

  CCurveChart* Chart() const { return chart_; }
  CTimeScroller* Scroller() const { return scroller_; }
  CChnlPanel* Panel() const { return panel_; }

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  // Windows opened from the view that live in layers above it (the record
  // list): the program installs their openers by command id at start-up.
  static void SetOpener(int commandId, std::function<void(CHCView*)> opener);

  // A search request of the find dialog.
  void OnSearchRequest();
  // The context menu at a screen position; returns the menu shown (tests
  // read its greying) when `run` is false instead of running it.
  QMenu* ContextMenu(const QPoint& globalPos, bool run = true);
  // The channel submenu and the status bar panes of the main window.
  void RefreshFrameTexts();

  // Printing. The print range dialog belongs to the table windows; the
  // program installs it here. Without a printer the pages go to a PDF file
  // whose name the installed asker gives (a file dialog by default).
  using PrintRangeAsk =
      std::function<bool(QWidget* parent, CXFile* file, time_t* start, time_t* end, int* pages, int* mode)>;
  static void SetPrintRangeAsk(PrintRangeAsk ask);
  using PdfPathAsk = std::function<QString(QWidget* parent)>;  // as charts::PdfPathAsk
  static void SetPdfPathAsk(PdfPathAsk ask);
  // The job the next print or preview runs: the range page by page in range
  // mode, else the chart's window on one page.
  CurvePrintJob PrintJob() const;
  void Print();
  void PrintPreview();
  // The range view of channel k: activated when open, else opened anew.
  void OpenChnlWindow(int k);
  // All 64 entries of the channel frame table and their check marks cleared
  // (a range view of this view was closed).
  void ForgetChnlFrames();

  // ---- state ----
  int groupIndex = 0;
  CXFile* file = nullptr;
  time_t printEnd = 0, printStart = 0;
  int printPages = 0;
  int rangeMode = 0;
  QPointer<acquire::CDevInfoWnd> infoWnd;  // device information window; owned
  int sidePanel = 0;
  QWidget* listFrame = nullptr;
  _tagFindQuery query;
  int searched = 0;
  QWidget* chnlFrames[64] = {};
  int chnlOpen[64] = {};

 protected:
  void resizeEvent(QResizeEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;

 private:
  // Writes the header after a change of display settings. On failure the
  // message is shown and the caller puts its change back.
  bool WriteHead();
  // Shown flags: a new set written at once, or the old one kept on failure.
  void ApplyShown(const uint8_t* flags, int newGroupIndex);
  bool HasSelection() const;
  void ToggleSidePanel();
  void EditRefLines();
  void EditRecordSettings();
  void ExportExcel();
  void FindNext();

  CCurveChart* chart_;
  // Every range frame opened here and still alive: they borrow the file and
  // are closed with this view.
  std::vector<QPointer<QWidget>> rangeFrames_;
  CTimeScroller* scroller_;
  CChnlPanel* panel_;
};

}  // namespace charts
