// Stage set-up and progression: SetStage builds a playable stage from the working stage record
// (every start and restart), the placements of characters and items, the damage-pass schedule,
// the play counters and lives, the end of play with its totals and extra lives, and the restart
// after the hero's death.
#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "core/frame_timing.h"
#include "core/log.h"
#include "core/shell_link.h"
#include "core/sound_request.h"
#include "draw/context.h"
#include "engine/map_grid.h"
#include "engine/object_limits.h"
#include "engine/pause_thread.h"
#include "engine/play_menu.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_draw.h"
#include "engine/stage_chara.h"
#include "engine/summon.h"
#include "platform/message.h"
#include "platform/random.h"
#include "platform/time.h"
#include "project/global_data.h"
#include "project/replay.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"
#include "script/flow_trigger.h"

cPlayShellLink g_PlayShellLink;

// The snapshots of the progress at the start of the current and of the previous attempt.
extern cSaveData g_ReplaySaveData;
extern cSaveData g_PrevReplaySaveData;

namespace {

constexpr int MAX_LIVES = 99;
// The music request of the main window: code 4 plays the music database entry in lParam.
constexpr UINT WM_PLAY_BGM_REQUEST = WM_USER + 6;
constexpr int BGM_FROM_DATABASE = 4;


bool IsReplayPlayback() { return g_nPlayMode == PLAYMODE_REPLAY; }

// The stage's cell of a placement record, clamped into the stage.
int CellX(const cPaletteEntry& e, const cStage& st) { return std::min<int>(e.m_wHeadA, std::max(st.m_nWidth - 1, 0)); }
int CellY(const cPaletteEntry& e, const cStage& st) {
  return std::min<int>(e.m_wHeadB, std::max(st.m_nHeight - 1, 0));
}

void AppendToDrawList(cPlayScene& scene, cChara& chara) {
  scene.m_vDrawList.CheckedAt(static_cast<size_t>(chara.m_nLayer & 7)).push_back(&chara);
}

// Shifts a group member by its group offsets for the definition's facing.
void ShiftByGroupOffset(cChara& chara, const cCharaData& def, int member) {
  const int dx = def.GetGroupOffsetX(member, def.m_byDirection);
  const int dy = def.GetGroupOffsetY(member, def.m_byDirection);
  chara.m_dX += dx;
  chara.m_dFarX += dx;
  chara.m_dY += dy;
  chara.m_dFarY += dy;
}

}  // namespace

cSafeVector<int32_t> cPlayScene::BuildHitSchedule(int k, int m) {
  // At least one sub-step, and no more passes than sub-steps (m from a file may be anything).
  k = std::max(k, 1);
  m = std::clamp(m, 0, k);
  if (m == 0) return cSafeVector<int32_t>(static_cast<size_t>(k), 1);
  cSafeVector<int32_t> schedule(static_cast<size_t>(k), 0);
  const double step = static_cast<double>(k) / m;
  double pos = 0;
  int count = 0;
  do {
    schedule[static_cast<size_t>(static_cast<int>(pos))] = 1;
    pos += step;
    ++count;
  } while (static_cast<int>(pos) < k);
  if (count < m) schedule[static_cast<size_t>(k - 1)] = 1;
  return schedule;
}

void cPlayScene::PlayBgm(int nBgm, int bLoop) {
  g_SaveData.m_bBgmPlayingLoop = bLoop;
  if (g_hWnd) SendMessageA(g_hWnd, WM_PLAY_BGM_REQUEST, BGM_FROM_DATABASE, static_cast<LPARAM>(nBgm));
}

void cPlayScene::PlaceChara(int cellX, int cellY, const cCharaData& def, const cItem* lpDrop) {
  static const int32_t none[4] = {0, 0, 0, 0};
  // The records hold no member count: a placement is one member, with the group offsets of
  // member 0.
  const int members = 1;
  for (int i = 0; i < members; ++i) {
    auto chara = std::make_unique<cStageChara>();
    chara->Place(m_nNextId, def, lpDrop, none, 0, nullptr);
    chara->SetBlockXY(cellX, cellY);
    ShiftByGroupOffset(*chara, def, i);
    if (!chara->IsInsideStage(1)) continue;
    chara->ClampX(2);
    chara->ClampY(2);
    cStageChara& placed = g_lChara.Add(std::move(chara));
    placed.CalcScreenRect();
    ++m_nNextId;
  }
}

