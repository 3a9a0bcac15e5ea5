#include "draw/font.h"

#include <algorithm>
#include <string>

#include "core/log.h"
#include "core/shell_link.h"
#include "draw/context.h"
#include "draw/device_restore.h"
#include "draw/fill.h"
#include "draw/surface.h"
#include "draw/surface_ops.h"
#include "platform/font_match.h"
#include "platform/message.h"
#include "platform/text_engine.h"

const char g_FontCacheSet[] =
    "０１２３４５６７８９ー～、。．！？「」（）・…※→↑↓←＋－＝○●×ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"
    "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚあいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほ"
    "まみむめもやゆよらりるれろわをんがぎぐげござじずぜぞだぢづでどばびぶべぼぱぴぷぺぽぁぃぅぇぉっゃゅょアイウエオ"
    "カキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲンガギグゲゴザジズゼゾダヂヅデト"
    "バビブベボヴパピプペポァィゥェォッャュョ□■☆★％＆＜＞：";

// The list first: it is destroyed after the fonts, whose release takes them out of it.
std::list<cFont*> g_FontList;
cFont g_Font[FONT_COUNT_MAX];

namespace {

void ReportFontLine(const char* line) { ReportLog("%s", line); }

// The text colour of palette entry nColor: a D3DCOLOR under Direct3D, a COLORREF under
// DirectDraw. At 16 bits the DirectDraw palette holds channel values of the display format,
// which are widened to 8 bits here so that the text keeps its colour.
DWORD FontColor(int nColor) {
  const PALETTEENTRY& e = DDPalette[std::clamp(nColor, 0, 255)];
  if (lpDTCon) return 0xFF000000u | static_cast<DWORD>(e.peRed) << 16 | static_cast<DWORD>(e.peGreen) << 8 | e.peBlue;
  if (DDBpp == 16) {
    const DDPIXELLAYOUT& l = g_PixelLayout;
    auto widen = [](DWORD v, DWORD max) { return max ? std::min<DWORD>(v, max) * 255 / max : v; };
    return RGB(static_cast<BYTE>(widen(e.peRed, l.dwMaxR)), static_cast<BYTE>(widen(e.peGreen, l.dwMaxG)),
               static_cast<BYTE>(widen(e.peBlue, l.dwMaxB)));
  }
  return RGB(e.peRed, e.peGreen, e.peBlue);
}

// A failed device call of a restore: one error-log line, and the restore goes on.
void LogDeviceCall(const char* lpszCall, HRESULT hr) {
  if (FAILED(hr)) ErrorLog("%s hr = %d", lpszCall, static_cast<int>(hr));
}

}  // namespace

cFont::~cFont() { Release(); }

