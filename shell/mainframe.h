#pragma once
// The main window: toolbar on the left, status bar, the painted MDI area, the
// menus of the language package. It opens data files into child windows,
// receives dropped files and the hand-over of a second start, and handles the
// program-wide commands.
#include <QMainWindow>
#include <QString>

#include "platform/ui/command.h"
#include "views/viewhost.h"

class QLabel;
class QMdiArea;
class QMenu;
class CChildFrame;

class CMainFrame : public QMainWindow, public CommandTarget, public views::ViewHost {
  Q_OBJECT
 public:
  CMainFrame();
  ~CMainFrame() override;

  // The one main frame of the program (null before creation).
  static CMainFrame* Instance();

  // Builds the menus, toolbar, status bar and MDI area; false on failure.
  bool Create();

  // Opens a data file into the view its extension selects; false when nothing
  // was opened (unknown extension or a file that does not open). A file that
  // cannot be opened is reported in a message naming it and the reason, unless
  // quiet.
  bool OpenFile(const QString& path, bool quiet = false);
  // The hand-over of a second start: maximise, read "LastDir", open it.
  void HandOver(const QString& file = QString());
  // The help page F1 shows now: the page of the active window's kind
  // ("history", "live"), or "index".
  QString HelpPage() const;

  // Child windows.
  QMdiArea* MdiArea() const { return mdi_; }
  CChildFrame* AddChild(QWidget* view, const QString& title, int resourceId, int toolbarId = -1,
                        bool live = false);
  CChildFrame* ActiveChild() const;
  CChildFrame* LiveFrame() const { return liveFrame_; }
  // Opens the live-recording window, or brings the one there is forward.
  CChildFrame* OpenLiveView();
  // Opens the live-recording window and starts recording in it.
  void StartLiveRecording();
  // A live recording that was interrupted (the program was killed, the power
  // failed) is offered to be saved, deleted, or kept for later.
  void OfferRecovery();
  // Log-out or shut-down (SIGTERM, SIGHUP): the program ends without a
  // question; a live recording stops as Stop stops it and, unless it was
  // saved, stays on the disk to be offered at the next start.
  void EndBySignal();
  void SetLiveFrame(CChildFrame* frame) { liveFrame_ = frame; }

  // Status bar panes 0-4; panes 1-4 show the recording shown.
  void SetPaneText(int pane, const QString& text) override;
  QString PaneText(int pane) const;
  // The channel submenu: item 5 of the first of the top-level menus 4 and 5
  // that has a submenu there. Null when the menus have none.
  QMenu* ChannelMenu() const override;
  // A view's window into a child frame of the MDI area.
  QWidget* AddChildWindow(QWidget* view, const QString& title, int resource) override;

  // The language change asked the program to start again after it exits.
  bool RestartRequested() const { return restart_; }

  // CommandTarget
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

 signals:
  // Every call of OpenFile, with its outcome.
  void fileOpenRequested(const QString& path, bool opened);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // Panes 1-4 back to their empty labels, for the window that becomes active.
  void ResetPanes();
  // The menu of the menu bar that holds a command.
  QMenu* MenuOf(int commandId) const;
  // The open windows, numbered, below the commands of the Window menu.
  void ListWindows(QMenu* menu);
  void Cascade();
  void OnFileOpen();
  void OnAbout();
  void OnHelp();
  void OnRunBox();
  void OnLanguage(int language);

  QMdiArea* mdi_ = nullptr;
  QLabel* panes_[5] = {};
  CChildFrame* liveFrame_ = nullptr;
  bool restart_ = false;
};
