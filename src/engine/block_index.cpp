#include "engine/block_index.h"

#include "engine/stage_chara.h"

const std::vector<cStageChara*>& cBlockCharaIndex::Of(cObjectList<cStageChara>& list, int32_t subStep) {
  if (m_bBuilt && m_pList == &list && m_nChanges == list.Changes() && m_nSubStep == subStep) return m_vBlocks;
  m_vBlocks.clear();
  list.ForEach([this](cStageChara& c) {
    if (c.m_Data.m_bBlockChara) m_vBlocks.push_back(&c);
  });
  m_pList = &list;
  m_nChanges = list.Changes();
  m_nSubStep = subStep;
  m_bBuilt = true;
  return m_vBlocks;
}

bool cBlockCharaIndex::IsRemoved(const cStageChara& c) { return c.m_bRemoved != 0; }
