// scripts/run-recview: the demo recorder stands in when no port is set up.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "common/testenv.h"
#include "platform/profile.h"

namespace {

const std::string kScript = std::string(RECVIEW_SOURCE_DIR) + "/scripts/run-recview";

int RunShell(const std::string& command) {
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A program directory with the real recsim and, as recview, a script that
// notes the port it was given and whether that port is a device.
std::string ProgramDir(bool withRecview, const std::string& more = "") {
  const std::string dir = testenv::NewDir("bin");
  EXPECT_EQ(symlink((std::string(RECVIEW_BIN_DIR) + "/recsim").c_str(), (dir + "recsim").c_str()),
            0);
  if (withRecview) {
    EXPECT_TRUE(testenv::WriteFile(
        dir + "recview",
        "#!/bin/sh\n"
        "port=$(grep -i '^ComPort=' \"$RECVIEW_HOME/XCom.ini\" | cut -d= -f2)\n"
        "if [ -c \"$port\" ]; then echo \"device $port $*\"; else echo \"none $port\"; fi"
        " > \"$RECVIEW_HOME/seen\"\n" +
            more + "exit 3\n"));
    chmod((dir + "recview").c_str(), 0755);
  }
  return dir;
}

// The demo runs in a settings directory of its own: the user's port (an
// unplugged adapter) stays as configured.
TEST(RunRecview, StartsTheDemoRecorderWhenNoPortExistsAndStopsItAfterwards) {
  const std::string bin = ProgramDir(true);
  const std::string home = testenv::NewDir("home");
  const std::string demo = testenv::NewDir("demo");
  const std::string xcom = "[ComSet]\r\nComPort=ttyRECVIEW-gone\r\nAddress=8\r\nBaudrate=9600\r\n";
  ASSERT_TRUE(testenv::WriteFile(home + "XCom.ini", xcom));
  ASSERT_TRUE(testenv::WriteFile(home + "Config.ini", "[LanguageSetting]\nLanguage=1\n"));
  const int status = RunShell("RECVIEW_HOME=" + home + " RECVIEW_DEMO_HOME=" + demo + " bash " +
                              kScript + " " + bin + " file.rec 2>/dev/null");
  EXPECT_EQ(status, 3);  // recview's own exit status
  const std::string link = demo + "recsim.tty";
  EXPECT_EQ(testenv::ReadFile(demo + "seen"), "device " + link + " file.rec\n");
  EXPECT_EQ(testenv::ReadFile(home + "XCom.ini"), xcom);
  EXPECT_EQ(platform::GetPrivateProfileString("ComSet", "ComPort", "", demo + "XCom.ini"), link);
  EXPECT_EQ(platform::GetPrivateProfileInt("ComSet", "Baudrate", 0, demo + "XCom.ini"), 9600);
  EXPECT_EQ(platform::GetPrivateProfileInt("LanguageSetting", "Language", 0, demo + "Config.ini"), 1);
  // recsim has gone, and its link with it.
  struct stat st;
  EXPECT_NE(lstat(link.c_str(), &st), 0);
}

// A recview of the demo directory still running (a language change restarted
// it) keeps the demo recorder up; it stops once the last one has gone.
TEST(RunRecview, TheDemoRecorderStaysWhileAnyRecviewOfItsDirectoryRuns) {
  const std::string bin = ProgramDir(
      true,
      "(flock -s \"$RECVIEW_HOME/recview.run\" sh -c 'sleep 2; "
      "[ -c \"$(grep -i ^ComPort= \"$RECVIEW_HOME/XCom.ini\" | cut -d= -f2)\" ] && "
      "echo up > \"$RECVIEW_HOME/later\"') &\n"
      "sleep 0.3\n");
  const std::string home = testenv::NewDir("home");
  const std::string demo = testenv::NewDir("demo");
  EXPECT_EQ(RunShell("RECVIEW_HOME=" + home + " RECVIEW_DEMO_HOME=" + demo + " bash " + kScript +
                     " " + bin + " 2>/dev/null"),
            3);
  EXPECT_EQ(testenv::ReadFile(demo + "later"), "up\n");
  struct stat st;
  EXPECT_NE(lstat((demo + "recsim.tty").c_str(), &st), 0);
  // The user's settings directory got nothing.
  EXPECT_NE(stat((home + "XCom.ini").c_str(), &st), 0);
}

TEST(RunRecview, AnExistingPortIsUsedAsItIs) {
  const std::string bin = ProgramDir(true);
  const std::string home = testenv::NewDir("home");
  ASSERT_TRUE(testenv::WriteFile(home + "XCom.ini", "[comset]\ncomport=/dev/null\n"));
  EXPECT_EQ(RunShell("RECVIEW_HOME=" + home + " bash " + kScript + " " + bin + " 2>/dev/null"), 3);
  EXPECT_EQ(testenv::ReadFile(home + "seen"), "device /dev/null \n");
}

TEST(RunRecview, SaysSoWhenRecviewIsNotBuilt) {
  const std::string bin = ProgramDir(false);
  const std::string home = testenv::NewDir("home");
  const std::string err = home + "err";
  EXPECT_NE(RunShell("RECVIEW_HOME=" + home + " bash " + kScript + " " + bin + " 2>" + err), 0);
  EXPECT_NE(testenv::ReadFile(err).find("recview does not exist yet"), std::string::npos);
  struct stat st;
  EXPECT_NE(stat((home + "XCom.ini").c_str(), &st), 0);
}

}  // namespace
