#include "project/stage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "defs/defs_fixture.h"
#include "defs/record_bytes.h"
#include "defs/vocabulary.h"
#include "fixture/fixture.h"
#include "project/common_palette.h"
#include "stage_bytes.h"
#include "support/bytes.h"
#include "support/layout_gates.h"

namespace {

int32_t I32At(const std::string& bytes, size_t pos) {
  int32_t v = 0;
  std::memcpy(&v, bytes.data() + pos, 4);
  return v;
}

double F64At(const std::string& bytes, size_t pos) {
  double v = 0;
  std::memcpy(&v, bytes.data() + pos, 8);
  return v;
}

class StageTest : public DefsTest {
 protected:
  void SetUp() override {
    DefsTest::SetUp();
    for (int& n : g_DefContext.anDbListSize) n = 10;
    common.SetDefContext();
    g_StageData.SetDefContext();
  }
  void TearDown() override {
    g_StageData = cStage();
    DefsTest::TearDown();
  }

  // Reads a hand-built stage into the record; the bytes left unread, -1 when the stream failed.
  long long LoadBytes(cStage& stage, const StageBytes& b) { return Load(stage, b.version, b.Body()); }
  // The stage written as a file (with its data version).
  std::string SaveBytes(cStage& stage) { return ByteWriter().I32(DATA_VERSION).Bytes(Save(stage)).str(); }

