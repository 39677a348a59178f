#pragma once
// Driving modal windows in GUI tests: OnModal schedules an action for the next
// modal window that opens (a dialog's exec(), a message box), so a test can
// start a blocking call and act inside it.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace testenv {

// Calls act(window) once a modal window other than `except` is active; gives up
// after about five seconds (the blocking call then stays open and the test
// times out with a clear failure from the caller's expectations).
inline void OnModal(std::function<void(QWidget*)> act, QWidget* except = nullptr) {
  auto tries = std::make_shared<int>(0);
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [act = std::move(act), except, tries, poll]() {
    QWidget* w = QApplication::activeModalWidget();
    if (w && w != except && w->isVisible()) {
      *poll = nullptr;  // ends the self-reference; the running copy belongs to the timer
      act(w);
      return;
    }
    if (++*tries > 500) {
      *poll = nullptr;
      return;
    }
    QTimer::singleShot(10, *poll);
  };
  QTimer::singleShot(0, *poll);
}

}  // namespace testenv
