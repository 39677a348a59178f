#pragma once
// The tables of a cumulative file: the totals of each channel per hour, per
// eight-hour or twelve-hour shift or per day, laid out with one row per day
// and one column per period of the day (daily totals: one row per day of the
// month, one column per month), with a total per channel. The cumulative view,
// its export and print, and `rectool cumulative` all build them here. No Qt.
#include <ctime>
#include <functional>
#include <string>
#include <vector>

class CXFile;

namespace tables {

enum class CumKind { Hourly = 0, Shift8 = 1, Shift12 = 2, Daily = 3 };

// The kind of a period code (header cumPeriod): 0, 1, 2, anything else daily.
CumKind CumKindOf(int cumPeriod);
// Seconds of one period of the kind.
int CumPeriodSeconds(CumKind kind);

// The texts the tables carry, from the language package in the program;
// English ones by default (rectool).
struct CumTexts {
  std::string channelColumn = "Channel";     // title of column 0
  std::string hourFormat = "%d:00";          // hour columns, the hour that ends the period
  std::string shiftFormat = "%d:00-%d:00";   // shift columns, from and to hour
  std::string channelFormat = "Channel %d";  // title row of a channel, number from 1
  std::string total = "Total";
};

// What the table shows besides the totals (the view's four check boxes).
struct CumOptions {
  bool titleRows = true;     // a title row before each channel
  bool totalRows = true;     // a total row after each channel
  bool emptyRows = true;     // an empty row after each channel
  bool shownOnly = false;    // only channels whose shown flag is set
};

struct CumColumn {
  std::string title;
  int width;  // in pixels on screen
};

// A row of cells; an empty text is a blank cell, and a row may be shorter
// than the column count (the rest is blank).
using CumRow = std::vector<std::string>;
// Takes the rows of a table one after the other; false stops the table.
using CumRowFn = std::function<bool(const CumRow&)>;

struct CumTable {
  CumKind kind = CumKind::Hourly;
  std::vector<CumColumn> columns;
  std::vector<CumRow> rows;
};

// The columns of the kind for the file's day-start hour; the daily kind has
// a column per month from the month of `from` on, (days of the range / 30) + 2,
// and one more before them when `from` is the first of a month (its day
// before, the first day shown, lies in the month before).
std::vector<CumColumn> CumColumns(const CXFile& file, time_t from, time_t to, const CumTexts& texts);

// The first and last record times of the file.
time_t CumFirstTime(const CXFile& file);
time_t CumLastTime(const CXFile& file);

// 0 when [from, to] is a range of the file, else the message id that says
// why not: IDS_START_AFTER_END (reversed), IDS_START_BEFORE_FILE (before the
// first record), IDS_END_AFTER_FILE (after the last record).
int CheckCumRange(const CXFile& file, time_t from, time_t to);

// The rows of the table for [from, to] (check the range first), one at a
// time as they are made, so a table of any length needs no more memory than
// a row: title, period rows, total and empty row of each channel. Every total
// read inside the range appears once; the last row ends with the last
// reading. False when `row` stopped the table.
bool EachCumRow(const CXFile& file, time_t from, time_t to, const CumTexts& texts, const CumOptions& options,
                const CumRowFn& row);

// The whole table for [from, to] (check the range first), for a window that
// shows all of it.
CumTable BuildCumTable(const CXFile& file, time_t from, time_t to, const CumTexts& texts,
                       const CumOptions& options = CumOptions());

// A total as shown: the stored count / 10^decimals with that many decimals.
std::string CumValueText(double count, int decimals);

// The table as comma-separated text (RFC 4180 quoting), a header line of the
// column titles first, lines ended by "\r\n"; and one row of `columns`
// cells as such a line.
std::string CumTableCsv(const CumTable& table);
std::string CumCsvLine(const CumRow& row, size_t columns);

// The rows as a spreadsheet receives them: every row as wide as the table,
// a blank cell written as " " (one space).
std::vector<CumRow> CumSheetRows(const CumTable& table);
CumRow CumSheetRow(const CumRow& row, size_t columns);

}  // namespace tables
