// rectool: recview's data files and recorders from the command line.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "command.h"
#include "data/cxfile.h"
#include "platform/safefile.h"

namespace rectool {
namespace {

std::vector<Command>& Commands() {
  static std::vector<Command> commands;
  return commands;
}

const Command* Find(const std::string& name) {
  for (const Command& c : Commands())
    if (name == c.name) return &c;
  return nullptr;
}

void PrintHelp(FILE* out) {
  std::fprintf(out, "usage: rectool COMMAND [ARGS]\n\ncommands:\n");
  std::vector<Command> sorted = Commands();
  std::sort(sorted.begin(), sorted.end(),
            [](const Command& a, const Command& b) { return std::strcmp(a.name, b.name) < 0; });
  for (const Command& c : sorted)
    std::fprintf(out, "  %-9s %s\n  %-9s   %s\n", c.name, c.synopsis, "", c.summary);
  std::fprintf(out,
               "\nTIME is \"YYYY-MM-DD HH:MM:SS\", local time.\n"
               "rectool COMMAND --help shows the usage of one command; man rectool tells more.\n");
}

}  // namespace

void Register(const Command& command) { Commands().push_back(command); }

std::string HelpText(const Command& c) {
  std::string text = std::string("usage: rectool ") + c.name + " " + c.synopsis + "\n\n" +
                     c.summary + "\n";
  if (c.help && *c.help) {
    text += "\n";
    text += c.help;
    if (text.back() != '\n') text += '\n';
  }
  if (std::strstr(c.synopsis, "TIME")) text += "\nTIME is \"YYYY-MM-DD HH:MM:SS\", local time.\n";
  return text;
}

bool Options::Parse(const std::vector<std::string>& args, std::initializer_list<const char*> valued,
                    std::initializer_list<const char*> flagNames, std::string* error) {
  auto in = [](std::initializer_list<const char*> list, const std::string& s) {
    for (const char* n : list)
      if (s == n) return true;
    return false;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--") {
      // The end of the options: what follows is a name, whatever it looks like.
      positional.insert(positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
      break;
    }
    if (a.size() > 2 && a.compare(0, 2, "--") == 0) {
      const std::string name = a.substr(2);
      if (in(valued, name)) {
        if (i + 1 >= args.size()) {
          *error = "option " + a + " needs a value";
          return false;
        }
        values[name] = args[++i];
      } else if (in(flagNames, name)) {
        flags.insert(name);
      } else {
        *error = "unknown option " + a;
        return false;
      }
    } else {
      positional.push_back(a);
    }
  }
  return true;
}

// Terminal columns of a UTF-8 text: Chinese characters take two.
int TerminalColumns(const std::string& utf8) {
  int used = 0;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    int len = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 1;
    unsigned cp = c < 0x80 ? c : c & (0x3F >> (len - 1));
    for (int k = 1; k < len && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
    const bool wide = (cp >= 0x1100 && cp <= 0x115F) || (cp >= 0x2E80 && cp <= 0xA4CF) ||
                      (cp >= 0xAC00 && cp <= 0xD7A3) || (cp >= 0xF900 && cp <= 0xFAFF) ||
                      (cp >= 0xFF00 && cp <= 0xFF60) || (cp >= 0xFFE0 && cp <= 0xFFE6);
    used += wide ? 2 : 1;
    i += len;
  }
  return used;
}

std::string Padded(const std::string& utf8, int columns) {
  const int used = TerminalColumns(utf8);
  return utf8 + std::string(used < columns ? columns - used : 0, ' ');
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "rectool: %s\n", message.c_str());
  return 1;
}

int Usage(const char* command, const std::string& message) {
  const Command* c = Find(command);
  std::fprintf(stderr, "rectool %s: %s\nusage: rectool %s %s\n", command, message.c_str(), command,
               c ? c->synopsis : "");
  return 2;
}

