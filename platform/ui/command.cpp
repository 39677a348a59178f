#include "platform/ui/command.h"

#include <QAction>
#include <QMenu>
#include <QToolBar>

CommandRouter& CommandRouter::Instance() {
  static CommandRouter* router = new CommandRouter();
  return *router;
}

void CommandRouter::SetFrameTarget(CommandTarget* frame) { frame_ = frame; }

void CommandRouter::SetActiveViewProvider(std::function<CommandTarget*()> provider) {
  activeView_ = std::move(provider);
}

const lang::MenuItem* CommandRouter::FindMenuItem(const lang::MenuItem& item, int id) const {
  if (item.kind == lang::MenuItem::Command && item.id == id) return &item;
  for (const lang::MenuItem& child : item.children) {
    if (const lang::MenuItem* found = FindMenuItem(child, id)) return found;
  }
  return nullptr;
}

QAction* CommandRouter::Action(int id) {
  auto it = actions_.find(id);
  if (it != actions_.end()) return it->second;
  QAction* a = new QAction(this);
  a->setData(id);
  // The text and shortcut of the first menu that holds the command.
  for (int menuId : lang::MenuIds()) {
    if (const lang::MenuItem* item = FindMenuItem(*lang::Menu(menuId), id)) {
      a->setText(item->text);
      if (!item->shortcut.isEmpty()) a->setShortcut(item->shortcut);
      break;
    }
  }
  a->setIcon(lang::Icon(id));
  QString tip = a->text();
  tip.remove('&');
  a->setToolTip(tip);
  a->setStatusTip(tip);
  connect(a, &QAction::triggered, this, [this, id] { Dispatch(id); });
  actions_[id] = a;
  return a;
}

void CommandRouter::SetText(int id, const QString& text) {
  QAction* a = Action(id);
  a->setText(text);
  a->setToolTip(text);
}

bool CommandRouter::Dispatch(int id) {
  // Handlers run only for commands enabled at this moment, as menus show them.
  if (!Query(id).enabled) return false;
  if (activeView_) {
    if (CommandTarget* view = activeView_()) {
      if (view->OnCommand(id)) return true;
    }
  }
  return frame_ && frame_->OnCommand(id);
}

CommandState CommandRouter::Query(int id) {
  CommandState st;
  if (activeView_) {
    if (CommandTarget* view = activeView_()) {
      if (view->OnUpdateCommand(id, st)) return st;
    }
  }
  st = CommandState();
  if (frame_ && frame_->OnUpdateCommand(id, st)) return st;
  st = CommandState();
  st.enabled = false;
  return st;
}

void CommandRouter::Update(QAction* a) {
  bool ok = false;
  int id = a->data().toInt(&ok);
  if (!ok || id <= 0) return;
  CommandState st = Query(id);
  a->setEnabled(st.enabled);
  a->setCheckable(st.checkable || st.checked);
  a->setChecked(st.checked);
}

void CommandRouter::UpdateMenu(QMenu* menu) {
  for (QAction* a : menu->actions()) {
    if (a->menu()) continue;
    if (!a->isSeparator()) Update(a);
  }
}

void CommandRouter::UpdateAll() {
  for (auto& [id, a] : actions_) Update(a);
}

void CommandRouter::FillMenu(QMenu* menu, const lang::MenuItem& item) {
  for (const lang::MenuItem& child : item.children) {
    switch (child.kind) {
      case lang::MenuItem::Separator:
        menu->addSeparator();
        break;
      case lang::MenuItem::Command:
        menu->addAction(Action(child.id));
        break;
      case lang::MenuItem::Popup: {
        QMenu* sub = menu->addMenu(child.text);
        FillMenu(sub, child);
        break;
      }
    }
  }
  connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenu(menu); });
}

QMenu* CommandRouter::BuildPopup(int menuId, int submenu, QWidget* parent) {
  const lang::MenuItem* menu = lang::Menu(menuId);
  if (!menu) return nullptr;
  int index = 0;
  for (const lang::MenuItem& child : menu->children) {
    if (child.kind != lang::MenuItem::Popup) continue;
    if (index++ == submenu) {
      QMenu* popup = new QMenu(parent);
      FillMenu(popup, child);
      UpdateMenu(popup);
      return popup;
    }
  }
  return nullptr;
}

QMenu* CommandRouter::ContextMenu(int menuId, int submenu, QWidget* parent, const QPoint& globalPos, bool run,
                                  const std::function<CommandState(int id)>& stateOf) {
  QMenu* menu = BuildPopup(menuId, submenu, parent);
  if (!menu) return nullptr;
  for (QAction* a : menu->actions()) {
    if (a->isSeparator() || a->menu()) continue;
    const CommandState state = stateOf(a->data().toInt());
    a->setEnabled(state.enabled);
    a->setCheckable(state.checkable);
    if (state.checkable) a->setChecked(state.checked);
  }
  if (!run) return menu;
  // The menu's actions are the program's commands: a choice is routed to
  // the active view.
  menu->exec(globalPos);
  menu->deleteLater();
  return nullptr;
}

void CommandRouter::FillToolbar(QToolBar* bar, int toolbarId) {
  for (int id : lang::Toolbar(toolbarId)) {
    if (id == 0) bar->addSeparator();
    else bar->addAction(Action(id));
  }
}

void CommandRouter::Reset() {
  for (auto& [id, a] : actions_) a->deleteLater();
  actions_.clear();
}
