// A uniform grid over the boxes of a list of objects: the broad phase of the passes that test
// objects against each other. A query gives the positions (in the list) of the objects whose
// box can overlap the box asked about, in ascending order and each once: a superset of those
// whose box overlaps it with inclusive edges, so that a pass that tests only these, in this
// order, meets exactly the pairs a walk of the whole list would meet, in the same order.
//
// The cells adapt to the spread of the boxes (about one object a cell). A box that spans many
// cells, or whose edges are not finite numbers, is kept aside and given to every query.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class cBoxGrid {
 public:
  // Inclusive edges, in stage dots.
  struct Box {
    double dLeft = 0;
    double dTop = 0;
    double dRight = 0;
    double dBottom = 0;
  };

  // The grid over the boxes; box i is the object at position i of the list.
  void Build(const std::vector<Box>& boxes);
  // The positions of the objects whose box can overlap q, ascending, each once; `from` and the
  // positions above it only.
  void Query(const Box& q, uint32_t from, std::vector<uint32_t>& out);
  size_t Size() const { return m_nCount; }

 private:
  // The cell range of a box along one axis, clamped to the grid.
  void Span(double lo, double hi, double origin, int cells, int& first, int& last) const;

  size_t m_nCount = 0;
  double m_dOriginX = 0;
  double m_dOriginY = 0;
  double m_dCell = 1;
  int m_nCols = 0;
  int m_nRows = 0;
  // Per cell the range of its entries in m_vEntry (cell c: m_vStart[c] .. m_vStart[c + 1]).
  std::vector<uint32_t> m_vStart;
  std::vector<uint32_t> m_vEntry;
  // The objects given to every query, ascending.
  std::vector<uint32_t> m_vEverywhere;
  // The query that last saw each object, so that an object in several cells is given once.
  std::vector<uint32_t> m_vSeen;
  uint32_t m_nQuery = 0;
  // The building's own arrays, kept for the next build: each object's cells (x0 < 0: given to
  // every query) and each cell's next free entry.
  struct Spans {
    int x0, x1, y0, y1;
  };
  std::vector<Spans> m_vSpans;
  std::vector<uint32_t> m_vFill;
};
