// rectool info and dump, run as the program users run.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>
#include <vector>

#include "common/testenv.h"
#include "data/fixture.h"

namespace {

using Result = testenv::RectoolResult;
Result Rectool(const std::string& args) { return testenv::RunRectool(args); }

std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Two channels: "温度" in ℃ (-50.0 .. 150.0) and a logarithmic "P" in Pa.
fixture::Recipe Sample() {
  fixture::Recipe s;
  s.title = "\xB2\xE2\xCA\xD4";  // 测试
  fixture::Channel t;
  t.name = "\xCE\xC2\xB6\xC8";  // 温度
  t.unit = "\xA1\xE6";           // ℃
  t.lo = -500;
  t.loDec = 1;
  t.hi = 1500;
  t.hiDec = 1;
  t.lim[2] = -100;
  t.lim[3] = 1200;
  for (auto& d : t.limDec) d = 1;
  t.colour = 0x0000FF;
  t.dev0 = 0x1234;
  fixture::Channel p;
  p.name = "P";
  p.unit = "Pa";
  p.log = 1;
  p.loDec = 0xFE;
  p.hiDec = 0x03;
  p.shown = 0;
  s.channels = {t, p};
  s.capacity = 6;
  s.count = [](int, int slot) -> int64_t { return 13107 * (slot % 6); };
  s.marks = {1709251200 + 20};
  return s;
}

std::string SaveSample(const fixture::Recipe& s) {
  const std::string path = testenv::NewDir("rt") + "s.dat";
  EXPECT_TRUE(testenv::WriteFile(path, fixture::Build(s)));
  return path;
}

TEST(Rectool, InfoText) {
  const Result r = Rectool("info " + Quote(SaveSample(Sample())));
  ASSERT_EQ(r.code, 0) << r.err;
  for (const char* expect :
       {"Model:       KVR3GV2 (layout 0", "Title:       测试", "Station:     7",
        "Start:       2024-03-01 08:00:00", "End:         2024-03-01 08:00:50",
        "Interval:    10 s", "Records:     6", "Channels:    2", "温度", "℃", "-50.0", "150.0",
        "-10.0", "120.0", "1.0E-02", "1.0E+03", "0000FF", "Marks:       1",
        "1   2024-03-01 08:00:20"})
    EXPECT_NE(r.out.find(expect), std::string::npos) << expect << "\n" << r.out;
}

TEST(Rectool, InfoJson) {
  const Result r = Rectool("info --json " + Quote(SaveSample(Sample())));
  ASSERT_EQ(r.code, 0) << r.err;
  for (const char* expect :
       {"\"descSize\": 160", "\"yLow\": -5.5", "\"capacity\": 6", "\"model\": \"KVR3GV2\"",
        "\"title\": \"测试\"", "\"startStamp\": \"2024-03-01 08:00:00\"",
        "\"endTime\": \"2024-03-01 08:00:50\"", "\"chnlCount\": 2", "\"valueWidth\": 2",
        "\"name\": \"温度\"", "\"unit\": \"℃\"", "\"rangeLow\": -50", "\"rangeHigh\": 150",
        "\"limit3\": -10", "\"limit4\": 120", "\"rangeLow\": 0.01", "\"rangeHigh\": 1000",
        "\"devWord\": 4660", "\"devText\": \"4660\"", "\"colour\": 255", "\"logScale\": 1", "\"shown\": 0",
        "\"tagByte\": 10", "\"refLabel1\": \"HI\"", "\"recordCount\": 6",
        "\"marks\": [\"2024-03-01 08:00:20\"]"})
    EXPECT_NE(r.out.find(expect), std::string::npos) << expect << "\n" << r.out;
  // One object: balanced braces and brackets, nothing after it.
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < r.out.size(); ++i) {
    const char c = r.out[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
      continue;
    }
    if (c == '"') inString = true;
    if (c == '{' || c == '[') ++depth;
    if (c == '}' || c == ']') --depth;
    ASSERT_GE(depth, 0);
  }
  EXPECT_EQ(depth, 0);
  EXPECT_EQ(r.out.back(), '\n');
  EXPECT_EQ(r.out.find("},\n}"), std::string::npos);
}

