// Stage set-up and progression: the damage schedule, the grid, the hero and the placements as
// SetStage builds them, the music rules, lives, the totals with their extra lives and the
// restart after the hero's death.
#include <gtest/gtest.h>

#include "engine/map_grid.h"
#include "engine/pause_thread.h"
#include "fixture/fixture.h"
#include "play_scene_kit.h"
#include "project/replay.h"
#include "project/shell_state.h"
#include "project/stage_load.h"
#include "temp_dir.h"

namespace {

using playscene::PlaySceneTest;

TEST(HitSchedule, PassesSpreadEvenlyOverTheSubSteps) {
  struct Case {
    int k, m;
    std::vector<int32_t> expected;
  };
  const Case cases[] = {
      {3, 2, {1, 1, 0}},                       // step 1.5: entries 0 and 1
      {2, 3, {1, 1}},                          // step 0.667: entries 0, 0, 1
      {10, 3, {1, 0, 0, 1, 0, 0, 1, 0, 0, 0}}, // step 3.333: 0, 3.33, 6.67
      {7, 5, {1, 1, 1, 0, 1, 1, 0}},           // step 1.4: 0, 1.4, 2.8, 4.2, 5.6
      {4, 0, {1, 1, 1, 1}},                    // no setting: every sub-step
      {4, 1, {1, 0, 0, 0}},
      {0, 0, {1}},                             // at least one sub-step
      {3, -2, {1, 1, 1}},                      // a negative count counts as none
      {3, 9, {1, 1, 1}},                       // never more passes than sub-steps
  };
  for (const Case& c : cases) {
    cSafeVector<int32_t> s = cPlayScene::BuildHitSchedule(c.k, c.m);
    EXPECT_EQ(std::vector<int32_t>(s.begin(), s.end()), c.expected) << "k=" << c.k << " m=" << c.m;
  }
}

cStage HeroStage(int width, int height, int heroX, int heroY) {
  cStage s = fixture::Stage(width, height);
  fixture::Place(s, fixture::Block(1), 0, height - 1);
  fixture::Place(s, fixture::Hero(2), heroX, heroY);
  fixture::EncloseGrid(s);
  return s;
}

TEST(StageSetUp, GridScrollsHeroAndIdsFollowTheStage) {
  struct Case {
    int width, height, heroX, heroY;
    int shift, pitch;
  };
  // Row shift: the bits of width + 19; the grid is (height + 20) rows of the pitch.
  const Case cases[] = {{30, 15, 2, 13, 6, 64}, {12, 12, 5, 3, 5, 32}, {13, 40, 0, 0, 6, 64}};
  for (const Case& c : cases) {
    PlaySceneTest t(HeroStage(c.width, c.height, c.heroX, c.heroY));
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    EXPECT_EQ(t.Scene().m_ScrollX.m_nShift, c.shift);
    EXPECT_EQ(t.Scene().m_ScrollX.m_nPitch, c.pitch);
    EXPECT_EQ(g_MapGrid.size(), static_cast<size_t>((c.height + 20) * c.pitch));
    ASSERT_EQ(g_vPlayer.size(), 1u);
    const cPlayer& hero = g_vPlayer[0];
    EXPECT_EQ(hero.m_nId, 0);
    // A 16 × 24 body standing on the bottom of its cell, centred: graphic offset (8, 8).
    EXPECT_EQ(hero.m_dX, (c.heroX + 10) * 32 + 8 + 0.5);
    EXPECT_EQ(hero.m_dY, (c.heroY + 10) * 32 + 8);
    EXPECT_EQ(t.Scene().m_nNextId, 1);
    EXPECT_EQ(t.Scene().m_vHitSchedule.size(), 10u) << "speed level 10: 10 sub-steps";
    EXPECT_EQ(t.Scene().m_vDrawList[1].size(), 1u) << "the hero in the list of its layer";
  }
}

TEST(StageSetUp, TheCameraStartsOnTheMiddleOfTheHerosBodyAndStaysThereInPlay) {
  struct Case {
    int width, height, heroX, heroY;
    int bodyW, bodyH;
    double scrollX, scrollY;
  };
  // The body's corner is ((x + 10) × 32 + (32 - w) / 2 + 0.5, (y + 10) × 32 + 32 - h); the
  // camera stands at corner - (320, 240) + (w / 2, h / 2), held to the axes' limits: from 320
  // to (cells - 10) × 32 less the view, cells being the stage's size + 20.
  const Case cases[] = {
      // 1608.5 - 320 + 8 = 1296.5, 968 - 240 + 12 = 740.
      {60, 40, 40, 20, 16, 24, 1296.5, 740},
      // A body of 21 × 31: corner (1600 + 5 + 0.5, 960 + 1); halves 10 and 15.
      {60, 40, 40, 20, 21, 31, 1295.5, 736},
      // Near the top-left: 392.5 - 312 and 424 - 228 are below 320: held at 320.
      {60, 40, 2, 3, 16, 24, 320, 320},
      // Near the bottom-right: held at 2240 - 640 and 1600 - 480.
      {60, 40, 58, 38, 16, 24, 1600, 1120},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "hero (" << c.heroX << ", " << c.heroY << ") body " << c.bodyW << " x "
                                    << c.bodyH);
    cStage s = HeroStage(c.width, c.height, c.heroX, c.heroY);
    s.m_nHeroW = c.bodyW;
    s.m_nHeroH = c.bodyH;
    s.m_nSpeedLevel = 1;
    s.m_bShowStartBanner = 0;
    s.m_bShowStageBanner = 0;
    fixture::Fill(s, fixture::Block(1), c.heroX - 1, c.heroY + 1, c.heroX + 1, c.heroY + 1);
    PlaySceneTest t(s);
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    EXPECT_EQ(t.Scene().m_ScrollX.m_dPos, c.scrollX);
    EXPECT_EQ(t.Scene().m_ScrollY.m_dPos, c.scrollY);
    // The hero stands on its block: the first frames of play leave the camera where it is, but
    // for the fraction of a dot the standing body sinks into its cell's last row each frame.
    t.Scene().m_nState = 2;
    t.Frames(3);
    EXPECT_EQ(t.Scene().m_ScrollX.m_dPos, c.scrollX);
    EXPECT_GE(t.Scene().m_ScrollY.m_dPos, c.scrollY);
    EXPECT_LT(t.Scene().m_ScrollY.m_dPos, c.scrollY + 1);
  }
}

