#pragma once
// Framing: cutting the received bytes into requests, and wrapping replies.
//
// RTU requests are raw bytes closed by a CRC-16 (low byte first); their
// length follows from the function code (0x03, 0x16: 8 bytes; 0x13: 8 bytes
// by address in the register family, 12 by time in the block family; 0x14,
// 0x41: 5). ASCII requests are ':', two hexadecimal characters per byte, the
// LRC and CR LF. Whatever does not fit either is taken as one frame once the
// line has been silent for a moment, and then fails its check.
#include <cstdint>
#include <string>
#include <vector>

#include "recorder.h"

namespace recsim {

enum class Framing { Rtu, Ascii };

struct Request {
  Framing framing = Framing::Rtu;
  std::vector<uint8_t> wire;  // as received
  std::vector<uint8_t> pdu;   // station, function, data (no check bytes)
  bool checkOk = false;
};

class FrameSplitter {
 public:
  explicit FrameSplitter(Family family) : family_(family) {}
  void Feed(const uint8_t* bytes, size_t n) { buffer_.insert(buffer_.end(), bytes, bytes + n); }
  bool Pending() const { return !buffer_.empty(); }
  // Takes the next complete request off the buffer. With `silence` set (the
  // line has been quiet), whatever is left counts as one frame.
  bool Next(bool silence, Request* out);

 private:
  int RtuLength(uint8_t function) const;
  Family family_;
  std::vector<uint8_t> buffer_;
};

// The reply frame of a pdu (station, function, data) in the given framing.
std::vector<uint8_t> EncodeReply(Framing framing, const std::vector<uint8_t>& pdu, bool lowerCase);

// The request as a log text: RTU bytes in hexadecimal, ASCII as its text.
std::string DescribeWire(const Request& r);

}  // namespace recsim
