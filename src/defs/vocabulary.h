// The names of the stored choices of the definition records: value n of a choice is the n-th
// text of its label list (from 0), and an empty text ends the list. These are the editing
// vocabulary, kept with the records so that every stored value has its name; the play reads
// none of them (the command-kind tables and the shot parameter tables have their own headers).
// Texts are Shift-JIS.
#pragma once

#include <cstdint>

// The number of values of a label list (the texts before the empty one).
int LabelCount(const char* const* list);

// ---- Flows and key conditions ----
extern const char* const g_aszTrigger[];       // m_byTrigger of a flow, 0..22
extern const char* const g_aszFlowId[];        // "-", "A".."Z"
extern const char* const g_aszFlowGroup[];     // "-", "a".."z"
extern const char* const g_aszCondRule[];      // rule of a condition list
extern const char* const g_aszTargetSlot[];    // "ターゲット1".."ターゲット4"
extern const char* const g_aszKeyState[];      // "--", "押", "離"
extern const char* const g_aszKeyMode[];       // m_byMode of a key condition

// ---- Movement and shots ----
extern const char* const g_aszDirection[];     // direction codes 0..12

// ---- Items ----
extern const char* const g_aszTakeRule[];

// ---- Characters ----
extern const char* const g_aszSwitch[];        // "OFF", "ON"
extern const char* const g_aszControl[];       // "プレイヤー", "コンピューター"
extern const char* const g_aszPlayerNo[];      // "1"
extern const char* const g_aszFlying[];
extern const char* const g_aszInvincible[];
extern const char* const g_aszZoom[];          // "しない", "×4" .. "×100"
extern const char* const g_aszZoomUp[];        // "×4" .. "×100"
extern const char* const g_aszSightShape[];
extern const char* const g_aszContactBox[];
extern const char* const g_aszActRange[];
extern const char* const g_aszActRule[];

// ---- Command parameters (p[i] of the flow kinds) ----
extern const char* const g_aszFlowOperation[];      // "フローの操作" p[0]
extern const char* const g_aszFlowOperationWhich[]; // "フローの操作" p[1]
extern const char* const g_aszFlowOperationId[];    // "フローの操作" p[2]: "全て", "A".."Z"
extern const char* const g_aszSelfOrTarget[];       // "フローの操作" p[3], and the second owner list
extern const char* const g_aszStageClearMode[];     // "ステージクリア" p[0]
extern const char* const g_aszStageClearFacing[];   // "ステージクリア" p[8]
extern const char* const g_aszMessagePlace[];       // "メッセージ" p[0]
extern const char* const g_aszShowDuration[];       // "メッセージ" p[6], "ピクチャーの表示"
extern const char* const g_aszTargetChoice[];       // "ターゲットの設定" p[1]
extern const char* const g_aszTargetRange[];        // "ターゲットの設定": search range
extern const char* const g_aszTargetNotFound[];     // "ターゲットの設定": nothing found
extern const char* const g_aszStatusWhat[];         // "ステータスの操作" p[0]
extern const char* const g_aszStatusOwner[];        // "ステータスの操作" p[3], p[12]
extern const char* const g_aszStatusOperand[];      // "ステータスの操作" p[6]
extern const char* const g_aszVarBank[];            // "ステータスの操作" p[10]
extern const char* const g_aszStatusCalc[];         // "ステータスの操作" p[15]
extern const char* const g_aszOn[];                 // "ON" alone
extern const char* const g_aszVanishWhat[];         // "消滅" p[0]
extern const char* const g_aszVanishRange[];        // "消滅" p[2]
extern const char* const g_aszItemPalette[];        // "アイテムの取得" p[0]
extern const char* const g_aszArrangeSource[];      // "アレンジ" p[3]
extern const char* const g_aszTurn[];               // "向き変更" p[0]
extern const char* const g_aszPicturePlace[];       // "ピクチャーの表示": placement
extern const char* const g_aszRunMode[];            // normal, reversed, back and forth
extern const char* const g_aszShowHide[];           // show, hide, toggle
extern const char* const g_aszListOwner[];          // owners of item-list commands
extern const char* const g_aszListOwnerSystem[];    // the same with "システム"
extern const char* const g_aszCharaState[];         // state conditions of a character

// One status of the status operation: its name, the range of its value and of an operand,
// flag A (the percentage modes apply) and flag B (0 for "キャラID", "Z座標", "マーク番号").
struct cStatusInfo {
  const char* m_lpszName;
  int32_t m_nMin;
  int32_t m_nMax;
  int32_t m_nOperandMin;
  int32_t m_nOperandMax;
  int32_t m_nZero;
  int32_t m_bFlagA;
  int32_t m_bFlagB;
};

constexpr int CHARA_STATUS_COUNT = 15;
constexpr int SYSTEM_VALUE_COUNT = 5;
// The statuses of a character and the values of the system ("システム").
extern const cStatusInfo g_CharaStatus[CHARA_STATUS_COUNT];
extern const cStatusInfo g_SystemValue[SYSTEM_VALUE_COUNT];

// One state flag of "ステータスの操作2": its name, range, default and value names.
struct cStateFlagInfo {
  const char* m_lpszName;
  int32_t m_nMin;
  int32_t m_nMax;
  int32_t m_nDefault;
  const char* const* m_lpaszValues;
};

constexpr int STATE_FLAG_COUNT = 7;
extern const cStateFlagInfo g_StateFlag[STATE_FLAG_COUNT];
