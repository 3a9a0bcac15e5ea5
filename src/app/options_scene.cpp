#include "app/options_scene.h"

#include <algorithm>

#include "app/main_window.h"
#include "app/menu_box.h"
#include "app/menu_cursor.h"
#include "app/ranking.h"
#include "app/palette_anim.h"
#include "app/screen_panel.h"
#include "app/screen_surface.h"
#include "app/startup.h"
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
#include "platform/time.h"
#include "project/data_folder.h"
#include "project/global_data.h"
#include "project/option_data.h"
#include "project/system_data.h"

namespace {

const int kOptionImages[] = {IMAGE_CURSOR, IMAGE_FRAME};
constexpr int kEntryTop = 96;
constexpr int kNameX = 64;
constexpr int kValueX = 208;
constexpr int kEntryCursorX = 48;
constexpr int kValueCursorX = 192;

void SetSeVolumeOfEverySlot(int nStep) {
  for (size_t i = 0; i < g_vSeSlot.size(); ++i)
    DSSetSeVolume(&g_vSeSlot.CheckedAt(static_cast<int>(i)), 0, SeAttenuation(nStep), 0);
}

// The edited field and its largest value.
int32_t* FieldOf(int kind, int32_t* lpMax) {
  switch (kind) {
    case OPTION_PALETTE:
      *lpMax = OPTION_PALETTE_MAX;
      return &g_OptionData.m_nPalette;
    case OPTION_BGM:
      *lpMax = 1;
      return &g_OptionData.m_bBgm;
    case OPTION_SE_VOLUME:
      *lpMax = OPTION_SE_VOLUME_MAX;
      return &g_OptionData.m_nSeVolume;
    case OPTION_RANKING_METHOD:
      *lpMax = OPTION_RANKING_METHOD_MAX;
      return &g_OptionData.m_nRankingMethod;
    default:
      return nullptr;
  }
}

}  // namespace

OptionAppliers DefaultOptionAppliers() {
  OptionAppliers a;
  a.lpfnPalette = &LoadHbtPalette;
  a.lpfnSeVolume = &SetSeVolumeOfEverySlot;
  return a;
}

OptionAppliers g_OptionAppliers = DefaultOptionAppliers();

void PlayTitleBgm() {
  if (!g_BgmPlayer.m_bInit && g_OptionData.m_bBgm) {
    g_BgmPlayer.Release();
    StartBgmPlayer();
    g_SceneManager.g_nCurrentBgm = 0;
  } else if (g_BgmPlayer.m_bInit && !g_OptionData.m_bBgm) {
    g_BgmPlayer.Release();
    g_SceneManager.g_nCurrentBgm = 0;
  }
}

cScene* CreateSettingsScene() { return new cSettingsScene; }

cSettingsScene::cSettingsScene() {
  m_vHandler = {static_cast<Handler>(&cSettingsScene::FadeIn), static_cast<Handler>(&cSettingsScene::OnMenu),
                static_cast<Handler>(&cSettingsScene::FadeOut)};
}

cSettingsScene::~cSettingsScene() {
  for (int n : kOptionImages) DDReleaseSurface(&g_SystemImage[n]);
  DDReleaseSurfaceArray(g_vScreenSurface);
}

void cSettingsScene::Update() { StepScreen(3); }

void cSettingsScene::SetUpEntries() {
  m_nEntries = cCmd::ListEnabled(g_SystemData.m_vOptionMenu, m_nKind, OPTIONS_MENU_MAX);
  if (m_nEntries == 0) {
    m_nKind[0] = OPTION_PALETTE;
    m_nEntries = 1;
  }
}

void cSettingsScene::Init() {
  RequestScreenMusic(3);
  if (!DDLoadSystemBitmaps(g_SystemImage, kOptionImages, 2)) PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  g_Cursor.Reset();
  SetUpEntries();
  DDReleaseSurfaceArray(g_vScreenSurface);
  g_vScreenSurface.clear();
  g_vScreenSurfaceEntry.clear();
  if (!DDAddSurface(g_vScreenSurface, g_vScreenSurfaceEntry, 640, 480, 0, 1, 0, 0)) {
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  } else {
    DrawPanel();
  }
  m_nStep = STEP_ENTER;
}

