#include "views/cumuview.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <algorithm>

#include "charts/chartdialogs.h"
#include "charts/printui.h"
#include "data/cxfile.h"
#include "platform/appconfig.h"
#include "platform/localspan.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "platform/ui/msgbox.h"
#include "platform/ui/stringids.h"
#include "tables/cumexport.h"

namespace tables {

namespace {

QString S(int id) { return lang::String(id); }
QString Utf8(const std::string& s) { return QString::fromStdString(s); }

int PeriodTextId(CumKind kind) {
  switch (kind) {
    case CumKind::Hourly: return IDS_CUM_HOURLY;
    case CumKind::Shift8: return IDS_CUM_SHIFT8;
    case CumKind::Shift12: return IDS_CUM_SHIFT12;
    default: return IDS_CUM_DAILY;
  }
}

}  // namespace

CumTexts CumTextsFromLanguage() {
  CumTexts t;
  t.channelColumn = S(IDS_CUM_COL_CHANNEL).toStdString();
  t.hourFormat = S(IDS_CUM_HOUR).toStdString();
  t.shiftFormat = S(IDS_CUM_SHIFT).toStdString();
  t.channelFormat = S(IDS_CUM_CHANNEL_N).toStdString();
  t.total = S(IDS_CUM_TOTAL).toStdString();
  return t;
}

// ------------------------------------------------------------------ printing

charts::PageSource CumTablePages(const CumTable& table, const QString& title, const QString& subtitle) {
  charts::PageSource source;
  const int rowsPerPage = 40;
  const int rows = int(table.rows.size());
  source.pages = std::max(1, (rows + rowsPerPage - 1) / rowsPerPage);
  // The hourly table is wide: it goes across the page; the others stand upright.
  source.portrait = table.kind != CumKind::Hourly;
  source.draw = [table, title, subtitle, rowsPerPage, rows](QPainter& p, int pageNo, int w, int h) {
    const int page = pageNo - 1;
    const QString face = S(IDS_TABLE_FONT);
    // The page: a header of two lines above a frame that holds the table.
    QFont headFont;
    headFont.setFamilies({face, "Noto Sans CJK SC"});
    headFont.setPixelSize(std::max(1, h / 30));
    const int frameTop = h / 30 + h / 10 + 20;
    const QRect frame(20, frameTop, w - 40, h - 20 - frameTop);
    // Column widths in proportion to the screen's; the font as large as a row
    // and the widest text of each column allow.
    const int columns = std::max<int>(1, int(table.columns.size()));
    double screenWidth = 0;
    for (const CumColumn& c : table.columns) screenWidth += c.width;
    std::vector<int> x(columns + 1, frame.left());
    double sum = 0;
    for (int c = 0; c < columns; ++c) {
      if (c < int(table.columns.size())) sum += table.columns[c].width;
      x[c + 1] = frame.left() + int(frame.width() * (screenWidth > 0 ? sum / screenWidth : double(c + 1) / columns));
    }
    const int rowHeight = std::max(1, frame.height() / (rowsPerPage + 1));
    QFont cellFont = headFont;
    int pixel = std::max(1, rowHeight * 6 / 10);
    cellFont.setPixelSize(pixel);
    for (int tries = 0; tries < 20 && pixel > 1; ++tries) {
      QFontMetrics fm(cellFont, p.device());
      bool fits = true;
      for (int c = 0; c < columns && fits; ++c) {
        const int room = x[c + 1] - x[c] - 6;
        if (c < int(table.columns.size()) && fm.horizontalAdvance(Utf8(table.columns[c].title)) > room) fits = false;
        for (const auto& row : table.rows)
          if (c > 0 && c < int(row.size()) && fm.horizontalAdvance(Utf8(row[c])) > room) {
            fits = false;
            break;
          }
      }
      if (fits) break;
      pixel = pixel * 9 / 10;
      cellFont.setPixelSize(pixel);
    }
    p.setFont(headFont);
    p.setPen(Qt::black);
    p.drawText(QRect(20, 10, w - 40, h / 30 + 10), Qt::AlignLeft | Qt::AlignVCenter, title);
    p.drawText(QRect(20, 10, w - 40, h / 30 + 10), Qt::AlignRight | Qt::AlignVCenter,
               lang::Format(IDS_PAGE_N, page + 1));
    p.drawText(QRect(20, 20 + h / 30, w - 40, h / 10 - 10), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               subtitle);
    p.setPen(QPen(Qt::black, 5));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame);
    // Column titles, then this page's rows; thin lines between the cells.
    p.setFont(cellFont);
    p.setPen(QPen(Qt::black, 1));
    auto drawRow = [&](int y, const std::vector<std::string>& cells, bool bold) {
      QFont f = cellFont;
      f.setBold(bold);
      p.setFont(f);
      for (int c = 0; c < columns && c < int(cells.size()); ++c) {
        if (cells[c].empty()) continue;
        const QRect cell(x[c] + 3, y, x[c + 1] - x[c] - 6, rowHeight);
        p.drawText(cell, (c == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, Utf8(cells[c]));
      }
    };
    std::vector<std::string> titles;
    for (const CumColumn& c : table.columns) titles.push_back(c.title);
    drawRow(frame.top(), titles, true);
    const int first = page * rowsPerPage, last = std::min(rows, first + rowsPerPage);
    int y = frame.top() + rowHeight;
    p.drawLine(frame.left(), y, frame.right(), y);
    for (int r = first; r < last; ++r, y += rowHeight) {
      drawRow(y, table.rows[r], table.rows[r].size() == 1);
      p.drawLine(frame.left(), y + rowHeight, frame.right(), y + rowHeight);
    }
    for (int c = 1; c < columns; ++c) p.drawLine(x[c], frame.top(), x[c], y);
  };
  return source;
}

int PrintCumTable(QPagedPaintDevice* device, const CumTable& table, const QString& title,
                  const QString& subtitle) {
  if (!device) return 0;
  const charts::PageSource source = CumTablePages(table, title, subtitle);
  QString error;
  return charts::PrintPages(*device, source, 0, 0, &error) ? source.pages : 0;
}

// ---------------------------------------------------------------------- view

CCumuShowView::CCumuShowView(views::ViewHost& host, QWidget* parent) : QWidget(parent), host_(&host) {
  setObjectName("178");
  title_ = new QLabel(this);
  title_->setObjectName("1104");
  QFont big = title_->font();
  big.setPointSizeF(big.pointSizeF() * 1.3);
  big.setBold(true);
  title_->setFont(big);
  dayStart_ = new QLabel(this);
  dayStart_->setObjectName("1105");
  period_ = new QLabel(this);
  period_->setObjectName("1106");
  span_ = new QLabel(this);
  span_->setObjectName("1004");
  for (int i = 0; i < 4; ++i) {
    options_[i] = new QCheckBox(S(IDS_CUM_CHANNEL_TITLES + i), this);
    options_[i]->setObjectName(QString::number(1107 + i));
    options_[i]->setChecked(i < 3);
  }
  NewPickers(this, &startDate_, &startTime_, "1111", "1112");
  NewPickers(this, &endDate_, &endTime_, "1113", "1114");
  auto* show = new QPushButton(S(IDS_CUM_SHOW), this);
  show->setObjectName("1115");
  show->setDefault(true);
  auto* exportButton = new QPushButton(S(IDS_CUM_EXPORT), this);
  exportButton->setObjectName("1116");
  connect(exportButton, &QPushButton::clicked, this, &CCumuShowView::Export);
  auto* preview = new QPushButton(S(IDS_CUM_PREVIEW), this);
  preview->setObjectName("1051");
  connect(show, &QPushButton::clicked, this, [this] { Show(); });
  connect(preview, &QPushButton::clicked, this, &CCumuShowView::PrintPreview);
  list_ = new QTableWidget(this);
  list_->setObjectName("1117");
  list_->verticalHeader()->hide();
  list_->setShowGrid(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);

  auto* info = new QGridLayout;
  info->addWidget(title_, 0, 0, 1, 4);
  info->addWidget(new QLabel(S(IDS_CUM_DAY_START), this), 1, 0);
  info->addWidget(dayStart_, 1, 1);
  info->addWidget(period_, 1, 2);
  info->addWidget(new QLabel(S(IDS_CUM_RANGE), this), 2, 0, Qt::AlignTop);
  info->addWidget(span_, 2, 1, 1, 3);
  info->setColumnStretch(3, 1);
  auto* checks = new QHBoxLayout;
  for (QCheckBox* c : options_) checks->addWidget(c);
  checks->addStretch();
  auto* range = new QHBoxLayout;
  range->addWidget(new QLabel(S(IDS_CUM_FROM), this));
  range->addWidget(startDate_);
  range->addWidget(startTime_);
  range->addSpacing(12);
  range->addWidget(new QLabel(S(IDS_CUM_TO), this));
  range->addWidget(endDate_);
  range->addWidget(endTime_);
  range->addSpacing(12);
  range->addWidget(show);
  range->addWidget(exportButton);
  range->addWidget(preview);
  range->addStretch();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 10, 10, 3);
  layout->addLayout(info);
  layout->addLayout(checks);
  layout->addLayout(range);
  layout->addWidget(list_, 1);
}

