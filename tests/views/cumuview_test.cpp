// The cumulative view: texts and pickers of a file, the table it shows and
// its refusals, the printed table, and opening cumulative files from the
// main frame.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <cstdio>

#include "common/testenv.h"
#include "common/timezone.h"
#include "cumfile.h"
#include "data/cxfile.h"
#include "data/fixture.h"
#include "platform/appconfig.h"
#include "platform/profile.h"
#include "platform/programdir.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "shell/app.h"
#include "shell/mainframe.h"
#include "views/cumuview.h"

using cumtest::Cum;
using cumtest::SaveCum;
using tables::CCumuShowView;

namespace {

void UseLanguage(int language) {
  const char* name = language == 0 ? "/Language/chinese.rcc" : "/Language/english.rcc";
  ASSERT_TRUE(lang::RegisterFile(QString(RECVIEW_BIN_DIR) + name, language));
}

template <class W>
W* Ctl(QWidget* parent, int id) {
  W* w = parent->findChild<W*>(QString::number(id));
  EXPECT_NE(w, nullptr) << id;
  return w;
}

time_t T(const char* text) {
  time_t t = 0;
  EXPECT_TRUE(ParseTime(text, &t)) << text;
  return t;
}

std::unique_ptr<CCumuShowView> ViewOn(const std::string& path) {
  auto* f = new CXFile;
  EXPECT_TRUE(f->Open(path));
  auto view = std::make_unique<CCumuShowView>();
  view->resize(1200, 700);
  view->SetFile(f);
  return view;
}

class CumuView : public ::testing::Test {
 protected:
  void SetUp() override {
    UseLanguage(1);
    SetMsgBoxAnswerer([this](const MsgBoxRequest& r) {
      messages_.push_back(r.text);
      return QMessageBox::Ok;
    });
  }
  void TearDown() override { SetMsgBoxAnswerer(nullptr); }
  std::vector<QString> messages_;
};

TEST_F(CumuView, TextsPickersAndColumnsOfTheFileInBothLanguages) {
  Cum c;
  c.period = 1;
  c.dayStart = 8;
  c.h = 16;
  c.periods = 7;
  for (int language : {1, 0}) {
    UseLanguage(language);
    auto view = ViewOn(SaveCum(c));
    EXPECT_EQ(Ctl<QLabel>(view.get(), 1104)->text(), "Steam");
    EXPECT_EQ(Ctl<QLabel>(view.get(), 1105)->text(), lang::Format(61294, 8));
    EXPECT_EQ(Ctl<QLabel>(view.get(), 1106)->text(), lang::String(61296));
    EXPECT_EQ(Ctl<QLabel>(view.get(), 1004)->text(), "2024-03-01 16-00-00\n2024-03-03 16-00-00");
    EXPECT_EQ(view->RangeStart(), T("2024-03-01 16:00:00"));
    EXPECT_EQ(view->RangeEnd(), T("2024-03-03 16:00:00"));
    auto* list = Ctl<QTableWidget>(view.get(), 1117);
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(list->horizontalHeaderItem(0)->text(), lang::String(61293));
    EXPECT_EQ(list->horizontalHeaderItem(1)->text(), lang::Format(61299, 8, 16));
    EXPECT_EQ(list->horizontalHeaderItem(2)->text(), lang::Format(61299, 16, 0));
    EXPECT_EQ(list->horizontalHeaderItem(3)->text(), lang::Format(61299, 0, 8));
    EXPECT_EQ(list->columnWidth(1), 100);
    for (int id = 1107; id <= 1110; ++id) EXPECT_NE(Ctl<QCheckBox>(view.get(), id), nullptr);
    // The whole file is shown at once.
    ASSERT_GT(list->rowCount(), 2);
    EXPECT_EQ(list->item(0, 0)->text(), lang::Format(61300, 1));
    EXPECT_EQ(list->item(1, 1)->text(), "10.00");
  }
}

TEST_F(CumuView, ShowFillsTheListWithTheTableAndRefusesBadRanges) {
  auto view = ViewOn(SaveCum({}));
  auto* list = Ctl<QTableWidget>(view.get(), 1117);
  view->SetRange(T("2024-03-01 00:00:00"), T("2024-03-02 00:00:00"));
  ASSERT_TRUE(view->Show());
  const tables::CumTable& t = view->Table();
  ASSERT_EQ(list->rowCount(), int(t.rows.size()));
  ASSERT_EQ(list->columnCount(), 25);
  for (int r = 0; r < list->rowCount(); ++r)
    for (int c = 0; c < 25; ++c) {
      const std::string expect = c < int(t.rows[r].size()) ? t.rows[r][c] : "";
      const QTableWidgetItem* item = list->item(r, c);
      EXPECT_EQ(item ? item->text().toStdString() : "", expect) << r << "," << c;
    }
  EXPECT_EQ(list->item(0, 0)->text(), lang::Format(61300, 1));
  EXPECT_EQ(list->item(3, 0)->text(), lang::String(61301));
  EXPECT_EQ(list->item(1, 24)->text(), "10.00");  // the hour that ends at midnight

  const struct {
    const char* from;
    const char* to;
    int id;
  } refused[] = {{"2024-03-01 05:00:00", "2024-03-01 04:00:00", 61249},
                 {"2024-02-29 23:00:00", "2024-03-01 04:00:00", 61250},
                 {"2024-03-01 05:00:00", "2024-03-02 01:00:00", 61251}};
  for (const auto& r : refused) {
    messages_.clear();
    view->SetRange(T(r.from), T(r.to));
    EXPECT_FALSE(view->Show());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0], lang::String(r.id));
    EXPECT_EQ(list->rowCount(), int(t.rows.size()));  // the table as it was
  }

  // Large totals widen their columns: no value is cut to "...".
  Cum big;
  big.base = 100000000000;
  auto wide = ViewOn(SaveCum(big));
  auto* widest = Ctl<QTableWidget>(wide.get(), 1117);
  for (int r = 0; r < widest->rowCount(); ++r)
    for (int c = 0; c < widest->columnCount(); ++c) {
      if (const QTableWidgetItem* item = widest->item(r, c)) {
        EXPECT_LT(widest->fontMetrics().horizontalAdvance(item->text()), widest->columnWidth(c)) << r << "," << c;
      }
    }
}

