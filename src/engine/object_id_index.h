// The objects of a list by id: finds the first object of the list (in list order) with an id
// that is not removed, as a search of the list would, without walking the list. Riders look up
// their carrier, and objects their owners, by id in every sub-step: with thousands of them the
// searches made the frame quadratic.
//
// Kept in step with the list as the block characters' index is: built again when the list freed
// elements, the appended elements taken in. An object's id is given before it joins the list and
// stays.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "engine/object_list.h"

template <class T>
class cObjectIdIndex {
 public:
  T* Find(cObjectList<T>& list, int32_t id) {
    Refresh(list);
    auto it = m_byId.find(id);
    if (it == m_byId.end()) return nullptr;
    for (T* o : it->second)
      if (!o->m_bRemoved) return o;
    return nullptr;
  }

 private:
  void Refresh(cObjectList<T>& list) {
    if (!m_bBuilt || m_pList != &list || m_nFreed != list.Freed()) {
      m_byId.clear();
      list.ForNewest(static_cast<size_t>(-1), [this](T& o) { m_byId[o.m_nId].push_back(&o); });
      m_pList = &list;
      m_nAdded = list.Added();
      m_nFreed = list.Freed();
      m_bBuilt = true;
    } else if (m_nAdded != list.Added()) {
      list.ForNewest(static_cast<size_t>(list.Added() - m_nAdded), [this](T& o) { m_byId[o.m_nId].push_back(&o); });
      m_nAdded = list.Added();
    }
  }

  const cObjectList<T>* m_pList = nullptr;
  uint64_t m_nAdded = 0;
  uint64_t m_nFreed = 0;
  bool m_bBuilt = false;
  // Looked up only, never walked: the order of the map does not matter.
  std::unordered_map<int32_t, std::vector<T*>> m_byId;
};