CCumuShowView::~CCumuShowView() { delete file_; }

void CCumuShowView::SetFile(CXFile* file) {
  delete file_;
  file_ = file;
  table_ = CumTable();
  list_->clear();
  list_->setRowCount(0);
  if (!file_) return;
  const _tagDataHead& h = file_->Head();
  title_->setText(Utf8(file_->GetTitle()));
  dayStart_->setText(lang::Format(IDS_CUM_HOUR, int(h.cumByte1)));
  period_->setText(S(PeriodTextId(CumKindOf(h.cumPeriod))));
  const time_t first = CumFirstTime(*file_), last = CumLastTime(*file_);
  span_->setText(Utf8(FormatTime(first, "%Y-%m-%d %H-%M-%S")) + "\n" +
                 Utf8(FormatTime(last, "%Y-%m-%d %H-%M-%S")));
  SetRange(first, last);
  // The whole file is shown at once; Show then narrows the range.
  table_ = BuildCumTable(*file_, first, last, CumTextsFromLanguage(), Options());
  Fill();
}

time_t CCumuShowView::RangeStart() const {
  const time_t t = PickedTime(startDate_, startTime_);
  return file_ ? platform::WithinSpan(t, CumFirstTime(*file_), CumLastTime(*file_), platform::SpanEdge::Start) : t;
}

