#include "engine/partner_pause.h"

void cPartnerPauses::push_back(const cPartnerPause& pause) {
  m_list.push_back(pause);
  ++m_count[pause.nId];
}

void cPartnerPauses::clear() {
  m_list.clear();
  m_count.clear();
}

void cPartnerPauses::Age() {
  for (auto it = m_list.begin(); it != m_list.end();) {
    if (it->nLeft <= 1) {
      auto n = m_count.find(it->nId);
      if (n != m_count.end() && --n->second == 0) m_count.erase(n);
      it = m_list.erase(it);
    } else {
      --it->nLeft;
      ++it;
    }
  }
}
