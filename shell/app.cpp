#include "shell/app.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <QTranslator>

#include "platform/appconfig.h"
#include "platform/ui/command.h"
#include "platform/ui/fonts.h"
#include "platform/ui/lang.h"
#include "shell/mainframe.h"
#include "shell/singleinstance.h"

namespace {

// The signal handler only writes the signal into a pipe; the window thread
// reads it there and ends the program.
int g_endPipe[2] = {-1, -1};

void OnEndSignal(int sig) {
  const char c = static_cast<char>(sig);
  [[maybe_unused]] const ssize_t n = ::write(g_endPipe[1], &c, 1);
}

}  // namespace

CRecviewApp::CRecviewApp() = default;

CRecviewApp::~CRecviewApp() = default;

bool CRecviewApp::InitInstance(const QStringList& arguments) {
  // 1. The language.
  language_ = platform::ReadLanguage();
  // 2-3. Its package becomes the source of every text; without it the start
  // ends silently.
  if (!lang::Register(language_)) {
    exitCode_ = 0;
    return false;
  }
  CommandRouter::Instance().Reset();

  // 5. The only argument used is a file name; it names a file of the folder
  // this start was made in, whichever process ends up opening it.
  QString file;
  for (int i = 1; i < arguments.size(); ++i) {
    if (!arguments[i].startsWith("-")) {
      file = QFileInfo(arguments[i]).absoluteFilePath();
      break;
    }
  }

  // 4, 6. One instance per user and settings directory: a second start hands
  // its file over and ends without a window.
  instance_ = std::make_unique<CSingleInstance>();
  const CSingleInstance::Start start = instance_->StartOrHandOver(file);
  if (start != CSingleInstance::Start::kListening) {
    instance_.reset();
    exitCode_ = start == CSingleInstance::Start::kHandedOver ? 0 : 1;
    return false;
  }

  // Standard buttons and dialogs of the toolkit in the same language.
  if (language_ == 0) {
    auto* qt = new QTranslator(qApp);
    if (qt->load("qtbase_zh_CN", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
      QCoreApplication::installTranslator(qt);
  }
  QApplication::setFont(UiFont(language_));

  // 7. The main frame, maximised, accepting dropped files; then the file.
  frame_ = std::make_unique<CMainFrame>();
  if (!frame_->Create()) {
    frame_.reset();
    exitCode_ = 1;
    return false;
  }
  QObject::connect(instance_.get(), &CSingleInstance::handOver, frame_.get(),
                   &CMainFrame::HandOver);
  // Without a window manager (a bare X server) maximising does nothing; start
  // at the size of the screen so the frame fills it either way.
  if (QScreen* screen = QGuiApplication::primaryScreen()) frame_->resize(screen->availableSize());
  frame_->showMaximized();
  if (!file.isEmpty()) frame_->OpenFile(file);
  // Once the window is up: a recording that a crash interrupted, then with
  // "--record" the live window recording at once (a recorder PC that starts
  // recording when it boots).
  WatchEndSignals();
  const bool record = arguments.contains("--record");
  QTimer::singleShot(0, frame_.get(), [frame = frame_.get(), record] {
    frame->OfferRecovery();
    if (record) frame->StartLiveRecording();
  });
  return true;
}

void CRecviewApp::WatchEndSignals() {
  if (g_endPipe[0] < 0 && ::pipe2(g_endPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(g_endPipe[0], QSocketNotifier::Read, frame_.get());
  QObject::connect(notifier, &QSocketNotifier::activated, frame_.get(),
                   [frame = frame_.get()] {
                     char c = 0;
                     while (::read(g_endPipe[0], &c, 1) > 0) {
                     }
                     frame->EndBySignal();
                   });
  struct sigaction action = {};
  action.sa_handler = OnEndSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
}

void CRecviewApp::ExitInstance() {
  const bool restart = frame_ && frame_->RestartRequested();
  frame_.reset();
  if (instance_) instance_->Close();
  instance_.reset();
  if (restart) {
    QProcess::startDetached(QString::fromStdString(platform::GetProgramDir()) + "recview", {});
  }
}
