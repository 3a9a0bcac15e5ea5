// One frame of the stage: background layers, map chips, the objects by drawing layer, the
// effects, the screen effect, the head-up display, the timer and the screen colour.
#include "engine/stage_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/frame_timing.h"
#include "core/sound_request.h"
#include "core/text.h"
#include "draw/draw.h"
#include "draw/bmp_font.h"
#include "draw/font.h"
#include "engine/chara_anim.h"
#include "engine/effect.h"
#include "engine/item.h"
#include "engine/map_grid.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"

void (*g_lpfnAnimatePalette)() = nullptr;

namespace {

constexpr int kBackColour = 16;
constexpr int kMaxTiles = 1000;
constexpr int kUnlimitedLives = 999999;
// The rows and columns of chips a frame shows (one more of each for the scroll offset).
constexpr int kChipRows = 16;
constexpr int kChipColumns = 21;

// The first drawn column (row) of a layer tiled from a start offset, made non-negative modulo
// the image size.
int TileStart(long long start, int size) {
  long long m = start % size;
  if (m < 0) m += size;
  return static_cast<int>(m);
}

// A layer image that was made and has a size to tile and wrap in.
bool LayerImageMade(const DDSURFACEDATA& image) { return SurfaceMade(&image) && image.nWidth > 0 && image.nHeight > 0; }

bool IsIconItem(const DisplayItem& d) { return d.m_bIcon != 0; }

int ItemValue(int item) {
  switch (item) {
    case DISPITEM_TOTAL_SCORE:
      return g_SaveData.m_nTotalScore;
    case DISPITEM_STAGE_SCORE:
      return g_SaveData.m_nStageScore;
    case DISPITEM_HP:
      return g_vPlayer.empty() ? 0 : g_vPlayer[0].m_nHp;
    case DISPITEM_SP:
      return g_vPlayer.empty() ? 0 : g_vPlayer[0].m_nSp;
    default:
      return g_SaveData.m_nLives;
  }
}

// An item's x for the drawing calls. The text a call draws is at most 5119 bytes (16 dots a
// character), so an x beyond this reach shows nothing either way.
int HudDrawX(long long x) {
  constexpr long long kReach = 1 << 24;
  return static_cast<int>(std::clamp(x, -kReach, kReach));
}

int GaugeMaximum(int item) {
  if (g_vPlayer.empty()) return 0;
  const cCharaData& d = g_vPlayer[0].m_Data;
  return item == DISPITEM_HP ? d.m_nMaxHp : d.m_nMaxSp;
}

}  // namespace

DWORD ColourKeyFill() { return lpDTCon ? lpDTCon->dwTransmitClear : DDColorKey; }

HudLayout LayOutHud(const cSafeVector<DisplayItem>& items) {
  HudLayout layout;
  long long sum = 0;
  const int n = std::min(static_cast<int>(items.size()), 5);
  for (int i = 0; i < n; ++i) {
    const DisplayItem& d = items[static_cast<size_t>(i)];
    if (!d.m_bShow) continue;
    long long w = IsIconItem(d) ? 16 : CountChars(d.m_strLabel.c_str()) * 16LL;
    w += (i == DISPITEM_HP || i == DISPITEM_SP) ? 50 : d.m_nDigits * 16LL;
    layout.show[i] = true;
    layout.width[i] = w;
    sum += w;
    ++layout.shown;
  }
  if (layout.shown == 0) return layout;
  const long long gap = (638 - sum) / (layout.shown + 1);
  long long x = gap;
  for (int i = 0; i < n; ++i) {
    if (!layout.show[i]) continue;
    layout.x[i] = x;
    x += layout.width[i] + gap;
  }
  return layout;
}

