#include "tables/gridctrl.h"

#include <QFontMetrics>
#include <QGlyphRun>
#include <QHash>
#include <QRawFont>
#include <memory>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "charts/bufferdc.h"
#include "data/cxfile.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

namespace tables {

namespace {
constexpr int kBar = 16;  // scroll bar thickness

// Cell texts of the table body are digits, signs and separators. Their glyphs
// and advances are looked up once per font and drawn as glyph runs, without
// the text shaping that would otherwise cost most of a redraw. Any other
// text is drawn the ordinary way.
class AsciiText {
 public:
  explicit AsciiText(const QFont& font) : raw_(QRawFont::fromFont(font)) {
    for (int c = 32; c < 127; ++c) {
      const QList<quint32> g = raw_.glyphIndexesForString(QString(QChar(c)));
      glyph_[c] = g.isEmpty() ? 0 : g[0];
      if (glyph_[c]) advance_[c] = raw_.advancesForGlyphIndexes(QList<quint32>{glyph_[c]}).value(0).x();
    }
  }
  // False when the text has a character outside the table.
  bool Fits(const QString& text) const {
    if (!raw_.isValid()) return false;
    for (QChar ch : text)
      if (ch.unicode() < 32 || ch.unicode() >= 127 || !glyph_[ch.unicode()]) return false;
    return true;
  }
  qreal Advance(const QString& text) const {
    qreal w = 0;
    for (QChar ch : text) w += advance_[ch.unicode()];
    return w;
  }
  void Draw(QPainter& p, QPointF at, const QString& text) {
    glyphs_.resize(text.size());
    positions_.resize(text.size());
    qreal x = 0;
    for (int i = 0; i < text.size(); ++i) {
      const ushort c = text[i].unicode();
      glyphs_[i] = glyph_[c];
      positions_[i] = QPointF(x, 0);
      x += advance_[c];
    }
    QGlyphRun run;
    run.setRawFont(raw_);
    run.setGlyphIndexes(glyphs_);
    run.setPositions(positions_);
    p.drawGlyphRun(at, run);
  }

