#include "support/dialog_driver.h"

#include <SDL.h>

#include <cstring>

DialogDriver::DialogDriver(std::function<void(DialogDriver&, HWND)> script) : script_(std::move(script)) {
  SetDialogOpenHook([this](HWND hDlg) {
    dialog_ = hDlg;
    ++opened_;
    if (script_) script_(*this, hDlg);
  });
}

DialogDriver::~DialogDriver() { SetDialogOpenHook(nullptr); }

void DialogDriver::Key(int scancode) {
  for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = DialogSdlIdForTest(dialog_);
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = static_cast<SDL_Scancode>(scancode);
    e.key.keysym.sym = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(scancode));
    SDL_PushEvent(&e);
  }
}

void DialogDriver::Text(const std::string& utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  e.text.windowID = DialogSdlIdForTest(dialog_);
  std::strncpy(e.text.text, utf8.c_str(), sizeof e.text.text - 1);
  SDL_PushEvent(&e);
}

void DialogDriver::Composing(const std::string& utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTEDITING;
  e.edit.windowID = DialogSdlIdForTest(dialog_);
  std::strncpy(e.edit.text, utf8.c_str(), sizeof e.edit.text - 1);
  SDL_PushEvent(&e);
}

void DialogDriver::Click(int id) {
  RECT r{0, 0, 0, 0};
  GetDlgItemRectForTest(dialog_, id, &r);
  for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
    SDL_Event e{};
    e.type = type;
    e.button.windowID = DialogSdlIdForTest(dialog_);
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.clicks = 1;
    e.button.x = (r.left + r.right) / 2;
    e.button.y = (r.top + r.bottom) / 2;
    SDL_PushEvent(&e);
  }
}

void DialogDriver::Close() {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = DialogSdlIdForTest(dialog_);
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&e);
}
