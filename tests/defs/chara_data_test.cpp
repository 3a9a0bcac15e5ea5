#include "defs/chara_data.h"

#include <gtest/gtest.h>

#include <memory>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "defs_fixture.h"
#include "record_bytes.h"
#include "support/bytes.h"

namespace {

// A flow that does something (it has an ID), so that validation keeps it.
std::string FlowWithId(uint8_t id, uint8_t testOnly = 0, int version = 790) {
  FlowBytes f;
  f.id = id, f.testOnly = testOnly;
  return f.Body(version);
}

std::vector<uint8_t> Flags(const cCharaData& c) {
  return std::vector<uint8_t>(c.m_vInheritFlags.begin(), c.m_vInheritFlags.end());
}

class CharaDataTest : public DefsTest {
 protected:
  void SetUp() override {
    DefsTest::SetUp();
    for (int& n : g_DefContext.anDbListSize) n = 50;
    common.resize(3);
    stage.resize(5);
    g_DefContext.chara.common.Bind(&common);
    g_DefContext.chara.stage.Bind(&stage);
  }

  cSafeVector<cCharaData> common, stage;
};

TEST_F(CharaDataTest, BodyAt790InFileOrder) {
  cCharaData c;
  c.m_wInheritIndex = 4, c.m_byCondRule = 1, c.m_bCondOnce = 1, c.m_byDirection = 1, c.m_byCpuReserved = 2;
  c.m_sGroupX0 = -1, c.m_sGroupXStep = 2, c.m_sGroupY0 = -3, c.m_sGroupYStep = 4, c.m_bGroupMirrorX = 1;
  c.m_bGroupMirrorY = 1, c.m_wGraphic = 5, c.m_byGraphicKind = 2, c.m_wGraphicSub = 6, c.m_wAnimeSet = 7;
  c.m_byZ = 8, c.m_bTransparent = 1, c.m_wAppearEffect = 9, c.m_byAppearEffectMode = 10;
  c.m_byAppearEffectValue = 11, c.m_wDeathEffect = 12, c.m_byDeathEffectMode = 13, c.m_bShowMark = 1;
  c.m_wMark = 14, c.m_byControl = 1, c.m_byPlayerNo = 0, c.m_byLayer = 7, c.m_byCharaId = 99, c.m_byFlying = 3;
  c.m_bFixedFacing = 0, c.m_byInvincible = 2, c.m_byInvincibleOption = 15, c.m_bBlockChara = 1, c.m_byZoom = 10;
  c.m_bScrollSync = 1, c.m_bySightShape = 4, c.m_bySight = 40, c.m_nMaxHp = 999999, c.m_nMaxSp = 16;
  c.m_sStop = 200, c.m_byContactBox = 3, c.m_nPower = -17, c.m_cImpact = -20, c.m_wHitEffect = 18;
  c.m_nDefence = 19, c.m_byImpactResist = 20, c.m_nScore = -21, c.m_byBoxOption = 0, c.m_bActGroup = 1;
  c.m_wActGroup = 22, c.m_byActRange = 3, c.m_byActRule = 2, c.m_strName = "chara", c.m_wHeadA = 23;
  c.m_wHeadB = 24, c.m_dwHeadExtra = 0xDEADBEEF;
  c.m_vInheritFlags[36] = 1;
  c.m_vCond.resize(1);
  c.m_vCond[0].m_byKind = 1, c.m_vCond[0].m_nValue = 25;
  c.m_vFlow.resize(1);
  c.m_vFlow[0].m_byId = 26;

  CharaBytes e;
  e.inheritIndex = 4, e.condRule = 1, e.condOnce = 1, e.direction = 1, e.cpuReserved = 2, e.groupX0 = -1;
  e.groupXStep = 2, e.groupY0 = -3, e.groupYStep = 4, e.groupMirrorX = 1, e.groupMirrorY = 1, e.graphic = 5;
  e.graphicKind = 2, e.graphicSub = 6, e.animeSet = 7, e.z = 8, e.transparent = 1, e.appearEffect = 9;
  e.appearEffectMode = 10, e.appearEffectValue = 11, e.deathEffect = 12, e.deathEffectMode = 13, e.showMark = 1;
  e.mark = 14, e.control = 1, e.playerNo = 0, e.layer = 7, e.charaId = 99, e.flying = 3, e.fixedFacing = 0;
  e.invincible = 2, e.invincibleOption = 15, e.blockChara = 1, e.zoom = 10, e.scrollSync = 1, e.sightShape = 4;
  e.sight = 40, e.maxHp = 999999, e.maxSp = 16, e.stop = 200, e.contactBox = 3, e.power = -17, e.impact = -20;
  e.hitEffect = 18, e.defence = 19, e.impactResist = 20, e.score = -21, e.boxOption = 0, e.actGroupOn = 1;
  e.actGroup = 22, e.actRange = 3, e.actRule = 2, e.name = "chara", e.headA = 23, e.headB = 24;
  e.headExtra = 0xDEADBEEF, e.flags[36] = 1, e.conds = {CondBody(25)}, e.flows = {FlowWithId(26)};

  const std::string saved = Save(c);
  EXPECT_EQ(c.GetFieldBytes(), 82);
  EXPECT_EQ(Hex(saved), Hex(e.Body(790)));

  cCharaData back;
  EXPECT_EQ(Load(back, 790, saved), 0);
  EXPECT_EQ(back.m_dwHeadExtra, 0xDEADBEEFu);
  EXPECT_EQ(Hex(Save(back)), Hex(saved));

  // A new character: the defaults of the table, 37 flags, no flows.
  cCharaData fresh;
  EXPECT_EQ(Hex(Save(fresh)), Hex(CharaBytes().Body(790)));
}

TEST_F(CharaDataTest, FieldsOfEachVersion) {
  struct Case {
    int version;
    int fieldBytes;
  } cases[] = {{167, 73}, {168, 77}, {195, 77}, {196, 79}, {200, 79}, {201, 80},
               {209, 80}, {210, 81}, {284, 81}, {285, 82}, {790, 82}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.version);
    cCharaData r;
    r.Register(c.version);
    EXPECT_EQ(r.GetFieldBytes(), c.fieldBytes);

    // Every field holds a value of its own, read in its place.
    CharaBytes b;
    b.defence = 1234, b.appearEffectMode = 5, b.deathEffectMode = 6, b.contactBox = 1, b.scrollSync = 1;
    b.invincibleOption = 4, b.appearEffectValue = 7, b.sight = 33, b.maxHp = 4444, b.stop = 55, b.power = 66;
    b.impact = -7, b.hitEffect = 8, b.impactResist = 9, b.score = 777, b.boxOption = 0, b.actGroupOn = 1;
    b.actGroup = 888, b.actRange = 2, b.actRule = 1, b.headExtra = 99;
    b.flags = std::vector<uint8_t>(c.version < 168 ? 34 : c.version < 201 ? 35 : c.version < 210 ? 36 : 37, 0);
    b.flows = {FlowWithId(3, 0, c.version)};
    cCharaData ch;
    EXPECT_EQ(Load(ch, c.version, b.Body(c.version)), 0);
    EXPECT_EQ(ch.m_nDefence, c.version >= 168 ? 1234 : 0);
    EXPECT_EQ(ch.m_byAppearEffectMode, c.version >= 196 ? 5 : 0);
    EXPECT_EQ(ch.m_byDeathEffectMode, c.version >= 196 ? 6 : 0);
    EXPECT_EQ(ch.m_byContactBox, c.version >= 201 ? 1 : 0);
    EXPECT_EQ(ch.m_bScrollSync, c.version >= 210 ? 1 : 0);
    EXPECT_EQ(ch.m_byInvincibleOption, c.version >= 285 ? 4 : 1);
    EXPECT_EQ(ch.m_byAppearEffectValue, 7);
    EXPECT_EQ(ch.m_bySight, 33);
    EXPECT_EQ(ch.m_nMaxHp, 4444);
    EXPECT_EQ(ch.m_sStop, 55);
    EXPECT_EQ(ch.m_nPower, 66);
    EXPECT_EQ(ch.m_cImpact, -7);
    EXPECT_EQ(ch.m_wHitEffect, 8);
    EXPECT_EQ(ch.m_byImpactResist, 9);
    EXPECT_EQ(ch.m_nScore, 777);
    EXPECT_EQ(ch.m_byBoxOption, 0);
    EXPECT_EQ(ch.m_wActGroup, 888);
    EXPECT_EQ(ch.m_byActRule, 1);
    EXPECT_EQ(ch.m_dwHeadExtra, 99u);
    EXPECT_EQ(ch.m_vInheritFlags.size(), 37u);
    ASSERT_EQ(ch.m_vFlow.size(), 1u);
    EXPECT_EQ(ch.m_vFlow[0].m_byId, 3);
  }
}

