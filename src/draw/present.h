// Frame presentation, the virtual back buffer and the blend values of Direct3D blits.
//
// While the virtual back buffer is on, every drawing call that names BackBuffer works on
// VirBackBuffer instead, a render-target texture that screen effects can read back, and the
// present copies it onto BackBuffer first. Every operation here acts only under Direct3D.
#pragma once

#include "draw/surface_data.h"
#include "platform/d3d9.h"

// Switches the virtual back buffer on (non-zero) or off; switching it off copies the picture
// drawn into it onto BackBuffer.
void DDSetVirtualBackBuffer(int bOn);
// While the virtual back buffer is on, turns a pointer to BackBuffer into one to VirBackBuffer
// and returns 1; otherwise leaves it and returns 0.
int DDRedirectBackBuffer(DDSURFACEDATA** lplpSD);
// Whether lpSD is BackBuffer itself in full screen, whose pixels may have a layout of their own.
bool DDIsFullscreenBackBuffer(const DDSURFACEDATA* lpSD);
// Opaque copy of the whole of lpSrc onto lpDst.
void DDCopyVirtualBackBuffer(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc);
// End of frame: 1 presented (or DirectDraw), 0 when the device is lost. Without vertical sync
// the frame is paced to fps here.
int DDPresent(int fps, int bShow, DDSURFACEDATA* lpFontSD);
// Replaces the pointer by the record's substitute when it has one (not followed further).
void DDUseSubstitute(DDSURFACEDATA** lplpSD);

void DDSetDiffuse(D3DCOLOR dwDiffuse);
void DDResetDiffuse();
void DDSetColorOp(int nColorOp);
void DDResetColorOp();
void DDSetAlphaOp(int nAlphaOp);
void DDResetAlphaOp();
