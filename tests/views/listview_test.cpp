// The record list view: opened from the history view, its grid's drawing,
// mouse, scrolling and follow mode, its commands and menus, and its pages.
#include <gtest/gtest.h>

#include <map>

#include <QApplication>
#include <QClipboard>
#include <QDateEdit>
#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTimeEdit>

#include "charts/chartdialogs.h"
#include "charts/chartfile.h"
#include "charts/pdfpages.h"
#include "charts/printui.h"
#include "common/modal.h"
#include "common/testhost.h"
#include "common/testenv.h"
#include "data/cxfile.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "views/hcview.h"
#include "views/listview.h"

using namespace tables;
using namespace charttest;

namespace {

class ListView : public ::testing::Test {
 protected:
  void Open(int records, int channels = 3, int interval = 1) {
    UseLanguage();
    SetMsgBoxAnswerer([this](const MsgBoxRequest& r) {
      messages_.push_back(r.text);
      return QMessageBox::Ok;
    });
    Recipe r;
    r.channels = channels;
    r.records = records;
    r.interval = interval;
    r.count = [](int ch, int rec) { return (ch * 100 + rec) % 250; };
    path_ = testenv::Home() + "list.kvd";
    ASSERT_TRUE(MakeRecording(path_, r));
    auto f = OpenRecording(path_);
    ASSERT_TRUE(f);
    // 0.1 units per count.
    for (int ch = 0; ch < channels; ++ch) f->Head().channels[ch].rangeHigh = {255, 1};
    ASSERT_TRUE(f->PutHead());
    file_ = f.get();
    owner_ = std::make_unique<charts::CHCView>(host_);
    owner_->SetRecord(f.release());
    ASSERT_TRUE(owner_->OnCommand(ID_OPEN_LIST));
    list_ = qobject_cast<CXListView*>(owner_->listFrame);
    ASSERT_NE(list_, nullptr);
    list_->resize(900, 600);
    grid_ = list_->Grid();
    t0_ = file_->GetStartTime();
  }
  void TearDown() override {
    SetMsgBoxAnswerer(nullptr);
    delete list_;
  }
  // Red pixels in a rectangle of what the grid shows.
  int RedPixels(QRect r) {
    int n = 0;
    const QImage& img = grid_->Image();
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) {
        const QColor c = img.pixelColor(x, y);
        if (c.red() > 200 && c.green() < 80 && c.blue() < 80) ++n;
      }
    return n;
  }
  QMenu* Menu() { return list_->ContextMenu(QPoint(0, 0), false); }
  bool Enabled(QMenu* m, int id) {
    for (QAction* a : m->actions())
      if (a->data().toInt() == id) return a->isEnabled();
    ADD_FAILURE() << "no item " << id;
    return false;
  }

  std::string path_;
  CXFile* file_ = nullptr;
  testenv::TestHost host_;
  std::unique_ptr<charts::CHCView> owner_;
  CXListView* list_ = nullptr;
  CXGridCtrl* grid_ = nullptr;
  time_t t0_ = 0;
  std::vector<QString> messages_;
};

TEST_F(ListView, OneListPerHistoryViewAndItLetsGoOfItsOwner) {
  Open(50);
  QWidget* first = owner_->listFrame;
  owner_->OnCommand(ID_OPEN_LIST);
  EXPECT_EQ(owner_->listFrame, first);
  EXPECT_EQ(list_->File(), file_);
  EXPECT_EQ(grid_->GetTopTime(), t0_);
  delete list_;
  list_ = nullptr;
  EXPECT_EQ(owner_->listFrame, nullptr);
  // The owner going first leaves the list without a file, not with a dangling one.
  owner_->OnCommand(ID_OPEN_LIST);
  list_ = qobject_cast<CXListView*>(owner_->listFrame);
  ASSERT_NE(list_, nullptr);
  owner_.reset();
  EXPECT_EQ(list_->File(), nullptr);
  EXPECT_EQ(list_->Grid()->File(), nullptr);
  list_->Grid()->Redraw();
}

