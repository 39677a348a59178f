// The export window of CXExcel, driven like a user: texts in both languages,
// the span checks, the file dialog, progress, completion and cancel.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDateEdit>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QTimeEdit>
#include <memory>

#include "common/testenv.h"
#include "data/cxfile.h"
#include "data/records.h"
#include "tables/recording.h"
#include "xlsexport/cxexcel.h"
#include "xlsexport/exportwnd.h"

using namespace tablestest;
using xlsexport::ExportWnd;

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

template <class T>
T* Control(QWidget& w, const char* id) {
  T* c = w.findChild<T*>(id);
  EXPECT_NE(c, nullptr) << id;
  return c;
}

struct Seen {
  QString text, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  bool shown = false;
};

// Calls act once a window of class T is shown (the export window is modal
// itself, so the active modal window is not always the newest one); gives up
// after about a minute.
template <class T>
void OnModalOf(std::function<void(T*)> act) {
  auto tries = std::make_shared<int>(0);
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [act = std::move(act), tries, poll]() {
    for (QWidget* top : QApplication::topLevelWidgets()) {
      if (auto* w = qobject_cast<T*>(top); w && w->isVisible()) {
        *poll = nullptr;
        act(w);
        return;
      }
    }
    if (++*tries > 6000) {
      *poll = nullptr;
      return;
    }
    QTimer::singleShot(10, *poll);
  };
  QTimer::singleShot(0, *poll);
}

// Reads and closes the next message box.
void CatchMessage(Seen* seen) {
  OnModalOf<QMessageBox>([seen](QMessageBox* box) {
    seen->text = box->text();
    seen->caption = box->windowTitle();
    seen->icon = box->icon();
    seen->shown = true;
    box->accept();
  });
}

bool WaitFor(const std::function<bool()>& done, int ms = 60000) {
  QElapsedTimer t;
  t.start();
  while (!done() && t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
  return done();
}

class ExportWndTest : public ::testing::Test {
 protected:
  void Make(int records, int channels = 2) {
    Recipe recipe;
    recipe.records = records;
    recipe.channels.clear();
    for (int ch = 0; ch < channels; ++ch) recipe.channels.push_back({std::string("T").append(std::to_string(ch + 1)), "m^3", 0, 1});
    ASSERT_TRUE(MakeRecording(dir_ + "rec.KVD", recipe));
    file_ = std::make_unique<CXFile>();
    ASSERT_TRUE(file_->Open(dir_ + "rec.KVD"));
  }
  static void SetTime(QWidget& w, const char* dateId, const char* timeId, time_t t) {
    const QDateTime dt = QDateTime::fromSecsSinceEpoch(t);
    Control<QDateEdit>(w, dateId)->setDate(dt.date());
    Control<QTimeEdit>(w, timeId)->setTime(dt.time());
  }
  static time_t GetTime(QWidget& w, const char* dateId, const char* timeId) {
    return QDateTime(Control<QDateEdit>(w, dateId)->date(), Control<QTimeEdit>(w, timeId)->time())
        .toSecsSinceEpoch();
  }
  // Answers the save dialog with path, then catches the message that follows.
  void AnswerSave(const std::string& path, Seen* message) {
    OnModalOf<QFileDialog>([this, path, message](QFileDialog* fd) {
      saveTitle_ = fd->windowTitle();
      if (!fd->selectedFiles().isEmpty()) proposed_ = QFileInfo(fd->selectedFiles().first()).fileName();
      fd->selectFile(QString::fromStdString(path));
      QMetaObject::invokeMethod(fd, "accept");
      if (message) CatchMessage(message);
    });
  }

  std::string dir_ = testenv::NewDir("xw");
  std::unique_ptr<CXFile> file_;
  QString saveTitle_, proposed_;
};

}  // namespace

