#include "platform/dialog.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "platform/dialog_state.h"
#include "platform/input.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "platform/sjis.h"
#include "platform/thread.h"
#include "platform/video.h"
#include "platform/window.h"

using namespace dialog_internal;

namespace {

// The texts of controls of handles that are no dialog of this layer, by handle and number.
std::mutex g_storeMutex;
std::map<std::pair<HWND, int>, std::string> g_texts;

std::map<WORD, const DialogTemplate*> g_templates;
std::map<HWND, Dialog*> g_dialogs;
std::map<HWND, Control*> g_controls;
std::vector<Dialog*> g_running;  // innermost last
std::map<std::pair<HWND, std::string>, HANDLE> g_props;
std::function<void(HWND)> g_openHook;
HWND g_focus = nullptr;
POINT g_cursor{0, 0};

thread_local HOOKPROC t_hook = nullptr;
HHOOK const kHookHandle = reinterpret_cast<HHOOK>(static_cast<uintptr_t>(0x4B00C));

// The registry of dialogs and controls is read from any thread (GetDlgItemTextA, IsWindowEnabled)
// and changed on the window thread.
std::mutex g_registryMutex;

Dialog* DialogOf(HWND h) {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  auto it = g_dialogs.find(h);
  return it == g_dialogs.end() ? nullptr : it->second;
}

Control* ControlOf(HWND h) {
  std::lock_guard<std::mutex> lock(g_registryMutex);
  auto it = g_controls.find(h);
  return it == g_controls.end() ? nullptr : it->second;
}

Control* FindItem(Dialog* d, int id) {
  if (!d) return nullptr;
  for (auto& c : d->controls) {
    if (c->id == static_cast<WORD>(id)) return c.get();
  }
  return nullptr;
}

// ---- Edit texts ----

// The start of the character that holds byte position pos (a position between characters
// stays; one inside a two-byte character moves to its start).
int CharStart(const std::string& t, int pos) {
  int i = 0;
  while (i < static_cast<int>(t.size())) {
    const int n = IsSjisLeadByte(static_cast<unsigned char>(t[i])) && i + 1 < static_cast<int>(t.size()) ? 2 : 1;
    if (i + n > pos) return i;
    i += n;
  }
  return static_cast<int>(t.size());
}

int NextChar(const std::string& t, int pos) {
  if (pos >= static_cast<int>(t.size())) return static_cast<int>(t.size());
  const int n = IsSjisLeadByte(static_cast<unsigned char>(t[pos])) && pos + 1 < static_cast<int>(t.size()) ? 2 : 1;
  return pos + n;
}

int PrevChar(const std::string& t, int pos) {
  if (pos <= 0) return 0;
  return CharStart(t, pos - 1);
}

void Notify(Control* c, WORD code) {
  if (!c || !IsWindow(c->dlg)) return;
  SendMessageA(c->dlg, WM_COMMAND, MAKEWPARAM(c->id, code), reinterpret_cast<LPARAM>(c->hwnd));
}

void EditChanged(Control* c) {
  Notify(c, EN_UPDATE);
  Notify(c, EN_CHANGE);
}

void EditReplaceSelection(Control* c, const std::string& text) {
  const int a = std::min(c->selStart, c->selEnd);
  const int b = std::max(c->selStart, c->selEnd);
  c->text.replace(static_cast<size_t>(a), static_cast<size_t>(b - a), text);
  c->selStart = c->selEnd = a + static_cast<int>(text.size());
  EditChanged(c);
}

void ClampSelection(Control* c) {
  const int n = static_cast<int>(c->text.size());
  c->selStart = CharStart(c->text, std::clamp(c->selStart, 0, n));
  c->selEnd = CharStart(c->text, std::clamp(c->selEnd, 0, n));
}

// ---- Focus, groups and clicks ----

bool Focusable(const Control* c) {
  switch (c->kind) {
    case Kind::kButton:
    case Kind::kDefButton:
    case Kind::kCheck:
    case Kind::kRadio:
    case Kind::kEdit:
    case Kind::kList:
      return c->enabled;
    default:
      return false;
  }
}

void UpdateTextInput() {
  Control* c = ControlOf(g_focus);
  const bool want = c && c->kind == Kind::kEdit;
  if (want) {
    // The input method's candidate window opens under the field.
    SDL_Rect r{static_cast<int>(c->rc.left), static_cast<int>(c->rc.top), static_cast<int>(c->rc.right - c->rc.left),
               static_cast<int>(c->rc.bottom - c->rc.top)};
    SDL_SetTextInputRect(&r);
  }
  if (want && !SDL_IsTextInputActive()) SDL_StartTextInput();
  if (!want && SDL_IsTextInputActive()) SDL_StopTextInput();
}

void MoveFocus(Control* to, bool selectAll) {
  Control* from = ControlOf(g_focus);
  if (from == to) return;
  g_focus = to ? to->hwnd : nullptr;
  if (from) {
    from->dialog->dirty = true;
    if (from->kind == Kind::kEdit) Notify(from, EN_KILLFOCUS);
  }
  if (to) {
    to->dialog->dirty = true;
    if (to->kind == Kind::kEdit) {
      if (selectAll) {
        to->selStart = 0;
        to->selEnd = static_cast<int>(to->text.size());
      }
      Notify(to, EN_SETFOCUS);
    }
  }
  UpdateTextInput();
}

bool IsRadio(Kind k) { return k == Kind::kRadio; }
bool IsPushButton(Kind k) { return k == Kind::kButton || k == Kind::kDefButton; }

// The controls of c's group of the kinds keep accepts: from the control with WS_GROUP at or
// before c to the next one.
std::vector<Control*> GroupOf(Control* c, bool (*keep)(Kind) = &IsRadio) {
  Dialog* d = c->dialog;
  size_t at = 0;
  for (size_t i = 0; i < d->controls.size(); ++i) {
    if (d->controls[i].get() == c) at = i;
  }
  size_t first = at;
  while (first > 0 && !(d->controls[first]->style & WS_GROUP)) --first;
  std::vector<Control*> out;
  for (size_t i = first; i < d->controls.size(); ++i) {
    if (i > first && (d->controls[i]->style & WS_GROUP)) break;
    if (keep(d->controls[i]->kind)) out.push_back(d->controls[i].get());
  }
  return out;
}

// The enabled control of the group that an arrow moves to from c, going round; null for none.
Control* ArrowTarget(const std::vector<Control*>& g, Control* c, bool back) {
  const size_t at = static_cast<size_t>(std::find(g.begin(), g.end(), c) - g.begin());
  for (size_t step = 1; step < g.size(); ++step) {
    Control* next = g[back ? (at + g.size() - step) % g.size() : (at + step) % g.size()];
    if (next->enabled) return next;
  }
  return nullptr;
}

void Click(Control* c) {
  if (!c || !c->enabled) return;
  switch (c->kind) {
    case Kind::kCheck:
      c->checked = !c->checked;
      break;
    case Kind::kRadio:
      for (Control* r : GroupOf(c)) r->checked = r == c;
      break;
    case Kind::kButton:
    case Kind::kDefButton:
      break;
    default:
      return;
  }
  c->dialog->dirty = true;
  Notify(c, BN_CLICKED);
}

// The controls Tab moves over, in template order: a radio group is entered at its checked
// button (or its first when none is checked).
std::vector<Control*> TabStops(Dialog* d) {
  std::vector<Control*> out;
  for (auto& p : d->controls) {
    Control* c = p.get();
    if (!(c->style & WS_TABSTOP) || !Focusable(c)) continue;
    if (c->kind == Kind::kRadio) {
      std::vector<Control*> g = GroupOf(c);
      Control* entry = g.front();
      for (Control* r : g) {
        if (r->checked) entry = r;
      }
      if (entry != c) continue;
    }
    out.push_back(c);
  }
  return out;
}

void TabMove(Dialog* d, bool back) {
  std::vector<Control*> stops = TabStops(d);
  if (stops.empty()) return;
  Control* cur = ControlOf(g_focus);
  auto it = std::find(stops.begin(), stops.end(), cur);
  size_t i;
  if (it == stops.end()) {
    i = back ? stops.size() - 1 : 0;
  } else {
    const size_t at = static_cast<size_t>(it - stops.begin());
    i = back ? (at + stops.size() - 1) % stops.size() : (at + 1) % stops.size();
  }
  MoveFocus(stops[i], true);
}

void PressDefault(Dialog* d) {
  Control* cur = ControlOf(g_focus);
  if (cur && cur->dialog == d && (cur->kind == Kind::kButton || cur->kind == Kind::kDefButton)) {
    Click(cur);
    return;
  }
  for (auto& c : d->controls) {
    if (c->kind == Kind::kDefButton && c->enabled) {
      Click(c.get());
      return;
    }
  }
  SendMessageA(d->hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void ListSelect(Control* c, int index, bool notify) {
  if (c->items.empty()) return;
  index = std::clamp(index, 0, static_cast<int>(c->items.size()) - 1);
  if (index == c->cur) return;
  c->cur = index;
  const int rows = ListRows(*c);
  if (c->cur < c->top) c->top = c->cur;
  if (rows > 0 && c->cur >= c->top + rows) c->top = c->cur - rows + 1;
  c->dialog->dirty = true;
  if (notify) Notify(c, LBN_SELCHANGE);
}

// ---- Keys ----

bool HandleEditKey(Control* c, int vk, bool shift, bool ctrl) {
  const int n = static_cast<int>(c->text.size());
  switch (vk) {
    case VK_BACK:
      if (c->selStart == c->selEnd) {
        if (c->selEnd == 0) return true;
        c->selStart = PrevChar(c->text, c->selEnd);
      }
      EditReplaceSelection(c, "");
      return true;
    case VK_DELETE:
      if (c->selStart == c->selEnd) {
        if (c->selEnd >= n) return true;
        c->selEnd = NextChar(c->text, c->selStart);
      }
      EditReplaceSelection(c, "");
      return true;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_HOME:
    case VK_END: {
      int to = vk == VK_LEFT ? PrevChar(c->text, c->selEnd) : vk == VK_RIGHT ? NextChar(c->text, c->selEnd)
               : vk == VK_HOME ? 0 : n;
      if (!shift && c->selStart != c->selEnd && (vk == VK_LEFT || vk == VK_RIGHT)) {
        to = vk == VK_LEFT ? std::min(c->selStart, c->selEnd) : std::max(c->selStart, c->selEnd);
      }
      c->selEnd = to;
      if (!shift) c->selStart = to;
      c->dialog->dirty = true;
      return true;
    }
    case 'V':
      if (ctrl && SDL_HasClipboardText()) {
        char* clip = SDL_GetClipboardText();
        std::string sjis = Utf8ToSjis(clip ? clip : "");
        SDL_free(clip);
        EditReplaceSelection(c, sjis);
        return true;
      }
      return false;
    case 'A':
      if (ctrl) {
        c->selStart = 0;
        c->selEnd = n;
        c->dialog->dirty = true;
        return true;
      }
      return false;
    default:
      return false;
  }
}

bool HandleListKey(Control* c, int vk) {
  const int rows = std::max(1, ListRows(*c));
  switch (vk) {
    case VK_UP:
      ListSelect(c, c->cur < 0 ? 0 : c->cur - 1, true);
      return true;
    case VK_DOWN:
      ListSelect(c, c->cur + 1, true);
      return true;
    case VK_PRIOR:
      ListSelect(c, c->cur - rows, true);
      return true;
    case VK_NEXT:
      ListSelect(c, c->cur + rows, true);
      return true;
    case VK_HOME:
      ListSelect(c, 0, true);
      return true;
    case VK_END:
      ListSelect(c, static_cast<int>(c->items.size()) - 1, true);
      return true;
    default:
      return false;
  }
}

void HandleKeyDown(Dialog* d, int vk) {
  const SDL_Keymod mod = SDL_GetModState();
  const bool shift = (mod & KMOD_SHIFT) != 0;
  const bool ctrl = (mod & KMOD_CTRL) != 0;
  Control* focus = ControlOf(g_focus);
  if (focus && focus->dialog != d) focus = nullptr;
  if (vk == VK_TAB) {
    TabMove(d, shift);
    return;
  }
  if (vk == VK_RETURN) {
    // The input method commits its composition with Enter; the dialog does not see it.
    if (!d->composition.empty()) return;
    PressDefault(d);
    return;
  }
  if (vk == VK_ESCAPE) {
    if (!d->composition.empty()) return;
    SendMessageA(d->hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  if (!focus) return;
  if (focus->kind == Kind::kEdit) {
    if (d->composition.empty()) HandleEditKey(focus, vk, shift, ctrl);
    return;
  }
  if (focus->kind == Kind::kList) {
    HandleListKey(focus, vk);
    return;
  }
  if (vk == VK_SPACE && focus->kind != Kind::kRadio) {
    Click(focus);
    return;
  }
  const bool arrow = vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN;
  const bool back = vk == VK_LEFT || vk == VK_UP;
  if (IsPushButton(focus->kind) && arrow) {
    // The arrows move the focus among the push buttons of the focused one's group.
    if (Control* next = ArrowTarget(GroupOf(focus, &IsPushButton), focus, back)) MoveFocus(next, false);
    return;
  }
  if (focus->kind == Kind::kRadio && arrow) {
    if (Control* next = ArrowTarget(GroupOf(focus), focus, back)) {
      MoveFocus(next, false);
      Click(next);
    }
    return;
  }
  if (vk == VK_SPACE && focus->kind == Kind::kRadio) Click(focus);
}

void HandleKey(Dialog* d, const SDL_KeyboardEvent& e, bool ownEvents) {
  const bool down = e.type == SDL_KEYDOWN;
  const input_internal::WinKey k = input_internal::TranslateKey(e.keysym.scancode, e.keysym.sym);
  bool was = false;
  // Without a main window nobody else keeps the key table.
  if (ownEvents && k.vk) was = input_internal::SetKeyDown(k.vk, down);
  int vk = k.vk;
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) vk = VK_SHIFT;
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) vk = VK_CONTROL;
  if (vk == VK_LMENU || vk == VK_RMENU) vk = VK_MENU;
  if (vk == 0) return;
  uint32_t l = 1u | static_cast<uint32_t>(k.scan & 0xFF) << 16;
  if (k.extended) l |= 1u << 24;
  if (!down || was || e.repeat) l |= 1u << 30;
  if (!down) l |= 1u << 31;
  if (HOOKPROC hook = t_hook) hook(HC_ACTION, static_cast<WPARAM>(vk), static_cast<LPARAM>(static_cast<int32_t>(l)));
  if (down && DialogOf(d->hwnd)) HandleKeyDown(d, vk);
  d->dirty = true;
}

void HandleText(Dialog* d, const char* utf8) {
  d->composition.clear();
  d->dirty = true;
  Control* c = ControlOf(g_focus);
  if (!c || c->dialog != d || c->kind != Kind::kEdit) return;
  // One character at a time: a character without a Shift-JIS form is refused, never stored.
  std::string accepted;
  const std::string s = utf8;
  size_t i = 0;
  while (i < s.size()) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    size_t n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    n = std::min(n, s.size() - i);
    std::string sjis;
    if (Utf8CharToSjis(s.substr(i, n), &sjis)) accepted += sjis;
    i += n;
  }
  if (!accepted.empty()) EditReplaceSelection(c, accepted);
}

Control* ControlAt(Dialog* d, int x, int y) {
  for (auto& c : d->controls) {
    if (c->kind == Kind::kGroup || c->kind == Kind::kStatic || c->kind == Kind::kPicture || c->kind == Kind::kIcon) {
      continue;
    }
    if (x >= c->rc.left && x < c->rc.right && y >= c->rc.top && y < c->rc.bottom) return c.get();
  }
  return nullptr;
}

void HandleMouse(Dialog* d, const SDL_MouseButtonEvent& e) {
  if (e.button != SDL_BUTTON_LEFT) return;
  Control* c = ControlAt(d, e.x, e.y);
  d->dirty = true;
  if (e.type == SDL_MOUSEBUTTONDOWN) {
    d->pressed = c ? c->hwnd : nullptr;
    if (!c || !c->enabled) return;
    MoveFocus(c, false);
    if (c->kind == Kind::kEdit) {
      c->selStart = c->selEnd = static_cast<int>(c->text.size());
    } else if (c->kind == Kind::kList) {
      const int row = c->top + (e.y - c->rc.top - 2) / kListRowHeight;
      if (row >= 0 && row < static_cast<int>(c->items.size())) {
        ListSelect(c, row, true);
        if (e.clicks >= 2) Notify(c, LBN_DBLCLK);
      }
    }
    return;
  }
  const HWND pressed = d->pressed;
  d->pressed = nullptr;
  if (c && c->hwnd == pressed) Click(c);
}

void HandleEvent(Dialog* d, const SDL_Event& e, bool ownEvents) {
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      HandleKey(d, e.key, ownEvents);
      break;
    case SDL_TEXTINPUT:
      HandleText(d, e.text.text);
      break;
    case SDL_TEXTEDITING:
      d->composition = Utf8ToSjis(e.edit.text);
      d->dirty = true;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      HandleMouse(d, e.button);
      break;
    case SDL_MOUSEWHEEL: {
      Control* c = ControlOf(g_focus);
      if (c && c->dialog == d && c->kind == Kind::kList) {
        c->top = std::clamp(c->top - e.wheel.y * 3, 0, std::max(0, static_cast<int>(c->items.size()) - ListRows(*c)));
        d->dirty = true;
      }
      break;
    }
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) PostMessageA(d->hwnd, WM_CLOSE, 0, 0);
      d->dirty = true;
      break;
    case SDL_QUIT:
      PostMessageA(d->hwnd, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

uint32_t EventWindowId(const SDL_Event& e) {
  switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return e.key.windowID;
    case SDL_TEXTINPUT:
      return e.text.windowID;
    case SDL_TEXTEDITING:
      return e.edit.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return e.button.windowID;
    case SDL_MOUSEWHEEL:
      return e.wheel.windowID;
    case SDL_WINDOWEVENT:
      return e.window.windowID;
    default:
      return 0;
  }
}

// An event of the display for the dialogs: the innermost running dialog takes the events of
// its own window; those of other dialogs wait (they are disabled while it runs).
void Route(const SDL_Event& e, bool ownEvents) {
  if (g_running.empty()) return;
  Dialog* top = g_running.back();
  const uint32_t id = EventWindowId(e);
  if (e.type == SDL_QUIT || id == 0 || (top->sdl && SDL_GetWindowID(top->sdl) == id)) HandleEvent(top, e, ownEvents);
}

// ---- Windows of dialogs and controls ----

// The dialog manager's window procedure of every dialog: the dialog procedure, then the
// default handling.
LRESULT DefDialogWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Dialog* d = DialogOf(hWnd);
  if (!d || !d->proc) return 0;
  const LRESULT r = d->proc(hWnd, msg, wParam, lParam);
  if (DialogOf(hWnd)) d->dirty = true;
  // The default dialog procedure turns closing into IDCANCEL.
  if (!r && msg == WM_CLOSE && DialogOf(hWnd)) {
    SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  }
  return r;
}

// Where a dialog's messages go: its subclass procedure when it has one, else the manager's.
LRESULT DialogWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Dialog* d = DialogOf(hWnd);
  if (!d) return 0;
  const WNDPROC proc = d->wndproc ? d->wndproc : &DefDialogWndProc;
  return proc(hWnd, msg, wParam, lParam);
}

