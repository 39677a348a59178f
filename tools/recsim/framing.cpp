#include "framing.h"

#include <cstdio>

#include "link/frames.h"

namespace recsim {

namespace {
constexpr size_t kBufferLimit = 64 * 1024;
}  // namespace

int FrameSplitter::RtuLength(uint8_t function) const {
  switch (function) {
    case 0x03:
    case 0x16: return 8;
    case 0x13: return family_ == Family::Block ? 12 : 8;
    case 0x14:
    case 0x41: return 5;
    default: return 0;
  }
}

namespace {

bool RtuCheck(const uint8_t* b, size_t n) {
  if (n < 4) return false;
  const uint16_t crc = reclink::Crc16(b, n - 2);
  return b[n - 2] == (crc & 0xFF) && b[n - 1] == (crc >> 8);
}

Request MakeRtu(const uint8_t* b, size_t n) {
  Request r;
  r.framing = Framing::Rtu;
  r.wire.assign(b, b + n);
  r.checkOk = RtuCheck(b, n);
  if (r.checkOk) r.pdu.assign(b, b + n - 2);
  return r;
}

Request MakeAscii(const uint8_t* b, size_t n) {
  Request r;
  r.framing = Framing::Ascii;
  r.wire.assign(b, b + n);
  // ':' pairs... LRC CR LF
  if (n < 7 || b[0] != ':' || b[n - 2] != '\r' || b[n - 1] != '\n' || (n - 3) % 2 != 0) return r;
  std::vector<uint8_t> raw;
  for (size_t i = 1; i + 1 < n - 2; i += 2)
    raw.push_back(reclink::HexByte(static_cast<char>(b[i]), static_cast<char>(b[i + 1])));
  uint8_t sum = 0;
  for (uint8_t v : raw) sum = static_cast<uint8_t>(sum + v);
  if (sum != 0 || raw.size() < 3) return r;
  raw.pop_back();  // the LRC
  r.pdu = raw;
  r.checkOk = true;
  return r;
}

}  // namespace

bool FrameSplitter::Next(bool silence, Request* out) {
  if (buffer_.empty()) return false;
  size_t take = 0;
  if (buffer_[0] == ':') {
    for (size_t i = 1; i + 1 < buffer_.size(); ++i) {
      if (buffer_[i] == '\r' && buffer_[i + 1] == '\n') {
        take = i + 2;
        break;
      }
    }
    if (take) {
      *out = MakeAscii(buffer_.data(), take);
      buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(take));
      return true;
    }
  } else if (buffer_.size() >= 2) {
    const size_t n = static_cast<size_t>(RtuLength(buffer_[1]));
    if (n && buffer_.size() >= n && RtuCheck(buffer_.data(), n)) {
      *out = MakeRtu(buffer_.data(), n);
      buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<long>(n));
      return true;
    }
  }
  // A line that never falls silent must not fill the memory: beyond the
  // longest frame the link sends many times over, it all counts as one frame.
  if (!silence && buffer_.size() <= kBufferLimit) return false;
  *out = buffer_[0] == ':' ? MakeAscii(buffer_.data(), buffer_.size())
                           : MakeRtu(buffer_.data(), buffer_.size());
  buffer_.clear();
  return true;
}

std::vector<uint8_t> EncodeReply(Framing framing, const std::vector<uint8_t>& pdu, bool lowerCase) {
  if (framing == Framing::Rtu) {
    std::vector<uint8_t> out = pdu;
    const uint16_t crc = reclink::Crc16(pdu.data(), pdu.size());
    out.push_back(static_cast<uint8_t>(crc & 0xFF));
    out.push_back(static_cast<uint8_t>(crc >> 8));
    return out;
  }
  std::vector<uint8_t> out(2 * pdu.size() + 5);
  const size_t n = reclink::EncodeAsciiFrame(pdu.data(), pdu.size(),
                                             reinterpret_cast<char*>(out.data()), lowerCase);
  out.resize(n);
  return out;
}

std::string DescribeWire(const Request& r) {
  std::string s;
  if (r.framing == Framing::Ascii) {
    for (uint8_t c : r.wire) {
      if (c == '\r' || c == '\n') continue;
      if (c >= 0x20 && c < 0x7F) {
        s += static_cast<char>(c);
      } else {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        s += hex;
      }
    }
    return s;
  }
  for (size_t i = 0; i < r.wire.size(); ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, i ? " %02X" : "%02X", r.wire[i]);
    s += hex;
  }
  return s;
}

}  // namespace recsim