TEST_F(CumuView, PickersInAnHourThatComesTwiceNameTheFilesReadings) {
  // Hourly totals to the first 02:00 (3) and to the second (4): the end
  // pickers show 02:00 either way.
  testenv::ScopedTimeZone berlin("Europe/Berlin");
  for (int periods : {3, 4}) {
    auto view = ViewOn(SaveCum(cumtest::AutumnNight(periods)));
    EXPECT_EQ(Ctl<QTimeEdit>(view.get(), 1114)->time(), QTime(2, 0));
    EXPECT_EQ(view->RangeEnd(), tables::CumLastTime(*view->File())) << periods;
    ASSERT_TRUE(view->Show());
    EXPECT_EQ(view->Table().rows[3], (std::vector<std::string>{"Total", periods == 4 ? "40.06" : "30.03"}));
  }
}

TEST_F(CumuView, CheckBoxesChooseTheExtraRows) {
  Cum c;
  c.period = 2;
  auto view = ViewOn(SaveCum(c));
  Ctl<QCheckBox>(view.get(), 1107)->setChecked(false);
  Ctl<QCheckBox>(view.get(), 1109)->setChecked(false);
  ASSERT_TRUE(view->Show());
  // Two channels, no title rows, no empty rows: the day rows and a total each.
  for (const auto& row : view->Table().rows) EXPECT_FALSE(row.empty());
  EXPECT_EQ(view->Table().rows.back()[0], lang::String(61301).toStdString());
}

std::string PdfText(const QString& pdf) {
  const std::string txt = pdf.toStdString() + ".txt";
  const std::string cmd = "pdftotext -layout '" + pdf.toStdString() + "' '" + txt + "'";
  if (std::system(cmd.c_str()) != 0) return "";
  return testenv::ReadFile(txt);
}

TEST_F(CumuView, PrintsTheTableOnPdfPages) {
  Cum c;
  c.periods = 24 * 6 + 1;  // six days: more rows than one page holds
  c.channels = 3;
  auto view = ViewOn(SaveCum(c));
  const QString pdf = QString::fromStdString(testenv::NewDir("pdf") + "cum.pdf");
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  printer.setPageOrientation(QPageLayout::Landscape);
  const int pages = view->PrintTo(&printer);
  EXPECT_EQ(pages, 1);  // 3 channels x (1 + 7 + 2) rows = 30 rows
  const std::string text = PdfText(pdf);
  ASSERT_FALSE(text.empty());
  for (const char* expect :
       {"Cumulative Data [Steam]", "Page 1", "Channel 3", "2024-03-06", "0:00", "Total", "30.00", "31.44"})
    EXPECT_NE(text.find(expect), std::string::npos) << expect << "\n" << text;
  // More channels than a page holds go on to further pages.
  Cum many = c;
  many.channels = 6;
  auto big = ViewOn(SaveCum(many));
  QPrinter second(QPrinter::HighResolution);
  second.setOutputFormat(QPrinter::PdfFormat);
  second.setOutputFileName(pdf + "2.pdf");
  EXPECT_EQ(big->PrintTo(&second), 2);
  const std::string text2 = PdfText(pdf + "2.pdf");
  EXPECT_NE(text2.find("Page 2"), std::string::npos);
  EXPECT_NE(text2.find("Channel 6"), std::string::npos);
}

