// Fonts and printing with the installed Japanese faces: the glyph-cache sheets, where printed
// characters land on the fixed-pitch grid, picture characters, proportional lines, boxes and
// centring, the growing full-width cache, the DirectDraw colour at 16 bits, and failures.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "draw/font.h"
#include "draw/frames_numbers.h"
#include "draw_fixture.h"
#include "platform/text_engine.h"

namespace {

constexpr const char* kGothic = "ＭＳ ゴシック";

struct Mode {
  const char* name;
  int d3d, bpp;
};
const Mode kModes[] = {{"Direct3D 32", 1, 32}, {"DirectDraw 32", 0, 32}, {"DirectDraw 8", 0, 8}};

class FontTest : public DrawTest {
 protected:
  void TearDown() override {
    End();
    DrawTest::TearDown();
    // The fonts installed the text engine; other tests run without one.
    SetGdiTextEngine(nullptr);
    SetD3DXFontFactory(nullptr);
  }
  // Sets the layer up with magenta as the transparent colour, as start-up has it before the
  // fonts are made.
  void Start(int bDirect3D, int bpp) {
    ASSERT_TRUE(Init(bDirect3D, bpp, 0));
    DDSetTransmit(255, 0, 255);
  }
  // Releases the test's surfaces and ends the layer.
  void End() {
    for (DDSURFACEDATA& sd : made) DDReleaseSurface(&sd);
    made.clear();
    DDEnd();
  }

  // A surface filled with a palette number (not transparent), released by End.
  DDSURFACEDATA* Surface(int w, int h, int pal, DWORD type = DTMEMORYTYPE_VIDEO_RT) {
    DDSURFACEDATA* sd = &made.emplace_back();
    EXPECT_TRUE(DDCreateSurface(sd, w, h, 0, 0, type, 0, 0));
    DDFillRect(sd, 0, 0, w, h, static_cast<DWORD>(pal));
    return sd;
  }
  // The pixel value of a palette number on a surface.
  DWORD ColourOf(int pal) { return Pixel(Surface(1, 1, pal), 0, 0); }
  // A picture sheet of 26 cells whose cell k is filled with palette number 10 + k.
  DDSURFACEDATA* PictureSheet(int cw, int lh) {
    DDSURFACEDATA* sd = Surface(26 * cw, lh, 0);
    for (int k = 0; k < 26; ++k) DDFillRect(sd, k * cw, 0, cw, lh, static_cast<DWORD>(10 + k));
    return sd;
  }
  // The number of pixels of the rectangle that differ from value.
  static int CountOther(const std::vector<DWORD>& px, int width, int x0, int y0, int x1, int y1, DWORD value) {
    int n = 0;
    for (int y = y0; y < y1; ++y) {
      for (int x = x0; x < x1; ++x) n += px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)] != value;
    }
    return n;
  }

  std::deque<DDSURFACEDATA> made;
};

}  // namespace

TEST_F(FontTest, GlyphCacheSheetGeometry) {
  struct Case {
    int d3d, cw, lh;
    int columns, rows;
  } cases[] = {
      {1, 16, 16, 32, 32}, {1, 24, 24, 32, 32}, {1, 40, 20, 25, 32}, {1, 31, 33, 32, 31}, {1, 32, 32, 32, 32},
      {0, 16, 16, 32, 30}, {0, 16, 15, 32, 30}, {0, 16, 17, 32, 28}, {0, 20, 24, 32, 20}, {0, 21, 24, 30, 20},
      {0, 32, 48, 20, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.d3d << " " << c.cw << "x" << c.lh);
    Start(c.d3d, 32);
    {
      cFont font;
      font.Create(kGothic, 0, 16, c.cw, c.lh, 1, nullptr, 0, 0, nullptr, 1);
      ASSERT_TRUE(font.m_lpFastFont_Half && font.m_lpFastFont_FullAdd);
      const cBmpFont& half = *font.m_lpFastFont_Half;
      EXPECT_EQ(half.m_nColumns, 16);
      EXPECT_EQ(half.m_nRows, 16);
      EXPECT_EQ(half.m_GlyphSD.nWidth, 16 * c.cw);
      EXPECT_EQ(half.m_GlyphSD.nHeight, 16 * c.lh);
      const cBmpFont& full = *font.m_lpFastFont_FullAdd;
      EXPECT_EQ(full.m_nKind, 1);
      EXPECT_EQ(full.m_nColumns, c.columns);
      EXPECT_EQ(full.m_nRows, c.rows);
      EXPECT_EQ(full.m_nCapacity, c.columns * c.rows);
      EXPECT_EQ(full.m_GlyphSD.nWidth, c.columns * c.cw);
      EXPECT_EQ(full.m_GlyphSD.nHeight, c.rows * c.lh);
      // The common set in order, as far as the sheet holds it.
      const int placed = std::min(256, c.columns * c.rows);
      ASSERT_EQ(full.m_nCount, placed);
      ASSERT_EQ(static_cast<int>(full.m_CharList.size()), placed);
      auto it = full.m_CharList.begin();
      EXPECT_STREQ(it->chars, "０");
      std::advance(it, 10);
      EXPECT_STREQ(it->chars, "ー");
      const BMPFONTCHAR& last = full.m_CharList.back();
      EXPECT_STREQ(last.chars, placed == 200 ? "メ" : "：");
      EXPECT_EQ(last.nIndex, placed - 1);
      EXPECT_EQ(last.x, ((placed - 1) % c.columns) * c.cw);
      EXPECT_EQ(last.y, ((placed - 1) / c.columns) * c.lh);
    }
    End();
  }
}

