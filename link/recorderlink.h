#pragma once
// The link to a recorder: one object per connection, owning the serial port,
// speaking the recorder's request/reply protocol in its two framings (RTU:
// raw bytes closed by a CRC-16; ASCII: hexadecimal text between ':' and CR LF,
// closed by an LRC). The recorder only answers; the link only reads, it sends
// nothing that changes a recorder.
//
// The main program opens the link and hands its address to a driver plug-in,
// which calls the same operations on the same object; both are built from
// this header, so the layout below is shared.
//
// Every operation returns non-zero on success and 0 on failure. No reply can
// write past the caller's buffer: every length taken from a reply is checked
// against the bytes actually received, a reply carrying fewer data bytes than
// asked for fails that exchange, and at most the length asked is copied.
//
// Not thread-safe: one thread at a time uses a link.
#include <cstdint>
#include <ctime>

#include "link/comparam.h"
#include "link/serialport.h"

class RecorderLink {
 public:
  static constexpr int kChunkSize = 256;  // longest data part of one request
  static constexpr int kIdentitySize = 10;
  static constexpr int kRtu = 0;  // framing argument of ReadBlock
  static constexpr int kAscii = 1;

  RecorderLink();
  ~RecorderLink();  // closes the link when open
  RecorderLink(const RecorderLink&) = delete;
  RecorderLink& operator=(const RecorderLink&) = delete;

  // Opens the port named by param with its baud rate, parity and the five
  // time-outs, and keeps a copy of the whole record. 1 on success; on failure
  // 0, the link stays closed and Port().LastError() says why.
  int Open(const _tagComParam& param);
  void Close();  // harmless on a closed link
  int IsOpen() const { return isOpen_; }

  // Function 0x03 in RTU framing: length bytes of 16-bit registers from
  // address, in chunks of 256 bytes (the address advancing by 256 per chunk);
  // the request counts registers (length / 2). A length of 0 succeeds without
  // traffic. Each chunk is tried ReadDefaultErrorTimes times (at least once),
  // 200 ms apart. Fails at once when the link is not open.
  int ReadRegisters(uint16_t address, uint16_t length, uint8_t* buffer);
  // Function 0x03 in ASCII framing; the request gives the length in bytes.
  int ReadRegistersAscii(uint16_t address, uint16_t length, uint8_t* buffer);
  // Function 0x16 in RTU framing: a byte area of recorder memory.
  int ReadBytes(uint16_t address, uint16_t length, uint8_t* buffer);

  // Function 0x13 by memory address, one request, no retry. framing kRtu: the
  // recorder always answers 256 data bytes; min(length, 256) of them are
  // copied. framing kAscii: the request carries a 24-bit address and the
  // length (1-256, sent as one byte) and length bytes are copied. Any other
  // framing fails. Returns the number of bytes copied.
  int ReadBlock(uint32_t address, uint8_t* buffer, int length, int framing);

  // Function 0x13 by time (RTU): recordsPerRequest records of channelCount
  // 2-byte counts each, record-major, starting at the local time `time`.
  // Fails unless the reply holds all of them; copies at most bufferSize
  // bytes. Returns the number of bytes copied. Fails at once when not open.
  int ReadRecordsAt(time_t time, int recordsPerRequest, int channelCount, uint8_t* buffer,
                    int bufferSize);

  // Function 0x41 in RTU framing: the 10 identity bytes (the model string,
  // NUL-padded) into buffer[0..10). Returns 10.
  int ReadIdentity(uint8_t* buffer);
  // Function 0x41 in ASCII framing: the identity the recorder sends, at most
  // bufferSize bytes of it. Returns the number of bytes copied. Recorders of
  // the block family do not answer.
  int ReadIdentityAscii(uint8_t* buffer, int bufferSize);

  // Function 0x14: the recorder clock as 6 bytes (year - 2000, month, day,
  // hour, minute, second), tried ReadDefaultErrorTimes times.
  int ReadClock(uint8_t* stamp6);

  // The fast exchange, off after construction. Every exchange normally
  // sleeps the command's settle time before it reads the reply; the fast
  // exchange reads the reply as it arrives instead (ending it as soon as it
  // is whole, with the same total time-out) and keeps only the inter-frame
  // gap of the line before the next request. When a fast exchange fails and
  // the same request then succeeds with the settle time, the recorder does
  // not keep up: the link goes on with the settle time until it is opened
  // again, and FallbackNotice() says so once.
  void SetFastExchange(bool on) { fast_ = on ? kFastOn : kFastOff; }
  // True while the fast exchange is in use (asked for, not fallen back).
  bool FastExchange() const { return fast_ == kFastOn; }
  bool FellBack() const { return fast_ == kFastFellBack; }
  // True exactly once after a fall-back, for the caller to tell the user.
  bool FallbackNotice() {
    if (!fallbackNotice_) return false;
    fallbackNotice_ = 0;
    return true;
  }

  // The state of the last exchange, for callers that report what went on.
  uint16_t CurAddress() const { return curAddress_; }
  uint16_t CurLength() const { return curLength_; }
  uint8_t CheckHi() const { return checkHi_; }
  uint8_t CheckLo() const { return checkLo_; }
  const _tagComParam& Param() const { return param_; }
  const SerialPort& Port() const { return port_; }

 private:
  enum class Chunked { Registers, RegistersAscii, Bytes };
  int ReadChunked(Chunked kind, uint16_t address, uint16_t length, uint8_t* buffer);
  bool ChunkOnce(Chunked kind, uint8_t* out);
  // One RTU exchange: sends request[0..n) with its CRC, waits settleMs, reads
  // the reply and checks address, function and CRC. Returns the reply length
  // (0 on failure; *noReply tells whether nothing came at all). request has
  // room for the two CRC bytes.
  // expect: the length of a whole reply (the fast exchange ends there when
  // the check adds up; 0 ends it only at the silence after it).
  int ExchangeRtu(uint8_t* request, int n, int settleMs, uint8_t* reply, int expect,
                  bool* noReply = nullptr);
  int ExchangeRtuOnce(uint8_t* request, int n, int settleMs, uint8_t* reply, int expect,
                      bool fast, bool* noReply);
  int ExchangeAsciiOnce(const uint8_t* text, int len, const uint8_t* raw, uint8_t* data,
                        int dataSize, bool fast);
  // A fast exchange failed and its repeat with the settle time succeeded.
  void FallBack();
  // The fixed pauses after a reply; the fast exchange keeps the inter-frame
  // gap instead.
  void Rest(int ms) const;
  // One ASCII exchange: sends the raw request bytes as text with the LRC,
  // waits 200 ms, reads and checks the reply and decodes its data bytes
  // (count byte, then the data) into data. Returns the number of data bytes
  // the reply carries, -1 on failure.
  int ExchangeAscii(const uint8_t* raw, int n, uint8_t* data, int dataSize);
  uint8_t Station() const { return static_cast<uint8_t>(param_.Address & 0xFF); }
  int Attempts() const {
    return param_.ReadDefaultErrorTimes > 0 ? param_.ReadDefaultErrorTimes : 1;
  }

  // The layout shared with the driver plug-ins, in this order.
  uint16_t curAddress_;
  uint16_t curLength_;
  _tagComParam param_;
  int32_t isOpen_;
  uint8_t checkHi_;
  uint8_t checkLo_;
  // Two bytes that would otherwise be padding before port_ (the object's
  // size and the offsets of the fields above and below stay as they were).
  static constexpr uint8_t kFastOff = 0, kFastOn = 1, kFastFellBack = 2;
  uint8_t fast_;
  uint8_t fallbackNotice_;
  SerialPort port_;
};