TEST_F(ExportWndTest, OtherLanguagesShowNothing) {
  Make(5);
  // A window shown by mistake would block ShowXWnd: a timer owned by this
  // test closes it and notes it.
  bool shown = false;
  QTimer guard;
  QObject::connect(&guard, &QTimer::timeout, [&] {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->isVisible()) {
        shown = true;
        top->close();
      }
  });
  guard.start(500);
  CXExcel x;
  x.SetFile(file_.get());
  EXPECT_EQ(x.RangeStart(), file_->GetStartTime());
  EXPECT_EQ(x.RangeEnd(), file_->GetEndTime());
  for (int language : {2, -1, 99}) x.ShowXWnd(language);
  EXPECT_FALSE(shown);
  guard.stop();
  CXExcel copy(x);
  copy.SetRange(10, 20);
  x = copy;
  EXPECT_EQ(x.RangeStart(), 10);
  EXPECT_EQ(x.File(), file_.get());
}

TEST_F(ExportWndTest, TextsAndTheSpanButtonsInBothLanguages) {
  Make(100);
  const time_t s = file_->GetStartTime(), e = file_->GetEndTime();
  const struct {
    int language;
    const char* caption;
    const char* exportText;
    const char* cancelText;
    const char* rangeHead;
  } cases[] = {{0, "Excel 数据导出", "导出", "取消", "时间范围："}, {1, "Excel Export", "Export", "Cancel", "Time Range："}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
    ExportWnd w(c.language, file_.get(), s + 100, e - 100);
    EXPECT_EQ(w.windowTitle(), QString::fromUtf8(c.caption));
    EXPECT_EQ(Control<QPushButton>(w, "1")->text(), QString::fromUtf8(c.exportText));
    EXPECT_EQ(Control<QPushButton>(w, "12008")->text(), QString::fromUtf8(c.cancelText));
    EXPECT_EQ(Control<QLabel>(w, "12007")->text(),
              QString::fromUtf8(c.rangeHead) + QString::fromStdString(FormatTime(s)) + "\n          " +
                  QString::fromStdString(FormatTime(e)));
    EXPECT_EQ(Control<QSpinBox>(w, "12009")->value(), 1);
    EXPECT_EQ(GetTime(w, "12000", "12001"), s + 100);
    EXPECT_EQ(GetTime(w, "12003", "12004"), e - 100);
    Control<QPushButton>(w, "12002")->click();
    EXPECT_EQ(GetTime(w, "12000", "12001"), s);
    EXPECT_EQ(GetTime(w, "12003", "12004"), e - 100);
    Control<QPushButton>(w, "12005")->click();
    EXPECT_EQ(GetTime(w, "12003", "12004"), e);
  }
}

