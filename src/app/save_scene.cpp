#include "app/save_scene.h"

#include <algorithm>

#include "app/menu_box.h"
#include "app/menu_cursor.h"
#include "app/palette_anim.h"
#include "app/ranking.h"
#include "app/title_scene.h"
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
#include "project/save_data.h"
#include "project/system_data.h"

namespace {

const int kSaveImages[] = {IMAGE_FRAME, 50, IMAGE_CURSOR};
constexpr int kMenuX = 264;
constexpr int kMenuY = 192;
constexpr int kSlotX = 152;
constexpr int kSlotY = 160;
constexpr int kTotalY = 260;
constexpr int kConfirmY = 400;
constexpr int kAutosaveY = 224;
constexpr int kNoSlotY = 232;
constexpr int kTitleY = 224;
// The system texts of the sub-menus.
constexpr int TEXT_TOTAL = 4;
constexpr int TEXT_SAVE_CONFIRM = 12;
constexpr int TEXT_AUTOSAVE = 14;
constexpr int TEXT_NO_SLOT = 16;
constexpr int TEXT_TITLE_CONFIRM = 17;

const cInput& Input() { return g_vInput.CheckedAt(0); }

void Cursor16(int x, int y, int srcX) { DDBltFast(&BackBuffer, x, y, 16, 16, &g_SystemImage[IMAGE_CURSOR], srcX, 0, 1); }

void ClearScreen() { DDFillRect(&BackBuffer, 0, 0, 640, 480, 16); }

}  // namespace

cScene* CreateSaveScene() { return new cSaveScene; }

cSaveScene::cSaveScene() {
  m_vHandler = {static_cast<Handler>(&cSaveScene::FadeIn),     static_cast<Handler>(&cSaveScene::OnMenu),
                static_cast<Handler>(&cSaveScene::OnSave),     static_cast<Handler>(&cSaveScene::OnAutosave),
                static_cast<Handler>(&cSaveScene::OnBack),     static_cast<Handler>(&cSaveScene::OnTitle),
                static_cast<Handler>(&cSaveScene::FadeOut)};
}

cSaveScene::~cSaveScene() {
  for (int n : kSaveImages) DDReleaseSurface(&g_SystemImage[n]);
}

void cSaveScene::Update() { StepScreen(3); }

void cSaveScene::SetUpEntries() {
  m_nEntries = cCmd::ListEnabled(g_SystemData.m_vSaveMenu, m_nKind, SAVE_MENU_MAX);
  if (m_nEntries == 0) {
    m_nKind[0] = SAVE_KIND_SAVE;
    m_nEntries = 1;
  }
}

void cSaveScene::Init() {
  RequestScreenMusic(1);
  if (!DDLoadSystemBitmaps(g_SystemImage, kSaveImages, 3)) PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
  SetUpEntries();
  g_Cursor.Reset();
}

void cSaveScene::DrawMenuScreen() {
  ClearScreen();
  int chars = 0;
  for (int i = 0; i < m_nEntries; ++i)
    chars = std::max(chars, CountChars(g_SystemData.m_vSaveMenu.CheckedAt(m_nKind[i]).m_strName.c_str()));
  DDBltFramed(&BackBuffer, kMenuX, kMenuY, 16 * (chars + 1), 16 * m_nEntries, &g_SystemImage[IMAGE_FRAME], 1, 240);
  for (int i = 0; i < m_nEntries; ++i)
    g_Font[1].Print(&BackBuffer, kMenuX + 16, kMenuY + 16 * i,
                    g_SystemData.m_vSaveMenu.CheckedAt(m_nKind[i]).m_strName.c_str());
  const int total = g_SaveData.m_nClearTotal;
  if (g_SystemData.m_bStoryTotalScore && total > 0) {
    const std::string& label = g_SystemData.m_vTexts.CheckedAt(TEXT_TOTAL);
    const int w = 16 * (CountChars(label.c_str()) + CountDigits(total));
    const int x = 320 - w / 2;
    g_Font[1].DrawBox(&BackBuffer, x, kTotalY, w, 16);
    g_Font[1].Printf(&BackBuffer, x, kTotalY, "%s%d", label.c_str(), total);
  }
  AnimatePalette();
}

