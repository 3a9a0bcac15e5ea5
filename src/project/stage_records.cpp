#include "project/stage_records.h"

void cRemovalRule::RegisterFields(int version) {
  AddField(&m_bLeft);
  if (version >= 125) {
    AddField(&m_bRight);
    AddField(&m_bTop);
    AddField(&m_bBottom);
  }
  AddField(&m_nLeft);
  AddField(&m_nRight);
  AddField(&m_nTop);
  AddField(&m_nBottom);
}

void cRemovalRule::Set(int bLeft, int bRight, int bTop, int bBottom, int nLeft, int nRight, int nTop, int nBottom) {
  m_bLeft = bLeft;
  m_bRight = bRight;
  m_bTop = bTop;
  m_bBottom = bBottom;
  m_nLeft = nLeft;
  m_nRight = nRight;
  m_nTop = nTop;
  m_nBottom = nBottom;
}

void cBgData::Clear() {
  cSaveRecord::Clear();
  m_bShow = 1;
  m_nFillColor = 16;
  m_dScrollX = 0.1;
  m_dScrollY = 0.1;
}

void cBgData::RegisterFields(int version) {
  if (version >= 62) AddField(&m_bShow);
  AddField(&m_bFill);
  AddField(&m_nFillColor);
  AddField(&m_nDepth);
  if (version >= 61) {
    AddField(&m_dScrollX);
    AddField(&m_dScrollY);
    AddField(&m_bAutoX);
    AddField(&m_bAutoY);
  }
  if (version >= 62) {
    AddField(&m_dOffsetX);
    AddField(&m_dOffsetY);
  } else {
    AddField(&m_nDiscardA);
    AddField(&m_nDiscardB);
  }
  AddStringField(&m_strImage);
}
