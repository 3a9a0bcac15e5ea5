// The ranking window: a 270 x 350 framed box with the heading of a ranking kind, the twenty places
// of one list and the hint that the kind can be switched, drawn with the second font by the world
// map, the stage select screen and the play engine's ranking display. And the time text of the
// clear times.
#pragma once

#include <cstdint>
#include <string>

#include "app/ranking.h"
#include "core/safe_container.h"
#include "draw/surface_data.h"

// One text of the window, printed at (x, y); bPlainLetters: printed with the font's picture
// letters off.
struct RankingText {
  int x = 0;
  int y = 0;
  std::string strText;
  bool bPlainLetters = false;
};

// What the window draws: the frame, the texts in order, and the rank icon when bIcon is set.
struct RankingWindowLayout {
  int nBoxX = 0;
  int nBoxY = 0;
  int nBoxWidth = 0;
  int nBoxHeight = 0;
  cSafeVector<RankingText> vText;
  bool bIcon = false;
  int nIconX = 0;
  int nIconY = 0;
};

// The window of list (ranking kind nKind) at (x, y); nNewPlace is the place flagged with the rank
// icon, -1 none. The heading is English when bEnglish is set; bPictureLetters is the second
// font's picture-letter option, turned off for the names (and the English heading).
RankingWindowLayout MakeRankingWindow(const cRankingList& list, int x, int y, int nKind, int nNewPlace, bool bEnglish,
                                      bool bPictureLetters);
// Draws it with the second font onto lpDest, with the program's language and font option.
void DrawRanking(const cRankingList& list, DDSURFACEDATA* lpDest, int x, int y, int nKind, int nNewPlace);
void DrawRankingOf(const cRankingTable& table, DDSURFACEDATA* lpDest, int x, int y, int nKind, int nNewPlace);

// The rank icon (16 x 16 from the cursor sheet) at (x, y).
void DrawRankIcon(DDSURFACEDATA* lpDest, int x, int y);

// The time text of t hundredths of a second: minutes and seconds of at least two digits and the
// hundredths, "MM:SS.hh".
void FormatTime(std::string& out, int32_t t);
