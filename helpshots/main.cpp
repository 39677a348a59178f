// helpshots: the screenshots of the help pages, taken from the program
// itself. Starts the main frame in one language with a data file open, runs
// each command of the list below and saves the window it brings up (the
// modal dialog, or else the main frame with its new window) as a PNG named
// after the page that shows it. scripts/help-screenshots runs it under Xvfb
// for both languages; nothing of it runs at build or test time.
//
// usage: helpshots LANGUAGE(0 chinese, 1 english) OUTDIR [DATAFILE]
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <functional>
#include <memory>

#include "platform/profile.h"
#include "platform/programdir.h"
#include "platform/ui/command.h"
#include "platform/ui/commandids.h"
#include "platform/ui/msgbox.h"
#include "shell/app.h"
#include "shell/mainframe.h"
#include "views/hcview.h"

namespace {

enum class Kind {
  Window,       // the command's modal dialog, or else the main frame with its new window
  Step,         // a command whose work is waited for (its modal progress included), no picture
  ContextMenu,  // the active curve view's context menu, with its greyed commands
};

struct Shot {
  const char* name;  // file name without .png
  int command;       // 0: the main frame as it is
  int settleMs = 900;  // time the window takes to show what it shows
  Kind kind = Kind::Window;
};

// The windows the help pages show, in the order they are taken.
const Shot kShots[] = {
    {"main", 0},
    {"comm-settings", ID_COMM_SETTINGS},
    {"curve-defaults", ID_VIEW_DEFAULTS},
    {"record-settings", ID_RECORD_SETTINGS},
    {"download", ID_DOWNLOAD, 4000},  // connects to the recorder first
    {"go-to-time", ID_GOTO_TIME},
    {"set-window", ID_SET_WINDOW},
    {"find", ID_FIND},
    {"edit-marks", ID_EDIT_MARKS},
    {"reference-lines", ID_REF_LINES},
    {"curve-properties", ID_CURVE_PROPERTIES, 600, Kind::ContextMenu},
    {"statistics", ID_STATISTICS},
    {"record-list", ID_OPEN_LIST},
    {"channel-window", ID_CHNL_WINDOW},  // channel 1 as a circular chart
    {"information", ID_SHOW_INFO},
    {"about", ID_APP_ABOUT},
    // A live recording from the demo recorder, for its side windows.
    {"live-window", ID_LIVE_VIEW, 600, Kind::Step},
    {"live-start", ID_REC_START, 15000, Kind::Step},
    {"live", 0, 6000},  // a few records on the chart
    {"bars", ID_REC_BARS, 2500},
    {"live-again", ID_LIVE_VIEW, 600, Kind::Step},
    {"circular", ID_REC_RANGE, 2500},
};

void Save(QWidget* w, const QString& dir, const char* name) {
  const QImage image = w->grab().toImage();
  const QString path = dir + "/" + name + ".png";
  if (image.save(path)) std::printf("%s\n", qPrintable(path));
  else std::fprintf(stderr, "helpshots: %s could not be written\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: helpshots LANGUAGE(0 chinese, 1 english) OUTDIR [DATAFILE]\n");
    return 2;
  }
  QApplication app(argc, argv);
  const QString dir = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(dir);
  platform::WritePrivateProfileString("LanguageSetting", "Language", argv[1],
                                      platform::SettingsPath("Config.ini"));
  QStringList arguments{"recview"};
  if (argc > 3) arguments << QString::fromLocal8Bit(argv[3]);
  CRecviewApp recview;
  if (!recview.InitInstance(arguments)) return 1;
  CMainFrame* frame = recview.MainFrame();
  frame->showNormal();
  frame->resize(1100, 720);

  // One shot after the other, each after the window it needs has settled.
  size_t next = 0;
  std::function<void()> take = [&] {
    if (next >= std::size(kShots)) {
      // The demo recording is not kept: closing answers No to saving it.
      SetMsgBoxAnswerer([](const MsgBoxRequest&) { return QMessageBox::No; });
      QApplication::quit();
      return;
    }
    const Shot shot = kShots[next++];
    if (shot.command == 0) {
      QTimer::singleShot(next == 1 ? 0 : shot.settleMs, [&, shot] {
        Save(frame, dir, shot.name);
        QTimer::singleShot(200, take);
      });
      return;
    }
    if (shot.kind == Kind::ContextMenu) {
      // The menu as a right click shows it, taken while it is open.
      auto* area = frame->findChild<QMdiArea*>();
      QMdiSubWindow* sub = area ? area->activeSubWindow() : nullptr;
      auto* view = sub ? sub->findChild<charts::CHCView*>() : nullptr;
      QMenu* menu = view ? view->ContextMenu(view->mapToGlobal(view->rect().center()), false) : nullptr;
      if (!menu) {
        std::fprintf(stderr, "helpshots: %s: no curve window is active\n", shot.name);
        QTimer::singleShot(0, take);
        return;
      }
      menu->popup(view->mapToGlobal(view->rect().center()));
      QTimer::singleShot(shot.settleMs, [&, shot, menu] {
        Save(menu, dir, shot.name);
        menu->close();
        menu->deleteLater();
        QTimer::singleShot(300, take);
      });
      return;
    }
    if (shot.kind == Kind::Step) {
      // Waited for until no modal window (a progress window) is left, at
      // most settleMs; nothing is taken.
      auto waited = std::make_shared<int>(0);
      auto poll = std::make_shared<std::function<void()>>();
      *poll = [&, shot, waited, poll] {
        *waited += 200;
        if (QApplication::activeModalWidget() && *waited < shot.settleMs) {
          QTimer::singleShot(200, *poll);
          return;
        }
        QTimer::singleShot(300, take);
        *poll = nullptr;  // ends the cycle of the poll holding itself
      };
      QTimer::singleShot(200, *poll);
      CommandRouter::Instance().Dispatch(shot.command);
      return;
    }
    const CommandState state = CommandRouter::Instance().Query(shot.command);
    if (!state.enabled) {
      std::fprintf(stderr, "helpshots: %s: the command is not available here\n", shot.name);
      QTimer::singleShot(0, take);
      return;
    }
    // A modal window runs its own loop: it is taken and closed from inside.
    QTimer::singleShot(shot.settleMs, [&, shot] {
      if (QWidget* modal = QApplication::activeModalWidget()) {
        Save(modal, dir, shot.name);
        modal->close();
      } else {
        Save(frame, dir, shot.name);
        if (auto* area = frame->findChild<QMdiArea*>()) {
          // Back to the curves for the next command.
          const auto windows = area->subWindowList(QMdiArea::CreationOrder);
          if (windows.size() > 1) windows.last()->close();
        }
      }
      QTimer::singleShot(300, take);
    });
    CommandRouter::Instance().Dispatch(shot.command);
  };
  QTimer::singleShot(800, take);
  const int rc = app.exec();
  recview.ExitInstance();
  return rc;
}
