#include "link/recorderlink.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "link/frames.h"

namespace {

void Pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Settle times: how long the recorder is given before its reply is read.
constexpr int kSettleRegisters = 150;
constexpr int kSettleBytes = 150;
constexpr int kSettleBlock = 50;
constexpr int kSettleRecords = 150;
constexpr int kSettleIdentity = 200;
constexpr int kSettleClock = 150;
constexpr int kSettleAscii = 200;

// The largest data part an ASCII reply of kReceiveLimit characters can carry.
constexpr int kAsciiDataMax = (SerialPort::kReceiveLimit - 11) / 2;

}  // namespace

RecorderLink::RecorderLink()
    : curAddress_(0),
      curLength_(0),
      param_{},
      isOpen_(0),
      checkHi_(0),
      checkLo_(0),
      fast_(kFastOff),
      fallbackNotice_(0) {}

RecorderLink::~RecorderLink() { Close(); }

int RecorderLink::Open(const _tagComParam& param) {
  Close();
  _tagComParam copy = param;
  copy.ComPort[sizeof copy.ComPort - 1] = '\0';
  int handle = port_.Open(copy.ComPort, static_cast<uint32_t>(copy.Baudrate), copy.Parity,
                          copy.ReadIntervalTimeout, copy.ReadTotalTimeoutConstant,
                          copy.ReadTotalTimeoutMultiplier, copy.WriteTotalTimeoutConstant,
                          copy.WriteTotalTimeoutMultiplier);
  if (handle == SerialPort::kInvalidHandle) return 0;
  param_ = copy;
  isOpen_ = 1;
  // A new session tries the fast exchange again.
  if (fast_ == kFastFellBack) fast_ = kFastOn;
  fallbackNotice_ = 0;
  return 1;
}

void RecorderLink::Close() {
  isOpen_ = 0;
  port_.Close();
}

void RecorderLink::FallBack() {
  fast_ = kFastFellBack;
  fallbackNotice_ = 1;
}

void RecorderLink::Rest(int ms) const {
  if (fast_ != kFastOn) Pause(ms);
}

int RecorderLink::ExchangeRtu(uint8_t* request, int n, int settleMs, uint8_t* reply, int expect,
                              bool* noReply) {
  const uint16_t crc = reclink::Crc16(request, static_cast<size_t>(n));
  request[n] = static_cast<uint8_t>(crc & 0xFF);
  request[n + 1] = static_cast<uint8_t>(crc >> 8);
  if (fast_ == kFastOn) {
    const int got = ExchangeRtuOnce(request, n, settleMs, reply, expect, true, noReply);
    if (got > 0) return got;
    // Whether the recorder only needed its settle time: the same request once
    // more the old way, after whatever is left of a broken reply has passed.
    port_.Read(reply, SerialPort::kReceiveLimit);
    const int again = ExchangeRtuOnce(request, n, settleMs, reply, expect, false, noReply);
    if (again > 0) FallBack();
    return again;
  }
  return ExchangeRtuOnce(request, n, settleMs, reply, expect, false, noReply);
}

int RecorderLink::ExchangeRtuOnce(uint8_t* request, int n, int settleMs, uint8_t* reply,
                                  int expect, bool fast, bool* noReply) {
  checkLo_ = request[n];
  checkHi_ = request[n + 1];
  port_.Write(request, n + 2);
  int got = 0;
  if (fast) {
    got = port_.ReadReply(reply, SerialPort::kReceiveLimit, settleMs,
                          [request, expect](const uint8_t* r, int m) {
                            return expect > 0 && m >= expect &&
                                   reclink::CheckRtuReply(request, r, m, nullptr);
                          });
  } else {
    Pause(settleMs);
    got = port_.Read(reply, SerialPort::kReceiveLimit);
  }
  if (noReply) *noReply = got == 0;
  uint16_t check = 0;
  const bool valid = reclink::CheckRtuReply(request, reply, got, &check);
  if (got >= 5) {
    checkLo_ = static_cast<uint8_t>(check & 0xFF);
    checkHi_ = static_cast<uint8_t>(check >> 8);
  }
  return valid ? got : 0;
}

int RecorderLink::ExchangeAscii(const uint8_t* raw, int n, uint8_t* data, int dataSize) {
  char text[2 * 8 + 5];
  const size_t len = reclink::EncodeAsciiFrame(raw, static_cast<size_t>(n), text);
  const auto* bytes = reinterpret_cast<const uint8_t*>(text);
  if (fast_ == kFastOn) {
    const int carried = ExchangeAsciiOnce(bytes, static_cast<int>(len), raw, data, dataSize, true);
    if (carried >= 0) return carried;
    {
      uint8_t rest[SerialPort::kReceiveLimit];
      port_.Read(rest, sizeof rest);
    }
    const int again = ExchangeAsciiOnce(bytes, static_cast<int>(len), raw, data, dataSize, false);
    if (again >= 0) FallBack();
    return again;
  }
  return ExchangeAsciiOnce(bytes, static_cast<int>(len), raw, data, dataSize, false);
}