LRESULT ControlWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Control* c = ControlOf(hWnd);
  if (!c) return 0;
  c->dialog->dirty = true;
  switch (msg) {
    case BM_GETCHECK:
      return c->checked ? BST_CHECKED : BST_UNCHECKED;
    case BM_SETCHECK:
      c->checked = wParam == BST_CHECKED;
      return 0;
    case EM_GETSEL: {
      if (wParam) *reinterpret_cast<DWORD*>(wParam) = static_cast<DWORD>(c->selStart);
      if (lParam) *reinterpret_cast<DWORD*>(lParam) = static_cast<DWORD>(c->selEnd);
      return static_cast<LRESULT>(static_cast<DWORD>(c->selStart) | static_cast<DWORD>(c->selEnd) << 16);
    }
    case EM_SETSEL: {
      const int n = static_cast<int>(c->text.size());
      const long s = static_cast<long>(static_cast<int32_t>(wParam));
      const long e = static_cast<long>(static_cast<int32_t>(lParam));
      if (s < 0) {
        c->selStart = c->selEnd;
      } else {
        c->selStart = static_cast<int>(std::min<long>(s, n));
        c->selEnd = e < 0 ? n : static_cast<int>(std::min<long>(e, n));
      }
      ClampSelection(c);
      return 0;
    }
    case STM_SETICON: {
      const HICON old = c->icon;
      c->icon = reinterpret_cast<HICON>(wParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_SETTEXT:
      c->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      c->selStart = c->selEnd = 0;
      if (c->kind == Kind::kEdit) EditChanged(c);
      return TRUE;
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(c->text.size());
    case LB_RESETCONTENT:
      c->items.clear();
      c->data.clear();
      c->cur = -1;
      c->top = 0;
      return 0;
    case LB_ADDSTRING:
      c->items.emplace_back(lParam ? reinterpret_cast<const char*>(lParam) : "");
      c->data.push_back(0);
      return static_cast<LRESULT>(c->items.size() - 1);
    case LB_GETCOUNT:
      return static_cast<LRESULT>(c->items.size());
    case LB_GETCURSEL:
      return c->cur;
    case LB_SETCURSEL:
      if (static_cast<int>(wParam) < 0 || wParam >= c->items.size()) {
        c->cur = -1;
        return LB_ERR;
      }
      ListSelect(c, static_cast<int>(wParam), false);
      return c->cur;
    case LB_GETTEXT:
      if (wParam >= c->items.size()) return LB_ERR;
      if (lParam) std::strcpy(reinterpret_cast<char*>(lParam), c->items[wParam].c_str());
      return static_cast<LRESULT>(c->items[wParam].size());
    case LB_GETITEMDATA:
      return wParam < c->data.size() ? c->data[wParam] : LB_ERR;
    case LB_SETITEMDATA:
      if (wParam >= c->data.size()) return LB_ERR;
      c->data[wParam] = lParam;
      return 0;
    default:
      return 0;
  }
}

Kind KindOf(const DialogItemTemplate& t) {
  const std::string cls = t.className ? t.className : "";
  if (cls == "button") {
    switch (t.style & BS_TYPEMASK) {
      case BS_DEFPUSHBUTTON:
        return Kind::kDefButton;
      case BS_AUTOCHECKBOX:
        return Kind::kCheck;
      case BS_AUTORADIOBUTTON:
        return Kind::kRadio;
      case BS_GROUPBOX:
        return Kind::kGroup;
      default:
        return Kind::kButton;
    }
  }
  if (cls == "edit") return Kind::kEdit;
  if (cls == "listbox") return Kind::kList;
  if ((t.style & SS_TYPEMASK) == SS_ICON) return Kind::kIcon;
  return (t.style & SS_TYPEMASK) == SS_BITMAP ? Kind::kPicture : Kind::kStatic;
}

void DestroyDialog(Dialog* d) {
  for (auto& c : d->controls) {
    if (g_focus == c->hwnd) g_focus = nullptr;
    {
      std::lock_guard<std::mutex> lock(g_registryMutex);
      g_controls.erase(c->hwnd);
    }
    for (auto it = g_props.begin(); it != g_props.end();) it = it->first.first == c->hwnd ? g_props.erase(it) : std::next(it);
    DestroyWindowHandle(c->hwnd);
  }
  for (auto it = g_props.begin(); it != g_props.end();) it = it->first.first == d->hwnd ? g_props.erase(it) : std::next(it);
  {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    g_dialogs.erase(d->hwnd);
  }
  DestroyWindowHandle(d->hwnd);
  if (d->sdl) SDL_DestroyWindow(d->sdl);
  d->sdl = nullptr;
}

// Whether the window layer's pump serves this thread (a main window exists): it then reads the
// display's events and hands those of the dialogs over; otherwise the dialog reads them itself.
bool WindowLayerPumps() {
  HWND main = FindWindowA(nullptr, nullptr);
  return main && GetWindowThreadProcessId(main, nullptr) == GetCurrentThreadId();
}

bool IsInputMessage(UINT m) {
  return (m >= WM_KEYDOWN && m <= 0x0109) || (m >= WM_MOUSEMOVE && m <= 0x020E);
}

// A top-level window of the window layer (not a dialog or a control of this one).
bool IsTopLevelWindow(HWND h) { return h && !IsDialogWindow(h) && GetWindowThreadProcessId(h, nullptr) != 0; }

}  // namespace

