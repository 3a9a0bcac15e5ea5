// The per-player input record: once per frame the frame tick refreshes player 1's record from
// the keyboard and the joysticks, through a fixed mapping or through the key configuration.
// On top of the two raw words it keeps what the rest of the system reads: a direction code
// in a three-by-three grid, run-length histories of both words, per-state change logs
// that the key conditions of flows test, and the auto-repeat and button latch of the menus.
//
// Everything here runs on the game thread or a loop it runs in its place; the record is a
// plain value: a copy (the pause loop keeps one) owns its own logs.
#pragma once

#include <cstdint>

#include "core/safe_container.h"
#include "platform/input.h"
#include "platform/wintypes.h"

// Direction bits of the direction word.
constexpr WORD INPUT_LEFT = 1;
constexpr WORD INPUT_RIGHT = 2;
constexpr WORD INPUT_UP = 4;
constexpr WORD INPUT_DOWN = 8;

// Direction codes 1..9 in a three-by-three grid: 5 neutral, left -1, right +1, up -3,
// down +3 (so 1 is up-left and 9 down-right).
constexpr int DIRCODE_NEUTRAL = 5;

constexpr int INPUT_HISTORY_LENGTH = 32;
constexpr int INPUT_LOG_LENGTH = 32;
constexpr int INPUT_JOYSTICKS = 16;
constexpr int INPUT_BUTTONS = 8;

// The change logs, numbered as the key conditions of flows number their key positions: the
// direction logs 0..9, then the button logs as positions 10..18.
constexpr int INPUT_DIR_LOGS = 10;
constexpr int INPUT_BUTTON_LOGS = 9;
constexpr int INPUT_LOGS = INPUT_DIR_LOGS + INPUT_BUTTON_LOGS;
// The direction word each direction log 0..8 follows (on while the word equals it); log 9 is
// on while any direction bit is set.
constexpr WORD INPUT_DIR_LOG_STATE[INPUT_DIR_LOGS - 1] = {
    0,                          // no direction
    INPUT_LEFT,                 // left alone
    INPUT_RIGHT,                // right alone
    INPUT_UP,                   // up alone
    INPUT_DOWN,                 // down alone
    INPUT_UP | INPUT_LEFT,      // up-left
    INPUT_DOWN | INPUT_LEFT,    // down-left
    INPUT_UP | INPUT_RIGHT,     // up-right
    INPUT_DOWN | INPUT_RIGHT,   // down-right
};
constexpr WORD INPUT_ANY_DIRECTION = INPUT_LEFT | INPUT_RIGHT | INPUT_UP | INPUT_DOWN;

// A value of a history ring and the number of consecutive frames it was held.
struct INPUTRUN {
  WORD wValue = 0;
  int32_t nFrames = 0;
};

// One run of a change log: the state on (1) or off (0) for nFrames frames.
struct INPUTLOGENTRY {
  int32_t bOn = 0;
  int32_t nFrames = 0;
};

// A change log, newest run first: entry 0 is the current run.
typedef cSafeVector<INPUTLOGENTRY> cInputLog;

class cInput {
 public:
  cInput();

  // The auto-repeat delay and interval in frames; the interval is kept at 1 or more.
  void SetRepeat(DWORD dwDelay, DWORD dwInterval);
  // Joystick button i+1 is joystick button bit i, for the fixed mapping.
  void SetDefaultButtonMap();

  // The fixed mapping: the arrows and Z X C V A S D F, and the given joystick (flags bit 0:
  // use the joystick, bit 1: read the keyboard). 0 without touching the record when the key
  // configuration is in use, else 1. retry: a failed joystick is asked again after twice as
  // many frames.
  int Poll(int nJoystick, int nFlags, int nRetry);
  // The configured mapping; 0 without touching the record when the key configuration is not
  // in use, else 1. The record takes one block of the configuration (a count below 1 only
  // asks the joysticks).
  int PollKeyConfig(int nBlocks, int nRetry);

  // Whether an axis code matches the joystick's position (0 for a code that is no axis code).
  static int TestJoyAxis(const JOYINFOEX* lpJoyInfo, int nCode);
  // The direction code of a direction word: 5, left -1 (else right +1), up -3 (else down +3).
  static int GetDirCode(const WORD* lpwDir);

  // The history rings: ring 0 follows the direction word, ring 1 the button word.
  void ClearHistory();
  // Counts this frame's words into the rings.
  void PushHistory();
  // The value of a ring age frames ago (0: this frame). An age beyond what the ring holds
  // answers the current value.
  WORD GetHistoryValue(int nRing, int nAge) const;

  // Counts this frame's words into every change log.
  void LogChanges();
  // Counts one frame into a log: on while (value AND state) is nonzero in bit mode, while
  // value equals state otherwise.
  static void LogChange(cInputLog& log, WORD wValue, WORD wState, BOOL bBitMode);
  // Every log becomes 32 runs {0, 0}.
  void ResetLogs();
  // The log of a key position 0..18 (direction logs, then button logs); out of range through
  // the checked access.
  const cInputLog& GetLog(int nPosition) const;

  void ClearDir();
  void ClearButtons();

  // Menu repeat of held directions: a new press passes, a held one again after the delay
  // and then every interval frames. The direction code is not touched.
  void AutoRepeat();
  // One report per press of the buttons in the mask (0: all eight): after a masked press was
  // reported, every masked button reads released until a frame in which none is held.
  void LatchButtons(int nMask);

  // The two words a replay stores and plays back.
  WORD DirWord() const { return m_wDir; }
  WORD ButtonWord() const { return m_wButton; }
  void SetWords(WORD wDir, WORD wButton) {
    m_wDir = wDir;
    m_wButton = wButton;
  }

  WORD m_wDir = 0;         // direction bits of this frame
  WORD m_wButton = 0;      // button bits of this frame: bit i is button i+1
  WORD m_wRepeatBits = 0;  // the latest raw direction words as nibbles, newest lowest
  INPUTRUN m_History[2][INPUT_HISTORY_LENGTH] = {};
  int32_t m_nHistoryHead[2] = {0, 0};
  cSafeVector<cInputLog> m_vDirLog;
  cSafeVector<cInputLog> m_vButtonLog;
  int32_t m_nDirCode = DIRCODE_NEUTRAL;
  DWORD m_nRepeatCountH = 0;
  DWORD m_nRepeatCountV = 0;
  // Start-up sets 18 and 6 on every record; a record starts with the same.
  DWORD m_nRepeatDelay = 18;
  DWORD m_nRepeatInterval = 6;
  int32_t m_bLatch = 0;
  WORD m_wJoyButton[INPUT_BUTTONS] = {1, 2, 4, 8, 16, 32, 64, 128};
  // Per joystick: whether its last query succeeded, and the frames left before a failed one
  // is asked again. Each joystick keeps its own, so that a missing one does not hold back
  // one that works.
  int32_t m_bJoyOk[INPUT_JOYSTICKS] = {};
  int32_t m_nJoyWait[INPUT_JOYSTICKS] = {};

 private:
  // Sets a direction bit and moves the direction code by its step.
  void AddDirection(WORD wBit);
  // The joystick gate: false when the joystick is waiting out a failure or fails now.
  bool QueryJoystick(int nJoystick, int nRetry, JOYINFOEX* lpJoyInfo);
};
