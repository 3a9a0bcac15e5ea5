// The main window over SDL's dummy video driver: creation, placement, the pump that turns
// display events into window messages and the key table, and frames shown in the window.
#include "platform/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "platform/d3d9.h"
#include "platform/dialog.h"
#include "platform/ddraw.h"
#include "platform/display.h"
#include "platform/input.h"
#include "platform/message.h"
#include "platform/msgbox.h"
#include "platform/thread.h"
#include "support/dialog_driver.h"
#include "support/test_thread.h"

namespace {

struct Seen {
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

std::vector<Seen> g_seen;
std::string g_createName;
int g_minTrack = 0;

LRESULT RecordingProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  g_seen.push_back({msg, w, l});
  if (msg == WM_CREATE) g_createName = reinterpret_cast<CREATESTRUCTA*>(l)->lpszName;
  if (msg == WM_GETMINMAXINFO && g_minTrack) {
    auto* mmi = reinterpret_cast<MINMAXINFO*>(l);
    mmi->ptMinTrackSize = POINT{g_minTrack, g_minTrack};
    mmi->ptMaxTrackSize = POINT{640, 480};
  }
  return DefWindowProcA(h, msg, w, l);
}

class WindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    wc.lpfnWndProc = &RecordingProc;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = "TestMain";
    // Classes stay registered for the process: a repeated run finds it there.
    static const ATOM atom = RegisterClassExA(&wc);
    ASSERT_NE(atom, 0);
  }
  void SetUp() override {
    gfx::ResetHeadlessPresenter();
    g_seen.clear();
    g_minTrack = 0;
    DiscardMessages();
    hwnd = CreateWindowExA(0, "testmain", "title", WS_POPUP | WS_CAPTION | WS_SYSMENU, 100, 100, 640, 480, nullptr,
                           nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
  }
  void TearDown() override {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    DiscardMessages();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    input_internal::ReleaseAllKeys();
  }
  // Pumps and dispatches everything waiting.
  void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
  }
  std::vector<Seen> Take(UINT msg) {
    std::vector<Seen> out;
    for (const Seen& s : g_seen) {
      if (s.msg == msg) out.push_back(s);
    }
    return out;
  }
  static void Key(Uint32 type, SDL_Scancode sc, SDL_Keycode sym, Uint8 repeat = 0, Uint32 windowID = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.windowID = windowID;
    e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat;
    e.key.keysym.scancode = sc;
    e.key.keysym.sym = sym;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
  }

  HWND hwnd = nullptr;
};

TEST_F(WindowTest, CreationSendsItsMessagesAndPlacesTheClientArea) {
  EXPECT_EQ(g_createName, "title");
  ASSERT_GE(g_seen.size(), 4u);
  EXPECT_EQ(g_seen[0].msg, WM_GETMINMAXINFO);
  EXPECT_EQ(g_seen[1].msg, WM_CREATE);
  ASSERT_EQ(Take(WM_SIZE).size(), 1u);
  EXPECT_EQ(Take(WM_SIZE)[0].lParam, (480 << 16) | 640);
  EXPECT_EQ(Take(WM_MOVE)[0].lParam, (100 << 16) | 100);
  RECT r{};
  ASSERT_TRUE(GetClientRect(hwnd, &r));
  EXPECT_EQ(r.right, 640);
  EXPECT_EQ(r.bottom, 480);
  ASSERT_TRUE(GetWindowRect(hwnd, &r));
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.bottom, 580);  // the frame is the window manager's: window = client
  POINT p{5, 6};
  ASSERT_TRUE(ClientToScreen(hwnd, &p));
  EXPECT_EQ(p.x, 105);
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 0);
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_FALSE(IsWindowVisible(hwnd));
  EXPECT_EQ(FindWindowA("TESTMAIN", nullptr), hwnd);
  EXPECT_EQ(FindWindowA(nullptr, "other"), nullptr);
  DWORD pid = 0;
  EXPECT_EQ(GetWindowThreadProcessId(hwnd, &pid), GetCurrentThreadId());
  EXPECT_NE(pid, 0u);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
  WNDCLASSEXA again{};
  again.lpfnWndProc = &RecordingProc;
  again.lpszClassName = "TESTMAIN";
  EXPECT_EQ(RegisterClassExA(&again), 0);
}

