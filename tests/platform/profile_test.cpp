#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/testenv.h"
#include "platform/profile.h"

using namespace platform;

TEST(Profile, MissingFileSectionOrKeyGivesDefault) {
  std::string f = testenv::NewDir() + "none.ini";
  EXPECT_EQ(GetPrivateProfileString("A", "B", "def", f), "def");
  EXPECT_EQ(GetPrivateProfileInt("A", "B", 42, f), 42);
  testenv::WriteFile(f, "[Other]\nB=1\n[A]\nC=2\n");
  EXPECT_EQ(GetPrivateProfileInt("A", "B", 7, f), 7);
  EXPECT_EQ(GetPrivateProfileInt("Other", "B", 7, f), 1);
}

TEST(Profile, NamesAreCaseInsensitiveAndValuesTrimmed) {
  std::string f = testenv::NewDir() + "a.ini";
  testenv::WriteFile(f, "[ComSet]\r\n  BaudRate =  9600  \r\n Port=\"/dev/ttyS0\"\r\n");
  EXPECT_EQ(GetPrivateProfileInt("COMSET", "baudrate", 0, f), 9600);
  EXPECT_EQ(GetPrivateProfileString("comset", "PORT", "", f), "/dev/ttyS0");
}

TEST(Profile, IntegersTakeLeadingDigitsOnly) {
  EXPECT_EQ(ProfileTextToInt("123abc"), 123);
  EXPECT_EQ(ProfileTextToInt("abc"), 0);
  EXPECT_EQ(ProfileTextToInt(""), 0);
  EXPECT_EQ(ProfileTextToInt("-5"), -5);
  EXPECT_EQ(ProfileTextToInt("  17 "), 17);
  EXPECT_EQ(ProfileTextToInt("3.9"), 3);
  EXPECT_EQ(ProfileTextToInt("99999999999"), 2147483647);
}

TEST(Profile, WritesKeepOrderAndReplaceInPlace) {
  std::string f = testenv::NewDir() + "w.ini";
  ASSERT_TRUE(WritePrivateProfileString("S", "One", "1", f));
  ASSERT_TRUE(WritePrivateProfileString("S", "Two", "2", f));
  ASSERT_TRUE(WritePrivateProfileString("T", "X", "x", f));
  ASSERT_TRUE(WritePrivateProfileString("s", "THREE", "3", f));
  ASSERT_TRUE(WritePrivateProfileString("S", "one", "11", f));
  EXPECT_EQ(testenv::ReadFile(f), "[S]\nOne=11\nTwo=2\nTHREE=3\n[T]\nX=x\n");
  EXPECT_EQ(GetPrivateProfileInt("S", "One", 0, f), 11);
  EXPECT_TRUE(HasProfileKey("t", "x", f));
  EXPECT_FALSE(HasProfileKey("t", "y", f));
}

TEST(Profile, FailedWriteLeavesFileAndReportsFalse) {
  if (geteuid() == 0) {
    // Root ignores directory permissions; use a path whose directory is missing instead.
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", "/nonexistent-dir/x.ini"));
    return;
  }
  std::string dir = testenv::NewDir();
  std::string f = dir + "ro.ini";
  testenv::WriteFile(f, "[S]\nK=old\n");
  chmod(dir.c_str(), 0555);
  EXPECT_FALSE(WritePrivateProfileString("S", "K", "new", f));
  chmod(dir.c_str(), 0755);
  EXPECT_EQ(GetPrivateProfileString("S", "K", "", f), "old");
}
