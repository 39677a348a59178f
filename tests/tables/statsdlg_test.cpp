// The statistics dialog: list, default span, span messages, compute, copy
// and the spreadsheet of the list.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QDateTime>
#include <QFileDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <memory>

#include "common/modal.h"
#include "common/testenv.h"
#include "data/cxfile.h"
#include "data/records.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "recording.h"
#include "tables/statsdlg.h"

using namespace tablestest;
using tables::CStatisticsDlg;

namespace {

template <class T>
T* Control(QWidget& w, const char* id) {
  T* c = w.findChild<T*>(id);
  EXPECT_NE(c, nullptr) << id;
  return c;
}

class StatsDlgTest : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    const char* name = GetParam() == 0 ? "/Language/chinese.rcc" : "/Language/english.rcc";
    ASSERT_TRUE(lang::RegisterFile(QString(RECVIEW_BIN_DIR) + name, GetParam()));
    SetMsgBoxAnswerer([this](const MsgBoxRequest& r) {
      messages_.push_back(r);
      return QMessageBox::Ok;
    });
    // 2 hours at 60 s: channel A runs 90 .. 110 and back, B stays 40.
    Recipe recipe;
    recipe.records = 121;
    recipe.interval = 60;
    recipe.channels = {{"A", "", 0, 1}, {"B", "bar", 0, 2}};
    recipe.count = [](int ch, int r) { return ch == 0 ? 90 + (r % 40 <= 20 ? r % 40 : 40 - r % 40) : 40; };
    ASSERT_TRUE(MakeRecording(dir_ + "rec.KVD", recipe));
    file_ = std::make_unique<CXFile>();
    ASSERT_TRUE(file_->Open(dir_ + "rec.KVD"));
  }
  void TearDown() override { SetMsgBoxAnswerer(nullptr); }
  static void SetTime(QWidget& w, const char* dateId, const char* timeId, time_t t) {
    const QDateTime dt = QDateTime::fromSecsSinceEpoch(t);
    Control<QDateEdit>(w, dateId)->setDate(dt.date());
    Control<QTimeEdit>(w, timeId)->setTime(dt.time());
  }
  static time_t GetTime(QWidget& w, const char* dateId, const char* timeId) {
    return QDateTime(Control<QDateEdit>(w, dateId)->date(), Control<QTimeEdit>(w, timeId)->time())
        .toSecsSinceEpoch();
  }
  static QString Cell(QWidget& w, int row, int col) {
    auto* item = Control<QTableWidget>(w, "1086")->item(row, col);
    return item ? item->text() : QString("<none>");
  }
  QString Headers() const {
    QString h;
    for (int id : {61255, 61256, 61276, 61277, 61278, 61285}) h += lang::String(id) + "\t";
    return h + "\r\n";
  }

  std::string dir_ = testenv::NewDir("sd");
  std::unique_ptr<CXFile> file_;
  std::vector<MsgBoxRequest> messages_;
};

}  // namespace

TEST_P(StatsDlgTest, OpensOnTheLastHourAndCopiesBeforeCompute) {
  CStatisticsDlg dlg;
  dlg.SetFile(file_.get());
  const time_t s = file_->GetStartTime(), e = file_->GetEndTime();
  EXPECT_EQ(Control<QLabel>(dlg, "1004")->text(),
            QString::fromStdString(FormatTime(s, "%Y-%m-%d %H-%M-%S") + "\n" + FormatTime(e, "%Y-%m-%d %H-%M-%S")));
  EXPECT_EQ(GetTime(dlg, "1054", "1055"), e);
  EXPECT_EQ(GetTime(dlg, "1052", "1053"), e - 3600);
  auto* list = Control<QTableWidget>(dlg, "1086");
  ASSERT_EQ(list->rowCount(), 2);
  ASSERT_EQ(list->columnCount(), 6);
  EXPECT_EQ(list->horizontalHeaderItem(5)->text(), lang::String(61285));
  Control<QPushButton>(dlg, "1084")->click();
  EXPECT_EQ(QApplication::clipboard()->text(), Headers() + "1\tA\t\t\t\t\t\r\n2\tB\t\t\t\t\t\r\n");

  // A file shorter than an hour opens on the whole file, and Compute takes it.
  Recipe shortRecipe;
  shortRecipe.records = 11;
  shortRecipe.interval = 60;
  shortRecipe.channels = {{"A", "", 0, 1}};
  ASSERT_TRUE(MakeRecording(dir_ + "short.KVD", shortRecipe));
  CXFile shortFile;
  ASSERT_TRUE(shortFile.Open(dir_ + "short.KVD"));
  dlg.SetFile(&shortFile);
  EXPECT_EQ(GetTime(dlg, "1052", "1053"), shortFile.GetStartTime());
  Control<QPushButton>(dlg, "1083")->click();
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(Control<QProgressBar>(dlg, "1087")->value(), 100);
  dlg.SetFile(nullptr);
}