// The title goes to the display as valid UTF-8 whatever its bytes: one that ends in a lead byte
// alone, as a game's settings may hold it, shows U+FFFD in its place.
TEST_F(WindowTest, TheTitleReachesTheDisplayAsValidUtf8) {
  SDL_Window* sdl = SDL_GetWindowFromID(WindowSdlIdForTest(hwnd));
  ASSERT_NE(sdl, nullptr);
  ASSERT_TRUE(SetWindowTextA(hwnd, "ゲーム\x81"));
  EXPECT_EQ(std::string(SDL_GetWindowTitle(sdl)), reinterpret_cast<const char*>(u8"ゲーム\uFFFD"));
  ASSERT_TRUE(SetWindowTextA(hwnd, "\x80\xA0\xFD\xFE\xFF"));
  EXPECT_EQ(std::string(SDL_GetWindowTitle(sdl)), reinterpret_cast<const char*>(u8"\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"));
}

TEST_F(WindowTest, ShowingActivatesAndMinimisingLeavesTheSizeAtZero) {
  EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWNORMAL));
  EXPECT_TRUE(IsWindowVisible(hwnd));
  ASSERT_EQ(Take(WM_ACTIVATEAPP).size(), 1u);
  EXPECT_EQ(Take(WM_ACTIVATEAPP)[0].wParam, static_cast<WPARAM>(TRUE));
  EXPECT_EQ(GetActiveWindow(), hwnd);
  g_seen.clear();
  EXPECT_TRUE(ShowWindow(hwnd, SW_SHOWMINNOACTIVE));
  EXPECT_TRUE(IsIconic(hwnd));
  ASSERT_EQ(Take(WM_SIZE).size(), 1u);
  EXPECT_EQ(Take(WM_SIZE)[0].wParam, SIZE_MINIMIZED);
  EXPECT_TRUE(Take(WM_ACTIVATEAPP).empty());  // shown minimised without activation
  g_seen.clear();
  ShowWindow(hwnd, SW_RESTORE);
  Pump();
  EXPECT_FALSE(IsIconic(hwnd));
  EXPECT_EQ(Take(WM_SIZE).size(), 1u);
  g_seen.clear();
  ShowWindow(hwnd, SW_MINIMIZE);
  ASSERT_EQ(Take(WM_ACTIVATEAPP).size(), 1u);
  EXPECT_EQ(Take(WM_ACTIVATEAPP)[0].wParam, static_cast<WPARAM>(FALSE));
}

