#include "ui/input.h"

#include <climits>

#include "ui/input_devices.h"
#include "ui/key_config.h"

namespace {

constexpr DWORD kJoyLow = 10000;
constexpr DWORD kJoyHigh = 55535;

// The keys of buttons 1..8 under the fixed mapping.
constexpr int kFixedButtonKeys[INPUT_BUTTONS] = {'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'};

bool KeyDown(int vKey) { return (InputDevices().KeyState(vKey) & 0x8000) != 0; }

void CountFrame(int32_t& nFrames) {
  if (nFrames < INT_MAX) ++nFrames;
}

cInputLog EmptyLog() { return cInputLog(INPUT_LOG_LENGTH); }

// The step of the direction code for one direction bit.
int DirStep(WORD wBit) {
  switch (wBit) {
    case INPUT_LEFT: return -1;
    case INPUT_RIGHT: return 1;
    case INPUT_UP: return -3;
    case INPUT_DOWN: return 3;
    default: return 0;
  }
}

int RingIndex(int i) { return i >= 0 && i < INPUT_HISTORY_LENGTH ? i : 0; }

}  // namespace

cInput::cInput() : m_vDirLog(INPUT_DIR_LOGS, EmptyLog()), m_vButtonLog(INPUT_BUTTON_LOGS, EmptyLog()) {}

void cInput::SetRepeat(DWORD dwDelay, DWORD dwInterval) {
  m_nRepeatDelay = dwDelay;
  // AutoRepeat divides by the interval.
  m_nRepeatInterval = dwInterval < 1 ? 1 : dwInterval;
}

void cInput::SetDefaultButtonMap() {
  for (int i = 0; i < INPUT_BUTTONS; ++i) m_wJoyButton[i] = static_cast<WORD>(1 << i);
}

void cInput::AddDirection(WORD wBit) {
  m_wDir |= wBit;
  m_nDirCode += DirStep(wBit);
}

bool cInput::QueryJoystick(int nJoystick, int nRetry, JOYINFOEX* lpJoyInfo) {
  // Joystick numbers beyond the interface's never answer.
  if (nJoystick < 0 || nJoystick >= INPUT_JOYSTICKS) return false;
  if (!m_bJoyOk[nJoystick] && m_nJoyWait[nJoystick] > 0) {
    --m_nJoyWait[nJoystick];
    return false;
  }
  *lpJoyInfo = JOYINFOEX{};
  lpJoyInfo->dwSize = sizeof(JOYINFOEX);
  lpJoyInfo->dwFlags = JOY_RETURNX | JOY_RETURNY | JOY_RETURNBUTTONS;
  if (InputDevices().JoyPos(static_cast<UINT>(nJoystick), lpJoyInfo) != JOYERR_NOERROR) {
    m_bJoyOk[nJoystick] = 0;
    m_nJoyWait[nJoystick] = nRetry > INT_MAX / 2 ? INT_MAX : nRetry * 2;
    return false;
  }
  m_bJoyOk[nJoystick] = 1;
  return true;
}

int cInput::Poll(int nJoystick, int nFlags, int nRetry) {
  if (g_KeyConfig.bUse) return 0;
  bool joyDir = false, joyButton = false;
  JOYINFOEX ji{};
  if (QueryJoystick(nJoystick, nRetry, &ji) && (nFlags & 1)) {
    m_nDirCode = DIRCODE_NEUTRAL;
    m_wDir = 0;
    if (ji.dwXpos <= kJoyLow) {
      AddDirection(INPUT_LEFT);
    } else if (ji.dwXpos >= kJoyHigh) {
      AddDirection(INPUT_RIGHT);
    }
    if (ji.dwYpos <= kJoyLow) {
      AddDirection(INPUT_UP);
    } else if (ji.dwYpos >= kJoyHigh) {
      AddDirection(INPUT_DOWN);
    }
    joyDir = m_nDirCode != DIRCODE_NEUTRAL;
    m_wButton = 0;
    for (int i = 0; i < INPUT_BUTTONS; ++i) {
      if (ji.dwButtons & m_wJoyButton[i]) m_wButton |= static_cast<WORD>(1 << i);
    }
    joyButton = m_wButton != 0;
  }
  if (!(nFlags & 2)) return 1;

  if (!joyDir) {
    // Each arrow counts on its own: opposite arrows set both bits and cancel in the code.
    m_nDirCode = DIRCODE_NEUTRAL;
    m_wDir = 0;
    if (KeyDown(VK_LEFT)) AddDirection(INPUT_LEFT);
    if (KeyDown(VK_RIGHT)) AddDirection(INPUT_RIGHT);
    if (KeyDown(VK_UP)) AddDirection(INPUT_UP);
    if (KeyDown(VK_DOWN)) AddDirection(INPUT_DOWN);
  }
  if (!joyButton) {
    m_wButton = 0;
    for (int i = 0; i < INPUT_BUTTONS; ++i) {
      if (KeyDown(kFixedButtonKeys[i])) m_wButton |= static_cast<WORD>(1 << i);
    }
  }
  return 1;
}