void cFont::Create(const char* lpszFace, int nWidth, int nHeight, int nCellWidth_, int nLineHeight_, int nColor,
                   DDSURFACEDATA* lpBoxSD, int nBoxMargin_, int nBoxColor_, DDSURFACEDATA* lpPictureSD, int nCache) {
  gfx::SetFontReportHook(&ReportFontLine);
  gfx::UseTextEngine();
  g_lpfnDDRestoreFonts = &DDRestoreFonts;
  m_lpszFace = lpszFace;
  m_nWidth = nWidth;
  m_nHeight = nHeight;
  nCellWidth = nCellWidth_;
  nLineHeight = nLineHeight_;
  m_nColor = nColor;
  m_dwColor = FontColor(nColor);
  m_lpBoxSD = lpBoxSD;
  nBoxMargin = nBoxMargin_;
  nBoxColor = nBoxColor_;
  m_lpPictureSD = lpPictureSD;
  m_bPicture = lpPictureSD != nullptr;

  if (lpDTCon) {
    D3DXFONT_DESCA desc{};
    desc.Height = nHeight;
    desc.Width = 0;
    desc.Weight = 400;
    desc.CharSet = static_cast<BYTE>(SHIFTJIS_CHARSET);
    std::snprintf(desc.FaceName, sizeof desc.FaceName, "%s", lpszFace ? lpszFace : "");
    if (lpFont) lpFont->Release();
    lpFont = nullptr;
    // A font that cannot be made draws nothing; its texts are skipped.
    if (FAILED(D3DXCreateFontIndirectA(lpDevice, &desc, &lpFont))) {
      lpFont = nullptr;
      ErrorLog("D3DXCreateFontIndirectA Font Err");
    }
    if (!lpSprite && FAILED(D3DXCreateSprite(lpDevice, &lpSprite))) {
      lpSprite = nullptr;
      ErrorLog("D3DXCreateSprite Font Err");
    }
    if (!m_WorkSD.lpDT && !DDCreateSurface(&m_WorkSD, BackBuffer.nWidth, BackBuffer.nHeight, 1, 0, 0, 0, 0)) {
      ErrorLogAndClose(g_hWnd, "DDCreateSurface Font::Work");
      return;
    }
    m_nIndex = lpDTCon->nFontCount++;
  } else {
    if (m_hFont) DeleteObject(m_hFont);
    m_hFont = CreateFontA(nHeight, nWidth, 0, 0, 400, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, lpszFace ? lpszFace : "");
    if (!m_WorkSD.lpDDObj && !DDCreateSurface(&m_WorkSD, BackBuffer.nWidth, BackBuffer.nHeight, 1, 0, 0, 0, 0)) {
      ErrorLogAndClose(g_hWnd, "DDCreateSurface Font::Work");
      return;
    }
    if (lpDDCon) m_nIndex = lpDDCon->nFontCount++;
  }

  if (std::find(g_FontList.begin(), g_FontList.end(), this) == g_FontList.end()) g_FontList.push_back(this);
  m_nCache = nCache;
  if (!m_nCache) {
    DeleteCaches();
    return;
  }
  if (!nCellWidth || !nLineHeight) {
    ErrorLog("※フォントクラスで文字間が未設定！");
    DeleteCaches();
    m_nCache = 0;
    return;
  }
  DeleteCaches();
  m_lpFastFont_Half = new cBmpFont(0, nCellWidth, nLineHeight, 16, 16);
  if (!SurfaceMade(&m_lpFastFont_Half->m_GlyphSD)) {
    ErrorLogAndClose(g_hWnd, "m_lpFastFont_Half Err");
    DeleteCaches();
    return;
  }
  int columns, rows;
  if (lpDTCon) {
    columns = std::min(1024 / nCellWidth, 32);
    rows = std::min(1024 / nLineHeight, 32);
  } else {
    columns = std::min(BackBuffer.nWidth / nCellWidth, 32);
    rows = std::min(BackBuffer.nHeight / nLineHeight, 30);
  }
  m_lpFastFont_FullAdd = new cBmpFont(1, nCellWidth, nLineHeight, columns, rows);
  if (!SurfaceMade(&m_lpFastFont_FullAdd->m_GlyphSD)) {
    ErrorLogAndClose(g_hWnd, "m_lpFastFont_FullAdd Err");
    DeleteCaches();
    return;
  }
  BuildHalfCache();
  BuildFullCache(0);
}

void cFont::DeleteCaches() {
  delete m_lpFastFont_Half;
  delete m_lpFastFont_FullAdd;
  m_lpFastFont_Half = nullptr;
  m_lpFastFont_FullAdd = nullptr;
}

void cFont::Release() {
  DeleteCaches();
  if (lpFont) lpFont->Release();
  if (lpSprite) lpSprite->Release();
  lpFont = nullptr;
  lpSprite = nullptr;
  if (m_hFont) DeleteObject(m_hFont);
  m_hFont = nullptr;
  DDReleaseSurface(&m_WorkSD);
  g_FontList.remove(this);
}

void cFont::PrintCacheText(cBmpFont* lpCache, const char* szText) {
  DDSURFACEDATA* sheet = &lpCache->m_GlyphSD;
  DDFillRect(sheet, 0, 0, sheet->nWidth, sheet->nHeight, 0);
  const int picture = m_bPicture, cache = m_nCache;
  m_bPicture = 0;
  m_nCache = 0;
  Print(sheet, 0, 0, szText, 0);
  m_bPicture = picture;
  m_nCache = cache;
}

void cFont::BuildHalfCache() {
  cBmpFont* half = m_lpFastFont_Half;
  if (!half) return;
  std::string text;
  for (int r = 0; r < half->m_nRows; ++r) {
    for (int c = 0; r > 0 && r < 16 && c < 16; ++c) text += static_cast<char>(r * 16 + c);
    text += '\n';
  }
  PrintCacheText(half, text.c_str());
}

void cFont::BuildFullCache(int bRebuild) {
  cBmpFont* full = m_lpFastFont_FullAdd;
  if (!full) return;
  if (!bRebuild) {
    for (const char* p = g_FontCacheSet; p[0] && p[1]; p += 2) {
      const char ch[3] = {p[0], p[1], 0};
      if (!full->AddChar(ch)) break;
    }
  }
  std::string text;
  int n = 0;
  for (const BMPFONTCHAR& c : full->m_CharList) {
    if (n >= full->m_nCapacity) break;
    if (n > 0 && n % full->m_nColumns == 0) text += '\n';
    text += c.chars;
    ++n;
  }
  PrintCacheText(full, text.c_str());
}