TEST_F(CumuView, ExportWritesTheShownRangeAndSaysSo) {
  Cum c;
  c.period = 2;
  c.periods = 6;
  const std::string input = SaveCum(c);
  auto view = ViewOn(input);
  EXPECT_NE(Ctl<QPushButton>(view.get(), 1116), nullptr);
  view->SetRange(T("2024-03-01 12:00:00"), T("2024-03-02 00:00:00"));
  const std::string out = testenv::NewDir("xv") + "v.xlsx";
  ASSERT_TRUE(view->ExportTo(QString::fromStdString(out)));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], lang::String(61303));
  EXPECT_GT(testenv::ReadFile(out).size(), 100u);
  messages_.clear();
  EXPECT_FALSE(view->ExportTo("/nonexistent-dir/v.xlsx"));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], lang::String(61302));
  // A refused range writes nothing.
  messages_.clear();
  view->SetRange(T("2024-03-02 00:00:00"), T("2024-03-01 12:00:00"));
  const std::string none = testenv::NewDir("xn") + "n.xlsx";
  EXPECT_FALSE(view->ExportTo(QString::fromStdString(none)));
  EXPECT_EQ(messages_[0], lang::String(61249));
  EXPECT_TRUE(testenv::ReadFile(none).empty());
  // The cumulative file itself is refused with a word why; it stays as it was.
  messages_.clear();
  view->SetRange(T("2024-03-01 12:00:00"), T("2024-03-02 00:00:00"));
  const std::string before = testenv::ReadFile(input);
  EXPECT_FALSE(view->ExportTo(QString::fromStdString(input)));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], lang::Format(63471, input.c_str()));
  EXPECT_EQ(testenv::ReadFile(input), before);
}

TEST(CumuOpen, TheMainFrameOpensCumulativeFilesInTheirView) {
  platform::WritePrivateProfileString("LanguageSetting", "Language", "1",
                                      platform::SettingsPath("Config.ini"));
  CRecviewApp app;
  ASSERT_TRUE(app.InitInstance({"recview"}));
  CMainFrame* frame = app.MainFrame();
  const QString path = QString::fromStdString(SaveCum({}));
  ASSERT_TRUE(frame->OpenFile(path));
  const auto windows = frame->MdiArea()->subWindowList();
  ASSERT_EQ(windows.size(), 1);
  EXPECT_EQ(windows[0]->windowTitle(), lang::String(61288) + " [" + path + "]");
  auto* view = windows[0]->findChild<CCumuShowView*>();
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->File()->GetLayout(), 3);
  EXPECT_EQ(platform::ReadLastDir(), path.toStdString());
  // A file with the ending of cumulative files that is none opens nothing and
  // says why: not a data file at all, or a recording rather than totals.
  std::vector<MsgBoxRequest> messages;
  SetMsgBoxAnswerer([&](const MsgBoxRequest& r) {
    messages.push_back(r);
    return QMessageBox::Ok;
  });
  const std::string dir = testenv::NewDir("bad");
  ASSERT_TRUE(testenv::WriteFile(dir + "x.kvc", std::string(300, 'x')));
  ASSERT_TRUE(testenv::WriteFile(dir + "rec.kvc", fixture::Build(fixture::Recipe{})));
  for (auto [name, reason] : {std::pair{"x.kvc", 63406}, {"rec.kvc", 63417}}) {
    messages.clear();
    const QString bad = QString::fromStdString(dir + name);
    EXPECT_FALSE(frame->OpenFile(bad)) << name;
    ASSERT_EQ(messages.size(), 1u) << name;
    EXPECT_TRUE(messages[0].text.contains(lang::String(reason))) << messages[0].text.toStdString();
  }
  SetMsgBoxAnswerer(nullptr);
  EXPECT_EQ(frame->MdiArea()->subWindowList().size(), 1);
  app.ExitInstance();
}

}  // namespace
