// Blits: clipping, mirrored alias sheets, transparency, the pixel path, the blend values and
// the sprite batch's drawing order.
#include <gtest/gtest.h>

#include <string>

#include "draw_fixture.h"

namespace {

struct Clip {
  int x, y, w, h, sx, sy, sw, sh;
};

bool operator==(const Clip& a, const Clip& b) {
  return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h && a.sx == b.sx && a.sy == b.sy && a.sw == b.sw &&
         a.sh == b.sh;
}

std::ostream& operator<<(std::ostream& os, const Clip& c) {
  return os << "{" << c.x << "," << c.y << " " << c.w << "x" << c.h << " from " << c.sx << "," << c.sy << " " << c.sw
            << "x" << c.sh << "}";
}

}  // namespace

TEST_F(DrawTest, BlitRectanglesAreClipped) {
  DDSURFACEDATA dst, src;
  dst.nWidth = 640;
  dst.nHeight = 480;
  src.nWidth = 64;
  src.nHeight = 32;
  struct Case {
    const char* what;
    int d3d;
    Clip in;
    int result;
    Clip out;
  } cases[] = {
      {"inside", 1, {10, 10, 32, 32, 0, 0, 32, 32}, 1, {10, 10, 32, 32, 0, 0, 32, 32}},
      {"source left of the sheet", 1, {10, 0, 32, 8, -8, 0, 32, 8}, 1, {10, 0, 24, 8, 0, 0, 24, 8}},
      {"destination left of the screen", 1, {-5, 0, 32, 8, 0, 0, 32, 8}, 1, {0, 0, 27, 8, 5, 0, 27, 8}},
      {"past the right edge", 1, {630, 0, 32, 8, 0, 0, 32, 8}, 1, {630, 0, 10, 8, 0, 0, 10, 8}},
      {"past the sheet's bottom", 1, {0, 0, 8, 40, 0, 0, 8, 40}, 1, {0, 0, 8, 32, 0, 0, 8, 32}},
      {"up to the sheet's right edge", 1, {0, 0, 16, 8, 48, 0, 16, 8}, 1, {0, 0, 16, 8, 48, 0, 16, 8}},
      {"past the sheet's right edge", 1, {0, 0, 40, 8, 48, 0, 40, 8}, 1, {0, 0, 16, 8, 48, 0, 16, 8}},
      {"DirectDraw past the sheet's right edge", 0, {0, 0, 17, 8, 48, 0, 17, 8}, 1, {0, 0, 16, 8, 48, 0, 16, 8}},
      {"past the sheet's and the screen's right edges", 1, {630, 0, 40, 8, 48, 0, 40, 8}, 1,
       {630, 0, 10, 8, 48, 0, 10, 8}},
      {"empty", 1, {0, 0, 0, 8, 0, 0, 0, 8}, 0, {0, 0, 0, 8, 0, 0, 0, 8}},
      {"no source width", 1, {0, 0, 8, 8, 0, 0, 0, 8}, 0, {0, 0, 8, 8, 0, 0, 0, 8}},
      {"scaled twice", 1, {0, 0, 64, 64, 0, 0, 32, 32}, 1, {0, 0, 64, 64, 0, 0, 32, 32}},
      {"mirrored cell", 1, {0, 0, 32, 32, 32, 0, -32, 32}, 1, {0, 0, 32, 32, 32, 0, -32, 32}},
      {"mirrored past the sheet", 1, {0, 0, 32, 32, 80, 0, -32, 32}, 1, {0, 0, 16, 32, 64, 0, -16, 32}},
      {"scaled source cut", 1, {0, 0, 64, 32, 48, 0, 32, 16}, 1, {0, 0, 32, 32, 48, 0, 16, 16}},
      {"DirectDraw scaled off the left", 0, {-32, 0, 64, 32, 0, 0, 32, 16}, 1, {0, 0, 32, 32, 16, 0, 16, 16}},
      {"DirectDraw scaled off the right", 0, {600, 0, 64, 32, 0, 0, 32, 16}, 1, {600, 0, 40, 32, 0, 0, 20, 16}},
      {"DirectDraw scaled off the screen", 0, {-70, 0, 64, 32, 0, 0, 32, 16}, 0, {-70, 0, 0, 32, 0, 0, 32, 16}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    InitOrFail(c.d3d, 32, 1);
    Clip r = c.in;
    EXPECT_EQ(DDClipBlt(&dst, &r.x, &r.y, &r.w, &r.h, &src, &r.sx, &r.sy, &r.sw, &r.sh), c.result);
    EXPECT_EQ(r, c.out);
    DDEnd();
  }
}

TEST_F(DrawTest, MirroredAliasSheetsReadTheFlippedCells) {
  InitOrFail(1, 32, 1);
  DDSURFACEDATA sheet, alias;
  alias.lpSubstitute = &sheet;
  alias.nMirrorWidth = 32;
  struct Case {
    int sx, sw, outX, outW;
  } cases[] = {{64, 32, 96, -32}, {70, 10, 90, -10}, {0, 64, 0, 64}};
  for (const Case& c : cases) {
    int sx = c.sx, sy = 0, sw = c.sw, sh = 16;
    DDMirrorCoords(&alias, &sx, &sy, &sw, &sh);
    EXPECT_EQ(sx, c.outX) << c.sx;
    EXPECT_EQ(sw, c.outW) << c.sx;
    EXPECT_EQ(sy, 0);
    EXPECT_EQ(sh, 16);
  }
  // Drawing cell 0 of the alias shows the sheet's cell 0 flipped.
  const std::string file = SheetBmp();
  DDSetTransmit(255, 0, 255);
  ASSERT_EQ(DDCreateSurfaceFromFile(&sheet, file.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(DDCreateSurfaceFromFile(&alias, file.c_str(), 1, 32, 0, 0, 1, 0, 32, 0, 0), 0);
  DDFillRect(&BackBuffer, 0, 0, 64, 64, 3);
  DDBltFast(&BackBuffer, 0, 0, 32, 24, &alias, 0, 0, 1);
  EXPECT_EQ(Pixel(&BackBuffer, 31, 0) & 0xFFFFFF, SheetColor(3)) << "the sheet's transparent pixel, flipped";
  EXPECT_EQ(Pixel(&BackBuffer, 0, 0) & 0xFFFFFF, SheetColor(1));
  EXPECT_EQ(Pixel(&BackBuffer, 0, 20) & 0xFFFFFF, SheetColor(4));
  DDReleaseSurface(&alias);
  DDReleaseSurface(&sheet);
  // Under DirectDraw the coordinates stay.
  DDEnd();
  InitOrFail(0, 32, 1);
  int sx = 64, sy = 0, sw = 32, sh = 16;
  DDMirrorCoords(&alias, &sx, &sy, &sw, &sh);
  EXPECT_EQ(sx, 64);
  EXPECT_EQ(sw, 32);
}

// An opaque blit of a keyed source carries its transparency; a transparent blit leaves the
// destination's pixels there. On a texture and through the pixel path alike.
TEST_F(DrawTest, TransparencyOfBlitsOnBothPaths) {
  InitOrFail(1, 32, 1);
  DDSetTransmit(255, 0, 255);
  const std::string file = SheetBmp();
  DDSURFACEDATA sheet, systemSheet, target;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sheet, file.c_str(), 1, 32, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(DDCreateSurfaceFromFile(&systemSheet, file.c_str(), 1, 32, 0, DTMEMORYTYPE_SYSTEM, 0, 0, 0, 0, 0), 0);
  ASSERT_TRUE(DDCreateSurface(&target, 64, 32, 1, 0, DTMEMORYTYPE_VIDEO_RT, 0, 0));
  for (DDSURFACEDATA* src : {&sheet, &systemSheet}) {
    SCOPED_TRACE(src == &sheet ? "quad" : "pixel copy");
    DDFillRect(&target, 0, 0, 64, 32, 5);
    DDBltFast(&target, 0, 0, 32, 24, src, 0, 0, 0);
    EXPECT_EQ(Pixel(&target, 0, 0), 0u);
    EXPECT_EQ(Pixel(&target, 1, 0), 0xFFFF0000u);
    DDBltFast(&target, 32, 0, 32, 24, src, 0, 0, 1);
    EXPECT_EQ(Pixel(&target, 32, 0), 0xFF00FFFFu);
    EXPECT_EQ(Pixel(&target, 33, 0), 0xFFFF0000u);
    // Mirrored and scaled: the sheet's first row read from its right end.
    DDFillRect(&target, 0, 0, 64, 32, 5);
    DDBlt(&target, 0, 8, 64, 2, src, 32, 0, -32, 1, 1);
    EXPECT_EQ(Pixel(&target, 0, 8), 0xFFFF0000u);
    EXPECT_EQ(Pixel(&target, 62, 9), 0xFF00FFFFu) << "the transparent pixel, twice as wide";
    EXPECT_EQ(Pixel(&target, 61, 9), 0xFFFF0000u);
    // Nothing for an empty source width.
    DDFillRect(&target, 0, 0, 64, 32, 5);
    DDBlt(&target, 0, 0, 32, 24, src, 0, 0, 0, 24, 0);
    EXPECT_EQ(Pixel(&target, 1, 0), 0xFF00FFFFu);
  }
  DDReleaseSurface(&target);
  DDReleaseSurface(&systemSheet);
  DDReleaseSurface(&sheet);
}

TEST_F(DrawTest, BlitExtrasColourTheCopy) {
  InitOrFail(1, 32, 1);
  const std::string file = SheetBmp();
  DDSURFACEDATA sheet;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sheet, file.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  const DDBLTEX green{0xFF00FF00u, D3DTOP_MODULATE};
  DDBltFastEx(&BackBuffer, 0, 0, 32, 24, &sheet, 0, 0, 0, &green);
  EXPECT_EQ(Pixel(&BackBuffer, 20, 10) & 0xFFFFFF, 0x00FF00u) << "white modulated by green";
  EXPECT_EQ(lpDTCon->dwDiffuse, 0xFFFFFFFFu) << "reset afterwards";
  DDBltFast(&BackBuffer, 0, 0, 32, 24, &sheet, 0, 0, 0);
  EXPECT_EQ(Pixel(&BackBuffer, 20, 10) & 0xFFFFFF, 0xFFFFFFu);
  // While the virtual back buffer is copied, any blit draws VirBackBuffer onto BackBuffer.
  DDFillRectD3D(&VirBackBuffer, 0, 0, 640, 480, 0xFF123456u);
  lpDTCon->bCopyVirtual = 1;
  DDBltFast(&WorkSD, 0, 0, 16, 16, &sheet, 0, 0, 0);
  lpDTCon->bCopyVirtual = 0;
  EXPECT_EQ(Pixel(&BackBuffer, 8, 8) & 0xFFFFFF, 0x123456u);
  DDReleaseSurface(&sheet);
}

// Blits overlapping on one row, queued B1, A1, C1, A2 with A and B registered in that order:
// grouped, C1 comes first, then A1 and A2, then B1; in queue order C1 lands last where it
// overlaps.
TEST_F(DrawTest, SpriteBatchesDrawInTheirOrder) {
  const std::string a = Bmp24("a.bmp", 4, 1, std::vector<uint32_t>(4, 0xFF0000));
  const std::string b = Bmp24("b.bmp", 4, 1, std::vector<uint32_t>(4, 0x00FF00));
  const std::string c = Bmp24("c.bmp", 4, 1, std::vector<uint32_t>(4, 0x0000FF));
  InitOrFail(1, 32, 1);
  DDSURFACEDATA sa, sb, sc;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sa, a.c_str(), 0, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(DDCreateSurfaceFromFile(&sb, b.c_str(), 0, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  ASSERT_EQ(DDCreateSurfaceFromFile(&sc, c.c_str(), 0, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  struct Case {
    int mode;
    uint32_t at2, at4, at6;
  } cases[] = {{1, 0x00FF00, 0xFF0000, 0xFF0000}, {0, 0x0000FF, 0x0000FF, 0xFF0000}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.mode);
    DDFillRect(&BackBuffer, 0, 0, 16, 1, 4);
    DDBeginSpriteBatch(k.mode);
    DDAddBatchTexture(&sa);
    DDAddBatchTexture(&sb);
    DDAddBatchTexture(&sa);
    DDBltFast(&BackBuffer, 0, 0, 4, 1, &sb, 0, 0, 0);  // B1 on 0..3
    DDBltFast(&BackBuffer, 4, 0, 4, 1, &sa, 0, 0, 0);  // A1 on 4..7
    DDBltFast(&BackBuffer, 2, 0, 4, 1, &sc, 0, 0, 0);  // C1 on 2..5
    DDBltFast(&BackBuffer, 6, 0, 4, 1, &sa, 0, 0, 0);  // A2 on 6..9
    EXPECT_EQ(Pixel(&BackBuffer, 0, 0) & 0xFFFFFF, 0xFFFFFFu) << "queued, not drawn yet";
    DDFlushSpriteBatch();
    EXPECT_EQ(Pixel(&BackBuffer, 2, 0) & 0xFFFFFF, k.at2);
    EXPECT_EQ(Pixel(&BackBuffer, 4, 0) & 0xFFFFFF, k.at4);
    EXPECT_EQ(Pixel(&BackBuffer, 6, 0) & 0xFFFFFF, k.at6);
    EXPECT_EQ(Pixel(&BackBuffer, 9, 0) & 0xFFFFFF, 0xFF0000u);
  }
  // An empty batch only closes; the next blit draws at once.
  DDBeginSpriteBatch(0);
  DDFlushSpriteBatch();
  DDBltFast(&BackBuffer, 0, 0, 4, 1, &sc, 0, 0, 0);
  EXPECT_EQ(Pixel(&BackBuffer, 0, 0) & 0xFFFFFF, 0x0000FFu);
  DDReleaseSurface(&sa);
  DDReleaseSurface(&sb);
  DDReleaseSurface(&sc);
}

// An unscaled blit that reaches past the sheet's right edge draws only the columns the sheet
// has: on both back-ends the screen keeps its colour to the right of them.
TEST_F(DrawTest, AnUnscaledBlitPastTheSheetsRightEdgeDrawsOnlyTheSheet) {
  const std::string file = SheetBmp();
  for (int d3d : {1, 0}) {
    SCOPED_TRACE(d3d ? "Direct3D" : "DirectDraw");
    InitOrFail(d3d, 32, 1);
    DDSURFACEDATA sheet;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sheet, file.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 3);
    const DWORD background = Pixel(&BackBuffer, 0, 40) & 0xFFFFFF;
    ASSERT_NE(background, SheetColor(4));
    // Columns 28..31 of the 32-wide sheet (colour 4 in rows 8 and below), then 4 columns past it.
    DDBltFast(&BackBuffer, 0, 40, 8, 4, &sheet, 28, 8, 0);
    for (int y = 40; y < 44; ++y) {
      for (int x = 0; x < 8; ++x) {
        EXPECT_EQ(Pixel(&BackBuffer, x, y) & 0xFFFFFF, x < 4 ? SheetColor(4) : background) << x << "," << y;
      }
    }
    DDReleaseSurface(&sheet);
    DDEnd();
  }
}

TEST_F(DrawTest, DirectDrawBlitsClipKeyAndScale) {
  InitOrFail(0, 32, 0);
  DDSetTransmit(255, 0, 255);
  const std::string file = SheetBmp();
  DDSURFACEDATA sheet;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sheet, file.c_str(), 1, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  IDirectDrawSurface7* back = BackBuffer.lpDDObj->lpSurface;
  DDFillRect(&BackBuffer, 0, 0, 640, 480, 3);
  DDBltFast(&BackBuffer, -1, 0, 32, 24, &sheet, 0, 0, 1);
  EXPECT_EQ(SurfacePixel(back, 0, 0), 0xFF0000u) << "column 1 of the sheet at x 0";
  DDBltFast(&BackBuffer, 100, 0, 32, 24, &sheet, 0, 0, 1);
  EXPECT_EQ(SurfacePixel(back, 100, 0), 0x0000FFu) << "the key leaves the background";
  DDBltFast(&BackBuffer, 200, 0, 32, 24, &sheet, 0, 0, 0);
  EXPECT_EQ(SurfacePixel(back, 200, 0), 0xFF00FFu);
  DDBlt(&BackBuffer, 620, 100, 64, 48, &sheet, 0, 0, 32, 24, 0);
  EXPECT_EQ(SurfacePixel(back, 639, 100), 0xFF0000u) << "cut at the screen's edge, scaled twice";
  EXPECT_EQ(SurfacePixel(back, 639, 110), 0x00FF00u);
  // The batch calls do nothing here: blits draw at once.
  DDBeginSpriteBatch(1);
  DDBltFast(&BackBuffer, 300, 0, 32, 24, &sheet, 0, 0, 0);
  EXPECT_EQ(SurfacePixel(back, 301, 0), 0xFF0000u);
  DDFlushSpriteBatch();
  DDReleaseSurface(&sheet);
}

// At 16 bits an opaque copy of a keyed texture leaves the transparent colour on the back buffer:
// its 16-bit form is turned into a colour for the clear.
TEST_F(DrawTest, SixteenBitOpaqueCopiesLeaveTheTransparentColourOnTheBackBuffer) {
  InitOrFail(1, 16, 1);
  const std::string file = SheetBmp();
  ASSERT_EQ(DDSetTransmitFromFile(file.c_str()), 1);
  DDSURFACEDATA sheet;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sheet, file.c_str(), 1, 16, 0, 0, 0, 0, 0, 0, 0), 0);
  DDFillRect(&BackBuffer, 0, 0, 64, 64, 3);
  DDBltFast(&BackBuffer, 0, 0, 32, 24, &sheet, 0, 0, 0);
  EXPECT_EQ(Pixel(&BackBuffer, 0, 0), 0xFC1Fu);
  EXPECT_EQ(Pixel(&BackBuffer, 1, 0), 0xFC00u);
  DDReleaseSurface(&sheet);
}

// More quads than 16-bit indices can number in one run are drawn in several runs.
TEST_F(DrawTest, LongBatchesDrawEveryQuad) {
  InitOrFail(1, 32, 1);
  const std::string file = SheetBmp();
  DDSURFACEDATA sheet;
  ASSERT_EQ(DDCreateSurfaceFromFile(&sheet, file.c_str(), 0, 32, 0, 0, 0, 0, 0, 0, 0), 0);
  DDFillRect(&BackBuffer, 0, 0, 640, 480, 3);
  const int n = 16384 + 100;
  DDBeginSpriteBatch(0);
  for (int i = 0; i < n; ++i) DDBltFast(&BackBuffer, i % 640, i / 640, 1, 1, &sheet, 1, 0, 0);
  DDFlushSpriteBatch();
  const int last = n - 1;
  EXPECT_EQ(Pixel(&BackBuffer, last % 640, last / 640) & 0xFFFFFF, SheetColor(1));
  EXPECT_EQ(Pixel(&BackBuffer, n % 640, n / 640) & 0xFFFFFF, SheetColor(3));
  DDReleaseSurface(&sheet);
}
