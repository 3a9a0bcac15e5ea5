// "ステージクリア": the next stage by each mode, the world-map position with its clamps, and the
// next stage's start position with the facing taken from the hero at the clear.
#include <gtest/gtest.h>

#include "defs/chara_data.h"
#include "engine/play_scene.h"
#include "fixture/fixture.h"
#include "play_kit.h"
#include "project/save_data.h"
#include "project/world_map.h"
#include "script/cmd_flow_op.h"
#include "script_kit.h"
#include "temp_dir.h"

namespace {

class StageClear : public ::testing::Test {
 protected:
  void SetUp() override {
    savedMap_ = g_WorldMap;
    g_WorldMap.m_nWidth = 20;
    g_WorldMap.m_nHeight = 15;
    world_.AddHero(fixture::Hero(), 2, 2);
    g_SaveData.m_nStageNumber = 4;
    world_.scene.m_nNextStage = -7;
    world_.scene.m_strNextStage = "old";
  }
  void TearDown() override { g_WorldMap = savedMap_; }

  // A clear command: mode, stage number, then the world-map and start-position values.
  static cFlowCmd Clear(int mode, int number = 0, const std::string& path = "") {
    cFlowCmd cmd = scriptkit::Cmd(CMD_STAGE_CLEAR, 0);
    cmd.m_vParam.assign(9, 0);
    cmd.m_vParam[0] = mode;
    cmd.m_vParam[1] = number;
    cmd.m_strText = path;
    return cmd;
  }
  int Run(cFlowCmd& cmd) { return CmdStageClear(world_.Hero(), cmd); }

