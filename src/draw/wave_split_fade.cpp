#include "draw/wave_split_fade.h"

#include <algorithm>
#include <cmath>

#include "draw/blit.h"
#include "draw/circle_tint.h"
#include "draw/context.h"
#include "draw/effect_pixels.h"
#include "draw/present.h"

namespace {

constexpr double kDegToRad = 0.017453292519943295;

// The angles of the four fades, kept between calls: 90 shows the picture, 0 the fade colour.
struct FadeAngles {
  double outD3D = 90.0;
  double outDD = 90.0;
  double inD3D = 0.0;
  double inDD = 0.0;
};
FadeAngles g_Fade;

// The Direct3D fade: a black quad with alpha 255 − a over the whole back buffer. False when
// the scene or a render target was refused (the angle then stays).
bool DrawFadeQuad(int a) {
  DDSURFACEDATA* target = &BackBuffer;
  DDRedirectBackBuffer(&target);
  DTDATA* dt = target->lpDT;
  if (!dt || !lpDevice) return false;
  const D3DCOLOR color = static_cast<D3DCOLOR>(255 - a) << 24;
  const float w = static_cast<float>(target->nWidth), h = static_cast<float>(target->nHeight);
  const float tw = target->nTexWidth ? static_cast<float>(target->nTexWidth) : 1.0f;
  const float th = target->nTexHeight ? static_cast<float>(target->nTexHeight) : 1.0f;
  DDVERTEX quad[4];
  MakeQuad(quad, -0.5f, -0.5f, w - 0.5f, h - 0.5f, color, 0.0f, 0.0f, w / tw, h / th);
  void* p = nullptr;
  const bool written = dt->lpVB && SUCCEEDED(dt->lpVB->Lock(0, DD_QUAD_BYTES, &p, 0));
  if (written) {
    std::copy(quad, quad + 4, static_cast<DDVERTEX*>(p));
    dt->lpVB->Unlock();
  }
  if (!written) return true;  // nothing to draw, the fade goes on
  SetStageStates(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  if (!DDBeginScene() || !DDSetRenderTarget(0, target)) return false;
  lpDevice->SetStreamSource(0, dt->lpVB, 0, sizeof(DDVERTEX));
  lpDevice->SetFVF(DD_VERTEX_FVF);
  lpDevice->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2);
  return DDSetRenderTarget(0, lpDTCon->lpDefaultTargetSD) != 0;
}

// The DirectDraw fade at a level 0..256: the palette at 8 bits, else the picture kept in
// WorkSD2 mixed into the back buffer.
void DrawFadeLevel(int level, PALETTEENTRY* lpDstPal, int nFrom, int nTo, BYTE r, BYTE g, BYTE b,
                   const PALETTEENTRY* lpSrcPal) {
  if (DDBpp == 8) {
    DDBlendPalette(lpDstPal, nFrom, nTo, level, r, g, b, lpSrcPal);
    const int from = std::max(nFrom, 0), to = std::min(nTo, 255);
    if (lpDDPal && lpDstPal && from <= to) {
      lpDDPal->SetEntries(0, static_cast<DWORD>(from), static_cast<DWORD>(to - from + 1), &lpDstPal[from]);
    }
  } else {
    DDFade_UnPal(&BackBuffer, level, r, g, b, &WorkSD2);
  }
}

void KeepPicture() {
  if (DDBpp != 8) DDBltFast(&WorkSD2, 0, 0, WorkSD2.nWidth, WorkSD2.nHeight, &BackBuffer, 0, 0, 0);
}

}  // namespace