TEST(StageSetUp, APlacementOutsideTheStageUsesNoIdAndACarriedItemIsNotPlacedAlone) {
  cStage s = HeroStage(20, 15, 1, 13);
  cCharaData far = fixture::Chara(3);
  far.m_sGroupX0 = -2000;  // the member lies left of the whole field
  fixture::Place(s, far, 0, 5);
  fixture::Place(s, fixture::Item(4), 6, 13);
  fixture::Place(s, fixture::Item(5), 7, 13);
  fixture::Place(s, fixture::Chara(3), 4, 13, 1);  // carries the second item
  PlaySceneTest t(s);
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  ASSERT_EQ(g_lChara.Count(), 1u);
  cStageChara* carrier = g_lChara.Find([](cStageChara&) { return true; });
  EXPECT_EQ(carrier->m_nId, 1) << "the discarded member used no id";
  ASSERT_NE(carrier->GetDropItem(), nullptr);
  EXPECT_EQ(carrier->GetDropItem()->m_nId, 0) << "drop items count from their own counter";
  EXPECT_EQ(carrier->GetDropItem()->m_Data.m_wGraphic, 5);
  ASSERT_EQ(g_lItem.Count(), 1u);
  EXPECT_EQ(g_lItem.Find([](cItem&) { return true; })->m_Data.m_wGraphic, 4);
  EXPECT_EQ(g_lItem.Find([](cItem&) { return true; })->m_nId, 2);
  EXPECT_EQ(t.Scene().m_nNextId, 3);
}

