// The download dialog driven offscreen by control id against recsim.
#include "acquire/downloaddialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimeEdit>
#include <vector>

#include "common/modal.h"
#include "downloadfixture.h"
#include "platform/appconfig.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "portcfg/xcom.h"
#include "shell/mainframe.h"

using dltest::Exists;
using dltest::Local;

namespace {

class DownloadDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lang::Register(1));
    SetMsgBoxAnswerer([this](const MsgBoxRequest& r) {
      messages_.push_back(r);
      return r.icon == MsgIcon::Question ? answer_ : QMessageBox::Ok;
    });
  }
  void TearDown() override { SetMsgBoxAnswerer(nullptr); }

  void StartSim(const std::vector<std::string>& args) {
    ASSERT_TRUE(sim_.Start(args)) << sim_.error();
    _tagComParam p = testenv::ComParamFor(sim_.device());
    ASSERT_TRUE(CXCom().SetComm(&p));
  }
  template <class W>
  static W* Control(QWidget& dlg, const char* id) {
    W* w = dlg.findChild<W*>(id);
    EXPECT_NE(w, nullptr) << id;
    return w;
  }
  static void SetTime(QWidget& dlg, const char* dateId, const char* timeId, time_t t) {
    const QDateTime dt = QDateTime::fromSecsSinceEpoch(t);
    Control<QDateEdit>(dlg, dateId)->setDate(dt.date());
    Control<QTimeEdit>(dlg, timeId)->setTime(dt.time());
  }
  static time_t GetTime(QWidget& dlg, const char* dateId, const char* timeId) {
    return QDateTime(Control<QDateEdit>(dlg, dateId)->date(),
                     Control<QTimeEdit>(dlg, timeId)->time())
        .toSecsSinceEpoch();
  }
  // Answers the next save-file window with path; keeps the name it proposed.
  void AnswerSaveWith(const std::string& path) {
    testenv::OnModal([this, path](QWidget* w) {
      auto* fd = qobject_cast<QFileDialog*>(w);
      ASSERT_NE(fd, nullptr);
      saveTitle_ = fd->windowTitle();
      if (!fd->selectedFiles().isEmpty())
        proposed_ = QFileInfo(fd->selectedFiles().first()).fileName();
      fd->selectFile(QString::fromStdString(path));
      QMetaObject::invokeMethod(fd, "accept");
    });
  }

  testenv::SimProcess sim_;
  std::vector<MsgBoxRequest> messages_;
  QMessageBox::StandardButton answer_ = QMessageBox::No;  // to questions
  QString saveTitle_, proposed_;
  std::string path_ = testenv::NewDir("dl") + "out.KVD";
};

