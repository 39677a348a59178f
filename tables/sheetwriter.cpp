#include "tables/sheetwriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
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
  const size_t slash = path.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  // The hidden name beside the target is reserved now, so a folder that
  // cannot take the file is known before any row is written.
  std::string pattern = dir + "." + base + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    error_ = std::string("cannot create a file in ").append(dir.empty() ? "." : dir).append(": ").append(std::strerror(errno));
    return false;
  }
  // mkstemp makes the file private; the finished file gets the usual rights.
  static const mode_t mask = [] {
    const mode_t m = ::umask(022);
    ::umask(m);
    return m;
  }();
  ::fchmod(fd, 0666 & ~mask);
  ::close(fd);
  temp_ = name.data();
  lxw_workbook_options options = {};
  options.constant_memory = LXW_TRUE;
  book_ = workbook_new_opt(temp_.c_str(), &options);
  if (!book_) {
    ::unlink(temp_.c_str());
    temp_.clear();
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
    ::unlink(temp_.c_str());
    temp_.clear();
    return false;
  }
  const lxw_error e = workbook_close(book);
  bool ok = e == LXW_NO_ERROR;
  if (!ok) error_ = std::string("cannot write the file: ") + lxw_strerror(e);
  if (ok) {
    // The contents reach the disk before the name does.
    const int fd = ::open(temp_.c_str(), O_RDONLY);
    ok = fd >= 0 && ::fsync(fd) == 0;
    if (fd >= 0) ::close(fd);
    if (!ok) error_ = std::string("cannot write the file: ") + std::strerror(errno);
  }
  if (ok && ::rename(temp_.c_str(), path_.c_str()) != 0) {
    ok = false;
    error_ = "cannot put the file in place as " + path_ + ": " + std::strerror(errno);
  }
  if (!ok) ::unlink(temp_.c_str());
  temp_.clear();
  return ok;
}

void CXSheetWriter::Abandon() {
  if (book_) {
    lxw_workbook_free(book_);
    book_ = nullptr;
  }
  sheet_ = nullptr;
  formats_.clear();
  formatSlots_.clear();
  if (!temp_.empty()) {
    ::unlink(temp_.c_str());
    temp_.clear();
  }
}
