// The defaults window, driven offscreen through its controls.
#include <gtest/gtest.h>

#include <QColorDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

#include <cstdio>

#include "common/modal.h"
#include "common/testenv.h"
#include "platform/profile.h"
#include "viewcfg/viewdef.h"
#include "viewcfg/viewdlg.h"

namespace {

using namespace viewcfg;

std::string IniPath() { return testenv::Home() + "XViewDef.ini"; }

template <class T>
T* Ctl(QWidget* dlg, int id) {
  T* w = dlg->findChild<T*>(QString::number(id));
  EXPECT_TRUE(w) << "control " << id;
  return w;
}
QLineEdit* Edit(QWidget* dlg, int id) { return Ctl<QLineEdit>(dlg, id); }
CColorButton* ColorBtn(QWidget* dlg, int id) { return Ctl<CColorButton>(dlg, id); }

struct Refusal {
  QString caption, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Presses OK expecting a refusal: returns the message; the window stays open.
Refusal OkRefused(QDialog* dlg) {
  Refusal r;
  testenv::OnModal(
      [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_TRUE(box);
        r = {box->windowTitle(), box->text(), box->icon()};
        box->accept();
      },
      dlg);
  Ctl<QPushButton>(dlg, IDC_VIEW_OK)->click();
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(dlg->result(), 0);
  return r;
}

// Clicks a colour button and answers the picker with colour (or cancels it
// when colour is invalid).
void PickColor(QWidget* owner, CColorButton* button, QColor colour) {
  testenv::OnModal(
      [&](QWidget* w) {
        auto* picker = qobject_cast<QColorDialog*>(w);
        ASSERT_TRUE(picker);
        EXPECT_EQ(ToColorRef(picker->currentColor()), button->Color());  // preset to its colour
        if (colour.isValid()) {
          picker->setCurrentColor(colour);
          picker->accept();
        } else {
          picker->reject();
        }
      },
      owner);
  button->click();
}

class ViewWindow : public ::testing::Test {
 protected:
  void SetUp() override { std::remove(IniPath().c_str()); }
  int Show(int language, std::function<void(QWidget*)> act) {
    testenv::OnModal(std::move(act));
    return CXViewDef().ShowXWnd(language);
  }
};

TEST_F(ViewWindow, ShowsTheDefaultsWithTheTextsOfEachLanguage) {
  struct Lang {
    int language;
    const char* title;
    QStringList groups, radios, labels, buttons;
  } langs[] = {
      {0, "缺省显示参数设置",
       {"X 轴显示方式", "Y 轴显示方式", "栅格显示", "缺省通道颜色"},
       {"短时间", "长时间", "百分比", "数值"},
       {"范围：", "栅格数：", "背景色：", "栅格色：",
        "    定义缺省8种通道颜色，若通道数多于8个，则循环显示。", "颜色1：", "颜色8："},
       {"恢复缺省值", "确定", "取消"}},
      {1, "Dialog",
       {"X axis display mode", "Y axis display mode", "Grid display", "Default Color"},
       {"short time", "long time", "percent", "value"},
       {"Range:", "Grid num:", "Background color:", "Grid color:",
        "   Channels cycle using the 8 colors below.", "Color 1:", "Color 8:"},
       {"Default", "OK", "Cancel"}},
  };
  _tagViewDef v;
  Defaults(&v);
  v.XMode = 1;
  v.YLow = -2.5f;
  v.YHi = 250;
  v.XGrids = 12;
  v.YGrids = 8;
  v.ClrBK = 0x102030;
  for (const Lang& l : langs) {
    SCOPED_TRACE(l.language);
    CViewDlg dlg(l.language, v);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8(l.title));
    QStringList groups, labels;
    for (auto* g : dlg.findChildren<QGroupBox*>()) groups << g->title();
    for (auto* t : dlg.findChildren<QLabel*>()) labels << t->text();
    for (const QString& g : l.groups) EXPECT_TRUE(groups.contains(g)) << g.toStdString();
    for (const QString& t : l.labels) EXPECT_TRUE(labels.contains(t)) << t.toStdString();
    const int radios[4] = {IDC_XMODE_SHORT, IDC_XMODE_LONG, IDC_YMODE_PERCENT, IDC_YMODE_VALUE};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Ctl<QRadioButton>(&dlg, radios[i])->text(), l.radios[i]);
    const int buttons[3] = {IDC_DEFAULT, IDC_VIEW_OK, IDC_VIEW_CANCEL};
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Ctl<QPushButton>(&dlg, buttons[i])->text(), l.buttons[i]);

