#pragma once
// The serial settings window. Built in code; every control carries its control
// id as objectName (decimal text), so it can be found by id.
#include <QDialog>
#include <QString>

#include <functional>

#include "link/comparam.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace portcfg {

// Control ids of the serial settings window.
enum ComDlgId {
  IDC_COM_OK = 1,  // confirm
  IDC_COM_CANCEL = 2,
  IDC_COM_ADDRESS = 1000,
  IDC_COM_PORT = 1001,
  IDC_COM_BAUD = 1002,
  IDC_COM_PARITY = 1003,
  IDC_COM_INTERVAL = 1004,
  IDC_COM_PICTURE = 1005,
  IDC_COM_FAST = 1006,  // the fast exchange
};

// The seven baud rates offered, in list order.
inline constexpr int kBaudRates[7] = {1200, 2400, 4800, 9600, 19200, 38400, 57600};

class CComDlg : public QDialog {
  Q_OBJECT

 public:
  // language: 0 Chinese, 1 English. The window shows param and edits a copy.
  CComDlg(int language, const _tagComParam& param, QWidget* parent = nullptr);

  // Called on confirmation with the edited record; when it returns false the
  // window tells the user that the settings file (path) could not be written
  // and stays open.
  void SetSaver(std::function<bool(_tagComParam*)> saver, const QString& path);

  // The edited record (valid after the window closed with OK).
  const _tagComParam& Param() const { return param_; }
  // The fast-exchange check box, kept beside the record.
  void SetFast(bool on);
  bool Fast() const;

  void done(int result) override;

 private:
  bool ReadBack();
  void Refuse(QWidget* field, const QString& text);

  int language_;
  _tagComParam param_;
  std::function<bool(_tagComParam*)> saver_;
  QString path_;
  QLineEdit* address_ = nullptr;
  QComboBox* port_ = nullptr;
  QComboBox* baud_ = nullptr;
  QComboBox* parity_ = nullptr;
  QComboBox* interval_ = nullptr;
  QCheckBox* fast_ = nullptr;
};

}  // namespace portcfg
