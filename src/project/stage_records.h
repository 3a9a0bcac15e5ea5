// The small records of a stage file: the off-screen removal rules, the background layers and
// the texts.
#pragma once

#include <cstdint>
#include <string>

#include "core/save_record.h"

// An off-screen removal rule: an object is removed when, for a side whose switch is on, it
// lies beyond the view by more than that side's margin (in 32-dot cells). Files before data
// version 125 store only the left switch and the four margins; the other three switches keep
// the values they had before the load.
class cRemovalRule : public cSaveRecord {
 public:
  int32_t m_bLeft = 0;
  int32_t m_bRight = 0;
  int32_t m_bTop = 0;
  int32_t m_bBottom = 0;
  int32_t m_nLeft = 0;
  int32_t m_nRight = 0;
  int32_t m_nTop = 0;
  int32_t m_nBottom = 0;

  cRemovalRule() {
    Register(DATA_VERSION);
    Clear();
  }
  cRemovalRule(const cRemovalRule&) = default;
  cRemovalRule& operator=(const cRemovalRule&) = default;

  void RegisterFields(int version) override;
  // Sets the four switches and the four margins.
  void Set(int bLeft, int bRight, int bTop, int bBottom, int nLeft, int nRight, int nTop, int nBottom);
};

// A background layer: an image, or a plain fill of a palette colour, drawn behind or in front
// of the map. Layout by data version: from 62 every field; 61 without the show switch and the
// offsets, with two discarded int32 at the end; before 61 the fill, its colour and the depth,
// then two discarded int32.
class cBgData : public cSaveRecord {
 public:
  int32_t m_bShow = 1;
  int32_t m_bFill = 0;
  int32_t m_nFillColor = 16;
  // 0 behind the map and the objects, 1 in front of them.
  int32_t m_nDepth = 0;
  // Without the automatic switch: the factor by which the layer follows the scroll; with it:
  // the dots by which it moves each frame.
  double m_dScrollX = 0.1;
  double m_dScrollY = 0.1;
  int32_t m_bAutoX = 0;
  int32_t m_bAutoY = 0;
  // Running offsets of a self-scrolling layer.
  double m_dOffsetX = 0;
  double m_dOffsetY = 0;
  std::string m_strImage;

  cBgData() {
    Register(DATA_VERSION);
    Clear();
  }
  cBgData(const cBgData&) = default;
  cBgData& operator=(const cBgData&) = default;

  // The registered fields zero and the image empty, then the defaults above.
  void Clear();
  void RegisterFields(int version) override;

 private:
  // Receives the two int32 that files before data version 62 hold and nothing uses.
  int32_t m_nDiscardA = 0;
  int32_t m_nDiscardB = 0;
};

// One text of the stage's text list.
class cStrData : public cSaveRecord {
 public:
  std::string m_strText;

  cStrData() {
    Register(DATA_VERSION);
    Clear();
  }
  cStrData(const cStrData&) = default;
  cStrData& operator=(const cStrData&) = default;

  void RegisterFields(int) override { AddStringField(&m_strText); }
};