TEST_F(CharaDataTest, OldFlagListsGetTheGroupsAddedLater) {
  // Stored flags 10, 11, ... in the count of the version's groups; the inserted ones become 1.
  auto stored = [](int n) {
    std::vector<uint8_t> f;
    for (int i = 0; i < n; ++i) f.push_back(static_cast<uint8_t>(10 + i));
    return f;
  };
  auto run = [](int from, int to, int first) {
    std::vector<uint8_t> f;
    for (int i = from; i <= to; ++i) f.push_back(static_cast<uint8_t>(first + i - from));
    return f;
  };
  auto join = [](std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> f;
    for (const auto& p : parts) f.insert(f.end(), p.begin(), p.end());
    return f;
  };
  const std::vector<uint8_t> one = {1};
  struct Case {
    int version;
    std::vector<uint8_t> stored, expected;
  } cases[] = {
      // 34 flags of version 167: groups 21 (210), 25 (201) and 29 (168) are added.
      {167, stored(34), join({run(0, 20, 10), one, run(22, 24, 31), one, run(26, 28, 34), one, run(30, 36, 37)})},
      {200, stored(35), join({run(0, 20, 10), one, run(22, 24, 31), one, run(26, 36, 34)})},
      {209, stored(36), join({run(0, 20, 10), one, run(22, 36, 31)})},
      {210, stored(37), stored(37)},
      // A shorter list is padded first; a longer one is cut to the 37 groups.
      {167, stored(3), join({run(0, 2, 10), std::vector<uint8_t>(18, 0), one, std::vector<uint8_t>(3, 0), one,
                              std::vector<uint8_t>(3, 0), one, std::vector<uint8_t>(7, 0)})},
      {200, stored(40), join({run(0, 20, 10), one, run(22, 24, 31), one, run(26, 36, 34)})},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.version << " with " << c.stored.size() << " flags");
    ASSERT_EQ(c.expected.size(), 37u);
    CharaBytes b;
    b.flags = c.stored;
    cCharaData ch;
    EXPECT_EQ(Load(ch, c.version, b.Body(c.version)), 0);
    EXPECT_EQ(Flags(ch), c.expected);
  }
}

