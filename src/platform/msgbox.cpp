#include "platform/msgbox.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/dialog_state.h"
#include "platform/gdi.h"
#include "platform/message.h"
#include "platform/sjis.h"
#include "platform/video.h"
#include "platform/window.h"

namespace {

std::mutex g_mutex;
MessageBoxHook g_hook;
void (*g_logger)(const char*, const char*) = nullptr;
std::atomic<int> g_headlessAnswer{0};
std::atomic<HWND> g_activeWindow{nullptr};
std::atomic<bool> g_boxesWithoutDisplay{false};

bool DisplayAvailable() { return !RunsWithoutDisplay(); }

int FirstButton(UINT type) {
  const std::vector<MessageBoxButton> buttons = MessageBoxButtons(type);
  const size_t def = std::min<size_t>((type & MB_DEFMASK) >> 8, buttons.size() - 1);
  return buttons[def].id;
}

void Log(const char* text, const char* caption) {
  void (*logger)(const char*, const char*);
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    logger = g_logger;
  }
  if (logger) logger(text ? text : "", caption ? caption : "");
}

int HeadlessAnswer(const char* text, const char* caption, UINT type) {
  Log(text, caption);
  int answer = g_headlessAnswer.load();
  return answer ? answer : FirstButton(type);
}

// Shows the box through SDL; returns 0 when it could not be shown.
int ShowSdlBox(const char* text, const char* caption, UINT type) {
  std::string utf8Text = SjisToUtf8(text ? text : "");
  std::string utf8Caption = SjisToUtf8(caption ? caption : "");
  const std::vector<MessageBoxButton> buttons = MessageBoxButtons(type);
  std::vector<std::string> labels;
  for (const MessageBoxButton& b : buttons) labels.push_back(SjisToUtf8(b.label));
  std::vector<SDL_MessageBoxButtonData> data(buttons.size());
  const int enter = FirstButton(type);
  const int escape = MessageBoxEscapeAnswer(type);
  for (size_t i = 0; i < buttons.size(); ++i) {
    data[i].buttonid = buttons[i].id;
    data[i].text = labels[i].c_str();
    data[i].flags = 0;
    if (buttons[i].id == enter) data[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (buttons[i].id == escape) data[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  }
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  UINT icon = type & MB_ICONMASK;
  if (icon == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
  else if (icon == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
  SDL_MessageBoxData box{};
  box.flags = flags;
  box.title = utf8Caption.c_str();
  box.message = utf8Text.c_str();
  box.numbuttons = static_cast<int>(data.size());
  box.buttons = data.data();
  int pressed = 0;
  if (SDL_ShowMessageBox(&box, &pressed) != 0) return 0;
  // Closing the box without a button gives what closing gives.
  if (pressed < 0) pressed = MessageBoxQuitAnswer(type);
  return pressed;
}

// ---- The box as a dialog of the dialog layer ----

constexpr WORD kTextId = 0xFFFF;
constexpr WORD kIconId = 20;
constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kIconGap = 12;
constexpr int kMaxTextWidth = 480;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 8;
constexpr int kMinWidth = 160;

// One box on its way: what it shows, and its answer.
struct Box {
  std::string text;
  std::string caption;
  UINT type = 0;
  HWND owner = nullptr;
  std::vector<MessageBoxButton> buttons;
  MessageBoxLayout layout;
  int answer = 0;
};

const char* const kBoxProp = "MessageBox";

const char* IconName(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONERROR:
      return IDI_HAND;
    case MB_ICONQUESTION:
      return IDI_QUESTION;
    case MB_ICONWARNING:
      return IDI_EXCLAMATION;
    case MB_ICONINFORMATION:
      return IDI_ASTERISK;
    default:
      return nullptr;
  }
}

// Whether the program shows anything but the box: closing a box over nothing is the request to
// close the program itself.
bool OwnerShows(HWND owner) { return owner && (IsWindowVisible(owner) || dialog_internal::IsDialogWindow(owner)); }

LRESULT BoxProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  Box* box = static_cast<Box*>(GetPropA(hDlg, kBoxProp));
  switch (msg) {
    case WM_INITDIALOG: {
      box = reinterpret_cast<Box*>(lParam);
      SetPropA(hDlg, kBoxProp, box);
      const MessageBoxLayout& l = box->layout;
      // The dialog manager made the window from the template's dialog units: the exact pixels,
      // centred where the template's window was.
      RECT rc{};
      GetWindowRect(hDlg, &rc);
      SetWindowPos(hDlg, nullptr, (rc.left + rc.right - l.width) / 2, (rc.top + rc.bottom - l.height) / 2, l.width,
                   l.height, SWP_NOZORDER);
      SetWindowPos(GetDlgItem(hDlg, kTextId), nullptr, l.text.left, l.text.top, l.text.right - l.text.left,
                   l.text.bottom - l.text.top, SWP_NOZORDER);
      if (const char* icon = IconName(box->type)) {
        SetWindowPos(GetDlgItem(hDlg, kIconId), nullptr, l.icon.left, l.icon.top, kIconSize, kIconSize, SWP_NOZORDER);
        SendMessageA(GetDlgItem(hDlg, kIconId), STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, icon)), 0);
      }
      for (size_t i = 0; i < box->buttons.size(); ++i) {
        const RECT& b = l.buttons[i];
        SetWindowPos(GetDlgItem(hDlg, box->buttons[i].id), nullptr, b.left, b.top, b.right - b.left, b.bottom - b.top,
                     SWP_NOZORDER);
      }
      SetFocus(GetDlgItem(hDlg, FirstButton(box->type)));
      return FALSE;
    }
    case WM_COMMAND: {
      if (!box || HIWORD(wParam) != BN_CLICKED) return FALSE;
      const int id = LOWORD(wParam);
      for (const MessageBoxButton& b : box->buttons) {
        if (b.id == id) {
          EndDialog(hDlg, id);
          return TRUE;
        }
      }
      // Escape: the box's cancel answer where it has one; a Yes/No or Abort/Retry/Ignore box
      // must be answered with a button.
      if (id == IDCANCEL) {
        if (const int answer = MessageBoxEscapeAnswer(box->type)) EndDialog(hDlg, answer);
      }
      return TRUE;
    }
    case WM_CLOSE:
      if (!box) return FALSE;
      EndDialog(hDlg, MessageBoxQuitAnswer(box->type));
      if (!OwnerShows(box->owner)) PostQuitMessage(0);
      return TRUE;
    case WM_DESTROY:
      RemovePropA(hDlg, kBoxProp);
      return TRUE;
    default:
      return FALSE;
  }
}

