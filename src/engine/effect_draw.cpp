#include "engine/effect_draw.h"

#include <algorithm>
#include <cmath>

#include "draw/draw.h"
#include "engine/chara.h"
#include "engine/chara_anim.h"
#include "engine/effect.h"
#include "engine/play_scene.h"
#include "engine/stage_images.h"
#include "project/database.h"

namespace {

// What every handler needs of the character: its screen rectangle, drawn size and zoom, where
// its picture is read from (the sheet, or the work copy at its drawn size when the picture is
// stretched), and the figures of the effect for this frame (taken from the effect's running
// state, which also advances it).
struct Frame {
  cChara& c;
  const cGraphicRef& ref;
  int L, T, w, h, z;
  bool scaled;
  DDSURFACEDATA* src;
  int sx, sy;
  CharaEffectFigures fig;

  Frame(cChara& chara, const cGraphicRef& r, bool figuresScaled)
      : c(chara),
        ref(r),
        L(chara.m_rcScreen.left),
        T(chara.m_rcScreen.top),
        w(chara.m_nGraphicW),
        h(chara.m_nGraphicH),
        z(chara.m_Data.m_byZoom),
        scaled(chara.IsScaledPicture(r)),
        src(r.lpOwn),
        sx(r.nSrcX),
        sy(r.nSrcY),
        fig(chara.m_Effect.Figures(w, h, z, figuresScaled)) {}
  Frame(cChara& chara, const cGraphicRef& r) : Frame(chara, r, chara.IsScaledPicture(r)) {}
  // Reads from the work copy at the drawn size when the picture is stretched.
  void UseWorkCopy() {
    if (!scaled) return;
    c.BlitToWork(g_lpCharaWorkSurface, ref);
    src = g_lpCharaWorkSurface;
    sx = sy = 0;
  }
  int CentreX() const { return L + (w >> 1); }
  int CentreY() const { return T + (h >> 1); }
};

// The invincibility colour around one drawing call.
class ColourScope {
 public:
  explicit ColourScope(const cGraphicRef& ref) : on_(ref.bColoured != 0) {
    if (!on_) return;
    DDSetDiffuse(ref.dwDiffuse);
    DDSetColorOp(ref.nColorOp);
  }
  ~ColourScope() {
    if (!on_) return;
    DDResetDiffuse();
    DDResetColorOp();
  }
  ColourScope(const ColourScope&) = delete;
  ColourScope& operator=(const ColourScope&) = delete;