// ---- Templates and units ----

void RegisterDialogTemplate(WORD id, const DialogTemplate* dialogTemplate) {
  if (dialogTemplate) {
    g_templates[id] = dialogTemplate;
  } else {
    g_templates.erase(id);
  }
}

namespace {

// units × base / divisor, rounded half away from zero.
int ScaleUnits(int units, int base, int divisor) {
  const int n = units * base;
  return (n + (n >= 0 ? divisor / 2 : -(divisor / 2))) / divisor;
}

}  // namespace

int DialogUnitsToPixelsX(int units, int baseX) { return ScaleUnits(units, baseX, 4); }
int DialogUnitsToPixelsY(int units, int baseY) { return ScaleUnits(units, baseY, 8); }

LRESULT DialogBoxParamA(HINSTANCE hInstance, const char* lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam) {
  auto it = g_templates.find(static_cast<WORD>(reinterpret_cast<uintptr_t>(lpTemplateName)));
  if (it == g_templates.end()) return -1;
  return DialogBoxIndirectParamA(hInstance, it->second, hWndParent, lpDialogFunc, dwInitParam);
}

LRESULT DialogBoxIndirectParamA(HINSTANCE, const DialogTemplate* t, HWND hWndParent, DLGPROC lpDialogFunc,
                                LPARAM dwInitParam) {
  if (!t || !lpDialogFunc || !StartVideo()) return -1;
  const bool pumped = WindowLayerPumps();
  // The window layer hands over the events of the dialogs' windows (set again by every dialog:
  // the handler may have been replaced meanwhile).
  SetForeignEventHandler([](const SDL_Event& e) { Route(e, false); });
  auto d = std::make_unique<Dialog>();
  d->proc = lpDialogFunc;
  d->style = t->style;
  d->caption = t->caption ? t->caption : "";
  d->owner = hWndParent;
  const DialogBaseUnits base = MeasureDialogBaseUnits();
  d->w = DialogUnitsToPixelsX(t->cx, base.x);
  d->h = DialogUnitsToPixelsY(t->cy, base.y);
  const bool framed = (t->style & WS_CAPTION) == WS_CAPTION;
  // Centred on the owner (the desktop without one) until the dialog places itself.
  RECT owner{0, 0, 0, 0};
  if (!hWndParent || !GetWindowRect(hWndParent, &owner)) GetWindowRect(GetDesktopWindow(), &owner);
  d->x = (owner.left + owner.right - d->w) / 2;
  d->y = (owner.top + owner.bottom - d->h) / 2;
  Uint32 flags = SDL_WINDOW_HIDDEN;
  if (!framed) flags |= SDL_WINDOW_BORDERLESS;
  d->sdl = SDL_CreateWindow(SjisToUtf8(d->caption).c_str(), d->x, d->y, d->w, d->h, flags);
  if (!d->sdl) return -1;
  // The window's picture is set up before it shows: SDL may make the window again for it.
  SDL_GetWindowSurface(d->sdl);
  d->hwnd = CreateWindowHandle(&DialogWndProc);
  {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    g_dialogs[d->hwnd] = d.get();
  }
  for (int i = 0; i < t->itemCount; ++i) {
    const DialogItemTemplate& it2 = t->items[i];
    auto c = std::make_unique<Control>();
    c->dialog = d.get();
    c->dlg = d->hwnd;
    c->id = it2.id;
    c->kind = KindOf(it2);
    c->style = it2.style;
    c->text = it2.text ? it2.text : "";
    c->enabled = !(it2.style & WS_DISABLED);
    c->rc = RECT{DialogUnitsToPixelsX(it2.x, base.x), DialogUnitsToPixelsY(it2.y, base.y),
                 DialogUnitsToPixelsX(it2.x + it2.cx, base.x), DialogUnitsToPixelsY(it2.y + it2.cy, base.y)};
    c->hwnd = CreateWindowHandle(&ControlWndProc);
    {
      std::lock_guard<std::mutex> lock(g_registryMutex);
      g_controls[c->hwnd] = c.get();
    }
    d->controls.push_back(std::move(c));
  }
  const HWND previousFocus = g_focus;
  const HWND previousActive = GetActiveWindow();
  g_running.push_back(d.get());
  SetActiveWindowHandle(d->hwnd);
  g_focus = nullptr;
  // The owner takes no input while its dialog runs, and the dialog has the keyboard.
  const bool disabledOwner = IsTopLevelWindow(hWndParent) && IsWindowEnabled(hWndParent);
  if (disabledOwner) EnableWindow(hWndParent, FALSE);

  std::vector<Control*> stops = TabStops(d.get());
  const HWND first = stops.empty() ? nullptr : stops.front()->hwnd;
  const LRESULT init = SendMessageA(d->hwnd, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), dwInitParam);
  if (init && !d->ended && !g_focus && first) MoveFocus(ControlOf(first), true);
  UpdateTextInput();
  // Shown once it is laid out, with the keyboard.
  if (!d->ended) {
    PaintDialog(*d);
    SDL_ShowWindow(d->sdl);
    SDL_RaiseWindow(d->sdl);
    SDL_SetWindowInputFocus(d->sdl);
  }
  if (!d->ended && g_openHook) g_openHook(d->hwnd);

  // The thread's messages: those of the owner's input are dropped while the dialog runs.
  auto drain = [&]() {
    bool any = false;
    MSG m;
    while (!d->ended && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      any = true;
      if (m.message == WM_QUIT) {
        // The program is closing: the dialog ends as cancelled and the quit stays for the
        // loop outside.
        PostQuitMessage(static_cast<int>(m.wParam));
        d->ended = true;
        d->result = 0;
        break;
      }
      if (hWndParent && m.hwnd == hWndParent && IsInputMessage(m.message)) continue;
      DispatchMessageA(&m);
    }
    return any;
  };
  while (!d->ended) {
    bool any = drain();
    if (!pumped) {
      // One event at a time, with the messages it caused, as the keys arrive on Windows.
      SDL_Event e;
      while (!d->ended && SDL_PollEvent(&e)) {
        any = true;
        Route(e, true);
        drain();
      }
    }
    if (d->ended) break;
    if (d->dirty) PaintDialog(*d);
    if (!any) SDL_WaitEventTimeout(nullptr, 5);
  }
  // The owner is enabled again before the dialog goes, and then it (or the window that was
  // active before) is the active window with the keyboard focus again.
  if (disabledOwner) EnableWindow(hWndParent, TRUE);
  SendMessageA(d->hwnd, WM_DESTROY, 0, 0);
  const LRESULT result = d->result;
  g_running.pop_back();
  DestroyDialog(d.get());
  g_focus = previousFocus && (ControlOf(previousFocus) || DialogOf(previousFocus)) ? previousFocus : nullptr;
  const HWND back = IsTopLevelWindow(hWndParent) ? hWndParent : previousActive;
  if (IsTopLevelWindow(back)) {
    SetForegroundWindow(back);
  } else if (Dialog* outer = DialogOf(back); outer && outer->sdl) {
    SDL_RaiseWindow(outer->sdl);
    SDL_SetWindowInputFocus(outer->sdl);
  }
  SetActiveWindowHandle(previousActive);
  UpdateTextInput();
  return result;
}

