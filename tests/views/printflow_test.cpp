// Printing as a person meets it on a real display (run under Xvfb by ctest):
// Ctrl+P in the curve, record-list, channel and cumulative windows, with no
// printer installed, goes question, file dialog, progress, result: one window
// at a time, and nothing else comes up over them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

#include "chartfile.h"
#include "common/testenv.h"
#include "cumfile.h"
#include "pdfpages.h"
#include "platform/appconfig.h"
#include "platform/profile.h"
#include "platform/programdir.h"
#include "platform/ui/command.h"
#include "platform/ui/commandids.h"
#include "shell/app.h"
#include "shell/mainframe.h"

namespace {

// What the person sees at one moment: the windows open over the main window.
QString Kind(QWidget* w) {
  if (qobject_cast<QMessageBox*>(w)) return "question";
  if (qobject_cast<QFileDialog*>(w)) return "file";
  if (qobject_cast<QProgressDialog*>(w)) return "progress";
  return w->metaObject()->className();
}

class PrintFlow : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb")
      GTEST_SKIP() << "needs a display: ctest runs this under Xvfb";
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is installed";
    platform::WritePrivateProfileString("LanguageSetting", "Language", std::to_string(GetParam()),
                                        platform::SettingsPath("Config.ini"));
    // PRINTFLOW_SHOTS=dir keeps the pages and a picture of every step there.
    const QString keep = qEnvironmentVariable("PRINTFLOW_SHOTS");
    folder_ = keep.isEmpty() ? testenv::NewDir("pdf") : keep.toStdString() + "/" + std::to_string(GetParam()) + "/";
    QDir().mkpath(QString::fromStdString(folder_));
    platform::WriteLastDir(folder_ + "last.kvd");
    ASSERT_TRUE(app_.InitInstance({"recview"}));
    frame_ = app_.MainFrame();
    frame_->resize(1200, 800);
    frame_->show();
    frame_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame_));
  }
  void TearDown() override {
    if (frame_) app_.ExitInstance();
  }

  // Presses Ctrl+P and answers each window as a person would: Yes, the file
  // name `name` in the offered folder, OK. Returns the windows seen, in order.
  std::vector<QString> PrintWithCtrlP(const QString& name, QString* result) {
    std::vector<QString> seen;
    QWidget* handled = nullptr;
    const QString shots = qEnvironmentVariable("PRINTFLOW_SHOTS");
    QTimer watch;
    watch.setInterval(20);
    QObject::connect(&watch, &QTimer::timeout, [&] {
      std::vector<QWidget*> open;
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w != frame_ && w->isVisible() && w->windowType() == Qt::Dialog) open.push_back(w);
      // No window of the job may exist before the job starts, visible or not.
      for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QProgressDialog*>(w) && (open.size() != 1 || open[0] != w) && w->isVisible())
          ADD_FAILURE() << "a progress window is open over " << Kind(open[0]).toStdString();
      if (open.empty()) return;
      if (open.size() > 1) {
        QString all;
        for (QWidget* w : open) all += Kind(w) + " ";
        ADD_FAILURE() << "windows over each other: " << all.toStdString();
      }
      QWidget* top = QApplication::activeModalWidget();
      if (!top || top == handled || !top->isVisible()) return;
      if (qobject_cast<QProgressDialog*>(top)) {
        if (seen.empty() || seen.back() != "progress") seen.push_back("progress");
        return;
      }
      handled = top;
      seen.push_back(Kind(top));
      if (seen.back() == "question" && seen.size() == 1) {
        // The job's windows come after the question, not before.
        for (QWidget* w : QApplication::topLevelWidgets())
          if (qobject_cast<QProgressDialog*>(w)) ADD_FAILURE() << "a progress window waits behind the question";
      }
      if (!shots.isEmpty()) {
        QTest::qWait(400);  // painted, for the picture only
        top->screen()->grabWindow(0).save(QDir(shots).filePath(QString("%1-%2-%3.png")
                                                                   .arg(GetParam())
                                                                   .arg(name)
                                                                   .arg(seen.size())));
      }
      if (auto* box = qobject_cast<QMessageBox*>(top)) {
        if (box->button(QMessageBox::Yes)) {
          box->button(QMessageBox::Yes)->click();
        } else {
          if (result) *result = box->text();
          box->button(QMessageBox::Ok)->click();
        }
      } else if (auto* files = qobject_cast<QFileDialog*>(top)) {
        // The dialog starts in the folder of the last data file.
        const QFileInfo last(QString::fromStdString(platform::ReadLastDir()));
        EXPECT_EQ(files->directory().canonicalPath(), last.absoluteDir().canonicalPath()) << name.toStdString();
        auto* edit = files->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(edit, nullptr);
        edit->setText(QDir(QString::fromStdString(folder_)).filePath(name + ".pdf"));
        static_cast<QDialog*>(files)->accept();
      } else {
        top->close();
      }
    });
    watch.start();
    CommandRouter::Instance().UpdateAll();
    frame_->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frame_));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : frame_, Qt::Key_P,
                    Qt::ControlModifier);
    watch.stop();
    return seen;
  }

  void ExpectOneClearSequence(const QString& name) {
    QString result;
    const std::vector<QString> seen = PrintWithCtrlP(name, &result);
    const std::vector<QString> want = {"question", "file", "progress", "question"};
    // The progress of a one-page job may come and go between two looks.
    std::vector<QString> got = seen;
    if (got.size() == 3) got.insert(got.begin() + 2, "progress");
    EXPECT_EQ(got, want) << name.toStdString();
    const std::string pdf = folder_ + name.toStdString() + ".pdf";
    EXPECT_GE(charttest::PdfPageCount(pdf), 1) << pdf;
    EXPECT_TRUE(result.contains(name + ".pdf")) << result.toStdString();
  }

  CRecviewApp app_;
  CMainFrame* frame_ = nullptr;
  std::string folder_;
};

TEST_P(PrintFlow, CtrlPInEveryPrintableWindowAsksSavesAndTells) {
  charttest::Recipe r;
  r.channels = 8;
  r.records = 3000;
  const std::string data = folder_ + "boiler.kvd";
  ASSERT_TRUE(charttest::MakeRecording(data, r));
  ASSERT_TRUE(frame_->OpenFile(QString::fromStdString(data)));
  ExpectOneClearSequence("curves");

  CommandRouter::Instance().UpdateAll();
  ASSERT_TRUE(CommandRouter::Instance().Dispatch(ID_OPEN_LIST));
  ExpectOneClearSequence("list");

  ASSERT_TRUE(frame_->OpenFile(QString::fromStdString(data)));
  CommandRouter::Instance().UpdateAll();
  ASSERT_TRUE(CommandRouter::Instance().Dispatch(ID_CHNL_WINDOW + 2));
  ExpectOneClearSequence("channel");

  cumtest::Cum c;
  ASSERT_TRUE(frame_->OpenFile(QString::fromStdString(cumtest::SaveCum(c))));
  ExpectOneClearSequence("cumulative");
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, PrintFlow, ::testing::Values(0, 1));

}  // namespace
