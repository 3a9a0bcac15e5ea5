// The records of the game database: layouts, defaults and the repairs of old files.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "db_bytes.h"
#include "defs/defs_fixture.h"
#include "project/anime_set.h"
#include "project/bmp_chara_exc.h"
#include "project/effect_data.h"
#include "project/effect_kind_data.h"
#include "project/file_entry_data.h"
#include "project/sword_type.h"
#include "support/bytes.h"

namespace {

class DbRecordTest : public DefsTest {};

TEST_F(DbRecordTest, AnimationSetDefaultsAndLayout) {
  cAnimeSet set;
  EXPECT_EQ(set.m_nInvinciblePattern, 4);
  EXPECT_EQ(set.m_nBlockPattern, 8);
  EXPECT_EQ(set.m_nFlyPattern, 0);
  const char* names[] = {"立ち", "立ち移動", "飛行", "飛行移動"};
  ASSERT_EQ(set.m_vAnimation.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(set.m_vAnimation[i].m_strName, names[i]);
    ASSERT_EQ(set.m_vAnimation[i].m_vFrame.size(), 1u);
    EXPECT_EQ(set.m_vAnimation[i].m_vFrame[0].m_nTime, 1);
  }

  set.m_nFlyPattern = 12;
  set.m_strName = "hero";
  set.m_vAnimation.resize(2);
  set.m_vAnimation[1].m_vFrame[0].m_nPattern = 3;
  const std::string expected = Body({4, 8, 12}, {"hero"}) +
                               List({AnimeBody(names[0], {{0, 1, 0}}), AnimeBody(names[1], {{3, 1, 0}})});
  EXPECT_EQ(Hex(Save(set)), Hex(expected));

  // SetDefault brings the list back to four and renames them; stored frames stay.
  set.SetDefault();
  EXPECT_EQ(set.m_nFlyPattern, 0);
  EXPECT_TRUE(set.m_strName.empty());
  ASSERT_EQ(set.m_vAnimation.size(), 4u);
  EXPECT_EQ(set.m_vAnimation[1].m_vFrame[0].m_nPattern, 3);
  EXPECT_EQ(set.m_vAnimation[3].m_strName, names[3]);
}

TEST_F(DbRecordTest, AnimationSetsOfOldVersions) {
  struct Case {
    int version;
    std::vector<int32_t> fields;
    int fly;
    std::vector<std::string> names;
  } cases[] = {
      // Before 119 there is no fly pattern; before 128 the list is repaired to four.
      {118, {5, 9}, 0, {"s", "w", "飛行", "飛行移動"}},
      {119, {5, 9, 3}, 3, {"s", "w", "飛行", "飛行移動"}},
      {128, {5, 9, 3}, 3, {"s", "w"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    cAnimeSet set;
    set.m_nFlyPattern = 0;
    const std::string body = Body(c.fields, {"old"}) + List({AnimeBody("s", {{1, 2, 0}}), AnimeBody("w", {})});
    EXPECT_EQ(Load(set, c.version, body), 0);
    EXPECT_EQ(set.m_nInvinciblePattern, 5);
    EXPECT_EQ(set.m_nBlockPattern, 9);
    EXPECT_EQ(set.m_nFlyPattern, c.fly);
    EXPECT_EQ(set.m_strName, "old");
    ASSERT_EQ(set.m_vAnimation.size(), c.names.size());
    for (size_t i = 0; i < c.names.size(); ++i) EXPECT_EQ(set.m_vAnimation[i].m_strName, c.names[i]) << i;
    EXPECT_EQ(set.m_vAnimation[0].m_vFrame.size(), 1u);
    EXPECT_TRUE(set.m_vAnimation[1].m_vFrame.empty());
  }
}

TEST_F(DbRecordTest, CharacterSheetsOfEveryVersion) {
  struct Case {
    int version;
    std::vector<int32_t> fields;
    int spare, large, units;
  } cases[] = {
      {151, {}, 0, 0, 2},
      {152, {7}, 0, 0, 2},  // the spare value of files older than 153 is cleared
      {153, {7}, 7, 0, 2},
      {171, {7}, 7, 0, 2},
      {172, {7, 1, 4}, 7, 1, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    cBmpCharaExc bmp;
    EXPECT_EQ(Load(bmp, c.version, Body(c.fields, {"sheet", "bmp\\a.bmp"})), 0);
    EXPECT_EQ(bmp.m_nSpare, c.spare);
    EXPECT_EQ(bmp.m_bLargeCell, c.large);
    EXPECT_EQ(bmp.m_nCellUnits, c.units);
    EXPECT_EQ(bmp.m_strName, "sheet");
    EXPECT_EQ(bmp.m_strFile, "bmp\\a.bmp");
  }
  cBmpCharaExc bmp;
  bmp.m_nSpare = 1, bmp.m_bLargeCell = 1, bmp.m_nCellUnits = 3;
  EXPECT_EQ(Hex(Save(bmp)), Hex(Body({1, 1, 3}, {"", ""})));
}

TEST_F(DbRecordTest, CharacterSheetCells) {
  struct Case {
    int large, units, size, perRow;
  } cases[] = {
      {0, 4, 32, 16}, {1, 1, 32, 16}, {1, 2, 64, 8}, {1, 3, 96, 5}, {1, 16, 512, 1},
      // Stored values the lookup cannot divide by are used as the nearest usable ones.
      {1, 0, 32, 16}, {1, -5, 32, 16}, {1, 17, 512, 1}, {1, INT_MAX, 512, 1},
  };
  for (const Case& c : cases) {
    cBmpCharaExc bmp;
    bmp.m_bLargeCell = c.large;
    bmp.m_nCellUnits = c.units;
    EXPECT_EQ(bmp.CellSize(), c.size) << c.large << " " << c.units;
    EXPECT_EQ(bmp.CellsPerRow(), c.perRow) << c.large << " " << c.units;
  }
}

TEST_F(DbRecordTest, SwordTypeDefaultAndLayout) {
  cSwordType sword;
  ASSERT_EQ(sword.m_vSwing.size(), 1u);
  EXPECT_EQ(sword.m_vSwing[0].m_bMirrorX, 1);
  EXPECT_EQ(sword.m_vSwing[0].m_nTime, 1);
  sword.m_nSpare = 2;
  sword.m_strFileRight = "r.bmp";
  cSwordTypeSub frame;
  frame.m_nOffsetX = -3, frame.m_bMirrorY = 1, frame.m_nPlace = 2, frame.m_nWidth = 40, frame.m_nTime = 5;
  sword.m_vSwing.push_back(frame);
  const std::string expected = Body({2}, {"", "", "r.bmp"}) +
                               List({Body({0, 0, 1, 0, 0, 0, 0, 0, 0, 1}, {}), Body({-3, 0, 1, 1, 2, 0, 0, 40, 0, 5}, {})});
  EXPECT_EQ(Hex(Save(sword)), Hex(expected));
  cSwordType back;
  EXPECT_EQ(Load(back, 790, expected), 0);
  EXPECT_EQ(Hex(Save(back)), Hex(expected));
}

TEST_F(DbRecordTest, SwordTypesOfOldVersions) {
  struct Case {
    int version;
    std::vector<int32_t> fields;
    std::vector<int32_t> frame;
    int spare, mirrorX, mirrorY;
  } cases[] = {
      // Before 138 a frame has no mirror flags: X mirrors, Y does not.
      {137, {}, {1, 2, 3, 4, 5, 6, 7, 8}, 0, 1, 0},
      {138, {}, {1, 2, 0, 1, 3, 4, 5, 6, 7, 8}, 0, 0, 1},
      // The spare value is stored from 151.
      {150, {}, {1, 2, 0, 1, 3, 4, 5, 6, 7, 8}, 0, 0, 1},
      {151, {9}, {1, 2, 0, 1, 3, 4, 5, 6, 7, 8}, 0, 0, 1},
      {152, {9}, {1, 2, 0, 1, 3, 4, 5, 6, 7, 8}, 0, 0, 1},
      {153, {9}, {1, 2, 0, 1, 3, 4, 5, 6, 7, 8}, 9, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    cSwordType sword;
    sword.m_vSwing.clear();
    EXPECT_EQ(Load(sword, c.version, Body(c.fields, {"s", "l", "r"}) + List({Body(c.frame, {})})), 0);
    EXPECT_EQ(sword.m_nSpare, c.spare);
    EXPECT_EQ(sword.m_strFileLeft, "l");
    ASSERT_EQ(sword.m_vSwing.size(), 1u);
    const cSwordTypeSub& f = sword.m_vSwing[0];
    EXPECT_EQ(f.m_nOffsetX, 1);
    EXPECT_EQ(f.m_nOffsetY, 2);
    EXPECT_EQ(f.m_bMirrorX, c.mirrorX);
    EXPECT_EQ(f.m_bMirrorY, c.mirrorY);
    EXPECT_EQ(f.m_nPlace, 3);
    EXPECT_EQ(f.m_nHeight, 7);
    EXPECT_EQ(f.m_nTime, 8);
  }

  // A sword type stored without frames stays without frames.
  cSwordType empty;
  EXPECT_EQ(Load(empty, 790, Body({0}, {"", "", ""}) + List({})), 0);
  EXPECT_TRUE(empty.m_vSwing.empty());
}

TEST_F(DbRecordTest, EffectDefaultsAndVersions) {
  cEffectData effect;
  EXPECT_EQ(effect.m_nWidth, 32);
  EXPECT_EQ(effect.m_nHeight, 32);
  ASSERT_EQ(effect.m_vFrame.size(), 1u);
  EXPECT_EQ(effect.m_vFrame[0].m_nPattern, 0);
  EXPECT_EQ(effect.m_vFrame[0].m_nTime, 1);
  effect.m_bScaleWithHit = 1;
  effect.m_strFile = "fx.bmp";
  EXPECT_EQ(Hex(Save(effect)), Hex(Body({0, 32, 32, 1}, {"", "fx.bmp"}) + List({Body({0, 1}, {})})));

  struct Case {
    int version;
    std::vector<int32_t> fields;
    int spare;
  } cases[] = {
      // The spare value is stored from 151, and kept from 153.
      {150, {16, 24, 1}, 0},
      {151, {5, 16, 24, 1}, 0},
      {152, {5, 16, 24, 1}, 0},
      {153, {5, 16, 24, 1}, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    cEffectData e;
    EXPECT_EQ(Load(e, c.version, Body(c.fields, {"hit", "hit.bmp"}) + List({Body({3, 2}, {}), Body({4, 1}, {})})), 0);
    EXPECT_EQ(e.m_nSpare, c.spare);
    EXPECT_EQ(e.m_nWidth, 16);
    EXPECT_EQ(e.m_nHeight, 24);
    EXPECT_EQ(e.m_bScaleWithHit, 1);
    ASSERT_EQ(e.m_vFrame.size(), 2u);
    EXPECT_EQ(e.m_vFrame[1].m_nPattern, 4);
  }

  cEffectData empty;
  EXPECT_EQ(Load(empty, 790, Body({0, 32, 32, 0}, {"", ""}) + List({})), 0);
  EXPECT_TRUE(empty.m_vFrame.empty());
}

TEST_F(DbRecordTest, EffectKindsOfOldVersionsAndOutsideTheirTables) {
  struct Case {
    bool chara;
    int version, kind;
    std::vector<int32_t> params;
    int kindAfter;
    std::vector<int32_t> paramsAfter;
  } cases[] = {
      // Up to 510 the parameter added later gets its default.
      {true, 510, 4, {10, 0, 32, 4, 0}, 4, {10, 0, 32, 4, 2}},
      {true, 511, 4, {10, 0, 32, 4, 0}, 4, {10, 0, 32, 4, 0}},
      {true, 300, 5, {1, 2, 3, 4, 5}, 5, {1, 2, 3, 4, 2}},
      {true, 510, 10, {1, 2, 3, 4, 5}, 10, {1, 2, 3, 2, 5}},
      {true, 510, 6, {1, 2, 3, 4, 5}, 6, {1, 2, 3, 4, 5}},
      {false, 300, 10, {1, 2, 3, 4, 5}, 10, {1, 2, 3, 8, 5}},
      {false, 300, 4, {1, 2, 3, 4, 5}, 4, {1, 2, 3, 4, 5}},
      {false, 510, 6, {1, 2, 3, 4, 5}, 6, {1, 2, 3, 4, 8}},
      {false, 510, 7, {1, 2, 3, 4, 5}, 7, {1, 2, 3, 4, 10}},
      {false, 511, 7, {1, 2, 3, 4, 5}, 7, {1, 2, 3, 4, 5}},
      // Kinds outside the handler tables act as no effect.
      {true, 790, 16, {1, 2, 3, 4, 5}, 16, {1, 2, 3, 4, 5}},
      {true, 790, 17, {1, 2, 3, 4, 5}, 0, {1, 2, 3, 4, 5}},
      {true, 790, -1, {1, 2, 3, 4, 5}, 0, {1, 2, 3, 4, 5}},
      {false, 790, 13, {1, 2, 3, 4, 5}, 13, {1, 2, 3, 4, 5}},
      {false, 790, 14, {1, 2, 3, 4, 5}, 0, {1, 2, 3, 4, 5}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.chara ? "chara" : "screen") << " v" << c.version << " kind " << c.kind);
    const std::string body = KindBody(c.kind, c.params, "fx");
    const size_t logBefore = env.ReportText().size();
    cCharaEffectData chara;
    cScrEffectData scr;
    cEffectKindData& rec = c.chara ? static_cast<cEffectKindData&>(chara) : scr;
    EXPECT_EQ(c.chara ? Load(chara, c.version, body) : Load(scr, c.version, body), 0);
    EXPECT_EQ(rec.m_nKind, c.kindAfter);
    EXPECT_EQ(std::vector<int32_t>(rec.m_nParam, rec.m_nParam + 5), c.paramsAfter);
    EXPECT_EQ(rec.m_strName, "fx");
    const bool logged =
        env.ReportText().find(" is out of range and was set to 0", logBefore) != std::string::npos;
    EXPECT_EQ(logged, c.kindAfter != c.kind);
  }
  cScrEffectData fresh;
  EXPECT_EQ(fresh.m_nKind, 1);
  EXPECT_EQ(Hex(Save(fresh)), Hex(KindBody(1, {0, 0, 0, 0, 0}, "")));
}

TEST_F(DbRecordTest, PictureMusicAndSoundVersions) {
  struct Case {
    int version;
    std::vector<int32_t> fields;
    int spare;
  } cases[] = {{150, {}, 0}, {151, {6}, 0}, {152, {6}, 0}, {153, {6}, 6}};
  auto check = [&](auto record, const char* what) {
    for (const Case& c : cases) {
      SCOPED_TRACE(testing::Message() << what << " v" << c.version);
      auto rec = record;
      EXPECT_EQ(Load(rec, c.version, Body(c.fields, {"name", "file.mid"})), 0);
      EXPECT_EQ(rec.m_nSpare, c.spare);
      EXPECT_EQ(rec.m_strName, "name");
      EXPECT_EQ(rec.m_strFile, "file.mid");
    }
    record.m_nSpare = 3;
    record.m_strFile = "f";
    EXPECT_EQ(Hex(Save(record)), Hex(Body({3}, {"", "f"}))) << what;
  };
  check(cPictureData(), "picture");
  check(cBgmData(), "music");
  check(cSoundData(), "sound");
}

}  // namespace
