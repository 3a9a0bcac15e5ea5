// The screen colour change: the whole frame tinted toward a colour over a time, held, repeated
// or returned to the colour before. The play scene keeps one and draws it last in each frame.
#pragma once

#include <cstdint>

class cScreenColor {
 public:
  // Set once a tint was started under an 8-bit palette display.
  int32_t m_bDone8 = 0;
  uint8_t m_byRed = 0;
  uint8_t m_byGreen = 0;
  uint8_t m_byBlue = 0;
  // Percent.
  int32_t m_nIntensity = 0;
  int32_t m_bReturn = 0;
  // Frames.
  int32_t m_nDuration = 0;
  int32_t m_nRepeatMode = 0;
  int32_t m_nRepeatCount = 0;
  int32_t m_bActive = 0;
  int32_t m_nFrame = 0;
  int32_t m_nRepeatsDone = 0;
  // The weight of the unchanged frame last drawn: 255 unchanged, 0 the full colour.
  int32_t m_nAlpha = 0;
  uint8_t m_byPrevRed = 0;
  uint8_t m_byPrevGreen = 0;
  uint8_t m_byPrevBlue = 0;
  int32_t m_nPrevIntensity = 0;
  int32_t m_nPrevAlpha = 255;

  // The eight parameters of the screen-colour command: red, green, blue, intensity, return,
  // time in tenths of a second, repeat mode, repeat count. bPaletteMode: the display is 8-bit
  // DirectDraw (a return then needs a tint started before, else an active change).
  void Start(const int32_t* lpParam, int bPaletteMode);

  // The frame's tint: the alpha to draw with (255 = the frame unchanged) and its colour;
  // advances unless frozen and ends the change by its rules. bPaletteMode: under an 8-bit
  // palette the change ends at its time whatever the intensity. -1 when no change is active.
  int Frame(int bFrozen, int bPaletteMode, uint8_t* lpRed, uint8_t* lpGreen, uint8_t* lpBlue);
};