TEST_F(FontTest, CachesOffOrWithoutCellSizes) {
  Start(1, 32);
  cFont off;
  off.Create(kGothic, 0, 16, 16, 16, 1, nullptr, 0, 0, nullptr, 0);
  EXPECT_EQ(off.m_lpFastFont_Half, nullptr);
  EXPECT_EQ(off.m_lpFastFont_FullAdd, nullptr);
  const std::string before = Errors();
  for (int cw : {0, 16}) {
    cFont font;
    font.Create(kGothic, 0, 16, cw, 16 - cw, 1, nullptr, 0, 0, nullptr, 1);
    EXPECT_EQ(font.m_nCache, 0);
    EXPECT_EQ(font.m_lpFastFont_Half, nullptr);
    EXPECT_EQ(font.m_lpFastFont_FullAdd, nullptr);
  }
  EXPECT_EQ(Errors().substr(before.size()), "※フォントクラスで文字間が未設定！\n※フォントクラスで文字間が未設定！\n");
  End();
}

// Byte 0xB1 lies in cell (1, 11) of the half-width sheet and is blitted from there; the space
// and the control codes leave their cells empty.
TEST_F(FontTest, HalfWidthCacheCells) {
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    Start(m.d3d, m.bpp);
    {
      cFont font;
      font.Create(kGothic, 0, 16, 16, 16, 1, nullptr, 0, 0, nullptr, 1);
      ASSERT_TRUE(font.m_lpFastFont_Half);
      DDSURFACEDATA* sheet = &font.m_lpFastFont_Half->m_GlyphSD;
      const std::vector<DWORD> px = Pixels(sheet);
      const DWORD clear = px[32 * 256];  // the space's cell
      EXPECT_GT(CountOther(px, 256, 16, 176, 32, 192, clear), 0);  // 0xB1
      EXPECT_GT(CountOther(px, 256, 16, 64, 32, 80, clear), 0);    // 'A' = 0x41
      EXPECT_EQ(CountOther(px, 256, 0, 32, 16, 48, clear), 0);     // ' ' = 0x20
      EXPECT_EQ(CountOther(px, 256, 0, 0, 256, 16, clear), 0);     // row 0: control codes
      DDSURFACEDATA* dst = Surface(64, 48, 3);
      font.Print(dst, 20, 10, "\xB1");
      const std::vector<DWORD> out = Pixels(dst);
      const DWORD blue = out[0];
      const int ink = CountOther(out, 64, 20, 10, 36, 26, blue);
      EXPECT_GT(ink, 0);
      EXPECT_LE(ink, CountOther(px, 256, 16, 176, 32, 192, clear));
      EXPECT_EQ(CountOther(out, 64, 0, 0, 64, 48, blue), ink);  // nothing outside the cell
    }
    End();
  }
}

