// Sword types: the images of a sword and the frames of its swing.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "core/save_record.h"

// One frame of a swing. Sizes and offsets are dots before the sword's zoom.
class cSwordTypeSub : public cSaveRecord {
 public:
  int32_t m_nOffsetX = 0;
  int32_t m_nOffsetY = 0;
  // When set and the owner faces right, the offset is subtracted instead of added. Stored from
  // data version 138 on.
  int32_t m_bMirrorX = 1;
  int32_t m_bMirrorY = 0;
  // Placement beside the owner: 0 in front, 1 behind, 2 above, 3 below.
  int32_t m_nPlace = 0;
  // Top-left corner of the frame's picture in the sword image.
  int32_t m_nSrcX = 0;
  int32_t m_nSrcY = 0;
  // Size of the sword, also its hit box.
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  // How long the frame lasts, in tenths of a second.
  int32_t m_nTime = 0;

  // Cleared, with m_bMirrorX 1.
  cSwordTypeSub() {
    Register(DATA_VERSION);
    Clear();
    m_bMirrorX = 1;
  }

  void RegisterFields(int version) override;
};

class cSwordType : public cSaveRecord {
 public:
  // Stored and copied; the play does not read it. Stored from data version 151 on.
  int32_t m_nSpare = 0;
  std::string m_strName;
  // The image used while the owner faces left, and the one used while it faces right.
  std::string m_strFileLeft;
  std::string m_strFileRight;
  // The swing. A stored sword type may have no frame: every reader must cope with an empty list.
  cSafeVector<cSwordTypeSub> m_vSwing;

  // One swing frame with m_bMirrorX and m_nTime 1.
  cSwordType();

  void RegisterFields(int version) override;
  // The record body, the swing list; files older than 153 get the spare value 0.
  void Load(FILE* fp) override;
  void Save(FILE* fp) override;

  // The times of the swing frames (tenths of a second) in frame order; empty for a sword type
  // without frames.
  cSafeVector<int32_t> SwingTimes() const;
};

// Reads a uint32 count and that many frames into the list, which is emptied first; the frames
// start as default frames, so files older than 138 read m_bMirrorX 1 and m_bMirrorY 0.
void ReadSwingList(cSafeVector<cSwordTypeSub>& list, FILE* fp);

// The labels of the placements 0..3, ended by an empty label.
extern const char* const g_lpszSwordPlaceName[5];
