#include "script/key_cond.h"

#include "engine/chara.h"
#include "project/global_data.h"
#include "project/system_data.h"

namespace {

// Modes of an entry: all required keys, at least one, exactly one.
enum { KEYMODE_ALL = 0, KEYMODE_ANY = 1, KEYMODE_ONE = 2 };

int ModeResult(int mode, int matches, int mismatches) {
  switch (mode) {
    case KEYMODE_ALL: return mismatches == 0 ? 1 : 0;
    case KEYMODE_ANY: return matches >= 1 ? 1 : 0;
    case KEYMODE_ONE: return matches == 1 ? 1 : 0;
    default: return 1;
  }
}

// The positions an entry states: all 19 after loading, never more than there are logs.
int TestedPositions(const cKeyList& entry) {
  const int n = static_cast<int>(entry.m_vKeyState.size());
  return n < INPUT_LOGS ? n : INPUT_LOGS;
}

}  // namespace

void InitKeyCursors(cKeyCursors& cursors, const cInput& input) {
  for (int i = 0; i < INPUT_LOGS; ++i) cursors[i] = {0, input.GetLog(i).CheckedAt(0).nFrames};
}

void ShiftKeyCursors(cKeyCursors& cursors, const cInput& input, int frames) {
  for (int i = 0; i < INPUT_LOGS; ++i) {
    const cInputLog& log = input.GetLog(i);
    const int count = static_cast<int>(log.size());
    cKeyCursor& c = cursors[i];
    c.nLen += frames;
    if (frames <= 0) {
      while (c.nLen < 0) {
        if (++c.nPos >= count) {
          // The oldest run kept: the moment lies before the log begins.
          c.nPos = count - 1;
          break;
        }
        c.nLen += log.CheckedAt(c.nPos).nFrames;
      }
      if (c.nLen == 0 && c.nPos + 1 < count) {
        ++c.nPos;
        c.nLen = log.CheckedAt(c.nPos).nFrames;
      }
    } else {
      // At the newest run the length may exceed its frames.
      while (c.nPos > 0 && c.nLen > log.CheckedAt(c.nPos).nFrames) {
        c.nLen -= log.CheckedAt(c.nPos).nFrames;
        --c.nPos;
      }
    }
  }
}

int TestKeyRun(const INPUTLOGENTRY& run, int len, const cKeyList& entry, int required) {
  if (required == KEYSTATE_HELD) {
    if (!run.bOn) return 0;
    if (len >= entry.m_wMinFrames && len <= entry.m_wMaxFrames) return 1;
    return entry.m_bAnyLength && len >= 1 ? 1 : 0;
  }
  if (required == KEYSTATE_RELEASED) return !run.bOn && len >= 1 ? 1 : 0;
  return 0;
}

int MatchKeyEntry(const cKeyList& entry, const cKeyCursors& cursors, const cInput& input, int facingLeft,
                  int& matchedLen) {
  matchedLen = 0;
  int matches = 0;
  int mismatches = 0;
  const int positions = TestedPositions(entry);
  for (int i = 0; i < positions; ++i) {
    const int required = entry.m_vKeyState.CheckedAt(i);
    if (required == KEYSTATE_ANY) continue;
    int pos = i;
    if (pos < INPUT_DIR_LOGS && entry.m_bFollowFacing == 1 && facingLeft) pos = MirrorKeyPosition(pos);
    const cKeyCursor& c = cursors[pos];
    if (!TestKeyRun(input.GetLog(pos).CheckedAt(c.nPos), c.nLen, entry, required)) {
      ++mismatches;
      continue;
    }
    ++matches;
    if (entry.m_byMode == KEYMODE_ALL) {
      if (matches == 1 || c.nLen < matchedLen) matchedLen = c.nLen;
    } else if (entry.m_byMode == KEYMODE_ANY) {
      if (matches == 1 || c.nLen > matchedLen) matchedLen = c.nLen;
    } else {
      matchedLen = c.nLen;
    }
  }
  return ModeResult(entry.m_byMode, matches, mismatches);
}

