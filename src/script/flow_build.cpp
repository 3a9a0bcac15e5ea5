#include "script/flow_build.h"

#include <algorithm>
#include <cstdint>

#include "core/log.h"
#include "defs/flow.h"
#include "engine/chara.h"
#include "project/database.h"
#include "project/system_data.h"
#include "script/flow_run.h"

namespace {

bool IsLoop(const cFlowCmd& cmd) { return cmd.FlowKind() == CMD_LOOP; }

int32_t ClampInt(long long v) { return static_cast<int32_t>(std::clamp<long long>(v, INT32_MIN, INT32_MAX)); }

// A {base, per-clone step} pair of a record.
long long PairValue(int16_t base, int16_t step, int clone) {
  return static_cast<long long>(base) + static_cast<long long>(step) * clone;
}

// Ticks of a time in tenths of a second.
int32_t TenthsToTicks(long long tenths) { return ClampInt(tenths * SubSteps() * 6); }

// Toggles a rotation sense 0/1; other codes stay.
void ToggleTurn(int8_t& turn) {
  if (turn == 0)
    turn = 1;
  else if (turn == 1)
    turn = 0;
}

// The length in tenths of a second of an animation of the database: its frame times up to the
// first control frame. An index outside the list is reported and counts as no animation.
long long AnimeTenths(int anime) {
  const cAnime& a = g_Database.m_vAnime.CheckedAt(anime);
  long long t = 0;
  for (const cAnimeFrame& f : a.m_vFrame) {
    if (f.m_nFlag != 0) break;
    t += f.m_nTime;
  }
  return t;
}

void SetUpKind(cCmdState& state, cChara& chara) {
  switch (state.m_pCmd->FlowKind()) {
    case CMD_MOVE_LINE:
    case CMD_MOVE_GROUND_TURN:
    case CMD_MOVE_CHARGE:
    case CMD_MOVE_AVOID_EDGE:
      SetupLinearMove(state, chara);
      break;
    case CMD_MOVE_CIRCLE:
      SetupCircleMove(state, chara);
      break;
    case CMD_MOVE_HOMING:
      SetupHomingMove(state, chara);
      break;
    case CMD_JUMP:
      SetupJump(state, chara);
      break;
    default:
      break;
  }
}

void FillRun(cChara& chara, cFlowRun& run, cFlow& flow, int index, int bAdd) {
  run = cFlowRun();
  run.m_nIndex = index;
  run.m_pFlow = &flow;
  run.m_nRunId = chara.m_nNextRunId++;
  for (cKeyList& key : flow.m_vKeyList) run.m_vKeyList.push_back(&key);
  run.m_vCmdState.resize(flow.m_vCmd.size());
  for (size_t i = 0; i < flow.m_vCmd.size(); ++i) {
    cCmdState& s = run.m_vCmdState[i];
    cFlowCmd& cmd = flow.m_vCmd[i];
    s.m_pCmd = &cmd;
    s.m_nDuration = TenthsToTicks(PairValue(cmd.m_sTime, cmd.m_sTimePerClone, chara.m_sClone));
    if (const cEdMove* mv = cmd.m_pMove.get()) {
      s.m_dSpeed = static_cast<double>(PairValue(mv->m_sSpeed, mv->m_sSpeedStep, chara.m_sClone)) * 0.1 / SubStepsReal();
      if (mv->m_bInertia) s.m_dSpeed2 = mv->m_sMaxSpeed * 0.1 / SubStepsReal();
      s.m_cTurn = static_cast<int8_t>(mv->m_byDirection);
    }
    SetUpKind(s, chara);
  }
  if (bAdd) run.m_bKeyHeld = flow.m_bKeyRepeat ? 0 : 1;
}

void BuildSchedule(cFlowRun& run) {
  const int k = SubSteps();
  const size_t n = run.m_vCmdState.size();
  long long start = 0;
  for (size_t i = 0; i < n; ++i) {
    const cCmdState& s = run.m_vCmdState[i];
    const cFlowCmd& cmd = *s.m_pCmd;
    const bool scheduled = cmd.m_sAnime != 0 && (!cmd.m_pMove || cmd.m_pMove->m_bTimeFromAnime);
    if (scheduled) {
      cAnimSchedule e;
      const long long t = AnimeTenths(cmd.m_sAnime);
      const long long length = t * 6 * k;
      long long remainder = length;
      bool fits = false;
      for (size_t j = i; j-- > 0;) {
        const cCmdState& before = run.m_vCmdState[j];
        if (before.m_pCmd->m_bZeroTime == 1) continue;
        remainder -= before.m_nDuration;
        if (remainder <= 0) {
          fits = true;
          break;
        }
      }
      e.m_sAnime = cmd.m_sAnime;
      e.m_sCmdTime = static_cast<int16_t>(std::clamp(cmd.m_sTime * 6, INT16_MIN, INT16_MAX));
      e.m_bHold = (cmd.FlowKind() == CMD_JUMP || cmd.FlowKind() == CMD_SWORD) ? 0 : 1;
      if (fits) {
        e.m_nStartTick = e.m_nStartTick2 = ClampInt(start - length);
        e.m_sLength = static_cast<int16_t>(std::clamp<long long>(t * 6, INT16_MIN, INT16_MAX));
      } else {
        const long long skip = std::min(remainder / k, t * 6);
        e.m_sSkip = static_cast<int16_t>(std::clamp<long long>(skip, INT16_MIN, INT16_MAX));
        e.m_sLength = static_cast<int16_t>(std::clamp<long long>(t * 6 - skip, INT16_MIN, INT16_MAX));
      }
      run.m_vAnimSchedule.push_back(e);
    }
    if (cmd.m_bZeroTime != 1) start += s.m_nDuration;
  }
}

}  // namespace