int cInput::PollKeyConfig(int nBlocks, int nRetry) {
  const KEYCONFIG& config = g_KeyConfig;
  if (!config.bUse) return 0;
  const int joyCount = KeyConfigJoyCount(config);
  JOYINFOEX ji[KEYCONFIG_MAX_JOYSTICKS] = {};
  bool joyOk[KEYCONFIG_MAX_JOYSTICKS] = {};
  for (int j = 0; j < joyCount; ++j) joyOk[j] = QueryJoystick(j, nRetry, &ji[j]);
  if (nBlocks < 1) return 1;

  // An entry naming neither the keyboard nor a polled joystick, or a key code beyond the key
  // table, is never pressed.
  auto pressed = [&](const KEYCONFIGENTRY& e) {
    if (e.nDevice == KEYCONFIG_KEYBOARD) return e.wCode < 256 && KeyDown(e.wCode);
    if (e.nDevice < 0 || e.nDevice >= joyCount || !joyOk[e.nDevice]) return false;
    const JOYINFOEX& info = ji[e.nDevice];
    return TestJoyAxis(&info, e.wCode) != 0 || (info.dwButtons & e.wCode) != 0;
  };
  m_nDirCode = DIRCODE_NEUTRAL;
  m_wDir = 0;
  m_wButton = 0;
  // Left wins over right, up over down.
  if (pressed(config.Entry[0])) {
    AddDirection(INPUT_LEFT);
  } else if (pressed(config.Entry[1])) {
    AddDirection(INPUT_RIGHT);
  }
  if (pressed(config.Entry[2])) {
    AddDirection(INPUT_UP);
  } else if (pressed(config.Entry[3])) {
    AddDirection(INPUT_DOWN);
  }
  const int entries = KeyConfigEntryCount(config);
  for (int j = 0; j + KEYCONFIG_MIN_ENTRIES < entries; ++j) {
    if (pressed(config.Entry[KEYCONFIG_MIN_ENTRIES + j])) m_wButton |= static_cast<WORD>(1 << j);
  }
  return 1;
}

int cInput::TestJoyAxis(const JOYINFOEX* lpJoyInfo, int nCode) {
  switch (nCode) {
    case JOYCODE_X_LOW: return lpJoyInfo->dwXpos <= kJoyLow;
    case JOYCODE_X_HIGH: return lpJoyInfo->dwXpos >= kJoyHigh;
    case JOYCODE_Y_LOW: return lpJoyInfo->dwYpos <= kJoyLow;
    case JOYCODE_Y_HIGH: return lpJoyInfo->dwYpos >= kJoyHigh;
    default: return 0;
  }
}

int cInput::GetDirCode(const WORD* lpwDir) {
  // Left wins over right, up over down.
  const WORD w = *lpwDir;
  const WORD horizontal = static_cast<WORD>((w & INPUT_LEFT) ? INPUT_LEFT : (w & INPUT_RIGHT));
  const WORD vertical = static_cast<WORD>((w & INPUT_UP) ? INPUT_UP : (w & INPUT_DOWN));
  return DIRCODE_NEUTRAL + DirStep(horizontal) + DirStep(vertical);
}

void cInput::ClearHistory() {
  for (auto& ring : m_History) {
    for (INPUTRUN& run : ring) run = INPUTRUN{};
  }
  m_nHistoryHead[0] = m_nHistoryHead[1] = 0;
}

void cInput::PushHistory() {
  const WORD values[2] = {m_wDir, m_wButton};
  for (int r = 0; r < 2; ++r) {
    int& head = m_nHistoryHead[r];
    head = RingIndex(head);
    INPUTRUN& newest = m_History[r][head];
    if (newest.wValue == values[r]) {
      CountFrame(newest.nFrames);
    } else {
      head = (head + 1) % INPUT_HISTORY_LENGTH;
      m_History[r][head] = INPUTRUN{values[r], 1};
    }
  }
}

