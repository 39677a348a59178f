#pragma once
// The language package: every text, menu, toolbar, icon and cursor of the
// program comes from the package registered at start-up
// (Language/chinese.rcc or Language/english.rcc in the program directory).
#include <QCursor>
#include <QIcon>
#include <QKeySequence>
#include <QString>
#include <vector>

namespace lang {

// One entry of a menu description: a command, a separator or a popup.
struct MenuItem {
  enum Kind { Command, Separator, Popup } kind = Command;
  int id = 0;                      // command id (Command)
  QString text;                    // with '&' mnemonic (Command, Popup)
  QKeySequence shortcut;           // Command
  std::vector<MenuItem> children;  // Popup
};

// The package file of a language: 0 chinese.rcc, 1 english.rcc.
QString PackagePath(int language);

// Registers the package of the language as the resource source; false when the
// package is missing or unreadable (the start then ends silently).
bool Register(int language);
// Registers a package file by path (tests, tools).
bool RegisterFile(const QString& rccPath, int language);
// The language of the registered package (0 or 1).
int Language();

// A string-table entry; an empty string when the package lacks it.
QString String(int id);
// The entry used as a printf format with the given arguments (%s takes UTF-8).
QString Format(int id, ...);
// All ids of the string table, ascending.
std::vector<int> StringIds();

// Menu descriptions: 129 the main menu, 158 the context menus (its popups are
// the submenus 0..n).
const MenuItem* Menu(int id);
// Toolbar descriptions: the command ids in order, 0 for a separator.
std::vector<int> Toolbar(int id);
std::vector<int> ToolbarIds();
std::vector<int> MenuIds();

// The icon of a command (empty when the package has none) and a cursor.
QIcon Icon(int commandId);
QCursor Cursor(int id);
std::vector<int> CursorIds();

// Parsers of the package's text files, shared by the loader and the tests.
std::vector<std::pair<int, QString>> ParseStrings(const QString& text, QString* error);
std::vector<std::pair<int, MenuItem>> ParseMenus(const QString& text, QString* error);
std::vector<std::pair<int, std::vector<int>>> ParseToolbars(const QString& text, QString* error);

}  // namespace lang