 private:
  QRawFont raw_;
  quint32 glyph_[128] = {};
  qreal advance_[128] = {};
  QList<quint32> glyphs_;
  QList<QPointF> positions_;
};
}  // namespace

CXGridCtrl::CXGridCtrl(QWidget* parent) : QWidget(parent) {
  setObjectName("1048");
  setFocusPolicy(Qt::StrongFocus);
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  vbar_ = new QScrollBar(Qt::Vertical, this);
  vbar_->setObjectName("100");
  vbar_->hide();
  hbar_ = new QScrollBar(Qt::Horizontal, this);
  hbar_->setObjectName("101");
  hbar_->setSingleStep(1);
  hbar_->setPageStep(1);
  connect(vbar_, &QScrollBar::actionTriggered, this, &CXGridCtrl::OnVBarAction);
  connect(hbar_, &QScrollBar::actionTriggered, this, &CXGridCtrl::OnHBarAction);
}

CXGridCtrl::~CXGridCtrl() = default;

ListClock CXGridCtrl::Clock() const {
  ListClock c;
  c.start = startTime_;
  c.end = std::max(endTime_, startTime_);
  c.interval = std::max(interval_, 1);
  c.step = std::max(rowStep_, 1);
  return c;
}

void CXGridCtrl::Attach(CXFile* file) {
  file_ = file;
  if (file_) {
    chnlCount_ = std::max(file_->GetChnlCount(), 1);
    startTime_ = file_->GetStartTime();
    endTime_ = file_->GetEndTime();
    interval_ = file_->GetInterval();
    firstChannel_ = std::min(firstChannel_, chnlCount_ - 1);
    if (!keepTop_ || topTime_ == 0) topTime_ = startTime_;
    topTime_ = Clock().Clamp(topTime_);
  } else {
    chnlCount_ = 1;
    startTime_ = endTime_ = topTime_ = 0;
    selAnchor_ = selEnd_ = 0;
  }
  Relayout();
  if (file_ && follow_) {
    const int rows = table_.height() / rowHeight_;
    topTime_ = Clock().FollowTop(rows);
    UpdateVBar();
  }
  Redraw();
}

void CXGridCtrl::Relayout() {
  if (parentWidget() && geometry() != parentWidget()->rect()) {
    // Resizing calls back here through resizeEvent.
    setGeometry(parentWidget()->rect());
  }
  if (file_ && !widthsSet_) {
    widths_[0] = 60;
    widths_[1] = 160;
    const int n = std::min(file_->GetChnlCount(), 64);
    for (int ch = 0; ch < n; ++ch)
      widths_[2 + ch] = ChannelWidth(file_->GetChnlName(ch), file_->GetChnlUnit(ch));
    widths_[2 + n] = kSentinel;
    widthsSet_ = 1;
  }
  const int w = width(), h = height();
  const long long count = file_ ? Clock().RecordCount() : 0;
  const int fit = std::max((h - kBar) / rowHeight_, 0);
  hasVBar_ = file_ && count >= fit;
  table_ = QRect(0, 0, std::max(w - (hasVBar_ ? kBar : 0), 1), std::max(h - kBar, 1));
  hbar_->setGeometry(0, h - kBar, table_.width(), kBar);
  hbar_->show();
  settingBar_ = true;
  hbar_->setRange(0, std::max(chnlCount_ - 1, 0));
  hbar_->setValue(firstChannel_);
  settingBar_ = false;
  if (hasVBar_) {
    vbar_->setGeometry(w - kBar, 0, kBar, h - kBar);
    vbar_->show();
  } else {
    vbar_->hide();
  }
  vRange_ = file_ ? Clock().BarRange() : 0;
  UpdateVBar();
  image_ = QImage(table_.size(), QImage::Format_RGB32);
  image_.fill(charts::SystemColors().face);
}

void CXGridCtrl::UpdateVBar() {
  settingBar_ = true;
  vbar_->setRange(0, vRange_);
  vbar_->setPageStep(1);
  vbar_->setSingleStep(1);
  if (hasVBar_ && file_) vbar_->setSliderPosition(Clock().BarPos(topTime_));
  settingBar_ = false;
}

int CXGridCtrl::VisibleRows() const { return table_.height() / rowHeight_; }

time_t CXGridCtrl::RowInstant(int r) const { return Clock().InstantAt(topTime_, r); }

bool CXGridCtrl::HasValidSelection() const {
  if (!file_ || selAnchor_ == 0 || selEnd_ == 0) return false;
  const ListClock c = Clock();
  return std::min(selAnchor_, selEnd_) >= c.start && std::max(selAnchor_, selEnd_) <= c.end;
}

void CXGridCtrl::SetFollow(int follow) {
  follow_ = follow ? 1 : 0;
  if (follow_ && file_) {
    topTime_ = Clock().FollowTop(VisibleRows());
    UpdateVBar();
    Redraw();
  }
}

void CXGridCtrl::SetRowStep(int step) {
  rowStep_ = std::max(step, 1);
  Redraw();
}

void CXGridCtrl::GoToTime(time_t t) {
  if (!file_) return;
  topTime_ = Clock().GoTo(t);
  selAnchor_ = selEnd_ = topTime_;
  UpdateVBar();
  Redraw();
}

void CXGridCtrl::SelectAll() {
  if (!file_) return;
  selAnchor_ = startTime_;
  selEnd_ = std::max(endTime_, startTime_);
  Redraw();
}

void CXGridCtrl::ScrollRows(long long rows) {
  if (!file_) return;
  topTime_ = Clock().Scroll(topTime_, rows);
  UpdateVBar();
  Redraw();
}

void CXGridCtrl::ScrollChannels(int delta) {
  firstChannel_ = std::clamp(firstChannel_ + delta, 0, chnlCount_ - 1);
  settingBar_ = true;
  hbar_->setSliderPosition(firstChannel_);
  settingBar_ = false;
  Redraw();
}

void CXGridCtrl::OnVBarAction(int action) {
  if (settingBar_ || !file_) return;
  // Any use of the bar ends following the newest records.
  follow_ = 0;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: topTime_ = Clock().Scroll(topTime_, -10); break;
    case QAbstractSlider::SliderSingleStepAdd: topTime_ = Clock().Scroll(topTime_, 10); break;
    case QAbstractSlider::SliderPageStepSub: topTime_ = Clock().Scroll(topTime_, -100); break;
    case QAbstractSlider::SliderPageStepAdd: topTime_ = Clock().Scroll(topTime_, 100); break;
    case QAbstractSlider::SliderToMinimum: topTime_ = startTime_; break;
    case QAbstractSlider::SliderToMaximum: topTime_ = Clock().end; break;
    case QAbstractSlider::SliderMove: topTime_ = Clock().ThumbTop(vbar_->sliderPosition()); break;
    default: return;
  }
  if (action != QAbstractSlider::SliderMove) UpdateVBar();
  Redraw();
}