void cPlayScene::Draw(int bPlay, int bFrozen, int bTimerSound, int bNotice) {
  DDSURFACEDATA* work = &g_SystemImage[IMAGE_SHOT_WORK];
  DDSURFACEDATA* workMirror = &g_SystemImage[IMAGE_SHOT_WORK_MIRROR];
  if (work->bLost || workMirror->bLost) {
    BuildChipSurfaces();
    work->bLost = workMirror->bLost = 0;
  }
  if (m_ScrEffect.m_sEffect != 0) DDSetVirtualBackBuffer(1);
  ScrollBackLayers();
  DrawBackLayers(&BackBuffer, 0);
  if (!bPlay && m_nState == 3 && g_SystemData.m_bMenuDraw) {
    DrawBackLayers(&BackBuffer, 1);
    DrawBrightness(bFrozen);
    return;
  }
  DrawPictures(&BackBuffer, 0, bFrozen);
  DrawBlocks(&BackBuffer, 0);
  const int bLayered = g_StageData.m_bDrawByPriority != 0;
  const int layers = bLayered ? 8 : 1;
  for (int i = 0; i < layers; ++i) DrawObjectLayer(i, bLayered, bFrozen);
  DrawBlocks(&BackBuffer, 1);
  DrawBackLayers(&BackBuffer, 1);
  DrawDistanceRanges(&BackBuffer);
  if (!g_vPlayer.empty()) g_vPlayer[0].DrawSight(&BackBuffer);
  DrawPictures(&BackBuffer, 1, bFrozen);

  DDBeginSpriteBatch(1);
  for (auto it = m_lEffect.begin(); it != m_lEffect.end();) {
    if (it->Draw(&BackBuffer, bFrozen))
      it = m_lEffect.erase(it);
    else
      ++it;
  }
  DDFlushSpriteBatch();

  // Message windows and pop-ups: a window that reports its end is destroyed.
  for (auto it = m_lMessage.begin(); it != m_lMessage.end();) {
    if (it->Update(&BackBuffer, bFrozen))
      it = m_lMessage.erase(it);
    else
      ++it;
  }

  DrawScrEffect(bFrozen);
  DrawHud(&BackBuffer);
  DrawTimer(&BackBuffer, bTimerSound);
  if (bNotice) {
    const cSafeVector<std::string>& texts = g_SystemData.m_vTexts;
    const int text = g_bFreePlay ? 27 : (g_bTestPlay ? 26 : -1);
    if (text >= 0 && static_cast<size_t>(text) < texts.size()) {
      const std::string& s = texts[static_cast<size_t>(text)];
      g_Font[1].Print(&BackBuffer, 320 - CountChars(s.c_str()) * 16 / 2, 456, s.c_str());
    }
  }
  if (g_lpfnAnimatePalette) g_lpfnAnimatePalette();
  DrawBrightness(bFrozen);
}

void cPlayScene::DrawObjectLayer(int nLayer, int bLayered, int bFrozen) {
  // With layers on, each pass draws only the objects of its drawing priority.
  const auto inLayer = [&](int z) { return !bLayered || z == nLayer; };
  if (!g_vPlayer.empty() && inLayer(g_vPlayer[0].m_Data.m_byZ)) DrawHero(bFrozen);

  DDBeginSpriteBatch(1);
  DDAddBatchTexture(&g_SystemImage[IMAGE_MARK]);
  g_lItem.ForEach([&](cItem& item) {
    if (!item.m_bActive || item.m_bHidden || !inLayer(item.m_Data.m_byZ)) return;
    item.CalcScreenRect();
    item.Draw(&BackBuffer, bFrozen);
  });
  DDFlushSpriteBatch();

  g_lChara.ForEach([&](cStageChara& chara) {
    if (!inLayer(chara.m_Data.m_byZ)) return;
    if (DrawChara(chara, bFrozen)) EraseCharaNode(chara);
  });

  DDBeginSpriteBatch(1);
  const auto drawShot = [&](cShot& shot) {
    if (shot.m_bRemoved || !shot.IsOnScreen()) return;
    shot.CalcScreenRect();
    shot.Draw(&BackBuffer, bFrozen);
  };
  if (bLayered) {
    for (cShot* shot : m_vShotDrawList.CheckedAt(nLayer)) drawShot(*shot);
  } else {
    m_lShot.ForEach(drawShot);
  }
  DDFlushSpriteBatch();
}