void DDWave(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nWaves, double dAmplitude, int nPhase,
            int nStrip, DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY, int nFlags, int bColumns) {
  const int L = bColumns ? nWidth : nHeight;
  if (nStrip <= 0 || L <= 0) return;
  DDBeginSpriteBatch(0);
  const double m = nWaves * kDegToRad;
  const double step = 360.0 / L * nStrip;
  double sum = 0;
  for (int k = 0; k < L; k += nStrip) {
    sum += step;
    const int d = static_cast<int>(std::trunc(dAmplitude * std::sin(m * (nPhase + sum))));
    const int s = k + nStrip > L ? L - k : nStrip;
    if (bColumns) {
      DDBltFast(lpDstSD, x + k, y + d, s, nHeight, lpSrcSD, nSrcX + k, nSrcY, nFlags);
    } else {
      DDBltFast(lpDstSD, x + d, y + k, nWidth, s, lpSrcSD, nSrcX, nSrcY + k, nFlags);
    }
    if (k > L - nStrip) break;  // the next strip would start past L (and k + nStrip might overflow)
  }
  DDFlushSpriteBatch();
}

void DDSplit(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nStrip, int nShift,
             DDSURFACEDATA* lpSrcSD, int nSrcX, int nSrcY, int nFlags, int bColumns) {
  if (nStrip == 0) {
    DDBltFast(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, nSrcX, nSrcY, nFlags);
    return;
  }
  if (nStrip < 0) return;
  DDBeginSpriteBatch(0);
  const int n = (bColumns ? nWidth : nHeight) / nStrip;
  for (int pass = 0; pass < 2; ++pass) {
    // Odd strips first, moved back by nShift; then even strips, moved forward.
    const int first = pass == 0 ? 1 : 0;
    const int shift = pass == 0 ? -nShift : nShift;
    for (int k = first; k < n; k += 2) {
      const int o = k * nStrip;
      if (bColumns) {
        DDBltFast(lpDstSD, x + o, y + shift, nStrip, nHeight, lpSrcSD, nSrcX + o, nSrcY, nFlags);
      } else {
        DDBltFast(lpDstSD, x + shift, y + o, nWidth, nStrip, lpSrcSD, nSrcX, nSrcY + o, nFlags);
      }
    }
  }
  DDFlushSpriteBatch();
}

void DDRotateDepth(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpFrontSD,
                   int nFrontX, int nFrontY, DDSURFACEDATA* lpBackSD, int nBackX, int nBackY, int nSrcWidth,
                   int nSrcHeight, int nFlags, int nPhase, int nAxis) {
  if (nAxis != 0 && nAxis != 1) return;
  const int size = nAxis == 0 ? nWidth : nHeight;
  if (size < 2 || nPhase < 0) return;
  const int u = size / 2;
  const int q = nPhase / u, r = nPhase % u;
  const int v = q % 2 == 0 ? r : u - r - 1;
  const bool back = ((u + static_cast<long long>(nPhase)) / size) % 2 == 1;
  DDSURFACEDATA* image = back ? lpBackSD : lpFrontSD;
  const int sx = back ? nBackX : nFrontX, sy = back ? nBackY : nFrontY;
  if (nAxis == 0) {
    DDBlt(lpDstSD, x + v, y, nWidth - 2 * v, nHeight, image, sx, sy, nSrcWidth, nSrcHeight, nFlags);
  } else {
    DDBlt(lpDstSD, x, y + v, nWidth, nHeight - 2 * v, image, sx, sy, nSrcWidth, nSrcHeight, nFlags);
  }
}

void DDBurst(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcSD, int nSrcX,
             int nSrcY, int nSpread, int nFlags) {
  DDBeginSpriteBatch(0);
  const int w2 = nWidth / 2, h2 = nHeight / 2;
  DDBltFast(lpDstSD, x - nSpread, y - nSpread, w2, h2, lpSrcSD, nSrcX, nSrcY, nFlags);
  DDBltFast(lpDstSD, x + w2 + nSpread, y - nSpread, w2, h2, lpSrcSD, nSrcX + w2, nSrcY, nFlags);
  DDBltFast(lpDstSD, x - nSpread, y + h2 + nSpread, w2, h2, lpSrcSD, nSrcX, nSrcY + h2, nFlags);
  DDBltFast(lpDstSD, x + w2 + nSpread, y + h2 + nSpread, w2, h2, lpSrcSD, nSrcX + w2, nSrcY + h2, nFlags);
  DDFlushSpriteBatch();
}

