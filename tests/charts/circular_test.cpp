// Circular charts: the daily channel report (samples, revolutions, printed
// page read back from PDF), the dial of a recording's newest part, and the
// range views that host them, opened from the history view and by rectool.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <QApplication>
#include <QPicture>
#include <QPrinterInfo>
#include <QTabBar>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "chartfile.h"
#include "charts/circular.h"
#include "charts/curvechart.h"
#include "charts/dialchart.h"
#include "charts/printui.h"
#include "common/modal.h"
#include "common/testenv.h"
#include "common/testhost.h"
#include "data/cxfile.h"
#include "pdfpages.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "views/hcview.h"
#include "views/rangeview.h"
#include "views/rrangeview.h"

using namespace charts;
using namespace charttest;

namespace {

constexpr double kPi = 3.14159265358979323846;

time_t At(int y, int mo, int d, int h, int mi = 0) {
  struct tm tm = {};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

std::unique_ptr<CXFile> Recording(Recipe r) {
  const std::string path = testenv::NewDir("c") + "c.kvd";
  EXPECT_TRUE(MakeRecording(path, r));
  auto f = OpenRecording(path);
  if (f) f->Head().tagByte = 10;
  return f;
}

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

// Full turns of the angle, counting each time it passes the top going clockwise.
int Revolutions(const std::vector<ReportSample>& s) {
  int turns = s.empty() ? 0 : 1;
  for (size_t i = 1; i < s.size(); ++i)
    if (s[i].t - s[i - 1].t > 0 && std::fmod(s[i].angle - s[i - 1].angle + 2 * kPi, 2 * kPi) > kPi &&
        s[i - 1].angle >= kPi / 2 && s[i].angle < kPi / 2 + 1e-9 && s[i].angle >= 0 &&
        std::abs(s[i].angle - kPi / 2) < 1e-9)
      ++turns;
  return turns;
}

class Circular : public ::testing::Test {
 protected:
  void SetUp() override { UseLanguage(1); }
};

// ---------------------------------------------------------------- report samples

TEST_F(Circular, ReportTakesOneRevolutionPerDayAtTheRecordInterval) {
  struct Case {
    int interval, records;
    time_t start;
    int revolutions;
    size_t perDay;
  } cases[] = {
      {60, 3 * 1440, At(2026, 3, 1, 0), 3, 1440},   // three days joined at midnight
      {240, 2 * 360, At(2026, 3, 1, 0), 2, 360},
      {60, 1440 * 31, At(2026, 1, 1, 0), 31, 1440},
  };
  for (const Case& c : cases) {
    Recipe r;
    r.channels = 1;
    r.interval = c.interval;
    r.records = c.records;
    r.start = c.start;
    auto f = Recording(r);
    ASSERT_TRUE(f);
    const auto s = ReportSamples(*f, 0, f->GetStartTime(), f->GetEndTime());
    EXPECT_EQ(s.size(), size_t(c.records)) << c.interval;
    EXPECT_EQ(Revolutions(s), c.revolutions) << c.interval;
    // Midnight at the top, then clockwise by one step per sample.
    ASSERT_GT(s.size(), 2u);
    EXPECT_NEAR(s[0].angle, kPi / 2, 1e-9);
    EXPECT_NEAR(std::fmod(s[0].angle - s[1].angle + 2 * kPi, 2 * kPi), 2 * kPi / c.perDay, 1e-9);
  }
}

TEST_F(Circular, PartialDayStartsAtItsTimeOfDayAndSpansOutsideTheFileAreCut) {
  Recipe r;
  r.channels = 1;
  r.interval = 60;
  r.records = 2 * 1440;
  r.start = At(2026, 3, 1, 0);
  auto f = Recording(r);
  ASSERT_TRUE(f);
  struct Case {
    time_t from, to;
    size_t count;
    double firstAngle;
  } cases[] = {
      {At(2026, 3, 1, 6), At(2026, 3, 1, 12), 361, 0.0},                // 06:00 at the right
      {At(2026, 3, 1, 18), At(2026, 3, 1, 18, 30), 31, kPi},            // 18:00 at the left
      {At(2026, 2, 27, 0), At(2026, 3, 1, 0, 9), 10, kPi / 2},          // start before the file
      {At(2026, 3, 2, 23, 50), At(2026, 3, 9, 0), 10, kPi / 2 + 10 * 2 * kPi / 1440},
      {At(2026, 3, 5, 0), At(2026, 3, 6, 0), 0, 0.0},                   // after the file
  };
  for (const Case& c : cases) {
    const auto s = ReportSamples(*f, 0, c.from, c.to);
    EXPECT_EQ(s.size(), c.count) << FormatTime(c.from);
    if (!s.empty()) {
      EXPECT_NEAR(s[0].angle, c.firstAngle, 1e-9) << FormatTime(c.from);
    }
  }
}

TEST_F(Circular, ValuesGrowOutwardsFromTheInnerRing) {
  for (int q : {0, 125, 250}) {
    Recipe r;
    r.channels = 1;
    r.records = 10;
    r.count = [q](int, int) { return q; };
    auto f = Recording(r);
    ASSERT_TRUE(f);
    float percent = 0;
    ASSERT_TRUE(f->GetValue(0, f->GetStartTime(), nullptr, &percent));
    const auto s = ReportSamples(*f, 0, f->GetStartTime(), f->GetEndTime());
    ASSERT_FALSE(s.empty());
    EXPECT_NEAR(s[0].rings, 1 + 10 * percent / 100.0, 1e-6);  // 0 % on the ring of radius s
  }
}

// ---------------------------------------------------------------- dial

TEST_F(Circular, DialPeriodsAndStarts) {
  EXPECT_EQ(DialPeriodHours(0), 8);
  EXPECT_EQ(DialPeriodHours(1), 12);
  EXPECT_EQ(DialPeriodHours(2), 24);
  EXPECT_EQ(DialPeriodHours(200), 24);
  struct Case {
    time_t end, now;
    int hours;
    time_t start;
  } cases[] = {
      {At(2026, 3, 1, 13, 20), At(2026, 3, 1, 13, 21), 8, At(2026, 3, 1, 8)},
      {At(2026, 3, 1, 13, 20), At(2026, 3, 1, 13, 21), 12, At(2026, 3, 1, 12)},
      {At(2026, 3, 1, 13, 20), At(2026, 3, 1, 13, 21), 24, At(2026, 3, 1, 0)},
      // The end lies in an earlier period than the clock's: that period's
      // start on the end's date.
      {At(2026, 2, 27, 9, 30), At(2026, 3, 1, 14), 8, At(2026, 2, 27, 8)},
  };
  for (const Case& c : cases) EXPECT_EQ(DialStart(c.end, c.now, c.hours), c.start) << c.hours;
}

TEST_F(Circular, DialPagesHoldFourChannels) {
  struct Case {
    int channels;
    std::vector<std::vector<int>> pages;
  } cases[] = {{9, {{0, 1, 2, 3}, {4, 5, 6, 7}, {8}}}, {8, {{0, 1, 2, 3}, {4, 5, 6, 7}}}, {1, {{0}}}, {0, {}}};
  for (const Case& c : cases) {
    for (size_t p = 0; p < c.pages.size(); ++p) EXPECT_EQ(DialPageChannels(c.channels, int(p)), c.pages[p]);
    EXPECT_TRUE(DialPageChannels(c.channels, int(c.pages.size())).empty());
  }
}

TEST_F(Circular, DialCurvesRunFromThePeriodStartAndZeroLiesOnTheInnerRing) {
  struct Case {
    int code, interval, q;
    size_t points;
  } cases[] = {{0, 60, 0, 80}, {1, 60, 250, 80}, {2, 240, 125, 20}};
  for (const Case& c : cases) {
    Recipe r;
    r.channels = 1;
    r.interval = c.interval;
    r.start = At(2026, 3, 1, 8, 0);
    r.records = 80 * 60 / c.interval + 1;  // to 09:20
    r.count = [q = c.q](int, int) { return q; };
    auto f = Recording(r);
    ASSERT_TRUE(f);
    f->Head().kindByte = uint8_t(c.code);
    const DialLayout l = DialLayoutOf(1000, 700, 0, 0);
    const auto pts = DialCurve(*f, 0, l, At(2026, 3, 1, 9, 20));
    EXPECT_EQ(pts.size(), c.points) << c.code;
    float percent = 0;
    ASSERT_TRUE(f->GetValue(0, f->GetStartTime(), nullptr, &percent));
    const double w = l.radius / 11.0;
    const double d = std::trunc(10 * percent * 0.01 * w) + std::trunc(w);
    ASSERT_FALSE(pts.empty());
    const double measured = std::hypot(pts[0].x() - l.centre.x(), pts[0].y() - l.centre.y());
    EXPECT_NEAR(measured, d, 1.5) << c.code;
    if (c.q == 0) {
      EXPECT_NEAR(measured, w, 1.5);
    }
  }
}

TEST_F(Circular, LiveRangeViewHasATabPerFourChannelsAndRedrawsEachInterval) {
  Recipe r;
  r.channels = 9;
  r.interval = 5;
  r.records = 100;
  auto f = Recording(r);
  ASSERT_TRUE(f);
  CRRangeView view;
  view.resize(900, 600);
  view.SetRecord(f.get());
  view.show();
  ASSERT_EQ(view.Tabs()->count(), 3);
  EXPECT_EQ(view.Tabs()->tabText(2), lang::Format(61289, 3));
  EXPECT_EQ(view.Dial()->pageCount, 3);
  EXPECT_EQ(view.Timer()->interval(), 5000);
  EXPECT_TRUE(view.Timer()->isActive());
  view.Tabs()->setCurrentIndex(2);
  EXPECT_EQ(view.page, 2);
  EXPECT_EQ(view.Dial()->page, 2);
  // The panel lists channel 9 alone on the third page.
  EXPECT_EQ(DialPageChannels(view.Dial()->chnlCount, view.Dial()->page), std::vector<int>{8});
  EXPECT_FALSE(view.Dial()->Screen().isNull());
  // Record settings of the recording shown, through dialog 149.
  CommandState state;
  ASSERT_TRUE(view.OnUpdateCommand(ID_RECORD_SETTINGS, state));
  EXPECT_TRUE(state.enabled);
  QString opened;
  testenv::OnModal([&](QWidget* w) {
    opened = w->objectName();
    w->close();
  });
  EXPECT_TRUE(view.OnCommand(ID_RECORD_SETTINGS));
  EXPECT_EQ(opened, "149");
}

TEST_F(Circular, PanelShowsValuesOutsideTheirLimitsInRed) {
  struct Case {
    int16_t lo, hi;  // limits 3 and 4, tenths
    bool red;
  } cases[] = {{100, 200, true}, {0, 1000, false}, {500, 100, false}};  // the last: limit 4 not above 3
  for (const Case& c : cases) {
    Recipe r;
    r.channels = 1;
    r.records = 10;
    r.count = [](int, int) { return 250; };  // near the top of 0..100
    auto f = Recording(r);
    ASSERT_TRUE(f);
    f->Head().channels[0].limit3 = {c.lo, 1};
    f->Head().channels[0].limit4 = {c.hi, 1};
    f->Head().channels[0].colour = 0xFF0000;  // a blue swatch: only the text may be red
    const DialLayout l = DialLayoutOf(1200, 700, 0, 0);
    QImage screen(1200, 700, QImage::Format_RGB32);
    DrawDialPanel(screen, *f, l, 0);
    int red = 0;
    for (int y = l.panel.top; y < l.panel.bottom; ++y)
      for (int x = l.panel.left; x < l.panel.right; ++x) {
        const QRgb p = screen.pixel(x, y);
        red += qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
      }
    EXPECT_EQ(red > 20, c.red) << c.lo << ".." << c.hi << ": " << red;
  }
}

// ---------------------------------------------------------------- views and pages

TEST_F(Circular, ChannelWindowsOpenOnceAndAreForgottenWhenAnyCloses) {
  Recipe r;
  r.channels = 3;
  r.records = 500;
  const std::string path = testenv::NewDir("v") + "v.kvd";
  ASSERT_TRUE(MakeRecording(path, r));
  auto view = std::make_unique<CHCView>();
  view->resize(900, 600);
  view->SetRecord(OpenRecording(path).release());
  CommandState st;
  ASSERT_TRUE(view->OnUpdateCommand(ID_CHNL_WINDOW + 1, st));
  EXPECT_TRUE(st.enabled);
  EXPECT_FALSE(st.checked);
  ASSERT_TRUE(view->OnUpdateCommand(ID_CHNL_WINDOW + 3, st));
  EXPECT_FALSE(st.enabled);  // no fourth channel

  ASSERT_TRUE(view->OnCommand(ID_CHNL_WINDOW + 1));
  QWidget* first = view->chnlFrames[1];
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->windowTitle(), QString::fromUtf8("通道2"));
  auto* rv = qobject_cast<CRangeView*>(first);
  ASSERT_NE(rv, nullptr);
  EXPECT_EQ(rv->Report()->Channel(), 1);
  EXPECT_EQ(rv->Report()->SpanStart(), view->file->GetStartTime());
  EXPECT_EQ(rv->Report()->SpanEnd(), view->file->GetEndTime());
  view->OnUpdateCommand(ID_CHNL_WINDOW + 1, st);
  EXPECT_TRUE(st.checked);
  // Twice: the first window again.
  ASSERT_TRUE(view->OnCommand(ID_CHNL_WINDOW + 1));
  EXPECT_EQ(view->chnlFrames[1], first);
  // Another channel, then one closed: the whole table is forgotten.
  ASSERT_TRUE(view->OnCommand(ID_CHNL_WINDOW + 0));
  QWidget* other = view->chnlFrames[0];
  ASSERT_NE(other, nullptr);
  delete other;
  for (int k = 0; k < 64; ++k) {
    EXPECT_EQ(view->chnlFrames[k], nullptr);
    EXPECT_EQ(view->chnlOpen[k], 0);
  }
  ASSERT_TRUE(view->OnCommand(ID_CHNL_WINDOW + 1));
  EXPECT_NE(view->chnlFrames[1], first);
  // The history view goes and takes the windows on its file with it.
  QPointer<QWidget> a(first), b(view->chnlFrames[1]);
  view.reset();
  EXPECT_TRUE(a.isNull());
  EXPECT_TRUE(b.isNull());
}

TEST_F(Circular, SelectionModeGivesTheSelectedSpan) {
  Recipe r;
  r.channels = 2;
  r.records = 500;
  const std::string path = testenv::NewDir("v") + "v.kvd";
  ASSERT_TRUE(MakeRecording(path, r));
  CHCView view;
  view.resize(900, 600);
  view.SetRecord(OpenRecording(path).release());
  view.Chart()->SetSelecting(1);
  view.Chart()->selStart = view.file->GetStartTime() + 100;
  view.Chart()->selEnd = view.file->GetStartTime() + 200;
  view.OnCommand(ID_CHNL_WINDOW);
  auto* rv = qobject_cast<CRangeView*>(view.chnlFrames[0]);
  ASSERT_NE(rv, nullptr);
  EXPECT_EQ(rv->Report()->SpanStart(), view.file->GetStartTime() + 100);
  EXPECT_EQ(rv->Report()->SpanEnd(), view.file->GetStartTime() + 200);
}

TEST_F(Circular, PrintedReportDrawsTheDayAroundTheCentre) {
  const int dpi = 100;
  Recipe r;
  r.channels = 1;
  r.interval = 60;
  r.records = 1440;
  r.start = At(2026, 3, 1, 0);
  r.count = [](int, int) { return 125; };
  auto f = Recording(r);
  ASSERT_TRUE(f);
  float percent = 0;
  ASSERT_TRUE(f->GetValue(0, f->GetStartTime(), nullptr, &percent));
  const std::string pdf = testenv::NewDir("pdf") + "report.pdf";
  QString error;
  ASSERT_TRUE(PrintPagesToPdf(pdf, ReportPages(f.get(), 0, f->GetStartTime(), f->GetEndTime()), "A4", false, 600,
                              "r", &error))
      << error.toStdString();
  ASSERT_EQ(PdfPageCount(pdf), 1);
  const QImage img = RenderPdf(pdf, dpi)[0];
  ASSERT_FALSE(img.isNull());
  const QRect area = PaintRectAt(600), px = PaintRectAt(dpi);
  const double R = std::min(area.width(), area.height()) * 12.0 / 26.0, s = R / 11;
  const double radius = (1 + 10 * percent / 100.0) * s * dpi / 600.0;
  const QPointF c(px.left() + area.width() / 2.0 * dpi / 600.0, px.top() + area.height() / 2.0 * dpi / 600.0);
  for (int hour : {1, 5, 9, 14, 19, 22}) {
    const double a = kPi / 2 - hour * 2 * kPi / 24;
    const QPoint on(int(c.x() + radius * std::cos(a)), int(c.y() - radius * std::sin(a)));
    EXPECT_TRUE(ColourNear(img, on.x(), on.y(), qRgb(255, 0, 0), 2)) << hour;
    const QPoint off(int(c.x() + 0.7 * radius * std::cos(a)), int(c.y() - 0.7 * radius * std::sin(a)));
    EXPECT_FALSE(ColourNear(img, off.x(), off.y(), qRgb(255, 0, 0), 2)) << hour;
  }
  // Labels and the signature block, as a reader finds them.
  std::string text;
  for (char ch : Shell("pdftotext -raw '" + pdf + "' - 2>/dev/null"))
    if (ch != ' ' && ch != '\n') text += ch;
  for (const char* want : {"0.00", "10.00", "50.00", "90.00", "100.00", "操作者:", "打印时间:", "通道1", "23"})
    EXPECT_NE(text.find(want), std::string::npos) << want;
}

TEST_F(Circular, PrintedReportHasASignatureLineAndLabelsApart) {
  // A range whose labels are wide ("1200.00"): ring labels, and the outermost
  // one beside the hour label "6", would run into each other.
  const int dpi = 150;
  Recipe r;
  r.channels = 1;
  r.interval = 60;
  r.records = 600;
  auto f = Recording(r);
  ASSERT_TRUE(f);
  f->Head().channels[0].rangeHigh = {12000, 1};
  ASSERT_TRUE(f->PutHead());
  for (int language : {0, 1}) {
    UseLanguage(language);
    const std::string pdf = testenv::NewDir("pdf") + "sign.pdf";
    QString error;
    ASSERT_TRUE(PrintPagesToPdf(pdf, ReportPages(f.get(), 0, f->GetStartTime(), f->GetEndTime()), "A4", false,
                                600, "r", &error))
        << error.toStdString();
    // The numbers around and across the chart: hour and ring labels.
    std::vector<PdfWord> words;
    for (const PdfWord& w : PdfWords(pdf))
      if (w.text.find_first_not_of("0123456789.") == std::string::npos) words.push_back(w);
    const std::vector<std::string> overlaps = OverlappingWords(words, 1);
    EXPECT_TRUE(overlaps.empty()) << overlaps.front();
    int rings = 0;
    for (const PdfWord& w : words) rings += w.text.size() > 3 && w.text.compare(w.text.size() - 3, 3, ".00") == 0;
    EXPECT_GE(rings, 6) << "most ring labels stay";

    // The signature line: a long dark run along the first text column at the
    // right edge, below the words "操 作 者:".
    const QImage img = RenderPdf(pdf, dpi)[0];
    ASSERT_FALSE(img.isNull());
    const QRect area = PaintRectAt(600), px = PaintRectAt(dpi);
    const int W = area.width(), H = area.height();
    const int first = W - W / 40, font = std::min(W, H) * 12 / 416;
    int longest = 0;
    for (int x600 = first - font * 3 / 2; x600 <= first; x600 += 600 / dpi) {
      const int x = px.left() + x600 * dpi / 600;
      int run = 0;
      for (int y = px.top() + H / 16 * dpi / 600; y < px.top() + H * dpi / 600 / 2; ++y) {
        run = IsDark(img.pixel(x, y)) ? run + 1 : 0;
        longest = std::max(longest, run);
      }
    }
    EXPECT_GT(longest, font * 4 * dpi / 600) << "language " << language;
  }
}

TEST_F(Circular, PreviewPlaysTheChineseTextBlockBackAsPrinted) {
  // The print preview records each page and plays it back; the turned
  // Chinese texts must come back as they were drawn, glyph for glyph.
  UseLanguage(0);
  Recipe r;
  r.channels = 2;
  r.records = 600;
  auto f = Recording(r);
  ASSERT_TRUE(f);
  const int W = 3300, H = 2300;  // an A4 page at 300 dpi
  const time_t now = f->GetEndTime();
  auto draw = [&](QPainter& p) { DrawReportPage(p, *f, 1, f->GetStartTime(), f->GetEndTime(), W, H, now); };
  QPicture recorded;
  {
    QPainter p(&recorded);
    draw(p);
  }
  QImage direct(W / 2, H / 2, QImage::Format_RGB32), played(W / 2, H / 2, QImage::Format_RGB32);
  for (QImage* img : {&direct, &played}) {
    img->fill(Qt::white);
    QPainter p(img);
    p.scale(0.5, 0.5);
    if (img == &direct)
      draw(p);
    else
      p.drawPicture(0, 0, recorded);
  }
  // The text block along the right edge: the same ink in the same places,
  // give or take a pixel.
  auto darkNear = [](const QImage& img, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx)
        if (img.rect().contains(x + dx, y + dy) && IsDark(img.pixel(x + dx, y + dy))) return true;
    return false;
  };
  int differ = 0, ink = 0;
  for (int y = 0; y < H / 2; ++y)
    for (int x = W / 2 - W / 16; x < W / 2; ++x) {
      const bool a = IsDark(direct.pixel(x, y)), b = IsDark(played.pixel(x, y));
      ink += a;
      differ += (a && !darkNear(played, x, y)) || (b && !darkNear(direct, x, y));
    }
  ASSERT_GT(ink, 1000);
  EXPECT_LT(differ, ink / 10) << differ << " of " << ink;
}

