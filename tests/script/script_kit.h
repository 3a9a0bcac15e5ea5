// Small builders for the scripting tests: commands and flows from a few values, a stage in
// play at a chosen sub-step count with one character, and stand-ins put into the command
// tables for the length of a test (they record which tagged commands ran).
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

#include "defs/flow.h"
#include "engine/stage_chara.h"
#include "play_kit.h"
#include "script/cmd_dispatch.h"

namespace scriptkit {

// A flow command of a kind with its parameter list sized; the tag is its text, which the
// recording entries log.
cFlowCmd Cmd(int kind, int time, int zeroTime = 0, const std::string& tag = "");
// A flow command of a kind lasting one tick with exactly these parameters.
cFlowCmd CmdWith(int kind, std::initializer_list<int32_t> params);
// An item-list command of a list kind.
cFlowCmd ListCmd(int kind, const std::string& tag = "");
// "ループ": repeat count and block length.
cFlowCmd Loop(int count, int block);
cFlow Flow(int trigger, const std::vector<cFlowCmd>& cmds, int id = 0, int group = 0);
// The tags of a command list, joined: "A B C".
std::string Tags(const cSafeVector<cFlowCmd>& cmds);

// The tags of the commands the recording entries ran, in order.
std::vector<std::string>& Log();
// The recording entry of the command table: logs the command's tag.
void RecordTick(cChara& chara, cCmdState& state);
// The recording implementation: logs the tag, returns 0.
int RecordImpl(cChara& chara, cFlowCmd& cmd);

// Puts an entry into the command table (or the implementation table) until it goes.
class HandlerSwap {
 public:
  HandlerSwap(int kind, CmdHandler handler);
  ~HandlerSwap();
  HandlerSwap(const HandlerSwap&) = delete;
  HandlerSwap& operator=(const HandlerSwap&) = delete;

 private:
  int kind_;
  CmdHandler saved_;
};
class ImplSwap {
 public:
  ImplSwap(int kind, CmdImpl impl);
  ~ImplSwap();
  ImplSwap(const ImplSwap&) = delete;
  ImplSwap& operator=(const ImplSwap&) = delete;

 private:
  int kind_;
  CmdImpl saved_;
};

// A 20 × 15 stage in play at k sub-steps per frame (speed level k), with one stage character
// whose flows are given; its runs are built. The log is emptied.
class ScriptWorld {
 public:
  ScriptWorld(int k, const std::vector<cFlow>& flows);
  playkit::PlayWorld world;
  cStageChara& chara;

 private:
  static cStageChara& Make(playkit::PlayWorld& world, const std::vector<cFlow>& flows);
};

// Starts a run and steps the character's runs until it ends (at most 100000 sub-steps); the
// number of sub-steps.
int RunToEnd(ScriptWorld& w, size_t run);

}  // namespace scriptkit
