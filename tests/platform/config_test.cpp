#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/testenv.h"
#include "platform/appconfig.h"
#include "platform/profile.h"
#include "platform/programdir.h"

using namespace platform;

namespace {
bool IsDir(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
std::string Config() { return SettingsPath("Config.ini"); }
}  // namespace

TEST(AppConfig, SettingsLiveInRecviewHome) {
  EXPECT_EQ(SettingsDir(), testenv::Home());
  EXPECT_EQ(GetProgramDir().back(), '/');
}

TEST(AppConfig, LanguageRules) {
  ::unlink(Config().c_str());
  EXPECT_EQ(ReadLanguage(), 0);
  WritePrivateProfileString("LanguageSetting", "Language", "1", Config());
  EXPECT_EQ(ReadLanguage(), 1);
  WritePrivateProfileString("LanguageSetting", "Language", "7", Config());
  EXPECT_EQ(ReadLanguage(), 0);
  WritePrivateProfileString("LanguageSetting", "Language", "-1", Config());
  EXPECT_LT(ReadLanguage(), 0);
  ASSERT_TRUE(WriteLanguage(1));
  EXPECT_EQ(GetPrivateProfileString("LanguageSetting", "Language", "", Config()), "1");
}

TEST(AppConfig, ReadLastDirCreatesDataEveryCall) {
  std::string data = DataDir();
  ::rmdir(data.c_str());
  ::unlink(Config().c_str());
  EXPECT_EQ(ReadLastDir(), data);
  EXPECT_TRUE(IsDir(data));
  ASSERT_TRUE(WriteLastDir("/some/where/file.KVD"));
  ::rmdir(data.c_str());
  EXPECT_EQ(ReadLastDir(), "/some/where/file.KVD");
  EXPECT_TRUE(IsDir(data));
}
