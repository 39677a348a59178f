// The record-settings dialog: refusals, clamps, channel switching, the view
// defaults, typing limits, colour buttons, and the header it leaves in the
// file, through the curve view's command.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "charts/bufferdc.h"
#include "charts/chartfile.h"
#include "common/modal.h"
#include "common/testenv.h"
#include "data/cxfile.h"
#include "platform/gbk.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "tables/colorbutton.h"
#include "tables/recordsettingsdlg.h"
#include "viewcfg/viewdef.h"
#include "common/testhost.h"
#include "views/hcview.h"

using tables::CRecordSettingsDlg;

namespace {

template <class W>
W* Ctl(QWidget* parent, int id) {
  W* w = parent->findChild<W*>(QString::number(id));
  EXPECT_NE(w, nullptr) << id;
  return w;
}
QLineEdit* Edit(QWidget* dlg, int id) { return Ctl<QLineEdit>(dlg, id); }

// Types text as a user does: Latin letters as key presses, Chinese characters
// as an input method commits them, one at a time.
void Type(QLineEdit* edit, const QString& text) {
  for (QChar c : text) {
    if (c.unicode() < 0x80) {
      QTest::keyClicks(edit, QString(c));
    } else {
      QInputMethodEvent commit;
      commit.setCommitString(QString(c));
      QApplication::sendEvent(edit, &commit);
    }
  }
}

class RecordSettings : public ::testing::Test {
 protected:
  void SetUp() override {
    charttest::UseLanguage(1);
    SetMsgBoxAnswerer([this](const MsgBoxRequest& r) {
      messages_.push_back(r.text);
      return QMessageBox::Ok;
    });
    path_ = testenv::NewDir("rs") + "r.kvd";
    charttest::Recipe r;
    r.channels = 4;
    r.records = 20;
    ASSERT_TRUE(charttest::MakeRecording(path_, r));
    file_ = charttest::OpenRecording(path_);
    ASSERT_TRUE(file_);
  }
  void TearDown() override { SetMsgBoxAnswerer(nullptr); }

