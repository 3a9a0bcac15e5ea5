#include "core/anim_seq.h"

void cAnimSeq::BuildOne(const cSafeVector<AnimStep>& steps) {
  m_vAnime.assign(1, steps);
  m_nAnime = 0;
  m_nStep = 0;
  m_nCount = 0;
}

void cAnimSeq::Build(const int* const* lpLists) {
  if (!lpLists) return;
  m_vAnime.clear();
  m_nAnime = 0;
  m_nStep = 0;
  m_nCount = 0;
  for (int j = 0; lpLists[j]; ++j) {
    m_vAnime.emplace_back();
    cSafeVector<AnimStep>& steps = m_vAnime.CheckedAt(j);
    const int* p = lpLists[j];
    for (;; p += 3) {
      AnimStep step;
      step.nPattern = p[0];
      step.nWait = p[1];
      step.nFlag = p[2] & 0xFF;
      steps.push_back(step);
      if (step.nPattern < 0) break;
    }
  }
}

int cAnimSeq::Set(int nAnime, int bForce) {
  if (!bForce && !m_vAnime.empty() && m_vAnime.CheckedAt(m_nAnime).CheckedAt(m_nStep).nFlag) return 0;
  m_nAnime = nAnime;
  m_nStep = 0;
  m_nCount = 0;
  return 1;
}

int cAnimSeq::Change(int nAnime, int bForce) {
  if (nAnime == m_nAnime) return 1;
  return Set(nAnime, bForce);
}

int cAnimSeq::Step() {
  if (m_vAnime.empty()) return 0;
  cSafeVector<AnimStep>& steps = m_vAnime.CheckedAt(m_nAnime);
  ++m_nCount;
  if (m_nCount >= steps.CheckedAt(m_nStep).nWait) {
    m_nCount = 0;
    if (m_nStep + 1 >= static_cast<int>(steps.size())) return ANIM_END;
    ++m_nStep;
    const AnimStep& step = steps.CheckedAt(m_nStep);
    switch (step.nPattern) {
      case ANIM_SWITCH:
        Set(step.nWait, 1);
        break;
      case ANIM_LOOP:
        m_nStep = 0;
        break;
      case ANIM_HOLD:
        --m_nStep;
        break;
      default:
        break;
    }
  }
  return Pattern();
}

int cAnimSeq::Pattern() const {
  if (m_vAnime.empty()) return 0;
  return m_vAnime.CheckedAt(m_nAnime).CheckedAt(m_nStep).nPattern;
}