time_t CCumuShowView::RangeEnd() const {
  const time_t t = PickedTime(endDate_, endTime_);
  return file_ ? platform::WithinSpan(t, CumFirstTime(*file_), CumLastTime(*file_), platform::SpanEdge::End) : t;
}

void CCumuShowView::SetRange(time_t from, time_t to) {
  SetPickers(startDate_, startTime_, from);
  SetPickers(endDate_, endTime_, to);
}

CumOptions CCumuShowView::Options() const {
  CumOptions o;
  o.titleRows = options_[0]->isChecked();
  o.totalRows = options_[1]->isChecked();
  o.emptyRows = options_[2]->isChecked();
  o.shownOnly = options_[3]->isChecked();
  return o;
}

bool CCumuShowView::CheckPicked() {
  if (!file_) return false;
  if (const int refusal = CheckCumRange(*file_, RangeStart(), RangeEnd())) {
    MsgBox(this, refusal, IDS_CAPTION, MsgIcon::Error);
    return false;
  }
  return true;
}

bool CCumuShowView::BuildPicked(CumTable* table) {
  if (!CheckPicked()) return false;
  *table = BuildCumTable(*file_, RangeStart(), RangeEnd(), CumTextsFromLanguage(), Options());
  return true;
}

bool CCumuShowView::Show() {
  CumTable table;
  if (!BuildPicked(&table)) return false;
  table_ = std::move(table);
  Fill();
  return true;
}