TEST_F(ExportWndTest, SpanChecksSayWhatIsWrongAndWriteNothing) {
  Make(100);
  const time_t s = file_->GetStartTime(), e = file_->GetEndTime();
  const struct {
    int language;
    time_t from, to;
    const char* text;
    const char* caption;
  } cases[] = {
      {1, s + 50, s + 40, "Be sure start time less than end time !", "Caption..."},
      {1, s - 1, e, "Out of Start Time", "Caption..."},
      {1, s, e + 1, "Out of End Time!", "Caption..."},
      {0, e, s, "请确认 开始时间 < 结束时间！", "提示..."},
      {0, s - 60, e + 60, "开始时间超出范围！", "提示..."},
      {0, s + 10, e + 1, "结束时间超出范围！", "提示..."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    ExportWnd w(c.language, file_.get(), s, e);
    w.show();
    SetTime(w, "12000", "12001", c.from);
    SetTime(w, "12003", "12004", c.to);
    Seen seen;
    CatchMessage(&seen);
    Control<QPushButton>(w, "1")->click();
    EXPECT_TRUE(seen.shown);
    EXPECT_EQ(seen.text, QString::fromUtf8(c.text));
    EXPECT_EQ(seen.caption, QString::fromUtf8(c.caption));
    EXPECT_TRUE(Control<QPushButton>(w, "1")->isEnabled());
    EXPECT_FALSE(w.Exporting());
  }
}

TEST_F(ExportWndTest, ExportWritesTheSpanWithTheRowIntervalAndSaysDone) {
  Make(30);
  const time_t s = file_->GetStartTime();
  for (int language : {0, 1}) {
    SCOPED_TRACE(language);
    const std::string out = dir_ + "out" + std::to_string(language) + ".xlsx";
    ExportWnd w(language, file_.get(), s + 10, s + 200);
    w.show();
    Control<QSpinBox>(w, "12009")->setValue(3);
    Seen done;
    AnswerSave(out, &done);
    Control<QPushButton>(w, "1")->click();
    ASSERT_TRUE(WaitFor([&] { return done.shown; }));
    EXPECT_EQ(saveTitle_, "Excel Export");
    EXPECT_EQ(proposed_, "Untitled1.xlsx");
    EXPECT_EQ(done.text, QString::fromUtf8("输出完成！"));
    EXPECT_EQ(done.caption, QString::fromUtf8("提示..."));
    EXPECT_EQ(done.icon, QMessageBox::Information);
    EXPECT_TRUE(Control<QPushButton>(w, "1")->isEnabled());
    auto* bar = Control<QProgressBar>(w, "12006");
    EXPECT_EQ(bar->maximum(), 7);
    EXPECT_EQ(bar->value(), 7);
    std::vector<Sheet> sheets;
    std::string error;
    ASSERT_TRUE(ReadXlsx(out, &sheets, &error)) << error;
    ASSERT_EQ(sheets.size(), 1u);
    ASSERT_EQ(sheets[0].rows.size(), 8u);  // records 1, 4, ... 19
    EXPECT_EQ(sheets[0].rows[0][2].text, "T1(m 3)");
    for (int n = 1; n <= 7; ++n) {
      EXPECT_EQ(sheets[0].rows[n][0].number, n);
      EXPECT_EQ(sheets[0].rows[n][1].text, FormatTime(s + 10 + (n - 1) * 30));
      EXPECT_EQ(sheets[0].rows[n][3].number, 1 + (n - 1) * 3);
    }
  }
}

TEST_F(ExportWndTest, CancelAndClosingStopTheWorkerAndLeaveNoFile) {
  // Long enough to be caught running: 40000 rows of 16 values.
  Make(40000, 16);
  const time_t s = file_->GetStartTime(), e = file_->GetEndTime();
  const std::string out = dir_ + "big.xlsx";
  {
    ExportWnd w(1, file_.get(), s, e);
    w.show();
    AnswerSave(out, nullptr);
    Control<QPushButton>(w, "1")->click();
    auto* bar = Control<QProgressBar>(w, "12006");
    ASSERT_TRUE(WaitFor([&] { return bar->value() > 0; }));
    EXPECT_TRUE(w.Exporting());
    EXPECT_FALSE(Control<QPushButton>(w, "1")->isEnabled());
    Control<QPushButton>(w, "12008")->click();  // stops; the window stays
    ASSERT_TRUE(WaitFor([&] { return !w.Exporting(); }));
    EXPECT_TRUE(w.isVisible());
    Control<QPushButton>(w, "12008")->click();  // with nothing running, too
    EXPECT_TRUE(w.isVisible());
    EXPECT_TRUE(Control<QPushButton>(w, "1")->isEnabled());
    EXPECT_EQ(bar->value(), 0);
    EXPECT_FALSE(Exists(out));
  }
  {
    ExportWnd w(0, file_.get(), s, e);
    w.show();
    AnswerSave(out, nullptr);
    Control<QPushButton>(w, "1")->click();
    auto* bar = Control<QProgressBar>(w, "12006");
    ASSERT_TRUE(WaitFor([&] { return bar->value() > 0; }));
    w.close();  // waits for the worker
    EXPECT_FALSE(w.Exporting());
    WaitFor([] { return false; }, 100);  // a late report changes nothing
    EXPECT_FALSE(Exists(out));
  }
  std::string out2;
  tablestest::Run({"/bin/ls", "-A", dir_}, &out2, nullptr);
  EXPECT_EQ(out2, "rec.KVD\n");
}
