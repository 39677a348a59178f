#include "platform/appconfig.h"

#include <sys/stat.h>

#include "platform/profile.h"
#include "platform/programdir.h"

namespace platform {
namespace {
const char kConfig[] = "Config.ini";
}  // namespace

std::string GetProgramDir() { return ProgramDir(); }

int ReadLanguage() {
  int lang = GetPrivateProfileInt("LanguageSetting", "Language", 0, SettingsPath(kConfig));
  if (lang >= 2) return 0;
  return lang;
}

bool WriteLanguage(int language) {
  return WritePrivateProfileString("LanguageSetting", "Language", language == 0 ? "0" : "1",
                                   SettingsPath(kConfig));
}

std::string DataDir() { return SettingsDir() + "Data/"; }

std::string ReadLastDir() {
  std::string data = DataDir();
  ::mkdir(data.c_str(), 0755);
  std::string last = GetPrivateProfileString("FileSetting", "LastDir", data, SettingsPath(kConfig));
  return last;
}

bool WriteLastDir(const std::string& path) {
  return WritePrivateProfileString("FileSetting", "LastDir", path, SettingsPath(kConfig));
}

}  // namespace platform
