// The print range dialog: its opening span, the grid its pickers snap onto,
// the page count, the invalid spans and what its two buttons do.
#include <gtest/gtest.h>

#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTimeEdit>

#include "chartfile.h"
#include "charts/chartdialogs.h"
#include "common/testenv.h"
#include "data/cxfile.h"
#include "platform/ui/msgbox.h"
#include "tables/printrangedlg.h"

using namespace charttest;

namespace {

template <class W>
W* Ctl(QWidget* parent, int id) {
  W* w = parent->findChild<W*>(QString::number(id));
  EXPECT_NE(w, nullptr) << id;
  return w;
}

class PrintRange : public ::testing::Test {
 protected:
  void SetUp() override {
    UseLanguage(1);
    SetMsgBoxAnswerer([this](const MsgBoxRequest& m) {
      messages_.push_back(m.text + " | " + m.caption);
      return QMessageBox::Ok;
    });
  }
  void TearDown() override { SetMsgBoxAnswerer(nullptr); }
  std::unique_ptr<CXFile> Open(int records, int interval, time_t start = 0) {
    Recipe r;
    r.records = records;
    r.interval = interval;
    r.channels = 1;
    r.start = start;
    const std::string path = testenv::NewDir("r") + "r.kvd";
    EXPECT_TRUE(MakeRecording(path, r));
    return OpenRecording(path);
  }
  void Pick(tables::CPrintRangeDlg& dlg, time_t start, time_t end) {
    // End first, so the span never passes through a state the test did not mean.
    SetPickers(Ctl<QDateEdit>(&dlg, 1054), Ctl<QTimeEdit>(&dlg, 1055), end);
    SetPickers(Ctl<QDateEdit>(&dlg, 1052), Ctl<QTimeEdit>(&dlg, 1053), start);
  }
  std::vector<QString> messages_;
};

TEST_F(PrintRange, OpensOnTheLast1000SecondsAndShowsTheFileSpan) {
  struct Case {
    int records, interval;
    time_t start;
    int backFromEnd;  // the opening start, seconds before the end
  } cases[] = {
      {5000, 1, 0, 1000},
      {50, 1, 0, 49},  // a shorter file starts at its first record
      // Ending at 00:05: the 1000 seconds reach back over midnight and stay valid.
      {4000, 1, DefaultStart() + 16 * 3600 + 300 - 3999, 1000},
  };
  for (const Case& c : cases) {
    auto f = Open(c.records, c.interval, c.start);
    ASSERT_TRUE(f);
    tables::CPrintRangeDlg dlg;
    dlg.SetFile(f.get());
    EXPECT_EQ(dlg.End(), f->GetEndTime());
    EXPECT_EQ(dlg.Start(), f->GetEndTime() - c.backFromEnd);
    EXPECT_EQ(dlg.Pages(), 1);
    EXPECT_TRUE(Ctl<QLabel>(&dlg, 1058)->text().isEmpty());
    const QString label = Ctl<QLabel>(&dlg, 1057)->text();
    EXPECT_TRUE(label.startsWith("时间范围：" + QString::fromStdString(FormatTime(f->GetStartTime())) + " =>\n"))
        << label.toStdString();
    EXPECT_TRUE(label.endsWith(QString::fromStdString(FormatTime(f->GetEndTime())))) << label.toStdString();
  }
}

TEST_F(PrintRange, PickersSnapOntoTheGridCountedBackFromTheLastRecord) {
  auto f = Open(10000, 10);
  ASSERT_TRUE(f);
  const time_t t0 = f->GetStartTime();
  tables::CPrintRangeDlg dlg;
  dlg.SetFile(f.get());
  struct Case {
    time_t start, end;
    time_t wantStart, wantEnd;
    int pages;
  } cases[] = {
      {t0, t0 + 20000, t0, t0 + 20000, 1},         // 2000 intervals
      {t0, t0 + 20010, t0, t0 + 20010, 2},         // 2001 intervals
      {t0 + 1, t0 + 20001, t0 + 10, t0 + 20010, 1},  // between samples: forward
      {t0 + 9, t0 + 30, t0 + 10, t0 + 30, 1},
  };
  for (const Case& c : cases) {
    Pick(dlg, c.start, c.end);
    EXPECT_EQ(dlg.Start(), c.wantStart) << c.start - t0;
    EXPECT_EQ(dlg.End(), c.wantEnd) << c.end - t0;
    EXPECT_EQ(dlg.Pages(), c.pages) << c.start - t0;
    EXPECT_EQ(Ctl<QLabel>(&dlg, 1056)->text(), QString::number(c.pages));
  }
}

TEST_F(PrintRange, InvalidSpansShowTheErrorAndKeepTheDialogOpen) {
  auto f = Open(3000, 1);
  ASSERT_TRUE(f);
  const time_t t0 = f->GetStartTime(), last = f->GetEndTime();
  struct Case {
    time_t start, end;
  } cases[] = {{t0 + 100, t0 + 100}, {t0 + 200, t0 + 100}, {t0 - 1, t0 + 100}, {t0, last + 1}};
  for (const Case& c : cases) {
    tables::CPrintRangeDlg dlg;
    dlg.SetFile(f.get());
    Pick(dlg, c.start, c.end);
    EXPECT_EQ(dlg.Pages(), -1) << c.start - t0 << " " << c.end - t0;
    EXPECT_EQ(Ctl<QLabel>(&dlg, 1058)->text(), "时间设置错误！");
    messages_.clear();
    Ctl<QPushButton>(&dlg, 1)->click();
    Ctl<QPushButton>(&dlg, 1051)->click();
    EXPECT_EQ(dlg.result(), 0);
    ASSERT_EQ(messages_.size(), 2u);
    EXPECT_EQ(messages_[0], "时间设置有误！ | 提示...");
    EXPECT_TRUE(messages_[1].endsWith("| recview")) << messages_[1].toStdString();
  }
}

TEST_F(PrintRange, ButtonsChoosePreviewOrPrint) {
  auto f = Open(3000, 1);
  ASSERT_TRUE(f);
  for (int button : {1, 1051}) {
    tables::CPrintRangeDlg dlg;
    dlg.SetFile(f.get());
    Ctl<QPushButton>(&dlg, button)->click();
    EXPECT_EQ(dlg.result(), int(QDialog::Accepted));
    EXPECT_EQ(dlg.Mode(), button == 1 ? 1 : 0);
    EXPECT_TRUE(messages_.empty());
  }
}

}  // namespace