TEST_F(ListView, MouseSelectsRowsButNotTheHeader) {
  Open(200);
  grid_->SetRowStep(3);
  struct Step {
    int y;
    Qt::KeyboardModifiers mods;
    time_t anchor, end;  // offsets from the start; -1: no selection
  } steps[] = {
      {5, {}, -1, -1},                  // header row
      {3 * 20 + 5, {}, 6, 6},           // third row: two steps of three
      {10, {}, 6, 6},                   // the header again changes nothing
      {6 * 20 + 5, Qt::ShiftModifier, 6, 15},
      {1 * 20 + 5, {}, 0, 0},
  };
  for (const Step& s : steps) {
    QTest::mouseClick(grid_, Qt::LeftButton, s.mods, QPoint(100, s.y));
    time_t a = 0, e = 0;
    grid_->GetSelection(a, e);
    EXPECT_EQ(a, s.anchor < 0 ? 0 : t0_ + s.anchor) << s.y;
    EXPECT_EQ(e, s.end < 0 ? 0 : t0_ + s.end) << s.y;
  }
  // Rows past the file end select its last instant.
  grid_->GoToTime(t0_ + 199);
  QTest::mouseClick(grid_, Qt::LeftButton, {}, QPoint(100, 10 * 20 + 5));
  time_t a = 0, e = 0;
  grid_->GetSelection(a, e);
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 198);  // 199 rounded down to a row of three
  EXPECT_EQ(a, t0_ + 199);
}

TEST_F(ListView, HeaderBordersResizeColumns) {
  Open(50);
  // The time column's right border lies at 60 + 160.
  struct Step {
    int x, y;     // where the mouse goes
    int hot;      // column whose border is under it, or -1
  } hover[] = {{220, 10, 1}, {218, 5, 1}, {222, 5, 1}, {223, 5, -1}, {220, 30, -1}, {60, 10, 0}};
  for (const Step& s : hover) {
    QTest::mouseMove(grid_, QPoint(s.x, s.y));
    EXPECT_EQ(grid_->cursor().shape() == Qt::BitmapCursor, s.hot >= 0) << s.x << "," << s.y;
  }
  QTest::mouseMove(grid_, QPoint(220, 10));
  QTest::mousePress(grid_, Qt::LeftButton, {}, QPoint(220, 10));
  QTest::mouseMove(grid_, QPoint(250, 12));
  QTest::mouseRelease(grid_, Qt::LeftButton, {}, QPoint(250, 12));
  EXPECT_EQ(grid_->ColumnWidth(1), 190);
  time_t a = 0, e = 0;
  grid_->GetSelection(a, e);
  EXPECT_EQ(a, 0);  // resizing selects nothing
  // Narrowing below 5 pixels leaves 5.
  QTest::mouseMove(grid_, QPoint(250, 10));
  QTest::mousePress(grid_, Qt::LeftButton, {}, QPoint(250, 10));
  QTest::mouseMove(grid_, QPoint(20, 10));
  QTest::mouseRelease(grid_, Qt::LeftButton, {}, QPoint(20, 10));
  EXPECT_EQ(grid_->ColumnWidth(1), 5);
}

TEST_F(ListView, CopyTakesEverySampleRegardlessOfStepAndDirection) {
  Open(200);
  grid_->SetRowStep(3);
  QTest::mouseClick(grid_, Qt::LeftButton, {}, QPoint(100, 4 * 20 + 5));
  QTest::mouseClick(grid_, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 2 * 20 + 5));
  const std::string upward = list_->SelectionText();
  QTest::mouseClick(grid_, Qt::LeftButton, {}, QPoint(100, 2 * 20 + 5));
  QTest::mouseClick(grid_, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, 4 * 20 + 5));
  const std::string downward = list_->SelectionText();
  EXPECT_EQ(upward, downward);
  // Rows 2..4 at step 3 span instants 3..9: seven samples and the header.
  EXPECT_EQ(std::count(downward.begin(), downward.end(), '\n'), 8);
  EXPECT_EQ(downward.substr(0, 5), "Time\t");
  EXPECT_NE(downward.find(FormatTime(t0_ + 4, " %Y-%m-%d %H:%M:%S") + "\t0.4\t10.4\t20.4\r\n"),
            std::string::npos);
  ASSERT_TRUE(list_->OnCommand(ID_EDIT_COPY));
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), downward);
}