void cPlayScene::ScrollBackLayers() {
  if (m_nState == 3) return;
  cSafeVector<cBgData>& layers = g_StageData.m_vBg;
  const size_t n = std::min(layers.size(), static_cast<size_t>(BACK_LAYER_IMAGES));
  for (size_t i = 0; i < n; ++i) {
    cBgData& bg = layers[i];
    const DDSURFACEDATA& image = g_SystemImage[IMAGE_BACK_LAYER + static_cast<int>(i)];
    // An image that did not load has no size to wrap in; its layer is not drawn either.
    if (!LayerImageMade(image)) continue;
    if (bg.m_bAutoX) {
      bg.m_dOffsetX -= bg.m_dScrollX;
      if (bg.m_dOffsetX < 0) bg.m_dOffsetX += image.nWidth;
      if (bg.m_dOffsetX >= image.nWidth) bg.m_dOffsetX -= image.nWidth;
    }
    if (bg.m_bAutoY) {
      bg.m_dOffsetY -= bg.m_dScrollY;
      if (bg.m_dOffsetY < 0) bg.m_dOffsetY += image.nHeight;
      if (bg.m_dOffsetY >= image.nHeight) bg.m_dOffsetY -= image.nHeight;
    }
  }
}

void cPlayScene::DrawBackLayers(DDSURFACEDATA* lpTarget, int bFront) {
  const cSafeVector<cBgData>& layers = g_StageData.m_vBg;
  const size_t n = std::min(layers.size(), static_cast<size_t>(BACK_LAYER_IMAGES));
  if (!bFront && std::none_of(layers.begin(), layers.begin() + static_cast<std::ptrdiff_t>(n),
                              [](const cBgData& bg) { return bg.m_bShow != 0; })) {
    DDClearSurface(lpTarget, kBackColour);
    return;
  }
  int drawn = 0;
  for (size_t i = 0; i < n; ++i) {
    const cBgData& bg = layers[i];
    if (!bg.m_bShow || (bg.m_nDepth != 0) != (bFront != 0)) continue;
    if (bg.m_bFill) {
      DDFillRect(lpTarget, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, static_cast<DWORD>(bg.m_nFillColor));
      ++drawn;
      continue;
    }
    DDSURFACEDATA* image = &g_SystemImage[IMAGE_BACK_LAYER + static_cast<int>(i)];
    if (!LayerImageMade(*image)) continue;  // the image failed to load: the layer is left out
    const int w = image->nWidth, h = image->nHeight;
    const double sx = m_ScrollX.m_dPos, sy = m_ScrollY.m_dPos;
    const long long startX = bg.m_bAutoX
                                 ? static_cast<long long>(sx + bg.m_dOffsetX - 320)
                                 : static_cast<long long>((std::trunc(sx + 0.5) - 320) * bg.m_dScrollX);
    const long long startY = bg.m_bAutoY ? static_cast<long long>(sy + bg.m_dOffsetY - 320)
                                         : static_cast<long long>((std::trunc(sy) - 320) * bg.m_dScrollY);
    const int x0 = -TileStart(startX, w), y0 = -TileStart(startY, h);
    // The first back layer covers the frame; every later layer shows what lies behind it.
    const int flags = (!bFront && drawn == 0) ? 0 : 1;
    int rows = 0;
    for (int y = y0; y < VIEW_HEIGHT && rows < kMaxTiles; y += h, ++rows) {
      int columns = 0;
      for (int x = x0; x <= VIEW_WIDTH - 1 && columns < kMaxTiles; x += w, ++columns)
        DDBltFast(lpTarget, x, y, w, h, image, 0, 0, flags);
    }
    ++drawn;
  }
  if (!bFront && drawn == 0) DDClearSurface(lpTarget, kBackColour);
}