void cSaveScene::DrawSlotList() {
  ClearScreen();
  DrawSaveSlotList(&BackBuffer, kSlotX, kSlotY, g_vSaveSlotInfo, m_nFirstSlot, m_nSlotRows);
}

void cSaveScene::DrawSmallCursor() {
  const CursorPos& c = g_Cursor.Current();
  Cursor16(c.x, c.y, 64);
}

void cSaveScene::FadeIn() {
  DrawMenuScreen();
  Cursor16(kMenuX, kMenuY, 64);
  if (DDFadeIn(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0)) m_nPhase = PHASE_MENU;
}

bool cSaveScene::BackToMenu() {
  g_Cursor.Pop(1);
  m_nStep = 0;
  m_nPhase = PHASE_MENU;
  return false;
}

void cSaveScene::MoveInChoice(int nText, int y) {
  g_Cursor.Move(Input().m_wDir, GetMenuLeft(320, nText, 2, 1), y, 0, 16, 1, 2);
  PlayCursorSe(Input().m_wDir, 2, 0);
}

bool cSaveScene::StepMenu() {
  g_Cursor.Move(Input().m_wDir, kMenuX, kMenuY, 0, 16, 1, m_nEntries);
  PlayCursorSe(Input().m_wDir, 2, 0);
  if (Input().m_wButton & 1) {
    PlaySysSe(1);
    const int row = g_Cursor.Current().nRow;
    // The kinds are list indexes below four, so the phase is one of the four sub-menus.
    const int kind = row >= 0 && row < m_nEntries ? m_nKind[row] : SAVE_KIND_BACK;
    m_nPhase = PHASE_SAVE + kind;
    g_Cursor.Push(0);
    return false;
  }
  if (Input().m_wButton & 2) {
    PlaySysSe(2);
    m_nPhase = PHASE_BACK;
    return false;
  }
  return true;
}

void cSaveScene::OnMenu() {
  if (!StepMenu()) return;
  DrawMenuScreen();
  DrawSmallCursor();
}

bool cSaveScene::StepSave() {
  if (m_nStep == 0) {
    g_Cursor.Current() = CursorPos();
    g_Cursor.Current().nRow = g_SaveData.m_nSlot;
    m_nStep = 1;
    LoadSaveSlotList(g_vSaveSlotInfo);
    m_nSlotRows = std::min(SAVE_SLOT_ROWS, static_cast<int>(g_vSaveSlotInfo.size()));
    m_nFirstSlot = g_Cursor.Current().nRow;
  }
  if (m_nStep == 1) {
    g_Cursor.MoveInList(Input().m_wDir, 1, m_nFirstSlot, kSlotY, 16, kSlotX, m_nSlotRows,
                        static_cast<int>(g_vSaveSlotInfo.size()), 1);
    PlayCursorSe(Input().m_wDir, 3, 0);
    if (Input().m_wButton & 1) {
      PlaySysSe(1);
      g_Cursor.Push(0);
      m_nStep = 2;
      g_Cursor.Current().nRow = 1;
      return false;
    }
    if (Input().m_wButton & 2) {
      PlaySysSe(2);
      return BackToMenu();
    }
    return true;
  }
  MoveInChoice(TEXT_SAVE_CONFIRM, kConfirmY);
  if (Input().m_wButton & 1) {
    if (g_Cursor.Current().nRow == 0) {
      PlaySysSe(5);
      const CursorPos* list = g_Cursor.Previous();
      const int slot = list ? list->nRow : 0;
      g_SaveData.m_nSlot = slot;
      g_SaveData.SaveSlot(slot);
    } else {
      PlaySysSe(1);
    }
    g_Cursor.Pop(1);
    m_nStep = 1;
    return false;
  }
  if (Input().m_wButton & 2) {
    PlaySysSe(2);
    g_Cursor.Pop(1);
    m_nStep = 1;
    return false;
  }
  return true;
}

