// rectool when things go wrong around it: a data file cut short while it is
// read, a full disk, a full standard output, an output named like its input,
// a signal in the middle of a write, a command line that could trip a script.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "common/testenv.h"
#include "data/fixture.h"

namespace {

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0) names.push_back(e->d_name);
    ::closedir(d);
  }
  return names;
}

// Two channels of 20000 records a second apart, channel-major: the values of
// channel 2 lie 40 KB into the file.
std::string Recording(const std::string& dir) {
  fixture::Recipe r;
  fixture::Channel c;
  c.hi = 1000;
  r.channels = {c, c};
  r.interval = 1;
  r.capacity = 20000;
  r.lastIndex = 19999;
  const uint8_t end[6] = {24, 3, 1, 13, 33, 19};
  std::memcpy(r.end, end, 6);
  const std::string path = dir + "rec.KVD";
  EXPECT_TRUE(testenv::WriteFile(path, fixture::Build(r)));
  return path;
}

std::string Cumulative(const std::string& dir) {
  fixture::Recipe cum;
  cum.model = "KVP6GV1000P";
  cum.channels.resize(2);
  cum.capacity = 2;
  cum.end[3] = 9;
  cum.end[5] = 0;
  const std::string path = dir + "cum.KVC";
  EXPECT_TRUE(testenv::WriteFile(path, fixture::Build(cum)));
  return path;
}

struct HeldRun {
  int code = -1;    // exit status, -1 when ended by a signal
  int signal = 0;   // the signal that ended it
  std::string out, err;
};

// rectool run with args; `held` (1 standard output, 2 standard error) is a
// pipe of one page. When room >= 0 the pipe is filled up to `room` free
// bytes first, so the first longer write blocks there. act() runs once
// ready() holds (or, without ready, once the first byte arrived on held),
// while the command cannot get past its writes; then it runs to its end.
HeldRun RunHeld(const std::vector<std::string>& args, int held, int room, const std::function<bool()>& ready,
            const std::function<void(pid_t)>& act) {
  int pipes[3][2];
  ::pipe2(pipes[1], O_CLOEXEC);
  ::pipe2(pipes[2], O_CLOEXEC);
  ::fcntl(pipes[held][1], F_SETPIPE_SZ, 4096);
  const int capacity = ::fcntl(pipes[held][1], F_GETPIPE_SZ);
  if (room >= 0) {
    const std::string filler(static_cast<size_t>(capacity - room), 'F');
    EXPECT_EQ(::write(pipes[held][1], filler.data(), filler.size()), static_cast<ssize_t>(filler.size()));
  }
  const std::string program = testenv::BinDir() + "rectool";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(pipes[1][1], 1);
    ::dup2(pipes[2][1], 2);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(pipes[1][1]);
  ::close(pipes[2][1]);
  HeldRun r;
  std::string* text[3] = {nullptr, &r.out, &r.err};
  auto readSome = [&](int k) {
    char buf[65536];
    const ssize_t n = ::read(pipes[k][0], buf, sizeof buf);
    if (n > 0) text[k]->append(buf, static_cast<size_t>(n));
    return n;
  };
  if (ready) {
    for (int i = 0; i < 30000 && !ready(); ++i) ::usleep(1000);
  } else {
    char first;
    if (::read(pipes[held][0], &first, 1) == 1) text[held]->push_back(first);
  }
  act(pid);
  bool open[3] = {false, true, true};
  while (open[1] || open[2]) {
    pollfd fds[2] = {{pipes[1][0], POLLIN, 0}, {pipes[2][0], POLLIN, 0}};
    ::poll(fds, 2, -1);
    for (int k = 1; k <= 2; ++k)
      if (open[k] && (fds[k - 1].revents & (POLLIN | POLLHUP)) && readSome(k) <= 0) open[k] = false;
  }
  ::close(pipes[1][0]);
  ::close(pipes[2][0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status)) r.code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) r.signal = WTERMSIG(status);
  return r;
}

bool CanMountSmallDisks() { return testenv::RunCommand("unshare -m true 2>/dev/null").code == 0; }

}  // namespace

// A data file cut short by another program while a command reads it: no
// crash, a message, exit 1, and no output file left (nor its hidden part).
TEST(RectoolFaults, AFileCutShortWhileReadIsReported) {
  struct Case {
    const char* name;
    std::vector<std::string> args;  // after FILE; OUT is the output
    int held;                       // the stream that holds the command
  } cases[] = {
      {"dump", {}, 1},
      {"export --csv", {"--csv", "OUT"}, 2},
      {"export .xlsx", {"OUT"}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string dir = testenv::NewDir("cut");
    const std::string path = Recording(dir);
    std::vector<std::string> args{c.name[0] == 'd' ? "dump" : "export", path};
    for (const std::string& a : c.args) args.push_back(a == "OUT" ? dir + "out" : a);
    const HeldRun r = RunHeld(args, c.held, -1, nullptr, [&](pid_t) { ASSERT_EQ(::truncate(path.c_str(), 4096), 0); });
    EXPECT_EQ(r.signal, 0);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("changed on disk while it was read"), std::string::npos) << r.err;
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"rec.KVD"});
  }
}

