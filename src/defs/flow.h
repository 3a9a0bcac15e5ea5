// Flows and their key conditions.
//
// A flow is one behaviour of a character: commands that start when the flow's trigger fires and
// its start conditions and key conditions hold. A key condition is a pattern of held and
// released directions and buttons.
//
// File form of a flow: the record body (the bytes below from the file's version on, then the
// name from 676), uint32 count and the conditions, uint32 count and the key conditions, uint32
// count and the commands. Of a key condition: the record body (five fields), uint32 n and n
// key-state bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"
#include "defs/cond.h"
#include "defs/flow_cmd.h"
#include "defs/key_history.h"

// The events that start flows.
enum eTrigger {
  TRIGGER_ALWAYS,             // "常時": every frame
  TRIGGER_DAMAGE,             // "ダメージを受けた時"
  TRIGGER_IMPACT,             // "衝撃を受けた時"
  TRIGGER_DEATH,              // "死亡した時"
  TRIGGER_CHARA,              // "キャラに当たった時"
  TRIGGER_BLOCK_CHARA,        // "ブロックキャラに当たった時"
  TRIGGER_ON_BLOCK_CHARA,     // "ブロックキャラに乗っている時"
  TRIGGER_SHOT,               // "ショットに当たった時"
  TRIGGER_ITEM,               // "アイテムに当たった時"
  TRIGGER_BLOCK,              // "ブロックに当たった時"
  TRIGGER_BLOCK_SIDES,        // "自分の左右にブロックが当たった時"
  TRIGGER_BLOCK_LEFT,         // "自分の左にブロックが当たった時"
  TRIGGER_BLOCK_RIGHT,        // "自分の右にブロックが当たった時"
  TRIGGER_BLOCK_TOP_BOTTOM,   // "自分の上下にブロックが当たった時"
  TRIGGER_BLOCK_TOP,          // "自分の上にブロックが当たった時"
  TRIGGER_BLOCK_BOTTOM,       // "自分の下にブロックが当たった時"
  TRIGGER_RIDDEN_BY_HERO,     // "主人公に乗られている時"
  TRIGGER_RIDDEN_BY_CHARA,    // "キャラに乗られている時"
  TRIGGER_ATTACK_DAMAGE,      // "アタックでダメージを与えた時"
  TRIGGER_ATTACK_IMPACT,      // "アタックで衝撃を与えた時"
  TRIGGER_ATTACK_HIT,         // "アタックを当てた時"
  TRIGGER_BEFORE_STAGE,       // "ステージ開始前"
  TRIGGER_NONE,               // "なし（フローの操作コマンドで実行）": only the flow operation starts it
  TRIGGER_COUNT
};

// One key condition: a required state per key position and the length of the held run.
class cKeyList : public cSaveRecord {
 public:
  // One eKeyState per eKeyPosition; exactly KEYPOS_COUNT entries after loading.
  cSafeVector<uint8_t> m_vKeyState;
  // 1: for a character facing left, left and right are exchanged (MirrorKeyPosition).
  uint8_t m_bFollowFacing = 0;
  // A held key's current run lasts at least and at most this many frames...
  uint16_t m_wMinFrames = 0;
  uint16_t m_wMaxFrames = 0;
  // ... unless any length counts.
  uint8_t m_bAnyLength = 0;
  // 0 every key must hold, 1 at least one, 2 exactly one.
  uint8_t m_byMode = 0;

  // Registered, cleared, 19 states "--".
  cKeyList();

  // The fields to 0 and the key states to exactly 19 entries (new ones "--").
  void Resize();

  void RegisterFields(int version) override;
  // The body, then n and n bytes, of which the first 19 are kept (missing ones "--").
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;
};

void AssignKeyList(cSafeVector<cKeyList>& dst, const cSafeVector<cKeyList>& src);
void LoadKeyList(cSafeVector<cKeyList>& list, FILE* fp);
void SaveKeyList(cSafeVector<cKeyList>& list, FILE* fp);

class cFlow : public cSaveRecord {
 public:
  // Not kept at run time: every load empties it.
  std::string m_strName;
  // Flow ID: 0 none, 1..26 "A".."Z".
  uint8_t m_byId = 0;
  // Flow group: 0 none, 1..26 "a".."z" (it indexes a character's group lists, so it is kept
  // within 0..26). Flows of one group started by trigger 0 exclude each other.
  uint8_t m_byGroup = 0;
  // The flow exists only in test play or while the system settings keep such flows.
  uint8_t m_bTestOnly = 0;
  // Start conditions, their rule (0 all, 1 at least one) and the once switch.
  cSafeVector<cCond> m_vCond;
  uint8_t m_byCondRule = 0;
  uint8_t m_bCondOnce = 0;
  // eTrigger.
  uint8_t m_byTrigger = 0;
  // The other party of the triggering event goes into target slot m_byPartnerSlot (0..3).
  uint8_t m_bPartner = 0;
  uint8_t m_byPartnerSlot = 0;
  // Key-sequence slack in frames, and whether a match fires on every frame it holds.
  uint8_t m_byKeySlack = 3;
  uint8_t m_bKeyRepeat = 0;
  // The key pattern, matched from the last entry backwards.
  cSafeVector<cKeyList> m_vKeyList;
  cSafeVector<cFlowCmd> m_vCmd;

  // The default flow: registered, cleared, key slack 3.
  cFlow();
  cFlow(const cFlow& src);
  cFlow(cFlow&& src) noexcept;
  // The source may lie inside this flow's own commands.
  cFlow& operator=(const cFlow& src);
  cFlow& operator=(cFlow&& src) noexcept;

  void RegisterFields(int version) override;
  // The four parts, the trigger renumbering of older files, the name emptied, Validate, and the
  // clamp of the group and the partner slot (logged).
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;

  // Validates the conditions and every command.
  void Validate();
  // The palette references of every command.
  void ValidatePalette();

  // True for a flow that does nothing: no ID, no group, trigger 0, no conditions, no key
  // conditions and no commands.
  bool IsEmpty() const;
};

// Resizes the destination to the source's count (new elements default flows) and copies every
// flow. The source may lie inside the destination's own flows.
void AssignFlowList(cSafeVector<cFlow>& dst, const cSafeVector<cFlow>& src);
// Reads a uint32 count and that many flows; the list is emptied and refilled.
void LoadFlowList(cSafeVector<cFlow>& list, FILE* fp);
void SaveFlowList(cSafeVector<cFlow>& list, FILE* fp);
// Erases every flow marked test-only, keeping the order of the rest.
void RemoveMarkedFlows(cSafeVector<cFlow>& list);
// True while flows marked test-only are kept: in test play, or when the system settings keep
// them.
bool KeepMarkedFlows();
