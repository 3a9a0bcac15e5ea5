#include "platform/msgbox.h"

#include <SDL.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/sjis.h"

namespace {

std::mutex g_mutex;
MessageBoxHook g_hook;
void (*g_logger)(const char*, const char*) = nullptr;
std::atomic<int> g_headlessAnswer{0};
std::atomic<HWND> g_activeWindow{nullptr};

bool DisplayAvailable() {
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  return !(driver && std::strcmp(driver, "dummy") == 0);
}

int FirstButton(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
      return IDYES;
    default:
      return IDOK;
  }
}

int HeadlessAnswer(const char* text, const char* caption, UINT type) {
  void (*logger)(const char*, const char*);
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    logger = g_logger;
  }
  if (logger) logger(text ? text : "", caption ? caption : "");
  int answer = g_headlessAnswer.load();
  return answer ? answer : FirstButton(type);
}

// Shows the box through SDL; returns 0 when it could not be shown.
int ShowSdlBox(const char* text, const char* caption, UINT type) {
  std::string utf8Text = SjisToUtf8(text ? text : "");
  std::string utf8Caption = SjisToUtf8(caption ? caption : "");
  SDL_MessageBoxButtonData buttons[3];
  int count = 0;
  auto add = [&](int id, const char* label, Uint32 flags) {
    buttons[count].flags = flags;
    buttons[count].buttonid = id;
    buttons[count].text = label;
    ++count;
  };
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      add(IDOK, "OK", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
      add(IDCANCEL, "Cancel", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
      break;
    case MB_YESNO:
      add(IDYES, "Yes", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
      add(IDNO, "No", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
      break;
    case MB_YESNOCANCEL:
      add(IDYES, "Yes", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
      add(IDNO, "No", 0);
      add(IDCANCEL, "Cancel", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
      break;
    default:
      add(IDOK, "OK", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
      break;
  }
  Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
  UINT icon = type & MB_ICONMASK;
  if (icon == MB_ICONERROR) flags = SDL_MESSAGEBOX_ERROR;
  else if (icon == MB_ICONWARNING) flags = SDL_MESSAGEBOX_WARNING;
  SDL_MessageBoxData data{};
  data.flags = flags;
  data.title = utf8Caption.c_str();
  data.message = utf8Text.c_str();
  data.numbuttons = count;
  data.buttons = buttons;
  int pressed = 0;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) return 0;
  // Closing the box without a button counts as its escape answer.
  if (pressed < 0) pressed = count > 1 ? buttons[count - 1].buttonid : IDOK;
  return pressed;
}

}  // namespace

int MessageBoxA(HWND, const char* lpText, const char* lpCaption, UINT uType) {
  MessageBoxHook hook;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    hook = g_hook;
  }
  if (hook) return hook(lpText ? lpText : "", lpCaption ? lpCaption : "", uType);
  if (DisplayAvailable()) {
    int r = ShowSdlBox(lpText, lpCaption, uType);
    if (r) return r;
  }
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
