#include "engine/scr_effect.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "core/log.h"
#include "draw/draw.h"
#include "engine/play_scene.h"
#include "engine/player.h"
#include "engine/stage_draw.h"
#include "project/database.h"

namespace {

constexpr ParamDescriptor NONE = {"", 0, 0, 0};
constexpr ParamDescriptor TIME = {"実行時間(1/10s)", 1, 9999, 10};

}  // namespace

const ParamDescriptor g_ScrEffectParam[SCR_EFFECT_KINDS][SCR_EFFECT_PARAMS] = {
    {NONE, NONE, NONE, NONE, NONE},
    {TIME, {"開始座標X(dot)", -640, 640, 0}, {"開始座標Y(dot)", -480, 480, 0}, {"終了座標X(dot)", -640, 640, 640},
     {"終了座標Y(dot)", -480, 480, 0}},
    {TIME, {"振動幅(dot)", 1, 640, 4}, {"振動回数", 1, 9999, 4}, NONE, NONE},
    {TIME, {"振動幅(dot)", 1, 480, 4}, {"振動回数", 1, 9999, 4}, NONE, NONE},
    {TIME, {"開始位置(dot)", 0, 640, 0}, {"終了位置(dot)", 0, 640, 640}, {"分割数", 2, 240, 15}, NONE},
    {TIME, {"開始位置(dot)", 0, 480, 0}, {"終了位置(dot)", 0, 480, 480}, {"分割数", 2, 320, 20}, NONE},
    {TIME, {"開始幅(dot)", 0, 640, 0}, {"終了幅(dot)", 0, 640, 640}, {"波の数", 2, 240, 4}, {"波の粗さ(dot)", 1, 48, 8}},
    {TIME, {"開始幅(dot)", 0, 480, 0}, {"終了幅(dot)", 0, 480, 480}, {"波の数", 2, 320, 4}, {"波の粗さ(dot)", 1, 64, 10}},
    {TIME, {"点滅間隔(1/60s)", 1, 9999, 10}, NONE, NONE, NONE},
    {TIME, {"開始角度", 0, 9999, 0}, {"終了角度", 0, 9999, 1440}, NONE, NONE},
    {TIME, {"開始半径(dot)", 0, 640, 640}, {"終了半径(dot)", 0, 640, 0}, {"円の粗さ(dot)", 1, 48, 8}, NONE},
    {TIME, {"開始幅(dot)", 0, 6400, 640}, {"終了幅(dot)", 0, 6400, 1280}, NONE, NONE},
    {TIME, {"開始距離", 0, 1500, 1500}, {"終了距離", 0, 1500, 5}, {"ズレX(dot)", -320, 320, 0}, {"ズレY(dot)", -240, 240, 0}},
    {TIME, {"開始強度", 1, 240, 1}, {"終了強度", 1, 240, 60}, NONE, NONE},
};

cSafeVector<cScrEffectState> g_vScrEffectTemplate;
cSafeVector<cScrEffectState> g_vScrEffectTemplateRev;

void BuildScrEffectTables(cSafeVector<cScrEffectState>& forward, cSafeVector<cScrEffectState>& backward) {
  const size_t n = g_Database.m_vScrEffect.size();
  forward.resize(n);
  backward.resize(n);
  for (size_t i = 0; i < n; ++i) {
    BuildScrEffectTemplate(static_cast<int>(i), 0);
    BuildScrEffectTemplate(static_cast<int>(i), 1);
  }
}

