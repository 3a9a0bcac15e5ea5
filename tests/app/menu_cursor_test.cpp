// The menu cursor: the grid move and its wrap, the scrolled list with its page jumps, the
// position stack; and the command menu's entries and box.
#include "app/menu_cursor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/menu_box.h"
#include "support/temp_dir.h"

namespace {

constexpr int L = 1, R = 2, U = 4, D = 8;

TEST(MenuCursor, GridMoveWrapsAndSetsThePixelPosition) {
  struct Case {
    int col, row, bits, cols, rows;
    int expCol, expRow;
  } cases[] = {
      {0, 3, D, 1, 4, 0, 0},   {0, 0, U, 1, 4, 0, 3},  {0, 2, D, 1, 4, 0, 3},  {0, 1, U, 1, 4, 0, 0},
      {0, 5, 0, 1, 4, 0, 0},   // a stale row is wrapped without input
      {2, 0, R, 3, 1, 0, 0},   {0, 0, L, 3, 1, 2, 0},  {1, 1, L | R, 3, 4, 0, 1},  // left wins over right
      {1, 1, U | D, 3, 4, 1, 0},                                                  // up wins over down
      {0, 0, L, 0, 1, -1, 0},  // no columns: left gives columns - 1
      {0, 0, R, 0, 1, 0, 0},
  };
  for (const Case& c : cases) {
    cCursor cursor;
    cursor.Current().nCol = c.col;
    cursor.Current().nRow = c.row;
    cursor.Move(c.bits, 100, 50, 32, 16, c.cols, c.rows);
    EXPECT_EQ(cursor.Current().nCol, c.expCol) << c.col << "," << c.row << " bits " << c.bits;
    EXPECT_EQ(cursor.Current().nRow, c.expRow) << c.col << "," << c.row << " bits " << c.bits;
    EXPECT_EQ(cursor.Current().x, 100 + 32 * c.expCol);
    EXPECT_EQ(cursor.Current().y, 50 + 16 * c.expRow);
  }
  // A negative count leaves everything as it was.
  for (int cols : {-1, 1}) {
    cCursor cursor;
    cursor.Current() = {0, 3, 7, 9};
    cursor.Move(D, 100, 50, 32, 16, cols, cols == 1 ? -1 : 4);
    EXPECT_EQ(cursor.Current().nRow, 3);
    EXPECT_EQ(cursor.Current().x, 7);
    EXPECT_EQ(cursor.Current().y, 9);
  }
}

TEST(MenuCursor, ScrolledListMovesScrollsAndJumpsPages) {
  struct Case {
    int idx, scroll, bits, k, n, pages;
    int expIdx, expScroll;
  } cases[] = {
      {3, 0, D, 4, 10, 0, 4, 1},   // at the window's last row: scrolls
      {2, 0, D, 4, 10, 0, 3, 0},
      {4, 4, U, 4, 10, 0, 3, 3},   // at the window's first row: scrolls back
      {0, 0, U, 4, 10, 0, 0, 0},   // the top stays
      {9, 6, D, 4, 10, 0, 9, 6},   // the end stays
      {2, 0, R, 4, 10, 1, 5, 3},   // a page on
      {7, 6, R, 4, 10, 1, 9, 6},   // already at the end: the last entry
      {5, 3, L, 4, 10, 1, 2, 0},
      {2, 0, L, 4, 10, 1, 0, 0},   // already at the start: the first entry
      {2, 0, R, 4, 10, 0, 2, 0},   // without page jumps left and right do nothing
      {8, 5, R, 4, 10, 1, 9, 6},   // a page past the end is clamped
      {3, 0, D, 4, 0, 0, 0, 0},    // no entries
      {1, 0, D, 4, 2, 0, 1, 0},    // fewer entries than rows
  };
  for (const Case& c : cases) {
    for (int vertical : {1, 0}) {
      cCursor cursor;
      int& idx = vertical ? cursor.Current().nRow : cursor.Current().nCol;
      idx = c.idx;
      int scroll = c.scroll;
      cursor.MoveInList(c.bits, vertical, scroll, 40, 16, 300, c.k, c.n, c.pages);
      const int got = vertical ? cursor.Current().nRow : cursor.Current().nCol;
      EXPECT_EQ(got, c.expIdx) << c.idx << "/" << c.scroll << " bits " << c.bits << " v" << vertical;
      EXPECT_EQ(scroll, c.expScroll) << c.idx << "/" << c.scroll << " bits " << c.bits << " v" << vertical;
      const int along = 40 + (c.expIdx - c.expScroll) * 16;
      EXPECT_EQ(vertical ? cursor.Current().y : cursor.Current().x, along);
      EXPECT_EQ(vertical ? cursor.Current().x : cursor.Current().y, 300);
    }
  }
}

// The save slots: 99 entries shown 10 at a time.
TEST(MenuCursor, NinetyNineSlotsInRowsOfTen) {
  cCursor cursor;
  int scroll = 0;
  for (int i = 0; i < 120; ++i) cursor.MoveInList(D, 1, scroll, 0, 16, 0, 10, 99, 1);
  EXPECT_EQ(cursor.Current().nRow, 98);
  EXPECT_EQ(scroll, 89);
  EXPECT_EQ(cursor.Current().y, 9 * 16);

  cursor.Reset();
  scroll = 0;
  const int pages[][2] = {{9, 9}, {18, 18}, {27, 27}, {36, 36}, {45, 45}, {54, 54}, {63, 63}, {72, 72},
                          {81, 81}, {90, 89}, {98, 89}, {98, 89}};
  for (const auto& p : pages) {
    cursor.MoveInList(R, 1, scroll, 0, 16, 0, 10, 99, 1);
    EXPECT_EQ(cursor.Current().nRow, p[0]);
    EXPECT_EQ(scroll, p[1]);
  }
  const int back[][2] = {{89, 80}, {80, 71}};
  for (const auto& p : back) {
    cursor.MoveInList(L, 1, scroll, 0, 16, 0, 10, 99, 1);
    EXPECT_EQ(cursor.Current().nRow, p[0]);
    EXPECT_EQ(scroll, p[1]);
  }
}

TEST(MenuCursor, StackOfPositions) {
  cCursor cursor;
  EXPECT_EQ(cursor.Depth(), 1);
  EXPECT_EQ(cursor.Previous(), nullptr);
  cursor.Current() = {1, 2, 3, 4};
  cursor.Pop(0);
  EXPECT_EQ(cursor.Depth(), 1) << "a single entry is never popped";
  EXPECT_EQ(cursor.Current().nRow, 2);

  cursor.Push(1);
  EXPECT_EQ(cursor.Depth(), 2);
  EXPECT_EQ(cursor.Current().nRow, 2) << "mode 1 copies the top";
  ASSERT_NE(cursor.Previous(), nullptr);
  EXPECT_EQ(cursor.Previous()->nRow, 2);
  cursor.Push(0);
  EXPECT_EQ(cursor.Current().nRow, 0);
  EXPECT_EQ(cursor.Current().x, 0);

  struct Case {
    int mode, expRow;
  } cases[] = {{0, 0}, {1, 2}, {2, 7}, {5, 2}};
  for (const Case& c : cases) {
    cCursor s;
    s.Current().nRow = 2;
    s.Push(0);
    s.Current().nRow = 7;
    s.Pop(c.mode);
    EXPECT_EQ(s.Depth(), 1);
    EXPECT_EQ(s.Current().nRow, c.expRow) << "mode " << c.mode;
    EXPECT_EQ(s.Previous(), nullptr);
  }

  cursor.Reset();
  EXPECT_EQ(cursor.Depth(), 1);
  EXPECT_EQ(cursor.Current().nRow, 0);
}

cCmdItem Item(const char* name, uint32_t enabled) {
  cCmdItem item;
  item.m_strName = name;
  item.m_bEnable = enabled;
  return item;
}

TEST(CommandMenu, EnabledEntriesAndTheirBox) {
  CoreTestEnv env(true);
  cSafeVector<cCmdItem> list;
  list.push_back(Item("abcd", 0));
  list.push_back(Item("\x82\xA0\x82\xA2\x82\xA4", 1));  // three full-width characters
  list.push_back(Item("ab", 1));

  EXPECT_EQ(cCmd::GetEnableCmdCount(list), 2);
  EXPECT_EQ(cCmd::GetCmdNum(0, list), 1);
  EXPECT_EQ(cCmd::GetCmdNum(1, list), 2);
  EXPECT_TRUE(env.Boxes().empty());
  EXPECT_EQ(cCmd::GetCmdNum(2, list), 0);
  EXPECT_EQ(cCmd::GetCmdNum(-1, list), 0);
  EXPECT_EQ(env.Boxes().size(), 2u) << "a debug box for each entry that does not exist";

  const CmdMenuBox box = cCmd::Layout(100, 200, list);
  ASSERT_TRUE(box.bDraw);
  EXPECT_EQ(box.x, 100);
  EXPECT_EQ(box.y, 200);
  EXPECT_EQ(box.nWidth, 64);
  EXPECT_EQ(box.nHeight, 32);
  ASSERT_EQ(box.vName.size(), 2u);
  EXPECT_EQ(box.vName[0], "\x82\xA0\x82\xA2\x82\xA4");
  EXPECT_EQ(box.vName[1], "ab");
  EXPECT_EQ(cCmd::GetCenterX(320, list), 288);

  // Without an enabled name nothing is drawn and the centre is x itself.
  list[1].m_bEnable = 0;
  list[2].m_strName.clear();
  EXPECT_FALSE(cCmd::Layout(100, 200, list).bDraw);
  EXPECT_EQ(cCmd::GetCenterX(320, list), 320);
  list[2].m_strName = "a";
  EXPECT_EQ(cCmd::Layout(0, 0, list).nWidth, 32);
  EXPECT_EQ(cCmd::GetCenterX(320, list), 304);
}

}  // namespace