    EXPECT_TRUE(Ctl<QRadioButton>(&dlg, IDC_XMODE_LONG)->isChecked());
    EXPECT_TRUE(Ctl<QRadioButton>(&dlg, IDC_YMODE_PERCENT)->isChecked());
    EXPECT_EQ(Edit(&dlg, IDC_YLOW)->text(), "-2.5");
    EXPECT_EQ(Edit(&dlg, IDC_YHI)->text(), "250");
    EXPECT_EQ(Edit(&dlg, IDC_XGRIDS)->text(), "12");
    EXPECT_EQ(Edit(&dlg, IDC_YGRIDS)->text(), "8");
    EXPECT_EQ(ColorBtn(&dlg, IDC_CLRBK)->Color(), 0x102030u);
    EXPECT_EQ(ColorBtn(&dlg, IDC_CLRGRID)->Color(), 0x408000u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ColorBtn(&dlg, IDC_CLRCHNL1 + i)->Color(), v.clrChnl[i]);
  }
}

TEST_F(ViewWindow, OtherLanguagesShowNothingAndCancelWritesNothing) {
  EXPECT_EQ(CXViewDef().ShowXWnd(2), 0);
  EXPECT_EQ(CXViewDef().ShowXWnd(-1), 0);
  for (int language : {0, 1}) {
    EXPECT_EQ(Show(language,
                   [](QWidget* w) {
                     Edit(w, IDC_XGRIDS)->setText("20");
                     Ctl<QPushButton>(w, IDC_VIEW_CANCEL)->click();
                   }),
              0);
  }
  EXPECT_EQ(testenv::ReadFile(IniPath()), "");
}

TEST_F(ViewWindow, OkStoresTheEditedDefaultsWithGridCountsLimited) {
  for (int language : {0, 1}) {
    SCOPED_TRACE(language);
    EXPECT_EQ(Show(language,
                   [](QWidget* w) {
                     Ctl<QRadioButton>(w, IDC_XMODE_LONG)->click();
                     Ctl<QRadioButton>(w, IDC_YMODE_VALUE)->click();
                     Edit(w, IDC_YLOW)->setText("-40");
                     Edit(w, IDC_YHI)->setText("125.25");
                     Edit(w, IDC_XGRIDS)->setText("60");
                     Edit(w, IDC_YGRIDS)->setText("-3");
                     Ctl<QPushButton>(w, IDC_VIEW_OK)->click();
                   }),
              1);
    const std::string f = IniPath();
    EXPECT_EQ(platform::GetPrivateProfileString("ViewDef", "XMode", "", f), "1");
    EXPECT_EQ(platform::GetPrivateProfileString("ViewDef", "YMode", "", f), "1");
    EXPECT_EQ(platform::GetPrivateProfileString("ViewDef", "YLow", "", f), "-40.000");
    EXPECT_EQ(platform::GetPrivateProfileString("ViewDef", "YHi", "", f), "125.250");
    EXPECT_EQ(platform::GetPrivateProfileString("ViewDef", "XGrids", "", f), "50");
    EXPECT_EQ(platform::GetPrivateProfileString("ViewDef", "YGrids", "", f), "0");
    std::remove(f.c_str());
  }
}

TEST_F(ViewWindow, RefusesPercentRangesBeyond0To100AndEmptyRanges) {
  _tagViewDef v;
  Defaults(&v);
  {
    CViewDlg dlg(1, v);
    dlg.show();
    Edit(&dlg, IDC_YLOW)->setText("-1");
    Refusal r = OkRefused(&dlg);
    EXPECT_EQ(r.text, QString::fromUtf8("Range of percent display ：0 - 100"));
    EXPECT_EQ(r.caption, "Information...");
    EXPECT_EQ(r.icon, QMessageBox::Critical);
    // The same range in value mode is taken (choosing the mode starts it at 0 - 100).
    Ctl<QRadioButton>(&dlg, IDC_YMODE_VALUE)->click();
    EXPECT_EQ(Edit(&dlg, IDC_YLOW)->text(), "0");
    EXPECT_EQ(Edit(&dlg, IDC_YHI)->text(), "100");
    Edit(&dlg, IDC_YLOW)->setText("-1");
    Ctl<QPushButton>(&dlg, IDC_VIEW_OK)->click();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.View().YLow, -1.0f);
    EXPECT_EQ(dlg.View().YMode, 1);
  }
  struct Case {
    int language;
    int yMode;
    const char *low, *high, *message;
  } cases[] = {
      {0, 0, "0", "100.5", "百分比模式显示范围：0 - 100"},
      {0, 1, "5", "5", "Y轴显示范围设置错误！"},
      {1, 0, "60", "50", "Error about Y axis time range!"},
      {1, 1, "x", "5", "Please enter a number."},
      {0, 1, "1", "", "请输入一个数字。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    v.YMode = static_cast<uint8_t>(c.yMode);
    CViewDlg dlg(c.language, v);
    dlg.show();
    Edit(&dlg, IDC_YLOW)->setText(c.low);
    Edit(&dlg, IDC_YHI)->setText(c.high);
    Refusal r = OkRefused(&dlg);
    EXPECT_EQ(r.text, QString::fromUtf8(c.message));
    EXPECT_EQ(r.caption, QString::fromUtf8(c.language == 0 ? "提示..." : "Information..."));
    dlg.reject();
  }
  CViewDlg dlg(0, v);
  dlg.show();
  Edit(&dlg, IDC_YGRIDS)->setText("ten");
  EXPECT_EQ(OkRefused(&dlg).text, QString::fromUtf8("请输入一个整数。"));
}

