#include "script/arrange.h"

#include <climits>

#include "defs/cmd_kind.h"
#include "defs/ed_move.h"
#include "defs/ed_shot.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "project/save_data.h"
#include "script/cmd_param_def.h"
#include "script/flow_run.h"
#include "script/status_op.h"

namespace {

// Kinds whose arrangeable values are elements of the command's parameter list: for each
// parameter index, the element it reaches (-1 ends the row).
struct cParamMap {
  int kind;
  int element[7];
};
const cParamMap kParamMap[] = {
    {17, {1, 6, 7, 3, 4, -1}},   {19, {13, 1, 2, 3, 4, -1}},     {21, {2, 10, 13, -1}},
    {22, {8, 9, -1}},            {24, {1, -1}},                  {26, {1, 2, -1}},
    {29, {2, 3, 4, 5, 6, -1}},   {32, {13, 2, 3, 4, 5, 7, -1}},  {33, {0, 1, 2, 3, -1}},
    {34, {0, -1}},
};

int ElementOf(int kind, int index) {
  if (index < 0 || index >= 7) return -1;
  for (const cParamMap& m : kParamMap) {
    if (m.kind != kind) continue;
    for (int i = 0; i <= index; ++i)
      if (m.element[i] < 0) return -1;
    return m.element[index];
  }
  return -1;
}

// A field of the movement or shot record that a parameter index reaches, with its width.
struct cRecordField {
  enum eWidth { NONE, I8, U8, I16, I32 } width = NONE;
  void* p = nullptr;
};

cRecordField Field(int8_t& v) { return {cRecordField::I8, &v}; }
cRecordField Field(uint8_t& v) { return {cRecordField::U8, &v}; }
cRecordField Field(int16_t& v) { return {cRecordField::I16, &v}; }
cRecordField Field(int32_t& v) { return {cRecordField::I32, &v}; }

cRecordField MoveField(int kind, int index, cEdMove& m) {
  if (kind == CMD_MOVE_LINE || kind == CMD_MOVE_CHARGE) {
    switch (index) {
      case 0: return Field(m.m_sGoalXBlocks);
      case 1: return Field(m.m_sGoalXDots);
      case 2: return Field(m.m_sGoalYBlocks);
      case 3: return Field(m.m_sGoalYDots);
      case 4: return Field(m.m_sAngle);
      case 5: return Field(m.m_sAngleStep);
      default: return {};
    }
  }
  if (kind == CMD_MOVE_HOMING) {
    switch (index) {
      // The homing lag is kept where circle moves keep their radius.
      case 0: return Field(m.m_sRadius);
      case 1: return Field(m.m_sRadiusStep);
      case 2: return Field(m.m_sGoalXBlocks);
      case 3: return Field(m.m_sGoalXDots);
      case 4: return Field(m.m_sGoalYBlocks);
      case 5: return Field(m.m_sGoalYDots);
      default: return {};
    }
  }
  if (kind == CMD_WARP) {
    switch (index) {
      case 0: return Field(m.m_sDistance);
      case 1: return Field(m.m_sDistanceStep);
      case 2: return Field(m.m_sGoalXBlocks);
      case 3: return Field(m.m_sGoalYBlocks);
      case 4: return Field(m.m_sGoalXDots);
      case 5: return Field(m.m_sGoalYDots);
      default: return {};
    }
  }
  return {};
}

// The shot command's fields in parameter-index order; the Z layer is the byte that follows the
// graphic, the allegiance the shot's own layer number, the vanish value the shot strength.
cRecordField ShotCommandField(int index, cEdShot& s) {
  switch (index) {
    case 0: return Field(s.m_sGraphic);
    case 1: return Field(s.m_byShotOptionA);
    case 2:
    case 3:
    case 4: return Field(s.m_sFormParam[index - 2]);
    case 5: return Field(s.m_byCount);
    case 6: return Field(s.m_byVolleys);
    case 7: return Field(s.m_sAngle);
    case 8: return Field(s.m_sAngleStep);
    case 9: return Field(s.m_sAngleRandom);
    case 10: return Field(s.m_sOffsetX);
    case 11: return Field(s.m_sOffsetXStep);
    case 12: return Field(s.m_sOffsetY);
    case 13: return Field(s.m_sOffsetYStep);
    case 14: return Field(s.m_byLayer);
    case 15:
    case 16:
    case 17: return Field(s.m_sTrajParam[index - 15]);
    case 18: return Field(s.m_sSpeed);
    case 19: return Field(s.m_sSpeedStep);
    case 20: return Field(s.m_sAccel);
    case 21: return Field(s.m_sAccelStep);
    case 22: return Field(s.m_sRange);
    case 23: return Field(s.m_sRangeStep);
    case 24: return Field(s.m_sLifetime);
    case 25: return Field(s.m_sLifetimeStep);
    case 26: return Field(s.m_byShotStrength);
    case 27: return Field(s.m_nPower);
    case 28: return Field(s.m_cImpact);
    default: return {};
  }
}

// The summon commands: the index of the first formation value, then count and offsets follow.
cRecordField SummonField(int first, int index, cEdShot& s) {
  int i = index - first;
  if (i >= 0 && i < 3) return Field(s.m_sFormParam[i]);
  switch (i) {
    case 3: return Field(s.m_byCount);
    case 4: return Field(s.m_sOffsetX);
    case 5: return Field(s.m_sOffsetY);
    default: return {};
  }
}

cRecordField ShotField(int kind, int index, cEdShot& s) {
  switch (kind) {
    case CMD_SHOT: return ShotCommandField(index, s);
    case CMD_SWORD:
      switch (index) {
        case 0: return Field(s.m_byLayer);
        case 1: return Field(s.m_byShotOptionA);
        case 2: return Field(s.m_nPower);
        case 3: return Field(s.m_cImpact);
        default: return {};
      }
    case CMD_SUMMON_BLOCK: return SummonField(0, index, s);
    case CMD_SUMMON_CHARA:
      if (index == 0) return Field(s.m_sLifetime);
      if (index == 1) return Field(s.m_byLayer);
      return SummonField(2, index, s);
    case CMD_SUMMON_ITEM:
      if (index == 0) return Field(s.m_sLifetime);
      return SummonField(1, index, s);
    default: return {};
  }
}

// The record field of a kind's parameter index; none for a command without its record.
cRecordField RecordField(int kind, int index, const cFlowCmd& cmd) {
  switch (kind) {
    case CMD_MOVE_LINE:
    case CMD_MOVE_CHARGE:
    case CMD_MOVE_HOMING:
    case CMD_WARP: return cmd.m_pMove ? MoveField(kind, index, *cmd.m_pMove) : cRecordField();
    case CMD_SHOT:
    case CMD_SWORD:
    case CMD_SUMMON_BLOCK:
    case CMD_SUMMON_CHARA:
    case CMD_SUMMON_ITEM: return cmd.m_pShot ? ShotField(kind, index, *cmd.m_pShot) : cRecordField();
    default: return {};
  }
}

// The formation or movement-type value j (0..2) a parameter index reaches, or -1; table is
// set to 0 for a formation value, 1 for a movement-type value.
int SpecialValue(int kind, int index, int& table) {
  table = 0;
  if ((kind == CMD_SHOT || kind == CMD_SUMMON_CHARA) && index >= 2 && index <= 4) return index - 2;
  if (kind == CMD_SUMMON_BLOCK && index >= 0 && index <= 2) return index;
  if (kind == CMD_SUMMON_ITEM && index >= 1 && index <= 3) return index - 1;
  table = 1;
  if (kind == CMD_SHOT && index >= 15 && index <= 17) return index - 15;
  return -1;
}

}  // namespace