  cCommonPalette common;
};

TEST_F(StageTest, FileOfTheCurrentVersionHasTheSettingsAtTheirOffsets) {
  cStage stage = fixture::Stage(30, 20);
  stage.m_strText = "memo";
  stage.m_dGravity = 0.5;
  stage.m_nSpeedLevel = 15;
  stage.m_nCharaContactPause = 7;
  const std::string f = SaveBytes(stage);
  EXPECT_EQ(I32At(f, 0), 790);
  EXPECT_EQ(I32At(f, 4), 98);
  EXPECT_EQ(I32At(f, 8), 30) << "width";
  EXPECT_EQ(I32At(f, 20), 20) << "height";
  EXPECT_EQ(F64At(f, 88), 0.5) << "gravity";
  EXPECT_EQ(I32At(f, 96), 15) << "speed level";
  EXPECT_EQ(I32At(f, 356), 5) << "sub-steps derived from the level";
  EXPECT_EQ(F64At(f, 392), 12.0) << "speed limit per sub-step";
  EXPECT_EQ(I32At(f, 420), 7) << "the last setting";
  EXPECT_EQ(I32At(f, 424), 1) << "string count";
  EXPECT_EQ(I32At(f, 428), 5) << "text length with its zero";
  EXPECT_EQ(f.substr(432, 5), std::string("memo\0", 5));
  EXPECT_EQ(I32At(f, 437), 5) << "ranking count";
  EXPECT_EQ(I32At(f, f.size() - 4), STAGE_TRAILER);
  // The same stage built by hand, byte for byte from the ranking list on.
  StageBytes b;
  b.text = "memo";
  b.rules[3] = {1, 1, 1, 1, 0, 0, 0, 0};
  b.rules[4] = {1, 1, 1, 1, 10, 10, 10, 10};
  const size_t n = 4 + 5 * 4 + 5 * 40;
  EXPECT_EQ(Hex(f.substr(437, n)), Hex(b.File().substr(437, n)));
}

TEST_F(StageTest, EmptyPaletteListsAreSavedAsTwoDefaultEntries) {
  cStage stage = fixture::Stage(20, 15);
  stage.m_vBlock.clear();
  stage.m_vChara.clear();
  stage.m_vItem.clear();
  Save(stage);
  EXPECT_EQ(stage.m_vBlock.size(), 2u);
  EXPECT_EQ(stage.m_vChara.size(), 2u);
  EXPECT_EQ(stage.m_vItem.size(), 2u);
  cStage loaded;
  StageBytes b;
  EXPECT_EQ(LoadBytes(loaded, b), 0);
  EXPECT_EQ(loaded.m_vBlock.size(), 2u) << "a stored count of 0 loads as two default entries";
  EXPECT_EQ(loaded.m_vItem.size(), 2u);
}

TEST_F(StageTest, OlderVersionsReadTheirLayoutAndGetTheirFixUps) {
  struct Case {
    int version;
    std::function<void(StageBytes&)> build;
    std::function<void(const cStage&)> check;
  };
  const Case cases[] = {
      {60,
       [](StageBytes& b) {
         b.layers[0].fill = 0, b.layers[0].fillColor = 3, b.layers[0].depth = 1, b.layers[0].image = "bg.bmp";
       },
       [](const cStage& s) {
         ASSERT_EQ(s.m_vBg.size(), 1u);
         const cBgData& l = s.m_vBg[0];
         EXPECT_EQ(l.m_nFillColor, 3);
         EXPECT_EQ(l.m_nDepth, 1);
         EXPECT_EQ(l.m_strImage, "bg.bmp");
         EXPECT_EQ(l.m_dScrollX, 0.1) << "factors not stored before 61";
         EXPECT_EQ(l.m_bShow, 1) << "shown";
         EXPECT_EQ(s.m_vStr.size(), 1000u);
       }},
      {61, [](StageBytes& b) { b.layers[0].scrollX = 0.5, b.layers[0].autoY = 1, b.layers[0].image = "sky.bmp"; },
       [](const cStage& s) {
         EXPECT_EQ(s.m_vBg[0].m_dScrollX, 0.5);
         EXPECT_EQ(s.m_vBg[0].m_bAutoY, 1);
         EXPECT_EQ(s.m_vBg[0].m_dOffsetX, 0.0);
         EXPECT_EQ(s.m_vBg[0].m_strImage, "sky.bmp");
       }},
      {124,
       [](StageBytes& b) {
         b.rules[0] = {1, 0, 0, 0, 2, 3, 4, 5};
         b.rules[3] = {0, 0, 0, 0, 6, 6, 6, 6};
         b.settings[SET_HERO_CONTACT_W] = 20, b.settings[SET_HERO_CONTACT_H] = 30;
         b.settings[SET_CHARA_CONTACT_W] = 22;
       },
       [](const cStage& s) {
         EXPECT_EQ(s.m_RuleChara.m_bLeft, 1);
         EXPECT_EQ(s.m_RuleChara.m_nRight, 3);
         EXPECT_EQ(s.m_RuleChara.m_nBottom, 5);
         // Switches the file does not store keep the values of a cleared stage.
         EXPECT_EQ(s.m_RuleChara.m_bRight, 0);
         EXPECT_EQ(s.m_RuleHeroShot.m_bLeft, 0);
         EXPECT_EQ(s.m_RuleHeroShot.m_bRight, 1);
         EXPECT_EQ(s.m_RuleHeroShot.m_bBottom, 1);
         EXPECT_EQ(s.m_RuleHeroShot.m_nTop, 6);
         // Before 155 the flying contact boxes are the ground ones, aligned centred.
         EXPECT_EQ(s.m_nHeroFlyContactW, 20);
         EXPECT_EQ(s.m_nHeroFlyContactH, 30);
         EXPECT_EQ(s.m_nCharaFlyContactW, 22);
         EXPECT_EQ(s.m_bHeroContactBottom, 0);
         EXPECT_EQ(s.m_bCharaFlyContactBottom, 0);
         // Before 166 the music loops; before 181 ranking kinds 3 and 4 are off.
         EXPECT_EQ(s.m_bBgmLoop, 1);
         EXPECT_EQ(std::vector<int32_t>(s.m_vRanking.begin(), s.m_vRanking.end()),
                   (std::vector<int32_t>{1, 1, 1, 0, 0}));
       }},
      {172, [](StageBytes& b) { b.settings[SET_BGM_LOOP] = 0, b.ranking = {1, 0, 1}; },
       [](const cStage& s) {
         EXPECT_EQ(s.m_bBgmLoop, 0) << "stored from 166";
         EXPECT_EQ(std::vector<int32_t>(s.m_vRanking.begin(), s.m_vRanking.end()),
                   (std::vector<int32_t>{1, 0, 1, 0, 0}));
         // Before 200 the boxes get the values of that time; before 225 no start banner.
         EXPECT_EQ(s.m_nCharaH, 30);
         EXPECT_EQ(s.m_nBodyColor, 5);
         EXPECT_EQ(s.m_bCharaFlyBottom, 1);
         EXPECT_EQ(s.m_bShowStartBanner, 0);
         EXPECT_EQ(s.m_bShowHud, 1);
       }},
      {173, [](StageBytes& b) { b.trailer = 42; }, [](const cStage& s) { EXPECT_EQ(s.m_vStr.size(), 1000u); }},
      {754, [](StageBytes& b) { b.texts = {"a", "b"}, b.settings[SET_SHOW_START_BANNER] = 1; },
       [](const cStage& s) {
         ASSERT_EQ(s.m_vStr.size(), 2u) << "from 754 the list is as stored";
         EXPECT_EQ(s.m_vStr[1].m_strText, "b");
         EXPECT_EQ(s.m_bShowStartBanner, 1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    StageBytes b;
    b.version = c.version;
    c.build(b);
    // Loaded over a stage whose settings differ from a cleared one's: nothing of it remains.
    cStage s;
    s.m_RuleChara.Set(1, 1, 1, 1, 9, 9, 9, 9);
    s.m_RuleHeroShot.Set(0, 0, 0, 0, 9, 9, 9, 9);
    s.m_nBodyColor = 3, s.m_bBgmLoop = 0, s.m_nCharaH = 50;
    EXPECT_EQ(LoadBytes(s, b), 0) << "every byte read, the trailer only from 173 on";
    c.check(s);
  }
}

TEST_F(StageTest, SettingsOfEveryLayoutAreReadUpToTheLast) {
  // Each version where the layout changes, and the one before it.
  const std::vector<int> versions = LayoutGateVersions(
      [](int v) {
        StageBytes b;
        b.version = v;
        return b.Body();
      },
      50, DATA_VERSION);
  for (int v : versions) {
    SCOPED_TRACE(v);
    StageBytes b;
    b.version = v;
    b.settings[SET_WIDTH] = 33;
    b.settings[SET_HERO_CONTACT_W] = 21;
    b.settings[SET_CHARA_CONTACT_W] = 22;
    b.settings[SET_CHARA_CONTACT_PAUSE] = 17;
    b.text = "note";
    cStage s;
    ASSERT_EQ(LoadBytes(s, b), 0);
    cStage registered;
    registered.Register(v);
    EXPECT_EQ(registered.GetFieldCount(), StoredFieldCount(b.Body()));
    EXPECT_EQ(s.m_nWidth, 33);
    EXPECT_EQ(s.m_nHeroContactW, 21);
    EXPECT_EQ(s.m_nCharaContactW, 22);
    EXPECT_EQ(s.m_nCharaContactPause, 17);
    EXPECT_EQ(s.m_strText, "note");
  }
}

TEST_F(StageTest, SpeedLevelsDeriveSubStepsAndLimits) {
  struct Case {
    int level;
    int k;
    double limit;
    double limitStep;
  } cases[] = {{1, 1, 6, 6}, {10, 10, 60, 6}, {11, 1, 60, 60}, {15, 5, 60, 12}, {19, 9, 60, 60.0 / 9}, {20, 20, 120, 6}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    cStage s;
    s.m_dGravity = 0.5;
    s.SetSpeedLevel(c.level);
    EXPECT_EQ(s.m_nSpeedLevel, c.level);
    EXPECT_EQ(s.m_nSubSteps, c.k);
    EXPECT_EQ(s.m_dSubSteps, c.k);
    EXPECT_EQ(s.m_dSubSteps2, c.k * c.k);
    EXPECT_EQ(s.m_nSubSteps6, 6 * c.k);
    EXPECT_EQ(s.m_nAirborneSteps, 8 * c.k);
    EXPECT_EQ(s.m_dSpeedLimit, c.limit);
    EXPECT_EQ(s.m_dSpeedLimitStep, c.limitStep);
    EXPECT_EQ(s.m_dGravityStep, 0.5 / (c.k * c.k));
  }
  // Below 1 nothing runs, and nothing is divided by zero.
  cStage s;
  s.SetSpeedLevel(0);
  EXPECT_EQ(s.m_nSubSteps, 0);
  EXPECT_EQ(s.m_dGravityStep, 0.0);
  EXPECT_EQ(s.m_dSpeedLimitStep, 0.0);
}

TEST_F(StageTest, TheSpeedLevelsKeptAreTheLevelsOffered) {
  EXPECT_EQ(LabelCount(g_aszSpeedLevel), MAX_SPEED_LEVEL - MIN_SPEED_LEVEL + 1);
  EXPECT_EQ(LabelCount(g_aszHitChecks), 6) << "hit passes 0..5";
  EXPECT_EQ(LabelCount(g_aszBoxColor), 8) << "box colours 0..7";
}

TEST_F(StageTest, NormalizeDerivesTheSpeedOfTheRecordItNormalises) {
  g_StageData.SetSpeedLevel(10);
  cStage s;
  s.m_nSpeedLevel = 15;
  s.m_nSubSteps = 99;
  s.Normalize();
  EXPECT_EQ(s.m_nSubSteps, 5);
  EXPECT_EQ(s.m_dSpeedLimitStep, 12.0);
  EXPECT_EQ(g_StageData.m_nSpeedLevel, 10);
  EXPECT_EQ(g_StageData.m_nSubSteps, 10);
}

TEST_F(StageTest, NormalizeBoundsWhatSizesDividesOrIndexes) {
  g_DefContext.anDbListSize[DBLIST_BGM] = 4;
  struct Case {
    const char* what;
    std::function<void(cStage&)> set;
    std::function<void(const cStage&)> check;
  };
  const Case cases[] = {
      {"left limit", [](cStage& s) { s.m_nWidth = 30, s.m_nLimitLeft = 25, s.m_nLimitRight = 40; },
       [](const cStage& s) {
         EXPECT_EQ(s.m_nLimitLeft, 10);
         EXPECT_EQ(s.m_nLimitRight, 29);
       }},
      {"top limit", [](cStage& s) { s.m_nHeight = 10, s.m_nLimitTop = 3, s.m_nLimitBottom = -4; },
       [](const cStage& s) {
         EXPECT_EQ(s.m_nLimitTop, -5);
         EXPECT_EQ(s.m_nLimitBottom, -4);
       }},
      {"music", [](cStage& s) { s.m_nBgm = 4; }, [](const cStage& s) { EXPECT_EQ(s.m_nBgm, 0); }},
      {"last music", [](cStage& s) { s.m_nBgm = 3; }, [](const cStage& s) { EXPECT_EQ(s.m_nBgm, 3); }},
      {"negative music", [](cStage& s) { s.m_nBgm = -1; }, [](const cStage& s) { EXPECT_EQ(s.m_nBgm, 0); }},
      {"speed 0", [](cStage& s) { s.m_nSpeedLevel = 0; },
       [](const cStage& s) {
         EXPECT_EQ(s.m_nSpeedLevel, 1);
         EXPECT_EQ(s.m_nSubSteps, 1);
       }},
      {"speed 20", [](cStage& s) { s.m_nSpeedLevel = 20; },
       [](const cStage& s) {
         EXPECT_EQ(s.m_nSpeedLevel, 20);
         EXPECT_EQ(s.m_nSubSteps, 20);
         EXPECT_EQ(s.m_dSpeedLimit, 120.0);
       }},
      {"speed 100", [](cStage& s) { s.m_nSpeedLevel = 100; },
       [](const cStage& s) { EXPECT_EQ(s.m_nSubSteps, 100); }},
      {"speed 101", [](cStage& s) { s.m_nSpeedLevel = 101; },
       [](const cStage& s) {
         EXPECT_EQ(s.m_nSpeedLevel, 100);
         EXPECT_EQ(s.m_nSubSteps, 100);
       }},
      {"frame rate 0", [](cStage& s) { s.m_nFps = 0; }, [](const cStage& s) { EXPECT_EQ(s.m_nFps, 60); }},
      {"frame rate -5", [](cStage& s) { s.m_nFps = -5; }, [](const cStage& s) { EXPECT_EQ(s.m_nFps, 60); }},
      {"size 0 x -3", [](cStage& s) { s.m_nWidth = 0, s.m_nHeight = -3; },
       [](const cStage& s) {
         EXPECT_EQ(s.m_nWidth, 1);
         EXPECT_EQ(s.m_nHeight, 1);
       }},
      {"long stage", [](cStage& s) { s.m_nWidth = 2000, s.m_nHeight = 1500; },
       [](const cStage& s) {
         EXPECT_EQ(s.m_nWidth, 2000);
         EXPECT_EQ(s.m_nHeight, 1500);
       }},
      {"huge stage", [](cStage& s) { s.m_nWidth = 2000000, s.m_nHeight = 2000000; },
       [](const cStage& s) {
         EXPECT_EQ(s.m_nWidth, MAX_STAGE_SIDE);
         EXPECT_GE(s.m_nHeight, 1);
         EXPECT_LE(16384LL * (s.m_nHeight + 20), MAX_STAGE_GRID_CELLS) << "the play grid stays bounded";
       }},
      {"hit passes", [](cStage& s) { s.m_nHitChecks = 6; }, [](const cStage& s) { EXPECT_EQ(s.m_nHitChecks, 0); }},
      {"box colours", [](cStage& s) { s.m_nBodyColor = 8, s.m_nItemColor = -1, s.m_nContactColor = 7; },
       [](const cStage& s) {
         EXPECT_EQ(s.m_nBodyColor, 0);
         EXPECT_EQ(s.m_nItemColor, 0);
         EXPECT_EQ(s.m_nContactColor, 7);
       }},
      // Box sizes hold within ±2^20 dots (1,048,576): the value and its neighbour at both ends.
      {"box sizes",
       [](cStage& s) {
         s.m_nHeroW = 1048576, s.m_nHeroH = 1048577, s.m_nCharaW = -1048576, s.m_nCharaH = -1048577;
         s.m_nItemW = INT32_MAX, s.m_nCharaSwordH = INT32_MIN, s.m_nHeroShotHitW = 12;
       },
       [](const cStage& s) {
         EXPECT_EQ(s.m_nHeroW, 1048576);
         EXPECT_EQ(s.m_nHeroH, 1048576);
         EXPECT_EQ(s.m_nCharaW, -1048576);
         EXPECT_EQ(s.m_nCharaH, -1048576);
         EXPECT_EQ(s.m_nItemW, 1048576);
         EXPECT_EQ(s.m_nCharaSwordH, -1048576);
         EXPECT_EQ(s.m_nHeroShotHitW, 12);
       }},
      {"gravity not a number", [](cStage& s) { s.m_dGravity = std::nan(""); },
       [](const cStage& s) { EXPECT_EQ(s.m_dGravity, 0.4); }},
      {"gravity beyond every number", [](cStage& s) { s.m_dGravity = -HUGE_VAL; },
       [](const cStage& s) { EXPECT_EQ(s.m_dGravity, -HUGE_VAL); }},
      {"short ranking list", [](cStage& s) { s.m_vRanking.assign(2, 1); },
       [](const cStage& s) {
         EXPECT_EQ(std::vector<int32_t>(s.m_vRanking.begin(), s.m_vRanking.end()),
                   (std::vector<int32_t>{1, 1, 0, 0, 0}));
       }},
      {"carried items",
       [](cStage& s) {
         fixture::Place(s, fixture::Item(1), 0, 0);
         fixture::Place(s, fixture::Item(2), 1, 0);
         fixture::Place(s, fixture::Chara(1), 0, 0, 1);
         fixture::Place(s, fixture::Chara(1), 0, 0, 2);
         fixture::Place(s, fixture::Chara(1), 0, 0, -1);
         fixture::Place(s, fixture::Chara(1), 0, 0, -2);
       },
       [](const cStage& s) {
         EXPECT_EQ(static_cast<int32_t>(s.m_vPlacedChara[0].m_dwHeadExtra), 1);
         EXPECT_EQ(static_cast<int32_t>(s.m_vPlacedChara[1].m_dwHeadExtra), -1);
         EXPECT_EQ(static_cast<int32_t>(s.m_vPlacedChara[2].m_dwHeadExtra), -1);
         EXPECT_EQ(static_cast<int32_t>(s.m_vPlacedChara[3].m_dwHeadExtra), -1);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    cStage s = fixture::Stage(20, 15);
    c.set(s);
    s.Normalize();
    c.check(s);
  }
}

TEST_F(StageTest, PaletteEntryZeroIsTheFixedDefaultEntry) {
  StageBytes b;
  BlockBytes block;
  block.graphic = 5, block.hit = 2, block.exempt = 3, block.name = "x", block.flags = std::vector<uint8_t>(15, 1);
  CharaBytes chara;
  chara.graphic = 4, chara.control = 0, chara.maxHp = 99, chara.headExtra = 7, chara.name = "y";
  ItemBytes item;
  item.graphic = 3, item.takeRule = 0, item.takePopup = 1, item.zoom = 5;
  b.blocks = {block.Body(), BlockBytes().Body()};
  b.charas = {chara.Body(790), CharaBytes().Body(790)};
  b.items = {item.Body(), ItemBytes().Body()};
  cStage s;
  ASSERT_EQ(LoadBytes(s, b), 0);
  const cBlockData& b0 = s.m_vBlock[0];
  EXPECT_EQ(b0.m_wGraphic, 0);
  EXPECT_EQ(b0.m_byHit, 0) << "a block without a graphic has no collision";
  EXPECT_EQ(b0.m_cExemptLayer, -1);
  EXPECT_EQ(b0.m_strName, "");
  EXPECT_EQ(std::vector<uint8_t>(b0.m_vInheritFlags.begin(), b0.m_vInheritFlags.end()), std::vector<uint8_t>(11, 0));
  const cCharaData& c0 = s.m_vChara[0];
  EXPECT_EQ(c0.m_wGraphic, 0);
  EXPECT_EQ(c0.m_byControl, 1);
  EXPECT_EQ(c0.m_nMaxHp, 10);
  EXPECT_EQ(c0.m_dwHeadExtra, 0u);
  EXPECT_EQ(c0.m_strName, "");
  const cItemData& i0 = s.m_vItem[0];
  EXPECT_EQ(i0.m_wGraphic, 0);
  EXPECT_EQ(i0.m_byTakeRule, 1);
  EXPECT_EQ(i0.m_bTakePopup, 0);
  EXPECT_EQ(i0.m_byZoom, 1);
  EXPECT_EQ(i0.m_byZ, 6);
}

TEST_F(StageTest, StagePaletteInheritanceReadsTheStageBeingLoaded) {
  // The working stage's palette holds another entry 1.
  g_StageData.m_vChara.resize(3);
  g_StageData.m_vChara[1].m_strName = "working";
  StageBytes b;
  CharaBytes source, heir, forward, later, placed;
  source.name = "source", source.graphic = 9;
  heir.inheritKind = 2, heir.inheritIndex = 1, heir.flags[0] = 1;
  forward.inheritKind = 2, forward.inheritIndex = 4, forward.flags[0] = 1, forward.name = "own";
  later.name = "later";
  placed.inheritKind = 2, placed.inheritIndex = 1, placed.flags[0] = 1, placed.flags[9] = 1, placed.control = 0;
  b.charas = {CharaBytes().Body(790), source.Body(790), heir.Body(790), forward.Body(790), later.Body(790)};
  b.placedCharas = {placed.Body(790)};
  cStage s;
  ASSERT_EQ(LoadBytes(s, b), 0);
  EXPECT_EQ(s.m_vChara[2].m_strName, "source");
  EXPECT_EQ(s.m_vChara[3].m_strName, "") << "a later entry is still a default record when read from";
  EXPECT_EQ(s.m_vChara[3].m_byInheritKind, 2);
  EXPECT_EQ(s.m_vPlacedChara[0].m_strName, "source");
  EXPECT_EQ(s.m_vPlacedChara[0].m_wGraphic, 9);
  EXPECT_EQ(s.FindPlayer(), 0);
  // Afterwards the definitions see the working stage again.
  EXPECT_EQ(g_DefContext.chara.stage.Size(), 3);
}

TEST_F(StageTest, FindPlayerTakesTheFirstPlayerCharacterWithAGraphic) {
  struct Case {
    std::vector<std::pair<int, int>> charas;  // control, graphic
    int player;
  } cases[] = {
      {{}, -1},
      {{{0, 0}}, -1},
      {{{1, 5}}, -1},
      {{{1, 5}, {0, 0}, {0, 3}, {0, 4}}, 2},
  };
  for (const Case& c : cases) {
    cStage s;
    for (const auto& [control, graphic] : c.charas) {
      cCharaData ch = fixture::Chara(graphic);
      ch.m_byControl = static_cast<uint8_t>(control);
      fixture::Place(s, ch, 0, 0);
    }
    EXPECT_EQ(s.FindPlayer(), c.player) << c.charas.size();
    EXPECT_EQ(s.HasPlayer(), c.player >= 0);
  }
}

// A stage with something in every list.
cStage FullStage() {
  cStage s = fixture::Stage(40, 30);
  s.m_strText = "text";
  s.m_nSpeedLevel = 12;
  s.m_nBgm = 2;
  s.m_vRanking.assign(5, 0);
  s.m_vRanking[2] = 1;
  s.m_RuleItem.Set(1, 0, 1, 0, 3, 4, 5, 6);
  s.m_vBlock.push_back(fixture::Block(7));
  s.m_vBlock.back().m_strName = "wall";
  s.m_vChara.push_back(fixture::Chara(3));
  s.m_vItem.push_back(fixture::Item(2));
  s.m_vItem.back().m_strName = "coin";
  fixture::Place(s, s.m_vBlock[1], 2, 3);
  fixture::Place(s, fixture::Item(4), 6, 7);
  fixture::Place(s, fixture::Hero(1), 1, 28);
  fixture::Place(s, s.m_vChara[1], 10, 28, 0);
  s.m_vBg.resize(2);
  s.m_vBg[1].m_strImage = "sky.bmp";
  s.m_vBg[1].m_dScrollX = 0.25;
  s.m_vStr.resize(1000);
  s.m_vStr[999].m_strText = "last";
  return s;
}

TEST_F(StageTest, SavedStageLoadsBackToTheSameFile) {
  cStage s = FullStage();
  const std::string first = Save(s);
  cStage loaded;
  ASSERT_EQ(Load(loaded, DATA_VERSION, first), 0);
  EXPECT_EQ(loaded.m_nWidth, 40);
  EXPECT_EQ(loaded.m_nSubSteps, 2);
  EXPECT_EQ(loaded.m_vPlacedChara[1].m_wHeadA, 10);
  EXPECT_EQ(loaded.m_vPlacedChara[1].m_dwHeadExtra, 0u);
  EXPECT_EQ(loaded.m_vStr[999].m_strText, "last");
  EXPECT_EQ(loaded.m_RuleItem.m_nBottom, 6);
  EXPECT_EQ(Hex(Save(loaded)), Hex(first));
}

TEST_F(StageTest, ReplayImageTakesTheHeaderFromTheStageAsLoaded) {
  cStage working = FullStage();
  cStage header = fixture::Stage(50, 25);
  header.m_strText = "header";
  header.m_nSpeedLevel = 3;
  header.m_vRanking.assign(5, 1);
  header.m_vBg.resize(3);
  header.m_RuleChara.Set(1, 1, 0, 0, 1, 2, 3, 4);
  header.ClearObjectLists();
  const std::string image = WriteFile([&](FILE* fp) { working.SaveForReplay(fp, header); });
  cStage loaded;
  ASSERT_EQ(Load(loaded, DATA_VERSION, image), 0);
  EXPECT_EQ(loaded.m_nWidth, 50);
  EXPECT_EQ(loaded.m_strText, "header");
  EXPECT_EQ(loaded.m_nSubSteps, 3);
  EXPECT_EQ(loaded.m_vBg.size(), 3u);
  EXPECT_EQ(loaded.m_RuleChara.m_nBottom, 4);
  EXPECT_EQ(loaded.m_vStr.size(), 0u);
  ASSERT_EQ(loaded.m_vPlacedChara.size(), 2u) << "objects from the working stage";
  EXPECT_EQ(loaded.m_vBlock[1].m_strName, "wall");
  EXPECT_EQ(loaded.m_vItem[1].m_strName, "coin");
}

TEST_F(StageTest, HeaderCopyLeavesTheObjectListsOfTheDestination) {
  cStage src = FullStage();
  cStage dst;
  fixture::Place(dst, fixture::Hero(5), 0, 0);
  dst.CopyHeaderFrom(src);
  EXPECT_EQ(dst.m_nWidth, 40);
  EXPECT_EQ(dst.m_strText, "text");
  EXPECT_EQ(dst.m_vBg.size(), 2u);
  EXPECT_EQ(dst.m_vStr.size(), 1000u);
  EXPECT_EQ(dst.m_RuleItem.m_nTop, 5);
  EXPECT_EQ(dst.m_vRanking[2], 1);
  ASSERT_EQ(dst.m_vPlacedChara.size(), 1u);
  EXPECT_EQ(dst.m_vPlacedChara[0].m_wGraphic, 5);
  EXPECT_EQ(dst.m_vBlock.size(), 1u);
}

TEST_F(StageTest, ShortOrHostileFilesFailWithoutReadingPastThem) {
  StageBytes b;
  b.placedCharas = {CharaBytes().Body(790)};
  const std::string body = b.Body();
  for (size_t cut : {size_t{2}, size_t{430}, body.size() / 2, body.size() - 2}) {
    cStage s;
    EXPECT_EQ(Load(s, 790, body.substr(0, cut)), -1) << cut;
  }
  // A palette count the file cannot hold is refused before anything is made for it.
  StageBytes huge;
  std::string bytes = huge.Body();
  // The field count, the settings, the empty text, the ranking list and the removal rules.
  const size_t blockCount = 4 + 416 + 4 + 4 + 4 + 5 * 4 + 5 * 40;
  ASSERT_EQ(I32At(bytes, blockCount), 0);
  const int32_t many = 0x10000000;
  std::memcpy(&bytes[blockCount], &many, 4);
  cStage s;
  EXPECT_EQ(Load(s, 790, bytes), -1);
  EXPECT_LE(s.m_vBlock.size(), 2u);
}

}  // namespace