TEST(StageSetUp, SpeedLevelTwentyRunsTwentySubStepsAndHostileLevelsAreHeld) {
  cStage s = HeroStage(20, 15, 1, 13);
  s.m_nSpeedLevel = 20;
  {
    PlaySceneTest t(s);
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    EXPECT_EQ(g_StageData.m_nSubSteps, 20);
    EXPECT_EQ(g_StageData.m_dSpeedLimit, 120.0);
    EXPECT_EQ(t.Scene().m_vHitSchedule.size(), 20u);
  }
  s.m_nSpeedLevel = 101;
  PlaySceneTest t(s);
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  EXPECT_EQ(g_StageData.m_nSubSteps, 100);
}

TEST(StageSetUp, ARestartClearsTheScreenEffectAndTheScreenColour) {
  PlaySceneTest t(HeroStage(20, 15, 1, 13));
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  t.Scene().m_ScrEffect.m_nMode = 3;
  t.Scene().m_ScreenColor.m_bActive = 1;
  t.Scene().m_ScreenColor.m_nIntensity = 50;
  t.Scene().m_ScreenColor.m_nPrevAlpha = 0;
  ASSERT_EQ(t.Scene().SetStage(1, 0), 1);
  EXPECT_EQ(t.Scene().m_ScrEffect.m_nMode, 0);
  EXPECT_EQ(t.Scene().m_ScreenColor.m_bActive, 0);
  EXPECT_EQ(t.Scene().m_ScreenColor.m_nIntensity, 0);
  // The brightness of the untinted frame.
  EXPECT_EQ(t.Scene().m_ScreenColor.m_nPrevAlpha, 255);
}

// A restart numbers objects and shots from 0 again, as the fresh scene of a replay of that
// attempt does.
TEST(StageSetUp, ARestartStartsTheIdCountersAgain) {
  PlaySceneTest t(HeroStage(20, 15, 1, 13));
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  t.Scene().m_nNextShotId = 7;
  t.Scene().m_nNextDropId = 5;
  ASSERT_EQ(t.Scene().SetStage(1, 0), 1);
  EXPECT_EQ(t.Scene().m_nNextShotId, 0);
  EXPECT_EQ(t.Scene().m_nNextDropId, 0);
  // The hero took id 0.
  EXPECT_EQ(t.Scene().m_nNextId, 1);
}

int g_rankingLoads = 0;
int RankingsAreOn() { return 1; }
void CountRankingLoad() { ++g_rankingLoads; }

// Entering play from another screen: the stage's common-variable condition is set (not while a
// replay plays, and never outside the bank), the messages go, and the ranking file is loaded
// when the mode has rankings.
TEST(StageSetUp, EnteringPlaySetsTheConditionVariableAndLoadsTheRankings) {
  PlaySceneTest t(HeroStage(20, 15, 1, 13));
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  const cPauseLink saved = g_PauseLink;
  const int playMode = g_nPlayMode;
  g_PauseLink.lpfnLoadRankings = &CountRankingLoad;
  cSaveData& p = g_SaveData;
  p.m_vCommonVar.assign(1001, 0);
  const struct {
    int cond, var, mode, rankings, setVar, loads;
  } rows[] = {
      {1, 7, 0, 1, 7, 1},
      {0, 7, 0, 0, -1, 0},
      {1, 7, PLAYMODE_REPLAY, 0, -1, 0},
      {1, 1000, 0, 0, 1000, 0},
      {1, 1001, 0, 0, -1, 0},
      {1, -1, 0, 0, -1, 0},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(testing::Message() << "cond " << r.cond << " var " << r.var << " mode " << r.mode);
    p.m_vCommonVar.assign(1001, 0);
    p.m_bStageCond = r.cond;
    p.m_nCondVar = r.var;
    p.m_nCondValue = 42;
    g_nPlayMode = r.mode;
    g_PauseLink.lpfnRankingsOn = r.rankings ? &RankingsAreOn : nullptr;
    g_rankingLoads = 0;
    t.Scene().m_lMessage.emplace_back();
    t.Scene().ResetPlayCounters();
    for (int i = 0; i < 1001; ++i) EXPECT_EQ(p.m_vCommonVar[static_cast<size_t>(i)], i == r.setVar ? 42 : 0) << i;
    EXPECT_EQ(g_rankingLoads, r.loads);
    EXPECT_TRUE(t.Scene().m_lMessage.empty());
  }
  g_PauseLink = saved;
  g_nPlayMode = playMode;
  p.m_bStageCond = 0;
}