  std::string path_;
  std::unique_ptr<CXFile> file_;
  std::vector<QString> messages_;
};

TEST_F(RecordSettings, YRangeRefusalsByMode) {
  struct Case {
    int yMode;
    const char* low;
    const char* high;
    int refusal;  // 0: accepted
  } cases[] = {
      {1, "-50", "500", 0},     {0, "-50", "500", 61270}, {0, "0", "100", 0},
      {0, "-0.5", "50", 61270}, {0, "0", "100.5", 61270}, {0, "10", "10", 61271},
      {1, "5", "5", 61271},     {1, "6", "5", 61271},     {1, "-1e3", "2,5", 0},
  };
  for (const Case& c : cases) {
    messages_.clear();
    CRecordSettingsDlg dlg(file_.get());
    Ctl<QRadioButton>(&dlg, 1008 + c.yMode)->setChecked(true);
    Edit(&dlg, 1010)->setText(c.low);
    Edit(&dlg, 1011)->setText(c.high);
    const float lowBefore = file_->Head().yLow;
    dlg.accept();
    SCOPED_TRACE(std::string(c.low) + " .. " + c.high + " mode " + std::to_string(c.yMode));
    if (c.refusal) {
      ASSERT_EQ(messages_.size(), 1u);
      EXPECT_EQ(messages_[0], lang::String(c.refusal));
      EXPECT_NE(dlg.result(), QDialog::Accepted);
      EXPECT_EQ(file_->Head().yLow, lowBefore);
    } else {
      EXPECT_TRUE(messages_.empty());
      EXPECT_EQ(dlg.result(), QDialog::Accepted);
      EXPECT_EQ(file_->Head().yMode, c.yMode);
      EXPECT_FLOAT_EQ(file_->Head().yLow, QString(c.low).replace(',', '.').toFloat());
      EXPECT_FLOAT_EQ(file_->Head().yHigh, QString(c.high).replace(',', '.').toFloat());
    }
  }
}

TEST_F(RecordSettings, GridCountsAreKeptWithinOneToHundred) {
  const int cases[][2] = {{0, 1}, {250, 100}, {1, 1}, {100, 100}, {37, 37}, {101, 100}};
  for (const auto& c : cases) {
    CRecordSettingsDlg dlg(file_.get());
    Edit(&dlg, 1012)->setText(QString::number(c[0]));
    Edit(&dlg, 1013)->setText(QString::number(c[0]));
    dlg.accept();
    EXPECT_EQ(file_->Head().xGrids, c[1]) << c[0];
    EXPECT_EQ(file_->Head().yGrids, c[1]) << c[0];
  }
  // Entries that are no whole number are refused with a message.
  for (const char* bad : {"", "abc"}) {
    messages_.clear();
    CRecordSettingsDlg dlg(file_.get());
    Edit(&dlg, 1012)->setText(bad);
    dlg.accept();
    EXPECT_NE(dlg.result(), QDialog::Accepted) << bad;
    ASSERT_EQ(messages_.size(), 1u) << bad;
    EXPECT_EQ(messages_[0], lang::Format(62751, 0, 65535));
  }
}

TEST_F(RecordSettings, ChannelSwitchingWrapsAndKeepsEdits) {
  CRecordSettingsDlg dlg(file_.get());
  QLabel* label = Ctl<QLabel>(&dlg, 1043);
  EXPECT_EQ(label->text(), lang::Format(61269, 1));
  // Previous from the first shows the last; next from the last the first.
  EXPECT_TRUE(dlg.PrevChannel());
  EXPECT_EQ(dlg.Channel(), 3);
  EXPECT_EQ(label->text(), lang::Format(61269, 4));
  Edit(&dlg, 1017)->setText("Last");
  Ctl<QPushButton>(&dlg, 1037)->click();
  EXPECT_EQ(dlg.Channel(), 0);
  EXPECT_EQ(label->text(), lang::Format(61269, 1));
  EXPECT_EQ(Edit(&dlg, 1017)->text(), QString::fromStdString(DefaultChnlName(1)));
  Ctl<QPushButton>(&dlg, 1038)->click();
  EXPECT_EQ(Edit(&dlg, 1017)->text(), "Last");
  // An invalid pen width keeps the channel and says why.
  Edit(&dlg, 1049)->setText("");
  EXPECT_FALSE(dlg.NextChannel());
  EXPECT_EQ(dlg.Channel(), 3);
  EXPECT_EQ(messages_.size(), 1u);
}

TEST_F(RecordSettings, RangeAndLimitsAreShownOnlyAndNeverStored) {
  CRecordSettingsDlg dlg(file_.get());
  const int ids[] = {1022, 1023, 1028, 1029, 1026, 1027, 1030};
  EXPECT_EQ(Edit(&dlg, 1022)->text(), "0.0");
  EXPECT_EQ(Edit(&dlg, 1023)->text(), "100.0");
  for (int id : ids) {
    EXPECT_TRUE(Edit(&dlg, id)->isReadOnly()) << id;
    Edit(&dlg, id)->setText("999");
  }
  const _tagChnlDef before = file_->Head().channels[0];
  dlg.accept();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  const _tagChnlDef& after = file_->Head().channels[0];
  EXPECT_EQ(after.rangeLow.number, before.rangeLow.number);
  EXPECT_EQ(after.rangeHigh.number, before.rangeHigh.number);
  EXPECT_EQ(after.limit3.number, before.limit3.number);
  EXPECT_EQ(after.limit4.number, before.limit4.number);
  EXPECT_FLOAT_EQ(file_->GetRangeHigh(0), 100.0f);
}

TEST_F(RecordSettings, ReadOnlyTextsOfTheFile) {
  CRecordSettingsDlg dlg(file_.get());
  EXPECT_EQ(Ctl<QLabel>(&dlg, 1039)->text(), QString::fromStdString(path_));
  EXPECT_EQ(Ctl<QLabel>(&dlg, 1042)->text(), "1 S");
  const time_t t0 = file_->GetStartTime();
  EXPECT_EQ(Ctl<QLabel>(&dlg, 1041)->text(),
            QString::fromStdString(FormatTime(t0) + " => " + FormatTime(t0 + 19)));
  EXPECT_EQ(Edit(&dlg, 1040)->text(), "Boiler");
  // Unit choices and the circular period choices come from the package.
  EXPECT_GT(Ctl<QComboBox>(&dlg, 1025)->count(), 5);
  EXPECT_EQ(Ctl<QComboBox>(&dlg, 1124)->count(), 3);
  EXPECT_EQ(Ctl<QComboBox>(&dlg, 1124)->itemText(0), lang::String(62731).section('|', 0, 0));
}

TEST_F(RecordSettings, ModeButtonsStartTheAxisAtZeroToHundred) {
  for (int id : {1008, 1009}) {
    CRecordSettingsDlg dlg(file_.get());
    Edit(&dlg, 1010)->setText("-7");
    Edit(&dlg, 1011)->setText("700");
    Ctl<QRadioButton>(&dlg, id)->click();
    EXPECT_EQ(Edit(&dlg, 1010)->text(), "0") << id;
    EXPECT_EQ(Edit(&dlg, 1011)->text(), "100") << id;
  }
}

TEST_F(RecordSettings, TypingStopsAtTheByteLimitOfEachField) {
  CRecordSettingsDlg dlg(file_.get());
  dlg.show();
  struct Case {
    QLineEdit* edit;
    int bytes;
  } cases[] = {{Edit(&dlg, 1040), 30},
               {Edit(&dlg, 1017), 31},
               {Ctl<QComboBox>(&dlg, 1025)->lineEdit(), 15},
               {Edit(&dlg, 1035), 15}};
  for (const Case& c : cases) {
    // Two-byte characters: the one that would be cut in half is refused, a
    // one-byte character still fits after it when the limit is odd.
    c.edit->clear();
    Type(c.edit, QString("温度").repeated(10));
    EXPECT_EQ(tables::GbkBytes(c.edit->text()), c.bytes / 2 * 2) << c.bytes;
    Type(c.edit, "xyz");
    EXPECT_EQ(tables::GbkBytes(c.edit->text()), c.bytes) << c.bytes;
    EXPECT_TRUE(c.edit->text().startsWith("温度温度"));
    // Typing in the middle drops what was typed there, not the end.
    c.edit->setText("ab");
    c.edit->setCursorPosition(1);
    Type(c.edit, QString("-").repeated(40));
    EXPECT_EQ(c.edit->text(), "a" + QString("-").repeated(c.bytes - 2) + "b");
  }
  // What was typed is what is stored, but OK keeps 30 bytes of the name shown.
  Edit(&dlg, 1040)->setText(QString("温").repeated(15));
  Edit(&dlg, 1017)->setText(QString("度").repeated(15) + "1");
  dlg.accept();
  EXPECT_EQ(file_->GetTitle(), QString("温").repeated(15).toStdString());
  EXPECT_EQ(file_->GetChnlName(0), QString("度").repeated(15).toStdString());
}

TEST_F(RecordSettings, LongTextsSetWithoutTypingAreCutAtCharacterBoundaries) {
  CRecordSettingsDlg dlg(file_.get());
  Edit(&dlg, 1040)->setText(QString("温").repeated(20));
  Edit(&dlg, 1017)->setText("a" + QString("度").repeated(20));
  Ctl<QComboBox>(&dlg, 1025)->setEditText(QString("℃").repeated(10));
  Edit(&dlg, 1035)->setText(QString("x").repeated(20));
  dlg.accept();
  const _tagDataHead& h = file_->Head();
  EXPECT_EQ(file_->GetTitle(), QString("温").repeated(15).toStdString());
  EXPECT_EQ(file_->GetChnlName(0), ("a" + QString("度").repeated(14)).toStdString());
  EXPECT_EQ(file_->GetChnlUnit(0), QString("℃").repeated(7).toStdString());
  EXPECT_EQ(GbkField(h.channels[0].spare), std::string(15, 'x'));
  EXPECT_EQ(h.title[30], 0);
  EXPECT_EQ(h.title[31], 0);
  EXPECT_EQ(h.channels[0].unit[15], 0);
}

TEST_F(RecordSettings, DefaultsButtonTakesTheViewDefaults) {
  _tagViewDef v{};
  viewcfg::Defaults(&v);
  v.XMode = 1;
  v.YMode = 0;
  v.YLow = 5;
  v.YHi = 95;
  v.XGrids = 7;
  v.YGrids = 9;
  v.ClrBK = 0x112233;
  v.ClrGrid = 0x445566;
  for (int i = 0; i < 8; ++i) v.clrChnl[i] = 0x010101u * uint32_t(i + 1);
  ASSERT_TRUE(CXViewDef().SetView(&v));
  for (int ch = 0; ch < 4; ++ch) file_->Head().channels[ch].shown = 0;
  file_->Head().gridShown = 0;

  CRecordSettingsDlg dlg(file_.get());
  Edit(&dlg, 1017)->setText("typed");
  Ctl<QPushButton>(&dlg, 1031)->click();
  EXPECT_TRUE(Ctl<QCheckBox>(&dlg, 1016)->isChecked());
  EXPECT_TRUE(Ctl<QCheckBox>(&dlg, 1032)->isChecked());
  EXPECT_EQ(Ctl<tables::CColorButton>(&dlg, 1024)->GetColor(), 0x010101u);
  EXPECT_EQ(Edit(&dlg, 1017)->text(), "typed");
  dlg.accept();
  ASSERT_EQ(dlg.result(), QDialog::Accepted);
  const _tagDataHead& h = file_->Head();
  EXPECT_EQ(h.gridShown, 1);
  EXPECT_EQ(h.clrBack, 0x112233u);
  EXPECT_EQ(h.clrGrid, 0x445566u);
  EXPECT_EQ(h.xMode, 1);
  EXPECT_EQ(h.yMode, 0);
  EXPECT_FLOAT_EQ(h.yLow, 5);
  EXPECT_FLOAT_EQ(h.yHigh, 95);
  EXPECT_EQ(h.xGrids, 7);
  EXPECT_EQ(h.yGrids, 9);
  for (int ch = 0; ch < 4; ++ch) {
    EXPECT_EQ(h.channels[ch].colour, 0x010101u * uint32_t(ch % 8 + 1)) << ch;
    EXPECT_EQ(h.channels[ch].shown, 1) << ch;
  }
  EXPECT_EQ(file_->GetChnlName(0), "typed");
}

TEST_F(RecordSettings, CircularPeriodCodesBeyondTheListAreKept) {
  struct Case {
    int stored, pick, expect;  // pick -1: leave the combo as shown
  } cases[] = {{5, -1, 5}, {5, 0, 0}, {1, -1, 1}, {0, 2, 2}};
  for (const Case& c : cases) {
    file_->Head().kindByte = uint8_t(c.stored);
    CRecordSettingsDlg dlg(file_.get());
    auto* combo = Ctl<QComboBox>(&dlg, 1124);
    EXPECT_EQ(combo->currentIndex(), std::min(c.stored, 2));
    if (c.pick >= 0) combo->setCurrentIndex(c.pick);
    dlg.accept();
    EXPECT_EQ(file_->Head().kindByte, c.expect) << c.stored << " " << c.pick;
  }
}

TEST_F(RecordSettings, WithoutAFileOkChangesNothing) {
  CRecordSettingsDlg dlg(nullptr);
  dlg.accept();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_FALSE(tables::EditRecordSettings(nullptr, nullptr));
  // A recording without channels: the chart settings still work.
  file_->Head().chnlCount = 0;
  CRecordSettingsDlg none(file_.get());
  EXPECT_FALSE(none.NextChannel());
  Edit(&none, 1040)->setText("No channels");
  none.accept();
  EXPECT_EQ(none.result(), QDialog::Accepted);
  EXPECT_EQ(file_->GetTitle(), "No channels");
}

TEST_F(RecordSettings, ColourButtonsPickAndDrawTheirColour) {
  CRecordSettingsDlg dlg(file_.get());
  dlg.show();
  auto* button = Ctl<tables::CColorButton>(&dlg, 1014);
  EXPECT_EQ(button->GetColor(), 0x400000u);
  // Cancel keeps the colour; OK takes the chosen one.
  testenv::OnModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); }, &dlg);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(button->GetColor(), 0x400000u);
  testenv::OnModal(
      [](QWidget* w) {
        auto* chooser = qobject_cast<QColorDialog*>(w);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->currentColor(), QColor(0, 0, 0x40));
        chooser->setCurrentColor(QColor(10, 20, 30));
        chooser->accept();
      },
      &dlg);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(button->GetColor(), 0x1E140Au);
  // A black frame around the colour; with the focus the face shows around a
  // frame one pixel further in.
  button->clearFocus();
  dlg.setFocus();
  QImage plain = button->grab().toImage();
  EXPECT_EQ(QColor(plain.pixel(0, 0)), QColor(Qt::black));
  EXPECT_EQ(QColor(plain.pixel(plain.width() / 2, plain.height() / 2)), QColor(10, 20, 30));
  button->SetColor(0x0000FF);
  button->setFocus();
  QImage focused = button->grab().toImage();
  if (button->hasFocus()) {
    EXPECT_EQ(QColor(focused.pixel(0, 0)), charts::SystemColors().face);
    EXPECT_EQ(QColor(focused.pixel(1, 1)), QColor(Qt::black));
  }
  EXPECT_EQ(QColor(focused.pixel(focused.width() / 2, focused.height() / 2)), QColor(255, 0, 0));
}

