#include "app/title_scene.h"

#include <algorithm>

#include "app/main_window.h"
#include "app/menu_box.h"
#include "app/menu_cursor.h"
#include "app/palette_anim.h"
#include "app/screen_surface.h"
#include "core/shell_link.h"
#include "core/sound_request.h"
#include "core/text.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/fill.h"
#include "draw/font.h"
#include "draw/frames_numbers.h"
#include "draw/surface.h"
#include "draw/surface_ops.h"
#include "draw/wave_split_fade.h"
#include "platform/message.h"
#include "project/global_data.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/system_data.h"

int g_nTitleMenuX = 192;
int g_nTitleMenuY = 240;

namespace {

constexpr int kSlotListX = 160;
constexpr int kSlotListY = 160;

const int kTitleImages[] = {IMAGE_TITLE_BACK, IMAGE_TITLE_MENU, IMAGE_CURSOR, IMAGE_FRAME};

DDSURFACEDATA* Image(int n) { return &g_SystemImage[n]; }

// The ranking switch of a game mode's record.
int RankingOf(int mode) { return static_cast<int>(g_SystemData.m_vRankingKinds.CheckedAt(mode).m_bRanking); }

}  // namespace

bool RequestOpenStageFile() { return SendWindowRequest(WM_REQUEST_OPEN_STAGE, 0) != 0; }

cScene* CreateTitleMenuScene() { return new cTitleMenuScene; }

cTitleMenuScene::cTitleMenuScene() {
  m_vHandler = {static_cast<Handler>(&cTitleMenuScene::FadeIn), static_cast<Handler>(&cTitleMenuScene::OnMenu),
                static_cast<Handler>(&cTitleMenuScene::OnSlotList), static_cast<Handler>(&cTitleMenuScene::FadeOut)};
}

cTitleMenuScene::~cTitleMenuScene() {
  for (int n : kTitleImages) DDReleaseSurface(Image(n));
  DDReleaseSurfaceArray(g_vScreenSurface);
}

void cTitleMenuScene::Update() { StepScreen(3); }

void cTitleMenuScene::SetUpEntries() {
  m_nEntries = cCmd::ListEnabled(g_SystemData.m_vTitleMenu, m_nKind, TITLE_MENU_MAX);
  if (m_nEntries == 0) {
    m_nKind[0] = PLAYMODE_NEW_GAME;
    m_nEntries = 1;
  }
  CursorPos& cursor = g_Cursor.Current();
  cursor.nRow = g_nPlayMode;
  for (int i = 0; i < m_nEntries; ++i) {
    if (m_nKind[i] == g_nPlayMode) {
      cursor.nRow = i;
      break;
    }
  }
}

void cTitleMenuScene::MenuSize(int* lpWidth, int* lpHeight) const {
  if (g_SystemData.m_bTitleMenuCentre) {
    *lpWidth = g_SystemImage[IMAGE_TITLE_MENU].nWidth + 32;
  } else {
    int chars = 0;
    for (int i = 0; i < m_nEntries; ++i)
      chars = std::max(chars, CountChars(g_SystemData.m_vTitleMenu.CheckedAt(m_nKind[i]).m_strName.c_str()));
    *lpWidth = 32 * chars + 34;
  }
  *lpHeight = 32 * m_nEntries + 2;
}

void RequestScreenMusic(int nSlot) {
  // Music 0 is silence: the request goes out on every visit then.
  const int bgm = g_SystemData.m_vScreenBgm.CheckedAt(nSlot);
  if (bgm == 0 || bgm != g_SceneManager.g_nCurrentBgm) {
    g_SceneManager.g_nCurrentBgm = bgm;
    SendMessageA(g_hWnd, WM_PLAY_BGM, static_cast<WPARAM>(nSlot), 0);
  }
}

