#include "tables/recordsettingsdlg.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/ui/dialogfields.h"
#include "data/cxfile.h"
#include "platform/gbk.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"
#include "tables/colorbutton.h"
#include "viewcfg/viewdef.h"

namespace tables {

namespace {

QString S(int id) { return lang::String(id); }

QString Utf8(const std::string& s) { return QString::fromStdString(s); }

// Clears a text field and stores the text cut to maxBytes GBK bytes, never
// in the middle of a character.
template <size_t N>
void StoreText(char (&field)[N], const QString& text, int maxBytes) {
  std::memset(field, 0, N);
  SetGbkField(field, std::min<size_t>(N, size_t(maxBytes)), text.toStdString());
}

QLineEdit* NumberEdit(QWidget* parent, const char* id) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(id);
  e->setMaximumWidth(90);
  return e;
}

}  // namespace

int GbkBytes(const QString& text) {
  return static_cast<int>(platform::Utf8ToGbk(text.toStdString()).size());
}

void LimitGbkBytes(QLineEdit* edit, int maxBytes) {
  // What the user typed or pasted lies just before the cursor: characters are
  // taken back from there until the text fits.
  QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, maxBytes](const QString& typed) {
    if (GbkBytes(typed) <= maxBytes) return;
    QString text = typed;
    int cursor = edit->cursorPosition();
    while (cursor > 0 && GbkBytes(text) > maxBytes) {
      int n = 1;
      if (cursor >= 2 && text[cursor - 1].isLowSurrogate() && text[cursor - 2].isHighSurrogate()) n = 2;
      text.remove(cursor - n, n);
      cursor -= n;
    }
    while (GbkBytes(text) > maxBytes) text.chop(text.size() >= 2 && text.back().isLowSurrogate() ? 2 : 1);
    edit->setText(text);
    edit->setCursorPosition(std::min<int>(cursor, text.size()));
  });
}

