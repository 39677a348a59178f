#pragma once
// Download New Records: the records of the configured recorder newer than the
// last one downloaded, copied into a new file of the data folder's archive
// (the collection of "rectool collect", collect.h), with the download's
// progress: records done of the total, rate, time left, and a Stop button.
// A span the recorder overwrote before it was downloaded is named; the new
// file is opened.
//
// Controls by id (objectName): 1020 progress bar, 1030 progress text, 1029
// Stop, 1026 status text.
#include <QDialog>
#include <QString>
#include <functional>
#include <thread>

#include "acquire/collect.h"
#include "acquire/downloadprogress.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

class CollectDialog : public QDialog {
  Q_OBJECT
 public:
  // openFile opens the new file (the main frame's OpenFile); archiveDir is
  // the archive folder (default: "Archive" in the data folder).
  CollectDialog(QWidget* parent, std::function<void(const QString&)> openFile,
                const QString& archiveDir = QString());
  ~CollectDialog() override;

  static QString DefaultArchive();
  const acquire::CollectResult& Result() const { return result_; }

 signals:
  // The collection ended, however it ended.
  void collectEnded(const acquire::CollectResult& result);

 public slots:
  void reject() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Begin();
  void OnDone();
  void ShowProgressText();

  std::function<void(const QString&)> openFile_;
  acquire::Archive archive_;
  acquire::DownloadSession session_;
  acquire::CollectResult result_;
  acquire::ProgressMeter meter_;
  std::thread worker_;
  bool busy_ = false;

  QLabel* status_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* progressText_ = nullptr;
  QPushButton* stop_ = nullptr;
  QTimer* tick_ = nullptr;
};
