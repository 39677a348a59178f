// The device-information window opened from the curve view: its columns,
// title, rows, copy, replacement and refresh.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include "acquire/devinfownd.h"
#include "common/testenv.h"
#include "data/cxfile.h"
#include "data/fixture.h"
#include "platform/ui/commandids.h"
#include "platform/ui/lang.h"
#include "views/hcview.h"

namespace {

void UseLanguage(int language) {
  const char* name = language == 0 ? "/Language/chinese.rcc" : "/Language/english.rcc";
  ASSERT_TRUE(lang::RegisterFile(QString(RECVIEW_BIN_DIR) + name, language));
}

std::unique_ptr<charts::CHCView> ViewOn(const fixture::Recipe& s) {
  const std::string path = testenv::NewDir("w") + "f.dat";
  EXPECT_TRUE(testenv::WriteFile(path, fixture::Build(s)));
  auto* f = new CXFile;
  EXPECT_TRUE(f->Open(path));
  auto view = std::make_unique<charts::CHCView>();
  view->SetRecord(f);
  return view;
}

fixture::Recipe PFamily() {
  fixture::Recipe s;
  s.model = "KVP6GV1";
  s.title = "\xB2\xE2\xCA\xD4";  // 测试
  fixture::Channel a;
  a.name = "\xCE\xC2\xB6\xC8";  // 温度
  a.dev0 = 12345;
  fixture::Channel b;
  b.name = "Flow";
  b.dev0 = 7;
  s.channels = {a, b};
  return s;
}

QStringList Row(QTableWidget* list, int row) {
  QStringList cells;
  for (int c = 0; c < 3; ++c) cells << (list->item(row, c) ? list->item(row, c)->text() : "?");
  return cells;
}

TEST(DevInfoWnd, ListsEveryChannelWithTitleAndColumnsInBothLanguages) {
  for (int language : {1, 0}) {
    UseLanguage(language);
    auto view = ViewOn(PFamily());
    EXPECT_TRUE(view->OnCommand(ID_SHOW_INFO));
    acquire::CDevInfoWnd* wnd = view->infoWnd;
    ASSERT_NE(wnd, nullptr);
    EXPECT_TRUE(wnd->isVisible());
    EXPECT_TRUE(wnd->isWindow());
    EXPECT_FALSE(wnd->isModal());
    EXPECT_EQ(wnd->windowTitle(), lang::String(62700) + "    Dev:[测试]");
    QTableWidget* list = wnd->List();
    ASSERT_EQ(list->columnCount(), 3);
    EXPECT_EQ(list->columnWidth(0), 45);
    EXPECT_EQ(list->columnWidth(1), 150);
    EXPECT_EQ(list->columnWidth(2), 100);
    for (int c = 0; c < 3; ++c)
      EXPECT_EQ(list->horizontalHeaderItem(c)->text(), lang::String(62701 + c));
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(list->showGrid());
    ASSERT_EQ(list->rowCount(), 2);
    EXPECT_EQ(Row(list, 0), (QStringList{"1", "温度", "1234.5"}));
    EXPECT_EQ(Row(list, 1), (QStringList{"2", "Flow", "0.7"}));
  }
}

TEST(DevInfoWnd, CopyPutsTheListOnTheClipboard) {
  UseLanguage(1);
  auto view = ViewOn(PFamily());
  view->OnCommand(ID_SHOW_INFO);
  QApplication::clipboard()->setText("old");
  view->infoWnd->findChild<QPushButton*>("copy")->click();
  EXPECT_EQ(QApplication::clipboard()->text(), "1\t温度\t1234.5\r\n2\tFlow\t0.7\r\n");

  // A recording without channels: an empty list and an empty text.
  fixture::Recipe empty = PFamily();
  empty.channels.clear();
  auto view2 = ViewOn(empty);
  view2->OnCommand(ID_SHOW_INFO);
  EXPECT_EQ(view2->infoWnd->List()->rowCount(), 0);
  view2->infoWnd->Copy();
  EXPECT_EQ(QApplication::clipboard()->text(), "");
}

TEST(DevInfoWnd, OpeningAgainReplacesTheWindowAndTheViewDeletesIt) {
  UseLanguage(1);
  auto view = ViewOn(PFamily());
  view->setGeometry(200, 150, 900, 600);
  view->show();
  view->OnCommand(ID_SHOW_INFO);
  QPointer<acquire::CDevInfoWnd> first = view->infoWnd;
  // Beside its owner: inside the owner's area, not at the top of the screen.
  EXPECT_TRUE(QRect(view->mapToGlobal(QPoint(0, 0)), view->size()).contains(first->geometry()))
      << first->x() << "," << first->y();
  view->OnCommand(ID_SHOW_INFO);
  EXPECT_TRUE(first.isNull());
  QPointer<acquire::CDevInfoWnd> second = view->infoWnd;
  ASSERT_FALSE(second.isNull());
  // The close box hides it; the view still owns it and opens a new one later.
  second->close();
  view->OnCommand(ID_SHOW_INFO);
  EXPECT_TRUE(second.isNull());
  QPointer<acquire::CDevInfoWnd> third = view->infoWnd;
  view.reset();
  EXPECT_TRUE(third.isNull());
}

TEST(DevInfoWnd, RefreshShowsNewDeviceWords) {
  UseLanguage(1);
  const std::string path = testenv::NewDir("live") + "f.dat";
  ASSERT_TRUE(testenv::WriteFile(path, fixture::Build(PFamily())));
  CXFile f;
  ASSERT_TRUE(f.Open(path));
  QPointer<acquire::CDevInfoWnd> slot;
  acquire::ShowDevInfo(slot, &f, nullptr);
  ASSERT_FALSE(slot.isNull());
  // What the live view does on a recording tick: new words into the table.
  f.Head().channels[1].devWord[0] = 250;
  slot->Refresh();
  EXPECT_EQ(Row(slot->List(), 1), (QStringList{"2", "Flow", "25.0"}));
  // The words a live recorder reports now, for the list and the copy alike.
  slot->Refresh(std::vector<uint64_t>{1, 2});
  EXPECT_EQ(Row(slot->List(), 0), (QStringList{"1", "温度", "0.1"}));
  EXPECT_EQ(Row(slot->List(), 1), (QStringList{"2", "Flow", "0.2"}));
  slot->Copy();
  EXPECT_EQ(QApplication::clipboard()->text(), "1\t温度\t0.1\r\n2\tFlow\t0.2\r\n");
  delete slot.data();
}

}  // namespace
