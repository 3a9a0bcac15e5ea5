// The sample game as the player finds it: written into a fresh folder, then every file read back
// through the program's own loaders, in the order of its start-up.
#include "sample_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/menu_cursor.h"
#include "app/world_map_scene.h"
#include "audio/midi_file.h"
#include "audio/wave_file.h"
#include "core/text.h"
#include "defs/cmd_kind.h"
#include "defs/def_context.h"
#include "engine/chara_effect.h"
#include "engine/message_window.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "platform/bmp.h"
#include "platform/gdi.h"
#include "platform/text_engine.h"
#include "platform/vox.h"
#include "project/data_folder.h"
#include "project/database.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage_load.h"
#include "project/system_data.h"
#include "project/system_image.h"
#include "platform/time.h"
#include "script/cmd_param_def.h"
#include "ui/input.h"
#include "support/temp_dir.h"

namespace {

class SampleGame : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(sample::WriteSampleGame(env_.dir() / "game", &error)) << error;
    chdir_ = std::make_unique<ScopedChdir>(env_.dir() / "game");
    g_DefContext = cDefContext();
    ASSERT_EQ(g_Database.LoadAll(), 1) << env_.ReportText();
    ASSERT_EQ(g_SystemData.LoadFile(g_PathTable[PATH_SYSTEM]), 1);
    ASSERT_EQ(g_WorldMap.LoadFile(g_PathTable[PATH_WORLD_MAP]), 1);
    ASSERT_EQ(g_CommonPalette.LoadFile(g_PathTable[PATH_COMMON_PALETTE]), 1);
    g_CommonPalette.SetDefContext();
  }
  void TearDown() override {
    chdir_.reset();
    g_Database.SetDefault();
    g_SystemData.SetDefault();
    g_WorldMap.SetDefault();
    g_DefContext = cDefContext();
  }

  // The stage of a world-map entry or a stage-select row, loaded as the player loads it.
  ::testing::AssertionResult Load(const std::string& name, cStage& out) {
    if (LoadStageFile(name.c_str(), 1, &out) != 1) return ::testing::AssertionFailure() << name << " does not load";
    return ::testing::AssertionSuccess();
  }

  CoreTestEnv env_;
  std::unique_ptr<ScopedChdir> chdir_;
};

