#include "link/serialport.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int MsUntil(Clock::time_point t) {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count();
  if (ms <= 0) {
    // Round a partial millisecond up so poll() does not spin.
    return t > Clock::now() ? 1 : 0;
  }
  return static_cast<int>(std::min<long long>(ms + 1, 1 << 30));
}

speed_t SpeedConstant(uint32_t baud, bool* known) {
  *known = true;
  switch (baud) {
    case 110: return B110;
    case 300: return B300;
    case 600: return B600;
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    case 230400: return B230400;
    default: *known = false; return B9600;
  }
}

// Waits until fd is readable or the time is up, to the microsecond. True
// when readable (or the line hung up, which the following read reports).
bool WaitReadable(int fd, Clock::time_point until) {
  for (;;) {
    const auto left = until - Clock::now();
    if (left <= Clock::duration::zero()) return false;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    timespec ts{static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    pollfd p{fd, POLLIN, 0};
    const int r = ::ppoll(&p, 1, &ts, nullptr);
    if (r > 0) return true;
    if (r < 0 && errno != EINTR) return false;
  }
}

}  // namespace

std::string SerialPort::DevicePath(const char* portName) {
  std::string name = portName ? portName : "";
  if (name.find('/') != std::string::npos) return name;
  if (name.size() > 3 && (name[0] == 'C' || name[0] == 'c') && (name[1] == 'O' || name[1] == 'o') &&
      (name[2] == 'M' || name[2] == 'm') &&
      std::all_of(name.begin() + 3, name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    long n = std::strtol(name.c_str() + 3, nullptr, 10);
    if (n >= 1 && n <= 256) return "/dev/ttyS" + std::to_string(n - 1);
  }
  return "/dev/" + name;
}

int SerialPort::BaudFactor(uint32_t baudRate) {
  switch (baudRate) {
    case 1200: return 48;
    case 2400: return 24;
    case 4800: return 12;
    case 9600: return 6;
    case 19200: return 3;
    case 38400: return 2;
    default: return 1;
  }
}

SerialPort::SerialPort()
    : handle_(kInvalidHandle),
      portName_{},
      baudRate_(0),
      parity_(0),
      readInterval_(0),
      readTotalConstant_(0),
      readTotalMultiplier_(0),
      writeTotalConstant_(0),
      writeTotalMultiplier_(0),
      lastErrno_(0) {}

SerialPort::~SerialPort() { Close(); }

void SerialPort::Fail(int err, const std::string& path) {
  lastErrno_ = err;
  switch (err) {
    case EACCES:
    case EPERM: {
      std::string group = "dialout";
      struct stat st;
      if (::stat(path.c_str(), &st) == 0) {
        if (struct group* g = ::getgrgid(st.st_gid)) group = g->gr_name;
      }
      lastError_ = path + ": " + std::strerror(err) + ". Your user must belong to the group \"" +
                   group + "\" that owns the device: add it (sudo usermod -aG " + group +
                   " $USER) and log in again.";
      break;
    }
    case EBUSY:
      lastError_ = path + ": the port is in use by another program. Close that program " +
                   "(or its connection) and try again.";
      break;
    case ENOENT:
    case ENXIO:
    case ENODEV:
      lastError_ = path + ": no such port. Choose an existing port in the serial settings.";
      break;
    case ENOTTY:
      lastError_ = path + ": not a serial port. Choose a serial port in the serial settings.";
      break;
    default: lastError_ = path + ": " + std::strerror(err) + "."; break;
  }
}

int SerialPort::Open(const char* portName, uint32_t baudRate, int parity, int readIntervalTimeout,
                     int readTotalTimeoutConstant, int readTotalTimeoutMultiplier,
                     int writeTotalTimeoutConstant, int writeTotalTimeoutMultiplier) {
  Close();
  lastErrno_ = 0;
  lastError_.clear();
  std::memset(portName_, 0, sizeof portName_);
  if (portName) std::strncpy(portName_, portName, sizeof portName_ - 1);
  baudRate_ = baudRate;
  parity_ = parity;

  const std::string path = DevicePath(portName_);
  int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    Fail(errno, path);
    return kInvalidHandle;
  }
  if (!::isatty(fd)) {
    ::close(fd);
    Fail(ENOTTY, path);
    return kInvalidHandle;
  }
  // Exclusive use: the lock also holds against root, which TIOCEXCL does not
  // stop. Nothing of the line is touched before the lock is ours.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    int err = errno;
    ::close(fd);
    Fail(err == EWOULDBLOCK ? EBUSY : err, path);
    return kInvalidHandle;
  }
  ::ioctl(fd, TIOCEXCL);

  const int factor = BaudFactor(baudRate);
  // Values from a hand-edited settings file may be anything: keep them within
  // 0 .. one hour instead of overflowing.
  auto scaled = [](int ms, int f) {
    return static_cast<int>(std::clamp<long long>(static_cast<long long>(ms) * f, 0, 3600000));
  };
  readInterval_ = scaled(readIntervalTimeout, factor);
  readTotalConstant_ = scaled(readTotalTimeoutConstant, factor);
  readTotalMultiplier_ = scaled(readTotalTimeoutMultiplier, 1);
  writeTotalConstant_ = scaled(writeTotalTimeoutConstant, factor);
  writeTotalMultiplier_ = scaled(writeTotalTimeoutMultiplier, 1);

  // Raw 8N1 without flow control first, then the parity on top: a device that
  // refuses the parity (a pseudo-terminal does) still gets a raw line.
  termios t{};
  if (::tcgetattr(fd, &t) == 0) {
    ::cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
    t.c_cflag |= CS8;
    t.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | ISTRIP);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    bool known = false;
    speed_t speed = SpeedConstant(baudRate, &known);
    if (known) ::cfsetspeed(&t, speed);
    ::tcsetattr(fd, TCSANOW, &t);
    if (parity == 1 || parity == 2) {
      t.c_cflag |= PARENB;
      if (parity == 1) t.c_cflag |= PARODD;
      ::tcsetattr(fd, TCSANOW, &t);
    }
  }
  handle_ = fd;
  return fd;
}

