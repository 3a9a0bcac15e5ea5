#include "app/world_map_scene.h"

#include <cstdlib>
#include <cstring>

#include "app/menu_box.h"
#include "app/palette_anim.h"
#include "app/ranking.h"
#include "app/ranking_window.h"
#include "app/screen_surface.h"
#include "app/title_scene.h"
#include "core/log.h"
#include "core/shell_link.h"
#include "core/sound_request.h"
#include "core/text.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/fill.h"
#include "draw/font.h"
#include "draw/surface.h"
#include "draw/surface_ops.h"
#include "draw/wave_split_fade.h"
#include "platform/message.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/stage_load.h"
#include "project/system_data.h"
#include "project/system_image.h"
#include "project/world_map.h"

namespace {

const int kMapImages[] = {IMAGE_MAP_BACK, IMAGE_MAP_CHIPS, IMAGE_MAP_NODES, IMAGE_CURSOR, IMAGE_FRAME, IMAGE_MAP_LAYER};
constexpr int kWalkerX = 288;
constexpr int kWalkerY = 224;
constexpr int kViewCellX = 9;
constexpr int kViewCellY = 7;
constexpr int kMenuY = 260;
constexpr int kRankingX = 367;
constexpr int kRankingY = 64;
constexpr int kUnlimitedLives = 999999;
constexpr int TEXT_SCORE = 2;
constexpr int TEXT_CONFIRM = 10;
const char kLoadError[] = "ステージファイル %s が読み込めません！";

// The view origin of the last map layer drawn, kept across visits; the walker's animation.
int g_nLastOriginX = -1;
int g_nLastOriginY = -1;
int g_nWalkerAnim = 0;

const cInput& Input() { return g_vInput.CheckedAt(0); }

int StoryRanking() { return static_cast<int>(g_SystemData.m_vRankingKinds.CheckedAt(GAMEMODE_STORY).m_bRanking); }

int Flag(int n) { return g_SaveData.m_vStageFlags.CheckedAt(n); }

bool CompareVar(int v, int op, int c) {
  switch (op) {
    case 0: return v == c;
    case 1: return v != c;
    case 2: return v >= c;
    case 3: return v <= c;
    case 4: return v > c;
    case 5: return v < c;
    case 6: return c == 0 || std::abs(v) % c == 0;
    case 7: return c != 0 && std::abs(v) % c != 0;
    default: return false;
  }
}

void SetCurrentStageOf(const cWorldStage& s, const char* name) {
  g_SaveData.SetCurrentStage(name, s.m_bStageCond, s.m_nCondVar, s.m_nCondValue);
}

}  // namespace

const cWorldStage* CurrentStageOf(const cWorldNode* lpNode) {
  if (!lpNode) return nullptr;
  for (const cWorldStage& s : lpNode->m_vStage) {
    if (s.m_nNeedFlag > 0 && !Flag(s.m_nNeedFlag)) continue;
    if (s.m_nVar != 0 && !CompareVar(g_SaveData.m_vCommonVar.CheckedAt(s.m_nVar), s.m_nVarOp, s.m_nVarValue)) continue;
    if (g_SaveData.m_nClearTotal < s.m_nNeedClears) continue;
    return &s;
  }
  return nullptr;
}

cScene* CreateWorldMapScene() { return new cWorldMapScene; }

cWorldMapScene::cWorldMapScene() {
  m_vHandler = {static_cast<Handler>(&cWorldMapScene::FadeIn), static_cast<Handler>(&cWorldMapScene::OnWalk),
                static_cast<Handler>(&cWorldMapScene::OnStageMenu), static_cast<Handler>(&cWorldMapScene::FadeOut)};
}

cWorldMapScene::~cWorldMapScene() {
  for (int n : kMapImages) DDReleaseSurface(&g_SystemImage[n]);
  DDReleaseSurfaceArray(g_vScreenSurface);
}

// Buttons 3 and 4 (ranking view and kind) report once per press, like buttons 1 and 2.
void cWorldMapScene::Update() { StepScreen(15); }

void cWorldMapScene::LookUp() {
  const CursorPos& c = g_Cursor.Current();
  m_lpNode = g_WorldMap.FindNodeAt(c.nCol, c.nRow);
  m_lpStage = CurrentStageOf(m_lpNode);
}