void cPlayScene::DrawBlocks(DDSURFACEDATA* lpTarget, int nLayer) {
  DDBeginSpriteBatch(1);
  DDAddBatchTexture(&g_SystemImage[IMAGE_MARK]);
  const int sx = static_cast<int>(m_ScrollX.m_dPos), sy = static_cast<int>(m_ScrollY.m_dPos);
  const int column0 = sx >> 5, row0 = sy >> 5, offX = sx & 31, offY = sy & 31;
  const int pitch = m_ScrollX.m_nPitch;
  const int gridRows = pitch > 0 ? static_cast<int>(g_MapGrid.size()) / pitch : 0;
  for (int r = 0; r < kChipRows; ++r) {
    const int row = row0 + r;
    if (row < 0 || row >= gridRows) continue;
    for (int c = 0; c < kChipColumns; ++c) {
      const int column = column0 + c;
      if (column < 0 || column >= pitch) continue;
      MapChip& chip = g_MapGrid[static_cast<size_t>(row * pitch + column)];
      if (chip.m_wGraphic == 0 || chip.m_byZ != nLayer || chip.m_bTransparent) continue;
      if (!CheckBlockConds(chip)) continue;
      chip.DrawIcon(lpTarget, c * 32 - offX, r * 32 - offY);
    }
  }
  DDFlushSpriteBatch();
}

void cPlayScene::DrawHero(int bFrozen) {
  cPlayer& hero = g_vPlayer[0];
  hero.CalcScreenRect();
  if (!hero.m_bDead) {
    hero.DrawBoxes(&BackBuffer, bFrozen);
    hero.DrawHpGauge(&BackBuffer);
    hero.DrawSpGauge(&BackBuffer);
    return;
  }
  if (hero.DrawDead(&BackBuffer, bFrozen)) RestartAfterDeath();
}

int cPlayScene::DrawChara(cChara& chara, int bFrozen) {
  if (chara.m_bDead) {
    chara.CalcScreenRect();
    return chara.DrawDead(&BackBuffer, bFrozen);
  }
  if (chara.IsOnScreen()) {
    chara.CalcScreenRect();
    if (chara.m_Data.m_bTransparent) {
      chara.UpdateAnims(bFrozen);
      chara.AdvanceEffect(0);
      chara.DrawHpGauge(&BackBuffer);
      chara.DrawSpGauge(&BackBuffer);
      return 0;
    }
    chara.Draw(&BackBuffer, bFrozen);
    chara.DrawHpGauge(&BackBuffer);
    chara.DrawSpGauge(&BackBuffer);
    if (auto* stageChara = dynamic_cast<cStageChara*>(&chara)) stageChara->DrawDropIcon(&BackBuffer);
    return 0;
  }
  if (chara.m_bActive) {
    chara.CalcScreenRect();
    chara.UpdateAnims(bFrozen);
    chara.AdvanceEffect(0);
  }
  return 0;
}