TEST_F(ListView, ScrollingStaysInTheFileAndTheBarIsCapped) {
  Open(100000);
  ASSERT_TRUE(grid_->HasVBar());
  QScrollBar* bar = grid_->VBar();
  EXPECT_EQ(bar->maximum(), 32767);
  struct Step {
    QAbstractSlider::SliderAction action;
    time_t top;
  } steps[] = {
      {QAbstractSlider::SliderSingleStepSub, 0},   {QAbstractSlider::SliderSingleStepAdd, 10},
      {QAbstractSlider::SliderPageStepAdd, 110},   {QAbstractSlider::SliderPageStepSub, 10},
      {QAbstractSlider::SliderPageStepSub, 0},     {QAbstractSlider::SliderToMaximum, 99999},
      {QAbstractSlider::SliderSingleStepAdd, 99999},
  };
  for (const Step& s : steps) {
    bar->triggerAction(s.action);
    EXPECT_EQ(grid_->GetTopTime(), t0_ + s.top) << s.action;
  }
  EXPECT_EQ(bar->sliderPosition(), 32767);
  // Dragging the thumb reaches both ends of the whole file.
  bar->setSliderPosition(0);
  bar->triggerAction(QAbstractSlider::SliderMove);
  EXPECT_EQ(grid_->GetTopTime(), t0_);
  bar->setSliderPosition(16384);
  bar->triggerAction(QAbstractSlider::SliderMove);
  EXPECT_NEAR(double(grid_->GetTopTime() - t0_), 50000.0, 5.0);
  bar->setSliderPosition(32767);
  bar->triggerAction(QAbstractSlider::SliderMove);
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 99999);
  // Keys move one row, the wheel five.
  grid_->GoToTime(t0_ + 500);
  QTest::keyClick(grid_, Qt::Key_Down);
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 501);
  QTest::keyClick(grid_, Qt::Key_Up);
  QTest::keyClick(grid_, Qt::Key_Up);
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 499);
  // Pages and both ends, as in any table.
  QTest::keyClick(grid_, Qt::Key_PageDown);
  const time_t page = grid_->GetTopTime() - (t0_ + 499);
  EXPECT_GT(page, 1);
  QTest::keyClick(grid_, Qt::Key_PageUp);
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 499);
  QTest::keyClick(grid_, Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 99999);
  QTest::keyClick(grid_, Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ(grid_->GetTopTime(), t0_);
  grid_->GoToTime(t0_ + 499);
  QWheelEvent wheel(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, 120), Qt::NoButton, {},
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(grid_, &wheel);
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 494);
  // Channels scroll one at a time and stop at the last.
  QScrollBar* h = grid_->HBar();
  EXPECT_EQ(h->maximum(), 2);
  for (int i = 0; i < 5; ++i) h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  EXPECT_EQ(grid_->FirstChannel(), 2);
  h->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(grid_->FirstChannel(), 1);
}

TEST_F(ListView, AlarmValuesAreRedOnlyOutsideSensibleLimits) {
  Open(50, 1);
  // Channel 1 holds 0.0, 0.1, ... 4.9; its column follows number and time.
  const QRect cells(60 + 160 + 2, 20 + 2, 56, 20 * 5 - 4);  // the first five rows: 0.0 .. 0.4
  struct Case {
    int low, high;  // tenths
    bool red;
  } cases[] = {
      {0, 4, false},  // every value within, the ends exactly on the limits
      {1, 4, true},   // 0.0 below the low limit
      {0, 3, true},   // 0.4 above the high limit
      {3, 3, false},  // no sensible limits
      {4, 1, false},
  };
  for (const Case& k : cases) {
    file_->Head().channels[0].limit3 = {int16_t(k.low), 1};
    file_->Head().channels[0].limit4 = {int16_t(k.high), 1};
    grid_->Redraw();
    EXPECT_EQ(RedPixels(cells) > 0, k.red) << k.low << ".." << k.high;
  }
}

