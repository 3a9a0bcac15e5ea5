// The ranking window's texts and places, and the time text.
#include "app/ranking_window.h"
#include "app/status_panel.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "core/text.h"
#include "project/shell_state.h"
#include "project/system_data.h"
#include "screen_fixture.h"

namespace {

TEST(RankingTime, MinutesSecondsAndHundredths) {
  struct Case {
    int32_t t;
    const char* text;
  } cases[] = {
      {345, "00:03.45"},    {6000, "01:00.00"},   {5999, "00:59.99"}, {3600000, "600:00.00"},
      {0, "00:00.00"},      {100, "00:01.00"},    {99, "00:00.99"},   {599999, "99:59.99"},
      {INT_MAX, "357913:56.47"},
  };
  for (const Case& c : cases) {
    std::string out = "old";
    FormatTime(out, c.t);
    EXPECT_EQ(out, c.text) << c.t;
  }
}

class RankingWindowTest : public ScreenTest {
 protected:
  // Rankings recorded in the story mode for the given number of kinds.
  static void KindsInUse(int n) {
    RankingEntry& r = g_SystemData.m_vRankingKinds[GAMEMODE_STORY];
    r.m_bRanking = 1;
    for (int k = 0; k < 5; ++k) r.m_vKinds[static_cast<size_t>(k)] = k < n ? 1 : 0;
    g_nGameMode = GAMEMODE_STORY;
  }

  static cRankingList ListOf(uint32_t order, const std::vector<int32_t>& values) {
    cRankingList list;
    list.m_nOrder = order;
    for (size_t i = 0; i < values.size(); ++i) {
      list.m_vEntry[i].m_bUsed = 1;
      list.m_vEntry[i].m_strName = "n" + std::to_string(i);
      list.m_vEntry[i].m_nScore = values[i];
    }
    return list;
  }
};

TEST_F(RankingWindowTest, ValuesEndInOneColumn) {
  KindsInUse(1);
  const cRankingList list = ListOf(1, {12345, 300, 7});
  const RankingWindowLayout w = MakeRankingWindow(list, 100, 50, 0, -1, false, false);
  EXPECT_EQ(w.nBoxX, 101);
  EXPECT_EQ(w.nBoxY, 51);
  EXPECT_EQ(w.nBoxWidth, 270);
  EXPECT_EQ(w.nBoxHeight, 350);
  // The heading and three texts per taken place; no hint with one kind in use.
  ASSERT_EQ(w.vText.size(), 1u + 3 * 3);
  EXPECT_EQ(w.vText[0].strText, "ランキング    " + g_SystemData.m_vTexts[5]);
  EXPECT_EQ(w.vText[0].x, 100);
  EXPECT_EQ(w.vText[0].y, 50);
  const struct {
    const char* number;
    const char* value;
    int valueX;
  } rows[] = {{"1", "12345", 100 + 16 * 9}, {"2", "300", 100 + 16 * 11}, {"3", "7", 100 + 16 * 13}};
  for (int i = 0; i < 3; ++i) {
    const RankingText& number = w.vText[static_cast<size_t>(1 + 3 * i)];
    const RankingText& name = w.vText[static_cast<size_t>(2 + 3 * i)];
    const RankingText& value = w.vText[static_cast<size_t>(3 + 3 * i)];
    EXPECT_EQ(number.strText, rows[i].number);
    EXPECT_EQ(number.x, 116);
    EXPECT_EQ(number.y, 50 + 16 * (i + 1));
    EXPECT_EQ(name.strText, "n" + std::to_string(i));
    EXPECT_EQ(name.x, 164);
    EXPECT_EQ(value.strText, rows[i].value);
    EXPECT_EQ(value.x, rows[i].valueX) << i;
    // Every value's last digit ends at x + 16 (5 + 9).
    EXPECT_EQ(value.x + 16 * static_cast<int>(value.strText.size()), 100 + 16 * 14);
  }
  EXPECT_FALSE(w.bIcon);
}

TEST_F(RankingWindowTest, ClearTimesEnglishHeadingHintAndIcon) {
  KindsInUse(3);
  cRankingList list = ListOf(0, {345, 6000});
  list.m_vEntry[1].m_bUsed = 0;
  list.m_vEntry[2].m_bUsed = 1;
  list.m_vEntry[2].m_nScore = 3600000;
  const RankingWindowLayout w = MakeRankingWindow(list, 0, 0, 2, 4, true, true);
  // Heading, places 1 and 3, hint.
  ASSERT_EQ(w.vText.size(), 1u + 2 * 3 + 1);
  EXPECT_EQ(w.vText[0].strText, "Ranking     " + g_SystemData.m_vTexts[7]);
  EXPECT_TRUE(w.vText[0].bPlainLetters);
  EXPECT_EQ(w.vText[1].strText, "1");
  EXPECT_TRUE(w.vText[2].bPlainLetters) << "names are drawn with plain letters";
  EXPECT_EQ(w.vText[3].strText, "00:03.45");
  EXPECT_EQ(w.vText[3].x, 144);
  EXPECT_EQ(w.vText[4].strText, "3");
  EXPECT_EQ(w.vText[4].y, 48);
  EXPECT_EQ(w.vText[6].strText, "600:00.00");
  EXPECT_EQ(w.vText[6].x, 144);
  const RankingText& hint = w.vText[7];
  EXPECT_EQ(hint.strText, g_SystemData.m_vTexts[25]);
  EXPECT_EQ(hint.y, 16 * 21);
  EXPECT_EQ(hint.x, 136 - 16 * CountChars(hint.strText.c_str()) / 2);
  EXPECT_TRUE(w.bIcon);
  EXPECT_EQ(w.nIconX, 0);
  EXPECT_EQ(w.nIconY, 16 * 5);

  // The Japanese heading keeps the picture letters.
  EXPECT_FALSE(MakeRankingWindow(list, 0, 0, 2, -1, false, true).vText[0].bPlainLetters);
}

TEST_F(RankingWindowTest, FreePlacesDrawOnlyFrameHeadingAndHint) {
  KindsInUse(2);
  const RankingWindowLayout w = MakeRankingWindow(cRankingList(), 10, 20, 4, -1, false, false);
  ASSERT_EQ(w.vText.size(), 2u);
  EXPECT_EQ(w.vText[0].strText, "ランキング    " + g_SystemData.m_vTexts[9]);
  EXPECT_EQ(w.vText[1].strText, g_SystemData.m_vTexts[25]);
  KindsInUse(1);
  EXPECT_EQ(MakeRankingWindow(cRankingList(), 10, 20, 4, -1, false, false).vText.size(), 1u);
}

}  // namespace

