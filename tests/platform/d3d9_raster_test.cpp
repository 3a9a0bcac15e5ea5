// What the software Direct3D device draws: texture stage 0, the blend, and where a quad's
// texels land.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "device_fixture.h"

namespace {

using RasterTest = DeviceTest;

constexpr uint32_t A = 0xFF100000, B = 0xFF200000, C = 0xFF300000, D = 0xFF400000;

TEST_F(RasterTest, StageOperationsTheDrawingLayerUses) {
  struct Row {
    const char* name;
    DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
    bool texture;
    uint32_t texel, diffuse, factor, expect;
  };
  const Row rows[] = {
      {"blit", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, true,
       0x80402010, 0xFFFFFFFF, 0, 0x80402010},
      {"blit with a vertex colour", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
       D3DTA_DIFFUSE, true, 0x80402010, 0x00808080, 0, 0x80201008},
      // round(1 × 128 / 255) = round(0.502) = 1 per channel (cut: 0).
      {"blit with a vertex colour rounds to the nearest", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
       D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, true, 0x01010101, 0x80808080, 0, 0x01010101},
      {"flash colour added", D3DTOP_ADD, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
       D3DTA_DIFFUSE, true, 0x80F01010, 0xFF202020, 0, 0x80FF3030},
      {"flash colour subtracted", D3DTOP_SUBTRACT, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
       D3DTA_DIFFUSE, true, 0xFF102030, 0xFF202020, 0, 0xFF000010},
      {"alpha off passes the vertex alpha", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE,
       D3DTA_TEXTURE, D3DTA_DIFFUSE, true, 0x00112233, 0x7FFFFFFF, 0, 0x7F112233},
      {"fill from the texture factor", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG2,
       D3DTA_TEXTURE, D3DTA_TFACTOR, true, 0xFFFFFFFF, 0xFFFFFFFF, 0x80112233, 0x80112233},
      {"rectangle batch", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, D3DTA_TEXTURE,
       D3DTA_DIFFUSE, true, 0xFFFFFFFF, 0x40445566, 0, 0x40445566},
      {"fade", D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, true,
       0xFFFFFFFF, 0xC0000000, 0, 0xC0000000},
      {"translucent blit", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE,
       D3DTA_DIFFUSE, true, 0xFF804020, 0x80FFFFFF, 0, 0x80804020},
      {"colour change", D3DTOP_BLENDFACTORALPHA, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
       D3DTA_DIFFUSE, true, 0xFF804020, 0xFFFFFFFF, 0x8000FF00, 0xFF409F10},
      {"missing texture samples opaque white", D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE,
       D3DTA_TEXTURE, D3DTA_DIFFUSE, false, 0, 0x80336699, 0, 0x80336699},
      {"colour stage off passes the vertex colour", D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1,
       D3DTA_TEXTURE, D3DTA_DIFFUSE, true, 0xFFFFFFFF, 0x11223344, 0, 0x11223344},
  };
  DrawingStates();
  dev->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);  // the stage's output lands as it is
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    auto target = Target(D3DFMT_A8R8G8B8, 1, 1, 0);
    auto tex = Texture(D3DFMT_A8R8G8B8, 1, 1, {r.texel});
    Stage(r.colorOp, r.colorArg1, r.colorArg2, r.alphaOp, r.alphaArg1, r.alphaArg2);
    dev->SetRenderState(D3DRS_TEXTUREFACTOR, r.factor);
    ASSERT_EQ(Blit(Level(target.get()), 0, 0, 1, 1, r.texture ? tex.get() : nullptr, 0, 0, 1, 1, r.diffuse), D3D_OK);
    EXPECT_EQ(Read(target.get())[0], r.expect) << PixelList(Read(target.get()));
  }
}