// Where each character of a text lands on the 16 × 20 grid, with and without caches: ink in a
// cell, an empty cell, or picture cell k of the sheet.
TEST_F(FontTest, PrintingPositionsOnTheGrid) {
  constexpr int kInk = -1, kEmpty = -2;
  struct Cell {
    int col, row, what;  // what: kInk, kEmpty or a picture cell
  };
  struct Case {
    const char* name;
    const char* text;
    int noPicture;
    std::vector<Cell> cells;
  } cases[] = {
      {"full-width A, b, line end, c", "\x82\x60" "b\nc", 0, {{0, 0, kInk}, {1, 0, 1}, {0, 1, 2}, {1, 1, kEmpty}}},
      {"full-width space", "\x81\x40x", 0, {{0, 0, kEmpty}, {1, 0, kInk}, {2, 0, kEmpty}}},
      {"half-width space", " x", 0, {{0, 0, kEmpty}, {1, 0, kInk}}},
      {"empty line", "X\n\nY", 0, {{0, 0, kInk}, {0, 1, kEmpty}, {0, 2, kInk}, {1, 0, kEmpty}}},
      {"katakana and kanji", "\xB1\x8A\xBF", 0, {{0, 0, kInk}, {1, 0, kInk}, {2, 0, kEmpty}}},
      {"lead byte at the end", "XY\x82", 0, {{0, 0, kInk}, {1, 0, kInk}, {2, 0, kEmpty}}},
      {"letters as letters, pictures over them", "zb", 1, {{0, 0, 25}, {1, 0, 1}}},
      {"pictures and capitals", "aZa", 0, {{0, 0, 0}, {1, 0, kInk}, {2, 0, 0}}},
  };
  for (const Mode& m : kModes) {
    for (int cache : {0, 1}) {
      SCOPED_TRACE(testing::Message() << m.name << " cache " << cache);
      Start(m.d3d, m.bpp);
      {
        DDSURFACEDATA* sheet = PictureSheet(16, 20);
        DDSURFACEDATA* dst = Surface(200, 120, 3);
        cFont font;
        font.Create(kGothic, 0, 16, 16, 20, 1, nullptr, 0, 0, sheet, cache);
        for (const Case& c : cases) {
          SCOPED_TRACE(c.name);
          DDFillRect(dst, 0, 0, 200, 120, 3);
          font.Print(dst, 32, 20, c.text, c.noPicture);
          const std::vector<DWORD> px = Pixels(dst);
          const DWORD blue = px[0];
          EXPECT_EQ(CountOther(px, 200, 0, 0, 200, 20, blue), 0);  // nothing above the text
          EXPECT_EQ(CountOther(px, 200, 0, 0, 32, 120, blue), 0);  // nor left of it
          for (const Cell& cell : c.cells) {
            SCOPED_TRACE(testing::Message() << "cell " << cell.col << "," << cell.row);
            const int x = 32 + 16 * cell.col, y = 20 + 20 * cell.row;
            const int other = CountOther(px, 200, x, y, x + 16, y + 20, blue);
            if (cell.what == kInk) {
              EXPECT_GT(other, 0);
            } else if (cell.what == kEmpty) {
              EXPECT_EQ(other, 0);
            } else {
              DDSURFACEDATA* probe = Surface(1, 1, 10 + cell.what);
              EXPECT_EQ(CountOther(px, 200, x, y, x + 16, y + 20, Pixel(probe, 0, 0)), 0);
            }
          }
        }
      }
      End();
    }
  }
}

// A one-byte character is drawn cell width / 8 right of its cell and line height / 16 − 1
// below its top, a two-byte one at the cell's corner, and a centred font puts the character's
// extent in the middle of the cell: the same pixels as the text call at those places.
TEST_F(FontTest, CharacterOffsetsInTheCell) {
  Start(0, 32);
  struct Case {
    const char* text;
    int center;
  } cases[] = {{"x", 0}, {"\x8A\xBF", 0}, {"x", 1}, {"\x8A\xBF", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text << " centre " << c.center);
    cFont font;
    font.Create(kGothic, 0, 16, 24, 40, 1, nullptr, 0, 0, nullptr, 0);
    font.m_bCenter = c.center;
    DDSURFACEDATA* printed = Surface(100, 80, 3);
    DDSURFACEDATA* direct = Surface(100, 80, 3);
    font.Print(printed, 30, 20, c.text);
    HDC dc = nullptr;
    ASSERT_EQ(direct->lpDDObj->lpSurface->GetDC(&dc), DD_OK);
    SelectObject(dc, font.m_hFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, font.m_dwColor);
    const int n = static_cast<int>(std::strlen(c.text));
    int x = n == 1 ? 30 + 24 / 8 : 30, y = n == 1 ? 20 + 40 / 16 - 1 : 20;
    if (c.center) {
      SIZE sz{};
      GetTextExtentPoint32A(dc, c.text, n, &sz);
      x = 30 + 12 - sz.cx / 2;
      y = 20 + 20 - sz.cy / 2;
    }
    TextOutA(dc, x, y, c.text, n);
    direct->lpDDObj->lpSurface->ReleaseDC(dc);
    EXPECT_EQ(Pixels(printed), Pixels(direct));
    EXPECT_GT(CountOther(Pixels(printed), 100, 0, 0, 100, 80, Pixel(printed, 0, 0)), 0);
  }
  End();
}

