#pragma once
// The history curve view: a stored data file examined as curves, with the
// time scroller above the chart and the channel panel at the right edge. The
// view owns its data file.
#include <QPointer>
#include <QWidget>
#include <ctime>
#include <vector>

#include "charts/curveprint.h"
#include "data/records.h"
#include "views/curveview.h"

class CXFile;
namespace acquire {
class CDevInfoWnd;
}

namespace charts {

class CCurveChart;

class CHCView : public views::CurveView {
  Q_OBJECT

 public:
  explicit CHCView(views::ViewHost& host = views::ViewHost::Standalone(), QWidget* parent = nullptr);
  ~CHCView() override;

  // Hands the view its file (the view owns it from now on) and couples the
  // chart, the scroller and the panel to it.
  void SetRecord(CXFile* f);

  CCurveChart* Chart() const { return chart_; }
  CXFile* File() override { return file; }
  uint64_t DevWord(int) const override { return 0; }

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

  // A search request of the find dialog.
  void OnSearchRequest();
  QMenu* ContextMenu(const QPoint& globalPos, bool run = true) override;
  // The status bar panes and the channel submenu of the main window.
  void RefreshFrameTexts(bool menuToo = true) override;

  // Printing: the range and, without a printer, the PDF file are asked of
  // the host. The job the next print or preview runs: the range page by page in range
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
  CXFile* file = nullptr;
  time_t printEnd = 0, printStart = 0;
  int printPages = 0;
  int rangeMode = 0;
  QPointer<acquire::CDevInfoWnd> infoWnd;  // device information window; owned
  QWidget* listFrame = nullptr;
  _tagFindQuery query;
  int searched = 0;
  QWidget* chnlFrames[64] = {};
  int chnlOpen[64] = {};

 protected:
  bool Showing() const override { return file != nullptr; }

 private:
  void EditRefLines();
  void EditRecordSettings();
  void ExportExcel();
  void FindNext();

  CCurveChart* chart_;
  // Every range frame opened here and still alive: they borrow the file and
  // are closed with this view.
  std::vector<QPointer<QWidget>> rangeFrames_;
};

}  // namespace charts