BOOL EndDialog(HWND hDlg, LRESULT nResult) {
  Dialog* d = DialogOf(hDlg);
  if (!d) return FALSE;
  d->ended = true;
  d->result = nResult;
  return TRUE;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
  Control* c = FindItem(DialogOf(hDlg), nIDDlgItem);
  return c ? c->hwnd : nullptr;
}

int GetDlgCtrlID(HWND hWnd) {
  Control* c = ControlOf(hWnd);
  return c ? c->id : 0;
}

UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, char* lpString, int nMaxCount) {
  if (!lpString || nMaxCount <= 0) return 0;
  std::string text;
  if (Dialog* d = DialogOf(hDlg)) {
    Control* c = FindItem(d, nIDDlgItem);
    if (c) text = c->text;
  } else {
    std::lock_guard<std::mutex> lock(g_storeMutex);
    auto it = g_texts.find({hDlg, nIDDlgItem});
    if (it != g_texts.end()) text = it->second;
  }
  int n = static_cast<int>(std::min(text.size(), static_cast<size_t>(nMaxCount - 1)));
  // Never half of a two-byte character.
  if (n < static_cast<int>(text.size())) n = CharStart(text, n);
  std::memcpy(lpString, text.data(), static_cast<size_t>(n));
  lpString[n] = 0;
  return static_cast<UINT>(n);
}

BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, const char* lpString) {
  if (Dialog* d = DialogOf(hDlg)) {
    Control* c = FindItem(d, nIDDlgItem);
    if (!c) return FALSE;
    SendMessageA(c->hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString ? lpString : ""));
    return TRUE;
  }
  std::lock_guard<std::mutex> lock(g_storeMutex);
  g_texts[{hDlg, nIDDlgItem}] = lpString ? lpString : "";
  return TRUE;
}

HWND SetFocus(HWND hWnd) {
  const HWND before = g_focus;
  Control* c = ControlOf(hWnd);
  if (c && c->enabled) MoveFocus(c, false);
  return before;
}

HWND GetFocus() { return g_focus; }

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  Control* c = ControlOf(hWnd);
  if (!c) {
    // A top-level window: WS_DISABLED in its style keeps its input away.
    if (!IsTopLevelWindow(hWnd)) return FALSE;
    const DWORD style = static_cast<DWORD>(GetWindowLongA(hWnd, GWL_STYLE));
    SetWindowLongA(hWnd, GWL_STYLE,
                   static_cast<LONG>(bEnable ? style & ~WS_DISABLED : style | WS_DISABLED) & ~static_cast<LONG>(WS_VISIBLE));
    return (style & WS_DISABLED) ? TRUE : FALSE;
  }
  const BOOL wasDisabled = c->enabled ? FALSE : TRUE;
  c->enabled = bEnable != FALSE;
  if (!c->enabled && g_focus == hWnd) MoveFocus(nullptr, false);
  c->dialog->dirty = true;
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND hWnd) {
  Control* c = ControlOf(hWnd);
  if (c) return c->enabled ? TRUE : FALSE;
  if (IsTopLevelWindow(hWnd)) return (GetWindowLongA(hWnd, GWL_STYLE) & WS_DISABLED) ? FALSE : TRUE;
  return IsWindow(hWnd);
}

