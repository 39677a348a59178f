#pragma once
// The print range dialog (160): a start and an end inside a recording, kept
// on its sampling grid, with the pages of 2000 records the span needs. It
// ends with OK for a preview (OK) or for printing (button 1051).
#include <QDialog>
#include <ctime>

class CXFile;
class QDateEdit;
class QTimeEdit;
class QLabel;

namespace tables {

class CPrintRangeDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CPrintRangeDlg(QWidget* parent = nullptr);
  // The recording (borrowed), set before the dialog is shown.
  void SetFile(CXFile* file);

  // After OK: the span, its pages and 1 for preview, 0 for print.
  time_t Start() const;
  time_t End() const;
  int Pages() const { return pages_; }
  int Mode() const { return mode_; }

  // The span of the pickers checked and moved onto the grid.
  void Recompute();
  void OnPreview();  // OK
  void OnPrint();    // 1051

 private:
  CXFile* file_ = nullptr;
  QLabel* label_;
  QDateEdit* startDate_;
  QTimeEdit* startTime_;
  QDateEdit* endDate_;
  QTimeEdit* endTime_;
  QLabel* status_;
  QLabel* pageText_;
  int pages_ = -1;
  int mode_ = 1;
  bool inRecompute_ = false;
};

// Runs the dialog on a file: true with the span, pages and mode on OK.
bool RunPrintRangeDlg(QWidget* parent, CXFile* file, time_t* start, time_t* end, int* pages, int* mode);

}  // namespace tables
