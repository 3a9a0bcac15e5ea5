#include "defs/vocabulary.h"

int LabelCount(const char* const* list) {
  int n = 0;
  while (list[n][0] != '\0') ++n;
  return n;
}

// ---- Flows and key conditions ----

const char* const g_aszTrigger[] = {
    "常時",
    "ダメージを受けた時",
    "衝撃を受けた時",
    "死亡した時",
    "キャラに当たった時",
    "ブロックキャラに当たった時",
    "ブロックキャラに乗っている時",
    "ショットに当たった時",
    "アイテムに当たった時",
    "ブロックに当たった時",
    "自分の左右にブロックが当たった時",
    "自分の左にブロックが当たった時",
    "自分の右にブロックが当たった時",
    "自分の上下にブロックが当たった時",
    "自分の上にブロックが当たった時",
    "自分の下にブロックが当たった時",
    "主人公に乗られている時",
    "キャラに乗られている時",
    "アタックでダメージを与えた時",
    "アタックで衝撃を与えた時",
    "アタックを当てた時",
    "ステージ開始前",
    "なし（フローの操作コマンドで実行）",
    "",
};

const char* const g_aszFlowId[] = {"-", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N",
                                   "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", ""};
const char* const g_aszFlowGroup[] = {"-", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n",
                                      "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", ""};
const char* const g_aszCondRule[] = {"全ての条件が真なら成立", "1つ以上の条件が真なら成立", ""};
const char* const g_aszTargetSlot[] = {"ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4", ""};
const char* const g_aszKeyState[] = {"--", "押", "離", ""};
const char* const g_aszKeyMode[] = {"全てのキーが真なら成立", "1つ以上のキーが真なら成立", "1つだけキーが真なら成立", ""};

// ---- Movement and shots ----

const char* const g_aszDirection[] = {"前", "後", "左", "右", "前Y", "後Y", "上", "下",
                                      "左上", "左下", "右上", "右下", "入力方向", ""};

// ---- Items ----

const char* const g_aszTakeRule[] = {"1回だけ取れる", "何回でも取れる", "取れない", ""};

// ---- Characters ----

const char* const g_aszSwitch[] = {"OFF", "ON", ""};
const char* const g_aszControl[] = {"プレイヤー", "コンピューター", ""};
const char* const g_aszPlayerNo[] = {"1", ""};
const char* const g_aszFlying[] = {"OFF", "ON (ブロックをすり抜ける)", "ON (ブロックに当たる)", "ON (ブロックに当たると即死)", ""};
const char* const g_aszInvincible[] = {"OFF", "ON (ショットが当たる)", "ON (ショットがすり抜ける)", ""};
const char* const g_aszZoom[] = {"しない", "×4", "×9", "×16", "×25", "×36", "×49", "×64", "×81", "×100", ""};
const char* const g_aszZoomUp[] = {"×4", "×9", "×16", "×25", "×36", "×49", "×64", "×81", "×100", ""};
const char* const g_aszSightShape[] = {"画面内全て", "キャラを中心とした円形", "キャラの前方に円形",
                                       "キャラを中心とした正方形", "キャラの前方に正方形", ""};
const char* const g_aszContactBox[] = {"キャラ対キャラの当たり判定範囲（推奨）", "キャラ対ショットの当たり判定範囲",
                                       "ショット対キャラの当たり判定範囲", "32×32", ""};
const char* const g_aszActRange[] = {"画面内", "X座標のみ画面内", "Y座標のみ画面内", "全範囲", ""};
const char* const g_aszActRule[] = {"範囲かグループが真なら成立", "一度範囲かグループが真になると、以後無条件で成立",
                                    "範囲とグループが偽なら成立", ""};

// ---- Command parameters ----

const char* const g_aszFlowOperation[] = {"開始", "終了", "一時停止", "再開", "削除", "永久停止", ""};
const char* const g_aszFlowOperationWhich[] = {"このフロー", "このフロー以外全て", "指定IDのフロー", ""};
const char* const g_aszFlowOperationId[] = {"全て", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
                                            "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", ""};
const char* const g_aszSelfOrTarget[] = {"自分", "ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4", ""};
const char* const g_aszStageClearMode[] = {"次のステージへ", "番号で指定", "パスで指定", "ワールドクリア", ""};
const char* const g_aszStageClearFacing[] = {"左向き", "右向き", "ステージクリア時の向きと同じ", ""};
const char* const g_aszMessagePlace[] = {"画面中央に表示",     "自分の上に表示",     "自分の下に表示",
                                         "自分の中心に表示",   "主人公の上に表示",   "主人公の下に表示",
                                         "主人公の中心に表示", "画面座標で指定",     "ステージ座標で指定",
                                         ""};
const char* const g_aszShowDuration[] = {"進行キーが押されるまで表示", "ステージ終了まで表示", "時間で指定", ""};
const char* const g_aszTargetChoice[] = {"主人公",
                                         "自分",
                                         "最も近いキャラ",
                                         "キャラ（キャラIDで指定）",
                                         "親キャラ（自分を召喚したキャラ）",
                                         "子キャラ（最後に召喚したキャラ）",
                                         "子キャラ（条件付き。後で召喚したキャラ優先)",
                                         "ターゲット1",
                                         "ターゲット2",
                                         "ターゲット3",
                                         "ターゲット4",
                                         ""};
