#include "platform/profile.h"

#include "platform/safefile.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <vector>

namespace platform {
namespace {

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r' || s[b] == '\n')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r' || s[e - 1] == '\n')) --e;
  return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// The lines of a settings file; *readable becomes false when the file exists
// but cannot be read (a missing file is an empty one).
std::vector<std::string> ReadLines(const std::string& file, bool* readable = nullptr) {
  std::vector<std::string> lines;
  if (readable) *readable = true;
  int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (readable && errno != ENOENT && errno != ENOTDIR) *readable = false;
    return lines;
  }
  std::string text;
  char buf[8192];
  bool ok = true;
  for (;;) {
    ssize_t n = ::read(fd, buf, sizeof(buf));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;  // a folder, a bad disk
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  if (!ok && readable) *readable = false;
  size_t at = 0;
  while (at < text.size()) {
    size_t nl = text.find('\n', at);
    std::string line = text.substr(at, nl == std::string::npos ? std::string::npos : nl - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    if (nl == std::string::npos) break;
    at = nl + 1;
  }
  return lines;
}

// A section header "[name]" gives its name; other lines give nothing.
bool SectionName(const std::string& line, std::string* name) {
  std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[') return false;
  size_t close = t.find(']');
  if (close == std::string::npos) return false;
  *name = Trim(t.substr(1, close - 1));
  return true;
}

bool KeyValue(const std::string& line, std::string* key, std::string* value) {
  std::string t = Trim(line);
  if (t.empty() || t[0] == ';') return false;
  size_t eq = t.find('=');
  if (eq == std::string::npos) return false;
  *key = Trim(t.substr(0, eq));
  *value = Trim(t.substr(eq + 1));
  return true;
}

// Finds the value of a key; returns false when absent.
bool Lookup(const std::vector<std::string>& lines, const std::string& section,
            const std::string& key, std::string* value) {
  bool inSection = false;
  for (const std::string& line : lines) {
    std::string name;
    if (SectionName(line, &name)) {
      inSection = SameName(name, section);
      continue;
    }
    std::string k, v;
    if (inSection && KeyValue(line, &k, &v) && SameName(k, key)) {
      // A value enclosed in a pair of double quotes is given without them.
      if (v.size() >= 2 && v.front() == '"' && v.back() == '"') v = v.substr(1, v.size() - 2);
      *value = v;
      return true;
    }
  }
  return false;
}

bool WriteWhole(const std::string& file, const std::string& text) {
  // A unique name beside the file: two writers at once each write their own
  // temporary file, and the last rename wins whole.
  NewFile out;
  return out.Open(file, 0644) && out.Write(text.data(), text.size()) && out.Commit();
}

// Line breaks or NUL in a section, key or value would let the text break out of
// its line and add sections or keys of its own.
bool SafeField(const std::string& s) { return s.find_first_of(std::string("\r\n\0", 3)) == std::string::npos; }

}  // namespace

int ProfileTextToInt(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i] - '0');
    if (v > 0x7fffffffLL) v = 0x7fffffffLL + 1;  // saturate, then cut below
  }
  if (negative) v = -v;
  if (v > 0x7fffffffLL) v = 0x7fffffffLL;
  if (v < -0x7fffffffLL - 1) v = -0x7fffffffLL - 1;
  return static_cast<int>(v);
}

std::string GetPrivateProfileString(const std::string& section, const std::string& key,
                                    const std::string& def, const std::string& file) {
  std::string value;
  if (Lookup(ReadLines(file), section, key, &value)) return value;
  return def;
}

int GetPrivateProfileInt(const std::string& section, const std::string& key, int def,
                         const std::string& file) {
  std::string value;
  if (!Lookup(ReadLines(file), section, key, &value)) return def;
  return ProfileTextToInt(value);
}

bool HasProfileKey(const std::string& section, const std::string& key, const std::string& file) {
  std::string value;
  return Lookup(ReadLines(file), section, key, &value);
}

bool WritePrivateProfileString(const std::string& section, const std::string& key,
                               const std::string& value, const std::string& file) {
  if (!SafeField(section) || !SafeField(key) || !SafeField(value)) return false;
  bool readable = true;
  std::vector<std::string> lines = ReadLines(file, &readable);
  // A file that exists but cannot be read is not replaced by one holding one key.
  if (!readable) return false;
  const std::string entry = key + "=" + value;
  bool inSection = false;
  long sectionEnd = -1;  // index after the last key line of the section
  bool found = false, sawSection = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string name;
    if (SectionName(lines[i], &name)) {
      if (inSection) break;
      inSection = SameName(name, section);
      if (inSection) {
        sawSection = true;
        sectionEnd = static_cast<long>(i) + 1;
      }
      continue;
    }
    if (!inSection) continue;
    std::string k, v;
    if (KeyValue(lines[i], &k, &v)) {
      if (SameName(k, key)) {
        lines[i] = k + "=" + value;  // the key keeps the spelling it has in the file
        found = true;
        break;
      }
      sectionEnd = static_cast<long>(i) + 1;
    }
  }
  if (!found) {
    if (sawSection) {
      lines.insert(lines.begin() + sectionEnd, entry);
    } else {
      lines.push_back("[" + section + "]");
      lines.push_back(entry);
    }
  }
  std::string text;
  for (const std::string& l : lines) text += l + "\n";
  return WriteWhole(file, text);
}

}  // namespace platform