int g_cursorResets = 0;
void CountCursorReset() { ++g_cursorResets; }

TEST(StageSetUp, AStartEmptiesTheMessagesAndPutsTheLayersTheCursorAndTheHeroBack) {
  for (int flying : {0, 1}) {
    SCOPED_TRACE(flying);
    cStage s = HeroStage(20, 15, 1, 13);
    s.m_vPlacedChara[static_cast<size_t>(s.FindPlayer())].m_byFlying = static_cast<uint8_t>(flying);
    PlaySceneTest t(s);
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    t.Scene().m_lMessage.emplace_back();
    t.Scene().m_lMessage.emplace_back();
    ASSERT_FALSE(g_StageData.m_vBg.empty());
    for (cBgData& bg : g_StageData.m_vBg) {
      bg.m_dOffsetX = 17.5;
      bg.m_dOffsetY = -3;
    }
    const cPlayShellLink saved = g_PlayShellLink;
    g_PlayShellLink.lpfnResetCursor = &CountCursorReset;
    g_cursorResets = 0;
    const int ok = t.Scene().SetStage(0, 1);
    g_PlayShellLink = saved;
    ASSERT_EQ(ok, 1);
    EXPECT_TRUE(t.Scene().m_lMessage.empty());
    for (const cBgData& bg : g_StageData.m_vBg) {
      EXPECT_EQ(bg.m_dOffsetX, 0);
      EXPECT_EQ(bg.m_dOffsetY, 0);
    }
    EXPECT_EQ(g_cursorResets, 1);
    // The hero shows animation 2 when it is free of gravity, else 0, from the first drawn frame.
    EXPECT_EQ(g_vPlayer[0].m_bFree, flying);
    EXPECT_EQ(g_vPlayer[0].m_Anime.Anime(), flying ? 2 : 0);
  }
}

TEST(StageSetUp, AStageWithoutAHeroStopsTheScene) {
  cStage s = fixture::Stage(20, 15);
  fixture::Place(s, fixture::Chara(3), 2, 2);
  PlaySceneTest t(s);
  playkit::WindowRequestRecorder window;
  EXPECT_EQ(t.Scene().SetStage(0, 1), 0);
  EXPECT_EQ(t.Scene().m_bInitFailed, 1);
  t.Frames(3);
  EXPECT_EQ(t.Scene().m_nState, -1) << "nothing runs after a failed set-up";
}

TEST(StageSetUp, MusicIsKeptOrRestartedByTheStageRules) {
  struct Case {
    int bFirst, keep, playing, bgm;
    int requests;  // music requests sent
  };
  const Case cases[] = {
      {1, 1, 3, 3, 0},  // a start that keeps the same music
      {1, 1, 0, 0, 1},  // keeping silence asks for silence
      {1, 1, 2, 3, 1},  // other music playing
      {1, 0, 3, 3, 1},  // not kept: restarted
      {0, 0, 3, 3, 0},  // a restart with the same music
      {0, 0, 2, 3, 1},  // a restart with other music playing
  };
  for (const Case& c : cases) {
    cStage s = HeroStage(20, 15, 1, 13);
    s.m_bKeepBgm = c.keep;
    s.m_nBgm = c.bgm;
    PlaySceneTest t(s);
    playkit::WindowRequestRecorder window;
    g_SaveData.m_nBgmPlaying = c.playing;
    ASSERT_EQ(t.Scene().SetStage(0, c.bFirst), 1);
    int music = 0;
    for (const auto& r : window.requests) {
      if (r.msg != WM_USER + 6) continue;
      ++music;
      EXPECT_EQ(r.wParam, 4u);
      EXPECT_EQ(r.lParam, c.bgm);
    }
    EXPECT_EQ(music, c.requests) << "first=" << c.bFirst << " keep=" << c.keep << " playing=" << c.playing;
  }
}