bool ImageOpens(const std::string& name) {
  HANDLE h = LoadImageA(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  if (!h) return false;
  DeleteObject(h);
  return true;
}

// Width and height of a bitmap as the system's loader reads it; 0 × 0 when it does not open.
std::pair<int, int> ImageSize(const std::string& name) {
  HANDLE h = LoadImageA(nullptr, name.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
  if (!h) return {0, 0};
  BITMAP bm{};
  GetObjectA(h, sizeof bm, &bm);
  DeleteObject(h);
  return {bm.bmWidth, bm.bmHeight};
}

bool SoundOpens(const std::string& name) {
  WAVEDATA wave{};
  const bool ok = ReadWaveFile(name.c_str(), &wave) && wave.dwSize > 0;
  FreeWaveData(&wave);
  return ok;
}

bool MusicOpens(const std::string& name) {
  if (name.size() > 4 && name.substr(name.size() - 4) == ".ogg") {
    auto create = reinterpret_cast<LPCREATEVOX>(GetProcAddress(LoadLibraryA("Vox.dll"), "CreateVox"));
    IVox* vox = create ? create() : nullptr;
    if (!vox) return false;
    const bool ok = vox->Open(name.c_str()) != 0;
    vox->Destroy();
    return ok;
  }
  cMidiFile midi(name.c_str());
  return midi.Image() != nullptr;
}

// Every command of a flow list and of the flows it adds has a kind of its table and exactly
// the parameters the kind carries.
void ExpectValidCommands(const cSafeVector<cFlowCmd>& cmds, const std::string& where) {
  for (const cFlowCmd& c : cmds) {
    const cCmdKindInfo* info = GetCmdKindInfo(c.m_bySelector, c.m_byKind);
    ASSERT_NE(info, nullptr) << where << ": kind " << static_cast<int>(c.m_byKind);
    EXPECT_NE(c.m_byKind, 0) << where << ": an empty command";
    EXPECT_EQ(static_cast<int>(c.m_vParam.size()), info->m_nParamCount) << where << ": " << info->m_lpszName;
    for (const cFlow& f : c.m_vFlow) ExpectValidCommands(f.m_vCmd, where + " > nested flow");
  }
}

TEST_F(SampleGame, TitleAndStagesAreTheGamesOwn) {
  EXPECT_EQ(g_SystemData.m_strTitle, "Star Sprout Adventure");
  EXPECT_EQ(g_SystemData.m_nChallengeStages, 4);
  ASSERT_EQ(g_WorldMap.m_vNode.size(), 4u);
  EXPECT_EQ(g_WorldMap.m_vNode[0].m_vStage[0].m_strTitle, "Green Meadow");
  EXPECT_EQ(g_WorldMap.m_vNode[3].m_vStage[0].m_strTitle, "Garm's Castle");
  EXPECT_EQ(g_WorldMap.m_vNode[3].m_vStage[0].m_nAfterClear, AFTERCLEAR_TITLE) << "the last stage ends the game";
  // The map cursor starts on the first stage.
  EXPECT_EQ(g_WorldMap.FindNodeAt(g_WorldMap.m_nCursorX, g_WorldMap.m_nCursorY), &g_WorldMap.m_vNode[0]);
  // Stages open one after the other: each needs the clear flag of the one before (the first
  // none), and no stage needs a score.
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    const cWorldStage& entry = g_WorldMap.m_vNode[i].m_vStage[0];
    EXPECT_EQ(entry.m_nNeedFlag, i == 0 ? 0 : g_WorldMap.m_vNode[i - 1].m_vStage[0].m_nClearFlag);
    EXPECT_GT(entry.m_nClearFlag, 0) << "flag 0 is always set";
    EXPECT_EQ(entry.m_nNeedClears, 0);
  }
}

// The cells the world map screen's walker reaches from the start of a new game, each cell tried
// with a step in each of the four directions as the screen takes it.
std::vector<std::pair<int, int>> WalkerCells() {
  const cSaveData savedProgress = g_SaveData;
  g_SaveData.ResetGameData();
  std::vector<std::pair<int, int>> reached = {{g_WorldMap.m_nCursorX, g_WorldMap.m_nCursorY}};
  {
    cWorldMapScene scene;
    g_Cursor.Reset();
    for (size_t next = 0; next < reached.size(); ++next)
      for (const int dir : {INPUT_LEFT, INPUT_RIGHT, INPUT_UP, INPUT_DOWN}) {
        CursorPos& c = g_Cursor.Current();
        c.nCol = reached[next].first;
        c.nRow = reached[next].second;
        scene.StepWalker(dir);
        const std::pair<int, int> cell(g_Cursor.Current().nCol, g_Cursor.Current().nRow);
        if (std::find(reached.begin(), reached.end(), cell) == reached.end()) reached.push_back(cell);
      }
  }
  g_Cursor.Reset();
  g_SaveData = savedProgress;
  return reached;
}

TEST_F(SampleGame, TheWalkerKeepsToTheRoadFromStageToStage) {
  // Every terrain but the road and the bridge blocks the walker, so that from the first stage it
  // follows the road to the others: it stands on no other terrain and reaches every node.
  const std::vector<std::pair<int, int>> reached = WalkerCells();
  int offRoad = 0;
  for (const auto& [x, y] : reached) {
    const int terrain = g_WorldMap.Cell(x, y);
    ASSERT_GE(terrain, 0);
    ASSERT_LT(terrain, static_cast<int>(g_WorldMap.m_vTerrain.size()));
    const std::string& name = g_WorldMap.m_vTerrain[static_cast<size_t>(terrain)].m_strName;
    if (name != "Road" && name != "Bridge" && ++offRoad <= 5)
      ADD_FAILURE() << "the walker steps onto " << name << " at " << x << "," << y;
  }
  EXPECT_EQ(offRoad, 0) << "cells off the road the walker reaches";
  for (const cWorldNode& node : g_WorldMap.m_vNode)
    EXPECT_NE(std::find(reached.begin(), reached.end(), std::make_pair(node.m_nX, node.m_nY)), reached.end())
        << node.m_strName;
}

TEST_F(SampleGame, WhereverTheWalkerGoesTheViewShowsOnlyTheMap) {
  // The world map shows the 20 x 15 cells from the walker's cell minus (9, 7), never moved back
  // inside the map: from every cell the walker reaches, all of them must be cells of the map.
  const std::vector<std::pair<int, int>> reached = WalkerCells();
  ASSERT_FALSE(reached.empty());
  int outside = 0;
  for (const auto& [x, y] : reached) {
    const bool inside = x - 9 >= 0 && x + 10 < g_WorldMap.m_nWidth && y - 7 >= 0 && y + 7 < g_WorldMap.m_nHeight;
    if (!inside && ++outside <= 5) ADD_FAILURE() << "the view from " << x << "," << y << " leaves the map";
  }
  EXPECT_EQ(outside, 0);
}

TEST_F(SampleGame, EveryStageLoadsWithItsHeroStandingOnSomething) {
  // The world map's entries and the stage select's names ("data\stg4\c<nn>-1.stg4") are the
  // same four files.
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    const std::string file = g_WorldMap.m_vNode[i].m_vStage[0].m_strStageFile;
    char select[64];
    std::snprintf(select, sizeof select, "%s%02d-1.stg4", g_PathTable[PATH_STAGE_PREFIX], static_cast<int>(i + 1));
    EXPECT_EQ(file, select);
    cStage stage;
    ASSERT_TRUE(Load(file, stage));
    SCOPED_TRACE(file);
    const int hero = g_StageData.FindPlayer();
    ASSERT_GE(hero, 0);
    // Below the hero's cell, somewhere in its column, lies a solid block that is not deadly.
    const cCharaData& h = g_StageData.m_vPlacedChara[hero];
    int ground = -1;
    for (const cBlockData& b : g_StageData.m_vPlacedBlock)
      if (b.m_wHeadA == h.m_wHeadA && b.m_wHeadB > h.m_wHeadB && b.m_byHit == 1 && (ground < 0 || b.m_wHeadB < ground))
        ground = b.m_wHeadB;
    EXPECT_GE(ground, 0) << "the hero would fall";
    // Everything placed lies inside the map.
    for (const cBlockData& b : g_StageData.m_vPlacedBlock) {
      EXPECT_LT(b.m_wHeadA, g_StageData.m_nWidth);
      EXPECT_LT(b.m_wHeadB, g_StageData.m_nHeight);
    }
    for (const cCharaData& c : g_StageData.m_vPlacedChara) {
      EXPECT_LT(c.m_wHeadA, g_StageData.m_nWidth);
      EXPECT_LT(c.m_wHeadB, g_StageData.m_nHeight);
    }
    // A block character carries a placed item (a crate its coin), which only its breaking shows.
    for (const cCharaData& c : g_StageData.m_vPlacedChara) {
      if (!c.m_bBlockChara) continue;
      const int carried = static_cast<int>(c.m_dwHeadExtra);
      ASSERT_GE(carried, 0) << c.m_strName;
      ASSERT_LT(carried, static_cast<int>(g_StageData.m_vPlacedItem.size()));
      EXPECT_EQ(g_StageData.m_vPlacedItem[carried].m_wHeadA, c.m_wHeadA);
      EXPECT_EQ(g_StageData.m_vPlacedItem[carried].m_wHeadB, c.m_wHeadB);
    }
    EXPECT_GT(g_StageData.m_nBgm, 0);
    EXPECT_LT(g_StageData.m_nBgm, static_cast<int>(g_Database.m_vBgm.size()));
  }
}

