#include "app/status_panel.h"

#include <algorithm>

#include "app/ranking.h"
#include "core/text.h"
#include "draw/font.h"
#include "project/save_data.h"
#include "project/shell_state.h"
#include "project/stage.h"
#include "project/system_data.h"

namespace {

constexpr int TEXT_RANKING_HEADING = 5;
constexpr int KIND_CLEAR_TIME = 2;

}  // namespace

StatusPanelLayout MakeStatusPanel(int x, int y, const int32_t* lpValues, const int* lpShown,
                                  const cSafeVector<int32_t>& vRank) {
  StatusPanelLayout layout;
  int rows = 0;
  int labelChars = 1;
  int valueChars = 1;
  for (int k = 0; k < RANKING_KIND_COUNT; ++k) {
    if (!lpShown[k]) continue;
    ++rows;
    labelChars = std::max(labelChars, CountChars(g_SystemData.m_vTexts.CheckedAt(TEXT_RANKING_HEADING + k).c_str()));
    valueChars = std::max(valueChars, k == KIND_CLEAR_TIME ? 8 : CountDigits(lpValues[k]));
  }
  if (rows == 0) return layout;
  layout.bDraw = true;
  layout.nBoxX = x;
  layout.nBoxY = y;
  layout.nBoxWidth = 16 * (labelChars + valueChars + 3);
  layout.nBoxHeight = 16 * rows;
  int row = 0;
  for (int k = 0; k < RANKING_KIND_COUNT; ++k) {
    if (!lpShown[k]) continue;
    const int rowY = y + 16 * row;
    RankingText label;
    label.x = x + 16;
    label.y = rowY;
    label.strText = g_SystemData.m_vTexts.CheckedAt(TEXT_RANKING_HEADING + k);
    layout.vText.push_back(label);
    RankingText value;
    value.x = x + 16 * (labelChars + 2);
    value.y = rowY;
    if (k == KIND_CLEAR_TIME)
      FormatTime(value.strText, lpValues[k]);
    else
      FormatString(value.strText, "%d", lpValues[k]);
    layout.vText.push_back(value);
    // The icon goes on the row of the kind whose result ranked. It marks that value: stacked
    // from the top row in the order of the rank list instead, the icon of a later kind would
    // stand beside an earlier kind's value whenever that one did not rank (only the clear time
    // ranking would mark the score).
    if (static_cast<size_t>(k) < vRank.size() && vRank[static_cast<size_t>(k)] != -1) layout.vIconY.push_back(rowY);
    ++row;
  }
  return layout;
}

void DrawStatusPanel(DDSURFACEDATA* lpDest, int x, int y, const cSafeVector<int32_t>& vRank) {
  const int32_t values[RANKING_KIND_COUNT] = {g_SaveData.m_nTotalScore, g_SaveData.m_nTotalTime,
                                              g_SaveData.m_nTotalPlayTime, g_SaveData.m_nTotalHp,
                                              g_SaveData.m_nTotalSp};
  int shown[RANKING_KIND_COUNT] = {};
  const RankingEntry& mode = g_SystemData.m_vRankingKinds.CheckedAt(g_nGameMode);
  for (int k = 0; k < RANKING_KIND_COUNT; ++k)
    shown[k] = g_StageData.m_vRanking.CheckedAt(k) != 0 && (g_bFreePlay || mode.m_vKinds.CheckedAt(k) != 0);
  const StatusPanelLayout layout = MakeStatusPanel(x, y, values, shown, vRank);
  if (!layout.bDraw) return;
  cFont& font = g_Font[1];
  font.DrawBox(lpDest, layout.nBoxX, layout.nBoxY, layout.nBoxWidth, layout.nBoxHeight);
  for (const RankingText& t : layout.vText) font.Print(lpDest, t.x, t.y, t.strText.c_str());
  for (int iconY : layout.vIconY) DrawRankIcon(lpDest, x, iconY);
}
