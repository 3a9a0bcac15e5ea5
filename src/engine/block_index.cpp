#include "engine/block_index.h"

#include "engine/stage_chara.h"

namespace {

// The moves of block characters' bodies since the start; the game thread alone moves bodies.
uint64_t g_nBlockCharaMoves = 0;

bool SameBox(const cBoxGrid::Box& a, const cBoxGrid::Box& b) {
  return a.dLeft == b.dLeft && a.dTop == b.dTop && a.dRight == b.dRight && a.dBottom == b.dBottom;
}

}  // namespace

void NoteBlockCharaMoved() { ++g_nBlockCharaMoves; }

cBoxGrid::Box cBlockCharaIndex::BodyOf(const cStageChara& c) { return {c.m_dX, c.m_dY, c.m_dFarX, c.m_dFarY}; }

bool cBlockCharaIndex::IsRemoved(const cStageChara& c) { return c.m_bRemoved != 0; }

void cBlockCharaIndex::Take(cStageChara& c) {
  if (!c.m_Data.m_bBlockChara || c.m_bRemoved) return;
  m_vBlocks.push_back(&c);
  m_vBodies.push_back(BodyOf(c));
}

void cBlockCharaIndex::Refresh(cObjectList<cStageChara>& list, int32_t subStep) {
  bool grid = false;
  if (!m_bBuilt || m_pList != &list || m_nFreed != list.Freed() || m_nSubStep != subStep) {
    m_vBlocks.clear();
    m_vBodies.clear();
    list.ForEach([this](cStageChara& c) { Take(c); });
    m_pList = &list;
    m_nAdded = list.Added();
    m_nFreed = list.Freed();
    m_nSubStep = subStep;
    m_nMoves = g_nBlockCharaMoves;
    m_bBuilt = true;
    grid = true;
  } else if (m_nAdded != list.Added()) {
    // Only appended elements are new: the block characters among them join at the end.
    const size_t before = m_vBlocks.size();
    list.ForNewest(static_cast<size_t>(list.Added() - m_nAdded), [this](cStageChara& c) { Take(c); });
    m_nAdded = list.Added();
    grid = m_vBlocks.size() != before;
  }
  if (m_nMoves != g_nBlockCharaMoves) {
    for (size_t i = 0; i < m_vBlocks.size(); ++i) m_vBodies[i] = BodyOf(*m_vBlocks[i]);
    m_nMoves = g_nBlockCharaMoves;
    grid = true;
  }
  if (m_bVerifying) {
    for (size_t i = 0; i < m_vBlocks.size(); ++i) {
      if (SameBox(m_vBodies[i], BodyOf(*m_vBlocks[i]))) continue;
      ++m_nStaleUses;
      break;
    }
  }
  if (grid) m_Grid.Build(m_vBodies);
}