// The blend of a source colour with alpha a over the target, by hand: each channel
// round((s × a + d × (255 − a)) / 255), the alpha channel with s = a; 16-bit targets are widened
// by bit replication first and the result narrowed by cutting (8 bits -> 5: v >> 3, -> 6: v >> 2),
// the one-bit alpha set from 128. The expectations are the raw pixel values of the target.
TEST_F(RasterTest, AlphaBlendOnAllFourChannels) {
  struct Row {
    const char* name;
    D3DFORMAT format;
    uint32_t dst, src;  // A8R8G8B8 colours: the target's clear colour and the source
    uint32_t expect;    // the target's raw pixel value
  };
  const Row rows[] = {
      // A: round((128 × 128 + 64 × 127) / 255) = 96; R: 128; B: round(255 × 127 / 255) = 127.
      {"alpha channel gets a_s × a_s + a_d × (1 − a_s)", D3DFMT_A8R8G8B8, 0x400000FF, 0x80FF0000, 0x6080007F},
      {"alpha 0 leaves the target", D3DFMT_A8R8G8B8, 0x400000FF, 0x00FF0000, 0x400000FF},
      {"alpha 255 replaces it", D3DFMT_A8R8G8B8, 0x400000FF, 0xFFFF0000, 0xFFFF0000},
      // R: round(1 × 128 / 255) = round(0.502) = 1 (cut: 0); B: round(1 × 127 / 255) = 0; A: 64.
      {"channels round to the nearest", D3DFMT_A8R8G8B8, 0x00000001, 0x80010000, 0x40010000},
      {"X byte is written 0xFF", D3DFMT_X8R8G8B8, 0xFF0000FF, 0x80FF0000, 0xFF80007F},
      // R 128 -> 16, B 127 -> 15.
      {"R5G6B5", D3DFMT_R5G6B5, 0xFF0000FF, 0x80FF0000, 0x800F},
      {"R5G6B5 alpha 0", D3DFMT_R5G6B5, 0xFF0000FF, 0x00FF0000, 0x001F},
      // R: round(15 × 128 / 255) = round(7.53) = 8 -> 1 (cut: 7 -> 0).
      {"R5G6B5 rounding reaches the next step", D3DFMT_R5G6B5, 0xFF000000, 0x800F0000, 0x0800},
      // The full channels widen to 255: round(255 × 254 / 255) = 254 -> 31, 63, 31 (widened to
      // 248 and 252 they would give 247 -> 30 and 251 -> 62).
      {"R5G6B5 full channels under a faint black", D3DFMT_R5G6B5, 0xFFFFFFFF, 0x01000000, 0xFFFF},
      {"A1R5G5B5 full channels under a faint black", D3DFMT_A1R5G5B5, 0xFFFFFFFF, 0x01000000, 0xFFFF},
      {"A1R5G5B5 keeps its alpha bit under alpha 0", D3DFMT_A1R5G5B5, 0x000000FF, 0x00FF0000, 0x001F},
      {"A1R5G5B5 alpha bit from a_s × a_s + a_d × (1 − a_s)", D3DFMT_A1R5G5B5, 0x000000FF, 0xFFFF0000, 0xFC00},
      // Alpha round(181 × 181 / 255) = 128 sets the bit, round(180 × 180 / 255) = 127 does not.
      {"A1R5G5B5 alpha bit from 128", D3DFMT_A1R5G5B5, 0x00000000, 0xB5000000, 0x8000},
      {"A1R5G5B5 alpha bit not from 127", D3DFMT_A1R5G5B5, 0x00000000, 0xB4000000, 0x0000},
  };
  DrawingStates();
  Stage(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    auto target = Target(r.format, 1, 1, r.dst);
    ASSERT_EQ(Blit(Level(target.get()), 0, 0, 1, 1, nullptr, 0, 0, 1, 1, r.src), D3D_OK);
    EXPECT_EQ(Read(target.get())[0], r.expect) << std::hex << Read(target.get())[0];
  }
}

class CopyTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    DrawingStates();
    IDirect3DSurface9* bb = nullptr;
    dev->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb);
    levels.push_back(bb);
    back = bb;
    dev->SetRenderTarget(0, back);
    dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    // A 4 × 3 picture of distinct opaque pixels in an 8 × 4 texture.
    std::vector<uint32_t> px(32, 0xFF000000);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < 4; ++x) px[static_cast<size_t>(y * 8 + x)] = Pixel(x, y);
    }
    tex = Texture(D3DFMT_A8R8G8B8, 8, 4, px);
  }
  static uint32_t Pixel(int x, int y) { return 0xFF000000u | static_cast<uint32_t>(x + 1) << 16 | static_cast<uint32_t>(y + 1) << 8; }
  uint32_t At(const std::vector<uint32_t>& frame, int x, int y) { return frame[static_cast<size_t>(y * 32 + x)]; }
  // Expects the frame to hold want(x, y) inside the rectangle and black elsewhere.
  template <class F>
  void ExpectFrame(int x0, int y0, int w, int h, F want) {
    const std::vector<uint32_t> f = Read(back);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 32; ++x) {
        const bool inside = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
        const uint32_t expect = inside ? want(x - x0, y - y0) : 0xFF000000u;
        ASSERT_EQ(At(f, x, y), expect) << "at " << x << "," << y;
      }
    }
  }
  IDirect3DSurface9* back = nullptr;
  Com<IDirect3DTexture9> tex;
};

