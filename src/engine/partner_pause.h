// The partner pauses of a character: after a contact that did damage, the two do not hurt each
// other again until the pause has run. The pauses are kept in the order they began, and counted
// by partner, so that asking after one partner costs the same however many pauses run: in a pile
// of characters that all hurt each other, each holds a pause for every one of the other side,
// and the damage pass asks after every pair in every sub-step.
#pragma once

#include <cstddef>
#include <cstdint>
#include <unordered_map>

#include "core/safe_container.h"

struct cPartnerPause {
  int32_t nId = 0;
  int32_t nLeft = 0;
};

class cPartnerPauses {
 public:
  using const_iterator = cSafeList<cPartnerPause>::const_iterator;

  void push_back(const cPartnerPause& pause);
  void clear();
  bool empty() const { return m_list.empty(); }
  size_t size() const { return m_list.size(); }
  const_iterator begin() const { return m_list.begin(); }
  const_iterator end() const { return m_list.end(); }

  // A pause with the partner runs.
  bool Has(int32_t partnerId) const { return m_count.find(partnerId) != m_count.end(); }
  // One sub-step less for every pause; a pause with one sub-step or less left ends.
  void Age();

 private:
  cSafeList<cPartnerPause> m_list;
  // The running pauses by partner (a partner may have more than one).
  std::unordered_map<int32_t, int32_t> m_count;
};
