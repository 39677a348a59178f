#pragma once
// What a view asks of the main window without knowing it: the texts of the
// status bar panes and the channel submenu of the menu bar. The main window
// installs the hooks once; without them (tests, tools) views skip these steps.
#include <QString>
#include <functional>

class QMenu;
class QWidget;

namespace charts {

struct FrameHooks {
  std::function<void(int pane, const QString& text)> setPaneText;
  std::function<QMenu*()> channelMenu;
  // Puts a view into a new child window of the main window (title, frame
  // resource) and returns that window; views opened without it stand alone.
  std::function<QWidget*(QWidget* view, const QString& title, int resourceId)> addChild;
};

void SetFrameHooks(FrameHooks hooks);
const FrameHooks& GetFrameHooks();

}  // namespace charts
