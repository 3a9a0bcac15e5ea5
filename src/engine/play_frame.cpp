// The play scene's states 0 to 2 and its frame: Init on the first frame, the fade-in, the start
// banners, and one frame of play with its input (live or from the replay), the time, and the
// sub-steps in their fixed order, each pass acting on the result codes of the objects.
#include <climits>
#include <cstdio>
#include <exception>
#include <string>

#include "core/log.h"
#include "core/shell_link.h"
#include "core/sound_request.h"
#include "defs/def_context.h"
#include "engine/chara_anim.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "engine/stage_draw.h"
#include "platform/input.h"
#include "platform/message.h"
#include "project/global_data.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "project/system_image.h"
#include "script/flow_trigger.h"

namespace {

constexpr int SCENE_PLAY_TYPE = 4;
constexpr int BANNER_FRAMES = 80;

constexpr int SE_HERO_DIES = 8;
constexpr int SE_DEFEAT = 9;

bool IsReplayPlayback() { return g_nPlayMode == PLAYMODE_REPLAY; }

// The appearance conditions of map chips, which the definitions ask through their context.
int CheckChipConds(MapChip& chip) { return g_lpPlayScene ? g_lpPlayScene->CheckBlockConds(chip) : 1; }


}  // namespace

void SetBackLayerImageNames(const cStage& stage) {
  for (int i = 0; i < BACK_LAYER_IMAGES; ++i) {
    const size_t n = static_cast<size_t>(i);
    const bool image = n < stage.m_vBg.size() && !stage.m_vBg[n].m_bFill;
    BitmapEntry& entry = g_SystemBitmapTable[IMAGE_BACK_LAYER + i];
    std::snprintf(entry.szFileName, sizeof entry.szFileName, "%s", image ? stage.m_vBg[n].m_strImage.c_str() : "");
  }
}

void cPlayScene::Update() {
  if (m_bInitFailed) return;
  if (m_nState == -1) {
    int ok = 0;
    try {
      ok = Init();
    } catch (const std::exception& e) {
      ErrorLogAndClose(g_hWnd, "%s", e.what());
    } catch (const char* text) {
      ErrorLogAndClose(g_hWnd, "%s", text ? text : "");
    }
    // A scene that could not be set up does nothing more until the program closes.
    if (!ok) {
      m_bInitFailed = 1;
      return;
    }
    m_nState = 0;
  }
  switch (m_nState) {
    case 0: FadeIn(); break;
    case 1: StateStart(); break;
    case 2: StatePlay(); break;
    case 3: StateMenu(); break;
    case 4: StateEnd(); break;
    case 5: StateChoice(); break;
    case 6: StateWaitKey(); break;
    case 7: FadeOut(); break;
    default: break;
  }
  SweepPlayLists();
}

int cPlayScene::Init() {
  g_DefContext.lpfnCheckBlockConds = &CheckChipConds;
  m_vRankPos.assign(5, 0);
  m_vRankValue.assign(5, 0);
  SelectEffectSurfaces();
  SetBackLayerImageNames(g_StageData);
  const int prev = g_PlayShellLink.lpfnPrevScene ? g_PlayShellLink.lpfnPrevScene() : 0;
  const bool again = prev == SCENE_PLAY_TYPE;
  if (g_PlayShellLink.lpfnLoadImages && !g_PlayShellLink.lpfnLoadImages(again ? 1 : 0)) {
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
    return 0;
  }
  if (!again) {
    BuildChipSurfaces();
    LoadStageBmp();
    LoadSwords();
    LoadEffects();
    ResetPlayCounters();
    ConsumeLife(g_SaveData);
  }
  if (!SetStage(again ? 1 : 0, 1)) return 0;
  if (g_PlayShellLink.lpfnResetCursor) g_PlayShellLink.lpfnResetCursor();
  m_nStep = 0;
  return 1;
}

void cPlayScene::FadeIn() {
  Draw(0, 1, 0, 1);
  const int done = g_PlayShellLink.lpfnFadeInStep ? g_PlayShellLink.lpfnFadeInStep() : 1;
  if (done) m_nState = 1;
}

void cPlayScene::StateStart() {
  Draw(0, 1, 0, 1);
  auto banner = [](int kind, int number) {
    if (g_PlayShellLink.lpfnDrawBanner) g_PlayShellLink.lpfnDrawBanner(kind, number);
  };
  if (!(g_bTestPlay && g_bFreePlay)) {
    if (IsReplayPlayback()) {
      if (++m_nStartCount < BANNER_FRAMES) {
        banner(0, 0);
        return;
      }
    } else if (g_StageData.m_bShowStageBanner) {
      if (++m_nStartCount < BANNER_FRAMES) {
        banner(1, g_SaveData.m_nStageNumber);
        return;
      }
    }
    if (g_StageData.m_bShowStartBanner) {
      if (++m_nStartCount2 < BANNER_FRAMES) {
        banner(2, 0);
        return;
      }
    }
  }
  cPlayer& hero = g_vPlayer.CheckedAt(0);
  hero.m_Anime.Set(hero.m_bFree ? 2 : 0, 1);
  m_nStartCount = 0;
  m_nState = 2;
}

int cPlayScene::KillHero() {
  cPlayer& hero = g_vPlayer.CheckedAt(0);
  // A hero dies once: a second deadly test in the same pass finds it dead already.
  if (hero.m_bDead) return 0;
  PlaySysSe(SE_HERO_DIES);
  if (hero.Die() == 1) {
    EndPlay();
    m_nState = 4;
    return 1;
  }
  return 0;
}

