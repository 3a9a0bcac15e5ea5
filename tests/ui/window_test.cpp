// The window class: frame sizes from the style, placement inside the work area, the tracking
// sizes and the command re-entry guard of the dispatch.
#include <gtest/gtest.h>

#include "ui/window.h"
#include "platform/message.h"

namespace {

// Metrics of a classic desktop, all different so that a mixed-up metric shows.
int FakeMetric(int index) {
  switch (index) {
    case SM_CYCAPTION: return 19;
    case SM_CXFRAME: return 4;
    case SM_CYFRAME: return 5;
    case SM_CXDLGFRAME: return 3;
    case SM_CYDLGFRAME: return 2;
    case SM_CYHSCROLL: return 17;
    case SM_CXVSCROLL: return 16;
    default: return 1000;
  }
}

struct FrameCase {
  const char* name;
  DWORD style;
  int width, height, left, right, top, bottom;
};

TEST(WindowFrame, StyleTable) {
  const DWORD mainStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  const FrameCase cases[] = {
      {"no frame", 0, 0, 0, 0, 0, 0, 0},
      // WS_CAPTION holds WS_DLGFRAME: caption plus dialog frame.
      {"caption", WS_CAPTION, 6, 19 + 4, 3, 3, 19 + 2, 2},
      {"main window", mainStyle, 6, 23, 3, 3, 21, 2},
      {"dialog frame alone has no caption", WS_DLGFRAME, 6, 4, 3, 3, 2, 2},
      {"sizing frame replaces the dialog frame", mainStyle | WS_THICKFRAME, 8, 19 + 10, 4, 4, 19 + 5, 5},
      {"scroll bars", WS_HSCROLL | WS_VSCROLL, 16, 17, 0, 16, 0, 17},
  };
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.name);
    int frame[FRAME_METRIC_COUNT];
    CalcFrameMetrics(c.style, &FakeMetric, frame);
    EXPECT_EQ(frame[FRAME_WIDTH], c.width);
    EXPECT_EQ(frame[FRAME_HEIGHT], c.height);
    EXPECT_EQ(frame[FRAME_LEFT], c.left);
    EXPECT_EQ(frame[FRAME_RIGHT], c.right);
    EXPECT_EQ(frame[FRAME_TOP], c.top);
    EXPECT_EQ(frame[FRAME_BOTTOM], c.bottom);
  }
  // 640 x 480 with caption and dialog frame: 640 + 2 CXDLGFRAME by 480 + CYCAPTION + 2 CYDLGFRAME.
  int frame[FRAME_METRIC_COUNT];
  CalcFrameMetrics(WS_CAPTION | WS_DLGFRAME, &FakeMetric, frame);
  EXPECT_EQ(640 + frame[FRAME_WIDTH], 640 + 2 * 3);
  EXPECT_EQ(480 + frame[FRAME_HEIGHT], 480 + 19 + 2 * 2);
}

struct PlaceCase {
  int x, y, w, h;
  int ex, ey;
};

TEST(WindowFrame, PlacementClampTable) {
  const RECT work{0, 0, 1024, 768};
  const PlaceCase cases[] = {
      {-5, 10, 200, 100, 0, 10},      // left of the area
      {824, 10, 200, 100, 824, 10},   // x + w == right: the same x
      {823, 10, 200, 100, 823, 10},   // one inside
      {825, 10, 200, 100, 824, 10},   // one over
      {10, 668, 200, 100, 10, 668},   // y + h == bottom
      {10, 700, 200, 100, 10, 668},   // below
      {10, -1, 200, 100, 10, 0},      // above
      {100, 100, 1200, 900, 0, 0},    // larger than the area: the top-left stays visible
  };
  for (const PlaceCase& c : cases) {
    const POINT p = ClampToWorkArea(c.x, c.y, c.w, c.h, work);
    EXPECT_EQ(p.x, c.ex) << c.x << "," << c.y;
    EXPECT_EQ(p.y, c.ey) << c.x << "," << c.y;
  }
}

TEST(WindowFrame, SetupGivesTheWindowSizeAndTrackingLimits) {
  cWindow w;
  // The window layer's frames belong to the window manager: every metric is 0 here.
  w.Setup(640, 480, 100, 100, 640, 480, WS_POPUP | WS_CAPTION | WS_THICKFRAME, 0, 0, 0, 0, 0);
  EXPECT_EQ(w.m_rcWindow.right, 640);
  EXPECT_EQ(w.m_rcWindow.bottom, 480);
  EXPECT_EQ(w.m_szInitClient.cx, 640);
  MINMAXINFO info{};
  info.ptMaxSize = POINT{7, 7};
  w.GetMinMaxInfo(&info);
  EXPECT_EQ(info.ptMinTrackSize.x, 100);
  EXPECT_EQ(info.ptMinTrackSize.y, 100);
  EXPECT_EQ(info.ptMaxTrackSize.x, 640);
  EXPECT_EQ(info.ptMaxTrackSize.y, 480);
  EXPECT_EQ(info.ptMaxSize.x, 7) << "nothing else is written";

  // A dialog leaves the frame to its template.
  cWindow dialog;
  dialog.m_bDialog = 1;
  dialog.Setup(0, 0, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  EXPECT_EQ(dialog.m_rcWindow.right, 0);
  EXPECT_EQ(dialog.m_ptPlace.x, WINDOW_NO_PLACE);
}

// Records the commands it gets and sends itself another while handling the first.
class cCommandWindow : public cWindow {
 public:
  void OnCommand(WPARAM wParam, LPARAM) override {
    commands.push_back(static_cast<int>(wParam));
    if (wParam == 1) nested = MsgProc(m_hWnd, WM_COMMAND, 2, 0);
  }
  std::vector<int> commands;
  LRESULT nested = -1;
};

TEST(WindowDispatch, CommandRaisedWhileHandlingACommandIsDropped) {
  cCommandWindow w;
  const HWND h = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(w.MsgProc(h, WM_COMMAND, 1, 0), 1);
  EXPECT_EQ(w.nested, 0);
  ASSERT_EQ(w.commands.size(), 1u);
  EXPECT_EQ(w.commands[0], 1);
  EXPECT_EQ(w.m_hWnd, h);
  // The guard is cleared afterwards: the next command arrives.
  EXPECT_EQ(w.MsgProc(h, WM_COMMAND, 3, 0), 1);
  EXPECT_EQ(w.commands.size(), 2u);
  // Unhandled messages answer 0; WM_DESTROY forgets the window.
  EXPECT_EQ(w.MsgProc(h, WM_KEYDOWN, 0, 0), 0);
  EXPECT_EQ(w.MsgProc(h, WM_DESTROY, 0, 0), 1);
  EXPECT_EQ(w.m_hWnd, nullptr);
}

TEST(WindowDispatch, PlaceWithoutPositionDoesNotMove) {
  cWindow w;
  w.Setup(200, 100, 100, 100, 640, 480, 0, 0, 0, 0, 0, 0);
  w.m_ptWindow = POINT{33, 44};
  w.m_ptPlace = POINT{WINDOW_NO_PLACE, 220};
  w.Place();
  EXPECT_EQ(w.m_ptWindow.x, 33);
  EXPECT_EQ(w.m_ptPlace.y, 220);
}

}  // namespace