TEST_F(WindowTest, PlacementStylesAndSubclassing) {
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 30, 40, 320, 240, SWP_NOZORDER));
  EXPECT_EQ(Take(WM_MOVE).back().lParam, (40 << 16) | 30);
  EXPECT_EQ(Take(WM_SIZE).back().lParam, (240 << 16) | 320);
  g_seen.clear();
  ASSERT_TRUE(SetWindowPos(hwnd, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  EXPECT_TRUE(g_seen.empty());  // nothing changed
  Pump();
  RECT r{};
  GetClientRect(hwnd, &r);
  EXPECT_EQ(r.right, 320);

  const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
  EXPECT_EQ(static_cast<DWORD>(style) & WS_CAPTION, WS_CAPTION);
  g_minTrack = 100;
  g_seen.clear();
  EXPECT_EQ(SetWindowLongA(hwnd, GWL_STYLE, style | static_cast<LONG>(WS_THICKFRAME)), style);
  EXPECT_EQ(Take(WM_GETMINMAXINFO).size(), 1u);  // a resizable window asks its limits

  static UINT subclassSaw = 0;
  static LONG previous = 0;
  previous = SetWindowLongA(hwnd, GWL_WNDPROC, static_cast<LONG>(reinterpret_cast<intptr_t>(
                                                   +[](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
                                                     subclassSaw = m;
                                                     return CallWindowProcA(reinterpret_cast<WNDPROC>(previous), h, m,
                                                                            w, l);
                                                   })));
  EXPECT_EQ(previous, static_cast<LONG>(reinterpret_cast<intptr_t>(&RecordingProc)));
  g_seen.clear();
  SendMessageA(hwnd, WM_USER + 7, 1, 2);
  EXPECT_EQ(subclassSaw, WM_USER + 7);
  ASSERT_EQ(Take(WM_USER + 7).size(), 1u);
  EXPECT_TRUE(SetWindowTextA(hwnd, "new"));
  EXPECT_EQ(FindWindowA(nullptr, "new"), hwnd);
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_EQ(ShowCursor(TRUE), 0);
}

TEST_F(WindowTest, KeysBecomeWindowMessagesAndTheKeyTable) {
  ShowWindow(hwnd, SW_SHOW);
  g_seen.clear();
  Key(SDL_KEYDOWN, SDL_SCANCODE_LEFT, SDLK_LEFT);
  Key(SDL_KEYDOWN, SDL_SCANCODE_LEFT, SDLK_LEFT, 1);
  Key(SDL_KEYDOWN, SDL_SCANCODE_Q, SDLK_a);  // a layout that has A where Q is
  Key(SDL_KEYDOWN, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
  Pump();
  const std::vector<Seen> downs = Take(WM_KEYDOWN);
  ASSERT_EQ(downs.size(), 4u);
  EXPECT_EQ(downs[0].wParam, static_cast<WPARAM>(VK_LEFT));
  const uint32_t l0 = static_cast<uint32_t>(downs[0].lParam);
  EXPECT_EQ(l0 & 0xFFFF, 1u);                  // repeat count
  EXPECT_EQ((l0 >> 16) & 0xFF, 0x4Bu);         // scan code
  EXPECT_TRUE(l0 & (1u << 24));                // extended key
  EXPECT_FALSE(l0 & (1u << 30));               // was up
  EXPECT_TRUE(static_cast<uint32_t>(downs[1].lParam) & (1u << 30));  // the repeat: was down
  EXPECT_EQ(downs[2].wParam, static_cast<WPARAM>('A'));
  EXPECT_EQ(downs[3].wParam, static_cast<WPARAM>(VK_SHIFT));
  EXPECT_EQ(GetAsyncKeyState(VK_LEFT), static_cast<SHORT>(0x8000));
  EXPECT_NE(GetAsyncKeyState('A'), 0);
  EXPECT_NE(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_NE(GetAsyncKeyState(VK_RSHIFT), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_LSHIFT), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_RIGHT), 0);
  EXPECT_EQ(GetAsyncKeyState(300), 0);

  g_seen.clear();
  Key(SDL_KEYUP, SDL_SCANCODE_LEFT, SDLK_LEFT);
  Key(SDL_KEYUP, SDL_SCANCODE_RSHIFT, SDLK_RSHIFT);
  Pump();
  const std::vector<Seen> ups = Take(WM_KEYUP);
  ASSERT_EQ(ups.size(), 2u);
  EXPECT_EQ(static_cast<uint32_t>(ups[0].lParam) >> 30, 3u);  // was down, going up
  EXPECT_EQ(GetAsyncKeyState(VK_LEFT), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_NE(GetAsyncKeyState('A'), 0);

  // Losing the focus to another program releases every key.
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
  e.window.windowID = WindowSdlIdForTest(hwnd);
  g_seen.clear();
  SDL_PushEvent(&e);
  Pump();
  ASSERT_EQ(Take(WM_ACTIVATEAPP).size(), 1u);
  EXPECT_EQ(Take(WM_ACTIVATEAPP)[0].wParam, static_cast<WPARAM>(FALSE));
  EXPECT_EQ(GetAsyncKeyState('A'), 0);
}

TEST_F(WindowTest, TheKeyTableFollowsKeysInOtherWindowsOfTheProgram) {
  ShowWindow(hwnd, SW_SHOW);
  SDL_Window* dialog = SDL_CreateWindow("dialog", 0, 0, 100, 100, SDL_WINDOW_HIDDEN);
  ASSERT_NE(dialog, nullptr);
  const Uint32 dialogId = SDL_GetWindowID(dialog);
  int foreignEvents = 0;
  SetForeignEventHandler([&](const SDL_Event&) { ++foreignEvents; });
  // Held in the main window, released in a dialog; and the other way round.
  Key(SDL_KEYDOWN, SDL_SCANCODE_Z, SDLK_z);
  Pump();
  EXPECT_NE(GetAsyncKeyState('Z'), 0);
  Key(SDL_KEYUP, SDL_SCANCODE_Z, SDLK_z, 0, dialogId);
  Key(SDL_KEYDOWN, SDL_SCANCODE_X, SDLK_x, 0, dialogId);
  g_seen.clear();
  Pump();
  EXPECT_EQ(GetAsyncKeyState('Z'), 0);
  EXPECT_NE(GetAsyncKeyState('X'), 0);
  EXPECT_EQ(foreignEvents, 2);
  EXPECT_TRUE(Take(WM_KEYDOWN).empty());
  EXPECT_TRUE(Take(WM_KEYUP).empty());
  SetForeignEventHandler(nullptr);
  SDL_DestroyWindow(dialog);
}

TEST_F(WindowTest, TheHankakuKeyIsDownUnderEachOfItsCodes) {
  ShowWindow(hwnd, SW_SHOW);
  Key(SDL_KEYDOWN, SDL_SCANCODE_LANG5, SDLK_UNKNOWN);
  Pump();
  for (int vk : {VK_OEM_AUTO, VK_OEM_ENLW, VK_KANJI}) EXPECT_NE(GetAsyncKeyState(vk), 0) << vk;
  Key(SDL_KEYUP, SDL_SCANCODE_LANG5, SDLK_UNKNOWN);
  Pump();
  for (int vk : {VK_OEM_AUTO, VK_OEM_ENLW, VK_KANJI}) EXPECT_EQ(GetAsyncKeyState(vk), 0) << vk;
}

TEST_F(WindowTest, MouseButtonsAndCloseRequests) {
  ShowWindow(hwnd, SW_SHOW);
  g_seen.clear();
  SDL_Event e{};
  e.type = SDL_MOUSEBUTTONDOWN;
  e.button.button = SDL_BUTTON_RIGHT;
  e.button.x = 12;
  e.button.y = 34;
  SDL_PushEvent(&e);
  e.button.button = SDL_BUTTON_X1;
  SDL_PushEvent(&e);
  Pump();
  ASSERT_EQ(Take(WM_RBUTTONDOWN).size(), 1u);
  EXPECT_EQ(Take(WM_RBUTTONDOWN)[0].lParam, (34 << 16) | 12);
  EXPECT_NE(GetAsyncKeyState(VK_RBUTTON), 0);
  EXPECT_NE(GetAsyncKeyState(VK_XBUTTON1), 0);
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  Pump();
  EXPECT_EQ(Take(WM_CLOSE).size(), 1u);
  EXPECT_FALSE(IsWindow(hwnd));  // the default procedure destroyed it
  EXPECT_EQ(Take(WM_DESTROY).size(), 1u);
}

TEST_F(WindowTest, FramesOfTheDevicesAreShownInTheWindow) {
  ShowWindow(hwnd, SW_SHOW);
  IDirect3D9* d3d = Direct3DCreate9(D3D_SDK_VERSION);
  D3DPRESENT_PARAMETERS pp{};
  pp.Windowed = TRUE;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  IDirect3DDevice9* dev = nullptr;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, hwnd, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &dev), D3D_OK);
  EXPECT_EQ(pp.BackBufferWidth, 640u);  // the client area
  const D3DRECT corner{0, 0, 1, 1};
  dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
  dev->Clear(1, &corner, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0);
  // Presented from another thread, shown by this one's pump.
  {
    TestThread game([&] { EXPECT_EQ(dev->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK); });
  }
  Pump();
  int w = 0, h = 0, count = 0;
  std::vector<uint32_t> argb;
  ASSERT_TRUE(WindowShownFrameForTest(hwnd, &w, &h, &argb, &count));
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(argb[0], 0xFFFFFFFFu);
  EXPECT_EQ(argb[1], 0xFF0000FFu);
  EXPECT_EQ(gfx::HeadlessFrameCount(), 0);
  dev->Release();

  // A full-screen device fills the desktop while it lives.
  pp = D3DPRESENT_PARAMETERS{};
  pp.BackBufferWidth = 640;
  pp.BackBufferHeight = 480;
  pp.BackBufferFormat = D3DFMT_R5G6B5;
  ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, hwnd, 0, &pp, &dev), D3D_OK);
  EXPECT_TRUE(WindowFullscreenForTest(hwnd));
  Pump();
  RECT r{};
  GetClientRect(hwnd, &r);
  EXPECT_EQ(r.right, GetSystemMetrics(SM_CXSCREEN));
  dev->Release();
  EXPECT_FALSE(WindowFullscreenForTest(hwnd));
  d3d->Release();
}

