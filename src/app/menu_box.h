// The framed menu boxes drawn with the second font: the in-game command menu (the enabled
// entries of a command list, one 16-dot row each) and the lists of system texts.
#pragma once

#include <string>

#include "core/safe_container.h"
#include "draw/surface_data.h"
#include "project/cmd_item.h"
#include "project/save_data.h"

// Where a command menu's box and names go.
struct CmdMenuBox {
  bool bDraw = false;
  int x = 0;
  int y = 0;
  int nWidth = 0;
  int nHeight = 0;
  // The enabled names, in list order; name j is printed at (x + 16, y + 16 j).
  cSafeVector<std::string> vName;
};

// The operations on a command list; it holds no data of its own.
class cCmd {
 public:
  static int GetEnableCmdCount(const cSafeVector<cCmdItem>& list);
  // The list index of the n-th enabled entry (n from 0); 0, after a debug box, when there is
  // none.
  static int GetCmdNum(int n, const cSafeVector<cCmdItem>& list);
  // The box: (w + 1) x 16 by m x 16 at (x, y) for m enabled entries whose widest name has w
  // characters; nothing when w is 0.
  static CmdMenuBox Layout(int x, int y, const cSafeVector<cCmdItem>& list);
  // Draws the box and the enabled names with the second font.
  static void Draw(DDSURFACEDATA* lpSD, int x, int y, const cSafeVector<cCmdItem>& list);
  // Puts the list indexes of the enabled entries, at most nMax of them, into lpKinds; their
  // number.
  static int ListEnabled(const cSafeVector<cCmdItem>& list, int32_t* lpKinds, int nMax);
  // The box's left edge that centres it on x (x itself when no enabled name has characters).
  static int GetCenterX(int x, const cSafeVector<cCmdItem>& list);
};

// Draws the system texts first .. first + count - 1 as one framed column with the second
// font, each preceded by a blank for the cursor when bCursor is set; nothing for count 0.
void DrawMenuList(DDSURFACEDATA* lpSD, int x, int y, int first, int count, int bCursor);

// Draws the save-slot list's box and rows first .. first + count - 1 with the second font.
void DrawSaveSlotList(DDSURFACEDATA* lpSD, int x, int y, const cSafeVector<SaveSlotInfo>& list, int first, int count);