// ---- through the curve view: the header written to the file ----

class RecordSettingsInView : public RecordSettings {
 protected:
  void SetUp() override {
    RecordSettings::SetUp();
    view_ = std::make_unique<charts::CHCView>(host_);
    view_->resize(900, 500);
    view_->SetRecord(file_.release());
  }
  void TearDown() override {
    view_.reset();
    RecordSettings::TearDown();
  }
  CXFile* File() { return view_->file; }
  testenv::TestHost host_;
  std::unique_ptr<charts::CHCView> view_;
};

TEST_F(RecordSettingsInView, EverythingEditedIsWrittenAndReadBackByAFreshOpen) {
  CommandState st;
  ASSERT_TRUE(view_->OnUpdateCommand(ID_RECORD_SETTINGS, st));
  EXPECT_TRUE(st.enabled);
  testenv::OnModal([](QWidget* w) {
    auto* dlg = qobject_cast<CRecordSettingsDlg*>(w);
    ASSERT_NE(dlg, nullptr);
    Edit(dlg, 1040)->setText("锅炉 2");
    Ctl<tables::CColorButton>(dlg, 1014)->SetColor(0x000080);
    Ctl<tables::CColorButton>(dlg, 1015)->SetColor(0x008080);
    Ctl<QCheckBox>(dlg, 1016)->setChecked(false);
    Ctl<QRadioButton>(dlg, 1007)->setChecked(true);
    Ctl<QRadioButton>(dlg, 1008)->setChecked(true);
    Edit(dlg, 1010)->setText("10");
    Edit(dlg, 1011)->setText("90");
    Edit(dlg, 1012)->setText("250");
    Edit(dlg, 1013)->setText("0");
    Ctl<QCheckBox>(dlg, 1103)->setChecked(false);
    Edit(dlg, 1120)->setText("6");
    Ctl<QComboBox>(dlg, 1124)->setCurrentIndex(1);
    dlg->NextChannel();
    Edit(dlg, 1017)->setText("温度");
    Ctl<QComboBox>(dlg, 1025)->setEditText("℃");
    Edit(dlg, 1035)->setText("note");
    Ctl<tables::CColorButton>(dlg, 1024)->SetColor(0x00FF00);
    Ctl<QCheckBox>(dlg, 1032)->setChecked(false);
    Edit(dlg, 1049)->setText("3");
    Edit(dlg, 1022)->setText("-5");  // shown only
    dlg->accept();
  });
  view_->OnCommand(ID_RECORD_SETTINGS);
  EXPECT_TRUE(messages_.empty());

  auto fresh = charttest::OpenRecording(path_);
  ASSERT_TRUE(fresh);
  for (const _tagDataHead* h : {&File()->Head(), &fresh->Head()}) {
    EXPECT_EQ(GbkField(h->title), "锅炉 2");
    EXPECT_EQ(h->clrBack, 0x000080u);
    EXPECT_EQ(h->clrGrid, 0x008080u);
    EXPECT_EQ(h->gridShown, 0);
    EXPECT_EQ(h->xMode, 1);
    EXPECT_EQ(h->yMode, 0);
    EXPECT_FLOAT_EQ(h->yLow, 10);
    EXPECT_FLOAT_EQ(h->yHigh, 90);
    EXPECT_EQ(h->xGrids, 100);
    EXPECT_EQ(h->yGrids, 1);
    EXPECT_EQ(h->expFormat, 0);
    EXPECT_EQ(h->kindByte, 1);
    const _tagChnlDef& d = h->channels[1];
    EXPECT_EQ(GbkField(d.name), "温度");
    EXPECT_EQ(GbkField(d.unit), "℃");
    EXPECT_EQ(GbkField(d.spare), "note");
    EXPECT_EQ(d.colour, 0x00FF00u);
    EXPECT_EQ(d.shown, 0);
    EXPECT_EQ(d.penWidth, 3);
    EXPECT_EQ(d.rangeLow.number, 0);
    EXPECT_EQ(GbkField(h->channels[0].name), DefaultChnlName(1));
  }
  // The rings are set anew on every load; in memory they are what was typed.
  EXPECT_EQ(File()->Head().tagByte, 6);
  // The channel menu and the status bar show the new names.
  ASSERT_EQ(host_.channelMenu.actions().size(), 4);
  EXPECT_EQ(host_.channelMenu.actions()[1]->text(), "温度");
  EXPECT_EQ(host_.panes[1], lang::String(59143) + "锅炉 2");
  // Channel 2 is hidden in the chart's layout as well.
  CommandState toggle;
  view_->OnUpdateCommand(ID_CHNL_TOGGLE + 1, toggle);
  EXPECT_FALSE(toggle.checked);
}

