// An animation set: the basic animations of a character (standing, moving on foot, flying,
// moving while flying) and the pattern offsets the character drawing adds in some states.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"
#include "defs/anime.h"

class cAnimeSet : public cSaveRecord {
 public:
  // Added to the pattern while the character is invincible.
  int32_t m_nInvinciblePattern = 4;
  // Added to the pattern while the character is a block character.
  int32_t m_nBlockPattern = 8;
  // Added to the pattern while the character flies; stored from data version 119 on.
  int32_t m_nFlyPattern = 0;
  std::string m_strName;
  // By index: 0 standing, 1 moving on foot, 2 flying, 3 moving while flying.
  cSafeVector<cAnime> m_vAnimation;

  cAnimeSet() {
    Register(DATA_VERSION);
    SetDefault();
  }

  // Cleared, the pattern offsets 4, 8 and 0, exactly four animations (missing ones added as
  // cleared animations, surplus ones removed) named "立ち", "立ち移動", "飛行", "飛行移動".
  void SetDefault();

  void RegisterFields(int version) override;
  // The record body, then the animation list with the repairs of old files.
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;
};