bool ParseWhole(const std::string& text, long long low, long long high, long long* out) {
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 10);
  if (errno || end == text.c_str() || *end != '\0' || v < low || v > high) return false;
  *out = v;
  return true;
}

namespace {

// The data files the command opened, for the message when one of them
// changed on disk while it was read.
std::vector<std::string>& Inputs() {
  static std::vector<std::string> inputs;
  return inputs;
}

std::string InputsChangedText() {
  std::string names;
  for (const std::string& p : Inputs()) names += (names.empty() ? "" : ", ") + p;
  return (names.empty() ? std::string("a data file") : names) +
         " changed on disk while it was read (it became shorter: cut by another program, or its "
         "disk went away); the output would be incomplete and was not kept";
}

// No output takes its place while an input has changed under the command.
bool InputsIntact(std::string* why) {
  if (!AnyMappedFileShrunk()) return true;
  *why = InputsChangedText();
  return false;
}

// Everything written to standard output reached it: flushed and closed
// without an error (a full disk, /dev/full, a closed pipe end).
bool StandardOutputWritten(bool report) {
  errno = 0;
  bool ok = std::fflush(stdout) == 0;
  int err = errno;
  ok = !std::ferror(stdout) && ok;
  if (std::fclose(stdout) != 0 && ok) {
    ok = false;
    err = errno;
  }
  if (!ok && report) Fail(std::string("cannot write the output") + (err ? std::string(": ") + std::strerror(err) : ""));
  return ok;
}

}  // namespace

bool SameAsInput(const std::string& output, const std::string& input) {
  if (!platform::SameFile(output, input)) return false;
  Fail(output + " is the data file " + input + " itself; choose another name for the output");
  return true;
}

bool OpenDataFile(const std::string& path, CXFile& file, std::string* error) {
  Inputs().push_back(path);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    *error = "cannot open " + path + ": " + std::strerror(errno);
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    *error = "cannot open " + path + ": it is a directory";
    return false;
  }
  if (!file.Open(path)) {
    std::string reason = OpenErrorText(file.GetOpenError());
    if (file.GetOpenError() == OpenError::CannotRead && file.GetOpenErrno())
      reason = std::strerror(file.GetOpenErrno());
    *error = "cannot open " + path + ": " + reason;
    return false;
  }
  return true;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof(buf), "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string JsonNumber(double value) {
  if (!std::isfinite(value)) return "null";
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%.9g", value);
  return buf;
}

std::string JsonNumber(float value) {
  if (!std::isfinite(value)) return "null";
  char buf[32];
  for (int digits = 6; digits <= 9; ++digits) {
    std::snprintf(buf, sizeof(buf), "%.*g", digits, static_cast<double>(value));
    if (std::strtof(buf, nullptr) == value) break;
  }
  return buf;
}

}  // namespace rectool

namespace rectool {
namespace {

int Main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") ||
      !std::strcmp(argv[1], "help")) {
    PrintHelp(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  if (!std::strcmp(argv[1], "--version")) {
    std::puts("rectool " RECVIEW_VERSION);
    return 0;
  }
  const Command* c = Find(argv[1]);
  if (!c) {
    std::fprintf(stderr, "rectool: unknown command \"%s\" (rectool --help lists them)\n", argv[1]);
    return 2;
  }
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const std::string& a : args) {
    if (a == "--") break;
    if (a == "--help" || a == "-h") {
      std::fputs(HelpText(*c).c_str(), stdout);
      return 0;
    }
  }
  platform::SetCommitCheck(&InputsIntact);
  const int code = c->run(args);
  if (code == 0 && AnyMappedFileShrunk()) return Fail(InputsChangedText());
  return code;
}

}  // namespace
}  // namespace rectool

int main(int argc, char** argv) {
  const int code = rectool::Main(argc, argv);
  // A command that failed has said why; one that succeeded must have
  // delivered its output.
  if (!rectool::StandardOutputWritten(code == 0) && code == 0) return 1;
  return code;
}
