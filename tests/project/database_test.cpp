// The game database: the ten-file load, its failures, the padding of short lists and the step
// tables derived from the animations and effects.
#include "project/database.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "db_bytes.h"
#include "defs/cmd_kind.h"
#include "defs/defs_fixture.h"
#include "defs/ed_shot.h"
#include "defs/flow_cmd.h"
#include "fixture/fixture.h"
#include "support/bytes.h"
#include "support/temp_dir.h"

namespace {

std::vector<int> Sizes(const cDatabase& db) {
  std::vector<int> sizes;
  for (int i = 0; i < DBLIST_COUNT; ++i) sizes.push_back(db.ListSize(static_cast<eDbList>(i)));
  return sizes;
}

// Steps as {pattern, wait, flag}.
using Triples = std::vector<std::vector<int>>;
Triples Steps(const cSafeVector<AnimStep>& steps) {
  Triples t;
  for (const AnimStep& st : steps) t.push_back({st.nPattern, st.nWait, st.nFlag});
  return t;
}

const std::vector<int> kDefaultSizes = {1, 2, 2, 1, 2, 2, 2, 2, 2, 2};

// A project folder in a temporary folder that is the working folder of the test.
class DatabaseTest : public DefsTest {
 protected:
  // The file of a list on disk.
  std::string DiskPath(eDbList list) const {
    return root / (std::string("data/database/") + (g_lpszDatabaseFile[list] + sizeof "data\\database\\" - 1));
  }

