#pragma once
// Cumulative files for the tests, built byte by byte in the cumulative layout.
#include <cstdint>
#include <string>

namespace cumtest {

// A cumulative file of `periods` totals per channel from 20yy-mm-dd hh:00;
// the total of channel ch in period slot is (ch + 1) * 1000 + slot, stored
// with `decimals` decimals.
struct Cum {
  int period = 0;    // cumPeriod
  int dayStart = 0;  // cumByte1
  int decimals = 2;  // cumByte2
  int channels = 2;
  int periods = 25;
  int y = 24, m = 3, d = 1, h = 0;
  std::string title = "Steam";
  int64_t base = 1000;  // channel ch's total of slot k is (ch + 1) * base + k
};

// Hourly totals of one channel from 2024-10-27 00:00, the night the hour
// from 02:00 comes twice in Europe/Berlin.
Cum AutumnNight(int periods);

// Writes the file into a new directory and returns its path (".kvc").
std::string SaveCum(const Cum& c);

}  // namespace cumtest