// A proportional text is drawn line by line, nLineHeight apart, each line once: the same
// pixels as the font drawing the lines itself.
TEST_F(FontTest, ProportionalLines) {
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    Start(m.d3d, m.bpp);
    {
      cFont font;
      font.Create(kGothic, 0, -16, 0, 20, 4, nullptr, 0, 0, nullptr, 0);
      DDSURFACEDATA* printed = Surface(120, 100, 3);
      DDSURFACEDATA* direct = Surface(120, 100, 3);
      font.Print(printed, 10, 10, "ab\n\x82\xA0\x82\xA2\ncd");
      const char* lines[] = {"ab", "\x82\xA0\x82\xA2", "cd"};
      for (int i = 0; i < 3; ++i) font.Print(direct, 10, 10 + 20 * i, lines[i]);
      const std::vector<DWORD> px = Pixels(printed);
      EXPECT_EQ(px, Pixels(direct));
      const DWORD blue = px[0];
      for (int i = 0; i < 3; ++i) EXPECT_GT(CountOther(px, 120, 10, 10 + 20 * i, 120, 30 + 20 * i, blue), 0) << i;
      EXPECT_EQ(CountOther(px, 120, 0, 70, 120, 100, blue), 0);
      // Width: the longest line, the sum of its advances (two full-width characters at 16).
      int w = 0, h = 0;
      font.GetTextExtent(nullptr, "ab\n\x82\xA0\x82\xA2\ncd", &w, &h);
      if (!lpDTCon) {
        HDC dc = nullptr;
        ASSERT_EQ(printed->lpDDObj->lpSurface->GetDC(&dc), DD_OK);
        font.GetTextExtent(dc, "ab\n\x82\xA0\x82\xA2\ncd", &w, &h);
        printed->lpDDObj->lpSurface->ReleaseDC(dc);
      }
      EXPECT_EQ(w, 32);
      EXPECT_EQ(h, 60);
    }
    End();
  }
}

TEST_F(FontTest, BoxesAndCentring) {
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    Start(m.d3d, m.bpp);
    {
      DDSURFACEDATA* box = Surface(640, 480, 2);
      DDSURFACEDATA* dst = Surface(640, 480, 3);
      DDSURFACEDATA* white = Surface(1, 1, 4);
      DDSURFACEDATA* green = Surface(1, 1, 2);
      const DWORD kWhite = Pixel(white, 0, 0), kGreen = Pixel(green, 0, 0);
      cFont fixed, prop;
      fixed.Create(kGothic, 0, 16, 16, 20, 1, box, 1, 4, nullptr, 0);
      prop.Create(kGothic, 0, -16, 0, 20, 1, box, 2, 4, nullptr, 0);
      struct Case {
        const char* name;
        cFont* font;
        int x, y, w, h;
        const char* text;  // null: DrawBox
        int indent;
        int left, top, width, height, margin;
      } cases[] = {
          {"three letters, indent 8", &fixed, 100, 50, 0, 0, "abc", 8, 100, 50, 56, 20, 1},
          {"two lines, given height", &fixed, 100, 50, 0, 30, "ab\n\x82\xA0", 0, 100, 50, 32, 30, 1},
          {"proportional, two lines", &prop, 100, 50, 0, 0, "\x82\xA0\x82\xA2\nabc", 8, 100, 50, 40, 40, 2},
          {"centred 200 x 100", &fixed, FONT_CENTER, FONT_CENTER, 200, 100, nullptr, 0, 220, 190, 200, 100, 1},
          {"centred odd sizes", &fixed, FONT_CENTER, FONT_CENTER, 201, 99, nullptr, 0, 220, 191, 201, 99, 1},
          {"centred text box", &fixed, FONT_CENTER, 40, 0, 0, "abcd", 0, 288, 40, 64, 20, 1},
      };
      for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DDFillRect(dst, 0, 0, 640, 480, 3);
        if (c.text) {
          c.font->PrintInBox(dst, c.x, c.y, c.w, c.h, c.text, c.indent);
        } else {
          c.font->DrawBox(dst, c.x, c.y, c.w, c.h);
        }
        const std::vector<DWORD> px = Pixels(dst);
        const DWORD blue = px[0];
        auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * 640 + static_cast<size_t>(x)]; };
        const int l = c.left, t = c.top, r = c.left + c.width, b = c.top + c.height, mg = c.margin;
        // The frame just outside the box, the picture inside it, the background beyond.
        EXPECT_EQ(at(l - mg, t - mg), kWhite);
        EXPECT_EQ(at(r + mg - 1, b + mg - 1), kWhite);
        EXPECT_EQ(at(l - 1, b), kWhite);
        EXPECT_EQ(at(l - mg - 1, t), blue);
        EXPECT_EQ(at(r + mg, b - 1), blue);
        EXPECT_EQ(at(l, b + mg), blue);
        EXPECT_EQ(at(r - 1, b - 1), kGreen);
        EXPECT_EQ(at(l, t), kGreen);
        if (c.text) {
          EXPECT_EQ(CountOther(px, 640, l, t, l + c.indent, b, kGreen), 0);  // the indent stays clear
          EXPECT_GT(CountOther(px, 640, l + c.indent, t, r, b, kGreen), 0);
        }
      }
    }
    End();
  }
}