TEST_F(SampleGame, EveryFlowAndItemCommandHasAValidKind) {
  int flows = 0;
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    cStage stage;
    ASSERT_TRUE(Load(g_WorldMap.m_vNode[i].m_vStage[0].m_strStageFile, stage));
    for (const cCharaData& c : g_StageData.m_vPlacedChara)
      for (const cFlow& f : c.m_vFlow) {
        ASSERT_FALSE(f.m_vCmd.empty()) << c.m_strName;
        EXPECT_LT(f.m_byTrigger, TRIGGER_COUNT);
        for (const cFlowCmd& cmd : f.m_vCmd) EXPECT_EQ(cmd.m_bySelector, 0) << c.m_strName;
        ExpectValidCommands(f.m_vCmd, c.m_strName);
        ++flows;
      }
    for (const cItemData& item : g_StageData.m_vPlacedItem) {
      EXPECT_FALSE(item.m_vCmd.empty()) << item.m_strName;
      for (const cFlowCmd& cmd : item.m_vCmd) EXPECT_NE(cmd.m_bySelector, 0) << item.m_strName;
      ExpectValidCommands(item.m_vCmd, item.m_strName);
    }
  }
  EXPECT_GT(flows, 0);
}

TEST_F(SampleGame, EveryStageCanBeCleared) {
  // By an item the hero takes (the goal flag, the key), or by defeating the boss: its death flow
  // summons a character of the stage palette whose flow clears the stage. The death flow does not
  // clear the stage itself: a clear in the death pass would end the play with the boss standing.
  const char* const ways[] = {"Goal flag", "Goal flag", "Key", "Garm"};
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    cStage stage;
    ASSERT_TRUE(Load(g_WorldMap.m_vNode[i].m_vStage[0].m_strStageFile, stage));
    std::string found;
    for (const cItemData& item : g_StageData.m_vPlacedItem)
      for (const cFlowCmd& c : item.m_vCmd)
        if (c.FlowKind() == CMD_STAGE_CLEAR) found = item.m_strName;
    for (const cCharaData& chara : g_StageData.m_vPlacedChara)
      for (const cFlow& f : chara.m_vFlow) {
        if (f.m_byTrigger != TRIGGER_DEATH) continue;
        for (const cFlowCmd& c : f.m_vCmd) {
          EXPECT_NE(c.FlowKind(), CMD_STAGE_CLEAR) << chara.m_strName;
          if (c.FlowKind() != CMD_SUMMON_CHARA || !c.m_pShot) continue;
          ASSERT_EQ(c.m_pShot->m_bySummonPalette, 1);
          const int index = c.m_pShot->m_sSummonIndex;
          ASSERT_GE(index, 0);
          ASSERT_LT(index, static_cast<int>(g_StageData.m_vChara.size()));
          for (const cFlow& summoned : g_StageData.m_vChara[static_cast<size_t>(index)].m_vFlow)
            for (const cFlowCmd& sc : summoned.m_vCmd)
              if (sc.FlowKind() == CMD_STAGE_CLEAR) found = chara.m_strName;
        }
      }
    EXPECT_EQ(found, ways[i]) << "stage " << i + 1;
  }
}

TEST_F(SampleGame, TheHeroWalksJumpsAndShootsOnItsKeys) {
  cStage stage;
  ASSERT_TRUE(Load(g_WorldMap.m_vNode[0].m_vStage[0].m_strStageFile, stage));
  const cCharaData& hero = g_StageData.m_vPlacedChara[g_StageData.FindPlayer()];
  struct Expect {
    int key;
    int kind;
  } const expected[] = {{KEYPOS_DIR_LEFT, CMD_MOVE_LINE},
                        {KEYPOS_DIR_RIGHT, CMD_MOVE_LINE},
                        {KEYPOS_BUTTON_1, CMD_JUMP},
                        {KEYPOS_BUTTON_2, CMD_SHOT}};
  for (const Expect& e : expected) {
    bool found = false;
    for (const cFlow& f : hero.m_vFlow)
      if (f.m_vKeyList.size() == 1 && f.m_vKeyList[0].m_vKeyState[e.key] == KEYSTATE_HELD &&
          f.m_vCmd[0].m_byKind == e.kind)
        found = true;
    EXPECT_TRUE(found) << "key position " << e.key;
  }
}

// Free play of one sample stage from its file, frame by frame with the keys given per play
// frame; the modes and the progress are put back at the end.
class SampleStagePlay {
 public:
  explicit SampleStagePlay(const std::string& file) {
    BuildCommandParamTable();
    g_Database.CopyEffectLists();
    BuildAnimeStepTable(g_Database, g_vAnimeSteps);
    BuildEffectStepTable(g_Database, g_vEffectSteps);
    BuildCharaEffectTables(g_vCharaEffectTemplate, g_vCharaEffectTemplateRev);
    UseTestClock(1000);
    g_SaveData.ResetGameData();
    g_nPlayMode = PLAYMODE_FREE_STAGE;
    g_nGameMode = GAMEMODE_FREE;
    g_bFreePlay = 1;
    loaded = LoadStageFile(file.c_str(), 1, &g_StageInit) == 1;
    g_lpPlayScene = &scene;
  }
  ~SampleStagePlay() {
    scene.m_lShot.Clear();
    g_lChara.Clear();
    g_lItem.Clear();
    g_vPlayer.clear();
    g_lpPlayScene = nullptr;
    g_nPlayMode = savedPlayMode_;
    g_nGameMode = savedGameMode_;
    g_bFreePlay = savedFreePlay_;
    g_SaveData = savedProgress_;
  }
  // Frames until play runs (the start banners), then n frames of play with the direction held.
  void Play(int n, WORD dir) {
    for (int guard = 0; guard < 400 && scene.m_nState != 2; ++guard) Frame(0);
    for (int i = 0; i < n; ++i) Frame(dir);
  }
  // One frame with the direction and the buttons held.
  void Frame(WORD dir, WORD buttons = 0) {
    cInput& input = g_vInput.CheckedAt(0);
    input.SetWords(dir, buttons);
    input.m_nDirCode = cInput::GetDirCode(&input.m_wDir);
    scene.Update();
    AdvanceTestClock(16);
  }
  cPlayer& Hero() { return g_vPlayer.CheckedAt(0); }

  bool loaded = false;
  cPlayScene scene;

