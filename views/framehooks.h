#pragma once
// What a view asks of the main window without knowing it: the texts of the
// status bar panes and the channel submenu of the menu bar. The main window
// installs the hooks once; without them (tests, tools) views skip these steps.
#include <QString>
#include <functional>

class CXFile;
class QMenu;
class QWidget;

namespace charts {

struct FrameHooks {
  std::function<void(int pane, const QString& text)> setPaneText;
  std::function<QMenu*()> channelMenu;
  // Puts a view into a new child frame of the main window (document resource
  // `resource`, titled `title`) and returns the frame.
  std::function<QWidget*(QWidget* view, const QString& title, int resource)> addChild;
  // The statistics dialog on a file (the tables library provides it).
  std::function<void(QWidget* parent, CXFile* file)> statistics;
};

void SetFrameHooks(FrameHooks hooks);
const FrameHooks& GetFrameHooks();

}  // namespace charts
