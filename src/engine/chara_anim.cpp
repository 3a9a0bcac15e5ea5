#include "engine/chara_anim.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "defs/block_data.h"
#include "draw/draw.h"
#include "engine/chara.h"
#include "engine/object.h"
#include "engine/stage_images.h"
#include "project/database.h"
#include "project/shell_state.h"
#include "project/system_data.h"
#include "engine/play_scene.h"
#include "defs/cond.h"
#include "defs/flow.h"

DDSURFACEDATA* g_lpZoomMarkSurface = nullptr;
DDSURFACEDATA* g_lpCharaWorkSurface = nullptr;
DDSURFACEDATA* g_lpCharaWorkSurface2 = nullptr;
int (*g_lpfnFlashColor)(int index, uint32_t* lpColor, int32_t* lpColorOp) = nullptr;
int g_nRangePhase = 0;

namespace {

int ClampToInt(long long v) { return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

// The source position of a cell of a dedicated sheet: large cells of n units, p to a row, or
// 32-dot cells 16 to a row.
void DedicatedCell(const cBmpCharaExc& entry, long long cell, int& x, int& y) {
  const long long n = entry.CellUnits();
  const long long perRow = entry.CellsPerRow();
  if (cell < 0) cell = 0;
  x = ClampToInt((cell % perRow) * 32 * n);
  y = ClampToInt((cell / perRow) * 32 * n);
}

// The Bmp_CharaExc entry a whose four surfaces are loaded; null otherwise (entry 0 is none).
const cBmpCharaExc* DedicatedEntry(long long a) {
  if (a <= 0 || a >= static_cast<long long>(g_Database.m_vBmpCharaExc.size())) return nullptr;
  if (4 * a - 1 >= static_cast<long long>(g_vStageBmpSurface.size())) return nullptr;
  return &g_Database.m_vBmpCharaExc[static_cast<size_t>(a)];
}

}  // namespace

bool HasSurface(const DDSURFACEDATA* sd) {
  return sd && (sd->lpDT || sd->lpDDObj || (sd->lpSubstitute && (sd->lpSubstitute->lpDT || sd->lpSubstitute->lpDDObj)));
}

void cGraphicRef::Set(int use, int kind, int a, int b, const cObject* object, int c) {
  bMultiCell = 0;
  byCells = 1;
  const int facing = use == 1 && object && object->m_nDir == 1 ? 1 : 0;
  const long long la = a;
  switch (kind) {
    case 0:
      lpOwn = lpOpp = SystemImageAt(IMG_BLOCK_CHIPS);
      lpOwn2 = lpOpp2 = SystemImageAt(IMG_BLOCK_CHIPS + 1);
      nSrcX = ClampToInt(la / 15 * 32);
      nSrcY = ClampToInt(la % 15 * 32);
      break;
    case 1: {
      const long long s = la / 15;
      bool fallback = la < 0 || s >= CHARA_SHEETS;
      if (!fallback) {
        const int sheet = IMG_CHARA_SHEET + 2 * static_cast<int>(s);
        nSrcY = static_cast<int>(la % 15 * 32);
        long long cell;
        if (use == 1) {
          lpOwn = SystemImageAt(sheet + facing);
          lpOpp = SystemImageAt(sheet + 1 - facing);
          lpOwn2 = SystemImageAt(sheet + facing + IMG_SECOND_VARIANT);
          lpOpp2 = SystemImageAt(sheet + 1 - facing + IMG_SECOND_VARIANT);
          cell = static_cast<long long>(c) + b;
        } else {
          const int mirrored = b >= 20 ? 1 : 0;
          lpOwn = SystemImageAt(sheet + mirrored);
          lpOwn2 = SystemImageAt(sheet + mirrored + IMG_SECOND_VARIANT);
          cell = mirrored ? b - 20 : b;
        }
        nSrcX = ClampToInt(cell * 32);
        fallback = nSrcX < 0 || nSrcY >= lpOwn->nHeight || nSrcX >= lpOwn->nWidth;
      }
      if (fallback) {
        lpOwn = lpOpp = SystemImageAt(IMG_CHARA_SHEET);
        lpOwn2 = lpOpp2 = SystemImageAt(IMG_CHARA_SHEET + IMG_SECOND_VARIANT);
        nSrcX = nSrcY = 0;
      }
      break;
    }
    case 2:
      lpOwn = lpOpp = SystemImageAt(IMG_ITEM_SHEET);
      lpOwn2 = lpOpp2 = SystemImageAt(IMG_ITEM_SHEET + 1);
      nSrcX = ClampToInt(la / 15 * 64 + (use == 2 ? static_cast<long long>(c) * 32 : 0));
      nSrcY = ClampToInt(la % 15 * 32);
      break;
    case 3:
      if (use == 1) {
        lpOwn = lpOwn2 = SystemImageAt(IMG_SHOT_LEFT + facing);
        lpOpp = lpOpp2 = SystemImageAt(IMG_SHOT_LEFT + 1 - facing);
      } else {
        lpOwn = lpOwn2 = SystemImageAt(IMG_SHOT_LEFT);
      }
      nSrcX = ClampToInt(la / 30 * 64);
      nSrcY = ClampToInt(la % 30 * 32);
      break;
    case 4: {
      const cBmpCharaExc* entry = DedicatedEntry(la);
      if (!entry) {
        lpOwn = lpOwn2 = lpOpp = lpOpp2 = nullptr;
        nSrcX = nSrcY = 0;
        break;
      }
      const long long first = 4 * la - 4;
      long long cell = b;
      if (use == 1) {
        lpOwn = StageSurfaceAt(g_vStageBmpSurface, first + facing);
        lpOpp = StageSurfaceAt(g_vStageBmpSurface, first + 1 - facing);
        lpOwn2 = StageSurfaceAt(g_vStageBmpSurface, first + facing + 2);
        lpOpp2 = StageSurfaceAt(g_vStageBmpSurface, first + 3 - facing);
        cell += c;
      } else {
        lpOwn = StageSurfaceAt(g_vStageBmpSurface, first);
        lpOwn2 = StageSurfaceAt(g_vStageBmpSurface, first + 2);
      }
      if (entry->m_bLargeCell) {
        bMultiCell = 1;
        byCells = static_cast<uint8_t>(entry->CellUnits());
      }
      DedicatedCell(*entry, cell, nSrcX, nSrcY);
      break;
    }
    default:
      break;
  }
  const bool first = !lpDTCon && g_bVideoStretch;
  lpChosenOwn = first ? lpOwn : lpOwn2;
  lpChosenOpp = first ? lpOpp : lpOpp2;
}

int PickSheetImage(int n, int preferSecond) {
  if (lpDTCon || n < 0 || n + IMG_SECOND_VARIANT >= DD_SYSTEM_IMAGE_COUNT) return n;
  if (!preferSecond) return g_SystemImage[n].lpDDObj ? n : n + IMG_SECOND_VARIANT;
  return g_SystemImage[n + IMG_SECOND_VARIANT].lpDDObj ? n + IMG_SECOND_VARIANT : n;
}

void DrawGraphicIcon(DDSURFACEDATA* surface, int x, int y, int kind, int n, int cell) {
  if (n < 0) return;
  switch (kind) {
    case 0:
      DDBlt(surface, x, y, 16, 16, SystemImageAt(IMG_BLOCK_CHIPS + 1), n / 15 * 32, n % 15 * 32, 32, 32, 1);
      break;
    case 1: {
      const int s = n / 15;
      if (s >= CHARA_SHEETS || cell < 0) {
        DDBlt(surface, x, y, 16, 16, SystemImageAt(IMG_CHARA_SHEET + IMG_SECOND_VARIANT), 0, 0, 32, 32, 1);
        break;
      }
      DDBlt(surface, x, y, 16, 16, SystemImageAt(IMG_CHARA_SHEET + IMG_SECOND_VARIANT + 2 * s),
            ClampToInt(static_cast<long long>(cell) * 32), n % 15 * 32, 32, 32, 1);
      break;
    }
    case 2:
      DDBltFast(surface, x, y, 16, 16, SystemImageAt(IMG_SMALL_ITEMS), n / 15 * 32, n % 15 * 16, 1);
      break;
    case 3:
      DDBlt(surface, x, y, 16, 16, SystemImageAt(IMG_SHOT_LEFT), n / 30 * 64, n % 30 * 32, 32, 32, 1);
      break;
    case 4: {
      const cBmpCharaExc* entry = DedicatedEntry(n);
      if (!entry) break;
      DDSURFACEDATA* sheet = StageSurfaceAt(g_vStageBmpSurface, 4LL * n - 2);
      if (!HasSurface(sheet)) break;
      int sx = 0;
      int sy = 0;
      DedicatedCell(*entry, cell, sx, sy);
      const int size = entry->CellSize();
      DDBlt(surface, x, y, 16, 16, sheet, sx, sy, size, size, 1);
      break;
    }
    default:
      break;
  }
}

void cBlockData::DrawIcon(DDSURFACEDATA* surface, int x, int y) const {
  cGraphicRef ref;
  ref.Set(0, m_byGraphicKind, m_wGraphic, m_wGraphicSub, nullptr, 0);
  if (HasSurface(ref.lpOwn)) DDBltFast(surface, x, y, 32, 32, ref.lpOwn, ref.nSrcX, ref.nSrcY, 1);
  if (m_byShowMark == 1) {
    const int m = m_wMark;
    DDBltFast(surface, x, y, 32, 32, SystemImageAt(IMG_MARK), m / 15 * 32, m % 15 * 32, 1);
  }
}

void SelectEffectSurfaces() {
  const bool stretch = !lpDTCon && g_bVideoStretch;
  g_lpZoomMarkSurface = SystemImageAt(stretch ? IMG_MARK : IMG_MARK + 1);
  g_lpCharaWorkSurface = SystemImageAt(stretch ? IMG_WORK_A : IMG_WORK_B);
  g_lpCharaWorkSurface2 = SystemImageAt(lpDTCon ? IMG_WORK_C : IMG_WORK_B);
}

// Character animations

void cChara::SetAnimeSet(int set, int force) {
  if (!force && set == m_Data.m_wAnimeSet) return;
  if (g_Database.m_vAnimeSet.empty()) return;
  const int use = set >= 0 && set < static_cast<int>(g_Database.m_vAnimeSet.size()) ? set : 0;
  const cAnimeSet& entry = g_Database.m_vAnimeSet.CheckedAt(set);
  m_Data.m_wAnimeSet = static_cast<uint16_t>(use);
  std::vector<std::vector<int>> lists;
  for (const cAnime& anime : entry.m_vAnimation) {
    std::vector<int> steps;
    for (const cAnimeFrame& f : anime.m_vFrame) {
      steps.push_back(f.m_nPattern);
      steps.push_back(ClampToInt(static_cast<long long>(f.m_nTime) * 6));
      steps.push_back(1);
    }
    steps.insert(steps.end(), {ANIM_LOOP, 0, 1});
    lists.push_back(std::move(steps));
  }
  std::vector<const int*> table;
  for (const std::vector<int>& l : lists) table.push_back(l.data());
  table.push_back(nullptr);
  const int current = m_Anime.Anime();
  m_Anime.Build(table.data());
  m_Anime.Set(current >= 0 && current < static_cast<int>(lists.size()) ? current : 0, 1);
}

void cChara::StartCommandAnims() {
  for (cFlowRun& run : m_vFlowRun) {
    if (!run.m_bRunning || run.m_bPaused) continue;
    for (const cAnimSchedule& e : run.m_vAnimSchedule) {
      if (e.m_nStartTick != run.m_nTicks) continue;
      const cSafeVector<AnimStep>& steps = g_vAnimeSteps.CheckedAt(e.m_sAnime);
      std::vector<int> list;
      bool stretched = false;
      for (const AnimStep& s : steps) {
        int wait = s.nWait;
        // A held command keeps the first flagged step shown for the command's time.
        if (!stretched && s.nFlag != 0 && s.nPattern >= 0 && e.m_bHold && e.m_sCmdTime >= 2) {
          wait = ClampToInt(static_cast<long long>(wait) + e.m_sCmdTime - 1);
          stretched = true;
        }
        list.insert(list.end(), {s.nPattern, wait, s.nFlag});
        if (s.nPattern < 0) break;
      }
      if (list.empty() || list[list.size() - 3] >= 0) list.insert(list.end(), {ANIM_END, 0, 0});
      const int* table[] = {list.data(), nullptr};
      cRunningAnime a;
      a.seq.Build(table);
      a.seq.Set(0, 1);
      if (e.m_sSkip != 0) a.seq.AddCount(e.m_sSkip);
      a.bFlowStarted = 1;
      a.nCount = e.m_sLength;
      a.nLoops = e.m_sCmdTime;
      a.nFlowId = run.m_nRunId;
      a.bEnd = 0;
      m_lAnime.push_front(std::move(a));
    }
  }
}

void cChara::StopFlowAnims(int runId) {
  for (auto it = m_lAnime.begin(); it != m_lAnime.end();) {
    if (it->nFlowId != runId) {
      ++it;
    } else if (static_cast<long long>(it->nCount) + it->nLoops <= 0) {
      it = m_lAnime.erase(it);
    } else {
      it->bEnd = 1;
      ++it;
    }
  }
}

void cChara::UnmarkFlowAnims(int runId) {
  for (cRunningAnime& a : m_lAnime)
    if (a.nFlowId == runId) a.bEnd = 0;
}

// Range display

namespace {

constexpr int COND_DISTANCE = 7;
// Extents far beyond the screen draw the same as these and keep the arithmetic in range.
constexpr long long RANGE_EXTENT_LIMIT = 1000000;

bool PaletteCycles() { return DDBpp == 8 && !lpDTCon && g_SystemData.m_bPaletteAnim; }

void DrawCondRanges(cChara& chara, const cSafeVector<cCond>& conds, DDSURFACEDATA* surface) {
  for (const cCond& cond : conds)
    if (cond.m_byKind == COND_DISTANCE) chara.DrawDistanceRange(surface, cond, g_nRangePhase);
}

// The characters of the play scene's layer lists that are alive and on screen, in list order.
template <class F>
void ForEachShownChara(F f) {
  if (!g_lpPlayScene) return;
  for (std::list<cChara*>& list : g_lpPlayScene->m_vDrawList)
    for (cChara* c : list)
      if (c && !c->m_bRemoved && !c->m_bDead && c->IsOnScreen()) f(*c);
}

}  // namespace

void DrawDistanceRanges(DDSURFACEDATA* surface) {
  if (!PaletteCycles() && ++g_nRangePhase > 31) g_nRangePhase = 0;
  DDBeginRectBatch();
  ForEachShownChara([surface](cChara& c) {
    if (c.m_Data.m_bCondOnce && c.m_byAppearLatch) return;
    DrawCondRanges(c, c.m_Data.m_vCond, surface);
  });
  DDFlushRectBatch();
  DDBeginRectBatch();
  ForEachShownChara([surface](cChara& c) {
    for (const cFlow& flow : c.m_Data.m_vFlow) {
      if (flow.m_bCondOnce && c.m_byAppearLatch) continue;
      DrawCondRanges(c, flow.m_vCond, surface);
    }
  });
  DDFlushRectBatch();
}

void cChara::DrawDistanceRange(DDSURFACEDATA* surface, const cCond& cond, int phase) {
  if (cond.m_byLeftType == 0 || (cond.m_byLeftType == 2 && !g_bTestPlay)) return;
  if (cond.m_byRightType == 0 && !m_bActive) return;
  if (cond.m_byRightOwner == 0 && m_Data.m_bTransparent) return;
  const long long raw = static_cast<long long>(cond.m_wRightIndex) + static_cast<long long>(cond.m_nValue) * 16;
  const int e = static_cast<int>(std::clamp(raw, -RANGE_EXTENT_LIMIT, RANGE_EXTENT_LIMIT));
  static const int kColours[8] = {208, 212, 216, 220, 224, 228, 232, 236};
  // The colour choice is a byte of the file: past the eight colours, the last.
  const int colour = kColours[std::min<int>(cond.m_byLeftStatus, 7)] + (PaletteCycles() ? 0 : phase >> 3);
  const DWORD pal = static_cast<DWORD>(colour);
  const bool right = m_nDir == 1;
  int low = 0;
  int high = 0;
  switch (cond.m_byDistMode) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5: {
      // Modes 0..2 on the x axis, 3..5 the same on the y axis: both sides whole, in front
      // (right, or down for y, when facing right), behind.
      const bool vertical = cond.m_byDistMode >= 3;
      const int side = cond.m_byDistMode % 3;
      int lo = e;
      int hi = e;
      if (side == 1) (right ? lo : hi) = 0;
      if (side == 2) (right ? hi : lo) = 0;
      if (vertical) {
        RangeEdges(low, high, m_rcScreen.top, m_nGraphicH, lo, hi, side == 0);
        DDFillRect(surface, 0, low, VIEW_WIDTH, 1, pal);
        DDFillRect(surface, 0, high, VIEW_WIDTH, 1, pal);
      } else {
        RangeEdges(low, high, m_rcScreen.left, m_nGraphicW, lo, hi, side == 0);
        DDFillRect(surface, low, 0, 1, VIEW_HEIGHT, pal);
        DDFillRect(surface, high, 0, 1, VIEW_HEIGHT, pal);
      }
      break;
    }
    case 6: {
      const int cx = CenterX();
      const int cy = CenterY();
      if (lpDTCon || e < 65) {
        DDCircle(surface, cx, cy, e, pal);
        break;
      }
      // DirectDraw: a large circle is stretched from a circle of radius 64 on a scratch square.
      DDSURFACEDATA* work = SystemImageAt(g_bVideoStretch ? IMG_WORK_A : IMG_WORK_B);
      DDFillRect(work, 0, 0, 129, 129, 0);
      DDCircle(work, 64, 64, 64, pal);
      DDBlt(surface, cx - e, cy - e, 2 * e, 2 * e, work, 0, 0, 129, 129, 1);
      break;
    }
    default:
      break;
  }
}