namespace {

// Expands the first loop command; bCut is set when the bound cut its copies.
int ExpandFirst(cSafeVector<cFlowCmd>& cmds, bool& bCut) {
  auto it = std::find_if(cmds.begin(), cmds.end(), IsLoop);
  if (it == cmds.end()) return 0;
  const size_t j = static_cast<size_t>(it - cmds.begin());
  const long long count = it->Param(0);
  long long n = std::min<long long>(it->Param(1), static_cast<long long>(cmds.size() - j - 1));
  if (n > 0 && count > 1) {
    // The copies that fit under the bound on the commands of a list.
    const long long room = std::max<long long>(0, MAX_EXPANDED_CMDS - static_cast<long long>(cmds.size()));
    long long copies = count - 1;
    if (copies * n > room) {
      copies = room / n;
      bCut = true;
      ReportLog("Loop of %lld x %lld commands cut to %lld blocks (at most %d commands)", count, n, copies + 1,
                MAX_EXPANDED_CMDS);
    }
    if (copies > 0) {
      const auto from = cmds.begin() + static_cast<long>(j + 1);
      std::vector<cFlowCmd> block(from, from + static_cast<long>(n));
      std::vector<cFlowCmd> all;
      all.reserve(static_cast<size_t>(copies * n));
      for (long long c = 0; c < copies; ++c) all.insert(all.end(), block.begin(), block.end());
      cmds.insert(cmds.begin() + static_cast<long>(j + 1), std::make_move_iterator(all.begin()),
                  std::make_move_iterator(all.end()));
    }
  }
  cmds.erase(cmds.begin() + static_cast<long>(j));
  return 1;
}

}  // namespace

int ExpandFirstLoop(cSafeVector<cFlowCmd>& cmds) {
  bool cut = false;
  return ExpandFirst(cmds, cut);
}

void ExpandLoops(cSafeVector<cFlowCmd>& cmds) {
  bool cut = false;
  while (ExpandFirst(cmds, cut)) {
    if (!cut) continue;
    // The list is as long as it may grow: the loops left stand for one block each.
    cmds.erase(std::remove_if(cmds.begin(), cmds.end(), IsLoop), cmds.end());
    return;
  }
}

void cCmdState::ApplyMoveDistance(const cFlowCmd& cmd, int clone) {
  const cEdMove* mv = cmd.m_pMove.get();
  if (!mv) return;
  long long distance = PairValue(mv->m_sDistance, mv->m_sDistanceStep, clone);
  if (mv->m_byDistanceUnit != 1) distance *= 16;
  if (mv->m_byTimeMode == 1) {
    // Without a duration the move takes one tick and does not move.
    if (m_nDuration == 0) {
      m_nDuration = 1;
      m_dSpeed = 0;
      return;
    }
    m_dSpeed = static_cast<double>(distance) / m_nDuration;
  } else if (mv->m_byTimeMode == 2) {
    if (m_dSpeed == 0) {
      m_nDuration = 1;
      return;
    }
    int t = TruncPos(static_cast<double>(distance) / m_dSpeed);
    if (t < 0 && !g_SystemData.m_bLegacy695) t = t == INT32_MIN ? INT32_MAX : -t;
    m_nDuration = t;
  }
}

