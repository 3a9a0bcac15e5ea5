// The 19 key states that a key condition of a flow tests, in the order of the input record's
// change logs: the ten direction logs, then the nine button logs. A key condition stores one
// required state per position, and the key-pattern match reads log n for position n, so this
// order must stay the order of the input record's logs.
#pragma once

// Direction logs: on while the direction word equals the state (1 left, 2 right, 4 up, 8 down
// and their sums), the last one while any direction is held.
enum eKeyPosition {
  KEYPOS_DIR_NONE,
  KEYPOS_DIR_LEFT,
  KEYPOS_DIR_RIGHT,
  KEYPOS_DIR_UP,
  KEYPOS_DIR_DOWN,
  KEYPOS_DIR_UP_LEFT,
  KEYPOS_DIR_DOWN_LEFT,
  KEYPOS_DIR_UP_RIGHT,
  KEYPOS_DIR_DOWN_RIGHT,
  KEYPOS_DIR_ANY,
  // Button logs: no button held, then buttons 1..8 (each on while its button is held).
  KEYPOS_BUTTON_NONE,
  KEYPOS_BUTTON_1,
  KEYPOS_BUTTON_2,
  KEYPOS_BUTTON_3,
  KEYPOS_BUTTON_4,
  KEYPOS_BUTTON_5,
  KEYPOS_BUTTON_6,
  KEYPOS_BUTTON_7,
  KEYPOS_BUTTON_8,
  KEYPOS_COUNT
};

constexpr int KEY_DIR_LOG_COUNT = KEYPOS_BUTTON_NONE;
constexpr int KEY_BUTTON_LOG_COUNT = KEYPOS_COUNT - KEYPOS_BUTTON_NONE;

// The required state of one position.
enum eKeyState {
  KEYSTATE_ANY,       // "--": not tested
  KEYSTATE_HELD,      // "押": must be held
  KEYSTATE_RELEASED,  // "離": must be released
};

// The position a key condition that follows the facing tests for a character facing left: left
// and right exchanged (1 and 2, 5 and 7, 6 and 8); every other position is itself.
constexpr int MirrorKeyPosition(int position) {
  switch (position) {
    case KEYPOS_DIR_LEFT: return KEYPOS_DIR_RIGHT;
    case KEYPOS_DIR_RIGHT: return KEYPOS_DIR_LEFT;
    case KEYPOS_DIR_UP_LEFT: return KEYPOS_DIR_UP_RIGHT;
    case KEYPOS_DIR_UP_RIGHT: return KEYPOS_DIR_UP_LEFT;
    case KEYPOS_DIR_DOWN_LEFT: return KEYPOS_DIR_DOWN_RIGHT;
    case KEYPOS_DIR_DOWN_RIGHT: return KEYPOS_DIR_DOWN_LEFT;
    default: return position;
  }
}