TEST(Lives, ConsumeLifeByTheLivesLeft) {
  struct Case {
    int freePlay, lives, result, after;
  };
  const Case cases[] = {{1, 0, 1, 0}, {0, 999999, 1, 999999}, {0, 0, 0, 0}, {0, -1, 0, -1}, {0, 1, 1, 0}, {0, 3, 1, 2}};
  const int saved = g_bFreePlay;
  for (const Case& c : cases) {
    g_bFreePlay = c.freePlay;
    cSaveData p;
    p.m_nLives = c.lives;
    EXPECT_EQ(cPlayScene::ConsumeLife(p), c.result) << c.lives;
    EXPECT_EQ(p.m_nLives, c.after);
  }
  g_bFreePlay = saved;
}

// The frames the pause loop presents, each with the number of extra-life pop-ups over the hero
// (id 0) then in the scene's list.
std::vector<int> g_popupFrames;
void CountPopups() {
  int n = 0;
  for (const cMessageWindow& w : g_lpPlayScene->m_lMessage)
    if (w.m_nWindowKind == MESSAGE_EXTRA_LIFE && w.m_nAnchorId == 0 && w.m_nDisplayMode == MESSAGE_TIMED) ++n;
  g_popupFrames.push_back(n);
}

TEST(Lives, EachCrossingOfTheExtraLifeStepGivesALifeUpTo99AndItsPopUp) {
  struct Case {
    int lives, total, score;
    int livesAfter, crossings;
  };
  // Step 1000: 1500 + 1600 = 3100 crosses 2000 and 3000.
  const Case cases[] = {{3, 1500, 1600, 5, 2}, {98, 1500, 1600, 99, 2}, {99, 1500, 1600, 99, 2},
                        {999999, 1500, 1600, 999999, 0}, {3, 1500, 499, 3, 0}, {3, 1500, 500, 4, 1}};
  const cPauseLink saved = g_PauseLink;
  for (const Case& c : cases) {
    PlaySceneTest t(HeroStage(20, 15, 1, 13));
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    ASSERT_EQ(g_vPlayer[0].m_nId, 0);
    g_SystemData.m_bExtraLife = 1;
    g_SystemData.m_nExtraLifeScore = 1000;
    g_SaveData.m_nLives = c.lives;
    g_SaveData.m_nTotalScore = c.total;
    g_SaveData.m_nStageScore = c.score;
    g_popupFrames.clear();
    g_PauseLink.lpfnPresentFrame = &CountPopups;
    playkit::WindowRequestRecorder window;
    t.Scene().AddTotalScore();
    g_PauseLink = saved;
    EXPECT_EQ(g_SaveData.m_nTotalScore, c.total + c.score);
    EXPECT_EQ(g_SaveData.m_nLives, c.livesAfter) << c.lives << " " << c.score;
    int extra = 0;
    for (int se : window.Sounds()) extra += se == 15;
    EXPECT_EQ(extra, c.crossings);
    // Each crossing holds the game for 30 drawn frames with one pop-up, one after the other;
    // none is left afterwards.
    EXPECT_EQ(g_popupFrames, std::vector<int>(static_cast<size_t>(30 * c.crossings), 1));
    EXPECT_TRUE(t.Scene().m_lMessage.empty());
  }
}

