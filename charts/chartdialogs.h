#pragma once
// The dialogs of the curve view that the record list shares: marks, find,
// go to time, time window and reference lines. Every control carries its
// control id as object name.
#include <QDialog>
#include <ctime>
#include <functional>

#include "data/records.h"
#include "platform/ui/dialogfields.h"

class CXFile;
class QTableWidget;
class QDateEdit;
class QTimeEdit;
class QRadioButton;
class QComboBox;
class QLineEdit;
class QCheckBox;
class QDialogButtonBox;

namespace charts {

// Fills a list (control 1090) with the file's marks: number from 1, time.
void FillMarkList(QTableWidget* list, const CXFile& file);
// A two-column report list of marks.
QTableWidget* NewMarkList(QWidget* parent);

// Marks dialog (172): the marks of a file, with delete and delete all.
class CMarksDlg : public QDialog {
  Q_OBJECT
 public:
  CMarksDlg(CXFile* file, QWidget* parent = nullptr);
  void DeleteSelected();  // button 1088
  void DeleteAll();       // button 1089
  QTableWidget* List() const { return list_; }

 private:
  CXFile* file_;
  QTableWidget* list_;
};

// Go-to-time dialog (173): a picked time or one of the marks.
class CGotoTimeDlg : public QDialog {
  Q_OBJECT
 public:
  CGotoTimeDlg(CXFile* file, QWidget* parent = nullptr);
  time_t Result() const { return result_; }
  void accept() override;

 private:
  void SetMode(bool markMode);

  CXFile* file_;
  QTableWidget* list_;
  QDateEdit* date_;
  QTimeEdit* time_;
  QRadioButton* byTime_;
  QRadioButton* byMark_;
  time_t result_ = 0;
};

// Find dialog (175): fills the query and asks its owner to search, as often
// as the find button is pressed; the dialog stays open.
class CFindDlg : public QDialog {
  Q_OBJECT
 public:
  CFindDlg(CXFile* file, _tagFindQuery* query, std::function<void()> search,
           QWidget* parent = nullptr);
  void Find();  // button 1096

 private:
  _tagFindQuery* query_;
  std::function<void()> search_;
  bool criteriaNew_ = true;
  QComboBox* channel_;
  QLineEdit* target_;
  QLineEdit* tolerance_;
  QRadioButton* origin_[3];
  QRadioButton* direction_[2];
};

// Time-window dialog: start and end of the chart's window.
class CTimeWindowDlg : public QDialog {
  Q_OBJECT
 public:
  CTimeWindowDlg(CXFile* file, time_t start, time_t end, QWidget* parent = nullptr);
  time_t Start() const { return start_; }
  time_t End() const { return end_; }
  void accept() override;

 private:
  CXFile* file_;
  QDateEdit* startDate_;
  QTimeEdit* startTime_;
  QDateEdit* endDate_;
  QTimeEdit* endTime_;
  time_t start_, end_;
};

// Reference-line dialog (185): the two reference lines of the file's header.
class CRefLinesDlg : public QDialog {
  Q_OBJECT
 public:
  CRefLinesDlg(const _tagDataHead& head, QWidget* parent = nullptr);
  // Stores the six values into the header (after OK).
  void Store(_tagDataHead& head) const;
  void accept() override;

 private:
  QCheckBox* shown_[2];
  QLineEdit* label_[2];
  QLineEdit* value_[2];
};

}  // namespace charts