// Runs the box on the calling thread; its answer, or -1 when no window could be made.
int RunBox(Box& box) {
  box.buttons = MessageBoxButtons(box.type);
  box.layout = LayOutMessageBox(box.text, box.type);
  // The template in dialog units, rounded up; the dialog is brought to the exact pixels when it
  // opens.
  const DialogBaseUnits base = MeasureDialogBaseUnits();
  auto unitsX = [&](int px) { return static_cast<short>((px * 4 + base.x - 1) / base.x); };
  auto unitsY = [&](int px) { return static_cast<short>((px * 8 + base.y - 1) / base.y); };
  auto item = [&](const char* cls, const char* text, DWORD style, WORD id, const RECT& r) {
    return DialogItemTemplate{cls, text, WS_CHILD | WS_VISIBLE | style, id, unitsX(r.left), unitsY(r.top),
                              unitsX(r.right - r.left), unitsY(r.bottom - r.top)};
  };
  std::vector<DialogItemTemplate> items;
  if (IconName(box.type)) items.push_back(item("static", nullptr, SS_ICON, kIconId, box.layout.icon));
  items.push_back(item("static", box.text.c_str(), SS_LEFT, kTextId, box.layout.text));
  const int def = FirstButton(box.type);
  for (size_t i = 0; i < box.buttons.size(); ++i) {
    const DWORD style = (box.buttons[i].id == def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP | (i == 0 ? WS_GROUP : 0);
    items.push_back(item("button", box.buttons[i].label, style, static_cast<WORD>(box.buttons[i].id),
                         box.layout.buttons[i]));
  }
  const DialogTemplate tmpl{WS_POPUP | WS_CAPTION | DS_MODALFRAME, box.caption.c_str(), unitsX(box.layout.width),
                            unitsY(box.layout.height), items.data(), static_cast<int>(items.size())};
  const LRESULT r =
      DialogBoxIndirectParamA(nullptr, &tmpl, box.owner, &BoxProc, reinterpret_cast<LPARAM>(&box));
  if (r < 0) return -1;
  // Ended without a button (the program is closing): what closing gives.
  return r > 0 ? static_cast<int>(r) : MessageBoxQuitAnswer(box.type);
}

}  // namespace

std::vector<MessageBoxButton> MessageBoxButtons(UINT type) {
  static const char* const kOk = "OK";
  static const char* const kCancel = "キャンセル";
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      return {{IDOK, kOk}, {IDCANCEL, kCancel}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, "中止"}, {IDRETRY, "再試行"}, {IDIGNORE, "無視"}};
    case MB_YESNOCANCEL:
      return {{IDYES, "はい"}, {IDNO, "いいえ"}, {IDCANCEL, kCancel}};
    case MB_YESNO:
      return {{IDYES, "はい"}, {IDNO, "いいえ"}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, "再試行"}, {IDCANCEL, kCancel}};
    default:
      return {{IDOK, kOk}};
  }
}

int MessageBoxEscapeAnswer(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
      return IDCANCEL;
    case MB_YESNO:
    case MB_ABORTRETRYIGNORE:
      return 0;
    default:
      return IDOK;
  }
}

int MessageBoxQuitAnswer(UINT type) {
  if (const int escape = MessageBoxEscapeAnswer(type)) return escape;
  return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDABORT;
}