// A box is its picture copied from the picture's top-left corner, with a frame nBoxMargin thick
// right around it: every pixel of the destination checked against that rule, worked out here.
TEST_F(FontTest, BoxIsTheFramedPicture) {
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    Start(m.d3d, m.bpp);
    {
      // The picture: green, a cyan 4 x 4 at its corner, grey 6 at (36, 26) just inside a 40 x 30
      // box, grey 7 from x = 40 on (beyond the box, never copied).
      DDSURFACEDATA* picture = Surface(64, 48, 2);
      DDFillRect(picture, 0, 0, 4, 4, 5);
      DDFillRect(picture, 36, 26, 4, 4, 6);
      DDFillRect(picture, 40, 0, 24, 48, 7);
      DDSURFACEDATA* dst = Surface(100, 60, 3);
      DWORD colour[8];
      for (int pal = 2; pal < 8; ++pal) colour[pal] = ColourOf(pal);
      struct Case {
        const char* name;
        bool picture;
        int x, y, margin;
      } cases[] = {
          {"margin 3", true, 20, 10, 3},
          {"margin 1", true, 20, 10, 1},
          {"margin 0: no frame", true, 20, 10, 0},
          {"no picture: the frame alone", false, 20, 10, 2},
          {"frame cut at the destination's corner", true, 2, 2, 3},
          {"box reaching past the right and bottom", true, 70, 40, 3},
      };
      constexpr int kW = 40, kH = 30;
      for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DDFillRect(dst, 0, 0, 100, 60, 3);
        cFont font;
        font.m_lpBoxSD = c.picture ? picture : nullptr;
        font.nBoxMargin = c.margin;
        font.nBoxColor = 4;
        font.DrawBox(dst, c.x, c.y, kW, kH);
        const std::vector<DWORD> px = Pixels(dst);
        int wrong = 0;
        for (int y = 0; y < 60; ++y) {
          for (int x = 0; x < 100; ++x) {
            const int u = x - c.x, v = y - c.y, mg = c.margin;
            int pal = 3;
            if (u >= 0 && u < kW && v >= 0 && v < kH) {
              if (c.picture) pal = u < 4 && v < 4 ? 5 : u >= 36 && v >= 26 ? 6 : 2;
            } else if (u >= -mg && u < kW + mg && v >= -mg && v < kH + mg) {
              pal = 4;
            }
            if (px[static_cast<size_t>(y) * 100 + static_cast<size_t>(x)] != colour[pal] && ++wrong <= 5) {
              ADD_FAILURE() << "pixel (" << x << ", " << y << ") should be palette " << pal;
            }
          }
        }
        EXPECT_EQ(wrong, 0);
      }
    }
    End();
  }
}

// Printf keeps at most 255 bytes: 300 picture letters two pixels apart end at x = 510.
TEST_F(FontTest, PrintfCutsAt255Bytes) {
  Start(0, 32);
  DDSURFACEDATA* sheet = PictureSheet(2, 4);
  DDSURFACEDATA* dst = Surface(640, 8, 3);
  DDSURFACEDATA* grey = Surface(1, 1, 10);
  cFont font;
  font.Create(kGothic, 0, 4, 2, 4, 1, nullptr, 0, 0, sheet, 0);
  font.Printf(dst, 0, 0, "%s", std::string(300, 'a').c_str());
  EXPECT_EQ(Pixel(dst, 509, 1), Pixel(grey, 0, 0));
  EXPECT_EQ(Pixel(dst, 510, 1), Pixel(dst, 639, 1));
  EXPECT_NE(Pixel(dst, 510, 1), Pixel(grey, 0, 0));
  font.Release();
  End();
}