TEST_F(ListView, FindAndFindNextWalkBothWaysAndReportMisses) {
  Open(100);
  _tagFindQuery& q = owner_->query;
  q.channel = 1;  // 0.0 .. 9.9
  q.target = 2.0f;
  q.tolerance = 0.25f;  // 1.8 .. 2.2 match
  q.startMode = 0;
  q.direction = 0;
  q.time = 0;
  list_->OnSearchRequest();
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 18);
  EXPECT_TRUE(messages_.empty());
  for (int expected : {19, 20, 21, 22}) {
    ASSERT_TRUE(list_->OnCommand(ID_FIND_NEXT));
    EXPECT_EQ(grid_->GetTopTime(), t0_ + expected);
  }
  list_->OnCommand(ID_FIND_NEXT);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], lang::String(61282));
  // Backwards from the end.
  q.direction = 1;
  q.startMode = 1;
  q.time = 0;
  list_->OnSearchRequest();
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 22);
  list_->OnCommand(ID_FIND_NEXT);
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 21);
  // Nothing at all.
  q.target = 77;
  q.time = 0;
  list_->OnSearchRequest();
  EXPECT_EQ(messages_.size(), 2u);
}

TEST_F(ListView, ALongSearchShowsProgressAndStopsOnRequest) {
  Open(262144, 64);
  CXListView::findProgressDelayMs = 0;
  grid_->GoToTime(t0_ + 100);
  _tagFindQuery& q = owner_->query;
  q.target = -50;  // below every value: the walk would cover the whole file
  q.tolerance = 0.01f;
  q.time = 0;
  q.startMode = 0;
  bool shown = false;
  testenv::OnModal([&](QWidget* w) {
    shown = w->objectName() == "62500";
    if (auto* stop = w->findChild<QPushButton*>()) {
      EXPECT_EQ(stop->text(), lang::String(62501));
      stop->click();
    }
  });
  list_->OnSearchRequest();
  CXListView::findProgressDelayMs = 300;
  EXPECT_TRUE(shown);
  EXPECT_TRUE(messages_.empty());  // a stopped search is no miss
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 100);
  EXPECT_EQ(q.time, t0_);  // where it was
}

TEST_F(ListView, GoToTimeRoundsDownToARow) {
  Open(100);
  grid_->SetRowStep(3);
  testenv::OnModal([this](QWidget* w) {
    SetPickers(w->findChild<QDateEdit*>("1052"), w->findChild<QTimeEdit*>("1053"), t0_ + 8);
    static_cast<QDialog*>(w)->accept();
  });
  ASSERT_TRUE(list_->OnCommand(ID_GOTO_TIME));
  EXPECT_EQ(grid_->GetTopTime(), t0_ + 6);
  time_t a = 0, e = 0;
  grid_->GetSelection(a, e);
  EXPECT_EQ(a, t0_ + 6);
  EXPECT_EQ(e, t0_ + 6);
}

TEST_F(ListView, RowStepDialogTakesWholeNumbersOnly) {
  Open(100);
  testenv::OnModal([this](QWidget* w) {
    auto* edit = w->findChild<QLineEdit*>("1119");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "1");
    edit->setText("0");
    static_cast<QDialog*>(w)->accept();  // refused: the dialog stays
    EXPECT_TRUE(w->isVisible());
    edit->setText("4");
    static_cast<QDialog*>(w)->accept();
  });
  ASSERT_TRUE(list_->OnCommand(ID_ROW_STEP));
  EXPECT_EQ(grid_->GetRowStep(), 4);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], lang::String(62504));
}

