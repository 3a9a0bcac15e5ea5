// The menu cursor every menu moves: a stack of positions, so that a sub-menu pushes its own
// and the outer menu finds its position again when the sub-menu pops it. Two movement rules
// serve all menus: a grid move with wrap-around and a scrolled-list move with page jumps.
//
// Input bits are those of player 1's direction after auto-repeat: 1 left, 2 right, 4 up, 8 down.
#pragma once

#include <cstdint>

#include "core/safe_container.h"

struct CursorPos {
  int32_t nCol = 0;
  int32_t nRow = 0;
  int32_t x = 0;
  int32_t y = 0;
};

class cCursor {
 public:
  // One zero entry, as after Reset.
  cCursor();

  // The stack becomes exactly one entry, all zero.
  void Reset();
  // Appends an entry: with mode 1 a copy of the top, otherwise zero.
  void Push(int nMode);
  // With two or more entries, removes the top; the new top is zeroed (mode 0), keeps its values
  // (mode 1) or takes the removed entry's (mode 2). With one entry nothing happens.
  void Pop(int nMode);

  // The grid move on the top entry: one step left or right and one up or down, wrapped into
  // nCols x nRows, then the pixel position bx + col x sx, by + row x sy. The wrap runs without
  // input too. Nothing happens for a negative column or row count.
  void Move(int nBits, int bx, int by, int sx, int sy, int nCols, int nRows);
  // The scrolled-list move on the top entry: the row (bVertical) or column is the index into n
  // entries of which k are shown from nScroll on. Up and down move one entry, scrolling at the
  // window's edges; with bPages right and left jump by k - 1 (to the last or first entry when
  // the list is already at its end). The index is then clamped to the list and the scroll to
  // 0 .. max(n - k, 0); the pixel position is base + (index - scroll) x step along the list and
  // nFixed across it.
  void MoveInList(int nBits, int bVertical, int& nScroll, int nBase, int nStep, int nFixed, int k, int n, int bPages);

  // The top entry and the one below it (null with a single entry).
  CursorPos& Current() { return m_vStack.CheckedAt(static_cast<int>(m_vStack.size()) - 1); }
  CursorPos* Previous();
  int Depth() const { return static_cast<int>(m_vStack.size()); }

 private:
  cSafeVector<CursorPos> m_vStack;
};

// The menu cursor of every screen and of the play scene (defined with the global data objects).
extern cCursor g_Cursor;

// Plays sound-effect slot nSlot of g_vSeSlot when the input moved the cursor: once for left or
// right when nAxes has bit 1, and once more for up or down when nAxes has bit 2. Called on the
// game thread.
void PlayCursorSe(int nBits, int nAxes, int nSlot);
