// Picture transformations built on blits (waves, splits, the turn about an axis, the burst),
// palette arithmetic, and the fades of the whole screen to a colour and back.
#pragma once

#include "draw/surface_data.h"
#include "platform/wintypes.h"

// Rows (bColumns 0) or columns moved sideways along a sine: nWaves periods across the
// rectangle, nPhase in degrees, strips nStrip thick. nStrip ≤ 0 draws nothing.
void DDWave(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nWaves, double dAmplitude, int nPhase,
            int nStrip, DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY, int nFlags, int bColumns);
// Strips nStrip thick pushed apart by nShift, odd strips one way, even strips the other; the
// remainder beyond the last whole strip is not drawn. nStrip 0 is a plain copy.
void DDSplit(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nStrip, int nShift,
             DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY, int nFlags, int bColumns);
// A picture turning about its vertical (nAxis 0) or horizontal (1) axis, the front and the back
// image in turn; a full turn takes 2 × size phase steps. A size below 2 or a negative phase draws
// nothing.
void DDRotateDepth(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpFrontSD,
                   int nFrontX, int nFrontY, DDSURFACEDATA* lpBackSD, int nBackX, int nBackY, int nSrcWidth,
                   int nSrcHeight, int nFlags, int nPhase, int nAxis);
// The four quarters of the picture pushed outward by nSpread.
void DDBurst(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
             int nSrcY, int nSpread, int nFlags);

// Entries nFrom..nTo of lpSrcPal mixed with the colour into lpDstPal: nLevel 256 keeps the
// source, 0 gives the colour; their flags become 1.
void DDBlendPalette(PALETTEENTRY* lpDstPal, int nFrom, int nTo, int nLevel, BYTE bRed, BYTE bGreen, BYTE bBlue,
                    const PALETTEENTRY* lpSrcPal);
// lpSrcPal copied to lpDstPal with entries nFrom..nTo rotated by nCount places: nDirection 0
// toward nTo, 1 toward nFrom. Nothing happens at 24 bits.
void DDRotatePalette(PALETTEENTRY* lpDstPal, int nFrom, int nTo, int nCount, int nDirection,
                     const PALETTEENTRY* lpSrcPal);

// One step of the fade of the screen to the colour (out) or back (in); true on the call that
// completes the fade. bFinish jumps to the end.
bool DDFadeOut(PALETTEENTRY* lpDstPal, int nFrom, int nTo, BYTE bRed, BYTE bGreen, BYTE bBlue, double dStep,
               const PALETTEENTRY* lpSrcPal, BYTE bFinish);
bool DDFadeIn(PALETTEENTRY* lpDstPal, int nFrom, int nTo, BYTE bRed, BYTE bGreen, BYTE bBlue, double dStep,
              const PALETTEENTRY* lpSrcPal, BYTE bFinish);
// Puts the four fade angles back at their starting values (the layer's shutdown does).
void DDResetFades();
