#include "viewcfg/viewdlg.h"

#include <QButtonGroup>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace viewcfg {
namespace {

// The window's own texts, Chinese [0] and English [1].
struct Texts {
  const char* title;
  const char* xGroup;
  const char* xShort;
  const char* xLong;
  const char* yGroup;
  const char* yPercent;
  const char* yValue;
  const char* range;
  const char* gridGroup;
  const char* gridNum;
  const char* back;
  const char* grid;
  const char* colorGroup;
  const char* note;
  const char* color;  // %1: 1 ... 8
  const char* defaults;
  const char* ok;
  const char* cancel;
  const char* caption;
  const char* percentRange;
  const char* badRange;
  const char* needNumber;
  const char* needInteger;
  const char* cannotSave;  // %1: the settings file
  const char* picker;
};

const Texts kTexts[2] = {
    {"缺省显示参数设置", "X 轴显示方式", "短时间", "长时间", "Y 轴显示方式", "百分比", "数值",
     "范围：", "栅格显示", "栅格数：", "背景色：", "栅格色：", "缺省通道颜色",
     "    定义缺省8种通道颜色，若通道数多于8个，则循环显示。", "颜色%1：", "恢复缺省值", "确定",
     "取消", "提示...", "百分比模式显示范围：0 - 100", "Y轴显示范围设置错误！", "请输入一个数字。",
     "请输入一个整数。",
     "无法将缺省显示参数保存到 %1。\n请确认该文件夹存在并且可以写入，然后重试。", "选择颜色"},
    {"Dialog", "X axis display mode", "short time", "long time", "Y axis display mode", "percent",
     "value", "Range:", "Grid display", "Grid num:", "Background color:", "Grid color:",
     "Default Color", "   Channels cycle using the 8 colors below.", "Color %1:", "Default", "OK",
     "Cancel", "Information...", "Range of percent display ：0 - 100",
     "Error about Y axis time range!", "Please enter a number.", "Please enter an integer.",
     "The view defaults could not be saved to %1.\n"
     "Check that the folder exists and can be written, then try again.",
     "Select Color"},
};

QString Id(int id) { return QString::number(id); }
QString U(const char* s) { return QString::fromUtf8(s); }

// The decorative strip along the left edge: a small chart with grid and curves.
QPixmap Picture(int height) {
  const int w = 84;
  QPixmap pm(w, std::max(height, 60));
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, pm.height());
  g.setColorAt(0, QColor(20, 52, 96));
  g.setColorAt(1, QColor(80, 132, 196));
  p.fillRect(pm.rect(), g);
  const QRectF plot(10, pm.height() * 0.25, w - 20, 90);
  p.fillRect(plot, Qt::black);
  p.setPen(QPen(QColor(0, 128, 64), 1));
  for (int i = 1; i < 4; ++i) {
    p.drawLine(QPointF(plot.left() + plot.width() * i / 4, plot.top()),
               QPointF(plot.left() + plot.width() * i / 4, plot.bottom()));
    p.drawLine(QPointF(plot.left(), plot.top() + plot.height() * i / 4),
               QPointF(plot.right(), plot.top() + plot.height() * i / 4));
  }
  const QColor curves[3] = {Qt::red, Qt::green, Qt::yellow};
  for (int c = 0; c < 3; ++c) {
    QPolygonF line;
    for (int x = 0; x <= 32; ++x) {
      const double t = x / 32.0;
      line << QPointF(plot.left() + t * plot.width(),
                      plot.center().y() + std::sin(t * 6.28 + c * 2.1) * (18 + c * 6) + (c - 1) * 10);
    }
    p.setPen(QPen(curves[c], 1.5));
    p.drawPolyline(line);
  }
  p.setPen(QPen(QColor(200, 200, 200), 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(plot);
  return pm;
}

}  // namespace

QColor ToQColor(uint32_t c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
uint32_t ToColorRef(const QColor& c) {
  return static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
         (static_cast<uint32_t>(c.blue()) << 16);
}

CColorButton::CColorButton(QWidget* parent) : QPushButton(parent) {
  setFixedSize(52, 22);
  connect(this, &QPushButton::clicked, this, &CColorButton::Pick);
}

void CColorButton::SetColor(uint32_t colorref) {
  color_ = colorref;
  update();
}

// Face colour when pressed or focused, a one-pixel outline one pixel in, and
// the colour inside it.
void CColorButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QRect r = rect();
  if (isDown() || hasFocus()) p.fillRect(r, palette().color(QPalette::Button));
  r.adjust(1, 1, -1, -1);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(Qt::NoBrush);
  p.drawRect(r.adjusted(0, 0, -1, -1));
  r.adjust(1, 1, -1, -1);
  p.fillRect(r, ToQColor(color_));
}

void CColorButton::Pick() {
  QColorDialog picker(ToQColor(color_), this);
  if (!pickerTitle_.isEmpty()) picker.setWindowTitle(pickerTitle_);
  picker.setFont(window()->font());
  if (picker.exec() == QDialog::Accepted && picker.selectedColor().isValid())
    SetColor(ToColorRef(picker.selectedColor()));
}

CViewDlg::CViewDlg(int language, const _tagViewDef& view, QWidget* parent)
    : QDialog(parent), language_(language == 0 ? 0 : 1), view_(view) {
  const Texts& t = kTexts[language_];
  setWindowTitle(U(t.title));
  if (language_ == 0) {
    QFont f = font();
    f.setFamilies({"Noto Sans CJK SC", "Noto Sans CJK", "WenQuanYi Micro Hei"});
    setFont(f);
  }
  auto edit = [](int id) {
    auto* e = new QLineEdit;
    e->setObjectName(Id(id));
    e->setMaximumWidth(80);
    return e;
  };
  auto radio = [](int id, const char* text) {
    auto* r = new QRadioButton(U(text));
    r->setObjectName(Id(id));
    return r;
  };
  auto colorButton = [&](int id) {
    auto* b = new CColorButton;
    b->setObjectName(Id(id));
    b->SetPickerTitle(U(t.picker));
    return b;
  };

  // X axis
  auto* xGroup = new QGroupBox(U(t.xGroup));
  xShort_ = radio(IDC_XMODE_SHORT, t.xShort);
  xLong_ = radio(IDC_XMODE_LONG, t.xLong);
  auto* xLayout = new QHBoxLayout(xGroup);
  xLayout->addWidget(xShort_);
  xLayout->addWidget(xLong_);
  xLayout->addStretch(1);
  auto* xButtons = new QButtonGroup(this);
  xButtons->addButton(xShort_);
  xButtons->addButton(xLong_);

  // Y axis
  auto* yGroup = new QGroupBox(U(t.yGroup));
  yPercent_ = radio(IDC_YMODE_PERCENT, t.yPercent);
  yValue_ = radio(IDC_YMODE_VALUE, t.yValue);
  yLow_ = edit(IDC_YLOW);
  yHi_ = edit(IDC_YHI);
  auto* yLayout = new QGridLayout(yGroup);
  yLayout->addWidget(yPercent_, 0, 0);
  yLayout->addWidget(yValue_, 0, 1);
  auto* rangeLabel = new QLabel(U(t.range));
  rangeLabel->setBuddy(yLow_);
  auto* rangeRow = new QHBoxLayout;
  rangeRow->addWidget(rangeLabel);
  rangeRow->addWidget(yLow_);
  rangeRow->addWidget(new QLabel("-"));
  rangeRow->addWidget(yHi_);
  rangeRow->addStretch(1);
  yLayout->addLayout(rangeRow, 1, 0, 1, 3);
  yLayout->setColumnStretch(2, 1);
  auto* yButtons = new QButtonGroup(this);
  yButtons->addButton(yPercent_);
  yButtons->addButton(yValue_);
  // Choosing another Y mode starts its range at 0 - 100.
  // (view_.YMode follows the mode shown until OK reads everything back.)
  auto yModeClicked = [this] {
    const uint8_t mode = yValue_->isChecked() ? 1 : 0;
    if (mode != view_.YMode) {
      yLow_->setText("0");
      yHi_->setText("100");
      view_.YMode = mode;
    }
  };
  connect(yPercent_, &QRadioButton::clicked, this, yModeClicked);
  connect(yValue_, &QRadioButton::clicked, this, yModeClicked);

  // Grid
  auto* gridGroup = new QGroupBox(U(t.gridGroup));
  xGrids_ = edit(IDC_XGRIDS);
  yGrids_ = edit(IDC_YGRIDS);
  back_ = colorButton(IDC_CLRBK);
  grid_ = colorButton(IDC_CLRGRID);
  auto* gLayout = new QGridLayout(gridGroup);
  auto* gridNum = new QLabel(U(t.gridNum));
  gridNum->setBuddy(xGrids_);
  gLayout->addWidget(gridNum, 0, 0);
  auto* gridRow = new QHBoxLayout;
  gridRow->addWidget(xGrids_);
  gridRow->addWidget(new QLabel("x"));
  gridRow->addWidget(yGrids_);
  gridRow->addStretch(1);
  gLayout->addLayout(gridRow, 0, 1, 1, 3);
  gLayout->addWidget(new QLabel(U(t.back)), 1, 0);
  gLayout->addWidget(back_, 1, 1);
  gLayout->addWidget(new QLabel(U(t.grid)), 1, 2, Qt::AlignRight);
  gLayout->addWidget(grid_, 1, 3);
  gLayout->setColumnStretch(4, 1);

  // Channel colours
  auto* colorGroup = new QGroupBox(U(t.colorGroup));
  auto* cLayout = new QGridLayout(colorGroup);
  auto* note = new QLabel(U(t.note));
  note->setWordWrap(true);
  cLayout->addWidget(note, 0, 0, 1, 8);
  for (int i = 0; i < 8; ++i) {
    channel_[i] = colorButton(IDC_CLRCHNL1 + i);
    const int row = 1 + i / 4, col = (i % 4) * 2;
    cLayout->addWidget(new QLabel(U(t.color).arg(i + 1)), row, col, Qt::AlignRight);
    cLayout->addWidget(channel_[i], row, col + 1);
  }

  // Buttons
  auto* defaults = new QPushButton(U(t.defaults));
  defaults->setObjectName(Id(IDC_DEFAULT));
  defaults->setAutoDefault(false);
  auto* ok = new QPushButton(U(t.ok));
  ok->setObjectName(Id(IDC_VIEW_OK));
  ok->setDefault(true);
  auto* cancel = new QPushButton(U(t.cancel));
  cancel->setObjectName(Id(IDC_VIEW_CANCEL));
  cancel->setAutoDefault(false);
  connect(defaults, &QPushButton::clicked, this, &CViewDlg::RestoreDefaults);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(defaults);
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* right = new QVBoxLayout;
  auto* modes = new QHBoxLayout;
  modes->addWidget(xGroup);
  modes->addWidget(yGroup, 1);
  right->addLayout(modes);
  right->addWidget(gridGroup);
  right->addWidget(colorGroup);
  right->addLayout(buttons);

  auto* picture = new QLabel;
  picture->setObjectName(Id(IDC_VIEW_PICTURE));
  picture->setAlignment(Qt::AlignTop);
  auto* top = new QHBoxLayout(this);
  top->setSizeConstraint(QLayout::SetFixedSize);  // a fixed window, as settings windows are
  top->addWidget(picture);
  top->addLayout(right, 1);

  Show(view_);
  picture->setPixmap(Picture(right->sizeHint().height()));
}

void CViewDlg::Show(const _tagViewDef& v) {
  (v.XMode == 1 ? xLong_ : xShort_)->setChecked(true);
  (v.YMode == 1 ? yValue_ : yPercent_)->setChecked(true);
  view_.YMode = v.YMode == 1 ? 1 : 0;
  yLow_->setText(QString::number(v.YLow, 'g', 6));
  yHi_->setText(QString::number(v.YHi, 'g', 6));
  xGrids_->setText(QString::number(v.XGrids));
  yGrids_->setText(QString::number(v.YGrids));
  back_->SetColor(v.ClrBK);
  grid_->SetColor(v.ClrGrid);
  for (int i = 0; i < 8; ++i) channel_[i]->SetColor(v.clrChnl[i]);
}

void CViewDlg::RestoreDefaults() {
  _tagViewDef d;
  Defaults(&d);
  Show(d);
}

void CViewDlg::SetSaver(std::function<bool(_tagViewDef*)> saver, const QString& path) {
  saver_ = std::move(saver);
  path_ = path;
}

void CViewDlg::Refuse(QWidget* field, const QString& text) {
  QMessageBox box(QMessageBox::Critical, U(kTexts[language_].caption), text, QMessageBox::Ok, this);
  box.setFont(font());  // a separate window: it does not inherit the CJK families
  if (language_ == 0) box.button(QMessageBox::Ok)->setText(U("确定"));
  box.exec();
  if (field) {
    field->setFocus();
    if (auto* e = qobject_cast<QLineEdit*>(field)) e->selectAll();
  }
}

// Reads the fields back and checks them; on success view_ holds the result.
bool CViewDlg::ReadBack() {
  const Texts& t = kTexts[language_];
  const QLocale c = QLocale::c();
  bool ok = false;
  double low = 0, hi = 0;
  for (auto [e, out] : {std::pair{yLow_, &low}, std::pair{yHi_, &hi}}) {
    *out = c.toDouble(e->text().trimmed(), &ok);
    if (!ok || !std::isfinite(*out) || std::fabs(*out) > 3.0e38) {
      Refuse(e, U(t.needNumber));
      return false;
    }
  }
  long long grids[2] = {0, 0};
  QLineEdit* gridEdits[2] = {xGrids_, yGrids_};
  for (int i = 0; i < 2; ++i) {
    grids[i] = gridEdits[i]->text().trimmed().toLongLong(&ok);
    if (!ok) {
      Refuse(gridEdits[i], U(t.needInteger));
      return false;
    }
  }
  const int yMode = yValue_->isChecked() ? 1 : 0;
  const float yLow = static_cast<float>(low), yHi = static_cast<float>(hi);
  if (yMode == 0 && (yLow < 0 || yHi > 100)) {
    Refuse(yLow < 0 ? yLow_ : yHi_, U(t.percentRange));
    return false;
  }
  if (yLow >= yHi) {
    Refuse(yLow_, U(t.badRange));
    return false;
  }
  view_.XMode = xLong_->isChecked() ? 1 : 0;
  view_.YMode = static_cast<uint8_t>(yMode);
  view_.YLow = yLow;
  view_.YHi = yHi;
  view_.XGrids = static_cast<uint8_t>(std::clamp<long long>(grids[0], 0, 50));
  view_.YGrids = static_cast<uint8_t>(std::clamp<long long>(grids[1], 0, 50));
  view_.ClrBK = back_->Color();
  view_.ClrGrid = grid_->Color();
  for (int i = 0; i < 8; ++i) view_.clrChnl[i] = channel_[i]->Color();
  return true;
}

void CViewDlg::done(int result) {
  if (result == QDialog::Accepted) {
    if (!ReadBack()) return;
    if (saver_ && !saver_(&view_)) {
      Refuse(nullptr, U(kTexts[language_].cannotSave).arg(path_));
      return;
    }
  }
  QDialog::done(result);
}

}  // namespace viewcfg