bool cWorldMapScene::HasStage() const { return m_lpStage && m_lpStage->m_nKind == WORLDSTAGE_STAGE; }

bool cWorldMapScene::IsCleared() const { return m_lpStage && Flag(m_lpStage->m_nClearFlag) != 0; }

bool cWorldMapScene::StartsByItself() const { return m_lpStage && !m_lpStage->m_bManualStart && !IsCleared(); }

void cWorldMapScene::Init() {
  RequestScreenMusic(1);
  BitmapEntry& back = g_SystemBitmapTable[IMAGE_MAP_BACK];
  std::snprintf(back.szFileName, sizeof back.szFileName, "%s", g_WorldMap.m_strBackFile.c_str());
  if (!DDLoadSystemBitmaps(g_SystemImage, kMapImages, 6)) PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  SetUp();
  DrawMapLayer();
}

void cWorldMapScene::SetUp() {
  g_Cursor.Reset();
  g_SaveData.RecountClears();
  CursorPos& c = g_Cursor.Current();
  c.nCol = g_SaveData.m_nMapX;
  c.nRow = g_SaveData.m_nMapY;
  c.x = kWalkerX;
  c.y = kWalkerY;
  m_nOriginX = c.nCol - kViewCellX;
  m_nOriginY = c.nRow - kViewCellY;
  m_nFacing = g_SaveData.m_nMapState;
  LookUp();
  m_PrevPos = c;
  DDReleaseSurfaceArray(g_vScreenSurface);
  g_vScreenSurface.clear();
  g_vScreenSurfaceEntry.clear();
  if (!DDAddSurface(g_vScreenSurface, g_vScreenSurfaceEntry, 272, 352, 1, 1, 0, 0))
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  else
    DrawRankingSurface();
  if (HasStage()) SelectStage();
  if (g_SaveData.m_bAutoSave && g_SceneManager.m_nPrevScene == SCENE_PLAY) g_SaveData.SaveSlot(g_SaveData.m_nSlot);
  m_nStep = 0;
}

void cWorldMapScene::SelectStage() {
  const cWorldStage& s = *m_lpStage;
  SetCurrentStageOf(s, s.m_strStageFile.c_str());
  m_nBest = g_SaveData.FindClear(g_SaveData.m_strStage);
  if (g_SceneManager.m_bRanking)
    LoadDataFile(g_RankingTable, g_nGameMode, g_SaveData.m_strStage.c_str(), s.m_bStageCond, s.m_nCondVar,
                 s.m_nCondValue);
  g_SaveData.StepRankingKind(g_nGameMode, 0);
  DrawRankingSurface();
}

void cWorldMapScene::PrepareStagePlay() {
  cSaveData& p = g_SaveData;
  const cWorldStage& s = *m_lpStage;
  p.m_lpStageEntry = &s;
  SetCurrentStageOf(s, g_StageData.m_strPath.c_str());
  p.m_nStageNumber = 1;
  p.m_nStageIndex = s.m_nClearFlag;
  if (g_SystemData.m_bMapKeepsLives)
    p.m_nStartLives = g_SystemData.m_vUnlimitedLives.CheckedAt(GAMEMODE_STORY) ? kUnlimitedLives : p.m_nLives + 1;
  else
    p.m_nStartLives = g_SystemData.m_vStartLives.CheckedAt(GAMEMODE_STORY);
}

void cWorldMapScene::StepWalker(int nBits) {
  CursorPos& c = g_Cursor.Current();
  if (nBits & 15) {
    g_SaveData.m_nPrevMapX = c.nCol;
    g_SaveData.m_nPrevMapY = c.nRow;
    m_PrevPos = c;
  }
  if (nBits & 1) {
    m_nFacing = MAPFACE_LEFT;
    if (c.nCol > 0) --c.nCol;
  } else if (nBits & 2) {
    m_nFacing = MAPFACE_RIGHT;
    if (c.nCol < g_WorldMap.m_nWidth - 1) ++c.nCol;
  } else if (nBits & 4) {
    m_nFacing = MAPFACE_UP;
    if (c.nRow > 0) --c.nRow;
  } else if (nBits & 8) {
    m_nFacing = MAPFACE_DOWN;
    if (c.nRow < g_WorldMap.m_nHeight - 1) ++c.nRow;
  }
  LookUp();
  bool blocked = false;
  if (m_lpStage)
    blocked = m_lpStage->m_nKind == WORLDSTAGE_WALL;
  else
    blocked = g_WorldMap.m_vTerrain.CheckedAt(g_WorldMap.Cell(c.nCol, c.nRow)).m_bBlocked != 0;
  if (blocked) {
    c = m_PrevPos;
    LookUp();
  } else {
    m_nOriginX = c.nCol - kViewCellX;
    m_nOriginY = c.nRow - kViewCellY;
    g_SaveData.m_nMapState = m_nFacing;
    if (m_nOriginX != g_nLastOriginX || m_nOriginY != g_nLastOriginY) DrawMapLayer();
    g_nLastOriginX = m_nOriginX;
    g_nLastOriginY = m_nOriginY;
  }
  c.x = kWalkerX;
  c.y = kWalkerY;
}