TEST(Rectool, InfoShowsDeviceWordsAsTheDeviceWindowDoes) {
  struct Case {
    const char* model;
    uint32_t dev0, dev1;
    const char* text;
  } cases[] = {
      {"KVP6GV1", 12345, 0, "1234.5"},
      {"KVP6GV2", 0xFFFFFFFF, 0xFFFFFFFF, "-0.01"},
      {"KVR3GV2", 0xFFFFFFFE, 0, "-2"},
  };
  for (const Case& c : cases) {
    fixture::Recipe s = Sample();
    s.model = c.model;
    s.channels[0].dev0 = c.dev0;
    s.channels[0].dev1 = c.dev1;
    const std::string path = Quote(SaveSample(s));
    Result r = Rectool("info --json " + path);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find(std::string("\"devText\": \"") + c.text + "\""), std::string::npos)
        << c.model << "\n" << r.out;
    r = Rectool("info " + path);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find(std::string(" ") + c.text + "\n"), std::string::npos) << c.model << "\n" << r.out;
  }
}

TEST(Rectool, DumpEveryRecordAndSpans) {
  const std::string path = Quote(SaveSample(Sample()));
  Result r = Rectool("dump " + path);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "time\t温度(℃)\tP(Pa)\n"
            "2024-03-01 08:00:00\t-50.0\t1.0E-02\n"
            "2024-03-01 08:00:10\t-10.0\t1.0E-01\n"
            "2024-03-01 08:00:20\t30.0\t1.0E+00\n"
            "2024-03-01 08:00:30\t70.0\t1.0E+01\n"
            "2024-03-01 08:00:40\t110.0\t1.0E+02\n"
            "2024-03-01 08:00:50\t150.0\t1.0E+03\n");
  // --from between two records starts at the next one; --to is inclusive.
  r = Rectool("dump " + path + " --from '2024-03-01 08:00:05' --to '2024-03-01 08:00:40' --step 2");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "time\t温度(℃)\tP(Pa)\n"
            "2024-03-01 08:00:10\t-10.0\t1.0E-01\n"
            "2024-03-01 08:00:30\t70.0\t1.0E+01\n");
  // A span outside the recording gives the header line only.
  r = Rectool("dump " + path + " --from '2025-01-01 00:00:00'");
  ASSERT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "time\t温度(℃)\tP(Pa)\n");
  // The largest step, from a later record: that record alone.
  r = Rectool("dump " + path + " --from '2024-03-01 08:00:05' --step 9223372036854775807");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "time\t温度(℃)\tP(Pa)\n"
            "2024-03-01 08:00:10\t-10.0\t1.0E-01\n");
}

TEST(Rectool, DumpUnreadableValuesAndCumulativeTotals) {
  // A ring start in the middle of a record (byte offset 1): the last channel
  // of the last slot would lie past the data area and reads as "----".
  fixture::Recipe s;
  s.model = "KVP6GV2";
  fixture::Channel c;
  c.hi = 100;
  s.channels = {c, c};
  s.ringStart = 1;
  s.capacity = 6;
  Result r = Rectool("dump " + Quote(SaveSample(s)) + " --from '2024-03-01 08:00:50'");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.substr(r.out.find('\n') + 1).substr(0, 20), "2024-03-01 08:00:50\t");
  EXPECT_NE(r.out.find("\t----\n"), std::string::npos) << r.out;

  fixture::Recipe cum;
  cum.model = "KVP6GV1000P";
  cum.channels.resize(2);
  cum.cumPeriod = 0;
  cum.cumByte2 = 2;
  cum.capacity = 2;
  cum.end[3] = 9;
  cum.end[5] = 0;
  cum.count = [](int ch, int slot) -> int64_t { return ch == 0 ? 1001 + slot : -5 - slot; };
  r = Rectool("dump " + Quote(SaveSample(cum)));
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out,
            "time\t通道1\t通道2\n"
            "2024-03-01 08:00:00\t10.01\t-0.05\n"
            "2024-03-01 09:00:00\t10.02\t-0.06\n");
}

TEST(Rectool, ClearErrors) {
  Result r = Rectool("info " + Quote(testenv::Home() + "missing.dat"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("missing.dat"), std::string::npos) << r.err;
  EXPECT_TRUE(r.out.empty());

  const std::string garbage = testenv::NewDir() + "g.dat";
  ASSERT_TRUE(testenv::WriteFile(garbage, std::string(2000, 'K')));
  r = Rectool("dump " + Quote(garbage));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("not a recorder data file"), std::string::npos) << r.err;

  // Each kind of damage is named: the reason differs, the file name is there.
  const std::string cut = testenv::NewDir() + "cut.dat";
  ASSERT_TRUE(testenv::WriteFile(cut, fixture::Build(Sample()).substr(0, 100)));
  r = Rectool("info " + Quote(cut));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("cut.dat"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("too short"), std::string::npos) << r.err;
  const std::string empty = testenv::NewDir() + "empty.dat";
  ASSERT_TRUE(testenv::WriteFile(empty, ""));
  r = Rectool("info " + Quote(empty));
  EXPECT_NE(r.err.find("empty"), std::string::npos) << r.err;
  std::string wide = fixture::Build(Sample());
  fixture::Put8(wide, 0x62, 3);
  const std::string widePath = testenv::NewDir() + "wide.dat";
  ASSERT_TRUE(testenv::WriteFile(widePath, wide));
  r = Rectool("dump " + Quote(widePath));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("value width"), std::string::npos) << r.err;

  const std::string good = Quote(SaveSample(Sample()));
  EXPECT_EQ(Rectool("dump " + good + " --step 0").code, 2);
  EXPECT_EQ(Rectool("dump " + good + " --from yesterday").code, 2);
  EXPECT_EQ(Rectool("dump " + good + " --from '2024-03-02 00:00:00' --to '2024-03-01 00:00:00'").code, 2);
  EXPECT_EQ(Rectool("info " + good + " --verbose").code, 2);
  EXPECT_EQ(Rectool("info").code, 2);
  r = Rectool("frobnicate");
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("unknown command"), std::string::npos);
  r = Rectool("--help");
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("dump"), std::string::npos);
}