int RecorderLink::ExchangeAsciiOnce(const uint8_t* text, int len, const uint8_t* raw,
                                    uint8_t* data, int dataSize, bool fast) {
  checkHi_ = text[len - 4];
  checkLo_ = text[len - 3];
  port_.Write(text, len);
  uint8_t reply[SerialPort::kReceiveLimit];
  int got = 0;
  if (fast) {
    // A reply is whole at its CR LF: the hexadecimal text holds no other.
    got = port_.ReadReply(reply, sizeof reply, kSettleAscii, [](const uint8_t* r, int m) {
      return m >= 11 && r[m - 2] == '\r' && r[m - 1] == '\n';
    });
  } else {
    Pause(kSettleAscii);
    got = port_.Read(reply, sizeof reply);
  }
  int lrc = -1;
  const int carried = reclink::DecodeAsciiReply(raw, reply, got, data, dataSize, &lrc);
  if (lrc >= 0) {
    checkHi_ = static_cast<uint8_t>(reclink::HexDigit(static_cast<unsigned>(lrc) >> 4));
    checkLo_ = static_cast<uint8_t>(reclink::HexDigit(static_cast<unsigned>(lrc)));
  }
  if (carried < 0) return -1;
  if (!fast) Pause(30);
  return carried;
}

bool RecorderLink::ChunkOnce(Chunked kind, uint8_t* out) {
  const uint8_t a = Station();
  if (kind == Chunked::RegistersAscii) {
    const uint8_t raw[6] = {a,
                            0x03,
                            static_cast<uint8_t>(curAddress_ >> 8),
                            static_cast<uint8_t>(curAddress_),
                            static_cast<uint8_t>(curLength_ >> 8),
                            static_cast<uint8_t>(curLength_)};
    uint8_t data[kAsciiDataMax];
    const int carried = ExchangeAscii(raw, 6, data, sizeof data);
    if (carried < curLength_) return false;
    std::memcpy(out, data, curLength_);
    return true;
  }

  const bool registers = kind == Chunked::Registers;
  const uint16_t count = registers ? static_cast<uint16_t>(curLength_ / 2) : curLength_;
  uint8_t request[8] = {a,
                        static_cast<uint8_t>(registers ? 0x03 : 0x16),
                        static_cast<uint8_t>(curAddress_ >> 8),
                        static_cast<uint8_t>(curAddress_),
                        static_cast<uint8_t>(count >> 8),
                        static_cast<uint8_t>(count)};
  uint8_t reply[SerialPort::kReceiveLimit];
  const int got = ExchangeRtu(request, 6, registers ? kSettleRegisters : kSettleBytes, reply,
                              3 + curLength_ + 2);
  if (got == 0) return false;
  // A chunk of 256 bytes has the count 0 on the wire (its low byte).
  if (reply[2] != (curLength_ & 0xFF)) return false;
  if (got - 5 < curLength_) return false;
  std::memcpy(out, reply + 3, curLength_);
  return true;
}

int RecorderLink::ReadChunked(Chunked kind, uint16_t address, uint16_t length, uint8_t* buffer) {
  if (!isOpen_) return 0;
  if (length == 0) return 1;
  const int chunks = (length + kChunkSize - 1) / kChunkSize;
  // A read of several chunks is gathered apart, so that a failure leaves the
  // caller's buffer as it was.
  std::vector<uint8_t> staging;
  uint8_t* out = buffer;
  if (chunks > 1) {
    staging.resize(length);
    out = staging.data();
  }
  for (int i = 0; i < chunks; ++i) {
    curAddress_ = static_cast<uint16_t>(address + kChunkSize * i);
    curLength_ = static_cast<uint16_t>(i == chunks - 1 ? length - kChunkSize * i : kChunkSize);
    bool ok = false;
    for (int attempt = 0; attempt < Attempts() && !ok; ++attempt) {
      if (attempt > 0 && kind == Chunked::Registers) Pause(200);
      ok = ChunkOnce(kind, out + kChunkSize * i);
    }
    if (!ok) return 0;
    if (kind != Chunked::Registers) Rest(50);
  }
  Rest(50);
  if (chunks > 1) std::memcpy(buffer, staging.data(), length);
  return 1;
}

int RecorderLink::ReadRegisters(uint16_t address, uint16_t length, uint8_t* buffer) {
  return ReadChunked(Chunked::Registers, address, length, buffer);
}

int RecorderLink::ReadRegistersAscii(uint16_t address, uint16_t length, uint8_t* buffer) {
  return ReadChunked(Chunked::RegistersAscii, address, length, buffer);
}

int RecorderLink::ReadBytes(uint16_t address, uint16_t length, uint8_t* buffer) {
  return ReadChunked(Chunked::Bytes, address, length, buffer);
}

