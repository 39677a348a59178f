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
  // A timer of the application polls; it is deleted once done, and with the
  // application when the test ends first, so nothing outlives the run.
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, timer,
                   [timer, act = std::move(act), except, tries = 0]() mutable {
    timer->setInterval(10);
    QWidget* w = QApplication::activeModalWidget();
    const bool found = w && w != except && w->isVisible();
    if (found || ++tries > 500) {
      timer->stop();
      timer->deleteLater();
    }
    if (found) act(w);
  });
  timer->start(0);
}

}  // namespace testenv