TEST_F(WindowTest, EightBitFramesAreConvertedThroughThePaletteByTheWindowThread) {
  IDirectDraw7* dd = nullptr;
  ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
  ASSERT_EQ(dd->SetCooperativeLevel(hwnd, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
  ASSERT_EQ(dd->SetDisplayMode(640, 480, 8, 60, 0), DD_OK);
  DDSURFACEDESC2 d{};
  d.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  d.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  d.dwBackBufferCount = 1;
  IDirectDrawSurface7* primary = nullptr;
  ASSERT_EQ(dd->CreateSurface(&d, &primary, nullptr), DD_OK);
  PALETTEENTRY entries[256] = {};
  entries[7] = {0x12, 0x34, 0x56, 0};
  IDirectDrawPalette* pal = nullptr;
  dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &pal, nullptr);
  primary->SetPalette(pal);
  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  IDirectDrawSurface7* back = nullptr;
  primary->GetAttachedSurface(&caps, &back);
  DDBLTFX fx{100, 7};
  back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
  Pump();
  int w = 0, h = 0, count = 0;
  std::vector<uint32_t> argb;
  ASSERT_TRUE(WindowShownFrameForTest(hwnd, &w, &h, &argb, &count));
  EXPECT_EQ(argb[12345], 0xFF123456u);
  EXPECT_TRUE(WindowFullscreenForTest(hwnd));
  back->Release();
  pal->Release();
  primary->Release();
  EXPECT_EQ(dd->Release(), 0u);
  EXPECT_FALSE(WindowFullscreenForTest(hwnd));
}

TEST_F(WindowTest, WaitingForMessagesAlsoWaitsForTheDisplay) {
  ShowWindow(hwnd, SW_SHOW);
  g_seen.clear();
  DiscardMessages();
  Key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
  // Only the pump inside WaitMessage can find the key: the queue is empty until then.
  ASSERT_TRUE(WaitMessage());
  MSG m{};
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, WM_KEYDOWN);
  EXPECT_EQ(m.wParam, static_cast<WPARAM>(VK_ESCAPE));
  EXPECT_EQ(m.hwnd, hwnd);
}

