// The window half of CXCom: the serial settings window (Qt Widgets). The
// settings half, xcom.cpp, needs no Qt and serves the command-line tool and
// the download.
#include <QApplication>

#include "portcfg/comdlg.h"
#include "portcfg/xcom.h"

int CXCom::ShowXWnd(int language) {
  _tagComParam param;
  GetComm(&param);
  portcfg::CComDlg dlg(language == 0 ? 0 : 1, param, QApplication::activeWindow());
  dlg.SetFast(GetFastExchange());
  dlg.SetSaver([this, &dlg](_tagComParam* edited) {
                 return SetComm(edited) && SetFastExchange(dlg.Fast());
               },
               QString::fromStdString(GetPrivateFile()));
  return dlg.exec() == QDialog::Accepted ? 1 : 0;
}

