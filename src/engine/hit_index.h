// The broad phase of the damage pass: per collision layer, a grid over the characters' contact
// boxes (box A) or damage boxes (box B), and over the shots' boxes or position rectangles. A walk
// gives the members of one layer list whose box can overlap a box, in list order, so that the
// pass tests a shot or a character only against the objects near it and still meets its pairs
// in the order of the lists.
//
// The grids hold while objects keep their places. A character's death and an item given to the
// hero run commands, which may move objects or add them: the pass then invalidates the index,
// and a walk that is under way builds its grid again and goes on after the last member it gave.
// An object appended to a list also has the grid of its list built again. The lists only grow
// during the pass (their sweeps come after it), so an object keeps its position in its list.
//
// A grid holds only the objects that can take part when it is built (in play, not removed):
// the pass asks which through a `keep` test, and an object it leaves out must be one the pass
// would pass by without a change until the index is next invalidated (what brings an object
// into play, its activation or a command, happens outside the pass or invalidates the index).
// Each pass invalidates the index as it starts, so a grid holds what its own pass keeps.
// A stage of thousands of characters, most of them waiting out of range, so builds grids of
// the few that are in play.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <list>
#include <utility>
#include <vector>

#include "engine/box_grid.h"

class cChara;
class cShot;

class cHitIndex {
 public:
  static constexpr size_t kLayers = 8;

  // Objects may have moved or been added: every grid is built again at its next use.
  void Invalidate() { ++m_nEpoch; }
  // Every walk gives every member of its list from where it stands (a check of the grids: the
  // passes then meet their pairs as a walk of all pairs does, by the same code).
  void SetExhaustive(bool exhaustive) { m_bExhaustive = exhaustive; }

  // The characters of a layer list that keep(chara) takes and whose damage box (box B; else the
  // contact box, box A) can overlap the box that query() gives, in list order, passed to fn
  // until it returns false. keep is asked when the grid is built.
  template <class K, class Q, class F>
  void WalkCharas(bool damageBox, size_t layer, const std::list<cChara*>& list, K keep, Q query, F fn) {
    Walk(m_chara[damageBox ? 1 : 0][layer % kLayers], damageBox ? 1 : 0, list, keep, query, fn);
  }
  // The shots of a layer list that are not removed and whose position rectangle (else their
  // box) can overlap the box that query() gives, in list order; with cancellersOnly, only the
  // shots that cancel shots.
  template <class Q, class F>
  void WalkShots(bool body, bool cancellersOnly, size_t layer, const std::list<cShot*>& list, Q query, F fn) {
    const int kind = (body ? 2 : 0) + (cancellersOnly ? 1 : 0);
    Walk(m_shot[kind][layer % kLayers], kind, list, &InPlay, query, fn);
  }

 private:
  template <class T>
  struct Grid {
    cBoxGrid grid;
    std::vector<T*> members;
    // Each member's position in the list, ascending.
    std::vector<uint32_t> positions;
    std::vector<cBoxGrid::Box> boxes;
    std::vector<uint32_t> found;
    const std::list<T*>* list = nullptr;
    size_t listSize = 0;
    uint64_t epoch = 0;
  };

  // Kinds: characters 0 box A, 1 box B; shots 0 box, 1 box of the cancelling shots, 2 position
  // rectangle, 3 position rectangle of the cancelling shots.
  static bool Member(const cChara&, int) { return true; }
  static bool Member(const cShot& shot, int kind);
  static bool InPlay(const cShot& shot);
  static cBoxGrid::Box BoxOf(const cChara& chara, int kind);
  static cBoxGrid::Box BoxOf(const cShot& shot, int kind);

  // Walks from list position `from` on: after a build that an event inside the walk asked for,
  // the walk goes on after the last object it gave, whatever the new grid holds.
  template <class T, class K, class Q, class F>
  void Walk(Grid<T>& g, int kind, const std::list<T*>& list, K keep, Q query, F fn) {
    if (list.empty()) return;
    uint32_t from = 0;
    std::vector<uint32_t> found;
    for (;;) {
      const uint64_t epoch = m_nEpoch;
      if (g.list != &list || g.listSize != list.size() || g.epoch != m_nEpoch) Build(g, kind, list, keep);
      found.swap(g.found);
      const auto first = static_cast<uint32_t>(std::lower_bound(g.positions.begin(), g.positions.end(), from) - g.positions.begin());
      if (m_bExhaustive) {
        found.clear();
        for (uint32_t i = first; i < g.members.size(); ++i) found.push_back(i);
      } else {
        g.grid.Query(query(), first, found);
      }
      bool again = false;
      for (uint32_t i : found) {
        if (!fn(*g.members[i])) break;
        from = g.positions[i] + 1;
        if (epoch != m_nEpoch || list.size() != g.listSize) {
          again = true;
          break;
        }
      }
      // The buffer goes back to the grid for the next walk.
      found.swap(g.found);
      if (!again) return;
    }
  }

  template <class T, class K>
  void Build(Grid<T>& g, int kind, const std::list<T*>& list, K keep) {
    g.members.clear();
    g.positions.clear();
    g.boxes.clear();
    uint32_t position = 0;
    for (T* o : list) {
      const uint32_t at = position++;
      // In the exhaustive check every object of the kind is given, kept or not.
      if (!Member(*o, kind) || (!m_bExhaustive && !keep(*o))) continue;
      g.members.push_back(o);
      g.positions.push_back(at);
      g.boxes.push_back(BoxOf(*o, kind));
    }
    g.grid.Build(g.boxes);
    g.list = &list;
    g.listSize = list.size();
    g.epoch = m_nEpoch;
  }

  Grid<cChara> m_chara[2][kLayers];
  Grid<cShot> m_shot[4][kLayers];
  uint64_t m_nEpoch = 1;
  bool m_bExhaustive = false;
};
