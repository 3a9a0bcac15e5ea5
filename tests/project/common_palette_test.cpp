#include "project/common_palette.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "defs/defs_fixture.h"
#include "defs/record_bytes.h"
#include "fixture/fixture.h"
#include "project/stage.h"
#include "support/bytes.h"

namespace {

class CommonPaletteTest : public DefsTest {
 protected:
  void SetUp() override {
    DefsTest::SetUp();
    for (int& n : g_DefContext.anDbListSize) n = 10;
    g_CommonPalette.SetDefContext();
    g_StageData.SetDefContext();
  }

  // The file body: no fields, no texts, then the three lists of entry bodies.
  static std::string Body(const std::vector<std::string>& blocks, const std::vector<std::string>& charas,
                          const std::vector<std::string>& items) {
    ByteWriter w;
    w.I32(0).I32(0);
    for (const std::vector<std::string>* list : {&blocks, &charas, &items}) {
      w.U32(static_cast<uint32_t>(list->size()));
      for (const std::string& b : *list) w.Bytes(b);
    }
    return w.str();
  }
};

TEST_F(CommonPaletteTest, EmptyListsLoadAsTwoDefaultEntries) {
  cCommonPalette p;
  p.m_vBlock.resize(5);
  ASSERT_EQ(Load(p, 790, Body({}, {}, {})), 0);
  EXPECT_EQ(p.m_vBlock.size(), 2u);
  EXPECT_EQ(p.m_vChara.size(), 2u);
  EXPECT_EQ(p.m_vItem.size(), 2u);
  // Saving writes what a load reads: the record block without fields and the three lists.
  const std::string saved = Save(p);
  int32_t head[3];
  std::memcpy(head, saved.data(), sizeof head);
  EXPECT_EQ(head[0], 0);
  EXPECT_EQ(head[1], 0);
  EXPECT_EQ(head[2], 2) << "block count";
  // The lists were empty: no fixed entry was forced on them, only default records were added.
  EXPECT_EQ(p.m_vItem[0].m_bTakePopup, 1);
  cCommonPalette back;
  EXPECT_EQ(Load(back, 790, saved), 0);
  EXPECT_EQ(back.m_vItem.size(), 2u);
  EXPECT_EQ(back.m_vItem[0].m_bTakePopup, 0) << "entry 0 of a stored list is the fixed default";
}

TEST_F(CommonPaletteTest, EntriesEndWithoutInheritanceFlagsAndEntryZeroIsFixed) {
  BlockBytes zero, source, heir;
  zero.graphic = 8, zero.name = "zero", zero.flags = std::vector<uint8_t>(11, 1);
  source.name = "source", source.graphic = 4;
  // Inherits its name from entry 1 of the palette being read.
  heir.inheritKind = 1, heir.inheritIndex = 1, heir.flags[0] = 1, heir.flags[3] = 1;
  CharaBytes chara;
  chara.inheritKind = 2, chara.inheritIndex = 5, chara.flags = std::vector<uint8_t>(40, 1);
  ItemBytes item;
  item.flags = std::vector<uint8_t>(3, 1);
  cCommonPalette p;
  ASSERT_EQ(Load(p, 790, Body({zero.Body(), source.Body(), heir.Body()}, {chara.Body(790)}, {ItemBytes().Body(), item.Body()})),
            0);
  EXPECT_EQ(p.m_vBlock[0].m_strName, "");
  EXPECT_EQ(p.m_vBlock[0].m_wGraphic, 0);
  EXPECT_EQ(p.m_vBlock[2].m_strName, "source");
  EXPECT_EQ(p.m_vBlock[2].m_byInheritKind, 1);
  EXPECT_EQ(p.m_vChara[0].m_byInheritKind, 0) << "entry 0 is the fixed default";
  EXPECT_EQ(p.m_vChara.size(), 2u);
  for (const cBlockData& b : p.m_vBlock)
    EXPECT_EQ(std::vector<uint8_t>(b.m_vInheritFlags.begin(), b.m_vInheritFlags.end()), std::vector<uint8_t>(11, 0));
  for (const cItemData& i : p.m_vItem)
    for (uint8_t f : i.m_vInheritFlags) EXPECT_EQ(f, 0);
  EXPECT_EQ(p.m_vItem[1].m_vInheritFlags.size(), 3u) << "the stored number of flags stays";
  // The common palette the definitions see is the global one again.
  EXPECT_EQ(g_DefContext.block.common.Size(), static_cast<int>(g_CommonPalette.m_vBlock.size()));
}

TEST_F(CommonPaletteTest, SavingRepairsReferencesBeyondTheLists) {
  cCommonPalette p;
  p.m_vBlock.push_back(fixture::Block(3));
  p.m_vBlock.back().m_byItemKind = 1;
  p.m_vBlock.back().m_wItemIndex = 2;
  p.m_vItem.push_back(fixture::Item(1));
  p.m_vItem.push_back(fixture::Item(2));
  cBlockData ok = fixture::Block(3);
  ok.m_byItemKind = 1;
  ok.m_wItemIndex = 1;
  p.m_vBlock.push_back(ok);
  p.m_vItem.resize(2);
  Save(p);
  EXPECT_EQ(p.m_vBlock[1].m_byItemKind, 0);
  EXPECT_EQ(p.m_vBlock[1].m_wItemIndex, 0);
  EXPECT_EQ(p.m_vBlock[2].m_byItemKind, 1);
  EXPECT_EQ(p.m_vBlock[2].m_wItemIndex, 1);
}

}  // namespace
