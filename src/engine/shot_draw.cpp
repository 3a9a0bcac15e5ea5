// The drawing of shots and swords.
#include "draw/blit.h"
#include "engine/shot.h"
#include "engine/stage_draw.h"
#include "engine/stage_images.h"
#include "project/sword_type.h"

namespace {

// Shot graphics run down the columns of the shot sheet, 30 to a column; each column group
// holds two animation cells side by side.
constexpr int SHOT_ROWS = 30;
constexpr int SHOT_CELLS_PER_GRAPHIC = 2;
constexpr int SHOT_CELL_DOTS = 16;
// Each sword type owns four images: the left-facing one plain and in system memory, then the
// right-facing one.
constexpr int SWORD_IMAGES_PER_TYPE = 4;
constexpr int SWORD_RIGHT_IMAGE = 2;

}  // namespace

void cShot::Draw(DDSURFACEDATA* lpDst, int bHold) {
  if (m_Shot.m_bHidden) return;
  const bool right = m_nDir == 1;
  DDSURFACEDATA* source = nullptr;
  int sx = 0;
  int sy = 0;
  if (m_bShot) {
    // The sequencer's end marker (negative) is no cell: it shows the first one.
    int pattern = bHold ? m_Anime.Pattern() : m_Anime.Step();
    if (pattern < 0) pattern = 0;
    // A negative graphic number has no cell on the sheet.
    if (m_nGraphic < 0) return;
    source = SystemImageAt(right ? IMAGE_SHOT_MIRROR : IMAGE_SHOT);
    sx = ((m_nGraphic / SHOT_ROWS) * SHOT_CELLS_PER_GRAPHIC + pattern) * SHOT_CELL_DOTS;
    sy = (m_nGraphic % SHOT_ROWS) * SHOT_CELL_DOTS;
  } else {
    const cSafeVector<cSwordTypeSub>* swing = SwingOf(m_Shot.m_byTrajectory);
    if (!swing || m_nFrame < 0 || static_cast<size_t>(m_nFrame) >= swing->size()) return;
    const cSwordTypeSub& frame = (*swing)[static_cast<size_t>(m_nFrame)];
    source = StageSurfaceAt(g_vSwordSurface, static_cast<long long>(m_Shot.m_byTrajectory) * SWORD_IMAGES_PER_TYPE +
                                                 (right ? SWORD_RIGHT_IMAGE : 0));
    sx = frame.m_nSrcX;
    sy = frame.m_nSrcY;
  }
  if (!source) return;
  if (m_Shot.m_byZoom > 1)
    DDBlt(lpDst, m_rcScreen.left, m_rcScreen.top, m_nGraphicW, m_nGraphicH, source, sx, sy, m_nBaseGraphicW,
          m_nBaseGraphicH, 1);
  else
    DDBltFast(lpDst, m_rcScreen.left, m_rcScreen.top, m_nGraphicW, m_nGraphicH, source, sx, sy, 1);
}