TEST_F(DownloadDialogTest, RegisterFamilyDownloadsAndHasTheFileOpened) {
  StartSim({"--model", "KVR6GV2", "--channels", "2", "--clock", "2026-12-07 10:00:00",
            "--newest-index", "100"});
  QString opened;
  DownloadDialog dlg(nullptr, [&](const QString& p) { opened = p; });
  QSignalSpy connected(&dlg, &DownloadDialog::connectionDone);
  dlg.show();
  EXPECT_EQ(Control<QLabel>(dlg, "1026")->text(), lang::String(62109));
  EXPECT_FALSE(Control<QPushButton>(dlg, "1029")->isEnabled());
  EXPECT_TRUE(Control<QCheckBox>(dlg, "1027")->isChecked());
  ASSERT_TRUE(connected.wait(5000));
  ASSERT_TRUE(connected.at(0).at(0).toBool());
  const time_t newest = Local("2026-12-07 10:00:00");
  EXPECT_EQ(Control<QLabel>(dlg, "1026")->text(),
            QString::fromStdString(FormatTime(newest - 262143) + "\n" + FormatTime(newest)));
  EXPECT_EQ(GetTime(dlg, "1022", "1023"), newest - 3600);
  EXPECT_EQ(GetTime(dlg, "1024", "1025"), newest);
  EXPECT_TRUE(Control<QPushButton>(dlg, "1")->isEnabled());

  // The whole-span box disables the four pickers.
  Control<QCheckBox>(dlg, "1021")->setChecked(true);
  for (const char* id : {"1022", "1023", "1024", "1025"})
    EXPECT_FALSE(dlg.findChild<QWidget*>(id)->isEnabled()) << id;
  Control<QCheckBox>(dlg, "1021")->setChecked(false);
  EXPECT_TRUE(dlg.findChild<QWidget*>("1022")->isEnabled());

  SetTime(dlg, "1022", "1023", Local("2026-12-07 09:55:00"));
  SetTime(dlg, "1024", "1025", newest);
  QSignalSpy ended(&dlg, &DownloadDialog::downloadEnded);
  AnswerSaveWith(path_);
  Control<QPushButton>(dlg, "1")->click();
  EXPECT_EQ(saveTitle_, "Save File");
  EXPECT_EQ(proposed_, "008@2026-12-07 10_00_00.KVD");
  ASSERT_TRUE(dlg.IsBusy());
  EXPECT_TRUE(Control<QPushButton>(dlg, "1029")->isEnabled());
  EXPECT_FALSE(Control<QPushButton>(dlg, "1")->isEnabled());
  // Closing while busy asks whether to stop; No keeps the download running.
  dlg.reject();
  dlg.close();
  EXPECT_TRUE(dlg.isVisible());
  ASSERT_EQ(messages_.size(), 2u);
  for (const MsgBoxRequest& m : messages_) {
    EXPECT_EQ(m.text, lang::String(63443));
    EXPECT_EQ(m.buttons, QMessageBox::Yes | QMessageBox::No);
  }
  messages_.clear();

  ASSERT_TRUE(ended.wait(20000));
  EXPECT_TRUE(ended.at(0).at(1).toBool());
  EXPECT_EQ(ended.at(0).at(0).toString().toStdString(), path_);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, MsgIcon::Information);
  EXPECT_TRUE(messages_[0].text.startsWith("The download is complete."))
      << messages_[0].text.toStdString();
  EXPECT_TRUE(messages_[0].text.contains("bytes/s"));
  // The message names the data span the file holds, and its records.
  EXPECT_TRUE(messages_[0].text.contains(
      QString::fromStdString("Data from 2026-12-07 09:55:00 to " + FormatTime(newest))))
      << messages_[0].text.toStdString();
  EXPECT_TRUE(messages_[0].text.contains("(301 records)")) << messages_[0].text.toStdString();
  // The progress text ends with every record counted.
  EXPECT_TRUE(Control<QLabel>(dlg, "1030")->text().startsWith(lang::Format(63440, 301, 301)))
      << Control<QLabel>(dlg, "1030")->text().toStdString();
  EXPECT_EQ(opened.toStdString(), path_);
  EXPECT_EQ(platform::ReadLastDir(), path_);
  const QProgressBar* bar = Control<QProgressBar>(dlg, "1020");
  EXPECT_EQ(bar->value(), bar->maximum());
  EXPECT_FALSE(dlg.IsBusy());
  EXPECT_TRUE(Control<QPushButton>(dlg, "1")->isEnabled());
  EXPECT_FALSE(Control<QPushButton>(dlg, "1029")->isEnabled());

  CXFile f;
  ASSERT_TRUE(f.Open(path_));
  EXPECT_EQ(f.GetRecordCount(), 301);
  EXPECT_EQ(f.GetStartTime(), Local("2026-12-07 09:55:00"));
  f.Close();

  dlg.reject();
  EXPECT_FALSE(dlg.isVisible());
}

// With the fast exchange set in the serial settings, a recorder that ignores
// requests coming too soon is still read, and the window says once that the
// link went back to the settle time.
TEST_F(DownloadDialogTest, AFallBackFromTheFastExchangeIsShown) {
  StartSim({"--model", "KVP6GV1", "--channels", "1", "--clock", "2026-12-07 10:00:00",
            "--min-gap", "80"});
  ASSERT_TRUE(CXCom().SetFastExchange(true));
  DownloadDialog dlg(nullptr, [](const QString&) {});
  QSignalSpy connected(&dlg, &DownloadDialog::connectionDone);
  dlg.show();
  EXPECT_FALSE(Control<QLabel>(dlg, "1031")->isVisible());
  ASSERT_TRUE(connected.wait(5000));
  ASSERT_TRUE(connected.at(0).at(0).toBool());
  EXPECT_TRUE(Control<QLabel>(dlg, "1031")->isVisible());
  EXPECT_EQ(Control<QLabel>(dlg, "1031")->text(), lang::String(63640));
  EXPECT_TRUE(messages_.empty());
  dlg.reject();
}

