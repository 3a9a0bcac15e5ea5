// The start dialog's saved choice, "user_data\Boot.dat": the drawing back-end (1 Direct3D,
// 0 DirectDraw) and the flag not to ask again.
#pragma once

#include <cstdint>

#include "core/save_record.h"

class cStartSettings : public cSaveRecord {
 public:
  cStartSettings() {
    Register(DATA_VERSION);
    Clear();
  }
  void RegisterFields(int version) override;
  void Clear();

  uint32_t m_nMode = 1;
  uint32_t m_bDontAsk = 0;
};

extern cStartSettings g_StartSettings;
extern const char* const g_lpszStartSettingsFile;
