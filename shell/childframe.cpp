#include "shell/childframe.h"

#include <QCloseEvent>
#include <QToolBar>
#include <QVBoxLayout>

#include "platform/ui/command.h"

CChildFrame::CChildFrame(int resourceId, int toolbarIdArg, bool isLive, QWidget* parent)
    : QMdiSubWindow(parent), live(isLive ? 1 : 0), toolbarId(toolbarIdArg), resourceId_(resourceId) {
  setAttribute(Qt::WA_DeleteOnClose);
  setMinimumSize(300, 200);
  body_ = new QWidget(this);
  auto* layout = new QVBoxLayout(body_);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  if (toolbarId != -1) {
    toolbar = new QToolBar(body_);
    toolbar->setMovable(false);
    toolbar->setIconSize(QSize(24, 24));
    CommandRouter::Instance().FillToolbar(toolbar, toolbarId);
    layout->addWidget(toolbar);
  }
  setWidget(body_);
}

void CChildFrame::SetView(QWidget* view) {
  view_ = view;
  view->setParent(body_);
  static_cast<QVBoxLayout*>(body_->layout())->addWidget(view, 1);
  setFocusProxy(view);
}

CommandTarget* CChildFrame::Target() const { return dynamic_cast<CommandTarget*>(view_); }

bool CChildFrame::CanClose() { return live == 0 || !closeCheck || closeCheck(); }

void CChildFrame::closeEvent(QCloseEvent* event) {
  if (!CanClose()) {
    event->ignore();
    return;
  }
  QMdiSubWindow::closeEvent(event);
}