TEST(KeyTranslation, WindowsCodesOfTheKeys) {
  struct Row {
    SDL_Scancode sc;
    SDL_Keycode sym;
    int vk;
    int scan;
    bool extended;
  };
  const Row rows[] = {
      {SDL_SCANCODE_F1, SDLK_F1, VK_F1, 0x3B, false},
      {SDL_SCANCODE_F12, SDLK_F12, VK_F1 + 11, 0x58, false},
      {SDL_SCANCODE_F24, SDLK_F24, 0x87, 0x6F, false},
      {SDL_SCANCODE_7, SDLK_7, '7', 0x08, false},
      {SDL_SCANCODE_RETURN, SDLK_RETURN, VK_RETURN, 0x1C, false},
      {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, VK_RETURN, 0x1C, true},
      {SDL_SCANCODE_KP_5, SDLK_KP_5, VK_NUMPAD0 + 5, 0x4C, false},
      {SDL_SCANCODE_KP_DIVIDE, SDLK_KP_DIVIDE, VK_DIVIDE, 0x35, true},
      {SDL_SCANCODE_PAGEDOWN, SDLK_PAGEDOWN, VK_NEXT, 0x51, true},
      {SDL_SCANCODE_SEMICOLON, SDLK_SEMICOLON, VK_OEM_1, 0x27, false},
      {SDL_SCANCODE_INTERNATIONAL1, SDLK_UNKNOWN, VK_OEM_102, 0x73, false},
      {SDL_SCANCODE_INTERNATIONAL4, SDLK_UNKNOWN, VK_CONVERT, 0x79, false},
      {SDL_SCANCODE_INTERNATIONAL5, SDLK_UNKNOWN, VK_NONCONVERT, 0x7B, false},
      {SDL_SCANCODE_LANG5, SDLK_UNKNOWN, VK_OEM_AUTO, 0x29, false},
      {SDL_SCANCODE_RALT, SDLK_RALT, VK_RMENU, 0x38, true},
      {SDL_SCANCODE_Z, SDLK_w, 'W', 0x2C, false},  // the letter follows the layout, the scan code the place
      {SDL_SCANCODE_MUTE, SDLK_MUTE, 0, 0, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.sc);
    const input_internal::WinKey k = input_internal::TranslateKey(r.sc, r.sym);
    EXPECT_EQ(k.vk, r.vk);
    EXPECT_EQ(k.scan, r.scan);
    EXPECT_EQ(k.extended, r.extended);
  }
}