int SerialPort::Close() {
  if (handle_ == kInvalidHandle) return 0;
  // The exclusive mode belongs to the line, not to this handle: it would
  // outlive the close while anyone else (a simulator) holds the line open.
  ::ioctl(handle_, TIOCNXCL);
  ::flock(handle_, LOCK_UN);
  ::close(handle_);
  handle_ = kInvalidHandle;
  return 1;
}

int SerialPort::Write(const uint8_t* bytes, int n) {
  if (handle_ == kInvalidHandle || n <= 0) return 0;
  ::tcflush(handle_, TCIFLUSH);
  const auto deadline =
      Clock::now() + std::chrono::milliseconds(static_cast<long long>(writeTotalMultiplier_) * n +
                                               writeTotalConstant_);
  int written = 0;
  while (written < n) {
    ssize_t r = ::write(handle_, bytes + written, static_cast<size_t>(n - written));
    if (r > 0) {
      written += static_cast<int>(r);
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && errno != EAGAIN) break;
    int ms = MsUntil(deadline);
    if (ms <= 0) break;
    pollfd p{handle_, POLLOUT, 0};
    if (::poll(&p, 1, ms) < 0 && errno != EINTR) break;
  }
  ::tcdrain(handle_);
  return written;
}

int SerialPort::Read(uint8_t* buffer, int size) {
  return ReadReply(buffer, size, -1, nullptr);
}

int64_t SerialPort::InterFrameGapMicros(uint32_t baudRate) {
  if (baudRate == 0 || baudRate > 19200) return 1750;
  return (35LL * 11 * 1000000 / 10 + baudRate - 1) / baudRate;
}

int SerialPort::ReadReply(uint8_t* buffer, int size, int waitMs,
                          const std::function<bool(const uint8_t*, int)>& complete) {
  if (handle_ == kInvalidHandle || size < 5) return 0;
  const int limit = std::min(size, kReceiveLimit);
  const auto interval = std::chrono::milliseconds(readInterval_);
  const bool fast = waitMs >= 0;
  int got = 0;
  Clock::time_point lastByte{};

  // Reads into buffer[got, want) until want is reached, the reply is
  // complete or time is up.
  auto readUntil = [&](int want, Clock::time_point deadline) {
    while (got < want) {
      Clock::time_point until = deadline;
      if (got > 0 && readInterval_ > 0) until = std::min(until, lastByte + interval);
      if (!WaitReadable(handle_, until)) return;
      ssize_t r = ::read(handle_, buffer + got, static_cast<size_t>(want - got));
      if (r > 0) {
        got += static_cast<int>(r);
        lastByte = Clock::now();
        if (complete && got >= 5 && complete(buffer, got)) return;
      } else if (r == 0 || (errno != EINTR && errno != EAGAIN)) {
        return;  // hung up or failed
      }
    }
  };

  // The first five bytes, within the read total time-out of a 5-byte read
  // (after the settle time the fast exchange does not sleep).
  auto start = Clock::now();
  readUntil(5, start + std::chrono::milliseconds(static_cast<long long>(readTotalMultiplier_) * 5 +
                                                 readTotalConstant_ + (fast ? waitMs : 0)));
  if (got < 5) return 0;
  // The rest, ending at the first silence longer than the interval time-out.
  if (!(complete && complete(buffer, got))) {
    start = Clock::now();
    readUntil(limit, start + std::chrono::milliseconds(static_cast<long long>(readTotalMultiplier_) *
                                                           kQueueSize +
                                                       readTotalConstant_));
  }
  if (fast) {
    const auto quietUntil = lastByte + std::chrono::microseconds(InterFrameGapMicros(baudRate_));
    if (quietUntil > Clock::now()) std::this_thread::sleep_until(quietUntil);
  }
  return got;
}