std::string cSettingsScene::ValueText(int nKind) {
  std::string text;
  switch (nKind) {
    case OPTION_PALETTE:
      FormatSignedNumber(text, g_OptionData.m_nPalette, 0, 0, 0);
      break;
    case OPTION_BGM:
      text = g_OptionData.m_bBgm ? "ON" : "OFF";
      break;
    case OPTION_SE_VOLUME:
      FormatSignedNumber(text, g_OptionData.m_nSeVolume, 0, 0, 0);
      break;
    case OPTION_RANKING_METHOD:
      text = g_SystemData.m_vRankingMethods.CheckedAt(g_OptionData.m_nRankingMethod);
      break;
    case OPTION_RANKING_NAME:
      text = g_OptionData.m_strRankingName;
      break;
    default:
      break;
  }
  return text;
}

const std::string& cSettingsScene::EntryName(int nRow) const {
  return g_SystemData.m_vOptionMenu.CheckedAt(m_nKind[nRow]).m_strName;
}

void cSettingsScene::DrawPanel() {
  if (g_vScreenSurface.empty()) return;
  DDSURFACEDATA* panel = &g_vScreenSurface.CheckedAt(0);
  g_Font[2].DrawBox(panel, 1, 1, 638, 478);
  const std::string& heading = g_SystemData.m_vTitleMenu.CheckedAt(OPTION_RETURN).m_strName;
  g_Font[2].Print(panel, 320 - 32 * CountChars(heading.c_str()) / 2, 32, heading.c_str());
  for (int i = 0; i < m_nEntries; ++i) {
    const int y = kEntryTop + 16 * i;
    g_Font[1].Print(panel, kNameX, y, EntryName(i).c_str());
    g_Font[1].Print(panel, kValueX, y, ValueText(m_nKind[i]).c_str());
  }
}

void cSettingsScene::DrawScreen() {
  ShowScreenPanel([this] { DrawPanel(); });
}

void cSettingsScene::FadeIn() {
  if (DDBpp == 8) DrawPanel();
  DrawScreen();
  if (DDFadeIn(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0)) m_nPhase = PHASE_MENU;
}

void cSettingsScene::Apply() {
  if (m_nEditKind == OPTION_PALETTE && g_OptionAppliers.lpfnPalette) g_OptionAppliers.lpfnPalette(*m_lpValue);
  if (m_nEditKind == OPTION_SE_VOLUME && g_OptionAppliers.lpfnSeVolume) g_OptionAppliers.lpfnSeVolume(*m_lpValue);
}

