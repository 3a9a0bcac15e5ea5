#include "script/status_op.h"

#include <climits>
#include <cstring>

#include "core/rand_range.h"
#include "defs/flow_cmd.h"
#include "engine/chara.h"
#include "engine/object.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "project/save_data.h"
#include "project/stage.h"
#include "script/conditions.h"

namespace {

constexpr int OBJECT_SYSTEM = 5;

long long Operate(long long v, long long b, int op) {
  switch (op) {
    case 0: return b;
    case 1: return v + b;
    case 2: return v - b;
    case 3: return v * b;
    case 4: return b == 0 ? v : v / b;
    case 5: return b == 0 ? v : v % b;
    case 6: return PercentOf64(b, v);
    default: return v;
  }
}

long long Clamp(long long v, long long low, long long high) { return v < low ? low : (v > high ? high : v); }
int ToInt(long long v) { return static_cast<int>(Clamp(v, INT_MIN, INT_MAX)); }

bool IsHero(const cChara& c) { return !g_vPlayer.empty() && &c == &g_vPlayer[0]; }

int32_t* Variable(int bank, int index) {
  if (bank == 0) return &g_SaveData.m_vCommonVar.CheckedAt(index);
  if (bank == 1 && g_lpPlayScene) return &g_lpPlayScene->m_vStageVar.CheckedAt(index);
  return nullptr;
}

// The operand; false when the command must do nothing.
bool Operand(cChara& chara, const cFlowCmd& cmd, int& b) {
  b = 0;
  switch (cmd.Param(6)) {
    case 0: b = cmd.Param(7); return true;
    case 1: b = RandRange(cmd.Param(8), cmd.Param(9)); return true;
    case 2: {
      int object = cmd.Param(12);
      int index = cmd.Param(13);
      if (object == OBJECT_SYSTEM) {
        if (!ReadSystemValue(index, b)) b = 0;
        if (index == 0 && g_lpPlayScene->m_bTimeStop) b = 0;
        if (index == 4 && b == UNLIMITED_LIVES) b = 0;
        return true;
      }
      cChara* owner = object >= 1 && object <= 4 ? chara.Target(object - 1) : &chara;
      if (!owner) return false;
      if (index == 8 && !IsHero(*owner)) return false;
      int width = 4;
      if (!ReadCharaStatus(*owner, index, cmd.Param(11), b, width)) b = 0;
      return true;
    }
    case 3: {
      int32_t* v = Variable(cmd.Param(10), cmd.Param(11));
      b = v ? *v : 0;
      return true;
    }
    default: return true;
  }
}

// The operand as a percentage of the current value when the option is on.
int WithPercent(const cFlowCmd& cmd, long long current, int b) {
  return cmd.Param(14) ? ToInt(PercentOf64(b, current)) : b;
}

void Op32(const cFlowCmd& cmd, int32_t& v, int b, int low, int high) {
  ApplyStatusOp(v, WithPercent(cmd, v, b), cmd.Param(5), low, high);
}
template <class T>
void OpByte(const cFlowCmd& cmd, T& field, int b, int low, int high) {
  int8_t v;
  std::memcpy(&v, &field, 1);
  ApplyStatusOp8(v, WithPercent(cmd, v, b), cmd.Param(5), low, high);
  std::memcpy(&field, &v, 1);
}
template <class T>
void OpWord(const cFlowCmd& cmd, T& field, int b, int low, int high) {
  int16_t v;
  std::memcpy(&v, &field, 2);
  ApplyStatusOp16(v, WithPercent(cmd, v, b), cmd.Param(5), low, high);
  std::memcpy(&field, &v, 2);
}

void SystemTarget(const cFlowCmd& cmd, int b) {
  cPlayScene& scene = *g_lpPlayScene;
  int value = 0;
  switch (cmd.Param(4)) {
    case 0: Op32(cmd, scene.m_nTime, b, 0, 999); break;
    case 1:
    case 2: {
      bool x = cmd.Param(4) == 1;
      ReadSystemValue(cmd.Param(4), value);
      Op32(cmd, value, b, -480, 480);
      if (x) scene.m_ScrollX.SetAutoSpeed(g_StageData.m_nScrollModeX, value);
      else scene.m_ScrollY.SetAutoSpeed(g_StageData.m_nScrollModeY, value);
      break;
    }
    case 3: Op32(cmd, g_SaveData.m_nTotalScore, b, 0, 999999); break;
    case 4:
      if (g_SaveData.m_nLives != UNLIMITED_LIVES) Op32(cmd, g_SaveData.m_nLives, b, 0, 99);
      break;
    default: break;
  }
}

void CharaTarget(cChara& running, const cFlowCmd& cmd, cChara& c, int b) {
  cCharaData& d = c.m_Data;
  int op = cmd.Param(5);
  switch (cmd.Param(4)) {
    case 0: Op32(cmd, c.m_vVar.CheckedAt(cmd.Param(2)), b, -999999, 999999); break;
    case 1:
    case 2: {
      bool hp = cmd.Param(4) == 1;
      int32_t current = hp ? c.m_nHp : c.m_nSp;
      int32_t copy = current;
      int mode = cmd.Param(15);
      if (mode == 1) b = ToInt(PercentOf64(hp ? d.m_nMaxHp : d.m_nMaxSp, b));
      if (mode == 2) b = ToInt(PercentOf64(current, b));
      if (mode >= 0 && mode <= 2) ApplyStatusOp(copy, b, op, 0, 999999);
      if (hp) c.AddHp(copy - current, 1, cmd.Param(16));
      else c.AddSp(copy - current, cmd.Param(16));
      break;
    }
    case 3:
      Op32(cmd, d.m_nMaxHp, b, 0, 999999);
      if (c.m_nHp > d.m_nMaxHp) c.m_nHp = d.m_nMaxHp;
      break;
    case 4:
      Op32(cmd, d.m_nMaxSp, b, 0, 999999);
      if (c.m_nSp > d.m_nMaxSp) c.m_nSp = d.m_nMaxSp;
      break;
    case 5: OpByte(cmd, d.m_byCharaId, b, 0, 99); break;
    case 6: OpByte(cmd, d.m_byZ, b, 0, 7); break;
    case 7: OpWord(cmd, d.m_wMark, b, 0, 119); break;
    case 8:
      if (!IsHero(c)) return;
      OpByte(cmd, d.m_bySight, b, 0, 40);
      g_vPlayer[0].UpdateSight();
      break;
    case 9: Op32(cmd, d.m_nPower, b, -999999, 999999); break;
    case 10: OpByte(cmd, d.m_cImpact, b, -20, 20); break;
    case 11: Op32(cmd, d.m_nDefence, b, 0, 999999); break;
    case 12: OpByte(cmd, d.m_byImpactResist, b, 0, 20); break;
    case 13:
      OpWord(cmd, d.m_sStop, b, 0, 200);
      c.m_dFriction = AccelFromParam(d.m_sStop);
      break;
    case 14: Op32(cmd, d.m_nScore, b, -999999, 999999); break;
    default: return;
  }
  int index = cmd.Param(4);
  if ((index == 1 || index == 3) && &c != &running && c.m_nHp < 1 && g_lpPlayScene)
    g_lpPlayScene->m_bCheckHp = 1;
}

}  // namespace