// Every command answers --help (and -h) with its own usage on standard
// output, exit 0, wherever the option stands and without running.
TEST(Rectool, EveryCommandPrintsItsUsage) {
  Result list = Rectool("--help");
  ASSERT_EQ(list.code, 0);
  std::vector<std::string> names;
  // The command list: "  NAME  SYNOPSIS" lines, then the summary indented further.
  size_t at = list.out.find("commands:\n");
  ASSERT_NE(at, std::string::npos);
  for (size_t line = at; (line = list.out.find("\n  ", line)) != std::string::npos;) {
    line += 3;
    if (list.out[line] == ' ') continue;
    names.push_back(list.out.substr(line, list.out.find(' ', line) - line));
  }
  ASSERT_GE(names.size(), 3u);
  for (const std::string& name : names) {
    for (const char* form : {" --help", " -h", " 'no such file' --help"}) {
      Result r = Rectool(name + form);
      EXPECT_EQ(r.code, 0) << name << form << ": " << r.err;
      EXPECT_EQ(r.out.rfind("usage: rectool " + name + " ", 0), 0u) << name << form << r.out;
      EXPECT_TRUE(r.err.empty()) << name << form << ": " << r.err;
    }
    // Every option of the synopsis is explained on a line of its own, and
    // the time format is told only where a TIME is taken.
    const std::string help = Rectool(name + " --help").out;
    const std::string synopsis = help.substr(0, help.find('\n'));
    const std::string body = help.substr(synopsis.size());
    for (size_t at = 0; (at = synopsis.find("--", at)) != std::string::npos; at += 2) {
      const std::string option = synopsis.substr(at, synopsis.find_first_of(" ]|", at) - at);
      EXPECT_NE(body.find("\n  " + option), std::string::npos) << name << ": " << option << " unexplained";
    }
    EXPECT_EQ(synopsis.find("TIME") != std::string::npos, body.find("TIME is") != std::string::npos) << name;
  }
}

}  // namespace

// Totals beyond the 53 bits of a double keep every digit.
TEST(Rectool, DumpCumulativeTotalsExactly) {
  struct Case {
    int64_t total;
    int decimals;
    const char* text;
  } cases[] = {
      {(int64_t{1} << 53) + 1, 0, "9007199254740993"},
      {INT64_MAX, 2, "92233720368547758.07"},
      {INT64_MIN + 1, 3, "-9223372036854775.807"},
      {123456789012345679, 1, "12345678901234567.9"},
  };
  for (const Case& c : cases) {
    fixture::Recipe cum;
    cum.model = "KVP6GV1000P";
    cum.channels.resize(1);
    cum.cumByte2 = static_cast<uint8_t>(c.decimals);
    cum.capacity = 1;
    cum.end[4] = 0;
    cum.end[5] = 0;
    const int64_t total = c.total;
    cum.count = [total](int, int) { return total; };
    Result r = Rectool("dump " + Quote(SaveSample(cum)));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, std::string("time\t通道1\n2024-03-01 08:00:00\t") + c.text + "\n");
  }
}

// A header whose end lies 68 years after its start in a small file: refused
// at once with the usual message instead of 2^31 lines.
TEST(Rectool, DumpRefusesStampsBeyondTheFile) {
  fixture::Recipe s;
  s.channels.resize(1);
  s.interval = 1;
  s.end[0] = 92;
  Result r = Rectool("dump " + Quote(SaveSample(s)));
  EXPECT_NE(r.code, 0);
  EXPECT_TRUE(r.out.empty()) << r.out.size();
  EXPECT_NE(r.err.find("damaged"), std::string::npos) << r.err;
}