TEST_F(CopyTest, UnscaledQuadCopiesExactly) {
  ASSERT_EQ(Blit(back, 5, 3, 4, 3, tex.get(), 0, 0, 4, 3), D3D_OK);
  ExpectFrame(5, 3, 4, 3, [](int x, int y) { return Pixel(x, y); });
}

TEST_F(CopyTest, PartOfTheTextureAndClippingAtTheTargetEdge) {
  ASSERT_EQ(Blit(back, 30, 14, 3, 2, tex.get(), 1, 1, 3, 2), D3D_OK);
  ExpectFrame(30, 14, 2, 2, [](int x, int y) { return Pixel(x + 1, y + 1); });
  dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  ASSERT_EQ(Blit(back, -2, 0, 4, 3, tex.get(), 0, 0, 4, 3), D3D_OK);
  ExpectFrame(0, 0, 2, 3, [](int x, int y) { return Pixel(x + 2, y); });
}

TEST_F(CopyTest, MirroredQuadsMirrorExactly) {
  // A negative source width reads from the right edge (exclusive) leftwards: column 4 − k − 1.
  ASSERT_EQ(Blit(back, 2, 2, 4, 3, tex.get(), 4, 0, -4, 3), D3D_OK);
  ExpectFrame(2, 2, 4, 3, [](int x, int y) { return Pixel(3 - x, y); });
  dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
  ASSERT_EQ(Blit(back, 2, 2, 4, 3, tex.get(), 0, 3, 4, -3), D3D_OK);
  ExpectFrame(2, 2, 4, 3, [](int x, int y) { return Pixel(x, 2 - y); });
}

TEST_F(CopyTest, ScaledQuadsTakeTheTexelUnderEachPixelCentre) {
  struct Row {
    int dstW;
    std::vector<int> columns;
  };
  const Row rows[] = {{8, {0, 0, 1, 1, 2, 2, 3, 3}}, {2, {1, 3}}, {5, {0, 1, 2, 2, 3}}, {1, {2}}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.dstW);
    dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(Blit(back, 0, 0, r.dstW, 6, tex.get(), 0, 0, 4, 3), D3D_OK);
    ExpectFrame(0, 0, r.dstW, 6, [&](int x, int y) { return Pixel(r.columns[static_cast<size_t>(x)], y / 2); });
  }
}

TEST_F(CopyTest, QuarterTurnLandsEveryTexelOnOnePixel) {
  // The vertices of a rotated blit: the rectangle turned about its centre, which lands on (10, 8).
  const float s = std::sin(90 * 0.017453292519943278f), c = std::cos(90 * 0.017453292519943278f);
  const int w = 4, h = 2, px = w >> 1, py = h >> 1, x = 10, y = 8;
  gfx::Vertex q[4];
  const int corners[4][2] = {{0, 0}, {0, h}, {w, 0}, {w, h}};
  for (int i = 0; i < 4; ++i) {
    const float u = static_cast<float>(corners[i][0]), v = static_cast<float>(corners[i][1]);
    q[i].x = static_cast<float>(x) - 0.5f + c * (u - px) - s * (v - py);
    q[i].y = static_cast<float>(y) - 0.5f + s * (u - px) + c * (v - py);
    q[i].diffuse = 0xFFFFFFFF;
    q[i].u = u / 8;
    q[i].v = v / 4;
  }
  dev->SetTexture(0, tex.get());
  ASSERT_EQ(DrawQuad(q), D3D_OK);
  // Turned clockwise: the top row of the picture becomes the right column.
  ExpectFrame(9, 6, 2, 4, [](int x, int y) { return Pixel(y, 1 - x); });
}

