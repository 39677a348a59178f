#pragma once
// The download dialog: connects to the recorder 800 ms after it opens, shows
// the span of time the recorder memory holds, lets the user choose a part of
// it (or all of it) and a file name, and copies the stored samples into a new
// data file on a worker thread, with a progress bar, the records done of the
// total, the rate and the time left (redrawn every second), and a Stop
// button. Closing the window while a download runs asks whether to stop it.
// At the end it reports the span of data downloaded and the transfer rate and
// has the file opened when asked to.
//
// Controls by id (objectName): 1 start, 2 close, 1020 progress bar, 1021
// whole span, 1022 start date, 1023 start time, 1024 end date, 1025 end time,
// 1026 span text, 1027 open when done, 1028 reconnect, 1029 Stop, 1030
// progress text.
#include <QDialog>
#include <QString>
#include <functional>
#include <thread>

#include "acquire/download.h"
#include "acquire/downloadprogress.h"
#include "link/comparam.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimeEdit;
class QTimer;

// The progress text of a download window: records done of the total, and the
// rate and time left once known.
QString DownloadProgressText(const acquire::ProgressFigures& figures);

class DownloadDialog : public QDialog {
  Q_OBJECT
 public:
  // openFile is asked to open the new file when "open when done" is checked
  // (the main frame's OpenFile).
  explicit DownloadDialog(QWidget* parent = nullptr,
                          std::function<void(const QString&)> openFile = nullptr);
  ~DownloadDialog() override;

  bool IsBusy() const { return busy_; }
  bool IsConnected() const { return session_.IsConnected(); }
  const acquire::DownloadSession& Session() const { return session_; }

  // The connection step (the 800 ms timer and the reconnect button run it).
  void ConnectRecorder();

 signals:
  // After every connection step, with its outcome.
  void connectionDone(bool connected);
  // When a download ends, however it ended; completed only with a whole file.
  void downloadEnded(const QString& path, bool completed);

 public slots:
  // While busy: asks whether to stop the download; Yes stops it and closes
  // the window when the worker has ended, No keeps it running.
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  acquire::ConnectStatus RunConnectionStep();
  void OnStart();
  void OnStop();
  void OnWholeSpan(bool whole);
  void OnWorkerDone(acquire::PrepareStatus prepared, acquire::RunStatus ran);
  void SetProgress(int value, int maximum);
  // The run phase begins: totalRecords to copy.
  void BeginRecords(int64_t totalRecords);
  void ShowProgressText();
  // True when the user agrees to stop a running download.
  bool ConfirmStop();
  void ShowSpanText();
  void ShowError(int textId);
  QString AskFileName(int station, time_t end);

  acquire::DownloadSession session_;
  _tagComParam param_;
  std::function<void(const QString&)> openFile_;
  std::thread worker_;
  bool busy_ = false;
  bool closeWhenDone_ = false;
  bool copying_ = false;  // the run phase (records), not the preparation
  bool shownFirst_ = false;
  acquire::ProgressMeter meter_;
  QString path_;

  QPushButton* start_ = nullptr;
  QPushButton* close_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* progressText_ = nullptr;
  QLabel* notice_ = nullptr;  // the fall-back from the fast exchange, once said
  void ShowFallback();
  QTimer* tick_ = nullptr;
  QCheckBox* whole_ = nullptr;
  QDateEdit* startDate_ = nullptr;
  QTimeEdit* startTime_ = nullptr;
  QDateEdit* endDate_ = nullptr;
  QTimeEdit* endTime_ = nullptr;
  QLabel* spanText_ = nullptr;
  QCheckBox* openWhenDone_ = nullptr;
  QPushButton* reconnect_ = nullptr;
  QPushButton* stop_ = nullptr;
};