 private:
  bool on_;
};

// After the drawing: an unheld frame advances the effect (the kind's own counters, then the
// common step); 1 when it has ended.
int AdvanceUnlessHeld(cChara& c, int hold) { return hold ? 0 : c.m_Effect.Advance(); }

// Kinds 6 and 14 draw only in their visible phases (the phase before this frame advances it).
bool VisibleNow(const cChara& c) { return c.m_Effect.Figures(0, 0, 1, 0).bVisible != 0; }

int Plain(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int, int draw) {
  if (draw && ref) c.DrawPlain(s, *ref);
  return 0;
}

int Burst(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  if (draw && ref) {
    Frame f(c, *ref);
    f.UseWorkCopy();
    ColourScope colour(*ref);
    DDBurst(s, f.L, f.T, f.w, f.h, f.src, f.sx, f.sy, f.fig.nValue, 1);
  }
  return AdvanceUnlessHeld(c, hold);
}

int Split(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw, int columns) {
  if (draw && ref) {
    Frame f(c, *ref);
    f.UseWorkCopy();
    ColourScope colour(*ref);
    DDSplit(s, f.L, f.T, f.w, f.h, f.fig.nStrip, f.fig.nValue, f.src, f.sx, f.sy, 1, columns);
  }
  return AdvanceUnlessHeld(c, hold);
}
int SplitRows(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  return Split(c, s, ref, hold, draw, 0);
}
int SplitColumns(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  return Split(c, s, ref, hold, draw, 1);
}

int Wave(cChara& c, const cGraphicRef* ref, int hold, int draw, int columns) {
  if (draw && ref) {
    Frame f(c, *ref);
    f.UseWorkCopy();
    ColourScope colour(*ref);
    DDWave(&BackBuffer, f.L, f.T, f.w, f.h, f.fig.nWaves, f.fig.dAmplitude, f.fig.nPhase, f.fig.nRoughness, f.src, f.sx,
           f.sy, 1, columns);
  }
  return AdvanceUnlessHeld(c, hold);
}
int WaveRows(cChara& c, DDSURFACEDATA*, const cGraphicRef* ref, int hold, int draw) {
  return Wave(c, ref, hold, draw, 0);
}
int WaveColumns(cChara& c, DDSURFACEDATA*, const cGraphicRef* ref, int hold, int draw) {
  return Wave(c, ref, hold, draw, 1);
}

int BlinkShow(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  if (draw && ref && VisibleNow(c)) c.DrawPlain(s, *ref);
  return AdvanceUnlessHeld(c, hold);
}

// Turned about the centre: the picture (or its work copy) rotated by v degrees.
void RotateAboutCentre(Frame& f, DDSURFACEDATA* s) {
  f.UseWorkCopy();
  ColourScope colour(f.ref);
  DDRotate(s, f.CentreX(), f.CentreY(), f.w, f.h, f.w >> 1, f.h >> 1, f.fig.nValue, f.src, f.sx, f.sy, 1);
}

int RotateA(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  if (draw && ref) {
    Frame f(c, *ref);
    if (lpDTCon || !f.scaled) {
      RotateAboutCentre(f, s);
    } else {
      // DirectDraw, stretched: the unscaled picture turned inside a square work surface that
      // holds it at any angle, then stretched onto the character's square.
      const int m = ref->byCells;
      const int uw = c.m_nBaseGraphicW * m;
      const int uh = c.m_nBaseGraphicH * m;
      const int side = TruncPos(m * static_cast<double>(c.m_nBaseGraphicW) * std::sqrt(2.0));
      const int drawn = TruncPos(std::sqrt(2.0) * f.w);
      DDSURFACEDATA* work = g_lpCharaWorkSurface2;
      DDClearSurface(work, 0);
      DDRotate(work, side >> 1, side >> 1, uw, uh, uw >> 1, uh >> 1, f.fig.nValue, ref->lpOwn2, ref->nSrcX, ref->nSrcY, 0);
      DDBlt(s, f.CentreX() - (drawn >> 1), f.CentreY() - (drawn >> 1), drawn, drawn, work, 0, 0, side, side, 1);
    }
  }
  return AdvanceUnlessHeld(c, hold);
}

int RotateB(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  if (draw && ref) {
    Frame f(c, *ref);
    RotateAboutCentre(f, s);
  }
  return AdvanceUnlessHeld(c, hold);
}

int RotateDepth(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  if (draw && ref) {
    Frame f(c, *ref);
    const int n = ref->byCells;
    ColourScope colour(*ref);
    DDRotateDepth(s, f.L, f.T, f.w, f.h, ref->lpChosenOwn, ref->nSrcX, ref->nSrcY, ref->lpChosenOpp, ref->nSrcX,
                  ref->nSrcY, c.m_nBaseGraphicW * n, c.m_nBaseGraphicH * n, 1, f.fig.nValue, 0);
  }
  return AdvanceUnlessHeld(c, hold);
}

int Circle(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  if (draw && ref) {
    // The circle is cut from the sheet only under DirectDraw and unstretched; otherwise from
    // the work copy, with the figures at the drawn size.
    const bool fromSheet = !lpDTCon && !c.IsScaledPicture(*ref);
    Frame f(c, *ref, !fromSheet);
    ColourScope colour(*ref);
    if (fromSheet) {
      DDBltCircle(s, f.CentreX(), f.CentreY(), f.w >> 1, f.h >> 1, f.fig.nValue, f.fig.nRoughness, ref->lpOwn,
                  ref->nSrcX + (f.w >> 1), ref->nSrcY + (f.h >> 1), 1);
    } else {
      c.BlitToWork(g_lpCharaWorkSurface, *ref);
      DDBltCircle(s, f.CentreX(), f.CentreY(), f.w >> 1, f.h >> 1, f.fig.nValue, f.fig.nRoughness, g_lpCharaWorkSurface,
                  f.w >> 1, f.h >> 1, 1);
    }
  }
  return AdvanceUnlessHeld(c, hold);
}

int Grow(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  if (draw && ref) {
    Frame f(c, *ref);
    const int e = f.fig.nGrowth;
    const int n = ref->byCells;
    ColourScope colour(*ref);
    if (f.w + e > 0 && f.h + e > 0)
      DDBlt(s, f.L - (e >> 1), f.T - (e >> 1), f.w + e, f.h + e, ref->lpChosenOwn, ref->nSrcX, ref->nSrcY,
            c.m_nBaseGraphicW * n, c.m_nBaseGraphicH * n, 1);
  }
  return AdvanceUnlessHeld(c, hold);
}

// The work surface of the lock-based effects under Direct3D (lens, mosaic, blur): they draw in
// it and it is blitted onto the destination. It lives in video memory, so that the blit is a
// textured quad that carries the invincibility colour.
constexpr int IMG_D3D_EFFECT_WORK = 69;

int Lens(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  if (draw && ref) {
    Frame f(c, *ref);
    const int dx = f.fig.nLensDx;
    const int dy = f.fig.nLensDy;
    const int g = f.fig.nLensRadius;
    // The picture in the middle of a cleared square (of side 2g under Direct3D at 16 bits,
    // else 4g), the lens over it.
    const int side = lpDTCon && DDBpp == 16 ? 2 * g : 4 * g;
    const int mid = side >> 1;
    DDSURFACEDATA* work = g_lpCharaWorkSurface2;
    DDFillRect(work, 0, 0, side, side, 0);
    const int n = ref->byCells;
    DDBlt(work, mid - (f.w >> 1), mid - (f.h >> 1), f.w, f.h, f.scaled ? ref->lpChosenOwn : ref->lpOwn2, ref->nSrcX,
          ref->nSrcY, f.scaled ? c.m_nBaseGraphicW * n : f.w, f.scaled ? c.m_nBaseGraphicH * n : f.h, 0);
    const int depth = f.fig.nValue;
    if (!lpDTCon) {
      DDLens(s, f.CentreX() + dx, f.CentreY() + dy, g, depth, work, mid + dx, mid + dy, 1, 0);
    } else {
      // The lens is drawn by locking; under Direct3D it goes into a cleared square of its own,
      // whose middle is then blitted (with the invincibility colour) onto the destination.
      DDSURFACEDATA* lens = SystemImageAt(IMG_D3D_EFFECT_WORK);
      DDFillRect(lens, 0, 0, 4 * g, 4 * g, 0);
      DDLens(lens, 2 * g, 2 * g, g, depth, work, mid + dx, mid + dy, 1, 1);
      ColourScope colour(*ref);
      DDBlt(s, f.CentreX() + dx - g, f.CentreY() + dy - g, 2 * g, 2 * g, lens, g, g, 2 * g, 2 * g, 1);
    }
  }
  return AdvanceUnlessHeld(c, hold);
}

int ColourChange(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  if (draw && ref) {
    Frame f(c, *ref);
    f.UseWorkCopy();
    DDBltColorChange(s, f.L, f.T, f.w, f.h, f.src, f.sx, f.sy, 1, DDPaletteWork, g_BlendTable, f.fig.nColour,
                     f.fig.nValue);
  }
  return AdvanceUnlessHeld(c, hold);
}

int HalfTransparent(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  // The same blink as kind 6, but visible in the first phase.
  if (draw && ref && VisibleNow(c)) {
    Frame f(c, *ref);
    f.UseWorkCopy();
    DDBltHalf(s, f.L, f.T, f.w, f.h, f.src, f.sx, f.sy, 1, g_BlendTable);
  }
  return AdvanceUnlessHeld(c, hold);
}

// The pixel effects of kinds 15 and 16 work by locking. Under Direct3D they go into a work
// surface cleared over twice the picture's size, whose picture is then blitted (with the
// invincibility colour) onto the destination; under DirectDraw straight onto it.
using PixelEffect = void (*)(DDSURFACEDATA* dst, int x, int y, Frame& f);

void DrawPixelEffect(DDSURFACEDATA* s, Frame& f, PixelEffect effect) {
  f.UseWorkCopy();
  if (!lpDTCon) {
    effect(s, f.L, f.T, f);
    return;
  }
  DDSURFACEDATA* work = SystemImageAt(IMG_D3D_EFFECT_WORK);
  DDFillRect(work, 0, 0, 2 * f.w, 2 * f.h, 0);
  effect(work, 0, 0, f);
  ColourScope colour(f.ref);
  DDBltFast(s, f.L, f.T, f.w, f.h, work, 0, 0, 1);
}

int Mosaic(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  if (draw && ref) {
    Frame f(c, *ref);
    DrawPixelEffect(s, f, [](DDSURFACEDATA* dst, int x, int y, Frame& fr) {
      DDMosaic(dst, x, y, fr.w, fr.h, fr.fig.nValue, fr.src, fr.sx, fr.sy, 1);
    });
  }
  return AdvanceUnlessHeld(c, hold);
}

int Blur(cChara& c, DDSURFACEDATA* s, const cGraphicRef* ref, int hold, int draw) {
  if (draw && ref) {
    Frame f(c, *ref);
    if (DDBpp == 8) {
      f.UseWorkCopy();
      DDBltColorChange(s, f.L, f.T, f.w, f.h, f.src, f.sx, f.sy, 1, DDPaletteWork, g_BlendTable, 31, f.fig.nValue);
    } else {
      DrawPixelEffect(s, f, [](DDSURFACEDATA* dst, int x, int y, Frame& fr) {
        DDBlur(dst, x, y, fr.w, fr.h, fr.fig.nValue, fr.fig.nValue, fr.src, fr.sx, fr.sy, 1);
      });
    }
  }
  return AdvanceUnlessHeld(c, hold);
}

}  // namespace

