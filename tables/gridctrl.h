#pragma once
// CXGridCtrl: the owner-drawn table of the record list. One row per shown
// instant, a number and a time column that never scroll, then one column per
// channel from the first visible channel on. Drawn into an off-screen image
// and copied to the window.
#include <QImage>
#include <QWidget>
#include <ctime>

#include "tables/listcore.h"

class CXFile;
class QScrollBar;
class QPainter;

namespace tables {

class CXGridCtrl : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kColumns = 2 + 64 + 1;  // number, time, channels, sentinel
  static constexpr int kSentinel = 20000;

  explicit CXGridCtrl(QWidget* parent = nullptr);
  ~CXGridCtrl() override;

  // Takes channel count, times and interval from the file (null: nothing
  // shown). Unless keep-top is set the first row goes back to the file
  // start; when following, the newest records fill the table.
  void Attach(CXFile* file);
  CXFile* File() const { return file_; }
  // Draws into the off-screen image and shows it.
  void Redraw();
  void Relayout();
  // Top row = t rounded down to a row, kept within the file; the selection
  // becomes that one instant.
  void GoToTime(time_t t);
  void SelectAll();
  void GetSelection(time_t& anchor, time_t& end) const {
    anchor = selAnchor_;
    end = selEnd_;
  }
  // True when a selection is set and lies within the file.
  bool HasValidSelection() const;
  int GetFollow() const { return follow_; }
  void SetFollow(int follow);
  void SetKeepTop(int keep) { keepTop_ = keep; }
  int GetKeepTop() const { return keepTop_; }
  time_t GetTopTime() const { return topTime_; }
  int GetRowStep() const { return rowStep_; }
  void SetRowStep(int step);
  int FirstChannel() const { return firstChannel_; }
  int RowHeight() const { return rowHeight_; }
  int ColumnWidth(int i) const { return i >= 0 && i < kColumns ? widths_[i] : 0; }
  ListClock Clock() const;

  // Scrolling as the inputs do it (rows may be negative).
  void ScrollRows(long long rows);
  void ScrollChannels(int delta);
  // What the table shows now (tests, benchmarks).
  const QImage& Image() const { return image_; }
  QScrollBar* VBar() const { return vbar_; }
  QScrollBar* HBar() const { return hbar_; }
  bool HasVBar() const { return hasVBar_; }
  // Rows of data that fit the table.
  int VisibleRows() const;
  // The instant of data row r (1-based) under the current top.
  time_t RowInstant(int r) const;

  // Draws a table into p: the header and up to `rows` rows from `top`, with
  // columns of the given widths (number, time, then channels from the first
  // visible one, ending at the sentinel), row height g, up to x = right.
  // The screen and the printed page both use it.
  struct TableStyle {
    int rowHeight = 20;
    int right = 0;
    int bottom = 0;
    int inset = 4;
    int lineWidth = 1;
    QColor lineColour;
    QFont headFont;
    QFont dataFont;
    bool fastText = false;  // body texts as cached glyphs (raster images only)
    // The channels from..to (from 0, inclusive); from -1: from the first
    // visible one as far as the table reaches.
    int channelFrom = -1, channelTo = 63;
  };
  void DrawTable(QPainter& p, const int* widths, time_t top, int rows, const TableStyle& style) const;

 signals:
  // The right button was released over the grid (screen position).
  void RightButtonReleased(QPoint globalPos);

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;
  void mousePressEvent(QMouseEvent*) override;
  void mouseMoveEvent(QMouseEvent*) override;
  void mouseReleaseEvent(QMouseEvent*) override;
  void wheelEvent(QWheelEvent*) override;
  void keyPressEvent(QKeyEvent*) override;

 private:
  void Render();
  void UpdateVBar();
  void OnVBarAction(int action);
  void OnHBarAction(int action);
  // Column index (0 number, 1 time, 2.. channels) whose right border lies
  // within 2 pixels of x, or -1.
  int BorderAt(int x) const;

  int widths_[kColumns] = {};
  int rowStep_ = 1;
  int dragX_ = 0, dragY_ = 0;
  int resizing_ = 0;
  int hotColumn_ = -1;
  int widthsSet_ = 0;
  int firstChannel_ = 0;
  int pageCount_ = 0;
  time_t selAnchor_ = 0, selEnd_ = 0;
  int keepTop_ = 0;
  int vRange_ = 0;
  QRect table_;
  bool hasVBar_ = false, hasHBar_ = true;
  QScrollBar* vbar_;
  QScrollBar* hbar_;
  time_t topTime_ = 0;
  int chnlCount_ = 1;
  int rowHeight_ = 20;
  int interval_ = 1;
  time_t endTime_ = 0, startTime_ = 0;
  QImage image_;
  CXFile* file_ = nullptr;
  int follow_ = 0;
  bool settingBar_ = false;
  bool selecting_ = false;
};

}  // namespace tables
