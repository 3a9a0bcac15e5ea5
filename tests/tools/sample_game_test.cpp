// The sample game as the player finds it: written into a fresh folder, then every file read back
// through the program's own loaders, in the order of its start-up.
#include "sample_game.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "audio/midi_file.h"
#include "audio/wave_file.h"
#include "defs/cmd_kind.h"
#include "defs/def_context.h"
#include "engine/chara_effect.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/shot.h"
#include "engine/stage_chara.h"
#include "platform/gdi.h"
#include "platform/vox.h"
#include "project/data_folder.h"
#include "project/database.h"
#include "project/global_data.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage_load.h"
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
  EXPECT_EQ(g_WorldMap.m_vNode[0].m_vStage[0].m_strTitle, "はじまりの草原");
  EXPECT_EQ(g_WorldMap.m_vNode[3].m_vStage[0].m_strTitle, "ガルムの城");
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

TEST_F(SampleGame, TheMapCursorCanWalkToEveryStage) {
  // Cells reachable from the start over terrains that are not blocked, four ways.
  cWorldMap& map = g_WorldMap;
  std::vector<int> seen(static_cast<size_t>(map.m_nWidth * map.m_nHeight), 0);
  std::vector<std::pair<int, int>> todo = {{map.m_nCursorX, map.m_nCursorY}};
  while (!todo.empty()) {
    const auto [x, y] = todo.back();
    todo.pop_back();
    if (!map.Contains(x, y) || seen[static_cast<size_t>(y * map.m_nWidth + x)]) continue;
    const int terrain = map.Cell(x, y);
    ASSERT_GE(terrain, 0);
    ASSERT_LT(terrain, static_cast<int>(map.m_vTerrain.size()));
    if (map.m_vTerrain[static_cast<size_t>(terrain)].m_bBlocked) continue;
    seen[static_cast<size_t>(y * map.m_nWidth + x)] = 1;
    todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
  }
  for (const cWorldNode& node : map.m_vNode)
    EXPECT_TRUE(seen[static_cast<size_t>(node.m_nY * map.m_nWidth + node.m_nX)]) << node.m_strName;
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
  // By an item the hero takes (the goal flag, the key) or by defeating a character (the boss).
  const char* const ways[] = {"ゴールの旗", "ゴールの旗", "カギ", "ガルム"};
  for (size_t i = 0; i < g_WorldMap.m_vNode.size(); ++i) {
    cStage stage;
    ASSERT_TRUE(Load(g_WorldMap.m_vNode[i].m_vStage[0].m_strStageFile, stage));
    std::string found;
    for (const cItemData& item : g_StageData.m_vPlacedItem)
      for (const cFlowCmd& c : item.m_vCmd)
        if (c.FlowKind() == CMD_STAGE_CLEAR) found = item.m_strName;
    for (const cCharaData& chara : g_StageData.m_vPlacedChara)
      for (const cFlow& f : chara.m_vFlow)
        for (const cFlowCmd& c : f.m_vCmd)
          if (f.m_byTrigger == TRIGGER_DEATH && c.FlowKind() == CMD_STAGE_CLEAR) found = chara.m_strName;
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
  cPlayer& Hero() { return g_vPlayer.CheckedAt(0); }

  bool loaded = false;
  cPlayScene scene;

 private:
  void Frame(WORD dir) {
    cInput& input = g_vInput.CheckedAt(0);
    input.SetWords(dir, 0);
    input.m_nDirCode = cInput::GetDirCode(&input.m_wDir);
    scene.Update();
    AdvanceTestClock(16);
  }
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
  // The system images the screens and the play load; the optional ones the game leaves out
  // are the empty surfaces, the extra character sheets and the world map's background.
  for (const BitmapEntry& entry : g_SystemBitmapTable) {
    const std::string name = entry.szFileName;
    if (name == "E" || entry.bOptional) continue;
    EXPECT_TRUE(ImageOpens(name)) << name;
  }
  EXPECT_TRUE(ImageOpens("bmp\\GameMode.bmp")) << "the title menu is drawn from pictures";
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