// Outputs on a nearly full disk (room for all but the last bytes of the
// file): the command fails with exit 1 and the file that was there before is
// left as it was, with nothing beside it.
TEST(RectoolFaults, ANearlyFullDiskLeavesTheOldFile) {
  if (!CanMountSmallDisks()) GTEST_SKIP() << "no file system of our own can be mounted here";
  const std::string dir = testenv::NewDir("in");
  const std::string rec = Quote(Recording(dir)), cum = Quote(Cumulative(dir));
  struct Case {
    const char* name;
    std::string command;  // writes OUT
  } cases[] = {
      {"print", "print " + rec + " --out OUT"},
      {"print --circular", "print " + rec + " --circular 1 --out OUT"},
      {"export", "export " + rec + " OUT"},
      {"export --csv", "export " + rec + " --csv OUT"},
      {"cumulative --xlsx", "cumulative " + cum + " --xlsx OUT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto with = [&](const std::string& out) {
      std::string command = c.command;
      return command.replace(command.find("OUT"), 3, out);
    };
    // The size of the whole file, written where there is room.
    const std::string roomy = testenv::NewDir("roomy") + "out";
    ASSERT_EQ(testenv::RunRectool(with(roomy)).code, 0);
    const size_t size = testenv::ReadFile(roomy).size();
    const size_t pages = (size - 1) / 4096;
    ASSERT_GT(pages, 0u);
    // One page for the old file, and pages for all but the tail of the new.
    const std::string full = testenv::NewDir("full");
    const testenv::CommandResult r = testenv::RunCommand(
        "unshare -m sh -c " +
        Quote("mount -t tmpfs -o size=" + std::to_string(4096 * (pages + 1)) + " tmpfs " + full + " && echo old > " +
              full + "out && " + testenv::BinDir() + "rectool " + with(full + "out") +
              " >/dev/null 2>&1; echo \"rc=$?\"; ls -A " + full + "; head -c 64 " + full + "out"));
    EXPECT_EQ(r.out, "rc=1\nout\nold\n");
  }
}

// Standard output that cannot take the text (a full disk, /dev/full): exit 1
// with a message, for every command that prints.
TEST(RectoolFaults, AFullStandardOutputFails) {
  const std::string dir = testenv::NewDir("stdout");
  const std::string rec = Quote(Recording(dir)), cum = Quote(Cumulative(dir));
  for (const std::string& command :
       {"info " + rec, "info " + rec + " --json", "dump " + rec, "stats " + rec, "list " + rec,
        "cumulative " + cum, "cumulative " + cum + " --csv", std::string("--help")}) {
    SCOPED_TRACE(command);
    const testenv::RectoolResult r = testenv::RunRectool(command + " >/dev/full");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
  }
}

// An output that names the input (also through a link or another name) is
// refused and the recording stays as it was.
TEST(RectoolFaults, AnOutputNamedLikeItsInputIsRefused) {
  const std::string dir = testenv::NewDir("same");
  const std::string rec = Recording(dir), cum = Cumulative(dir);
  ASSERT_EQ(::symlink(rec.c_str(), (dir + "link.KVD").c_str()), 0);
  ASSERT_EQ(::link(rec.c_str(), (dir + "hard.KVD").c_str()), 0);
  const std::string before = testenv::ReadFile(rec), cumBefore = testenv::ReadFile(cum);
  for (const std::string& command :
       {"export " + rec + " --csv " + rec, "export " + rec + " " + rec, "print " + rec + " --out " + rec,
        "print " + rec + " --out " + dir + "link.KVD", "export " + rec + " " + dir + "hard.KVD",
        "print " + rec + " --circular 1 --out " + rec, "cumulative " + cum + " --xlsx " + cum}) {
    SCOPED_TRACE(command);
    const testenv::RectoolResult r = testenv::RunRectool(command);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("choose another name"), std::string::npos) << r.err;
  }
  EXPECT_EQ(testenv::ReadFile(rec), before);
  EXPECT_EQ(testenv::ReadFile(cum), cumBefore);
  EXPECT_EQ(Entries(dir).size(), 4u);
}

// A signal in the middle of writing a new file (here a print, held after its
// first page) removes the hidden part; the old file stays.
TEST(RectoolFaults, ASignalRemovesThePartWritten) {
  for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(sig);
    const std::string in = testenv::NewDir("in");
    const std::string rec = Recording(in);
    const std::string dir = testenv::NewDir("sig");
    ASSERT_TRUE(testenv::WriteFile(dir + "out.pdf", "old"));
    const HeldRun r = RunHeld({"print", rec, "--out", dir + "out.pdf"}, 2, 4, [&] { return Entries(dir).size() > 1; },
                          [&](pid_t pid) { ::kill(pid, sig); });
    EXPECT_EQ(r.signal, sig);
    EXPECT_EQ(Entries(dir), std::vector<std::string>{"out.pdf"});
    EXPECT_EQ(testenv::ReadFile(dir + "out.pdf"), "old");
  }
}

// Exit statuses a script can rely on, and "--" before names that look like
// options.
TEST(RectoolFaults, TheCommandLineCannotTripAScript) {
  const std::string dir = testenv::NewDir("cli");
  testenv::RectoolResult r = testenv::RunRectool("recover --out " + dir + "saved.KVD");
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("no interrupted recording"), std::string::npos) << r.err;
  EXPECT_TRUE(Entries(dir).empty());
  EXPECT_NE(testenv::RunRectool("recover --help").out.find("3 no interrupted recording"), std::string::npos);

  const std::string odd = dir + "--odd.KVD";
  ASSERT_EQ(::rename(Recording(dir).c_str(), odd.c_str()), 0);
  ASSERT_EQ(::chdir(dir.c_str()), 0);
  EXPECT_EQ(testenv::RunRectool("info -- --odd.KVD").code, 0);
  EXPECT_EQ(testenv::RunRectool("dump --step 5000 -- --odd.KVD").code, 0);
  EXPECT_EQ(testenv::RunRectool("export -- --odd.KVD --csv.csv").code, 0);
  EXPECT_EQ(testenv::RunRectool("info --odd.KVD").code, 2);
  ASSERT_EQ(::chdir("/"), 0);
}