BOOL SetCursorPos(int X, int Y) {
  g_cursor = POINT{X, Y};
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_WarpMouseGlobal(X, Y);
  return TRUE;
}

BOOL GetCursorPos(POINT* lpPoint) {
  if (!lpPoint) return FALSE;
  *lpPoint = g_cursor;
  return TRUE;
}

HHOOK SetWindowsHookExA(int idHook, HOOKPROC lpfn, HINSTANCE, DWORD dwThreadId) {
  if (idHook != WH_KEYBOARD || !lpfn || dwThreadId != GetCurrentThreadId() || t_hook) return nullptr;
  t_hook = lpfn;
  return kHookHandle;
}

BOOL UnhookWindowsHookEx(HHOOK hhk) {
  if (hhk != kHookHandle || !t_hook) return FALSE;
  t_hook = nullptr;
  return TRUE;
}

LRESULT CallNextHookEx(HHOOK, int, WPARAM, LPARAM) { return 0; }

HIMC ImmGetContext(HWND hWnd) {
  Dialog* d = DialogOf(hWnd);
  if (!d) {
    if (Control* c = ControlOf(hWnd)) d = c->dialog;
  }
  return reinterpret_cast<HIMC>(d);
}

LONG ImmGetCompositionStringA(HIMC hIMC, DWORD dwIndex, void* lpBuf, DWORD dwBufLen) {
  Dialog* d = reinterpret_cast<Dialog*>(hIMC);
  bool live = false;
  {
    std::lock_guard<std::mutex> lock(g_registryMutex);
    for (auto& [h, p] : g_dialogs) live = live || p == d;
  }
  if (!live || dwIndex != GCS_COMPSTR) return 0;
  const LONG n = static_cast<LONG>(d->composition.size());
  if (lpBuf && dwBufLen > 0) std::memcpy(lpBuf, d->composition.data(), std::min<size_t>(dwBufLen, d->composition.size()));
  return n;
}

