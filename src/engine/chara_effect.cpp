#include "engine/chara_effect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/log.h"
#include "engine/object.h"
#include "project/database.h"

namespace {

constexpr ParamDescriptor NONE = {"", 0, 0, 0};

constexpr ParamDescriptor Time(int def) { return {"実行時間(1/10s)", 1, 9999, def}; }

}  // namespace

const ParamDescriptor g_CharaEffectParam[CHARA_EFFECT_KINDS][CHARA_EFFECT_PARAMS] = {
    {NONE, NONE, NONE, NONE, NONE},
    {Time(5), {"開始位置(dot)", 0, 999, 0}, {"終了位置(dot)", 0, 999, 32}, NONE, NONE},
    {Time(5), {"開始位置(dot)", 0, 999, 0}, {"終了位置(dot)", 0, 999, 32}, {"分割数", 2, 16, 4}, NONE},
    {Time(5), {"開始位置(dot)", 0, 999, 0}, {"終了位置(dot)", 0, 999, 32}, {"分割数", 2, 16, 4}, NONE},
    {Time(5), {"開始幅(dot)", 0, 999, 0}, {"終了幅(dot)", 0, 999, 32}, {"波の数", 2, 16, 2}, {"波の粗さ(dot)", 1, 4, 2}},
    {Time(5), {"開始幅(dot)", 0, 999, 0}, {"終了幅(dot)", 0, 999, 32}, {"波の数", 2, 16, 2}, {"波の粗さ(dot)", 1, 4, 2}},
    {Time(10), {"点滅間隔(1/60s)", 1, 9999, 2}, NONE, NONE, NONE},
    {Time(10), {"開始角度", 0, 9999, 0}, {"終了角度", 0, 9999, 1440}, NONE, NONE},
    {Time(10), {"開始角度", 0, 9999, 0}, {"終了角度", 0, 9999, 1440}, NONE, NONE},
    {Time(10), {"開始位置(dot)", 0, 9999, 0}, {"終了位置(dot)", 0, 9999, 256}, NONE, NONE},
    {Time(5), {"開始半径(dot)", 0, 32, 32}, {"終了半径(dot)", 0, 32, 0}, {"円の粗さ(dot)", 1, 4, 2}, NONE},
    {Time(10), {"開始幅(dot)", 0, 320, 32}, {"終了幅(dot)", 0, 320, 64}, NONE, NONE},
    {Time(10), {"開始距離", 0, 100, 100}, {"終了距離", 0, 100, 5}, {"ズレX(dot)", -16, 16, 0}, {"ズレY(dot)", -16, 16, 0}},
    {Time(10), {"開始合成度", 1, 4, 1}, {"終了合成度", 1, 4, 1}, {"色", 16, 207, 16}, NONE},
    {Time(10), {"点滅間隔(1/60s)", 1, 9999, 9999}, NONE, NONE, NONE},
    {Time(10), {"開始強度", 1, 16, 1}, {"終了強度", 1, 16, 8}, NONE, NONE},
    {Time(10), {"開始強度", 1, 4, 1}, {"終了強度", 1, 4, 4}, NONE, NONE},
};

void BuildCharaEffectTables(cSafeVector<CharaEffectTemplate>& forward, cSafeVector<CharaEffectTemplate>& reversed) {
  size_t n = g_Database.m_vCharaEffect.size();
  forward.resize(n);
  reversed.resize(n);
  for (size_t i = 0; i < n; ++i) {
    BuildCharaEffectTemplate(static_cast<int>(i), 0);
    BuildCharaEffectTemplate(static_cast<int>(i), 1);
  }
}