WORD cInput::GetHistoryValue(int nRing, int nAge) const {
  if (nRing < 0 || nRing > 1) return 0;
  // Walk back over whole runs until the age falls inside one; a full turn of the ring comes
  // back to the newest run.
  int64_t m = static_cast<int64_t>(nAge) + 1;
  int i = RingIndex(m_nHistoryHead[nRing]);
  for (int n = 0; n < INPUT_HISTORY_LENGTH; ++n) {
    const INPUTRUN& run = m_History[nRing][i];
    if (m <= run.nFrames) break;
    m -= run.nFrames;
    i = (i + INPUT_HISTORY_LENGTH - 1) % INPUT_HISTORY_LENGTH;
  }
  return m_History[nRing][i].wValue;
}

void cInput::LogChanges() {
  for (int i = 0; i < INPUT_DIR_LOGS - 1; ++i) LogChange(m_vDirLog.CheckedAt(i), m_wDir, INPUT_DIR_LOG_STATE[i], FALSE);
  LogChange(m_vDirLog.CheckedAt(INPUT_DIR_LOGS - 1), m_wDir, INPUT_ANY_DIRECTION, TRUE);
  LogChange(m_vButtonLog.CheckedAt(0), m_wButton, 0, FALSE);
  for (int i = 1; i < INPUT_BUTTON_LOGS; ++i) {
    LogChange(m_vButtonLog.CheckedAt(i), m_wButton, static_cast<WORD>(1 << (i - 1)), TRUE);
  }
}

void cInput::LogChange(cInputLog& log, WORD wValue, WORD wState, BOOL bBitMode) {
  const bool on = bBitMode ? (wValue & wState) != 0 : wValue == wState;
  INPUTLOGENTRY& current = log.CheckedAt(0);
  if (on != (current.bOn != 0)) {
    log.insert(log.begin(), INPUTLOGENTRY{on ? 1 : 0, 1});
    log.pop_back();
  } else {
    CountFrame(current.nFrames);
  }
}

void cInput::ResetLogs() {
  m_vDirLog.assign(INPUT_DIR_LOGS, EmptyLog());
  m_vButtonLog.assign(INPUT_BUTTON_LOGS, EmptyLog());
}

const cInputLog& cInput::GetLog(int nPosition) const {
  if (nPosition >= INPUT_DIR_LOGS) return m_vButtonLog.CheckedAt(nPosition - INPUT_DIR_LOGS);
  return m_vDirLog.CheckedAt(nPosition);
}

void cInput::ClearDir() {
  m_wDir = 0;
  m_nDirCode = DIRCODE_NEUTRAL;
}

void cInput::ClearButtons() { m_wButton = 0; }

void cInput::AutoRepeat() {
  m_wRepeatBits = static_cast<WORD>((m_wRepeatBits << 4) | m_wDir);
  const WORD previous = static_cast<WORD>(m_wRepeatBits >> 4);
  // One pair of opposite directions at a time: a change passes, a held pair passes after
  // the delay and then every interval frames.
  auto repeat = [&](WORD pair, DWORD& count) {
    if ((m_wRepeatBits & pair) != (previous & pair)) {
      count = 0;
      return;
    }
    ++count;
    const DWORD interval = m_nRepeatInterval < 1 ? 1 : m_nRepeatInterval;
    if (count < m_nRepeatDelay || count % interval != 0) m_wDir &= static_cast<WORD>(~pair);
  };
  repeat(INPUT_LEFT | INPUT_RIGHT, m_nRepeatCountH);
  repeat(INPUT_UP | INPUT_DOWN, m_nRepeatCountV);
}

void cInput::LatchButtons(int nMask) {
  const WORD mask = static_cast<WORD>(nMask == 0 ? 0xFF : nMask);
  const WORD atEntry = m_wButton;
  for (int j = 0; j < INPUT_BUTTONS; ++j) {
    const WORD bit = static_cast<WORD>(1 << j);
    if (!(mask & bit)) continue;
    if (m_bLatch == 1 && (m_wButton & bit)) m_wButton &= static_cast<WORD>(~bit);
    if ((m_wButton & bit) && m_bLatch == 0) {
      m_bLatch = 1;
      return;
    }
  }
  if (atEntry & mask) {
    m_wButton &= static_cast<WORD>(~mask);
  } else {
    m_bLatch = 0;
  }
}