int RecorderLink::ReadBlock(uint32_t address, uint8_t* buffer, int length, int framing) {
  const uint8_t a = Station();
  if (framing == kRtu) {
    if (length <= 0) return 0;
    uint8_t request[8] = {a,
                          0x13,
                          static_cast<uint8_t>(address >> 24),
                          static_cast<uint8_t>(address >> 16),
                          static_cast<uint8_t>(address >> 8),
                          static_cast<uint8_t>(address)};
    uint8_t reply[SerialPort::kReceiveLimit];
    bool noReply = false;
    const int got = ExchangeRtu(request, 6, kSettleBlock, reply, 3 + kChunkSize + 2, &noReply);
    if (got == 0) {
      if (noReply) Pause(100);
      return 0;
    }
    // The recorder answers a block of 256 data bytes after three header bytes.
    if (got < 3 + kChunkSize + 2) return 0;
    curLength_ = kChunkSize;
    const int copy = std::min(length, kChunkSize);
    std::memcpy(buffer, reply + 3, static_cast<size_t>(copy));
    Rest(10);
    return copy;
  }
  if (framing == kAscii) {
    // The ASCII request has room for a 24-bit address and a one-byte length.
    if (length < 1 || length > kChunkSize || address > 0xFFFFFFu) return 0;
    const uint8_t raw[6] = {a,
                            0x13,
                            static_cast<uint8_t>(address >> 16),
                            static_cast<uint8_t>(address >> 8),
                            static_cast<uint8_t>(address),
                            static_cast<uint8_t>(length)};
    uint8_t data[kAsciiDataMax];
    const int carried = ExchangeAscii(raw, 6, data, sizeof data);
    if (carried < length) return 0;
    curLength_ = static_cast<uint16_t>(length);
    std::memcpy(buffer, data, static_cast<size_t>(length));
    return length;
  }
  return 0;
}

int RecorderLink::ReadRecordsAt(time_t time, int recordsPerRequest, int channelCount,
                                uint8_t* buffer, int bufferSize) {
  if (!isOpen_) return 0;
  if (recordsPerRequest < 1 || recordsPerRequest > 255 || channelCount < 1 || channelCount > 255 ||
      !buffer || bufferSize <= 0)
    return 0;
  struct tm t;
  if (!localtime_r(&time, &t)) return 0;
  const int year = t.tm_year + 1900 - 2000;
  if (year < 0 || year > 255) return 0;
  uint8_t request[12] = {Station(),
                         0x13,
                         static_cast<uint8_t>(year),
                         static_cast<uint8_t>(t.tm_mon + 1),
                         static_cast<uint8_t>(t.tm_mday),
                         static_cast<uint8_t>(t.tm_hour),
                         static_cast<uint8_t>(t.tm_min),
                         static_cast<uint8_t>(t.tm_sec),
                         static_cast<uint8_t>(recordsPerRequest),
                         static_cast<uint8_t>(channelCount)};
  uint8_t reply[SerialPort::kReceiveLimit];
  const int need = recordsPerRequest * channelCount * 2;
  const int got = ExchangeRtu(request, 10, kSettleRecords, reply, 10 + need + 2);
  if (got == 0) return 0;
  if (got - 12 < need) return 0;
  const int copy = std::min(need, bufferSize);
  std::memcpy(buffer, reply + 10, static_cast<size_t>(copy));
  return copy;
}

int RecorderLink::ReadIdentity(uint8_t* buffer) {
  uint8_t request[5] = {Station(), 0x41, 0x00};
  uint8_t reply[SerialPort::kReceiveLimit];
  const int got = ExchangeRtu(request, 3, kSettleIdentity, reply, 4 + kIdentitySize + 2);
  if (got == 0 || got < 4 + kIdentitySize + 2) return 0;
  if (reply[3] != kIdentitySize) return 0;
  std::memcpy(buffer, reply + 4, kIdentitySize);
  Rest(30);
  return kIdentitySize;
}

int RecorderLink::ReadIdentityAscii(uint8_t* buffer, int bufferSize) {
  if (!buffer || bufferSize <= 0) return 0;
  const uint8_t raw[2] = {Station(), 0x41};
  uint8_t data[kAsciiDataMax];
  const int carried = ExchangeAscii(raw, 2, data, sizeof data);
  if (carried <= 0) return 0;
  const int copy = std::min(carried, bufferSize);
  std::memcpy(buffer, data, static_cast<size_t>(copy));
  return copy;
}

int RecorderLink::ReadClock(uint8_t* stamp6) {
  for (int attempt = 0; attempt < Attempts(); ++attempt) {
    uint8_t request[5] = {Station(), 0x14, 0x00};
    uint8_t reply[SerialPort::kReceiveLimit];
    const int got = ExchangeRtu(request, 3, kSettleClock, reply, 3 + 6 + 2);
    if (got == 0 || got - 5 < 6) continue;
    std::memcpy(stamp6, reply + 3, 6);
    Rest(50);
    Rest(50);
    return 1;
  }
  return 0;
}