namespace {

class StatusPanelTest : public ScreenTest {
 protected:
  void SetUp() override {
    ScreenTest::SetUp();
    g_SystemData.m_vTexts[5] = "ab";
    g_SystemData.m_vTexts[6] = "abc";
    g_SystemData.m_vTexts[7] = "\x83\x4E\x83\x8A" "ab";  // four characters, two of them double-byte
  }
  const int32_t values[5] = {12345, 7, 6000, 3, 4};
};

TEST_F(StatusPanelTest, RowsOfTheShownKindsWithTheIconOnTheRankedKindsRow) {
  const int shown[5] = {1, 0, 1, 0, 0};
  cSafeVector<int32_t> rank = {-1, -1, 3, -1, -1};
  const StatusPanelLayout p = MakeStatusPanel(100, 200, values, shown, rank);
  ASSERT_TRUE(p.bDraw);
  // Labels of four characters at most, values of eight (the clear time) at most.
  EXPECT_EQ(p.nBoxWidth, 16 * (4 + 8 + 3));
  EXPECT_EQ(p.nBoxHeight, 32);
  ASSERT_EQ(p.vText.size(), 4u);
  EXPECT_EQ(p.vText[0].strText, "ab");
  EXPECT_EQ(p.vText[0].x, 116);
  EXPECT_EQ(p.vText[0].y, 200);
  EXPECT_EQ(p.vText[1].strText, "12345");
  EXPECT_EQ(p.vText[1].x, 100 + 16 * 6);
  EXPECT_EQ(p.vText[3].strText, "01:00.00");
  EXPECT_EQ(p.vText[3].y, 216);
  // The clear time ranked: its icon is on its own row, the second.
  ASSERT_EQ(p.vIconY.size(), 1u);
  EXPECT_EQ(p.vIconY[0], 216);

  rank = {0, -1, 2, 5, -1};  // kind 3 is not shown: no icon for it
  const StatusPanelLayout both = MakeStatusPanel(100, 200, values, shown, rank);
  EXPECT_EQ(both.vIconY, (cSafeVector<int>{200, 216}));
}

TEST_F(StatusPanelTest, WidthsFollowTheShownKindsOnly) {
  const int none[5] = {};
  EXPECT_FALSE(MakeStatusPanel(0, 0, values, none, {}).bDraw);
  const int remaining[5] = {0, 1, 0, 0, 0};
  const StatusPanelLayout p = MakeStatusPanel(0, 0, values, remaining, {});
  ASSERT_TRUE(p.bDraw);
  EXPECT_EQ(p.nBoxWidth, 16 * (3 + 1 + 3));
  EXPECT_EQ(p.nBoxHeight, 16);
  EXPECT_TRUE(p.vIconY.empty());
}

}  // namespace
