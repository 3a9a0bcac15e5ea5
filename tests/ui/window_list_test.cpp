// The window list around a modal dialog (DoModal's flags 2 and 4, RestoreOthers), the
// dialog's subclassed window, and the GDI canvases that windows and canvas controls release.
#include <SDL.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../platform/bmp_builder.h"
#include "platform/gdi.h"
#include "platform/input.h"
#include "platform/message.h"
#include "platform/window.h"
#include "support/dialog_driver.h"
#include "support/temp_dir.h"
#include "ui/control.h"
#include "ui/dialog.h"
#include "ui/gdi_canvas.h"
#include "ui/window.h"
#include "ui/window_list.h"

namespace {

constexpr int kTemplate = 7101;
const DialogItemTemplate kItems[] = {
    {"button", "OK", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON | WS_TABSTOP, 1000, 10, 10, 40, 14},
};
const DialogTemplate kDialog = {WS_POPUP | DS_MODALFRAME, "", 80, 40, kItems, 1};

// The state of a window of the list: shown, enabled.
struct State {
  bool visible;
  bool enabled;
  bool operator==(const State& o) const { return visible == o.visible && enabled == o.enabled; }
};
State StateOf(HWND h) {
  return State{IsWindowVisible(h) != FALSE, (GetWindowLongA(h, GWL_STYLE) & WS_DISABLED) == 0};
}

struct ListDialog : cDialog {
  std::vector<State> atDestroy;
  std::vector<HWND> watched;
  explicit ListDialog(cWindowList* list) {
    RegisterDialogTemplate(kTemplate, &kDialog);
    Prepare(kTemplate, nullptr, 1, list);
    s_live = this;
    m_lpDlgProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT { return s_live->WindowProc(h, m, w, l); };
  }
  ~ListDialog() override {
    s_live = nullptr;
    RegisterDialogTemplate(kTemplate, nullptr);
  }
  LRESULT MsgProc(HWND h, UINT m, WPARAM w, LPARAM l) override {
    const LRESULT r = cDialog::MsgProc(h, m, w, l);
    if (m == WM_DESTROY) {
      for (HWND x : watched) atDestroy.push_back(StateOf(x));
    }
    return r;
  }
  void OnCommand(WPARAM w, LPARAM l) override {
    cDialog::OnCommand(w, l);
    if (LOWORD(w) == 1000) End(1000);
  }
  static ListDialog* s_live;
};
ListDialog* ListDialog::s_live = nullptr;

class WindowListTest : public ::testing::Test {
 protected:
  static LRESULT Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_KEYDOWN) ++s_keys;
    return DefWindowProcA(h, msg, w, l);
  }
  void SetUp() override {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Proc;
    wc.lpszClassName = "WindowListTest";
    RegisterClassExA(&wc);  // already there when the test repeats
    for (HWND& h : windows_) {
      h = CreateWindowExA(0, "WindowListTest", "w", WS_POPUP | WS_CAPTION, 0, 0, 200, 100, nullptr, nullptr, nullptr,
                          nullptr);
      ASSERT_NE(h, nullptr);
      ShowWindow(h, SW_SHOW);
    }
    s_keys = 0;
  }
  void TearDown() override {
    for (HWND h : windows_) DestroyWindow(h);
    cHook::UnhookAll();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    input_internal::ReleaseAllKeys();
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  HWND windows_[2] = {};
  static int s_keys;
};
int WindowListTest::s_keys = 0;