void CXGridCtrl::OnHBarAction(int action) {
  if (settingBar_) return;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
    case QAbstractSlider::SliderPageStepSub: ScrollChannels(-1); break;
    case QAbstractSlider::SliderSingleStepAdd:
    case QAbstractSlider::SliderPageStepAdd: ScrollChannels(1); break;
    case QAbstractSlider::SliderToMinimum: ScrollChannels(-chnlCount_); break;
    case QAbstractSlider::SliderToMaximum: ScrollChannels(chnlCount_); break;
    case QAbstractSlider::SliderMove:
      firstChannel_ = std::clamp(hbar_->sliderPosition(), 0, chnlCount_ - 1);
      Redraw();
      break;
    default: break;
  }
}

void CXGridCtrl::DrawTable(QPainter& p, const int* widths, time_t top, int rows,
                           const TableStyle& s) const {
  const int g = s.rowHeight;
  const int right = s.right;
  // Column boundaries: number, time, then the visible channels up to the
  // right edge.
  int xs[kColumns + 1];
  int cols[kColumns];
  int nCols = 0;
  int x = 0;
  xs[0] = 0;
  for (int i = 0; i < 2 && x < right; ++i) {
    x += widths[i];
    cols[nCols] = i;
    xs[++nCols] = x;
  }
  const int fromCh = s.channelFrom >= 0 ? s.channelFrom : firstChannel_;
  const int endCh = std::min({chnlCount_, 64, s.channelTo + 1});
  for (int ch = fromCh; file_ && ch < endCh && x < right; ++ch) {
    if (widths[2 + ch] >= kSentinel) break;
    x += widths[2 + ch];
    cols[nCols] = 2 + ch;
    xs[++nCols] = x;
  }

  QPen line(s.lineColour);
  line.setWidth(s.lineWidth);
  p.setPen(line);
  for (int y = 0; y <= s.bottom; y += g) p.drawLine(0, y, right, y);
  for (int i = 1; i <= nCols; ++i) p.drawLine(xs[i], 0, xs[i], s.bottom);

  // Header row.
  const int flags = Qt::AlignCenter | Qt::TextSingleLine;
  const int inset = static_cast<int>(0.2 * g);
  p.setFont(s.headFont);
  p.setPen(Qt::black);
  for (int i = 0; i < nCols; ++i) {
    const int c = cols[i];
    const int in = c < 2 ? inset : 2;
    QString text;
    if (c == 0)
      text = lang::String(IDS_COL_NUMBER);
    else if (c == 1)
      text = lang::String(IDS_COL_TIME);
    else if (file_)
      text = QString::fromStdString(ChannelHeader(*file_, c - 2));
    p.drawText(QRect(xs[i] + in, 0, xs[i + 1] - xs[i] - 2 * in, g), flags, text);
  }
  if (!file_) return;

  // Data rows, up to the first instant past the file end. Centred by hand:
  // the text layout behind aligned drawText costs more than everything
  // else here; a text wider than its cell is clipped to it.
  p.setFont(s.dataFont);
  const QFontMetrics fm(s.dataFont, p.device());
  const int baseline = (g - fm.height()) / 2 + fm.ascent();
  static QHash<QString, std::shared_ptr<AsciiText>> fastFonts;
  std::shared_ptr<AsciiText> fast;
  if (s.fastText) {
    const QString key = s.dataFont.key();
    fast = fastFonts.value(key);
    if (!fast) fastFonts.insert(key, fast = std::make_shared<AsciiText>(s.dataFont));
  }
  auto drawCell = [&](const QRect& cell, const QString& text) {
    if (fast && fast->Fits(text)) {
      const qreal w = fast->Advance(text);
      if (w <= cell.width()) {
        fast->Draw(p, QPointF(cell.left() + (cell.width() - w) / 2, cell.top() + baseline), text);
        return;
      }
    }
    const int w = fm.horizontalAdvance(text);
    const int x0 = cell.left() + (cell.width() - w) / 2;
    if (w > cell.width()) {
      p.save();
      p.setClipRect(cell);
      p.drawText(x0, cell.top() + baseline, text);
      p.restore();
    } else {
      p.drawText(x0, cell.top() + baseline, text);
    }
  };
  const ListClock clock = Clock();
  const QColor red(255, 0, 0);
  for (int r = 1; r <= rows; ++r) {
    const time_t t = clock.RowTime(top, r);
    if (t > clock.end) break;
    const int y = r * g;
    for (int i = 0; i < nCols; ++i) {
      const int c = cols[i];
      QRect cell(xs[i] + s.inset, y, xs[i + 1] - xs[i] - 2 * s.inset, g);
      bool alarm = false;
      QString text;
      if (c == 0)
        text = QString::number(clock.RowNumber(t));
      else if (c == 1)
        text = QString::fromStdString(FormatTime(t));
      else
        text = QString::fromStdString(ValueText(*file_, c - 2, t, &alarm));
      p.setPen(alarm ? red : QColor(Qt::black));
      drawCell(cell, text);
    }
  }
}