 private:
  int savedPlayMode_ = g_nPlayMode;
  int savedGameMode_ = g_nGameMode;
  int savedFreePlay_ = g_bFreePlay;
  cSaveData savedProgress_ = g_SaveData;
};

TEST_F(SampleGame, EveryStagesFieldCoversItsMapGrid) {
  // The outer edge of each scroll axis is the stage's extra value + 640; the map grid is the
  // stage with 10 cells of margin on every side, 32 dots each.
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    cStage stage;
    ASSERT_TRUE(Load(g_WorldMap.m_vNode[i].m_vStage[0].m_strStageFile, stage));
    EXPECT_EQ(g_StageData.m_nScrollExtraX + 640, (g_StageData.m_nWidth + 20) * 32) << "stage " << i + 1;
    EXPECT_EQ(g_StageData.m_nScrollExtraY + 640, (g_StageData.m_nHeight + 20) * 32) << "stage " << i + 1;
  }
}

TEST_F(SampleGame, EveryCharacterStartsInItsCellAndEveryHeroStandsAliveWithoutInput) {
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    const std::string file = g_WorldMap.m_vNode[i].m_vStage[0].m_strStageFile;
    SCOPED_TRACE(file);
    SampleStagePlay play(file);
    ASSERT_TRUE(play.loaded);
    play.Play(0, 0);
    ASSERT_EQ(play.scene.m_nState, 2);
    // Nothing has moved yet: each character stands in the cell of its placement (whose map dots
    // begin at (cell + 10) x 32): the middle of its bottom edge lies in that cell.
    int charas = 0;
    for (const cCharaData& placed : g_StageData.m_vPlacedChara) {
      if (placed.m_byControl != 1) continue;
      const double left = (placed.m_wHeadA + 10) * 32.0;
      const double top = (placed.m_wHeadB + 10) * 32.0;
      const bool inCell = g_lChara.Find([&](cStageChara& c) {
        const double middle = (c.m_dX + c.m_dFarX) / 2;
        return middle >= left && middle < left + 32 && c.m_dFarY >= top && c.m_dFarY < top + 32;
      }) != nullptr;
      EXPECT_TRUE(inCell) << placed.m_strName << " of cell " << placed.m_wHeadA << "," << placed.m_wHeadB;
      ++charas;
    }
    EXPECT_GT(charas, 0);
    play.Play(30, 0);
    EXPECT_EQ(play.Hero().m_bDead, 0);
    EXPECT_EQ(play.scene.m_nState, 2);
  }
}

TEST_F(SampleGame, TheHeroWalksOnWhileTheDirectionIsHeld) {
  // The walking move runs 3 dots a frame (30 tenths) and starts again while right is held:
  // 30 frames carry the hero 90 dots.
  SampleStagePlay play(g_WorldMap.m_vNode[0].m_vStage[0].m_strStageFile);
  ASSERT_TRUE(play.loaded);
  play.Play(0, 0);
  const double start = play.Hero().m_dX;
  play.Play(30, INPUT_RIGHT);
  EXPECT_NEAR(play.Hero().m_dX - start, 90.0, 3.0);
}

TEST_F(SampleGame, EveryImageSoundAndMusicFileOpens) {
  // The system images the screens and the play load, the optional character sheets 2..8 too
  // (the play loads them whenever they are there, and names each one it misses in the report
  // log). Left out are the empty surfaces and the backgrounds, images 54..62: the world map
  // names no background picture, and a stage's backgrounds are its own layers' files.
  std::set<std::string> names;
  for (int i = 0; i < SYSTEM_IMAGE_COUNT; ++i)
    if (i < 54 || i > 62) names.insert(g_SystemBitmapTable[i].szFileName);
  names.erase("E");
  for (const std::string& name : names) EXPECT_TRUE(ImageOpens(name)) << name;
  // The stage start loads the dedicated character sheets from entry 1 on and both pictures of
  // every sword type.
  ASSERT_GE(g_Database.m_vBmpCharaExc.size(), 2u);
  for (size_t i = 1; i < g_Database.m_vBmpCharaExc.size(); ++i)
    EXPECT_TRUE(ImageOpens(g_Database.m_vBmpCharaExc[i].m_strFile)) << "dedicated sheet " << i;
  ASSERT_GE(g_Database.m_vSwordType.size(), 1u);
  for (const cSwordType& sword : g_Database.m_vSwordType) {
    EXPECT_TRUE(ImageOpens(sword.m_strFileLeft)) << "sword " << sword.m_strName << ": " << sword.m_strFileLeft;
    EXPECT_TRUE(ImageOpens(sword.m_strFileRight)) << "sword " << sword.m_strName << ": " << sword.m_strFileRight;
  }
  for (size_t i = 1; i < g_Database.m_vEffect.size(); ++i) EXPECT_TRUE(ImageOpens(g_Database.m_vEffect[i].m_strFile));
  for (size_t i = 1; i < g_Database.m_vPicture.size(); ++i) EXPECT_TRUE(ImageOpens(g_Database.m_vPicture[i].m_strFile));
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    cStage stage;
    ASSERT_TRUE(Load(g_WorldMap.m_vNode[i].m_vStage[0].m_strStageFile, stage));
    for (const cBgData& bg : g_StageData.m_vBg) {
      if (!bg.m_strImage.empty()) {
        EXPECT_TRUE(ImageOpens(bg.m_strImage)) << bg.m_strImage;
      }
    }
  }

  ASSERT_EQ(g_SystemData.m_vSystemSe.size(), static_cast<size_t>(SYSTEM_SE_COUNT));
  for (const std::string& se : g_SystemData.m_vSystemSe) EXPECT_TRUE(SoundOpens(se)) << se;
  ASSERT_EQ(g_Database.m_vSound.size(), static_cast<size_t>(sample::SE_COUNT));
  for (size_t i = 1; i < g_Database.m_vSound.size(); ++i)
    EXPECT_TRUE(SoundOpens(g_Database.m_vSound[i].m_strFile)) << g_Database.m_vSound[i].m_strFile;

  int ogg = 0;
  for (size_t i = 1; i < g_Database.m_vBgm.size(); ++i) {
    const std::string& file = g_Database.m_vBgm[i].m_strFile;
    EXPECT_TRUE(MusicOpens(file)) << file;
    ogg += file.size() > 4 && file.substr(file.size() - 4) == ".ogg";
  }
  EXPECT_EQ(ogg, 1) << "one piece is Ogg Vorbis";
  for (int slot = 0; slot < SCREEN_BGM_COUNT; ++slot) {
    const int bgm = g_SystemData.m_vScreenBgm[slot];
    EXPECT_GT(bgm, 0) << "screen " << slot << " has music";
    EXPECT_LT(bgm, static_cast<int>(g_Database.m_vBgm.size()));
  }
}

