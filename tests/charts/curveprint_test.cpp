// Printed curves: pages written as PDF, rendered back to images and read as a
// person reads them (page counts, legend columns, curve rows, header texts),
// through the chart code, the history view's commands and rectool.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <cmath>
#include <cstdio>
#include <set>

#include "chartfile.h"
#include "charts/bufferdc.h"
#include "charts/curvechart.h"
#include "charts/curveprint.h"
#include "common/modal.h"
#include "common/testenv.h"
#include "common/testhost.h"
#include "data/cxfile.h"
#include "pdfpages.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "views/hcview.h"

using namespace charts;
using namespace charttest;

namespace {

std::string Shell(const std::string& cmd, int* code = nullptr) {
  std::string out;
  FILE* p = ::popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int status = ::pclose(p);
  if (code) *code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return out;
}

std::string NewRecording(const Recipe& r, const std::string& name = "p.kvd") {
  const std::string path = testenv::NewDir("rec") + name;
  EXPECT_TRUE(MakeRecording(path, r));
  return path;
}

bool PrintWhole(CXFile* f, const std::string& pdf, int* pages = nullptr) {
  CurvePrintJob job;
  job.state = DefaultPrintState(f);
  PrintRange range;
  if (!SnapPrintRange(*f, f->GetStartTime(), f->GetEndTime(), &range)) return false;
  job.range = true;
  job.printStart = range.start;
  job.pages = range.pages;
  if (pages) *pages = range.pages;
  QString error;
  return PrintCurvesToPdf(pdf, job, "A4", false, 600, &error);
}

bool PrintWindowPage(CXFile* f, const std::string& pdf) {
  CurvePrintJob job;
  job.state = DefaultPrintState(f);
  QString error;
  return PrintCurvesToPdf(pdf, job, "A4", false, 600, &error);
}

// Page pixels (600 dpi, printable area) to image pixels at dpi.
QPoint ToImage(int x600, int y600, int dpi) {
  const QRect area = PaintRectAt(dpi);
  return QPoint(area.left() + int(int64_t(x600) * dpi / 600), area.top() + int(int64_t(y600) * dpi / 600));
}

struct Tool {
  int code;
  std::string out;
};
Tool Rectool(const std::string& args) {
  Tool t{-1, ""};
  t.out = Shell(std::string(RECVIEW_BIN_DIR) + "/rectool print " + args + " 2>&1", &t.code);
  return t;
}

class CurvePrint : public ::testing::Test {
 protected:
  void SetUp() override { UseLanguage(1); }
};

// ---------------------------------------------------------------- ranges

TEST_F(CurvePrint, RangesSnapOntoTheGridAndCountPagesOf2000Records) {
  Recipe r;
  r.records = 5000;
  r.interval = 10;
  r.channels = 1;
  auto f = OpenRecording(NewRecording(r));
  ASSERT_TRUE(f);
  const time_t t0 = f->GetStartTime(), last = f->GetEndTime();
  struct Case {
    time_t start, end;
    bool valid;
    time_t snappedStart;
    int pages;
  } cases[] = {
      {t0, t0 + 2000 * 10, true, t0, 1},           // 2000 intervals: one page
      {t0, t0 + 2001 * 10, true, t0, 2},           // one interval more: two
      {t0, t0 + 10, true, t0, 1},                  // one interval
      {t0 + 3, t0 + 2000 * 10, true, t0 + 10, 1},  // between samples: on to the next
      {t0, last, true, t0, 3},                     // 4999 intervals
      {t0 + 10, t0 + 10, false, 0, -1},            // start equal to end
      {t0 + 20, t0 + 10, false, 0, -1},            // reversed
      {t0 - 1, t0 + 100, false, 0, -1},            // before the first record
      {t0, last + 1, false, 0, -1},                // after the last record
  };
  for (const Case& c : cases) {
    PrintRange range;
    EXPECT_EQ(SnapPrintRange(*f, c.start, c.end, &range), c.valid) << c.start - t0 << " " << c.end - t0;
    EXPECT_EQ(range.pages, c.pages) << c.start - t0 << " " << c.end - t0;
    if (c.valid) {
      EXPECT_EQ(range.start, c.snappedStart);
    }
  }
}

TEST_F(CurvePrint, RepeatedColumnTimesGiveOnePointPerRecord) {
  struct Case {
    int records, interval, width;
  } cases[] = {{100, 1, 3000}, {100, 60, 3000}, {2001, 1, 500}, {2001, 10, 5000}, {7, 1, 6}};
  for (const Case& c : cases) {
    Recipe r;
    r.records = c.records;
    r.interval = c.interval;
    r.channels = 1;
    auto f = OpenRecording(NewRecording(r));
    ASSERT_TRUE(f);
    const CurvePrintState s = DefaultPrintState(f.get());
    const std::vector<QPoint> pts = PrintedCurve(s, 0, 100, 50, c.width, 1000);
    std::set<time_t> times;
    for (int j = 0; j < c.width; ++j) times.insert(s.window.TimeAtColumn(j, c.width));
    const bool lastRepeats =
        c.width > 1 && s.window.TimeAtColumn(c.width - 1, c.width) == s.window.TimeAtColumn(c.width - 2, c.width);
    EXPECT_EQ(pts.size(), times.size() + (lastRepeats ? 1 : 0)) << c.records << "/" << c.width;
    if (c.width >= c.records) {
      EXPECT_EQ(times.size(), size_t(c.records)) << c.records << "/" << c.width;
    }
    // Points run left to right from two pixels inside the plot.
    ASSERT_FALSE(pts.empty());
    EXPECT_EQ(pts.front().x(), 102);
    for (size_t i = 1; i < pts.size(); ++i) EXPECT_LT(pts[i - 1].x(), pts[i].x());
  }
}

// ---------------------------------------------------------------- pages

TEST_F(CurvePrint, PdfPageCountFollowsTheRange) {
  struct Case {
    int records, pages;
  } cases[] = {{2001, 1}, {2002, 2}, {4001, 2}, {4002, 3}};
  for (const Case& c : cases) {
    Recipe r;
    r.records = c.records;
    r.channels = 2;
    auto f = OpenRecording(NewRecording(r));
    ASSERT_TRUE(f);
    const std::string pdf = testenv::NewDir("pdf") + "range.pdf";
    int pages = 0;
    ASSERT_TRUE(PrintWhole(f.get(), pdf, &pages));
    EXPECT_EQ(pages, c.pages);
    EXPECT_EQ(PdfPageCount(pdf), c.pages) << c.records;
  }
}

TEST_F(CurvePrint, LegendHasTwoHeaderColumnsAndOneColumnPerTwoShownChannels) {
  const int dpi = 150;
  for (int shown : {0, 1, 2, 9}) {
    Recipe r;
    r.channels = 9;
    r.records = 300;
    const std::string path = NewRecording(r);
    auto f = OpenRecording(path);
    ASSERT_TRUE(f);
    for (int ch = 0; ch < 9; ++ch) f->Head().channels[ch].shown = ch < shown ? 1 : 0;
    const std::string pdf = testenv::NewDir("pdf") + "legend.pdf";
    ASSERT_TRUE(PrintWindowPage(f.get(), pdf));
    std::vector<QImage> pages = RenderPdf(pdf, dpi);
    ASSERT_FALSE(pages[0].isNull());
    const QImage& img = pages[0];
    const QRect area = PaintRectAt(600);
    const PageMetrics m = MetricsOf(area.width(), shown);
    EXPECT_EQ(m.legendCols, (shown + 1) / 2 + 2);
    const int plotR = area.width() - m.unit * m.legendCols;
    const int plotB = area.height() - m.bottomBand;
    // Just above the time axis no text stands in the columns: count the lines.
    const int y = ToImage(0, plotB - m.unit / 6, dpi).y();
    const int x0 = ToImage(plotR - m.unit / 3, 0, dpi).x(), x1 = ToImage(area.width() - m.unit / 2, 0, dpi).x();
    int runs = 0;
    bool inRun = false;
    for (int x = x0; x <= x1; ++x) {
      const bool dark = IsDark(img.pixel(x, y));
      if (dark && !inRun) ++runs;
      inRun = dark;
    }
    EXPECT_EQ(runs, m.legendCols) << shown << " shown";
  }
}

TEST_F(CurvePrint, CurvesLieOnTheRowsOfTheirValues) {
  const int dpi = 150;
  for (int q : {50, 125, 200}) {
    Recipe r;
    r.channels = 1;
    r.records = 500;
    r.count = [q](int, int) { return q; };
    auto f = OpenRecording(NewRecording(r));
    ASSERT_TRUE(f);
    float value = 0;
    ASSERT_TRUE(f->GetValue(0, f->GetStartTime(), &value, nullptr));
    const std::string pdf = testenv::NewDir("pdf") + "level.pdf";
    ASSERT_TRUE(PrintWindowPage(f.get(), pdf));
    const QImage img = RenderPdf(pdf, dpi)[0];
    ASSERT_FALSE(img.isNull());
    const QRect area = PaintRectAt(600);
    const PageMetrics m = MetricsOf(area.width(), 1);
    const int plotL = 2 * m.leftBand, plotR = area.width() - m.unit * m.legendCols;
    const int H = area.height() - m.bottomBand;
    const int row = int(H - H * (value - 0.0) / 100.0);
    const QRgb red = qRgb(255, 0, 0);
    for (int x600 : {plotL + 200, (plotL + plotR) / 2, plotR - 200}) {
      const QPoint at = ToImage(x600, row, dpi);
      EXPECT_TRUE(ColourNear(img, at.x(), at.y(), red)) << "level " << value << " x " << x600;
      const QPoint off = ToImage(x600, row + H / 10, dpi);
      EXPECT_FALSE(ColourNear(img, off.x(), off.y(), red)) << "level " << value << " x " << x600;
    }
  }
}

TEST_F(CurvePrint, ColoursTooLightForPaperPrintDarkerAndTheLegendSaysSo) {
  // Channel 1 white, channel 2 yellow, channel 3 blue; all at half scale.
  Recipe r;
  r.channels = 3;
  r.records = 500;
  r.count = [](int ch, int) { return 50 + 50 * ch; };
  const std::string path = NewRecording(r);
  {
    auto f = OpenRecording(path);
    ASSERT_TRUE(f);
    f->Head().channels[0].colour = 0xFFFFFF;
    f->Head().channels[1].colour = 0x00FFFF;
    f->Head().channels[2].colour = 0xFF0000;
    ASSERT_TRUE(f->PutHead());
  }
  auto f = OpenRecording(path);
  const std::string pdf = testenv::NewDir("pdf") + "light.pdf";
  Tool t = Rectool("'" + path + "' --out '" + pdf + "' --lang en");
  ASSERT_EQ(t.code, 0) << t.out;
  const int dpi = 150;
  const QImage img = RenderPdf(pdf, dpi)[0];
  ASSERT_FALSE(img.isNull());
  const QRect area = PaintRectAt(600);
  const PageMetrics m = MetricsOf(area.width(), 3);
  const int plotL = 2 * m.leftBand, plotR = area.width() - m.unit * m.legendCols;
  const int H = area.height() - m.bottomBand;
  for (int ch = 0; ch < 3; ++ch) {
    float value = 0;
    ASSERT_TRUE(f->GetValue(ch, f->GetStartTime(), &value, nullptr));
    const QColor stored = FromColorRef(f->Head().channels[ch].colour);
    const QColor ink = PaperInk(stored);
    const QPoint at = ToImage((plotL + plotR) / 3, int(H - H * value / 100.0), dpi);
    // The curve in a shade of its own hue that shows on white paper.
    EXPECT_TRUE(ColourNear(img, at.x(), at.y(), ink.rgb(), 3, 30)) << ch;
    EXPECT_LT(qGray(ink.rgb()), 170) << ch;
    EXPECT_EQ(ink.hue(), stored.hue()) << ch;
    EXPECT_EQ(ink == stored, ch == 2) << ch;  // blue prints as it is
  }
  std::string text;
  for (char c : Shell("pdftotext -raw '" + pdf + "' - 2>/dev/null")) text += c == '\n' ? ' ' : c;
  size_t notes = 0;
  for (size_t at = 0; (at = text.find("(darker on paper)", at)) != std::string::npos; ++at) ++notes;
  EXPECT_EQ(notes, 2u) << text;
}

TEST_F(CurvePrint, MarkValueLabelsNeverRunIntoEachOther) {
  // Four channels with nearly the same value at the mark: on the page their
  // labels would lie on top of each other; the ones that would are left out.
  Recipe r;
  r.channels = 4;
  r.records = 600;
  r.count = [](int ch, int) { return 120 + ch; };
  const std::string path = NewRecording(r);
  {
    auto f = OpenRecording(path);
    ASSERT_TRUE(f);
    ASSERT_TRUE(f->AddMark(f->GetStartTime() + 300));
    ASSERT_TRUE(f->AddMark(f->GetStartTime() + 302));
  }
  const std::string pdf = testenv::NewDir("pdf") + "marks.pdf";
  Tool t = Rectool("'" + path + "' --out '" + pdf + "'");
  ASSERT_EQ(t.code, 0) << t.out;
  const std::vector<PdfWord> words = PdfWords(pdf);
  int values = 0;
  for (const PdfWord& w : words) values += w.text.find('.') != std::string::npos ? 1 : 0;
  EXPECT_GT(values, 0);
  const std::vector<std::string> overlaps = OverlappingWords(words, 1);
  EXPECT_TRUE(overlaps.empty()) << overlaps.front();
}

TEST_F(CurvePrint, HeaderTextsComeFromTheLanguagePackage) {
  struct Case {
    int language;
    std::vector<std::string> texts;
  } cases[] = {{1, {"Title:", "Boiler", "Page 1", "Values", "Span:"}},
               {0, {"标题", "Boiler", "第1", "程量显", "时间范围"}}};
  for (const Case& c : cases) {
    UseLanguage(c.language);
    Recipe r;
    r.records = 100;
    auto f = OpenRecording(NewRecording(r));
    ASSERT_TRUE(f);
    const std::string pdf = testenv::NewDir("pdf") + "lang.pdf";
    ASSERT_TRUE(PrintWindowPage(f.get(), pdf));
    std::string text = Shell("pdftotext -raw '" + pdf + "' - 2>/dev/null");
    // Rotated lines come out with their letters apart: compare without blanks
    // (and without the characters the reader maps to radicals, such as 页).
    std::string packed;
    for (char ch : text)
      if (ch != ' ' && ch != '\n') packed += ch;
    for (std::string want : c.texts) {
      std::string w;
      for (char ch : want)
        if (ch != ' ') w += ch;
      EXPECT_NE(packed.find(w), std::string::npos) << c.language << ": " << want << "\n" << text;
    }
  }
  UseLanguage(1);
}

// ---------------------------------------------------------------- the view

class ViewPrint : public ::testing::Test {
 protected:
  void SetUp() override {
    UseLanguage(1);
    if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is installed";
    Recipe r;
    r.records = 4500;
    r.channels = 3;
    path_ = NewRecording(r);
    auto f = OpenRecording(path_);
    ASSERT_TRUE(f);
    file_ = f.get();
    view_ = std::make_unique<CHCView>(host_);
    view_->resize(900, 600);
    view_->SetRecord(f.release());
    SetMsgBoxAnswerer([this](const MsgBoxRequest& m) {
      messages_.push_back(m.text);
      return QMessageBox::Yes;
    });
    pdf_ = testenv::NewDir("out") + "view.pdf";
    host_.pdfPath = [this] { return QString::fromStdString(pdf_); };
  }
  void TearDown() override {
    SetMsgBoxAnswerer(nullptr);
  }
  void AskRange(time_t start, time_t end, int mode) {
    host_.printRange = [=](CXFile* f, time_t* s, time_t* e, int* pages, int* m) {
      PrintRange range;
      if (!SnapPrintRange(*f, start, end, &range)) return false;
      *s = range.start;
      *e = range.end;
      *pages = range.pages;
      *m = mode;
      return true;
    };
  }
  std::string path_, pdf_;
  CXFile* file_ = nullptr;
  testenv::TestHost host_;
  std::unique_ptr<CHCView> view_;
  std::vector<QString> messages_;
};

TEST_F(ViewPrint, RangePrintWithoutPrinterWritesThePagesAsPdf) {
  const time_t t0 = file_->GetStartTime();
  AskRange(t0, t0 + 4000, 0);
  ASSERT_TRUE(view_->OnCommand(ID_PRINT_PREVIEW_ALL));
  EXPECT_EQ(view_->rangeMode, 1);
  EXPECT_EQ(view_->printPages, 2);
  EXPECT_EQ(view_->printStart, t0);
  EXPECT_EQ(view_->printEnd, t0 + 4000);
  ASSERT_EQ(messages_.size(), 2u);  // the question about the PDF file, then where it went
  EXPECT_TRUE(messages_[1].contains("view.pdf")) << messages_[1].toStdString();
  EXPECT_EQ(PdfPageCount(pdf_), 2);
  // The framework's print keeps the range; the view's own print prints the window.
  ASSERT_TRUE(view_->OnCommand(ID_FILE_PRINT));
  EXPECT_EQ(PdfPageCount(pdf_), 2);
  ASSERT_TRUE(view_->OnCommand(ID_LIST_PRINT));
  EXPECT_EQ(view_->rangeMode, 0);
  EXPECT_EQ(PdfPageCount(pdf_), 1);
}

TEST_F(ViewPrint, PreviewShowsEveryPageOfTheRange) {
  const time_t t0 = file_->GetStartTime();
  AskRange(t0, file_->GetEndTime(), 1);
  int shownPages = -1;
  testenv::OnModal([&](QWidget* w) {
    auto* preview = qobject_cast<QPrintPreviewDialog*>(w);
    ASSERT_NE(preview, nullptr);
    auto* widget = preview->findChild<QPrintPreviewWidget*>();
    ASSERT_NE(widget, nullptr);
    widget->updatePreview();
    shownPages = widget->pageCount();
    preview->reject();
  });
  ASSERT_TRUE(view_->OnCommand(ID_PRINT_PREVIEW_ALL));
  EXPECT_EQ(shownPages, 3);  // 4499 intervals
}

TEST_F(ViewPrint, DeclinedRangeOrFileLeavesEverythingAsItWas) {
  host_.printRange = [](CXFile*, time_t*, time_t*, int*, int*) { return false; };
  ASSERT_TRUE(view_->OnCommand(ID_PRINT_PREVIEW_ALL));
  EXPECT_EQ(view_->rangeMode, 0);
  EXPECT_EQ(PdfPageCount(pdf_), -1);
  // The file dialog cancelled: nothing is written.
  host_.pdfPath = [] { return QString(); };
  ASSERT_TRUE(view_->OnCommand(ID_LIST_PRINT));
  EXPECT_EQ(PdfPageCount(pdf_), -1);
  // An unwritable place: a message that says so, and no file.
  host_.pdfPath = [] { return QString("/nonexistent-dir/x.pdf"); };
  messages_.clear();
  ASSERT_TRUE(view_->OnCommand(ID_LIST_PRINT));
  ASSERT_EQ(messages_.size(), 2u);
  EXPECT_TRUE(messages_[1].startsWith("The PDF file could not be written")) << messages_[1].toStdString();
}

// ---------------------------------------------------------------- rectool


TEST_F(CurvePrint, RectoolPrintsSpansAndWindows) {
  Recipe r;
  r.records = 4501;
  r.interval = 10;
  r.channels = 5;
  r.count = [](int ch, int rec) { return int(125 + 100 * std::sin(rec / 150.0 * (ch + 1) + ch)); };
  const std::string path = NewRecording(r);
  auto f = OpenRecording(path);
  ASSERT_TRUE(f);
  const std::string t0 = FormatTime(f->GetStartTime());
  const std::string t1 = FormatTime(f->GetStartTime() + 2000 * 10);
  const std::string t2 = FormatTime(f->GetStartTime() + 2000 * 10 + 5);
  const std::string dir = testenv::NewDir("tool");
  struct Case {
    std::string args;
    int pages;
  } cases[] = {
      {"", 3},
      {"--from '" + t0 + "' --to '" + t1 + "'", 1},
      {"--from '" + t0 + "' --to '" + t2 + "'", 2},  // snapped forward: 2001 intervals
      {"--window '" + t0 + "' '" + t2 + "'", 1},
      {"--page A3 --portrait --lang zh", 3},
  };
  for (const Case& c : cases) {
    const std::string pdf = dir + "out.pdf";
    Tool t = Rectool("'" + path + "' --out '" + pdf + "' " + c.args);
    EXPECT_EQ(t.code, 0) << c.args << "\n" << t.out;
    EXPECT_EQ(PdfPageCount(pdf), c.pages) << c.args;
  }
}

TEST_F(CurvePrint, RectoolRefusesBadInputAndKeepsTheOldFile) {
  Recipe r;
  r.records = 100;
  const std::string path = NewRecording(r);
  const std::string dir = testenv::NewDir("bad");
  const std::string cut = dir + "cut.kvd";
  const std::string bytes = testenv::ReadFile(path);
  ASSERT_TRUE(testenv::WriteFile(cut, bytes.substr(0, 200)));
  auto f = OpenRecording(path);
  const std::string t0 = FormatTime(f->GetStartTime()), tEnd = FormatTime(f->GetEndTime());
  const std::string later = FormatTime(f->GetEndTime() + 60);
  const std::string pdf = dir + "keep.pdf";
  struct Case {
    std::string args;
    int code;
    std::string says;
  } cases[] = {
      {"'" + cut + "' --out '" + pdf + "'", 1, "cut.kvd"},
      {"'" + path + "' --out '" + pdf + "' --from '" + tEnd + "' --to '" + t0 + "'", 1, "span"},
      {"'" + path + "' --out '" + pdf + "' --to '" + later + "'", 1, "span"},
      {"'" + path + "' --out '" + pdf + "' --window '" + t0 + "' '" + t0 + "'", 1, "window"},
      {"'" + path + "' --out '" + pdf + "' --from yesterday", 2, "not a time"},
      {"'" + path + "' --out '" + pdf + "' --page A9", 2, "--page"},
      {"'" + path + "' --out '" + pdf + "' --window '" + t0 + "'", 2, "two times"},
      {"'" + path + "'", 2, "--out"},
      {"'" + path + "' --out /nonexistent-dir/x.pdf", 1, "cannot write"},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(testenv::WriteFile(pdf, "keep"));
    Tool t = Rectool(c.args);
    EXPECT_EQ(t.code, c.code) << c.args << "\n" << t.out;
    EXPECT_NE(t.out.find(c.says), std::string::npos) << c.args << "\n" << t.out;
    EXPECT_EQ(testenv::ReadFile(pdf), "keep") << c.args;
  }
}

}  // namespace
