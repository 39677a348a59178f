// Peak memory of rectool's file commands (list, cumulative, export, stats and
// print) on files of 1000, 16384 and 262144 records: 64 channels of two-byte
// samples, and for cumulative that many hourly totals of 16 channels (262144
// records make 32 MiB either way). Each run is a child process; peak_MB is
// its peak resident set as getrusage reports it, file_MB the size of the file
// it reads (mapped, so its pages count once read), over_MB the difference.
// The memory must not grow with the file beyond the mapping. RECTOOL names
// another rectool to measure instead of the build's.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/benchfile.h"

namespace {

const std::string& File(bool cumulative, int records) {
  static std::map<std::pair<bool, int>, std::string> files;
  std::string& path = files[{cumulative, records}];
  if (path.empty()) {
    const std::string name = bench::ScratchDir() + (cumulative ? "c" : "r") + std::to_string(records);
    if (cumulative) {
      path = bench::WriteCumulative(name + ".kvc", records, 0, 16);
    } else {
      bench::Recording r;
      r.records = records;
      r.count = [](int ch, int i) { return int(32767 + 32000 * std::sin(i * 0.01 + ch * 0.3)); };
      path = bench::WriteRecording(name + ".kvd", r);
    }
  }
  return path;
}

// Runs rectool with the arguments, its output to /dev/null; the peak resident
// set of the child in KiB, or -1 when it did not succeed.
long RunRectool(const std::vector<std::string>& args) {
  const char* env = std::getenv("RECTOOL");
  const std::string program = env && *env ? env : RECVIEW_BIN_DIR "/rectool";
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    ::dup2(null, 2);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage = {};
  if (::wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return usage.ru_maxrss;
}

void PeakMemory(benchmark::State& state, const std::string& command) {
  const int records = int(state.range(0));
  const std::string& file = File(command == "cumulative", records);
  std::vector<std::string> args{command, file};
  if (command == "export") args.push_back(bench::ScratchDir() + "out.xlsx");
  if (command == "print") args.insert(args.end(), {"--out", bench::ScratchDir() + "out.pdf"});
  long peak = 0;
  for (auto _ : state) {
    peak = RunRectool(args);
    if (peak < 0) {
      state.SkipWithError(("rectool " + command + " failed").c_str());
      return;
    }
  }
  struct stat st = {};
  ::stat(file.c_str(), &st);
  state.counters["peak_MB"] = peak / 1024.0;
  state.counters["file_MB"] = double(st.st_size) / (1 << 20);
  state.counters["over_MB"] = peak / 1024.0 - double(st.st_size) / (1 << 20);
}

void Register() {
  for (const char* command : {"list", "cumulative", "export", "stats", "print"})
    benchmark::RegisterBenchmark((std::string("PeakMemory/") + command).c_str(),
                                 [command](benchmark::State& s) { PeakMemory(s, command); })
        ->Arg(1000)
        ->Arg(16384)
        ->Arg(262144)
        ->Iterations(1)
        ->Repetitions(1)  // the peak of a run is the same every time
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
  Register();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