// A configuration written on Windows with a Japanese keyboard names the punctuation keys by
// the codes that layout gives them.
TEST(KeyTranslation, PlacesOfAJapaneseKeyboard) {
  struct Row {
    SDL_Scancode sc;
    SDL_Keycode sym;
    int us;
    int japanese;
    int scan;
  };
  const Row rows[] = {
      {SDL_SCANCODE_GRAVE, SDLK_BACKQUOTE, VK_OEM_3, VK_OEM_AUTO, 0x29},
      {SDL_SCANCODE_EQUALS, '^', VK_OEM_PLUS, VK_OEM_7, 0x0D},
      {SDL_SCANCODE_LEFTBRACKET, '@', VK_OEM_4, VK_OEM_3, 0x1A},
      {SDL_SCANCODE_RIGHTBRACKET, '[', VK_OEM_6, VK_OEM_4, 0x1B},
      {SDL_SCANCODE_SEMICOLON, ';', VK_OEM_1, VK_OEM_PLUS, 0x27},
      {SDL_SCANCODE_APOSTROPHE, ':', VK_OEM_7, VK_OEM_1, 0x28},
      {SDL_SCANCODE_BACKSLASH, ']', VK_OEM_5, VK_OEM_6, 0x2B},
      {SDL_SCANCODE_MINUS, '-', VK_OEM_MINUS, VK_OEM_MINUS, 0x0C},
      {SDL_SCANCODE_SLASH, '/', VK_OEM_2, VK_OEM_2, 0x35},
      {SDL_SCANCODE_INTERNATIONAL3, '\\', VK_OEM_5, VK_OEM_5, 0x7D},
      {SDL_SCANCODE_INTERNATIONAL1, '\\', VK_OEM_102, VK_OEM_102, 0x73},
      {SDL_SCANCODE_INTERNATIONAL2, SDLK_UNKNOWN, VK_OEM_COPY, VK_OEM_COPY, 0x70},
      {SDL_SCANCODE_A, SDLK_a, 'A', 'A', 0x1E},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.sc);
    const input_internal::WinKey us = input_internal::TranslateKey(r.sc, r.sym, input_internal::KeyLayout::kUs);
    const input_internal::WinKey jp = input_internal::TranslateKey(r.sc, r.sym, input_internal::KeyLayout::kJapanese);
    EXPECT_EQ(us.vk, r.us);
    EXPECT_EQ(jp.vk, r.japanese);
    EXPECT_EQ(jp.scan, r.scan);
  }
  // The dummy display maps keys as a US keyboard does.
  EXPECT_EQ(input_internal::CurrentKeyLayout(), input_internal::KeyLayout::kUs);
}

