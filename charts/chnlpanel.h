#pragma once
// The channel side panel: one check box per channel (checked while the channel
// is shown) beside a mark in the channel's colour, 150 pixels wide at the
// right edge of the view, with its own scroll bar.
#include <QWidget>

class CXFile;
class QCheckBox;
class QLabel;
class QScrollBar;

namespace charts {

class CCurveChart;

class CChnlPanel : public QWidget {
  Q_OBJECT

 public:
  explicit CChnlPanel(QWidget* parent = nullptr);

  void SetRecord(CXFile* f) {
    if (f) file = f;
  }
  void SetNotify(CCurveChart* chart) { notify = chart; }
  void SetShown(int on) { shown = on; }
  // Lays the panel out (reposition = 1: also moves it), then fills it.
  void Rebuild(int reposition);
  bool HasRecord() const { return file != nullptr; }

  // A channel's box was ticked: its shown flag is inverted and written into
  // the file, and the chart redraws.
  void ToggleChannel(int ch);

  int shown = 0;
  CXFile* file = nullptr;
  CCurveChart* notify = nullptr;
  QLabel* marks[64] = {};
  QCheckBox* boxes[64] = {};
  QScrollBar* scrollBar = nullptr;

 private:
  void Fill();
  void OnScrollAction(int action);

  int scrollPos_ = 0;
};

}  // namespace charts