TEST_F(DownloadDialogTest, BlockFamilyStopSpanErrorAndReconnect) {
  StartSim({"--model", "KVP6GV1", "--channels", "1", "--clock", "2026-12-07 10:00:00"});
  DownloadDialog dlg(nullptr, [](const QString&) { ADD_FAILURE() << "nothing to open"; });
  QSignalSpy connected(&dlg, &DownloadDialog::connectionDone);
  dlg.show();
  ASSERT_TRUE(connected.wait(5000));
  ASSERT_TRUE(dlg.IsConnected());

  // Twenty minutes of records, stopped after the first request.
  SetTime(dlg, "1022", "1023", Local("2026-12-07 09:40:00"));
  QSignalSpy ended(&dlg, &DownloadDialog::downloadEnded);
  AnswerSaveWith(path_);
  Control<QPushButton>(dlg, "1")->click();
  EXPECT_EQ(proposed_, "008@2026-12-07 10_00_00.KVD");
  QProgressBar* bar = Control<QProgressBar>(dlg, "1020");
  for (int i = 0; i < 500 && bar->value() < 1 && ended.isEmpty(); ++i) QTest::qWait(10);
  ASSERT_TRUE(ended.isEmpty());
  Control<QPushButton>(dlg, "1029")->click();
  EXPECT_FALSE(Control<QPushButton>(dlg, "1029")->isEnabled());
  ASSERT_TRUE(ended.wait(10000));
  EXPECT_FALSE(ended.at(0).at(1).toBool());
  EXPECT_FALSE(Exists(path_));
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(bar->value(), 0);
  EXPECT_TRUE(dlg.IsConnected());

  // A span that ends before it starts: the error message, and the link closes.
  SetTime(dlg, "1022", "1023", Local("2026-12-07 09:59:00"));
  SetTime(dlg, "1024", "1025", Local("2026-12-07 09:58:00"));
  Control<QPushButton>(dlg, "1")->click();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, lang::String(62112));
  EXPECT_EQ(messages_[0].icon, MsgIcon::Error);
  EXPECT_FALSE(dlg.IsConnected());

  // A start connects again first (and says nothing when that works); so
  // does the reconnect button.
  Control<QPushButton>(dlg, "1")->click();
  EXPECT_TRUE(dlg.IsConnected());
  EXPECT_EQ(messages_.size(), 1u);
  EXPECT_EQ(GetTime(dlg, "1024", "1025"), Local("2026-12-07 10:00:00"));
  SetTime(dlg, "1022", "1023", Local("2026-01-01 00:00:00"));
  Control<QPushButton>(dlg, "1")->click();
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[1].text, lang::String(62113));
  EXPECT_FALSE(dlg.IsConnected());
  Control<QPushButton>(dlg, "1028")->click();
  EXPECT_TRUE(dlg.IsConnected());
  EXPECT_EQ(messages_.size(), 2u);
}