void SetupLinearMove(cCmdState& state, cChara& chara) {
  const cEdMove* mv = state.m_pCmd->m_pMove.get();
  if (mv && mv->m_byTimeMode != 0) state.ApplyMoveDistance(*state.m_pCmd, chara.m_sClone);
}

void SetupHomingMove(cCmdState& state, cChara& chara) {
  const cEdMove* mv = state.m_pCmd->m_pMove.get();
  if (!mv) return;
  state.m_nMoveValue1 = ClampInt(PairValue(mv->m_sRadius, mv->m_sRadiusStep, chara.m_sClone) * SubSteps());
  if (mv->m_byTimeMode != 0) state.ApplyMoveDistance(*state.m_pCmd, chara.m_sClone);
}

void SetupCircleMove(cCmdState& state, cChara& chara) {
  const cEdMove* mv = state.m_pCmd->m_pMove.get();
  if (!mv) return;
  const int k = SubSteps();
  const int clone = chara.m_sClone;
  long long add = 0;
  if (chara.m_nDir == 1) {
    if (mv->m_bMirrorGoalX) {
      ToggleTurn(state.m_cTurn);
      add = 180;
    }
    if (mv->m_bMirrorGoalY) ToggleTurn(state.m_cTurn);
  }
  const long long radius = std::clamp<long long>(PairValue(mv->m_sRadius, mv->m_sRadiusStep, clone), 0, 20);
  state.m_nMoveValue1 = ClampInt(radius * 16 * k);
  state.m_nMoveValue2 = ClampInt((add + PairValue(mv->m_sAngle, mv->m_sAngleStep, clone)) * k);
  state.m_nMoveValue3 = ClampInt((add + PairValue(mv->m_sDistance, mv->m_sDistanceStep, clone)) * k);
  const long long span = mv->m_sDistance > mv->m_sAngle
                             ? static_cast<long long>(state.m_nMoveValue3) - state.m_nMoveValue2
                             : static_cast<long long>(state.m_nMoveValue2) - state.m_nMoveValue3;
  if (mv->m_byTimeMode == 0) {
    if (state.m_nDuration == 0) {
      state.m_nDuration = 1;
      state.m_dSpeed = 0;
      return;
    }
    state.m_dSpeed = static_cast<double>(span) / state.m_nDuration / SubStepsReal();
  } else if (mv->m_byTimeMode == 1) {
    if (state.m_dSpeed == 0) {
      state.m_nDuration = 1;
      return;
    }
    int t = TruncPos(static_cast<double>(span) / state.m_dSpeed / SubStepsReal());
    state.m_nDuration = t < 0 ? (t == INT32_MIN ? INT32_MAX : -t) : t;
  }
}

void SetupJump(cCmdState& state, cChara& chara) {
  cFlowCmd& cmd = *state.m_pCmd;
  const int height = cmd.m_vParam.CheckedAt(2);
  state.m_dSpeed = chara.JumpSpeedForHbl(static_cast<int8_t>(height));
  const int t = chara.JumpTimeForHbl(height);
  cmd.m_sTime = static_cast<int16_t>(std::clamp(t, static_cast<int>(INT16_MIN), static_cast<int>(INT16_MAX)));
  state.m_nDuration = TenthsToTicks(t);
}

int cChara::BuildFlows(cSafeVector<cFlow>& src, int bAdd, int pos) {
  const int count = static_cast<int>(src.size());
  if (count == 0) return 0;
  for (cFlow& flow : src) ExpandLoops(flow.m_vCmd);
  cSafeVector<cFlow>& flows = m_Data.m_vFlow;
  int first = 0;
  if (bAdd) {
    // Copies first: the source may lie inside the own flows.
    cSafeVector<cFlow> copies(src.begin(), src.end());
    if (pos >= 0 && pos < static_cast<int>(flows.size())) {
      first = pos;
    } else {
      first = static_cast<int>(flows.size());
    }
    flows.insert(flows.begin() + first, copies.begin(), copies.end());
    m_vFlowRun.insert(m_vFlowRun.begin() + first, static_cast<size_t>(count), cFlowRun());
    // The runs before and after point at moved flows: every run is re-pointed.
    RelinkFlowRuns();
  } else {
    m_vFlowRun.clear();
    m_vFlowRun.resize(static_cast<size_t>(count));
  }
  for (int j = 0; j < count; ++j) {
    cFlowRun& run = m_vFlowRun.CheckedAt(first + j);
    cFlow& flow = bAdd ? flows.CheckedAt(first + j) : src.CheckedAt(j);
    FillRun(*this, run, flow, first + j, bAdd);
    BuildSchedule(run);
  }
  return count;
}