TEST_F(ListView, HistoryMenuGreysWhatCannotRun) {
  Open(100);
  struct Step {
    std::function<void()> act;
    bool copy, findNext;
  } steps[] = {
      {[] {}, false, false},
      {[this] { list_->OnCommand(ID_SELECT_ALL_RECORDS); }, true, false},
      {[this] {
         owner_->query.target = 0;
         owner_->query.time = 0;
         list_->OnSearchRequest();
       },
       true, true},
  };
  for (const Step& s : steps) {
    s.act();
    QMenu* m = Menu();
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(Enabled(m, ID_EDIT_COPY), s.copy);
    EXPECT_EQ(Enabled(m, ID_FIND_NEXT), s.findNext);
    EXPECT_TRUE(Enabled(m, ID_FIND));
    EXPECT_TRUE(Enabled(m, ID_GOTO_TIME));
    delete m;
  }
  CommandState st;
  ASSERT_TRUE(list_->OnUpdateCommand(ID_FOLLOW_ON, st));
  EXPECT_FALSE(st.enabled);
}

// Pages as a PDF, read back by the poppler tools.
QString PdfText(const QString& pdf, int* pages) {
  QProcess info;
  info.start("pdfinfo", {pdf});
  info.waitForFinished();
  const QString out = QString::fromUtf8(info.readAllStandardOutput());
  const int at = out.indexOf("Pages:");
  *pages = at < 0 ? -1 : out.mid(at + 6).section('\n', 0, 0).trimmed().toInt();
  QProcess text;
  text.start("pdftotext", {"-layout", pdf, "-"});
  text.waitForFinished();
  return QString::fromUtf8(text.readAllStandardOutput());
}

TEST_F(ListView, PrintedPagesHoldFortyRowsEach) {
  Open(200);
  struct Case {
    int mode, step;
    time_t top;
    int pages;
    int lastNumber;  // highest row number printed
  } cases[] = {
      {0, 1, 0, 1, 40},
      {1, 1, 0, 5, 200},
      {1, 3, 0, 2, 67},
      {1, 1, 130, 2, 200},
      {0, 1, 130, 1, 170},
  };
  for (const Case& k : cases) {
    grid_->SetRowStep(k.step);
    grid_->GoToTime(t0_ + k.top);
    list_->printMode = k.mode;
    const QString pdf = QString::fromStdString(testenv::Home()) + "list.pdf";
    QFile::remove(pdf);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    EXPECT_EQ(list_->PrintTo(printer), k.pages);
    int pages = 0;
    const QString text = PdfText(pdf, &pages);
    EXPECT_EQ(pages, k.pages) << k.mode << "/" << k.step;
    EXPECT_TRUE(text.contains("Title: Boiler"));
    EXPECT_TRUE(text.contains("Page " + QString::number(k.pages)));
    EXPECT_TRUE(text.contains("Printed: "));
    EXPECT_TRUE(text.contains(QString::fromStdString(ChannelHeader(*file_, 0))));
    const QString first = QString::fromStdString(FormatTime(t0_ + k.top));
    EXPECT_TRUE(text.contains(first)) << first.toStdString();
    EXPECT_TRUE(text.contains(QRegularExpression("\\b" + QString::number(k.lastNumber) + "\\b")));
    EXPECT_FALSE(text.contains(QRegularExpression("\\b" + QString::number(k.lastNumber + 1) + "\\s+20")));
  }
}

TEST_F(ListView, EveryChannelPrintsWhereverTheWindowIsScrolled) {
  struct Case {
    int channels;
    int scroll;
    int pages;  // of one page of rows
  } cases[] = {{8, 0, 1}, {8, 5, 1}, {64, 0, 9}, {64, 40, 9}};
  for (const Case& k : cases) {
    Open(100, k.channels);
    grid_->ScrollChannels(k.scroll);
    list_->printMode = 0;
    const QString pdf = QString::fromStdString(testenv::Home()) + "wide.pdf";
    QFile::remove(pdf);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageOrientation(QPageLayout::Landscape);
    EXPECT_EQ(list_->PrintTo(printer), k.pages) << k.channels;
    const double pageWidth = printer.pageLayout().fullRect(QPageLayout::Point).width();
    std::map<std::string, int> headers;
    for (const charttest::PdfWord& w : charttest::PdfWords(pdf.toStdString())) {
      headers[w.text] = w.page;
      // Nothing runs off the paper.
      EXPECT_LE(w.box.right(), pageWidth) << w.text;
    }
    for (int ch = 0; ch < k.channels; ++ch)
      EXPECT_EQ(headers.count(ChannelHeader(*file_, ch)), 1u) << k.channels << " channels, " << ch;
    // The time column on every page.
    EXPECT_EQ(headers.count(lang::String(61259).toStdString()), 1u);
    delete list_;
    list_ = nullptr;
  }
}

