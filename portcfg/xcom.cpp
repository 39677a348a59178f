#include "portcfg/xcom.h"

#include <cstring>

#include "platform/profile.h"
#include "platform/programdir.h"

namespace {

const char kSection[] = "ComSet";

// Cuts text to at most max bytes without splitting a UTF-8 character.
std::string CutUtf8(const std::string& s, size_t max) {
  if (s.size() <= max) return s;
  size_t n = max;
  while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
  return s.substr(0, n);
}

}  // namespace

CXCom::CXCom() = default;
CXCom::CXCom(const CXCom&) {}
CXCom& CXCom::operator=(const CXCom&) { return *this; }
CXCom::~CXCom() = default;

std::string CXCom::GetPrivateFile() const { return platform::SettingsPath("XCom.ini"); }

void CXCom::GetComm(_tagComParam* p) {
  if (!p) return;
  const _tagComParam d = DefaultComParam();
  const std::string file = GetPrivateFile();
  auto num = [&](const char* key, int32_t def) {
    return static_cast<int32_t>(platform::GetPrivateProfileInt(kSection, key, def, file));
  };
  std::string port = platform::GetPrivateProfileString(kSection, "ComPort", d.ComPort, file);
  port = CutUtf8(port, sizeof(p->ComPort) - 1);
  std::memset(p->ComPort, 0, sizeof(p->ComPort));
  std::memcpy(p->ComPort, port.data(), port.size());
  p->Baudrate = num("Baudrate", d.Baudrate);
  p->Address = num("Address", d.Address);
  p->ReadIntervalTimeout = num("ReadIntervalTimeout", d.ReadIntervalTimeout);
  p->ReadTotalTimeoutConstant = num("ReadTotalTimeoutConstant", d.ReadTotalTimeoutConstant);
  p->ReadTotalTimeoutMultiplier = num("ReadTotalTimeoutMultiplier", d.ReadTotalTimeoutMultiplier);
  p->WriteTotalTimeoutConstant = num("WriteTotalTimeoutConstant", d.WriteTotalTimeoutConstant);
  p->WriteTotalTimeoutMultiplier = num("WriteTotalTimeoutMultiplier", d.WriteTotalTimeoutMultiplier);
  p->ReadDefaultErrorTimes = num("ReadDefaultErrorTimes", d.ReadDefaultErrorTimes);
  p->WriteDefaultErrorTimes = num("WriteDefaultErrorTimes", d.WriteDefaultErrorTimes);
  p->Parity = num("Parity", d.Parity);
  p->Interval = num("Interval", d.Interval);
}

bool CXCom::SetComm(_tagComParam* p) {
  if (!p) return false;
  const std::string port(p->ComPort, strnlen(p->ComPort, sizeof(p->ComPort)));
  // A line break in the name would end the key and start a stray line.
  for (unsigned char c : port)
    if (c < 0x20 || c == 0x7F) return false;

  const std::string file = GetPrivateFile();
  auto put = [&](const char* key, const std::string& value) {
    return platform::WritePrivateProfileString(kSection, key, value, file);
  };
  auto putNum = [&](const char* key, int32_t v) { return put(key, std::to_string(v)); };
  return put("ComPort", port) && putNum("Address", p->Address) &&
         putNum("Baudrate", p->Baudrate) && putNum("Parity", p->Parity) &&
         putNum("Interval", p->Interval) &&
         putNum("ReadIntervalTimeout", p->ReadIntervalTimeout) &&
         putNum("ReadTotalTimeoutConstant", p->ReadTotalTimeoutConstant) &&
         putNum("ReadTotalTimeoutMultiplier", p->ReadTotalTimeoutMultiplier) &&
         putNum("WriteTotalTimeoutConstant", p->WriteTotalTimeoutConstant) &&
         putNum("WriteTotalTimeoutMultiplier", p->WriteTotalTimeoutMultiplier) &&
         putNum("ReadDefaultErrorTimes", p->ReadDefaultErrorTimes) &&
         putNum("WriteDefaultErrorTimes", p->WriteDefaultErrorTimes);
}

bool CXCom::GetFastExchange() {
  return platform::GetPrivateProfileInt(kSection, "FastExchange", 0, GetPrivateFile()) != 0;
}

bool CXCom::SetFastExchange(bool on) {
  return platform::WritePrivateProfileString(kSection, "FastExchange", on ? "1" : "0",
                                             GetPrivateFile());
}
