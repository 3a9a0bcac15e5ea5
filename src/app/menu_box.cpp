#include "app/menu_box.h"

#include "core/log.h"
#include "core/text.h"
#include "draw/fill.h"
#include "draw/font.h"
#include "project/system_data.h"

namespace {

// The second font draws the menus.
cFont& MenuFont() { return g_Font[1]; }

// The characters of the widest enabled name.
int WidestEnabled(const cSafeVector<cCmdItem>& list) {
  int w = 0;
  for (const cCmdItem& item : list) {
    if (!item.m_bEnable) continue;
    const int n = CountChars(item.m_strName.c_str());
    if (n > w) w = n;
  }
  return w;
}

}  // namespace

int cCmd::GetEnableCmdCount(const cSafeVector<cCmdItem>& list) {
  int m = 0;
  for (const cCmdItem& item : list)
    if (item.m_bEnable) ++m;
  return m;
}

int cCmd::GetCmdNum(int n, const cSafeVector<cCmdItem>& list) {
  int count = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    if (!list[i].m_bEnable) continue;
    if (count == n) return static_cast<int>(i);
    ++count;
  }
  DebugErrorBoxF("cCmd::GetCmdNum 番号が不正です！");
  return 0;
}

CmdMenuBox cCmd::Layout(int x, int y, const cSafeVector<cCmdItem>& list) {
  CmdMenuBox box;
  const int w = WidestEnabled(list);
  if (w == 0) return box;
  const int m = GetEnableCmdCount(list);
  box.bDraw = true;
  box.x = x;
  box.y = y;
  box.nWidth = (w + 1) * 16;
  box.nHeight = m * 16;
  for (int j = 0; j < m; ++j) box.vName.push_back(list.CheckedAt(GetCmdNum(j, list)).m_strName);
  return box;
}

void cCmd::Draw(DDSURFACEDATA* lpSD, int x, int y, const cSafeVector<cCmdItem>& list) {
  const CmdMenuBox box = Layout(x, y, list);
  if (!box.bDraw) return;
  MenuFont().DrawBox(lpSD, box.x, box.y, box.nWidth, box.nHeight);
  for (size_t j = 0; j < box.vName.size(); ++j)
    MenuFont().Print(lpSD, box.x + 16, box.y + 16 * static_cast<int>(j), box.vName[j].c_str());
}

int cCmd::ListEnabled(const cSafeVector<cCmdItem>& list, int32_t* lpKinds, int nMax) {
  int n = 0;
  for (size_t i = 0; i < list.size() && n < nMax; ++i)
    if (list[i].m_bEnable) lpKinds[n++] = static_cast<int32_t>(i);
  return n;
}

int cCmd::GetCenterX(int x, const cSafeVector<cCmdItem>& list) {
  const int w = WidestEnabled(list);
  return w > 0 ? x - ((w + 1) * 16) / 2 : x;
}

void DrawMenuList(DDSURFACEDATA* lpSD, int x, int y, int first, int count, int bCursor) {
  const MenuListBox box = MakeMenuListBox(x, y, first, count, bCursor);
  if (!box.bDraw) return;
  MenuFont().PrintfInBox(lpSD, box.x, box.y, box.nWidth, box.nHeight, "%s", box.strText.c_str());
}

void DrawSaveSlotList(DDSURFACEDATA* lpSD, int x, int y, const cSafeVector<SaveSlotInfo>& list, int first, int count) {
  const SaveSlotListLayout layout = MakeSaveSlotList(x, y, list, first, count);
  MenuFont().DrawBox(lpSD, layout.x, layout.y, layout.nWidth, layout.nHeight);
  for (int sy : layout.vSeparatorY) DDFillRect(lpSD, layout.x, sy, layout.nWidth, 1, 240);
  for (const SaveSlotListLayout::Row& row : layout.vRow) {
    MenuFont().Print(lpSD, layout.x + 16, row.y, row.strNumber.c_str());
    MenuFont().Print(lpSD, layout.x + 64, row.y, row.strTime.c_str());
  }
}