CRecordSettingsDlg::CRecordSettingsDlg(CXFile* file, QWidget* parent) : QDialog(parent), file_(file) {
  setObjectName("149");
  setWindowTitle(S(IDS_RS_TITLE));

  // --- the recording and its chart ---
  auto* chart = new QGroupBox(S(IDS_RS_CHART), this);
  auto* cg = new QGridLayout(chart);
  int row = 0;
  title_ = new QLineEdit(chart);
  title_->setObjectName("1040");
  LimitGbkBytes(title_, kTitleBytes);
  cg->addWidget(new QLabel(S(IDS_RS_FILE_TITLE), chart), row, 0);
  cg->addWidget(title_, row++, 1, 1, 3);
  path_ = new QLabel(chart);
  path_->setObjectName("1039");
  path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  path_->setWordWrap(true);
  cg->addWidget(new QLabel(S(IDS_RS_FILE), chart), row, 0);
  cg->addWidget(path_, row++, 1, 1, 3);
  interval_ = new QLabel(chart);
  interval_->setObjectName("1042");
  cg->addWidget(new QLabel(S(IDS_RS_INTERVAL), chart), row, 0);
  cg->addWidget(interval_, row++, 1, 1, 3);
  span_ = new QLabel(chart);
  span_->setObjectName("1041");
  cg->addWidget(new QLabel(S(IDS_RS_SPAN), chart), row, 0);
  cg->addWidget(span_, row++, 1, 1, 3);

  clrBack_ = new CColorButton(chart);
  clrBack_->setObjectName("1014");
  clrGrid_ = new CColorButton(chart);
  clrGrid_->setObjectName("1015");
  gridShown_ = new QCheckBox(S(IDS_RS_SHOW_GRID), chart);
  gridShown_->setObjectName("1016");
  cg->addWidget(new QLabel(S(IDS_RS_BACKGROUND), chart), row, 0);
  cg->addWidget(clrBack_, row, 1);
  cg->addWidget(new QLabel(S(IDS_RS_GRID_COLOUR), chart), row, 2);
  cg->addWidget(clrGrid_, row++, 3);
  cg->addWidget(gridShown_, row++, 1, 1, 3);

  auto* xBox = new QGroupBox(S(IDS_RS_TIME_AXIS), chart);
  auto* xl = new QVBoxLayout(xBox);
  auto* xGroup = new QButtonGroup(this);
  for (int i = 0; i < 2; ++i) {
    xMode_[i] = new QRadioButton(S(IDS_RS_TIME_OF_DAY + i), xBox);
    xMode_[i]->setObjectName(QString::number(1006 + i));
    xGroup->addButton(xMode_[i], i);
    xl->addWidget(xMode_[i]);
  }
  auto* yBox = new QGroupBox(S(IDS_RS_Y_AXIS), chart);
  auto* yl = new QVBoxLayout(yBox);
  auto* yGroup = new QButtonGroup(this);
  for (int i = 0; i < 2; ++i) {
    yMode_[i] = new QRadioButton(S(IDS_RS_PERCENT + i), yBox);
    yMode_[i]->setObjectName(QString::number(1008 + i));
    yGroup->addButton(yMode_[i], i);
    yl->addWidget(yMode_[i]);
    // Choosing a mode starts the axis over at 0..100.
    connect(yMode_[i], &QRadioButton::clicked, this, [this] {
      yLow_->setText(FloatText(0));
      yHigh_->setText(FloatText(100));
    });
  }
  cg->addWidget(xBox, row, 0, 1, 2);
  cg->addWidget(yBox, row++, 2, 1, 2);

  yLow_ = NumberEdit(chart, "1010");
  yHigh_ = NumberEdit(chart, "1011");
  cg->addWidget(new QLabel(S(IDS_RS_Y_LOW), chart), row, 0);
  cg->addWidget(yLow_, row, 1);
  cg->addWidget(new QLabel(S(IDS_RS_Y_HIGH), chart), row, 2);
  cg->addWidget(yHigh_, row++, 3);
  xGrids_ = NumberEdit(chart, "1012");
  yGrids_ = NumberEdit(chart, "1013");
  // Grid counts out of 1..100 are typed freely and brought into it on OK.
  xGrids_->setValidator(new QIntValidator(0, 65535, xGrids_));
  yGrids_->setValidator(new QIntValidator(0, 65535, yGrids_));
  cg->addWidget(new QLabel(S(IDS_RS_TIME_GRIDS), chart), row, 0);
  cg->addWidget(xGrids_, row, 1);
  cg->addWidget(new QLabel(S(IDS_RS_VALUE_GRIDS), chart), row, 2);
  cg->addWidget(yGrids_, row++, 3);
  expFormat_ = new QCheckBox(S(IDS_RS_EXP_FORMAT), chart);
  expFormat_->setObjectName("1103");
  cg->addWidget(expFormat_, row++, 0, 1, 4);
  tagByte_ = NumberEdit(chart, "1120");
  tagByte_->setValidator(new QIntValidator(0, 255, tagByte_));
  kindByte_ = new QComboBox(chart);
  kindByte_->setObjectName("1124");
  for (const QString& choice : S(IDS_RS_PERIODS).split('|')) kindByte_->addItem(choice);
  cg->addWidget(new QLabel(S(IDS_RS_RINGS), chart), row, 0);
  cg->addWidget(tagByte_, row, 1);
  cg->addWidget(new QLabel(S(IDS_RS_PERIOD), chart), row, 2);
  cg->addWidget(kindByte_, row++, 3);

  // --- the channel shown ---
  auto* chnl = new QGroupBox(S(IDS_RS_CHANNEL), this);
  auto* hg = new QGridLayout(chnl);
  row = 0;
  auto* prev = new QPushButton(S(IDS_RS_PREVIOUS), chnl);
  prev->setObjectName("1038");
  auto* next = new QPushButton(S(IDS_RS_NEXT), chnl);
  next->setObjectName("1037");
  chnlLabel_ = new QLabel(chnl);
  chnlLabel_->setObjectName("1043");
  chnlLabel_->setAlignment(Qt::AlignCenter);
  hg->addWidget(prev, row, 0);
  hg->addWidget(chnlLabel_, row, 1, 1, 2);
  hg->addWidget(next, row++, 3);
  connect(prev, &QPushButton::clicked, this, [this] { PrevChannel(); });
  connect(next, &QPushButton::clicked, this, [this] { NextChannel(); });

  name_ = new QLineEdit(chnl);
  name_->setObjectName("1017");
  LimitGbkBytes(name_, kNameBytes);
  hg->addWidget(new QLabel(S(IDS_RS_NAME), chnl), row, 0);
  hg->addWidget(name_, row++, 1, 1, 3);
  unit_ = new QComboBox(chnl);
  unit_->setObjectName("1025");
  unit_->setEditable(true);
  unit_->setInsertPolicy(QComboBox::NoInsert);
  // The list is written as a format: "%%" stands for "%".
  for (const QString& u : lang::Format(IDS_RS_UNITS).split('|')) unit_->addItem(u);
  LimitGbkBytes(unit_->lineEdit(), kUnitBytes);
  spare_ = new QLineEdit(chnl);
  spare_->setObjectName("1035");
  LimitGbkBytes(spare_, kSpareBytes);
  hg->addWidget(new QLabel(S(IDS_RS_UNIT), chnl), row, 0);
  hg->addWidget(unit_, row, 1);
  hg->addWidget(new QLabel(S(IDS_RS_NOTE), chnl), row, 2);
  hg->addWidget(spare_, row++, 3);
  colour_ = new CColorButton(chnl);
  colour_->setObjectName("1024");
  shown_ = new QCheckBox(S(IDS_RS_SHOW_CHANNEL), chnl);
  shown_->setObjectName("1032");
  hg->addWidget(new QLabel(S(IDS_RS_COLOUR), chnl), row, 0);
  hg->addWidget(colour_, row, 1);
  hg->addWidget(shown_, row++, 2, 1, 2);
  penWidth_ = NumberEdit(chnl, "1049");
  penWidth_->setValidator(new QIntValidator(0, 255, penWidth_));
  hg->addWidget(new QLabel(S(IDS_RS_PEN_WIDTH), chnl), row, 0);
  hg->addWidget(penWidth_, row++, 1);
  // Range and limits come from the recorder: shown, never edited.
  static const char* const kRangeIds[2] = {"1022", "1023"};
  static const char* const kLimitIds[5] = {"1028", "1029", "1026", "1027", "1030"};
  QPalette shownOnly = palette();
  shownOnly.setColor(QPalette::Base, shownOnly.color(QPalette::Window));
  for (int i = 0; i < 2; ++i) {
    range_[i] = NumberEdit(chnl, kRangeIds[i]);
    range_[i]->setReadOnly(true);
    range_[i]->setPalette(shownOnly);
    hg->addWidget(new QLabel(S(IDS_RS_RANGE_LOW + i), chnl), row, i * 2);
    hg->addWidget(range_[i], row, i * 2 + 1);
  }
  ++row;
  for (int k = 0; k < 5; ++k) {
    limit_[k] = NumberEdit(chnl, kLimitIds[k]);
    limit_[k]->setReadOnly(true);
    limit_[k]->setPalette(shownOnly);
    hg->addWidget(new QLabel(S(IDS_RS_LIMIT1 + k), chnl), row + k / 2, (k % 2) * 2);
    hg->addWidget(limit_[k], row + k / 2, (k % 2) * 2 + 1);
  }
  row += 3;
  hg->setRowStretch(row, 1);

  auto* defaults = new QPushButton(S(IDS_RS_DEFAULTS), this);
  defaults->setObjectName("1031");
  connect(defaults, &QPushButton::clicked, this, &CRecordSettingsDlg::TakeDefaults);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(defaults);
  buttons->addStretch();
  buttons->addWidget(OkCancel(this));

  auto* columns = new QHBoxLayout;
  columns->addWidget(chart, 1);
  columns->addWidget(chnl, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addLayout(buttons);

  if (!file_) {
    chart->setEnabled(false);
    chnl->setEnabled(false);
    defaults->setEnabled(false);
    return;
  }
  LoadHeader();
  const bool hasChannels = !chnls_.empty();
  for (QWidget* w : chnl->findChildren<QWidget*>()) w->setEnabled(hasChannels);
  LoadChannel();
}

void CRecordSettingsDlg::LoadHeader() {
  const _tagDataHead& h = file_->Head();
  chnls_.assign(h.channels, h.channels + std::min<int>(h.chnlCount, kMaxChannels));
  title_->setText(Utf8(file_->GetTitle()));
  path_->setText(Utf8(file_->GetPath()));
  interval_->setText(QString::asprintf("%d S", file_->GetInterval()));
  // The span of the records themselves: first record to last record.
  const int records = file_->GetRecordCount();
  const time_t last = records > 0 ? file_->GetStartTime() + time_t(records - 1) * file_->GetInterval()
                                  : file_->GetEndTime();
  span_->setText(Utf8(FormatTime(file_->GetStartTime())) + " => " + Utf8(FormatTime(last)));
  clrBack_->SetColor(h.clrBack);
  clrGrid_->SetColor(h.clrGrid);
  gridShown_->setChecked(h.gridShown != 0);
  xMode_[h.xMode ? 1 : 0]->setChecked(true);
  yMode_[h.yMode ? 1 : 0]->setChecked(true);
  yLow_->setText(FloatText(h.yLow));
  yHigh_->setText(FloatText(h.yHigh));
  xGrids_->setText(QString::number(h.xGrids));
  yGrids_->setText(QString::number(h.yGrids));
  expFormat_->setChecked(h.expFormat != 0);
  tagByte_->setText(QString::number(h.tagByte));
  // Codes beyond the list mean 24 hours, as the last choice does; they are
  // kept unless another choice is made.
  kindOriginal_ = h.kindByte;
  kindByte_->setCurrentIndex(std::min<int>(h.kindByte, kindByte_->count() - 1));
  channel_ = 0;
}

void CRecordSettingsDlg::LoadChannel() {
  if (chnls_.empty()) {
    chnlLabel_->setText(QString());
    return;
  }
  const _tagChnlDef& d = chnls_[channel_];
  chnlLabel_->setText(lang::Format(IDS_CHANNEL_N, channel_ + 1));
  name_->setText(Utf8(GbkField(d.name)));
  unit_->setEditText(Utf8(GbkField(d.unit)));
  spare_->setText(Utf8(GbkField(d.spare)));
  colour_->SetColor(d.colour);
  shown_->setChecked(d.shown != 0);
  penWidth_->setText(QString::number(d.penWidth));
  range_[0]->setText(Utf8(file_->FormatValue(channel_, file_->GetRangeLow(channel_))));
  range_[1]->setText(Utf8(file_->FormatValue(channel_, file_->GetRangeHigh(channel_))));
  for (int k = 0; k < 5; ++k)
    limit_[k]->setText(Utf8(file_->FormatValue(channel_, file_->GetLimit(channel_, k + 1))));
}

bool CRecordSettingsDlg::ReadInt(QLineEdit* edit, int low, int high, int* out) {
  bool ok = false;
  const int v = edit->text().trimmed().toInt(&ok);
  if (!ok || v < low || v > high) {
    MsgBoxText(this, lang::Format(IDS_RS_ENTER_WHOLE, low, high), IDS_CAPTION, MsgIcon::Error);
    edit->setFocus();
    edit->selectAll();
    return false;
  }
  *out = v;
  return true;
}

bool CRecordSettingsDlg::ReadFloatField(QLineEdit* edit, float* out) {
  if (ReadFloat(edit, out) && std::isfinite(*out)) return true;
  MsgBox(this, IDS_RS_ENTER_NUMBER, IDS_CAPTION, MsgIcon::Error);
  edit->setFocus();
  edit->selectAll();
  return false;
}

bool CRecordSettingsDlg::StoreChannel() {
  if (chnls_.empty()) return true;
  int pen = 0;
  if (!ReadInt(penWidth_, 0, 255, &pen)) return false;
  _tagChnlDef& d = chnls_[channel_];
  d.shown = shown_->isChecked() ? 1 : 0;
  d.colour = colour_->GetColor();
  d.penWidth = static_cast<uint8_t>(pen);
  StoreText(d.name, name_->text(), kNameBytes);
  StoreText(d.unit, unit_->currentText(), kUnitBytes);
  StoreText(d.spare, spare_->text(), kSpareBytes);
  return true;
}

bool CRecordSettingsDlg::NextChannel() {
  if (chnls_.empty() || !StoreChannel()) return false;
  channel_ = (channel_ + 1) % int(chnls_.size());
  LoadChannel();
  return true;
}

bool CRecordSettingsDlg::PrevChannel() {
  if (chnls_.empty() || !StoreChannel()) return false;
  channel_ = (channel_ + int(chnls_.size()) - 1) % int(chnls_.size());
  LoadChannel();
  return true;
}

void CRecordSettingsDlg::TakeDefaults() {
  if (!file_) return;
  // What was typed for the channel shown is kept; only colour and shown change.
  if (!StoreChannel()) return;
  _tagViewDef v{};
  CXViewDef().GetView(&v);
  gridShown_->setChecked(true);
  clrBack_->SetColor(v.ClrBK);
  clrGrid_->SetColor(v.ClrGrid);
  yLow_->setText(FloatText(v.YLow));
  yHigh_->setText(FloatText(v.YHi));
  xMode_[v.XMode ? 1 : 0]->setChecked(true);
  xGrids_->setText(QString::number(v.XGrids));
  yMode_[v.YMode ? 1 : 0]->setChecked(true);
  yGrids_->setText(QString::number(v.YGrids));
  for (size_t i = 0; i < chnls_.size(); ++i) {
    chnls_[i].colour = v.clrChnl[i % 8];
    chnls_[i].shown = 1;
  }
  LoadChannel();
}

void CRecordSettingsDlg::accept() {
  if (!file_) {
    QDialog::accept();
    return;
  }
  float low = 0, high = 0;
  int xGrids = 0, yGrids = 0, tag = 0;
  if (!ReadFloatField(yLow_, &low) || !ReadFloatField(yHigh_, &high)) return;
  if (!ReadInt(xGrids_, 0, 65535, &xGrids) || !ReadInt(yGrids_, 0, 65535, &yGrids)) return;
  if (!ReadInt(tagByte_, 0, 255, &tag)) return;
  const int yMode = yMode_[1]->isChecked() ? 1 : 0;
  if (yMode == 0 && (low < 0 || high > 100)) {
    MsgBox(this, IDS_PERCENT_LIMITS, IDS_CAPTION, MsgIcon::Error);
    return;
  }
  if (low >= high) {
    MsgBox(this, IDS_LOW_NOT_BELOW_HIGH, IDS_CAPTION, MsgIcon::Error);
    return;
  }
  if (!StoreChannel()) return;
  // OK keeps one byte less of the channel shown than switching does.
  if (!chnls_.empty()) StoreText(chnls_[channel_].name, name_->text(), kNameBytesOnOk);

  _tagDataHead& h = file_->Head();
  for (size_t ch = 0; ch < chnls_.size(); ++ch) h.channels[ch] = chnls_[ch];
  StoreText(h.title, title_->text(), kTitleBytes);
  h.gridShown = gridShown_->isChecked() ? 1 : 0;
  h.clrBack = clrBack_->GetColor();
  h.clrGrid = clrGrid_->GetColor();
  h.xMode = xMode_[1]->isChecked() ? 1 : 0;
  h.yMode = static_cast<uint8_t>(yMode);
  h.xGrids = static_cast<uint16_t>(std::clamp(xGrids, 1, 100));
  h.yGrids = static_cast<uint16_t>(std::clamp(yGrids, 1, 100));
  h.tagByte = static_cast<uint8_t>(tag);
  const int kind = kindByte_->currentIndex();
  const bool kindKept = kindOriginal_ >= kindByte_->count() && kind == kindByte_->count() - 1;
  h.kindByte = static_cast<uint8_t>(kindKept || kind < 0 ? kindOriginal_ : kind);
  h.yLow = low;
  h.yHigh = high;
  h.expFormat = expFormat_->isChecked() ? 1 : 0;
  QDialog::accept();
}

bool EditRecordSettings(CXFile* file, QWidget* parent) {
  if (!file) return false;
  const _tagDataHead before = file->Head();
  CRecordSettingsDlg dlg(file, parent);
  if (dlg.exec() != QDialog::Accepted) return false;
  if (file->PutHead()) return true;
  MsgBox(parent, IDS_HEADER_WRITE_FAILED, IDS_CAPTION, MsgIcon::Error);
  file->Head() = before;
  return false;
}

}  // namespace tables