TEST_P(StatsDlgTest, ComputeFillsTheListAndCopyTakesIt) {
  CStatisticsDlg dlg;
  dlg.SetFile(file_.get());
  const time_t s = file_->GetStartTime();
  SetTime(dlg, "1052", "1053", s);
  SetTime(dlg, "1054", "1055", s + 20 * 60);
  Control<QPushButton>(dlg, "1083")->click();
  EXPECT_TRUE(messages_.empty());
  EXPECT_EQ(Control<QProgressBar>(dlg, "1087")->value(), 100);
  const char* expected[2][4] = {{"110.0", "90.0", "100.0", "20.00%"}, {"40.00", "40.00", "40.00", "0.00%"}};
  for (int row = 0; row < 2; ++row)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(Cell(dlg, row, c + 2), expected[row][c]) << row << " " << c;
  Control<QPushButton>(dlg, "1084")->click();
  EXPECT_EQ(QApplication::clipboard()->text(),
            Headers() + "1\tA\t110.0\t90.0\t100.0\t20.00%\t\r\n2\tB\t40.00\t40.00\t40.00\t0.00%\t\r\n");
}

TEST_P(StatsDlgTest, SpanMessagesLeaveTheListAsItWas) {
  CStatisticsDlg dlg;
  dlg.SetFile(file_.get());
  const time_t s = file_->GetStartTime(), e = file_->GetEndTime();
  const struct {
    time_t from, to;
    int message;
  } cases[] = {{e, s, 61249}, {s - 60, e, 61250}, {s, e + 60, 61251}};
  for (const auto& c : cases) {
    messages_.clear();
    SetTime(dlg, "1052", "1053", c.from);
    SetTime(dlg, "1054", "1055", c.to);
    Control<QPushButton>(dlg, "1083")->click();
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].text, lang::String(c.message));
    EXPECT_EQ(messages_[0].caption, lang::String(61236));
    EXPECT_EQ(messages_[0].icon, MsgIcon::Error);
    EXPECT_EQ(Cell(dlg, 0, 2), "");
  }
}

TEST_P(StatsDlgTest, ExportWritesTheListToASpreadsheet) {
  CStatisticsDlg dlg;
  dlg.SetFile(file_.get());
  dlg.SetSpan(file_->GetStartTime(), file_->GetEndTime());
  Control<QPushButton>(dlg, "1083")->click();
  const std::string out = dir_ + "stat.xlsx";
  QString proposed;
  testenv::OnModal([&](QWidget* w) {
    auto* fd = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(fd, nullptr);
    proposed = QFileInfo(fd->selectedFiles().value(0)).fileName();
    fd->selectFile(QString::fromStdString(out));
    QMetaObject::invokeMethod(fd, "accept");
  });
  Control<QPushButton>(dlg, "1085")->click();
  EXPECT_EQ(proposed, "Statistic.xlsx");
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, MsgIcon::Information);
  std::vector<Sheet> sheets;
  std::string error;
  ASSERT_TRUE(ReadXlsx(out, &sheets, &error)) << error;
  ASSERT_EQ(sheets.size(), 1u);
  ASSERT_EQ(sheets[0].rows.size(), 3u);
  EXPECT_EQ(QString::fromStdString(sheets[0].rows[0][5].text), lang::String(61285));
  const auto& a = sheets[0].rows[1];
  EXPECT_EQ(a[0].number, 1);
  EXPECT_EQ(a[1].text, "A");
  EXPECT_EQ(a[2].type, 'n');
  EXPECT_EQ(a[2].number, 110);
  EXPECT_EQ(a[2].format, "0.0");
  EXPECT_EQ(a[5].text, "20.00%");
  // A folder that cannot take the file: a message, nothing written.
  messages_.clear();
  testenv::OnModal([&](QWidget* w) {
    auto* fd = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(fd, nullptr);
    fd->selectFile(QString::fromStdString(dir_ + "gone/stat.xlsx"));
    QMetaObject::invokeMethod(fd, "accept");
  });
  QString err;
  EXPECT_FALSE(dlg.WriteSheet(QString::fromStdString(dir_ + "gone/stat.xlsx"), &err));
  EXPECT_FALSE(err.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Languages, StatsDlgTest, ::testing::Values(0, 1));