TEST_F(ViewWindow, DefaultRestoresEveryField) {
  _tagViewDef v;
  Defaults(&v);
  v.XMode = v.YMode = 1;
  v.YLow = 5;
  v.YHi = 6;
  v.XGrids = v.YGrids = 3;
  v.ClrBK = v.ClrGrid = 0x111111;
  for (uint32_t& c : v.clrChnl) c = 0x222222;
  CViewDlg dlg(0, v);
  Ctl<QPushButton>(&dlg, IDC_DEFAULT)->click();
  Ctl<QPushButton>(&dlg, IDC_VIEW_OK)->click();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  _tagViewDef d;
  Defaults(&d);
  const _tagViewDef& got = dlg.View();
  EXPECT_EQ(got.XMode, d.XMode);
  EXPECT_EQ(got.YMode, d.YMode);
  EXPECT_EQ(got.YLow, d.YLow);
  EXPECT_EQ(got.YHi, d.YHi);
  EXPECT_EQ(got.XGrids, d.XGrids);
  EXPECT_EQ(got.YGrids, d.YGrids);
  EXPECT_EQ(got.ClrBK, d.ClrBK);
  EXPECT_EQ(got.ClrGrid, d.ClrGrid);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(got.clrChnl[i], d.clrChnl[i]);
}

TEST_F(ViewWindow, ColourButtonsShowTheirColourAndTakeThePickedOne) {
  CColorButton fresh;
  EXPECT_EQ(fresh.Color(), 255u);  // red until set

  _tagViewDef v;
  Defaults(&v);
  CViewDlg dlg(1, v);
  dlg.show();
  CColorButton* b = ColorBtn(&dlg, IDC_CLRCHNL1 + 2);
  QImage img = b->grab().toImage();
  ASSERT_GE(img.width(), 10);
  EXPECT_EQ(img.pixelColor(img.width() / 2, img.height() / 2), QColor(0, 0, 255));  // 0xFF0000: blue
  EXPECT_EQ(img.pixelColor(2, 2), QColor(0, 0, 255));
  EXPECT_EQ(img.pixelColor(1, img.height() / 2), QColor(Qt::black));  // the outline
  EXPECT_EQ(img.pixelColor(img.width() - 2, 1), QColor(Qt::black));
  b->setDown(true);
  img = b->grab().toImage();
  EXPECT_EQ(img.pixelColor(0, 0), b->palette().color(QPalette::Button));
  b->setDown(false);

  PickColor(&dlg, b, QColor());  // cancelled: unchanged
  EXPECT_EQ(b->Color(), 0xFF0000u);
  PickColor(&dlg, b, QColor(1, 2, 3));
  EXPECT_EQ(b->Color(), 0x030201u);
  img = b->grab().toImage();
  EXPECT_EQ(img.pixelColor(img.width() / 2, img.height() / 2), QColor(1, 2, 3));
}

TEST_F(ViewWindow, AChosenGridColourIsStoredAndTakesEffect) {
  Show(0, [](QWidget* w) {
    PickColor(w, ColorBtn(w, IDC_CLRGRID), QColor(0x12, 0x34, 0x56));
    PickColor(w, ColorBtn(w, IDC_CLRBK), QColor(0x20, 0x20, 0x20));
    Ctl<QPushButton>(w, IDC_VIEW_OK)->click();
  });
  EXPECT_EQ(platform::GetPrivateProfileInt("ViewDef", "ClrRGrid", -1, IniPath()), 0x563412);
  EXPECT_EQ(platform::GetPrivateProfileInt("ViewDef", "ClrGrid", -1, IniPath()), 0x563412);
  _tagViewDef v;
  CXViewDef().GetView(&v);
  EXPECT_EQ(v.ClrGrid, 0x563412u);
  EXPECT_EQ(v.ClrBK, 0x202020u);
}

TEST_F(ViewWindow, AFailedSaveIsReportedAndTheWindowStaysOpen) {
  _tagViewDef v;
  Defaults(&v);
  CViewDlg dlg(0, v);
  bool fail = true;
  dlg.SetSaver([&](_tagViewDef*) { return !fail; }, "/nowhere/XViewDef.ini");
  dlg.show();
  const Refusal r = OkRefused(&dlg);
  EXPECT_TRUE(r.text.startsWith(QString::fromUtf8("无法将缺省显示参数保存到 /nowhere/XViewDef.ini。")))
      << r.text.toStdString();
  fail = false;
  Ctl<QPushButton>(&dlg, IDC_VIEW_OK)->click();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

}  // namespace