TEST_F(WindowTest, JoysticksAreReadThroughTheirSlots) {
  const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 0);
  ASSERT_GE(index, 0) << SDL_GetError();
  SDL_Joystick* j = SDL_JoystickOpen(index);
  ASSERT_NE(j, nullptr);
  SDL_JoystickSetVirtualAxis(j, 0, -32768);
  SDL_JoystickSetVirtualAxis(j, 1, 32767);
  SDL_JoystickSetVirtualButton(j, 0, SDL_PRESSED);
  SDL_JoystickSetVirtualButton(j, 3, SDL_PRESSED);
  Pump();
  JOYINFOEX ji{};
  ji.dwSize = sizeof ji;
  ji.dwFlags = JOY_RETURNX | JOY_RETURNY | JOY_RETURNBUTTONS;
  ASSERT_EQ(joyGetPosEx(0, &ji), JOYERR_NOERROR);
  EXPECT_EQ(ji.dwXpos, 0u);
  EXPECT_EQ(ji.dwYpos, 65535u);
  EXPECT_EQ(ji.dwButtons, 0x9u);
  EXPECT_EQ(ji.dwButtonNumber, 2u);
  EXPECT_EQ(ji.dwFlags, JOY_RETURNX | JOY_RETURNY | JOY_RETURNBUTTONS);
  EXPECT_EQ(joyGetPosEx(1, &ji), JOYERR_UNPLUGGED);
  EXPECT_EQ(joyGetPosEx(16, &ji), JOYERR_PARMS);
  ji.dwSize = 40;
  EXPECT_EQ(joyGetPosEx(0, &ji), JOYERR_PARMS);
  SDL_JoystickClose(j);
  SDL_JoystickDetachVirtual(index);
  Pump();
  ji.dwSize = sizeof ji;
  EXPECT_EQ(joyGetPosEx(0, &ji), JOYERR_UNPLUGGED);
}

}  // namespace

namespace {

// A dialog of one button, owned by the test's main window.
const DialogItemTemplate kOwnedItems[] = {
    {"button", "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 10, 10, 40, 14},
};
const DialogTemplate kOwnedDialog = {WS_POPUP | DS_MODALFRAME, "", 80, 40, kOwnedItems, 1};

LRESULT OwnedDialogProc(HWND h, UINT msg, WPARAM w, LPARAM) {
  if (msg == WM_COMMAND && LOWORD(w) == IDOK) EndDialog(h, IDOK);
  return msg == WM_COMMAND ? TRUE : FALSE;
}

void FocusEvent(Uint32 windowID, Uint8 event) {
  SDL_Event e{};
  e.type = SDL_WINDOWEVENT;
  e.window.windowID = windowID;
  e.window.event = event;
  SDL_PushEvent(&e);
}

}  // namespace

// A disabled window takes no keys, text or mouse buttons; the key table still follows the
// keyboard, and enabled again the window takes them as before.
TEST_F(WindowTest, ADisabledWindowTakesNoInputButTheKeyTableFollows) {
  ShowWindow(hwnd, SW_SHOW);
  EXPECT_TRUE(IsWindowEnabled(hwnd));
  EXPECT_FALSE(EnableWindow(hwnd, FALSE));
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EXPECT_NE(static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)) & WS_DISABLED, 0u);
  g_seen.clear();
  const Uint32 id = WindowSdlIdForTest(hwnd);
  Key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, id);
  SDL_Event click{};
  click.type = SDL_MOUSEBUTTONDOWN;
  click.button.windowID = id;
  click.button.button = SDL_BUTTON_LEFT;
  SDL_PushEvent(&click);
  Pump();
  EXPECT_TRUE(Take(WM_KEYDOWN).empty());
  EXPECT_TRUE(Take(WM_LBUTTONDOWN).empty());
  EXPECT_NE(GetAsyncKeyState(VK_ESCAPE), 0);
  EXPECT_TRUE(EnableWindow(hwnd, TRUE));  // it was disabled
  EXPECT_TRUE(IsWindowEnabled(hwnd));
  Key(SDL_KEYUP, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, id);
  Pump();
  EXPECT_EQ(Take(WM_KEYUP).size(), 1u);
  EXPECT_EQ(GetAsyncKeyState(VK_ESCAPE), 0);
}

