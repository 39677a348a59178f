#pragma once
// RecordView: what the side windows of a recording view (record list, bars,
// range view, device information) may ask of it and hear from it. They call
// it by these typed members and never by name.
//
// The file belongs to the view. A view that replaces its file (a live view
// starting a new recording) says so on the window thread with
// fileAboutToBeReplaced(), before the old file goes: every side window drops
// its pointer into the file there, and takes File() again on fileReplaced().
#include <QWidget>
#include <cstdint>

class CXFile;

namespace views {

class ViewHost;

class RecordView : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

  // The recording shown (an empty file before the first recording).
  virtual CXFile* File() = 0;
  // The latest device word of a channel, as the recorder reports it now (0
  // for a recording that is not live).
  virtual uint64_t DevWord(int ch) const = 0;
  // The frame's status panes, and with menuToo its channel menu, show this
  // view's recording (a side window of it became active).
  virtual void RefreshFrameTexts(bool menuToo) = 0;
  // The host the view's windows go into.
  virtual ViewHost& Host() const = 0;

 signals:
  // A record was appended; records is the count now.
  void recordAppended(int records);
  // Recording started or stopped.
  void stateChanged();
  // File() is about to be closed and replaced: drop every pointer into it.
  void fileAboutToBeReplaced();
  // File() is the new recording.
  void fileReplaced();
};

}  // namespace views
