// The links held by a character: who refers to it (its back references) and which shots refer
// to it. Kept in the order they were made, each once, with the membership of a link known
// without walking the list and a link dropped without moving the others: every character of a
// stage targets the hero, whose list then holds one link per character, and a start of a stage
// of thousands of characters, or a wave of deaths, walked and moved that list once per link.
//
// A dropped link leaves a hole (a null pointer) that readers walking by position pass by; the
// holes are closed when they outnumber the links, never while nothing is dropped. Reading by
// position (RawSize, Raw) sees the links in their order with the holes between them; iteration
// sees the links alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <unordered_map>
#include <utility>
#include <vector>

template <class T>
class cLinkList {
 public:
  // A link's identity: the object (its pointer) and the slot or kind.
  using Key = std::pair<const void*, int32_t>;

  class const_iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = const T*;
    using reference = const T&;
    const_iterator(const std::vector<T>* v, size_t i) : m_v(v), m_i(i) { Skip(); }
    reference operator*() const { return (*m_v)[m_i]; }
    pointer operator->() const { return &(*m_v)[m_i]; }
    const_iterator& operator++() {
      ++m_i;
      Skip();
      return *this;
    }
    bool operator==(const const_iterator& o) const { return m_i == o.m_i; }
    bool operator!=(const const_iterator& o) const { return m_i != o.m_i; }

   private:
    void Skip() {
      while (m_i < m_v->size() && IsHole((*m_v)[m_i])) ++m_i;
    }
    const std::vector<T>* m_v;
    size_t m_i;
  };

  size_t size() const { return m_nLinks; }
  bool empty() const { return m_nLinks == 0; }
  const_iterator begin() const { return const_iterator(&m_v, 0); }
  const_iterator end() const { return const_iterator(&m_v, m_v.size()); }
  // By position, holes included (a hole's pointer is null).
  size_t RawSize() const { return m_v.size(); }
  const T& Raw(size_t i) const { return m_v[i]; }

  bool Contains(const T& link) const { return m_at.find(KeyOf(link)) != m_at.end(); }
  // Appends the link unless it is held already.
  void AddOnce(const T& link) {
    if (!m_at.emplace(KeyOf(link), m_v.size()).second) return;
    m_v.push_back(link);
    ++m_nLinks;
  }
  // Drops the link when it is held.
  void Drop(const T& link) {
    auto it = m_at.find(KeyOf(link));
    if (it == m_at.end()) return;
    m_v[it->second] = T{};
    m_at.erase(it);
    --m_nLinks;
    if (m_v.size() - m_nLinks > m_nLinks + 16) CloseHoles();
  }
  void clear() {
    m_v.clear();
    m_at.clear();
    m_nLinks = 0;
  }
  void swap(cLinkList& o) {
    m_v.swap(o.m_v);
    m_at.swap(o.m_at);
    std::swap(m_nLinks, o.m_nLinks);
  }

 private:
  struct KeyHash {
    size_t operator()(const Key& k) const {
      return std::hash<const void*>()(k.first) ^ (std::hash<int32_t>()(k.second) * 0x9E3779B97F4A7C15ull);
    }
  };
  static Key KeyOf(const T& link) { return {LinkObject(link), LinkSlot(link)}; }
  static bool IsHole(const T& link) { return LinkObject(link) == nullptr; }
  void CloseHoles() {
    size_t out = 0;
    for (size_t i = 0; i < m_v.size(); ++i) {
      if (IsHole(m_v[i])) continue;
      m_v[out] = m_v[i];
      m_at[KeyOf(m_v[out])] = out;
      ++out;
    }
    m_v.resize(out);
  }

  std::vector<T> m_v;
  // Looked up only, never walked: the order of the map does not matter.
  std::unordered_map<Key, size_t, KeyHash> m_at;
  size_t m_nLinks = 0;
};
