#include "portcfg/comdlg.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <cstring>

#include "link/recordermap.h"
#include "portcfg/serialdevices.h"

namespace portcfg {
namespace {

// The window's own texts, Chinese [0] and English [1].
struct Texts {
  const char* title;
  const char* address;
  const char* port;
  const char* baud;
  const char* parity;
  const char* parityChoices[3];
  const char* interval;
  const char* seconds;  // behind the interval box; empty for none
  const char* ok;
  const char* cancel;
  const char* needInteger;
  const char* needAddress;
  const char* needInterval;
  const char* needPort;
  const char* cannotSave;  // %1: the settings file
  const char* fast;
  const char* fastTip;
};

const Texts kTexts[2] = {
    {"串口参数设置", "设备地址：", "串口：", "波特率：", "校验：",
     {"无校验", "奇校验", "偶校验"}, "采样时间：", "秒", "确认", "取消",
     "请输入一个整数。", "请输入 0 到 255 之间的设备地址。", "请输入不小于 1 的整数秒数。",
     "请输入串口名称（1 至 63 个字节，不含控制字符），例如 /dev/ttyUSB0 或 COM1。",
     "无法将串口参数保存到 %1。\n请确认该文件夹存在并且可以写入，然后重试。",
     "快速通信",
     "应答一到即读取，不再先等待固定的稳定时间，下载可快约三倍。\n"
     "记录仪跟不上时，程序会提示一次，并改用原来的通信方式继续。"},
    {"Comm Settting", "Address:", "Comm:", "Baudrate:", "Parity:",
     {"None", "Odd", "Even"}, "Interval:", "", "OK", "Cancel",
     "Please enter an integer.", "Please enter an address from 0 to 255.",
     "Please enter a whole number of seconds, 1 or more.",
     "Please enter the serial port name (1 to 63 bytes, no control characters), "
     "for example /dev/ttyUSB0 or COM1.",
     "The serial settings could not be saved to %1.\n"
     "Check that the folder exists and can be written, then try again.",
     "Fast exchange",
     "Read each reply as it arrives instead of waiting a fixed settle time first;\n"
     "downloads take about a third of the time. When the recorder does not keep up,\n"
     "the program says so once and goes on the usual way."},
};

QString Id(int id) { return QString::number(id); }

// The module's picture: a serial connector and its cable on a blue strip.
QPixmap Picture(int height) {
  const int w = 84;
  QPixmap pm(w, height);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient g(0, 0, 0, height);
  g.setColorAt(0, QColor(28, 64, 120));
  g.setColorAt(1, QColor(96, 150, 210));
  p.fillRect(pm.rect(), g);
  const double cx = w / 2.0, top = height * 0.30;
  // cable
  QPainterPath cable;
  cable.moveTo(cx, top + 40);
  cable.cubicTo(cx, top + 90, cx - 26, top + 100, cx - 10, height);
  p.setPen(QPen(QColor(30, 30, 30), 7, Qt::SolidLine, Qt::RoundCap));
  p.drawPath(cable);
  // connector shell (a trapezoid) with two rows of pins
  QPolygonF shell;
  shell << QPointF(cx - 28, top) << QPointF(cx + 28, top) << QPointF(cx + 22, top + 26)
        << QPointF(cx - 22, top + 26);
  p.setPen(QPen(QColor(60, 60, 60), 2));
  p.setBrush(QColor(205, 210, 215));
  p.drawPolygon(shell);
  p.setBrush(QColor(40, 40, 40));
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 5; ++i) p.drawEllipse(QPointF(cx - 18 + i * 9, top + 8), 2.3, 2.3);
  for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(cx - 13.5 + i * 9, top + 17), 2.3, 2.3);
  p.setBrush(QColor(150, 155, 160));
  p.drawRoundedRect(QRectF(cx - 16, top + 26, 32, 16), 3, 3);
  return pm;
}

int IndexOfText(const QComboBox* box, const QString& text) {
  for (int i = 0; i < box->count(); ++i)
    if (box->itemText(i) == text) return i;
  return -1;
}

}  // namespace

