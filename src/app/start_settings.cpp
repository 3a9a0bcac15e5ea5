#include "app/start_settings.h"

const char* const g_lpszStartSettingsFile = "user_data\\Boot.dat";

void cStartSettings::RegisterFields(int) {
  AddField(&m_nMode);
  AddField(&m_bDontAsk);
}

void cStartSettings::Clear() {
  cSaveRecord::Clear();
  m_nMode = 1;
  m_bDontAsk = 0;
}