void cTitleMenuScene::Init() {
  RequestScreenMusic(0);
  if (!DDLoadSystemBitmaps(g_SystemImage, kTitleImages, 4)) PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  g_Cursor.Reset();
  SetUpEntries();
  if (g_SystemData.m_bTitleMenuCentre) g_nTitleMenuX = 288 - g_SystemImage[IMAGE_TITLE_MENU].nWidth / 2;
  DDReleaseSurfaceArray(g_vScreenSurface);
  g_vScreenSurface.clear();
  g_vScreenSurfaceEntry.clear();
  int w = 0;
  int h = 0;
  MenuSize(&w, &h);
  if (!DDAddSurface(g_vScreenSurface, g_vScreenSurfaceEntry, w, h, 1, 1, 0, 0)) {
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
    return;
  }
  DrawMenuSurface();
  m_nStep = 0;
}

void cTitleMenuScene::DrawMenuSurface() {
  if (g_vScreenSurface.empty()) return;
  DDSURFACEDATA* menu = &g_vScreenSurface.CheckedAt(0);
  if (g_SystemData.m_bTitleMenuCentre) {
    DDFillRect(menu, 0, 0, menu->nWidth, menu->nHeight, 0);
    const int w = g_SystemImage[IMAGE_TITLE_MENU].nWidth;
    for (int i = 0; i < m_nEntries; ++i)
      DDBltFast(menu, 32, 32 * i, w, 32, Image(IMAGE_TITLE_MENU), 0, m_nKind[i] * 32, 0);
  } else {
    DDBltFramed(menu, 1, 1, menu->nWidth - 2, menu->nHeight - 2, Image(IMAGE_FRAME), 1, 240);
    for (int i = 0; i < m_nEntries; ++i)
      g_Font[2].Print(menu, 32, 32 * i, g_SystemData.m_vTitleMenu.CheckedAt(m_nKind[i]).m_strName.c_str());
  }
}

void cTitleMenuScene::DrawScreen() {
  DDBltFast(&BackBuffer, 0, 0, 640, 480, Image(IMAGE_TITLE_BACK), 0, 0, 0);
  if (!g_vScreenSurface.empty()) {
    DDSURFACEDATA* menu = &g_vScreenSurface.CheckedAt(0);
    if (menu->bLost) {
      DrawMenuSurface();
      menu->bLost = 0;
    }
    DDBltFast(&BackBuffer, g_nTitleMenuX, g_nTitleMenuY, menu->nWidth, menu->nHeight, menu, 0, 0, 1);
  }
  AnimatePalette();
}

void cTitleMenuScene::FadeIn() {
  if (DDBpp == 8) DrawMenuSurface();
  DrawScreen();
  if (DDFadeIn(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0)) m_nPhase = PHASE_MENU;
}

void cTitleMenuScene::OnMenu() {
  const cInput& input = g_vInput.CheckedAt(0);
  g_Cursor.Move(input.m_wDir, g_nTitleMenuX, g_nTitleMenuY, 0, 32, 1, m_nEntries);
  PlayCursorSe(input.m_wDir, 2, 0);
  if (input.m_wButton & 1) {
    ChooseEntry();
    return;
  }
  DrawScreen();
  const CursorPos& c = g_Cursor.Current();
  DDBltFast(&BackBuffer, c.x, c.y, 32, 32, Image(IMAGE_CURSOR), 0, 0, 1);
}

