// libFuzzer target: settings files of arbitrary bytes, read and written.
// Whatever the file holds, a key written reads back as written and no other
// key changes.
#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>
#include <strings.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>

#include "platform/profile.h"

namespace {

std::string Folder() {
  static std::string dir = [] {
    // In memory where there is such a folder: every write syncs the file.
    char shm[] = "/dev/shm/recview-profile-fuzz.XXXXXX", tmp[] = "/tmp/recview-profile-fuzz.XXXXXX";
    if (mkdtemp(shm)) return std::string(shm);
    return std::string(mkdtemp(tmp) ? tmp : "/tmp");
  }();
  static const bool removed = std::atexit([] { ::rmdir(dir.c_str()); }) == 0;
  (void)removed;
  return dir;
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && Blank(s[b])) ++b;
  while (e > b && Blank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// Names the program writes: no blanks around them, no brackets, no '=', no
// comment mark, no line break.
bool PlainName(const std::string& s) {
  if (s.empty() || Trim(s) != s || s[0] == ';') return false;
  return s.find_first_of(std::string("[]=\r\n\0", 7)) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const std::string section = in.ConsumeRandomLengthString(24);
  const std::string key = in.ConsumeRandomLengthString(24);
  const std::string otherKey = in.ConsumeRandomLengthString(24);
  const std::string value = in.ConsumeRandomLengthString(64);
  const std::string text = in.ConsumeRemainingBytesAsString();
  const std::string file = Folder() + "/settings.ini";
  if (FILE* f = std::fopen(file.c_str(), "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
  const std::string before = platform::GetPrivateProfileString(section, otherKey, "\x01", file);
  platform::GetPrivateProfileInt(section, key, -7, file);
  platform::HasProfileKey(section, key, file);
  platform::ProfileTextToInt(value);
  if (platform::WritePrivateProfileString(section, key, value, file) && PlainName(section) &&
      PlainName(key)) {
    std::string want = Trim(value);
    if (want.size() >= 2 && want.front() == '"' && want.back() == '"') want = want.substr(1, want.size() - 2);
    if (platform::GetPrivateProfileString(section, key, "\x01", file) != want) __builtin_trap();
    if (strcasecmp(key.c_str(), otherKey.c_str()) != 0 &&
        platform::GetPrivateProfileString(section, otherKey, "\x01", file) != before)
      __builtin_trap();
  }
  ::unlink(file.c_str());
  return 0;
}
