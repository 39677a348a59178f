#include <QApplication>

#include "shell/app.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName("recview");
  QCoreApplication::setOrganizationName("Corvane");
  QCoreApplication::setApplicationVersion(RECVIEW_VERSION);
  CRecviewApp recview;
  if (!recview.InitInstance(QCoreApplication::arguments())) return recview.exitCode();
  int rc = app.exec();
  recview.ExitInstance();
  return rc;
}
