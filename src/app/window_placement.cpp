#include "app/window_placement.h"

#include "platform/window.h"

const char* const g_lpszWindowPlacementFile = "user_data\\Window.dat";

void cWindowPlacement::RegisterFields(int) {
  AddField(&m_nX);
  AddField(&m_nY);
  AddField(&m_nWidth);
  AddField(&m_nHeight);
  AddField(&m_bMaximized);
}

void cWindowPlacement::Load(FILE* fp) {
  cSaveRecord::Load(fp);
  const int cx = GetSystemMetrics(SM_CXFULLSCREEN);
  const int cy = GetSystemMetrics(SM_CYFULLSCREEN);
  if (m_nX < 0) m_nX = 0;
  if (m_nX > cx) m_nX = cx;
  if (m_nY < 0) m_nY = 0;
  if (m_nY > cy) m_nY = cy;
}

void cWindowPlacement::Set(int x, int y, int nWidth, int nHeight, int bMaximized) {
  m_nX = x;
  m_nY = y;
  m_nWidth = nWidth;
  m_nHeight = nHeight;
  m_bMaximized = bMaximized;
}