long long PercentOf64(long long a, long long b) {
  long long p = a * b;
  return (p >= 0 ? p + 50 : p - 50) / 100;
}

int ApplyStatusOp(int32_t& value, int operand, int op, int low, int high) {
  long long r = Operate(value, operand, op);
  value = static_cast<int32_t>(Clamp(r, low, high));
  return ToInt(r);
}

int ApplyStatusOp16(int16_t& value, int operand, int op, int low, int high) {
  long long r = Operate(value, static_cast<int16_t>(operand), op);
  value = static_cast<int16_t>(Clamp(r, Clamp(low, INT16_MIN, INT16_MAX), Clamp(high, INT16_MIN, INT16_MAX)));
  return ToInt(r);
}

int ApplyStatusOp8(int8_t& value, int operand, int op, int low, int high) {
  long long r = Operate(value, static_cast<int8_t>(operand), op);
  value = static_cast<int8_t>(Clamp(r, Clamp(low, INT8_MIN, INT8_MAX), Clamp(high, INT8_MIN, INT8_MAX)));
  return ToInt(r);
}

int CmdStatusOperation(cChara& chara, cFlowCmd& cmd) {
  int b = 0;
  if (!Operand(chara, cmd, b)) return 0;
  if (cmd.Param(0) == 1) {
    int32_t* v = Variable(cmd.Param(1), cmd.Param(2));
    if (v) Op32(cmd, *v, b, -999999, 999999);
    return 0;
  }
  if (cmd.Param(0) != 0) return 0;
  int object = cmd.Param(3);
  if (object == OBJECT_SYSTEM) {
    if (g_lpPlayScene) SystemTarget(cmd, b);
    return 0;
  }
  if (object < 0 || object > 4) return 0;
  cChara* c = object == 0 ? &chara : chara.Target(object - 1);
  if (!c) return 0;
  if (cmd.Param(17) && c->m_Data.m_byInvincible != 0) return 0;
  CharaTarget(chara, cmd, *c, b);
  return 0;
}