void cTitleMenuScene::ChooseEntry() {
  PlaySysSe(1);
  const int row = g_Cursor.Current().nRow;
  const int kind = row >= 0 && row < m_nEntries ? m_nKind[row] : -1;
  g_nPlayMode = kind;
  if (kind >= PLAYMODE_NEW_GAME && kind <= PLAYMODE_REPLAY) {
    static const int kMode[] = {GAMEMODE_STORY, GAMEMODE_STORY, GAMEMODE_CHALLENGE, GAMEMODE_FREE, GAMEMODE_REPLAY};
    g_nGameMode = kMode[kind];
    g_SceneManager.m_bRanking = RankingOf(g_nGameMode);
  }
  switch (kind) {
    case PLAYMODE_NEW_GAME:
      g_SaveData.BeginNewGame();
      g_SceneManager.m_nNextScene = SCENE_WORLD_MAP;
      m_nPhase = PHASE_FADE_OUT;
      break;
    case PLAYMODE_CONTINUE:
      g_Cursor.Push(0);
      m_nPhase = PHASE_SLOT_LIST;
      m_nStep = 0;
      break;
    case PLAYMODE_CHALLENGE:
      if (!g_SaveData.LoadChallenge()) {
        g_SaveData.ResetGameData();
        g_SaveData.m_vChallenge.assign(static_cast<size_t>(std::max(g_SystemData.m_nChallengeStages, 0)), cIntPair());
      }
      g_SceneManager.m_nNextScene = SCENE_STAGE_SELECT;
      m_nPhase = PHASE_FADE_OUT;
      break;
    case PLAYMODE_FREE_STAGE:
      if (RequestOpenStageFile()) {
        g_SceneManager.m_nNextScene = SCENE_PLAY;
        m_nPhase = PHASE_FADE_OUT;
      }
      break;
    case PLAYMODE_REPLAY:
      if (RequestReplayLoad()) {
        g_SceneManager.m_nNextScene = SCENE_PLAY;
        m_nPhase = PHASE_FADE_OUT;
      }
      break;
    case PLAYMODE_OPTIONS:
      g_SceneManager.m_nNextScene = SCENE_OPTIONS;
      m_nPhase = PHASE_FADE_OUT;
      break;
    case 6:
      PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

int cTitleMenuScene::StepSlotList() {
  if (m_nStep == 0) {
    g_Cursor.Current() = CursorPos();
    m_nFirstSlot = 0;
    m_nStep = 1;
    LoadSaveSlotList(g_vSaveSlotInfo);
  }
  const cInput& input = g_vInput.CheckedAt(0);
  const int count = static_cast<int>(g_vSaveSlotInfo.size());
  m_nSlotRows = std::min(TITLE_SLOT_ROWS, count);
  g_Cursor.MoveInList(input.m_wDir, 1, m_nFirstSlot, kSlotListY, 16, kSlotListX, m_nSlotRows, count, 1);
  PlayCursorSe(input.m_wDir, 3, 0);
  if (input.m_wButton & 1) {
    const int slot = g_Cursor.Current().nRow;
    if (g_vSaveSlotInfo.CheckedAt(slot).m_bUsed) {
      PlaySysSe(1);
      g_SaveData.LoadSlot(slot);
      g_SceneManager.m_nNextScene = SCENE_WORLD_MAP;
      m_nPhase = PHASE_FADE_OUT;
    } else {
      PlaySysSe(3);
    }
    return 0;
  }
  if (input.m_wButton & 2) {
    PlaySysSe(2);
    g_Cursor.Pop(1);
    m_nPhase = PHASE_MENU;
    m_nStep = 0;
    return 0;
  }
  return 1;
}

void cTitleMenuScene::OnSlotList() {
  if (!StepSlotList()) return;
  DDBltFast(&BackBuffer, 0, 0, 640, 480, Image(IMAGE_TITLE_BACK), 0, 0, 0);
  AnimatePalette();
  DrawSaveSlotList(&BackBuffer, kSlotListX, kSlotListY, g_vSaveSlotInfo, m_nFirstSlot, m_nSlotRows);
  const CursorPos& c = g_Cursor.Current();
  DDBltFast(&BackBuffer, c.x, c.y, 16, 16, Image(IMAGE_CURSOR), 64, 0, 1);
}

void cTitleMenuScene::FadeOut() {
  if (!DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0)) return;
  DDClearSurface(&BackBuffer, 16);
  g_Cursor.Reset();
  g_SceneManager.m_nPrevScene = SCENE_TITLE;
  g_SceneManager.m_nScene = g_SceneManager.m_nNextScene;
}