MessageBoxLayout LayOutMessageBox(const std::string& text, UINT type) {
  MessageBoxLayout l;
  gfx::PixelBuffer scratch;
  scratch.Allocate(gfx::PixelFormat::kX8R8G8B8, 1, 1);
  HDC dc = gfx::CreateSurfaceDC(&scratch, nullptr);
  HFONT font = dialog_internal::CreateDialogFont();
  HGDIOBJ old = SelectObject(dc, font);
  auto measure = [dc](const std::string& s) {
    SIZE size{0, 0};
    if (!s.empty()) GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return static_cast<int>(size.cx);
  };
  // The text as wide as its longest line, up to the limit, where longer lines break.
  int natural = 0;
  for (const std::string& line : dialog_internal::WrapText(dc, text, 1 << 20)) natural = std::max(natural, measure(line));
  const int textWidth = std::max(1, std::min(natural, kMaxTextWidth));
  const int lines = static_cast<int>(dialog_internal::WrapText(dc, text, textWidth).size());
  const int textHeight = lines * dialog_internal::kTextLineHeight;
  const std::vector<MessageBoxButton> buttons = MessageBoxButtons(type);
  int buttonWidth = kButtonWidth;
  for (const MessageBoxButton& b : buttons) buttonWidth = std::max(buttonWidth, measure(b.label) + 16);
  SelectObject(dc, old);
  DeleteObject(font);
  gfx::DestroySurfaceDC(dc);

  const bool icon = (type & MB_ICONMASK) != 0 && (type & MB_ICONMASK) <= MB_ICONINFORMATION;
  const int textLeft = kMargin + (icon ? kIconSize + kIconGap : 0);
  const int contentHeight = std::max(icon ? kIconSize : 0, textHeight);
  // A text lower than the icon stands in the middle of its height.
  const int textTop = kMargin + (contentHeight - textHeight) / 2;
  const int count = static_cast<int>(buttons.size());
  const int row = count * buttonWidth + (count - 1) * kButtonGap;
  l.width = std::max({textLeft + textWidth + kMargin, 2 * kMargin + row, kMinWidth});
  l.icon = RECT{kMargin, kMargin, kMargin + kIconSize, kMargin + kIconSize};
  l.text = RECT{textLeft, textTop, textLeft + textWidth, textTop + textHeight};
  const int buttonTop = kMargin + contentHeight + 16;
  const int left = (l.width - row) / 2;
  for (int i = 0; i < count; ++i) {
    const int x = left + i * (buttonWidth + kButtonGap);
    l.buttons.push_back(RECT{x, buttonTop, x + buttonWidth, buttonTop + kButtonHeight});
  }
  l.height = buttonTop + kButtonHeight + kMargin;
  return l;
}

int MessageBoxA(HWND hWnd, const char* lpText, const char* lpCaption, UINT uType) {
  MessageBoxHook hook;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    hook = g_hook;
  }
  if (hook) return hook(lpText ? lpText : "", lpCaption ? lpCaption : "", uType);
  if (!DisplayAvailable() && !g_boxesWithoutDisplay.load()) return HeadlessAnswer(lpText, lpCaption, uType);
  auto box = std::make_shared<Box>();
  box->text = lpText ? lpText : "";
  box->caption = lpCaption ? lpCaption : "";
  box->type = uType;
  box->owner = hWnd;
  // The window thread shows the boxes of every thread: the display belongs to it.
  int answer = 0;
  switch (RunOnWindowThread([box] { box->answer = RunBox(*box); })) {
    case WindowThreadRun::kRan:
      answer = box->answer;
      break;
    case WindowThreadRun::kHere:
      answer = RunBox(*box);
      break;
    case WindowThreadRun::kFailed:
      // The program is closing and its window thread serves no more boxes.
      Log(lpText, lpCaption);
      return MessageBoxQuitAnswer(uType);
  }
  if (answer > 0) return answer;
  // No window could be made: SDL's own box, and failing that standard error.
  if (DisplayAvailable()) {
    if (const int r = ShowSdlBox(lpText, lpCaption, uType)) return r;
  }
  std::fprintf(stderr, "%s: %s\n", SjisToUtf8(box->caption).c_str(), SjisToUtf8(box->text).c_str());
  return HeadlessAnswer(lpText, lpCaption, uType);
}

HWND GetActiveWindow() { return g_activeWindow.load(); }

void SetActiveWindowHandle(HWND hWnd) { g_activeWindow.store(hWnd); }

void SetMessageBoxLogger(void (*logger)(const char*, const char*)) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_logger = logger;
}

void SetHeadlessMessageBoxAnswer(int answer) { g_headlessAnswer.store(answer); }

void SetMessageBoxHook(MessageBoxHook hook) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_hook = std::move(hook);
}

void ShowMessageBoxesWithoutDisplay(bool on) { g_boxesWithoutDisplay.store(on); }
