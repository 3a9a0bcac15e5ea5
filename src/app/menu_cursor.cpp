#include "app/menu_cursor.h"

#include <algorithm>

#include "audio/sound_effect.h"
#include "project/global_data.h"

cCursor::cCursor() { Reset(); }

void cCursor::Reset() { m_vStack.assign(1, CursorPos()); }

void cCursor::Push(int nMode) {
  const CursorPos top = nMode == 1 ? Current() : CursorPos();
  m_vStack.push_back(top);
}

void cCursor::Pop(int nMode) {
  if (m_vStack.size() < 2) return;
  const CursorPos removed = Current();
  m_vStack.pop_back();
  if (nMode == 0)
    Current() = CursorPos();
  else if (nMode == 2)
    Current() = removed;
}

CursorPos* cCursor::Previous() {
  if (m_vStack.size() < 2) return nullptr;
  return &m_vStack.CheckedAt(static_cast<int>(m_vStack.size()) - 2);
}

void cCursor::Move(int nBits, int bx, int by, int sx, int sy, int nCols, int nRows) {
  if (nCols < 0 || nRows < 0) return;
  CursorPos& c = Current();
  if (nBits & 1)
    --c.nCol;
  else if (nBits & 2)
    ++c.nCol;
  if (nBits & 4)
    --c.nRow;
  else if (nBits & 8)
    ++c.nRow;
  if (c.nRow < 0)
    c.nRow = nRows - 1;
  else if (c.nRow >= nRows)
    c.nRow = 0;
  if (c.nCol < 0)
    c.nCol = nCols - 1;
  else if (c.nCol >= nCols)
    c.nCol = 0;
  c.x = bx + c.nCol * sx;
  c.y = by + c.nRow * sy;
}

void cCursor::MoveInList(int nBits, int bVertical, int& nScroll, int nBase, int nStep, int nFixed, int k, int n,
                         int bPages) {
  CursorPos& c = Current();
  int32_t& idx = bVertical ? c.nRow : c.nCol;
  if (nBits & 4) {
    if (idx - nScroll <= 0) --nScroll;
    --idx;
  } else if (nBits & 8) {
    if (idx - nScroll >= k - 1) ++nScroll;
    ++idx;
  }
  if (bPages) {
    if (nBits & 2) {
      if (nScroll == n - k) {
        idx = n - 1;
      } else {
        nScroll += k - 1;
        idx += k - 1;
      }
    } else if (nBits & 1) {
      if (nScroll == 0) {
        idx = 0;
      } else {
        nScroll -= k - 1;
        idx -= k - 1;
      }
    }
  }
  if (idx > n - 1) idx = n - 1;
  if (idx < 0) idx = 0;
  const int maxScroll = std::max(n - k, 0);
  if (nScroll > maxScroll) nScroll = maxScroll;
  if (nScroll < 0) nScroll = 0;
  const int along = nBase + (idx - nScroll) * nStep;
  if (bVertical) {
    c.y = along;
    c.x = nFixed;
  } else {
    c.x = along;
    c.y = nFixed;
  }
}

void PlayCursorSe(int nBits, int nAxes, int nSlot) {
  if ((nAxes & 1) && (nBits & 3)) DSPlaySe(&g_vSeSlot.CheckedAt(nSlot), 0);
  if ((nAxes & 2) && (nBits & 12)) DSPlaySe(&g_vSeSlot.CheckedAt(nSlot), 0);
}