TEST_F(CharaDataTest, OtherUpgradesOfOlderFiles) {
  struct Case {
    const char* name;
    int version;
    std::function<void(CharaBytes&)> store;
    std::function<void(const cCharaData&)> check;
  };
  const Case cases[] = {
      {"v205 contact box 2", 205, [](CharaBytes& b) { b.contactBox = 2; },
       [](const cCharaData& c) { EXPECT_EQ(c.m_byContactBox, 3); }},
      {"v205 contact box 1", 205, [](CharaBytes& b) { b.contactBox = 1; },
       [](const cCharaData& c) { EXPECT_EQ(c.m_byContactBox, 1); }},
      {"v206 contact box 2", 206, [](CharaBytes& b) { b.contactBox = 2; },
       [](const cCharaData& c) { EXPECT_EQ(c.m_byContactBox, 2); }},
      {"v218 shot graphic 118", 218, [](CharaBytes& b) { b.graphicKind = 3, b.graphic = 118; },
       [](const cCharaData& c) { EXPECT_EQ(c.m_wGraphic, 119); }},
      {"v218 shot graphic 119", 218, [](CharaBytes& b) { b.graphicKind = 3, b.graphic = 119; },
       [](const cCharaData& c) { EXPECT_EQ(c.m_wGraphic, 119); }},
      {"v218 character graphic", 218, [](CharaBytes& b) { b.graphicKind = 1, b.graphic = 118; },
       [](const cCharaData& c) { EXPECT_EQ(c.m_wGraphic, 118); }},
      {"v219 shot graphic", 219, [](CharaBytes& b) { b.graphicKind = 3, b.graphic = 118; },
       [](const cCharaData& c) { EXPECT_EQ(c.m_wGraphic, 118); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CharaBytes b;
    b.flags.resize(c.version < 210 ? 36 : 37);
    c.store(b);
    cCharaData ch;
    // Members the file lacks are set by the upgrade, whatever the record held.
    ch.m_byAppearEffectMode = 9, ch.m_bScrollSync = 1, ch.m_byInvincibleOption = 0;
    EXPECT_EQ(Load(ch, c.version, b.Body(c.version)), 0);
    c.check(ch);
    EXPECT_EQ(ch.m_byAppearEffectMode, 0);
    EXPECT_EQ(ch.m_bScrollSync, 0);
    EXPECT_EQ(ch.m_byInvincibleOption, 1);
  }
}

TEST_F(CharaDataTest, EachFlagCopiesItsGroup) {
  cCharaData& s = common[1];
  s.m_strName = "src";
  s.m_byControl = 0, s.m_byPlayerNo = 3, s.m_byLayer = 5, s.m_byCharaId = 6;
  s.m_vCond.resize(2);
  s.m_byCondRule = 1, s.m_bCondOnce = 1, s.m_byDirection = 1, s.m_byCpuReserved = 7;
  s.m_sGroupX0 = 8, s.m_sGroupXStep = 9, s.m_bGroupMirrorX = 1, s.m_sGroupY0 = 10, s.m_sGroupYStep = 11;
  s.m_bGroupMirrorY = 1, s.m_byGraphicKind = 3, s.m_wGraphic = 12, s.m_wGraphicSub = 13, s.m_wAnimeSet = 14;
  s.m_byZ = 5, s.m_bTransparent = 1, s.m_wAppearEffect = 15, s.m_byAppearEffectMode = 2;
  s.m_byAppearEffectValue = 3, s.m_wDeathEffect = 16, s.m_byDeathEffectMode = 4, s.m_bShowMark = 1;
  s.m_wMark = 17, s.m_bFixedFacing = 0, s.m_byFlying = 2, s.m_byInvincible = 1, s.m_byInvincibleOption = 5;
  s.m_bBlockChara = 1, s.m_byZoom = 4, s.m_bScrollSync = 1, s.m_bySightShape = 2, s.m_bySight = 18;
  s.m_nMaxHp = 19, s.m_nMaxSp = 20, s.m_byContactBox = 3, s.m_nPower = 21, s.m_cImpact = -22;
  s.m_wHitEffect = 23, s.m_nDefence = 24, s.m_byImpactResist = 25, s.m_sStop = 26, s.m_byActRange = 3;
  s.m_byActRule = 2, s.m_wActGroup = 27, s.m_bActGroup = 1, s.m_nScore = 28, s.m_byBoxOption = 0;
  s.m_vFlow.resize(2);
  s.m_vFlow[1].m_byId = 29;

  using C = cCharaData;
  using Check = std::function<bool(const C&)>;
#define SAME(member) {#member, [&](const C& c) { return c.member == s.member; }}
  const std::pair<const char*, Check> members[] = {
      SAME(m_strName), SAME(m_byControl), SAME(m_byPlayerNo), SAME(m_byLayer), SAME(m_byCharaId),
      {"m_vCond", [&](const C& c) { return c.m_vCond.size() == 2; }},
      SAME(m_byCondRule), SAME(m_bCondOnce), SAME(m_byDirection), SAME(m_byCpuReserved), SAME(m_sGroupX0),
      SAME(m_sGroupXStep), SAME(m_bGroupMirrorX), SAME(m_sGroupY0), SAME(m_sGroupYStep), SAME(m_bGroupMirrorY),
      SAME(m_byGraphicKind), SAME(m_wGraphic), SAME(m_wGraphicSub), SAME(m_wAnimeSet), SAME(m_byZ),
      SAME(m_bTransparent), SAME(m_wAppearEffect), SAME(m_byAppearEffectMode), SAME(m_byAppearEffectValue),
      SAME(m_wDeathEffect), SAME(m_byDeathEffectMode), SAME(m_bShowMark), SAME(m_wMark), SAME(m_bFixedFacing),
      SAME(m_byFlying), SAME(m_byInvincible), SAME(m_byInvincibleOption), SAME(m_bBlockChara), SAME(m_byZoom),
      SAME(m_bScrollSync), SAME(m_bySightShape), SAME(m_bySight), SAME(m_nMaxHp), SAME(m_nMaxSp),
      SAME(m_byContactBox), SAME(m_nPower), SAME(m_cImpact), SAME(m_wHitEffect), SAME(m_nDefence),
      SAME(m_byImpactResist), SAME(m_sStop), SAME(m_byActRange), SAME(m_byActRule), SAME(m_wActGroup),
      SAME(m_bActGroup), SAME(m_nScore), SAME(m_byBoxOption),
      {"m_vFlow", [&](const C& c) { return c.m_vFlow.size() == 2 && c.m_vFlow[1].m_byId == 29; }},
  };
#undef SAME
  const std::set<std::string> groups[C::GROUP_COUNT] = {
      {"m_strName"},
      {"m_byControl", "m_byPlayerNo"},
      {"m_byLayer"},
      {"m_byCharaId"},
      {"m_vCond", "m_byCondRule", "m_bCondOnce"},
      {"m_byDirection"},
      {"m_byCpuReserved"},
      {"m_sGroupX0", "m_sGroupXStep", "m_bGroupMirrorX"},
      {"m_sGroupY0", "m_sGroupYStep", "m_bGroupMirrorY"},
      {"m_byGraphicKind", "m_wGraphic", "m_wGraphicSub"},
      {"m_wAnimeSet"},
      {"m_byZ"},
      {"m_bTransparent"},
      {"m_wAppearEffect", "m_byAppearEffectMode", "m_byAppearEffectValue"},
      {"m_wDeathEffect", "m_byDeathEffectMode"},
      {"m_bShowMark", "m_wMark"},
      {"m_bFixedFacing"},
      {"m_byFlying"},
      {"m_byInvincible", "m_byInvincibleOption"},
      {"m_bBlockChara"},
      {"m_byZoom"},
      {"m_bScrollSync"},
      {"m_bySightShape", "m_bySight"},
      {"m_nMaxHp"},
      {"m_nMaxSp"},
      {"m_byContactBox"},
      {"m_nPower"},
      {"m_cImpact"},
      {"m_wHitEffect"},
      {"m_nDefence"},
      {"m_byImpactResist"},
      {"m_sStop"},
      {"m_byActRange", "m_byActRule"},
      {"m_wActGroup", "m_bActGroup"},
      {"m_nScore"},
      {"m_byBoxOption"},
      {"m_vFlow"},
  };
  for (int g = 0; g < C::GROUP_COUNT; ++g) {
    SCOPED_TRACE(g);
    C c;
    c.m_byInheritKind = 1, c.m_wInheritIndex = 1;
    c.m_vFlow.resize(1);
    c.m_vInheritFlags[g] = 1;
    c.ApplyPalette();
    std::set<std::string> same;
    for (const auto& [name, check] : members)
      if (check(c)) same.insert(name);
    EXPECT_EQ(same, groups[g]);
  }

  // The inherited flows are copies.
  C c;
  c.m_byInheritKind = 1, c.m_wInheritIndex = 1, c.m_vInheritFlags[C::FLOW_GROUP] = 1;
  s.m_vFlow[1].m_vCmd.resize(1);
  CreateEdShot(s.m_vFlow[1].m_vCmd[0].m_pShot);
  c.ApplyPalette();
  ASSERT_TRUE(c.m_vFlow[1].m_vCmd[0].m_pShot);
  EXPECT_NE(c.m_vFlow[1].m_vCmd[0].m_pShot.get(), s.m_vFlow[1].m_vCmd[0].m_pShot.get());
  c.m_vFlow[1].m_vCmd[0].m_pShot->m_nPower = 3;
  EXPECT_EQ(s.m_vFlow[1].m_vCmd[0].m_pShot->m_nPower, 0);
}

TEST_F(CharaDataTest, InheritingNoFlowsEndsWithoutFlows) {
  // Inheritance alone gives one default flow...
  cCharaData c;
  c.m_byInheritKind = 2, c.m_wInheritIndex = 2, c.m_vInheritFlags[cCharaData::FLOW_GROUP] = 1;
  c.m_vFlow.resize(3);
  c.ApplyPalette();
  ASSERT_EQ(c.m_vFlow.size(), 1u);
  EXPECT_TRUE(c.m_vFlow[0].IsEmpty());
  EXPECT_EQ(c.m_vFlow[0].m_byKeySlack, 3);

  // ... which the validation after it erases, as every flow that does nothing.
  CharaBytes b;
  b.inheritKind = 2, b.inheritIndex = 2, b.flags[cCharaData::FLOW_GROUP] = 1;
  b.flows = {FlowWithId(1)};
  cCharaData loaded;
  EXPECT_EQ(Load(loaded, 790, b.Body(790)), 0);
  EXPECT_TRUE(loaded.m_vFlow.empty());
  EXPECT_EQ(loaded.m_byInheritKind, 2);
}

TEST_F(CharaDataTest, ValidationRepairsIndexes) {
  g_DefContext.anDbListSize[DBLIST_BMP_CHARAEXC] = 4;
  g_DefContext.anDbListSize[DBLIST_ANIMESET] = 3;
  g_DefContext.anDbListSize[DBLIST_CHARAEFFECT] = 2;
  g_DefContext.anDbListSize[DBLIST_EFFECT] = 6;
  struct Case {
    const char* name;
    std::function<void(CharaBytes&)> store;
    std::function<void(const cCharaData&)> check;
  };
  const Case cases[] = {
      // Inheritance clears the kind and leaves the index, which then names nothing.
      {"stage palette index = size", [](CharaBytes& b) { b.inheritKind = 2, b.inheritIndex = 5, b.name = "own"; },
       [](const cCharaData& c) {
         EXPECT_EQ(c.m_byInheritKind, 0);
         EXPECT_EQ(c.m_wInheritIndex, 5);
         EXPECT_EQ(c.m_strName, "own");
       }},
      {"stage palette last index", [](CharaBytes& b) { b.inheritKind = 2, b.inheritIndex = 4; },
       [](const cCharaData& c) { EXPECT_EQ(c.m_byInheritKind, 2); }},
      {"dedicated bitmap beyond", [](CharaBytes& b) { b.graphicKind = 4, b.graphic = 4; },
       [](const cCharaData& c) { EXPECT_EQ(c.m_wGraphic, 1); }},
      {"dedicated bitmap last", [](CharaBytes& b) { b.graphicKind = 4, b.graphic = 3; },
       [](const cCharaData& c) { EXPECT_EQ(c.m_wGraphic, 3); }},
      {"character sheet", [](CharaBytes& b) { b.graphicKind = 1, b.graphic = 400; },
       [](const cCharaData& c) { EXPECT_EQ(c.m_wGraphic, 400); }},
      {"zoom 0", [](CharaBytes& b) { b.zoom = 0; }, [](const cCharaData& c) { EXPECT_EQ(c.m_byZoom, 1); }},
      {"animation set", [](CharaBytes& b) { b.animeSet = 3; }, [](const cCharaData& c) { EXPECT_EQ(c.m_wAnimeSet, 0); }},
      {"effects",
       [](CharaBytes& b) { b.appearEffect = 2, b.deathEffect = 1, b.hitEffect = 6; },
       [](const cCharaData& c) {
         EXPECT_EQ(c.m_wAppearEffect, 0);
         EXPECT_EQ(c.m_wDeathEffect, 1);
         EXPECT_EQ(c.m_wHitEffect, 0);
       }},
      {"player character", [](CharaBytes& b) { b.control = 0, b.blockChara = 1, b.cpuReserved = 4; },
       [](const cCharaData& c) {
         EXPECT_EQ(c.m_bBlockChara, 0);
         EXPECT_EQ(c.m_byCpuReserved, 0);
       }},
      {"computer character", [](CharaBytes& b) { b.control = 1, b.blockChara = 1, b.cpuReserved = 4; },
       [](const cCharaData& c) {
         EXPECT_EQ(c.m_bBlockChara, 1);
         EXPECT_EQ(c.m_byCpuReserved, 4);
       }},
      // Values that index the input records, the per-side lists and the zoom steps.
      {"player number", [](CharaBytes& b) { b.playerNo = 1; }, [](const cCharaData& c) { EXPECT_EQ(c.m_byPlayerNo, 0); }},
      {"layer", [](CharaBytes& b) { b.layer = 8; }, [](const cCharaData& c) { EXPECT_EQ(c.m_byLayer, 7); }},
      {"zoom 11", [](CharaBytes& b) { b.zoom = 11; }, [](const cCharaData& c) { EXPECT_EQ(c.m_byZoom, 10); }},
      {"zoom 255", [](CharaBytes& b) { b.zoom = 255; }, [](const cCharaData& c) { EXPECT_EQ(c.m_byZoom, 10); }},
      {"flows doing nothing",
       [](CharaBytes& b) { b.flows = {FlowBytes().Body(790), FlowWithId(2), FlowBytes().Body(790)}; },
       [](const cCharaData& c) {
         ASSERT_EQ(c.m_vFlow.size(), 1u);
         EXPECT_EQ(c.m_vFlow[0].m_byId, 2);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CharaBytes b;
    c.store(b);
    cCharaData ch;
    EXPECT_EQ(Load(ch, 790, b.Body(790)), 0);
    c.check(ch);
  }
  const std::string log = env.ReportText();
  for (const char* line : {"cCharaData: m_byPlayerNo 1 is out of range and was set to 0",
                           "cCharaData: m_byLayer 8 is out of range and was set to 7",
                           "cCharaData: m_byZoom 255 is out of range and was set to 10"})
    EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;

  // A bitmap list without an entry 1 repairs to 0.
  g_DefContext.anDbListSize[DBLIST_BMP_CHARAEXC] = 1;
  cCharaData c;
  c.m_byGraphicKind = 4, c.m_wGraphic = 2;
  c.Validate();
  EXPECT_EQ(c.m_wGraphic, 0);
}

TEST_F(CharaDataTest, TestOnlyFlowsGoUnlessKept) {
  CharaBytes b;
  b.flows = {FlowWithId(1, 1), FlowWithId(2), FlowWithId(3, 1)};
  for (int mode = 0; mode < 3; ++mode) {
    g_DefContext.bTestPlay = mode == 1;
    g_DefContext.bKeepFlaggedFlows = mode == 2;
    cCharaData c;
    EXPECT_EQ(Load(c, 790, b.Body(790)), 0);
    EXPECT_EQ(c.m_vFlow.size(), mode == 0 ? 1u : 3u) << mode;
  }
}

TEST_F(CharaDataTest, CopiesAndPaletteReferencesOfTheFlows) {
  cSafeVector<int> items(2);
  g_DefContext.item.common.Bind(&items);
  cCharaData a;
  a.m_vFlow.resize(1);
  a.m_vFlow[0].m_vCmd.resize(1);
  cFlowCmd& cmd = a.m_vFlow[0].m_vCmd[0];
  cmd.m_byKind = CMD_TAKE_ITEM, cmd.m_vParam = {0, 5};

  cCharaData b(a), c;
  c = a;
  a.ValidatePalette();
  EXPECT_EQ(cmd.m_vParam[1], 1);
  EXPECT_EQ(b.m_vFlow[0].m_vCmd[0].m_vParam[1], 5);
  EXPECT_EQ(c.m_vFlow[0].m_vCmd[0].m_vParam[1], 5);
}

TEST_F(CharaDataTest, GroupOffsets) {
  cCharaData c;
  c.m_sGroupX0 = 16, c.m_sGroupXStep = 32, c.m_sGroupY0 = -8, c.m_sGroupYStep = 4;
  struct Case {
    uint8_t mirrorX, mirrorY;
    int i, facing, x, y;
  } cases[] = {{0, 0, 0, 0, 16, -8}, {0, 0, 2, 1, 80, 0}, {1, 0, 2, 1, -80, 0}, {1, 1, 3, 1, -112, -4},
               {1, 1, 3, 0, 112, 4}};
  for (const Case& k : cases) {
    c.m_bGroupMirrorX = k.mirrorX, c.m_bGroupMirrorY = k.mirrorY;
    EXPECT_EQ(c.GetGroupOffsetX(k.i, k.facing), k.x) << k.i << "/" << k.facing;
    EXPECT_EQ(c.GetGroupOffsetY(k.i, k.facing), k.y) << k.i << "/" << k.facing;
  }
}

TEST_F(CharaDataTest, HostileCountsAreRefused) {
  CharaBytes b;
  const std::string full = b.Body(790);
  // The fields, the name and the head values, then bad counts.
  const std::string head = full.substr(0, 4 + 82 + 4 + 4 + 8);
  const std::string bodies[] = {
      ByteWriter().Bytes(head).U32(0xFFFFFFFF).str(),
      ByteWriter().Bytes(head).U32(37).Zeros(37).U32(0).U32(0x7FFFFFFF).str(),
      full.substr(0, full.size() - 3),
  };
  for (const std::string& body : bodies) {
    cCharaData c;
    c.m_vFlow.resize(2);
    EXPECT_EQ(Load(c, 790, body), -1);
    EXPECT_TRUE(c.m_vFlow.empty());
  }
}

// A character holding a flow whose command has a movement, a shot and a condition list.
TEST_F(CharaDataTest, EveryGateOfTheLayoutIsReadWhereTheFileHasIt) {
  ExpectGatesOfLayout([] { return std::make_unique<cCharaData>(); }, [](int v) {
    FlowBytes f;
    f.cmds = {CmdWithPartsBody(v)};
    CharaBytes b;
    b.name = "hero";
    b.flows = {f.Body(v)};
    return b.Body(v);
  });
}

}  // namespace
