#pragma once
// Fault injection: rules that spoil replies on purpose.
//
// A rule is given as KIND[:KEY=VALUE,...]. Kinds:
//   drop       no reply at all
//   late       the reply is sent ms milliseconds late (default 1000)
//   truncate   only the first `bytes` bytes of the reply are sent (default 4)
//   gap        the first `bytes` bytes (default 5), a pause of ms, the rest
//   corrupt    one byte of the reply is changed (its check then fails)
//   exception  an exception reply: function code with bit 7 set and the
//              exception code `code` (default 4)
//   count      the count byte of the reply is one more than it should be,
//              with a correct check (functions whose replies carry a count)
//   short      the reply carries `bytes` data bytes fewer (default 1), with
//              its count byte (where it has one) and its check consistent
//   station    the reply comes from station address + 1, with a good check
// Keys (all optional):
//   fn=N       only requests of this function code (decimal or 0x..)
//   framing=rtu|ascii   only requests of this framing
//   rate=R     probability 0-1 that a matching request is hit (default 1),
//              drawn from the generator seeded with --seed
//   skip=N     let the first N matching requests pass unharmed
//   count=N    hit at most N requests (default: no limit)
//   ms=N, bytes=N, code=N   parameters of the kind, as above
// The first rule that matches a request decides; requests of other stations
// and broken requests are never answered anyway.
#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "framing.h"

namespace recsim {

enum class FaultKind { None, Drop, Late, Truncate, Gap, Corrupt, Exception, Count, Short, Station };

struct FaultRule {
  FaultKind kind = FaultKind::None;
  int function = -1;  // -1: any
  int framing = -1;   // -1: any, 0 RTU, 1 ASCII
  double rate = 1.0;
  long skip = 0;
  long count = -1;  // -1: no limit
  int ms = 1000;
  int bytes = -1;  // -1: the kind's default
  int code = 4;
  long seen = 0;  // matching requests so far
  long hit = 0;   // requests spoilt so far
};

// Command-line text shared by the rule and option parsers.
// A decimal whole number from low to high (a leading 0 is still decimal);
// with hex, 0x.. hexadecimal too. False for anything else or out of range.
bool ParseLong(const char* text, long low, long high, long* out, bool hex = false);
// Walks "KEY=VALUE,KEY=VALUE,..." in order, handing each item and its two
// halves to each(), and stops at the first item each() refuses (false). An
// item without '=' stops the walk as well and is given back in *unpaired
// (left empty otherwise). True when every item was taken.
bool ForEachSetting(const std::string& list,
                    const std::function<bool(const std::string& item, const std::string& key,
                                             const std::string& value)>& each,
                    std::optional<std::string>* unpaired);

// Parses one rule; false with a message on error.
bool ParseFaultRule(const std::string& text, FaultRule* rule, std::string* error);
const char* FaultName(FaultKind kind);

// What to do with one reply.
struct FaultPlan {
  FaultKind kind = FaultKind::None;
  const FaultRule* rule = nullptr;
};

class FaultInjector {
 public:
  explicit FaultInjector(uint64_t seed) : rng_(seed) {}
  void Add(const FaultRule& rule) { rules_.push_back(rule); }
  // Chooses the fault for a request of this function and framing.
  FaultPlan Choose(int function, Framing framing);

 private:
  std::vector<FaultRule> rules_;
  std::mt19937_64 rng_;
};

// Applies the pdu-level faults (exception, count, short, station) to a reply
// before it is framed. `countAt` is the index of the count byte in the pdu
// (-1: the reply has none).
void SpoilPdu(const FaultPlan& plan, int countAt, std::vector<uint8_t>* pdu);
// Applies corrupt and truncate to the framed reply.
void SpoilFrame(const FaultPlan& plan, Framing framing, std::vector<uint8_t>* frame);

}  // namespace recsim
