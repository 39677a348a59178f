#pragma once
// The channel report control and the range view that hosts it: one channel of
// a stored recording over a span as a daily circular chart, opened per
// channel from a history curve view, printed as a landscape page.
#include <QImage>
#include <QPointer>
#include <QWidget>
#include <ctime>

#include "platform/ui/command.h"
#include "views/viewhost.h"

class CXFile;

namespace charts {

class CHCView;

// The report control (1118): the picture drawn off screen, then shown.
class CChnlReport : public QWidget {
  Q_OBJECT
 public:
  explicit CChnlReport(QWidget* parent = nullptr);
  void SetRecord(CXFile* file) { file_ = file; }
  void SetSpan(time_t start, time_t end);
  void SetChannel(int ch);
  int Channel() const { return channel_; }
  time_t SpanStart() const { return start_; }
  time_t SpanEnd() const { return end_; }
  CXFile* Record() const { return file_; }
  // Draws the picture anew at the control's size.
  void Relayout();
  const QImage& Picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent*) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  CXFile* file_ = nullptr;
  int channel_ = 0;
  time_t start_ = 0, end_ = 0;
  QImage picture_;
};

// The range view (179) of one channel; it borrows the opener's file.
class CRangeView : public QWidget, public CommandTarget {
  Q_OBJECT
 public:
  explicit CRangeView(views::ViewHost& host = views::ViewHost::Standalone(), QWidget* parent = nullptr);
  ~CRangeView() override;

  // Given in this order by the opener.
  void SetOwner(CHCView* owner) { owner_ = owner; }
  void SetRecord(CXFile* file);
  void SetSpan(time_t start, time_t end);
  void SetChannel(int ch);

  CChnlReport* Report() const { return report_; }
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CommandState& state) override;
  void Print();
  void PrintPreview();

 protected:
  void resizeEvent(QResizeEvent*) override;

 private:
  views::ViewHost* host_;
  QPointer<CHCView> owner_;
  CXFile* file_ = nullptr;
  CChnlReport* report_;
};

}  // namespace charts