TEST_F(SampleGame, PicturesHaveTheSizesTheScreensCutThemBy) {
  EXPECT_EQ(ImageSize("bmp\\Title.bmp"), std::make_pair(640, 480));
  // One 32-dot row per title menu entry, in the order of the entries.
  EXPECT_EQ(ImageSize("bmp\\GameMode.bmp").second, 32 * static_cast<int>(g_SystemData.m_vTitleMenu.size()));
  // The gauges are cut from rows 128.. of the accessory sheet only while it is at most 208 high.
  const auto accessory = ImageSize("bmp\\Accessory.bmp");
  EXPECT_LE(accessory.second, 208);
  EXPECT_GE(accessory.second, 128 + 5 * 16);
  // Stage messages and two rows of ten 32-dot digits, the lower one at y 160.
  EXPECT_GE(ImageSize("bmp\\Word.bmp").first, 320);
  EXPECT_GE(ImageSize("bmp\\Word.bmp").second, 192);
  // 15 rows of 32-dot chips and character rows; 20 cells to a character row.
  EXPECT_EQ(ImageSize("bmp\\Block.bmp").second, 480);
  EXPECT_EQ(ImageSize("bmp\\Character1.bmp"), std::make_pair(640, 480));
  EXPECT_EQ(ImageSize("bmp\\StatusWindow.bmp"), std::make_pair(640, 20));
}

TEST_F(SampleGame, OnlyTheFirstPaletteEntryIsTheTransparentColour) {
  // The transparent colour is the palette file's top-left dot; every picture shares the file's
  // colour table, so a second entry of the same colour would punch holes into them.
  std::ifstream in("bmp/plt/Palette.bmp", std::ios::binary);
  const std::string b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(b.size(), 54u + 1024u + 16u * 16u);
  const uint32_t offset = static_cast<uint8_t>(b[10]) | static_cast<uint8_t>(b[11]) << 8;
  // Rows are stored bottom-up: the top-left dot starts the last of the 16 rows.
  const uint8_t topLeft = static_cast<uint8_t>(b[offset + 15 * 16]);
  EXPECT_EQ(topLeft, 0);
  const std::string key = b.substr(54 + 4 * topLeft, 3);
  for (int i = 0; i < 256; ++i) {
    if (i == topLeft) continue;
    EXPECT_NE(b.substr(54 + 4 * static_cast<size_t>(i), 3), key) << "entry " << i;
  }
}

// A picture as the system's bitmap loader reads it; its palette indexes by (x, y), 0 the
// transparent colour of every sheet.
struct Sheet {
  gfx::Dib dib;
  bool ok = false;
  explicit Sheet(const char* name) { ok = gfx::LoadBmpFile(name, &dib); }
  int At(int x, int y) const { return dib.IndexAt(x, y); }
  // The dots of a region that are not transparent.
  int Opaque(int x0, int y0, int w, int h) const {
    int n = 0;
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) n += At(x, y) != 0;
    return n;
  }
  bool SameRegion(int ax, int ay, int bx, int by, int w, int h) const {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (At(ax + x, ay + y) != At(bx + x, by + y)) return false;
    return true;
  }
};

TEST_F(SampleGame, TheWorldMapWalkerIsDrawnInEveryFacingAndStep) {
  // The walker's 32-dot frames on the accessory sheet: facing down from (0, 64), up from
  // (64, 64), left from (64, 96), right from (0, 96), the second step 32 dots further right.
  const Sheet sheet("bmp\\Accessory.bmp");
  ASSERT_TRUE(sheet.ok);
  ASSERT_GE(sheet.dib.width, 128);
  ASSERT_GE(sheet.dib.height, 128);
  const int cells[4][2] = {{0, 64}, {64, 64}, {64, 96}, {0, 96}};
  const char* const facings[4] = {"down", "up", "left", "right"};
  for (int f = 0; f < 4; ++f) {
    for (int step = 0; step < 2; ++step)
      EXPECT_GE(sheet.Opaque(cells[f][0] + 32 * step, cells[f][1], 32, 32), 200) << facings[f] << " step " << step;
    EXPECT_FALSE(sheet.SameRegion(cells[f][0], cells[f][1], cells[f][0] + 32, cells[f][1], 32, 32))
        << facings[f] << ": the two steps are the same picture, the walker would not walk";
    for (int g = 0; g < f; ++g)
      EXPECT_FALSE(sheet.SameRegion(cells[f][0], cells[f][1], cells[g][0], cells[g][1], 32, 32))
          << facings[f] << " and " << facings[g] << " look alike";
  }
  // The 16-dot life icon at (0, 48) (the world map's lives, the extra-life pop-up) and the rank
  // icon at (16, 48).
  EXPECT_GT(sheet.Opaque(0, 48, 16, 16), 0);
  EXPECT_GT(sheet.Opaque(16, 48, 16, 16), 0);
  EXPECT_FALSE(sheet.SameRegion(0, 48, 16, 48, 16, 16));
}

