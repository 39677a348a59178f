// Where the settings live: RECVIEW_HOME first, the program directory while it
// can be written (the build, a portable copy), else the user's data
// directory (an installed program under /opt or /usr).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "common/testenv.h"
#include "platform/programdir.h"

namespace {

bool IsDir(const std::string& p) {
  struct stat st;
  return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(SettingsDir, Choice) {
  const std::string root = testenv::NewDir("choice");
  const std::string writable = testenv::NewDir("prog");
  const std::string missing = root + "no/such/program/";  // cannot be written
  const std::string xdg = root + "xdg";
  const std::string home = root + "home";
  struct Case {
    const char* recviewHome;
    std::string programDir;
    const char* xdgDataHome;
    const char* home;
    std::string want;
  };
  const Case cases[] = {
      {"/tmp/rh", writable, xdg.c_str(), home.c_str(), "/tmp/rh/"},
      {"/tmp/rh/", missing, nullptr, nullptr, "/tmp/rh/"},
      {"", writable, xdg.c_str(), home.c_str(), writable},
      {nullptr, writable, nullptr, nullptr, writable},
      {nullptr, missing, xdg.c_str(), home.c_str(), xdg + "/recview/"},
      {nullptr, missing, nullptr, home.c_str(), home + "/.local/share/recview/"},
      // A relative XDG_DATA_HOME is to be ignored.
      {nullptr, missing, "rel", home.c_str(), home + "/.local/share/recview/"},
      // A package's program directory, even when root could write there.
      {nullptr, "/usr/lib/", nullptr, home.c_str(), home + "/.local/share/recview/"},
      // Nowhere else to go: the program directory, as before.
      {nullptr, missing, nullptr, nullptr, missing},
      {nullptr, missing, nullptr, "", missing},
  };
  for (const Case& c : cases) {
    const std::string got = platform::ChooseSettingsDir(c.recviewHome, c.programDir, c.xdgDataHome, c.home);
    EXPECT_EQ(got, c.want) << (c.recviewHome ? c.recviewHome : "-") << " " << c.programDir;
    if (got != c.programDir && !(c.recviewHome && *c.recviewHome)) {
      EXPECT_TRUE(IsDir(got)) << got;
    }
  }
}

TEST(SettingsDir, UnmakeableUserDirectoryFallsBack) {
  // HOME below a regular file: the user directory cannot be made.
  const std::string file = testenv::NewDir("f") + "plain";
  ASSERT_TRUE(testenv::WriteFile(file, "x"));
  const std::string missing = testenv::Home() + "absent/";
  EXPECT_EQ(platform::ChooseSettingsDir(nullptr, missing, nullptr, file.c_str()), missing);
}

TEST(SettingsDir, ReadOnlyProgramDirectory) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes everywhere";
  const std::string prog = testenv::NewDir("ro");
  const std::string home = testenv::NewDir("h");
  ASSERT_EQ(::chmod(prog.c_str(), 0555), 0);
  EXPECT_EQ(platform::ChooseSettingsDir(nullptr, prog, nullptr, home.c_str()),
            home + ".local/share/recview/");
  ::chmod(prog.c_str(), 0755);
}

}  // namespace
