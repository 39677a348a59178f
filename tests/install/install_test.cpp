// The installed program, as a user gets it from `make install` or the
// package: everything in its place below the prefix, programs that start
// from there (with their libraries found), the desktop entry that opens a
// data file, the bash completion, and a Debian package that carries the same
// layout below /usr, names its dependencies and passes lintian.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "common/testenv.h"
#include "data/fixture.h"
#include "platform/profile.h"

namespace {

const std::string kBuild = RECVIEW_BUILD_DIR;

using Outcome = testenv::CommandResult;

// The command line with its standard error joined to its output.
Outcome Shell(const std::string& cmd) { return testenv::RunCommand(cmd + " 2>&1"); }

// s as one shell word.
std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

bool Executable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

class Installed : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A blank in the prefix, as a user's folder may have one.
    prefix_ = new std::string(testenv::NewDir("prefix") + "opt/rec view");
    install_ = new Outcome(Shell(std::string(RECVIEW_CMAKE) + " --install " + Quote(kBuild) +
                             " --prefix " + Quote(*prefix_)));
  }
  static void TearDownTestSuite() {
    delete prefix_;
    delete install_;
  }
  void SetUp() override { ASSERT_EQ(install_->code, 0) << install_->out; }

  static std::string P(const std::string& rel) { return *prefix_ + "/" + rel; }

  static std::string* prefix_;
  static Outcome* install_;
};
std::string* Installed::prefix_ = nullptr;
Outcome* Installed::install_ = nullptr;

TEST_F(Installed, Layout) {
  const char* const kPrograms[] = {
      "lib/recview/recview", "lib/recview/rectool", "lib/recview/recsim",
      "bin/recview",         "bin/rectool",         "bin/recsim",
      "share/recview/integrate",
  };
  // The commands are links into the program directory, where the programs
  // find their plug-ins and language packages.
  for (const char* f : {"bin/recview", "bin/rectool", "bin/recsim"}) {
    char buf[4096];
    const ssize_t n = ::readlink(P(f).c_str(), buf, sizeof buf - 1);
    EXPECT_EQ(std::string(buf, static_cast<size_t>(n > 0 ? n : 0)),
              "../lib/recview/" + std::string(f + 4)) << f;
  }
  for (const char* f : kPrograms) EXPECT_TRUE(Executable(P(f))) << f;
  const char* const kFiles[] = {
      "lib/recview/libportcfg.so",
      "lib/recview/libviewcfg.so",
      "lib/recview/IO_Device/P3GV1/P3GV1.so",
      "lib/recview/IO_Device/P6GV1/P6GV1.so",
      "lib/recview/IO_Device/P6GV2/P6GV2.so",
      "lib/recview/IO_Device/P5LV1/P5LV1.so",
      "lib/recview/Language/chinese.rcc",
      "lib/recview/Language/english.rcc",
      "lib/recview/help/chinese/index.html",
      "lib/recview/help/english/index.html",
      "share/recview/help/english/index.html",
      "share/applications/recview.desktop",
      "share/metainfo/example.recview.recview.metainfo.xml",
      "share/mime/packages/recview.xml",
      "share/icons/hicolor/scalable/apps/recview.svg",
      "share/icons/hicolor/scalable/mimetypes/application-x-recview-data.svg",
      "share/man/man1/rectool.1.gz",
      "share/man/man1/recview.1.gz",
      "share/bash-completion/completions/rectool",
      "share/doc/recview/copyright",
      "share/doc/recview/changelog.gz",
      "lib/systemd/user/recview-collect@.service",
      "lib/systemd/user/recview-collect@.timer",
      "share/recview/collect-line.conf",
  };
  for (const char* f : kFiles) EXPECT_EQ(::access(P(f).c_str(), R_OK), 0) << f;
  // Nothing of a run of the build directory comes along.
  for (const char* f : {"lib/recview/Config.ini", "lib/recview/XCom.ini", "lib/recview/Data"})
    EXPECT_NE(::access(P(f).c_str(), F_OK), 0) << f;
}

