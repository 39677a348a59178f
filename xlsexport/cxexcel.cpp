#include "xlsexport/cxexcel.h"

#include <QApplication>

#include "data/cxfile.h"
#include "xlsexport/exportwnd.h"

CXExcel::CXExcel() = default;
CXExcel::CXExcel(const CXExcel& other) = default;
CXExcel::~CXExcel() = default;
CXExcel& CXExcel::operator=(const CXExcel& other) = default;

void CXExcel::SetFile(CXFile* file) {
  file_ = file;
  if (file_) {
    start_ = file_->GetStartTime();
    end_ = file_->GetEndTime();
  }
}

void CXExcel::SetRange(time_t start, time_t end) {
  start_ = start;
  end_ = end;
}

void CXExcel::ShowXWnd(int language) {
  if (language != 0 && language != 1) return;
  xlsexport::ExportWnd wnd(language, file_, start_, end_, QApplication::activeWindow());
  wnd.exec();
}
