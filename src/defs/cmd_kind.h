// The kinds of commands: the table of flow commands (selector 0) and the table of item command
// lists (any other selector), each entry a name and the number of integer parameters the kind
// carries. Commands store the kind number of their table; the tables are read to size a
// command's parameter list.
#pragma once

#include <cstdint>

// The flow-command kinds.
enum eCmdKind {
  CMD_NONE,               // the empty command
  CMD_WAIT,               // "ウエイト"
  CMD_MOVE_LINE,          // "直線移動"
  CMD_MOVE_GROUND_TURN,   // "地上折り返し移動"
  CMD_MOVE_CIRCLE,        // "円移動"
  CMD_MOVE_CHARGE,        // "突撃移動"
  CMD_MOVE_HOMING,        // "誘導移動"
  CMD_MOVE_AVOID_EDGE,    // "画面外回避移動"
  CMD_MOVE_CANCEL,        // "移動の無効化"
  CMD_TURN,               // "向き変更"
  CMD_JUMP,               // "ジャンプ"
  CMD_SHOT,               // "ショット"
  CMD_SWORD,              // "ソード"
  CMD_SUMMON_BLOCK,       // "ブロック召喚"
  CMD_SUMMON_CHARA,       // "キャラ召喚"
  CMD_SUMMON_ITEM,        // "アイテム召喚"
  CMD_FLOW_OPERATION,     // "フローの操作"
  CMD_STAGE_CLEAR,        // "ステージクリア"
  CMD_GAME_WAIT,          // "ゲームウエイト"
  CMD_MESSAGE,            // "メッセージ"
  CMD_WARP,               // "ワープ"
  CMD_SET_TARGET,         // "ターゲットの設定"
  CMD_STATUS,             // "ステータスの操作"
  CMD_STATUS2,            // "ステータスの操作2"
  CMD_VANISH,             // "消滅"
  CMD_TAKE_ITEM,          // "アイテムの取得"
  CMD_CHANGE_GRAPHIC,     // "グラフィックの変更"
  CMD_CHANGE_ANIMESET,    // "基本アニメセットの変更"
  CMD_PLAY_ANIME,         // "アニメの実行"
  CMD_EFFECT,             // "エフェクトの実行"
  CMD_CHARA_EFFECT,       // "キャラエフェクトの実行"
  CMD_SCREEN_EFFECT,      // "画面エフェクトの実行"
  CMD_PICTURE,            // "ピクチャーの表示"
  CMD_SCREEN_COLOR,       // "画面の色を変更"
  CMD_CHANGE_BACK,        // "背景の変更"
  CMD_SOUND,              // "効果音の再生"
  CMD_BGM,                // "BGMの再生"
  CMD_CODE,               // "コードの実行"
  CMD_ARRANGE,            // "アレンジ"
  CMD_LOOP,               // "ループ"
  CMD_KIND_COUNT
};

// The kinds of item command lists: 0 empty, 1 the flow change, and list kind n of 2..24 is flow
// kind n + 15 ("ステージクリア" .. "ループ").
enum eListCmdKind {
  LISTCMD_NONE,
  LISTCMD_CHANGE_FLOW,  // "フローの変更"
  LISTCMD_FIRST_SHARED,
  LISTCMD_KIND_COUNT = LISTCMD_FIRST_SHARED + static_cast<int>(CMD_KIND_COUNT) - static_cast<int>(CMD_STAGE_CLEAR)
};

// List kind + LISTCMD_KIND_OFFSET = the flow kind, for list kinds 2..24.
constexpr int LISTCMD_KIND_OFFSET = static_cast<int>(CMD_STAGE_CLEAR) - static_cast<int>(LISTCMD_FIRST_SHARED);

struct cCmdKindInfo {
  const char* m_lpszName;
  int32_t m_nParamCount;
};

extern const cCmdKindInfo g_CmdKindTable[CMD_KIND_COUNT];
extern const cCmdKindInfo g_ListCmdKindTable[LISTCMD_KIND_COUNT];

// The entry of a kind in the table of a selector (0 flow commands, any other value item command
// lists); null for a kind outside that table.
const cCmdKindInfo* GetCmdKindInfo(int selector, int kind);

// The flow kind a command acts as: the kind itself for selector 0; for a list command its flow
// kind (list kind + 15), CMD_NONE for the empty list kind, and -1 for the flow change and for
// kinds outside the list table.
int FlowKindOf(int selector, int kind);