int cPlayScene::DefeatChara(cChara& chara, cObjectList<cStageChara>& charas) {
  (void)charas;
  const int r = KillChara(chara);
  if (r == 1) {
    EndPlay();
    m_nState = 4;
    return 1;
  }
  if (r == 2) {
    KillHero();
    return 2;
  }
  return r;
}

int cPlayScene::CarryRider(cChara& rider, cObjectList<cStageChara>& charas) {
  if (rider.m_bFree) return 0;
  const int id = rider.m_nCarrierId;
  cStageChara* carrier = FindStageCharaById(charas, id);
  if (!carrier) return 0;
  rider.m_dVX += carrier->m_dX - rider.m_dCarrier[0];
  if (carrier->m_bFree || carrier->m_bAirborne) rider.m_dVY = carrier->m_dY - rider.m_dCarrier[1];
  if (!g_vPlayer.empty() && &rider == &g_vPlayer[0]) carrier->FireEventEx(TRIGGER_RIDDEN_BY_HERO, &rider, 0);
  carrier->FireEventEx(TRIGGER_RIDDEN_BY_CHARA, &rider, 0);
  return 0;
}

void cPlayScene::UpdateAppearance() {
  if (!g_vPlayer.empty()) {
    cPlayer& hero = g_vPlayer[0];
    hero.m_bActive = 1;
    hero.m_bOnScreen = 1;
  }
  m_vRangeFlag.assign(60, 0);
  g_lChara.ForEach([&](cStageChara& c) {
    if (CheckCharaConds(c)) {
      c.m_bActive = 1;
      c.m_bOnScreen = c.IsOnScreen() ? 1 : 0;
      c.UpdateInRange(m_vRangeFlag);
    } else {
      c.m_bActive = 0;
      c.m_bOnScreen = 0;
    }
  });
  g_lChara.ForEach([&](cStageChara& c) { c.m_bInRange = c.m_bActive ? c.TestActivation(m_vRangeFlag) : 0; });
  g_lItem.ForEach([&](cItem& item) {
    item.m_bActive = CheckItemConds(item) ? 1 : 0;
    item.m_bOnScreen = item.IsOnScreen() ? 1 : 0;
  });
  m_lShot.ForEach([](cShot& shot) {
    shot.m_bActive = 1;
    shot.m_bOnScreen = shot.IsOnScreen() ? 1 : 0;
  });
}

void cPlayScene::EraseCharaNode(cChara& chara) {
  // The links go at once; the drawing list and the object list drop it at the next sweep.
  chara.ReleaseLinks();
  if (auto* stage = dynamic_cast<cStageChara*>(&chara)) cObjectList<cStageChara>::Remove(*stage);
}

cPlayScene::SweepStamp cPlayScene::Stamp() const {
  return {cObject::MarkedRemoved(), g_lChara.Added(), g_lItem.Added(), m_lShot.Added()};
}

void cPlayScene::SweepPlayLists() {
  if (g_lChara.Walking() || g_lItem.Walking() || m_lShot.Walking()) return;
  // Nothing was taken out of play or added since the last sweep: the lists hold nothing to
  // free (a crowded stage runs this after every sub-step).
  const SweepStamp now = Stamp();
  if (now == m_PlaySwept) return;
  for (std::list<cChara*>& l : m_vDrawList) l.remove_if([](const cChara* c) { return c->m_bRemoved != 0; });
  for (std::list<cShot*>& l : m_vShotDrawList) l.remove_if([](const cShot* s) { return s->m_bRemoved != 0; });
  m_lShot.Sweep();
  g_lChara.Sweep();
  g_lItem.Sweep();
  m_PlaySwept = m_ShotsSwept = now;
}

void cPlayScene::StatePlay() {
  if (m_bQuit) {
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
    return;
  }
  if (CheckMenuKey()) {
    m_nStep = 0;
    m_nState = 3;
    return;
  }
  if (CheckReplaySaveKeys()) return;
  ++m_nFrame;

  cInput& input = g_vInput.CheckedAt(0);
  cPlayer& hero = g_vPlayer.CheckedAt(0);
  if (IsReplayPlayback()) {
    input.ClearDir();
    input.ClearButtons();
    if (g_Replay.Play(input)) {
      // The recording is exhausted: the stage starts again from its start display.
      g_SaveData.RestoreStageStart(1);
      SetStage(1, 1);
      m_nState = 1;
      return;
    }
    input.m_nDirCode = cInput::GetDirCode(&input.m_wDir);
    input.PushHistory();
    input.LogChanges();
  } else {
    if (hero.m_bIgnoreDirections) input.ClearDir();
    if (hero.m_bIgnoreButtons) input.ClearButtons();
    if (input.m_wButton == 0) m_bWaitRelease = 0;
    if (m_bWaitRelease) input.m_wButton = 0;
    input.PushHistory();
    input.LogChanges();
    if (g_SystemData.m_bReplay) g_Replay.Record(input);
  }

  CountPlayTime();
  if (CountDownTime(-1) && !hero.m_bDead) {
    if (KillHero()) return;
  }

  ClearFlowFrameFlags(hero);
  hero.m_nPinX = hero.m_nPinY = 0;
  g_lChara.ForEach([](cStageChara& c) {
    if (!c.m_bDead) ClearFlowFrameFlags(c);
    c.m_nPinX = c.m_nPinY = 0;
  });

  const int k = g_StageData.m_nSubSteps;
  for (int i = 1; i <= k; ++i) {
    const int end = SubStep(i);
    SweepPlayLists();
    if (end) {
      m_nSubStep = 0;
      return;
    }
  }
  m_nSubStep = 0;
  Draw(1, 0, 1, 1);
}