void DDBlendPalette(PALETTEENTRY* lpDstPal, int nFrom, int nTo, int nLevel, BYTE bRed, BYTE bGreen, BYTE bBlue,
                    const PALETTEENTRY* lpSrcPal) {
  if (!lpDstPal || !lpSrcPal) return;
  nFrom = std::max(nFrom, 0);
  nTo = std::min(nTo, 255);
  const int rest = 256 - nLevel;
  for (int i = nFrom; i <= nTo; ++i) {
    const PALETTEENTRY s = lpSrcPal[i];
    PALETTEENTRY& d = lpDstPal[i];
    d.peRed = static_cast<BYTE>((s.peRed * nLevel + bRed * rest) >> 8);
    d.peGreen = static_cast<BYTE>((s.peGreen * nLevel + bGreen * rest) >> 8);
    d.peBlue = static_cast<BYTE>((s.peBlue * nLevel + bBlue * rest) >> 8);
    d.peFlags = 1;  // PC_RESERVED
  }
}

void DDRotatePalette(PALETTEENTRY* lpDstPal, int nFrom, int nTo, int nCount, int nDirection,
                     const PALETTEENTRY* lpSrcPal) {
  if (DDBpp == 24 || !lpDstPal || !lpSrcPal) return;
  PALETTEENTRY copy[256];
  std::copy(lpSrcPal, lpSrcPal + 256, copy);
  std::copy(copy, copy + 256, lpDstPal);
  if (nFrom < 0 || nTo > 255 || nFrom > nTo || (nDirection != 0 && nDirection != 1)) return;
  // A count of the range's length (or a multiple, or 0) leaves the entries in place.
  const int len = nTo - nFrom + 1;
  const int n = ((nCount % len) + len) % len;
  for (int i = 0; i < len; ++i) {
    const int from = nDirection == 0 ? (i - n + len) % len : (i + n) % len;
    lpDstPal[nFrom + i] = copy[nFrom + from];
  }
}

bool DDFadeOut(PALETTEENTRY* lpDstPal, int nFrom, int nTo, BYTE bRed, BYTE bGreen, BYTE bBlue, double dStep,
               const PALETTEENTRY* lpSrcPal, BYTE bFinish) {
  double& angle = lpDTCon ? g_Fade.outD3D : g_Fade.outDD;
  if (lpDTCon) {
    if (bFinish) angle = 0;
    if (!DrawFadeQuad(static_cast<int>(std::trunc(std::sin(angle * kDegToRad) * 255.0)))) return false;
  } else {
    if (angle == 90.0) KeepPicture();
    if (bFinish) angle = 0;
    DrawFadeLevel(static_cast<int>(std::trunc(std::sin(angle * kDegToRad) * 256.0)), lpDstPal, nFrom, nTo, bRed,
                  bGreen, bBlue, lpSrcPal);
  }
  if (angle > 0) {
    angle = std::max(angle - dStep, 0.0);
    return false;
  }
  angle = 90.0;
  return true;
}

bool DDFadeIn(PALETTEENTRY* lpDstPal, int nFrom, int nTo, BYTE bRed, BYTE bGreen, BYTE bBlue, double dStep,
              const PALETTEENTRY* lpSrcPal, BYTE bFinish) {
  double& angle = lpDTCon ? g_Fade.inD3D : g_Fade.inDD;
  if (lpDTCon) {
    if (bFinish) angle = 90;
    if (!DrawFadeQuad(static_cast<int>(std::trunc(std::sin(angle * kDegToRad) * 255.0)))) return false;
  } else {
    if (angle == 0.0) KeepPicture();
    if (bFinish) angle = 90;
    DrawFadeLevel(static_cast<int>(std::trunc(std::sin(angle * kDegToRad) * 256.0)), lpDstPal, nFrom, nTo, bRed,
                  bGreen, bBlue, lpSrcPal);
  }
  if (angle < 90) {
    angle = std::min(angle + dStep, 90.0);
    return false;
  }
  angle = 0.0;
  return true;
}

void DDResetFades() { g_Fade = FadeAngles{}; }