// While a dialog runs over the main window, the main window is disabled and its keys never
// reach it; the focus moving from the main window to the dialog leaves the program active (its
// frames go on); when the dialog closes, the main window is enabled, active, and the program
// still active, although no display event gives it the focus back.
TEST_F(WindowTest, ADialogDisablesItsOwnerAndLeavesItActiveWhenItCloses) {
  ShowWindow(hwnd, SW_SHOW);
  g_seen.clear();
  bool ownerEnabled = true;
  HWND activeInDialog = nullptr;
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    ownerEnabled = IsWindowEnabled(hwnd) != FALSE;
    activeInDialog = GetActiveWindow();
    // The window manager moves the focus to the dialog; a key typed at the main window
    // meanwhile.
    FocusEvent(WindowSdlIdForTest(hwnd), SDL_WINDOWEVENT_FOCUS_LOST);
    FocusEvent(DialogSdlIdForTest(dlg), SDL_WINDOWEVENT_FOCUS_GAINED);
    Key(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, 0, WindowSdlIdForTest(hwnd));
    d.Key(SDL_SCANCODE_RETURN);
  });
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &kOwnedDialog, hwnd, &OwnedDialogProc, 0), IDOK);
  Pump();
  EXPECT_FALSE(ownerEnabled);
  EXPECT_NE(activeInDialog, hwnd);
  EXPECT_TRUE(IsWindowEnabled(hwnd));
  EXPECT_EQ(GetActiveWindow(), hwnd);
  EXPECT_TRUE(Take(WM_KEYDOWN).empty());
  for (const Seen& s : Take(WM_ACTIVATEAPP)) EXPECT_EQ(s.wParam, static_cast<WPARAM>(TRUE));
  // The focus leaving the program's windows altogether makes it inactive, as before.
  FocusEvent(WindowSdlIdForTest(hwnd), SDL_WINDOWEVENT_FOCUS_LOST);
  Pump();
  ASSERT_FALSE(Take(WM_ACTIVATEAPP).empty());
  EXPECT_EQ(Take(WM_ACTIVATEAPP).back().wParam, static_cast<WPARAM>(FALSE));
}

// A dialog over a window that was already disabled leaves it disabled.
TEST_F(WindowTest, ADialogOverADisabledOwnerLeavesItDisabled) {
  ShowWindow(hwnd, SW_SHOW);
  EnableWindow(hwnd, FALSE);
  DialogDriver driver([](DialogDriver& d, HWND) { d.Key(SDL_SCANCODE_RETURN); });
  EXPECT_EQ(DialogBoxIndirectParamA(nullptr, &kOwnedDialog, hwnd, &OwnedDialogProc, 0), IDOK);
  EXPECT_FALSE(IsWindowEnabled(hwnd));
  EnableWindow(hwnd, TRUE);
}

// Work handed to the window thread runs there, inside its message calls; the window thread
// itself is told to run it; once the send shutdown is on, nothing runs.
TEST_F(WindowTest, WorkOfOtherThreadsRunsOnTheWindowThread) {
  EXPECT_EQ(RunOnWindowThread([] {}), WindowThreadRun::kHere);
  const DWORD self = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  std::atomic<int> result{-1};
  {
    TestThread other([&] {
      result = static_cast<int>(RunOnWindowThread([&] { ranOn = GetCurrentThreadId(); }));
    });
    ASSERT_TRUE(WaitUntil([&] {
      Pump();
      return result.load() >= 0;
    }));
  }
  EXPECT_EQ(result.load(), static_cast<int>(WindowThreadRun::kRan));
  EXPECT_EQ(ranOn.load(), self);
  SetMessageShutdown(TRUE);
  bool ran = false;
  WindowThreadRun failed = WindowThreadRun::kRan;
  {
    TestThread other([&] { failed = RunOnWindowThread([&] { ran = true; }); });
  }
  SetMessageShutdown(FALSE);
  EXPECT_EQ(failed, WindowThreadRun::kFailed);
  Pump();
  EXPECT_FALSE(ran);
}
