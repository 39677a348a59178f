#pragma once
// The start of recview: language, language package, single instance, the
// command-line file, the main frame.
#include <QString>
#include <memory>

class CMainFrame;
class CSingleInstance;

class CRecviewApp {
 public:
  CRecviewApp();
  ~CRecviewApp();

  // Runs the start sequence. Returns true when the program goes on with its
  // main frame; false when the start ends here (no language package, or a
  // second start that handed its file over). exitCode() tells how it ended.
  bool InitInstance(const QStringList& arguments);
  int exitCode() const { return exitCode_; }

  CMainFrame* MainFrame() const { return frame_.get(); }
  int language() const { return language_; }

  // Called after the event loop ended: releases the single instance and, after
  // a language change, starts a new copy of the program.
  void ExitInstance();

 private:
  // SIGTERM and SIGHUP (log-out, shut-down) end the program through the main
  // frame (EndBySignal) instead of killing it.
  void WatchEndSignals();

  int language_ = 0;
  int exitCode_ = 0;
  std::unique_ptr<CSingleInstance> instance_;
  std::unique_ptr<CMainFrame> frame_;
};
