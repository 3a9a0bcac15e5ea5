// Character effects and screen effects: a kind and the five parameters of that kind. The two
// lists share the layout; their kinds and version repairs differ.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"

// The largest kind of each list; kind 0 is no effect.
constexpr int CHARA_EFFECT_KIND_MAX = 16;
constexpr int SCR_EFFECT_KIND_MAX = 13;

// The labels of the kinds 1..16 and 1..13, in kind order.
extern const char* const g_lpszCharaEffectKindName[CHARA_EFFECT_KIND_MAX];
extern const char* const g_lpszScrEffectKindName[SCR_EFFECT_KIND_MAX];

class cEffectKindData : public cSaveRecord {
 public:
  int32_t m_nKind = 1;
  // In the order of the kind's parameter table.
  int32_t m_nParam[5] = {};
  std::string m_strName;

  void RegisterFields(int version) override;

 protected:
  cEffectKindData() = default;
  // A kind outside 0..nMax becomes 0 (no effect), with a line in the report log: the kind
  // selects a handler from a table of nMax + 1.
  void CheckKind(int nMax, const char* lpszRecord);
};

class cCharaEffectData : public cEffectKindData {
 public:
  // Kind 1, parameters 0.
  cCharaEffectData() {
    Register(DATA_VERSION);
    Clear();
    m_nKind = 1;
  }

  // The record body; files of version 510 or older get the default of the parameter added
  // later (wave kinds 4 and 5: the fifth parameter 2; circle kind 10: the fourth parameter 2);
  // then the kind check.
  void Load(FILE* fp) override;
};

class cScrEffectData : public cEffectKindData {
 public:
  // Kind 1, parameters 0.
  cScrEffectData() {
    Register(DATA_VERSION);
    Clear();
    m_nKind = 1;
  }

  // The record body; files of version 510 or older get the default of the parameter added
  // later (wave kind 6: the fifth parameter 8, wave kind 7: the fifth parameter 10, circle kind
  // 10: the fourth parameter 8); then the kind check.
  void Load(FILE* fp) override;
};
