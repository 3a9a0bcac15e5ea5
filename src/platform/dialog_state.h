// The dialog layer's own records of its dialogs and controls, shared by the dialog manager
// (dialog.cpp) and its drawing (dialog_paint.cpp).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/gdi.h"
#include "platform/pixels.h"
#include "platform/window.h"
#include "platform/wintypes.h"

struct SDL_Window;

namespace dialog_internal {

enum class Kind { kButton, kDefButton, kCheck, kRadio, kGroup, kStatic, kPicture, kIcon, kEdit, kList };

struct Dialog;

struct Control {
  HWND hwnd = nullptr;
  HWND dlg = nullptr;
  Dialog* dialog = nullptr;
  WORD id = 0;
  Kind kind = Kind::kStatic;
  DWORD style = 0;
  RECT rc{0, 0, 0, 0};  // pixels in the dialog's client area
  std::string text;     // Shift-JIS
  bool enabled = true;
  bool checked = false;
  // Edit: the selection as byte positions; selEnd is the caret.
  int selStart = 0;
  int selEnd = 0;
  // List: the rows, their item data, the selected row and the first row shown.
  std::vector<std::string> items;
  std::vector<LPARAM> data;
  int cur = -1;
  int top = 0;
  // Icon: the icon set with STM_SETICON.
  HICON icon = nullptr;
};

struct Dialog {
  HWND hwnd = nullptr;
  HWND owner = nullptr;
  LRESULT (*proc)(HWND, UINT, WPARAM, LPARAM) = nullptr;
  // The window procedure its messages go to when it has been subclassed (GWL_WNDPROC); null:
  // the dialog manager's own, which calls proc.
  WNDPROC wndproc = nullptr;
  DWORD style = 0;
  std::string caption;
  int x = 0, y = 0, w = 0, h = 0;
  SDL_Window* sdl = nullptr;
  std::vector<std::unique_ptr<Control>> controls;
  bool ended = false;
  LRESULT result = 0;
  bool dirty = true;
  std::string composition;  // the input method's text not yet committed, Shift-JIS
  HWND pressed = nullptr;   // the control the left button went down on
  gfx::PixelBuffer pixels;
};

// Height of a list row in pixels, and how many whole rows a list shows.
constexpr int kListRowHeight = 16;
int ListRows(const Control& c);

// The dialogs' font: the templates' 9-point "ＭＳ Ｐゴシック".
HFONT CreateDialogFont();

// The lines of a static text as it shows in a field width pixels wide, measured with the
// DC's font: broken at each LF (a CR before it is dropped) and, within a line, before the
// character that would pass the right edge (as a static control breaks Japanese). Lines are
// kTextLineHeight pixels apart.
constexpr int kTextLineHeight = 13;
std::vector<std::string> WrapText(HDC dc, const std::string& text, int width);

// Draws the dialog into its pixels and shows them in its window.
void PaintDialog(Dialog& d);

}  // namespace dialog_internal
