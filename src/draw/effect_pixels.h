// What the lock-based effects share: both surfaces locked in the layer's order, rows of pixels,
// the transparent-pixel test of the running back-end, channels of 16-bit pixels, the cutting of
// a rectangle against both surfaces, and the textured quad the Direct3D effect paths draw.
#pragma once

#include <algorithm>

#include "draw/blit.h"
#include "draw/context.h"
#include "draw/surface.h"

// The destination and the source of an effect, the destination locked first; the source, only
// read, is unlocked first (members are destroyed in reverse order).
struct cLockPair {
  cLockPair(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc) {
    if (d.Lock(lpDst)) s.LockForReading(lpSrc);
  }
  bool Locked() const { return d.Locked() && s.Locked(); }
  cSurfaceLock d;
  cSurfaceLock s;
};

// The first byte of row y (the pitch is counted in pixels).
inline BYTE* Row8(const cSurfaceLock& l, int y) {
  return l.m_lpBits +
         static_cast<size_t>(y) * static_cast<size_t>(l.m_nPitch) * static_cast<size_t>(l.m_nBytesPerPixel);
}
inline WORD* Row16(const cSurfaceLock& l, int y) {
  return reinterpret_cast<WORD*>(l.m_lpBits) + static_cast<size_t>(y) * static_cast<size_t>(l.m_nPitch);
}
inline DWORD* Row32(const cSurfaceLock& l, int y) {
  return reinterpret_cast<DWORD*>(l.m_lpBits) + static_cast<size_t>(y) * static_cast<size_t>(l.m_nPitch);
}

// Whether a source pixel is transparent: Direct3D 32 bits alpha 0, Direct3D 16 bits none of
// the bits 0xA000, DirectDraw the colour key.
inline bool IsTransparentPixel(DWORD p) {
  if (lpDTCon) return DDBpp == 32 ? (p >> 24) == 0 : (p & 0xA000) == 0;
  return p == DDColorKey;
}
// The same test with the running mode read once, for the inner loops.
struct TransparentTest {
  bool d3d = lpDTCon != nullptr;
  bool wide = DDBpp == 32;
  DWORD key = DDColorKey;
  bool operator()(DWORD p) const { return d3d ? (wide ? (p >> 24) == 0 : (p & 0xA000) == 0) : p == key; }
};

// The red, green and blue fields of a 16-bit pixel.
struct Channels {
  DWORD r = 0;
  DWORD g = 0;
  DWORD b = 0;
};
inline Channels SplitPixel(DWORD p, const DDPIXELLAYOUT& l) {
  return {(p >> l.nShiftR) & l.dwMaxR, (p >> l.nShiftG) & l.dwMaxG, (p >> l.nShiftB) & l.dwMaxB};
}
// Fields masked to their widths, without alpha.
inline DWORD JoinPixel(const Channels& c, const DDPIXELLAYOUT& l) {
  return (c.r & l.dwMaxR) << l.nShiftR | (c.g & l.dwMaxG) << l.nShiftG | (c.b & l.dwMaxB) << l.nShiftB;
}
// The opaque alpha bit of a 16-bit texture pixel.
inline DWORD AlphaBit(const DDPIXELLAYOUT& l) { return (l.dwMaxA & 1) << l.nShiftA; }
// A 16-bit texture pixel in the layout of the full-screen back buffer (one more green bit).
inline DWORD TextureToBackBuffer(DWORD p) {
  const Channels c = SplitPixel(p, g_PixelLayout);
  const DDPIXELLAYOUT& b = g_BackBufferLayout;
  return (c.r << b.nShiftR | (c.g * 2) << b.nShiftG | c.b << b.nShiftB) & 0xFFFF;
}
// A channel value widened to 0..255 and narrowed back (integer division; a missing field is 0).
inline DWORD Widen(DWORD v, DWORD max) { return max ? v * 255 / max : 0; }
inline DWORD Narrow(DWORD v, DWORD max) { return v * max / 255; }

// Tables over the red, green and blue fields of a 16-bit layout (fields of at most 8 bits):
// entry v of field c (0 red, 1 green, 2 blue) holds fn(v, the field's max, c), for each value
// the field can hold. They turn the per-pixel divisions of the 16-bit effects into look-ups.
struct FieldTables {
  template <class Fn>
  FieldTables(const DDPIXELLAYOUT& l, Fn fn) {
    const DWORD max[3] = {l.dwMaxR, l.dwMaxG, l.dwMaxB};
    for (int c = 0; c < 3; ++c) {
      for (DWORD v = 0; v <= (max[c] & 0xFF); ++v) t[c][v] = fn(v, max[c], c);
    }
  }
  DWORD t[3][256] = {};
};
// The three fields of a 16-bit pixel looked up.
inline Channels LookUp(const FieldTables& f, DWORD p, const DDPIXELLAYOUT& l) {
  return {f.t[0][(p >> l.nShiftR) & l.dwMaxR & 0xFF], f.t[1][(p >> l.nShiftG) & l.dwMaxG & 0xFF],
          f.t[2][(p >> l.nShiftB) & l.dwMaxB & 0xFF]};
}

// The offsets k in [0, n) for which base + k lies in [0, limit) and sbase + dir × k in
// [0, slimit) (dir is 1 or −1): the part of a row both surfaces hold.
struct Span {
  int lo = 0;
  int hi = 0;
  bool Empty() const { return lo >= hi; }
};
inline Span ClipSpan(int n, int base, int limit, int sbase, int dir, int slimit) {
  Span s{std::max(0, -base), std::min(n, limit - base)};
  if (dir >= 0) {
    s.lo = std::max(s.lo, -sbase);
    s.hi = std::min(s.hi, slimit - sbase);
  } else {
    s.lo = std::max(s.lo, sbase - slimit + 1);
    s.hi = std::min(s.hi, sbase + 1);
  }
  return s;
}

// The Direct3D quad of an effect: the four vertices go into the vertex buffer of vbOwner, the
// scene is opened and lpDst made the render target. False (nothing drawn) when the buffer
// cannot be locked or the scene or target refused.
bool BeginEffectQuad(DDSURFACEDATA* lpDst, DTDATA* vbOwner, const DDVERTEX* quad);
// Sets the texture and the stream of vbOwner, draws the strip and sets the context's render
// target back; false when that last step failed.
bool DrawEffectQuad(DTDATA* vbOwner, IDirect3DTexture9* lpTexture);
// Stage 0 with both operations and their arguments.
void SetStageStates(DWORD colorOp, DWORD colorArg1, DWORD colorArg2, DWORD alphaOp, DWORD alphaArg1, DWORD alphaArg2);
// A quad over x, y, w, h (corners at pixel edges − 0.5) in strip order with texture
// coordinates (u0, v0) to (u1, v1).
void MakeQuad(DDVERTEX* v, float l, float t, float r, float b, D3DCOLOR color, float u0, float v0, float u1, float v1);