void cPlayScene::PlaceItem(int cellX, int cellY, const cItemData& def) {
  auto item = std::make_unique<cItem>();
  item->SetData(m_nNextId, def, 0);
  item->SetTilePos(cellX, cellY);
  if (!item->IsInsideStage(1)) return;
  item->ClampX(2);
  item->ClampY(2);
  cItem& placed = g_lItem.Add(std::move(item));
  placed.CalcScreenRect();
  ++m_nNextId;
}

void cPlayScene::SummonChara(const cCharaSummon& summon) {
  static const int32_t none[4] = {0, 0, 0, 0};
  if (!summon.lpDef || !summon.lpShot) return;
  if (!RoomForObject(LIMIT_CHARAS, HeldBeyondPlaced(g_lChara.Stored(), m_nPlacedCharas))) return;
  // The summon's facing and side replace the definition's own.
  cCharaData def = *summon.lpDef;
  def.m_byDirection = static_cast<uint8_t>(summon.nDir ? 1 : 0);
  def.m_byLayer = static_cast<uint8_t>(summon.nLayer);
  auto chara = std::make_unique<cStageChara>();
  chara->Place(m_nNextId, def, nullptr, none, 0, summon.lpUser);
  chara->SetCellDotXY(summon.nX, summon.nY);
  ShiftByGroupOffset(*chara, def, 0);
  if (!chara->IsInsideStage(1)) return;
  chara->ClampX(2);
  chara->ClampY(2);
  // A member that lands in a wall or a block character is not kept; its id stays used.
  ++m_nNextId;
  if (IsPlaceBlocked(*chara)) return;
  cStageChara& placed = g_lChara.Add(std::move(chara));
  placed.CalcScreenRect();
  placed.LinkInitialTargets(summon.lpUser);
  // The summon's hit event and its flow id: the character's contacts and damage are reported
  // to its summoner, to the flows of that id.
  placed.m_bReportToSummoner = summon.lpShot->m_bHitEvent;
  placed.m_byReportValue = summon.lpShot->m_byHitEventId;
  if (summon.lpShot->m_bLifetime) placed.m_nLife = summon.lpShot->m_sLifetime * g_StageData.m_nSubSteps6;
  AppendToDrawList(*this, placed);
}

void cPlayScene::SummonItem(const cItemSummon& summon) {
  if (!summon.lpDef || !summon.lpShot) return;
  if (!RoomForObject(LIMIT_ITEMS, HeldBeyondPlaced(g_lItem.Stored(), m_nPlacedItems))) return;
  auto item = std::make_unique<cItem>();
  item->SetData(m_nNextId, *summon.lpDef, 0);
  item->SetCellDotPos(summon.nX, summon.nY);
  if (!item->IsInsideStage(1)) return;
  item->ClampX(2);
  item->ClampY(2);
  if (summon.lpShot->m_bLifetime) item->m_nLife = summon.lpShot->m_sLifetime * g_StageData.m_nSubSteps6;
  cItem& placed = g_lItem.Add(std::move(item));
  placed.CalcScreenRect();
  ++m_nNextId;
}