void CXGridCtrl::Render() {
  if (image_.size() != table_.size()) image_ = QImage(table_.size(), QImage::Format_RGB32);
  const charts::SysColors& sys = charts::SystemColors();
  QPainter p(&image_);
  const int g = rowHeight_;
  p.fillRect(image_.rect(), sys.light);
  p.fillRect(QRect(0, 0, image_.width(), g), sys.face);
  p.fillRect(QRect(0, 0, widths_[0] ? widths_[0] : 60, image_.height()), sys.face);

  // Selection band.
  if (file_ && selAnchor_ >= startTime_ && selAnchor_ != 0) {
    const time_t stride = Clock().Stride();
    auto rowOf = [&](time_t t) -> long long {
      const long long d = t - topTime_;
      return (d >= 0 ? d / stride : -((-d + stride - 1) / stride)) + 1;
    };
    long long a = rowOf(selAnchor_), b = rowOf(selEnd_);
    if (a > b) std::swap(a, b);
    const long long top = std::max<long long>(a, 1) * g;
    const long long bottom = std::min<long long>((b + 1) * g, image_.height() + g);
    if (bottom > top) {
      QPen dotted(Qt::black, 1, Qt::DotLine);
      p.setPen(dotted);
      p.setBrush(sys.face);
      p.drawRect(QRect(0, static_cast<int>(top), image_.width() - 1, static_cast<int>(bottom - top)));
      p.setBrush(Qt::NoBrush);
    }
  }

  TableStyle s;
  s.rowHeight = g;
  s.right = image_.width();
  s.bottom = image_.height();
  s.inset = static_cast<int>(0.2 * g);
  s.lineColour = sys.shadow;
  s.headFont = charts::CellFont(lang::String(IDS_TABLE_FONT), static_cast<int>(0.6 * g));
  s.dataFont = s.headFont;
  s.fastText = true;
  DrawTable(p, widths_, topTime_, image_.height() / g, s);
}

