#include "defs/block_data.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "defs_fixture.h"
#include "record_bytes.h"
#include "support/bytes.h"

namespace {

class BlockDataTest : public DefsTest {
 protected:
  void SetUp() override {
    DefsTest::SetUp();
    common.resize(3);
    stage.resize(4);
    g_DefContext.block.common.Bind(&common);
    g_DefContext.block.stage.Bind(&stage);
    // The source every inheritance test copies from: every member differs from a fresh entry.
    cBlockData& s = common[1];
    s.m_strName = "src";
    s.m_vCond.resize(2);
    s.m_vCond[1].m_nValue = 42;
    s.m_byCondRule = 1, s.m_bCondOnce = 1;
    s.m_byGraphicKind = 2, s.m_wGraphic = 33, s.m_wGraphicSub = 4;
    s.m_byZ = 5, s.m_bTransparent = 1, s.m_byShowMark = 1, s.m_wMark = 17, s.m_byHit = 2;
    s.m_cExemptLayer = 3, s.m_byEffect = 4, s.m_nEffectX = -9, s.m_byItemKind = 2, s.m_wItemIndex = 6;
    s.m_byExtra = 8;
  }

  // The names of the members in which a entry equals the common palette's entry 1.
  std::set<std::string> SameAsSource(const cBlockData& b) {
    const cBlockData& s = common[1];
    std::set<std::string> same;
    if (b.m_strName == s.m_strName) same.insert("name");
    if (b.m_vCond.size() == s.m_vCond.size() && b.m_vCond.size() == 2 && b.m_vCond[1].m_nValue == 42) same.insert("cond");
    if (b.m_byCondRule == s.m_byCondRule) same.insert("condRule");
    if (b.m_bCondOnce == s.m_bCondOnce) same.insert("condOnce");
    if (b.m_byGraphicKind == s.m_byGraphicKind) same.insert("graphicKind");
    if (b.m_wGraphic == s.m_wGraphic) same.insert("graphic");
    if (b.m_wGraphicSub == s.m_wGraphicSub) same.insert("graphicSub");
    if (b.m_byZ == s.m_byZ) same.insert("z");
    if (b.m_bTransparent == s.m_bTransparent) same.insert("transparent");
    if (b.m_byShowMark == s.m_byShowMark) same.insert("showMark");
    if (b.m_wMark == s.m_wMark) same.insert("mark");
    if (b.m_byHit == s.m_byHit) same.insert("hit");
    if (b.m_cExemptLayer == s.m_cExemptLayer) same.insert("exempt");
    if (b.m_byEffect == s.m_byEffect) same.insert("effect");
    if (b.m_nEffectX == s.m_nEffectX) same.insert("effectX");
    if (b.m_byItemKind == s.m_byItemKind) same.insert("itemKind");
    if (b.m_wItemIndex == s.m_wItemIndex) same.insert("itemIndex");
    if (b.m_byExtra == s.m_byExtra) same.insert("extra");
    return same;
  }

  static const std::set<std::string>& AllMembers() {
    static const std::set<std::string> all = {"name",   "cond",        "condRule",  "condOnce",  "graphicKind",
                                              "graphic", "graphicSub", "z",         "transparent", "showMark",
                                              "mark",   "hit",         "exempt",    "effect",    "effectX",
                                              "itemKind", "itemIndex", "extra"};
    return all;
  }

  // An entry whose own values differ from the source's in every member.
  static BlockBytes Own(uint8_t kind, int16_t index, std::vector<uint8_t> flags) {
    BlockBytes b;
    b.inheritKind = kind, b.inheritIndex = index, b.flags = std::move(flags);
    b.name = "own", b.graphic = 7, b.hit = 1;
    return b;
  }

