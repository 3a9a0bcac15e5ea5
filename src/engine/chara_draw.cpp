#include <climits>

#include "draw/draw.h"
#include "engine/chara.h"
#include "engine/chara_anim.h"
#include "engine/effect_draw.h"
#include "engine/item.h"
#include "engine/player.h"
#include "engine/stage_chara.h"
#include "engine/stage_images.h"
#include "project/database.h"
#include "project/system_data.h"

namespace {

// The invincibility colour of the Direct3D drawing, when the settings ask for it.
void SetInvincibleColour(const cCharaData& data, cGraphicRef& ref) {
  ref.bColoured = 0;
  if (!data.m_byInvincible || !lpDTCon || !g_SystemData.m_bOption287) return;
  const int entry = data.m_byInvincibleOption;
  // The pulse table has entries 1..9; any other option is left uncoloured.
  if (entry < 1 || entry > 9 || !g_lpfnFlashColor) return;
  uint32_t colour = 0;
  int32_t op = 0;
  if (!g_lpfnFlashColor(entry, &colour, &op)) return;
  ref.bColoured = 1;
  ref.dwDiffuse = colour;
  ref.nColorOp = op;
}

DDBLTEX ColourOf(const cGraphicRef& ref) {
  DDBLTEX ex;
  ex.dwDiffuse = ref.dwDiffuse;
  ex.nColorOp = ref.nColorOp;
  return ex;
}

// The mark cell m of the mark sheet, 15 to a column.
void MarkSource(int m, int& x, int& y) {
  x = m / 15 * 32;
  y = m % 15 * 32;
}

}  // namespace

int cChara::UpdateAnims(int hold) {
  if (!hold) {
    m_Anime.Step();
    for (auto it = m_lAnime.begin(); it != m_lAnime.end();) {
      if (it->bEnd) {
        ++it;
      } else if (it->seq.Step() == ANIM_END) {
        it = m_lAnime.erase(it);
      } else {
        if (it->nCount > INT_MIN) --it->nCount;
        ++it;
      }
    }
  }
  if (m_lAnime.empty()) return m_Anime.Pattern();
  int best = INT_MAX;
  const cRunningAnime* chosen = nullptr;
  bool settled = false;
  for (const cRunningAnime& a : m_lAnime) {
    if (a.bEnd) continue;
    const int c = a.nCount;
    if (settled) {
      if (c <= 0 && best <= 0 && c > best) {
        best = c;
        chosen = &a;
      }
    } else if (a.bFlowStarted) {
      if (c <= 0 && best <= 0) {
        best = c;
        chosen = &a;
        settled = true;
      } else if (c < best) {
        best = c;
        chosen = &a;
      }
    } else if (!chosen) {
      best = INT_MAX;
      chosen = &a;
    }
  }
  return chosen ? chosen->seq.Pattern() : m_Anime.Pattern();
}

int cChara::GetCellBase(cGraphicRef& ref) {
  long long base = m_Data.m_wGraphicSub;
  if (m_Data.m_byFlying || m_Data.m_bBlockChara || m_Data.m_byInvincible) {
    const cAnimeSet& set = g_Database.m_vAnimeSet.CheckedAt(m_Data.m_wAnimeSet);
    if (m_Data.m_byFlying) base += set.m_nFlyPattern;
    if (m_Data.m_bBlockChara) base += set.m_nBlockPattern;
    if (m_Data.m_byInvincible) base += set.m_nInvinciblePattern;
  }
  SetInvincibleColour(m_Data, ref);
  return base > INT_MAX ? INT_MAX : base < INT_MIN ? INT_MIN : static_cast<int>(base);
}

void cChara::SetGraphicRef(cGraphicRef& ref, int pattern) {
  const int base = GetCellBase(ref);
  ref.Set(1, m_Data.m_byGraphicKind, m_nGraphic, base, this, pattern);
}

bool cChara::IsScaledPicture(const cGraphicRef& ref) const {
  const int z = m_Data.m_byZoom;
  return ref.bMultiCell ? ref.byCells != z : z > 1;
}