void cWorldMapScene::RankingButtons(int nButtons) {
  if (nButtons & 4) {
    if (StoryRanking()) {
      PlaySysSe(6);
      g_SaveData.m_bShowRanking = !g_SaveData.m_bShowRanking;
      DrawRankingSurface();
    } else if (g_SaveData.m_bShowRanking) {
      g_SaveData.m_bShowRanking = 0;
      DrawRankingSurface();
    }
  } else if ((nButtons & 8) && StoryRanking()) {
    if (g_SystemData.CountRankingKinds(g_nGameMode) >= 2) {
      PlaySysSe(6);
      g_SaveData.StepRankingKind(g_nGameMode, 1);
    }
    DrawRankingSurface();
  }
}

bool cWorldMapScene::StepWalk() {
  const cInput& input = Input();
  StepWalker(input.m_wDir);
  PlayCursorSe(input.m_wDir, 3, 0);
  LookUp();
  bool enter = false;
  if (HasStage()) {
    const CursorPos& c = g_Cursor.Current();
    if (c.nCol != m_SelectPos.nCol || c.nRow != m_SelectPos.nRow) {
      SelectStage();
      m_SelectPos = c;
    }
    if (StartsByItself()) {
      enter = true;
    } else if (input.m_wButton & 1) {
      if (!m_lpStage->m_bReplay && IsCleared()) return false;
      enter = true;
    }
  }
  if (!enter) {
    // The ranking buttons belong to the stage under the walker.
    if (HasStage()) RankingButtons(input.m_wButton);
    if (!(input.m_wButton & 2)) return true;
    PlaySysSe(4);
    g_SaveData.m_nMapX = g_Cursor.Current().nCol;
    g_SaveData.m_nMapY = g_Cursor.Current().nRow;
    m_nStep = 0;
    m_nPhase = PHASE_FADE_OUT;
    g_SceneManager.m_nNextScene = SCENE_SAVE;
    return false;
  }
  g_SaveData.m_nMapX = g_Cursor.Current().nCol;
  g_SaveData.m_nMapY = g_Cursor.Current().nRow;
  g_Cursor.Push(0);
  m_nStep = 0;
  m_nPhase = PHASE_STAGE_MENU;
  return false;
}

void cWorldMapScene::OnWalk() {
  if (StepWalk()) DrawScreen(true);
}

void cWorldMapScene::PlaceWalker(int nCol, int nRow) {
  CursorPos& c = g_Cursor.Current();
  c.nCol = nCol;
  c.nRow = nRow;
  c.x = kWalkerX;
  c.y = kWalkerY;
  m_nOriginX = nCol - kViewCellX;
  m_nOriginY = nRow - kViewCellY;
  LookUp();
  DrawMapLayer();
}

bool cWorldMapScene::StepStageMenu() {
  const cInput& input = Input();
  if (m_nStep == 0) {
    PlaySysSe(1);
    m_bLoaded = LoadStageFile(m_lpStage->m_strStageFile.c_str(), 1, &g_StageInit);
    if (!m_bLoaded) ErrorBoxF(kLoadError, m_lpStage->m_strStageFile.c_str());
    g_Cursor.Current().nRow = 1;
    m_nStep = 1;
  }
  const int x = GetMenuLeft(304, TEXT_CONFIRM, 2, 1);
  g_Cursor.Move(input.m_wDir, x, kMenuY, 0, 16, 1, 2);
  PlayCursorSe(input.m_wDir, 2, 0);
  bool leave = false;
  if (input.m_wButton & 1) {
    PlaySysSe(1);
    if (g_Cursor.Current().nRow == 0 && m_bLoaded) {
      g_SaveData.m_nMapState = m_nFacing;
      PrepareStagePlay();
      m_nStep = 0;
      m_nPhase = PHASE_FADE_OUT;
      g_SceneManager.m_nNextScene = SCENE_PLAY;
      return false;
    }
    leave = true;
  } else if (input.m_wButton & 2) {
    PlaySysSe(2);
    leave = true;
  }
  if (leave) {
    g_Cursor.Pop(1);
    if (StartsByItself()) {
      PlaceWalker(m_PrevPos.nCol, m_PrevPos.nRow);
    }
    m_nStep = 0;
    m_nPhase = PHASE_WALK;
    return false;
  }
  RankingButtons(input.m_wButton);
  return true;
}