// Flag 2 hides and flag 4 disables the window list's windows (a cWindow and a window known by
// its handle) while the dialog runs; a disabled window takes no keys. RestoreOthers brings
// them back when the dialog's window is destroyed; flag 0 leaves them alone.
TEST_F(WindowListTest, ModalFlagsHideAndDisableTheListForTheDialogsTime) {
  struct Case {
    int flags;
    State during;
  };
  const Case cases[] = {
      {0, {true, true}},
      {MODAL_HIDE_OTHERS, {false, true}},
      {MODAL_DISABLE_OTHERS, {true, false}},
      {MODAL_HIDE_OTHERS | MODAL_DISABLE_OTHERS, {false, false}},
  };
  for (const Case& c : cases) {
    cWindow first;
    first.m_hWnd = windows_[0];
    HWND second = windows_[1];
    cWindowList list;
    list.AddWindow(&first);
    list.m_vHandle.push_back(&second);
    HWND none = nullptr;
    list.m_vHandle.push_back(&none);  // an object without a window yet is passed over
    ListDialog dialog(&list);
    dialog.watched = {windows_[0], windows_[1]};
    std::vector<State> during;
    s_keys = 0;
    DialogDriver driver([&](DialogDriver& d, HWND) {
      during = {StateOf(windows_[0]), StateOf(windows_[1])};
      SDL_Event e{};
      e.type = SDL_KEYDOWN;
      e.key.windowID = WindowSdlIdForTest(windows_[1]);
      e.key.keysym.scancode = SDL_SCANCODE_A;
      e.key.keysym.sym = SDLK_a;
      SDL_PushEvent(&e);
      d.Key(SDL_SCANCODE_RETURN);
    });
    EXPECT_EQ(dialog.DoModal(c.flags), 1000) << c.flags;
    EXPECT_EQ(dialog.m_nModalFlags, c.flags);
    ASSERT_EQ(during.size(), 2u);
    EXPECT_TRUE(during[0] == c.during) << c.flags;
    EXPECT_TRUE(during[1] == c.during) << c.flags;
    // Back on the dialog's WM_DESTROY, before DoModal returns, and afterwards.
    ASSERT_EQ(dialog.atDestroy.size(), 2u);
    for (const State& s : dialog.atDestroy) EXPECT_TRUE((s == State{true, true})) << c.flags;
    EXPECT_TRUE((StateOf(windows_[0]) == State{true, true})) << c.flags;
    EXPECT_TRUE((StateOf(windows_[1]) == State{true, true})) << c.flags;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    // The key typed at the second window while the dialog ran reached it only when enabled.
    EXPECT_EQ(s_keys, c.during.enabled ? 1 : 0) << c.flags;
  }
}

// The dialog's window is subclassed when it opens: its procedure is DlgSubclassProc, its
// "DLG_CLASS" property the dialog, and the messages still reach the dialog through the
// procedure it replaced (the button ends it). A window without the property gets 0.
TEST_F(WindowListTest, TheDialogWindowIsSubclassed) {
  ListDialog dialog(&g_DialogList);
  LONG proc = 0;
  HANDLE prop = nullptr;
  DialogDriver driver([&](DialogDriver& d, HWND dlg) {
    proc = GetWindowLongA(dlg, GWL_WNDPROC);
    prop = GetPropA(dlg, "DLG_CLASS");
    d.Click(1000);
  });
  EXPECT_EQ(dialog.DoModal(0), 1000);
  EXPECT_EQ(proc, static_cast<LONG>(reinterpret_cast<intptr_t>(&DlgSubclassProc)));
  EXPECT_EQ(prop, static_cast<HANDLE>(&dialog));
  ASSERT_NE(dialog.m_lpOldProc, nullptr);
  EXPECT_NE(dialog.m_lpOldProc, &DlgSubclassProc);
  EXPECT_EQ(dialog.m_hWnd, nullptr);
  EXPECT_TRUE(g_DialogList.m_vWindow.empty());  // a modal dialog is not listed
  EXPECT_EQ(DlgSubclassProc(windows_[0], WM_USER, 0, 0), 0);
}

