// One command of a flow or of an item's command list: its kind, its integer parameters, its
// text, its optional movement, shot and condition-list records and the flows it adds.
//
// File form: the record body (the eight fields below, then the text); uint32 presence flag and
// the movement record; the same for the shot record; from data version 764 the same for the
// condition list; uint32 count and the nested flows; uint32 count and the int32 parameters.
// Older files are upgraded kind by kind when they load.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include <boost/shared_ptr.hpp>

#include "core/save_record.h"
#include "defs/cmd_kind.h"
#include "defs/cond.h"
#include "defs/ed_move.h"
#include "defs/ed_shot.h"

class cFlow;

class cFlowCmd : public cSaveRecord {
 public:
  // 0: m_byKind is a flow kind (eCmdKind); any other value: an item-list kind (eListCmdKind).
  uint8_t m_bySelector = 0;
  // The kind in the selected table; after loading always inside it.
  int8_t m_byKind = 0;
  // The integer parameters; after loading exactly the kind's parameter count.
  cSafeVector<int32_t> m_vParam;
  // The code of "コードの実行", the message of "メッセージ", the stage path of "ステージクリア".
  std::string m_strText;
  // Movement parameters (movement commands and "ワープ").
  boost::shared_ptr<cEdMove> m_pMove;
  // Shot, sword and summon parameters.
  boost::shared_ptr<cEdShot> m_pShot;
  // Time of use in tenths of a second, and the time added per unit of the clone value.
  int16_t m_sTime = 0;
  int16_t m_sTimePerClone = 0;
  // The command takes no time and runs in the same frame as the next one.
  uint8_t m_bZeroTime = 0;
  // Sound played when the command starts (a Sound database index; 0 none), and whether only
  // while the character is on screen.
  int16_t m_sSound = 0;
  uint8_t m_bSoundOnScreen = 1;
  // Animation played with the command (an Anime database index; 0 none).
  int16_t m_sAnime = 0;
  // Condition gate of "フローの操作".
  boost::shared_ptr<cCondList> m_pCondList;
  // The flows that "フローの変更" adds.
  cSafeVector<cFlow> m_vFlow;

  cFlowCmd();
  // Copies own new sub-records equal to the source's: two commands never share one.
  cFlowCmd(const cFlowCmd& src);
  cFlowCmd(cFlowCmd&& src) noexcept;
  cFlowCmd& operator=(const cFlowCmd& src);
  cFlowCmd& operator=(cFlowCmd&& src) noexcept;
  ~cFlowCmd() override;

  // The fields to 0 and the text empty, no sub-records, m_bSoundOnScreen 1. The parameters and
  // the nested flows stay.
  void Clear();

  void RegisterFields(int version) override;
  // The six parts, the upgrades of older files, the removal of test-only nested flows (unless
  // kept), Validate, and the clamp of a shot record's trajectory (not for the sword, whose
  // trajectory is a sword type).
  void Load(FILE* fp) override;
  // Validate, then the six parts (the condition-list part always).
  void Save(FILE* fp) override;

  // Repairs the database references and sizes the parameters to the kind: a kind outside its
  // table becomes 0 (logged); animation and sound beyond their lists become 0; parameter 0 of
  // the kinds that name a database entry is repaired; a sword's type is repaired and its time
  // becomes the sum of the type's swing waits; then every nested flow.
  void Validate();
  // Repairs the palette references of the shot, sword, summon and item-taking commands, then
  // those of every nested flow.
  void ValidatePalette();

  // The flow kind the command acts as (FlowKindOf).
  int FlowKind() const { return FlowKindOf(m_bySelector, m_byKind); }
  // The parameter i, or 0 when the list is shorter.
  int32_t Param(size_t i) const { return i < m_vParam.size() ? m_vParam[i] : 0; }

 private:
  void SetDefaults();
  void Upgrade(int version);
  void SetSwordTime();
};

// Resizes the destination to the source's count and copies every command (with new
// sub-records). The source may lie inside the destination's own nested flows.
void AssignCmdList(cSafeVector<cFlowCmd>& dst, const cSafeVector<cFlowCmd>& src);
// Reads a uint32 count and that many commands; the list is emptied and refilled.
void LoadCmdList(cSafeVector<cFlowCmd>& list, FILE* fp);
// Writes the uint32 count and every command.
void SaveCmdList(cSafeVector<cFlowCmd>& list, FILE* fp);