// A full-width character outside the common set is added to the next cell, rendered there and
// drawn from it; printing it again renders nothing. A full cache draws it directly.
TEST_F(FontTest, FullWidthCacheGrows) {
  for (const Mode& m : kModes) {
    SCOPED_TRACE(m.name);
    Start(m.d3d, m.bpp);
    {
      DDSURFACEDATA* dst = Surface(64, 64, 3);
      cFont font;
      font.Create(kGothic, 0, 16, 16, 16, 1, nullptr, 0, 0, nullptr, 1);
      cBmpFont& full = *font.m_lpFastFont_FullAdd;
      const int before = full.m_nCount;
      ASSERT_EQ(before, 256);
      font.Print(dst, 8, 8, "\x8A\xBF");  // 漢
      ASSERT_EQ(full.m_nCount, 257);
      const BMPFONTCHAR& added = full.m_CharList.back();
      EXPECT_STREQ(added.chars, "\x8A\xBF");
      EXPECT_EQ(added.nIndex, 256);
      const int x = (256 % full.m_nColumns) * 16, y = (256 / full.m_nColumns) * 16;
      EXPECT_EQ(added.x, x);
      EXPECT_EQ(added.y, y);
      const std::vector<DWORD> sheet = Pixels(&full.m_GlyphSD);
      const int sheetInk = CountOther(sheet, full.m_GlyphSD.nWidth, x, y, x + 16, y + 16, sheet.back());
      EXPECT_GT(sheetInk, 0);
      const std::vector<DWORD> out = Pixels(dst);
      const int ink = CountOther(out, 64, 8, 8, 24, 24, out[0]);
      EXPECT_GT(ink, 0);
      EXPECT_LE(ink, sheetInk);  // anti-aliased edges may vanish in the blend
      std::shared_ptr<gfx::TextFace> face = gfx::TextFace::Open(kGothic, 16, 0, lpDTCon != nullptr);
      ASSERT_TRUE(face);
      const int renders = face->RenderCount();
      font.Print(dst, 8, 30, "\x8A\xBF\x8A\xBF");
      EXPECT_EQ(face->RenderCount(), renders);
      EXPECT_EQ(full.m_nCount, 257);
    }
    End();
  }
  // Full: 200 cells hold the first 200 characters of the set.
  Start(0, 32);
  DDSURFACEDATA* dst = Surface(64, 64, 3);
  cFont font;
  font.Create(kGothic, 0, 30, 32, 48, 1, nullptr, 0, 0, nullptr, 1);
  ASSERT_EQ(font.m_lpFastFont_FullAdd->m_nCount, 200);
  font.Print(dst, 0, 0, "\x8A\xBF");
  EXPECT_EQ(font.m_lpFastFont_FullAdd->m_nCount, 200);
  EXPECT_GT(CountOther(Pixels(dst), 64, 0, 0, 32, 48, Pixel(dst, 63, 63)), 0);
  font.Release();
  End();
}

// The DirectDraw palette at 16 bits holds 5- and 6-bit channels: the text colour is widened
// from them, and the text gets the entry's own pixel value.
TEST_F(FontTest, TextColourFromThePalette) {
  Start(0, 16);
  DDPalette[7] = PALETTEENTRY{16, 32, 8, 0};
  DDPalette[8] = PALETTEENTRY{31, 63, 31, 0};
  DDPalette[9] = PALETTEENTRY{1, 1, 0, 0};
  struct Case {
    int entry;
    COLORREF color;
  } cases[] = {{7, RGB(131, 129, 65)}, {8, RGB(255, 255, 255)}, {9, RGB(8, 4, 0)}};
  for (const Case& c : cases) {
    cFont font;
    font.Create(kGothic, 0, 16, 16, 16, c.entry, nullptr, 0, 0, nullptr, 0);
    EXPECT_EQ(font.m_dwColor, c.color) << c.entry;
    DDSURFACEDATA* dst = Surface(32, 32, 3);
    font.Print(dst, 0, 0, "\x81\xA1");  // ■
    EXPECT_EQ(Pixel(dst, 8, 8), PalNumToRGB(static_cast<DWORD>(c.entry))) << c.entry;
  }
  End();
  Start(1, 32);
  DDPalette[7] = PALETTEENTRY{16, 32, 8, 0};
  cFont font;
  font.Create(kGothic, 0, 16, 16, 16, 7, nullptr, 0, 0, nullptr, 0);
  EXPECT_EQ(font.m_dwColor, 0xFF102008u);
  font.Release();
  End();
}

// A glyph sheet that cannot be made (no column fits on the screen) is reported and closes the
// window; the font's texts are skipped.
TEST_F(FontTest, CacheThatCannotBeMade) {
  Start(0, 32);
  DDSURFACEDATA* dst = Surface(64, 64, 3);
  {
    cFont font;
    font.Create(kGothic, 0, 16, 641, 16, 1, nullptr, 0, 0, nullptr, 1);
    EXPECT_NE(Errors().find("m_lpFastFont_FullAdd Err"), std::string::npos) << Errors();
    EXPECT_EQ(env->TakeCloseRequests(), 1);
    EXPECT_EQ(font.m_lpFastFont_FullAdd, nullptr);
    font.Print(dst, 0, 0, "AB\x8A\xBF");
    EXPECT_EQ(CountOther(Pixels(dst), 64, 0, 0, 64, 64, Pixel(dst, 0, 0)), 0);
  }
  // 640 still fits one column.
  cFont font;
  font.Create(kGothic, 0, 16, 640, 16, 1, nullptr, 0, 0, nullptr, 1);
  ASSERT_NE(font.m_lpFastFont_FullAdd, nullptr);
  EXPECT_EQ(font.m_lpFastFont_FullAdd->m_nColumns, 1);
  EXPECT_EQ(env->TakeCloseRequests(), 0);
  font.Release();
}