TEST_F(RecordSettingsInView, AFailedWriteShowsTheMessageAndKeepsTheOldSettings) {
  File()->Close();  // the header stays, the file is gone
  testenv::OnModal([](QWidget* w) {
    auto* dlg = qobject_cast<CRecordSettingsDlg*>(w);
    ASSERT_NE(dlg, nullptr);
    Edit(dlg, 1040)->setText("Lost");
    Edit(dlg, 1017)->setText("Lost too");
    dlg->accept();
  });
  view_->OnCommand(ID_RECORD_SETTINGS);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0], lang::String(61260));
  EXPECT_EQ(File()->GetTitle(), "Boiler");
  EXPECT_EQ(File()->GetChnlName(0), DefaultChnlName(1));
}

TEST_F(RecordSettingsInView, CancelChangesNothing) {
  const std::string before = testenv::ReadFile(path_);
  testenv::OnModal([](QWidget* w) {
    auto* dlg = qobject_cast<CRecordSettingsDlg*>(w);
    ASSERT_NE(dlg, nullptr);
    Edit(dlg, 1040)->setText("Not kept");
    dlg->reject();
  });
  view_->OnCommand(ID_RECORD_SETTINGS);
  EXPECT_EQ(File()->GetTitle(), "Boiler");
  EXPECT_EQ(testenv::ReadFile(path_), before);
}

}  // namespace
