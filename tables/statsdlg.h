#pragma once
// The statistics dialog (171): per channel the maximum, minimum, mean and
// relative spread of a span, copied to the clipboard as text or written to
// a spreadsheet.
#include <QDialog>

#include <ctime>

#include "tables/statistics.h"

class CXFile;
class QDateEdit;
class QLabel;
class QProgressBar;
class QTimeEdit;
class QTableWidget;

namespace tables {

// Runs the dialog modally on a file; the views call this. With a span
// (start < end) the pickers show it instead of the last hour.
void RunStatistics(QWidget* parent, CXFile* file, time_t start = 0, time_t end = 0);

class CStatisticsDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CStatisticsDlg(QWidget* parent = nullptr);

  // Before the dialog is shown: the span text and the pickers (the last hour
  // of the file), one list row per channel.
  void SetFile(CXFile* file);
  void SetSpan(time_t start, time_t end);

  // The list as tab-separated text with "\r\n" line ends, as Copy puts it on
  // the clipboard.
  QString ListText() const;
  // Writes the list into a new spreadsheet at path; false with *error.
  bool WriteSheet(const QString& path, QString* error) const;
  // Asks for the spreadsheet file name; empty when the user cancels.
  QString AskTarget();

 public slots:
  void OnCompute();
  void OnCopy();
  void OnExport();

 private:
  CXFile* file_ = nullptr;
  QTableWidget* list_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QDateEdit* startDate_ = nullptr;
  QTimeEdit* startTime_ = nullptr;
  QDateEdit* endDate_ = nullptr;
  QTimeEdit* endTime_ = nullptr;
  QLabel* span_ = nullptr;
};

}  // namespace tables
