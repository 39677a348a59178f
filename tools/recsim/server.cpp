#include "server.h"

#include "link/serialport.h"
#include "platform/localtime.h"
#include "regmap.h"

namespace recsim {

namespace {

// The longest data part that fits a reply of the receive limit.
constexpr size_t kRtuDataMax = SerialPort::kReceiveLimit - 5;
constexpr size_t kAsciiDataMax = (SerialPort::kReceiveLimit - 11) / 2;
constexpr size_t kRecordsDataMax = SerialPort::kReceiveLimit - 12;

uint16_t Be16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] << 8 | b[at + 1]);
}

void Append(std::vector<uint8_t>* out, const std::vector<uint8_t>& bytes) {
  out->insert(out->end(), bytes.begin(), bytes.end());
}

}  // namespace

Answer Server::Exception(const Request& q, uint8_t code) const {
  Answer a;
  a.reply = true;
  a.pdu = {q.pdu[0], static_cast<uint8_t>(q.pdu[1] | 0x80), code};
  return a;
}

Answer Server::Handle(const Request& q) const {
  Answer a;
  if (!q.checkOk) {
    a.note = "bad frame";
    return a;
  }
  if (q.pdu.size() < 2) {
    a.note = "too short";
    return a;
  }
  if (q.pdu[0] != recorder_.station) {
    a.note = "other station";
    return a;
  }
  return recorder_.family() == Family::Register ? RegisterFamily(q) : BlockFamily(q);
}

Answer Server::Identity(const Request& q) const {
  Answer a;
  a.reply = true;
  uint8_t id[10];
  recorder_.Identity(id);
  if (q.framing == Framing::Rtu) {
    if (q.pdu.size() != 3) return Exception(q, 3);
    a.pdu = {q.pdu[0], 0x41, 0x00, 10};
    a.countAt = 3;
  } else {
    if (q.pdu.size() != 2) return Exception(q, 3);
    a.pdu = {q.pdu[0], 0x41, 10};
    a.countAt = 2;
  }
  a.pdu.insert(a.pdu.end(), id, id + 10);
  return a;
}

Answer Server::Registers(const Request& q) const {
  if (q.pdu.size() != 6) return Exception(q, 3);
  const uint16_t address = Be16(q.pdu, 2);
  // RTU counts 16-bit registers, ASCII counts bytes.
  const size_t length = q.framing == Framing::Rtu ? 2u * Be16(q.pdu, 4) : Be16(q.pdu, 4);
  if (length > (q.framing == Framing::Rtu ? kRtuDataMax : kAsciiDataMax)) return Exception(q, 3);
  Answer a;
  a.reply = true;
  a.pdu = {q.pdu[0], 0x03, static_cast<uint8_t>(length & 0xFF)};
  a.countAt = 2;
  Append(&a.pdu, RegisterMap(recorder_).Read(address, length));
  return a;
}

Answer Server::RegisterFamily(const Request& q) const {
  const uint8_t fn = q.pdu[1];
  if (fn == 0x03) return Registers(q);
  if (fn == 0x41) return Identity(q);
  if (fn == 0x13) {
    if (q.pdu.size() != 6) return Exception(q, 3);
    Answer a;
    a.reply = true;
    if (q.framing == Framing::Rtu) {
      const uint32_t address = static_cast<uint32_t>(q.pdu[2]) << 24 |
                               static_cast<uint32_t>(q.pdu[3]) << 16 | Be16(q.pdu, 4);
      a.pdu = {q.pdu[0], 0x13, 0x00};
      a.pdu.resize(3 + 256);
      RingBytes(recorder_, address, &a.pdu[3], 256);
    } else {
      const uint32_t address = static_cast<uint32_t>(q.pdu[2]) << 16 | Be16(q.pdu, 3);
      const size_t length = q.pdu[5] ? q.pdu[5] : 256;
      a.pdu = {q.pdu[0], 0x13, q.pdu[5]};
      a.countAt = 2;
      a.pdu.resize(3 + length);
      RingBytes(recorder_, address, &a.pdu[3], length);
    }
    return a;
  }
  return Exception(q, 1);
}

Answer Server::BlockFamily(const Request& q) const {
  if (q.framing == Framing::Ascii) {
    Answer a;
    a.note = "no ASCII in the block family";
    return a;
  }
  const uint8_t fn = q.pdu[1];
  switch (fn) {
    case 0x03: return Registers(q);
    case 0x41: return Identity(q);
    case 0x14: {
      if (q.pdu.size() != 3) return Exception(q, 3);
      Answer a;
      a.reply = true;
      a.pdu = {q.pdu[0], 0x14, 0x00, 0, 0, 0, 0, 0, 0};
      platform::TimeToStamp(recorder_.Newest(), &a.pdu[3]);
      return a;
    }
    case 0x16: {
      if (q.pdu.size() != 6) return Exception(q, 3);
      const size_t length = Be16(q.pdu, 4);
      if (length > kRtuDataMax) return Exception(q, 3);
      Answer a;
      a.reply = true;
      a.pdu = {q.pdu[0], 0x16, static_cast<uint8_t>(length & 0xFF)};
      a.countAt = 2;
      Append(&a.pdu, blocks_.Read(Be16(q.pdu, 2), length));
      return a;
    }
    case 0x13: {
      if (q.pdu.size() != 10) return Exception(q, 3);
      time_t t = 0;
      const int records = q.pdu[8], channels = q.pdu[9];
      const size_t bytes = static_cast<size_t>(records) * static_cast<size_t>(channels) * 2;
      if (!StampToTime(&q.pdu[2], &t) || bytes > kRecordsDataMax) return Exception(q, 3);
      Answer a;
      a.reply = true;
      // Eight header bytes: the stamp asked for, records and channels.
      a.pdu.assign(q.pdu.begin(), q.pdu.end());
      // No records or no channels: the eight header bytes alone.
      a.pdu.resize(10 + bytes);
      if (bytes > 0) RecordBytes(recorder_, t, records, channels, a.pdu.data() + 10);
      return a;
    }
    default: return Exception(q, 1);
  }
}

}  // namespace recsim
