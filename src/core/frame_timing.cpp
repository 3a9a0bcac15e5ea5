#include "core/frame_timing.h"

#include <cstdint>
#include <cstdio>

#include "core/shell_link.h"
#include "platform/time.h"

namespace {

// Samples averaged by the frame-pacing overlay.
constexpr int kOverlaySamples = 16;

struct Ring {
  DWORD samples[kOverlaySamples] = {};
  int index = 0;
  DWORD average = 0;

  void Add(DWORD value) {
    samples[index++] = value;
    if (index < kOverlaySamples) return;
    DWORD sum = 0;
    for (DWORD s : samples) sum += s;
    average = sum >> 4;
    index = 0;
  }
};

struct TimingState {
  DWORD frameStart = 0;
  DWORD elapsed = 0;
  DWORD callCounter = 0;

  bool fpsStarted = false;
  DWORD fpsWindowStart = 0;
  int fpsCount = 0;
  int lastFps = 0;

  bool limitStarted = false;
  DWORD nextFrameTime = 0;

  bool paceStarted = false;
  DWORD dwTime_OneSec = 0;
  int nFrameCt_OneSec = 0;
  bool overlayDrawn = false;
  Ring elapsedRing;
  Ring fpsRing;
};

TimingState g_timing;

bool UsingDirect3D() { return g_lpfnDDUsingDirect3D && g_lpfnDDUsingDirect3D(); }

}  // namespace

DWORD StartTimer() {
  g_timing.frameStart = timeGetTime();
  return g_timing.frameStart;
}

DWORD GetElapsedTime(int bUpdate) {
  if (bUpdate) g_timing.elapsed = timeGetTime() - g_timing.frameStart;
  return g_timing.elapsed;
}

int EveryNCalls(int mode, int n) {
  if (mode == 0) {
    g_timing.callCounter = 0;
    return 0;
  }
  if (mode == 2) return g_timing.callCounter == 0 ? 1 : 0;
  if (g_timing.callCounter + 1 >= static_cast<DWORD>(n)) {
    g_timing.callCounter = 0;
    return 1;
  }
  ++g_timing.callCounter;
  return 0;
}

int CountFps(int bCount) {
  if (!g_timing.fpsStarted) {
    g_timing.fpsStarted = true;
    g_timing.fpsWindowStart = timeGetTime();
  }
  if (!bCount) return g_timing.lastFps;
  DWORD now = timeGetTime();
  if (now - g_timing.fpsWindowStart > 999) {
    g_timing.lastFps = g_timing.fpsCount;
    g_timing.fpsWindowStart = now;
    g_timing.fpsCount = 0;
    return g_timing.lastFps;
  }
  ++g_timing.fpsCount;
  return g_timing.lastFps;
}

int LimitFrameRate(int fps) {
  DWORD now = timeGetTime();
  if (!g_timing.limitStarted) {
    g_timing.limitStarted = true;
    g_timing.nextFrameTime = now;
  }
  if (fps <= 0) return 1;
  // Compared through the difference, so that the clock's wrap-around changes nothing.
  if (static_cast<int32_t>(now - g_timing.nextFrameTime) < 0) return 0;
  g_timing.nextFrameTime = now + static_cast<DWORD>(1000 / fps);
  return 1;
}

int PaceFrame(int fps, int bShow, DDSURFACEDATA* lpFont) {
  if (!UsingDirect3D() || fps <= 0) return 1;
  if (!g_timing.paceStarted) {
    g_timing.paceStarted = true;
    g_timing.dwTime_OneSec = timeGetTime();
  }
  bool show = bShow && lpFont;
  if (show && g_timing.overlayDrawn) {
    g_timing.elapsedRing.Add(GetElapsedTime(0));
    g_timing.fpsRing.Add(static_cast<DWORD>(CountFps(0)));
    g_timing.overlayDrawn = false;
  }
  DWORD now = timeGetTime();
  // Frame n is due at the window's start + n * 1000 / fps ms, the first whole millisecond
  // not before it: the fraction rounded up, exactly. Measured from the window's start, so
  // that the clock's wrap-around cannot make a frame due some 49 days later.
  const uint64_t scaled = static_cast<uint64_t>(g_timing.nFrameCt_OneSec) * 1000u;
  const DWORD due = static_cast<DWORD>((scaled + static_cast<uint64_t>(fps) - 1) / static_cast<uint64_t>(fps));
  if (now - g_timing.dwTime_OneSec < due) return 0;
  if (++g_timing.nFrameCt_OneSec >= fps) {
    g_timing.nFrameCt_OneSec = 0;
    g_timing.dwTime_OneSec = now;
  }
  if (show) {
    if (g_lpfnDDDebugTextOnBackBuffer) {
      char text[160];
      std::snprintf(text, sizeof text, "FPS-Ave %u(%u)\ndwTime_OneSec %u\nnFrameCt_OneSec %u",
                    static_cast<unsigned>(g_timing.fpsRing.average), static_cast<unsigned>(g_timing.elapsedRing.average),
                    static_cast<unsigned>(g_timing.dwTime_OneSec), static_cast<unsigned>(g_timing.nFrameCt_OneSec));
      g_lpfnDDDebugTextOnBackBuffer(0, 16, 8, 16, lpFont, text);
    }
    g_timing.overlayDrawn = true;
  }
  return 1;
}

void ResetFrameTiming() { g_timing = TimingState{}; }