void cChara::DrawPlain(DDSURFACEDATA* surface, const cGraphicRef& ref) {
  const int x = m_rcScreen.left;
  const int y = m_rcScreen.top;
  const DDBLTEX ex = ColourOf(ref);
  if (!IsScaledPicture(ref)) {
    if (ref.bColoured)
      DDBltFastEx(surface, x, y, m_nGraphicW, m_nGraphicH, ref.lpOwn, ref.nSrcX, ref.nSrcY, 1, &ex);
    else
      DDBltFast(surface, x, y, m_nGraphicW, m_nGraphicH, ref.lpOwn, ref.nSrcX, ref.nSrcY, 1);
    return;
  }
  const int sw = m_nBaseGraphicW * ref.byCells;
  const int sh = m_nBaseGraphicH * ref.byCells;
  if (ref.bColoured)
    DDBltEx(surface, x, y, m_nGraphicW, m_nGraphicH, ref.lpChosenOwn, ref.nSrcX, ref.nSrcY, sw, sh, 1, &ex);
  else
    DDBlt(surface, x, y, m_nGraphicW, m_nGraphicH, ref.lpChosenOwn, ref.nSrcX, ref.nSrcY, sw, sh, 1);
}

void cChara::BlitToWork(DDSURFACEDATA* work, const cGraphicRef& ref) {
  if (!IsScaledPicture(ref)) {
    DDBltFast(work, 0, 0, m_nGraphicW, m_nGraphicH, ref.lpOwn2, ref.nSrcX, ref.nSrcY, 0);
    return;
  }
  DDBlt(work, 0, 0, m_nGraphicW, m_nGraphicH, ref.lpChosenOwn, ref.nSrcX, ref.nSrcY, m_nBaseGraphicW * ref.byCells,
        m_nBaseGraphicH * ref.byCells, 0);
}

void cChara::BlitToWorkColoured(DDSURFACEDATA* work, const cGraphicRef& ref) {
  const DDBLTEX ex = ColourOf(ref);
  DDBltFastEx(work, 0, 0, m_nGraphicW, m_nGraphicH, ref.lpOwn, ref.nSrcX, ref.nSrcY, 0, &ex);
}

void cChara::Draw(DDSURFACEDATA* surface, int hold) {
  const int pattern = UpdateAnims(hold);
  if (m_Data.m_bTransparent) {
    AdvanceEffect(hold);
    return;
  }
  CalcScreenRect();
  if (m_nPinX) {
    m_rcScreen.left = m_nPinLeft;
    m_rcScreen.right = m_nPinLeft + m_nGraphicW - 1;
  }
  if (m_nPinY) {
    m_rcScreen.top = m_nPinTop;
    m_rcScreen.bottom = m_nPinTop + m_nGraphicH - 1;
  }
  cGraphicRef ref;
  SetGraphicRef(ref, pattern);
  if (RunCharaEffect(*this, surface, &ref, hold, 1)) m_Effect.m_sEffect = 0;
  if (m_Data.m_bShowMark != 1) return;
  int sx = 0;
  int sy = 0;
  MarkSource(m_Data.m_wMark, sx, sy);
  if (m_Data.m_byZoom <= 1)
    DDBltFast(surface, m_rcScreen.left, m_rcScreen.top, 32, 32, SystemImageAt(IMG_MARK), sx, sy, 1);
  else
    DDBlt(surface, m_rcScreen.left, m_rcScreen.top, m_nGraphicW, m_nGraphicH, g_lpZoomMarkSurface, sx, sy,
          m_nBaseGraphicW, m_nBaseGraphicH, 1);
}

int cChara::DrawDead(DDSURFACEDATA* surface, int hold) {
  cGraphicRef ref;
  SetGraphicRef(ref, 0);
  if (m_nKind == 1) {
    // A held (frozen) draw never reports the end: the character is erased by the next play
    // frame's draw, not from the pause loop.
    if (m_Effect.m_sEffect == 0) return hold ? 0 : 1;
    if (!RunCharaEffect(*this, surface, &ref, hold, 1)) return 0;
    m_Effect.m_sEffect = 0;
    return 1;
  }
  if (m_Effect.m_sEffect != 0) {
    if (RunCharaEffect(*this, surface, &ref, hold, 1)) m_Effect.m_sEffect = 0;
    return 0;
  }
  if (hold) return 0;
  if (m_nDeathCount < INT_MAX) ++m_nDeathCount;
  return m_nDeathCount > 60 ? 1 : 0;
}

int cChara::AdvanceEffect(int hold) {
  const int ended = RunCharaEffect(*this, nullptr, nullptr, hold, 0);
  if (ended) m_Effect.m_sEffect = 0;
  return ended;
}