void BuildCharaEffectTemplate(int index, int reversed) {
  cSafeVector<CharaEffectTemplate>& table = reversed ? g_vCharaEffectTemplateRev : g_vCharaEffectTemplate;
  CharaEffectTemplate& t = table.CheckedAt(index);
  const cCharaEffectData& data = g_Database.CharaEffectSource(index, reversed);
  t.nEffect = index;
  t.lpData = &data;
  int kind = data.m_nKind;
  if (kind < 0 || kind >= CHARA_EFFECT_KINDS) {
    if (!reversed) ReportLog("CharaEffect %d: kind %d is out of range and acts as 0", index, kind);
    kind = 0;
  }
  t.nKind = kind;
  if (kind == 0) return;
  // Each parameter the kind uses within the range the editing program offers, so a duration
  // of 0 or a strip count of 0 from a file never divides.
  for (int p = 0; p < CHARA_EFFECT_PARAMS; ++p) {
    const ParamDescriptor& d = g_CharaEffectParam[kind][p];
    int v = data.m_nParam[p];
    t.nParam[p] = d.lpszLabel[0] ? std::clamp(v, d.nMin, d.nMax) : v;
  }
  // The reversed form runs from the end value to the start value.
  if (reversed) std::swap(t.nParam[1], t.nParam[2]);
  int p1 = t.nParam[0];
  t.nDuration = p1;
  t.dElapsed = 0;
  if (kind == 6 || kind == 14) {
    t.nStart = 0;
    t.nEnd = p1;
    t.dCurrent = 0;
    t.dStep = 1.0 / 6;
    t.nWork1 = t.nWork2 = 0;
  } else {
    t.nStart = t.nParam[1];
    t.nEnd = t.nParam[2];
    t.dCurrent = t.nParam[1];
    t.dStep = std::abs(t.nParam[2] - t.nParam[1]) / (p1 * 6.0);
    if (kind == 4 || kind == 5) t.nWork1 = 0;
  }
  if (t.nStart == t.nEnd) {
    t.dStep = 1.0 / 6;
    t.dElapsed = 0;
  }
}

void cCharaEffectState::CopyTemplate(const CharaEffectTemplate& t) {
  m_lpData = t.lpData;
  m_nKind = t.nKind;
  std::copy(t.nParam, t.nParam + CHARA_EFFECT_PARAMS, m_nParam);
  m_nStart = t.nStart;
  m_nEnd = t.nEnd;
  m_dCurrent = t.dCurrent;
  m_dStep = t.dStep;
  m_dElapsed = t.dElapsed;
  m_nDuration = t.nDuration;
  m_nWork1 = t.nWork1;
  m_nWork2 = t.nWork2;
}

void cCharaEffectState::Start(int effect, int mode, int loop) {
  int n = static_cast<int16_t>(effect);
  cSafeVector<CharaEffectTemplate>& table = mode == CHARA_EFFECT_REVERSED ? g_vCharaEffectTemplateRev : g_vCharaEffectTemplate;
  if (n < 0 || static_cast<size_t>(n) >= table.size()) {
    if (n != 0) (void)table.CheckedAt(n);
    Clear();
    return;
  }
  CopyTemplate(table[static_cast<size_t>(n)]);
  m_bReversedNow = mode == CHARA_EFFECT_REVERSED ? 1 : 0;
  m_sEffect = static_cast<int16_t>(n);
  m_nMode = mode;
  m_bLoop = loop;
  m_nReserved = 0;
}

void cCharaEffectState::Restart() {
  if (m_nMode == CHARA_EFFECT_THERE_AND_BACK) m_bReversedNow = !m_bReversedNow;
  const cSafeVector<CharaEffectTemplate>& table = m_bReversedNow ? g_vCharaEffectTemplateRev : g_vCharaEffectTemplate;
  CopyTemplate(table.CheckedAt(m_sEffect));
}

int cCharaEffectState::Step() {
  bool goesOn;
  if (m_nStart == m_nEnd) {
    m_dElapsed += m_dStep;
    goesOn = m_dElapsed <= m_nDuration;
  } else if (m_nEnd < m_nStart) {
    m_dCurrent -= m_dStep;
    goesOn = m_dCurrent >= m_nEnd;
  } else {
    m_dCurrent += m_dStep;
    goesOn = m_dCurrent <= m_nEnd;
  }
  if (goesOn) return 0;
  if (m_bLoop) {
    Restart();
    return 0;
  }
  if (m_nMode == CHARA_EFFECT_THERE_AND_BACK && !m_bReversedNow) {
    Restart();
    return 0;
  }
  return 1;
}

