// recsim: a recorder on a serial line, for tests and for users without
// hardware. See README.md for the requests it answers and the samples it holds.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "faults.h"
#include "framing.h"
#include "options.h"
#include "platform/profile.h"
#include "server.h"

namespace {

volatile sig_atomic_t g_stop = 0;

void OnSignal(int) { g_stop = 1; }

using Clock = std::chrono::steady_clock;

// Silence after which whatever has been received counts as one frame.
constexpr int kFrameGapMs = 3;

void Fail(const std::string& message) {
  std::fprintf(stderr, "recsim: %s\n", message.c_str());
  std::exit(2);
}

void MakeRaw(int fd, int baud) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return;
  cfmakeraw(&t);
  t.c_cflag |= CLOCAL | CREAD;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (baud > 0) {
    speed_t speed = B57600;
    switch (baud) {
      case 1200: speed = B1200; break;
      case 2400: speed = B2400; break;
      case 4800: speed = B4800; break;
      case 9600: speed = B9600; break;
      case 19200: speed = B19200; break;
      case 38400: speed = B38400; break;
      case 115200: speed = B115200; break;
      default: break;
    }
    cfsetspeed(&t, speed);
  }
  tcsetattr(fd, TCSANOW, &t);
}

// Sleeps ms milliseconds unless a stop signal comes first.
void Sleep(int ms) {
  const auto until = Clock::now() + std::chrono::milliseconds(ms);
  while (!g_stop && Clock::now() < until)
    std::this_thread::sleep_for(
        std::min<Clock::duration>(std::chrono::milliseconds(10), until - Clock::now()));
}

void WriteAll(int fd, const uint8_t* bytes, size_t n) {
  size_t done = 0;
  while (done < n) {
    ssize_t r = write(fd, bytes + done, n - done);
    if (r > 0) {
      done += static_cast<size_t>(r);
    } else if (r < 0 && (errno == EAGAIN || errno == EINTR)) {
      pollfd p{fd, POLLOUT, 0};
      poll(&p, 1, 50);
      if (g_stop) return;
    } else {
      return;
    }
  }
}

struct Line {
  int fd = -1;       // what requests are read from and replies written to
  int slave = -1;    // our own hold on a pseudo-terminal's device side
  std::string path;  // the device users open
};

