#include "tables/cumtable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "data/cxfile.h"

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

using Row = std::vector<std::string>;

// Hourly: one row per day, the total stamped at t in the column of the hour
// that ends at t. Every reading from `from` to `to` is shown; the first row
// begins with blanks up to the column of the first reading, the last row
// ends after the column of the last one.
void HourlyRows(time_t from, time_t to, int s, std::vector<Row>& rows, Reader& reader) {
  Row row;
  int column = Mod(HourOf(from) - s - 1, 24);
  row.push_back(RowDate(from, column, 3600));
  row.resize(1 + column);
  for (time_t t = from; t <= to; t += 3600) {
    if (column == 24) {
      rows.push_back(std::move(row));
      row = Row{RowDate(t, 0, 3600)};
      column = 0;
    }
    row.push_back(reader.At(t));
    ++column;
  }
  rows.push_back(std::move(row));
}

// Eight-hour shifts: the opening row depends on the shift the range start
// ends; then one row of three shifts per day of the range and one more.
void Shift8Rows(time_t from, time_t to, int s, std::vector<Row>& rows, Reader& reader) {
  time_t t = from;
  const int r = Mod(HourOf(t) - s, 24);
  if (r >= 8 && r < 16) {
    Row row{RowDate(t, 0, 28800)};
    for (int i = 0; i < 3; ++i, t += 28800) row.push_back(reader.At(t));
    rows.push_back(std::move(row));
  } else if (r >= 16) {
    Row row{RowDate(t, 1, 28800), ""};
    for (int i = 0; i < 2; ++i, t += 28800) row.push_back(reader.At(t));
    rows.push_back(std::move(row));
  } else {
    Row row{RowDate(t, 2, 28800), "", ""};
    row.push_back(reader.At(t));
    t += 28800;
    rows.push_back(std::move(row));
  }
  const long long days = (to - from) / kDay + 1;
  for (long long d = 0; d < days; ++d) {
    Row row{RowDate(t, 0, 28800)};
    for (int i = 0; i < 3; ++i, t += 28800) row.push_back(reader.At(t));
    rows.push_back(std::move(row));
  }
}

// Twelve-hour shifts: a start that ends the second shift of a day opens with
// that day's row; then rows of two shifts until every reading of the range
// is shown.
void Shift12Rows(time_t from, time_t to, int s, std::vector<Row>& rows, Reader& reader) {
  time_t t = from;
  if (Mod(HourOf(t) - s, 24) < 12) {
    Row row{RowDate(t, 1, 43200), "0"};
    row.push_back(reader.At(t));
    rows.push_back(std::move(row));
    t += 43200;
  }
  const long long days = (to - from) / kDay;
  for (long long d = 0; d < days || t <= to; ++d) {
    Row row{RowDate(t, 0, 43200)};
    for (int i = 0; i < 2; ++i, t += 43200) row.push_back(reader.At(t));
    rows.push_back(std::move(row));
  }
}

// Daily: 31 rows of days, a column per month; day D is read at 00:00 of the
// next day (of the day after when the day starts later than midnight), not
// later than the range end. Days outside the month or the range stay blank.
void DailyRows(const CXFile& file, int ch, time_t from, time_t to, int s, int months,
               std::vector<Row>& rows) {
  const struct tm first = Local(from);
  const int firstDay = DayKey(from - kDay);
  const int lastDay = DayKey(to - kDay);
  std::vector<Reader> sums(months, Reader(file, ch));
  struct Month {
    int year, month0, days;
  };
  std::vector<Month> calendar;
  for (int m = 0; m < months; ++m) {
    const struct tm tm = Local(MakeLocal(first.tm_year + 1900, first.tm_mon + m, 1, 12));
    calendar.push_back({tm.tm_year + 1900, tm.tm_mon, DaysInMonth(tm.tm_year + 1900, tm.tm_mon)});
  }
  for (int day = 1; day <= 31; ++day) {
    Row row{std::to_string(day)};
    for (int m = 0; m < months; ++m) {
      const int year = calendar[m].year, month0 = calendar[m].month0;
      const int key = DayKey(year, month0, day);
      if (day > calendar[m].days || key < firstDay || key > lastDay) {
        row.push_back("");
        continue;
      }
      const time_t read = std::min(MakeLocal(year, month0, day + (s != 0 ? 2 : 1)), to);
      row.push_back(sums[m].At(read));
    }
    rows.push_back(std::move(row));
  }
  // The month totals are the last row's business; the caller adds the title.
  Row total;
  for (int m = 0; m < months; ++m) total.push_back(sums[m].Sum());
  rows.push_back(std::move(total));
}