int cPlayScene::SetStage(int bLoadStage, int bFirst) {
  try {
    ErrorLog("In SetStage bLoadStage = %d", bLoadStage);
    m_nFrame = 0;
    // Every object of the previous attempt goes: shots first (they point at their owners).
    m_lShot.Clear();
    g_lChara.Clear();
    g_lItem.Clear();
    m_nPlacedCharas = m_nPlacedItems = 0;
    g_vPlayer.clear();
    m_vDrawList.assign(8, std::list<cChara*>());
    m_vShotDrawList.assign(8, std::list<cShot*>());
    ResetObjectLimitReports();

    if (bLoadStage) {
      if (IsReplayPlayback()) {
        const std::string path = g_StageData.m_strPath;
        cStage scratch;
        if (!ReadReplayFile(g_Replay, path.c_str(), g_StageData, scratch, g_SaveData)) PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
      }
      g_StageData.CopyHeaderFrom(g_StageInit);
    }
    cStage& st = g_StageData;

    // A stage without a hero cannot be played (a replay's stage image is not checked when it
    // is read): the loader's message, and the scene stops.
    if (!st.HasPlayer()) {
      ErrorBoxF("主人公が配置されていないのでプレイできません！");
      PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
      m_bInitFailed = 1;
      return 0;
    }

    // The seed: the replay's own, or a new one from the clock that the recording keeps.
    if (IsReplayPlayback()) {
      m_nSeed = g_Replay.m_nSeed;
      g_Replay.ResetPosition();
    } else if (g_SystemData.m_bReplay) {
      g_PrevReplaySaveData = g_ReplaySaveData;
      g_ReplaySaveData = g_SaveData;
      g_PrevReplay.CopyFrom(g_Replay);
      g_Replay.Reset();
      m_nSeed = static_cast<int32_t>(timeGetTime());
      g_Replay.m_nSeed = m_nSeed;
    }
    CrtSrand(static_cast<unsigned int>(m_nSeed));

    const int heroIndex = st.FindPlayer();
    if (st.m_bCarryOver) g_SaveData.ApplyCarryOver(0, st.m_vPlacedChara.CheckedAt(static_cast<size_t>(heroIndex)), st);

    // Music.
    if (bFirst) {
      if (st.m_bKeepBgm && g_SaveData.m_nBgmPlaying == st.m_nBgm) {
        if (st.m_nBgm == 0) PlayBgm(0, st.m_bBgmLoop);
      } else {
        PlayBgm(st.m_nBgm, st.m_bBgmLoop);
      }
    } else if (g_SaveData.m_nBgmPlaying != st.m_nBgm) {
      PlayBgm(st.m_nBgm, st.m_bBgmLoop);
    }
    if (g_PlayShellLink.lpfnSetCurrentBgm) g_PlayShellLink.lpfnSetCurrentBgm(0);

    // The shot ids start again too, so a replay of this attempt, which starts a fresh scene,
    // numbers its shots as the recorded attempt did.
    m_nNextId = m_nNextDropId = m_nNextShotId = 0;
    // Speed levels of 20 and above exist; a hostile file is held at 100.
    if (st.m_nSpeedLevel > 100 || st.m_nSpeedLevel < 1) {
      const int level = std::clamp(st.m_nSpeedLevel, 1, 100);
      ErrorLog("SetStage: speed level %d held at %d", st.m_nSpeedLevel, level);
      st.m_nSpeedLevel = level;
    }
    st.SetSpeedLevel(st.m_nSpeedLevel);

    SetUpScrolls(st);
    BuildMapGrid(st, m_ScrollX, m_ScrollY);

    // The hero.
    m_nPlayers = 1;
    g_vPlayer.clear();
    g_vPlayer.emplace_back();
    ErrorLog("A");
    cCharaData heroDef = st.m_vPlacedChara.CheckedAt(static_cast<size_t>(heroIndex));
    if (g_SaveData.m_bRestart) heroDef.m_byDirection = static_cast<uint8_t>(g_SaveData.m_nRestartDir ? 1 : 0);
    int cx = CellX(heroDef, st);
    int cy = CellY(heroDef, st);
    cPlayer& hero = g_vPlayer[0];
    hero.PlaceAtStageStart(m_nNextId++, heroDef, (cx + MAP_MARGIN) * CELL_DOTS + 16.0,
                           (cy + MAP_MARGIN) * CELL_DOTS + 16.0, 0);
    if (g_SaveData.m_bRestart) {
      cx = std::clamp(g_SaveData.m_nRestartX, 0, std::max(st.m_nWidth - 1, 0));
      cy = std::clamp(g_SaveData.m_nRestartY, 0, std::max(st.m_nHeight - 1, 0));
    }
    hero.SetBlock(cx, cy);
    const int hdx = heroDef.GetGroupOffsetX(0, heroDef.m_byDirection);
    const int hdy = heroDef.GetGroupOffsetY(0, heroDef.m_byDirection);
    hero.m_dX += hdx;
    hero.m_dFarX += hdx;
    hero.m_dY += hdy;
    hero.m_dFarY += hdy;
    if (st.m_bCarryOver) g_SaveData.GetCarriedValues(0, &hero.m_nHp, &hero.m_nSp);
    // The animation the hero shows while the stage starts (the start display sets it again).
    hero.m_Anime.Set(hero.m_bFree ? 2 : 0, 1);
    ErrorLog("B");

    // The camera on the middle of the hero's body, exactly where the camera's follow puts it
    // once play runs.
    m_ScrollX.m_dPos = hero.m_dX - VIEW_WIDTH / 2 + hero.m_nWidth / 2;
    m_ScrollY.m_dPos = hero.m_dY - VIEW_HEIGHT / 2 + hero.m_nHeight / 2;
    m_ScrollX.Clamp();
    m_ScrollY.Clamp();
    hero.CalcScreenRect();
    // Every sight shape but "all of the screen" lays the mask over the frame, a sight of 0 too
    // (then all dark): the mask is built for it here, so that the hero's drawing never lays the
    // empty mask surface (filled with the opaque transparent colour) over the frame.
    if (hero.m_Data.m_bySightShape != 0)
      MakeSightMask(&g_SystemImage[IMAGE_SIGHT_MASK], &g_SystemImage[IMAGE_SIGHT_WINDOW]);

    m_vStageVar.assign(1000, 0);
    ErrorLog("10");

    // Characters, their drop items, then the items placed on their own.
    cSafeVector<uint8_t> itemTaken(st.m_vPlacedItem.size(), 0);
    for (const cCharaData& placement : st.m_vPlacedChara) {
      if (placement.m_byControl != 1) continue;
      const int32_t ref = static_cast<int32_t>(placement.m_dwHeadExtra);
      const int px = placement.m_wHeadA;
      const int py = placement.m_wHeadB;
      if (ref < 0 || static_cast<size_t>(ref) >= st.m_vPlacedItem.size()) {
        PlaceChara(px, py, placement, nullptr);
        continue;
      }
      cItem drop;
      drop.SetData(m_nNextDropId++, st.m_vPlacedItem[static_cast<size_t>(ref)], 1);
      itemTaken[static_cast<size_t>(ref)] = 1;
      PlaceChara(px, py, placement, &drop);
    }
    for (size_t i = 0; i < st.m_vPlacedItem.size(); ++i) {
      if (itemTaken[i]) continue;
      const cItemData& placement = st.m_vPlacedItem[i];
      PlaceItem(placement.m_wHeadA, placement.m_wHeadB, placement);
    }
    m_nPlacedCharas = g_lChara.Stored();
    m_nPlacedItems = g_lItem.Stored();
    ErrorLog("11");
    ErrorLog("12");
    ErrorLog("C");
    ErrorLog("D");

    AppendToDrawList(*this, hero);
    g_lChara.ForEach([&](cStageChara& c) { AppendToDrawList(*this, c); });

    auto anySide = [](const cRemovalRule& r) { return (r.m_bLeft || r.m_bRight || r.m_bTop || r.m_bBottom) ? 1 : 0; };
    m_bRemoveChara = anySide(st.m_RuleChara);
    m_bRemoveBlockChara = anySide(st.m_RuleBlockChara);
    m_bRemoveItem = anySide(st.m_RuleItem);

    for (cMessageWindow& window : m_lMessage) window.ReleaseSurface();
    m_lMessage.clear();
    m_lEffect.clear();
    ClearPictures();
    m_ScrEffect.Clear();
    m_ScreenColor = cScreenColor();

    m_vHitSchedule = BuildHitSchedule(st.m_nSubSteps, st.m_nHitChecks);

    m_nStageResult = m_nStartCount = m_nStartCount2 = 0;
    SetUpTime(st);
    m_vRangeFlag.assign(60, 0);
    m_nSubStep = m_nSubStepCount = 0;
    g_SaveData.m_nStageScore = 0;

    if (IsReplayPlayback() || (g_bTestPlay && g_bFreePlay)) g_SaveData.ClearTotals();
    g_SaveData.MarkStageStart();

    for (cInput& input : g_vInput) {
      input.ClearHistory();
      input.ResetLogs();
    }
    if (g_PlayShellLink.lpfnResetCursor) g_PlayShellLink.lpfnResetCursor();
    EveryNCalls(0, 0);
    for (cBgData& bg : st.m_vBg) bg.m_dOffsetX = bg.m_dOffsetY = 0;
    // An 8-bit screen starts from the stage's palette, whatever a fade or a colour change left.
    if (DDBpp == 8) {
      std::memcpy(DDPaletteWork, DDPalette, sizeof DDPaletteWork);
      if (lpDDPal) lpDDPal->SetEntries(0, 0, 256, DDPaletteWork);
    }
    if (g_PlayShellLink.lpfnSetFrameRate) g_PlayShellLink.lpfnSetFrameRate(st.m_nFps);

    hero.LinkInitialTargets(nullptr);
    g_lChara.ForEach([](cStageChara& c) { c.LinkInitialTargets(nullptr); });

    // The stage-start event.
    const bool legacy = g_SystemData.m_bLegacy697 != 0;
    if (!legacy) UpdateAppearance();
    hero.FireEvent(TRIGGER_BEFORE_STAGE);
    g_lChara.ForEach([&](cStageChara& c) {
      if (!legacy && !c.m_bActive) return;
      c.FireEvent(TRIGGER_BEFORE_STAGE);
      if (c.m_bRemoveNow) {
        EraseCharaNode(c);
      } else if (c.m_nHp <= 0) {
        DefeatChara(c, g_lChara);
        EraseCharaNode(c);
      }
    });
    SweepPlayLists();

    UpdateAppearance();
    m_nHudValue = st.m_bShowHud;
    ErrorLog("Out SetStage");
    return 1;
  } catch (const std::bad_alloc&) {
    ErrorBoxF("メモリ不足により、ステージの初期設定に失敗しました！");
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
    m_bInitFailed = 1;
    return 0;
  }
}