void BuildScrEffectTemplate(int index, int backward) {
  cSafeVector<cScrEffectState>& table = backward ? g_vScrEffectTemplateRev : g_vScrEffectTemplate;
  cScrEffectState& t = table.CheckedAt(index);
  const cScrEffectData& data = g_Database.ScrEffectSource(index, backward);
  t = cScrEffectState();
  t.m_sEffect = static_cast<int16_t>(index);
  t.m_lpData = &data;
  int kind = data.m_nKind;
  if (kind < 0 || kind >= SCR_EFFECT_KINDS) {
    if (!backward) ReportLog("ScrEffect %d: kind %d is out of range and acts as 0", index, kind);
    kind = 0;
  }
  t.m_nKind = kind;
  if (kind == 0) return;
  // Each parameter the kind uses within the range the editing program offers: a time of 0 or a
  // strip count of 0 from a file never divides.
  int* p = t.m_nParam;
  for (int i = 0; i < SCR_EFFECT_PARAMS; ++i) {
    const ParamDescriptor& d = g_ScrEffectParam[kind][i];
    p[i] = d.lpszLabel[0] ? std::clamp(data.m_nParam[i], d.nMin, d.nMax) : data.m_nParam[i];
  }
  switch (kind) {
    case 1:
      if (backward) {
        std::swap(p[1], p[3]);
        std::swap(p[2], p[4]);
      }
      t.m_dCurrent = 0;
      t.m_dStep = 1.0 / 6;
      t.m_nWork1 = p[1];
      t.m_nWork2 = p[2];
      break;
    case 2:
    case 3:
      t.m_dCurrent = 0;
      t.m_dAux = 0;
      t.m_dStep = 1.0 / 6;
      t.m_nWork1 = 0;
      break;
    case 8:
      t.m_dCurrent = 0;
      t.m_dStep = 1.0 / 6;
      t.m_nWork1 = t.m_nWork2 = 0;
      break;
    default:
      if (backward) std::swap(p[1], p[2]);
      t.m_dCurrent = p[1];
      t.m_dStep = std::abs(p[2] - p[1]) / (p[0] * 6.0);
      if (kind == 6 || kind == 7) t.m_nWork1 = 0;
      if (p[1] == p[2]) {
        t.m_bTimeBased = 1;
        t.m_dStep = 1.0 / 6;
        t.m_dElapsed = 0;
        t.m_nDuration = p[0];
      }
      break;
  }
}

void cScrEffectState::Start(int effect, int mode, int loop) {
  const int n = static_cast<int16_t>(effect);
  const cSafeVector<cScrEffectState>& table = mode == SCR_EFFECT_FORWARD ? g_vScrEffectTemplate : g_vScrEffectTemplateRev;
  if (n < 0 || static_cast<size_t>(n) >= table.size()) {
    if (n != 0) (void)table.CheckedAt(n);
    Clear();
    return;
  }
  *this = table[static_cast<size_t>(n)];
  m_sEffect = static_cast<int16_t>(n);
  m_bForward = mode == SCR_EFFECT_FORWARD ? 1 : 0;
  m_nMode = mode;
  m_bLoop = loop;
}

void cScrEffectState::Restart() {
  if (m_nMode == SCR_EFFECT_BACK_AND_FORTH) m_bForward = !m_bForward;
  const cSafeVector<cScrEffectState>& table = m_bForward ? g_vScrEffectTemplate : g_vScrEffectTemplateRev;
  const int16_t effect = m_sEffect;
  const int mode = m_nMode, loop = m_bLoop, forward = m_bForward;
  *this = table.CheckedAt(effect);
  m_sEffect = effect;
  m_nMode = mode;
  m_bLoop = loop;
  m_bForward = forward;
}

int cScrEffectState::Step(int start, int end, double step) {
  bool goesOn;
  if (m_bTimeBased) {
    m_dElapsed += step;
    goesOn = m_dElapsed <= m_nDuration;
  } else if (end < start) {
    m_dCurrent -= step;
    goesOn = static_cast<int>(m_dCurrent) >= end;
  } else {
    m_dCurrent += step;
    goesOn = static_cast<int>(m_dCurrent) <= end;
  }
  if (goesOn) return 0;
  if (m_bLoop || (m_nMode == SCR_EFFECT_BACK_AND_FORTH && !m_bForward)) {
    Restart();
    return 0;
  }
  return 1;
}

namespace {

// Kinds 2 and 3: the offset swings between -amplitude and +amplitude at v dots per frame.
void Swing(cScrEffectState& e) {
  const int* p = e.m_nParam;
  const double v = p[1] * p[2] * 4.0 / (p[0] * 6.0);
  if (e.m_nWork1 == 0) {
    e.m_dAux += v;
    if (e.m_dAux >= p[1]) {
      e.m_dAux = p[1];
      e.m_nWork1 = 1;
    }
  } else {
    e.m_dAux -= v;
    if (e.m_dAux <= -p[1]) {
      e.m_dAux = -p[1];
      e.m_nWork1 = 0;
    }
  }
}

}  // namespace