namespace {

// The frame work of each kind before the common step: the waves turn their phase, the blinks
// count their interval and change phase when it is full.
void AdvanceNothing(cCharaEffectState&) {}

void AdvanceWave(cCharaEffectState& s) {
  if (++s.m_nWork1 >= 360) s.m_nWork1 = 0;
}

void AdvanceBlink(cCharaEffectState& s) {
  if (++s.m_nWork1 >= s.m_nParam[1]) {
    s.m_nWork1 = 0;
    s.m_nWork2 = !s.m_nWork2;
  }
}

void (*const g_lpfnCharaEffectAdvance[CHARA_EFFECT_KINDS])(cCharaEffectState&) = {
    AdvanceNothing, AdvanceNothing, AdvanceNothing, AdvanceNothing, AdvanceWave,    AdvanceWave,
    AdvanceBlink,   AdvanceNothing, AdvanceNothing, AdvanceNothing, AdvanceNothing, AdvanceNothing,
    AdvanceNothing, AdvanceNothing, AdvanceBlink,   AdvanceNothing, AdvanceNothing,
};

}  // namespace

int CharaEffectScaled(int bMultiCell, int nCellsPerSide, int nZoom) {
  return bMultiCell ? nCellsPerSide != nZoom : nZoom > 1;
}

int cCharaEffectState::Advance() {
  // The kind is kept within the table when the template is built; a cleared state is kind 0.
  if (m_nKind > 0 && m_nKind < CHARA_EFFECT_KINDS) g_lpfnCharaEffectAdvance[m_nKind](*this);
  return Step();
}

CharaEffectFigures cCharaEffectState::Figures(int w, int h, int zoom, int bScaled) const {
  CharaEffectFigures f;
  const int32_t v = TruncPos(m_dCurrent);
  const int32_t zv = bScaled ? TruncPos(zoom * m_dCurrent) : v;
  switch (m_nKind) {
    case 1:
    case 2:
      f.nValue = zv;
      break;
    case 4:
    case 5:
      f.dAmplitude = bScaled ? m_dCurrent * zoom : m_dCurrent;
      f.nWaves = m_nParam[3];
      f.nRoughness = bScaled ? m_nParam[4] * zoom : m_nParam[4];
      f.nPhase = m_nWork1;
      break;
    case 6:
      f.bVisible = m_nWork2 != 0;
      break;
    case 10:
      f.nValue = zv;
      f.nRoughness = bScaled ? m_nParam[3] * zoom : m_nParam[3];
      break;
    case 11:
      f.nGrowth = bScaled ? TruncPos((m_dCurrent - 32) * zoom) >> 1 : TruncPos(m_dCurrent - 32);
      break;
    case 12:
      f.nValue = bScaled ? v * zoom : v;
      f.nLensDx = m_nParam[3] * zoom;
      f.nLensDy = m_nParam[4] * zoom;
      f.nLensRadius = TruncPos(std::sqrt(2.0) * (std::max(std::abs(f.nLensDx), std::abs(f.nLensDy)) + (w >> 1)));
      break;
    case 13:
      f.nValue = v;
      f.nColour = m_nParam[3];
      break;
    case 14:
      f.bVisible = m_nWork2 == 0;
      break;
    default:
      f.nValue = v;
      break;
  }
  // Strips of kind 2 run across the height, of kind 3 across the width; at least 2 of them.
  if (m_nKind == 2 || m_nKind == 3) {
    f.nStrip = TruncPos(std::ceil(static_cast<double>(m_nKind == 2 ? h : w) / m_nParam[3]));
  }
  return f;
}