// During a download the progress text counts records and estimates the time
// left; Close asks, and Yes stops the download, deletes the incomplete file
// and closes the window.
TEST_F(DownloadDialogTest, CloseDuringADownloadAsksAndYesStopsAndCloses) {
  StartSim({"--model", "KVP6GV1", "--channels", "1", "--clock", "2026-12-07 10:00:00"});
  DownloadDialog dlg(nullptr, [](const QString&) { ADD_FAILURE() << "nothing to open"; });
  QSignalSpy connected(&dlg, &DownloadDialog::connectionDone);
  dlg.show();
  ASSERT_TRUE(connected.wait(5000));
  SetTime(dlg, "1022", "1023", Local("2026-12-07 09:40:00"));
  QSignalSpy ended(&dlg, &DownloadDialog::downloadEnded);
  AnswerSaveWith(path_);
  Control<QPushButton>(dlg, "1")->click();
  ASSERT_TRUE(dlg.IsBusy());
  QProgressBar* bar = Control<QProgressBar>(dlg, "1020");
  QLabel* text = Control<QLabel>(dlg, "1030");
  for (int i = 0; i < 500 && bar->value() < 1 && ended.isEmpty(); ++i) QTest::qWait(10);
  ASSERT_TRUE(ended.isEmpty());
  // Twenty minutes at 1 s: 1201 records; the first ones are counted at once.
  EXPECT_EQ(bar->maximum(), 1201);
  EXPECT_TRUE(text->text().contains(lang::Format(63440, bar->value(), 1201)))
      << text->text().toStdString();
  EXPECT_TRUE(text->text().contains("records/s")) << text->text().toStdString();
  answer_ = QMessageBox::Yes;
  dlg.close();
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].text, lang::String(63443));
  ASSERT_TRUE(ended.wait(10000));
  EXPECT_FALSE(ended.at(0).at(1).toBool());
  EXPECT_FALSE(Exists(path_));
  EXPECT_FALSE(dlg.isVisible());
  EXPECT_EQ(messages_.size(), 1u);  // a stop says nothing more
}

TEST_F(DownloadDialogTest, PortOpenFailureIsReported) {
  _tagComParam p = testenv::ComParamFor(testenv::Home() + "no-such-port");
  ASSERT_TRUE(CXCom().SetComm(&p));
  DownloadDialog dlg;
  QSignalSpy connected(&dlg, &DownloadDialog::connectionDone);
  dlg.show();
  ASSERT_TRUE(connected.wait(5000));
  EXPECT_FALSE(connected.at(0).at(0).toBool());
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_TRUE(messages_[0].text.startsWith(lang::String(61217)));
  EXPECT_TRUE(messages_[0].text.contains("no-such-port"));
  EXPECT_EQ(Control<QLabel>(dlg, "1026")->text(), lang::String(62110));
  // A start without a connection tries again; the port failure is said once.
  Control<QPushButton>(dlg, "1")->click();
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_TRUE(messages_[1].text.startsWith(lang::String(61217)));
  EXPECT_FALSE(dlg.IsConnected());
}

// The reason comes from the language package, in either language, and names
// the port: the Chinese interface shows no English sentence.
TEST_F(DownloadDialogTest, PortFailureIsWordedInTheInterfaceLanguage) {
  const std::string dev = testenv::Home() + "no-such-port";
  _tagComParam p = testenv::ComParamFor(dev);
  ASSERT_TRUE(CXCom().SetComm(&p));
  for (int language : {0, 1}) {
    ASSERT_TRUE(lang::Register(language));
    messages_.clear();
    DownloadDialog dlg;
    QSignalSpy connected(&dlg, &DownloadDialog::connectionDone);
    dlg.show();
    ASSERT_TRUE(connected.wait(5000));
    ASSERT_EQ(messages_.size(), 1u);
    const QString& text = messages_[0].text;
    EXPECT_TRUE(text.contains(lang::Format(63422, dev.c_str()))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString(dev)));
    if (language == 0) {
      EXPECT_FALSE(text.contains("no such port")) << text.toStdString();
      EXPECT_FALSE(text.contains("Choose")) << text.toStdString();
    }
  }
}

// Command 32838 of the main frame runs the dialog modally.
TEST_F(DownloadDialogTest, MainFrameCommandRunsTheDialog) {
  _tagComParam p = testenv::ComParamFor(testenv::Home() + "no-such-port");
  ASSERT_TRUE(CXCom().SetComm(&p));
  CMainFrame frame;
  ASSERT_TRUE(frame.Create());
  QString title;
  testenv::OnModal(
      [&](QWidget* w) {
        title = w->windowTitle();
        EXPECT_NE(w->findChild<QWidget*>("1029"), nullptr);
        static_cast<QDialog*>(w)->reject();
      },
      &frame);
  EXPECT_TRUE(CommandRouter::Instance().Query(ID_DOWNLOAD).enabled);
  EXPECT_TRUE(CommandRouter::Instance().Dispatch(ID_DOWNLOAD));
  EXPECT_EQ(title, lang::String(62100));
}

}  // namespace
