#include "tables/recordexport.h"

#include <cstdio>

#include "data/cxfile.h"
#include "data/records.h"
#include "platform/safefile.h"
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

bool CheckRequest(const CXFile& file, const ExportRequest& request, const std::string& path, std::string* error) {
  if (platform::SameFile(path, file.GetPath())) {
    *error = path + " is the data file being exported; choose another name for the export";
    return false;
  }
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

std::string ChangedText(const CXFile& file) {
  return file.GetPath() + " changed on disk while it was read (it became shorter); nothing was written";
}

}  // namespace

ExportResult ExportXlsx(const CXFile& file, const ExportRequest& request, const std::string& path,
                        const ExportHooks& hooks, std::string* error) {
  std::string dummy;
  if (!error) error = &dummy;
  if (!CheckRequest(file, request, path, error)) return ExportResult::Failed;
  std::vector<std::string> names, types, values;
  ExportColumns(file, &names, &types);
  CXSheetWriter writer;
  if (!writer.Open(path)) {
    *error = writer.Error();
    return ExportResult::Failed;
  }
  char sheet[32];
  ExportResult r = EachRow(file, request, hooks, [&](int64_t n, time_t t) {
    if (n % kRowsPerSheet == 1) {
      std::snprintf(sheet, sizeof(sheet), "sheet%lld", static_cast<long long>(n / kRowsPerSheet + 1));
      if (!writer.CreateTable(sheet, names, types)) return false;
    }
    ExportRow(file, n, t, &values);
    return writer.InsertRow(values) == 1;
  });
  if (r == ExportResult::Done && file.ChangedOnDisk()) {
    *error = ChangedText(file);
    r = ExportResult::Failed;
  } else if (r == ExportResult::Failed) {
    *error = writer.Error();
  }
  if (r != ExportResult::Done) {
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
  if (!CheckRequest(file, request, path, error)) return ExportResult::Failed;
  platform::NewFile out;
  if (!out.Open(path, 0644)) {
    *error = out.Error();
    return ExportResult::Failed;
  }
  std::vector<std::string> names, types, values;
  ExportColumns(file, &names, &types);
  // Lines gather in a buffer written in large pieces.
  std::string text;
  auto flush = [&](size_t above) {
    if (text.size() <= above) return true;
    const bool ok = out.Write(text.data(), text.size());
    text.clear();
    return ok;
  };
  for (size_t i = 0; i < names.size(); ++i) {
    if (i) text += ',';
    text += CsvField(CXSheetWriter::PlainName(names[i]));
  }
  text += "\r\n";
  ExportResult r = EachRow(file, request, hooks, [&](int64_t n, time_t t) {
    ExportRow(file, n, t, &values);
    for (size_t i = 0; i < values.size(); ++i) {
      if (i) text += ',';
      text += CsvField(values[i]);
    }
    text += "\r\n";
    return flush(1 << 16);
  });
  if (r == ExportResult::Done && !flush(0)) r = ExportResult::Failed;
  if (r == ExportResult::Done && file.ChangedOnDisk()) {
    *error = ChangedText(file);
    return ExportResult::Failed;
  }
  if (r == ExportResult::Done && !out.Commit()) r = ExportResult::Failed;
  if (r == ExportResult::Failed) *error = out.Error();
  return r;
}

}  // namespace tables