void cWorldMapScene::OnStageMenu() {
  if (!StepStageMenu()) return;
  DrawScreen(true);
  DrawMenuList(&BackBuffer, GetMenuLeft(304, TEXT_CONFIRM, 2, 1), kMenuY, TEXT_CONFIRM, 2, 1);
  const CursorPos& c = g_Cursor.Current();
  DDBltFast(&BackBuffer, c.x, c.y, 16, 16, &g_SystemImage[IMAGE_CURSOR], 64, 0, 1);
}

bool cWorldMapScene::Arrive() {
  if (HasStage()) {
    if (g_SaveData.m_bLeftStage) {
      g_SaveData.m_bLeftStage = 0;
      if (!IsCleared()) {
        PlaceWalker(g_SaveData.m_nPrevMapX, g_SaveData.m_nPrevMapY);
      }
    } else if (g_SceneManager.m_nPrevScene != SCENE_SAVE && StartsByItself()) {
      if (!LoadStageFile(m_lpStage->m_strStageFile.c_str(), 1, &g_StageInit)) {
        ErrorBoxF(kLoadError, m_lpStage->m_strStageFile.c_str());
        PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
        return false;
      }
      PrepareStagePlay();
      g_SaveData.m_nPrevMapX = g_Cursor.Current().nCol;
      g_SaveData.m_nPrevMapY = g_Cursor.Current().nRow;
      m_nStep = 0;
      m_nPhase = PHASE_FADE_OUT;
      g_SceneManager.m_nNextScene = SCENE_PLAY;
      return true;
    }
  }
  m_nPhase = PHASE_WALK;
  return true;
}

void cWorldMapScene::FadeIn() {
  if (DDBpp == 8) DrawRankingSurface();
  DrawScreen(!g_SaveData.m_bLeftStage);
  if (DDFadeIn(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0)) Arrive();
}

void cWorldMapScene::FadeOut() {
  DrawScreen(true);
  if (!DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0)) return;
  DDClearSurface(&BackBuffer, 16);
  g_Cursor.Reset();
  g_SceneManager.m_nPrevScene = SCENE_WORLD_MAP;
  g_SceneManager.m_nScene = g_SceneManager.m_nNextScene;
  // A kept screen object starts again with Init.
  m_nPhase = -1;
}

void cWorldMapScene::DrawRankingSurface() {
  if (g_vScreenSurface.empty()) return;
  DDSURFACEDATA* surface = &g_vScreenSurface.CheckedAt(0);
  DDClearSurface(surface, 0);
  DrawRankingOf(g_RankingTable, surface, 0, 0, g_SaveData.m_nRankingKind, -1);
}

