#include "engine/message_window.h"

#include <iterator>

#include "core/shell_link.h"
#include "core/text.h"
#include "draw/blit.h"
#include "draw/context.h"
#include "draw/device_restore.h"
#include "draw/fill.h"
#include "draw/font.h"
#include "draw/surface.h"
#include "draw/surface_ops.h"
#include "engine/chara.h"
#include "engine/play_scene.h"
#include "platform/gdi.h"
#include "platform/message.h"
#include "project/save_data.h"

cSafeList<DDSURFACEDATA> Off_Msg;
cSafeList<BitmapEntry> Off_MsgEntry;

cMessageSurfaceOwner::~cMessageSurfaceOwner() {
  DDReleaseSurfaceList(Off_Msg);
  Off_Msg.clear();
  Off_MsgEntry.clear();
}

// A 16 × 16 picture of a graphic cell, drawn with the character drawing.
void DrawGraphicIcon(DDSURFACEDATA* surface, int x, int y, int kind, int n, int cell);

namespace {

// The variable numbers an escape may name.
constexpr int VAR_FIRST = 1;
constexpr int VAR_LAST = 1000;

// The message font: the second of the three fonts.
cFont& MessageFont() { return g_Font[1]; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// One escape read from text[start] (the "#"): its end (exclusive, with a closing "." taken
// in) and the value to put in its place, when it names a variable.
struct Escape {
  size_t end = 0;
  bool valid = false;
  std::string value;
};

Escape ReadEscape(const std::string& text, size_t start) {
  int bank = 0;  // 'C', 'S' or 0
  bool common = false;
  bool digits = false;
  int number = 0;
  int width = 0;
  int plus = 0;
  int zero = 0;
  bool format = false;
  size_t i = start + 1;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (!format) {
      if (IsDigit(c)) {
        digits = true;
        // Anything above the last variable is left in the text, however long the number.
        if (number <= VAR_LAST) number = number * 10 + (c - '0');
      } else if (c == 'C' || c == 'c') {
        common = true;
        bank = 'C';
      } else if (c == 'S' || c == 's') {
        if (!common) bank = 'S';
      } else if (c == '_') {
        format = true;
      } else {
        break;
      }
    } else if (IsDigit(c)) {
      width = c - '0';
    } else if (c == 'P' || c == 'p') {
      plus = 1;
    } else if (c == 'Z' || c == 'z') {
      zero = 1;
    } else {
      break;
    }
  }
  if (i < text.size() && text[i] == '.') ++i;
  Escape e;
  e.end = i;
  if (!bank || !digits || number < VAR_FIRST || number > VAR_LAST) return e;
  if (bank == 'S' && !g_lpPlayScene) return e;
  cSafeVector<int32_t>& vars = bank == 'C' ? g_SaveData.m_vCommonVar : g_lpPlayScene->m_vStageVar;
  FormatSignedNumber(e.value, vars.CheckedAt(number), width, zero, plus);
  e.valid = true;
  return e;
}

}  // namespace

void ExpandVarText(std::string& text) {
  size_t i = 0;
  while (i < text.size()) {
    if (IsDbcsPair(text.c_str() + i)) {
      i += 2;
      continue;
    }
    if (text[i] != '#') {
      ++i;
      continue;
    }
    Escape e = ReadEscape(text, i);
    if (!e.valid) {
      // The escape stays; the scan goes on at the character that ended it.
      ++i;
      continue;
    }
    text.replace(i, e.end - i, e.value);
    i += e.value.size();
  }
}

cMessageWindow::cMessageWindow(int kind, const char* text, int icon1, int icon2, int icon3, int placement, int cellX,
                               int cellY, int dotX, int dotY, int keepOnScreen, int fixed, int displayMode,
                               int countdown, int countWhileHeld, int anchorId, int noOpening, int expand, int refresh,
                               int refreshInterval, int boxStyle, int hasId, int id, int /*noSurface*/) {
  Setup(kind, text, icon1, icon2, icon3, placement, cellX, cellY, dotX, dotY, keepOnScreen, fixed, displayMode,
        countdown, countWhileHeld, anchorId, noOpening, expand, refresh, refreshInterval, boxStyle, hasId, id, 0);
}