void CCumuShowView::Fill() {
  list_->clear();
  list_->setColumnCount(int(table_.columns.size()));
  QStringList titles;
  for (const CumColumn& c : table_.columns) titles << Utf8(c.title);
  list_->setHorizontalHeaderLabels(titles);
  list_->setRowCount(int(table_.rows.size()));
  // The longest text of each column, so that no value is cut to "...".
  std::vector<QString> longest(table_.columns.size());
  for (size_t c = 0; c < table_.columns.size(); ++c) longest[c] = Utf8(table_.columns[c].title);
  for (int r = 0; r < int(table_.rows.size()); ++r) {
    const auto& row = table_.rows[r];
    for (int c = 0; c < int(row.size()) && c < list_->columnCount(); ++c) {
      if (row[c].empty()) continue;
      auto* item = new QTableWidgetItem(Utf8(row[c]));
      if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      item->setToolTip(item->text());
      if (item->text().size() > longest[size_t(c)].size()) longest[size_t(c)] = item->text();
      list_->setItem(r, c, item);
    }
  }
  // The table's own widths, widened where a value needs more.
  const QFontMetrics metrics(list_->font());
  const int pad = 3 * metrics.horizontalAdvance(QLatin1Char('0'));
  for (int c = 0; c < int(table_.columns.size()); ++c)
    list_->setColumnWidth(c, std::max(table_.columns[c].width, metrics.horizontalAdvance(longest[size_t(c)]) + pad));
}

QString CCumuShowView::Subtitle(const CumTable& table) const {
  if (!file_) return QString();
  return S(PeriodTextId(table.kind)) + "    " + S(IDS_CUM_DAY_START) + " " +
         lang::Format(IDS_CUM_HOUR, int(file_->Head().cumByte1)) + "    " + S(IDS_CUM_RANGE) + " " +
         Utf8(FormatTime(RangeStart(), "%Y-%m-%d %H-%M-%S")) + " => " +
         Utf8(FormatTime(RangeEnd(), "%Y-%m-%d %H-%M-%S"));
}

void CCumuShowView::Export() {
  if (!CheckPicked()) return;
  // The folder of the last file, or the data folder.
  QFileInfo last(QString::fromStdString(platform::ReadLastDir()));
  const QString folder = last.isDir() ? last.absoluteFilePath() : last.absolutePath();
  // Titled and filtered as every other spreadsheet export of the program.
  QFileDialog dlg(this, QStringLiteral("Excel Export"), QDir(folder).filePath(Utf8(file_->GetTitle()) + ".xlsx"),
                  QStringLiteral("Microsoft Excel Sheet(*.xlsx)"));
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  dlg.setDefaultSuffix("xlsx");
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  ExportTo(dlg.selectedFiles().first());
}

bool CCumuShowView::ExportTo(const QString& path) {
  if (file_ && RefusedAsOutput(this, path, file_->GetPath())) return false;
  if (!CheckPicked()) return false;
  std::string error;
  if (!ExportCumTable(*file_, RangeStart(), RangeEnd(), CumTextsFromLanguage(), Options(), path.toStdString(),
                      &error)) {
    MsgBox(this, IDS_XLS_CREATE_FAILED, IDS_CAPTION, MsgIcon::Error);
    return false;
  }
  MsgBox(this, IDS_XLS_DONE, IDS_CAPTION, MsgIcon::Information);
  return true;
}

bool CCumuShowView::PickedPages(charts::PageSource* source) {
  CumTable table;
  if (!file_ || !BuildPicked(&table)) return false;
  *source = CumTablePages(table, S(IDS_CUM_TITLE) + " [" + Utf8(file_->GetTitle()) + "]", Subtitle(table));
  return true;
}

int CCumuShowView::PrintTo(QPrinter* printer) {
  charts::PageSource source;
  if (!printer || !PickedPages(&source)) return 0;
  QString error;
  return charts::PrintPages(*printer, source, 0, 0, &error) ? source.pages : 0;
}

void CCumuShowView::PrintPreview() {
  charts::PageSource source;
  if (PickedPages(&source)) charts::PreviewPages(this, source);
}

bool CCumuShowView::OnCommand(int id) {
  switch (id) {
    case ID_FILE_PRINT_PREVIEW:
      PrintPreview();
      return true;
    case ID_FILE_PRINT: {
      charts::PageSource source;
      if (PickedPages(&source)) host_->Print(this, source, Utf8(file_->GetTitle()));
      return true;
    }
    default:
      return false;
  }
}

bool CCumuShowView::OnUpdateCommand(int id, CommandState& state) {
  if (id == ID_FILE_PRINT_PREVIEW || id == ID_FILE_PRINT) {
    state.enabled = file_ != nullptr;
    return true;
  }
  return false;
}

}  // namespace tables
