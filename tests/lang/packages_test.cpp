// Both language packages must serve the same program: the same string ids,
// the same menus and toolbars, and formats that take the arguments the
// program passes.
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <map>
#include <set>

#include "platform/ui/lang.h"

namespace {

QString Source(const QString& language, const QString& file) {
  QFile f(QStringLiteral(RECVIEW_SOURCE_DIR "/lang/") + language + "/" + file);
  EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << f.fileName().toStdString();
  return QString::fromUtf8(f.readAll());
}

std::map<int, QString> Strings(const QString& language) {
  QString err;
  auto list = lang::ParseStrings(Source(language, "strings.txt"), &err);
  EXPECT_TRUE(err.isEmpty()) << language.toStdString() << ": " << err.toStdString();
  std::map<int, QString> out;
  for (auto& [id, text] : list) {
    EXPECT_EQ(out.count(id), 0u) << "id " << id << " twice in " << language.toStdString();
    out[id] = text;
  }
  return out;
}

// The printf conversions of a format, e.g. "dd" for "%d-%d" ("%%" skipped).
std::string Conversions(const QString& text) {
  std::string out;
  static const QRegularExpression re("%[-+ #0]*[0-9]*(?:\\.[0-9]+)?(?:l|ll|h)?([a-zA-Z%])");
  auto it = re.globalMatch(text);
  while (it.hasNext()) {
    QString c = it.next().captured(1);
    if (c != "%") out += c.toStdString();
  }
  return out;
}

// A menu as text: its structure and command ids, without the words.
void Shape(const lang::MenuItem& item, std::string* out) {
  for (const auto& child : item.children) {
    if (child.kind == lang::MenuItem::Separator) *out += "-";
    else if (child.kind == lang::MenuItem::Command) *out += std::to_string(child.id) + ",";
    else {
      *out += "[";
      Shape(child, out);
      *out += "]";
    }
  }
}

std::map<int, std::string> Menus(const QString& language) {
  QString err;
  auto list = lang::ParseMenus(Source(language, "menus.txt"), &err);
  EXPECT_TRUE(err.isEmpty()) << err.toStdString();
  std::map<int, std::string> out;
  for (auto& [id, m] : list) Shape(m, &out[id]);
  return out;
}

}  // namespace

TEST(LanguagePackages, DefineTheSameStringIdsAndEveryIdTheProgramUses) {
  auto zh = Strings("chinese"), en = Strings("english");
  std::set<int> zhIds, enIds;
  for (auto& [id, t] : zh) zhIds.insert(id);
  for (auto& [id, t] : en) enIds.insert(id);
  EXPECT_EQ(zhIds, enIds);
  const int required[] = {128,   59143, 59144, 59145, 59146, 61217, 61218, 61219, 61221, 61222,
                          61226, 61227, 61228, 61236, 61246, 61248, 61249, 61250, 61251, 61253,
                          61255, 61256, 61259, 61260, 61261, 61262, 61263, 61264, 61265, 61266,
                          61267, 61268, 61269, 61270, 61271, 61273, 61274, 61275, 61276, 61277,
                          61278, 61279, 61280, 61281, 61282, 61283, 61284, 61285, 61286, 61287,
                          61288, 61289, 61290, 61291, 61293, 61294, 61295, 61296, 61297, 61298,
                          61299, 61300, 61301, 61302, 61303};
  for (int id : required) {
    EXPECT_FALSE(zh[id].isEmpty()) << "chinese lacks " << id;
    EXPECT_FALSE(en[id].isEmpty()) << "english lacks " << id;
  }
  // The two extensions decide which view opens a file: three upper-case letters.
  for (auto* s : {&zh, &en}) {
    EXPECT_EQ((*s)[61275], "KVD");
    EXPECT_EQ((*s)[61286], "KVC");
  }
}

TEST(LanguagePackages, FormatsTakeTheArgumentsTheProgramGives) {
  auto zh = Strings("chinese"), en = Strings("english");
  // Entries used as formats, with the conversions their callers pass.
  const std::map<int, std::string> formats = {
      {61246, "d"},    {61253, "ss"}, {61269, "d"},  {61283, "d"},  {61287, "ssss"},
      {61289, "d"},    {61294, "d"},  {61299, "dd"}, {61300, "d"},  {62001, "s"},
      {62111, "s"},    {62120, "ssf"},
      // File damage, port errors, help, download progress, byte limits.
      {63400, "ss"},   {63402, "s"},  {63420, "ss"}, {63421, "s"},  {63422, "s"},
      {63423, "s"},    {63424, "ss"}, {63434, "s"},  {63440, "dd"}, {63441, "fs"},
      {63444, "ssdssf"}, {63445, "dd"}, {63451, "ddd"}, {63470, "s"}, {63471, "s"}, {63601, "s"},
      {62608, "ss"},
      {62807, "dddddddddddd"}, {62813, "s"}, {62814, "dd"}, {62900, "d"},
      {62401, "sddss"}, {62402, "s"}, {62404, "s"},
      {62751, "dd"}, {62752, ""},
  };
  for (auto& [id, conv] : formats) {
    EXPECT_EQ(Conversions(zh[id]), conv) << "chinese " << id;
    EXPECT_EQ(Conversions(en[id]), conv) << "english " << id;
  }
  // No other entry may carry a conversion: it would read an argument nobody passes.
  for (auto* s : {&zh, &en}) {
    for (auto& [id, text] : *s) {
      if (formats.count(id)) continue;
      EXPECT_EQ(Conversions(text), "") << "entry " << id << " is not a format: " << text.toStdString();
    }
  }
}

