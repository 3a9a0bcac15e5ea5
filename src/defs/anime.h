// Animations: a named list of frames, each showing one pattern for a time, and the list of
// animations that an animation set stores.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"

class cAnimeFrame : public cSaveRecord {
 public:
  // Pattern (cell) number.
  int32_t m_nPattern = 0;
  // Duration in tenths of a second.
  int32_t m_nTime = 1;
  // Frame flag, read by the step-table builder of the animation list.
  int32_t m_nFlag = 0;

  // Pattern 0, time 1, flag 0.
  cAnimeFrame() {
    Register(DATA_VERSION);
    Clear();
    m_nTime = 1;
  }

  void RegisterFields(int version) override;
};

class cAnime : public cSaveRecord {
 public:
  std::string m_strName;
  // The frames. Construction and Clear give one default frame; a file may hold none.
  cSafeVector<cAnimeFrame> m_vFrame;
  // Carried through load, save and copy; stored from data version 55 on.
  uint16_t m_wAnimeA = 0;
  uint8_t m_byAnimeB = 1;
  uint16_t m_wAnimeC = 0;

  cAnime() {
    Register(DATA_VERSION);
    Clear();
  }

  // The fields and the name to zero and empty, one default frame, m_byAnimeB 1.
  void Clear();

  void RegisterFields(int version) override;
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;
};

// Reads a uint32 count and that many frame bodies into the animation; the frame list is emptied
// and refilled (a count of 0 leaves it empty).
void LoadFrameList(cAnime& anime, FILE* fp);

// The list of an animation set, after the set's own record body: uint32 count, then the
// animations. Files older than 119 hold exactly four animations after loading; files older than
// 128 also get the names of animations 2 and 3 ("飛行", "飛行移動").
void LoadAnimeSetList(cSafeVector<cAnime>& list, FILE* fp);
void SaveAnimeSetList(cSafeVector<cAnime>& list, FILE* fp);