TEST_F(SampleGame, EveryBackgroundWrapsWhereItsLayerRepeats) {
  // A layer is tiled over the screen from a start that moves with the scroll (or its own motion)
  // times its factor: where it moves, or where the picture is smaller than the screen, its tiles
  // meet edge to edge, and the edges must be alike or a seam shows.
  int checked = 0;
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    cStage stage;
    ASSERT_TRUE(Load(g_WorldMap.m_vNode[i].m_vStage[0].m_strStageFile, stage));
    for (const cBgData& bg : g_StageData.m_vBg) {
      if (!bg.m_bShow || bg.m_strImage.empty()) continue;
      const Sheet picture(bg.m_strImage.c_str());
      ASSERT_TRUE(picture.ok) << bg.m_strImage;
      const int w = picture.dib.width, h = picture.dib.height;
      if (bg.m_bAutoX || bg.m_dScrollX != 0 || w < 640) {
        int rows = 0;
        for (int y = 0; y < h; ++y) rows += picture.At(0, y) != picture.At(w - 1, y);
        EXPECT_EQ(rows, 0) << bg.m_strImage << ": rows whose left and right ends differ";
        ++checked;
      }
      if (bg.m_bAutoY || bg.m_dScrollY != 0 || h < 480) {
        int columns = 0;
        for (int x = 0; x < w; ++x) columns += picture.At(x, 0) != picture.At(x, h - 1);
        EXPECT_EQ(columns, 0) << bg.m_strImage << ": columns whose top and bottom ends differ";
        ++checked;
      }
    }
  }
  EXPECT_GE(checked, 4) << "every stage's background scrolls sideways";
}

TEST_F(SampleGame, TheStageAndTimerDigitsStandCloseTogether) {
  // The stage number and the timer are drawn digit by digit from 32-dot cells of the word sheet
  // (y 128 and y 160), one cell after the other: a digit (all but the narrow 1) spans its cell
  // but for two dots or fewer on either side, so that no more than four blank dots part two
  // digits.
  const Sheet sheet("bmp\\Word.bmp");
  ASSERT_TRUE(sheet.ok);
  for (const int y : {128, 160})
    for (int d = 0; d < 10; ++d) {
      if (d == 1) continue;
      int first = 32, last = -1;
      for (int x = 0; x < 32; ++x)
        if (sheet.Opaque(d * 32 + x, y, 1, 32) > 0) {
          first = std::min(first, x);
          last = x;
        }
      EXPECT_LE(first, 2) << "digit " << d << " at y " << y;
      EXPECT_GE(last, 29) << "digit " << d << " at y " << y;
    }
}

// The message command of a stage's sign.
const cFlowCmd* SignMessage() {
  for (const cItemData& item : g_StageData.m_vPlacedItem)
    for (const cFlowCmd& c : item.m_vCmd)
      if (c.FlowKind() == CMD_MESSAGE) return &c;
  return nullptr;
}

TEST_F(SampleGame, SignsShowTheirMessagesInTheFramedWindowOverTheSky) {
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    cStage stage;
    ASSERT_TRUE(Load(g_WorldMap.m_vNode[i].m_vStage[0].m_strStageFile, stage));
    SCOPED_TRACE(g_StageData.m_strText);
    const cFlowCmd* message = SignMessage();
    ASSERT_NE(message, nullptr);
    const cSafeVector<int32_t>& p = message->m_vParam;
    EXPECT_EQ(p[14], 1) << "the text in the font's framed box";
    EXPECT_EQ(p[0], 0) << "placed from the middle of the screen";
    EXPECT_EQ(p[10], 1) << "fixed on the screen while the stage scrolls";
    EXPECT_EQ(p[6], 2) << "shown for a time";
    EXPECT_GT(p[7], 0);
    EXPECT_EQ(p[8], 0) << "read in passing: the game is not held";
    // The window: the widest line by the lines in 16-dot cells of the text font, 2 dots more
    // each way; placed from the middle of the screen, x = offset - w/2 + 320, y = offset - h/2 +
    // 240. It lies inside the screen, below the head-up display (20 dots) and the timer (32 more
    // from y 24), and above the middle, where every stage has its sky.
    int lines = 1, column = 0, widest = 0;
    for (const char ch : message->m_strText) {
      if (ch == '\n') {
        ++lines;
        column = 0;
      } else {
        widest = std::max(widest, ++column);
      }
    }
    const int w = widest * 16 + 2, h = lines * 16 + 2;
    const int x = p[3] - w / 2 + 320, y = p[4] - h / 2 + 240;
    EXPECT_GE(x, 0);
    EXPECT_LE(x + w, 640);
    EXPECT_GE(y, 56);
    EXPECT_LE(y + h, 240);
  }
}

TEST_F(SampleGame, TouchingTheSignOpensItsWindowAndTheHeroWalksOn) {
  SampleStagePlay play(g_WorldMap.m_vNode[0].m_vStage[0].m_strStageFile);
  ASSERT_TRUE(play.loaded);
  play.Play(0, 0);
  ASSERT_EQ(play.scene.m_nState, 2);
  // The hero starts three cells left of the sign and walks 3 dots a frame.
  for (int f = 0; f < 60 && play.scene.m_lMessage.size() == 0; ++f) play.Frame(INPUT_RIGHT);
  ASSERT_EQ(play.scene.m_lMessage.size(), 1u) << "no window came up";
  const cMessageWindow& window = play.scene.m_lMessage.CheckedListAt(0);
  EXPECT_EQ(window.m_nWindowKind, MESSAGE_TEXT);
  EXPECT_EQ(window.m_bBoxStyle, 1);
  EXPECT_EQ(window.m_nPlacement, 0);
  EXPECT_EQ(window.m_bFixed, 1);
  EXPECT_EQ(window.m_nDisplayMode, MESSAGE_TIMED);
  EXPECT_NE(window.m_strText.find("Z jumps"), std::string::npos) << window.m_strText;
  const double x = play.Hero().m_dX;
  for (int f = 0; f < 20; ++f) play.Frame(INPUT_RIGHT);
  EXPECT_EQ(play.scene.m_nState, 2);
  EXPECT_GT(play.Hero().m_dX, x + 30) << "the sign holds the hero up";
  EXPECT_EQ(play.scene.m_lMessage.size(), 1u) << "touching the sign again stacks windows";
}

// Every byte printable ASCII or a line end.
::testing::AssertionResult English(const std::string& text) {
  for (const char ch : text)
    if (ch != '\n' && (ch < 0x20 || ch > 0x7E)) return ::testing::AssertionFailure() << "not English: " << text;
  return ::testing::AssertionSuccess();
}