int MatchKeySequence(const cInput& input, const cSafeVector<cKeyList*>& entries, int slack,
                     int bHoldWhenLastMatches, int facingLeft, int bLegacyOverlap) {
  const int count = static_cast<int>(entries.size());
  if (count == 0) return 1;
  cKeyCursors cursors;
  InitKeyCursors(cursors, input);
  for (int n = count - 1;; --n) {
    const cKeyList& entry = *entries.CheckedAt(n);
    int len = 0;
    if (n == count - 1) {
      if (!MatchKeyEntry(entry, cursors, input, facingLeft, len)) return 0;
      if (bHoldWhenLastMatches) return 1;
    } else if (!MatchKeyEntry(entry, cursors, input, facingLeft, len)) {
      if (slack <= 0) return 0;
      // Up to slack frames of other input may lie between this entry and the next.
      int moved = 0;
      bool matched = false;
      while (moved < slack) {
        ShiftKeyCursors(cursors, input, -1);
        ++moved;
        if (MatchKeyEntry(entry, cursors, input, facingLeft, len)) {
          matched = true;
          break;
        }
      }
      if (!matched) {
        // Or the entry's run reaches one frame into the next entry's.
        ShiftKeyCursors(cursors, input, moved);
        ShiftKeyCursors(cursors, input, 1);
        if (!MatchKeyEntry(entry, cursors, input, facingLeft, len)) return 0;
        int laterLen = 0;
        if (!bLegacyOverlap && MatchKeyEntry(*entries.CheckedAt(n + 1), cursors, input, facingLeft, laterLen)) {
          return 0;
        }
      }
    }
    if (n == 0) return 1;
    ShiftKeyCursors(cursors, input, -len);
  }
}

int TestKeyEntry(const cInput& input, const cKeyList& entry) {
  int matches = 0;
  int mismatches = 0;
  const int positions = TestedPositions(entry);
  for (int i = 0; i < positions; ++i) {
    const int required = entry.m_vKeyState.CheckedAt(i);
    if (required == KEYSTATE_ANY) continue;
    const int on = input.GetLog(i).CheckedAt(0).bOn ? 1 : 0;
    if ((required == KEYSTATE_HELD && on) || (required == KEYSTATE_RELEASED && !on)) {
      ++matches;
      if (entry.m_byMode == KEYMODE_ANY) break;
    } else {
      ++mismatches;
    }
  }
  return ModeResult(entry.m_byMode, matches, mismatches);
}

int GetHeldDirection(const cInput& input) {
  for (int i = 0; i < INPUT_DIR_LOGS; ++i) {
    if (input.GetLog(i).CheckedAt(0).bOn) return i;
  }
  return 0;
}

int CheckKeyConds(cChara& chara, cFlowRun& run) {
  if (run.m_vKeyList.empty()) return 1;
  const cFlow& flow = *run.m_pFlow;
  const cInput& input = g_vInput.CheckedAt(0);
  // Firing makes the character the scene's current one, whose facing mirrors the entries.
  const int facingLeft = chara.m_nDir == 0 ? 1 : 0;
  const int legacy = g_SystemData.m_bLegacy669;
  if (flow.m_bKeyRepeat) {
    const int r = MatchKeySequence(input, run.m_vKeyList, flow.m_byKeySlack, run.m_bKeyMatched, facingLeft, legacy);
    run.m_bKeyMatched = r;
    return r;
  }
  run.m_bKeyMatched = 0;
  int r = MatchKeySequence(input, run.m_vKeyList, flow.m_byKeySlack, 0, facingLeft, legacy);
  if (!r) {
    run.m_bKeyHeld = 0;
    return 0;
  }
  if (run.m_bKeyHeld) {
    r = 0;
    if (flow.m_byTrigger == 0 && flow.m_byGroup != 0) {
      // The held match occupies the group for the rest of the sub-step.
      chara.m_vGroupRunning.CheckedAt(flow.m_byGroup) = 1;
      chara.m_vGroupStopped.CheckedAt(flow.m_byGroup) = 1;
      chara.m_bAnyGroupStopped = 1;
    }
  }
  run.m_bKeyHeld = 1;
  return r;
}

int RunKeysHeld(const cChara& chara, const cCmdState& state) {
  for (const cFlowRun& run : chara.m_vFlowRun) {
    for (const cCmdState& s : run.m_vCmdState) {
      if (&s != &state) continue;
      if (run.m_vKeyList.empty()) return -1;
      return TestKeyEntry(g_vInput.CheckedAt(0), *run.m_vKeyList.back());
    }
  }
  return -1;
}