  cSafeVector<cBlockData> common, stage;
};

TEST_F(BlockDataTest, BodyAt790InFileOrder) {
  cBlockData b;
  b.m_byInheritKind = 0, b.m_wInheritIndex = 2, b.m_byCondRule = 1, b.m_bCondOnce = 1;
  b.m_wGraphic = 0x1234, b.m_byGraphicKind = 4, b.m_wGraphicSub = 0x0506, b.m_byZ = 2, b.m_bTransparent = 1;
  b.m_byShowMark = 2, b.m_wMark = 300, b.m_byHit = 2, b.m_cExemptLayer = 5, b.m_byEffect = 3;
  b.m_nEffectX = -70000, b.m_byItemKind = 2, b.m_wItemIndex = -3, b.m_byExtra = 0x7F;
  b.m_strName = "abc", b.m_wHeadA = 12, b.m_wHeadB = 0xFFFF;
  b.m_vInheritFlags[3] = 1;
  b.m_vCond.resize(1);
  b.m_vCond[0].m_byKind = 1, b.m_vCond[0].m_nValue = 5;

  BlockBytes e;
  e.inheritKind = 0, e.inheritIndex = 2, e.condRule = 1, e.condOnce = 1, e.graphic = 0x1234, e.graphicKind = 4;
  e.graphicSub = 0x0506, e.z = 2, e.transparent = 1, e.showMark = 2, e.mark = 300, e.hit = 2, e.exempt = 5;
  e.effect = 3, e.effectX = -70000, e.itemKind = 2, e.itemIndex = -3, e.extra = 0x7F, e.name = "abc";
  e.headA = 12, e.headB = 0xFFFF, e.flags[3] = 1, e.conds = {5};

  // 4 + 26 field bytes, 4 + 8 for the name, 4 head bytes, 4 + 11 flags, 4 + 36 for the condition.
  const std::string saved = Save(b);
  EXPECT_EQ(saved.size(), 101u);
  EXPECT_EQ(b.GetFieldBytes(), 26);
  EXPECT_EQ(Hex(saved), Hex(e.Body()));

  cBlockData back;
  EXPECT_EQ(Load(back, 790, saved), 0);
  EXPECT_EQ(Hex(Save(back)), Hex(saved));
}

TEST_F(BlockDataTest, ConstructionAndClear) {
  cBlockData b;
  EXPECT_EQ(b.m_byHit, 1);
  EXPECT_EQ(b.m_cExemptLayer, -1);
  EXPECT_EQ(b.m_vInheritFlags, cSafeVector<uint8_t>(11, 0));
  EXPECT_TRUE(b.m_vCond.empty());

  b.m_vInheritFlags.assign(15, 1);
  b.m_vCond.resize(2);
  b.m_wHeadA = 3, b.m_wHeadB = 4, b.m_wGraphic = 9, b.m_byHit = 2, b.m_strName = "x";
  b.Clear();
  EXPECT_EQ(b.m_vInheritFlags, cSafeVector<uint8_t>(11, 0));
  EXPECT_EQ(b.m_wGraphic, 0);
  EXPECT_EQ(b.m_byHit, 1);
  EXPECT_EQ(b.m_cExemptLayer, -1);
  EXPECT_EQ(b.m_strName, "");
  // The conditions and the raw head values stay.
  EXPECT_EQ(b.m_vCond.size(), 2u);
  EXPECT_EQ(b.m_wHeadA, 3);
  EXPECT_EQ(b.m_wHeadB, 4);
}

TEST_F(BlockDataTest, ShotGraphicsOfFilesBefore219MoveUpByOne) {
  struct Case {
    int version;
    uint8_t kind;
    uint16_t graphic, expected;
  } cases[] = {
      {218, 3, 5, 6}, {218, 3, 118, 119}, {218, 3, 119, 119}, {218, 3, 0xFFFF, 119},
      {218, 2, 5, 5}, {219, 3, 5, 5},     {790, 3, 118, 118},
  };
  for (const Case& c : cases) {
    BlockBytes bytes;
    bytes.graphicKind = c.kind, bytes.graphic = c.graphic;
    cBlockData b;
    EXPECT_EQ(Load(b, c.version, bytes.Body()), 0);
    EXPECT_EQ(b.m_wGraphic, c.expected) << "version " << c.version << " kind " << +c.kind << " graphic " << c.graphic;
  }
}

TEST_F(BlockDataTest, ABlockWithoutGraphicHasNoCollisionOnLoadAndSave) {
  BlockBytes bytes;
  bytes.graphic = 0, bytes.hit = 2, bytes.extra = 9;
  cBlockData b;
  EXPECT_EQ(Load(b, 790, bytes.Body()), 0);
  EXPECT_EQ(b.m_byHit, 0);
  EXPECT_EQ(b.m_byExtra, 0);

  // A fresh block (the palette's default entry) has no graphic: its collision goes as well.
  cBlockData fresh;
  fresh.m_byExtra = 3;
  BlockBytes expected;
  expected.graphic = 0, expected.hit = 0, expected.extra = 0;
  EXPECT_EQ(Hex(Save(fresh)), Hex(expected.Body()));
  EXPECT_EQ(fresh.m_byHit, 0);
}

TEST_F(BlockDataTest, EachFlagCopiesItsGroup) {
  const std::set<std::string> groups[cBlockData::GROUP_COUNT] = {
      {"name"},
      {"cond", "condRule", "condOnce"},
      {"graphicKind", "graphic", "graphicSub"},
      {"z"},
      {"transparent"},
      {"showMark", "mark"},
      {"hit"},
      {"exempt"},
      {"effect", "effectX"},
      {"itemKind", "itemIndex"},
      {"extra"},
  };
  for (int g = 0; g < cBlockData::GROUP_COUNT; ++g) {
    SCOPED_TRACE(g);
    cBlockData b;
    b.m_strName = "own", b.m_wGraphic = 7;
    b.m_byInheritKind = 1, b.m_wInheritIndex = 1;
    b.m_vInheritFlags[g] = 1;
    ASSERT_TRUE(SameAsSource(b).empty());
    b.ApplyPalette();
    EXPECT_EQ(SameAsSource(b), groups[g]);
    EXPECT_EQ(b.m_byInheritKind, 1);
  }
}

TEST_F(BlockDataTest, FlagsBeyondTheGroupsAreIgnoredAndMissingFlagsCopyNothing) {
  // 15 flags, all set: the 11 groups are copied, the other 4 flags are kept and ignored.
  cBlockData all;
  EXPECT_EQ(Load(all, 790, Own(1, 1, std::vector<uint8_t>(15, 1)).Body()), 0);
  EXPECT_EQ(SameAsSource(all), AllMembers());
  EXPECT_EQ(all.m_vInheritFlags.size(), 15u);

  // 3 flags: groups 0..2 at most.
  cBlockData three;
  EXPECT_EQ(Load(three, 790, Own(1, 1, {1, 1, 1}).Body()), 0);
  EXPECT_EQ(SameAsSource(three),
            (std::set<std::string>{"name", "cond", "condRule", "condOnce", "graphicKind", "graphic", "graphicSub"}));

  // Every flag 0: the entry keeps its own values although its source is valid.
  cBlockData none;
  EXPECT_EQ(Load(none, 790, Own(1, 1, std::vector<uint8_t>(11, 0)).Body()), 0);
  EXPECT_TRUE(SameAsSource(none).empty());
  EXPECT_EQ(none.m_byInheritKind, 1);
  EXPECT_EQ(none.m_wInheritIndex, 1);
}

TEST_F(BlockDataTest, SourceReferencesOutsideThePaletteStopInheriting) {
  struct Case {
    const char* name;
    uint8_t kind;
    int16_t index;
    uint8_t expectedKind;
    int16_t expectedIndex;
    const char* expectedName;
  } cases[] = {
      {"kind 2, index 0 names no source", 2, 0, 2, 0, "own"},
      // The index is left as it was: only the kind is cleared.
      {"kind 1, index = size", 1, 3, 0, 3, "own"},
      {"kind 2, index = size", 2, 4, 0, 4, "own"},
      {"negative index", 1, -1, 0, -1, "own"},
      {"kind 1, last entry (a default entry)", 1, 2, 1, 2, ""},
      {"kind 1, index 1", 1, 1, 1, 1, "src"},
      // Kind 3 and above name the entry itself.
      {"kind 3", 3, 1, 3, 1, "own"},
      {"kind 255", 255, 9, 255, 9, "own"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cBlockData b;
    EXPECT_EQ(Load(b, 790, Own(c.kind, c.index, std::vector<uint8_t>(11, 1)).Body()), 0);
    EXPECT_EQ(b.m_byInheritKind, c.expectedKind);
    EXPECT_EQ(b.m_wInheritIndex, c.expectedIndex);
    EXPECT_EQ(b.m_strName, c.expectedName);
  }
}

struct FakeItem {
  int n = 0;
};

TEST_F(BlockDataTest, WithoutBoundPalettesNothingIsInherited) {
  g_DefContext.block = cPaletteLists();
  cBlockData b;
  EXPECT_EQ(Load(b, 790, Own(1, 1, std::vector<uint8_t>(11, 1)).Body()), 0);
  EXPECT_EQ(b.m_byInheritKind, 0);
  EXPECT_EQ(b.m_strName, "own");

  // A list of another class is never read as blocks.
  cSafeVector<FakeItem> items(5);
  g_DefContext.block.common.Bind(&items);
  cBlockData c;
  EXPECT_EQ(Load(c, 790, Own(1, 1, std::vector<uint8_t>(11, 1)).Body()), 0);
  EXPECT_EQ(c.m_byInheritKind, 0);
  EXPECT_EQ(c.m_strName, "own");
}

TEST_F(BlockDataTest, AStageEntryInheritingFromItselfIsLeftAsItIs) {
  // The entry is read in place into the stage list it names.
  EXPECT_EQ(Load(stage[2], 790, Own(2, 2, std::vector<uint8_t>(11, 1)).Body()), 0);
  EXPECT_EQ(stage[2].m_strName, "own");
  EXPECT_EQ(stage[2].m_wGraphic, 7);
  EXPECT_EQ(stage[2].m_byInheritKind, 2);
}

TEST_F(BlockDataTest, ValidationClearsAReferenceThatNoLongerFits) {
  cBlockData b;
  b.m_byInheritKind = 2, b.m_wInheritIndex = 3, b.m_wGraphic = 1;
  b.Validate();
  EXPECT_EQ(b.m_byInheritKind, 2);
  stage.resize(3);
  b.Validate();
  EXPECT_EQ(b.m_byInheritKind, 0);
  EXPECT_EQ(b.m_wInheritIndex, 0);
}

TEST_F(BlockDataTest, ItemReferencesBeyondTheItemPaletteAreCleared) {
  cSafeVector<FakeItem> commonItems(3), stageItems(5);
  g_DefContext.item.common.Bind(&commonItems);
  g_DefContext.item.stage.Bind(&stageItems);
  struct Case {
    uint8_t kind;
    int16_t index;
    bool kept;
  } cases[] = {{1, 2, true}, {1, 3, false}, {2, 4, true}, {2, 5, false},
               {2, -1, false}, {0, 7, true}, {3, 99, true}};
  for (const Case& c : cases) {
    cBlockData b;
    b.m_byItemKind = c.kind, b.m_wItemIndex = c.index;
    b.ValidateItemRef();
    EXPECT_EQ(b.m_byItemKind, c.kept ? c.kind : 0) << +c.kind << "/" << c.index;
    EXPECT_EQ(b.m_wItemIndex, c.kept ? c.index : 0) << +c.kind << "/" << c.index;
  }
}

TEST_F(BlockDataTest, HostileCountsAreRefused) {
  for (int part = 0; part < 3; ++part) {
    ByteWriter w;
    const std::string body = BlockBytes().Body();
    // The fields and the name (4 + 26 + 4 + 4), the head values, then a bad count.
    w.Bytes(body.substr(0, 42));
    if (part == 0) {
      w.U32(3).U8(1).U8(1);  // one flag more than the file holds
    } else if (part == 1) {
      w.U32(0xFFFFFFF0);
    } else {
      w.U32(11).Zeros(11).U32(0x7FFFFFFF);
    }
    cBlockData b;
    b.m_vCond.resize(1);
    b.m_vInheritFlags.assign(4, 7);
    EXPECT_EQ(Load(b, 790, w.str()), -1) << part;
    EXPECT_TRUE(b.m_vCond.empty()) << part;
    // The flags are taken only with a count the file can hold.
    EXPECT_EQ(b.m_vInheritFlags, (part == 2 ? cSafeVector<uint8_t>(11, 0) : cSafeVector<uint8_t>(4, 7))) << part;
  }
}

int g_nChecks = 0;
MapChip* g_lpChecked = nullptr;
int g_nCheckResult = 0;

int FakeCheckBlockConds(MapChip& chip) {
  ++g_nChecks;
  g_lpChecked = &chip;
  return g_nCheckResult;
}

TEST_F(BlockDataTest, HitTypeByExemptLayer) {
  struct Case {
    int8_t exempt;
    int layer;
    uint8_t hit;
    int expected;
  } cases[] = {{-1, 0, 1, 1}, {-1, 7, 2, 2}, {1, 1, 1, 0}, {1, 1, 2, 0}, {1, 2, 1, 1}, {1, 0, 2, 2}};
  for (const Case& c : cases) {
    MapChip chip;
    chip.m_cExemptLayer = c.exempt, chip.m_byHit = c.hit;
    EXPECT_EQ(chip.GetHitType(c.layer), c.expected) << +c.exempt << " layer " << c.layer;
  }
}

TEST_F(BlockDataTest, HitTypeAsksThePlaySceneOnlyForChipsWithConditions) {
  MapChip chip;
  chip.m_byHit = 2;
  g_nChecks = 0;
  // No scene: the chip counts as present.
  chip.m_vCond.resize(1);
  EXPECT_EQ(chip.GetHitType(0), 2);

  g_DefContext.lpfnCheckBlockConds = &FakeCheckBlockConds;
  g_nCheckResult = 0;
  EXPECT_EQ(chip.GetHitType(0), 0);
  EXPECT_EQ(g_lpChecked, &chip);
  g_nCheckResult = 1;
  EXPECT_EQ(chip.GetHitType(0), 2);
  EXPECT_EQ(g_nChecks, 2);

  chip.m_vCond.clear();
  g_nCheckResult = 0;
  EXPECT_EQ(chip.GetHitType(0), 2);
  EXPECT_EQ(g_nChecks, 2);
}

}  // namespace