TEST_F(ListView, PreviewsDrawThePagesOfTheirMode) {
  Open(200);
  struct Case {
    int command, mode;
  } cases[] = {{ID_PRINT_PREVIEW_ALL, 1},
               {ID_LIST_PRINT_PREVIEW, 0},
               {ID_FILE_PRINT_PREVIEW, 0},
               {ID_PRINT_PREVIEW_ALL, 1},
               {ID_FILE_PRINT_PREVIEW, 1}};  // the desktop's preview keeps the last mode
  for (const Case& k : cases) {
    int shown = -1;
    testenv::OnModal([&](QWidget* w) {
      EXPECT_EQ(w->objectName(), "printPreview");
      shown = list_->printMode;
      static_cast<QDialog*>(w)->reject();
    });
    ASSERT_TRUE(list_->OnCommand(k.command));
    EXPECT_EQ(shown, k.mode) << k.command;
  }
}

TEST_F(ListView, PrintingWithoutAPrinterWritesThePdfTheUserNames) {
  Open(200);
  if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is installed here";
  const QString pdf = QString::fromStdString(testenv::Home()) + "named.pdf";
  host_.pdfPath = [&] { return pdf; };
  SetMsgBoxAnswerer([this](const MsgBoxRequest& r) {
    messages_.push_back(r.text);
    return QMessageBox::Yes;
  });
  grid_->GoToTime(t0_ + 50);
  ASSERT_TRUE(list_->OnCommand(ID_LIST_PRINT));  // print mode 0: the page at the top row
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_EQ(messages_[0], lang::String(62811));
  EXPECT_TRUE(messages_[1].contains("named.pdf")) << messages_[1].toStdString();
  int pages = 0;
  const QString text = PdfText(pdf, &pages);
  EXPECT_EQ(pages, 1);
  EXPECT_TRUE(text.contains(QString::fromStdString(FormatTime(t0_ + 50))));
  EXPECT_TRUE(text.contains(QRegularExpression("\\b90\\b")));  // the last of 40 rows from row 51
}

// The export window offers the selection, in either order, or the whole file.
TEST_F(ListView, ExportOffersTheSelectionOrTheWholeFile) {
  Open(100);
  struct Case {
    time_t anchor, end;  // offsets; -1: no selection
    time_t from, to;
  } cases[] = {{-1, -1, 0, 99}, {10, 20, 10, 20}, {30, 5, 5, 30}};
  for (const Case& k : cases) {
    if (k.anchor >= 0) {
      const time_t top = std::min(k.anchor, k.end);
      grid_->GoToTime(t0_ + top);
      auto y = [&](time_t off) { return int(20 * (off - top + 1) + 5); };
      QTest::mouseClick(grid_, Qt::LeftButton, {}, QPoint(100, y(k.anchor)));
      QTest::mouseClick(grid_, Qt::LeftButton, Qt::ShiftModifier, QPoint(100, y(k.end)));
    }
    time_t from = 0, to = 0;
    testenv::OnModal([&](QWidget* w) {
      auto at = [w](const char* date, const char* time) {
        return QDateTime(w->findChild<QDateEdit*>(date)->date(), w->findChild<QTimeEdit*>(time)->time())
            .toSecsSinceEpoch();
      };
      from = at("12000", "12001");
      to = at("12003", "12004");
      static_cast<QDialog*>(w)->reject();
    });
    ASSERT_TRUE(list_->OnCommand(ID_EXPORT_EXCEL));
    EXPECT_EQ(from, t0_ + k.from) << k.anchor;
    EXPECT_EQ(to, t0_ + k.to) << k.anchor;
  }
  CommandState st;
  ASSERT_TRUE(list_->OnUpdateCommand(ID_STATISTICS, st));
  EXPECT_TRUE(st.enabled);
  QString shown;
  testenv::OnModal([&](QWidget* w) {
    shown = w->objectName();
    static_cast<QDialog*>(w)->reject();
  });
  ASSERT_TRUE(list_->OnCommand(ID_STATISTICS));
  EXPECT_EQ(shown, "171");
}

