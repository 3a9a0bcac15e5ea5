// The text engine: Shift-JIS decoding, face names mapped onto the installed Japanese fonts,
// the Windows size convention, widths as sums of advances, the glyph cache, and the GDI and
// D3DX outlets on device pixels.
#include "platform/text_engine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "device_fixture.h"
#include "platform/d3dx9.h"
#include "platform/font_match.h"
#include "platform/gdi.h"

namespace {

// Takes the engine out again, so that other tests see the device without one.
struct EngineInstalled {
  EngineInstalled() { gfx::UseTextEngine(); }
  ~EngineInstalled() {
    SetGdiTextEngine(nullptr);
    SetD3DXFontFactory(nullptr);
  }
};

// The bounding box of the pixels of a buffer that differ from a background value.
struct Box {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
  bool Empty() const { return right < 0; }
};
Box InkBox(const gfx::PixelBuffer& px, uint32_t background) {
  Box b;
  for (int y = 0; y < px.height; ++y) {
    for (int x = 0; x < px.width; ++x) {
      if (px.Get(x, y) == background) continue;
      b.left = std::min(b.left, x);
      b.top = std::min(b.top, y);
      b.right = std::max(b.right, x + 1);
      b.bottom = std::max(b.bottom, y + 1);
    }
  }
  return b;
}

}  // namespace

TEST(TextEngine, DecodesShiftJisCharacters) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<uint32_t> codes;
    std::vector<int> bytes;
  } cases[] = {
      {"ASCII", "Az", {0x41, 0x7A}, {1, 1}},
      {"half-width katakana", "\xB1\xDF", {0xFF71, 0xFF9F}, {1, 1}},
      {"hiragana and kanji", "\x82\xA0\x8A\xBF", {0x3042, 0x6F22}, {2, 2}},
      {"full-width space", "\x81\x40", {0x3000}, {2}},
      {"a lead byte at the end is dropped", "A\x82", {0x41}, {1}},
      {"a lead byte before a byte that cannot trail", "\x82\x0A" "B", {0, 0, 0x42}, {1, 1, 1}},
      {"control codes and undefined bytes draw nothing", std::string("\x10\x80\xA0\xFD", 4), {0, 0, 0, 0}, {1, 1, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<gfx::SjisChar> chars = gfx::DecodeSjisText(c.text.data(), static_cast<int>(c.text.size()));
    ASSERT_EQ(chars.size(), c.codes.size());
    for (size_t i = 0; i < chars.size(); ++i) {
      EXPECT_EQ(chars[i].code, c.codes[i]) << i;
      EXPECT_EQ(chars[i].bytes, c.bytes[i]) << i;
    }
  }
}

TEST(TextEngine, FaceNamesMapOntoJapaneseFaces) {
  struct Case {
    const char* face;
    const char* family;
  } cases[] = {
      {"ＭＳ ゴシック", "IPAGothic"}, {"ＭＳ Ｐゴシック", "IPAPGothic"}, {"ＭＳ 明朝", "IPAMincho"},
      {"ＭＳ Ｐ明朝", "IPAPMincho"},  {"MS UI Gothic", "IPAPGothic"},    {"Arial", "IPAPGothic"},
      {"Courier New", "IPAGothic"},   {"Times New Roman", "IPAPMincho"}, {"HG明朝B", "IPAMincho"},
      {"HGP明朝B", "IPAPMincho"},     {"HGｺﾞｼｯｸE", "IPAGothic"},          {"MS Sans Serif", "IPAPGothic"},
      {"", "IPAPGothic"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.family);
    EXPECT_STREQ(gfx::FamilyOfKind(gfx::ClassifyFaceName(c.face)), c.family);
    gfx::FontFileRef ref;
    ASSERT_TRUE(gfx::MatchFontFace(c.face, &ref));
    EXPECT_EQ(ref.family, c.family);
    EXPECT_FALSE(ref.path.empty());
  }
}

std::vector<std::string> g_reports;

// A family that is not installed, or one without Japanese characters, gives way to the gothic
// face of the same pitch, with one report line per face name.
TEST(TextEngine, UnmatchedFacesFallBackToGothic) {
  g_reports.clear();
  gfx::SetFontReportHook([](const char* line) { g_reports.emplace_back(line); });
  // Face names are remembered for the process: each run of the test uses new ones.
  static int run = 0;
  const std::string n = std::to_string(++run);
  const std::string a = "Unmatched A" + n, b = "Unmatched B" + n, c3 = "Unmatched C" + n;
  struct Case {
    std::string face;
    const char* family;
    bool fixed;
    const char* used;
  } cases[] = {
      {a, "No Such Family 8q", true, "IPAGothic"},
      {b, "No Such Family 8q", false, "IPAPGothic"},
      {c3, "DejaVu Sans", false, "IPAPGothic"},  // Latin only
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.face);
    gfx::FontFileRef ref;
    ASSERT_TRUE(gfx::MatchFontFamily(c.face.c_str(), c.family, c.fixed, &ref));
    EXPECT_EQ(ref.family, c.used);
    ASSERT_TRUE(gfx::MatchFontFamily(c.face.c_str(), c.family, c.fixed, &ref));  // remembered
    EXPECT_EQ(ref.family, c.used);
  }
  gfx::SetFontReportHook(nullptr);
  ASSERT_EQ(g_reports.size(), 3u);
  EXPECT_EQ(g_reports[0], "Font face \"" + a + "\": No Such Family 8q not found; IPAGothic used");
  EXPECT_EQ(g_reports[2], "Font face \"" + c3 + "\": DejaVu Sans not found; IPAPGothic used");
}