void cWorldMapScene::DrawMapLayer() {
  DDSURFACEDATA* layer = &g_SystemImage[IMAGE_MAP_LAYER];
  if (!layer->lpDT && !layer->lpDDObj) return;
  const cWorldMap& map = g_WorldMap;
  DDFillRect(layer, 0, 0, 640, 480, static_cast<DWORD>(map.m_nBackColor));
  if (map.m_bBackImage) {
    const int dx = m_nOriginX < 0 ? -m_nOriginX * 32 : 0;
    const int dy = m_nOriginY < 0 ? -m_nOriginY * 32 : 0;
    const int sx = m_nOriginX > 0 ? m_nOriginX * 32 : 0;
    const int sy = m_nOriginY > 0 ? m_nOriginY * 32 : 0;
    DDBltFast(layer, dx, dy, 640, 480, &g_SystemImage[IMAGE_MAP_BACK], sx, sy, 0);
  }
  // Terrain and nodes each go to the device as one batch of quads.
  DDBeginSpriteBatch(0);
  for (int r = 0; r < 15; ++r) {
    for (int col = 0; col < 20; ++col) {
      const int mx = m_nOriginX + col;
      const int my = m_nOriginY + r;
      if (!map.Contains(mx, my)) continue;
      const int n = map.m_vTerrain.CheckedAt(map.m_vCell.CheckedAt(mx + (my << map.m_nPitchShift))).m_nChip;
      DDBltFast(layer, 32 * col, 32 * r, 32, 32, &g_SystemImage[IMAGE_MAP_CHIPS], (n % 5) * 32, (n / 5) * 32, 1);
    }
  }
  DDFlushSpriteBatch();
  DDBeginSpriteBatch(0);
  for (const cWorldNode& node : map.m_vNode) {
    const cWorldStage* s = CurrentStageOf(&node);
    if (!s) continue;
    const int sx = Flag(s->m_nClearFlag) ? 32 : 0;
    DDBltFast(layer, (node.m_nX - m_nOriginX) * 32, (node.m_nY - m_nOriginY) * 32, 32, 32,
              &g_SystemImage[IMAGE_MAP_NODES], sx, s->m_nIcon * 32, 1);
  }
  DDFlushSpriteBatch();
}

void cWorldMapScene::DrawScreen(bool bStageInfo) {
  DDSURFACEDATA* layer = &g_SystemImage[IMAGE_MAP_LAYER];
  if (layer->bLost) {
    layer->bLost = 0;
    DrawMapLayer();
  }
  DDBltFast(&BackBuffer, 0, 0, 640, 480, layer, 0, 0, 0);
  static const int kWalkerSrc[4][2] = {{0, 64}, {64, 64}, {64, 96}, {0, 96}};
  const int f = m_nFacing >= 0 && m_nFacing < 4 ? m_nFacing : 0;
  const int anim = g_nWalkerAnim > 40 ? 32 : 0;
  g_nWalkerAnim = g_nWalkerAnim >= 80 ? 0 : g_nWalkerAnim + 1;
  DDBltFast(&BackBuffer, kWalkerX, kWalkerY, 32, 32, &g_SystemImage[IMAGE_CURSOR], kWalkerSrc[f][0] + anim,
            kWalkerSrc[f][1], 1);
  if (g_SystemData.m_bMapShowLives) {
    const int lives = g_SaveData.m_nLives;
    const int d = lives == kUnlimitedLives ? 1 : CountDigits(lives);
    const int w = (d + 1) * 16;
    const int x = 621 - w;
    g_Font[1].DrawBox(&BackBuffer, x, 17, w, 20);
    DDBltFast(&BackBuffer, x, 19, 16, 16, &g_SystemImage[IMAGE_CURSOR], 0, 48, 1);
    if (lives == kUnlimitedLives)
      g_Font[1].Print(&BackBuffer, x + 16, 19, "∞");
    else
      g_Font[1].Printf(&BackBuffer, x + 16, 19, "%d", lives);
  }
  if (bStageInfo && HasStage()) {
    if (StoryRanking() && g_SaveData.m_bShowRanking && !g_vScreenSurface.empty()) {
      DDSURFACEDATA* ranking = &g_vScreenSurface.CheckedAt(0);
      if (ranking->bLost) {
        DrawRankingSurface();
        ranking->bLost = 0;
      }
      DDBltFast(&BackBuffer, kRankingX, kRankingY, 272, 352, ranking, 0, 0, 1);
    }
    const bool best = g_SystemData.m_bStoryMapScore && m_nBest > 0;
    const int y = best ? 184 : 204;
    const int n = CountChars(m_lpStage->m_strTitle.c_str());
    if (n > 0) g_Font[1].PrintInBox(&BackBuffer, 304 - 16 * n / 2, y, 16 * n, 16, m_lpStage->m_strTitle.c_str(), 0);
    if (best) {
      const char* text = g_SystemData.m_vTexts.CheckedAt(TEXT_SCORE).c_str();
      const int w = (CountChars(text) + CountDigits(m_nBest)) * 16;
      g_Font[1].PrintfInBox(&BackBuffer, 304 - w / 2, y + 20, w, 16, "%s%d", text, m_nBest);
    }
  }
  AnimatePalette();
}