// The collection service and timer template pass systemd's own check as an
// instance of a line, with the installed rectool (whose path has a blank)
// as the service's command; and the example line file is one rectool reads.
TEST_F(Installed, CollectionUnits) {
  if (!Executable("/usr/bin/systemd-analyze")) GTEST_SKIP() << "systemd-analyze missing";
  const std::string dir = testenv::NewDir("units");
  for (const char* kind : {"service", "timer"})
    ASSERT_EQ(Shell("cp " + Quote(P(std::string("lib/systemd/user/recview-collect@.") + kind)) +
                    " " + Quote(dir + "recview-collect@ttyUSB0." + kind))
                  .code,
              0);
  const std::string unit = testenv::ReadFile(dir + "recview-collect@ttyUSB0.service");
  EXPECT_NE(unit.find("ExecStart=\"" + P("bin/rectool") + "\" collect --config "),
            std::string::npos)
      << unit;
  const Outcome verify =
      Shell("cd " + Quote(dir) + " && XDG_RUNTIME_DIR=" + Quote(testenv::NewDir("run")) +
            " systemd-analyze verify --man=no --user recview-collect@ttyUSB0.timer "
            "recview-collect@ttyUSB0.service");
  EXPECT_EQ(verify.code, 0) << verify.out;
  EXPECT_EQ(verify.out, "") << verify.out;

  // The example names a port that is not there: rectool reads every setting
  // and fails only on the port.
  const Outcome run = Shell(Quote(P("bin/rectool")) + " collect --config " +
                            Quote(P("share/recview/collect-line.conf")) + " --dir " +
                            Quote(testenv::NewDir("archive")));
  EXPECT_EQ(run.code, 1) << run.out;
  EXPECT_NE(run.out.find("cannot open the serial port"), std::string::npos) << run.out;
}

TEST_F(Installed, ProgramsFindTheirLibraries) {
  for (const char* f : {"lib/recview/recview", "lib/recview/rectool", "lib/recview/libportcfg.so"}) {
    const Outcome ldd = Shell("ldd " + Quote(P(f)));
    EXPECT_EQ(ldd.out.find("not found"), std::string::npos) << f << "\n" << ldd.out;
  }
  const Outcome help = Shell(Quote(P("bin/rectool")) + " --help");
  EXPECT_EQ(help.code, 0) << help.out;
  EXPECT_NE(help.out.find("info"), std::string::npos) << help.out;
  const Outcome one = Shell(Quote(P("bin/rectool")) + " info --help");
  EXPECT_EQ(one.code, 0) << one.out;
  EXPECT_NE(one.out.find("usage: rectool info"), std::string::npos) << one.out;
}

TEST_F(Installed, ManualPageNamesEveryCommand) {
  const std::string page = Shell("gzip -dc " + Quote(P("share/man/man1/rectool.1.gz"))).out;
  const Outcome help = Shell(Quote(P("bin/rectool")) + " --help | awk '/^  [a-z]/ { print $1 }'");
  ASSERT_FALSE(help.out.empty());
  size_t start = 0;
  for (size_t nl; (nl = help.out.find('\n', start)) != std::string::npos; start = nl + 1) {
    const std::string name = help.out.substr(start, nl - start);
    EXPECT_NE(page.find(".B " + name + "\n"), std::string::npos) << name;
  }
  EXPECT_EQ(page.find("@COMMANDS@"), std::string::npos);
}

TEST_F(Installed, CommandsAnswerWithoutADisplay) {
  struct Case {
    const char* command;
    std::string expect;
  };
  const Case cases[] = {
      {"bin/recview --help", "usage: recview [--record] [FILE]"},
      {"bin/recview --version", "recview " RECVIEW_VERSION "\n"},
      {"bin/rectool --version", "rectool " RECVIEW_VERSION "\n"},
  };
  for (const Case& c : cases) {
    const std::string command = c.command;
    const size_t blank = command.find(' ');
    const Outcome r = Shell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                            Quote(P(command.substr(0, blank))) + command.substr(blank));
    EXPECT_EQ(r.code, 0) << c.command << "\n" << r.out;
    EXPECT_EQ(r.out.rfind(c.expect, 0), 0u) << c.command << "\n" << r.out;
  }
}

TEST_F(Installed, BashCompletion) {
  struct Case {
    const char* words;  // the command line so far; the last word is completed
    const char* expect;
  };
  const Case cases[] = {
      {"rectool ''", "info"},
      {"rectool d", "dump"},
      {"rectool info --", "--json"},
  };
  for (const Case& c : cases) {
    const std::string script = "PATH=" + Quote(P("bin")) + ":$PATH; . " +
                               Quote(P("share/bash-completion/completions/rectool")) +
                               "; COMP_WORDS=(" + c.words + "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1));"
                               " COMP_LINE=\"${COMP_WORDS[*]}\"; _rectool; printf '%s\\n' \"${COMPREPLY[@]}\"";
    const Outcome r = Shell("bash -c " + Quote(script));
    EXPECT_NE(r.out.find(c.expect), std::string::npos) << c.words << "\n" << r.out;
  }
}

