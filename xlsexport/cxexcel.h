#pragma once
// CXExcel, exported from libxlsexport.so: the spreadsheet export window for
// one recording and a span of it.
//
//   CXExcel x;
//   x.SetFile(file);           // the span becomes the whole file
//   x.SetRange(start, end);    // optional: a narrower span
//   x.ShowXWnd(language);      // 0 Chinese, 1 English, other: nothing shown
//
// The window is modal; ShowXWnd returns when it closes. The file is borrowed
// and must outlive the call. The module carries its own texts in both
// languages. Needs a running QApplication.
#include <ctime>

class CXFile;

class CXExcel {
 public:
  CXExcel();
  CXExcel(const CXExcel& other);
  virtual ~CXExcel();
  CXExcel& operator=(const CXExcel& other);

  // Stores the file; when it is not null, the span becomes its first and
  // last record time.
  void SetFile(CXFile* file);
  void SetRange(time_t start, time_t end);
  void ShowXWnd(int language);

  time_t RangeStart() const { return start_; }
  time_t RangeEnd() const { return end_; }
  CXFile* File() const { return file_; }

 private:
  time_t start_ = 0;
  time_t end_ = 0;
  CXFile* file_ = nullptr;
};