void CXGridCtrl::Redraw() {
  Render();
  update();
}

void CXGridCtrl::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.drawImage(0, 0, image_);
  if (hasVBar_) p.fillRect(QRect(width() - kBar, height() - kBar, kBar, kBar), charts::SystemColors().face);
}

void CXGridCtrl::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  Relayout();
  if (file_ && follow_) topTime_ = Clock().FollowTop(VisibleRows());
  Render();
}

int CXGridCtrl::BorderAt(int x) const {
  int right = 0;
  for (int c = 0; c < kColumns; ++c) {
    if (c >= 2 && c - 2 < firstChannel_) continue;
    if (c >= 2 && (c - 2 >= chnlCount_ || widths_[c] >= kSentinel)) break;
    right += widths_[c];
    if (std::abs(x - right) <= 2) return c;
    if (right > table_.width()) break;
  }
  return -1;
}

void CXGridCtrl::mousePressEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (e->button() != Qt::LeftButton) return;
  setFocus();
  if (hotColumn_ >= 0 && pos.y() < rowHeight_) {
    resizing_ = 1;
    dragX_ = pos.x();
    dragY_ = pos.y();
    return;
  }
  if (!file_ || pos.y() < rowHeight_) return;  // the header selects nothing
  const int row = pos.y() / rowHeight_;
  const time_t t = RowInstant(row);
  if (!(e->modifiers() & Qt::ShiftModifier) || selAnchor_ == 0) selAnchor_ = t;
  selEnd_ = t;
  selecting_ = true;
  Redraw();
}

void CXGridCtrl::mouseMoveEvent(QMouseEvent* e) {
  const QPoint pos = e->position().toPoint();
  if (resizing_) {
    int& w = widths_[hotColumn_];
    w += pos.x() - dragX_;
    if (w <= 4) w = 5;
    dragX_ = pos.x();
    Redraw();
    return;
  }
  if (selecting_ && (e->buttons() & Qt::LeftButton) && file_) {
    const int row = std::max(pos.y() / rowHeight_, 1);
    selEnd_ = RowInstant(row);
    Redraw();
    return;
  }
  hotColumn_ = pos.y() < rowHeight_ ? BorderAt(pos.x()) : -1;
  if (hotColumn_ >= 0)
    setCursor(lang::Cursor(165));
  else
    unsetCursor();
}

void CXGridCtrl::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) {
    resizing_ = 0;
    selecting_ = false;
  } else if (e->button() == Qt::RightButton) {
    emit RightButtonReleased(e->globalPosition().toPoint());
  }
}

void CXGridCtrl::wheelEvent(QWheelEvent* e) {
  const int delta = e->angleDelta().y();
  if (delta == 0) return;
  ScrollRows(delta > 0 ? -5 : 5);
}

void CXGridCtrl::keyPressEvent(QKeyEvent* e) {
  switch (e->key()) {
    case Qt::Key_Up: ScrollRows(-1); break;
    case Qt::Key_Down: ScrollRows(1); break;
    // A page is the rows below the header; the one kept in view at the edge
    // keeps the reader's place.
    case Qt::Key_PageUp: ScrollRows(-std::max(table_.height() / std::max(rowHeight_, 1) - 2, 1)); break;
    case Qt::Key_PageDown: ScrollRows(std::max(table_.height() / std::max(rowHeight_, 1) - 2, 1)); break;
    case Qt::Key_Home:
      if (e->modifiers() & Qt::ControlModifier) OnVBarAction(QAbstractSlider::SliderToMinimum);
      break;
    case Qt::Key_End:
      if (e->modifiers() & Qt::ControlModifier) OnVBarAction(QAbstractSlider::SliderToMaximum);
      break;
    default: QWidget::keyPressEvent(e);
  }
}

}  // namespace tables