// Field key of a desktop entry's [Desktop Entry] group.
std::string EntryField(const std::string& entry, const std::string& key) {
  const size_t at = entry.find("\n" + key + "=");
  if (at == std::string::npos) return std::string();
  const size_t from = at + key.size() + 2;
  return entry.substr(from, entry.find('\n', from) - from);
}

TEST_F(Installed, DesktopEntry) {
  const std::string entry = testenv::ReadFile(P("share/applications/recview.desktop"));
  EXPECT_EQ(EntryField(entry, "Exec"), "\"" + P("bin/recview") + "\" %f");
  EXPECT_EQ(EntryField(entry, "TryExec"), P("bin/recview"));
  EXPECT_EQ(EntryField(entry, "Icon"), "recview");
  EXPECT_EQ(EntryField(entry, "MimeType"), "application/x-recview-data;application/x-recview-cumulative;");
  if (Executable("/usr/bin/desktop-file-validate")) {
    const Outcome v = Shell("desktop-file-validate " + Quote(P("share/applications/recview.desktop")));
    EXPECT_EQ(v.code, 0) << v.out;
  }
  if (Executable("/usr/bin/appstreamcli")) {
    const Outcome v = Shell("appstreamcli validate --no-net " +
                            Quote(P("share/metainfo/example.recview.recview.metainfo.xml")));
    EXPECT_EQ(v.code, 0) << v.out;
  }
  const std::string mime = testenv::ReadFile(P("share/mime/packages/recview.xml"));
  for (const char* s : {"application/x-recview-data", "*.kvd", "application/x-recview-cumulative", "*.kvc"})
    EXPECT_NE(mime.find(s), std::string::npos) << s;
}

TEST_F(Installed, DesktopIntegrationLinksAndRemoves) {
  // As `make install` and the package's scripts do, into a directory of
  // the test's own in place of /usr/local or /usr.
  const std::string target = testenv::NewDir("desktop") + "usr";
  const std::string integrate = Quote(P("share/recview/integrate"));
  const Outcome in = Shell(integrate + " install " + Quote(*prefix_) + " " + Quote(target));
  ASSERT_EQ(in.code, 0) << in.out;
  const char* const kLinks[] = {
      "share/applications/recview.desktop", "share/mime/packages/recview.xml",
      "share/icons/hicolor/scalable/apps/recview.svg", "share/man/man1/rectool.1.gz",
      "share/bash-completion/completions/rectool", "bin/recview", "bin/rectool",
  };
  for (const char* l : kLinks) {
    char buf[4096];
    const ssize_t n = ::readlink((target + "/" + l).c_str(), buf, sizeof buf - 1);
    ASSERT_GT(n, 0) << l;
    EXPECT_EQ(std::string(buf, static_cast<size_t>(n)), P(l)) << l;
  }
  if (Executable("/usr/bin/update-mime-database")) {
    const std::string globs = testenv::ReadFile(target + "/share/mime/globs2");
    EXPECT_NE(globs.find("application/x-recview-data:*.kvd"), std::string::npos) << globs;
    EXPECT_NE(globs.find("application/x-recview-cumulative:*.kvc"), std::string::npos) << globs;
  }
  // The command on the PATH runs the installed program.
  const Outcome help = Shell(Quote(target + "/bin/rectool") + " --help");
  EXPECT_EQ(help.code, 0) << help.out;

  const Outcome out = Shell(integrate + " remove " + Quote(*prefix_) + " " + Quote(target));
  ASSERT_EQ(out.code, 0) << out.out;
  for (const char* l : kLinks) EXPECT_NE(::access((target + "/" + l).c_str(), F_OK), 0) << l;
}

// A data file of one channel.
std::string DataFile(const std::string& dir) {
  fixture::Recipe r;
  fixture::Channel c;
  c.name = "T";
  c.unit = "C";
  c.lo = 0;
  c.hi = 1000;
  r.channels = {c};
  const std::string path = dir + "sample.KVD";
  EXPECT_TRUE(testenv::WriteFile(path, fixture::Build(r)));
  return path;
}

