#include "faults.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace recsim {

namespace {

struct KindName {
  FaultKind kind;
  const char* name;
};
const KindName kKinds[] = {{FaultKind::Drop, "drop"},         {FaultKind::Late, "late"},
                           {FaultKind::Truncate, "truncate"}, {FaultKind::Gap, "gap"},
                           {FaultKind::Corrupt, "corrupt"},   {FaultKind::Exception, "exception"},
                           {FaultKind::Count, "count"},       {FaultKind::Short, "short"},
                           {FaultKind::Station, "station"}};

}  // namespace

bool ParseLong(const char* text, long low, long high, long* out, bool hex) {
  if (!text || !*text) return false;
  // Decimal: a leading 0 is not octal. Only function codes and exception codes
  // may be written in hexadecimal, with 0x.
  int base = 10;
  const char* digits = text;
  if (*digits == '-') ++digits;
  if (hex && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) base = 16;
  if (base == 10 && !(*digits >= '0' && *digits <= '9')) return false;
  if (base == 16 && digits != text) return false;
  errno = 0;
  char* end = nullptr;
  long v = std::strtol(text, &end, base);
  if (errno == ERANGE || end == text || *end || v < low || v > high) return false;
  *out = v;
  return true;
}

bool ForEachSetting(const std::string& list,
                    const std::function<bool(const std::string& item, const std::string& key,
                                             const std::string& value)>& each,
                    std::optional<std::string>* unpaired) {
  std::string rest = list;
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string item = rest.substr(0, comma);
    rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
    const size_t eq = item.find('=');
    if (eq == std::string::npos) {
      *unpaired = item;
      return false;
    }
    if (!each(item, item.substr(0, eq), item.substr(eq + 1))) return false;
  }
  return true;
}

const char* FaultName(FaultKind kind) {
  for (const KindName& k : kKinds)
    if (k.kind == kind) return k.name;
  return "none";
}

bool ParseFaultRule(const std::string& text, FaultRule* rule, std::string* error) {
  *rule = FaultRule{};
  const size_t colon = text.find(':');
  const std::string kind = text.substr(0, colon);
  for (const KindName& k : kKinds)
    if (kind == k.name) rule->kind = k.kind;
  if (rule->kind == FaultKind::None) {
    *error = "unknown fault kind \"" + kind + "\"";
    return false;
  }
  if (colon == std::string::npos) return true;
  std::optional<std::string> unpaired;
  auto setting = [&](const std::string& item, const std::string& key, const std::string& value) {
    long n = 0;
    if (key == "framing") {
      if (value == "rtu") {
        rule->framing = 0;
      } else if (value == "ascii") {
        rule->framing = 1;
      } else {
        *error = "framing must be rtu or ascii";
        return false;
      }
    } else if (key == "rate") {
      char* end = nullptr;
      rule->rate = std::strtod(value.c_str(), &end);
      if (*end || value.empty() || rule->rate < 0 || rule->rate > 1) {
        *error = "rate must be a number from 0 to 1";
        return false;
      }
    } else if (key == "fn" || key == "code") {
      if (!ParseLong(value.c_str(), 0, 255, &n, true)) {
        *error = "fault setting \"" + item + "\" needs a code 0-255 (0x13 or 19)";
        return false;
      }
      (key == "fn" ? rule->function : rule->code) = static_cast<int>(n);
    } else if (!ParseLong(value.c_str(), 0, (key == "ms" || key == "bytes") ? INT_MAX : LONG_MAX,
                          &n)) {
      *error = "fault setting \"" + item + "\" needs a whole number from 0 to " +
               std::to_string((key == "ms" || key == "bytes") ? INT_MAX : LONG_MAX);
      return false;
    } else if (key == "fn") {
      rule->function = static_cast<int>(n);
    } else if (key == "skip") {
      rule->skip = n;
    } else if (key == "count") {
      rule->count = n;
    } else if (key == "ms") {
      rule->ms = static_cast<int>(n);
    } else if (key == "bytes") {
      rule->bytes = static_cast<int>(n);
    } else {
      *error = "unknown fault setting \"" + key + "\"";
      return false;
    }
    return true;
  };
  if (ForEachSetting(text.substr(colon + 1), setting, &unpaired)) return true;
  if (unpaired) *error = "fault setting \"" + *unpaired + "\" needs KEY=VALUE";
  return false;
}

FaultPlan FaultInjector::Choose(int function, Framing framing) {
  for (FaultRule& r : rules_) {
    if (r.function >= 0 && r.function != function) continue;
    if (r.framing >= 0 && r.framing != (framing == Framing::Ascii ? 1 : 0)) continue;
    ++r.seen;
    if (r.seen <= r.skip) continue;
    if (r.count >= 0 && r.hit >= r.count) continue;
    if (r.rate < 1.0 && std::uniform_real_distribution<double>(0.0, 1.0)(rng_) >= r.rate) continue;
    ++r.hit;
    return {r.kind, &r};
  }
  return {};
}

void SpoilPdu(const FaultPlan& plan, int countAt, std::vector<uint8_t>* pdu) {
  switch (plan.kind) {
    case FaultKind::Exception:
      pdu->resize(2);
      (*pdu)[1] = static_cast<uint8_t>((*pdu)[1] | 0x80);
      pdu->push_back(static_cast<uint8_t>(plan.rule->code));
      break;
    case FaultKind::Count:
      if (countAt >= 0 && countAt < static_cast<int>(pdu->size())) ++(*pdu)[countAt];
      break;
    case FaultKind::Short: {
      const int fewer = plan.rule->bytes >= 0 ? plan.rule->bytes : 1;
      const size_t keep = pdu->size() > 3 + static_cast<size_t>(fewer)
                              ? pdu->size() - static_cast<size_t>(fewer)
                              : 3;
      const size_t removed = pdu->size() - keep;
      pdu->resize(keep);
      if (countAt >= 0 && countAt < static_cast<int>(pdu->size()))
        (*pdu)[countAt] = static_cast<uint8_t>((*pdu)[countAt] - removed);
      break;
    }
    case FaultKind::Station: ++(*pdu)[0]; break;
    default: break;
  }
}

void SpoilFrame(const FaultPlan& plan, Framing framing, std::vector<uint8_t>* frame) {
  if (plan.kind == FaultKind::Corrupt && frame->size() > 2) {
    // A data or check character in the middle: RTU flips all its bits, ASCII
    // moves a hexadecimal digit by one (still a digit, so only the LRC tells).
    uint8_t& b = (*frame)[frame->size() / 2 | 1];
    if (framing == Framing::Rtu)
      b = static_cast<uint8_t>(~b);
    else
      b = static_cast<uint8_t>(b == '0' ? '1' : b == '9' ? '8' : b ^ 0x01);
  } else if (plan.kind == FaultKind::Truncate) {
    const size_t keep = static_cast<size_t>(plan.rule->bytes >= 0 ? plan.rule->bytes : 4);
    if (frame->size() > keep) frame->resize(keep);
  }
}

}  // namespace recsim