void cPlayScene::ResetPlayCounters() {
  cSaveData& p = g_SaveData;
  // A stage entered under a common-variable condition sets that variable (a replay brings its
  // own variables). A variable number outside the bank sets nothing.
  if (!IsReplayPlayback() && p.m_bStageCond && p.m_nCondVar >= 0 &&
      p.m_nCondVar < static_cast<int32_t>(p.m_vCommonVar.size())) {
    p.m_vCommonVar[static_cast<size_t>(p.m_nCondVar)] = p.m_nCondValue;
  }
  p.m_nStageScore = 0;
  p.m_nLives = p.m_nStartLives;
  p.ClearTotals();
  p.m_bRestart = 0;
  m_ScrollX.m_dPos = m_ScrollY.m_dPos = 0;
  m_nStep = m_nStartCount = m_nStartCount2 = 0;
  m_bWaitRelease = 0;
  m_nTime = 0;
  m_bRanked = 0;
  for (cMessageWindow& window : m_lMessage) window.ReleaseSurface();
  m_lMessage.clear();
  if (!IsReplayPlayback()) {
    g_Replay.Reset();
    g_PrevReplay.Reset();
  }
  if (g_bFreePlay) p.m_nStageNumber = 1;
  // The results of this play rank against the file of its game mode and stage.
  if (g_PauseLink.lpfnRankingsOn && g_PauseLink.lpfnRankingsOn() && g_PauseLink.lpfnLoadRankings) {
    g_PauseLink.lpfnLoadRankings();
  }
}

