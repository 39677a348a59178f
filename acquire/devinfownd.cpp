#include "acquire/devinfownd.h"

#include <algorithm>

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include "acquire/devinfo.h"
#include "data/cxfile.h"
#include "platform/ui/lang.h"
#include "platform/ui/stringids.h"

namespace acquire {

CDevInfoWnd::CDevInfoWnd(CXFile* file, QWidget* owner) : QWidget(owner, Qt::Window), file_(file) {
  setObjectName("devinfo");
  list_ = new QTableWidget(0, 3, this);
  list_->setObjectName("list");
  list_->setHorizontalHeaderLabels({lang::String(IDS_DEVINFO_NUMBER), lang::String(IDS_DEVINFO_CHANNEL), lang::String(IDS_DEVINFO_VALUE)});
  list_->setColumnWidth(0, 45);
  list_->setColumnWidth(1, 150);
  list_->setColumnWidth(2, 100);
  list_->verticalHeader()->hide();
  list_->setShowGrid(true);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  auto* copy = new QPushButton(lang::String(IDS_DEVINFO_COPY), this);
  copy->setObjectName("copy");
  connect(copy, &QPushButton::clicked, this, &CDevInfoWnd::Copy);
  auto* close = new QPushButton(lang::String(IDS_DEVINFO_CLOSE), this);
  close->setObjectName("2");
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(copy);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addLayout(buttons);
  resize(340, 360);
  Refresh();
}

void CDevInfoWnd::Refresh() {
  QString title = lang::String(IDS_DEVINFO_TITLE);
  if (file_) title += "    Dev:[" + QString::fromStdString(file_->GetTitle()) + "]";
  setWindowTitle(title);
  const std::vector<DevInfoRow> rows = file_ ? DevInfoRows(*file_, words_) : std::vector<DevInfoRow>();
  list_->setRowCount(int(rows.size()));
  for (int i = 0; i < int(rows.size()); ++i) {
    const QString cells[3] = {QString::number(rows[i].number), QString::fromStdString(rows[i].name),
                              QString::fromStdString(rows[i].value)};
    for (int c = 0; c < 3; ++c) {
      QTableWidgetItem* item = list_->item(i, c);
      if (!item) list_->setItem(i, c, item = new QTableWidgetItem);
      if (item->text() != cells[c]) item->setText(cells[c]);
    }
  }
}

void CDevInfoWnd::Refresh(std::vector<uint64_t> devWords) {
  words_ = std::move(devWords);
  Refresh();
}

void CDevInfoWnd::Copy() {
  QClipboard* clipboard = QApplication::clipboard();
  if (!clipboard) return;
  clipboard->setText(file_ ? QString::fromStdString(DevInfoText(*file_, words_)) : QString());
}

CDevInfoWnd* ShowDevInfo(QPointer<CDevInfoWnd>& slot, CXFile* file, QWidget* owner) {
  if (slot) {
    slot->close();
    delete slot.data();
  }
  slot = new CDevInfoWnd(file, owner);
  // Beside its owner, inside its top right corner, never over the menu bar.
  if (owner) {
    const QPoint corner = owner->mapToGlobal(QPoint(owner->width(), 0));
    QRect place(QPoint(corner.x() - slot->width() - 8, corner.y() + 8), slot->size());
    if (const QScreen* screen = owner->screen()) {
      const QRect avail = screen->availableGeometry();
      place.moveLeft(std::max(std::min(place.left(), avail.right() - place.width()), avail.left()));
      place.moveTop(std::max(std::min(place.top(), avail.bottom() - place.height()), avail.top()));
    }
    slot->move(place.topLeft());
  }
  slot->show();
  return slot;
}

}  // namespace acquire
