// Message windows on the play screen: text with variable values, a graphic icon, the extra-life
// image or an invisible timer, placed on the screen, over a character or on the stage, with an
// opening, a countdown and a remembered position; and the wait request that the pause loop
// reads while a command holds the game.
#pragma once

#include <cstdint>
#include <string>

#include "core/safe_container.h"
#include "draw/bitmap_entry.h"
#include "draw/surface_data.h"
#include "platform/wintypes.h"

// The surfaces of the text windows and their creation entries, kept side by side.
extern cSafeList<DDSURFACEDATA> Off_Msg;
extern cSafeList<BitmapEntry> Off_MsgEntry;

// Owned by the play scene: when the scene ends, the surfaces of its windows are released and
// both lists emptied.
struct cMessageSurfaceOwner {
  cMessageSurfaceOwner() = default;
  cMessageSurfaceOwner(const cMessageSurfaceOwner&) = delete;
  cMessageSurfaceOwner& operator=(const cMessageSurfaceOwner&) = delete;
  ~cMessageSurfaceOwner();
};

// The system image that holds the 16 × 16 extra-life picture at (0, 48).
constexpr int MESSAGE_EXTRA_LIFE_IMAGE = 49;

// Replaces the "#C" / "#S" escapes of the text by the values of the common and stage variables:
// "#" then the variable number with "C" or "S" (C wins), then optionally "_" with a width digit,
// "P" for a plus sign and "Z" for zero padding; a "." that ends the escape is removed with it.
// Numbers outside 1..1000, or an escape without a bank or a number, stay as they are.
void ExpandVarText(std::string& text);

enum eMessageKind { MESSAGE_TIMER = 0, MESSAGE_TEXT = 1, MESSAGE_ICON = 2, MESSAGE_EXTRA_LIFE = 3 };
enum eMessageDisplay { MESSAGE_UNTIL_KEY = 0, MESSAGE_UNTIL_STAGE_END = 1, MESSAGE_TIMED = 2 };

// One frame of a timed display (windows and pictures): in display mode 2 the countdown drops,
// except in a held frame when it does not count while held; 1 when it fell below 0.
int StepDisplayCountdown(int nDisplayMode, int32_t& nCountdown, int bHeld, int bCountWhileHeld);

class cMessageWindow {
 public:
  cMessageWindow() = default;
  // Sets the window up as Setup does with these values, always with a surface of its own (the
  // last value is not used).
  cMessageWindow(int kind, const char* text, int icon1, int icon2, int icon3, int placement, int cellX, int cellY,
                 int dotX, int dotY, int keepOnScreen, int fixed, int displayMode, int countdown, int countWhileHeld,
                 int anchorId, int noOpening, int expand, int refresh, int refreshInterval, int boxStyle, int hasId,
                 int id, int noSurface);

  // Stores the values, expands and measures the text and, for a text window, makes its surface
  // (unless noSurface: the surface it has is kept) and renders the text into it.
  void Setup(int kind, const char* text, int icon1, int icon2, int icon3, int placement, int cellX, int cellY, int dotX,
             int dotY, int keepOnScreen, int fixed, int displayMode, int countdown, int countWhileHeld, int anchorId,
             int noOpening, int expand, int refresh, int refreshInterval, int boxStyle, int hasId, int id,
             int noSurface);

  // The size of the text in the message font (the second font), 2 dots larger both ways.
  static void MeasureText(const std::string& text, int* lpWidth, int* lpHeight);
  // Makes the window's surface at the end of Off_Msg, or before position nSlot. A surface that
  // cannot be made asks the program to close and leaves the window without one.
  void CreateSurface();
  void CreateSurfaceAt(int nSlot);
  // Draws the text into the surface (nothing without one).
  void RenderText(DDSURFACEDATA* lpSD);
  // Removes the window's surface from Off_Msg (nothing without one).
  void ReleaseSurface();

  // One drawn frame (bHeld: drawn by the pause loop): 1 when the window has ended (its surface
  // is then removed), else 0.
  int Update(DDSURFACEDATA* lpTarget, int bHeld);

  // The parts of a frame. The countdown: 1 when the window ends in this frame.
  int CountDown(int bHeld);
  // Expands the source text again; a changed text is measured, its surface made again in its
  // slot when the size changed, and rendered.
  void Refresh();
  // The screen position by the placement and the remembered position: 1 when the anchor is
  // gone (the window ends), else 0 with *lpX, *lpY set.
  int Locate(int* lpX, int* lpY);
  // Pulls a position inside the screen.
  void KeepOnScreen(int* lpX, int* lpY) const;
  // The growing box of the opening at frame dOpening (1..9) of a window at (x, y), w × h.
  static RECT OpeningBox(int x, int y, int w, int h, double dOpening);
  // Draws the window at (x, y) by its kind.
  void Draw(DDSURFACEDATA* lpTarget, int x, int y);

  DDSURFACEDATA* m_pSurface = nullptr;
  BitmapEntry* m_pSurfaceEntry = nullptr;
  int32_t m_nWindowKind = MESSAGE_TIMER;
  std::string m_strText;
  std::string m_strSource;
  int32_t m_nIcon[3] = {0, 0, 0};
  int32_t m_bExpand = 0;
  int32_t m_bRefresh = 0;
  int32_t m_nRefreshInterval = 0;
  int32_t m_bBoxStyle = 0;
  // 0 screen centre; 1..3 above, below or on the centre of the character that showed it; 4..6
  // the same for the hero; 7 screen cells; 8 stage cells.
  int32_t m_nPlacement = 0;
  int32_t m_nCellX = 0;
  int32_t m_nCellY = 0;
  int32_t m_nDotX = 0;
  int32_t m_nDotY = 0;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_bKeepOnScreen = 0;
  int32_t m_nDisplayMode = MESSAGE_UNTIL_KEY;
  int32_t m_bFixed = 0;
  int32_t m_bPlaced = 0;
  int32_t m_nSavedX = 0;
  int32_t m_nSavedY = 0;
  int32_t m_bHasId = 0;
  int32_t m_nId = 0;
  int32_t m_nAnchorId = 0;
  int32_t m_nCountdown = 0;
  int32_t m_bCountWhileHeld = 0;
  int32_t m_bOpening = 0;
  double m_dOpening = 0;

 private:
  // The position of the surface in Off_Msg, -1 when it is not there.
  int SurfaceSlot() const;
};

// What holds the game in the pause loop: 1 message, 2 effect, 3 picture, 4 extra-life pop-up.
struct cPauseWait {
  int32_t m_nMode = 0;
  // Drawn frames in which the advance key is not yet taken.
  int32_t m_nKeyDelay = 0;
  // The wait ends with a fresh press of the advance key (button 1); else after m_nFrames.
  int32_t m_bWaitKey = 0;
  int32_t m_nFrames = 0;
  int32_t m_nCount = 0;

  // The request: a key delay of 10 frames for a key wait of a message that is not chained to
  // the message before it, else none.
  void Set(int nMode, int bWaitKey, int nFrames, int bChained);
};

// Sets the running play scene's wait request (nothing outside play).
void SetPauseWait(int nMode, int bWaitKey, int nFrames, int bChained);