void ExpectEnglishFlows(const cSafeVector<cFlow>& flows, const std::string& owner) {
  for (const cFlow& f : flows) {
    EXPECT_TRUE(English(f.m_strName)) << owner;
    for (const cFlowCmd& c : f.m_vCmd) EXPECT_TRUE(English(c.m_strText)) << owner;
  }
}

TEST_F(SampleGame, TheGamesOwnTextsAndNamesAreEnglish) {
  // What the game's data names and says, as the screens show it or the editing program lists
  // it: the system settings' texts, menus and labels, the world map, the database, the stages'
  // palettes and messages.
  const cSystemData& sys = g_SystemData;
  EXPECT_TRUE(English(sys.m_strTitle));
  // Fonts other than the text font always draw the letters a..z as picture characters: the
  // texts of the large font (the title menu's names, the stage select's texts 0, 1 and 3) have
  // none of them.
  auto noSmallLetters = [](const std::string& t) {
    return std::none_of(t.begin(), t.end(), [](char ch) { return ch >= 'a' && ch <= 'z'; });
  };
  for (const cCmdItem& e : sys.m_vTitleMenu) EXPECT_TRUE(noSmallLetters(e.m_strName)) << e.m_strName;
  for (const int i : {0, 1, 3}) EXPECT_TRUE(noSmallLetters(sys.m_vTexts[i])) << sys.m_vTexts[i];
  for (const std::string& t : sys.m_vTexts) EXPECT_TRUE(English(t));
  for (const std::string& t : sys.m_vRankingMethods) EXPECT_TRUE(English(t));
  for (const auto* menu : {&sys.m_vTitleMenu, &sys.m_vSaveMenu, &sys.m_vOptionMenu})
    for (const cCmdItem& e : *menu) EXPECT_TRUE(English(e.m_strName));
  for (const DisplayItem& d : sys.m_vDisplayItems) EXPECT_TRUE(English(d.m_strLabel));
  EXPECT_TRUE(English(g_WorldMap.m_strName));
  for (const cWorldTerrain& t : g_WorldMap.m_vTerrain) EXPECT_TRUE(English(t.m_strName));
  for (const cWorldNode& n : g_WorldMap.m_vNode) {
    EXPECT_TRUE(English(n.m_strName));
    for (const cWorldStage& e : n.m_vStage) EXPECT_TRUE(English(e.m_strTitle));
  }
  const cDatabase& db = g_Database;
  for (const cAnimeSet& set : db.m_vAnimeSet) {
    EXPECT_TRUE(English(set.m_strName));
    for (const cAnime& a : set.m_vAnimation) EXPECT_TRUE(English(a.m_strName));
  }
  for (const cAnime& a : db.m_vAnime) EXPECT_TRUE(English(a.m_strName));
  for (const auto& e : db.m_vBmpCharaExc) EXPECT_TRUE(English(e.m_strName));
  for (const auto& e : db.m_vSwordType) EXPECT_TRUE(English(e.m_strName));
  for (const auto& e : db.m_vEffect) EXPECT_TRUE(English(e.m_strName));
  for (const auto& e : db.m_vCharaEffect) EXPECT_TRUE(English(e.m_strName));
  for (const auto& e : db.m_vScrEffect) EXPECT_TRUE(English(e.m_strName));
  for (const auto& e : db.m_vPicture) EXPECT_TRUE(English(e.m_strName));
  for (const auto& e : db.m_vSound) EXPECT_TRUE(English(e.m_strName));
  for (const auto& e : db.m_vBgm) EXPECT_TRUE(English(e.m_strName));
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    cStage stage;
    ASSERT_TRUE(Load(g_WorldMap.m_vNode[i].m_vStage[0].m_strStageFile, stage));
    EXPECT_TRUE(English(g_StageData.m_strText));
    for (const cBlockData& b : g_StageData.m_vBlock) EXPECT_TRUE(English(b.m_strName));
    for (const cCharaData& c : g_StageData.m_vChara) {
      EXPECT_TRUE(English(c.m_strName));
      ExpectEnglishFlows(c.m_vFlow, c.m_strName);
    }
    for (const cItemData& item : g_StageData.m_vItem) {
      EXPECT_TRUE(English(item.m_strName));
      for (const cFlowCmd& c : item.m_vCmd) EXPECT_TRUE(English(c.m_strText)) << item.m_strName;
    }
  }
}

TEST_F(SampleGame, TheLargeFontsLettersStandEvenlyInTheirCells) {
  // The large font (30 dots high, 32-dot cells) draws each letter from 4 dots into its cell, at
  // the place the face gives the glyph from its pen: its headings (the title menu's names over
  // the options and the stage select, the stage select's rows) stand evenly only when every
  // letter's ink is centred alike. A proportional face puts a narrow I at the left of its cell.
  const std::shared_ptr<gfx::TextFace> face = gfx::TextFace::Open(FontFaceName(g_SystemData.m_nFontFace), 30, 0, true);
  ASSERT_NE(face, nullptr);
  std::string letters;
  for (const cCmdItem& e : g_SystemData.m_vTitleMenu) letters += e.m_strName;
  for (const int i : {0, 1, 3}) letters += g_SystemData.m_vTexts[static_cast<size_t>(i)];
  // Twice the ink's middle from the pen, in dots.
  int lowest = INT_MAX, highest = INT_MIN;
  char low = 0, high = 0;
  for (const char ch : letters) {
    if (ch == ' ') continue;
    const gfx::Glyph& g = face->GlyphOf(static_cast<unsigned char>(ch));
    ASSERT_GT(g.width, 0) << ch;
    const int middle = 2 * g.left + g.width;
    if (middle < lowest) lowest = middle, low = ch;
    if (middle > highest) highest = middle, high = ch;
  }
  EXPECT_LE(highest - lowest, 2) << "the ink of " << low << " and of " << high << " stand "
                                 << (highest - lowest) / 2.0 << " dots apart in their cells";
}