void cMessageWindow::Setup(int kind, const char* text, int icon1, int icon2, int icon3, int placement, int cellX,
                           int cellY, int dotX, int dotY, int keepOnScreen, int fixed, int displayMode, int countdown,
                           int countWhileHeld, int anchorId, int noOpening, int expand, int refresh,
                           int refreshInterval, int boxStyle, int hasId, int id, int noSurface) {
  m_nWindowKind = kind;
  if (text) {
    m_strText = text;
    m_strSource = text;
  }
  m_nIcon[0] = icon1;
  m_nIcon[1] = icon2;
  m_nIcon[2] = icon3;
  m_nPlacement = placement;
  m_nCellX = cellX;
  m_nCellY = cellY;
  m_nDotX = dotX;
  m_nDotY = dotY;
  m_bKeepOnScreen = keepOnScreen;
  m_bFixed = fixed;
  m_nDisplayMode = displayMode;
  m_nCountdown = countdown;
  m_bCountWhileHeld = countWhileHeld;
  m_nAnchorId = anchorId;
  m_bExpand = expand;
  m_bRefresh = refresh;
  m_nRefreshInterval = refreshInterval;
  m_bBoxStyle = boxStyle;
  m_bHasId = hasId;
  m_nId = id;

  if (m_bExpand) ExpandVarText(m_strText);
  if (kind == MESSAGE_TEXT) {
    MeasureText(m_strText, &m_nWidth, &m_nHeight);
  } else {
    m_nWidth = 16;
    m_nHeight = 16;
  }
  m_bPlaced = 0;
  m_dOpening = 0;
  m_bOpening = displayMode == MESSAGE_UNTIL_KEY && !noOpening ? 1 : 0;

  if (kind != MESSAGE_TEXT) return;
  if (!noSurface) CreateSurface();
  RenderText(m_pSurface);
}

void cMessageWindow::MeasureText(const std::string& text, int* lpWidth, int* lpHeight) {
  cFont& font = MessageFont();
  int w = 0, h = 0;
  if (font.nCellWidth) {
    font.GetTextSize(text.c_str(), &w, &h);
  } else {
    HDC dc = GetDC(g_hWnd);
    font.GetTextExtent(dc, text.c_str(), &w, &h);
    ReleaseDC(g_hWnd, dc);
  }
  *lpWidth = w + 2;
  *lpHeight = h + 2;
}

void cMessageWindow::CreateSurface() { CreateSurfaceAt(static_cast<int>(Off_Msg.size())); }

void cMessageWindow::CreateSurfaceAt(int nSlot) {
  int memory = 0;
  if (!lpDTCon && lpDDCon) {
    // Under DirectDraw the surface goes to system memory when little video memory is left.
    int total = 0, free = 0;
    GetVideoMemoryMB(lpDD, &total, &free);
    if (total > 0 && free * 100 / total < 20) memory = 1;
  }
  if (nSlot < 0) nSlot = 0;
  if (nSlot > static_cast<int>(Off_Msg.size())) nSlot = static_cast<int>(Off_Msg.size());
  const bool ok = DDInsertSurface(Off_Msg, Off_MsgEntry, nSlot, m_nWidth, m_nHeight, 1, memory, 0, 0);
  DDSURFACEDATA* made = &Off_Msg.CheckedListAt(nSlot);
  if (!ok) {
    // The window goes on without a surface, so nothing is ever drawn into a failed one.
    DDRemoveSurface(Off_Msg, Off_MsgEntry, made);
    m_pSurface = nullptr;
    m_pSurfaceEntry = nullptr;
    PostMessageA(g_hWnd, WM_CLOSE, 0, 0);
    return;
  }
  m_pSurface = made;
  m_pSurfaceEntry = nSlot < static_cast<int>(Off_MsgEntry.size()) ? &Off_MsgEntry.CheckedListAt(nSlot) : nullptr;
}

void cMessageWindow::RenderText(DDSURFACEDATA* lpSD) {
  if (!lpSD) return;
  cFont& font = MessageFont();
  // The surface is made transparent first in both styles. A new surface is not: it starts
  // filled with the opaque transparent colour, which the box picture's own transparent
  // pixels would leave in place, so the box would show that colour where the opening box
  // (drawn straight onto the frame) shows the stage. A text rendered again leaves nothing of
  // the old one under the box either.
  DDClearSurface(lpSD, 0);
  if (m_bBoxStyle)
    font.PrintInBox(lpSD, 1, 1, 0, 0, m_strText.c_str(), 0);
  else
    font.Print(lpSD, 1, 1, m_strText.c_str());
}