int ArrangeGetParam(int kind, int index, const cFlowCmd& cmd, int& value) {
  cRecordField f = RecordField(kind, index, cmd);
  switch (f.width) {
    case cRecordField::I8: value = *static_cast<int8_t*>(f.p); return 1;
    case cRecordField::U8: value = *static_cast<uint8_t*>(f.p); return 1;
    case cRecordField::I16: value = *static_cast<int16_t*>(f.p); return 1;
    case cRecordField::I32: value = *static_cast<int32_t*>(f.p); return 1;
    case cRecordField::NONE: break;
  }
  int e = ElementOf(kind, index);
  if (e < 0 || static_cast<size_t>(e) >= cmd.m_vParam.size()) return 0;
  value = cmd.m_vParam[static_cast<size_t>(e)];
  return 1;
}

// Values reach the setter within their parameter's limits, which fit the field's width.
void ArrangeSetParam(int kind, int index, cFlowCmd& cmd, int value) {
  cRecordField f = RecordField(kind, index, cmd);
  switch (f.width) {
    case cRecordField::I8: *static_cast<int8_t*>(f.p) = static_cast<int8_t>(value); return;
    case cRecordField::U8: *static_cast<uint8_t*>(f.p) = static_cast<uint8_t>(value); return;
    case cRecordField::I16: *static_cast<int16_t*>(f.p) = static_cast<int16_t>(value); return;
    case cRecordField::I32: *static_cast<int32_t*>(f.p) = value; return;
    case cRecordField::NONE: break;
  }
  int e = ElementOf(kind, index);
  if (e < 0 || static_cast<size_t>(e) >= cmd.m_vParam.size()) return;
  cmd.m_vParam[static_cast<size_t>(e)] = value;
}

