#pragma once
// The export of a span of a recording as rows: number, time and one value per
// channel, every row-interval-th record from start to end. One routine writes
// the spreadsheet of the export window and of "rectool export", and the CSV
// text of "rectool export --csv". No Qt.
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

class CXFile;

namespace tables {

// Rows in one sheet below its header row; the next row starts a new sheet.
constexpr int64_t kRowsPerSheet = 65535;

// A unit as it stands in a column name: wherever an "m" is followed two
// characters later by "3", the character between them becomes a space
// ("m^3" -> "m 3"). Characters are UTF-8 characters.
std::string SheetUnit(const std::string& unit);

// The columns of the export: "[编号]" SHORT, "[时间]" TEXT, then per channel
// "[name(unit)]" (or "[name]" without a unit) SHORT.
void ExportColumns(const CXFile& file, std::vector<std::string>* names, std::vector<std::string>* types);

// The texts of one row: the number "%d", the time "%Y-%m-%d %H:%M:%S" and
// each channel's value in its format, "----" where no value can be read.
void ExportRow(const CXFile& file, int64_t number, time_t t, std::vector<std::string>* values);

struct ExportRequest {
  time_t start = 0;
  time_t end = 0;
  int rowInterval = 1;  // every n-th record
};

// Rows from start to end with the step interval x rowInterval; 0 when the
// request is empty or invalid.
int64_t ExportRowCount(const CXFile& file, const ExportRequest& request);

// What a running export tells its caller. progress(done, total) is called
// now and then (not for every row) and once at the end; cancel is polled
// before every row.
struct ExportHooks {
  std::function<void(int64_t done, int64_t total)> progress;
  const std::atomic<bool>* cancel = nullptr;
};

enum class ExportResult { Done, Cancelled, Failed };

// Writes the span into a new .xlsx at path (sheets "sheet1", "sheet2" ... of
// kRowsPerSheet rows, numbers counting on across sheets). The file appears
// at path only when complete; a cancelled or failed export leaves whatever
// was at path untouched. *error says why on Failed.
ExportResult ExportXlsx(const CXFile& file, const ExportRequest& request, const std::string& path,
                        const ExportHooks& hooks, std::string* error);

// The same rows as CSV (RFC 4180, UTF-8, CRLF), one header line of column
// names and no sheet breaks.
ExportResult ExportCsv(const CXFile& file, const ExportRequest& request, const std::string& path,
                       const ExportHooks& hooks, std::string* error);

// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);

}  // namespace tables
