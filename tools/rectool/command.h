#pragma once
// The commands of rectool. A command is a source file of its own that defines
// a Command and registers it with a static Registrar:
//
//   static rectool::Registrar reg({"info", "FILE [--json]", "header, channels and marks", &Run,
//                                  kInfoHelp});
//
// "rectool NAME --help" (or -h) prints the command's usage: its synopsis, its
// summary and, when given, its help text (options and what they do), on
// standard output with exit code 0, without running the command. Every
// command gets this from the registry; a command only supplies the texts.
//
// A command prints its results on standard output, progress on standard
// error, and returns the process exit code: 0 on success, 1 on failure (after
// a message from Fail), 2 on a usage error (after a message from Usage), 3
// when there was nothing to do (recover without an interrupted recording).
// main, not the command, checks that standard output took everything, and
// that no data file changed on disk while it was read (a new file is then
// not put in place either).
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <vector>

class CXFile;

namespace rectool {

struct Command {
  const char* name;
  const char* synopsis;  // the arguments, for the usage text
  const char* summary;   // one line
  int (*run)(const std::vector<std::string>& args);
  // Further lines of "rectool NAME --help": the arguments and options one by
  // one (may be null).
  const char* help = nullptr;
};

// The usage text of a command as "rectool NAME --help" prints it.
std::string HelpText(const Command& command);

void Register(const Command& command);
struct Registrar {
  explicit Registrar(const Command& command) { Register(command); }
};

// Command-line options: "--name value" for the names in `valued`, "--name"
// for the names in `flags`, everything else positional; after "--" every
// argument is positional.
struct Options {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values;
  std::set<std::string> flags;

  // False with a message in *error for an unknown option or a missing value.
  bool Parse(const std::vector<std::string>& args, std::initializer_list<const char*> valued,
             std::initializer_list<const char*> flagNames, std::string* error);
  bool Has(const std::string& name) const { return values.count(name) || flags.count(name); }
  std::string Value(const std::string& name) const {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
  }
};

// "rectool: <message>" on standard error; returns 1.
int Fail(const std::string& message);
// "rectool <command>: <message>" and the command's synopsis; returns 2.
int Usage(const char* command, const std::string& message);

// A whole decimal number from low to high, the whole text; false otherwise.
bool ParseWhole(const std::string& text, long long low, long long high, long long* out);

// True (after a message) when output names the file input, also through a
// link or another name: an output never replaces the data it is made from.
bool SameAsInput(const std::string& output, const std::string& input);

// Opens a data file for reading, with a message saying why when it cannot.
bool OpenDataFile(const std::string& path, CXFile& file, std::string* error);

// Terminal columns of a UTF-8 text (Chinese characters take two), and the
// text padded with blanks to a width in columns, so tables stay straight.
int TerminalColumns(const std::string& utf8);
std::string Padded(const std::string& utf8, int columns);

// JSON text of a UTF-8 string, quoted and escaped.
std::string JsonString(const std::string& text);
// A JSON number ("null" for values that JSON cannot hold); a float in its
// shortest text that reads back as the same float.
std::string JsonNumber(double value);
std::string JsonNumber(float value);

}  // namespace rectool
