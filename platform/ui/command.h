#pragma once
// Command routing. Every command id has one QAction. A triggered id goes to the
// active view first, then to the frame; whether a command is enabled or checked
// is asked of the same targets, in the same order, before a menu shows and
// while the program is idle. A command that no target handles is greyed.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>

#include "platform/ui/lang.h"

class QAction;
class QPoint;
class QMenu;
class QToolBar;
class QWidget;

// What an update handler says of a command.
struct CommandState {
  bool enabled = true;
  bool checked = false;
  bool checkable = false;  // set by handlers that show a check mark
};

class CommandTarget {
 public:
  virtual ~CommandTarget() = default;
  // Runs the command; false when this target has no handler for it.
  virtual bool OnCommand(int id) = 0;
  // Fills the state; false when this target has no handler for it.
  virtual bool OnUpdateCommand(int id, CommandState& state) = 0;
};

class CommandRouter : public QObject {
  Q_OBJECT
 public:
  static CommandRouter& Instance();

  // The frame's own handlers, and who the active view is (may return null).
  void SetFrameTarget(CommandTarget* frame);
  void SetActiveViewProvider(std::function<CommandTarget*()> provider);

  // The action of a command, created on first use with the text of the
  // language package's menus (and its shortcut and icon).
  QAction* Action(int id);
  // Changes the text of a command made at run time (channel menu items).
  void SetText(int id, const QString& text);

  // Routes a command: active view, then frame. True when handled.
  bool Dispatch(int id);
  // The state of a command as the handlers see it now; a command with no
  // handler is disabled.
  CommandState Query(int id);
  void Update(QAction* action);
  void UpdateMenu(QMenu* menu);
  void UpdateAll();

  // Builds a menu from a package description; its actions are the commands'.
  void FillMenu(QMenu* menu, const lang::MenuItem& item);
  // A context menu: popup `submenu` of menu description `menuId`, owned by parent.
  QMenu* BuildPopup(int menuId, int submenu, QWidget* parent);
  // A view's context menu: that popup with every command item greyed and
  // checked as `stateOf` says, then shown at globalPos (null is returned), or,
  // with run false, returned unshown (tests read its greying).
  QMenu* ContextMenu(int menuId, int submenu, QWidget* parent, const QPoint& globalPos, bool run,
                     const std::function<CommandState(int id)>& stateOf);
  // Fills a toolbar from a package description.
  void FillToolbar(QToolBar* bar, int toolbarId);

  // Forgets every action (a new language package was registered).
  void Reset();

 private:
  CommandRouter() = default;
  const lang::MenuItem* FindMenuItem(const lang::MenuItem& item, int id) const;

  CommandTarget* frame_ = nullptr;
  std::function<CommandTarget*()> activeView_;
  std::map<int, QAction*> actions_;
};