int cMessageWindow::SurfaceSlot() const {
  int slot = 0;
  for (const DDSURFACEDATA& sd : Off_Msg) {
    if (&sd == m_pSurface) return slot;
    ++slot;
  }
  return -1;
}

void cMessageWindow::ReleaseSurface() {
  if (!m_pSurface) return;
  DDRemoveSurface(Off_Msg, Off_MsgEntry, m_pSurface);
  m_pSurface = nullptr;
  m_pSurfaceEntry = nullptr;
}

int StepDisplayCountdown(int nDisplayMode, int32_t& nCountdown, int bHeld, int bCountWhileHeld) {
  if (nDisplayMode != MESSAGE_TIMED) return 0;
  if (bHeld && !bCountWhileHeld) return 0;
  return --nCountdown < 0 ? 1 : 0;
}

int cMessageWindow::CountDown(int bHeld) {
  return StepDisplayCountdown(m_nDisplayMode, m_nCountdown, bHeld, m_bCountWhileHeld);
}

void cMessageWindow::Refresh() {
  std::string text = m_strSource;
  ExpandVarText(text);
  if (text == m_strText) return;
  m_strText = text;
  int w = 0, h = 0;
  MeasureText(m_strText, &w, &h);
  if (w != m_nWidth || h != m_nHeight) {
    m_nWidth = w;
    m_nHeight = h;
    const int slot = m_pSurface ? SurfaceSlot() : -1;
    ReleaseSurface();
    if (slot >= 0)
      CreateSurfaceAt(slot);
    else
      CreateSurface();
  }
  RenderText(m_pSurface);
}

int cMessageWindow::Locate(int* lpX, int* lpY) {
  const double sx = g_lpPlayScene ? g_lpPlayScene->m_ScrollX.m_dPos : 0;
  const double sy = g_lpPlayScene ? g_lpPlayScene->m_ScrollY.m_dPos : 0;
  const int w = m_nWidth, h = m_nHeight;
  int x = 0, y = 0;
  switch (m_nPlacement) {
    case 1: case 2: case 3: case 4: case 5: case 6: {
      const cChara* anchor = FindObjectById(m_nAnchorId);
      if (!anchor) return 1;
      const int ax = static_cast<int>(anchor->m_dX - sx);
      const int ay = static_cast<int>(anchor->m_dY - sy);
      const int ox = anchor->m_nGraphicX, oy = anchor->m_nGraphicY;
      const int bw = anchor->m_nGraphicW, bh = anchor->m_nGraphicH;
      x = ax + bw / 2 - ox - w / 2 + m_nDotX;
      if (m_nPlacement == 1 || m_nPlacement == 4)
        y = ay - oy - h + m_nDotY;
      else if (m_nPlacement == 2 || m_nPlacement == 5)
        y = ay + bh - oy + 1 + m_nDotY;
      else
        y = ay + bh / 2 - h / 2 - oy + m_nDotY;
      break;
    }
    case 7:
      x = m_nDotX + m_nCellX * CELL_DOTS;
      y = m_nDotY + m_nCellY * CELL_DOTS;
      break;
    case 8:
      x = static_cast<int>((m_nCellX + MAP_MARGIN) * CELL_DOTS + m_nDotX - sx);
      y = static_cast<int>((m_nCellY + MAP_MARGIN) * CELL_DOTS + m_nDotY - sy);
      break;
    default:
      // Placement 0, and any unknown placement: the screen centre.
      x = m_nDotX - w / 2 + VIEW_WIDTH / 2;
      y = m_nDotY - h / 2 + VIEW_HEIGHT / 2;
      break;
  }

  const bool screenPlaced = m_nPlacement == 0 || m_nPlacement == 7 || m_nPlacement < 0 || m_nPlacement > 8;
  if (!screenPlaced && m_bFixed) {
    // It stays where it first appeared on the screen.
    if (!m_bPlaced) {
      m_nSavedX = x;
      m_nSavedY = y;
      m_bPlaced = 1;
    }
    x = m_nSavedX;
    y = m_nSavedY;
  } else if (screenPlaced && !m_bFixed) {
    // It stays at the point of the stage where it first appeared, and scrolls with it.
    if (!m_bPlaced) {
      m_nSavedX = static_cast<int>(x + sx);
      m_nSavedY = static_cast<int>(y + sy);
      m_bPlaced = 1;
    } else {
      x = static_cast<int>(m_nSavedX - sx);
      y = static_cast<int>(m_nSavedY - sy);
    }
  }
  *lpX = x;
  *lpY = y;
  return 0;
}

