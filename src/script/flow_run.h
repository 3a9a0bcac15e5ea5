// The run-time state of a character's flows: one run per flow, holding the state of each of
// its commands and the animations its commands start. A run starts at its first command, steps
// once per sub-step (zero-time commands chain within one sub-step), pauses, resumes and stops.
#pragma once

#include <cstdint>
#include <list>

#include "core/safe_container.h"
#include "defs/flow_cmd.h"
#include "script/cmd_state.h"

class cChara;
class cFlow;
class cKeyList;

// An animation a command of the run starts at a given tick of the run.
struct cAnimSchedule {
  int32_t m_nStartTick = 0;
  int32_t m_nStartTick2 = 0;
  int16_t m_sAnime = 0;
  // Frames (1/60 s) skipped at the start and frames played.
  int16_t m_sSkip = 0;
  int16_t m_sLength = 0;
  // The command's base time × 6.
  int16_t m_sCmdTime = 0;
  // 1: the first shown step is held while the command lasts.
  int32_t m_bHold = 0;
};

class cFlowRun {
 public:
  // Position of the flow in the character's flow list.
  int32_t m_nIndex = 0;
  // Unique within the character; the animations of the run carry it.
  int32_t m_nRunId = 0;
  cFlow* m_pFlow = nullptr;
  int32_t m_bCondLatch = 0;
  cSafeVector<cKeyList*> m_vKeyList;
  int32_t m_bKeyMatched = 0;
  int32_t m_bKeyHeld = 0;
  cSafeVector<cCmdState> m_vCmdState;
  cSafeVector<cAnimSchedule> m_vAnimSchedule;
  int32_t m_bRunning = 0;
  int32_t m_bPaused = 0;
  int32_t m_bStopForever = 0;
  int32_t m_bDelete = 0;
  int32_t m_nCurrent = 0;
  // Sub-steps stepped without finishing.
  int32_t m_nTicks = 0;
  int32_t m_nStartDir = 0;
  int32_t m_bTestedThisFrame = 0;
  int32_t m_bStartedThisFrame = 0;
  // The command that finished last was a message chained to the next one.
  int32_t m_bMessageChain = 0;
  // Set by a command during its tick to end the step at once.
  int32_t m_bAbort = 0;
  // Arrange commands waiting for the next command that starts.
  std::list<cFlowCmd> m_lArrange;
  // Set while Start runs the zero-time commands of a before-the-stage flow: a start from
  // inside them is refused instead of recursing.
  int32_t m_bStarting = 0;

  // Starts at the first command. The group flags go to the owner; a before-the-stage flow runs
  // its zero-time commands (kinds 16 and up) at once and ends stopped.
  void Start(cChara& owner);
  // One sub-step; 1 when the last command has finished.
  int Step();
  void Stop(cChara& owner);
  void StopForever(cChara& owner);
  void Pause() { m_bPaused = 1; }
  void Resume() { m_bPaused = 0; }

 private:
  void FlagGroupStopped(cChara& owner) const;
  void ClearRemaining();
};

// A message command (kind 19) that waits for the key (display mode 0) and chains on to the
// next message (parameter 15 is 0).
bool IsChainingMessage(const cFlowCmd& cmd);

// Applies the arrange entries waiting on the run to a command that starts (the arrange
// commands write their values; a command they do not reach is left as it is).
void ApplyFlowArranges(cChara* lpChara, cFlowRun* lpRun, cCmdState& state);
// Applies the hero's waiting arrange entries to a command of an item list that is about to run.
void ApplyPlayerArranges(cChara& hero, cFlowCmd& cmd);
