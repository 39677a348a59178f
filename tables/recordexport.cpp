#include "tables/recordexport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "data/cxfile.h"
#include "data/records.h"
#include "tables/sheetwriter.h"

namespace tables {

namespace {

// Length of the UTF-8 character that starts with byte c (1 for a stray byte).
size_t CharLength(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return 4;
  if (c >= 0xE0) return c <= 0xEF ? 3 : 1;
  if (c >= 0xC2) return 2;
  return 1;
}

size_t NextChar(const std::string& s, size_t i) {
  const size_t n = CharLength(static_cast<unsigned char>(s[i]));
  return i + n > s.size() ? s.size() : i + n;
}

// Progress is reported about every this many rows.
constexpr int64_t kProgressRows = 256;

bool Cancelled(const ExportHooks& hooks) {
  return hooks.cancel && hooks.cancel->load(std::memory_order_relaxed);
}

void Report(const ExportHooks& hooks, int64_t done, int64_t total) {
  if (hooks.progress) hooks.progress(done, total);
}

}  // namespace

std::string SheetUnit(const std::string& unit) {
  std::string out;
  out.reserve(unit.size());
  size_t i = 0;
  while (i < unit.size()) {
    const size_t j = NextChar(unit, i);
    out.append(unit, i, j - i);
    if (unit[i] == 'm' && j < unit.size()) {
      const size_t k = NextChar(unit, j);
      if (k < unit.size() && unit[k] == '3') {
        out += ' ';
        i = k;  // the "3" is copied next, and may itself be followed by more
        continue;
      }
    }
    i = j;
  }
  return out;
}

void ExportColumns(const CXFile& file, std::vector<std::string>* names, std::vector<std::string>* types) {
  names->assign({"[编号]", "[时间]"});
  types->assign({"SHORT", "TEXT"});
  for (int ch = 0; ch < file.GetChnlCount(); ++ch) {
    const std::string unit = file.GetChnlUnit(ch);
    std::string name = std::string("[").append(file.GetChnlName(ch));
    if (!unit.empty()) name.append("(").append(SheetUnit(unit)).append(")");
    names->push_back(name + "]");
    types->push_back("SHORT");
  }
}

void ExportRow(const CXFile& file, int64_t number, time_t t, std::vector<std::string>* values) {
  const int n = file.GetChnlCount();
  values->resize(static_cast<size_t>(n) + 2);
  (*values)[0] = std::to_string(number);
  (*values)[1] = FormatTime(t);
  for (int ch = 0; ch < n; ++ch) {
    float v;
    if (file.GetValue(ch, t, &v, nullptr))
      (*values)[static_cast<size_t>(ch) + 2] = file.FormatValue(ch, v);
    else
      (*values)[static_cast<size_t>(ch) + 2] = "----";
  }
}

int64_t ExportRowCount(const CXFile& file, const ExportRequest& request) {
  const int64_t step = static_cast<int64_t>(file.GetInterval()) * request.rowInterval;
  if (step <= 0 || request.end < request.start) return 0;
  return (static_cast<int64_t>(request.end) - request.start) / step + 1;
}

namespace {

// Walks the rows of a request: row(number, time) for each, stopping on a
// false result or a cancel.
ExportResult EachRow(const CXFile& file, const ExportRequest& request, const ExportHooks& hooks,
                     const std::function<bool(int64_t, time_t)>& row) {
  const int64_t total = ExportRowCount(file, request);
  const int64_t step = static_cast<int64_t>(file.GetInterval()) * request.rowInterval;
  Report(hooks, 0, total);
  for (int64_t n = 1; n <= total; ++n) {
    if (Cancelled(hooks)) return ExportResult::Cancelled;
    if (!row(n, static_cast<time_t>(request.start + (n - 1) * step))) return ExportResult::Failed;
    if (n % kProgressRows == 0) Report(hooks, n, total);
  }
  Report(hooks, total, total);
  return ExportResult::Done;
}

bool CheckRequest(const CXFile& file, const ExportRequest& request, std::string* error) {
  // A file without channels still has its records: numbers and times.
  if (file.GetInterval() <= 0) {
    *error = "the file holds no records to export";
    return false;
  }
  if (request.rowInterval < 1) {
    *error = "the row interval must be 1 or more";
    return false;
  }
  if (request.end < request.start) {
    *error = "the start time is later than the end time";
    return false;
  }
  return true;
}

}  // namespace

ExportResult ExportXlsx(const CXFile& file, const ExportRequest& request, const std::string& path,
                        const ExportHooks& hooks, std::string* error) {
  std::string dummy;
  if (!error) error = &dummy;
  if (!CheckRequest(file, request, error)) return ExportResult::Failed;
  std::vector<std::string> names, types, values;
  ExportColumns(file, &names, &types);
  CXSheetWriter writer;
  if (!writer.Open(path)) {
    *error = writer.Error();
    return ExportResult::Failed;
  }
  char sheet[32];
  const ExportResult r = EachRow(file, request, hooks, [&](int64_t n, time_t t) {
    if (n % kRowsPerSheet == 1) {
      std::snprintf(sheet, sizeof(sheet), "sheet%lld", static_cast<long long>(n / kRowsPerSheet + 1));
      if (!writer.CreateTable(sheet, names, types)) return false;
    }
    ExportRow(file, n, t, &values);
    return writer.InsertRow(values) == 1;
  });
  if (r != ExportResult::Done) {
    if (r == ExportResult::Failed) *error = writer.Error();
    writer.Abandon();
    return r;
  }
  if (!writer.Close()) {
    *error = writer.Error();
    return ExportResult::Failed;
  }
  return ExportResult::Done;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

ExportResult ExportCsv(const CXFile& file, const ExportRequest& request, const std::string& path,
                       const ExportHooks& hooks, std::string* error) {
  std::string dummy;
  if (!error) error = &dummy;
  if (!CheckRequest(file, request, error)) return ExportResult::Failed;
  const size_t slash = path.rfind('/');
  std::string temp = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + "." +
                     (slash == std::string::npos ? path : path.substr(slash + 1)) + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    *error = "cannot create " + path + ": " + std::strerror(errno);
    return ExportResult::Failed;
  }
  ::fchmod(fd, 0644);
  FILE* out = ::fdopen(fd, "wb");
  if (!out) {
    ::close(fd);
    ::unlink(temp.c_str());
    *error = "cannot create " + path + ": " + std::strerror(errno);
    return ExportResult::Failed;
  }
  std::vector<std::string> names, types, values;
  ExportColumns(file, &names, &types);
  std::string line;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) line += ',';
    line += CsvField(CXSheetWriter::PlainName(names[i]));
  }
  line += "\r\n";
  bool ok = std::fwrite(line.data(), 1, line.size(), out) == line.size();
  ExportResult r = ok ? EachRow(file, request, hooks,
                                [&](int64_t n, time_t t) {
                                  ExportRow(file, n, t, &values);
                                  line.clear();
                                  for (size_t i = 0; i < values.size(); ++i) {
                                    if (i) line += ',';
                                    line += CsvField(values[i]);
                                  }
                                  line += "\r\n";
                                  return std::fwrite(line.data(), 1, line.size(), out) == line.size();
                                })
                      : ExportResult::Failed;
  if (r == ExportResult::Done && (std::fflush(out) != 0 || ::fsync(fileno(out)) != 0)) r = ExportResult::Failed;
  if (r == ExportResult::Failed) *error = "cannot write " + path + ": " + std::strerror(errno);
  if (std::fclose(out) != 0 && r == ExportResult::Done) {
    r = ExportResult::Failed;
    *error = "cannot write " + path + ": " + std::strerror(errno);
  }
  if (r == ExportResult::Done && ::rename(temp.c_str(), path.c_str()) != 0) {
    r = ExportResult::Failed;
    *error = "cannot put the file in place as " + path + ": " + std::strerror(errno);
  }
  if (r != ExportResult::Done) ::unlink(temp.c_str());
  return r;
}

}  // namespace tables