// Positive heights are cells, negative ones the character height; at −16 the fixed-pitch
// gothic face advances 16 pixels for a full-width and 8 for a half-width character.
TEST(TextEngine, SizesAndWidthsFollowTheWindowsConvention) {
  for (int cell : {9, 16, 30, 31}) {
    std::shared_ptr<gfx::TextFace> face = gfx::TextFace::Open("ＭＳ ゴシック", cell, 0, false);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->CellHeight(), cell);
    EXPECT_GT(face->Ascent(), cell / 2);
    EXPECT_LT(face->Ascent(), cell);
  }
  std::shared_ptr<gfx::TextFace> em16 = gfx::TextFace::Open("ＭＳ ゴシック", -16, 0, false);
  ASSERT_TRUE(em16);
  EXPECT_GE(em16->CellHeight(), 16);
  EXPECT_EQ(em16->TextWidth("A", 1), 8);
  EXPECT_EQ(em16->TextWidth("\x82\xA0", 2), 16);
  EXPECT_EQ(em16->TextWidth("A\x82\xA0" "B", 4), 32);
  EXPECT_EQ(em16->TextWidth("\x81\x40 ", 3), 24);  // spaces advance
  EXPECT_EQ(em16->TextWidth("AB\x82", 3), 16);     // the lead byte at the end is dropped
  // An average width of 4 halves the characters' width.
  std::shared_ptr<gfx::TextFace> narrow = gfx::TextFace::Open("ＭＳ ゴシック", -16, 4, false);
  ASSERT_TRUE(narrow);
  EXPECT_EQ(narrow->TextWidth("A\x82\xA0", 3), 12);
}

TEST(TextEngine, GlyphsAreRenderedOnce) {
  std::shared_ptr<gfx::TextFace> face = gfx::TextFace::Open("ＭＳ ゴシック", -21, 0, true);
  ASSERT_TRUE(face);
  EXPECT_EQ(face, gfx::TextFace::Open("ＭＳ ゴシック", -21, 0, true));  // shared
  face->TextWidth("\x8A\xBF\x8E\x9A" "ab", 6);
  const int rendered = face->RenderCount();
  EXPECT_GE(rendered, 4);
  face->TextWidth("ba\x8E\x9A\x8A\xBF", 6);
  EXPECT_EQ(face->RenderCount(), rendered);
}

