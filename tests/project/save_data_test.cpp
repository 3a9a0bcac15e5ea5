// The game progress: the layout of the slot and challenge files in every data version with the
// fix-ups of older files, the bounds a loaded progress is brought into, loading that replaces
// the whole progress or nothing, a save that fails half-way, the slot list, and the operations
// of the play on the progress.
#include "project/save_data.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "player_files_test.h"
#include "project/data_folder.h"
#include "project/shell_state.h"
#include "project/world_map.h"
#include "save_bytes.h"
#include "support/bytes.h"
#include "support/layout_gates.h"

namespace {

class SaveDataTest : public PlayerFilesTest {
 protected:
  // A progress with something in every part.
  static cSaveData BusyProgress() {
    cSaveData p;
    p.ResetGameData();
    p.m_nMapX = 3;
    p.m_nMapY = 4;
    p.m_nLap = 2;
    p.m_bStageCond = 1;
    p.m_nCondVar = 7;
    p.m_nCondValue = -2;
    p.m_nStageIndex = 12;
    p.m_nStartLives = 5;
    p.m_nLives = 4;
    p.m_nTotalScore = 1234;
    p.m_nTotalHp = 9;
    p.m_nRankingKind = 3;
    p.m_bRestart = 1;
    p.m_nRestartX = 8;
    p.m_nRestartDir = 1;
    p.m_strStage = "data\\stg4\\Stage.";
    p.m_strStageKey = "data\\stg4\\Stage_c007_-2.";
    p.m_strPlayerName = "xyz";
    p.m_vCarryStored[11] = 1;
    p.m_vCarryOver[0].m_nHp = 17;
    p.m_vCarryOver[0].m_Chara.m_wGraphic = 6;
    p.AddClear("data\\stg4\\Stage.", "data\\stg4\\Stage.", 0, 0, 0, 300);
    p.m_vChallenge.resize(40);
    p.m_vChallenge[2].m_bCleared = 1;
    p.m_vChallenge[2].m_nBest = 99;
    p.m_vStageFlags[12] = 1;
    p.m_vCommonVar[1000] = -5;
    return p;
  }
};

TEST_F(SaveDataTest, ASlotFileHoldsTheLayoutAndRoundTripsByteForByte) {
  cSaveData p = BusyProgress();
  ASSERT_EQ(p.SaveSlot(4), 1);
  const std::string bytes = ReadFileBytes(SlotFile(4));
  ASSERT_EQ(SlotFile(4), "user_data/story/Story05.dat");

  // The same progress built by hand in the layout of 790.
  SaveBytes b;
  b.values = {{"MapX", 3},     {"MapY", 4},         {"Lap", 2},          {"StageCond", 1}, {"CondVar", 7},
              {"CondValue", -2}, {"StageIndex", 12}, {"StartLives", 5}, {"Lives", 4},     {"TotalScore", 1234},
              {"ClearTotal", 300}, {"TotalHp", 9},   {"ChallengeOpen", 1}, {"Slot", -1},  {"RankingKind", 3},
              {"Restart", 1},  {"RestartX", 8},     {"RestartDir", 1}};
  b.stage = "data\\stg4\\Stage.";
  b.key = "data\\stg4\\Stage_c007_-2.";
  b.name = "xyz";
  const SYSTEMTIME& t = p.m_SaveTime;
  const uint16_t time[8] = {t.wYear, t.wMonth, t.wDayOfWeek, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
  std::copy(std::begin(time), std::end(time), b.time);
  b.carryStored[11] = 1;
  b.carries[0].hp = 17;
  b.carries[0].chara.graphic = 6;
  b.clears = {ClearBytes{0, 0, 0, 300, "data\\stg4\\Stage.", "data\\stg4\\Stage."}};
  b.challenges[2] = {1, 99};
  b.flags[0] = 1;
  b.flags[12] = 1;
  b.vars[1000] = -5;
  EXPECT_EQ(Hex(bytes), Hex(b.File()));

  // The slot list shows the slot with its time.
  EXPECT_EQ(g_vSaveSlotInfo[4].m_bUsed, 1);
  EXPECT_EQ(std::memcmp(&g_vSaveSlotInfo[4].m_SaveTime, &p.m_SaveTime, sizeof(SYSTEMTIME)), 0);

  // Read back and written again: the same bytes.
  ASSERT_EQ(g_SaveData.LoadSlot(4), 1);
  ASSERT_EQ(g_SaveData.SaveFile("again.dat"), 1);
  EXPECT_EQ(Hex(ReadFileBytes("again.dat")), Hex(bytes));

  // The challenge file as well.
  ASSERT_TRUE(project.WriteChallenge(p));
  const std::string challenge = ReadFileBytes("user_data/challenge/Challenge.dat");
  EXPECT_EQ(Hex(challenge), Hex(bytes));
  cSaveData q;
  ASSERT_EQ(q.LoadChallenge(), 1);
  ASSERT_EQ(q.SaveFile("again.dat"), 1);
  EXPECT_EQ(Hex(ReadFileBytes("again.dat")), Hex(challenge));
}

// Files of older data versions: the fields they lack keep a new game's values, not those of the
// game in progress, and the fix-ups apply.
TEST_F(SaveDataTest, OlderFilesLoadWithTheirFixUps) {
  // The file of a version: every field 1 but the map positions and the slot, one clear entry.
  auto fileOf = [](int v) {
    SaveBytes b;
    b.version = v;
    for (const SaveField& f : SaveFields()) b.values[f.name] = 1;
    b.values["MapX"] = b.values["MapY"] = 2;
    b.values["PrevMapX"] = b.values["PrevMapY"] = 3;
    b.values["Slot"] = 1;
    b.stage = "data\\stg4\\A.";
    b.key = "data\\stg4\\A_c001_1.";
    b.carryStored.assign(25, 0);
    b.clears = {ClearBytes{1, 2, 3, 40, "data\\stg4\\B.", "data\\stg4\\B_c002_3."}};
    b.vars.assign(v < 754 ? 1000 : 1001, 0);
    return b;
  };
  // Every version at which the file's layout changes, and the version before it.
  const std::vector<int> versions =
      LayoutGateVersions([&](int v) { return fileOf(v).Body(); }, 150, DATA_VERSION - 1);
  ASSERT_TRUE(std::binary_search(versions.begin(), versions.end(), 759)) << "the clear entry's gate";
  for (int v : versions) {
    const SaveBytes b = fileOf(v);
    WriteFileBytes(SlotFile(0), b.File());

    // The game in progress has every value the file might lack set otherwise.
    cSaveData& p = g_SaveData;
    p.ResetGameData();
    p.m_bStageCond = 5, p.m_nCondVar = 5, p.m_nCondValue = 5, p.m_nTotalHp = 5, p.m_bBgmPlayingLoop = 5;
    p.m_nMapState = 5, p.m_bLeftStage = 5, p.m_nPrevMapX = 5, p.m_bAutoSave = 5, p.m_bRestart = 5;
    p.m_nRestartDir = 5, p.m_strStageKey = "in progress";
    ASSERT_EQ(p.LoadSlot(0), 1) << v;
    cSaveData registered;
    registered.Register(v);
    EXPECT_EQ(registered.GetFieldCount(), StoredFieldCount(b.Body())) << v;

    EXPECT_EQ(p.m_nMapX, 2) << v;
    EXPECT_EQ(p.m_nLives, 1) << v;
    EXPECT_EQ(p.m_bStageCond, v >= 758 ? 1 : 0) << v;
    EXPECT_EQ(p.m_nCondVar, v >= 758 ? 1 : 0) << v;
    EXPECT_EQ(p.m_nTotalHp, v >= 182 ? 1 : 0) << v;
    EXPECT_EQ(p.m_nTotalSp, v >= 182 ? 1 : 0) << v;
    EXPECT_EQ(p.m_bBgmPlayingLoop, 1) << v << ": 1 from the file or from the fix-up below 166";
    EXPECT_EQ(p.m_nMapState, v >= 194 ? 1 : 0) << v;
    EXPECT_EQ(p.m_bLeftStage, v >= 190 ? 1 : 0) << v;
    EXPECT_EQ(p.m_nPrevMapX, v >= 191 ? 3 : 0) << v;
    EXPECT_EQ(p.m_bAutoSave, v >= 169 ? 1 : 0) << v;
    EXPECT_EQ(p.m_bRestart, v >= 678 ? 1 : 0) << v;
    EXPECT_EQ(p.m_nRestartDir, v >= 679 ? 1 : 0) << v;
    EXPECT_EQ(p.m_strStage, "data\\stg4\\A.") << v;
    EXPECT_EQ(p.m_strStageKey, v >= 724 ? "data\\stg4\\A_c001_1." : "") << v;
    EXPECT_EQ(p.m_strPlayerName, "aaa") << v;
    EXPECT_EQ(p.m_vCarryStored, cSafeVector<int32_t>(25, v <= 500 ? 1 : 0)) << v;
    EXPECT_EQ(p.m_vCommonVar.size(), v < 754 ? 1000u : 1001u) << v;
    ASSERT_EQ(p.m_vClear.size(), 1u) << v;
    EXPECT_EQ(p.m_vClear[0].m_strKey, v >= 759 ? "data\\stg4\\B_c002_3." : "data\\stg4\\B.") << v;
    EXPECT_EQ(p.m_vClear[0].m_nCondValue, v >= 759 ? 3 : 0) << v;
    EXPECT_EQ(p.m_vClear[0].m_nValue, 40) << v;
    EXPECT_EQ(p.m_nStageEntrySlot, 0) << v;
    EXPECT_EQ(p.m_lpStageEntry, nullptr) << v;
  }
}

TEST_F(SaveDataTest, ALoadedProgressIsBroughtIntoBounds) {
  SaveBytes shortLists;
  shortLists.carryStored = {1, 1};
  shortLists.carries.clear();
  shortLists.challenges.resize(3);
  shortLists.flags = {1, 0, 1};
  shortLists.vars = {4};
  shortLists.values = {{"ChallengeOpen", 99}, {"StageIndex", 5000}, {"RankingKind", 7}};
  SaveBytes negative;
  negative.values = {{"MapX", -1}, {"MapY", 3}, {"PrevMapX", 25}, {"PrevMapY", -4}, {"StageIndex", -3},
                     {"RankingKind", -1}};
  SaveBytes offMap;
  offMap.values = {{"MapX", 20}, {"MapY", 15}, {"StageIndex", 999}, {"RankingKind", 4}};

  WriteFileBytes(SlotFile(0), shortLists.File());
  ASSERT_EQ(g_SaveData.LoadSlot(0), 1);
  const cSaveData& p = g_SaveData;
  EXPECT_EQ(p.m_vCarryStored, (cSafeVector<int32_t>{1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                     0, 0, 0, 0}));
  EXPECT_EQ(p.m_vCarryOver.size(), 1u);
  EXPECT_EQ(p.m_vChallenge.size(), 40u) << "one entry per challenge stage of the settings";
  EXPECT_EQ(p.m_nChallengeOpen, 40);
  ASSERT_EQ(p.m_vStageFlags.size(), 1000u);
  EXPECT_EQ(p.m_vStageFlags[2], 1);
  ASSERT_EQ(p.m_vCommonVar.size(), 1000u);
  EXPECT_EQ(p.m_vCommonVar[0], 4);
  EXPECT_EQ(p.m_nStageIndex, 0);
  EXPECT_EQ(p.m_nRankingKind, 0);

  WriteFileBytes(SlotFile(1), negative.File());
  ASSERT_EQ(g_SaveData.LoadSlot(1), 1);
  EXPECT_EQ(p.m_nMapX, 9) << "off the map: the map's start";
  EXPECT_EQ(p.m_nMapY, 3);
  EXPECT_EQ(p.m_nPrevMapX, 9);
  EXPECT_EQ(p.m_nPrevMapY, 7);
  EXPECT_EQ(p.m_nStageIndex, 0);
  EXPECT_EQ(p.m_nRankingKind, 0);

  WriteFileBytes(SlotFile(2), offMap.File());
  ASSERT_EQ(g_SaveData.LoadSlot(2), 1);
  EXPECT_EQ(p.m_nMapX, 9);
  EXPECT_EQ(p.m_nMapY, 7);
  EXPECT_EQ(p.m_nStageIndex, 999) << "the last stage flag";
  EXPECT_EQ(p.m_nRankingKind, 4);

  // The challenge list follows the settings' stage count, also one the file cannot fill.
  g_SystemData.m_nChallengeStages = -5;
  ASSERT_EQ(g_SaveData.LoadSlot(2), 1);
  EXPECT_EQ(p.m_vChallenge.size(), 0u);
  EXPECT_EQ(p.m_nChallengeOpen, 0);
}

// A file that cannot be read leaves the progress as it was; one that reads replaces all of it.
TEST_F(SaveDataTest, LoadingReplacesTheWholeProgressOrNothing) {
  SaveBytes good;
  good.values = {{"TotalScore", 70}, {"Lives", 2}};
  WriteFileBytes(SlotFile(0), good.File());
  std::string damaged = good.File();
  damaged.resize(damaged.size() - 5);
  WriteFileBytes(SlotFile(1), damaged);
  SaveBytes newer = good;
  newer.version = 791;
  WriteFileBytes(SlotFile(2), newer.File());

  g_SaveData.ResetGameData();
  g_SaveData.m_nTotalScore = 5;
  g_SaveData.m_vCommonVar[3] = 8;
  for (int slot : {1, 2, 3}) {
    EXPECT_EQ(g_SaveData.LoadSlot(slot), 0) << slot;
    EXPECT_EQ(g_SaveData.m_nTotalScore, 5) << slot;
    EXPECT_EQ(g_SaveData.m_vCommonVar[3], 8) << slot;
  }
  EXPECT_EQ(g_SaveData.LoadChallenge(), 0) << "no challenge file";
  EXPECT_EQ(g_SaveData.m_nTotalScore, 5);

  ASSERT_EQ(g_SaveData.LoadSlot(0), 1);
  EXPECT_EQ(g_SaveData.m_nTotalScore, 70);
  EXPECT_EQ(g_SaveData.m_vCommonVar[3], 0);
  EXPECT_TRUE(env.Boxes().empty());
}

// The lives of a loaded progress follow the game mode's setting: the story mode for a slot, the
// challenge mode for the challenge file.
TEST_F(SaveDataTest, TheLivesRuleOfTheGameMode) {
  struct Case {
    int unlimitedStory, unlimitedChallenge, lives, startLives, expectedStory, expectedChallenge;
  } cases[] = {
      {0, 0, 3, 2, 3, 3},
      {0, 0, 999999, 2, 4, 6},
      {1, 0, 3, 2, 999999, 3},
      {0, 1, 999999, 2, 4, 999999},
  };
  g_SystemData.m_vStartLives = {4, 6, 8, 10};
  for (const Case& c : cases) {
    g_SystemData.m_vUnlimitedLives = {c.unlimitedStory, c.unlimitedChallenge, 0, 0};
    SaveBytes b;
    b.values = {{"Lives", c.lives}, {"StartLives", c.startLives}};
    WriteFileBytes(SlotFile(0), b.File());
    WriteFileBytes("user_data/challenge/Challenge.dat", b.File());
    ASSERT_EQ(g_SaveData.LoadSlot(0), 1);
    EXPECT_EQ(g_SaveData.m_nLives, c.expectedStory) << c.lives;
    EXPECT_EQ(g_SaveData.m_nStartLives, c.unlimitedStory ? 999999 : c.startLives);
    ASSERT_EQ(g_SaveData.LoadChallenge(), 1);
    EXPECT_EQ(g_SaveData.m_nLives, c.expectedChallenge) << c.lives;
  }
}

// A save that fails half-way (the disk full, the program killed) leaves the previous slot file
// whole and readable, and the slot list as it was.
TEST_F(SaveDataTest, ASaveThatFailsHalfWayLeavesThePreviousSlot) {
  cSaveData p = BusyProgress();
  p.m_nTotalScore = 100;
  ASSERT_EQ(p.SaveSlot(0), 1);
  const std::string before = ReadFileBytes(SlotFile(0));
  const SaveSlotInfo listed = g_vSaveSlotInfo[0];

  p.m_nTotalScore = 200;
  p.m_SaveTime.wYear = 1999;
  SetRecordWriteLimitForTests(static_cast<long long>(before.size() / 2));
  EXPECT_EQ(p.SaveSlot(0), 0);
  EXPECT_EQ(p.SaveSlot(6), 0) << "a new slot fails the same way";
  SetRecordWriteLimitForTests(-1);

  EXPECT_EQ(Hex(ReadFileBytes(SlotFile(0))), Hex(before));
  EXPECT_FALSE(std::filesystem::exists(SlotFile(6)));
  EXPECT_FALSE(std::filesystem::exists(SlotFile(0) + ".tmp"));
  EXPECT_EQ(std::memcmp(&g_vSaveSlotInfo[0].m_SaveTime, &listed.m_SaveTime, sizeof(SYSTEMTIME)), 0);
  EXPECT_EQ(g_vSaveSlotInfo[6].m_bUsed, 0);
  EXPECT_EQ(p.m_SaveTime.wYear, 1999) << "the progress keeps its own time";
  EXPECT_EQ(BoxTexts(), "user_data\\story\\Story01.dat のセーブに失敗しました！\n"
                        "user_data\\story\\Story07.dat のセーブに失敗しました！\n");
  ASSERT_EQ(g_SaveData.LoadSlot(0), 1);
  EXPECT_EQ(g_SaveData.m_nTotalScore, 100);

  ASSERT_EQ(p.SaveSlot(0), 1);
  ASSERT_EQ(g_SaveData.LoadSlot(0), 1);
  EXPECT_EQ(g_SaveData.m_nTotalScore, 200);
}

// A link left at a slot's temporary name does not take the save somewhere else.
TEST_F(SaveDataTest, ASaveThroughAStaleTemporaryLinkGoesIntoTheSlot) {
  cSaveData p = BusyProgress();
  p.m_nTotalScore = 300;
  WriteFileBytes("other.dat", "someone else's file");
  std::filesystem::create_symlink(std::filesystem::absolute("other.dat"), SlotFile(0) + ".tmp");
  ASSERT_EQ(p.SaveSlot(0), 1);
  EXPECT_EQ(ReadFileBytes("other.dat"), "someone else's file");
  EXPECT_FALSE(std::filesystem::is_symlink(SlotFile(0)));
  ASSERT_EQ(g_SaveData.LoadSlot(0), 1);
  EXPECT_EQ(g_SaveData.m_nTotalScore, 300);
}

TEST_F(SaveDataTest, TheSlotListShowsTheSlotsThatRead) {
  char name[MAX_PATH];
  MakeSaveFileName(name, 0);
  EXPECT_STREQ(name, "user_data\\story\\Story01.dat");
  MakeSaveFileName(name, 98);
  EXPECT_STREQ(name, "user_data\\story\\Story99.dat");

  cSaveData p = BusyProgress();
  p.m_SaveTime = SYSTEMTIME{2024, 3, 0, 9, 7, 5, 0, 0};
  ASSERT_TRUE(project.WriteSaveSlot(p, 0));
  p.m_SaveTime.wYear = 2025;
  ASSERT_TRUE(project.WriteSaveSlot(p, 98));
  std::string damaged = ReadFileBytes(SlotFile(0));
  WriteFileBytes(SlotFile(5), damaged.substr(0, damaged.size() / 2));
  WriteFileBytes(SlotFile(7), ByteWriter().I32(791).Bytes(damaged.substr(4)).str());

  EXPECT_EQ(p.SaveSlot(99), 0) << "no slot 100";
  EXPECT_FALSE(std::filesystem::exists("user_data/story/Story100.dat"));
  EXPECT_EQ(env.TakeCloseRequests(), 1) << "the checked access's error path";

  g_vSaveSlotInfo[5].m_bUsed = 1;
  LoadSaveSlotList(g_vSaveSlotInfo);
  for (int i = 0; i < SAVE_SLOT_COUNT; ++i) EXPECT_EQ(g_vSaveSlotInfo[i].m_bUsed, i == 0 || i == 98 ? 1 : 0) << i;
  EXPECT_EQ(g_vSaveSlotInfo[0].FormatSaveTime(), "2024/03/09 07:05\n");
  EXPECT_EQ(g_vSaveSlotInfo[98].FormatSaveTime(), "2025/03/09 07:05\n");
  EXPECT_EQ(g_vSaveSlotInfo[1].FormatSaveTime(), "");

  SaveSlotListLayout top = MakeSaveSlotList(160, 160, g_vSaveSlotInfo, 0, 10);
  EXPECT_EQ(top.nWidth, 320);
  EXPECT_EQ(top.nHeight, 160);
  ASSERT_EQ(top.vRow.size(), 10u);
  EXPECT_EQ(top.vRow[0].strNumber, "1");
  EXPECT_EQ(top.vRow[0].y, 160);
  EXPECT_EQ(top.vRow[0].strTime, "2024/03/09 07:05\n");
  EXPECT_EQ(top.vRow[9].strNumber, "10");
  EXPECT_EQ(top.vSeparatorY, (cSafeVector<int>{175, 191, 207, 223, 239, 255, 271, 287, 303}));

  // Near the end the rows stop at the last slot; the separator of the first row beyond is drawn.
  SaveSlotListLayout end = MakeSaveSlotList(0, 0, g_vSaveSlotInfo, 96, 10);
  ASSERT_EQ(end.vRow.size(), 3u);
  EXPECT_EQ(end.vRow[2].strNumber, "99");
  EXPECT_EQ(end.vRow[2].strTime, "2025/03/09 07:05\n");
  EXPECT_EQ(end.vSeparatorY, (cSafeVector<int>{15, 31, 47, 63}));
}

TEST(SaveDataNames, CurrentStageAndStageFileNames) {
  struct Case {
    const char* name;
    int cond, var, value;
    const char* stage;
    const char* key;
    int series;
  } cases[] = {
      {"data\\stg4\\c01-1.stg4_003", 0, 0, 0, "data\\stg4\\c01.", "data\\stg4\\c01.", 1},
      {"data\\stg4\\Stage.stg4_003", 0, 0, 0, "data\\stg4\\Stage.", "data\\stg4\\Stage.", 0},
      {"data\\stg4\\Stage.stg4_003", 1, 7, 2, "data\\stg4\\Stage.", "data\\stg4\\Stage_c007_2.", 0},
      {"data\\stg4\\a-1-2-1b.stg4", 1, 1234, -3, "data\\stg4\\a-1-2.", "data\\stg4\\a-1-2_c1234_-3.", 1},
      {"data\\stg4\\a-2.stg4", 0, 0, 0, "data\\stg4\\a-2.", "data\\stg4\\a-2.", 0},
      {"NoDot", 0, 0, 0, "", "", 0},
      {"NoDot", 1, 5, 5, "", "_c005_5", 0},
  };
  for (const Case& c : cases) {
    cSaveData p;
    p.m_bSeries = 1 - c.series;
    p.SetCurrentStage(c.name, c.cond, c.var, c.value);
    EXPECT_EQ(p.m_strStage, c.stage) << c.name;
    EXPECT_EQ(p.m_strStageKey, c.key) << c.name;
    EXPECT_EQ(p.m_bSeries, c.series) << c.name;
    EXPECT_EQ(p.m_nCondVar, c.var) << c.name;
  }
  std::string text = "data\\stg4\\Stage.";
  MakeStageFileName(text, 0, 7, 2);
  EXPECT_EQ(text, "data\\stg4\\Stage.");
}

TEST(SaveDataClears, TheBestResultOfEachKeyCountsOnce) {
  cSaveData p;
  p.ResetGameData();
  for (int value : {300, 200, 500}) p.AddClear("a.", "a.", 0, 0, 0, value);
  p.AddClear("a.", "a_c001_2.", 1, 1, 2, 70);
  ASSERT_EQ(p.m_vClear.size(), 2u);
  EXPECT_EQ(p.m_vClear[0].m_nValue, 500);
  EXPECT_EQ(p.m_nClearTotal, 570);
  EXPECT_EQ(p.FindClear("a."), 500);
  EXPECT_EQ(p.FindClear("a_c001_2."), 70);
  EXPECT_EQ(p.FindClear("A."), 0) << "keys compare exactly";

  // Recounting keeps the entries whose stage still has a node on the world map.
  cWorldMap saved = g_WorldMap;
  g_WorldMap.SetDefault();
  g_WorldMap.m_vNode.resize(1);
  g_WorldMap.m_vNode[0].m_vStage[0].m_strStageFile = "a-1.stg4";
  p.RecountClears();
  EXPECT_EQ(p.m_nClearTotal, 500) << "the entry under a condition has no node";
  g_WorldMap.m_vNode[0].m_vStage.resize(2);
  cWorldStage& cond = g_WorldMap.m_vNode[0].m_vStage[1];
  cond.m_strStageFile = "a.stg4";
  cond.m_bStageCond = 1;
  cond.m_nCondVar = 1;
  cond.m_nCondValue = 2;
  p.RecountClears();
  EXPECT_EQ(p.m_nClearTotal, 570);
  g_WorldMap = saved;
}

TEST_F(SaveDataTest, TheStageStartIsRestoredByThePlaysSwitch) {
  g_SystemData.m_bFileRestore = 1;
  g_SystemData.m_bStoryRestore = 0;
  g_SystemData.m_bChallengeRestore = 1;
  g_SystemData.m_bFreeRestore = 0;
  struct Case {
    int mode, freePlay, testPlay, restored;
  } cases[] = {
      {GAMEMODE_STORY, 0, 0, 0},     {GAMEMODE_CHALLENGE, 0, 0, 1}, {GAMEMODE_FREE, 0, 0, 0},
      {GAMEMODE_REPLAY, 0, 0, 1},    {GAMEMODE_STORY, 1, 0, 1},     {GAMEMODE_FREE, 0, 1, 1},
  };
  for (const Case& c : cases) {
    g_nGameMode = c.mode;
    g_bFreePlay = c.freePlay;
    g_bTestPlay = c.testPlay;
    cSaveData p;
    p.ResetGameData();
    p.m_vCommonVar[1] = 10;
    p.m_nLives = 3;
    p.m_nTotalScore = 50;
    p.MarkStageStart();
    p.m_vCommonVar[1] = 11;
    p.m_nLives = 2;
    p.m_nTotalScore = 80;
    EXPECT_EQ(p.RestoreStageStart(0), 50);
    EXPECT_EQ(p.m_nTotalScore, 50);
    EXPECT_EQ(p.m_nLives, 2);
    EXPECT_EQ(p.m_vCommonVar[1], c.restored ? 10 : 11) << c.mode << c.freePlay << c.testPlay;
    p.m_vCommonVar[1] = 12;
    EXPECT_EQ(p.RestoreStageStart(1), 50);
    EXPECT_EQ(p.m_vCommonVar[1], 10);
    EXPECT_EQ(p.m_nLives, 3);
  }
}

TEST_F(SaveDataTest, CarryOverKeepsTheGroupsSwitchedOn) {
  const std::vector<int> on = {0, 1, 4, 11, 13, 21, 22, 23, 24};
  g_SystemData.m_vCarryGroup.assign(25, 0);
  for (int g : on) g_SystemData.m_vCarryGroup[g] = 1;
  g_SystemData.m_vRestartReset.assign(25, 0);
  g_SystemData.m_vRestartReset[13] = 1;
  g_SystemData.m_vRestartReset[14] = 1;

  cCharaData hero = fixture::Hero(5);
  hero.m_byGraphicKind = 4;
  hero.m_wGraphicSub = 2;
  hero.m_wAnimeSet = 3;
  hero.m_byZ = 6;
  hero.m_nMaxHp = 40;
  hero.m_nMaxSp = 30;
  hero.m_vFlow.resize(2);
  hero.m_vFlow[1].m_strName = "carried";

  cSaveData p;
  p.ResetGameData();
  int hp = -1, sp = -1;
  p.GetCarriedValues(0, &hp, &sp);
  EXPECT_EQ(hp, -1) << "nothing is carried yet";
  p.StoreCarryOver(0, hero, 17, 4, 9, 2, 3, 55, 6, 7);
  EXPECT_EQ(p.m_bCarry, 1);
  for (int g = 0; g < 25; ++g)
    EXPECT_EQ(p.m_vCarryStored[g], std::count(on.begin(), on.end(), g) ? 1 : 0) << g;

  cCharaData next = fixture::Hero(1);
  cStage stage = fixture::Stage(20, 15);
  p.m_nLives = 1;
  p.ApplyCarryOver(0, next, stage);
  EXPECT_EQ(next.m_wGraphic, 5);
  EXPECT_EQ(next.m_byGraphicKind, 4);
  EXPECT_EQ(next.m_wGraphicSub, 2);
  EXPECT_EQ(next.m_wAnimeSet, 3);
  EXPECT_EQ(next.m_byZ, 3) << "group 2 is off";
  EXPECT_EQ(next.m_wAppearEffect, 9);
  EXPECT_EQ(next.m_byAppearEffectMode, 2);
  EXPECT_EQ(next.m_byAppearEffectValue, 3);
  EXPECT_EQ(next.m_nMaxHp, 40);
  EXPECT_EQ(next.m_nMaxSp, 0) << "group 14 is off";
  ASSERT_EQ(next.m_vFlow.size(), 2u);
  EXPECT_EQ(next.m_vFlow[1].m_strName, "carried");
  EXPECT_EQ(stage.m_nTimeLimit, 55);
  EXPECT_EQ(stage.m_nBgm, 7);
  EXPECT_EQ(p.m_nLives, 6);
  hp = sp = -1;
  p.GetCarriedValues(0, &hp, &sp);
  EXPECT_EQ(hp, 17);
  EXPECT_EQ(sp, -1) << "group 12 is off";

  // A graphic carried as 0 comes back as 1; dropped groups stay as they are.
  hero.m_wGraphic = 0;
  p.StoreCarryOver(0, hero, 17, 4, 9, 2, 3, 55, 6, 7);
  p.DropCarryOverGroups();
  EXPECT_EQ(p.m_vCarryStored[13], 0);
  cCharaData third = fixture::Hero(8);
  p.ApplyCarryOver(0, third, stage);
  EXPECT_EQ(third.m_wGraphic, 1);
  EXPECT_EQ(third.m_nMaxHp, 10);

  // After a reset nothing is carried into a new game.
  p.ResetGameData();
  cCharaData fresh = fixture::Hero(8);
  p.ApplyCarryOver(0, fresh, stage);
  EXPECT_EQ(fresh.m_wGraphic, 8);
}

TEST_F(SaveDataTest, StepRankingKindMovesOverTheRecordedKinds) {
  g_SystemData.m_vRankingKinds[GAMEMODE_CHALLENGE].m_vKinds = {1, 0, 0, 0, 1};
  g_SystemData.m_vRankingKinds[GAMEMODE_FREE].m_vKinds = {0, 0, 0, 0, 0};
  g_SystemData.m_vRankingKinds[GAMEMODE_STORY].m_vKinds = {0, 1, 1, 0, 1};
  struct Case {
    int mode, from, n, to;
  } cases[] = {
      {GAMEMODE_CHALLENGE, 4, 1, 0},   {GAMEMODE_CHALLENGE, 0, -1, 4}, {GAMEMODE_CHALLENGE, 2, 1, 4},
      {GAMEMODE_CHALLENGE, 2, -1, 0},  {GAMEMODE_CHALLENGE, 2, 0, 4},  {GAMEMODE_CHALLENGE, 4, 0, 4},
      {GAMEMODE_CHALLENGE, 0, 3, 4},   {GAMEMODE_FREE, 3, 1, 3},       {GAMEMODE_STORY, 1, 2, 4},
      {GAMEMODE_STORY, 1, -2, 2},      {GAMEMODE_STORY, 1, 1000001, 4}, {GAMEMODE_STORY, 4, INT32_MIN, 1},
  };
  for (const Case& c : cases) {
    cSaveData p;
    p.m_nRankingKind = c.from;
    p.StepRankingKind(c.mode, c.n);
    EXPECT_EQ(p.m_nRankingKind, c.to) << c.mode << " " << c.from << " " << c.n;
  }
}

TEST_F(SaveDataTest, ANewGameAndTheNextRound) {
  g_WorldMap.m_nCursorX = 4;
  g_WorldMap.m_nCursorY = 6;
  g_SystemData.m_vStartLives = {5, 0, 0, 0};
  g_SystemData.m_vUnlimitedLives = {0, 0, 0, 0};
  cSaveData p = BusyProgress();
  p.m_bCarry = 1;
  p.m_vVarAtStart.assign(3, 1);
  p.BeginNewGame();
  EXPECT_EQ(p.m_vCarryStored, cSafeVector<int32_t>(25, 0));
  EXPECT_EQ(p.m_vCarryOver.size(), 1u);
  EXPECT_EQ(p.m_vCarryOver[0].m_Chara.m_wGraphic, 0);
  ASSERT_EQ(p.m_vStageFlags.size(), 1000u);
  EXPECT_EQ(p.m_vStageFlags[0], 1);
  EXPECT_EQ(p.m_vStageFlags[12], 0);
  EXPECT_EQ(p.m_vCommonVar, cSafeVector<int32_t>(1001, 0));
  EXPECT_TRUE(p.m_vClear.empty());
  EXPECT_TRUE(p.m_vChallenge.empty());
  EXPECT_EQ(p.m_nChallengeOpen, 1);
  EXPECT_EQ(p.m_nSlot, -1);
  EXPECT_EQ(p.m_strPlayerName, "aaa");
  EXPECT_EQ(p.m_strStage, "");
  EXPECT_EQ(p.m_nTotalScore, 0);
  EXPECT_EQ(p.m_nLap, 0);
  EXPECT_EQ(p.m_bCarry, 0);
  EXPECT_TRUE(p.m_vVarAtStart.empty());
  EXPECT_EQ(p.m_nMapX, 4);
  EXPECT_EQ(p.m_nMapY, 6);
  EXPECT_EQ(p.m_nStartLives, 5);
  EXPECT_EQ(p.m_nLives, 4);
  g_SystemData.m_vUnlimitedLives[0] = 1;
  p.BeginNewGame();
  EXPECT_EQ(p.m_nStartLives, 999999);
  EXPECT_EQ(p.m_nLives, 999999);

  p.m_vStageFlags[3] = 1;
  p.m_nMapX = 0;
  p.StartNextRound();
  EXPECT_EQ(p.m_nLap, 1);
  EXPECT_EQ(p.m_vStageFlags, cSafeVector<int32_t>(1000, 0));
  EXPECT_EQ(p.m_nMapX, 4);
  p.m_nTotalScore = p.m_nTotalTime = p.m_nTotalPlayTime = p.m_nTotalHp = p.m_nTotalSp = p.m_nClearTotal = 9;
  p.ClearTotals();
  EXPECT_EQ(p.m_nTotalScore + p.m_nTotalTime + p.m_nTotalPlayTime + p.m_nTotalHp + p.m_nTotalSp, 0);
  EXPECT_EQ(p.m_nClearTotal, 9);
}

}  // namespace
