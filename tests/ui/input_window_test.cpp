// The input record over the real devices: keys and a joystick of SDL's dummy drivers reach
// the record through the main window's pump, the key table and the joystick slots.
#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/message.h"
#include "platform/window.h"
#include "ui/input.h"
#include "ui/input_devices.h"
#include "ui/key_config.h"

namespace {

LRESULT Proc(HWND h, UINT msg, WPARAM w, LPARAM l) { return DefWindowProcA(h, msg, w, l); }

class InputWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Proc;
    wc.lpszClassName = "InputTestMain";
    // Classes stay registered for the process: a repeated run finds it there.
    static const ATOM atom = RegisterClassExA(&wc);
    ASSERT_NE(atom, 0);
  }
  void SetUp() override {
    saved_ = g_KeyConfig;
    SetDefaultKeyConfig(&g_KeyConfig);
    hwnd_ = CreateWindowExA(0, "InputTestMain", "input", WS_POPUP | WS_CAPTION, 0, 0, 640, 480, nullptr, nullptr,
                            nullptr, nullptr);
    ASSERT_NE(hwnd_, nullptr);
    ShowWindow(hwnd_, SW_SHOW);
    Pump();
  }
  void TearDown() override {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    g_KeyConfig = saved_;
  }
  // The window thread's turn: the display's events go into the key table and the messages.
  static void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  static void Key(Uint32 type, SDL_Scancode sc, SDL_Keycode sym) {
    SDL_Event e{};
    e.type = type;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }

  HWND hwnd_ = nullptr;
  KEYCONFIG saved_{};
};

TEST_F(InputWindowTest, KeyEventsReachTheRecordOnTheNextPoll) {
  cInput in;
  in.Poll(0, 3, 60);
  EXPECT_EQ(in.m_wDir, 0);
  EXPECT_EQ(in.m_wButton, 0);

  Key(SDL_KEYDOWN, SDL_SCANCODE_LEFT, SDLK_LEFT);
  Key(SDL_KEYDOWN, SDL_SCANCODE_UP, SDLK_UP);
  Key(SDL_KEYDOWN, SDL_SCANCODE_Z, SDLK_z);
  in.Poll(0, 3, 60);
  EXPECT_EQ(in.m_wDir, 0) << "the events are not read before the window thread pumps";
  Pump();
  in.Poll(0, 3, 60);
  EXPECT_EQ(in.m_wDir, INPUT_LEFT | INPUT_UP);
  EXPECT_EQ(in.m_nDirCode, 1);
  EXPECT_EQ(in.m_wButton, 1);

  Key(SDL_KEYUP, SDL_SCANCODE_LEFT, SDLK_LEFT);
  Key(SDL_KEYDOWN, SDL_SCANCODE_F, SDLK_f);
  Pump();
  in.Poll(0, 3, 60);
  EXPECT_EQ(in.m_wDir, INPUT_UP);
  EXPECT_EQ(in.m_wButton, 0x81);

  // The configuration names keys by their Windows codes.
  g_KeyConfig.bUse = 1;
  g_KeyConfig.Entry[4].wCode = VK_SPACE;
  Key(SDL_KEYDOWN, SDL_SCANCODE_SPACE, SDLK_SPACE);
  Pump();
  EXPECT_EQ(in.Poll(0, 3, 60), 0);
  ASSERT_EQ(in.PollKeyConfig(1, 60), 1);
  EXPECT_EQ(in.m_wDir, INPUT_UP);
  EXPECT_EQ(in.m_wButton, 0x81);

  // Losing the focus releases every key.
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  e.window.windowID = WindowSdlIdForTest(hwnd_);
  SDL_PushEvent(&e);
  Pump();
  in.PollKeyConfig(1, 60);
  EXPECT_EQ(in.m_wDir, 0);
  EXPECT_EQ(in.m_wButton, 0);
}

TEST_F(InputWindowTest, AJoystickOfTheDisplayDrivesTheRecord) {
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
  ASSERT_GE(index, 0) << SDL_GetError();
  SDL_Joystick* j = SDL_JoystickOpen(index);
  ASSERT_NE(j, nullptr);
  SDL_JoystickSetVirtualAxis(j, 0, 32767);
  SDL_JoystickSetVirtualAxis(j, 1, -32768);
  SDL_JoystickSetVirtualButton(j, 2, SDL_PRESSED);
  Pump();
  cInput in;
  in.Poll(0, 3, 60);
  EXPECT_EQ(in.m_wDir, INPUT_RIGHT | INPUT_UP);
  EXPECT_EQ(in.m_nDirCode, 3);
  EXPECT_EQ(in.m_wButton, 4);

  // Unplugged: the keyboard decides, and the joystick is not asked for 120 frames.
  SDL_JoystickClose(j);
  SDL_JoystickDetachVirtual(index);
  Pump();
  in.Poll(0, 3, 60);
  EXPECT_EQ(in.m_wDir, 0);
  EXPECT_EQ(in.m_bJoyOk[0], 0);
  EXPECT_EQ(in.m_nJoyWait[0], 120);
}

}  // namespace
