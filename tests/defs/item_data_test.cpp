#include "defs/item_data.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "defs_fixture.h"
#include "record_bytes.h"
#include "support/bytes.h"

namespace {

class ItemDataTest : public DefsTest {
 protected:
  void SetUp() override {
    DefsTest::SetUp();
    for (int& n : g_DefContext.anDbListSize) n = 50;
    common.resize(3);
    stage.resize(2);
    g_DefContext.item.common.Bind(&common);
    g_DefContext.item.stage.Bind(&stage);
  }

  cSafeVector<cItemData> common, stage;
};

TEST_F(ItemDataTest, BodyAt790InFileOrder) {
  cItemData i;
  i.m_byInheritKind = 0, i.m_wInheritIndex = 1, i.m_byCondRule = 1, i.m_bCondOnce = 1, i.m_wAttrA = 0x1111;
  i.m_wAttrB = 0x2222, i.m_wGraphic = 33, i.m_byGraphicKind = 4, i.m_wGraphicSub = 5, i.m_byZ = 7;
  i.m_bTransparent = 1, i.m_byShowMark = 1, i.m_wMark = 119, i.m_bTakePopup = 0, i.m_byTakeRule = 2;
  i.m_byZoom = 10, i.m_wSound = 49, i.m_strName = "item", i.m_wHeadA = 3, i.m_wHeadB = 4;
  i.m_vInheritFlags[12] = 1;
  i.m_vCond.resize(1);
  i.m_vCond[0].m_byKind = 1, i.m_vCond[0].m_nValue = 8;
  i.m_vCmd.resize(1);
  i.m_vCmd[0].m_bySelector = 1, i.m_vCmd[0].m_byKind = LISTCMD_CHANGE_FLOW, i.m_vCmd[0].m_vParam = {1, 2};

  ItemBytes e;
  e.inheritKind = 0, e.inheritIndex = 1, e.condRule = 1, e.condOnce = 1, e.attrA = 0x1111, e.attrB = 0x2222;
  e.graphic = 33, e.graphicKind = 4, e.graphicSub = 5, e.z = 7, e.transparent = 1, e.showMark = 1, e.mark = 119;
  e.takePopup = 0, e.takeRule = 2, e.zoom = 10, e.sound = 49, e.name = "item", e.headA = 3, e.headB = 4;
  e.flags[12] = 1;
  e.conds = {CondBody(8)};
  CmdBytes cmd;
  cmd.selector = 1, cmd.kind = LISTCMD_CHANGE_FLOW, cmd.params = {1, 2};
  e.cmds = {cmd.Body(790)};

  const std::string saved = Save(i);
  EXPECT_EQ(i.GetFieldBytes(), 24);
  EXPECT_EQ(Hex(saved), Hex(e.Body()));

  cItemData back;
  EXPECT_EQ(Load(back, 790, saved), 0);
  EXPECT_EQ(back.m_bTakePopup, 0);
  EXPECT_EQ(back.m_byTakeRule, 2);
  ASSERT_EQ(back.m_vCmd.size(), 1u);
  EXPECT_EQ(back.m_vCmd[0].m_vParam[1], 2);
  EXPECT_EQ(Hex(Save(back)), Hex(saved));
}

TEST_F(ItemDataTest, ConstructionAndClear) {
  cItemData i;
  EXPECT_EQ(Hex(Save(i)), Hex(ItemBytes().Body()));
  i.m_vInheritFlags.assign(20, 1);
  i.m_vCmd.resize(2);
  i.m_vCond.resize(1);
  i.m_byZ = 1, i.m_byGraphicKind = 0, i.m_bTakePopup = 0, i.m_byZoom = 5, i.m_wSound = 3, i.m_wHeadA = 9;
  i.Clear();
  EXPECT_EQ(i.m_vInheritFlags, cSafeVector<uint8_t>(13, 0));
  EXPECT_EQ(i.m_byZ, 6);
  EXPECT_EQ(i.m_byGraphicKind, 2);
  EXPECT_EQ(i.m_bTakePopup, 1);
  EXPECT_EQ(i.m_byZoom, 1);
  EXPECT_EQ(i.m_wSound, 0);
  EXPECT_EQ(i.m_vCmd.size(), 2u);
  EXPECT_EQ(i.m_vCond.size(), 1u);
  EXPECT_EQ(i.m_wHeadA, 9);
}

TEST_F(ItemDataTest, ValuesAreRepairedAtLoad) {
  struct Case {
    const char* name;
    int version;
    std::function<void(ItemBytes&)> store;
    std::function<void(const cItemData&)> check;
  };
  const Case cases[] = {
      {"zoom 0", 790, [](ItemBytes& b) { b.zoom = 0; }, [](const cItemData& i) { EXPECT_EQ(i.m_byZoom, 1); }},
      {"negative zoom", 790, [](ItemBytes& b) { b.zoom = -3; }, [](const cItemData& i) { EXPECT_EQ(i.m_byZoom, 1); }},
      {"zoom 10", 790, [](ItemBytes& b) { b.zoom = 10; }, [](const cItemData& i) { EXPECT_EQ(i.m_byZoom, 10); }},
      {"zoom 11", 790, [](ItemBytes& b) { b.zoom = 11; }, [](const cItemData& i) { EXPECT_EQ(i.m_byZoom, 10); }},
      {"mark -5", 790, [](ItemBytes& b) { b.mark = -5; }, [](const cItemData& i) { EXPECT_EQ(i.m_wMark, 0); }},
      {"mark 119", 790, [](ItemBytes& b) { b.mark = 119; }, [](const cItemData& i) { EXPECT_EQ(i.m_wMark, 119); }},
      {"mark 120", 790, [](ItemBytes& b) { b.mark = 120; }, [](const cItemData& i) { EXPECT_EQ(i.m_wMark, 119); }},
      {"sound = the Sound list's size", 790, [](ItemBytes& b) { b.sound = 50; },
       [](const cItemData& i) { EXPECT_EQ(i.m_wSound, 0); }},
      {"last sound", 790, [](ItemBytes& b) { b.sound = 49; }, [](const cItemData& i) { EXPECT_EQ(i.m_wSound, 49); }},
      {"negative sound", 790, [](ItemBytes& b) { b.sound = -1; }, [](const cItemData& i) { EXPECT_EQ(i.m_wSound, 0); }},
      {"v218 shot graphic", 218, [](ItemBytes& b) { b.graphicKind = 3, b.graphic = 5; },
       [](const cItemData& i) { EXPECT_EQ(i.m_wGraphic, 6); }},
      {"v218 shot graphic 119", 218, [](ItemBytes& b) { b.graphicKind = 3, b.graphic = 119; },
       [](const cItemData& i) { EXPECT_EQ(i.m_wGraphic, 119); }},
      {"v219 shot graphic", 219, [](ItemBytes& b) { b.graphicKind = 3, b.graphic = 5; },
       [](const cItemData& i) { EXPECT_EQ(i.m_wGraphic, 5); }},
      {"commands validated", 790,
       [](ItemBytes& b) {
         CmdBytes c;
         c.selector = 1, c.kind = 30, c.params = {1};
         b.cmds = {c.Body(790)};
       },
       [](const cItemData& i) {
         ASSERT_EQ(i.m_vCmd.size(), 1u);
         EXPECT_EQ(i.m_vCmd[0].m_byKind, 0);
         EXPECT_TRUE(i.m_vCmd[0].m_vParam.empty());
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ItemBytes b;
    c.store(b);
    cItemData i;
    EXPECT_EQ(Load(i, c.version, b.Body()), 0);
    c.check(i);
  }
  EXPECT_NE(env.ReportText().find("cItemData: m_byZoom 11 is out of range and was set to 10"), std::string::npos);
  EXPECT_NE(env.ReportText().find("cItemData: m_wMark -5 is out of range and was set to 0"), std::string::npos);

  // Saving repairs the same way as loading.
  cItemData w;
  w.m_byZoom = 0, w.m_wSound = 60;
  ItemBytes e;
  EXPECT_EQ(Hex(Save(w)), Hex(e.Body()));
}

TEST_F(ItemDataTest, PaletteItemsByKindAndIndex) {
  struct Case {
    int kind;
    int16_t index;
    const cItemData* expected;
  } cases[] = {
      {1, 0, &common[0]}, {1, 2, &common[2]}, {1, 3, nullptr}, {1, -1, nullptr}, {2, 1, &stage[1]},
      {2, 2, nullptr},    {0, 0, nullptr},    {3, 0, nullptr}, {-1, 0, nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(GetPaletteItem(c.kind, c.index), c.expected) << c.kind << "/" << c.index;
  g_DefContext.item = cPaletteLists();
  EXPECT_EQ(GetPaletteItem(1, 0), nullptr);
}

TEST_F(ItemDataTest, EachFlagCopiesItsGroup) {
  cItemData& s = common[1];
  s.m_strName = "src";
  s.m_vCond.resize(2);
  s.m_byCondRule = 1, s.m_bCondOnce = 1, s.m_wAttrA = 1, s.m_wAttrB = 2, s.m_byGraphicKind = 3, s.m_wGraphic = 4;
  s.m_wGraphicSub = 5, s.m_byZ = 1, s.m_bTransparent = 1, s.m_byShowMark = 1, s.m_wMark = 7, s.m_byZoom = 3;
  s.m_byTakeRule = 2, s.m_bTakePopup = 0, s.m_wSound = 9;
  s.m_vCmd.resize(2);
  s.m_vCmd[1].m_byKind = CMD_SHOT;
  CreateEdShot(s.m_vCmd[1].m_pShot);
  s.m_vCmd[1].m_pShot->m_nPower = 40;

  using Check = std::function<bool(const cItemData&)>;
  const std::pair<const char*, Check> members[] = {
      {"name", [&](const cItemData& i) { return i.m_strName == s.m_strName; }},
      {"cond", [&](const cItemData& i) { return i.m_vCond.size() == 2; }},
      {"condRule", [&](const cItemData& i) { return i.m_byCondRule == s.m_byCondRule; }},
      {"condOnce", [&](const cItemData& i) { return i.m_bCondOnce == s.m_bCondOnce; }},
      {"attrA", [&](const cItemData& i) { return i.m_wAttrA == s.m_wAttrA; }},
      {"attrB", [&](const cItemData& i) { return i.m_wAttrB == s.m_wAttrB; }},
      {"graphicKind", [&](const cItemData& i) { return i.m_byGraphicKind == s.m_byGraphicKind; }},
      {"graphic", [&](const cItemData& i) { return i.m_wGraphic == s.m_wGraphic; }},
      {"graphicSub", [&](const cItemData& i) { return i.m_wGraphicSub == s.m_wGraphicSub; }},
      {"z", [&](const cItemData& i) { return i.m_byZ == s.m_byZ; }},
      {"transparent", [&](const cItemData& i) { return i.m_bTransparent == s.m_bTransparent; }},
      {"showMark", [&](const cItemData& i) { return i.m_byShowMark == s.m_byShowMark; }},
      {"mark", [&](const cItemData& i) { return i.m_wMark == s.m_wMark; }},
      {"zoom", [&](const cItemData& i) { return i.m_byZoom == s.m_byZoom; }},
      {"takeRule", [&](const cItemData& i) { return i.m_byTakeRule == s.m_byTakeRule; }},
      {"takePopup", [&](const cItemData& i) { return i.m_bTakePopup == s.m_bTakePopup; }},
      {"sound", [&](const cItemData& i) { return i.m_wSound == s.m_wSound; }},
      {"cmd", [&](const cItemData& i) { return i.m_vCmd.size() == 2; }},
  };
  const std::set<std::string> groups[cItemData::GROUP_COUNT] = {
      {"name"}, {"cond", "condRule", "condOnce"}, {"attrA"}, {"attrB"}, {"graphicKind", "graphic", "graphicSub"},
      {"z"},    {"transparent"},                   {"showMark", "mark"}, {"zoom"}, {"takeRule"},
      {"takePopup"}, {"sound"}, {"cmd"},
  };
  for (int g = 0; g < cItemData::GROUP_COUNT; ++g) {
    SCOPED_TRACE(g);
    cItemData i;
    i.m_byInheritKind = 1, i.m_wInheritIndex = 1;
    i.m_vInheritFlags[g] = 1;
    i.ApplyPalette();
    std::set<std::string> same;
    for (const auto& [name, check] : members)
      if (check(i)) same.insert(name);
    EXPECT_EQ(same, groups[g]);
  }

  // The inherited commands are copies: changing one leaves the source's alone.
  cItemData i;
  i.m_byInheritKind = 1, i.m_wInheritIndex = 1;
  i.m_vInheritFlags[12] = 1;
  i.ApplyPalette();
  ASSERT_TRUE(i.m_vCmd[1].m_pShot);
  EXPECT_NE(i.m_vCmd[1].m_pShot.get(), s.m_vCmd[1].m_pShot.get());
  i.m_vCmd[1].m_pShot->m_nPower = 1;
  EXPECT_EQ(s.m_vCmd[1].m_pShot->m_nPower, 40);
}

TEST_F(ItemDataTest, PaletteReferencesOfTheCommands) {
  cItemData i;
  i.m_vCmd.resize(2);
  i.m_vCmd[0].m_bySelector = 1, i.m_vCmd[0].m_byKind = 10, i.m_vCmd[0].m_vParam = {1, 2};
  i.m_vCmd[1].m_bySelector = 1, i.m_vCmd[1].m_byKind = 10, i.m_vCmd[1].m_vParam = {0, 2};
  i.ValidatePalette();
  EXPECT_EQ(i.m_vCmd[0].m_vParam[1], 1);
  EXPECT_EQ(i.m_vCmd[1].m_vParam[1], 2);
}

}  // namespace
