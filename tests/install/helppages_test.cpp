// The help pages: the same pages in both languages, and no link that leads
// nowhere.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>
#include <string>

#include "common/testenv.h"

namespace {

namespace fs = std::filesystem;
const std::string kHelp = std::string(RECVIEW_SOURCE_DIR) + "/help/";

std::set<std::string> Pages(const std::string& language) {
  std::set<std::string> pages;
  for (const auto& e : fs::directory_iterator(kHelp + language))
    if (e.path().extension() == ".html") pages.insert(e.path().filename().string());
  return pages;
}

TEST(HelpPages, BothLanguagesHaveTheSamePages) {
  const std::set<std::string> chinese = Pages("chinese"), english = Pages("english");
  EXPECT_EQ(chinese, english);
  for (const char* page : {"index.html", "connect.html", "errors.html"})
    EXPECT_TRUE(english.count(page)) << page;
}

TEST(HelpPages, LinksLeadToPages) {
  const std::regex link(R"re(href="([^"#:]+)(#[^"]*)?")re");
  for (const char* language : {"chinese", "english"}) {
    for (const std::string& page : Pages(language)) {
      const std::string text = testenv::ReadFile(kHelp + language + "/" + page);
      for (std::sregex_iterator m(text.begin(), text.end(), link), end; m != end; ++m) {
        const std::string target = (*m)[1];
        EXPECT_TRUE(fs::exists(kHelp + language + "/" + target)) << language << "/" << page << " -> " << target;
      }
      // Every page names its language.
      EXPECT_NE(text.find(std::string("lang=\"") + (language[0] == 'c' ? "zh-CN" : "en") + "\""),
                std::string::npos)
          << language << "/" << page;
    }
  }
}

}  // namespace