// The live view as its list knows it: a recording view over the test's store.
class LiveOwner : public views::RecordView {
 public:
  explicit LiveOwner(CXFile* file) : file_(file) {}
  CXFile* File() override { return file_; }
  uint64_t DevWord(int) const override { return 0; }
  void RefreshFrameTexts(bool) override { ++refreshed; }
  views::ViewHost& Host() const override { return views::ViewHost::Standalone(); }
  int refreshed = 0;

 private:
  CXFile* file_;
};

TEST_F(ListView, LiveListFollowsUntilTheBarIsUsed) {
  Open(10);
  // A live store filled record by record, as the live view does.
  CXFile live;
  live.Head() = file_->Head();
  live.Head().capacity = 5000;
  live.Head().lastIndex = 0;
  ASSERT_TRUE(live.CreateTemp());
  ASSERT_TRUE(live.PutHead());
  const time_t start = t0_;
  live.SetStartTime(start);
  auto append = [&](int n) {
    for (int i = 0; i < n; ++i) {
      const int slot = live.GetRecordCount() < 0 ? 0 : live.GetRecordCount();
      uint8_t values[3] = {uint8_t(slot % 200), 1, 2};
      ASSERT_TRUE(live.AppendRecord(values, slot));
    }
    live.SetEndTime(0);
  };
  append(1);
  LiveOwner liveOwner(&live);
  QWidget* frame = OpenLiveListView(&liveOwner, &live);
  ASSERT_NE(ListIn(frame), nullptr);
  EXPECT_EQ(OpenLiveListView(&liveOwner, &live, frame), frame);  // one list per live view
  std::unique_ptr<QWidget> keep(frame);
  CXListView& view = *ListIn(frame);
  view.resize(900, 600);
  CXGridCtrl* grid = view.Grid();
  EXPECT_EQ(grid->GetFollow(), 1);
  const int rows = grid->VisibleRows();
  QMenu* m = view.ContextMenu(QPoint(), false);
  ASSERT_NE(m, nullptr);
  EXPECT_FALSE(Enabled(m, ID_FOLLOW_ON));
  EXPECT_TRUE(Enabled(m, ID_FOLLOW_OFF));
  // Row Step belongs to the history list: a live list shows every record.
  for (QAction* a : m->actions()) EXPECT_NE(a->data().toInt(), ID_ROW_STEP);
  delete m;
  view.OnCommand(ID_ROW_STEP);
  EXPECT_EQ(grid->GetRowStep(), 1);
  // Activated, it has its owner show the live recording's frame texts.
  view.Activated();
  EXPECT_EQ(liveOwner.refreshed, 1);
  for (int n : {5, 100, 300}) {
    append(n);
    view.OnFileChanged();
    EXPECT_EQ(grid->GetTopTime(), std::max(live.GetEndTime() - (rows - 4), start)) << n;
  }
  // The user takes the bar: following stops and new records leave the top alone.
  ASSERT_TRUE(grid->HasVBar());
  grid->VBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
  EXPECT_EQ(grid->GetFollow(), 0);
  const time_t top = grid->GetTopTime();
  append(50);
  view.OnFileChanged();
  EXPECT_EQ(grid->GetTopTime(), top);
  m = view.ContextMenu(QPoint(), false);
  EXPECT_TRUE(Enabled(m, ID_FOLLOW_ON));
  EXPECT_FALSE(Enabled(m, ID_FOLLOW_OFF));
  delete m;
  ASSERT_TRUE(view.OnCommand(ID_FOLLOW_ON));
  EXPECT_EQ(grid->GetTopTime(), live.GetEndTime() - (rows - 4));
  live.Close();
}

}  // namespace