int cScrEffectState::Advance() {
  const int* p = m_nParam;
  switch (m_nKind) {
    case 0:
      return 0;
    case 1: {
      // The position at the current time, moving evenly from (p1, p2) to (p3, p4) in p0.
      const double t = m_dCurrent;
      m_nWork1 = static_cast<int>(static_cast<double>(p[3] - p[1]) / p[0] * t + p[1]);
      m_nWork2 = static_cast<int>(static_cast<double>(p[4] - p[2]) / p[0] * t + p[2]);
      return Step(0, p[0], m_dStep);
    }
    case 2:
    case 3:
      Swing(*this);
      return Step(0, p[0], m_dStep);
    case 8:
      ++m_nWork1;
      return Step(0, p[0], m_dStep);
    case 6:
    case 7:
      m_nWork1 = m_nWork1 + 1 >= 360 ? 0 : m_nWork1 + 1;
      return Step(p[1], p[2], m_dStep);
    default:
      return Step(p[1], p[2], m_dStep);
  }
}

// ---- Applying the running effect to the frame ----

namespace {

// The hero's screen centre (the screen's centre without a hero).
void HeroCentre(int* cx, int* cy) {
  *cx = VIEW_WIDTH / 2;
  *cy = VIEW_HEIGHT / 2;
  if (g_vPlayer.empty()) return;
  const cPlayer& hero = g_vPlayer[0];
  *cx = hero.m_rcScreen.left + (hero.m_nGraphicW >> 1);
  *cy = hero.m_rcScreen.top + (hero.m_nGraphicH >> 1);
}

// The larger of the distances from c to the two edges of a view of size n.
int Extent(int c, int n) { return std::max(c, n - c); }

int Trunc(double v) { return static_cast<int>(v); }

}  // namespace

int cPlayScene::ScrEffectWorkImage(int kind) {
  if (kind == 9 || kind == 12 || kind == 13) return IMAGE_EFFECT_WORK_SYS;
  // The zoom stretches: in video memory under Direct3D, from system memory under DirectDraw.
  if (kind == 11) return lpDTCon ? IMAGE_EFFECT_WORK : IMAGE_EFFECT_WORK_SYS;
  return IMAGE_EFFECT_WORK;
}

