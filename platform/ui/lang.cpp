#include "platform/ui/lang.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QPixmap>
#include <QResource>
#include <QStringList>
#include <cstdarg>
#include <map>

#include "platform/programdir.h"

namespace lang {
namespace {

struct Package {
  QString path;
  int language = 0;
  std::map<int, QString> strings;
  std::map<int, MenuItem> menus;
  std::map<int, std::vector<int>> toolbars;
  struct CursorDef {
    QString file;
    int hotX = -1, hotY = -1;
  };
  std::map<int, CursorDef> cursors;
  QHash<int, QIcon> iconCache;
};

Package& Current() {
  static Package p;
  return p;
}

const char kRoot[] = "/lang";

QString ReadResource(const QString& name) {
  QFile f(QStringLiteral(":/lang/") + name);
  if (!f.open(QIODevice::ReadOnly)) return QString();
  return QString::fromUtf8(f.readAll());
}

QString Unescape(const QString& s) {
  QString out;
  out.reserve(s.size());
  for (int i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size()) {
      QChar c = s[++i];
      if (c == 'n') out += '\n';
      else if (c == 't') out += '\t';
      else out += c;
    } else {
      out += s[i];
    }
  }
  return out;
}

// Splits a line into its first word and the rest (after one run of blanks).
void SplitWord(const QString& line, QString* word, QString* rest) {
  int i = 0;
  while (i < line.size() && !line[i].isSpace()) ++i;
  *word = line.left(i);
  while (i < line.size() && (line[i] == ' ')) ++i;
  *rest = line.mid(i);
}

bool ParseId(const QString& s, int* id) {
  bool ok = false;
  *id = s.toInt(&ok);
  return ok && *id > 0;
}

}  // namespace

std::vector<std::pair<int, QString>> ParseStrings(const QString& text, QString* error) {
  std::vector<std::pair<int, QString>> out;
  const QStringList lines = text.split('\n');
  for (int n = 0; n < lines.size(); ++n) {
    QString line = lines[n];
    if (line.endsWith('\r')) line.chop(1);
    if (line.trimmed().isEmpty() || line.trimmed().startsWith('#')) continue;
    int tab = line.indexOf('\t');
    QString idText = tab < 0 ? line.trimmed() : line.left(tab).trimmed();
    int id = 0;
    if (!ParseId(idText, &id)) {
      if (error) *error = QStringLiteral("line %1: no string id").arg(n + 1);
      return {};
    }
    out.emplace_back(id, tab < 0 ? QString() : Unescape(line.mid(tab + 1)));
  }
  return out;
}

std::vector<std::pair<int, MenuItem>> ParseMenus(const QString& text, QString* error) {
  std::vector<std::pair<int, MenuItem>> out;
  std::vector<MenuItem*> stack;  // open popups, the menu itself at the bottom
  MenuItem root;
  int rootId = 0;
  const QStringList lines = text.split('\n');
  auto fail = [&](int n, const QString& what) {
    if (error) *error = QStringLiteral("line %1: %2").arg(n + 1).arg(what);
    return std::vector<std::pair<int, MenuItem>>{};
  };
  for (int n = 0; n < lines.size(); ++n) {
    QString line = lines[n];
    if (line.endsWith('\r')) line.chop(1);
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    QString word, rest;
    SplitWord(line, &word, &rest);
    if (word == "menu") {
      if (!stack.empty()) return fail(n, "menu inside a menu");
      if (!ParseId(rest.trimmed(), &rootId)) return fail(n, "bad menu id");
      root = MenuItem();
      root.kind = MenuItem::Popup;
      stack.push_back(&root);
    } else if (stack.empty()) {
      return fail(n, "'" + word + "' outside a menu");
    } else if (word == "popup") {
      MenuItem p;
      p.kind = MenuItem::Popup;
      p.text = rest;
      stack.back()->children.push_back(p);
      stack.push_back(&stack.back()->children.back());
    } else if (word == "item") {
      QString idText, label;
      SplitWord(rest, &idText, &label);
      MenuItem it;
      if (!ParseId(idText, &it.id)) return fail(n, "bad command id");
      int tab = label.indexOf('\t');
      it.text = tab < 0 ? label : label.left(tab);
      if (tab >= 0) it.shortcut = QKeySequence(label.mid(tab + 1).trimmed());
      stack.back()->children.push_back(it);
    } else if (word == "separator") {
      MenuItem s;
      s.kind = MenuItem::Separator;
      stack.back()->children.push_back(s);
    } else if (word == "end") {
      stack.pop_back();
      if (stack.empty()) out.emplace_back(rootId, root);
    } else {
      return fail(n, "unknown word '" + word + "'");
    }
  }
  if (!stack.empty()) return fail(lines.size() - 1, "missing 'end'");
  return out;
}

