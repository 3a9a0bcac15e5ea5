// The GDI canvas of a window or a control: two memory device contexts, each with its bitmap
// and the bitmap it replaced, and a font with the font it replaced (selected into the first),
// and one more GDI object. Nothing in the program draws on them; their owners release what
// they hold when they are destroyed.
#pragma once

#include "platform/gdi.h"
#include "platform/wintypes.h"

class cGdiCanvas {
 public:
  struct Surface {
    HDC hDC = nullptr;
    HBITMAP hBitmap = nullptr;
    HGDIOBJ hOldBitmap = nullptr;
    int32_t bCreated = 0;
  };

  Surface m_Surface[2];
  HFONT m_hFont = nullptr;
  HGDIOBJ m_hOldFont = nullptr;
  HGDIOBJ m_hObject = nullptr;

  // The font: the old one selected back into the first DC, the font deleted.
  void ReleaseFont();
  // Each created DC: its old bitmap selected back, its bitmap and the DC deleted, its flag cleared.
  void Release();
  // Both, then the extra object deleted.
  void Destroy();
};
