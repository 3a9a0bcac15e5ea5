// The saved placement of the main window, "user_data\Window.dat": its position on the screen,
// its client size and whether it was maximised. Saved when the windowed program closes; applied
// at the next start.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/save_record.h"

class cWindowPlacement : public cSaveRecord {
 public:
  cWindowPlacement() {
    Register(DATA_VERSION);
    Clear();
  }
  void RegisterFields(int version) override;
  // Reads the record, then pulls the position onto the screen: x into 0..SM_CXFULLSCREEN and y
  // into 0..SM_CYFULLSCREEN.
  void Load(FILE* fp) override;
  void Set(int x, int y, int nWidth, int nHeight, int bMaximized);

  int32_t m_nX = 0;
  int32_t m_nY = 0;
  int32_t m_nWidth = 0;
  int32_t m_nHeight = 0;
  int32_t m_bMaximized = 0;
};

extern cWindowPlacement g_WindowPlacement;

// The file, relative to the project folder.
extern const char* const g_lpszWindowPlacementFile;
