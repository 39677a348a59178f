#pragma once
// CXSheetWriter: tables into a new spreadsheet file (.xlsx).
//
// Calling order: Open, then per sheet one CreateTable followed by any number
// of InsertRow, then Close. A table is a sheet; its column names (without
// the square brackets that may quote them) are the sheet's first row. Values
// of "TEXT" columns are text cells; values of every other column are numbers,
// or text when the value is not a number ("----", "ReadError"), so an odd
// value never breaks a file.
//
// The workbook is written in constant-memory mode to a hidden file beside the
// target (platform::NewFile) and renamed over the target by a successful Close; until then an
// existing file at the target stays as it was. Abandon (or destroying an
// unclosed writer) deletes the partial file. No Qt; one thread at a time.
#include <map>
#include <string>
#include <vector>

#include "platform/safefile.h"

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

class CXSheetWriter {
 public:
  CXSheetWriter();
  virtual ~CXSheetWriter();
  CXSheetWriter(const CXSheetWriter&) = delete;
  CXSheetWriter& operator=(const CXSheetWriter&) = delete;

  // Starts a new workbook for path. False (with Error()) when the folder is
  // missing or not writable.
  bool Open(const std::string& path);
  // A new sheet named name with one column per entry of names; types are
  // upper-cased and kept for InsertRow. 1 on success, 0 on failure (Error()).
  int CreateTable(const std::string& name, const std::vector<std::string>& names,
                  const std::vector<std::string>& types);
  // One row of the current sheet; missing values leave their cells empty,
  // extra values are ignored. 1 on success, 0 on failure (no sheet, a full
  // sheet, a write error).
  int InsertRow(const std::vector<std::string>& values);
  // Completes the workbook and renames it over the target. False (and no
  // file left behind) when anything failed on the way.
  bool Close();
  // Drops the workbook; the target is left as it was.
  void Abandon();

  bool IsOpen() const { return book_ != nullptr; }
  const std::string& Error() const { return error_; }
  // The column types of the current table, upper-cased.
  const std::vector<std::string>& ColumnTypes() const { return types_; }

  // A column name as the sheet shows it: "[name]" loses its brackets.
  static std::string PlainName(const std::string& name);
  // True when text is a whole decimal or floating-point number (no spaces,
  // no "nan"/"inf"); *value gets it.
  static bool ParseNumber(const std::string& text, double* value);

 private:
  lxw_format* NumberFormat(const std::string& text);
  void Fail(const std::string& message);

  std::vector<std::string> types_;
  lxw_workbook* book_ = nullptr;
  lxw_worksheet* sheet_ = nullptr;
  std::map<std::string, lxw_format*> formats_;
  std::vector<lxw_format*> formatSlots_;  // by decimals x 2 + exponent
  std::string path_;
  platform::NewFile out_;
  std::string error_;
  unsigned row_ = 0;
  bool failed_ = false;
};
