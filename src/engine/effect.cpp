#include "engine/effect.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/rand_range.h"
#include "engine/object.h"
#include "project/database.h"

namespace {

// The Effect entry of a number: its low 16 bits, signed. 0 is the entry of no effect, which
// starts nothing; a number outside the table is an index error (logged, the close request
// posted) and starts nothing either.
const cEffectData* EffectEntry(int effect) {
  int n = static_cast<int16_t>(effect);
  if (n == 0) return nullptr;
  if (n < 0 || static_cast<size_t>(n) >= g_Database.m_vEffect.size()) {
    (void)g_Database.m_vEffect.CheckedAt(n);
    return nullptr;
  }
  return &g_Database.m_vEffect[static_cast<size_t>(n)];
}

// zoom × a frame size from the file, within the int range.
int32_t Scaled(int zoom, int32_t size) {
  return static_cast<int32_t>(std::clamp<long long>(static_cast<long long>(zoom) * size, INT32_MIN, INT32_MAX));
}

}  // namespace

int cEffect::Start(int effect, double x, double y, int width, int height, int alwaysAnimate) {
  const cEffectData* entry = EffectEntry(effect);
  if (!entry) return 0;
  m_nEffect = static_cast<int16_t>(effect);
  m_dX = x;
  m_dY = y;
  m_nWidth = width;
  m_nHeight = height;
  m_bAlwaysAnimate = alwaysAnimate;
  m_bScaled = width != entry->m_nWidth ? 1 : 0;
  SetFrames(m_nEffect);
  return 1;
}

int cEffect::StartHit(int effect, const cEffectBox& attacker, const cEffectBox& victim, int zoom) {
  const cEffectData* entry = EffectEntry(effect);
  if (!entry) return 0;
  m_nEffect = static_cast<int16_t>(effect);
  if (entry->m_bScaleWithHit && zoom > 1) {
    m_bScaled = 1;
    m_nWidth = Scaled(zoom, entry->m_nWidth);
    m_nHeight = Scaled(zoom, entry->m_nHeight);
  } else {
    m_bScaled = 0;
    m_nWidth = entry->m_nWidth;
    m_nHeight = entry->m_nHeight;
  }
  // The jitter grows with the zoom; a shot's zoom is at most 255.
  int j = entry->m_bScaleWithHit ? std::clamp(zoom, -255, 255) : 1;
  double left = std::max(attacker.dLeft, victim.dLeft);
  double right = std::min(attacker.dRight, victim.dRight);
  double top = std::max(attacker.dTop, victim.dTop);
  double bottom = std::min(attacker.dBottom, victim.dBottom);
  if (left > right || top > bottom) left = right = top = bottom = 0;
  m_dX = left + (TruncPos(right - left + 1) >> 1) - (m_nWidth >> 1);
  m_dY = top + (TruncPos(bottom - top + 1) >> 1) - (m_nHeight >> 1);
  m_dX += RandRange(-4 * j, 4 * j);
  m_dY += RandRange(-4 * j, 4 * j);
  m_bAlwaysAnimate = 0;
  SetFrames(m_nEffect);
  return 1;
}

void cEffect::SetFrames(int effect) {
  const cSafeVector<AnimStep>& steps = g_vEffectSteps.CheckedAt(effect);
  std::vector<int> list;
  for (const AnimStep& s : steps) {
    list.push_back(s.nPattern);
    list.push_back(s.nWait);
    list.push_back(s.nFlag);
    if (s.nPattern < 0) break;
  }
  // A list without its terminator ends where it stops.
  if (list.empty() || list[list.size() - 3] >= 0) {
    list.push_back(ANIM_END);
    list.push_back(0);
    list.push_back(0);
  }
  const int* lists[2] = {list.data(), nullptr};
  m_Frames.Build(lists);
  m_Frames.Set(0, 1);
}

int cEffect::NextPattern(int bHold) {
  if (g_Database.m_vEffect.CheckedAt(m_nEffect).m_vFrame.empty()) return ANIM_END;
  if (bHold && !m_bAlwaysAnimate) return m_Frames.Pattern();
  return m_Frames.Step();
}
