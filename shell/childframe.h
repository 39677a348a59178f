#pragma once
// Every MDI child window: one view, an optional toolbar above it, created
// maximised. The live-recording frame fills in the close check.
#include <QMdiSubWindow>
#include <functional>

class QToolBar;
class CommandTarget;

class CChildFrame : public QMdiSubWindow {
  Q_OBJECT
 public:
  // resourceId: the frame resource of the language package (133, 135, 154, 155);
  // toolbarId: a toolbar description, or -1 for none.
  CChildFrame(int resourceId, int toolbarId = -1, bool live = false, QWidget* parent = nullptr);

  void SetView(QWidget* view);
  QWidget* View() const { return view_; }
  CommandTarget* Target() const;

  int ResourceId() const { return resourceId_; }
  int live;          // 1 only for the live-recording frame
  int toolbarId;     // -1: no toolbar
  QToolBar* toolbar = nullptr;

  // Asked before the frame closes; false keeps it open. Empty: always closes.
  std::function<bool()> closeCheck;
  // True when the frame may close now (runs the close check).
  bool CanClose();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  int resourceId_;
  QWidget* body_ = nullptr;
  QWidget* view_ = nullptr;
};