TEST_F(RasterTest, EdgesSharedByQuadsAreDrawnOnce) {
  // Additive drawing counts how often each pixel is drawn.
  DrawingStates();
  dev->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  dev->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  Stage(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  auto rotated = [&](IDirect3DSurface9* target, float from, float to, float angle) {
    const float s = std::sin(angle), c = std::cos(angle);
    const float cx = 16, cy = 16;
    gfx::Vertex q[4];
    const float corners[4][2] = {{from, -5}, {from, 5}, {to, -5}, {to, 5}};
    for (int i = 0; i < 4; ++i) {
      q[i].x = cx + c * corners[i][0] - s * corners[i][1];
      q[i].y = cy + s * corners[i][0] + c * corners[i][1];
      q[i].diffuse = 0x01010101;
    }
    EXPECT_EQ(dev->SetRenderTarget(0, target), D3D_OK);
    dev->SetTexture(0, nullptr);
    EXPECT_EQ(DrawQuad(q), D3D_OK);
  };
  for (float angle : {0.0f, 0.3f, 0.7854f, 2.0f}) {
    SCOPED_TRACE(angle);
    // Two halves of a rotated 16 × 10 rectangle, sharing an edge: no pixel twice, no hole.
    auto halves = Target(D3DFMT_A8R8G8B8, 32, 32, 0);
    rotated(Level(halves.get()), -8, 0.37f, angle);
    rotated(Level(halves.get()), 0.37f, 8, angle);
    const std::vector<uint32_t> h = Read(halves.get());
    EXPECT_EQ(*std::max_element(h.begin(), h.end()), 0x01010101u);
    for (int y = 0; y < 32; ++y) {
      int first = -1, last = -1, count = 0;
      for (int x = 0; x < 32; ++x) {
        if (h[static_cast<size_t>(y * 32 + x)] == 0) continue;
        if (first < 0) first = x;
        last = x;
        ++count;
      }
      if (count) {
        EXPECT_EQ(count, last - first + 1) << "hole in row " << y;
      }
    }
    EXPECT_NEAR(std::count(h.begin(), h.end(), 0x01010101u), 160, 20);
  }
}

TEST_F(RasterTest, QuadAtFractionalPositionCoversTheCentresInside) {
  DrawingStates();
  Stage(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE);
  auto target = Target(D3DFMT_A8R8G8B8, 8, 1, 0);
  // Left edge 1.2 (centres from 2), right edge 5.0 exactly (the centre at 5 is outside).
  const gfx::Vertex q[4] = {{1.2f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                            {1.2f, 0.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                            {5.0f, -0.5f, 0, 1, 0xFFFFFFFF, 0, 0},
                            {5.0f, 0.5f, 0, 1, 0xFFFFFFFF, 0, 0}};
  dev->SetRenderTarget(0, Level(target.get()));
  dev->SetTexture(0, nullptr);
  ASSERT_EQ(DrawQuad(q), D3D_OK);
  const uint32_t W = 0xFFFFFFFF;
  EXPECT_EQ(Read(target.get()), (std::vector<uint32_t>{0, 0, W, W, W, 0, 0, 0}));
}

TEST_F(RasterTest, TextureThatIsTheTargetIsSampledAsBeforeTheDraw) {
  DrawingStates();
  auto t = Target(D3DFMT_A8R8G8B8, 4, 1, 0);
  IDirect3DSurface9* level = Level(t.get());
  {
    auto src = Texture(D3DFMT_A8R8G8B8, 4, 1, {A, B, C, D});
    ASSERT_EQ(Blit(level, 0, 0, 4, 1, src.get(), 0, 0, 4, 1), D3D_OK);
  }
  ASSERT_EQ(Blit(level, 1, 0, 3, 1, t.get(), 0, 0, 3, 1), D3D_OK);
  EXPECT_EQ(Read(t.get()), (std::vector<uint32_t>{A, A, B, C}));
}

TEST_F(RasterTest, CullingFollowsTheWindingOnTheScreen) {
  auto target = Target(D3DFMT_A8R8G8B8, 2, 2, 0);
  auto src = Texture(D3DFMT_A8R8G8B8, 1, 1, {A});
  // A new device culls counter-clockwise triangles: the blit quad's strip is one of those.
  ASSERT_EQ(Blit(Level(target.get()), 0, 0, 2, 2, src.get(), 0, 0, 1, 1), D3D_OK);
  EXPECT_EQ(Read(target.get()), (std::vector<uint32_t>(4, 0)));
  dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  ASSERT_EQ(Blit(Level(target.get()), 0, 0, 2, 2, src.get(), 0, 0, 1, 1), D3D_OK);
  EXPECT_EQ(Read(target.get()), (std::vector<uint32_t>(4, A)));
}

}  // namespace
