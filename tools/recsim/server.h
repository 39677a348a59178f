#pragma once
// The request handler: what the recorder answers to each request.
//
// Register family: ASCII identity (0x41), 0x03 in RTU and ASCII framing over
// the register map, 0x13 by address over the channel rings (RTU: 256 bytes
// from a 32-bit address; ASCII: a 24-bit address and a one-byte length, 0
// meaning 256), and the RTU identity.
// Block family: no ASCII answers at all; RTU 0x41 identity, 0x14 clock (time
// of the newest record), 0x16 over the block map, 0x03 over the register map,
// 0x13 by time.
// Unknown functions get exception 1, malformed or oversized requests
// exception 3, a 0x13 by time with an invalid stamp exception 3.
#include <cstdint>
#include <string>
#include <vector>

#include "blockmap.h"
#include "framing.h"
#include "recorder.h"

namespace recsim {

struct Answer {
  bool reply = false;        // false: stay silent
  std::vector<uint8_t> pdu;  // station, function, data
  int countAt = -1;          // index of the count byte in pdu, -1: none
  std::string note;          // why silent, for the log
};

class Server {
 public:
  explicit Server(const Recorder& r) : recorder_(r), blocks_(r) {}
  Answer Handle(const Request& request) const;

 private:
  Answer RegisterFamily(const Request& q) const;
  Answer BlockFamily(const Request& q) const;
  Answer Registers(const Request& q) const;
  Answer Identity(const Request& q) const;
  Answer Exception(const Request& q, uint8_t code) const;

  const Recorder& recorder_;
  BlockMap blocks_;
};

}  // namespace recsim