Line OpenLine(const recsim::Options& o) {
  Line line;
  if (!o.device.empty()) {
    line.fd = open(o.device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (line.fd < 0) Fail(o.device + ": " + std::strerror(errno));
    MakeRaw(line.fd, o.baud);
    line.path = o.device;
    return line;
  }
  line.fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (line.fd < 0 || grantpt(line.fd) != 0 || unlockpt(line.fd) != 0)
    Fail(std::string("cannot make a pseudo-terminal: ") + std::strerror(errno));
  char name[256];
  if (ptsname_r(line.fd, name, sizeof name) != 0)
    Fail(std::string("cannot name the pseudo-terminal: ") + std::strerror(errno));
  line.path = name;
  // Holding the device side open keeps the line up between users and keeps
  // the raw settings (no echo) in force before the first user sets them.
  line.slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (line.slave < 0) Fail(line.path + ": " + std::strerror(errno));
  MakeRaw(line.slave, 0);
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace recsim;
  Options o;
  std::string error;
  if (!ParseOptions(argc, argv, &o, &error)) Fail(error);
  if (o.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  Recorder& recorder = o.recorder;
  recorder.started = time(nullptr);
  if (!o.xcom.empty() && !o.stationGiven)
    recorder.station =
        static_cast<uint8_t>(platform::GetPrivateProfileInt("ComSet", "Address", 8, o.xcom) & 0xFF);

  FILE* log = nullptr;
  if (!o.log.empty()) {
    log = std::fopen(o.log.c_str(), "w");
    if (!log) Fail(o.log + ": " + std::strerror(errno));
  }

  Line line = OpenLine(o);
  if (!o.link.empty()) {
    struct stat st;
    if (lstat(o.link.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) Fail(o.link + " exists and is no symbolic link; not replaced");
      unlink(o.link.c_str());
    }
    if (symlink(line.path.c_str(), o.link.c_str()) != 0) Fail(o.link + ": " + std::strerror(errno));
  }
  if (!o.xcom.empty() && !platform::WritePrivateProfileString(
                             "ComSet", "ComPort", o.link.empty() ? line.path : o.link, o.xcom)) {
    if (!o.link.empty()) unlink(o.link.c_str());
    Fail(o.xcom + ": cannot write the port into the settings file");
  }

  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGTERM, &sa, nullptr);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGHUP, &sa, nullptr);
  signal(SIGPIPE, SIG_IGN);

  std::printf("%s\n", line.path.c_str());
  std::fflush(stdout);

  FrameSplitter splitter(recorder.family());
  Server server(recorder);
  FaultInjector faults(o.seed);
  Pacer pacer(o.pacing);
  for (const FaultRule& rule : o.faults) faults.Add(rule);
  const auto stopAt =
      o.stopAfter >= 0
          ? Clock::now() + std::chrono::milliseconds(static_cast<long long>(o.stopAfter * 1000))
          : Clock::time_point::max();

  // The log line is written before the reply goes out, so that whoever got
  // the reply finds its line.
  auto note = [&](const Request& q, const std::string& outcome) {
    if (!log) return;
    std::fprintf(log, "%s %s -> %s\n", q.framing == Framing::Ascii ? "ascii" : "rtu",
                 DescribeWire(q).c_str(), outcome.c_str());
    std::fflush(log);
  };
  auto serve = [&](const Request& q) {
    const auto arrived = Clock::now();
    if (pacer.TooSoon()) {
      note(q, "ignored (sooner than --min-gap after the last reply)");
      return;
    }
    Answer a = server.Handle(q);
    std::string outcome;
    if (!a.reply) {
      note(q, "silent (" + a.note + ")");
      return;
    }
    {
      const FaultPlan plan = faults.Choose(q.pdu[1], q.framing);
      SpoilPdu(plan, a.countAt, &a.pdu);
      std::vector<uint8_t> frame = EncodeReply(q.framing, a.pdu, o.asciiLower);
      SpoilFrame(plan, q.framing, &frame);
      if (plan.kind != FaultKind::None)
        outcome = std::string("fault ") + FaultName(plan.kind);
      else if (a.pdu[1] & 0x80)
        outcome = "exception " + std::to_string(a.pdu[2]);
      else
        outcome = "ok";
      note(q, outcome);
      pacer.WaitToAnswer(arrived, &g_stop);
      if (plan.kind == FaultKind::Late) Sleep(plan.rule->ms);
      if (plan.kind == FaultKind::Gap) {
        const size_t first = std::min(
            frame.size(), static_cast<size_t>(plan.rule->bytes >= 0 ? plan.rule->bytes : 5));
        WriteAll(line.fd, frame.data(), first);
        Sleep(plan.rule->ms);
        WriteAll(line.fd, frame.data() + first, frame.size() - first);
        pacer.Sent();
      } else if (plan.kind != FaultKind::Drop) {
        pacer.Send(line.fd, frame.data(), frame.size(), &g_stop);
      }
    }
  };

  uint8_t buffer[4096];
  while (!g_stop && Clock::now() < stopAt) {
    int timeout = splitter.Pending() ? kFrameGapMs : 200;
    if (stopAt != Clock::time_point::max()) {
      auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(stopAt - Clock::now()).count();
      timeout = static_cast<int>(std::max<long long>(0, std::min<long long>(timeout, left + 1)));
    }
    pollfd p{line.fd, POLLIN, 0};
    const int r = poll(&p, 1, timeout);
    if (r < 0) {
      if (errno == EINTR) continue;
      Fail(std::string("poll: ") + std::strerror(errno));
    }
    if (r > 0 && (p.revents & POLLIN)) {
      const ssize_t n = read(line.fd, buffer, sizeof buffer);
      if (n > 0) {
        splitter.Feed(buffer, static_cast<size_t>(n));
        Request q;
        while (splitter.Next(false, &q)) serve(q);
      }
    } else if (r > 0) {
      // The line is gone (a device unplugged) or in error: wait and retry.
      Sleep(50);
    } else if (splitter.Pending()) {
      Request q;
      if (splitter.Next(true, &q)) serve(q);
    }
  }

  if (!o.link.empty()) unlink(o.link.c_str());
  if (log) std::fclose(log);
  if (line.slave >= 0) close(line.slave);
  close(line.fd);
  return 0;
}