int DailyMonths(time_t from, time_t to) {
  return static_cast<int>(std::max<long long>(0, (to - from) / kDay) / 30 + 2);
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
  if (from > to) return 61249;
  if (from < CumFirstTime(file)) return 61250;
  if (to > CumLastTime(file)) return 61251;
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
    case CumKind::Daily: {
      columns.push_back({"", 45});
      const struct tm first = Local(from);
      for (int m = 0; m < DailyMonths(from, to); ++m)
        columns.push_back({FormatTime(MakeLocal(first.tm_year + 1900, first.tm_mon + m, 1, 12), "%Y-%m"), 60});
      break;
    }
  }
  return columns;
}

CumTable BuildCumTable(const CXFile& file, time_t from, time_t to, const CumTexts& texts,
                       const CumOptions& options) {
  CumTable table;
  table.kind = CumKindOf(file.Head().cumPeriod);
  table.columns = CumColumns(file, from, to, texts);
  const int s = file.Head().cumByte1 % 24;
  for (int ch = 0; ch < file.GetChnlCount(); ++ch) {
    if (options.shownOnly && !file.Head().channels[ch].shown) continue;
    if (options.titleRows) table.rows.push_back({Format1(texts.channelFormat, ch + 1)});
    Reader reader(file, ch);
    std::vector<Row> rows;
    switch (table.kind) {
      case CumKind::Hourly: HourlyRows(from, to, s, rows, reader); break;
      case CumKind::Shift8: Shift8Rows(from, to, s, rows, reader); break;
      case CumKind::Shift12: Shift12Rows(from, to, s, rows, reader); break;
      case CumKind::Daily: DailyRows(file, ch, from, to, s, int(table.columns.size()) - 1, rows); break;
    }
    Row total;
    if (table.kind == CumKind::Daily) {
      total = std::move(rows.back());
      rows.pop_back();
      total.insert(total.begin(), texts.total);
    } else {
      total = {texts.total, reader.Sum()};
    }
    for (Row& r : rows) table.rows.push_back(std::move(r));
    if (options.totalRows) table.rows.push_back(std::move(total));
    if (options.emptyRows) table.rows.push_back({});
  }
  return table;
}

std::string CumTableCsv(const CumTable& table) {
  auto cell = [](const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string q = "\"";
    for (char c : text) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
  };
  std::string out;
  for (size_t c = 0; c < table.columns.size(); ++c) {
    if (c) out += ',';
    out += cell(table.columns[c].title);
  }
  out += "\r\n";
  for (const auto& row : table.rows) {
    for (size_t c = 0; c < table.columns.size(); ++c) {
      if (c) out += ',';
      if (c < row.size()) out += cell(row[c]);
    }
    out += "\r\n";
  }
  return out;
}

std::vector<std::vector<std::string>> CumSheetRows(const CumTable& table) {
  std::vector<std::vector<std::string>> rows;
  for (const auto& row : table.rows) {
    std::vector<std::string> cells(table.columns.size(), " ");
    for (size_t c = 0; c < row.size() && c < cells.size(); ++c)
      if (!row[c].empty()) cells[c] = row[c];
    rows.push_back(std::move(cells));
  }
  return rows;
}

}  // namespace tables