void cChara::DrawGauge(DDSURFACEDATA* surface, cGauge& gauge, int sp) {
  if (gauge.nFrames <= 0 || m_bDead) return;
  DDSURFACEDATA* sheet = SystemImageAt(IMG_ACCESSORY);
  const int f = sheet->nHeight > 208 ? 208 : 128;
  const int g = sheet->nHeight > 208 ? 2 : 16;
  const int s = sp ? 64 : 0;
  const int x0 = m_rcScreen.left + (m_nGraphicW >> 1) - 25;
  const int y0 = m_rcScreen.top - (sp ? 7 : 3);
  DDBltFast(surface, x0, y0, 50, 2, sheet, s, f, 1);
  const bool low = sp ? IsGaugeLow(3, m_nSp, m_Data.m_nMaxSp) : IsGaugeLow(2, m_nHp, m_Data.m_nMaxHp);
  // The bar never reaches past its 50-dot frame.
  const int length = gauge.nTarget < 0 ? 0 : gauge.nTarget > 50 ? 50 : gauge.nTarget;
  DDBltFast(surface, x0, y0, length, 2, sheet, s, f + (low ? 2 * g : g), 1);
  const double c = gauge.dChange;
  if (c < 0) {
    DDBltFast(surface, x0 + length, y0, TruncPos(-c), 2, sheet, s, f + 3 * g, 1);
  } else {
    const int t = TruncPos(c);
    DDBltFast(surface, x0 + length - t, y0, t, 2, sheet, s, f + 4 * g, 1);
  }
  --gauge.nFrames;
  if (gauge.nFrames >= 60)
    gauge.dChange -= gauge.dPerFrame;
  else
    gauge.dChange = 0;
}

void cItem::Draw(DDSURFACEDATA* surface, int hold) {
  if (m_Data.m_bTransparent) return;
  const int pattern = hold ? m_Anime.Pattern() : m_Anime.Step();
  cGraphicRef ref;
  ref.Set(2, m_Data.m_byGraphicKind, m_nGraphic, m_Data.m_wGraphicSub, this, pattern);
  const int m = ref.bMultiCell ? ref.byCells : 1;
  const int x = m_rcScreen.left;
  const int y = m_rcScreen.top;
  const bool plain = m > 1 || ref.bMultiCell ? m_nZoom == m : m_nZoom <= 1;
  if (plain)
    DDBltFast(surface, x, y, m_nGraphicW, m_nGraphicH, ref.lpOwn, ref.nSrcX, ref.nSrcY, 1);
  else
    DDBlt(surface, x, y, m_nGraphicW, m_nGraphicH, ref.lpChosenOwn, ref.nSrcX, ref.nSrcY, m_nBaseGraphicW * m,
          m_nBaseGraphicH * m, 1);
  if (m_Data.m_byShowMark != 1) return;
  int sx = 0;
  int sy = 0;
  MarkSource(m_Data.m_wMark < 0 ? 0 : m_Data.m_wMark, sx, sy);
  if (m_nZoom <= 1)
    DDBltFast(surface, x, y, 32, 32, SystemImageAt(IMG_MARK), sx, sy, 1);
  else
    DDBlt(surface, x, y, m_nGraphicW, m_nGraphicH, g_lpZoomMarkSurface, sx, sy, m_nBaseGraphicW, m_nBaseGraphicH, 1);
}

void cStageChara::DrawDropIcon(DDSURFACEDATA* surface) {
  if (!StepDropIcon()) return;
  const cItem& item = m_DropItem;
  DrawGraphicIcon(surface, m_rcScreen.left + (m_nGraphicW >> 1) - (item.m_nGraphicW >> 2),
                  m_rcScreen.top - (item.m_nGraphicH >> 1), item.m_Data.m_byGraphicKind, item.m_nGraphic,
                  item.m_Data.m_wGraphicSub);
}

void cPlayer::DrawBoxes(DDSURFACEDATA* surface, int hold) {
  Draw(surface, hold);
  const bool fixedColours = DDBpp == 8 && g_SystemData.m_bPaletteAnim;
  for (cBoxDisplay& e : m_vBoxDisplay) {
    if (e.nMode == 0) continue;
    const cBox* box = e.nType == 1 ? &m_BoxA : e.nType == 2 ? &m_BoxC : e.nType == 3 ? &m_BoxB : nullptr;
    e.nX = m_rcScreen.left + m_nGraphicX + (box ? box->nOffsetX : 0);
    e.nY = m_rcScreen.top + m_nGraphicY + (box ? box->nOffsetY : 0);
    const DWORD colour = static_cast<DWORD>(fixedColours ? e.nColor : e.nColor + (e.nCycle >> 3));
    if (e.nMode == 1)
      DDFillRect(surface, e.nX, e.nY, e.nWidth, e.nHeight, colour);
    else if (e.nMode == 2)
      DDFrameRect(surface, e.nX, e.nY, e.nWidth, e.nHeight, 1, colour);
    if (++e.nCycle >= 32) e.nCycle = 0;
  }
}