CComDlg::CComDlg(int language, const _tagComParam& param, QWidget* parent)
    : QDialog(parent), language_(language == 0 ? 0 : 1), param_(param) {
  const Texts& t = kTexts[language_];
  setWindowTitle(QString::fromUtf8(t.title));
  if (language_ == 0) {
    QFont f = font();
    f.setFamilies({"Noto Sans CJK SC", "Noto Sans CJK", "WenQuanYi Micro Hei"});
    setFont(f);
  }

  address_ = new QLineEdit;
  address_->setObjectName(Id(IDC_COM_ADDRESS));
  address_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), address_));
  address_->setText(QString::number(param_.Address));

  port_ = new QComboBox;
  port_->setObjectName(Id(IDC_COM_PORT));
  port_->setEditable(true);
  port_->setInsertPolicy(QComboBox::NoInsert);
  port_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  port_->setMinimumContentsLength(18);
  const QString stored = QString::fromUtf8(param_.ComPort, static_cast<int>(strnlen(param_.ComPort, sizeof(param_.ComPort))));
  port_->addItem(stored);
  for (const std::string& dev : ListSerialDevices()) {
    const QString name = QString::fromStdString(dev);
    if (IndexOfText(port_, name) < 0) port_->addItem(name);
  }
  port_->view()->setMinimumWidth(port_->view()->sizeHintForColumn(0) + 24);
  port_->setCurrentIndex(0);
  port_->setEditText(stored);
  // Linux device paths are long (/dev/serial/by-id/..., a pseudo-terminal in
  // a build folder): the box is wide enough for the longest one offered, up
  // to a limit, and its tool tip always shows the whole path.
  // (The box counts its width in widths of "x".)
  const QFontMetrics fm = port_->fontMetrics();
  const int x = std::max(fm.horizontalAdvance(QLatin1Char('x')), 1);
  int longest = 28;
  for (int i = 0; i < port_->count(); ++i)
    longest = std::max(longest, (fm.horizontalAdvance(port_->itemText(i)) + x - 1) / x + 2);
  port_->setMinimumContentsLength(std::min(longest, 80));
  port_->setToolTip(stored);
  connect(port_, &QComboBox::currentTextChanged, port_,
          [box = port_](const QString& text) { box->setToolTip(text); });

  baud_ = new QComboBox;
  baud_->setObjectName(Id(IDC_COM_BAUD));
  for (int rate : kBaudRates) baud_->addItem(QString::number(rate));
  baud_->setCurrentIndex(IndexOfText(baud_, QString::number(param_.Baudrate)));
  // A stored rate outside the list stays shown (and stored) until another is chosen.
  baud_->setPlaceholderText(QString::number(param_.Baudrate));

  parity_ = new QComboBox;
  parity_->setObjectName(Id(IDC_COM_PARITY));
  for (const char* c : t.parityChoices) parity_->addItem(QString::fromUtf8(c));
  parity_->setCurrentIndex(param_.Parity >= 0 && param_.Parity < 3 ? param_.Parity : -1);
  parity_->setPlaceholderText(QString::number(param_.Parity));

  interval_ = new QComboBox;
  interval_->setObjectName(Id(IDC_COM_INTERVAL));
  for (int seconds : reclink::map::kIntervalSeconds) interval_->addItem(QString::number(seconds));
  const QString storedInterval = QString::number(param_.Interval);
  if (language_ == 0) {
    interval_->setEditable(true);
    interval_->setInsertPolicy(QComboBox::NoInsert);
    interval_->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), interval_));
    interval_->setCurrentIndex(IndexOfText(interval_, storedInterval));
    interval_->setEditText(storedInterval);
  } else {
    interval_->setCurrentIndex(IndexOfText(interval_, storedInterval));
    interval_->setPlaceholderText(storedInterval);
  }

  fast_ = new QCheckBox(QString::fromUtf8(t.fast));
  fast_->setObjectName(Id(IDC_COM_FAST));
  fast_->setToolTip(QString::fromUtf8(t.fastTip));

  auto* group = new QGroupBox;
  auto* grid = new QGridLayout(group);
  auto addRow = [&](int row, const char* label, QWidget* field) {
    auto* l = new QLabel(QString::fromUtf8(label));
    l->setBuddy(field);
    grid->addWidget(l, row, 0, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(field, row, 1);
  };
  addRow(0, t.address, address_);
  addRow(1, t.port, port_);
  addRow(2, t.baud, baud_);
  addRow(3, t.parity, parity_);
  addRow(4, t.interval, interval_);
  if (*t.seconds) grid->addWidget(new QLabel(QString::fromUtf8(t.seconds)), 4, 2);
  grid->addWidget(fast_, 5, 1);
  grid->setColumnStretch(1, 1);

  auto* ok = new QPushButton(QString::fromUtf8(t.ok));
  ok->setObjectName(Id(IDC_COM_OK));
  ok->setDefault(true);
  auto* cancel = new QPushButton(QString::fromUtf8(t.cancel));
  cancel->setObjectName(Id(IDC_COM_CANCEL));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* right = new QVBoxLayout;
  right->addWidget(group);
  right->addLayout(buttons);

  auto* picture = new QLabel;
  picture->setObjectName(Id(IDC_COM_PICTURE));
  auto* top = new QHBoxLayout(this);
  top->setSizeConstraint(QLayout::SetFixedSize);  // a fixed window, as settings windows are
  top->addWidget(picture);
  top->addLayout(right, 1);
  picture->setPixmap(Picture(right->sizeHint().height()));
  picture->setAlignment(Qt::AlignTop);
}