void cSaveScene::OnSave() {
  if (!StepSave()) return;
  DrawSlotList();
  if (m_nStep == 2) {
    DrawMenuList(&BackBuffer, GetMenuLeft(320, TEXT_SAVE_CONFIRM, 2, 1), kConfirmY, TEXT_SAVE_CONFIRM, 2, 1);
    if (const CursorPos* list = g_Cursor.Previous()) Cursor16(list->x, list->y, 80);
  }
  DrawSmallCursor();
}

bool cSaveScene::StepAutosave() {
  if (m_nStep == 0) {
    g_Cursor.Current() = CursorPos();
    g_Cursor.Current().nRow = g_SaveData.m_bAutoSave ? 0 : 1;
    m_nStep = g_SaveData.m_nSlot == -1 ? 2 : 1;
  }
  if (m_nStep == 1) {
    MoveInChoice(TEXT_AUTOSAVE, kAutosaveY);
    if (Input().m_wButton & 1) {
      PlaySysSe(1);
      if (g_Cursor.Current().nRow == 0) {
        g_SaveData.SaveSlot(g_SaveData.m_nSlot);
        g_SaveData.m_bAutoSave = 1;
      } else {
        g_SaveData.m_bAutoSave = 0;
      }
    } else if (Input().m_wButton & 2) {
      PlaySysSe(2);
    } else {
      return true;
    }
  } else if (Input().m_wButton & 1) {
    PlaySysSe(1);
  } else if (Input().m_wButton & 2) {
    PlaySysSe(2);
  } else {
    return true;
  }
  return BackToMenu();
}

void cSaveScene::OnAutosave() {
  if (!StepAutosave()) return;
  ClearScreen();
  if (m_nStep == 1) {
    DrawMenuList(&BackBuffer, GetMenuLeft(320, TEXT_AUTOSAVE, 2, 1), kAutosaveY, TEXT_AUTOSAVE, 2, 1);
    DrawSmallCursor();
  } else {
    DrawMenuList(&BackBuffer, GetMenuLeft(320, TEXT_NO_SLOT, 1, 0), kNoSlotY, TEXT_NO_SLOT, 1, 0);
  }
}

void cSaveScene::OnBack() {
  m_nStep = 0;
  m_nPhase = PHASE_FADE_OUT;
  g_SceneManager.m_nNextScene = SCENE_WORLD_MAP;
}

bool cSaveScene::StepTitle() {
  if (m_nStep == 0) {
    g_Cursor.Current() = CursorPos();
    g_Cursor.Current().nRow = 1;
    m_nStep = 1;
  }
  MoveInChoice(TEXT_TITLE_CONFIRM, kTitleY);
  if (Input().m_wButton & 1) {
    PlaySysSe(1);
    if (g_Cursor.Current().nRow == 0) {
      m_nPhase = PHASE_FADE_OUT;
      g_SceneManager.m_nNextScene = SCENE_TITLE;
      return false;
    }
  } else if (Input().m_wButton & 2) {
    PlaySysSe(2);
  } else {
    return true;
  }
  return BackToMenu();
}

void cSaveScene::OnTitle() {
  if (!StepTitle()) return;
  ClearScreen();
  DrawMenuList(&BackBuffer, GetMenuLeft(320, TEXT_TITLE_CONFIRM, 2, 1), kTitleY, TEXT_TITLE_CONFIRM, 2, 1);
  DrawSmallCursor();
}

void cSaveScene::FadeOut() {
  if (!DDFadeOut(DDPaletteWork, 0, 255, 0, 0, 0, g_SceneManager.m_nFadeStep, DDPalette, 0)) return;
  DDClearSurface(&BackBuffer, 16);
  g_SceneManager.m_nPrevScene = SCENE_SAVE;
  g_SceneManager.m_nScene = g_SceneManager.m_nNextScene;
  // A kept screen object starts again with Init.
  m_nPhase = -1;
}
