#include "defs/anime.h"

#include <gtest/gtest.h>

#include <memory>

#include <string>
#include <vector>

#include "defs_fixture.h"
#include "support/bytes.h"

namespace {

struct FrameBytes {
  int32_t pattern = 0, time = 1, flag = 0;
};

// An animation in the layout of a data version: the fields from 55 on, the name, the frames.
std::string AnimeBody(int version, const std::string& name, const std::vector<FrameBytes>& frames,
                      uint16_t a = 0, uint8_t b = 1, uint16_t c = 0) {
  ByteWriter w;
  if (version >= 55)
    w.I32(3).U16(a).U8(b).U16(c);
  else
    w.I32(0);
  w.I32(1).Str(name);
  w.U32(static_cast<uint32_t>(frames.size()));
  for (const FrameBytes& f : frames) w.I32(3).I32(f.pattern).I32(f.time).I32(f.flag).I32(0);
  return w.str();
}

class AnimeTest : public DefsTest {};

TEST_F(AnimeTest, BodyAt790InFileOrder) {
  cAnime a;
  a.m_strName = "walk";
  a.m_wAnimeA = 0x0102, a.m_byAnimeB = 3, a.m_wAnimeC = 0x0405;
  a.m_vFrame.resize(2);
  a.m_vFrame[0].m_nPattern = 7, a.m_vFrame[0].m_nTime = 2, a.m_vFrame[0].m_nFlag = 1;
  a.m_vFrame[1].m_nPattern = -1;
  const std::string expected = AnimeBody(790, "walk", {{7, 2, 1}, {-1, 1, 0}}, 0x0102, 3, 0x0405);
  // 4 + 5 field bytes, 4 + 9 for the name, 4 for the frame count, 20 per frame.
  EXPECT_EQ(expected.size(), 66u);
  EXPECT_EQ(Hex(Save(a)), Hex(expected));
  EXPECT_EQ(Hex(Save(a.m_vFrame[0])), Hex(ByteWriter().I32(3).I32(7).I32(2).I32(1).I32(0).str()));

  cAnime back;
  EXPECT_EQ(Load(back, 790, expected), 0);
  EXPECT_EQ(Hex(Save(back)), Hex(expected));
}

TEST_F(AnimeTest, DefaultsAndOldFiles) {
  cAnime fresh;
  ASSERT_EQ(fresh.m_vFrame.size(), 1u);
  EXPECT_EQ(fresh.m_vFrame[0].m_nPattern, 0);
  EXPECT_EQ(fresh.m_vFrame[0].m_nTime, 1);
  EXPECT_EQ(fresh.m_vFrame[0].m_nFlag, 0);
  EXPECT_EQ(fresh.m_byAnimeB, 1);

  // Version 54 has no fields: a fresh animation keeps its defaults.
  cAnime old;
  EXPECT_EQ(Load(old, 54, AnimeBody(54, "run", {{4, 3, 0}})), 0);
  EXPECT_EQ(old.m_strName, "run");
  EXPECT_EQ(old.m_wAnimeA, 0);
  EXPECT_EQ(old.m_byAnimeB, 1);
  EXPECT_EQ(old.m_wAnimeC, 0);
  ASSERT_EQ(old.m_vFrame.size(), 1u);
  EXPECT_EQ(old.m_vFrame[0].m_nPattern, 4);

  // Zero stored frames stay zero; only construction and Clear give the default frame.
  cAnime empty;
  EXPECT_EQ(Load(empty, 790, AnimeBody(790, "none", {})), 0);
  EXPECT_TRUE(empty.m_vFrame.empty());
  empty.Clear();
  EXPECT_EQ(empty.m_vFrame.size(), 1u);
}

TEST_F(AnimeTest, AnimationSetListsOfOldFilesAreRepaired) {
  struct Case {
    int version;
    int stored;
    std::vector<std::string> names;
  } cases[] = {
      {118, 6, {"a0", "a1", "飛行", "飛行移動"}},
      {118, 0, {"", "", "飛行", "飛行移動"}},
      {127, 2, {"a0", "a1", "飛行", "飛行移動"}},
      {128, 6, {"a0", "a1", "a2", "a3", "a4", "a5"}},
      {128, 2, {"a0", "a1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.version << ", " << c.stored << " stored");
    ByteWriter w;
    w.U32(static_cast<uint32_t>(c.stored));
    for (int i = 0; i < c.stored; ++i) w.Bytes(AnimeBody(c.version, std::string("a").append(std::to_string(i)), {{i, 2, 0}, {i, 3, 0}}));
    cSafeVector<cAnime> list;
    EXPECT_EQ(ReadFile(c.version, w.str(), [&](FILE* fp) { LoadAnimeSetList(list, fp); }), 0);
    ASSERT_EQ(list.size(), c.names.size());
    for (size_t i = 0; i < list.size(); ++i) {
      EXPECT_EQ(list[i].m_strName, c.names[i]) << i;
      // Stored animations keep their two frames; added ones have the one default frame.
      const bool added = static_cast<int>(i) >= c.stored;
      ASSERT_EQ(list[i].m_vFrame.size(), added ? 1u : 2u) << i;
      EXPECT_EQ(list[i].m_vFrame[0].m_nTime, added ? 1 : 2) << i;
      EXPECT_EQ(list[i].m_byAnimeB, 1) << i;
    }
  }
}

TEST_F(AnimeTest, AnimationSetListIsWrittenAsCountAndBodies) {
  cSafeVector<cAnime> list(1);
  cAnime named;
  named.m_strName = "run";
  named.m_vFrame.clear();
  list.push_back(named);
  const std::string expected =
      ByteWriter().U32(2).Bytes(AnimeBody(790, "", {{0, 1, 0}})).Bytes(AnimeBody(790, "run", {})).str();
  EXPECT_EQ(Hex(WriteFile([&](FILE* fp) { SaveAnimeSetList(list, fp); })), Hex(expected));
}

TEST_F(AnimeTest, HostileFrameCountIsRefused) {
  const std::string body = ByteWriter().I32(3).U16(0).U8(1).U16(0).I32(1).Str("x").U32(0x40000000).str();
  cAnime a;
  EXPECT_EQ(Load(a, 790, body), -1);
  EXPECT_TRUE(a.m_vFrame.empty());

  cSafeVector<cAnime> list;
  EXPECT_EQ(ReadFile(790, ByteWriter().U32(0xFFFFFFFF).str(), [&](FILE* fp) { LoadAnimeSetList(list, fp); }), -1);
  EXPECT_TRUE(list.empty());
}

TEST_F(AnimeTest, EveryGateOfTheLayoutIsReadWhereTheFileHasIt) {
  ExpectGatesOfLayout([] { return std::make_unique<cAnime>(); },
                      [](int v) { return AnimeBody(v, "run", {{1, 2, 0}, {3, 4, 1}}); }, 1);
}

}  // namespace