BOOL ImmReleaseContext(HWND, HIMC) { return TRUE; }

BOOL SetPropA(HWND hWnd, const char* lpString, HANDLE hData) {
  if (!hWnd || !lpString || !IsWindow(hWnd)) return FALSE;
  g_props[{hWnd, lpString}] = hData;
  return TRUE;
}

HANDLE GetPropA(HWND hWnd, const char* lpString) {
  if (!lpString) return nullptr;
  auto it = g_props.find({hWnd, lpString});
  return it == g_props.end() ? nullptr : it->second;
}

HANDLE RemovePropA(HWND hWnd, const char* lpString) {
  if (!lpString) return nullptr;
  auto it = g_props.find({hWnd, lpString});
  if (it == g_props.end()) return nullptr;
  HANDLE h = it->second;
  g_props.erase(it);
  return h;
}

void SetDialogOpenHook(std::function<void(HWND)> hook) { g_openHook = std::move(hook); }

uint32_t DialogSdlIdForTest(HWND hDlg) {
  Dialog* d = DialogOf(hDlg);
  return d && d->sdl ? SDL_GetWindowID(d->sdl) : 0;
}

BOOL GetDlgItemRectForTest(HWND hDlg, int nIDDlgItem, RECT* rect) {
  Control* c = FindItem(DialogOf(hDlg), nIDDlgItem);
  if (!c || !rect) return FALSE;
  *rect = c->rc;
  return TRUE;
}

bool DialogPixelsForTest(HWND hDlg, int* width, int* height, std::vector<uint32_t>* argb) {
  Dialog* d = DialogOf(hDlg);
  if (!d) return false;
  PaintDialog(*d);
  *width = d->pixels.width;
  *height = d->pixels.height;
  argb->clear();
  for (int y = 0; y < d->pixels.height; ++y) {
    for (int x = 0; x < d->pixels.width; ++x) argb->push_back(d->pixels.Get(x, y));
  }
  return true;
}

