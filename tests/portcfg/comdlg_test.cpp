// The serial settings window, driven offscreen through its controls.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <cstring>

#include "common/modal.h"
#include "common/testenv.h"
#include "platform/profile.h"
#include "portcfg/comdlg.h"
#include "portcfg/serialdevices.h"
#include "portcfg/xcom.h"

namespace {

using namespace portcfg;

std::string IniPath() { return testenv::Home() + "XCom.ini"; }

template <class T>
T* Ctl(QWidget* dlg, int id) {
  T* w = dlg->findChild<T*>(QString::number(id));
  EXPECT_TRUE(w) << "control " << id;
  return w;
}

QStringList Labels(QWidget* dlg) {
  QStringList texts;
  for (QLabel* l : dlg->findChildren<QLabel*>()) texts << l->text();
  return texts;
}

class ComWindow : public ::testing::Test {
 protected:
  void SetUp() override { std::remove(IniPath().c_str()); }

  // ShowXWnd(language) with act run inside the open window; returns its result.
  int Show(int language, std::function<void(QWidget*)> act) {
    testenv::OnModal(std::move(act));
    return CXCom().ShowXWnd(language);
  }
};

// Presses OK and returns the text of the message the window shows (the window
// must refuse and stay open).
QString OkRefused(QDialog* dlg) {
  QString text;
  testenv::OnModal(
      [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_TRUE(box);
        text = box->text();
        box->accept();
      },
      dlg);
  Ctl<QPushButton>(dlg, IDC_COM_OK)->click();
  EXPECT_TRUE(dlg->isVisible());
  EXPECT_EQ(dlg->result(), 0);
  return text;
}

TEST_F(ComWindow, ShowsTheStoredSettingsWithTheTextsOfEachLanguage) {
  _tagComParam p;
  CXCom().GetComm(&p);
  std::strcpy(p.ComPort, "/dev/pts/7");
  p.Address = 12;
  p.Baudrate = 38400;
  p.Parity = 1;
  p.Interval = 120;
  const std::vector<std::string> devices = ListSerialDevices();
  struct Lang {
    int language;
    const char* title;
    QStringList labels;
    const char* odd;
    const char* ok;
    const char* cancel;
    bool intervalEditable;
  } langs[] = {
      {0, "串口参数设置", {"设备地址：", "串口：", "波特率：", "校验：", "采样时间：", "秒"}, "奇校验",
       "确认", "取消", true},
      {1, "Comm Settting", {"Address:", "Comm:", "Baudrate:", "Parity:", "Interval:"}, "Odd", "OK",
       "Cancel", false},
  };
  for (const Lang& l : langs) {
    SCOPED_TRACE(l.language);
    CComDlg dlg(l.language, p);
    EXPECT_EQ(dlg.windowTitle(), QString::fromUtf8(l.title));
    const QStringList labels = Labels(&dlg);
    for (const QString& want : l.labels) EXPECT_TRUE(labels.contains(want)) << want.toStdString();
    EXPECT_EQ(Ctl<QLineEdit>(&dlg, IDC_COM_ADDRESS)->text(), "12");

    QComboBox* port = Ctl<QComboBox>(&dlg, IDC_COM_PORT);
    EXPECT_TRUE(port->isEditable());
    EXPECT_EQ(port->currentText(), "/dev/pts/7");
    ASSERT_EQ(port->count(), static_cast<int>(devices.size()) + 1);
    EXPECT_EQ(port->itemText(0), "/dev/pts/7");
    for (size_t i = 0; i < devices.size(); ++i)
      EXPECT_EQ(port->itemText(static_cast<int>(i) + 1).toStdString(), devices[i]);

    QComboBox* baud = Ctl<QComboBox>(&dlg, IDC_COM_BAUD);
    EXPECT_FALSE(baud->isEditable());
    QStringList rates;
    for (int i = 0; i < baud->count(); ++i) rates << baud->itemText(i);
    EXPECT_EQ(rates, QStringList({"1200", "2400", "4800", "9600", "19200", "38400", "57600"}));
    EXPECT_EQ(baud->currentText(), "38400");

    QComboBox* parity = Ctl<QComboBox>(&dlg, IDC_COM_PARITY);
    EXPECT_EQ(parity->count(), 3);
    EXPECT_EQ(parity->currentIndex(), 1);
    EXPECT_EQ(parity->currentText(), QString::fromUtf8(l.odd));

    QComboBox* interval = Ctl<QComboBox>(&dlg, IDC_COM_INTERVAL);
    EXPECT_EQ(interval->isEditable(), l.intervalEditable);
    EXPECT_EQ(interval->count(), 9);
    EXPECT_EQ(interval->itemText(8), "240");
    EXPECT_EQ(interval->currentText(), "120");

    EXPECT_EQ(Ctl<QPushButton>(&dlg, IDC_COM_OK)->text(), QString::fromUtf8(l.ok));
    EXPECT_EQ(Ctl<QPushButton>(&dlg, IDC_COM_CANCEL)->text(), QString::fromUtf8(l.cancel));
  }
}

// Linux device paths fit the port box, and its tool tip shows the whole
// path whatever the width.
TEST_F(ComWindow, ThePortBoxShowsWholeDevicePaths) {
  _tagComParam p;
  CXCom().GetComm(&p);
  const char* paths[] = {"/dev/ttyUSB0", "/home/user/recview/build/bin/recsim.tty",
                         "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"};
  for (const char* path : paths) {
    SCOPED_TRACE(path);
    std::memset(p.ComPort, 0, sizeof p.ComPort);
    std::strncpy(p.ComPort, path, sizeof p.ComPort - 1);
    CComDlg dlg(1, p);
    dlg.show();
    QComboBox* port = Ctl<QComboBox>(&dlg, IDC_COM_PORT);
    EXPECT_EQ(port->toolTip(), QString::fromUtf8(path));
    ASSERT_TRUE(port->lineEdit());
    const int need = port->lineEdit()->fontMetrics().horizontalAdvance(QString::fromUtf8(path));
    EXPECT_GE(port->lineEdit()->width(), need);
    port->setEditText("/dev/ttyS3");
    EXPECT_EQ(port->toolTip(), "/dev/ttyS3");
  }
}

TEST_F(ComWindow, CancelWritesNothingAndOkWritesAllTwelveKeys) {
  for (int language : {0, 1}) {
    EXPECT_EQ(Show(language, [](QWidget* w) { Ctl<QPushButton>(w, IDC_COM_CANCEL)->click(); }), 0);
    EXPECT_EQ(testenv::ReadFile(IniPath()), "");
  }
  EXPECT_EQ(Show(1, [](QWidget* w) { Ctl<QPushButton>(w, IDC_COM_OK)->click(); }), 1);
  EXPECT_EQ(testenv::ReadFile(IniPath()),
            "[ComSet]\nComPort=COM1\nAddress=8\nBaudrate=9600\nParity=0\nInterval=1\n"
            "ReadIntervalTimeout=20\nReadTotalTimeoutConstant=20\nReadTotalTimeoutMultiplier=5\n"
            "WriteTotalTimeoutConstant=50\nWriteTotalTimeoutMultiplier=5\n"
            "ReadDefaultErrorTimes=2\nWriteDefaultErrorTimes=3\nFastExchange=0\n");

  // Values the window does not show pass through; a Cancel leaves the file as it was.
  testenv::WriteFile(IniPath(), "[ComSet]\nReadIntervalTimeout=77\nWriteDefaultErrorTimes=9\n");
  Show(0, [](QWidget* w) { Ctl<QPushButton>(w, IDC_COM_CANCEL)->click(); });
  EXPECT_EQ(testenv::ReadFile(IniPath()), "[ComSet]\nReadIntervalTimeout=77\nWriteDefaultErrorTimes=9\n");
  Show(0, [](QWidget* w) { Ctl<QPushButton>(w, IDC_COM_OK)->click(); });
  _tagComParam p;
  CXCom().GetComm(&p);
  EXPECT_EQ(p.ReadIntervalTimeout, 77);
  EXPECT_EQ(p.WriteDefaultErrorTimes, 9);
  for (const char* key : {"ComPort", "Address", "Baudrate", "Parity", "Interval",
                          "ReadIntervalTimeout", "ReadTotalTimeoutConstant",
                          "ReadTotalTimeoutMultiplier", "WriteTotalTimeoutConstant",
                          "WriteTotalTimeoutMultiplier", "ReadDefaultErrorTimes",
                          "WriteDefaultErrorTimes"})
    EXPECT_TRUE(platform::HasProfileKey("ComSet", key, IniPath())) << key;
}

TEST_F(ComWindow, EditedValuesAreStoredInEitherLanguage) {
  for (int language : {0, 1}) {
    SCOPED_TRACE(language);
    EXPECT_EQ(Show(language,
                   [](QWidget* w) {
                     Ctl<QLineEdit>(w, IDC_COM_ADDRESS)->setText("21");
                     Ctl<QComboBox>(w, IDC_COM_PORT)->setEditText("/dev/pts/3");
                     Ctl<QComboBox>(w, IDC_COM_BAUD)->setCurrentIndex(0);
                     Ctl<QComboBox>(w, IDC_COM_PARITY)->setCurrentIndex(2);
                     QComboBox* interval = Ctl<QComboBox>(w, IDC_COM_INTERVAL);
                     interval->setCurrentIndex(interval->findText("5"));
                     QCheckBox* fast = Ctl<QCheckBox>(w, IDC_COM_FAST);
                     EXPECT_FALSE(fast->isChecked());
                     EXPECT_FALSE(fast->text().isEmpty());
                     fast->setChecked(true);
                     Ctl<QPushButton>(w, IDC_COM_OK)->click();
                   }),
              1);
    EXPECT_TRUE(CXCom().GetFastExchange());
    // Shown as stored; cleared and stored again.
    Show(language, [](QWidget* w) {
      QCheckBox* fast = Ctl<QCheckBox>(w, IDC_COM_FAST);
      EXPECT_TRUE(fast->isChecked());
      fast->setChecked(false);
      Ctl<QPushButton>(w, IDC_COM_OK)->click();
    });
    EXPECT_FALSE(CXCom().GetFastExchange());
    _tagComParam p;
    CXCom().GetComm(&p);
    EXPECT_EQ(p.Address, 21);
    EXPECT_STREQ(p.ComPort, "/dev/pts/3");
    EXPECT_EQ(p.Baudrate, 1200);
    EXPECT_EQ(p.Parity, 2);
    EXPECT_EQ(platform::GetPrivateProfileString("ComSet", "Interval", "", IniPath()), "5");
    std::remove(IniPath().c_str());
  }
  // The Chinese interval box takes a typed number of seconds.
  Show(0, [](QWidget* w) {
    Ctl<QComboBox>(w, IDC_COM_INTERVAL)->setEditText("45");
    Ctl<QPushButton>(w, IDC_COM_OK)->click();
  });
  _tagComParam p;
  CXCom().GetComm(&p);
  EXPECT_EQ(p.Interval, 45);
}

TEST_F(ComWindow, ValuesOutsideTheListsAreKeptUnlessAnotherIsChosen) {
  testenv::WriteFile(IniPath(), "[ComSet]\nBaudrate=115200\nParity=4\nInterval=7\n");
  Show(1, [](QWidget* w) {
    EXPECT_EQ(Ctl<QComboBox>(w, IDC_COM_BAUD)->currentIndex(), -1);
    EXPECT_EQ(Ctl<QComboBox>(w, IDC_COM_BAUD)->placeholderText(), "115200");
    EXPECT_EQ(Ctl<QComboBox>(w, IDC_COM_PARITY)->currentIndex(), -1);
    EXPECT_EQ(Ctl<QComboBox>(w, IDC_COM_INTERVAL)->currentIndex(), -1);
    Ctl<QPushButton>(w, IDC_COM_OK)->click();
  });
  _tagComParam p;
  CXCom().GetComm(&p);
  EXPECT_EQ(p.Baudrate, 115200);
  EXPECT_EQ(p.Parity, 4);
  EXPECT_EQ(p.Interval, 7);

  Show(0, [](QWidget* w) {
    EXPECT_EQ(Ctl<QComboBox>(w, IDC_COM_INTERVAL)->currentText(), "7");
    Ctl<QComboBox>(w, IDC_COM_BAUD)->setCurrentIndex(6);
    Ctl<QPushButton>(w, IDC_COM_OK)->click();
  });
  CXCom().GetComm(&p);
  EXPECT_EQ(p.Baudrate, 57600);
  EXPECT_EQ(p.Interval, 7);
}

TEST_F(ComWindow, RefusesWhatItCannotStoreAndStaysOpen) {
  _tagComParam p;
  CXCom().GetComm(&p);
  struct Case {
    int language;
    int id;
    const char* text;
    const char* message;
  } cases[] = {
      {0, IDC_COM_ADDRESS, "", "请输入一个整数。"},
      {1, IDC_COM_ADDRESS, "", "Please enter an integer."},
      {1, IDC_COM_ADDRESS, "256", "Please enter an address from 0 to 255."},
      {0, IDC_COM_PORT, "  ", "请输入串口名称（1 至 63 个字节，不含控制字符），例如 /dev/ttyUSB0 或 COM1。"},
      {1, IDC_COM_PORT, "/dev/serial/by-id/usb-Prolific_Technology_Inc._USB-Serial_Controller-if00",
       "Please enter the serial port name (1 to 63 bytes, no control characters), for example "
       "/dev/ttyUSB0 or COM1."},
      {0, IDC_COM_INTERVAL, "5秒", "请输入一个整数。"},
      {0, IDC_COM_INTERVAL, "0", "请输入不小于 1 的整数秒数。"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    CComDlg dlg(c.language, p);
    int saved = 0;
    dlg.SetSaver([&](_tagComParam*) { return ++saved > 0; }, "x");
    dlg.show();
    QWidget* field = Ctl<QWidget>(&dlg, c.id);
    if (auto* e = qobject_cast<QLineEdit*>(field)) e->setText(QString::fromUtf8(c.text));
    if (auto* b = qobject_cast<QComboBox*>(field)) b->setEditText(QString::fromUtf8(c.text));
    EXPECT_EQ(OkRefused(&dlg), QString::fromUtf8(c.message));
    EXPECT_EQ(saved, 0);
    dlg.reject();
  }
}

TEST_F(ComWindow, AFailedSaveIsReportedAndTheWindowStaysOpen) {
  _tagComParam p;
  CXCom().GetComm(&p);
  CComDlg dlg(1, p);
  bool fail = true;
  dlg.SetSaver([&](_tagComParam*) { return !fail; }, "/nowhere/XCom.ini");
  dlg.show();
  const QString text = OkRefused(&dlg);
  EXPECT_TRUE(text.startsWith("The serial settings could not be saved to /nowhere/XCom.ini."))
      << text.toStdString();
  fail = false;
  Ctl<QPushButton>(&dlg, IDC_COM_OK)->click();
  EXPECT_EQ(dlg.result(), QDialog::Accepted);
  EXPECT_FALSE(dlg.isVisible());
}

}  // namespace
