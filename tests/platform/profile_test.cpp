#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

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

// Text that would break out of its line is refused for every part of an entry,
// and the file keeps what it had.
TEST(Profile, LineBreaksAndNulAreRefused) {
  const std::string f = testenv::NewDir() + "inj.ini";
  testenv::WriteFile(f, "[FileSetting]\nLastDir=/data\n[ComSet]\nComPort=/dev/ttyUSB0\n");
  const std::string before = testenv::ReadFile(f);
  struct Case {
    std::string section, key, value;
  } cases[] = {
      {"FileSetting", "LastDir", "/tmp/a\n[ComSet]\nComPort=/dev/evil"},
      {"FileSetting", "LastDir", "/tmp/a\r[ComSet]"},
      {"FileSetting", "LastDir", std::string("/tmp/a\0b", 8)},
      {"FileSetting", "Last\nDir", "x"},
      {"FileSetting", std::string("K\0", 2), "x"},
      {"File\nSetting", "LastDir", "x"},
      {"ComSet]\n[X", "K", "x"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(WritePrivateProfileString(c.section, c.key, c.value, f)) << c.value;
    EXPECT_EQ(testenv::ReadFile(f), before);
  }
  EXPECT_EQ(GetPrivateProfileString("ComSet", "ComPort", "", f), "/dev/ttyUSB0");
  EXPECT_TRUE(WritePrivateProfileString("FileSetting", "LastDir", "/tmp/a b", f));
}

namespace {

// Runs fn in a child process as an unprivileged user (root reads every file).
bool AsNobody(const std::function<bool()>& fn) {
  pid_t pid = fork();
  if (pid == 0) {
    if (geteuid() == 0 && setuid(65534) != 0) _exit(2);
    _exit(fn() ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

// An existing file that cannot be read is not a missing one: the write fails
// rather than leave a file with one key in place of the user's settings. The
// folder is writable, so a replacement would have succeeded.
TEST(Profile, UnreadableFileIsNotReplaced) {
  // A folder of its own under /tmp, so that the other user can reach it.
  char tmpl[] = "/tmp/recview-unread-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = std::string(tmpl) + "/";
  chmod(dir.c_str(), 0777);
  const std::string f = dir + "Config.ini";
  const std::string text = "[LanguageSetting]\nLanguage=1\n[FileSetting]\nLastDir=/data\n";
  testenv::WriteFile(f, text);
  chmod(f.c_str(), 0200);  // write only: the writer cannot read what it would replace
  if (geteuid() == 0) chown(f.c_str(), 0, 0);
  EXPECT_TRUE(AsNobody([&] { return !WritePrivateProfileString("ComSet", "ComPort", "x", f); }));
  chmod(f.c_str(), 0644);
  EXPECT_EQ(testenv::ReadFile(f), text);

  // A folder in the file's place cannot be read either.
  const std::string g = dir + "Folder.ini";
  ASSERT_EQ(mkdir(g.c_str(), 0755), 0);
  EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", g));
  struct stat st;
  ASSERT_EQ(stat(g.c_str(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
  system(("rm -rf " + dir).c_str());
}

// Two processes writing the same file at once (recsim and the settings
// window): every write succeeds and the file always holds whole lines of one
// writer or the other, never a mix.
TEST(Profile, TwoWritersNeverMixTheirLines) {
  const std::string f = testenv::NewDir("two") + "XCom.ini";
  auto writer = [&](const std::string& section) {
    return [&f, section] {
      for (int i = 0; i < 150; ++i)
        if (!WritePrivateProfileString(section, "Key" + std::to_string(i % 5),
                                       std::string(200, static_cast<char>('a' + i % 26)), f))
          return false;
      return true;
    };
  };
  pid_t a = fork();
  if (a == 0) _exit(writer("A")() ? 0 : 1);
  const bool b = writer("B")();
  int status = 0;
  waitpid(a, &status, 0);
  EXPECT_TRUE(b);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  const std::string text = testenv::ReadFile(f);
  size_t at = 0;
  while (at < text.size()) {
    const size_t nl = text.find('\n', at);
    ASSERT_NE(nl, std::string::npos);
    const std::string line = text.substr(at, nl - at);
    const bool section = line == "[A]" || line == "[B]";
    const bool entry = line.size() == 205 && line.compare(0, 3, "Key") == 0 && line[4] == '=' &&
                       line.find_first_not_of(line[5], 5) == std::string::npos;
    EXPECT_TRUE(section || entry) << line;
    at = nl + 1;
  }
  // Nothing else is left in the folder: no temporary file of either writer.
  EXPECT_EQ(system(("test $(ls -A " + f.substr(0, f.rfind('/')) + " | wc -l) = 1").c_str()), 0);
}
