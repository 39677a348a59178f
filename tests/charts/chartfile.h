#pragma once
// Recordings for the chart tests, written the way a download writes them.
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "data/cxfile.h"

namespace charttest {

struct Recipe {
  int channels = 4;
  int records = 100;
  int interval = 1;
  time_t start = 0;  // 0: 2026-03-01 08:00:00 local
  int valueWidth = 1;
  float yLow = 0, yHigh = 100;
  int yMode = 1;     // engineering values
  int xMode = 0;
  uint32_t clrBack = 0x400000;  // dark blue
  uint32_t clrGrid = 0x008000;  // green
  std::string title = "Boiler";
  // Raw count of a channel at a record; default: channel ch holds 10 x (ch + 1) percent.
  std::function<int(int ch, int rec)> count;
};

// The colour given to channel ch: distinct and far from the background.
uint32_t ChannelColour(int ch);
time_t DefaultStart();
// Writes the recording and returns true when it was written.
bool MakeRecording(const std::string& path, const Recipe& recipe);
std::unique_ptr<CXFile> OpenRecording(const std::string& path);
// Registers the English language package of the build.
void UseLanguage(int language = 1);

}  // namespace charttest