TEST_F(SampleGame, TheRankingKindsNamesFitTheResultAndRankingWindows) {
  // Texts 5..9 name the ranking kinds in 16-dot cells of the text font. The result window after
  // a clear stands at (336, 224), 16 x (L + V + 3) wide for the longest name L and the longest
  // value V (8 for a clear time; the scores, times and hit points of this game have fewer
  // digits), its frame one dot outside: the right frame at 336 + width, inside the 640 dots.
  int longest = 1;
  for (int k = 0; k < 5; ++k)
    longest = std::max(longest, CountChars(g_SystemData.m_vTexts[static_cast<size_t>(5 + k)].c_str()));
  EXPECT_LE(336 + 16 * (longest + 8 + 3), 639) << "the result window runs off the screen";
  // The ranking window's box is 270 dots wide from x + 1, its frame at x + 271; its heading
  // "Ranking" with five blanks and the kind's name runs from x in 16-dot cells.
  for (int k = 0; k < 5; ++k) {
    const std::string& name = g_SystemData.m_vTexts[static_cast<size_t>(5 + k)];
    EXPECT_LE(16 * (12 + CountChars(name.c_str())), 271) << "the heading of " << name << " meets the frame";
  }
}

TEST_F(SampleGame, TheHeadUpDisplaysFieldsHoldTheGamesNumbers) {
  // The largest score of a stage: every character defeated and every item taken whose list adds
  // to the score (system value 3). The total adds the four stages; the lives are three and one
  // more for each 1000 points.
  long long total = 0, stageBest = 0;
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    cStage stage;
    ASSERT_TRUE(Load(g_WorldMap.m_vNode[i].m_vStage[0].m_strStageFile, stage));
    long long score = 0;
    for (const cCharaData& c : g_StageData.m_vPlacedChara) score += c.m_nScore;
    for (const cItemData& item : g_StageData.m_vPlacedItem)
      for (const cFlowCmd& c : item.m_vCmd)
        if (c.FlowKind() == CMD_STATUS && c.m_vParam[3] == 5 && c.m_vParam[4] == 3 && c.m_vParam[5] == 1)
          score += c.m_vParam[7];
    stageBest = std::max(stageBest, score);
    total += score;
  }
  ASSERT_TRUE(g_SystemData.m_bExtraLife);
  const long long lives = g_SystemData.m_vStartLives[0] + total / g_SystemData.m_nExtraLifeScore;
  auto digits = [](long long v) { return static_cast<uint32_t>(std::to_string(v).size()); };
  const cSafeVector<DisplayItem>& items = g_SystemData.m_vDisplayItems;
  EXPECT_GE(items[DISPITEM_TOTAL_SCORE].m_nDigits, digits(total)) << total;
  EXPECT_GE(items[DISPITEM_STAGE_SCORE].m_nDigits, digits(stageBest)) << stageBest;
  EXPECT_GE(items[DISPITEM_LIVES].m_nDigits, digits(lives)) << lives;
  // The shown items side by side fit the 638 dots the bar lays them out in: an icon of 16 dots
  // and the field of 16 dots a digit, or the 50-dot gauge.
  int width = 0;
  for (int i = 0; i < 5; ++i) {
    const DisplayItem& d = items[static_cast<size_t>(i)];
    if (!d.m_bShow) continue;
    EXPECT_TRUE(d.m_bIcon);
    width += 16 + (i == DISPITEM_HP || i == DISPITEM_SP ? 50 : 16 * static_cast<int>(d.m_nDigits));
  }
  EXPECT_LT(width, 638);
}

TEST_F(SampleGame, TheBossFallsAndItsFireballsGoBeforeTheStageClears) {
  // The castle played through the real frames: the hero walks up to the boss and shoots every
  // 12 frames until the end-of-play display.
  SampleStagePlay play(g_WorldMap.m_vNode[3].m_vStage[0].m_strStageFile);
  ASSERT_TRUE(play.loaded);
  play.Play(0, 0);
  ASSERT_EQ(play.scene.m_nState, 2);
  auto boss = [] {
    return g_lChara.Find([](cStageChara& c) { return c.m_Data.m_strName == "Garm"; });
  };
  ASSERT_NE(boss(), nullptr);
  int frame = 0, fell = -1, gone = -1;
  for (; frame < 1500 && play.scene.m_nState == 2; ++frame) {
    play.Frame(frame < 126 ? INPUT_RIGHT : 0, frame % 12 == 0 ? 2 : 0);
    cStageChara* b = boss();
    if (fell < 0 && (!b || b->m_bDead)) fell = frame;
    if (gone < 0 && !b) gone = frame;
  }
  ASSERT_EQ(play.scene.m_nState, 4) << "no clear after " << frame << " frames";
  EXPECT_EQ(play.Hero().m_bDead, 0);
  ASSERT_GE(fell, 0);
  EXPECT_GE(gone, fell) << "the boss's burst has played out and the boss is gone";
  EXPECT_EQ(boss(), nullptr);
  // Its fireballs went with it: every shot left is the hero's.
  int others = 0;
  play.scene.m_lShot.ForEach([&](cShot& shot) { others += !shot.m_bRemoved && shot.m_lpOwner != &play.Hero(); });
  EXPECT_EQ(others, 0);
  // The clear waits two seconds (20 tenths of 6 frames) after the fall.
  EXPECT_GE(frame - fell, 120);
}

TEST(SampleGameFiles, TwoWritesGiveTheSameBytes) {
  // Everything is made by code from fixed values: no clock, no random seed, no memory left
  // unwritten, so a build writes the same game every time.
  TempDir dir;
  std::string error;
  ASSERT_TRUE(sample::WriteSampleGame(dir / "a", &error)) << error;
  ASSERT_TRUE(sample::WriteSampleGame(dir / "b", &error)) << error;
  auto read = [](const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  int files = 0;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir / "a")) {
    if (!e.is_regular_file()) continue;
    const auto rel = std::filesystem::relative(e.path(), dir / "a");
    ASSERT_TRUE(std::filesystem::exists(dir / "b" / rel)) << rel;
    EXPECT_TRUE(read(e.path()) == read(dir / "b" / rel)) << rel;
    ++files;
  }
  EXPECT_GT(files, 50);
}

}  // namespace