const char* const g_aszTargetRange[] = {"全範囲（画面内のキャラ優先）", "全範囲", "画面内", ""};
const char* const g_aszTargetNotFound[] = {"ターゲット無し", "ターゲットを変更しない", ""};
const char* const g_aszStatusWhat[] = {"ステータス", "変数", ""};
const char* const g_aszStatusOwner[] = {"自分", "ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4", "システム", ""};
const char* const g_aszStatusOperand[] = {"定数", "乱数", "ステータス", "変数", ""};
const char* const g_aszVarBank[] = {"コモン変数", "ステージ変数", ""};
const char* const g_aszStatusCalc[] = {"通常の計算", "最大値に対する％で指定", "現在値に対する％で指定", ""};
const char* const g_aszOn[] = {"ON", ""};
const char* const g_aszVanishWhat[] = {"キャラ",
                                       "ショット",
                                       "子以下のキャラ",
                                       "子のショット",
                                       "子以下のキャラと子以下のショット",
                                       "子以下のキャラと孫以下のショット",
                                       ""};
const char* const g_aszVanishRange[] = {"画面内", "全範囲", ""};
const char* const g_aszItemPalette[] = {"コモンパレット", "ステージパレット", ""};
const char* const g_aszArrangeSource[] = {"コモン変数", "ステージ変数", "キャラ変数", ""};
const char* const g_aszTurn[] = {"左を向く",
                                 "右を向く",
                                 "ターゲット1がいる方を向く",
                                 "ターゲット1がいる方の逆を向く",
                                 "ターゲット2がいる方を向く",
                                 "ターゲット2がいる方の逆を向く",
                                 "ターゲット3がいる方を向く",
                                 "ターゲット3がいる方の逆を向く",
                                 "ターゲット4がいる方を向く",
                                 "ターゲット4がいる方の逆を向く",
                                 "最後にブロックが当たった方を向く",
                                 "最後にブロックが当たった方の逆を向く",
                                 ""};
const char* const g_aszPicturePlace[] = {"画面中央に表示", "キャラの中心に表示", "主人公の中心に表示",
                                         "画面座標で指定", "ステージ座標で指定", ""};
const char* const g_aszRunMode[] = {"通常実行", "反転実行", "往復実行", ""};
const char* const g_aszShowHide[] = {"表示", "非表示", "反転(表示⇔非表示)", ""};
const char* const g_aszListOwner[] = {"主人公", "ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4", ""};
const char* const g_aszListOwnerSystem[] = {"主人公", "ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4", "システム", ""};
const char* const g_aszCharaState[] = {"左向き", "右向き", "ブロックに乗っている(ブロックキャラも含む)", "画面内にいる",
                                       "存在している", ""};

// ---- Status tables ----

const cStatusInfo g_CharaStatus[CHARA_STATUS_COUNT] = {
    {"キャラ変数", -999999, 999999, -999999, 999999, 0, 0, 1},
    {"HP", 0, 999999, -999999, 999999, 0, 1, 1},
    {"SP", 0, 999999, -999999, 999999, 0, 1, 1},
    {"最大HP", 0, 999999, -999999, 999999, 0, 0, 1},
    {"最大SP", 0, 999999, -999999, 999999, 0, 0, 1},
    {"キャラID", 0, 99, -99, 99, 0, 0, 0},
    {"Z座標", 0, 8, -8, 8, 0, 0, 0},
    {"マーク番号", 0, 119, -121, 119, 0, 0, 0},
    {"視界範囲(hbl)", 0, 40, -40, 40, 0, 0, 1},
    {"体当たりの威力", -999999, 999999, -999999, 999999, 0, 0, 1},
    {"体当たりの衝撃", -20, 20, -20, 20, 0, 0, 1},
    {"防御力", 0, 999999, -999999, 999999, 0, 0, 1},
    {"衝撃耐性", 0, 20, -20, 20, 0, 0, 1},
    {"止まりやすさ", 0, 200, -200, 200, 0, 0, 1},
    {"倒したら獲得するスコア", -999999, 999999, -999999, 999999, 0, 0, 1},
};

const cStatusInfo g_SystemValue[SYSTEM_VALUE_COUNT] = {
    {"時間", 0, 999, -999, 999, 0, 0, 1},
    {"横スクロール速度", -480, 480, -480, 480, 0, 0, 1},
    {"縦スクロール速度", -480, 480, -480, 480, 0, 0, 1},
    {"スコア", 0, 999999, -999999, 999999, 0, 0, 1},
    {"残り人数", 0, 99, -99, 99, 0, 0, 1},
};

const cStateFlagInfo g_StateFlag[STATE_FLAG_COUNT] = {
    {"消滅", 0, 0, 0, g_aszOn},
    {"透明", 0, 1, 0, g_aszSwitch},
    {"向き固定", 0, 1, 0, g_aszSwitch},
    {"飛行", 0, 3, 0, g_aszFlying},
    {"無敵", 0, 2, 0, g_aszInvincible},
    {"巨大化", 1, 10, 1, g_aszZoom},
    {"オートスクロールとシンクロ", 0, 1, 0, g_aszSwitch},
};
