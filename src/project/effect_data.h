// Effects: animations drawn from a horizontal strip of cells, such as hit sparks.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"

// One frame of an effect: the cell shown and for how long.
class cEffectFrame : public cSaveRecord {
 public:
  // Cell number in the strip.
  int32_t m_nPattern = 0;
  // Tenths of a second.
  int32_t m_nTime = 1;

  cEffectFrame() {
    Register(DATA_VERSION);
    Clear();
    m_nTime = 1;
  }

  void RegisterFields(int version) override;
};

class cEffectData : public cSaveRecord {
 public:
  // Stored and copied; the play does not read it. Stored from data version 151 on.
  int32_t m_nSpare = 0;
  // Size of one cell in dots; cell p of the strip is at x = p × m_nWidth, y = 0.
  int32_t m_nWidth = 32;
  int32_t m_nHeight = 32;
  // When set, a hit effect started with a size factor above 1 is drawn that many times larger.
  int32_t m_bScaleWithHit = 0;
  std::string m_strName;
  std::string m_strFile;
  // The frames; a stored effect may have none.
  cSafeVector<cEffectFrame> m_vFrame;

  // One frame {0, 1}.
  cEffectData();

  void RegisterFields(int version) override;
  // The record body, the frame list; files older than 153 get the spare value 0.
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;
};
