#pragma once
// What every test process shares: a private settings directory and helpers to
// make scratch files in it.
#include <string>

namespace testenv {

// Called once by the test mains: makes a fresh directory, sets RECVIEW_HOME to
// it, sets TZ (unless the test run set one) and XDG_RUNTIME_DIR.
void Setup();

// The fresh RECVIEW_HOME of this process, with a trailing '/'.
std::string Home();

// A new empty directory below Home(), with a trailing '/'.
std::string NewDir(const std::string& hint = "d");

// Writes bytes into a file; returns false on failure.
bool WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// The program directory of the build (build/bin/), with a trailing '/'.
std::string BinDir();

// A shell command line run to its end: its exit status (-1 when it did not
// exit normally) and what it wrote on standard output.
struct CommandResult {
  int code = -1;
  std::string out;
};
CommandResult RunCommand(const std::string& commandLine);
// rectool of the build run with `args`: its status, standard output and
// standard error.
struct RectoolResult {
  int code = -1;
  std::string out, err;
};
RectoolResult RunRectool(const std::string& args);

}  // namespace testenv
