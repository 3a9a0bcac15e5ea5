#include "script/cmd_param_def.h"

#include <climits>

#include "defs/cmd_kind.h"

cSafeVector<cSafeVector<cCmdParamDef>> g_vCmdParamDef;

void cCmdParamDef::Set(const char* label, int32_t nMin, int32_t nMax) {
  m_strLabel = label;
  m_nMin = nMin;
  m_nMax = nMax;
}

namespace {

struct ParamRow {
  const char* label;
  int32_t nMin;
  int32_t nMax;
};

const ParamRow kMove[] = {
    {"目標X(bl)", -640, 640}, {"目標X(dot)", -640, 640}, {"目標Y(bl)", -640, 640},
    {"目標Y(dot)", -640, 640}, {"角度", -7200, 7200},     {"分身値による増加角度", -7200, 7200},
};
const ParamRow kHoming[] = {
    {"誘導性能の悪さ", 0, 10}, {"分身値による増加誘導性能の悪さ", 0, 10}, {"目標X(bl)", -640, 640},
    {"目標X(dot)", -640, 640}, {"目標Y(bl)", -640, 640},                  {"目標Y(dot)", -640, 640},
};
const ParamRow kShot[] = {
    {"グラフィック", 1, 120},
    {"Z座標", 0, 7},
    {"フォーメーション固有1", 0, INT_MAX},
    {"フォーメーション固有2", 0, INT_MAX},
    {"フォーメーション固有3", 0, INT_MAX},
    {"発射数", 1, 127},
    {"発射数に対する分身数", 0, 20},
    {"角度のズレ", -7200, 7200},
    {"分身値による角度のズレ", -7200, 7200},
    {"分散角度", 0, 180},
    {"発射位置のズレX(dot)", -640, 640},
    {"分身値による発射位置のズレX(dot)", -640, 640},
    {"発射位置のズレY(dot)", -640, 640},
    {"分身値による発射位置のズレY(dot)", -640, 640},
    {"勢力", 0, 7},
    {"移動タイプ固有1", 0, INT_MAX},
    {"移動タイプ固有2", 0, INT_MAX},
    {"移動タイプ固有3", 0, INT_MAX},
    {"速度", -200, 200},
    {"分身値による増加速度", -200, 200},
    {"加速度", -200, 200},
    {"分身値による増加加速度", -200, 200},
    {"飛距離(hbl)", 0, 64},
    {"分身値による増加飛距離", -40, 40},
    {"存在時間(1/10s)", 1, 999},
    {"分身値よる増加存在時間", -99, 99},
    {"消滅値", 1, 9},
    {"威力", -999999, 999999},
    {"衝撃", -20, 20},
};
const ParamRow kSword[] = {{"勢力", 0, 7}, {"Z座標", 0, 7}, {"威力", -999999, 999999}, {"衝撃", -20, 20}};
const ParamRow kSummonBlock[] = {
    {"フォーメーション固有1", 0, INT_MAX}, {"フォーメーション固有2", 0, INT_MAX},
    {"フォーメーション固有3", 0, INT_MAX}, {"数", 1, 127},
    {"召喚位置のズレX(dot)", -640, 640},  {"召喚位置のズレY(dot)", -640, 640},
};
const ParamRow kSummonChara[] = {
    {"存在時間(1/10s)", 1, 9999},         {"勢力", 0, 7},
    {"フォーメーション固有1", 0, INT_MAX}, {"フォーメーション固有2", 0, INT_MAX},
    {"フォーメーション固有3", 0, INT_MAX}, {"数", 1, 127},
    {"召喚位置のズレX(dot)", -640, 640},  {"召喚位置のズレY(dot)", -640, 640},
};
const ParamRow kSummonItem[] = {
    {"存在時間(1/10s)", 1, 9999},         {"フォーメーション固有1", 0, INT_MAX},
    {"フォーメーション固有2", 0, INT_MAX}, {"フォーメーション固有3", 0, INT_MAX},
    {"数", 1, 127},                       {"召喚位置のズレX(dot)", -640, 640},
    {"召喚位置のズレY(dot)", -640, 640},
};
const ParamRow kStageClear[] = {
    {"次のステージの番号", 1, 99},
    {"次のステージの初期位置X(bl)", 0, 999},
    {"次のステージの初期位置Y(bl)", 0, 999},
    {"クリア後のワールドマップの位置X", 0, 999},
    {"クリア後のワールドマップの位置Y", 0, 999},
};
const ParamRow kMessage[] = {
    {"メッセージID", 0, 999},          {"座標X(bl)", 0, 20}, {"座標Y(bl)", 0, 15},
    {"表示位置のズレX(dot)", -999, 999}, {"表示位置のズレY(dot)", -999, 999},
};
const ParamRow kWarp[] = {
    {"距離(hbl)", 0, 64},       {"分身値による増加距離(hbl)", -40, 40}, {"目標X(bl)", -640, 640},
    {"目標Y(bl)", -640, 640},   {"目標Xのズレ(dot)", -640, 640},       {"目標Yのズレ(dot)", -640, 640},
};
const ParamRow kSetTarget[] = {
    {"対象勢力", 0, 7}, {"対象キャラID", 0, 99}, {"キャラ変数と比較する数値", -999999, 999999}};
const ParamRow kStatus[] = {{"乱数の最小値", -999999, 999999}, {"乱数の最大値", -999999, 999999}};
const ParamRow kVanish[] = {{"対象勢力", 0, 7}};
const ParamRow kGraphic[] = {{"グラフィック", 1, 119}, {"ズレ", -999, 999}};
const ParamRow kEffect[] = {
    {"座標X(bl)", 0, 511},           {"座標Y(bl)", 0, 511}, {"表示位置のズレX(dot)", -999, 999},
    {"表示位置のズレY(dot)", -999, 999}, {"表示倍率(%)", 1, 1000},
};
const ParamRow kPicture[] = {
    {"ピクチャーID", 0, 999},         {"座標X(bl)", 0, 511},
    {"座標Y(bl)", 0, 511},            {"表示位置のズレX(dot)", -999, 999},
    {"表示位置のズレY(dot)", -999, 999}, {"表示倍率(%)", 1, 1000},
};
const ParamRow kColor[] = {{"R", 0, 255}, {"G", 0, 255}, {"B", 0, 255}, {"%", 0, 100}};
const ParamRow kBack[] = {{"背景番号", 1, 8}};

template <size_t N>
void Fill(int kind, const ParamRow (&rows)[N]) {
  cSafeVector<cCmdParamDef>& list = g_vCmdParamDef.CheckedAt(kind);
  list.assign(N, cCmdParamDef());
  for (size_t i = 0; i < N; ++i) list.CheckedAt(static_cast<int>(i)).Set(rows[i].label, rows[i].nMin, rows[i].nMax);
}

}  // namespace

