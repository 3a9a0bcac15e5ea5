#include "engine/box_grid.h"

#include <algorithm>
#include <cmath>

namespace {

// The most cells a box is entered in; a larger one goes to every query.
constexpr long long kMostCells = 16;
// The most cells along one side of the grid.
constexpr int kMostSide = 4096;
// The smallest cell, in dots.
constexpr double kLeastCell = 16;

bool Finite(const cBoxGrid::Box& b) {
  return std::isfinite(b.dLeft) && std::isfinite(b.dTop) && std::isfinite(b.dRight) && std::isfinite(b.dBottom);
}

// A box whose edges are given the wrong way round still overlaps boxes that cover it from edge
// to edge: its extent is taken between the smaller and the larger edge.
cBoxGrid::Box Extent(const cBoxGrid::Box& b) {
  return {std::min(b.dLeft, b.dRight), std::min(b.dTop, b.dBottom), std::max(b.dLeft, b.dRight),
          std::max(b.dTop, b.dBottom)};
}

}  // namespace

void cBoxGrid::Span(double lo, double hi, double origin, int cells, int& first, int& last) const {
  // Monotonic in the coordinate: a box that shares a dot with another shares a cell with it.
  auto cell = [&](double v) {
    const double c = std::floor((v - origin) / m_dCell);
    if (!(c >= 0)) return 0;
    if (c >= cells - 1) return cells - 1;
    return static_cast<int>(c);
  };
  first = cell(lo);
  last = cell(hi);
}

void cBoxGrid::Build(const std::vector<Box>& boxes) {
  m_nCount = boxes.size();
  m_vEverywhere.clear();
  m_vEntry.clear();
  m_vStart.clear();
  m_vSeen.assign(m_nCount, 0);
  m_nQuery = 0;
  m_nCols = m_nRows = 0;
  if (m_nCount == 0) return;

  // The extent of the finite boxes.
  bool any = false;
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  for (const Box& raw : boxes) {
    if (!Finite(raw)) continue;
    const Box b = Extent(raw);
    if (!any) {
      minX = b.dLeft, minY = b.dTop, maxX = b.dRight, maxY = b.dBottom;
      any = true;
      continue;
    }
    minX = std::min(minX, b.dLeft);
    minY = std::min(minY, b.dTop);
    maxX = std::max(maxX, b.dRight);
    maxY = std::max(maxY, b.dBottom);
  }
  if (!any) {
    for (uint32_t i = 0; i < m_nCount; ++i) m_vEverywhere.push_back(i);
    return;
  }

  // About one object a cell, and no more cells than a few per object.
  const double width = maxX - minX + 1;
  const double height = maxY - minY + 1;
  const double n = static_cast<double>(m_nCount);
  m_dCell = std::max(kLeastCell, std::sqrt(width * height / n));
  auto side = [&](double extent) { return std::min(static_cast<double>(kMostSide), std::floor(extent / m_dCell) + 1); };
  while (side(width) * side(height) > 4 * n + 16) m_dCell *= 2;
  m_nCols = static_cast<int>(side(width));
  m_nRows = static_cast<int>(side(height));
  m_dOriginX = minX;
  m_dOriginY = minY;

  // Counted, then filled: each cell's entries in ascending order.
  const size_t cells = static_cast<size_t>(m_nCols) * static_cast<size_t>(m_nRows);
  m_vStart.assign(cells + 1, 0);
  m_vSpans.resize(m_nCount);
  for (uint32_t i = 0; i < m_nCount; ++i) {
    Spans& s = m_vSpans[i];
    if (!Finite(boxes[i])) {
      s.x0 = -1;
      m_vEverywhere.push_back(i);
      continue;
    }
    const Box b = Extent(boxes[i]);
    Span(b.dLeft, b.dRight, m_dOriginX, m_nCols, s.x0, s.x1);
    Span(b.dTop, b.dBottom, m_dOriginY, m_nRows, s.y0, s.y1);
    if (static_cast<long long>(s.x1 - s.x0 + 1) * (s.y1 - s.y0 + 1) > kMostCells) {
      s.x0 = -1;
      m_vEverywhere.push_back(i);
      continue;
    }
    for (int y = s.y0; y <= s.y1; ++y)
      for (int x = s.x0; x <= s.x1; ++x) ++m_vStart[static_cast<size_t>(y) * m_nCols + x + 1];
  }
  for (size_t c = 0; c < cells; ++c) m_vStart[c + 1] += m_vStart[c];
  m_vEntry.resize(m_vStart[cells]);
  m_vFill.assign(m_vStart.begin(), m_vStart.end() - 1);
  for (uint32_t i = 0; i < m_nCount; ++i) {
    const Spans& s = m_vSpans[i];
    if (s.x0 < 0) continue;
    for (int y = s.y0; y <= s.y1; ++y)
      for (int x = s.x0; x <= s.x1; ++x) m_vEntry[m_vFill[static_cast<size_t>(y) * m_nCols + x]++] = i;
  }
}

void cBoxGrid::Query(const Box& q, uint32_t from, std::vector<uint32_t>& out) {
  out.clear();
  if (from >= m_nCount) return;
  auto all = [&] {
    for (uint32_t i = from; i < m_nCount; ++i) out.push_back(i);
  };
  if (m_nCols == 0 || !Finite(q)) {
    all();
    return;
  }
  const Box b = Extent(q);
  int x0, x1, y0, y1;
  Span(b.dLeft, b.dRight, m_dOriginX, m_nCols, x0, x1);
  Span(b.dTop, b.dBottom, m_dOriginY, m_nRows, y0, y1);
  // A box over much of the grid: every object, without visiting the cells.
  if (static_cast<long long>(x1 - x0 + 1) * (y1 - y0 + 1) > static_cast<long long>(m_nCount)) {
    all();
    return;
  }
  if (++m_nQuery == 0) {
    std::fill(m_vSeen.begin(), m_vSeen.end(), 0);
    m_nQuery = 1;
  }
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const size_t c = static_cast<size_t>(y) * m_nCols + x;
      for (uint32_t e = m_vStart[c]; e < m_vStart[c + 1]; ++e) {
        const uint32_t i = m_vEntry[e];
        if (i < from || m_vSeen[i] == m_nQuery) continue;
        m_vSeen[i] = m_nQuery;
        out.push_back(i);
      }
    }
  }
  for (uint32_t i : m_vEverywhere)
    if (i >= from) out.push_back(i);
  std::sort(out.begin(), out.end());
}
