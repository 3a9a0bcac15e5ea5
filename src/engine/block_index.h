// The block characters of a character list, in list order. Only block characters are solid to
// other bodies, and a stage holds few of them among its characters: the solid contact of every
// body, the search for a carrier, the squeeze test and the placement test walk them here
// instead of the whole list, which made a crowd of thousands of characters quadratic. The walks
// see the same characters in the same order as a walk of the list that skips the others.
//
// The index is rebuilt when the list has gained or freed elements or a new sub-step has begun
// since it was built; a character's definition, which says whether it is a block, is set before
// it joins the list and stays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/object_list.h"
#include "platform/thread.h"

class cStageChara;

class cBlockCharaIndex {
 public:
  // Calls fn on every block character of the list that is not removed, in list order.
  template <class F>
  void ForEach(cObjectList<cStageChara>& list, int32_t subStep, F fn) {
    const std::vector<cStageChara*>& v = Of(list, subStep);
    // By position: fn never adds to the list, but the vector is the index's own.
    for (size_t i = 0; i < v.size(); ++i) {
      ThreadCheckPoint();
      if (!IsRemoved(*v[i])) fn(*v[i]);
    }
  }
  // The first block character of the list that is not removed and passes pred; null when none.
  template <class P>
  cStageChara* Find(cObjectList<cStageChara>& list, int32_t subStep, P pred) {
    const std::vector<cStageChara*>& v = Of(list, subStep);
    for (size_t i = 0; i < v.size(); ++i) {
      ThreadCheckPoint();
      if (!IsRemoved(*v[i]) && pred(*v[i])) return v[i];
    }
    return nullptr;
  }

 private:
  const std::vector<cStageChara*>& Of(cObjectList<cStageChara>& list, int32_t subStep);
  static bool IsRemoved(const cStageChara& c);

  const cObjectList<cStageChara>* m_pList = nullptr;
  uint64_t m_nChanges = 0;
  int32_t m_nSubStep = 0;
  bool m_bBuilt = false;
  std::vector<cStageChara*> m_vBlocks;
};
