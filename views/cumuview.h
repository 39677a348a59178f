#pragma once
// The cumulative view (form 178): a cumulative file's totals per hour, shift
// or day as a table for a picked range, exported to a spreadsheet and
// printed. The view owns its file.
#include <QWidget>
#include <ctime>

#include "charts/pageprint.h"
#include "platform/ui/command.h"
#include "tables/cumtable.h"
#include "views/viewhost.h"

class CXFile;
class QCheckBox;
class QDateEdit;
class QLabel;
class QPagedPaintDevice;
class QPrinter;
class QPushButton;
class QTableWidget;
class QTimeEdit;

namespace tables {

// The texts of the tables from the language package.
CumTexts CumTextsFromLanguage();

// Prints a table on pages of the device: on every page the page header (the
// file's title, the kind of totals, the day start, the range and the page
// number) above a frame, and inside the frame as many rows as fit, the column
// titles repeated. Returns the number of pages printed (0: nothing could be
// drawn on the device).
int PrintCumTable(QPagedPaintDevice* device, const CumTable& table, const QString& title,
                  const QString& subtitle);
// The same pages for the page printer.
charts::PageSource CumTablePages(const CumTable& table, const QString& title, const QString& subtitle);

class CCumuShowView : public QWidget, public CommandTarget {
  Q_OBJECT

 public:
  explicit CCumuShowView(views::ViewHost& host = views::ViewHost::Standalone(), QWidget* parent = nullptr);
  ~CCumuShowView() override;

  // Gives the view its file (owned from now on): texts, pickers over the
  // whole file, the columns of its kind.
  void SetFile(CXFile* file);
  CXFile* File() const { return file_; }

  // Button 1115: the table for the picked range; false (and the table left
  // as it was) when the range is refused.
  bool Show();
  // Button 1116: asks for a file name and writes the table for the picked
  // range to a spreadsheet.
  void Export();
  // Writes the table for the picked range to the spreadsheet at path; false
  // after telling the user why not.
  bool ExportTo(const QString& path);
  // Button 1051 and the print commands.
  void PrintPreview();
  // Prints the table for the picked range on the printer; the page count.
  int PrintTo(QPrinter* printer);
  // The pages of the table for the picked range; false when there is none.
  bool PickedPages(charts::PageSource* source);

  // The table last shown.
  const CumTable& Table() const { return table_; }
  // The picked range.
  time_t RangeStart() const;
  time_t RangeEnd() const;
  void SetRange(time_t from, time_t to);

  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;

 private:
  views::ViewHost* host_;
  CumOptions Options() const;
  // Checks the picked range and tells the user when it is refused.
  bool CheckPicked();
  // The table of the picked range after the checks; false when refused.
  bool BuildPicked(CumTable* table);
  void Fill();
  QString Subtitle(const CumTable& table) const;

  CXFile* file_ = nullptr;
  CumTable table_;
  QLabel* title_;
  QLabel* dayStart_;
  QLabel* period_;
  QLabel* span_;
  QCheckBox* options_[4];
  QDateEdit* startDate_;
  QTimeEdit* startTime_;
  QDateEdit* endDate_;
  QTimeEdit* endTime_;
  QTableWidget* list_;
};

}  // namespace tables