// Starts a command line with a fresh home and no RECVIEW_HOME, as a user's
// session would, and waits until the program has noted the opened file in
// its settings ("FileSetting"/"LastDir", written once a file is open).
// Returns what the settings say, "" when nothing came within the time.
std::string OpenedFile(const std::string& commandLine, const std::string& home,
                       const std::string& settingsFile) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);
    ::unsetenv("RECVIEW_HOME");
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::execl("/bin/sh", "sh", "-c", commandLine.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  std::string opened;
  for (int i = 0; i < 300 && opened.empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    opened = platform::GetPrivateProfileString("FileSetting", "LastDir", "", settingsFile);
    int status;
    if (::waitpid(pid, &status, WNOHANG) == pid) break;
  }
  ::kill(-pid, SIGTERM);
  ::kill(pid, SIGTERM);
  ::waitpid(pid, nullptr, 0);
  return opened;
}

TEST_F(Installed, OpensAFileThroughLauncherAndDesktopEntry) {
  const std::string entry = testenv::ReadFile(P("share/applications/recview.desktop"));
  const std::string exec = EntryField(entry, "Exec");
  struct Case {
    const char* how;
    std::string commandLine;  // with %f for the file
  };
  const Case cases[] = {
      {"launcher", Quote(P("bin/recview")) + " %f"},
      {"desktop entry", exec},
  };
  for (const Case& c : cases) {
    const std::string dir = testenv::NewDir("open");
    const std::string file = DataFile(dir);
    const std::string home = testenv::NewDir("home");
    std::string line = c.commandLine;
    line.replace(line.find("%f"), 2, Quote(file));
    // The program directory of an installation is no place for settings;
    // only root may write there.
    const std::string settings = ::geteuid() == 0 ? P("lib/recview/Config.ini")
                                                  : home + ".local/share/recview/Config.ini";
    ::unlink(settings.c_str());
    EXPECT_EQ(OpenedFile(line, home, settings), file) << c.how << ": " << line;
  }
}

TEST(Package, DebianPackageContentsAndDependencies) {
  if (!Executable("/usr/bin/dpkg-deb")) GTEST_SKIP() << "dpkg-deb missing";
  const std::string out = testenv::NewDir("deb");
  const Outcome pack = Shell("sh " + Quote(std::string(RECVIEW_SOURCE_DIR) + "/package/mkdeb") + " " +
                             Quote(kBuild) + " " + Quote(out));
  ASSERT_EQ(pack.code, 0) << pack.out;
  const Outcome deb = Shell("ls " + Quote(out) + "/recview_" RECVIEW_VERSION "_*.deb");
  ASSERT_EQ(deb.code, 0) << deb.out;
  const std::string path = deb.out.substr(0, deb.out.find('\n'));
  const Outcome contents = Shell("dpkg-deb -c " + Quote(path));
  for (const char* f : {"./usr/lib/recview/recview", "./usr/bin/recview -> ../lib/recview/recview",
                        "./usr/lib/recview/IO_Device/P6GV1/P6GV1.so",
                        "./usr/lib/recview/Language/english.rcc",
                        "./usr/lib/recview/help -> ../../share/recview/help",
                        "./usr/share/applications/recview.desktop",
                        "./usr/share/doc/recview/copyright"})
    EXPECT_NE(contents.out.find(f), std::string::npos) << f;
  // Nothing outside /usr, nothing for a source installation's desktop links.
  EXPECT_EQ(contents.out.find("./opt/"), std::string::npos) << contents.out;
  EXPECT_EQ(contents.out.find("integrate"), std::string::npos) << contents.out;
  const Outcome depends = Shell("dpkg-deb -f " + Quote(path) + " Depends");
  for (const char* d : {"libqt6widgets6", "libqt6gui6", "libqt6printsupport6", "libqt6network6",
                        "libxlsxwriter", "qt6-qpa-plugins", "fonts-noto-cjk"})
    EXPECT_NE(depends.out.find(d), std::string::npos) << d << " in " << depends.out;
  const Outcome entry = Shell("dpkg-deb --fsys-tarfile " + Quote(path) +
                              " | tar -xO ./usr/share/applications/recview.desktop");
  EXPECT_NE(entry.out.find("\nExec=/usr/bin/recview %f\n"), std::string::npos) << entry.out;
  const Outcome control = Shell("dpkg-deb -I " + Quote(path));
  for (const char* script : {"preinst", "postinst", "prerm", "postrm"})
    EXPECT_EQ(control.out.find(script), std::string::npos) << control.out;
  // Debian's checker: stripped programs, no maintainer scripts writing
  // files dpkg does not know, copyright, changelog, description and
  // maintainer as Debian wants them.
  if (!Executable("/usr/bin/lintian")) GTEST_SKIP() << "lintian missing";
  const Outcome lint = Shell("lintian --no-cfg --fail-on error " + Quote(path));
  EXPECT_EQ(lint.code, 0) << lint.out;
}

}  // namespace