// A modeless dialog lists itself when it initialises; ending its open window takes it out,
// and a window that is not listed reports the failed removal.
TEST_F(WindowListTest, AModelessDialogListsItself) {
  cWindowList list;
  cDialog dialog;
  dialog.Prepare(kTemplate, nullptr, 1, &list);
  dialog.m_bModeless = 1;
  dialog.m_hWnd = CreateWindowHandle(&DefWindowProcA);
  dialog.OnInitDialog(0, 0);
  ASSERT_EQ(list.m_vWindow.size(), 1u);
  EXPECT_EQ(list.m_vWindow[0], &dialog);
  EXPECT_EQ(list.RemoveWindow(&dialog), 1);
  EXPECT_EQ(list.RemoveWindow(&dialog), 0);
  RemovePropA(dialog.m_hWnd, "DLG_CLASS");
  RemovePropA(dialog.m_hWnd, "cHook");
  DestroyWindowHandle(dialog.m_hWnd);
  dialog.m_hWnd = nullptr;
}

// What a canvas holds: two DCs with their bitmaps, a font in the first DC, one more object.
struct Filled {
  HDC dc[2];
  HBITMAP bitmap[2];
  HFONT font;
  HFONT extra;
};
Filled Fill(cGdiCanvas& canvas, const std::string& bmp) {
  Filled f{};
  for (int i = 0; i < 2; ++i) {
    f.dc[i] = CreateCompatibleDC(nullptr);
    f.bitmap[i] = static_cast<HBITMAP>(LoadImageA(nullptr, bmp.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION));
    canvas.m_Surface[i] = cGdiCanvas::Surface{f.dc[i], f.bitmap[i], SelectObject(f.dc[i], f.bitmap[i]), 1};
  }
  f.font = CreateFontA(-12, 0, 0, 0, 400, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ Ｐゴシック");
  canvas.m_hFont = f.font;
  canvas.m_hOldFont = SelectObject(f.dc[0], f.font);
  f.extra = CreateFontA(-16, 0, 0, 0, 400, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ Ｐゴシック");
  canvas.m_hObject = f.extra;
  return f;
}
// Every object of the canvas is gone: deleting any again fails.
void ExpectReleased(const Filled& f) {
  for (int i = 0; i < 2; ++i) {
    EXPECT_FALSE(DeleteObject(f.bitmap[i])) << i;
    EXPECT_FALSE(DeleteDC(f.dc[i])) << i;
  }
  EXPECT_FALSE(DeleteObject(f.font));
  EXPECT_FALSE(DeleteObject(f.extra));
}

// Destroy releases both DCs with their bitmaps (selected out first, or a selected bitmap
// could not be deleted), the font and the extra object, and clears the canvas; an empty canvas,
// as every window of the program has, is released without harm. A canvas control and a window
// release theirs when they are destroyed.
TEST(GdiCanvas, DestroyReleasesWhatTheCanvasHolds) {
  TempDir dir;
  BmpSpec spec;
  spec.width = 2;
  spec.height = 2;
  spec.bitCount = 24;
  spec.data = PackRows(24, 2, 2, {0x112233, 0x445566, 0x778899, 0xAABBCC});
  const std::string bmp = WriteBmp(dir.path(), "c.bmp", BuildBmp(spec));

  cGdiCanvas canvas;
  const Filled f = Fill(canvas, bmp);
  ASSERT_NE(f.bitmap[0], nullptr);
  // Still selected: not deletable yet.
  EXPECT_FALSE(DeleteObject(f.bitmap[0]));
  canvas.Destroy();
  ExpectReleased(f);
  for (const cGdiCanvas::Surface& s : canvas.m_Surface) {
    EXPECT_EQ(s.hDC, nullptr);
    EXPECT_EQ(s.bCreated, 0);
  }
  EXPECT_EQ(canvas.m_hFont, nullptr);
  EXPECT_EQ(canvas.m_hObject, nullptr);
  canvas.Destroy();

  Filled inControl{}, inWindow{};
  {
    cCanvasCtrl control;
    EXPECT_EQ(control.m_nKind, CONTROL_KIND_CANVAS);
    inControl = Fill(control.m_Canvas[1], bmp);
    cWindow window;
    inWindow = Fill(window.m_Canvas[0], bmp);
  }
  ExpectReleased(inControl);
  ExpectReleased(inWindow);
}

}  // namespace