int cPlayScene::ConsumeLife(cSaveData& progress) {
  if (g_bFreePlay) return 1;
  if (progress.m_nLives == UNLIMITED_LIVES) return 1;
  if (progress.m_nLives <= 0) return 0;
  --progress.m_nLives;
  return 1;
}

void cPlayScene::RestartAfterDeath() {
  if (IsReplayPlayback()) {
    g_SaveData.RestoreStageStart(1);
    SetStage(1, 1);
    m_nState = 1;
    return;
  }
  if (!ConsumeLife(g_SaveData)) {
    m_nState = 6;
    return;
  }
  if (g_StageData.m_bCarryOver) g_SaveData.DropCarryOverGroups();
  g_SaveData.RestoreStageStart(0);
  if (g_nGameMode == GAMEMODE_STORY && g_SystemData.m_bMissChoice) {
    m_nStep = 0;
    m_nState = 5;
    return;
  }
  SetStage(1, 0);
  m_nState = 1;
}

void cPlayScene::EndPlay() {
  PlaySysSe(14);
  AddTotalScore();
  m_bRanked = m_bRankIn = 0;
  m_vRankPos.assign(RANKING_KIND_COUNT, -1);
  const int rankingsOn = g_PauseLink.lpfnRankingsOn ? g_PauseLink.lpfnRankingsOn() : 0;
  if (!g_bFreePlay && !(rankingsOn && HasNoNextStage(m_nNextStage))) return;
  const cSaveData& p = g_SaveData;
  m_vRankValue = cSafeVector<int32_t>({p.m_nTotalScore, p.m_nTotalTime, p.m_nTotalPlayTime, p.m_nTotalHp, p.m_nTotalSp});
  // Test play shows the values but enters no ranking.
  if (g_bTestPlay) return;
  // The kinds the game mode records and the stage takes part in (a missing entry or switch: off).
  const cSafeVector<RankingEntry>& modes = g_SystemData.m_vRankingKinds;
  if (g_nGameMode < 0 || static_cast<size_t>(g_nGameMode) >= modes.size()) return;
  const cSafeVector<uint8_t>& kinds = modes[static_cast<size_t>(g_nGameMode)].m_vKinds;
  const cSafeVector<int32_t>& stageKinds = g_StageData.m_vRanking;
  for (int i = 0; i < RANKING_KIND_COUNT; ++i) {
    const size_t k = static_cast<size_t>(i);
    if (k >= kinds.size() || !kinds[k] || k >= stageKinds.size() || !stageKinds[k]) continue;
    const int pos = g_PlayMenuLink.lpfnFindRankPos ? g_PlayMenuLink.lpfnFindRankPos(i, m_vRankValue[k]) : -1;
    m_vRankPos[k] = pos;
    if (pos != -1) m_bRankIn = 1;
  }
}