  TempDir root;
  fixture::Project project{root.path()};
  ScopedChdir cd{root.path()};
};

TEST_F(DatabaseTest, DefaultsHoldTheDefaultEntries) {
  cDatabase db;
  EXPECT_EQ(Sizes(db), kDefaultSizes);
  EXPECT_EQ(db.m_vAnime[0].m_strName, "なし");
  EXPECT_EQ(db.m_vAnime[1].m_strName, "アクションA");
  EXPECT_EQ(db.m_vAnimeSet[0].m_vAnimation.size(), 4u);
  EXPECT_EQ(db.m_vSwordType[0].m_vSwing.size(), 1u);
  EXPECT_EQ(db.m_vCharaEffect[0].m_nKind, 1);
  EXPECT_TRUE(db.m_vCharaEffectCopy.empty());
  EXPECT_TRUE(db.m_vScrEffectCopy.empty());
}

TEST_F(DatabaseTest, GeneratedFolderLoads) {
  cDatabase& src = project.database;
  src.m_vAnime.push_back(fixture::Anime("jump", {{4, 2, 0}, {5, 2, 1}}));
  src.m_vSwordType.push_back(cSwordType());
  src.m_vSwordType[1].m_strFileLeft = "sword_l.bmp";
  src.m_vEffect[1] = fixture::Effect("spark", "spark.bmp", {{0, 1}, {1, 1}, {2, 2}});
  src.m_vCharaEffect[0].m_nKind = 5;
  src.m_vCharaEffect.push_back(cCharaEffectData());
  src.m_vCharaEffect[2].m_nKind = 9;
  src.m_vScrEffect[0].m_nKind = 3;
  src.m_vPicture.push_back(fixture::FileRecord<cPictureData>("title", "pic\\title.bmp"));
  src.m_vSound.push_back(fixture::FileRecord<cSoundData>("jump", "se\\jump.wav"));
  src.m_vSound[1].m_strName = "two\r\nlines";
  src.m_vBgm[1] = fixture::FileRecord<cBgmData>("stage", "bgm\\stage.mid");
  src.m_vBmpCharaExc[1] = fixture::FileRecord<cBmpCharaExc>("boss", "bmp\\boss.bmp");
  ASSERT_TRUE(project.WriteDatabase());

  // The files are in the database layout: the version, the count, the bodies.
  EXPECT_EQ(Hex(ReadFileBytes(DiskPath(DBLIST_SOUND))),
            Hex(DatabaseFile(790, {Body({0}, {"", ""}), Body({0}, {"two\r\nlines", ""}), Body({0}, {"jump", "se\\jump.wav"})})));

  g_bStripCR = 1;
  cDatabase db;
  ASSERT_EQ(db.LoadAll(), 1);
  EXPECT_TRUE(env.Boxes().empty());
  const std::vector<int> sizes = {1, 3, 2, 2, 2, 3, 2, 3, 3, 2};
  EXPECT_EQ(Sizes(db), sizes);
  EXPECT_EQ(db.m_vAnime[2].m_strName, "jump");
  ASSERT_EQ(db.m_vAnime[2].m_vFrame.size(), 2u);
  EXPECT_EQ(db.m_vAnime[2].m_vFrame[1].m_nFlag, 1);
  EXPECT_EQ(db.m_vSwordType[1].m_strFileLeft, "sword_l.bmp");
  EXPECT_EQ(db.m_vEffect[1].m_vFrame.size(), 3u);
  EXPECT_EQ(db.m_vPicture[2].m_strFile, "pic\\title.bmp");
  EXPECT_EQ(db.m_vSound[2].m_strFile, "se\\jump.wav");
  EXPECT_EQ(db.m_vSound[1].m_strName, "two\nlines");
  EXPECT_EQ(db.m_vBgm[1].m_strFile, "bgm\\stage.mid");
  EXPECT_EQ(db.m_vBmpCharaExc[1].m_strFile, "bmp\\boss.bmp");
  // Entry 0 of the two effect-kind lists is no effect, whatever is stored.
  EXPECT_EQ(db.m_vCharaEffect[0].m_nKind, 0);
  EXPECT_EQ(db.m_vScrEffect[0].m_nKind, 0);
  EXPECT_EQ(db.m_vCharaEffect[2].m_nKind, 9);

  db.CopyEffectLists();
  ASSERT_EQ(db.m_vCharaEffectCopy.size(), 3u);
  ASSERT_EQ(db.m_vScrEffectCopy.size(), 2u);
  EXPECT_EQ(db.m_vCharaEffectCopy[0].m_nKind, 0);
  EXPECT_EQ(db.m_vCharaEffectCopy[2].m_nKind, 9);
}

TEST_F(DatabaseTest, TheDefinitionsSeeTheLoadedDatabase) {
  cDatabase& src = project.database;
  src.m_vSwordType.resize(3);
  src.m_vSwordType[1].m_vSwing[0].m_nTime = 5000;
  src.m_vSwordType[1].m_vSwing.push_back(cSwordTypeSub());
  src.m_vSwordType[1].m_vSwing[1].m_nTime = 6000;
  src.m_vSwordType[2].m_vSwing.clear();
  src.m_vSound.resize(5);
  ASSERT_TRUE(project.WriteDatabase());
  {
    cDatabase db;
    ASSERT_EQ(db.LoadAll(), 1);
    const std::vector<int> sizes = {1, 2, 2, 3, 2, 2, 2, 2, 5, 2};
    for (int i = 0; i < DBLIST_COUNT; ++i) EXPECT_EQ(g_DefContext.anDbListSize[i], sizes[i]) << i;

    // A sword command takes its time of use from the swing of its type; a type without frames
    // gives none; a type beyond the list is repaired to type 0 (one frame of 1).
    struct Case {
      uint8_t type, typeAfter;
      int16_t time;
    } cases[] = {{1, 1, 9999}, {2, 2, 0}, {3, 0, 1}, {0, 0, 1}};
    for (const Case& c : cases) {
      cFlowCmd sword;
      sword.m_byKind = CMD_SWORD;
      CreateEdShot(sword.m_pShot);
      sword.m_pShot->m_byTrajectory = c.type;
      sword.Validate();
      EXPECT_EQ(sword.m_pShot->m_byTrajectory, c.typeAfter) << +c.type;
      EXPECT_EQ(sword.m_sTime, c.time) << +c.type;
    }
    EXPECT_TRUE(db.SwordSwingTimes(-1).empty());
  }
  // A database that is gone gives no swing times.
  ASSERT_NE(g_DefContext.lpfnSwordSwingWaits, nullptr);
  EXPECT_TRUE(g_DefContext.lpfnSwordSwingWaits(1).empty());
}

TEST_F(DatabaseTest, AFileThatCannotBeReadStopsTheLoad) {
  struct Case {
    const char* what;
    eDbList list;
    std::string bytes;  // empty: the file is missing
    std::string message;
  } cases[] = {
      {"missing", DBLIST_EFFECT, "", "data\\database\\Effect.dat の読み込みに失敗しました！"},
      {"newer", DBLIST_EFFECT, DatabaseFile(791, {}),
       "data\\database\\Effect.dat の読み込みに失敗しました！\nソフトより上位のバージョンのファイルは使用できません。"},
      {"count the file cannot hold", DBLIST_EFFECT, ByteWriter().I32(790).U32(1000).Zeros(16).str(),
       "data\\database\\Effect.dat の読み込みに失敗しました！"},
      {"record cut short", DBLIST_EFFECT, DatabaseFile(790, {Body({0, 32, 32, 0}, {"a", "b"})}).substr(0, 30),
       "data\\database\\Effect.dat の読み込みに失敗しました！"},
      {"first file missing", DBLIST_ANIMESET, "", "data\\database\\AnimeSet.dat の読み込みに失敗しました！"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    project.database.SetDefault();
    project.database.m_vAnime.push_back(fixture::Anime("third", {}));
    project.database.m_vBgm.push_back(fixture::FileRecord<cBgmData>("third", "c.mid"));
    ASSERT_TRUE(project.WriteDatabase());
    const std::string disk = DiskPath(c.list);
    if (c.bytes.empty())
      ASSERT_EQ(std::remove(disk.c_str()), 0);
    else
      WriteFileBytes(disk, c.bytes);

    const size_t boxes = env.Boxes().size();
    cDatabase db;
    EXPECT_EQ(db.LoadAll(), 0);
    ASSERT_EQ(env.Boxes().size(), boxes + 1);
    EXPECT_EQ(env.Boxes().back().text, c.message);
    EXPECT_EQ(env.Boxes().back().caption, "エラー");
    // The lists before the file have their new contents, the later ones their defaults; the
    // first entries are not reset.
    EXPECT_EQ(db.m_vAnime.size(), c.list > DBLIST_ANIME ? 3u : 2u);
    EXPECT_EQ(db.m_vBgm.size(), 2u);
    EXPECT_EQ(db.m_vCharaEffect[0].m_nKind, 1);
    // Every list still holds its default entries, and the definitions see the sizes.
    for (int i = 0; i < DBLIST_COUNT; ++i) {
      EXPECT_GE(db.ListSize(static_cast<eDbList>(i)), kDefaultSizes[i]) << i;
      EXPECT_EQ(g_DefContext.anDbListSize[i], db.ListSize(static_cast<eDbList>(i))) << i;
    }
  }
}

TEST_F(DatabaseTest, ShortListsArePaddedWithTheirDefaults) {
  const std::string path = root / "Effect.dat";
  struct Case {
    int count;
    std::vector<std::string> names;
    bool logged;
  } cases[] = {
      {0, {"", ""}, true},
      {1, {"e0", ""}, true},
      // Three records read over two default entries give exactly the three records.
      {3, {"e0", "e1", "e2"}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    std::vector<std::string> bodies;
    for (int i = 0; i < c.count; ++i) {
      std::string name = "e";
      name += std::to_string(i);
      bodies.push_back(Body({0, 8 + i, 9, 0}, {name, "f"}) + List({Body({i, 4}, {})}));
    }
    WriteFileBytes(path, DatabaseFile(790, bodies));
    const size_t logBefore = env.ReportText().size();
    cDatabase db;
    ASSERT_EQ(db.LoadList(DBLIST_EFFECT, path.c_str()), 1);
    ASSERT_EQ(db.m_vEffect.size(), c.names.size());
    for (size_t i = 0; i < c.names.size(); ++i) {
      const cEffectData& e = db.m_vEffect[i];
      EXPECT_EQ(e.m_strName, c.names[i]) << i;
      const bool stored = static_cast<int>(i) < c.count;
      EXPECT_EQ(e.m_nWidth, stored ? 8 + static_cast<int>(i) : 32) << i;
      EXPECT_EQ(e.m_nHeight, stored ? 9 : 32) << i;
      ASSERT_EQ(e.m_vFrame.size(), 1u) << i;
      EXPECT_EQ(e.m_vFrame[0].m_nTime, stored ? 4 : 1) << i;
    }
    EXPECT_EQ(env.ReportText().find("padded", logBefore) != std::string::npos, c.logged);
  }

  // The animations pad with their named defaults.
  WriteFileBytes(path, DatabaseFile(790, {AnimeBody("own", {})}));
  cDatabase db;
  ASSERT_EQ(db.LoadList(DBLIST_ANIME, path.c_str()), 1);
  ASSERT_EQ(db.m_vAnime.size(), 2u);
  EXPECT_EQ(db.m_vAnime[0].m_strName, "own");
  EXPECT_TRUE(db.m_vAnime[0].m_vFrame.empty());
  EXPECT_EQ(db.m_vAnime[1].m_strName, "アクションA");
}

TEST_F(DatabaseTest, OldFilesLoadWithTheirRepairs) {
  // Every list from files of an old data version, in a complete load.
  auto write = [&](eDbList list, int version, const std::vector<std::string>& bodies) {
    WriteFileBytes(DiskPath(list), DatabaseFile(version, bodies));
  };
  root.MakeDir("data/database");
  write(DBLIST_ANIMESET, 118, {Body({1, 2}, {"set"}) + List({AnimeBody("a", {{1, 1, 0}})})});
  write(DBLIST_ANIME, 150, {AnimeBody("none", {}), AnimeBody("a", {{1, 1, 0}})});
  write(DBLIST_BMP_CHARAEXC, 152, {Body({7}, {"", ""}), Body({7}, {"b", "b.bmp"})});
  write(DBLIST_SWORDTYPE, 137, {Body({}, {"s", "l", "r"}) + List({Body({1, 2, 3, 4, 5, 6, 7, 8}, {})})});
  write(DBLIST_EFFECT, 150, {Body({8, 8, 0}, {"", ""}) + List({}), Body({8, 8, 0}, {"e", "e.bmp"}) + List({})});
  write(DBLIST_CHARAEFFECT, 510, {KindBody(0, {0, 0, 0, 0, 0}, ""), KindBody(4, {10, 0, 32, 4, 0}, "wave")});
  write(DBLIST_SCREFFECT, 300, {KindBody(0, {0, 0, 0, 0, 0}, ""), KindBody(10, {1, 1, 1, 1, 1}, "circle")});
  write(DBLIST_PICTURE, 150, {Body({}, {"", ""}), Body({}, {"p", "p.bmp"})});
  write(DBLIST_SOUND, 152, {Body({3}, {"", ""}), Body({3}, {"s", "s.wav"})});
  write(DBLIST_BGM, 790, {Body({3}, {"", ""}), Body({3}, {"m", "m.mid"})});

  cDatabase db;
  ASSERT_EQ(db.LoadAll(), 1);
  EXPECT_EQ(db.m_vAnimeSet[0].m_nFlyPattern, 0);
  EXPECT_EQ(db.m_vAnimeSet[0].m_vAnimation.size(), 4u);
  EXPECT_EQ(db.m_vAnimeSet[0].m_vAnimation[3].m_strName, "飛行移動");
  EXPECT_EQ(db.m_vBmpCharaExc[1].m_nSpare, 0);
  EXPECT_EQ(db.m_vBmpCharaExc[1].m_nCellUnits, 2);
  EXPECT_EQ(db.m_vSwordType[0].m_vSwing[0].m_bMirrorX, 1);
  EXPECT_EQ(db.m_vSwordType[0].m_vSwing[0].m_nTime, 8);
  EXPECT_EQ(db.m_vEffect[1].m_nWidth, 8);
  EXPECT_EQ(db.m_vCharaEffect[1].m_nParam[4], 2);
  EXPECT_EQ(db.m_vScrEffect[1].m_nParam[3], 8);
  EXPECT_EQ(db.m_vSound[1].m_nSpare, 0);
  EXPECT_EQ(db.m_vBgm[1].m_nSpare, 3);
  EXPECT_EQ(db.m_vPicture[1].m_strFile, "p.bmp");
}

TEST_F(DatabaseTest, AnimationStepTables) {
  cDatabase db;
  db.m_vAnime.clear();
  db.m_vAnime.push_back(fixture::Anime("none", {{5, 3, 0}, {6, 1, 0}}));
  db.m_vAnime.push_back(fixture::Anime("one", {{5, 3, 0}}));
  db.m_vAnime.push_back(fixture::Anime("sticky", {{1, 1, 0}, {2, 2, 1}, {3, 3, 0}}));
  db.m_vAnime.push_back(fixture::Anime("empty", {}));
  // Frame times wrap as 32-bit arithmetic does.
  db.m_vAnime.push_back(fixture::Anime("long", {{0, 0x7FFFFFFF, 0}, {1, -2, 0}}));
  cAnimStepTable table(1);
  BuildAnimeStepTable(db, table);
  const std::vector<Triples> expected = {
      {{5, 0, 1}, {6, 0, 1}, {-2, 0, 1}},
      {{5, 18, 0}, {-4, 0, 0}},
      {{1, 6, 0}, {2, 12, 1}, {3, 18, 1}, {-4, 0, 0}},
      {{0, 0, 0}, {-4, 0, 0}},
      {{0, -6, 0}, {1, -12, 0}, {-4, 0, 0}},
  };
  ASSERT_EQ(table.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(Steps(table[i]), expected[i]) << i;

  // An entry 0 without frames still loops on a pattern.
  db.m_vAnime[0].m_vFrame.clear();
  BuildAnimeStepTable(db, table);
  EXPECT_EQ(Steps(table[0]), (Triples{{0, 0, 1}, {-2, 0, 1}}));
}

TEST_F(DatabaseTest, EffectStepTables) {
  cDatabase db;
  db.m_vEffect.clear();
  db.m_vEffect.push_back(fixture::Effect("none", "", {{7, 2}}));
  db.m_vEffect.push_back(fixture::Effect("spark", "", {{7, 2}, {8, 1}}));
  db.m_vEffect.push_back(fixture::Effect("empty", "", {}));
  cAnimStepTable table;
  BuildEffectStepTable(db, table);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(Steps(table[0]), (Triples{{7, 0, 1}, {-2, 0, 1}}));
  EXPECT_EQ(Steps(table[1]), (Triples{{7, 12, 0}, {8, 6, 0}, {-4, 0, 0}}));
  EXPECT_EQ(Steps(table[2]), (Triples{{0, 0, 0}, {-4, 0, 0}}));

  // Played by the sequencer, an effect without frames ends at its first step and entry 0 loops
  // on its pattern; neither steps past its table.
  for (size_t i : {size_t{0}, size_t{2}}) {
    std::vector<int> ints;
    for (const AnimStep& s : table[i]) ints.insert(ints.end(), {s.nPattern, s.nWait, s.nFlag});
    const int* lists[] = {ints.data(), nullptr};
    cAnimSeq seq;
    seq.Build(lists);
    EXPECT_EQ(seq.Step(), i == 0 ? 7 : ANIM_END) << i;
    EXPECT_EQ(seq.Step(), i == 0 ? 7 : ANIM_END) << i;
  }
  EXPECT_EQ(env.TakeCloseRequests(), 0);
}

}  // namespace