int CmdArrange(cChara& chara, cFlowCmd& cmd) {
  if (cmd.m_bySelector != 0) {
    if (!g_vPlayer.empty()) g_vPlayer[0].m_lPlayerArrange.push_back(cmd);
    return 0;
  }
  (void)chara;
  if (g_lpPlayScene && g_lpPlayScene->m_pCurRun) g_lpPlayScene->m_pCurRun->m_lArrange.push_back(cmd);
  return 0;
}

void ApplyArrangeEntry(cFlowCmd& cmd, const cFlowCmd& entry, cChara& chara) {
  int kind = cmd.FlowKind();
  if (entry.Param(0) != kind) return;
  int index = entry.Param(1);
  int cur = 0;
  // Kinds without arrangeable fields, and movement or shot commands without their record,
  // change nothing.
  if (!ArrangeGetParam(kind, index, cmd, cur)) return;
  int d = 0;
  int n = entry.Param(4);
  switch (entry.Param(3)) {
    case 0:
      if (n < 1 || static_cast<size_t>(n) >= g_SaveData.m_vCommonVar.size()) return;
      d = g_SaveData.m_vCommonVar[static_cast<size_t>(n)];
      break;
    case 1:
      if (!g_lpPlayScene || n < 1 || static_cast<size_t>(n) >= g_lpPlayScene->m_vStageVar.size()) return;
      d = g_lpPlayScene->m_vStageVar[static_cast<size_t>(n)];
      break;
    case 2:
      if (n < 0 || static_cast<size_t>(n) >= chara.m_vVar.size()) return;
      d = chara.m_vVar[static_cast<size_t>(n)];
      break;
    default: d = n; break;
  }
  const cCmdParamDef& def = g_vCmdParamDef.CheckedAt(kind).CheckedAt(index);
  int low = def.m_nMin;
  int high = def.m_nMax;
  // The formation and movement-type values take the limits of the record's formation and
  // movement type; a value the formation does not use has 0..0.
  int table = 0;
  int j = SpecialValue(kind, index, table);
  if (j >= 0 && cmd.m_pShot) {
    const cShotParamInfo& info = table == 0 ? GetFormationParam(cmd.m_pShot->m_byFormation, j)
                                            : GetTrajectoryParam(cmd.m_pShot->m_byTrajectory, j);
    low = info.sMin;
    high = info.sMax;
  }
  ApplyStatusOp(cur, d, entry.Param(2), low, high);
  ArrangeSetParam(kind, index, cmd, cur);
}

void ApplyFlowArranges(cChara* lpChara, cFlowRun* lpRun, cCmdState& state) {
  if (!lpChara || !lpRun || !state.m_pCmd) return;
  for (const cFlowCmd& e : lpRun->m_lArrange) ApplyArrangeEntry(*state.m_pCmd, e, *lpChara);
}

void ApplyPlayerArranges(cChara& hero, cFlowCmd& cmd) {
  for (const cFlowCmd& e : hero.m_lPlayerArrange) ApplyArrangeEntry(cmd, e, hero);
  hero.m_lPlayerArrange.clear();
}
