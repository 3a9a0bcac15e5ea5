// The block characters of a character list, in list order, with a grid over their bodies. Only
// block characters are solid to other bodies: the solid contact of every body, the search for a
// carrier, the squeeze test and the placement test ask here for the block characters that touch
// a rectangle, instead of walking the whole list, which made a crowd of characters (or a crowd
// riding many block characters) quadratic. A walk sees the block characters that touch the
// rectangle in the same order as a walk of the list that skips the others.
//
// What the index holds is kept in step with the list: it is built again when the list freed
// elements or a new sub-step began, takes in the block characters among elements appended since,
// and its grid is built again when a block character's body moved (every move of a stage
// character's body places its boxes, which tells the index). A character's definition, which says
// whether it is a block, is set before it joins the list and stays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/box_grid.h"
#include "engine/object_list.h"
#include "platform/thread.h"

class cStageChara;

// A block character's body moved: the grids of the block characters are built again at their
// next use.
void NoteBlockCharaMoved();

class cBlockCharaIndex {
 public:
  // Calls fn on every block character of the list that is not removed and whose body can touch
  // r (inclusive edges), in list order. fn must not add to the list.
  template <class F>
  void ForEachTouching(cObjectList<cStageChara>& list, int32_t subStep, const cBoxGrid::Box& r, F fn) {
    Visit(list, subStep, r, [&](cStageChara& c) {
      fn(c);
      return false;
    });
  }
  // The first block character (in list order) that is not removed, whose body can touch r and
  // that passes pred; null when none.
  template <class P>
  cStageChara* FindTouching(cObjectList<cStageChara>& list, int32_t subStep, const cBoxGrid::Box& r, P pred) {
    cStageChara* found = nullptr;
    Visit(list, subStep, r, [&](cStageChara& c) {
      if (!pred(c)) return false;
      found = &c;
      return true;
    });
    return found;
  }

  // Every walk gives every block character of the list (the check of the grid: the contacts
  // then meet their block characters as a walk of the list does, by the same code).
  void SetExhaustive(bool exhaustive) { m_bExhaustive = exhaustive; }
  // Checks on every use that the bodies the grid was built from are those of now; counts the
  // uses at which one was not (a move that did not tell the index).
  void SetVerifying(bool verifying) { m_bVerifying = verifying; }
  size_t StaleUses() const { return m_nStaleUses; }

 private:
  // Calls stop(c) on the block characters that can touch r, in list order, until it returns true.
  template <class S>
  void Visit(cObjectList<cStageChara>& list, int32_t subStep, const cBoxGrid::Box& r, S stop) {
    Refresh(list, subStep);
    std::vector<uint32_t> found;
    found.swap(m_vFound);
    if (m_bExhaustive) {
      found.clear();
      for (uint32_t i = 0; i < m_vBlocks.size(); ++i) found.push_back(i);
    } else {
      m_Grid.Query(r, 0, found);
    }
    for (uint32_t i : found) {
      ThreadCheckPoint();
      cStageChara& c = *m_vBlocks[i];
      if (!IsRemoved(c) && stop(c)) break;
    }
    found.swap(m_vFound);
  }
  void Refresh(cObjectList<cStageChara>& list, int32_t subStep);
  void Take(cStageChara& c);
  static bool IsRemoved(const cStageChara& c);
  static cBoxGrid::Box BodyOf(const cStageChara& c);

  const cObjectList<cStageChara>* m_pList = nullptr;
  uint64_t m_nAdded = 0;
  uint64_t m_nFreed = 0;
  uint64_t m_nMoves = 0;
  int32_t m_nSubStep = 0;
  bool m_bBuilt = false;
  std::vector<cStageChara*> m_vBlocks;
  std::vector<cBoxGrid::Box> m_vBodies;
  cBoxGrid m_Grid;
  std::vector<uint32_t> m_vFound;
  bool m_bExhaustive = false;
  bool m_bVerifying = false;
  size_t m_nStaleUses = 0;
};