bool DialogWindowPixelsForTest(HWND hDlg, int* width, int* height, std::vector<uint32_t>* argb) {
  Dialog* d = DialogOf(hDlg);
  SDL_Surface* window = d && d->sdl ? SDL_GetWindowSurface(d->sdl) : nullptr;
  if (!window) return false;
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(window, SDL_PIXELFORMAT_ARGB8888, 0);
  if (!rgb) return false;
  *width = rgb->w;
  *height = rgb->h;
  argb->clear();
  SDL_LockSurface(rgb);
  for (int y = 0; y < rgb->h; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(rgb->pixels) + y * rgb->pitch);
    for (int x = 0; x < rgb->w; ++x) argb->push_back(row[x] | 0xFF000000u);
  }
  SDL_UnlockSurface(rgb);
  SDL_FreeSurface(rgb);
  return true;
}

bool DialogHasCaptionForTest(HWND hDlg) {
  Dialog* d = DialogOf(hDlg);
  return d && d->sdl && !(SDL_GetWindowFlags(d->sdl) & SDL_WINDOW_BORDERLESS);
}

namespace dialog_internal {

bool IsDialogWindow(HWND hWnd) { return DialogOf(hWnd) || ControlOf(hWnd); }

BOOL SetText(HWND hWnd, const char* text) {
  if (Dialog* d = DialogOf(hWnd)) {
    d->caption = text ? text : "";
    if (d->sdl) SDL_SetWindowTitle(d->sdl, SjisToUtf8(d->caption).c_str());
    d->dirty = true;
    return TRUE;
  }
  if (ControlOf(hWnd)) {
    SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : ""));
    return TRUE;
  }
  return FALSE;
}

BOOL SetPos(HWND hWnd, int x, int y, int cx, int cy, UINT flags) {
  if (Control* c = ControlOf(hWnd)) {
    // A control: in its dialog's client area.
    const LONG w = c->rc.right - c->rc.left, h = c->rc.bottom - c->rc.top;
    if (!(flags & SWP_NOMOVE)) c->rc = RECT{x, y, x + w, y + h};
    if (!(flags & SWP_NOSIZE) && cx >= 0 && cy >= 0) {
      c->rc.right = c->rc.left + cx;
      c->rc.bottom = c->rc.top + cy;
    }
    c->dialog->dirty = true;
    return TRUE;
  }
  Dialog* d = DialogOf(hWnd);
  if (!d) return FALSE;
  if (!(flags & SWP_NOMOVE)) {
    d->x = x;
    d->y = y;
    if (d->sdl) SDL_SetWindowPosition(d->sdl, x, y);
  }
  if (!(flags & SWP_NOSIZE) && cx > 0 && cy > 0) {
    d->w = cx;
    d->h = cy;
    if (d->sdl) SDL_SetWindowSize(d->sdl, cx, cy);
  }
  d->dirty = true;
  return TRUE;
}

BOOL GetRect(HWND hWnd, RECT* rect) {
  if (Dialog* d = DialogOf(hWnd)) {
    *rect = RECT{d->x, d->y, d->x + d->w, d->y + d->h};
    return TRUE;
  }
  if (Control* c = ControlOf(hWnd)) {
    Dialog* d = c->dialog;
    *rect = RECT{d->x + c->rc.left, d->y + c->rc.top, d->x + c->rc.right, d->y + c->rc.bottom};
    return TRUE;
  }
  return FALSE;
}

BOOL GetClient(HWND hWnd, RECT* rect) {
  if (Dialog* d = DialogOf(hWnd)) {
    *rect = RECT{0, 0, d->w, d->h};
    return TRUE;
  }
  if (Control* c = ControlOf(hWnd)) {
    *rect = RECT{0, 0, c->rc.right - c->rc.left, c->rc.bottom - c->rc.top};
    return TRUE;
  }
  return FALSE;
}

bool GetLong(HWND hWnd, int index, LONG* value) {
  Dialog* d = DialogOf(hWnd);
  if (!d) return false;
  switch (index) {
    case GWL_STYLE:
      *value = static_cast<LONG>(d->style);
      return true;
    case GWL_WNDPROC:
      *value = static_cast<LONG>(reinterpret_cast<intptr_t>(d->wndproc ? d->wndproc : &DefDialogWndProc));
      return true;
    default:
      *value = 0;
      return true;
  }
}

bool SetLong(HWND hWnd, int index, LONG value, LONG* old) {
  Dialog* d = DialogOf(hWnd);
  if (!d) return false;
  GetLong(hWnd, index, old);
  switch (index) {
    case GWL_STYLE:
      d->style = static_cast<DWORD>(value);
      d->dirty = true;
      break;
    case GWL_WNDPROC:
      if (value) {
        const WNDPROC proc = reinterpret_cast<WNDPROC>(static_cast<intptr_t>(value));
        d->wndproc = proc == &DefDialogWndProc ? nullptr : proc;
      }
      break;
    default:
      break;
  }
  return true;
}

bool Utf8CharToSjis(const std::string& utf8Char, std::string* sjis) {
  *sjis = Utf8ToSjis(utf8Char);
  if (*sjis == "?" && utf8Char != "?") return false;
  // A control character is no text of a single-line field.
  if (sjis->size() == 1 && static_cast<unsigned char>((*sjis)[0]) < 0x20) return false;
  return !sjis->empty();
}

}  // namespace dialog_internal