std::vector<std::pair<int, std::vector<int>>> ParseToolbars(const QString& text, QString* error) {
  std::vector<std::pair<int, std::vector<int>>> out;
  bool open = false;
  const QStringList lines = text.split('\n');
  for (int n = 0; n < lines.size(); ++n) {
    QString line = lines[n].trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    QString word, rest;
    SplitWord(line, &word, &rest);
    int id = 0;
    if (word == "toolbar" && !open && ParseId(rest.trimmed(), &id)) {
      out.emplace_back(id, std::vector<int>());
      open = true;
    } else if (word == "end" && open) {
      open = false;
    } else if (word == "separator" && open) {
      out.back().second.push_back(0);
    } else if (open && ParseId(word, &id)) {
      out.back().second.push_back(id);
    } else {
      if (error) *error = QStringLiteral("line %1: unexpected '%2'").arg(n + 1).arg(line);
      return {};
    }
  }
  if (open && error) *error = QStringLiteral("missing 'end'");
  return open ? std::vector<std::pair<int, std::vector<int>>>{} : out;
}

QString PackagePath(int language) {
  return QString::fromStdString(platform::ProgramDir()) +
         (language == 1 ? "Language/english.rcc" : "Language/chinese.rcc");
}

bool Register(int language) {
  if (language < 0) return false;
  return RegisterFile(PackagePath(language), language);
}

bool RegisterFile(const QString& rccPath, int language) {
  Package& p = Current();
  if (!QFileInfo(rccPath).isFile()) return false;
  if (!p.path.isEmpty()) QResource::unregisterResource(p.path, kRoot);
  p = Package();
  if (!QResource::registerResource(rccPath, kRoot)) return false;
  p.path = rccPath;
  p.language = language;
  QString err;
  for (auto& [id, text] : ParseStrings(ReadResource("strings.txt"), &err)) p.strings[id] = text;
  for (auto& [id, menu] : ParseMenus(ReadResource("menus.txt"), &err)) p.menus[id] = menu;
  for (auto& [id, bar] : ParseToolbars(ReadResource("toolbars.txt"), &err)) p.toolbars[id] = bar;
  const QStringList cursorLines = ReadResource("cursors.txt").split('\n');
  for (const QString& raw : cursorLines) {
    QStringList f = raw.trimmed().split(' ', Qt::SkipEmptyParts);
    if (f.size() < 2 || f[0].startsWith('#')) continue;
    Package::CursorDef def;
    def.file = f[1];
    if (f.size() >= 4) {
      def.hotX = f[2].toInt();
      def.hotY = f[3].toInt();
    }
    p.cursors[f[0].toInt()] = def;
  }
  return !p.strings.empty();
}

int Language() { return Current().language; }

QString String(int id) {
  const auto& s = Current().strings;
  auto it = s.find(id);
  return it == s.end() ? QString() : it->second;
}

QString Format(int id, ...) {
  QByteArray fmt = String(id).toUtf8();
  va_list ap;
  va_start(ap, id);
  QString out = QString::vasprintf(fmt.constData(), ap);
  va_end(ap);
  return out;
}

std::vector<int> StringIds() {
  std::vector<int> ids;
  for (const auto& [id, text] : Current().strings) ids.push_back(id);
  return ids;
}

const MenuItem* Menu(int id) {
  const auto& m = Current().menus;
  auto it = m.find(id);
  return it == m.end() ? nullptr : &it->second;
}

std::vector<int> Toolbar(int id) {
  const auto& t = Current().toolbars;
  auto it = t.find(id);
  return it == t.end() ? std::vector<int>() : it->second;
}

std::vector<int> ToolbarIds() {
  std::vector<int> ids;
  for (const auto& [id, bar] : Current().toolbars) ids.push_back(id);
  return ids;
}

std::vector<int> MenuIds() {
  std::vector<int> ids;
  for (const auto& [id, m] : Current().menus) ids.push_back(id);
  return ids;
}

QIcon Icon(int commandId) {
  Package& p = Current();
  auto it = p.iconCache.find(commandId);
  if (it != p.iconCache.end()) return *it;
  QString file = QStringLiteral(":/lang/icons/%1.png").arg(commandId);
  QIcon icon = QFile::exists(file) ? QIcon(file) : QIcon();
  p.iconCache.insert(commandId, icon);
  return icon;
}

QCursor Cursor(int id) {
  const auto& c = Current().cursors;
  auto it = c.find(id);
  if (it == c.end()) return QCursor();
  QPixmap pm(QStringLiteral(":/lang/") + it->second.file);
  if (pm.isNull()) return QCursor();
  return QCursor(pm, it->second.hotX, it->second.hotY);
}

std::vector<int> CursorIds() {
  std::vector<int> ids;
  for (const auto& [id, c] : Current().cursors) ids.push_back(id);
  return ids;
}

}  // namespace lang
