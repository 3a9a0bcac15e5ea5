#include "ui/gdi_canvas.h"

void cGdiCanvas::ReleaseFont() {
  if (!m_hFont) return;
  if (m_Surface[0].hDC && m_hOldFont) SelectObject(m_Surface[0].hDC, m_hOldFont);
  DeleteObject(m_hFont);
  m_hFont = nullptr;
  m_hOldFont = nullptr;
}

void cGdiCanvas::Release() {
  for (Surface& s : m_Surface) {
    if (!s.bCreated) continue;
    if (s.hOldBitmap) SelectObject(s.hDC, s.hOldBitmap);
    if (s.hBitmap) DeleteObject(s.hBitmap);
    DeleteDC(s.hDC);
    s = Surface{};
  }
}

void cGdiCanvas::Destroy() {
  ReleaseFont();
  Release();
  if (m_hObject) DeleteObject(m_hObject);
  m_hObject = nullptr;
}
