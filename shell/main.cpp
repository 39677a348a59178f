#include <QApplication>
#include <QMessageBox>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>

#include <cstdio>
#include <cstring>

#include "data/filehandles.h"
#include "platform/ui/postto.h"
#include "platform/programdir.h"
#include "shell/app.h"

// The message box the driver plug-ins show through (they look it up by name).
// A plug-in may ask from any thread; the box always opens on the window thread.
extern "C" __attribute__((visibility("default"))) int RecviewMessageBox(const char* text,
                                                                         const char* caption) {
  const QString t = QString::fromUtf8(text ? text : ""), c = QString::fromUtf8(caption ? caption : "");
  auto show = [&] { QMessageBox(QMessageBox::Information, c, t, QMessageBox::Ok).exec(); };
  if (QThread::currentThread() == qApp->thread()) show();
  else platform::PostTo(qApp, show, Qt::BlockingQueuedConnection);
  return 1;
}

// --help and --version answer on standard output and end the start before
// anything needs a display or a settings directory.
bool AnsweredOnTheCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
      std::fputs(
          "usage: recview [--record] [FILE]\n\n"
          "Downloads, records and shows the data of multi-channel measurement recorders.\n\n"
          "  FILE       a data file (.KVD) or cumulative file (.KVC) to open; when recview\n"
          "             already runs, its window opens the file\n"
          "  --record   start recording live as soon as the window is up\n"
          "  --help     show this text\n"
          "  --version  show the version\n\n"
          "rectool is the same program on the command line; man recview tells more.\n",
          stdout);
      return true;
    }
    if (!std::strcmp(argv[i], "--version")) {
      std::puts("recview " RECVIEW_VERSION);
      return true;
    }
  }
  return false;
}

int main(int argc, char** argv) {
  if (AnsweredOnTheCommandLine(argc, argv)) return 0;
  // A shared lock held for the life of the process: whoever serves this
  // settings directory (run-recview's demo recorder) waits until no recview
  // of it runs, across the restart of a language change.
  UniqueFd running(::open(platform::SettingsPath("recview.run").c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (running.valid()) ::flock(running.get(), LOCK_SH);
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
