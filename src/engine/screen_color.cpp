#include "engine/screen_color.h"

#include <algorithm>
#include <cstdint>

#include "draw/draw.h"
#include "engine/object.h"
#include "engine/play_scene.h"
#include "engine/stage_draw.h"

void cScreenColor::Start(const int32_t* p, int bPaletteMode) {
  const int bReturn = p[4] != 0;
  // A return with nothing tinted to return from.
  if (bReturn && (bPaletteMode ? !m_bDone8 : !m_bActive)) return;
  m_byPrevRed = m_byRed;
  m_byPrevGreen = m_byGreen;
  m_byPrevBlue = m_byBlue;
  m_nPrevIntensity = m_nIntensity;
  m_nPrevAlpha = m_nAlpha;
  m_byRed = static_cast<uint8_t>(p[0]);
  m_byGreen = static_cast<uint8_t>(p[1]);
  m_byBlue = static_cast<uint8_t>(p[2]);
  m_nIntensity = p[3];
  m_bReturn = bReturn;
  m_nDuration = static_cast<int32_t>(std::clamp<long long>(p[5] * 6LL, INT32_MIN, INT32_MAX));
  m_nRepeatMode = p[6];
  m_nRepeatCount = p[7];
  m_bActive = 1;
  m_nFrame = 0;
  m_nRepeatsDone = 0;
  if (!bReturn) {
    m_nAlpha = 0;
    m_bDone8 = 1;
  } else {
    m_byRed = m_byPrevRed;
    m_byGreen = m_byPrevGreen;
    m_byBlue = m_byPrevBlue;
    m_nIntensity = m_nPrevIntensity;
    m_nAlpha = m_nPrevAlpha;
  }
}

int cScreenColor::Frame(int bFrozen, int bPaletteMode, uint8_t* r, uint8_t* g, uint8_t* b) {
  if (!m_bActive) return -1;
  const bool atEnd = m_nFrame >= m_nDuration;
  const double f = m_nDuration > 0 ? static_cast<double>(m_nFrame) / m_nDuration : 1.0;
  *r = m_byRed;
  *g = m_byGreen;
  *b = m_byBlue;
  int alpha;
  if (m_nRepeatMode) {
    if (atEnd) {
      alpha = 255;
      if (!bFrozen) {
        m_nFrame = 0;
        if (++m_nRepeatsDone >= m_nRepeatCount) m_bActive = 0;
      }
    } else {
      alpha = static_cast<int>(255 - f * m_nIntensity * 2.55);
      if (!bFrozen) ++m_nFrame;
    }
  } else if (m_bReturn) {
    // Back from the tint left by the change before (whose colour m_byRed.. hold again).
    alpha = m_nDuration > 0 ? static_cast<int>(f * (255 - m_nPrevAlpha) + m_nPrevAlpha) : 255;
    if (!bFrozen) {
      if (atEnd)
        m_bActive = 0;
      else
        ++m_nFrame;
    }
  } else {
    alpha = static_cast<int>(255 - f * m_nIntensity * 2.55);
    if (!bFrozen) {
      if (atEnd) {
        // A tint of some intensity stays until a return (under a palette the blended palette
        // stays set, so the change itself can end).
        if (m_nIntensity == 0 || bPaletteMode) m_bActive = 0;
      } else {
        ++m_nFrame;
      }
    }
  }
  m_nAlpha = alpha;
  return alpha;
}

void cPlayScene::DrawBrightness(int bFrozen) {
  cScreenColor& c = m_ScreenColor;
  if (!c.m_bActive) return;
  uint8_t r = 0, g = 0, b = 0;
  if (lpDTCon) {
    const int alpha = c.Frame(bFrozen, 0, &r, &g, &b);
    if (lpDTCon->bVirtualBackBuffer) {
      DDSURFACEDATA* colour = &g_SystemImage[IMAGE_EFFECT_WORK];
      DDClearSurfaceColor(colour, 0xFF000000u | static_cast<D3DCOLOR>(r) << 16 | static_cast<D3DCOLOR>(g) << 8 | b);
      DDBltAlpha(&BackBuffer, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, colour, 0, 0, 0, nullptr, alpha);
    } else {
      DDChangeColor(&BackBuffer, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, alpha, r, g, b);
    }
    return;
  }
  // DirectDraw: a frozen draw leaves the palette and the count alone.
  if (bFrozen) return;
  if (DDBpp != 8) {
    c.m_bActive = 0;
    return;
  }
  const int alpha = c.Frame(0, 1, &r, &g, &b);
  PALETTEENTRY blended[256];
  if (alpha >= 255) {
    std::copy(DDPaletteWork, DDPaletteWork + 256, blended);
  } else {
    DDBlendPalette(blended, 0, 255, alpha, r, g, b, DDPaletteWork);
  }
  if (lpDDPal) lpDDPal->SetEntries(0, 0, 256, blended);
}
