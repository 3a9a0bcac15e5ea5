#include "app/ranking_window.h"

#include <cstdlib>

#include "app/system_ini.h"
#include "core/text.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/font.h"
#include "project/shell_state.h"
#include "project/system_data.h"

namespace {

constexpr int kBoxWidth = 270;
constexpr int kBoxHeight = 350;
// The system texts: the heading of kind k is 5 + k, the hint 25.
constexpr int TEXT_RANKING_HEADING = 5;
constexpr int TEXT_KIND_HINT = 25;
constexpr int KIND_CLEAR_TIME = 2;
// The rank icon: 16 x 16 from (16, 48) of the cursor sheet.
constexpr int IMAGE_RANK_ICON = 49;

// The digits of |v|, zero-padded to two at least, "-" in front of a negative v.
std::string TwoDigits(long long v) {
  std::string text;
  FormatString(text, "%s%02lld", v < 0 ? "-" : "", std::llabs(v));
  return text;
}

}  // namespace

void FormatTime(std::string& out, int32_t t) {
  const long long s = t / 100;
  std::string hundredths;
  FormatSignedNumber(hundredths, t % 100, 2, 1, 0);
  FormatString(out, "%s:%s.%s", TwoDigits(s / 60).c_str(), TwoDigits(s % 60).c_str(), hundredths.c_str());
}

RankingWindowLayout MakeRankingWindow(const cRankingList& list, int x, int y, int nKind, int nNewPlace, bool bEnglish,
                                      bool bPictureLetters) {
  RankingWindowLayout layout;
  layout.nBoxX = x + 1;
  layout.nBoxY = y + 1;
  layout.nBoxWidth = kBoxWidth;
  layout.nBoxHeight = kBoxHeight;

  const std::string& heading = g_SystemData.m_vTexts.CheckedAt(TEXT_RANKING_HEADING + nKind);
  RankingText head;
  head.x = x;
  head.y = y;
  FormatString(head.strText, bEnglish ? "Ranking     %s" : "ランキング    %s", heading.c_str());
  head.bPlainLetters = bEnglish && bPictureLetters;
  layout.vText.push_back(head);

  const int places = static_cast<int>(list.m_vEntry.size());
  const int w = nKind == KIND_CLEAR_TIME ? 8 : places > 0 ? CountDigits(list.m_vEntry[0].m_nScore) : 1;
  for (int i = 0; i < places; ++i) {
    const cRankingEntry& e = list.m_vEntry[static_cast<size_t>(i)];
    if (!e.m_bUsed) continue;
    const int rowY = y + 16 * (i + 1);
    RankingText number;
    number.x = x + 16;
    number.y = rowY;
    FormatString(number.strText, "%d", i + 1);
    layout.vText.push_back(number);
    RankingText name;
    name.x = x + 64;
    name.y = rowY;
    name.strText = e.m_strName;
    name.bPlainLetters = bPictureLetters;
    layout.vText.push_back(name);
    RankingText value;
    value.y = rowY;
    if (nKind == KIND_CLEAR_TIME) {
      value.x = x + 144;
      FormatTime(value.strText, e.m_nScore);
    } else {
      value.x = x + 16 * (w + 9 - CountDigits(e.m_nScore));
      FormatString(value.strText, "%d", e.m_nScore);
    }
    layout.vText.push_back(value);
  }

  if (g_SystemData.CountRankingKinds(g_nGameMode) >= 2) {
    RankingText hint;
    hint.strText = g_SystemData.m_vTexts.CheckedAt(TEXT_KIND_HINT);
    hint.x = x + 136 - 16 * CountChars(hint.strText.c_str()) / 2;
    hint.y = y + 16 * (places + 1);
    layout.vText.push_back(hint);
  }
  if (nNewPlace != -1) {
    layout.bIcon = true;
    layout.nIconX = x;
    layout.nIconY = y + 16 * (nNewPlace + 1);
  }
  return layout;
}

void DrawRanking(const cRankingList& list, DDSURFACEDATA* lpDest, int x, int y, int nKind, int nNewPlace) {
  cFont& font = g_Font[1];
  const RankingWindowLayout layout =
      MakeRankingWindow(list, x, y, nKind, nNewPlace, g_SystemIni.English != 0, g_SystemData.m_bPictureChars != 0);
  font.DrawBox(lpDest, layout.nBoxX, layout.nBoxY, layout.nBoxWidth, layout.nBoxHeight);
  for (const RankingText& t : layout.vText) {
    if (t.bPlainLetters) font.m_bPicture = 0;
    font.Print(lpDest, t.x, t.y, t.strText.c_str());
    if (t.bPlainLetters) font.m_bPicture = 1;
  }
  if (layout.bIcon) DrawRankIcon(lpDest, layout.nIconX, layout.nIconY);
}

void DrawRankIcon(DDSURFACEDATA* lpDest, int x, int y) {
  DDBltFast(lpDest, x, y, 16, 16, &g_SystemImage[IMAGE_RANK_ICON], 16, 48, 1);
}

void DrawRankingOf(const cRankingTable& table, DDSURFACEDATA* lpDest, int x, int y, int nKind, int nNewPlace) {
  DrawRanking(table.m_vList.CheckedAt(nKind), lpDest, x, y, nKind, nNewPlace);
}