void BuildCommandParamTable() {
  g_vCmdParamDef.assign(CMD_KIND_COUNT, cSafeVector<cCmdParamDef>());
  Fill(CMD_MOVE_LINE, kMove);
  Fill(CMD_MOVE_CHARGE, kMove);
  Fill(CMD_MOVE_HOMING, kHoming);
  Fill(CMD_SHOT, kShot);
  Fill(CMD_SWORD, kSword);
  Fill(CMD_SUMMON_BLOCK, kSummonBlock);
  Fill(CMD_SUMMON_CHARA, kSummonChara);
  Fill(CMD_SUMMON_ITEM, kSummonItem);
  Fill(CMD_STAGE_CLEAR, kStageClear);
  Fill(CMD_MESSAGE, kMessage);
  Fill(CMD_WARP, kWarp);
  Fill(CMD_SET_TARGET, kSetTarget);
  Fill(CMD_STATUS, kStatus);
  Fill(CMD_VANISH, kVanish);
  Fill(CMD_CHANGE_GRAPHIC, kGraphic);
  Fill(CMD_EFFECT, kEffect);
  Fill(CMD_PICTURE, kPicture);
  Fill(CMD_SCREEN_COLOR, kColor);
  Fill(CMD_CHANGE_BACK, kBack);
}