int cPlayScene::ApplyScrEffect(int bFrozen) {
  cScrEffectState& e = m_ScrEffect;
  const int* p = e.m_nParam;
  const int kind = e.m_nKind >= 0 && e.m_nKind < SCR_EFFECT_KINDS ? e.m_nKind : 0;
  if (kind == 0) {
    if (lpDTCon && lpDTCon->bVirtualBackBuffer) DDSetVirtualBackBuffer(0);
    return 0;
  }
  if (kind == 8) {
    if (e.m_nWork1 >= p[1]) {
      e.m_nWork1 = 0;
      e.m_nWork2 = !e.m_nWork2;
    }
    if (e.m_nWork2 == 0) {
      DrawBackLayers(&BackBuffer, 0);
      DrawBackLayers(&BackBuffer, 1);
    }
    return bFrozen ? 0 : e.Advance();
  }
  // The common frame: the composed frame to a work surface, the back buffer cleared, the
  // transformed copy drawn back.
  DDSURFACEDATA* work = &g_SystemImage[ScrEffectWorkImage(kind)];
  DDBltFast(work, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, &BackBuffer, 0, 0, 0);
  DDClearSurface(&BackBuffer, 16);
  DDSetAlphaOp(1);
  int cx = 0, cy = 0;
  HeroCentre(&cx, &cy);
  const int cur = Trunc(e.m_dCurrent);
  switch (kind) {
    case 1:
      DDBltFast(&BackBuffer, e.m_nWork1, e.m_nWork2, VIEW_WIDTH, VIEW_HEIGHT, work, 0, 0, 0);
      break;
    case 2: {
      const int off = Trunc(e.m_dAux);
      DDBltFast(&BackBuffer, off, 0, VIEW_WIDTH, VIEW_HEIGHT, work, 0, 0, 0);
      if (off > 0) DDFillRect(&BackBuffer, 0, 0, off + 1, VIEW_HEIGHT, 16);
      if (off < 0) DDFillRect(&BackBuffer, VIEW_WIDTH + off, 0, -off, VIEW_HEIGHT, 16);
      break;
    }
    case 3: {
      const int off = Trunc(e.m_dAux);
      DDBltFast(&BackBuffer, 0, off, VIEW_WIDTH, VIEW_HEIGHT, work, 0, 0, 0);
      if (off > 0) DDFillRect(&BackBuffer, 0, 0, VIEW_WIDTH, off + 1, 16);
      if (off < 0) DDFillRect(&BackBuffer, 0, VIEW_HEIGHT + off, VIEW_WIDTH, -off, 16);
      break;
    }
    case 4:
      DDSplit(&BackBuffer, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, ScrEffectStrip(VIEW_HEIGHT, p[3]), cur, work, 0, 0, 0, 0);
      break;
    case 5:
      DDSplit(&BackBuffer, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, ScrEffectStrip(VIEW_WIDTH, p[3]), cur, work, 0, 0, 0, 1);
      break;
    case 6:
    case 7:
      DDWave(&BackBuffer, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, p[3], e.m_dCurrent, e.m_nWork1, p[4], work, 0, 0, 0, kind == 7);
      break;
    case 9:
      DDRotate(&BackBuffer, VIEW_WIDTH / 2, VIEW_HEIGHT / 2, VIEW_WIDTH, VIEW_HEIGHT, VIEW_WIDTH / 2, VIEW_HEIGHT / 2, cur,
               work, 0, 0, 0);
      break;
    case 10:
      DDBltCircle(&BackBuffer, cx, cy, Extent(cx, VIEW_WIDTH), Extent(cy, VIEW_HEIGHT), cur, p[3], work, cx, cy, 0);
      break;
    case 11: {
      const double z = e.m_dCurrent / VIEW_WIDTH;
      if (z >= 1) {
        const int sw = Trunc(VIEW_WIDTH / z), sh = Trunc(VIEW_HEIGHT / z);
        const int sx = std::clamp(cx - sw / 2, 0, VIEW_WIDTH - sw);
        const int sy = std::clamp(cy - sh / 2, 0, VIEW_HEIGHT - sh);
        DDBlt(&BackBuffer, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, work, sx, sy, sw, sh, 0);
      } else if (z > 0) {
        const int dw = Trunc(VIEW_WIDTH * z), dh = Trunc(VIEW_HEIGHT * z);
        if (dw > 0 && dh > 0)
          DDBlt(&BackBuffer, (VIEW_WIDTH - dw) / 2, (VIEW_HEIGHT - dh) / 2, dw, dh, work, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, 0);
      }
      break;
    }
    case 12: {
      const int lx = cx + p[3], ly = cy + p[4];
      const double r = std::sqrt(2.0) * std::max(Extent(lx, VIEW_WIDTH), Extent(ly, VIEW_HEIGHT));
      DDLens(&BackBuffer, lx, ly, Trunc(r), cur, work, lx, ly, 0, 1);
      break;
    }
    case 13:
      DDMosaic(&BackBuffer, 0, 0, VIEW_WIDTH, VIEW_HEIGHT, cur, work, 0, 0, 0);
      break;
    default:
      break;
  }
  DDResetAlphaOp();
  return bFrozen ? 0 : e.Advance();
}

void cPlayScene::DrawScrEffect(int bFrozen) {
  if (m_ScrEffect.m_sEffect == 0) return;
  if (ApplyScrEffect(bFrozen)) {
    m_ScrEffect.m_sEffect = 0;
    DDSetVirtualBackBuffer(0);
  }
}

int ScrEffectStrip(int size, int parts) { return parts > 0 ? (size + parts - 1) / parts : size; }