  CoreTestEnv env_;
  playkit::PlayWorld world_{fixture::Stage(20, 15)};
  cWorldMap savedMap_;
};

TEST_F(StageClear, NextStageByMode) {
  struct Case {
    int mode;
    int number;
    const char* path;
    int next;
    const char* nextPath;
  };
  const Case cases[] = {
      {0, 9, "x.stg4", 5, ""},                 // the next number
      {1, 9, "x.stg4", 9, ""},                 // the number given
      {2, 9, "stages\\b.c\\last.stg4", 4, "stages\\b.c\\last."},  // a dot in a folder stays
      {2, 0, "stages\\b.c\\last", 4, "stages\\b.c\\last."},       // no extension to cut
      {3, 9, "x.stg4", 0, ""},                 // world clear
  };
  for (const Case& c : cases) {
    cFlowCmd cmd = Clear(c.mode, c.number, c.path);
    EXPECT_EQ(Run(cmd), 1) << c.mode;
    EXPECT_EQ(world_.scene.m_nNextStage, c.next) << c.mode << " " << c.path;
    EXPECT_EQ(world_.scene.m_strNextStage, c.nextPath) << c.mode << " " << c.path;
    EXPECT_EQ(cmd.m_strText, c.path);
  }
  EXPECT_TRUE(env_.Boxes().empty());
}

TEST_F(StageClear, PathClearTickedTwiceCutsOnlyOnce) {
  cFlowCmd cmd = Clear(2, 0, "a.b.stg4");
  Run(cmd);
  Run(cmd);
  EXPECT_EQ(world_.scene.m_strNextStage, "a.b.");
}

TEST_F(StageClear, APathClearLeadsToTheNewestFileOfThatStage) {
  // Stage files are stored numbered: "next.stg4_000", "next.stg4_003".
  fixture::Project project(env_.dir().path());
  cStage next = fixture::Stage(20, 15);
  ASSERT_TRUE(project.WriteStage(next, "next", 0));
  ASSERT_TRUE(project.WriteStage(next, "next", 3));
  ScopedChdir in(env_.dir().path());
  g_SaveData.m_bSeries = 1;
  const char* paths[] = {"data\\stg4\\next.stg4", "data\\stg4\\next", "data\\stg4\\next.stg4_000"};
  for (const char* path : paths) {
    cFlowCmd cmd = Clear(2, 0, path);
    Run(cmd);
    std::string name;
    EXPECT_EQ(world_.scene.MakeResFileName(name, world_.scene.m_nNextStage), 1) << path;
    EXPECT_EQ(name, "data\\stg4\\next.stg4_003") << path;
  }
  // A path to no stage file finds none.
  cFlowCmd none = Clear(2, 0, "data\\stg4\\other.stg4");
  Run(none);
  std::string name = "x";
  EXPECT_EQ(world_.scene.MakeResFileName(name, world_.scene.m_nNextStage), 0);
  EXPECT_EQ(name, "");
}

TEST_F(StageClear, PathClearWithoutAPathReportsAndKeepsTheStage) {
  cFlowCmd cmd = Clear(2, 9, "");
  EXPECT_EQ(Run(cmd), 1);
  EXPECT_EQ(world_.scene.m_nNextStage, 4);
  EXPECT_EQ(world_.scene.m_strNextStage, "");
  ASSERT_EQ(env_.Boxes().size(), 1u);
}

TEST_F(StageClear, UnknownModeChangesNoNextStage) {
  cFlowCmd cmd = Clear(4, 9);
  EXPECT_EQ(Run(cmd), 1);
  EXPECT_EQ(world_.scene.m_nNextStage, -7);
  EXPECT_EQ(world_.scene.m_strNextStage, "old");
}

TEST_F(StageClear, WorldMapPositionIsClampedInsideTheMap) {
  struct Case {
    int x, y, wantX, wantY;
  };
  // The map is 20 × 15.
  const Case cases[] = {{18, 13, 18, 13}, {19, 14, 19, 14}, {20, 15, 19, 14}, {0, 0, 0, 0}, {-1, -5, 0, 0}};
  for (const Case& c : cases) {
    g_SaveData.m_nMapState = 3;
    cFlowCmd cmd = Clear(0);
    cmd.m_vParam[2] = 1;
    cmd.m_vParam[3] = c.x;
    cmd.m_vParam[4] = c.y;
    Run(cmd);
    EXPECT_EQ(g_SaveData.m_nMapX, c.wantX) << c.x;
    EXPECT_EQ(g_SaveData.m_nMapY, c.wantY) << c.y;
    EXPECT_EQ(g_SaveData.m_nMapState, 0);
  }
  // Without the flag the position stays.
  g_SaveData.m_nMapState = 3;
  cFlowCmd cmd = Clear(0);
  cmd.m_vParam[3] = 5;
  Run(cmd);
  EXPECT_EQ(g_SaveData.m_nMapX, 0);
  EXPECT_EQ(g_SaveData.m_nMapState, 3);
}

TEST_F(StageClear, StartPositionOverride) {
  for (int heroDir : {0, 1}) {
    world_.Hero().m_nDir = heroDir;
    for (int facing : {0, 1, 2}) {
      cFlowCmd cmd = Clear(0);
      cmd.m_vParam[5] = 1;
      cmd.m_vParam[6] = 7;
      cmd.m_vParam[7] = 3;
      cmd.m_vParam[8] = facing;
      Run(cmd);
      EXPECT_EQ(g_SaveData.m_bRestart, 1);
      EXPECT_EQ(g_SaveData.m_nRestartX, 7);
      EXPECT_EQ(g_SaveData.m_nRestartY, 3);
      EXPECT_EQ(g_SaveData.m_nRestartDir, facing == 2 ? heroDir : facing) << heroDir << " " << facing;
    }
  }
  cFlowCmd cmd = Clear(0);
  Run(cmd);
  EXPECT_EQ(g_SaveData.m_bRestart, 0);
  EXPECT_EQ(g_SaveData.m_nRestartX, 7);
}

TEST_F(StageClear, TheCommandTableStoresTheResult) {
  cFlowCmd cmd = Clear(3);
  cCmdState state;
  state.m_pCmd = &cmd;
  world_.scene.m_nStageResult = 0;
  RunCmdStageClear(world_.Hero(), state);
  EXPECT_EQ(world_.scene.m_nStageResult, 1);
  EXPECT_EQ(world_.scene.m_nNextStage, 0);
}

}  // namespace
