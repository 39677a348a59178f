#pragma once
// Recordings for the table and export tests, written the way a download
// writes them: one byte per value, so that a count c reads back as the value
// low + c exactly (the range spans 255 units).
#include <ctime>
#include <functional>
#include <string>
#include <vector>

namespace tablestest {

struct Chnl {
  std::string name;
  std::string unit;
  int low = 0;       // value of count 0; the range is low .. low + 255
  int decimals = 1;  // the format shows this many decimals
};

struct Recipe {
  std::vector<Chnl> channels = {{"T1", "℃"}, {"Flow", "m^3/h"}};
  int records = 10;
  int interval = 10;
  time_t start = 0;  // 0: 2026-03-01 08:00:00 local
  // Raw count (0..255) of channel ch at record r; default r % 256.
  std::function<int(int ch, int r)> count;
};

time_t DefaultStart();
bool MakeRecording(const std::string& path, const Recipe& recipe);

// The independent reader: every sheet of an .xlsx as read by openpyxl.
struct Cell {
  char type = 0;  // 'n' number, 's' text, 0 empty
  std::string text;  // text, or the number as Python prints it
  double number = 0;
  std::string format;  // the number format
};
struct Sheet {
  std::string name;
  std::vector<std::vector<Cell>> rows;
};
// False (with a message in *error) when the reader fails or cannot open the file.
bool ReadXlsx(const std::string& path, std::vector<Sheet>* sheets, std::string* error);

// Runs a program with arguments; returns the exit status, stdout in *out
// and stderr in *err.
int Run(const std::vector<std::string>& argv, std::string* out, std::string* err);

}  // namespace tablestest