void cPlayScene::AddTotalScore() {
  cSaveData& p = g_SaveData;
  const long long oldTotal = p.m_nTotalScore;
  auto add = [](int32_t& total, long long v) {
    total = static_cast<int32_t>(std::clamp<long long>(total + v, INT_MIN, INT_MAX));
  };
  add(p.m_nTotalScore, p.m_nStageScore);
  if (!m_bTimeStop) add(p.m_nTotalTime, m_nTime);
  add(p.m_nTotalPlayTime, m_nPlayTime);
  if (!g_vPlayer.empty()) {
    add(p.m_nTotalHp, g_vPlayer[0].m_nHp);
    add(p.m_nTotalSp, g_vPlayer[0].m_nSp);
  }
  const cSystemData& sys = g_SystemData;
  if (p.m_nLives == UNLIMITED_LIVES || !sys.m_bExtraLife || sys.m_nExtraLifeScore == 0) return;
  const long long d = sys.m_nExtraLifeScore;
  const long long crossings = p.m_nTotalScore / d - oldTotal / d;
  const int heroId = g_vPlayer.empty() ? 0 : g_vPlayer[0].m_nId;
  for (long long e = 0; e < crossings; ++e) {
    p.m_nLives = std::min(p.m_nLives + 1, MAX_LIVES);
    PlaySysSe(15);
    // The extra-life picture above the hero for 30 frames, drawn by the pause loop while the
    // game waits; each crossing shows its own.
    m_lMessage.emplace_back(MESSAGE_EXTRA_LIFE, "", 0, 0, 0, 4, 0, 0, 0, 0, 0, 1, MESSAGE_TIMED, 30, 1, heroId, 0, 0,
                            0, 0, 0, 0, 0, 0);
    const cMessageWindow* popup = &m_lMessage.back();
    m_PauseWait.Set(4, 0, 30, 0);
    const int held = RunPauseLoop();
    RemoveMessage(popup);
    if (!held) break;
    while (g_PauseLink.lpfnIsActive && !g_PauseLink.lpfnIsActive() && !m_bQuit) Sleep(1);
  }
}