TEST(LanguagePackages, MenusAndToolbarsMatch) {
  auto zh = Menus("chinese"), en = Menus("english");
  EXPECT_EQ(zh, en);
  ASSERT_TRUE(zh.count(129));
  ASSERT_TRUE(zh.count(158));
  QString err;
  auto tz = lang::ParseToolbars(Source("chinese", "toolbars.txt"), &err);
  auto te = lang::ParseToolbars(Source("english", "toolbars.txt"), &err);
  EXPECT_TRUE(err.isEmpty());
  EXPECT_EQ(tz, te);
  std::set<int> bars;
  for (auto& [id, b] : tz) bars.insert(id);
  EXPECT_EQ(bars, (std::set<int>{128, 132}));
}

TEST(LanguagePackages, CompiledPackagesLoadWithMenusIconsAndCursors) {
  for (int language : {0, 1}) {
    ASSERT_TRUE(lang::Register(language)) << lang::PackagePath(language).toStdString();
    EXPECT_EQ(lang::Language(), language);
    const lang::MenuItem* main = lang::Menu(129);
    ASSERT_NE(main, nullptr);
    // The channel submenu: item 5 of top-level menu 4.
    ASSERT_GT(main->children.size(), 4u);
    const lang::MenuItem& channels = main->children[4];
    ASSERT_GT(channels.children.size(), 5u);
    EXPECT_EQ(channels.children[5].kind, lang::MenuItem::Popup);
    // Context menus 0-4 for the views.
    int popups = 0;
    for (auto& c : lang::Menu(158)->children) popups += c.kind == lang::MenuItem::Popup;
    EXPECT_EQ(popups, 5);
    for (int id : lang::Toolbar(128)) {
      if (id) {
        EXPECT_FALSE(lang::Icon(id).isNull()) << "no icon for " << id;
      }
    }
    for (int id : {134, 136, 137, 165}) EXPECT_FALSE(lang::Cursor(id).pixmap().isNull()) << id;
  }
  EXPECT_EQ(lang::Format(61283, 3), lang::String(61283).replace("%d", "3"));
}

TEST(LanguagePackages, ParsersReportBrokenFiles) {
  QString err;
  EXPECT_TRUE(lang::ParseStrings("abc\tx\n", &err).empty());
  EXPECT_FALSE(err.isEmpty());
  err.clear();
  EXPECT_TRUE(lang::ParseMenus("menu 1\n popup X\n item 5 Y\n end\n", &err).empty());
  EXPECT_FALSE(err.isEmpty());
  err.clear();
  auto strings = lang::ParseStrings("# c\n5\ta\\tb\\nc\n6\n", &err);
  ASSERT_EQ(strings.size(), 2u);
  EXPECT_EQ(strings[0].second, "a\tb\nc");
  EXPECT_EQ(strings[1].second, "");
  EXPECT_FALSE(lang::Register(-1));
  EXPECT_FALSE(lang::RegisterFile("/nonexistent.rcc", 0));
}

namespace {

// The mnemonic letter of a menu text ("C&hannels" -> 'H'), or 0 without one.
QChar Mnemonic(const QString& text) {
  for (int i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return text[i + 1].toUpper();
  }
  return QChar();
}

// Every popup level: no two entries may share a mnemonic, or Alt+letter
// reaches only the first of them.
void CheckMnemonics(const lang::MenuItem& popup, const std::string& where) {
  std::map<QChar, QString> seen;
  for (const auto& child : popup.children) {
    if (child.kind == lang::MenuItem::Separator) continue;
    const QChar m = Mnemonic(child.text);
    if (!m.isNull()) {
      auto [it, fresh] = seen.emplace(m, child.text);
      EXPECT_TRUE(fresh) << where << ": \"" << child.text.toStdString() << "\" and \""
                         << it->second.toStdString() << "\" share the accelerator "
                         << QString(m).toStdString();
    }
    if (child.kind == lang::MenuItem::Popup)
      CheckMnemonics(child, where + " > " + child.text.toStdString());
  }
}

}  // namespace

TEST(LanguagePackages, EveryMenuLevelHasUniqueAccelerators) {
  for (const char* language : {"chinese", "english"}) {
    QString err;
    auto list = lang::ParseMenus(Source(language, "menus.txt"), &err);
    ASSERT_TRUE(err.isEmpty()) << err.toStdString();
    for (auto& [id, menu] : list)
      CheckMnemonics(menu, std::string(language) + " menu " + std::to_string(id));
  }
}
