#include "defs/cmd_kind.h"

// Names in Shift-JIS, as the system's texts are. Both tables are constant data, ready before any
// static construction reads them.
constexpr cCmdKindInfo g_CmdKindTable[CMD_KIND_COUNT] = {
    {"", 0},
    {"ウエイト", 0},
    {"直線移動", 0},
    {"地上折り返し移動", 0},
    {"円移動", 0},
    {"突撃移動", 0},
    {"誘導移動", 0},
    {"画面外回避移動", 0},
    {"移動の無効化", 0},
    {"向き変更", 1},
    {"ジャンプ", 5},
    {"ショット", 0},
    {"ソード", 0},
    {"ブロック召喚", 0},
    {"キャラ召喚", 0},
    {"アイテム召喚", 0},
    {"フローの操作", 4},
    {"ステージクリア", 9},
    {"ゲームウエイト", 1},
    {"メッセージ", 18},
    {"ワープ", 0},
    {"ターゲットの設定", 16},
    {"ステータスの操作", 18},
    {"ステータスの操作2", 3},
    {"消滅", 3},
    {"アイテムの取得", 2},
    {"グラフィックの変更", 3},
    {"基本アニメセットの変更", 1},
    {"アニメの実行", 1},
    {"エフェクトの実行", 8},
    {"キャラエフェクトの実行", 3},
    {"画面エフェクトの実行", 3},
    {"ピクチャーの表示", 15},
    {"画面の色を変更", 8},
    {"背景の変更", 2},
    {"効果音の再生", 1},
    {"BGMの再生", 2},
    {"コードの実行", 0},
    {"アレンジ", 5},
    {"ループ", 2},
};

// List kinds 2..24 are flow kinds 17..39.
constexpr cCmdKindInfo g_ListCmdKindTable[LISTCMD_KIND_COUNT] = {
    {"", 0},
    {"フローの変更", 2},
    g_CmdKindTable[17], g_CmdKindTable[18], g_CmdKindTable[19], g_CmdKindTable[20], g_CmdKindTable[21],
    g_CmdKindTable[22], g_CmdKindTable[23], g_CmdKindTable[24], g_CmdKindTable[25], g_CmdKindTable[26],
    g_CmdKindTable[27], g_CmdKindTable[28], g_CmdKindTable[29], g_CmdKindTable[30], g_CmdKindTable[31],
    g_CmdKindTable[32], g_CmdKindTable[33], g_CmdKindTable[34], g_CmdKindTable[35], g_CmdKindTable[36],
    g_CmdKindTable[37], g_CmdKindTable[38], g_CmdKindTable[39],
};

const cCmdKindInfo* GetCmdKindInfo(int selector, int kind) {
  if (selector == 0) return kind >= 0 && kind < CMD_KIND_COUNT ? &g_CmdKindTable[kind] : nullptr;
  return kind >= 0 && kind < LISTCMD_KIND_COUNT ? &g_ListCmdKindTable[kind] : nullptr;
}

int FlowKindOf(int selector, int kind) {
  if (selector == 0) return kind;
  if (kind == LISTCMD_NONE) return CMD_NONE;
  if (kind >= LISTCMD_FIRST_SHARED && kind < LISTCMD_KIND_COUNT) return kind + LISTCMD_KIND_OFFSET;
  return -1;
}
