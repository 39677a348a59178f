// rectool download, run as the program users run, against recsim.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "childprogram.h"
#include "data/cxfile.h"
#include "downloadfixture.h"
#include "platform/profile.h"
#include "platform/programdir.h"

using dltest::Exists;
using dltest::Local;
using dltest::SimRaw;

namespace {

using testenv::Result;

// rectool download with args.
class Rectool : public testenv::ChildProgram {
 public:
  explicit Rectool(const std::vector<std::string>& args)
      : ChildProgram("rectool", WithCommand(args)) {}

 private:
  static std::vector<std::string> WithCommand(const std::vector<std::string>& args) {
    std::vector<std::string> all{"download"};
    all.insert(all.end(), args.begin(), args.end());
    return all;
  }
};

Result RunTool(const std::vector<std::string>& args) { return Rectool(args).Wait(); }

class RectoolDownload : public ::testing::Test {
 protected:
  void StartSim(const std::vector<std::string>& args) {
    ASSERT_TRUE(sim_.Start(args)) << sim_.error();
  }
  std::vector<std::string> Port() const { return {"--port", sim_.device(), "--baud", "57600"}; }
  testenv::SimProcess sim_;
  std::string dir_ = testenv::NewDir("dl");
};

TEST_F(RectoolDownload, SpanWithThePortSettingsOfXComIni) {
  const std::string xcom = platform::SettingsPath("XCom.ini");
  StartSim({"--model", "KVR6GV2", "--channels", "2", "--clock", "2026-12-07 10:00:00",
            "--newest-index", "100", "--station", "12", "--xcom", xcom});
  ASSERT_TRUE(platform::WritePrivateProfileString("ComSet", "Baudrate", "57600", xcom));
  ASSERT_TRUE(platform::WritePrivateProfileString("ComSet", "Address", "12", xcom));
  const std::string path = dir_ + "a.KVD";
  const Result r =
      RunTool({"--out", path, "--from", "2026-12-07 09:58:20", "--to", "2026-12-07 10:00:00"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, path + "\n");
  EXPECT_NE(r.err.find("downloading: 100%"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("101 records of 2 channels"), std::string::npos) << r.err;
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  EXPECT_EQ(f.GetRecordCount(), 101);
  EXPECT_EQ(f.GetStation(), 12);
  float v = 0;
  ASSERT_TRUE(f.GetValue(1, Local("2026-12-07 10:00:00"), &v, nullptr));
  EXPECT_FLOAT_EQ(v, static_cast<float>(SimRaw(1, 100) * 100.0 / 65535));
}

// A folder as --out takes the proposed name; the block family.
TEST_F(RectoolDownload, FolderTakesTheProposedName) {
  StartSim({"--model", "KVP6GV1", "--channels", "3", "--station", "8", "--clock",
            "2026-12-07 10:00:00"});
  std::vector<std::string> args{
      "--out", dir_, "--from", "2026-12-07 09:59:00", "--to", "2026-12-07 10:00:00"};
  for (const std::string& a : Port()) args.push_back(a);
  const Result r = RunTool(args);
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string path = dir_ + "008@2026-12-07 10_00_00.KVD";
  EXPECT_EQ(r.out, path + "\n");
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  EXPECT_EQ(f.GetRecordCount(), 61);
  f.Close();
  // A file of the proposed name is replaced only with --force.
  const std::string before = testenv::ReadFile(path);
  const Result again = RunTool(args);
  EXPECT_EQ(again.code, 1);
  EXPECT_NE(again.err.find("--force"), std::string::npos) << again.err;
  EXPECT_EQ(testenv::ReadFile(path), before);
  args.push_back("--force");
  EXPECT_EQ(RunTool(args).code, 0);
}

// The fast exchange, asked for by option or by the settings file, against
// recorders that ignore a request coming too soon after their last reply:
// the download is still whole, read the slow way, and the user is told once.
TEST_F(RectoolDownload, FastExchangeFallsBackAndSaysSoOnce) {
  for (bool byKey : {false, true}) {
    StartSim({"--model", byKey ? "KVR6GV2" : "KVP6GV1", "--channels", "2", "--clock",
              "2026-12-07 10:00:00", "--min-gap", "80"});
    ASSERT_TRUE(platform::WritePrivateProfileString("ComSet", "FastExchange", byKey ? "1" : "0",
                                                    platform::SettingsPath("XCom.ini")));
    const std::string path = dir_ + (byKey ? "key.KVD" : "option.KVD");
    std::vector<std::string> args{
        "--out", path, "--from", "2026-12-07 09:59:00", "--to", "2026-12-07 10:00:00"};
    for (const std::string& a : Port()) args.push_back(a);
    if (!byKey) args.push_back("--fast");
    const Result r = RunTool(args);
    ASSERT_EQ(r.code, 0) << r.err;
    const size_t said = r.err.find("did not keep up");
    EXPECT_NE(said, std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("did not keep up", said + 1), std::string::npos) << r.err;
    CXFile f;
    ASSERT_TRUE(f.Open(path));
    EXPECT_EQ(f.GetRecordCount(), 61);
    float v = 0;
    ASSERT_TRUE(f.GetValue(1, Local("2026-12-07 10:00:00"), &v, nullptr));
    sim_.Stop();
  }
}

TEST_F(RectoolDownload, UsageErrorsAndFailuresExitNonZeroWithAMessage) {
  EXPECT_EQ(RunTool({"--all"}).code, 2);
  EXPECT_EQ(RunTool({"--out", dir_ + "x.KVD"}).code, 2);
  EXPECT_EQ(RunTool({"--out", dir_ + "x.KVD", "--all", "--from", "2026-12-07 09:00:00"}).code, 2);
  EXPECT_EQ(RunTool({"--out", dir_ + "x.KVD", "--from", "yesterday", "--to", "today"}).code, 2);
  EXPECT_EQ(RunTool({"--out", dir_ + "x.KVD", "--all", "--address", "300"}).code, 2);

  Result r =
      RunTool({"--out", dir_ + "x.KVD", "--all", "--port", testenv::Home() + "no-such-port"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("cannot open the serial port"), std::string::npos) << r.err;

  StartSim({"--model", "KVR6GV2", "--channels", "1", "--clock", "2026-12-07 10:00:00"});
  std::vector<std::string> span{"--out", dir_ + "x.KVD",       "--from", "2026-12-07 10:00:00",
                                "--to",  "2026-12-07 10:00:01"};
  for (const std::string& a : Port()) span.push_back(a);
  r = RunTool(span);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("--to lies after the newest stored record (2026-12-07 10:00:00)"),
            std::string::npos)
      << r.err;
  span[1] = testenv::Home() + "missing/x.KVD";
  span[5] = "2026-12-07 10:00:00";
  r = RunTool(span);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("cannot create"), std::string::npos) << r.err;
  EXPECT_FALSE(Exists(dir_ + "x.KVD"));
}

// Ctrl-C stops the download and deletes the partial file.
// The files of a folder, by name.
std::vector<std::string> Entries(const std::string& dir) {
  std::vector<std::string> names;
  if (DIR* d = ::opendir(dir.c_str())) {
    while (dirent* e = ::readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.push_back(e->d_name);
    ::closedir(d);
  }
  return names;
}

TEST_F(RectoolDownload, InterruptDeletesThePartialFile) {
  StartSim({"--model", "KVP6GV1", "--channels", "1", "--clock", "2026-12-07 10:00:00"});
  const std::string path = dir_ + "long.KVD";
  std::vector<std::string> args{
      "--out", path, "--from", "2026-12-07 09:00:00", "--to", "2026-12-07 10:00:00"};
  for (const std::string& a : Port()) args.push_back(a);
  Rectool tool(args);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (tool.Err().find("downloading:") == std::string::npos &&
         std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  // The samples go to a file beside the target; the target appears only when
  // the download is complete.
  EXPECT_FALSE(Exists(path));
  const std::vector<std::string> during = Entries(dir_);
  ASSERT_EQ(during.size(), 1u);
  EXPECT_EQ(during[0].rfind(".long.KVD.", 0), 0u) << during[0];
  tool.Signal(SIGINT);
  const Result r = tool.Wait();
  EXPECT_EQ(r.code, 130) << r.err;
  EXPECT_NE(r.err.find("interrupted"), std::string::npos) << r.err;
  EXPECT_FALSE(Exists(path));
  EXPECT_TRUE(Entries(dir_).empty());
}

}  // namespace
