#include "tables/cumtable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/cxfile.h"
#include "platform/ui/stringids.h"
#include "tables/recordexport.h"

namespace tables {

namespace {

constexpr int kDay = 86400;

int Mod(int a, int m) { return ((a % m) + m) % m; }

struct tm Local(time_t t) {
  struct tm tm = {};
  localtime_r(&t, &tm);
  return tm;
}

int HourOf(time_t t) { return Local(t).tm_hour; }

std::string DateText(time_t t) { return FormatTime(t, "%Y-%m-%d"); }

// A row holds the periods of one day that begins at the day-start hour: it is
// dated with the day in which its first period began, the period of a total
// ending at the time the total is stamped with. `t` is the row's first
// reading and `column` (from 0) the column it goes into.
std::string RowDate(time_t t, int column, int period) {
  return DateText(t - time_t(column + 1) * period);
}

// A local time from calendar fields; days and months out of range roll over.
time_t MakeLocal(int year, int month0, int day, int hour = 0) {
  struct tm tm = {};
  tm.tm_year = year - 1900;
  tm.tm_mon = month0;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

// Calendar day as a comparable number: year * 10000 + month * 100 + day.
int DayKey(int year, int month0, int day) { return year * 10000 + (month0 + 1) * 100 + day; }
int DayKey(time_t t) {
  const struct tm tm = Local(t);
  return DayKey(tm.tm_year + 1900, tm.tm_mon, tm.tm_mday);
}

int DaysInMonth(int year, int month0) {
  const struct tm tm = Local(MakeLocal(year, month0 + 1, 0, 12));
  return tm.tm_mday;
}

std::string Format1(const std::string& format, int a) {
  char buf[128];
  std::snprintf(buf, sizeof(buf), format.c_str(), a);
  return buf;
}

std::string Format2(const std::string& format, int a, int b) {
  char buf[128];
  std::snprintf(buf, sizeof(buf), format.c_str(), a, b);
  return buf;
}

// Reads totals of one channel and keeps their sum.
class Reader {
 public:
  Reader(const CXFile& file, int ch) : file_(file), ch_(ch) {
    decimals_ = std::min<int>(file.Head().cumByte2, 15);
    scale_ = std::pow(10.0, decimals_);
  }
  // The total of the period that holds t; 0 when t lies outside the file.
  std::string At(time_t t) {
    double count = 0;
    if (!file_.GetCumValue(ch_, t, &count)) count = 0;
    sum_ += count / scale_;
    return CumValueText(count, decimals_);
  }
  std::string Sum() const { return CumValueText(sum_ * scale_, decimals_); }
  // Starts a new sum (one per month column of the daily kind).
  void Reset() { sum_ = 0; }

 private:
  const CXFile& file_;
  int ch_;
  int decimals_;
  double scale_;
  double sum_ = 0;
};

using Row = CumRow;

// Totals read at `from` and every period after it up to `to`, `perRow` to a
// row: the first reading goes into column `column` (from 0) after `column`
// cells of `lead`, a row is dated with the day in which its first period
// began, and the last row ends with the last reading.
bool PeriodRows(time_t from, time_t to, int period, int perRow, int column, const std::string& lead,
                Reader& reader, const CumRowFn& emit) {
  Row row{RowDate(from, column, period)};
  row.resize(1 + column, lead);
  for (time_t t = from; t <= to; t += period) {
    if (column == perRow) {
      if (!emit(row)) return false;
      row = Row{RowDate(t, 0, period)};
      column = 0;
    }
    row.push_back(reader.At(t));
    ++column;
  }
  return emit(row);
}

// Hourly: the total stamped at t in the column of the hour that ends at t.
bool HourlyRows(time_t from, time_t to, int s, Reader& reader, const CumRowFn& emit) {
  return PeriodRows(from, to, 3600, 24, Mod(HourOf(from) - s - 1, 24), "", reader, emit);
}

// Eight-hour shifts: the range start ends the first, second or third shift
// of its day.
bool Shift8Rows(time_t from, time_t to, int s, Reader& reader, const CumRowFn& emit) {
  const int r = Mod(HourOf(from) - s, 24);
  const int column = r >= 8 && r < 16 ? 0 : r >= 16 ? 1 : 2;
  return PeriodRows(from, to, 28800, 3, column, "", reader, emit);
}

// Twelve-hour shifts: a start that ends the second shift of a day opens with
// that day's row, "0" in its first shift.
bool Shift12Rows(time_t from, time_t to, int s, Reader& reader, const CumRowFn& emit) {
  const bool second = Mod(HourOf(from) - s, 24) < 12;
  return PeriodRows(from, to, 43200, 2, second ? 1 : 0, "0", reader, emit);
}

struct Month {
  int year, month0, days;
  std::vector<time_t> reads;  // day D is read at reads[D - 1]
};

// The calendar day before the day of t.
int DayBefore(time_t t) {
  const struct tm tm = Local(t);
  return DayKey(MakeLocal(tm.tm_year + 1900, tm.tm_mon, tm.tm_mday - 1, 12));
}

// The month columns of the daily kind: (days of the range / 30) + 2 months
// from the month of the range start, and the month before when the range
// starts on the 1st (the first day shown is the day before the range start).
std::vector<Month> DailyMonths(time_t from, time_t to) {
  const struct tm first = Local(from);
  const int m0 = first.tm_mday == 1 ? -1 : 0;
  const int months = static_cast<int>(std::max<long long>(0, (to - from) / kDay) / 30 + 2);
  std::vector<Month> calendar;
  for (int m = m0; m < months; ++m) {
    const struct tm tm = Local(MakeLocal(first.tm_year + 1900, first.tm_mon + m, 1, 12));
    calendar.push_back({tm.tm_year + 1900, tm.tm_mon, DaysInMonth(tm.tm_year + 1900, tm.tm_mon)});
  }
  return calendar;
}

// Day D is read at 00:00 of the next day (of the day after when the day
// starts later than midnight); worked out once for all channels.
void AddReadTimes(std::vector<Month>& calendar, int s) {
  for (Month& m : calendar)
    for (int day = 1; day <= m.days; ++day) m.reads.push_back(MakeLocal(m.year, m.month0, day + (s != 0 ? 2 : 1)));
}

// Daily: 31 rows of days, a column per month, each day read as above. Days
// outside the month or the range stay blank, and so does a day whose total
// is stamped after the range end. The month totals follow as the last row.
bool DailyRows(const CXFile& file, int ch, time_t from, time_t to, const std::vector<Month>& calendar,
               const std::string& totalText, bool totalRow, const CumRowFn& emit) {
  const int firstDay = DayBefore(from);
  const int lastDay = DayBefore(to);
  const time_t start = file.GetStartTime();
  const long long interval = std::max(1, file.GetInterval());
  auto period = [&](time_t t) { return (static_cast<long long>(t) - start) / interval; };
  std::vector<Reader> sums(calendar.size(), Reader(file, ch));
  for (int day = 1; day <= 31; ++day) {
    Row row{std::to_string(day)};
    for (size_t m = 0; m < calendar.size(); ++m) {
      const int year = calendar[m].year, month0 = calendar[m].month0;
      const int key = DayKey(year, month0, day);
      if (day > calendar[m].days || key < firstDay || key > lastDay) {
        row.push_back("");
        continue;
      }
      const time_t read = calendar[m].reads[day - 1];
      row.push_back(read > to && period(read) != period(to) ? "" : sums[m].At(std::min(read, to)));
    }
    if (!emit(row)) return false;
  }
  if (!totalRow) return true;
  Row total{totalText};
  for (const Reader& sum : sums) total.push_back(sum.Sum());
  return emit(total);
}

}  // namespace

CumKind CumKindOf(int cumPeriod) {
  switch (cumPeriod) {
    case 0: return CumKind::Hourly;
    case 1: return CumKind::Shift8;
    case 2: return CumKind::Shift12;
    default: return CumKind::Daily;
  }
}

int CumPeriodSeconds(CumKind kind) {
  switch (kind) {
    case CumKind::Hourly: return 3600;
    case CumKind::Shift8: return 28800;
    case CumKind::Shift12: return 43200;
    default: return kDay;
  }
}

std::string CumValueText(double count, int decimals) {
  decimals = std::clamp(decimals, 0, 15);
  char buf[400];
  std::snprintf(buf, sizeof(buf), "%.*f", decimals, count / std::pow(10.0, decimals));
  return buf;
}

time_t CumFirstTime(const CXFile& file) { return file.GetStartTime(); }

time_t CumLastTime(const CXFile& file) {
  const int records = file.GetRecordCount();
  if (records <= 0 || file.GetInterval() <= 0) return file.GetEndTime();
  return file.GetStartTime() + time_t(records - 1) * file.GetInterval();
}

int CheckCumRange(const CXFile& file, time_t from, time_t to) {
  if (from > to) return IDS_START_AFTER_END;
  if (from < CumFirstTime(file)) return IDS_START_BEFORE_FILE;
  if (to > CumLastTime(file)) return IDS_END_AFTER_FILE;
  return 0;
}

std::vector<CumColumn> CumColumns(const CXFile& file, time_t from, time_t to, const CumTexts& texts) {
  const int s = file.Head().cumByte1 % 24;
  std::vector<CumColumn> columns;
  switch (CumKindOf(file.Head().cumPeriod)) {
    case CumKind::Hourly:
      columns.push_back({texts.channelColumn, 120});
      for (int i = 1; i <= 24; ++i) columns.push_back({Format1(texts.hourFormat, (s + i) % 24), 60});
      break;
    case CumKind::Shift8:
      columns.push_back({texts.channelColumn, 120});
      for (int i = 0; i < 3; ++i)
        columns.push_back({Format2(texts.shiftFormat, (s + 8 * i) % 24, (s + 8 * i + 8) % 24), 100});
      break;
    case CumKind::Shift12:
      columns.push_back({texts.channelColumn, 120});
      for (int i = 0; i < 2; ++i)
        columns.push_back({Format2(texts.shiftFormat, (s + 12 * i) % 24, (s + 12 * i + 12) % 24), 120});
      break;
    case CumKind::Daily:
      columns.push_back({"", 45});
      for (const Month& m : DailyMonths(from, to))
        columns.push_back({FormatTime(MakeLocal(m.year, m.month0, 1, 12), "%Y-%m"), 60});
      break;
  }
  return columns;
}

bool EachCumRow(const CXFile& file, time_t from, time_t to, const CumTexts& texts, const CumOptions& options,
                const CumRowFn& emit) {
  const CumKind kind = CumKindOf(file.Head().cumPeriod);
  const int s = file.Head().cumByte1 % 24;
  std::vector<Month> calendar;
  if (kind == CumKind::Daily) {
    calendar = DailyMonths(from, to);
    AddReadTimes(calendar, s);
  }
  for (int ch = 0; ch < file.GetChnlCount(); ++ch) {
    if (options.shownOnly && !file.Head().channels[ch].shown) continue;
    if (options.titleRows && !emit({Format1(texts.channelFormat, ch + 1)})) return false;
    Reader reader(file, ch);
    bool more = true;
    switch (kind) {
      case CumKind::Hourly: more = HourlyRows(from, to, s, reader, emit); break;
      case CumKind::Shift8: more = Shift8Rows(from, to, s, reader, emit); break;
      case CumKind::Shift12: more = Shift12Rows(from, to, s, reader, emit); break;
      case CumKind::Daily:
        more = DailyRows(file, ch, from, to, calendar, texts.total, options.totalRows, emit);
        break;
    }
    if (!more) return false;
    if (options.totalRows && kind != CumKind::Daily && !emit({texts.total, reader.Sum()})) return false;
    if (options.emptyRows && !emit({})) return false;
  }
  return true;
}

CumTable BuildCumTable(const CXFile& file, time_t from, time_t to, const CumTexts& texts,
                       const CumOptions& options) {
  CumTable table;
  table.kind = CumKindOf(file.Head().cumPeriod);
  table.columns = CumColumns(file, from, to, texts);
  EachCumRow(file, from, to, texts, options, [&](const CumRow& row) {
    table.rows.push_back(row);
    return true;
  });
  return table;
}

std::string CumCsvLine(const CumRow& row, size_t columns) {
  std::string line;
  for (size_t c = 0; c < columns; ++c) {
    if (c) line += ',';
    if (c < row.size()) line += CsvField(row[c]);
  }
  return line + "\r\n";
}

std::string CumTableCsv(const CumTable& table) {
  CumRow titles;
  for (const CumColumn& c : table.columns) titles.push_back(c.title);
  std::string out = CumCsvLine(titles, titles.size());
  for (const auto& row : table.rows) out += CumCsvLine(row, table.columns.size());
  return out;
}

CumRow CumSheetRow(const CumRow& row, size_t columns) {
  CumRow cells(columns, " ");
  for (size_t c = 0; c < row.size() && c < cells.size(); ++c)
    if (!row[c].empty()) cells[c] = row[c];
  return cells;
}

std::vector<CumRow> CumSheetRows(const CumTable& table) {
  std::vector<CumRow> rows;
  for (const auto& row : table.rows) rows.push_back(CumSheetRow(row, table.columns.size()));
  return rows;
}

}  // namespace tables
