// The window half of CXViewDef: the defaults window (Qt Widgets). The
// settings half, viewdef.cpp, needs no Qt and serves the command-line tool.
#include <QApplication>

#include "viewcfg/viewdef.h"
#include "viewcfg/viewdlg.h"

int CXViewDef::ShowXWnd(int language) {
  if (language != 0 && language != 1) return 0;
  _tagViewDef view;
  GetView(&view);
  viewcfg::CViewDlg dlg(language, view, QApplication::activeWindow());
  dlg.SetSaver([this](_tagViewDef* edited) { return SetView(edited); },
               QString::fromStdString(GetPrivateFile()));
  return dlg.exec() == QDialog::Accepted ? 1 : 0;
}
