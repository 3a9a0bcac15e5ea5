#include "defs/vocabulary.h"

#include <gtest/gtest.h>

#include "defs/flow.h"
#include "defs/stored_index.h"

namespace {

// The number of values of each list matches the range of the member it names: the empty text
// that ends a list is no value.
TEST(Vocabulary, ListsEndAfterTheirLastValue) {
  struct Case {
    const char* name;
    const char* const* list;
    int count;
  } cases[] = {
      {"trigger", g_aszTrigger, TRIGGER_COUNT},
      {"direction", g_aszDirection, MAX_DIRECTION_CODE + 1},
      {"flow ID", g_aszFlowId, 27},
      {"flow group", g_aszFlowGroup, MAX_FLOW_GROUP + 1},
      {"target slot", g_aszTargetSlot, MAX_TARGET_SLOT + 1},
      {"key state", g_aszKeyState, 3},
      {"zoom", g_aszZoom, MAX_ZOOM},
      {"zoom without none", g_aszZoomUp, MAX_ZOOM - 1},
      {"turn", g_aszTurn, 12},
      {"target choice", g_aszTargetChoice, 11},
      {"status owner", g_aszStatusOwner, 6},
      {"message placement", g_aszMessagePlace, 9},
  };
  for (const Case& c : cases) EXPECT_EQ(LabelCount(c.list), c.count) << c.name;
  EXPECT_STREQ(g_aszTrigger[TRIGGER_NONE], "なし（フローの操作コマンドで実行）");
  EXPECT_STREQ(g_aszDirection[12], "入力方向");
  EXPECT_STREQ(g_aszZoom[MAX_ZOOM - 1], "×100");

  // The state flags name their values with lists of their range.
  for (const cStateFlagInfo& f : g_StateFlag)
    EXPECT_EQ(LabelCount(f.m_lpaszValues), f.m_nMax - f.m_nMin + 1) << f.m_lpszName;
  EXPECT_STREQ(g_CharaStatus[13].m_lpszName, "止まりやすさ");
  EXPECT_EQ(g_CharaStatus[7].m_nOperandMin, -121);
  EXPECT_EQ(g_SystemValue[4].m_nMax, 99);
}

}  // namespace