void CComDlg::SetFast(bool on) { fast_->setChecked(on); }

bool CComDlg::Fast() const { return fast_->isChecked(); }

void CComDlg::SetSaver(std::function<bool(_tagComParam*)> saver, const QString& path) {
  saver_ = std::move(saver);
  path_ = path;
}

void CComDlg::Refuse(QWidget* field, const QString& text) {
  QMessageBox box(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
  box.setFont(font());  // a separate window: it does not inherit the CJK families
  if (language_ == 0) box.button(QMessageBox::Ok)->setText(QString::fromUtf8("确定"));
  box.exec();
  if (field) {
    field->setFocus();
    if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    if (auto* combo = qobject_cast<QComboBox*>(field); combo && combo->lineEdit())
      combo->lineEdit()->selectAll();
  }
}

// Reads the controls into param_; refuses what cannot be stored.
bool CComDlg::ReadBack() {
  const Texts& t = kTexts[language_];
  bool ok = false;
  const qlonglong address = address_->text().trimmed().toLongLong(&ok);
  if (!ok) {
    Refuse(address_, QString::fromUtf8(t.needInteger));
    return false;
  }
  if (address < 0 || address > 255) {
    Refuse(address_, QString::fromUtf8(t.needAddress));
    return false;
  }

  const QByteArray port = port_->currentText().trimmed().toUtf8();
  bool portOk = !port.isEmpty() && static_cast<size_t>(port.size()) < sizeof(param_.ComPort);
  for (char c : port)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) portOk = false;
  if (!portOk) {
    Refuse(port_, QString::fromUtf8(t.needPort));
    return false;
  }

  int interval = param_.Interval;
  if (interval_->isEditable()) {
    const QString text = interval_->currentText().trimmed();
    const qlonglong v = text.toLongLong(&ok);
    if (!ok) {
      Refuse(interval_, QString::fromUtf8(t.needInteger));
      return false;
    }
    if (v < 1 || v > 0x7fffffff) {
      Refuse(interval_, QString::fromUtf8(t.needInterval));
      return false;
    }
    interval = static_cast<int>(v);
  } else if (interval_->currentIndex() >= 0) {
    interval = interval_->currentText().toInt();
  }

  param_.Address = static_cast<int32_t>(address);
  std::memset(param_.ComPort, 0, sizeof(param_.ComPort));
  std::memcpy(param_.ComPort, port.constData(), static_cast<size_t>(port.size()));
  if (baud_->currentIndex() >= 0) param_.Baudrate = kBaudRates[baud_->currentIndex()];
  param_.Interval = interval;
  if (parity_->currentIndex() >= 0) param_.Parity = parity_->currentIndex();
  return true;
}

void CComDlg::done(int result) {
  if (result == QDialog::Accepted) {
    if (!ReadBack()) return;
    if (saver_ && !saver_(&param_)) {
      Refuse(nullptr, QString::fromUtf8(kTexts[language_].cannotSave).arg(path_));
      return;
    }
  }
  QDialog::done(result);
}

}  // namespace portcfg