int cSettingsScene::StepMenu() {
  const cInput& input = g_vInput.CheckedAt(0);
  if (m_nStep == STEP_ENTER) {
    g_Cursor.Current() = CursorPos();
    m_nStep = STEP_CHOOSE;
  }
  if (m_nStep == STEP_CHOOSE) {
    g_Cursor.Move(input.m_wDir, kEntryCursorX, kEntryTop, 0, 16, 1, m_nEntries);
    PlayCursorSe(input.m_wDir, 2, 0);
    if (input.m_wButton & 1) {
      PlaySysSe(1);
      const int row = g_Cursor.Current().nRow;
      m_nEditKind = row >= 0 && row < m_nEntries ? m_nKind[row] : OPTION_RETURN;
      if (m_nEditKind == OPTION_RANKING_NAME) {
        // The name dialog runs on the window thread; the screen waits for it to close.
        g_bNameEntered = 0;
        SendMessageA(g_hWnd, WM_REQUEST_NAME, 0, 0);
        while (!g_bNameEntered) Sleep(1);
        DrawPanel();
        return DRAW_ENTRY_CURSOR;
      }
      int32_t max = 0;
      m_lpValue = FieldOf(m_nEditKind, &max);
      if (!m_lpValue) {
        g_SceneManager.m_nNextScene = SCENE_TITLE;
        m_nStep = STEP_ENTER;
        m_nPhase = PHASE_FADE_OUT;
        return DRAW_NOTHING;
      }
      m_nMin = 0;
      m_nMax = max;
      m_nSaved = *m_lpValue;
      g_Cursor.Push(0);
      m_nStep = STEP_EDIT;
      return DRAW_NOTHING;
    }
    if (input.m_wButton & 2) {
      PlaySysSe(2);
      g_SceneManager.m_nNextScene = SCENE_TITLE;
      m_nStep = STEP_ENTER;
      m_nPhase = PHASE_FADE_OUT;
      return DRAW_NOTHING;
    }
    return DRAW_ENTRY_CURSOR;
  }
  // Editing a value.
  if (input.m_wDir & (INPUT_UP | INPUT_DOWN)) {
    int32_t& value = *m_lpValue;
    if (input.m_wDir & INPUT_UP)
      ++value;
    else
      --value;
    if (value < m_nMin)
      value = m_nMax;
    else if (value > m_nMax)
      value = m_nMin;
    Apply();
    DrawPanel();
  }
  PlayCursorSe(input.m_wDir, 2, 0);
  if (input.m_wButton & 1) {
    PlaySysSe(1);
    g_Cursor.Pop(1);
    m_nStep = STEP_CHOOSE;
    return DRAW_NOTHING;
  }
  if (input.m_wButton & 2) {
    PlaySysSe(2);
    *m_lpValue = m_nSaved;
    Apply();
    g_Cursor.Pop(1);
    m_nStep = STEP_CHOOSE;
    DrawPanel();
    return DRAW_NOTHING;
  }
  return DRAW_EDIT_CURSORS;
}

void cSettingsScene::OnMenu() {
  const int draw = StepMenu();
  if (draw == DRAW_NOTHING) return;
  DrawScreen();
  if (draw == DRAW_ENTRY_CURSOR) {
    const CursorPos& c = g_Cursor.Current();
    DDBltFast(&BackBuffer, c.x, c.y, 16, 16, &g_SystemImage[IMAGE_CURSOR], 64, 0, 1);
    return;
  }
  const CursorPos* entry = g_Cursor.Previous();
  if (!entry) return;
  DDBltFast(&BackBuffer, entry->x, entry->y, 16, 16, &g_SystemImage[IMAGE_CURSOR], 80, 0, 1);
  DDBltFast(&BackBuffer, kValueCursorX, entry->y, 16, 16, &g_SystemImage[IMAGE_CURSOR], 64, 0, 1);
}

void cSettingsScene::FadeOut() {
  if (!DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0)) return;
  DDClearSurface(&BackBuffer, 16);
  Leave();
}

void cSettingsScene::Leave() {
  PlayTitleBgm();
  // The options are written in their ranges, as every reader of the file expects them.
  g_OptionData.m_nPalette = std::clamp(g_OptionData.m_nPalette, 0, OPTION_PALETTE_MAX);
  g_OptionData.m_bBgm = std::clamp(g_OptionData.m_bBgm, 0, 1);
  g_OptionData.m_nSeVolume = std::clamp(g_OptionData.m_nSeVolume, 0, OPTION_SE_VOLUME_MAX);
  g_OptionData.m_nRankingMethod = std::clamp(g_OptionData.m_nRankingMethod, 0, OPTION_RANKING_METHOD_MAX);
  // Options that cannot be written (a read-only user_data) are reported as a failed save slot is.
  if (!g_OptionData.SaveFile(g_PathTable[PATH_OPTION]))
    ReportErrorBox("%s のセーブに失敗しました！", g_PathTable[PATH_OPTION]);
  g_Cursor.Reset();
  g_SceneManager.m_nPrevScene = SCENE_OPTIONS;
  g_SceneManager.m_nScene = g_SceneManager.m_nNextScene;
}