TEST_F(Circular, RangeViewPrintsOneLandscapePageWithoutAPrinter) {
  if (!QPrinterInfo::availablePrinters().isEmpty()) GTEST_SKIP() << "a printer is installed";
  Recipe r;
  r.channels = 2;
  r.records = 2000;
  auto f = Recording(r);
  ASSERT_TRUE(f);
  testenv::TestHost host;
  CRangeView view(host);
  view.SetRecord(f.get());
  view.SetSpan(f->GetStartTime(), f->GetEndTime());
  view.SetChannel(1);
  const std::string pdf = testenv::NewDir("p") + "chnl.pdf";
  host.pdfPath = [&] { return QString::fromStdString(pdf); };
  int asked = 0;
  SetMsgBoxAnswerer([&](const MsgBoxRequest& m) {
    if (m.buttons & QMessageBox::Yes) ++asked;  // the question; then where the file went
    return m.buttons & QMessageBox::Yes ? QMessageBox::Yes : QMessageBox::Ok;
  });
  for (int id : {ID_LIST_PRINT, ID_FILE_PRINT}) {
    ASSERT_TRUE(view.OnCommand(id));
    EXPECT_EQ(PdfPageCount(pdf), 1);
    const std::string info = Shell("pdfinfo '" + pdf + "' 2>/dev/null");
    EXPECT_NE(info.find("842 x 595 pts"), std::string::npos) << info;  // A4 landscape
  }
  EXPECT_EQ(asked, 2);
  SetMsgBoxAnswerer(nullptr);
}

