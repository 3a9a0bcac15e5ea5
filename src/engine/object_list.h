// The lists of play objects (characters, items, shots). Their elements are taken out of play
// while other code may be walking the same list (a command kills a character during the
// character pass, a dying summoner takes its summons along). An element is therefore never
// freed at once: Remove marks it, drops the links to and from it, and the walks and searches
// pass it by from then on; Sweep frees the marked elements at the safe points of the game
// thread (the ends of the passes), and only while no walk is active.
//
// Every object a walk or a search passes is a check point of its thread: a frame that holds
// thousands of objects meets no wait for a long time, and the close request must reach it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <utility>

#include "platform/thread.h"

template <class T>
class cObjectList {
 public:
  using Store = std::list<std::unique_ptr<T>>;

  cObjectList() = default;
  cObjectList(const cObjectList&) = delete;
  cObjectList& operator=(const cObjectList&) = delete;
  ~cObjectList() { ReleaseAll(); }

  // Appends an object; the list owns it. Returns it.
  T& Add(std::unique_ptr<T> object) {
    m_list.push_back(std::move(object));
    ++m_nAdded;
    return *m_list.back();
  }

  // Takes the object out of play: marked removed, its links dropped (OnRemoved), freed by the
  // next Sweep. Nothing for an object already removed.
  static void Remove(T& object) {
    if (object.m_bRemoved) return;
    object.MarkRemoved();
    object.OnRemoved();
  }

  // Calls fn on every object that is not removed, in list order, including objects appended
  // during the walk. fn may remove any object, itself included.
  template <class F>
  void ForEach(F fn) {
    Walk walk(*this);
    for (auto it = m_list.begin(); it != m_list.end(); ++it) {
      ThreadCheckPoint();
      if (!(*it)->m_bRemoved) fn(**it);
    }
  }
  // The first object that is not removed and passes pred; null when none.
  template <class P>
  T* Find(P pred) {
    Walk walk(*this);
    for (auto& p : m_list) {
      ThreadCheckPoint();
      if (!p->m_bRemoved && pred(*p)) return p.get();
    }
    return nullptr;
  }

  // Frees the removed objects; does nothing while a walk is active. Returns how many were
  // freed.
  size_t Sweep() {
    if (m_nWalks) return 0;
    size_t n = 0;
    for (auto it = m_list.begin(); it != m_list.end();) {
      if ((*it)->m_bRemoved) {
        it = m_list.erase(it);
        ++n;
        ++m_nFreed;
      } else {
        ++it;
      }
    }
    return n;
  }
  // Removes every object and frees them when no walk is active.
  void Clear() {
    ReleaseAll();
    Sweep();
  }

  // The objects in play (not removed).
  size_t Count() const {
    size_t n = 0;
    for (const auto& p : m_list) n += p->m_bRemoved ? 0 : 1;
    return n;
  }
  // Every element, removed ones included (until they are swept).
  size_t Stored() const { return m_list.size(); }
  bool Walking() const { return m_nWalks != 0; }
  // Count the elements added and freed: an index of the list built at these counts holds
  // exactly its elements while both stay, and only its newest elements are new while only
  // the first has grown.
  uint64_t Added() const { return m_nAdded; }
  uint64_t Freed() const { return m_nFreed; }
  // Calls fn on each of the newest n elements (removed ones included), in list order.
  template <class F>
  void ForNewest(size_t n, F fn) {
    auto it = m_list.end();
    for (size_t i = 0; i < n && it != m_list.begin(); ++i) --it;
    for (; it != m_list.end(); ++it) fn(**it);
  }

 private:
  // Counts an active walk for its lifetime.
  class Walk {
   public:
    explicit Walk(cObjectList& list) : m_list(list) { ++m_list.m_nWalks; }
    ~Walk() { --m_list.m_nWalks; }
    Walk(const Walk&) = delete;
    Walk& operator=(const Walk&) = delete;

   private:
    cObjectList& m_list;
  };

  void ReleaseAll() {
    for (auto& p : m_list) Remove(*p);
  }

  Store m_list;
  int m_nWalks = 0;
  uint64_t m_nAdded = 0;
  uint64_t m_nFreed = 0;
};
