#pragma once
// The export window of CXExcel: span, row interval, progress, and the export
// worker that writes the spreadsheet while the window stays responsive.
#include <QDialog>

#include <atomic>
#include <ctime>
#include <string>
#include <thread>

class CXFile;
class QDateEdit;
class QTimeEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace xlsexport {

// The texts of the window in one language.
struct WindowTexts {
  const char* caption;
  const char* exportButton;
  const char* cancelButton;
  const char* timeSetting;
  const char* startTime;
  const char* endTime;
  const char* rowInterval;
  const char* rowIntervalUnit;
  const char* timeRange;
  const char* messageCaption;
  const char* startAfterEnd;
  const char* outOfStart;
  const char* outOfEnd;
};
const WindowTexts& Texts(int language);

// Shown in both windows.
extern const char* const kOpenFailed;
extern const char* const kDone;

class ExportWnd : public QDialog {
  Q_OBJECT
 public:
  ExportWnd(int language, CXFile* file, time_t start, time_t end, QWidget* parent = nullptr);
  ~ExportWnd() override;

  // True while the worker runs.
  bool Exporting() const { return worker_.joinable(); }

  // Asks for the target file; an empty string when the user cancels. Tests
  // answer the file dialog like a user.
  QString AskTarget();

 public slots:
  void OnExport();
  void OnCancel();
  void OnFirst();
  void OnLast();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void Message(const QString& text, bool information, const char* caption = nullptr);
  void StopWorker();
  void Finished(int result, const QString& error, const QString& path);

  int language_;
  CXFile* file_;
  int interval_ = 0;
  QPushButton* export_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* range_ = nullptr;
  QDateEdit* startDate_ = nullptr;
  QTimeEdit* startTime_ = nullptr;
  QDateEdit* endDate_ = nullptr;
  QTimeEdit* endTime_ = nullptr;
  QSpinBox* rowInterval_ = nullptr;
  std::atomic<bool> cancel_flag_{false};
  std::thread worker_;
};

}  // namespace xlsexport