void cFont::MakeDigitSheet(DDSURFACEDATA* lpSD, cFont* lpFont) {
  if (!lpSD || !lpFont) return;
  DDFillRect(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, 0);
  lpFont->Print(lpSD, 0, 0, "0123456789");
}

void cFont::OnLostDevice() {
  // The reset's log names the font for a failure of either object.
  if (lpFont) LogDeviceCall("lpFont->OnLostDevice", lpFont->OnLostDevice());
  if (lpSprite) LogDeviceCall("lpFont->OnLostDevice", lpSprite->OnLostDevice());
}

void cFont::OnResetDevice() {
  if (lpFont) LogDeviceCall("lpFont->OnResetDevice", lpFont->OnResetDevice());
  if (lpSprite) LogDeviceCall("lpFont->OnResetDevice", lpSprite->OnResetDevice());
}

void cFont::OnRestore() {
  cBmpFont* caches[2] = {m_lpFastFont_Half, m_lpFastFont_FullAdd};
  if (lpDTCon) {
    // A reset leaves its mark on the texture's own record; DDTakeLost moves it onto the sheet.
    // The work surface is cleared before each use and needs no redraw.
    if (DDTakeLost(&m_WorkSD)) m_WorkSD.bLost = 0;
    for (cBmpFont* c : caches) {
      if (!c || !DDTakeLost(&c->m_GlyphSD)) continue;
      if (c == m_lpFastFont_Half) {
        BuildHalfCache();
      } else {
        BuildFullCache(1);
      }
      c->m_GlyphSD.bLost = 0;
    }
    return;
  }
  if (m_WorkSD.lpDDObj && m_WorkSD.lpDDObj->lpSurface && m_WorkSD.lpDDObj->lpSurface->IsLost() != DD_OK) {
    m_WorkSD.lpDDObj->lpSurface->Restore();
  }
  // At 8 bits the glyphs take the palette index nearest the font colour: they are drawn with the
  // palette's own colours, not those of a fade in progress, which is put back afterwards.
  const bool palette = DDBpp == 8 && lpDDPal;
  if (palette) lpDDPal->SetEntries(0, 0, 256, DDPalette);
  for (cBmpFont* c : caches) {
    if (!c || !c->m_GlyphSD.lpDDObj || !c->m_GlyphSD.lpDDObj->lpSurface) continue;
    IDirectDrawSurface7* s = c->m_GlyphSD.lpDDObj->lpSurface;
    if (s->IsLost() != DD_OK) s->Restore();
    if (c == m_lpFastFont_Half) {
      BuildHalfCache();
    } else {
      BuildFullCache(1);
    }
  }
  if (palette) lpDDPal->SetEntries(0, 0, 256, DDPaletteWork);
}

void DDRestoreFonts(int bAfter) {
  for (cFont* f : g_FontList) {
    if (!bAfter) {
      f->OnLostDevice();
      continue;
    }
    f->OnResetDevice();
    f->OnRestore();
  }
}

int CreateFonts(cFont* lpFonts, const FONTDEF* lpDefs, int n) {
  // The image numbers come from the system settings file: one outside the system images
  // gives no picture.
  auto image = [](int number) -> DDSURFACEDATA* {
    return number >= 0 && number < DD_SYSTEM_IMAGE_COUNT ? &g_SystemImage[number] : nullptr;
  };
  for (int i = 0; i < n; ++i) {
    const FONTDEF& d = lpDefs[i];
    lpFonts[i].Create(d.szFace, d.nWidth, d.nHeight, d.nPitchX, d.nPitchY, d.nColour, image(d.nBoxImage),
                      d.nBoxMargin, d.nBoxColour, image(d.nPictImage), d.nCache);
  }
  return 1;
}

int CreateNumberFonts(DDSURFACEDATA* lpSurfaces, const BitmapEntry* lpEntries, int n, cFont* lpFonts) {
  for (int i = 0; i < n; ++i) {
    const BitmapEntry& e = lpEntries[i];
    DDCreateSurface(&lpSurfaces[i], lpFonts[i].nCellWidth * 10, lpFonts[i].nLineHeight, e.nTransmit, e.nDDMemory,
                    static_cast<DWORD>(e.nD3DMemory), e.bNoTexture, 0);
    cFont::MakeDigitSheet(&lpSurfaces[i], &lpFonts[i]);
  }
  return 1;
}