const CharaEffectHandler g_apfnCharaEffect[CHARA_EFFECT_KINDS] = {
    Plain,   Burst,  SplitRows, SplitColumns, WaveRows,     WaveColumns,     BlinkShow, RotateA, RotateB,
    RotateDepth, Circle, Grow,  Lens,         ColourChange, HalfTransparent, Mosaic,    Blur,
};

int RunCharaEffect(cChara& chara, DDSURFACEDATA* surface, const cGraphicRef* ref, int hold, int bDraw) {
  int kind = chara.m_Effect.m_sEffect == 0 ? 0 : chara.m_Effect.m_nKind;
  if (kind < 0 || kind >= CHARA_EFFECT_KINDS) kind = 0;
  return g_apfnCharaEffect[kind](chara, surface, ref, hold, bDraw);
}

int cEffect::Draw(DDSURFACEDATA* surface, int hold) {
  const int n = static_cast<int16_t>(m_nEffect);
  if (n <= 0 || static_cast<size_t>(n) >= g_Database.m_vEffect.size()) return 1;
  const cEffectData& entry = g_Database.m_vEffect[static_cast<size_t>(n)];
  if (entry.m_vFrame.empty()) return 1;
  int pattern;
  if (hold && !m_bAlwaysAnimate) {
    pattern = m_Frames.Pattern();
  } else {
    pattern = m_Frames.Step();
    if (pattern == ANIM_END) return 1;
  }
  const double scrollX = g_lpPlayScene ? g_lpPlayScene->m_ScrollX.m_dPos : 0;
  const double scrollY = g_lpPlayScene ? g_lpPlayScene->m_ScrollY.m_dPos : 0;
  const int x = TruncPos(m_dX - scrollX);
  const int y = TruncPos(m_dY - scrollY);
  DDSURFACEDATA* sheet = StageSurfaceAt(g_vEffectSurface, 2LL * n - 2);
  const long long cellX = static_cast<long long>(pattern) * entry.m_nWidth;
  const int srcX = static_cast<int>(std::clamp<long long>(cellX, INT32_MIN, INT32_MAX));
  if (m_bScaled) {
    DDSURFACEDATA* from = !lpDTCon && g_bVideoStretch ? sheet : StageSurfaceAt(g_vEffectSurface, 2LL * n - 1);
    DDBlt(surface, x, y, m_nWidth, m_nHeight, from, srcX, 0, entry.m_nWidth, entry.m_nHeight, 1);
  } else {
    DDBltFast(surface, x, y, m_nWidth, m_nHeight, sheet, srcX, 0, 1);
  }
  return 0;
}
