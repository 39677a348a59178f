#pragma once
// CXListView: a data file as a table of records, tied to the view that opened
// it (a history curve view or a live-recording view). The grid fills the view;
// the view carries the commands, the context menu and printing.
#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <ctime>

#include "charts/pageprint.h"
#include "platform/ui/command.h"
#include "tables/gridctrl.h"
#include "views/hcview.h"
#include "views/recordview.h"

class CXFile;
class QPrinter;
class QLineEdit;


namespace tables {

class CXListView : public QWidget, public CommandTarget {
  Q_OBJECT

 public:
  explicit CXListView(QWidget* parent = nullptr);
  ~CXListView() override;

  // The file shown (not owned) and the owner. Exactly one owner is set; a
  // live owner also sets follow and keep-top on the grid, and the list
  // follows its new records and a new recording in place of the old one.
  void SetHistoryOwner(charts::CHCView* owner, CXFile* file);
  void SetLiveOwner(views::RecordView* owner, CXFile* file);
  charts::CHCView* HistoryOwner() const { return history_; }
  views::RecordView* LiveOwner() const { return live_; }
  CXFile* File() const;
  // The owner's host (the program's own dialogs once the owner is gone).
  views::ViewHost& Host() const;
  CXGridCtrl* Grid() const { return grid_; }

  // The file changed (new live samples, new settings): attach again, redraw.
  void OnFileChanged();
  // The find dialog asks for a search with the owner's search state.
  void OnSearchRequest();

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;
  // The context menu (submenu 2 live, 3 history of menu 158); with run false
  // it is returned greyed as it would show (tests), else shown at the point.
  QMenu* ContextMenu(const QPoint& globalPos, bool run = true);
  // Tells the owning view that this list became the active window.
  void Activated();

  // 0: print or preview the current page; 1: preview all pages.
  int printMode = 0;
  // The pages the current print mode prints, and printing them to a printer
  // (returns the pages printed).
  charts::PageSource Pages() const;
  int PrintTo(QPrinter& printer);
  // The clipboard text of the selection, "" when there is none.
  std::string SelectionText() const;
  // The search runs off the window thread; a search that takes longer than
  // this shows a progress window with a Stop button.
  static inline int findProgressDelayMs = 300;

 signals:
  // Emitted when the view goes (owners drop their pointer to it).
  void closing();

 protected:
  void resizeEvent(QResizeEvent*) override;
  void changeEvent(QEvent*) override;

 private:
  void Copy();
  void FindNext();
  // Runs the search of the owner's state; true on a hit (then at query.time).
  bool Search();
  void Print(bool preview);
  bool HasHistory() const { return !history_.isNull(); }
  bool HasLive() const { return !live_.isNull(); }
  // The view the list belongs to, and the id under which it knows a command
  // the list passes on (device information, record settings).
  CommandTarget* Owner() const;
  int OwnerCommand(int id) const;

  CXGridCtrl* grid_;
  QPointer<views::RecordView> live_;
  CXFile* file_ = nullptr;
  QPointer<charts::CHCView> history_;
};

// Row-step dialog (180): one whole number, at least 1.
class CRowStepDlg : public QDialog {
  Q_OBJECT
 public:
  CRowStepDlg(int step, QWidget* parent = nullptr);
  int Step() const { return step_; }
  void accept() override;

 private:
  QLineEdit* edit_;
  int step_;
};

// Opens the record list of a history view, or brings its list back to the
// front (the view's list command).
void OpenListView(charts::CHCView* owner);
// The same for a live-recording view: opens the list of its file (following
// the newest records), or brings back `frame`, the window an earlier call
// returned. The live view keeps the window and closes it on its way out.
QWidget* OpenLiveListView(views::RecordView* owner, CXFile* file, QWidget* frame = nullptr);
// The list inside a window returned by the openers (null when it has none).
CXListView* ListIn(QWidget* frame);

}  // namespace tables