void cMessageWindow::KeepOnScreen(int* lpX, int* lpY) const {
  if (*lpX < 0)
    *lpX = 0;
  else if (*lpX + m_nWidth > VIEW_WIDTH - 2)
    *lpX = VIEW_WIDTH - m_nWidth;
  if (*lpY <= 19)
    *lpY = 20;
  else if (*lpY + m_nHeight > VIEW_HEIGHT - 2)
    *lpY = VIEW_HEIGHT - m_nHeight;
}

RECT cMessageWindow::OpeningBox(int x, int y, int w, int h, double dOpening) {
  const double s = dOpening * 0.1;
  const int hw = w / 2, hh = h / 2;
  RECT r;
  r.left = static_cast<int>(x + hw - s * hw);
  r.top = static_cast<int>(y + hh - s * hh);
  r.right = r.left + static_cast<int>(s * w);
  r.bottom = r.top + static_cast<int>(s * h);
  return r;
}

void cMessageWindow::Draw(DDSURFACEDATA* lpTarget, int x, int y) {
  // Icons and the extra-life picture rise during their 30-frame countdown.
  const int rise = (30 - m_nCountdown) / 4;
  switch (m_nWindowKind) {
    case MESSAGE_TEXT: {
      if (m_pSurface && DDTakeLost(m_pSurface)) RenderText(m_pSurface);
      if (m_strText.empty()) return;
      if (m_bOpening) {
        m_dOpening += 1;
        if (m_dOpening < 10) {
          if (m_bBoxStyle) {
            const RECT box = OpeningBox(x, y, m_nWidth, m_nHeight, m_dOpening);
            MessageFont().DrawBox(lpTarget, box.left, box.top, box.right - box.left, box.bottom - box.top);
          }
          return;
        }
        m_bOpening = 0;
      }
      if (!m_pSurface) return;
      DDBltFast(lpTarget, x, y, m_pSurface->nWidth, m_pSurface->nHeight, m_pSurface, 0, 0, 1);
      return;
    }
    case MESSAGE_ICON:
      DrawGraphicIcon(lpTarget, x, y - rise, m_nIcon[0], m_nIcon[1], m_nIcon[2]);
      return;
    case MESSAGE_EXTRA_LIFE:
      DDBltFast(lpTarget, x, y - rise, 16, 16, &g_SystemImage[MESSAGE_EXTRA_LIFE_IMAGE], 0, 48, 1);
      return;
    default:
      return;
  }
}

int cMessageWindow::Update(DDSURFACEDATA* lpTarget, int bHeld) {
  if (CountDown(bHeld)) {
    ReleaseSurface();
    return 1;
  }
  if (m_nWindowKind == MESSAGE_TEXT && m_bRefresh && m_nRefreshInterval != 0 && m_bExpand && g_lpPlayScene &&
      g_lpPlayScene->m_nFrame % m_nRefreshInterval == 0) {
    Refresh();
  }
  int x = 0, y = 0;
  if (Locate(&x, &y)) {
    ReleaseSurface();
    return 1;
  }
  if (m_bKeepOnScreen) KeepOnScreen(&x, &y);
  Draw(lpTarget, x, y);
  return 0;
}

void cPauseWait::Set(int nMode, int bWaitKey, int nFrames, int bChained) {
  m_nMode = nMode;
  m_bWaitKey = bWaitKey;
  m_nFrames = nFrames;
  m_nCount = 0;
  m_nKeyDelay = bWaitKey && nMode == 1 && !bChained ? 10 : 0;
}

void SetPauseWait(int nMode, int bWaitKey, int nFrames, int bChained) {
  if (g_lpPlayScene) g_lpPlayScene->m_PauseWait.Set(nMode, bWaitKey, nFrames, bChained);
}

void cPlayScene::RemoveMessage(const cMessageWindow* lpWindow) {
  for (auto it = m_lMessage.begin(); it != m_lMessage.end(); ++it) {
    if (&*it != lpWindow) continue;
    it->ReleaseSurface();
    m_lMessage.erase(it);
    return;
  }
}