TEST(Lives, AClosedWindowStopsTheExtraLivesAfterTheFirst) {
  PlaySceneTest t(HeroStage(20, 15, 1, 13));
  ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
  g_SystemData.m_bExtraLife = 1;
  g_SystemData.m_nExtraLifeScore = 1000;
  g_SaveData.m_nLives = 3;
  g_SaveData.m_nTotalScore = 1500;
  g_SaveData.m_nStageScore = 1600;
  t.Scene().m_bQuit = 1;
  playkit::WindowRequestRecorder window;
  t.Scene().AddTotalScore();
  EXPECT_EQ(g_SaveData.m_nLives, 4);
  EXPECT_EQ(window.Sounds(), std::vector<int>({15}));
  EXPECT_TRUE(t.Scene().m_lMessage.empty());
}

TEST(Lives, TheRestartAfterADeathTakesALifeOrEndsTheGame) {
  cStage s = HeroStage(20, 15, 1, 13);
  {
    PlaySceneTest t(s);
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    g_bFreePlay = 0;
    g_nGameMode = GAMEMODE_CHALLENGE;
    g_SaveData.m_nLives = 2;
    g_SaveData.MarkStageStart();
    t.Scene().m_nState = 2;
    t.Scene().RestartAfterDeath();
    EXPECT_EQ(t.Scene().m_nState, 1);
    EXPECT_EQ(g_SaveData.m_nLives, 1);
    EXPECT_EQ(g_vPlayer[0].m_bDead, 0) << "a fresh hero";
  }
  {
    PlaySceneTest t(s);
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    g_bFreePlay = 0;
    g_SaveData.m_nLives = 0;
    t.Scene().RestartAfterDeath();
    EXPECT_EQ(t.Scene().m_nState, 6) << "game over";
  }
}

TEST(NextStage, AFreeStageSeriesGoesOnToTheNextFileOrBackToTheTitle) {
  TempDir dir;
  fixture::Project project(dir.path());
  cStage next = HeroStage(22, 15, 3, 13);
  ASSERT_TRUE(project.WriteStage(next, "x-2", 4));
  ScopedChdir in(dir.path());
  struct Case {
    int freePlay, series, nextStage;
    int result, stageNumber;
  };
  const Case cases[] = {
      {0, 1, 2, 4, 2},  // the next file of the series exists
      {0, 1, 3, 0, 1},  // it does not: the title menu, the number put back
      {0, 1, 0, 0, 1},  // no next stage asked
      {1, 1, 2, 4, 1},  // a stage file played on its own plays again
      {0, 0, 2, 4, 1},  // not a series: the same stage again
  };
  for (const Case& c : cases) {
    PlaySceneTest t(HeroStage(20, 15, 1, 13));
    ASSERT_EQ(t.Scene().SetStage(0, 1), 1);
    g_bFreePlay = c.freePlay;
    // As the stage's start keeps it: the series base name ends in the "." put for "-1".
    g_SaveData.SetCurrentStage(c.series ? "data\\stg4\\x-1.stg4_004" : "data\\stg4\\x.stg4_004", 0, 0, 0);
    ASSERT_EQ(g_SaveData.m_bSeries, c.series);
    g_SaveData.m_nStageNumber = 1;
    t.Scene().m_nNextStage = c.nextStage;
    g_StageInit.m_nWidth = 0;
    EXPECT_EQ(t.Scene().GoNextStage(), c.result) << c.freePlay << c.series << c.nextStage;
    EXPECT_EQ(g_SaveData.m_nStageNumber, c.stageNumber);
    EXPECT_EQ(t.Scene().HasNoNextStage(2), c.series && c.nextStage != 0 ? 0 : 1) << "stage 2 exists";
    if (c.result == 4 && c.stageNumber == 2) EXPECT_EQ(g_StageInit.m_nWidth, 22) << "the next stage is loaded";
  }
}

}  // namespace
