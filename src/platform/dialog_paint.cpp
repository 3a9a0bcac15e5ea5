// Drawing of the dialogs: a light grey face, sunken fields, raised buttons, and texts through
// the GDI text calls in the templates' 9-point gothic.
#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/dialog_state.h"
#include "platform/gdi.h"
#include "platform/sjis.h"
#include "platform/window.h"

namespace dialog_internal {

namespace {

constexpr uint32_t kFace = 0xFFF0F0F0u;
constexpr uint32_t kShadow = 0xFFA0A0A0u;
constexpr uint32_t kDark = 0xFF404040u;
constexpr uint32_t kLight = 0xFFFFFFFFu;
constexpr uint32_t kWindow = 0xFFFFFFFFu;
constexpr uint32_t kHighlight = 0xFF0078D7u;
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kGrayText = RGB(0x6D, 0x6D, 0x6D);
constexpr COLORREF kHighlightText = RGB(255, 255, 255);
constexpr int kTextHeight = 12;

struct Painter {
  gfx::PixelBuffer& px;
  HDC dc;

  void Fill(int x0, int y0, int x1, int y1, uint32_t c) { px.Fill(x0, y0, x1, y1, c); }
  void Frame(const RECT& r, uint32_t topLeft, uint32_t bottomRight) {
    Fill(r.left, r.top, r.right, r.top + 1, topLeft);
    Fill(r.left, r.top, r.left + 1, r.bottom, topLeft);
    Fill(r.left, r.bottom - 1, r.right, r.bottom, bottomRight);
    Fill(r.right - 1, r.top, r.right, r.bottom, bottomRight);
  }
  int Width(const std::string& s) {
    SIZE size{0, 0};
    if (!s.empty()) GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return size.cx;
  }
  void Text(int x, int y, const std::string& s, COLORREF color) {
    if (s.empty()) return;
    SetTextColor(dc, color);
    TextOutA(dc, x, y, s.c_str(), static_cast<int>(s.size()));
  }
  // A static text in its lines, cut at the bottom edge.
  void Wrapped(const RECT& r, const std::string& s, COLORREF color) {
    int y = r.top;
    for (const std::string& line : WrapText(dc, s, r.right - r.left)) {
      if (y + kTextHeight > r.bottom + 2) break;
      Text(r.left, y, line, color);
      y += kTextLineHeight;
    }
  }
};

void PaintButton(Painter& p, const Control& c, bool focused) {
  RECT r = c.rc;
  p.Fill(r.left, r.top, r.right, r.bottom, kFace);
  if (c.kind == Kind::kDefButton || focused) {
    p.Frame(r, kDark, kDark);
    r = RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
  }
  p.Frame(r, kLight, kDark);
  p.Frame(RECT{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, kFace, kShadow);
  const int w = p.Width(c.text);
  p.Text((c.rc.left + c.rc.right - w) / 2, (c.rc.top + c.rc.bottom - kTextHeight) / 2, c.text,
         c.enabled ? kText : kGrayText);
  if (focused) p.Frame(RECT{c.rc.left + 4, c.rc.top + 4, c.rc.right - 4, c.rc.bottom - 4}, kShadow, kShadow);
}

void PaintMark(Painter& p, const Control& c, bool focused) {
  const int box = 12;
  const int y = (c.rc.top + c.rc.bottom - box) / 2;
  const RECT mark{c.rc.left, y, c.rc.left + box, y + box};
  p.Fill(mark.left, mark.top, mark.right, mark.bottom, kWindow);
  p.Frame(mark, kShadow, kLight);
  if (c.checked) {
    if (c.kind == Kind::kRadio) {
      p.Fill(mark.left + 4, mark.top + 3, mark.right - 4, mark.bottom - 3, kDark);
      p.Fill(mark.left + 3, mark.top + 4, mark.right - 3, mark.bottom - 4, kDark);
    } else {
      for (int i = 0; i < 6; ++i) {
        const int x = mark.left + 3 + i;
        const int yy = i < 2 ? mark.top + 5 + i : mark.top + 7 - (i - 2);
        p.Fill(x, yy, x + 1, yy + 2, kDark);
      }
    }
  }
  const int tx = mark.right + 4;
  p.Text(tx, (c.rc.top + c.rc.bottom - kTextHeight) / 2, c.text, c.enabled ? kText : kGrayText);
  if (focused) {
    const int w = std::max(p.Width(c.text), 8);
    p.Frame(RECT{tx - 1, c.rc.top, std::min<LONG>(tx + w + 1, c.rc.right), c.rc.bottom}, kShadow, kShadow);
  }
}

void PaintGroup(Painter& p, const Control& c) {
  const RECT r{c.rc.left, c.rc.top + kTextHeight / 2, c.rc.right, c.rc.bottom};
  p.Frame(r, kShadow, kShadow);
  p.Frame(RECT{r.left + 1, r.top + 1, r.right + 1, r.bottom + 1}, kLight, kLight);
  const int w = p.Width(c.text);
  if (w > 0) p.Fill(c.rc.left + 6, c.rc.top, c.rc.left + 10 + w, c.rc.top + kTextHeight, kFace);
  p.Text(c.rc.left + 8, c.rc.top, c.text, kText);
}

void PaintEdit(Painter& p, const Control& c, bool focused, const std::string& composition) {
  const RECT& r = c.rc;
  p.Fill(r.left, r.top, r.right, r.bottom, kWindow);
  p.Frame(r, kShadow, kLight);
  const int a = std::min(c.selStart, c.selEnd);
  const int b = std::max(c.selStart, c.selEnd);
  const int x0 = r.left + 3;
  const int y = (r.top + r.bottom - kTextHeight) / 2;
  const std::string before = c.text.substr(0, static_cast<size_t>(a));
  const std::string selected = c.text.substr(static_cast<size_t>(a), static_cast<size_t>(b - a));
  const std::string after = c.text.substr(static_cast<size_t>(b));
  int x = x0;
  p.Text(x, y, before, kText);
  x += p.Width(before);
  if (focused && !selected.empty()) {
    const int w = p.Width(selected);
    p.Fill(x, y, x + w, y + kTextHeight, kHighlight);
    p.Text(x, y, selected, kHighlightText);
    x += w;
  } else {
    p.Text(x, y, selected, kText);
    x += p.Width(selected);
  }
  int caret = c.selEnd == a ? x0 + p.Width(before) : x;
  if (focused && !composition.empty()) {
    // The composition shows at the caret, underlined, until the input method commits it.
    const int w = p.Width(composition);
    p.Text(caret, y, composition, kText);
    p.Fill(caret, y + kTextHeight, caret + w, y + kTextHeight + 1, kDark);
    caret += w;
  }
  p.Text(x + (focused && !composition.empty() ? p.Width(composition) : 0), y, after, kText);
  if (focused) p.Fill(caret, y, caret + 1, y + kTextHeight, kDark);
}

void PaintList(Painter& p, const Control& c, bool focused) {
  const RECT& r = c.rc;
  p.Fill(r.left, r.top, r.right, r.bottom, kWindow);
  p.Frame(r, kShadow, kLight);
  const int rows = ListRows(c);
  for (int i = 0; i < rows && c.top + i < static_cast<int>(c.items.size()); ++i) {
    const int index = c.top + i;
    const int y = r.top + 2 + i * kListRowHeight;
    const bool selected = index == c.cur;
    // Item data with the top bit set marks a row shown but not choosable.
    const bool gray = (static_cast<uint32_t>(c.data[static_cast<size_t>(index)]) & 0x80000000u) != 0;
    if (selected) p.Fill(r.left + 2, y, r.right - 2, y + kListRowHeight, focused ? kHighlight : kShadow);
    p.Text(r.left + 4, y + 2, c.items[static_cast<size_t>(index)],
           gray ? kGrayText : selected ? kHighlightText : kText);
  }
}

// The mark of a system icon in a 32 × 32 cell: a red disc with a white cross (error), a blue
// disc with a white "?" (question) or "i" (information), a yellow triangle with a black "!"
// (warning).
void PaintIcon(Painter& p, const Control& c) {
  const int id = SystemIconId(c.icon);
  if (!id) return;
  const int x0 = c.rc.left, y0 = c.rc.top;
  constexpr int kSize = 32;
  const bool warning = id == 32515;
  const uint32_t fill = id == 32513 ? 0xFFD83B2Bu : warning ? 0xFFF2C811u : 0xFF2D6CC0u;
  for (int y = 0; y < kSize; ++y) {
    // Each row's span: the disc of radius 15.5 about the cell's centre, or the triangle with
    // its apex at the top middle and its base on the bottom row.
    const double cy = y + 0.5 - kSize / 2.0;
    int left = 0, right = 0;
    if (warning) {
      const int half = (y + 2) / 2;
      left = kSize / 2 - half;
      right = kSize / 2 + half;
    } else {
      const double r = 15.5;
      if (cy * cy > r * r) continue;
      const int half = static_cast<int>(std::sqrt(r * r - cy * cy) + 0.5);
      left = kSize / 2 - half;
      right = kSize / 2 + half;
    }
    p.Fill(x0 + left, y0 + y, x0 + right, y0 + y + 1, fill);
  }
  if (id == 32513) {
    // A cross of two strokes three pixels wide.
    for (int i = 0; i < 14; ++i) {
      p.Fill(x0 + 8 + i, y0 + 8 + i, x0 + 11 + i, y0 + 9 + i, kLight);
      p.Fill(x0 + 21 - i, y0 + 8 + i, x0 + 24 - i, y0 + 9 + i, kLight);
    }
    return;
  }
  HFONT font = CreateFontA(-22, 0, 0, 0, 700, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ Ｐゴシック");
  HGDIOBJ old = SelectObject(p.dc, font);
  const std::string mark = id == 32514 ? "?" : warning ? "!" : "i";
  const int w = p.Width(mark);
  p.Text(x0 + (kSize - w) / 2, y0 + (warning ? 8 : 5), mark, warning ? RGB(0, 0, 0) : RGB(255, 255, 255));
  SelectObject(p.dc, old);
  DeleteObject(font);
}

}  // namespace

std::vector<std::string> WrapText(HDC dc, const std::string& text, int width) {
  std::vector<std::string> lines;
  auto measure = [dc](const std::string& s) {
    SIZE size{0, 0};
    if (!s.empty()) GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return static_cast<int>(size.cx);
  };
  size_t at = 0;
  while (at <= text.size()) {
    size_t lf = text.find('\n', at);
    if (lf == std::string::npos) lf = text.size();
    std::string line = text.substr(at, lf - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    // Within the line, as many characters as fit; at least one.
    size_t start = 0;
    do {
      size_t end = start;
      size_t fits = start;
      while (end < line.size()) {
        const size_t n = IsSjisLeadByte(static_cast<unsigned char>(line[end])) && end + 1 < line.size() ? 2 : 1;
        if (measure(line.substr(start, end + n - start)) > width && fits > start) break;
        end += n;
        fits = end;
      }
      lines.push_back(line.substr(start, fits - start));
      start = fits;
    } while (start < line.size());
    if (lf == text.size()) break;
    at = lf + 1;
  }
  // A text that ends with a line break shows no empty last line.
  if (lines.size() > 1 && lines.back().empty() && !text.empty() && text.back() == '\n') lines.pop_back();
  return lines;
}

HFONT CreateDialogFont() {
  return CreateFontA(-kTextHeight, 0, 0, 0, 400, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ Ｐゴシック");
}

int ListRows(const Control& c) { return std::max<int>(0, (c.rc.bottom - c.rc.top - 4) / kListRowHeight); }

void PaintDialog(Dialog& d) {
  d.dirty = false;
  if (d.w <= 0 || d.h <= 0) return;
  if (d.pixels.width != d.w || d.pixels.height != d.h) d.pixels.Allocate(gfx::PixelFormat::kX8R8G8B8, d.w, d.h);
  if (d.pixels.Empty()) return;
  HDC dc = gfx::CreateSurfaceDC(&d.pixels, nullptr);
  HFONT font = CreateDialogFont();
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  Painter p{d.pixels, dc};
  p.Fill(0, 0, d.w, d.h, kFace);
  if ((d.style & WS_CAPTION) != WS_CAPTION) {
    // Without the window manager's frame the dialog draws its own modal frame.
    p.Frame(RECT{0, 0, d.w, d.h}, kFace, kDark);
    p.Frame(RECT{1, 1, d.w - 1, d.h - 1}, kLight, kShadow);
  }
  const HWND focus = GetFocus();
  for (auto& cp : d.controls) {
    const Control& c = *cp;
    const bool focused = c.hwnd == focus;
    switch (c.kind) {
      case Kind::kButton:
      case Kind::kDefButton:
        PaintButton(p, c, focused);
        break;
      case Kind::kCheck:
      case Kind::kRadio:
        PaintMark(p, c, focused);
        break;
      case Kind::kGroup:
        PaintGroup(p, c);
        break;
      case Kind::kStatic:
        p.Wrapped(c.rc, c.text, c.enabled ? kText : kGrayText);
        break;
      case Kind::kEdit:
        PaintEdit(p, c, focused, d.composition);
        break;
      case Kind::kList:
        PaintList(p, c, focused);
        break;
      case Kind::kIcon:
        PaintIcon(p, c);
        break;
      case Kind::kPicture:
        break;
    }
  }
  SelectObject(dc, oldFont);
  DeleteObject(font);
  gfx::DestroySurfaceDC(dc);

  SDL_Surface* window = d.sdl ? SDL_GetWindowSurface(d.sdl) : nullptr;
  if (!window) return;
  // The pixels' top byte is no alpha: text leaves it 0. Read as alpha it would let the window's
  // previous picture show through every letter.
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(d.pixels.bits.data(), d.w, d.h, 32, d.pixels.pitch,
                                                        SDL_PIXELFORMAT_RGB888);
  if (src) {
    SDL_BlitSurface(src, nullptr, window, nullptr);
    SDL_FreeSurface(src);
    SDL_UpdateWindowSurface(d.sdl);
  }
}

}  // namespace dialog_internal

DialogBaseUnits MeasureDialogBaseUnits() {
  DialogBaseUnits base;
  gfx::PixelBuffer scratch;
  if (!scratch.Allocate(gfx::PixelFormat::kX8R8G8B8, 1, 1)) return base;
  HDC dc = gfx::CreateSurfaceDC(&scratch, nullptr);
  HFONT font = dialog_internal::CreateDialogFont();
  HGDIOBJ old = SelectObject(dc, font);
  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE size{0, 0};
  if (GetTextExtentPoint32A(dc, kLetters, 52, &size) && size.cx > 0 && size.cy > 0) {
    base.x = (size.cx / 26 + 1) / 2;
    base.y = size.cy;
  }
  SelectObject(dc, old);
  DeleteObject(font);
  gfx::DestroySurfaceDC(dc);
  return base;
}
