#include "draw/rect_batch.h"

#include <algorithm>
#include <vector>

#include "draw/blit.h"
#include "draw/context.h"
#include "draw/effect_pixels.h"

namespace {

struct DDRECTREC {
  DDSURFACEDATA* lpSD = nullptr;
  int x = 0;
  int y = 0;
  int nWidth = 0;
  int nHeight = 0;
  D3DCOLOR dwColor = 0;
};

struct DDRECTBATCH {
  int bActive = 0;
  std::vector<DDRECTREC> vRects;
  std::vector<DDVERTEX> lpVertices;
};

DDRECTBATCH g_RectBatch;

// The indices of one run are 16-bit: a run holds at most this many rectangles.
constexpr size_t kMaxRunRects = 16384;

// The colour is the vertex colour; with the alpha operation off the vertex alpha passes to the
// blend. The texture is set as the device expects one, and not sampled.
void PrepareRectRun(const void*) {
  SetStageStates(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  lpDevice->SetTexture(0, WorkSD.lpDT ? WorkSD.lpDT->lpTexture : nullptr);
}

// Draws n queued rectangles of one surface; false when the run could not be drawn.
bool DrawRectRun(const DDRECTREC* recs, int n) {
  DDRECTBATCH& rb = g_RectBatch;
  rb.lpVertices.assign(static_cast<size_t>(4 * n), DDVERTEX{});
  for (int k = 0; k < n; ++k) {
    const DDRECTREC& r = recs[k];
    const float l = static_cast<float>(r.x) - 0.5f, t = static_cast<float>(r.y) - 0.5f;
    MakeQuad(&rb.lpVertices[static_cast<size_t>(4 * k)], l, t, l + static_cast<float>(r.nWidth),
             t + static_cast<float>(r.nHeight), r.dwColor, 0.0f, 0.0f, static_cast<float>(r.nWidth),
             static_cast<float>(r.nHeight));
  }
  const bool drawn = DDDrawQuadRun(recs[0].lpSD, rb.lpVertices.data(), n, &PrepareRectRun, nullptr);
  rb.lpVertices.clear();
  return drawn;
}

}  // namespace

void DDBeginRectBatch() {
  if (!lpDTCon) return;
  DDRECTBATCH& rb = g_RectBatch;
  rb.bActive = 1;
  rb.lpVertices.clear();
  rb.vRects.clear();
}

bool DDQueueRect(DDSURFACEDATA* lpSD, int x, int y, int nWidth, int nHeight, D3DCOLOR dwColor) {
  DDRECTBATCH& rb = g_RectBatch;
  if (!lpDTCon || !rb.bActive) return false;
  rb.vRects.push_back(DDRECTREC{lpSD, x, y, nWidth, nHeight, dwColor});
  return true;
}

void DDFlushRectBatch() {
  DDRECTBATCH& rb = g_RectBatch;
  if (lpDTCon && lpDevice && !rb.vRects.empty()) {
    const std::vector<DDRECTREC> queue = std::move(rb.vRects);
    rb.vRects.clear();
    size_t i = 0;
    while (i < queue.size()) {
      size_t j = i + 1;
      while (j < queue.size() && j - i < kMaxRunRects && queue[j].lpSD == queue[i].lpSD) ++j;
      i = DrawRectRun(&queue[i], static_cast<int>(j - i)) ? j : i + 1;
    }
  }
  rb.lpVertices.clear();
  rb.vRects.clear();
  rb.bActive = 0;
}