void cPlayScene::DrawHud(DDSURFACEDATA* lpTarget) {
  if (m_nHudValue == 0) return;
  const cSafeVector<DisplayItem>& items = g_SystemData.m_vDisplayItems;
  const HudLayout layout = LayOutHud(items);
  if (layout.shown == 0) return;
  DDBltFast(lpTarget, 0, 0, VIEW_WIDTH, 20, &g_SystemImage[IMAGE_HUD_BAR], 0, 0, 1);
  DDSURFACEDATA* accessory = &g_SystemImage[IMAGE_ACCESSORY];
  constexpr int y = 3;
  for (int i = 0; i < 5; ++i) {
    // An item left of the bar's start still shows what reaches into it.
    if (!layout.show[i]) continue;
    const DisplayItem& d = items[static_cast<size_t>(i)];
    const int x = HudDrawX(layout.x[i]);
    const int value = ItemValue(i);
    const char* label = d.m_strLabel.c_str();
    if (i == DISPITEM_HP || i == DISPITEM_SP) {
      int gx = x;
      if (d.m_bIcon) {
        DDBltFast(lpTarget, x, y, 16, 16, accessory, i == DISPITEM_HP ? 32 : 48, 32, 1);
        gx += 16;
      } else {
        g_Font[1].Printf(lpTarget, x, y, "%s", label);
        gx = HudDrawX(layout.x[i] + CountChars(label) * 16LL);
      }
      const int maximum = GaugeMaximum(i);
      const int frameX = i == DISPITEM_HP ? 0 : 64;
      DDBltFast(lpTarget, gx, y, 50, 16, accessory, frameX, 128, 1);
      const int fill = maximum != 0 ? static_cast<int>(static_cast<long long>(value) * 50 / maximum) : 0;
      const int fillW = std::clamp(fill, 0, 50);
      if (fillW > 0)
        DDBltFast(lpTarget, gx, y, fillW, 16, accessory, frameX, IsGaugeLow(i, value, maximum) ? 160 : 144, 1);
      if (d.m_bShowValue) g_Font[0].Printf(lpTarget, gx, 6, "%d", value);
      continue;
    }
    if (i == DISPITEM_LIVES) {
      const bool unlimited = value == kUnlimitedLives;
      if (d.m_bIcon) {
        DDBltFast(lpTarget, x, y, 16, 16, accessory, 64, 32, 1);
        if (unlimited)
          g_Font[1].Print(lpTarget, x + 16, y, "-");
        else
          g_Font[1].Printf(lpTarget, x + 16, y, "%d", value);
      } else if (unlimited) {
        g_Font[1].Printf(lpTarget, x, y, "%s-", label);
      } else {
        g_Font[1].Printf(lpTarget, x, y, "%s%d", label, value);
      }
      continue;
    }
    if (d.m_bIcon) {
      DDBltFast(lpTarget, x, y, 16, 16, accessory, i == DISPITEM_TOTAL_SCORE ? 0 : 16, 32, 1);
      g_Font[1].Printf(lpTarget, x + 16, y, "%d", value);
    } else {
      g_Font[1].Printf(lpTarget, x, y, "%s%d", label, value);
    }
  }
}

void cPlayScene::DrawTimer(DDSURFACEDATA* lpTarget, int bTimerSound) {
  if (m_bTimeStop) return;
  DDDrawNumber(lpTarget, 272, 24, 32, 32, &g_SystemImage[IMAGE_WORD], 0, 160, 1, m_nTime, 3, 0);
  if (m_nTime > 0 && m_nTime <= g_StageData.m_nTimeWarning && EveryNCalls(2, 0) && bTimerSound) PlaySysSe(13);
}

void cPlayScene::BuildChipSurfaces() {
  const int sources[2] = {IMAGE_SHOT, IMAGE_SHOT_MIRROR};
  const int targets[2] = {IMAGE_SHOT_WORK, IMAGE_SHOT_WORK_MIRROR};
  for (int s = 0; s < 2; ++s) {
    DDSURFACEDATA* dst = &g_SystemImage[targets[s]];
    DDSURFACEDATA* src = &g_SystemImage[sources[s]];
    DDClearSurfaceColor(dst, ColourKeyFill());
    for (int r = 0; r < 30; ++r) {
      const int y = 8 + 32 * r;
      for (int d = 0; d < 4; ++d) {
        const int x = 40 + 64 * d;
        DDBltFast(dst, x - 32, y, 16, 16, src, 32 * d, 16 * r, 0);
        DDBltFast(dst, x, y, 16, 16, src, 16 + 32 * d, 16 * r, 0);
      }
    }
  }
}