// Image numbers outside the system images give no box and no picture sheet.
TEST_F(FontTest, FontsFromDefinitions) {
  Start(0, 32);
  FONTDEF defs[2];
  for (FONTDEF& d : defs) {
    std::snprintf(d.szFace, sizeof d.szFace, "%s", kGothic);
    d.nHeight = 16;
    d.nPitchX = d.nPitchY = 16;
    d.nColour = 1;
  }
  defs[0].nBoxImage = 45;
  defs[0].nPictImage = 50;
  defs[1].nBoxImage = 71;
  defs[1].nPictImage = -1;
  cFont fonts[2];
  EXPECT_EQ(CreateFonts(fonts, defs, 2), 1);
  EXPECT_EQ(fonts[0].m_lpBoxSD, &g_SystemImage[45]);
  EXPECT_EQ(fonts[0].m_lpPictureSD, &g_SystemImage[50]);
  EXPECT_EQ(fonts[0].m_bPicture, 1);
  EXPECT_EQ(fonts[1].m_lpBoxSD, nullptr);
  EXPECT_EQ(fonts[1].m_bPicture, 0);
  EXPECT_EQ(fonts[1].m_nIndex, fonts[0].m_nIndex + 1);
  DDSURFACEDATA* dst = Surface(64, 64, 3);
  fonts[1].PrintInBox(dst, FONT_CENTER, FONT_CENTER, 0, 0, "ab", 0);
  // Digit sheets: cell width × 10 by the line height.
  DDSURFACEDATA digits[2];
  BitmapEntry entries[2];
  EXPECT_EQ(CreateNumberFonts(digits, entries, 2, fonts), 1);
  EXPECT_EQ(digits[0].nWidth, 160);
  EXPECT_EQ(digits[0].nHeight, 16);
  EXPECT_GT(CountOther(Pixels(&digits[0]), 160, 144, 0, 160, 16, Pixel(&digits[0], 0, 0)), 0);  // "9"
  for (DDSURFACEDATA& d : digits) DDReleaseSurface(&d);
  for (cFont& f : fonts) f.Release();
  End();
}

// A counter drawn digit by digit from a font's digit sheet looks as the font prints the digits:
// 907 in a field of 4 cells of 16 is right-aligned one cell in, so it matches "907" printed
// 16 pixels to the right; centred in 6 cells it starts 1.5 cells in, at 24.
TEST_F(FontTest, NumbersFromTheDigitSheetMatchPrintedDigits) {
  for (const Mode& m : kModes) {
    if (m.d3d) continue;  // Direct3D blends the glyph edges again with every copy
    SCOPED_TRACE(m.name);
    Start(m.d3d, m.bpp);
    {
      cFont font;
      font.Create(kGothic, 0, 16, 16, 20, 4, nullptr, 0, 0, nullptr, 0);
      DDSURFACEDATA digits;
      BitmapEntry entry;
      entry.nTransmit = 1;
      EXPECT_EQ(CreateNumberFonts(&digits, &entry, 1, &font), 1);
      struct Case {
        int digits, centre, shift;
      } cases[] = {{4, 0, 16}, {3, 0, 0}, {1, 0, 0}, {6, 1, 24}, {5, 1, 16}};
      for (const Case& c : cases) {
        SCOPED_TRACE(c.digits);
        DDSURFACEDATA* counted = Surface(120, 24, 3);
        DDSURFACEDATA* printed = Surface(120, 24, 3);
        DDDrawNumber(counted, 4, 2, 16, 20, &digits, 0, 0, 1, 907, c.digits, c.centre);
        font.Print(printed, 4 + c.shift, 2, "907");
        EXPECT_GT(CountOther(Pixels(printed), 120, 0, 0, 120, 24, Pixel(printed, 0, 0)), 0);
        EXPECT_TRUE(Pixels(counted) == Pixels(printed));
      }
      DDReleaseSurface(&digits);
    }
    End();
  }
}