TEST_F(Circular, RectoolPrintsTheCircularReport) {
  Recipe r;
  r.channels = 3;
  r.interval = 60;
  r.records = 3000;
  const std::string path = testenv::NewDir("t") + "t.kvd";
  ASSERT_TRUE(MakeRecording(path, r));
  auto f = OpenRecording(path);
  const std::string out = testenv::NewDir("o") + "c.pdf";
  const std::string bin = std::string(RECVIEW_BIN_DIR) + "/rectool print '" + path + "' --out '" + out + "' ";
  struct Case {
    std::string args;
    int code;
  } cases[] = {
      {"--circular 2", 0},
      {"--circular 3 --from '" + FormatTime(f->GetStartTime() + 600) + "' --to '" + FormatTime(f->GetEndTime()) + "'", 0},
      {"--circular 4", 1},   // no such channel
      {"--circular 0", 2},
      {"--circular 1 --window '" + FormatTime(f->GetStartTime()) + "' '" + FormatTime(f->GetEndTime()) + "'", 2},
      {"--circular 1 --from '" + FormatTime(f->GetEndTime()) + "' --to '" + FormatTime(f->GetStartTime()) + "'", 1},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(testenv::WriteFile(out, "keep"));
    int code = -1;
    const std::string said = Shell(bin + c.args + " 2>&1", &code);
    EXPECT_EQ(code, c.code) << c.args << "\n" << said;
    if (c.code == 0) {
      EXPECT_EQ(PdfPageCount(out), 1) << c.args;
    } else {
      EXPECT_EQ(testenv::ReadFile(out), "keep") << c.args;
    }
  }
}

}  // namespace