TEST(TextEngine, GdiTextOnSurfacePixels) {
  EngineInstalled engine;
  gfx::PixelBuffer px;
  ASSERT_TRUE(px.Allocate(gfx::PixelFormat::kX8R8G8B8, 100, 40));
  HDC dc = gfx::CreateSurfaceDC(&px, nullptr);
  HFONT font = CreateFontA(-16, 0, 0, 0, 400, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ ゴシック");
  HGDIOBJ old = SelectObject(dc, font);
  SIZE sz{};
  ASSERT_TRUE(GetTextExtentPoint32A(dc, "\x82\xA0\x82\xA2" "A", 5, &sz));
  EXPECT_EQ(sz.cx, 40);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 0, 0));
  ASSERT_TRUE(TextOutA(dc, 10, 5, "\x82\xA0\x82\xA2" "A", 5));
  const Box b = InkBox(px, 0u);
  ASSERT_FALSE(b.Empty());
  EXPECT_GE(b.left, 10);
  EXPECT_LE(b.right, 50);
  EXPECT_GE(b.top, 5);
  EXPECT_LE(b.bottom, 5 + sz.cy);
  // Without anti-aliasing every pixel is the text colour or untouched.
  for (int y = 0; y < px.height; ++y) {
    for (int x = 0; x < px.width; ++x) {
      const uint32_t p = px.Get(x, y);
      EXPECT_TRUE(p == 0u || p == 0x00FF0000u) << x << "," << y << " " << std::hex << p;
    }
  }
  SelectObject(dc, old);
  DeleteObject(font);
  gfx::DestroySurfaceDC(dc);
}

using TextEngineDevice = DeviceTest;

TEST_F(TextEngineDevice, D3DXFontMeasuresLinesAndDrawsThroughItsSprite) {
  EngineInstalled engine;
  D3DXFONT_DESCA desc{};
  desc.Height = -12;
  desc.Weight = 400;
  desc.CharSet = 128;
  std::strcpy(desc.FaceName, "ＭＳ ゴシック");
  ID3DXFont* font = nullptr;
  ASSERT_EQ(D3DXCreateFontIndirectA(dev, &desc, &font), D3D_OK);
  Com<ID3DXFont> hold(font);
  std::shared_ptr<gfx::TextFace> face = gfx::TextFace::Open("ＭＳ ゴシック", -12, 0, true);
  ASSERT_TRUE(face);
  RECT r{5, 7, 5, 7};
  const int h = font->DrawTextA(nullptr, "ab\n\x82\xA0\x82\xA0" "c", -1, &r, DT_CALCRECT, 0xFFFFFFFFu);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.right, 5 + 30);  // the longer line: two full-width and one half-width character
  EXPECT_EQ(r.bottom - r.top, h);
  EXPECT_EQ(h, 2 * face->CellHeight());

  IDirect3DSurface9* bb = nullptr;
  ASSERT_EQ(dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb), D3D_OK);
  Com<IDirect3DSurface9> holdBb(bb);
  bb->pixels.Fill(0, 0, 32, 16, 0xFF000000u);
  RECT at{4, 1, 4, 1};
  font->DrawTextA(nullptr, "\x82\xA0", 2, &at, DT_NOCLIP, 0xFF00FF00u);
  const Box b = InkBox(bb->pixels, 0xFF000000u);
  ASSERT_FALSE(b.Empty());
  EXPECT_GE(b.left, 4);
  EXPECT_LE(b.right, 16);
  EXPECT_GE(b.top, 1);
  EXPECT_LE(b.bottom, 1 + face->CellHeight());
  // Anti-aliased through the alpha: some pixels lie between the background and the colour,
  // and no other channel than green is touched.
  bool partial = false;
  for (int y = b.top; y < b.bottom; ++y) {
    for (int x = b.left; x < b.right; ++x) {
      const uint32_t p = bb->pixels.Get(x, y);
      const uint32_t g = (p >> 8) & 0xFF;
      partial = partial || (g > 0 && g < 255);
      EXPECT_EQ(p & 0x00FF00FFu, 0u);
    }
  }
  EXPECT_TRUE(partial);

  // On a target with a one-bit alpha the glyph is drawn whole: every pixel is the colour or
  // untouched.
  Com<IDirect3DTexture9> oneBit = Target(D3DFMT_A1R5G5B5, 32, 16, 0);
  ASSERT_EQ(dev->SetRenderTarget(0, Level(oneBit.get())), D3D_OK);
  font->DrawTextA(nullptr, "\x82\xA0", 2, &at, DT_NOCLIP, 0xFF00FF00u);
  int inked = 0;
  for (uint32_t p : Read(oneBit.get())) {
    EXPECT_TRUE(p == 0 || p == 0x83E0u) << std::hex << p;
    inked += p != 0;
  }
  EXPECT_GT(inked, 10);
}