// After a device reset the lost sheets are drawn again with the same characters in the same cells.
TEST_F(FontTest, CachesRedrawnAfterLoss) {
  Start(1, 32);
  DDSURFACEDATA* dst = Surface(64, 64, 3);
  cFont font;
  font.Create(kGothic, 0, 16, 16, 16, 1, nullptr, 0, 0, nullptr, 1);
  font.Print(dst, 0, 0, "\x8A\xBF");
  cBmpFont* caches[2] = {font.m_lpFastFont_Half, font.m_lpFastFont_FullAdd};
  std::vector<DWORD> before[2];
  for (int i = 0; i < 2; ++i) {
    before[i] = Pixels(&caches[i]->m_GlyphSD);
    DDFillRect(&caches[i]->m_GlyphSD, 0, 0, caches[i]->m_GlyphSD.nWidth, caches[i]->m_GlyphSD.nHeight, 0);
    caches[i]->m_GlyphSD.bLost = 1;
  }
  font.OnRestore();
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(caches[i]->m_GlyphSD.bLost, 0);
    EXPECT_TRUE(Pixels(&caches[i]->m_GlyphSD) == before[i]) << i;
  }
  EXPECT_EQ(font.m_lpFastFont_FullAdd->m_nCount, 257);
  font.Release();
  End();
}

// Under Direct3D a destination in system memory receives the text through the work surface:
// the characters land in the same cells as on a render target, with caches and without.
TEST_F(FontTest, PrintingIntoSystemMemory) {
  Start(1, 32);
  for (int cache : {0, 1}) {
    SCOPED_TRACE(cache);
    cFont font;
    font.Create(kGothic, 0, 16, 16, 20, 1, nullptr, 0, 0, nullptr, cache);
    DDSURFACEDATA* dst = Surface(100, 60, 3, DTMEMORYTYPE_SYSTEM);
    font.Print(dst, 20, 10, "X\x8A\xBF\n \x82\xA0");
    const std::vector<DWORD> px = Pixels(dst);
    const DWORD blue = px[0];
    EXPECT_GT(CountOther(px, 100, 20, 10, 36, 30, blue), 0);
    EXPECT_GT(CountOther(px, 100, 36, 10, 52, 30, blue), 0);
    EXPECT_EQ(CountOther(px, 100, 20, 30, 36, 50, blue), 0);
    EXPECT_GT(CountOther(px, 100, 36, 30, 52, 50, blue), 0);
    const int all = CountOther(px, 100, 0, 0, 100, 60, blue);
    EXPECT_EQ(CountOther(px, 100, 20, 10, 52, 50, blue), all);  // nothing outside the text
  }
  End();
}

// Text sizes count characters per line without a limit on the line's length.
TEST_F(FontTest, TextSizeOfLongLines) {
  cFont font;
  font.nCellWidth = 10;
  font.nLineHeight = 12;
  struct Case {
    std::string text;
    int w, h;
  } cases[] = {
      {"", 0, 12},
      {"abc", 30, 12},
      {"\x82\xA0\x82\xA2x\n", 30, 24},
      {std::string(600, 'x') + "\nab", 6000, 24},
      {"a\n" + std::string(300, '\x82') + "\n", 1500, 36},  // lead bytes pair up with each other
      {"ab\x82", 20, 12},                                  // a lead byte at the end is dropped
  };
  for (const Case& c : cases) {
    int w = -1, h = -1;
    font.GetTextSize(c.text.c_str(), &w, &h);
    EXPECT_EQ(w, c.w) << c.text.size();
    EXPECT_EQ(h, c.h) << c.text.size();
  }
  EXPECT_EQ(cFont::LineLength("ab\ncd"), 2);
  EXPECT_EQ(cFont::LineLength("abcd"), 4);
}

// A Direct3D font whose D3DX objects cannot be made (here: no device while it is made) is
// reported; its texts are skipped, never drawn through the missing objects.
TEST_F(FontTest, Direct3DFontThatCannotBeMade) {
  Start(1, 32);
  DDSURFACEDATA* dst = Surface(64, 64, 3);
  cFont font;
  IDirect3DDevice9* device = lpDevice;
  lpDevice = nullptr;
  font.Create(kGothic, 0, 16, 16, 16, 1, nullptr, 0, 0, nullptr, 0);
  lpDevice = device;
  EXPECT_EQ(font.lpFont, nullptr);
  EXPECT_EQ(font.lpSprite, nullptr);
  EXPECT_NE(Errors().find("D3DXCreateFontIndirectA Font Err"), std::string::npos) << Errors();
  EXPECT_NE(Errors().find("D3DXCreateSprite Font Err"), std::string::npos) << Errors();
  env->TakeCloseRequests();
  font.Print(dst, 0, 0, "AB\x8A\xBF");
  font.PrintInBox(dst, 0, 0, 0, 0, "AB", 0);
  int w = -1, h = -1;
  font.GetTextExtent(nullptr, "AB", &w, &h);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(CountOther(Pixels(dst), 64, 0, 0, 64, 64, Pixel(dst, 0, 0)), 0);
  font.Release();
  End();
}
