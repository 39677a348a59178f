#pragma once
// A serial port as the recorder link uses it: opened exclusively, raw 8 data
// bits and 1 stop bit, and read with the time-out rules the recorders were
// built around (a reply is complete at the first silence on the line).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

class SerialPort {
 public:
  // The device path of a port name: "COMn" is /dev/ttyS<n-1>, a name without
  // '/' lies under /dev, anything else is taken as a path.
  static std::string DevicePath(const char* portName);

  // The multiplier for the constant time-outs at a baud rate, so that they
  // stay about the same number of character times at every speed: 1200 → 48,
  // 2400 → 24, 4800 → 12, 9600 → 6, 19200 → 3, 38400 → 2, any other → 1.
  static int BaudFactor(uint32_t baudRate);

  static constexpr int kInvalidHandle = -1;
  // Size of the input and output queues; a reply read is at most 5 bytes plus
  // this many.
  static constexpr int kQueueSize = 4146;
  static constexpr int kReceiveLimit = 5 + kQueueSize;
  static constexpr size_t kPortNameSize = 64;

  SerialPort();
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens the port for reading and writing, exclusively (a port that another
  // user holds fails with EBUSY and keeps that user's settings), raw, 8 data
  // bits, 1 stop bit, parity 0 none / 1 odd / 2 even, no flow control. The
  // three constant time-outs (ms) are multiplied by BaudFactor(baudRate); the
  // two per-byte multipliers are kept as given. Returns the handle, or
  // kInvalidHandle with the reason kept for LastError(). The line settings
  // are applied as far as the device takes them; a device that refuses them
  // (a pseudo-terminal refuses parity) is still used.
  int Open(const char* portName, uint32_t baudRate, int parity, int readIntervalTimeout,
           int readTotalTimeoutConstant, int readTotalTimeoutMultiplier,
           int writeTotalTimeoutConstant, int writeTotalTimeoutMultiplier);

  // 1 when a handle was open and is now closed, 0 when none was open.
  int Close();

  bool IsOpen() const { return handle_ != kInvalidHandle; }
  int Handle() const { return handle_; }
  const char* PortName() const { return portName_; }
  uint32_t BaudRate() const { return baudRate_; }
  int Parity() const { return parity_; }

  // Discards everything received so far, then writes the n bytes, waiting at
  // most the write total time-out (multiplier × n + constant). Returns the
  // number of bytes written.
  int Write(const uint8_t* bytes, int n);

  // Reads one reply into buffer (room for size bytes, at most kReceiveLimit
  // are used): first 5 bytes, which must arrive within the read total time-out
  // (multiplier × 5 + constant) with no silence longer than the interval
  // time-out between them, else the result is 0; then the rest of the reply,
  // which ends at the first silence longer than the interval time-out (counted
  // from the last byte received) or when kQueueSize more bytes have come.
  // Returns the number of bytes received (0: no reply).
  int Read(uint8_t* buffer, int size);

  // Reads one reply as it arrives, for the fast exchange: the first 5 bytes
  // must come within waitMs plus the read total time-out of a 5-byte read
  // (the time a settle-time exchange gives the recorder in all), with no
  // silence longer than the interval time-out between them; the reply ends
  // as soon as complete(buffer, got) says it is whole, else at the first
  // silence longer than the interval time-out or at the total time-out, as
  // Read ends it. Before returning it waits until the line has been quiet
  // for the inter-frame gap since the last byte, so a request that follows
  // at once keeps the gap. Returns the number of bytes received (0: no
  // reply).
  int ReadReply(uint8_t* buffer, int size, int waitMs,
                const std::function<bool(const uint8_t*, int)>& complete);

  // The least silence between two frames on the line: 3.5 characters of 11
  // bits at the port's speed, and 1.75 ms at speeds above 19200 baud.
  static int64_t InterFrameGapMicros(uint32_t baudRate);

  // The time-outs in force (ms, after baud scaling).
  int ReadIntervalTimeout() const { return readInterval_; }
  int ReadTotalTimeoutConstant() const { return readTotalConstant_; }
  int ReadTotalTimeoutMultiplier() const { return readTotalMultiplier_; }
  int WriteTotalTimeoutConstant() const { return writeTotalConstant_; }
  int WriteTotalTimeoutMultiplier() const { return writeTotalMultiplier_; }

  // Why the last Open failed: the system error (errno, 0 when none) and a
  // sentence for the user that names the device and says what to do, e.g.
  // "/dev/ttyS0: Permission denied. Your user must belong to the group
  // "dialout" that owns the device; add it (usermod -aG dialout USER) and log
  // in again."
  int LastErrno() const { return lastErrno_; }
  const std::string& LastError() const { return lastError_; }

 private:
  void Fail(int err, const std::string& path);

  int handle_;
  char portName_[kPortNameSize];
  uint32_t baudRate_;
  int parity_;
  int readInterval_;
  int readTotalConstant_;
  int readTotalMultiplier_;
  int writeTotalConstant_;
  int writeTotalMultiplier_;
  int lastErrno_;
  std::string lastError_;
};
