#include "tables/sheetwriter.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// Excel keeps at most this many rows in a sheet.
constexpr unsigned kMaxSheetRows = 1048576;

std::string Upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

}  // namespace

CXSheetWriter::CXSheetWriter() = default;

CXSheetWriter::~CXSheetWriter() { Abandon(); }

std::string CXSheetWriter::PlainName(const std::string& name) {
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') return name.substr(1, name.size() - 2);
  return name;
}

bool CXSheetWriter::ParseNumber(const std::string& text, double* value) {
  // from_chars takes no blanks, no "+", no hex without asking; "inf" and
  // "nan" are turned away by the finiteness check.
  const char* first = text.data();
  const char* last = first + text.size();
  if (first == last) return false;
  double v;
  const auto [end, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || end != last || !std::isfinite(v)) return false;
  *value = v;
  return true;
}

void CXSheetWriter::Fail(const std::string& message) {
  if (!failed_) error_ = message;
  failed_ = true;
}

bool CXSheetWriter::Open(const std::string& path) {
  Abandon();
  error_.clear();
  failed_ = false;
  if (path.empty()) {
    error_ = "no file name given";
    return false;
  }
  path_ = path;
  // The file beside the target is reserved now, so a folder that cannot take
  // the file is known before any row is written.
  if (!out_.Open(path)) {
    error_ = out_.Error();
    return false;
  }
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  book_ = workbook_new_opt(out_.TempPath().c_str(), &options);
  if (!book_) {
    out_.Abandon();
    error_ = "cannot start a workbook (out of memory?)";
    return false;
  }
  return true;
}

int CXSheetWriter::CreateTable(const std::string& name, const std::vector<std::string>& names,
                               const std::vector<std::string>& types) {
  if (!book_) {
    Fail("the workbook is not open");
    return 0;
  }
  types_.clear();
  for (size_t i = 0; i < names.size(); ++i) types_.push_back(Upper(i < types.size() ? types[i] : std::string()));
  sheet_ = workbook_add_worksheet(book_, name.c_str());
  row_ = 0;
  if (!sheet_) {
    Fail("cannot add the sheet \"" + name + "\"");
    return 0;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    const lxw_error e = worksheet_write_string(sheet_, 0, static_cast<lxw_col_t>(i), PlainName(names[i]).c_str(), nullptr);
    if (e != LXW_NO_ERROR) {
      Fail(std::string("cannot write the column names: ") + lxw_strerror(e));
      return 0;
    }
  }
  row_ = 1;
  return 1;
}

lxw_format* CXSheetWriter::NumberFormat(const std::string& text) {
  // The number keeps the look its text had: as many decimals, and the
  // exponent form of "%.1E" values.
  const size_t e = text.find_first_of("eE");
  const size_t dot = text.find('.');
  int decimals = 0;
  if (dot != std::string::npos) decimals = static_cast<int>((e == std::string::npos ? text.size() : e) - dot - 1);
  if (decimals <= 0 && e == std::string::npos) return nullptr;
  const size_t slot = static_cast<size_t>(decimals) * 2 + (e != std::string::npos ? 1 : 0);
  if (slot < formatSlots_.size() && formatSlots_[slot]) return formatSlots_[slot];
  std::string key = "0";
  if (decimals > 0) key.append(".").append(static_cast<size_t>(decimals), '0');
  if (e != std::string::npos) key += "E+00";
  lxw_format*& f = formats_[key];
  if (!f) {
    f = workbook_add_format(book_);
    if (f) format_set_num_format(f, key.c_str());
  }
  if (slot >= formatSlots_.size()) formatSlots_.resize(slot + 1, nullptr);
  formatSlots_[slot] = f;
  return f;
}

int CXSheetWriter::InsertRow(const std::vector<std::string>& values) {
  if (!sheet_ || failed_) {
    Fail("no sheet to write to");
    return 0;
  }
  if (row_ >= kMaxSheetRows) {
    Fail("the sheet is full");
    return 0;
  }
  const size_t n = std::min(values.size(), types_.size());
  for (size_t i = 0; i < n; ++i) {
    const std::string& v = values[i];
    if (v.empty()) continue;
    lxw_error e;
    double number;
    if (types_[i] != "TEXT" && ParseNumber(v, &number))
      e = worksheet_write_number(sheet_, row_, static_cast<lxw_col_t>(i), number, NumberFormat(v));
    else
      e = worksheet_write_string(sheet_, row_, static_cast<lxw_col_t>(i), v.c_str(), nullptr);
    if (e != LXW_NO_ERROR) {
      Fail(std::string("cannot write a row: ") + lxw_strerror(e));
      return 0;
    }
  }
  ++row_;
  return 1;
}

bool CXSheetWriter::Close() {
  if (!book_) return false;
  lxw_workbook* book = book_;
  book_ = nullptr;
  sheet_ = nullptr;
  formats_.clear();
  formatSlots_.clear();
  if (failed_) {
    lxw_workbook_free(book);
    out_.Abandon();
    return false;
  }
  const lxw_error e = workbook_close(book);
  if (e != LXW_NO_ERROR) out_.Fail(std::string("cannot write the file: ") + lxw_strerror(e));
  if (!out_.Commit()) {
    error_ = out_.Error();
    return false;
  }
  return true;
}

void CXSheetWriter::Abandon() {
  if (book_) {
    lxw_workbook_free(book_);
    book_ = nullptr;
  }
  sheet_ = nullptr;
  formats_.clear();
  formatSlots_.clear();
  out_.Abandon();
}
